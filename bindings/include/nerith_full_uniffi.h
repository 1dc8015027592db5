/* The C boundary of libnerith_full_uniffi.so, the full harmonic model: the
 * UniFFI foreign-function contract, version 26, for the interface described
 * in src/nerith_full.udl (crate nerith_full_uniffi).
 *
 * The frame is libnerith_uniffi.so's: every function may be called from any
 * thread; buffers passed as arguments are consumed; returned buffers and a
 * written error_buf belong to the caller, who frees each once with
 * ffi_nerith_full_uniffi_rustbuffer_free. Status code 1: error_buf holds a
 * serialized TideError (1 PortNotFound, 2 InvalidDate, 3 InvalidLevel); code 2:
 * an unexpected failure or an argument that cannot be read, error_buf holds
 * its UTF-8 message. A failing call
 * returns the zero value of its result type.
 *
 * The library also exports the contract's 52 future entry points
 * (ffi_nerith_full_uniffi_rust_future_{poll,cancel,complete,free}_<type>);
 * no function is asynchronous, so no handle is ever valid. */
#ifndef NERITH_FULL_UNIFFI_H
#define NERITH_FULL_UNIFFI_H

#include <stdint.h>

#include "nerith_uniffi_frame.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The seven query functions, in the .udl's order. Text arguments are
 * buffers holding bare UTF-8; `side` is a buffer holding a WaterSide, its
 * big-endian i32 variant number (1 Above, 2 Below). */
NERITH_UNIFFI_API RustBuffer uniffi_nerith_full_uniffi_fn_func_get_port(RustBuffer id,
                                                                        RustCallStatus* status);
NERITH_UNIFFI_API double uniffi_nerith_full_uniffi_fn_func_height_at(RustBuffer port_id,
                                                                     int64_t timestamp,
                                                                     RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer uniffi_nerith_full_uniffi_fn_func_list_ports(RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer uniffi_nerith_full_uniffi_fn_func_predict_day(RustBuffer port_id,
                                                                           RustBuffer date,
                                                                           RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer uniffi_nerith_full_uniffi_fn_func_predict_range(
    RustBuffer port_id, RustBuffer start_date, RustBuffer end_date, RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer uniffi_nerith_full_uniffi_fn_func_search_ports(RustBuffer query,
                                                                            RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer uniffi_nerith_full_uniffi_fn_func_water_windows(
    RustBuffer port_id, RustBuffer start_date, RustBuffer end_date, double level, RustBuffer side,
    RustCallStatus* status);

/* Checksums of the functions' signatures in src/nerith_full.udl. */
NERITH_UNIFFI_API uint16_t uniffi_nerith_full_uniffi_checksum_func_get_port(void);
NERITH_UNIFFI_API uint16_t uniffi_nerith_full_uniffi_checksum_func_height_at(void);
NERITH_UNIFFI_API uint16_t uniffi_nerith_full_uniffi_checksum_func_list_ports(void);
NERITH_UNIFFI_API uint16_t uniffi_nerith_full_uniffi_checksum_func_predict_day(void);
NERITH_UNIFFI_API uint16_t uniffi_nerith_full_uniffi_checksum_func_predict_range(void);
NERITH_UNIFFI_API uint16_t uniffi_nerith_full_uniffi_checksum_func_search_ports(void);
NERITH_UNIFFI_API uint16_t uniffi_nerith_full_uniffi_checksum_func_water_windows(void);

/* Always 26. */
NERITH_UNIFFI_API uint32_t ffi_nerith_full_uniffi_uniffi_contract_version(void);

/* Buffer management. */
NERITH_UNIFFI_API RustBuffer ffi_nerith_full_uniffi_rustbuffer_alloc(uint64_t size,
                                                                     RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer ffi_nerith_full_uniffi_rustbuffer_from_bytes(ForeignBytes bytes,
                                                                          RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_full_uniffi_rustbuffer_free(RustBuffer buffer,
                                                              RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer ffi_nerith_full_uniffi_rustbuffer_reserve(RustBuffer buffer,
                                                                       uint64_t additional,
                                                                       RustCallStatus* status);

/* Metadata read by the binding generator from the library file. */
NERITH_UNIFFI_API extern const uint8_t UNIFFI_META_NAMESPACE_NERITH_FULL[32];
NERITH_UNIFFI_API extern const uint8_t UNIFFI_META_UDL_NERITH_FULL[44];

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* NERITH_FULL_UNIFFI_H */
