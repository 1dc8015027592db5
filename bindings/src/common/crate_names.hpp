// The exported C names of the library being compiled, which carry its crate
// name (NERITH_UNIFFI_CRATE: nerith_uniffi, nerith_full_uniffi) as the
// generated bindings expect: ffi_<crate>_<name>, uniffi_<crate>_fn_func_<name>.
#pragma once

#ifndef NERITH_UNIFFI_CRATE
#error "NERITH_UNIFFI_CRATE must name the library's crate"
#endif

// The crate name is expanded before the names are joined.
#define NERITH_UNIFFI_JOIN(prefix, crate, name) prefix##crate##name
#define NERITH_UNIFFI_EXPAND_JOIN(prefix, crate, name) NERITH_UNIFFI_JOIN(prefix, crate, name)
#define NERITH_FFI(name) NERITH_UNIFFI_EXPAND_JOIN(ffi_, NERITH_UNIFFI_CRATE, _##name)
#define NERITH_FN(name) NERITH_UNIFFI_EXPAND_JOIN(uniffi_, NERITH_UNIFFI_CRATE, _fn_func_##name)
#define NERITH_CHECKSUM(name) \
  NERITH_UNIFFI_EXPAND_JOIN(uniffi_, NERITH_UNIFFI_CRATE, _checksum_func_##name)
#define NERITH_UNIFFI_QUOTE(crate) #crate
#define NERITH_UNIFFI_EXPAND_QUOTE(crate) NERITH_UNIFFI_QUOTE(crate)
#define NERITH_UNIFFI_CRATE_NAME NERITH_UNIFFI_EXPAND_QUOTE(NERITH_UNIFFI_CRATE)
