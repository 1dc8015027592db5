#!/usr/bin/env python3
"""A foreign-language client of nerith's UniFFI libraries.

It drives libnerith_uniffi.so and libnerith_full_uniffi.so with ctypes
exactly as UniFFI-generated Python bindings (contract version 26) do:
RustBuffer passed and returned by value, RustCallStatus by pointer, arguments
lowered into library-made buffers grown with rustbuffer_reserve, results
decoded big-endian and every returned buffer freed. The frame (buffers,
contract version, future entry points) is tested the same way in each
library; both are loaded side by side, as an app that uses both does.
Usage: client_test.py path/to/lib<crate>.so... [unittest options]
"""

import ctypes
import dataclasses
import os
import re
import struct
import sys
import threading
import unittest
import uuid
from typing import List, Optional


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


class Library:
    """One UniFFI library: its C functions, every name carrying its crate."""

    def __init__(self, path, crate, checksums):
        self.cdll = ctypes.CDLL(path)
        self.crate = crate
        self.checksums = checksums  # what bindings generated from its .udl expect
        self.declare(self.ffi_name("uniffi_contract_version"), ctypes.c_uint32)
        for name in checksums:
            self.declare(f"uniffi_{crate}_checksum_func_{name}", ctypes.c_uint16)
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
        """A query function of the interface definition, declared."""
        return self.declare(f"uniffi_{self.crate}_fn_func_{name}", restype, *argtypes, STATUS)

    def check_contract(self):
        """What generated bindings check when they load the library."""
        if self.ffi("uniffi_contract_version")() != 26:
            raise InternalError("UniFFI contract version mismatch")
        for name, value in self.checksums.items():
            if getattr(self.cdll, f"uniffi_{self.crate}_checksum_func_{name}")() != value:
                raise InternalError(f"UniFFI API checksum mismatch: {name}")

    # --- the runtime part of generated bindings -----------------------------

    def call(self, function, *args, error_lifter=None):
        status = RustCallStatus(0, RustBuffer(0, 0, None))
        result = function(*args, ctypes.byref(status))
        if status.code == 0:
            return result
        if status.code == 1:
            if error_lifter is None:
                raise InternalError("status 1 from a function without errors")
            raise error_lifter(status.error_buf)
        if status.code == 2:
            if status.error_buf.capacity != status.error_buf.len:
                raise AssertionError("a failure message must fill its buffer exactly")
            message = (self.lift_string(status.error_buf) if status.error_buf.len > 0
                       else "Unknown panic")
            raise InternalError(message)
        raise InternalError(f"invalid status code {status.code}")

    def free(self, buffer):
        self.call(self.free_buffer, buffer)

    def consume(self, buffer):
        """The buffer's bytes; the buffer is freed."""
        data = buffer_bytes(buffer)
        self.free(buffer)
        return data

    def lower_bytes(self, data: bytes):
        builder = Builder(self)
        builder.write(data)
        return builder.buffer

    def lower_string(self, text: str):
        return self.lower_bytes(text.encode("utf-8"))

    def lift_string(self, buffer):
        return self.consume(buffer).decode("utf-8")

    def lift(self, buffer, read):
        stream = Stream(self.consume(buffer))
        value = read(stream)
        if stream.at != len(stream.data):
            raise AssertionError("junk data left in buffer at end of consume_with_stream")
        return value


def buffer_bytes(buffer):
    return ctypes.string_at(buffer.data, buffer.len) if buffer.len else b""


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

    def pack(self, fmt, value):
        self.write(struct.pack(fmt, value))

    def string(self, text: str):
        data = text.encode("utf-8")
        self.pack(">i", len(data))
        self.write(data)


class Stream:
    def __init__(self, data: bytes):
        self.data = data
        self.at = 0

    def unpack(self, fmt):
        size = struct.calcsize(fmt)
        if self.at + size > len(self.data):
            raise AssertionError("result shorter than its encoding")
        (value,) = struct.unpack_from(fmt, self.data, self.at)
        self.at += size
        return value

    def boolean(self):
        byte = self.unpack(">B")
        if byte > 1:
            raise AssertionError("unexpected byte for Boolean")
        return byte == 1

    def string(self):
        size = self.unpack(">i")
        text = self.data[self.at:self.at + size].decode("utf-8")
        self.at += size
        return text

    def sequence(self, read):
        return [read(self) for _ in range(self.unpack(">i"))]

    def optional(self, read):
        flag = self.unpack(">B")
        if flag > 1:
            raise AssertionError("unexpected optional flag")
        return read(self) if flag else None


