#!/usr/bin/env python3
"""Keeps one buffer from a UniFFI library of nerith without freeing it.

Run under LeakSanitizer, it must be reported: proof that the leak check of
the Python client test sees that library's allocations. The buffer is the
answer of the library's function that takes no argument (its listing).
Usage: leak_probe.py path/to/lib<crate>.so <crate> <function>
"""

import ctypes
import sys


class RustBuffer(ctypes.Structure):
    _fields_ = [("capacity", ctypes.c_uint64), ("len", ctypes.c_uint64),
                ("data", ctypes.POINTER(ctypes.c_char))]


class RustCallStatus(ctypes.Structure):
    _fields_ = [("code", ctypes.c_int8), ("error_buf", RustBuffer)]


path, crate, name = sys.argv[1:4]
function = getattr(ctypes.CDLL(path), f"uniffi_{crate}_fn_func_{name}")
function.restype = RustBuffer
function.argtypes = [ctypes.POINTER(RustCallStatus)]
status = RustCallStatus()
kept = function(ctypes.byref(status))
if status.code != 0 or kept.len == 0:
    sys.exit(f"{name} failed with status {status.code}: nothing kept")
print(f"kept a buffer of {kept.len} bytes from {crate}")
