# Writes the full model's station document as a compiled C++ table (the
# records of full/catalogue_table.hpp), so that nothing is parsed at run time
# and a bad document cannot get that far. Usage:
#   cmake -DINPUT=stations_full.json -DOUTPUT=table.cpp -P full_catalogue.cmake
# Malformed JSON, a field of the wrong type, an unknown coast or a count that
# is not a whole number stops here; a constituent outside the table, one
# given twice or a repeated station id stops the compilation (the tests run
# both on bad documents). A test compares the table with a strict reading of
# the same document.
cmake_policy(VERSION 3.25)
file(READ ${INPUT} doc)

# The value at a path in the JSON text `json`, which must be of the given
# type. Each call parses `json`, so the callers narrow it to one station and
# then to its constituents first.
function(json_value out type)
  string(JSON value ERROR_VARIABLE error GET "${json}" ${ARGN})
  string(JSON kind ERROR_VARIABLE error TYPE "${json}" ${ARGN})
  if(error OR NOT kind STREQUAL type)
    string(REPLACE ";" " " where "${ARGN}")
    message(FATAL_ERROR "${INPUT}: ${where} must be of type ${type} ${error}")
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# A C++ string literal of a JSON string's value (UTF-8 kept as it is).
function(literal out text)
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

function(string_field out)
  json_value(value STRING ${ARGN})
  literal(text "${value}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(number_field out)
  json_value(value NUMBER ${ARGN})
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

# A gauge number or a quality: a whole number that fits an int.
function(count_field out)
  number_field(value ${ARGN})
  if(NOT value MATCHES "^[0-9]+$" OR value GREATER 2147483647)
    message(FATAL_ERROR "${INPUT}: station ${i}: ${ARGN} must be a whole number")
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

set(coast_atlantic Atlantic)
set(coast_mediterranean Mediterranean)
set(coast_overseas Overseas)

# The reader keeps a station's datums in the document's order; CMake's JSON
# objects are sorted by key, so the order comes from the text itself.
string(REGEX MATCHALL "\"datums\"[ \n]*:[ \n]*{[^}]*}" datum_blocks "${doc}")

string(JSON count LENGTH "${doc}" stations)
list(LENGTH datum_blocks block_count)
if(NOT block_count EQUAL count)
  message(FATAL_ERROR "${INPUT}: expected one datums object per station")
endif()

set(records "")
set(stations "")
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON json GET "${doc}" stations ${i})
  set(station "${json}")
  json_value(coast STRING coast)
  if(NOT DEFINED coast_${coast})
    message(FATAL_ERROR "${INPUT}: station ${i}: unknown coast \"${coast}\"")
  endif()

  string(JSON json GET "${station}" constituents)
  string(JSON n LENGTH "${json}")
  set(rows "")
  math(EXPR last_row "${n} - 1")
  foreach(j RANGE ${last_row})
    json_value(name STRING ${j} 0)
    number_field(amplitude ${j} 1)
    number_field(phase ${j} 2)
    literal(name "${name}")
    string(APPEND rows "    {row(${name}), ${amplitude}, ${phase}},\n")
  endforeach()

  set(json "${station}")
  list(GET datum_blocks ${i} block)
  string(REGEX MATCHALL "\"[^\"]+\"[ \n]*:" keys "${block}")
  set(datums "")
  foreach(key IN LISTS keys)
    string(REGEX REPLACE "^\"([^\"]+)\".*" "\\1" key "${key}")
    if(key STREQUAL "datums")
      continue()
    endif()
    number_field(height datums ${key})
    literal(key "${key}")
    string(APPEND datums "    {${key}, ${height}},\n")
  endforeach()

  string(APPEND records "constexpr ConstituentRecord k_constituents_${i}[] = {\n${rows}};\n")
  string(APPEND records "static_assert(distinct_rows(k_constituents_${i}), \"a constituent given twice\");\n")
  string(APPEND records "constexpr DatumRecord k_datums_${i}[] = {\n${datums}};\n")

  string_field(id id)
  string_field(name name)
  count_field(gauge gauge)
  string_field(record record)
  number_field(latitude latitude)
  number_field(longitude longitude)
  string_field(timezone timezone)
  number_field(mean_level mean_level)
  string(JSON span_length LENGTH "${station}" analysis_span)
  if(NOT span_length EQUAL 2)
    message(FATAL_ERROR "${INPUT}: station ${i}: analysis_span must be two dates")
  endif()
  string_field(first analysis_span 0)
  string_field(last_day analysis_span 1)
  count_field(quality quality)
  string(APPEND stations
    "    {${id}, ${name}, ${gauge}, ${record}, ${latitude}, ${longitude}, ${timezone},\n"
    "     Coast::${coast_${coast}}, ${mean_level}, k_datums_${i}, ${first}, ${last_day}, ${quality},\n"
    "     k_constituents_${i}},\n")
endforeach()

set(json "${doc}")
string_field(licence licence)
string_field(attribution attribution)

set(out "// Generated from stations_full.json by cmake/full_catalogue.cmake; do not edit.\n")
string(APPEND out "#include \"full/catalogue_table.hpp\"\n\n")
string(APPEND out "namespace nerith::full::catalogue::table {\nnamespace {\n\n")
string(APPEND out "using constituents::row;\n\n${records}\n")
string(APPEND out "constexpr StationRecord k_stations[] = {\n${stations}};\n")
string(APPEND out "static_assert(distinct_ids(k_stations), \"a station id given twice\");\n\n")
string(APPEND out "}  // namespace\n\n")
string(APPEND out "const Document DOCUMENT = {${licence},\n                           ${attribution},\n                           k_stations};\n\n")
string(APPEND out "}  // namespace nerith::full::catalogue::table\n")
file(WRITE ${OUTPUT}.tmp "${out}")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
