# What a crate's interface definition fixes in its library, derived from the
# .udl at configure time so that nothing is typed in twice:
#
#   nerith_uniffi_udl_header(<udl> <crate> <header>)
#
# writes <header>: the checksum of each function (NERITH_UNIFFI_CHECKSUMS, an
# X-macro of name and value) and the two metadata blobs the generator reads
# from the library file. The checksums are UniFFI 0.28's: SipHash-1-3, zero
# key, over each function's description, its low 16 bits
# (test/checksum_test.py computes the same in Python).

# CMake's integers are signed 64 bits and wrap on overflow, as SipHash needs;
# its >> keeps the sign, so the rotation masks the bits shifted in.
macro(_nerith_rotate var bits)
  math(EXPR ${var} "(${${var}} << ${bits}) | ((${${var}} >> (64 - ${bits})) & ~((~0) << ${bits}))")
endmacro()

macro(_nerith_sip_round)
  math(EXPR v0 "${v0} + ${v1}")
  _nerith_rotate(v1 13)
  math(EXPR v1 "${v1} ^ ${v0}")
  _nerith_rotate(v0 32)
  math(EXPR v2 "${v2} + ${v3}")
  _nerith_rotate(v3 16)
  math(EXPR v3 "${v3} ^ ${v2}")
  math(EXPR v0 "${v0} + ${v3}")
  _nerith_rotate(v3 21)
  math(EXPR v3 "${v3} ^ ${v0}")
  math(EXPR v2 "${v2} + ${v1}")
  _nerith_rotate(v1 17)
  math(EXPR v1 "${v1} ^ ${v2}")
  _nerith_rotate(v2 32)
endmacro()

# SipHash-1-3 with a zero key of a list of byte values, its low 16 bits.
function(_nerith_siphash13_low16 bytes out)
  set(v0 8317987319222330741)  # "somepseudorandomlygeneratedbytes"
  set(v1 7237128888997146477)
  set(v2 7816392313619706465)
  set(v3 8387220255154660723)
  list(LENGTH bytes length)
  math(EXPR tail "${length} % 8")
  math(EXPR whole "${length} - ${tail}")
  # The last word carries the length's low byte on top.
  math(EXPR padded "${whole} + 8")
  set(at 0)
  while(at LESS padded)
    if(at LESS whole)
      set(word 0)
    else()
      math(EXPR word "(${length} & 255) << 56")
    endif()
    foreach(i RANGE 7)
      math(EXPR index "${at} + ${i}")
      if(index LESS length)
        list(GET bytes ${index} byte)
        math(EXPR word "${word} | (${byte} << (8 * ${i}))")
      endif()
    endforeach()
    math(EXPR v3 "${v3} ^ ${word}")
    _nerith_sip_round()
    math(EXPR v0 "${v0} ^ ${word}")
    math(EXPR at "${at} + 8")
  endwhile()
  math(EXPR v2 "${v2} ^ 255")
  foreach(i RANGE 2)
    _nerith_sip_round()
  endforeach()
  math(EXPR hash "(${v0} ^ ${v1} ^ ${v2} ^ ${v3}) & 65535")
  set(${out} ${hash} PARENT_SCOPE)
endfunction()

# How the generator feeds a description to the hasher: texts end in 0xff,
# counts and type tags are 64-bit little-endian.
function(_nerith_text_bytes value out)
  string(HEX "${value}" hex)
  string(REGEX MATCHALL ".." pairs "${hex}")
  set(bytes "")
  foreach(pair IN LISTS pairs)
    math(EXPR byte "0x${pair}")
    list(APPEND bytes ${byte})
  endforeach()
  list(APPEND bytes 255)
  set(${out} ${bytes} PARENT_SCOPE)
endfunction()

macro(_nerith_u64_bytes value out)
  set(${out} ${value} 0 0 0 0 0 0 0)
endmacro()

# The bytes of a type's spelling in a description; records and enums are
# named with their crate.
function(_nerith_type_bytes spelling crate records enums out)
  string(STRIP "${spelling}" spelling)
  set(primitives u8 i8 u16 i16 u32 i32 u64 i64 f32 f64 boolean string)
  list(FIND primitives "${spelling}" primitive)
  if(spelling MATCHES "^(.+)\\?$")
    _nerith_type_bytes("${CMAKE_MATCH_1}" ${crate} "${records}" "${enums}" inner)
    _nerith_u64_bytes(19 tag)
  elseif(spelling MATCHES "^sequence<(.+)>$")
    _nerith_type_bytes("${CMAKE_MATCH_1}" ${crate} "${records}" "${enums}" inner)
    _nerith_u64_bytes(20 tag)
  elseif(primitive GREATER_EQUAL 0)
    set(inner "")
    _nerith_u64_bytes(${primitive} tag)
  elseif(spelling IN_LIST records OR spelling IN_LIST enums)
    _nerith_text_bytes(${crate} crate_bytes)
    _nerith_text_bytes(${spelling} name_bytes)
    set(inner ${crate_bytes} ${name_bytes})
    if(spelling IN_LIST records)
      _nerith_u64_bytes(16 tag)
    else()
      _nerith_u64_bytes(17 tag)
    endif()
  else()
    message(FATAL_ERROR "the interface definition's type '${spelling}' is not handled")
  endif()
  set(${out} ${tag} ${inner} PARENT_SCOPE)
endfunction()