# --- the interface of src/nerith.udl -----------------------------------------

@dataclasses.dataclass
class HarmonicConstituent:
    name: str
    amplitude: float
    phase_lag: float

    @staticmethod
    def read(s):
        return HarmonicConstituent(s.string(), s.unpack(">d"), s.unpack(">d"))

    def write(self, b):
        b.string(self.name)
        b.pack(">d", self.amplitude)
        b.pack(">d", self.phase_lag)


@dataclasses.dataclass
class Port:
    id: str
    name: str
    latitude: float
    longitude: float
    mean_water_level: float
    atlantic_coast: bool
    constituents: List[HarmonicConstituent]

    @staticmethod
    def read(s):
        return Port(s.string(), s.string(), s.unpack(">d"), s.unpack(">d"), s.unpack(">d"),
                    s.boolean(), s.sequence(HarmonicConstituent.read))

    def write(self, b):
        b.string(self.id)
        b.string(self.name)
        for value in (self.latitude, self.longitude, self.mean_water_level):
            b.pack(">d", value)
        b.pack(">B", 1 if self.atlantic_coast else 0)
        b.pack(">i", len(self.constituents))
        for constituent in self.constituents:
            constituent.write(b)


@dataclasses.dataclass
class TidalExtreme:
    time: int
    height: float
    is_high: bool
    coefficient: Optional[int]

    @staticmethod
    def read(s):
        return TidalExtreme(s.unpack(">q"), s.unpack(">d"), s.boolean(),
                            s.optional(lambda t: t.unpack(">B")))


@dataclasses.dataclass
class HeightSample:
    time: int
    height: float

    @staticmethod
    def read(s):
        return HeightSample(s.unpack(">q"), s.unpack(">d"))


@dataclasses.dataclass
class DayPrediction:
    port_id: str
    date: str
    extremes: List[TidalExtreme]
    heights: List[HeightSample]

    @staticmethod
    def read(s):
        return DayPrediction(s.string(), s.string(), s.sequence(TidalExtreme.read),
                             s.sequence(HeightSample.read))


class TideError(Exception):
    def __init__(self, message):
        super().__init__(message)
        self.message = message


class PortNotFound(TideError):
    pass


class InvalidDate(TideError):
    pass


class PortRejected(TideError):
    pass


def error_lifter(library, variants):
    """Lifts an error enumeration whose variants, numbered from 1, carry a message."""
    def lift_error(buffer):
        def read(s):
            variant = s.unpack(">i")
            if not 1 <= variant <= len(variants):
                raise AssertionError(f"unknown error variant {variant}")
            return variants[variant - 1](s.string())
        return library.lift(buffer, read)
    return lift_error


