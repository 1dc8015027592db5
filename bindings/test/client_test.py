#!/usr/bin/env python3
"""Byte-level checks of nerith's UniFFI libraries that generated bindings cannot make.

The suites of bindings/python, bindings/jvm and bindings/swift call both
libraries through the bindings UniFFI generates. This client drives them with
ctypes the way those bindings do underneath (contract version 26: RustBuffer
passed and returned by value, RustCallStatus by pointer, arguments lowered into
library-made buffers grown with rustbuffer_reserve, every returned buffer
freed) to reach what a generated API never sends: the buffer functions and
future entry points themselves, malformed, oversized and undecodable buffers,
and the exact bytes of an error. Both libraries are loaded side by side.
Usage: client_test.py path/to/lib<crate>.so... [unittest options]
"""

import ctypes
import os
import re
import struct
import sys
import unittest
import uuid


class RustBuffer(ctypes.Structure):
    _fields_ = [
        ("capacity", ctypes.c_uint64),
        ("len", ctypes.c_uint64),
        ("data", ctypes.POINTER(ctypes.c_char)),
    ]


class ForeignBytes(ctypes.Structure):
    _fields_ = [("len", ctypes.c_int32), ("data", ctypes.POINTER(ctypes.c_char))]


class RustCallStatus(ctypes.Structure):
    _fields_ = [("code", ctypes.c_int8), ("error_buf", RustBuffer)]


CONTINUATION = ctypes.CFUNCTYPE(None, ctypes.c_uint64, ctypes.c_int8)
STATUS = ctypes.POINTER(RustCallStatus)
FUTURE_TYPES = {
    "u8": ctypes.c_uint8, "i8": ctypes.c_int8, "u16": ctypes.c_uint16, "i16": ctypes.c_int16,
    "u32": ctypes.c_uint32, "i32": ctypes.c_int32, "u64": ctypes.c_uint64,
    "i64": ctypes.c_int64, "f32": ctypes.c_float, "f64": ctypes.c_double,
    "pointer": ctypes.c_void_p, "rust_buffer": RustBuffer, "void": None,
}


class InternalError(Exception):
    """Status code 2: an unexpected failure inside the library."""


class Failed(Exception):
    """Status code 1: an error of the interface, its buffer's bytes kept."""

    def __init__(self, data):
        super().__init__(data)
        self.data = data


class Library:
    """One UniFFI library: its C functions, every name carrying its crate."""

    def __init__(self, path, crate):
        self.cdll = ctypes.CDLL(path)
        self.crate = crate
        self.alloc = self.declare(self.ffi_name("rustbuffer_alloc"), RustBuffer, ctypes.c_uint64,
                                  STATUS)
        self.from_bytes = self.declare(self.ffi_name("rustbuffer_from_bytes"), RustBuffer,
                                       ForeignBytes, STATUS)
        self.free_buffer = self.declare(self.ffi_name("rustbuffer_free"), None, RustBuffer, STATUS)
        self.reserve = self.declare(self.ffi_name("rustbuffer_reserve"), RustBuffer, RustBuffer,
                                    ctypes.c_uint64, STATUS)
        for suffix, result in FUTURE_TYPES.items():
            self.declare(self.ffi_name(f"rust_future_poll_{suffix}"), None, ctypes.c_uint64,
                         CONTINUATION, ctypes.c_uint64)
            self.declare(self.ffi_name(f"rust_future_cancel_{suffix}"), None, ctypes.c_uint64)
            self.declare(self.ffi_name(f"rust_future_complete_{suffix}"), result, ctypes.c_uint64,
                         STATUS)
            self.declare(self.ffi_name(f"rust_future_free_{suffix}"), None, ctypes.c_uint64)
        # The two queries both libraries have, with the same arguments.
        self.height_at = self.fn("height_at", ctypes.c_double, RustBuffer, ctypes.c_int64)
        self.predict_day = self.fn("predict_day", RustBuffer, RustBuffer, RustBuffer)

    def ffi_name(self, name):
        return f"ffi_{self.crate}_{name}"

    def declare(self, name, restype, *argtypes):
        function = getattr(self.cdll, name)
        function.restype = restype
        function.argtypes = argtypes
        return function

    def ffi(self, name):
        return getattr(self.cdll, self.ffi_name(name))

    def fn(self, name, restype, *argtypes):
        """A function of the interface definition, declared."""
        return self.declare(f"uniffi_{self.crate}_fn_func_{name}", restype, *argtypes, STATUS)

    def call(self, function, *args):
        status = RustCallStatus(0, RustBuffer(0, 0, None))
        result = function(*args, ctypes.byref(status))
        if status.code == 0:
            return result
        if status.code == 1:
            raise Failed(self.consume(status.error_buf))
        if status.code == 2:
            if status.error_buf.capacity != status.error_buf.len:
                raise AssertionError("a failure message must fill its buffer exactly")
            message = (self.consume(status.error_buf).decode("utf-8")
                       if status.error_buf.len > 0 else "Unknown panic")
            raise InternalError(message)
        raise InternalError(f"invalid status code {status.code}")

    def free(self, buffer):
        self.call(self.free_buffer, buffer)

    def consume(self, buffer):
        """The buffer's bytes; the buffer is freed."""
        data = ctypes.string_at(buffer.data, buffer.len) if buffer.len else b""
        self.free(buffer)
        return data

    def lower_string(self, text: str):
        builder = Builder(self)
        builder.write(text.encode("utf-8"))
        return builder.buffer