# The checksum of one declaration of the namespace: [Throws=E] R name(args).
function(_nerith_function_checksum declaration crate records enums out_name out_checksum)
  string(REGEX REPLACE "[ \t\n]+" " " declaration "${declaration}")
  if(NOT declaration MATCHES
     "^ *(\\[Throws=([A-Za-z0-9_]+)\\] *)?([A-Za-z0-9_<>?]+) ([a-z0-9_]+) *\\(([^)]*)\\) *$")
    message(FATAL_ERROR "cannot read the declaration '${declaration}'")
  endif()
  set(throws "${CMAKE_MATCH_2}")
  set(result "${CMAKE_MATCH_3}")
  set(name "${CMAKE_MATCH_4}")
  string(REPLACE "," ";" arguments "${CMAKE_MATCH_5}")
  list(TRANSFORM arguments STRIP)
  list(REMOVE_ITEM arguments "")

  _nerith_text_bytes(${name} described)
  _nerith_text_bytes(${crate} crate_bytes)
  list(LENGTH arguments count)
  _nerith_u64_bytes(${count} count_bytes)
  list(APPEND described ${crate_bytes} 0 ${count_bytes})  # 0: not async
  foreach(argument IN LISTS arguments)
    if(NOT argument MATCHES "^(.+) ([a-z0-9_]+)$")
      message(FATAL_ERROR "cannot read the argument '${argument}' of ${name}")
    endif()
    _nerith_text_bytes(${CMAKE_MATCH_2} argument_name)
    _nerith_type_bytes("${CMAKE_MATCH_1}" ${crate} "${records}" "${enums}" type)
    # name, type, not by reference, not optional, no default
    list(APPEND described ${argument_name} ${type} 0 0 0 0 0 0 0 0 0 0)
  endforeach()
  foreach(part result throws)
    if(${part} STREQUAL "" OR ${part} STREQUAL "void")
      list(APPEND described 0 0 0 0 0 0 0 0)
    else()
      _nerith_type_bytes("${${part}}" ${crate} "${records}" "${enums}" type)
      list(APPEND described 1 0 0 0 0 0 0 0 ${type})
    endif()
  endforeach()
  _nerith_text_bytes(uniffi_${crate}_checksum_func_${name} symbol)
  list(APPEND described ${symbol})
  _nerith_siphash13_low16("${described}" checksum)
  set(${out_name} ${name} PARENT_SCOPE)
  set(${out_checksum} ${checksum} PARENT_SCOPE)
endfunction()

# The checksum of each function of <udl>'s namespace, in declaration order,
# as "name=value" items.
function(nerith_uniffi_udl_checksums udl crate out)
  file(READ ${udl} text)
  string(REGEX REPLACE "//[^\n]*" "" text "${text}")
  string(REGEX MATCHALL "dictionary[ \t\n]+[A-Za-z0-9_]+" records "${text}")
  list(TRANSFORM records REPLACE "^dictionary[ \t\n]+" "")
  string(REGEX MATCHALL "enum[ \t\n]+[A-Za-z0-9_]+" enums "${text}")
  list(TRANSFORM enums REPLACE "^enum[ \t\n]+" "")
  if(NOT text MATCHES "namespace[ \t\n]+[a-z0-9_]+[ \t\n]*{([^}]*)}")
    message(FATAL_ERROR "${udl} has no namespace block")
  endif()
  # No declaration holds a ';' of its own, nor a list separator.
  string(REPLACE ";" "\n;" declarations "${CMAKE_MATCH_1}")
  string(REGEX REPLACE "\n;" ";" declarations "${declarations}")
  set(checksums "")
  foreach(declaration IN LISTS declarations)
    if(declaration MATCHES "^[ \t\n]*$")
      continue()
    endif()
    _nerith_function_checksum("${declaration}" ${crate} "${records}" "${enums}" name checksum)
    list(APPEND checksums ${name}=${checksum})
  endforeach()
  set(${out} ${checksums} PARENT_SCOPE)
endfunction()

# A metadata blob: a kind byte, then each string as its length byte and its
# characters, as an initializer list.
function(_nerith_meta_bytes kind out)
  set(items ${kind})
  foreach(value IN LISTS ARGN)
    string(LENGTH "${value}" length)
    list(APPEND items ${length})
    string(REGEX MATCHALL "." characters "${value}")
    list(TRANSFORM characters REPLACE "(.+)" "'\\1'")
    list(APPEND items ${characters})
  endforeach()
  list(JOIN items ", " joined)
  set(${out} "{${joined}}" PARENT_SCOPE)
endfunction()

function(nerith_uniffi_udl_header udl crate namespace header)
  nerith_uniffi_udl_checksums(${udl} ${crate} checksums)
  set(entries "")
  foreach(item IN LISTS checksums)
    string(REPLACE "=" ", " item "${item}")
    string(APPEND entries " \\\n  X(${item})")
  endforeach()
  get_filename_component(stem ${udl} NAME_WE)
  string(TOUPPER ${namespace} upper)
  # 6: the namespace and its module; 8: the interface-definition file.
  _nerith_meta_bytes(6 namespace_blob ${crate} ${namespace})
  _nerith_meta_bytes(8 udl_blob ${crate} ${namespace} ${stem})
  get_filename_component(source ${udl} NAME)
  file(CONFIGURE OUTPUT ${header} @ONLY CONTENT "\
// Generated from ${source} by bindings/cmake/udl.cmake: edit the .udl, not this.
#pragma once

// X(function, checksum) for each function of the namespace.
#define NERITH_UNIFFI_CHECKSUMS(X)${entries}

// Read by the binding generator from the library file, never by the library.
#define NERITH_UNIFFI_META_NAMESPACE UNIFFI_META_NAMESPACE_${upper}
#define NERITH_UNIFFI_META_NAMESPACE_BYTES ${namespace_blob}
#define NERITH_UNIFFI_META_UDL UNIFFI_META_UDL_${upper}
#define NERITH_UNIFFI_META_UDL_BYTES ${udl_blob}
")
endfunction()
