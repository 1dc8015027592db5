# Writes a C++ source holding the bytes of each input file, exposed through
# <NAMESPACE>::embedded_<stem>_document() (stem without "ports_"). Usage:
#   cmake -DOUTPUT=file.cpp -DINPUTS="a.json|b.json" [-DNAMESPACE=nerith::db]
#         [-DHEADER=builtin/db.hpp] [-DMINIFY=ON] -P embed.cmake
# MINIFY drops the layout of a pretty-printed JSON document: line breaks with
# their indentation, and the space after a key's colon or after a comma that
# ends a number, string or array (never inside a string: the documents hold
# no escaped quotes).
if(NOT NAMESPACE)
  set(NAMESPACE "nerith::db")
endif()
if(NOT HEADER)
  set(HEADER "builtin/db.hpp")
endif()
set(out "// Generated from the station documents; do not edit.\n")
string(APPEND out "#include <string_view>\n\n#include \"${HEADER}\"\n\nnamespace ${NAMESPACE} {\nnamespace {\n")
set(accessors "")
string(REPLACE "|" ";" INPUTS "${INPUTS}")
foreach(input IN LISTS INPUTS)
  get_filename_component(stem ${input} NAME_WE)
  string(REPLACE "ports_" "" short ${stem})
  if(MINIFY)
    file(READ ${input} text)
    string(REGEX REPLACE "\n *" "" text "${text}")
    string(REPLACE "\": " "\":" text "${text}")
    string(REGEX REPLACE "([0-9\"]|\\]), " "\\1," text "${text}")
    string(HEX "${text}" hex)
  else()
    file(READ ${input} hex HEX)
  endif()
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
  string(APPEND out "constexpr char k_${short}[${size}] = {${bytes}};\n")
  string(APPEND accessors "std::string_view embedded_${short}_document() { return {k_${short}, ${size}}; }\n")
endforeach()
string(APPEND out "}  // namespace\n\n${accessors}\n}  // namespace ${NAMESPACE}\n")
file(WRITE ${OUTPUT}.tmp "${out}")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