class Nerith(Library):
    """The bindings of src/nerith.udl over libnerith_uniffi.so."""

    CHECKSUMS = {"add_custom_port": 43597, "get_port": 4355, "height_at": 55751,
                 "list_ports": 62794, "predict_day": 56189, "predict_range": 32402,
                 "search_ports": 37425}

    def __init__(self, path):
        super().__init__(path, "nerith_uniffi", self.CHECKSUMS)
        self.lift_error = error_lifter(self, (PortNotFound, InvalidDate, PortRejected))
        self.fn("add_custom_port", None, RustBuffer)
        self.fn("get_port", RustBuffer, RustBuffer)
        self.fn("height_at", ctypes.c_double, RustBuffer, ctypes.c_int64)
        self.fn("list_ports", RustBuffer)
        self.fn("predict_day", RustBuffer, RustBuffer, RustBuffer)
        self.fn("predict_range", RustBuffer, RustBuffer, RustBuffer, RustBuffer)
        self.fn("search_ports", RustBuffer, RustBuffer)

    def add_custom_port(self, port: Port):
        builder = Builder(self)
        port.write(builder)
        self.call(self.cdll.uniffi_nerith_uniffi_fn_func_add_custom_port, builder.buffer,
                  error_lifter=self.lift_error)

    def get_port(self, id: str) -> Optional[Port]:
        return self.lift(self.call(self.cdll.uniffi_nerith_uniffi_fn_func_get_port,
                                   self.lower_string(id)),
                         lambda s: s.optional(Port.read))

    def height_at(self, port_id: str, timestamp: int) -> float:
        return self.call(self.cdll.uniffi_nerith_uniffi_fn_func_height_at,
                         self.lower_string(port_id), timestamp, error_lifter=self.lift_error)

    def list_ports(self) -> List[Port]:
        return self.lift(self.call(self.cdll.uniffi_nerith_uniffi_fn_func_list_ports),
                         lambda s: s.sequence(Port.read))

    def predict_day(self, port_id: str, date: str) -> DayPrediction:
        return self.lift(self.call(self.cdll.uniffi_nerith_uniffi_fn_func_predict_day,
                                   self.lower_string(port_id), self.lower_string(date),
                                   error_lifter=self.lift_error), DayPrediction.read)

    def predict_range(self, port_id: str, start_date: str,
                      end_date: str) -> List[DayPrediction]:
        return self.lift(self.call(self.cdll.uniffi_nerith_uniffi_fn_func_predict_range,
                                   self.lower_string(port_id), self.lower_string(start_date),
                                   self.lower_string(end_date), error_lifter=self.lift_error),
                         lambda s: s.sequence(DayPrediction.read))

    def search_ports(self, query: str) -> List[Port]:
        return self.lift(self.call(self.cdll.uniffi_nerith_uniffi_fn_func_search_ports,
                                   self.lower_string(query)),
                         lambda s: s.sequence(Port.read))


# --- the interface of src/nerith_full.udl ------------------------------------

COASTS = ("Atlantic", "Mediterranean", "Overseas")


@dataclasses.dataclass
class Station:
    id: str
    name: str
    latitude: float
    longitude: float
    coast: str
    timezone: str
    mean_level: float
    gauge: int

    @staticmethod
    def read(s):
        id, name, latitude, longitude = s.string(), s.string(), s.unpack(">d"), s.unpack(">d")
        coast = s.unpack(">i")
        if not 1 <= coast <= len(COASTS):
            raise AssertionError(f"unknown Coast variant {coast}")
        return Station(id, name, latitude, longitude, COASTS[coast - 1], s.string(),
                       s.unpack(">d"), s.unpack(">i"))


class StationNotFound(TideError):
    pass


class NerithFull(Library):
    """The bindings of src/nerith_full.udl over libnerith_full_uniffi.so."""

    CHECKSUMS = {"list_stations": 21188, "search_stations": 56932, "get_station": 1379,
                 "height_at": 22733, "predict_day": 49838, "predict_range": 1645}

    def __init__(self, path):
        super().__init__(path, "nerith_full_uniffi", self.CHECKSUMS)
        self.lift_error = error_lifter(self, (StationNotFound, InvalidDate))
        self.list_stations_fn = self.fn("list_stations", RustBuffer)
        self.search_stations_fn = self.fn("search_stations", RustBuffer, RustBuffer)
        self.get_station_fn = self.fn("get_station", RustBuffer, RustBuffer)
        self.height_at_fn = self.fn("height_at", ctypes.c_double, RustBuffer, ctypes.c_int64)
        self.predict_day_fn = self.fn("predict_day", RustBuffer, RustBuffer, RustBuffer)
        self.predict_range_fn = self.fn("predict_range", RustBuffer, RustBuffer, RustBuffer,
                                        RustBuffer)

    def list_stations(self) -> List[Station]:
        return self.lift(self.call(self.list_stations_fn), lambda s: s.sequence(Station.read))

    def search_stations(self, query: str) -> List[Station]:
        return self.lift(self.call(self.search_stations_fn, self.lower_string(query)),
                         lambda s: s.sequence(Station.read))

    def get_station(self, id: str) -> Optional[Station]:
        return self.lift(self.call(self.get_station_fn, self.lower_string(id)),
                         lambda s: s.optional(Station.read))

    def height_at(self, station_id: str, timestamp: int) -> float:
        return self.call(self.height_at_fn, self.lower_string(station_id), timestamp,
                         error_lifter=self.lift_error)

    def predict_day(self, station_id: str, date: str) -> DayPrediction:
        return self.lift(self.call(self.predict_day_fn, self.lower_string(station_id),
                                   self.lower_string(date), error_lifter=self.lift_error),
                         DayPrediction.read)

    def predict_range(self, station_id: str, start_date: str,
                      end_date: str) -> List[DayPrediction]:
        return self.lift(self.call(self.predict_range_fn, self.lower_string(station_id),
                                   self.lower_string(start_date), self.lower_string(end_date),
                                   error_lifter=self.lift_error),
                         lambda s: s.sequence(DayPrediction.read))


