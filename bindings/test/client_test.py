#!/usr/bin/env python3
"""A foreign-language client of libnerith_uniffi.so.

It drives the library with ctypes exactly as UniFFI-generated Python bindings
(contract version 26) do: RustBuffer passed and returned by value,
RustCallStatus by pointer, arguments lowered into library-made buffers grown
with rustbuffer_reserve, results decoded big-endian and every returned buffer
freed. Usage: client_test.py path/to/libnerith_uniffi.so [unittest options]
"""

import ctypes
import dataclasses
import struct
import sys
import threading
import unittest
import uuid
from typing import List, Optional

LIBRARY_PATH = sys.argv[1] if len(sys.argv) > 1 else "libnerith_uniffi.so"


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

lib = ctypes.CDLL(LIBRARY_PATH)


def _declare(name, restype, *argtypes):
    function = getattr(lib, name)
    function.restype = restype
    function.argtypes = argtypes
    return function


_declare("ffi_nerith_uniffi_uniffi_contract_version", ctypes.c_uint32)
for _name in ("add_custom_port", "get_port", "height_at", "list_ports", "predict_day",
              "predict_range", "search_ports"):
    _declare(f"uniffi_nerith_uniffi_checksum_func_{_name}", ctypes.c_uint16)
_declare("ffi_nerith_uniffi_rustbuffer_alloc", RustBuffer, ctypes.c_uint64, STATUS)
_declare("ffi_nerith_uniffi_rustbuffer_from_bytes", RustBuffer, ForeignBytes, STATUS)
_declare("ffi_nerith_uniffi_rustbuffer_free", None, RustBuffer, STATUS)
_declare("ffi_nerith_uniffi_rustbuffer_reserve", RustBuffer, RustBuffer, ctypes.c_uint64, STATUS)
_declare("uniffi_nerith_uniffi_fn_func_add_custom_port", None, RustBuffer, STATUS)
_declare("uniffi_nerith_uniffi_fn_func_get_port", RustBuffer, RustBuffer, STATUS)
_declare("uniffi_nerith_uniffi_fn_func_height_at", ctypes.c_double, RustBuffer, ctypes.c_int64,
         STATUS)
_declare("uniffi_nerith_uniffi_fn_func_list_ports", RustBuffer, STATUS)
_declare("uniffi_nerith_uniffi_fn_func_predict_day", RustBuffer, RustBuffer, RustBuffer, STATUS)
_declare("uniffi_nerith_uniffi_fn_func_predict_range", RustBuffer, RustBuffer, RustBuffer,
         RustBuffer, STATUS)
_declare("uniffi_nerith_uniffi_fn_func_search_ports", RustBuffer, RustBuffer, STATUS)
FUTURE_TYPES = {
    "u8": ctypes.c_uint8, "i8": ctypes.c_int8, "u16": ctypes.c_uint16, "i16": ctypes.c_int16,
    "u32": ctypes.c_uint32, "i32": ctypes.c_int32, "u64": ctypes.c_uint64,
    "i64": ctypes.c_int64, "f32": ctypes.c_float, "f64": ctypes.c_double,
    "pointer": ctypes.c_void_p, "rust_buffer": RustBuffer, "void": None,
}
for _suffix, _type in FUTURE_TYPES.items():
    _declare(f"ffi_nerith_uniffi_rust_future_poll_{_suffix}", None, ctypes.c_uint64,
             CONTINUATION, ctypes.c_uint64)
    _declare(f"ffi_nerith_uniffi_rust_future_cancel_{_suffix}", None, ctypes.c_uint64)
    _declare(f"ffi_nerith_uniffi_rust_future_complete_{_suffix}", _type, ctypes.c_uint64, STATUS)
    _declare(f"ffi_nerith_uniffi_rust_future_free_{_suffix}", None, ctypes.c_uint64)


# --- the runtime part of generated bindings ---------------------------------

class InternalError(Exception):
    """Status code 2: an unexpected failure inside the library."""


def rust_call(function, *args, error_lifter=None):
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
        message = lift_string(status.error_buf) if status.error_buf.len > 0 else "Unknown panic"
        raise InternalError(message)
    raise InternalError(f"invalid status code {status.code}")


def buffer_bytes(buffer):
    return ctypes.string_at(buffer.data, buffer.len) if buffer.len else b""


def free(buffer):
    rust_call(lib.ffi_nerith_uniffi_rustbuffer_free, buffer)


def consume(buffer):
    """The buffer's bytes; the buffer is freed."""
    data = buffer_bytes(buffer)
    free(buffer)
    return data


