/* The records every UniFFI contract-26 library of nerith passes across its C
 * boundary (libnerith_uniffi.so and libnerith_full_uniffi.so alike): byte
 * buffers in the library's storage, bytes lent by the caller, the status of
 * a call and the continuation callback of the future entry points. */
#ifndef NERITH_UNIFFI_FRAME_H
#define NERITH_UNIFFI_FRAME_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define NERITH_UNIFFI_API __attribute__((visibility("default")))

/* Bytes in storage owned by the library. An empty buffer made by the
 * library has capacity 0, len 0 and the placeholder data (uint8_t*)1. */
typedef struct RustBuffer {
  uint64_t capacity;
  uint64_t len;
  uint8_t* data;
} RustBuffer;

/* Bytes lent by the caller for the duration of one call. */
typedef struct ForeignBytes {
  int32_t len;
  const uint8_t* data;
} ForeignBytes;

typedef struct RustCallStatus {
  int8_t code; /* 0 success, 1 the library's error enumeration, 2 unexpected failure */
  RustBuffer error_buf;
} RustCallStatus;

typedef void (*UniffiRustFutureContinuationCallback)(uint64_t callback_data, int8_t poll_result);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* NERITH_UNIFFI_FRAME_H */