def load_libraries(paths):
    """The libraries named on the command line, by crate: lib<crate>.so."""
    interfaces = {"nerith_uniffi": Nerith, "nerith_full_uniffi": NerithFull}
    loaded = {}
    for path in paths:
        crate = re.fullmatch(r"lib(\w+?)\.(so|dylib)(\.[0-9.]+)?", os.path.basename(path)).group(1)
        loaded[crate] = interfaces[crate](path)
    return loaded


LIBRARY_PATHS = [arg for arg in sys.argv[1:] if not arg.startswith("-")]
LIBRARIES = load_libraries(LIBRARY_PATHS or ["libnerith_uniffi.so"])
NERITH = LIBRARIES.get("nerith_uniffi")
FULL = LIBRARIES.get("nerith_full_uniffi")


def new_port(name="Port d'essai", constituents=None):
    return Port(f"TEST-PY-{uuid.uuid4().hex[:12]}", name, 47.25, -2.5, 3.25, True,
                constituents if constituents is not None
                else [HarmonicConstituent("M2", 1.75, 110.0),
                      HarmonicConstituent("S2", 0.6, 150.0)])


JAN_1_2026 = 1767225600


class Contract(unittest.TestCase):
    """The frame every library shares, checked in each loaded library."""

    def test_version_and_checksums_match_the_interface_definition(self):
        for library in LIBRARIES.values():
            with self.subTest(library.crate):
                library.check_contract()

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


@unittest.skipIf(NERITH is None, "libnerith_uniffi.so not given")
class Stations(unittest.TestCase):
    def test_list_holds_the_builtin_stations_brest_first(self):
        ports = NERITH.list_ports()
        self.assertGreaterEqual(len(ports), 20)
        self.assertEqual(ports[0].id, "FR-BREST")
        self.assertTrue(all(p.id.startswith("FR-") for p in ports[:20]))
        self.assertEqual(len({p.id for p in ports}), len(ports))

    def test_search(self):
        self.assertEqual([p.id for p in NERITH.search_ports("BREST")], ["FR-BREST"])
        self.assertEqual([p.id for p in NERITH.search_ports("golfe du morbihan")],
                         ["FR-PORT-NAVALO", "FR-ARRADON"])
        self.assertEqual([p.id for p in NERITH.search_ports("ÉTEL")], ["FR-ETEL"])
        self.assertEqual(NERITH.search_ports(" brest"), [])
        everything = NERITH.list_ports()
        self.assertEqual([p.id for p in NERITH.search_ports("")][:20], [p.id for p in everything][:20])

    def test_get_port(self):
        brest = NERITH.get_port("FR-BREST")
        self.assertIsNotNone(brest)
        self.assertEqual(len(brest.constituents), 13)
        self.assertTrue(brest.atlantic_coast)
        self.assertIsNone(NERITH.get_port("fr-brest"))
        self.assertIsNone(NERITH.get_port(""))

    def test_added_station_comes_back_exactly(self):
        port = new_port("Île-Tudy – quai ⚓")
        NERITH.add_custom_port(port)
        self.assertEqual(NERITH.get_port(port.id), port)
        self.assertIn(port, NERITH.list_ports())
        self.assertEqual(NERITH.search_ports(port.id.lower()), [port])
        with self.assertRaises(PortRejected) as caught:
            NERITH.add_custom_port(port)
        self.assertEqual(caught.exception.message, f'DuplicateId("{port.id}")')

    def test_builtin_ids_are_rejected(self):
        with self.assertRaises(PortRejected) as caught:
            NERITH.add_custom_port(dataclasses.replace(new_port(), id="FR-BREST"))
        self.assertEqual(caught.exception.message, 'DuplicateId("FR-BREST")')

    def test_a_station_without_constituents_is_accepted(self):
        port = new_port(constituents=[])
        NERITH.add_custom_port(port)
        self.assertEqual(NERITH.get_port(port.id), port)

    def test_unreadable_port_argument(self):
        builder = Builder(NERITH)
        port = new_port()
        port.write(builder)
        builder.write(b"\x01\x02")  # two stray bytes after a valid Port
        with self.assertRaises(InternalError) as caught:
            NERITH.call(NERITH.cdll.uniffi_nerith_uniffi_fn_func_add_custom_port,
                        builder.buffer, error_lifter=NERITH.lift_error)
        self.assertEqual(str(caught.exception), "Failed to convert arg 'port': junk data left in "
                                                "buffer after lifting (count: 2)")
        self.assertIsNone(NERITH.get_port(port.id))

        builder = Builder(NERITH)
        builder.pack(">i", 2)
        builder.write(b"\xed\xa0")  # the start of a surrogate
        with self.assertRaises(InternalError) as caught:
            NERITH.call(NERITH.cdll.uniffi_nerith_uniffi_fn_func_add_custom_port,
                        builder.buffer, error_lifter=NERITH.lift_error)
        self.assertEqual(str(caught.exception), "Failed to convert arg 'port': invalid utf-8 "
                                                "sequence of 1 bytes from index 0")