class Builder:
    """Lowers values as generated bindings do: alloc(16), then reserve."""

    def __init__(self):
        self.buffer = rust_call(lib.ffi_nerith_uniffi_rustbuffer_alloc, 16)
        self.buffer.len = 0

    def write(self, data: bytes):
        if self.buffer.len + len(data) > self.buffer.capacity:
            self.buffer = rust_call(lib.ffi_nerith_uniffi_rustbuffer_reserve, self.buffer,
                                    len(data))
        ctypes.memmove(ctypes.addressof(self.buffer.data.contents) + self.buffer.len, data,
                       len(data))
        self.buffer.len += len(data)

    def pack(self, fmt, value):
        self.write(struct.pack(fmt, value))

    def string(self, text: str):
        data = text.encode("utf-8")
        self.pack(">i", len(data))
        self.write(data)


def lower_bytes(data: bytes):
    builder = Builder()
    builder.write(data)
    return builder.buffer


def lower_string(text: str):
    return lower_bytes(text.encode("utf-8"))


def lift_string(buffer):
    return consume(buffer).decode("utf-8")


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


def lift(buffer, read):
    stream = Stream(consume(buffer))
    value = read(stream)
    if stream.at != len(stream.data):
        raise AssertionError("junk data left in buffer at end of consume_with_stream")
    return value


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


def lift_tide_error(buffer):
    def read(s):
        variant = s.unpack(">i")
        kinds = {1: PortNotFound, 2: InvalidDate, 3: PortRejected}
        if variant not in kinds:
            raise AssertionError(f"unknown TideError variant {variant}")
        return kinds[variant](s.string())
    return lift(buffer, read)


def check_contract():
    """What generated bindings check when they load the library."""
    if lib.ffi_nerith_uniffi_uniffi_contract_version() != 26:
        raise InternalError("UniFFI contract version mismatch")
    expected = {"add_custom_port": 43597, "get_port": 4355, "height_at": 55751,
                "list_ports": 62794, "predict_day": 56189, "predict_range": 32402,
                "search_ports": 37425}
    for name, value in expected.items():
        if getattr(lib, f"uniffi_nerith_uniffi_checksum_func_{name}")() != value:
            raise InternalError(f"UniFFI API checksum mismatch: {name}")


def add_custom_port(port: Port):
    builder = Builder()
    port.write(builder)
    rust_call(lib.uniffi_nerith_uniffi_fn_func_add_custom_port, builder.buffer,
              error_lifter=lift_tide_error)


def get_port(id: str) -> Optional[Port]:
    return lift(rust_call(lib.uniffi_nerith_uniffi_fn_func_get_port, lower_string(id)),
                lambda s: s.optional(Port.read))


def height_at(port_id: str, timestamp: int) -> float:
    return rust_call(lib.uniffi_nerith_uniffi_fn_func_height_at, lower_string(port_id), timestamp,
                     error_lifter=lift_tide_error)


def list_ports() -> List[Port]:
    return lift(rust_call(lib.uniffi_nerith_uniffi_fn_func_list_ports),
                lambda s: s.sequence(Port.read))


def predict_day(port_id: str, date: str) -> DayPrediction:
    return lift(rust_call(lib.uniffi_nerith_uniffi_fn_func_predict_day, lower_string(port_id),
                          lower_string(date), error_lifter=lift_tide_error), DayPrediction.read)


def predict_range(port_id: str, start_date: str, end_date: str) -> List[DayPrediction]:
    return lift(rust_call(lib.uniffi_nerith_uniffi_fn_func_predict_range, lower_string(port_id),
                          lower_string(start_date), lower_string(end_date),
                          error_lifter=lift_tide_error),
                lambda s: s.sequence(DayPrediction.read))


def search_ports(query: str) -> List[Port]:
    return lift(rust_call(lib.uniffi_nerith_uniffi_fn_func_search_ports, lower_string(query)),
                lambda s: s.sequence(Port.read))


def new_port(name="Port d'essai", constituents=None):
    return Port(f"TEST-PY-{uuid.uuid4().hex[:12]}", name, 47.25, -2.5, 3.25, True,
                constituents if constituents is not None
                else [HarmonicConstituent("M2", 1.75, 110.0),
                      HarmonicConstituent("S2", 0.6, 150.0)])


JAN_1_2026 = 1767225600


class Contract(unittest.TestCase):
    def test_version_and_checksums_match_the_interface_definition(self):
        check_contract()

    def test_future_entry_points_never_follow_a_handle(self):
        for suffix in FUTURE_TYPES:
            getattr(lib, f"ffi_nerith_uniffi_rust_future_poll_{suffix}")(
                0xDEAD, CONTINUATION(lambda data, result: None), 1)
            getattr(lib, f"ffi_nerith_uniffi_rust_future_cancel_{suffix}")(0xDEAD)
            with self.assertRaisesRegex(InternalError, "no asynchronous functions"):
                result = rust_call(getattr(lib, f"ffi_nerith_uniffi_rust_future_complete_{suffix}"),
                                   0xDEAD)
                self.fail(f"complete_{suffix} returned {result!r}")
            getattr(lib, f"ffi_nerith_uniffi_rust_future_free_{suffix}")(0xDEAD)


