# cmake -DBUILD=<build dir> -DPREFIX=<scratch> -P installed.cmake: installs the
# build into PREFIX and runs the installed command.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                OUTPUT_QUIET RESULT_VARIABLE installed)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${installed}")
endif()
execute_process(COMMAND ${PREFIX}/bin/nerith predict FR-BREST 2024-03-10 --csv
                OUTPUT_VARIABLE answer RESULT_VARIABLE ran)
if(NOT ran EQUAL 0 OR NOT answer MATCHES "FR-BREST,2024-03-10,1710042827,[^,]*,high,7.532,104")
  message(FATAL_ERROR "${PREFIX}/bin/nerith: status ${ran}, answer:\n${answer}")
endif()
file(REMOVE_RECURSE ${PREFIX})
