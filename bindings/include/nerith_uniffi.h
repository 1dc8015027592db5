/* The C boundary of libnerith_uniffi.so: the UniFFI foreign-function
 * contract, version 26, for the interface described in src/nerith.udl.
 *
 * Every function may be called from any thread. Buffers passed as arguments
 * to the query functions, to rustbuffer_free and to rustbuffer_reserve are
 * consumed; returned buffers and a written error_buf belong to the caller,
 * who frees each once with ffi_nerith_uniffi_rustbuffer_free.
 *
 * RustCallStatus: the caller zero-initialises it; it is written only when a
 * call fails. code 1: error_buf holds a serialized TideError; code 2: an
 * unexpected failure, error_buf holds its UTF-8 message without a length
 * prefix. A failing call returns the zero value of its result type. */
#ifndef NERITH_UNIFFI_H
#define NERITH_UNIFFI_H

#include <stdint.h>

#include "nerith_uniffi_frame.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The seven query functions. Text arguments are buffers holding bare UTF-8. */
NERITH_UNIFFI_API void uniffi_nerith_uniffi_fn_func_add_custom_port(RustBuffer port,
                                                                    RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer uniffi_nerith_uniffi_fn_func_get_port(RustBuffer id,
                                                                   RustCallStatus* status);
NERITH_UNIFFI_API double uniffi_nerith_uniffi_fn_func_height_at(RustBuffer port_id,
                                                                int64_t timestamp,
                                                                RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer uniffi_nerith_uniffi_fn_func_list_ports(RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer uniffi_nerith_uniffi_fn_func_predict_day(RustBuffer port_id,
                                                                      RustBuffer date,
                                                                      RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer uniffi_nerith_uniffi_fn_func_predict_range(RustBuffer port_id,
                                                                        RustBuffer start_date,
                                                                        RustBuffer end_date,
                                                                        RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer uniffi_nerith_uniffi_fn_func_search_ports(RustBuffer query,
                                                                       RustCallStatus* status);

/* Checksums of the interface definition, compared by the generated bindings. */
NERITH_UNIFFI_API uint16_t uniffi_nerith_uniffi_checksum_func_add_custom_port(void);
NERITH_UNIFFI_API uint16_t uniffi_nerith_uniffi_checksum_func_get_port(void);
NERITH_UNIFFI_API uint16_t uniffi_nerith_uniffi_checksum_func_height_at(void);
NERITH_UNIFFI_API uint16_t uniffi_nerith_uniffi_checksum_func_list_ports(void);
NERITH_UNIFFI_API uint16_t uniffi_nerith_uniffi_checksum_func_predict_day(void);
NERITH_UNIFFI_API uint16_t uniffi_nerith_uniffi_checksum_func_predict_range(void);
NERITH_UNIFFI_API uint16_t uniffi_nerith_uniffi_checksum_func_search_ports(void);

/* Always 26. */
NERITH_UNIFFI_API uint32_t ffi_nerith_uniffi_uniffi_contract_version(void);

/* Buffer management. */
NERITH_UNIFFI_API RustBuffer ffi_nerith_uniffi_rustbuffer_alloc(uint64_t size,
                                                                RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer ffi_nerith_uniffi_rustbuffer_from_bytes(ForeignBytes bytes,
                                                                     RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rustbuffer_free(RustBuffer buffer, RustCallStatus* status);
NERITH_UNIFFI_API RustBuffer ffi_nerith_uniffi_rustbuffer_reserve(RustBuffer buffer,
                                                                  uint64_t additional,
                                                                  RustCallStatus* status);

/* Future entry points, required by the contract. No function of this library
 * is asynchronous, so no handle is ever valid: poll, cancel and free do
 * nothing, complete fails with status code 2 and returns the zero value. */
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_poll_u8(
    uint64_t handle, UniffiRustFutureContinuationCallback callback, uint64_t callback_data);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_cancel_u8(uint64_t handle);
NERITH_UNIFFI_API uint8_t ffi_nerith_uniffi_rust_future_complete_u8(uint64_t handle,
                                                                    RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_free_u8(uint64_t handle);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_poll_i8(
    uint64_t handle, UniffiRustFutureContinuationCallback callback, uint64_t callback_data);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_cancel_i8(uint64_t handle);
NERITH_UNIFFI_API int8_t ffi_nerith_uniffi_rust_future_complete_i8(uint64_t handle,
                                                                   RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_free_i8(uint64_t handle);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_poll_u16(
    uint64_t handle, UniffiRustFutureContinuationCallback callback, uint64_t callback_data);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_cancel_u16(uint64_t handle);
NERITH_UNIFFI_API uint16_t ffi_nerith_uniffi_rust_future_complete_u16(uint64_t handle,
                                                                      RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_free_u16(uint64_t handle);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_poll_i16(
    uint64_t handle, UniffiRustFutureContinuationCallback callback, uint64_t callback_data);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_cancel_i16(uint64_t handle);
NERITH_UNIFFI_API int16_t ffi_nerith_uniffi_rust_future_complete_i16(uint64_t handle,
                                                                     RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_free_i16(uint64_t handle);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_poll_u32(
    uint64_t handle, UniffiRustFutureContinuationCallback callback, uint64_t callback_data);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_cancel_u32(uint64_t handle);
NERITH_UNIFFI_API uint32_t ffi_nerith_uniffi_rust_future_complete_u32(uint64_t handle,
                                                                      RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_free_u32(uint64_t handle);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_poll_i32(
    uint64_t handle, UniffiRustFutureContinuationCallback callback, uint64_t callback_data);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_cancel_i32(uint64_t handle);
NERITH_UNIFFI_API int32_t ffi_nerith_uniffi_rust_future_complete_i32(uint64_t handle,
                                                                     RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_free_i32(uint64_t handle);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_poll_u64(
    uint64_t handle, UniffiRustFutureContinuationCallback callback, uint64_t callback_data);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_cancel_u64(uint64_t handle);
NERITH_UNIFFI_API uint64_t ffi_nerith_uniffi_rust_future_complete_u64(uint64_t handle,
                                                                      RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_free_u64(uint64_t handle);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_poll_i64(
    uint64_t handle, UniffiRustFutureContinuationCallback callback, uint64_t callback_data);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_cancel_i64(uint64_t handle);
NERITH_UNIFFI_API int64_t ffi_nerith_uniffi_rust_future_complete_i64(uint64_t handle,
                                                                     RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_free_i64(uint64_t handle);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_poll_f32(
    uint64_t handle, UniffiRustFutureContinuationCallback callback, uint64_t callback_data);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_cancel_f32(uint64_t handle);
NERITH_UNIFFI_API float ffi_nerith_uniffi_rust_future_complete_f32(uint64_t handle,
                                                                   RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_free_f32(uint64_t handle);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_poll_f64(
    uint64_t handle, UniffiRustFutureContinuationCallback callback, uint64_t callback_data);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_cancel_f64(uint64_t handle);
NERITH_UNIFFI_API double ffi_nerith_uniffi_rust_future_complete_f64(uint64_t handle,
                                                                    RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_free_f64(uint64_t handle);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_poll_pointer(
    uint64_t handle, UniffiRustFutureContinuationCallback callback, uint64_t callback_data);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_cancel_pointer(uint64_t handle);
NERITH_UNIFFI_API void* ffi_nerith_uniffi_rust_future_complete_pointer(uint64_t handle,
                                                                       RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_free_pointer(uint64_t handle);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_poll_rust_buffer(
    uint64_t handle, UniffiRustFutureContinuationCallback callback, uint64_t callback_data);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_cancel_rust_buffer(uint64_t handle);
NERITH_UNIFFI_API RustBuffer
ffi_nerith_uniffi_rust_future_complete_rust_buffer(uint64_t handle, RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_free_rust_buffer(uint64_t handle);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_poll_void(
    uint64_t handle, UniffiRustFutureContinuationCallback callback, uint64_t callback_data);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_cancel_void(uint64_t handle);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_complete_void(uint64_t handle,
                                                                   RustCallStatus* status);
NERITH_UNIFFI_API void ffi_nerith_uniffi_rust_future_free_void(uint64_t handle);

/* Metadata read by the binding generator from the library file. */
NERITH_UNIFFI_API extern const uint8_t UNIFFI_META_NAMESPACE_NERITH[22];
NERITH_UNIFFI_API extern const uint8_t UNIFFI_META_UDL_NERITH[29];

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* NERITH_UNIFFI_H */
