# The build's checks of the full catalogue: each bad document below must stop
# cmake/full_catalogue.cmake, or the compilation of the table it writes, with
# its fault named; the good one must pass both. Usage:
#   cmake -DGENERATOR=full_catalogue.cmake -DCXX=c++ -DSTD=-std=c++23
#         -DINCLUDES="core/src|core/include" -DWORK=dir -P full_catalogue_faults.cmake
cmake_policy(VERSION 3.25)
string(REPLACE "|" ";" INCLUDES "${INCLUDES}")
list(TRANSFORM INCLUDES PREPEND "-I")
file(MAKE_DIRECTORY ${WORK})

# One station with this coast, these constituents and this gauge.
function(station out id coast constituents gauge)
  string(CONCAT text
      "{\"id\":\"${id}\",\"name\":\"X\",\"gauge\":${gauge},\"record\":\"r\",\"latitude\":0,"
      "\"longitude\":0,\"timezone\":\"UTC\",\"coast\":${coast},\"mean_level\":1,"
      "\"datums\":{\"LAT\":0},\"analysis_span\":[\"2000-01-01\",\"2001-01-01\"],"
      "\"quality\":70,\"constituents\":[${constituents}]}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(document out)
  string(JOIN "," stations ${ARGN})
  set(${out} "{\"licence\":\"CC BY 4.0\",\"attribution\":\"a\",\"stations\":[${stations}]}"
      PARENT_SCOPE)
endfunction()

# "" when the document passes the generator and the compiler, else their message.
function(check out text)
  file(WRITE ${WORK}/doc.json "${text}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DINPUT=${WORK}/doc.json -DOUTPUT=${WORK}/table.cpp -P ${GENERATOR}
    RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(status EQUAL 0)
    execute_process(
      COMMAND ${CXX} ${STD} -fsyntax-only ${INCLUDES} ${WORK}/table.cpp
      RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
  endif()
  if(status EQUAL 0)
    set(log "")
  endif()
  # CMake wraps its messages where the path makes them long.
  string(REGEX REPLACE "[ \n]+" " " log "${log}")
  set(${out} "${log}" PARENT_SCOPE)
  file(REMOVE ${WORK}/table.cpp)
endfunction()

set(m2 "[\"M2\",1,2]")
station(good X "\"atlantic\"" "${m2}" 1)
document(text "${good}")
check(log "${text}")
if(NOT log STREQUAL "")
  message(FATAL_ERROR "the good document was refused:\n${log}")
endif()

# Each case: a document and a pattern its fault's message must match.
station(s X "\"atlantic\"" "${m2},[\"X9\",1,2]" 1)
document(doc_unknown_constituent "${s}")
set(fault_unknown_constituent "no_such_constituent_in_the_table")
station(s X "\"atlantic\"" "[\"M2\",1]" 1)
document(doc_short_constituent "${s}")
set(fault_short_constituent "must be of type NUMBER")
station(s X "\"atlantic\"" "[\"M2\",\"1\",2]" 1)
document(doc_text_amplitude "${s}")
set(fault_text_amplitude "must be of type NUMBER")
station(s X "\"atlantic\"" "${m2},${m2}" 1)
document(doc_constituent_twice "${s}")
set(fault_constituent_twice "a constituent given twice")
station(s X "\"pacific\"" "${m2}" 1)
document(doc_unknown_coast "${s}")
set(fault_unknown_coast "unknown coast \"pacific\"")
station(s X "7" "${m2}" 1)
document(doc_number_coast "${s}")
set(fault_number_coast "coast must be of type STRING")
station(s X "\"atlantic\"" "${m2}" 1e300)
document(doc_huge_gauge "${s}")
set(fault_huge_gauge "gauge must be a whole number")
station(s X "\"atlantic\"" "${m2}" 1.5)
document(doc_fraction_gauge "${s}")
set(fault_fraction_gauge "gauge must be a whole number")
station(s X "\"atlantic\"" "${m2}" -1)
document(doc_negative_gauge "${s}")
set(fault_negative_gauge "gauge must be a whole number")
station(s Y "\"atlantic\"" "${m2}" 1)
document(doc_id_twice "${good}" "${s}" "${good}")
set(fault_id_twice "a station id given twice")
set(doc_no_stations "{\"licence\":\"x\",\"attribution\":\"a\"}")
set(fault_no_stations "stations")
set(doc_malformed "{")
set(fault_malformed "JSON")

set(failures "")
foreach(name unknown_constituent short_constituent text_amplitude constituent_twice unknown_coast
             number_coast huge_gauge fraction_gauge negative_gauge id_twice no_stations malformed)
  check(log "${doc_${name}}")
  string(FIND "${log}" "${fault_${name}}" at)
  if(log STREQUAL "" OR at EQUAL -1)
    string(APPEND failures "${name}: expected \"${fault_${name}}\", got:\n${log}\n")
  endif()
endforeach()
if(NOT failures STREQUAL "")
  message(FATAL_ERROR "${failures}")
endif()
