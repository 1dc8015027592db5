# nlohmann-json (header-only, used at build time only), which the tree finds
# with find_package: the installed package (Debian's nlohmann-json3-dev) when
# there is one, else the headers of the nlohmann-json package from the Python
# Package Index, which a pip build (pyproject.toml) installs in its build
# environment; for those a package configuration is written here, so that
# every find_package(nlohmann_json) finds them alike.
find_package(nlohmann_json 3.11 QUIET)
if(nlohmann_json_FOUND)
  return()
endif()
if(NOT Python_EXECUTABLE)
  find_package(Python COMPONENTS Interpreter REQUIRED)
endif()
execute_process(
  COMMAND ${Python_EXECUTABLE} -c
          "import importlib.util, pathlib; print(pathlib.Path(importlib.util.find_spec('nlohmann_json').origin).parent / 'include')"
  OUTPUT_VARIABLE include OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
if(failed OR NOT EXISTS ${include}/nlohmann/json.hpp)
  message(FATAL_ERROR "nlohmann-json not found: install Debian's nlohmann-json3-dev, or build "
                      "with pip (pip install .), which takes it from the Python Package Index")
endif()
file(STRINGS ${include}/nlohmann/detail/abi_macros.hpp digits
     REGEX "^#define NLOHMANN_JSON_VERSION_(MAJOR|MINOR|PATCH) +[0-9]+")
list(TRANSFORM digits REPLACE "^#define [A-Z_]+ +([0-9]+).*" "\\1")
list(JOIN digits "." version)
set(dir ${CMAKE_BINARY_DIR}/nlohmann_json)
file(CONFIGURE OUTPUT ${dir}/nlohmann_jsonConfig.cmake CONTENT "if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES \"${include}\")
endif()
")
include(CMakePackageConfigHelpers)
write_basic_package_version_file(${dir}/nlohmann_jsonConfigVersion.cmake VERSION ${version}
                                 COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
set(nlohmann_json_DIR ${dir} CACHE PATH "nlohmann-json's headers, from the Python Package Index" FORCE)
message(STATUS "nlohmann-json ${version} from the Python package: ${include}")