@unittest.skipIf(NERITH is None, "libnerith_uniffi.so not given")
class Predictions(unittest.TestCase):
    def test_height_at(self):
        height = NERITH.height_at("FR-BREST", JAN_1_2026)
        self.assertIsInstance(height, float)
        self.assertLess(abs(height), 10)
        status = RustCallStatus(0, RustBuffer(0, 0, None))
        self.assertEqual(NERITH.cdll.uniffi_nerith_uniffi_fn_func_height_at(
            NERITH.lower_string("XX"), 0, ctypes.byref(status)), 0.0)
        self.assertEqual(status.code, 1)
        self.assertEqual(NERITH.consume(status.error_buf), bytes.fromhex("0000000100000002") + b"XX")
        with self.assertRaises(PortNotFound) as caught:
            NERITH.height_at("FR-NOWHERE", JAN_1_2026)
        self.assertEqual(caught.exception.message, "FR-NOWHERE")

    def test_predict_day(self):
        day = NERITH.predict_day("FR-BREST", "2026-01-01")
        self.assertEqual((day.port_id, day.date), ("FR-BREST", "2026-01-01"))
        self.assertEqual([h.time for h in day.heights],
                         [JAN_1_2026 + 600 * i for i in range(145)])
        self.assertTrue(3 <= len(day.extremes) <= 5)
        times = [e.time for e in day.extremes]
        self.assertEqual(times, sorted(times))
        for extreme in day.extremes:
            self.assertTrue(JAN_1_2026 <= extreme.time < JAN_1_2026 + 86400)
            if extreme.coefficient is not None:
                self.assertTrue(extreme.is_high)
                self.assertTrue(20 <= extreme.coefficient <= 120)
        self.assertTrue(any(e.coefficient is not None for e in day.extremes))

    def test_predict_day_errors(self):
        with self.assertRaises(InvalidDate) as caught:
            NERITH.predict_day("FR-BREST", "2026-13-01")
        self.assertEqual(caught.exception.message, "2026-13-01")
        with self.assertRaises(PortNotFound) as caught:
            NERITH.predict_day("XX", "2026-13-01")
        self.assertEqual(caught.exception.message, "XX")

    def test_predict_range(self):
        days = NERITH.predict_range("FR-BREST", "2026-01-30", "2026-02-01")
        self.assertEqual([d.date for d in days], ["2026-01-30", "2026-01-31", "2026-02-01"])
        self.assertEqual(days[1], NERITH.predict_day("FR-BREST", "2026-01-31"))
        self.assertEqual([d.date for d in NERITH.predict_range("FR-BREST", "2026-1-5", "2026-01-05")],
                         ["2026-01-05"])
        with self.assertRaises(InvalidDate) as caught:
            NERITH.predict_range("FR-BREST", "2026-01-03", "2026-01-01")
        self.assertEqual(caught.exception.message, "2026-01-03 > 2026-01-01")
        with self.assertRaises(PortNotFound):
            NERITH.predict_range("XX", "2026-01-01", "2026-01-02")

    def test_custom_station_is_predicted(self):
        port = new_port()
        NERITH.add_custom_port(port)
        day = NERITH.predict_day(port.id, "2026-06-21")
        self.assertEqual(len(day.heights), 145)
        # The day takes its nodal corrections at noon, the instant query at the
        # instant itself: the two agree closely, not exactly.
        self.assertAlmostEqual(day.heights[0].height, NERITH.height_at(port.id, day.heights[0].time),
                               delta=1e-3)