class Buffers(unittest.TestCase):
    def test_alloc_zero_has_a_non_null_placeholder(self):
        buffer = rust_call(lib.ffi_nerith_uniffi_rustbuffer_alloc, 0)
        self.assertEqual((buffer.capacity, buffer.len), (0, 0))
        self.assertTrue(bool(buffer.data))  # Kotlin reads null as allocation failure
        free(buffer)

    def test_reserve_growth(self):
        for additional, capacity in ((6, 10), (7, 20), (30, 34)):
            buffer = rust_call(lib.ffi_nerith_uniffi_rustbuffer_alloc, 10)
            ctypes.memmove(ctypes.addressof(buffer.data.contents), b"tide", 4)
            buffer.len = 4
            grown = rust_call(lib.ffi_nerith_uniffi_rustbuffer_reserve, buffer, additional)
            self.assertEqual((grown.capacity, grown.len), (capacity, 4))
            self.assertEqual(consume(grown), b"tide")
        grown = rust_call(lib.ffi_nerith_uniffi_rustbuffer_reserve, RustBuffer(0, 0, None), 1)
        self.assertEqual(grown.capacity, 8)
        free(grown)

    def test_from_bytes_and_its_validation(self):
        data = b"\x00\x01\xfe"
        source = ctypes.create_string_buffer(data, len(data))
        foreign = ForeignBytes(len(data), ctypes.cast(source, ctypes.POINTER(ctypes.c_char)))
        self.assertEqual(consume(rust_call(lib.ffi_nerith_uniffi_rustbuffer_from_bytes, foreign)),
                         data)
        with self.assertRaisesRegex(InternalError, "^null ForeignBytes had non-zero length$"):
            rust_call(lib.ffi_nerith_uniffi_rustbuffer_from_bytes, ForeignBytes(3, None))
        foreign.len = -1
        with self.assertRaisesRegex(InternalError, r"^bytes length negative or overflowed: "
                                                   r"TryFromIntError\(\(\)\)$"):
            rust_call(lib.ffi_nerith_uniffi_rustbuffer_from_bytes, foreign)

    def test_malformed_buffers_are_refused(self):
        cases = ((RustBuffer(5, 0, None), "null RustBuffer had non-zero capacity"),
                 (RustBuffer(0, 3, None), "null RustBuffer had non-zero length"))
        for buffer, message in cases:
            with self.assertRaises(InternalError) as caught:
                free(buffer)
            self.assertEqual(str(caught.exception), message)
        with self.assertRaisesRegex(InternalError, "^capacity overflow$"):
            rust_call(lib.ffi_nerith_uniffi_rustbuffer_alloc, 1 << 63)


class Stations(unittest.TestCase):
    def test_list_holds_the_builtin_stations_brest_first(self):
        ports = list_ports()
        self.assertGreaterEqual(len(ports), 20)
        self.assertEqual(ports[0].id, "FR-BREST")
        self.assertTrue(all(p.id.startswith("FR-") for p in ports[:20]))
        self.assertEqual(len({p.id for p in ports}), len(ports))

    def test_search(self):
        self.assertEqual([p.id for p in search_ports("BREST")], ["FR-BREST"])
        self.assertEqual([p.id for p in search_ports("golfe du morbihan")],
                         ["FR-PORT-NAVALO", "FR-ARRADON"])
        self.assertEqual([p.id for p in search_ports("ÉTEL")], ["FR-ETEL"])
        self.assertEqual(search_ports(" brest"), [])
        everything = list_ports()
        self.assertEqual([p.id for p in search_ports("")][:20], [p.id for p in everything][:20])

    def test_get_port(self):
        brest = get_port("FR-BREST")
        self.assertIsNotNone(brest)
        self.assertEqual(len(brest.constituents), 13)
        self.assertTrue(brest.atlantic_coast)
        self.assertIsNone(get_port("fr-brest"))
        self.assertIsNone(get_port(""))

    def test_added_station_comes_back_exactly(self):
        port = new_port("Île-Tudy – quai ⚓")
        add_custom_port(port)
        self.assertEqual(get_port(port.id), port)
        self.assertIn(port, list_ports())
        self.assertEqual(search_ports(port.id.lower()), [port])
        with self.assertRaises(PortRejected) as caught:
            add_custom_port(port)
        self.assertEqual(caught.exception.message, f'DuplicateId("{port.id}")')

    def test_builtin_ids_are_rejected(self):
        with self.assertRaises(PortRejected) as caught:
            add_custom_port(dataclasses.replace(new_port(), id="FR-BREST"))
        self.assertEqual(caught.exception.message, 'DuplicateId("FR-BREST")')

    def test_a_station_without_constituents_is_accepted(self):
        port = new_port(constituents=[])
        add_custom_port(port)
        self.assertEqual(get_port(port.id), port)

    def test_unreadable_port_argument(self):
        builder = Builder()
        port = new_port()
        port.write(builder)
        builder.write(b"\x01\x02")  # two stray bytes after a valid Port
        with self.assertRaises(InternalError) as caught:
            rust_call(lib.uniffi_nerith_uniffi_fn_func_add_custom_port, builder.buffer,
                      error_lifter=lift_tide_error)
        self.assertEqual(str(caught.exception), "Failed to convert arg 'port': junk data left in "
                                                "buffer after lifting (count: 2)")
        self.assertIsNone(get_port(port.id))

        builder = Builder()
        builder.pack(">i", 2)
        builder.write(b"\xed\xa0")  # the start of a surrogate
        with self.assertRaises(InternalError) as caught:
            rust_call(lib.uniffi_nerith_uniffi_fn_func_add_custom_port, builder.buffer,
                      error_lifter=lift_tide_error)
        self.assertEqual(str(caught.exception), "Failed to convert arg 'port': invalid utf-8 "
                                                "sequence of 1 bytes from index 0")