class Builder:
    """Lowers values as generated bindings do: alloc(16), then reserve."""

    def __init__(self, library):
        self.library = library
        self.buffer = library.call(library.alloc, 16)
        self.buffer.len = 0

    def write(self, data: bytes):
        if self.buffer.len + len(data) > self.buffer.capacity:
            self.buffer = self.library.call(self.library.reserve, self.buffer, len(data))
        ctypes.memmove(ctypes.addressof(self.buffer.data.contents) + self.buffer.len, data,
                       len(data))
        self.buffer.len += len(data)

    def pack(self, fmt, *values):
        self.write(struct.pack(fmt, *values))

    def string(self, text: str):
        data = text.encode("utf-8")
        self.pack(">i", len(data))
        self.write(data)


def write_port(builder, id):
    """A valid Port of src/nerith.udl, encoded: two constituents."""
    builder.string(id)
    builder.string("Port d'essai")
    builder.pack(">dddB", 47.25, -2.5, 3.25, 1)
    builder.pack(">i", 2)
    for name, amplitude, phase_lag in (("M2", 1.75, 110.0), ("S2", 0.6, 150.0)):
        builder.string(name)
        builder.pack(">dd", amplitude, phase_lag)


def load_libraries(paths):
    """The libraries named on the command line, by crate: lib<crate>.so."""
    loaded = {}
    for path in paths:
        crate = re.fullmatch(r"lib(\w+?)\.(so|dylib)(\.[0-9.]+)?", os.path.basename(path)).group(1)
        loaded[crate] = Library(path, crate)
    return loaded


LIBRARY_PATHS = [arg for arg in sys.argv[1:] if not arg.startswith("-")]
LIBRARIES = load_libraries(LIBRARY_PATHS or ["libnerith_uniffi.so"])
NERITH = LIBRARIES.get("nerith_uniffi")


class Contract(unittest.TestCase):
    """The frame every library shares, checked in each loaded library."""

    def test_future_entry_points_never_follow_a_handle(self):
        for library, suffix in ((lib, suffix) for lib in LIBRARIES.values()
                                for suffix in FUTURE_TYPES):
            with self.subTest(library.crate, suffix=suffix):
                library.ffi(f"rust_future_poll_{suffix}")(
                    0xDEAD, CONTINUATION(lambda data, result: None), 1)
                library.ffi(f"rust_future_cancel_{suffix}")(0xDEAD)
                with self.assertRaisesRegex(
                        InternalError, f"^no future has handle 57005: {library.crate} has no "
                                       "asynchronous functions$"):
                    result = library.call(library.ffi(f"rust_future_complete_{suffix}"), 0xDEAD)
                    self.fail(f"complete_{suffix} returned {result!r}")
                library.ffi(f"rust_future_free_{suffix}")(0xDEAD)