@unittest.skipIf(NERITH is None, "libnerith_uniffi.so not given")
class Threads(unittest.TestCase):
    def test_concurrent_adds_of_one_id(self):
        for _ in range(20):
            port = new_port()
            barrier = threading.Barrier(2)
            outcomes = []

            def add():
                barrier.wait()
                try:
                    NERITH.add_custom_port(port)
                    outcomes.append("added")
                except PortRejected as rejected:
                    outcomes.append(rejected.message)

            threads = [threading.Thread(target=add) for _ in range(2)]
            for thread in threads:
                thread.start()
            for thread in threads:
                thread.join()
            self.assertEqual(sorted(outcomes), sorted(["added", f'DuplicateId("{port.id}")']))

    def test_many_threads_get_the_same_answers(self):
        expected = NERITH.predict_day("FR-BREST", "2026-03-10")
        failures = []

        def work():
            for _ in range(5):
                if NERITH.predict_day("FR-BREST", "2026-03-10") != expected:
                    failures.append("predict_day")
                if NERITH.search_ports("brest")[0].id != "FR-BREST":
                    failures.append("search_ports")
                NERITH.add_custom_port(new_port())

        threads = [threading.Thread(target=work) for _ in range(6)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        self.assertEqual(failures, [])


MARCH_10_2024 = 1710028800


@unittest.skipIf(FULL is None, "libnerith_full_uniffi.so not given")
class FullStations(unittest.TestCase):
    def test_list_holds_the_106_gauges_on_their_coasts(self):
        stations = FULL.list_stations()
        self.assertEqual(len(stations), 106)
        self.assertEqual(len({s.id for s in stations}), 106)
        self.assertEqual([sum(s.coast == coast for s in stations) for coast in COASTS],
                         [52, 15, 39])
        brest = next(s for s in stations if s.id == "FR-BREST")
        self.assertEqual((brest.name, brest.coast, brest.timezone, brest.gauge),
                         ("Brest", "Atlantic", "Europe/Paris", 3))
        self.assertTrue(all(-90 <= s.latitude <= 90 and -180 <= s.longitude <= 180
                            for s in stations))

    def test_search_and_lookup(self):
        everything = FULL.list_stations()
        self.assertEqual(FULL.search_stations(""), everything)
        [papeete] = FULL.search_stations("PAPEETE")
        self.assertEqual((papeete.id, papeete.coast, papeete.timezone),
                         ("FR-PAPEETE", "Overseas", "Pacific/Tahiti"))
        self.assertEqual(FULL.get_station("FR-PAPEETE"), papeete)
        self.assertIn("FR-BREST", [s.id for s in FULL.search_stations("brest")])
        self.assertEqual(FULL.search_stations("no such gauge"), [])
        # Only in the full catalogue, and ids compare exactly.
        self.assertEqual(FULL.get_station("FR-LE-CONQUET").name, "Le Conquet")
        for unknown in ("fr-brest", "", "FR-NOWHERE"):
            self.assertIsNone(FULL.get_station(unknown), unknown)

    def test_malformed_arguments_are_refused(self):
        for function, args in ((FULL.search_stations_fn, ()), (FULL.get_station_fn, ()),
                               (FULL.height_at_fn, (0,)),
                               (FULL.predict_day_fn, (RustBuffer(0, 0, None),))):
            with self.assertRaises(InternalError) as caught:
                FULL.call(function, RustBuffer(0, 3, None), *args,
                          error_lifter=FULL.lift_error)
            self.assertEqual(str(caught.exception), "null RustBuffer had non-zero length")


@unittest.skipIf(FULL is None, "libnerith_full_uniffi.so not given")
class FullPredictions(unittest.TestCase):
    def test_official_coefficients_at_brest(self):
        day = FULL.predict_day("FR-BREST", "2024-03-10")
        self.assertEqual((day.port_id, day.date), ("FR-BREST", "2024-03-10"))
        self.assertEqual([h.time for h in day.heights],
                         [MARCH_10_2024 + 600 * i for i in range(145)])
        highs = [e for e in day.extremes if e.is_high]
        # The published coefficients of the day are 104 and 110.
        self.assertEqual(len(highs), 2)
        for extreme, published in zip(highs, (104, 110)):
            self.assertLessEqual(abs(extreme.coefficient - published), 1)
        self.assertTrue(all(e.coefficient is None for e in day.extremes if not e.is_high))
        # Above chart datum, which lies near the lowest tide.
        self.assertTrue(all(-0.5 < h.height < 9 for h in day.heights))

    def test_no_coefficient_off_the_atlantic_coasts(self):
        for station in ("FR-NICE", "FR-PAPEETE"):
            day = FULL.predict_day(station, "2024-03-10")
            self.assertTrue(day.extremes, station)
            self.assertTrue(all(e.coefficient is None for e in day.extremes), station)

    def test_height_at_agrees_with_the_day(self):
        day = FULL.predict_day("FR-SAINT-MALO", "2024-03-12")
        for sample in day.heights[::36]:
            self.assertAlmostEqual(FULL.height_at("FR-SAINT-MALO", sample.time), sample.height,
                                   delta=1e-3)

    def test_range(self):
        days = FULL.predict_range("FR-LE-CONQUET", "2024-02-28", "2024-03-01")
        self.assertEqual([d.date for d in days], ["2024-02-28", "2024-02-29", "2024-03-01"])
        self.assertEqual(days[1], FULL.predict_day("FR-LE-CONQUET", "2024-02-29"))

    def test_errors(self):
        status = RustCallStatus(0, RustBuffer(0, 0, None))
        self.assertEqual(FULL.height_at_fn(FULL.lower_string("XX"), 0, ctypes.byref(status)), 0.0)
        self.assertEqual(status.code, 1)
        self.assertEqual(FULL.consume(status.error_buf),
                         bytes.fromhex("0000000100000002") + b"XX")
        cases = ((lambda: FULL.height_at("FR-NOWHERE", 0), StationNotFound, "FR-NOWHERE"),
                 (lambda: FULL.predict_day("XX", "2026-13-01"), StationNotFound, "XX"),
                 (lambda: FULL.predict_day("FR-BREST", "2026-13-01"), InvalidDate, "2026-13-01"),
                 (lambda: FULL.predict_range("FR-BREST", "2026-01-03", "2026-01-01"),
                  InvalidDate, "2026-01-03 > 2026-01-01"),
                 (lambda: FULL.predict_range("XX", "2026-01-01", "2026-01-02"),
                  StationNotFound, "XX"))
        for call, error, message in cases:
            with self.assertRaises(error) as caught:
                call()
            self.assertEqual(caught.exception.message, message)


@unittest.skipIf(NERITH is None or FULL is None, "needs both libraries")
class SideBySide(unittest.TestCase):
    def test_both_models_answer_from_many_threads(self):
        builtin = NERITH.predict_day("FR-BREST", "2024-03-10")
        full = FULL.predict_day("FR-BREST", "2024-03-10")
        # Two models, two vertical references: the same day, different heights.
        self.assertEqual(len(builtin.heights), len(full.heights))
        self.assertNotEqual(builtin.heights, full.heights)
        failures = []

        def work():
            for _ in range(4):
                if NERITH.predict_day("FR-BREST", "2024-03-10") != builtin:
                    failures.append("nerith")
                if FULL.predict_day("FR-BREST", "2024-03-10") != full:
                    failures.append("nerith_full")
                if FULL.get_station("FR-LE-CONQUET") is None or NERITH.get_port("FR-LE-CONQUET"):
                    failures.append("catalogues")

        threads = [threading.Thread(target=work) for _ in range(6)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        self.assertEqual(failures, [])


if __name__ == "__main__":
    for loaded in LIBRARIES.values():
        loaded.check_contract()
    unittest.main(argv=[sys.argv[0]] + [arg for arg in sys.argv[1:] if arg.startswith("-")],
                  verbosity=2)