class Predictions(unittest.TestCase):
    def test_height_at(self):
        height = height_at("FR-BREST", JAN_1_2026)
        self.assertIsInstance(height, float)
        self.assertLess(abs(height), 10)
        status = RustCallStatus(0, RustBuffer(0, 0, None))
        self.assertEqual(lib.uniffi_nerith_uniffi_fn_func_height_at(
            lower_string("XX"), 0, ctypes.byref(status)), 0.0)
        self.assertEqual(status.code, 1)
        self.assertEqual(consume(status.error_buf), bytes.fromhex("0000000100000002") + b"XX")
        with self.assertRaises(PortNotFound) as caught:
            height_at("FR-NOWHERE", JAN_1_2026)
        self.assertEqual(caught.exception.message, "FR-NOWHERE")

    def test_predict_day(self):
        day = predict_day("FR-BREST", "2026-01-01")
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
            predict_day("FR-BREST", "2026-13-01")
        self.assertEqual(caught.exception.message, "2026-13-01")
        with self.assertRaises(PortNotFound) as caught:
            predict_day("XX", "2026-13-01")
        self.assertEqual(caught.exception.message, "XX")

    def test_predict_range(self):
        days = predict_range("FR-BREST", "2026-01-30", "2026-02-01")
        self.assertEqual([d.date for d in days], ["2026-01-30", "2026-01-31", "2026-02-01"])
        self.assertEqual(days[1], predict_day("FR-BREST", "2026-01-31"))
        self.assertEqual([d.date for d in predict_range("FR-BREST", "2026-1-5", "2026-01-05")],
                         ["2026-01-05"])
        with self.assertRaises(InvalidDate) as caught:
            predict_range("FR-BREST", "2026-01-03", "2026-01-01")
        self.assertEqual(caught.exception.message, "2026-01-03 > 2026-01-01")
        with self.assertRaises(PortNotFound):
            predict_range("XX", "2026-01-01", "2026-01-02")

    def test_custom_station_is_predicted(self):
        port = new_port()
        add_custom_port(port)
        day = predict_day(port.id, "2026-06-21")
        self.assertEqual(len(day.heights), 145)
        # The day takes its nodal corrections at noon, the instant query at the
        # instant itself: the two agree closely, not exactly.
        self.assertAlmostEqual(day.heights[0].height, height_at(port.id, day.heights[0].time),
                               delta=1e-3)


class Threads(unittest.TestCase):
    def test_concurrent_adds_of_one_id(self):
        for _ in range(20):
            port = new_port()
            barrier = threading.Barrier(2)
            outcomes = []

            def add():
                barrier.wait()
                try:
                    add_custom_port(port)
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
        expected = predict_day("FR-BREST", "2026-03-10")
        failures = []

        def work():
            for _ in range(5):
                if predict_day("FR-BREST", "2026-03-10") != expected:
                    failures.append("predict_day")
                if search_ports("brest")[0].id != "FR-BREST":
                    failures.append("search_ports")
                add_custom_port(new_port())

        threads = [threading.Thread(target=work) for _ in range(6)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        self.assertEqual(failures, [])


if __name__ == "__main__":
    check_contract()
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