class Buffers(unittest.TestCase):
    """The four buffer functions, in each loaded library."""

    def test_alloc_zero_has_a_non_null_placeholder(self):
        for library in LIBRARIES.values():
            with self.subTest(library.crate):
                buffer = library.call(library.alloc, 0)
                self.assertEqual((buffer.capacity, buffer.len), (0, 0))
                self.assertTrue(bool(buffer.data))  # Kotlin reads null as allocation failure
                library.free(buffer)
                buffer = library.call(library.alloc, 5)
                self.assertEqual((buffer.capacity, buffer.len), (5, 5))
                self.assertEqual(library.consume(buffer), bytes(5))

    def test_reserve_growth(self):
        for library in LIBRARIES.values():
            for additional, capacity in ((6, 10), (7, 20), (30, 34)):
                with self.subTest(library.crate, additional=additional):
                    buffer = library.call(library.alloc, 10)
                    ctypes.memmove(ctypes.addressof(buffer.data.contents), b"tide", 4)
                    buffer.len = 4
                    grown = library.call(library.reserve, buffer, additional)
                    self.assertEqual((grown.capacity, grown.len), (capacity, 4))
                    self.assertEqual(library.consume(grown), b"tide")
            grown = library.call(library.reserve, RustBuffer(0, 0, None), 1)
            self.assertEqual(grown.capacity, 8)
            library.free(grown)

    def test_from_bytes_and_its_validation(self):
        data = b"\x00\x01\xfe"
        source = ctypes.create_string_buffer(data, len(data))
        for library in LIBRARIES.values():
            with self.subTest(library.crate):
                foreign = ForeignBytes(len(data),
                                       ctypes.cast(source, ctypes.POINTER(ctypes.c_char)))
                self.assertEqual(library.consume(library.call(library.from_bytes, foreign)), data)
                empty = library.call(library.from_bytes, ForeignBytes(0, None))
                self.assertEqual((empty.capacity, empty.len), (0, 0))
                library.free(empty)
                with self.assertRaisesRegex(InternalError,
                                            "^null ForeignBytes had non-zero length$"):
                    library.call(library.from_bytes, ForeignBytes(3, None))
                foreign.len = -1
                with self.assertRaisesRegex(InternalError, r"^bytes length negative or "
                                                           r"overflowed: TryFromIntError\(\(\)\)$"):
                    library.call(library.from_bytes, foreign)

    def test_malformed_buffers_are_refused(self):
        cases = ((RustBuffer(5, 0, None), "null RustBuffer had non-zero capacity"),
                 (RustBuffer(0, 3, None), "null RustBuffer had non-zero length"))
        for library in LIBRARIES.values():
            with self.subTest(library.crate):
                for buffer, message in cases:
                    with self.assertRaises(InternalError) as caught:
                        library.free(buffer)
                    self.assertEqual(str(caught.exception), message)
                    with self.assertRaises(InternalError) as caught:
                        library.call(library.reserve, buffer, 1)
                    self.assertEqual(str(caught.exception), message)
                with self.assertRaisesRegex(InternalError, "^capacity overflow$"):
                    library.call(library.alloc, 1 << 63)
                library.free(RustBuffer(0, 0, None))

    def test_buffers_of_one_library_are_freed_by_the_other(self):
        # Both take their storage from the C allocator: an app that mixes the
        # two sets of bindings up must not corrupt its heap.
        if len(LIBRARIES) < 2:
            self.skipTest("needs both libraries")
        first, second = LIBRARIES.values()
        second.free(first.lower_string("marée"))
        first.free(second.lower_string("marée"))


class Arguments(unittest.TestCase):
    """Arguments no generated binding would send, and the bytes of an error."""

    def test_malformed_arguments_are_refused(self):
        for library in LIBRARIES.values():
            for function, args in ((library.height_at, (0,)),
                                   (library.predict_day, (RustBuffer(0, 0, None),))):
                with self.subTest(library.crate, function=function.__name__):
                    with self.assertRaises(InternalError) as caught:
                        library.call(function, RustBuffer(0, 3, None), *args)
                    self.assertEqual(str(caught.exception), "null RustBuffer had non-zero length")

    def test_an_unknown_id_fails_with_variant_1_and_the_id(self):
        for library in LIBRARIES.values():
            with self.subTest(library.crate):
                status = RustCallStatus(0, RustBuffer(0, 0, None))
                self.assertEqual(library.height_at(library.lower_string("XX"), 0,
                                                   ctypes.byref(status)), 0.0)
                self.assertEqual(status.code, 1)
                self.assertEqual(library.consume(status.error_buf),
                                 bytes.fromhex("0000000100000002") + b"XX")

    @unittest.skipIf(NERITH is None, "libnerith_uniffi.so not given")
    def test_an_undecodable_port_is_refused_and_not_added(self):
        add = NERITH.fn("add_custom_port", None, RustBuffer)
        get = NERITH.fn("get_port", RustBuffer, RustBuffer)
        id = f"TEST-PY-{uuid.uuid4().hex[:12]}"
        builder = Builder(NERITH)
        write_port(builder, id)
        builder.write(b"\x01\x02")  # two stray bytes after a valid Port
        with self.assertRaises(InternalError) as caught:
            NERITH.call(add, builder.buffer)
        self.assertEqual(str(caught.exception), "Failed to convert arg 'port': junk data left in "
                                                "buffer after lifting (count: 2)")
        self.assertEqual(NERITH.consume(NERITH.call(get, NERITH.lower_string(id))), b"\x00")

        builder = Builder(NERITH)
        builder.pack(">i", 2)
        builder.write(b"\xed\xa0")  # the start of a surrogate
        with self.assertRaises(InternalError) as caught:
            NERITH.call(add, builder.buffer)
        self.assertEqual(str(caught.exception), "Failed to convert arg 'port': invalid utf-8 "
                                                "sequence of 1 bytes from index 0")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]] + [arg for arg in sys.argv[1:] if arg.startswith("-")],
                  verbosity=2)
