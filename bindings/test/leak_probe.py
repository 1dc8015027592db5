#!/usr/bin/env python3
"""Keeps one buffer from libnerith_uniffi.so without freeing it.

Run under LeakSanitizer, it must be reported: proof that the leak check of
the Python client test sees the library's allocations.
Usage: leak_probe.py path/to/libnerith_uniffi.so
"""

import ctypes
import sys


class RustBuffer(ctypes.Structure):
    _fields_ = [("capacity", ctypes.c_uint64), ("len", ctypes.c_uint64),
                ("data", ctypes.POINTER(ctypes.c_char))]


class RustCallStatus(ctypes.Structure):
    _fields_ = [("code", ctypes.c_int8), ("error_buf", RustBuffer)]


lib = ctypes.CDLL(sys.argv[1])
list_ports = lib.uniffi_nerith_uniffi_fn_func_list_ports
list_ports.restype = RustBuffer
list_ports.argtypes = [ctypes.POINTER(RustCallStatus)]
status = RustCallStatus()
kept = list_ports(ctypes.byref(status))
print(f"kept a buffer of {kept.len} bytes")
