#!/usr/bin/env python3
"""Writes the seed corpus of the five harnesses into fuzz/corpus/<harness>/.

add_custom_port reads its input as a Port encoding. The buffer and query
harnesses (buffers and queries for libnerith_uniffi.so, full_buffers and
full_queries for libnerith_full_uniffi.so) read theirs through libFuzzer's
FuzzedDataProvider: texts from the front (a backslash followed by another
byte ends a text; two backslashes stand for one), integers from the back,
read backwards. Usage: make_seeds.py [corpus directory]
"""

import math
import pathlib
import struct
import sys

CORPUS = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent / "corpus")


class Provider:
    """Lays out what a FuzzedDataProvider is to read, in reading order."""

    def __init__(self):
        self.front = b""
        self.back = []  # integers' bytes, in the order they are consumed

    def text(self, value):
        data = value.encode() if isinstance(value, str) else value
        self.front += data.replace(b"\\", b"\\\\") + b"\\;"
        return self

    def bytes(self, data):
        self.front += data
        return self

    def ranged(self, value, lowest, highest):
        """ConsumeIntegralInRange(lowest, highest) answering value: as many
        bytes as the range needs (none for a range of one value)."""
        width = math.ceil((highest - lowest).bit_length() / 8)
        # Read backwards from the end, most significant byte first: stored little-endian.
        self.back.append((value - lowest).to_bytes(width, "little"))
        return self

    def choice(self, value, highest):
        return self.ranged(value, 0, highest)

    def integer(self, value, width, signed=False):
        """ConsumeIntegral of a width-byte type answering value."""
        lowest = -(1 << (8 * width - 1)) if signed else 0
        return self.ranged(value, lowest, lowest + (1 << (8 * width)) - 1)

    def data(self):
        return self.front + b"".join(reversed(self.back))


def string(text):
    data = text.encode()
    return struct.pack(">i", len(data)) + data


def port(id, name, constituents, atlantic=1, numbers=(48.38, -4.5, 4.1)):
    out = string(id) + string(name) + struct.pack(">ddd", *numbers) + bytes([atlantic])
    out += struct.pack(">i", len(constituents))
    for constituent, amplitude, phase in constituents:
        out += string(constituent) + struct.pack(">dd", amplitude, phase)
    return out


CONSTITUENTS = [("M2", 2.05, 110.0), ("S2", 0.75, 150.0), ("N2", 0.42, 92.0), ("K2", 0.21, 148.0),
                ("K1", 0.07, 75.0), ("O1", 0.07, 330.0), ("P1", 0.02, 70.0), ("Q1", 0.02, 285.0),
                ("M4", 0.05, 100.0), ("MS4", 0.03, 160.0), ("MN4", 0.02, 80.0), ("M6", 0.01, 10.0),
                ("2MS6", 0.01, 60.0)]


def add_custom_port_seeds():
    inf, nan = float("inf"), float("nan")
    return {
        "thirteen_constituents": port("SEED-FULL", "Port d'essai", CONSTITUENTS),
        "two_constituents": port("SEED-TWO", "Île-Tudy", CONSTITUENTS[:2], atlantic=0),
        "no_constituents": port("SEED-BARE", "", []),
        "unknown_and_repeated_names": port("SEED-ODD", "x", [("Z9", 1.0, 0.0), ("M2", 1.0, 0.0),
                                                            ("M2", -1.0, 720.0)]),
        "non_finite_numbers": port("SEED-NAN", "NaN", [("M2", nan, inf), ("S2", inf, 0.0)],
                                   numbers=(nan, inf, -inf)),
        "huge_numbers": port("SEED-HUGE", "big", [("M2", 1e308, -1e308), ("K1", 5e-324, 1e300)],
                             numbers=(1e308, -1e308, 1e308)),
        "builtin_id": port("FR-BREST", "Brest", CONSTITUENTS[:1]),
        "empty_id": port("", "unnamed", CONSTITUENTS[:1]),
        "truncated": port("SEED-CUT", "cut", CONSTITUENTS[:2])[:-5],
        "trailing_bytes": port("SEED-TAIL", "tail", CONSTITUENTS[:1]) + b"\x00\x01",
        "bad_boolean": port("SEED-BOOL", "b", [], atlantic=2),
        "bad_utf8": struct.pack(">i", 2) + b"\xed\xa0" + string("n"),
        "negative_length": b"\xff\xff\xff\xff",
    }


def buffers_seeds():
    # Operations: 0 alloc, 1 from_bytes, 2 reserve, 3 free, 4 empty buffers,
    # 5 refuse free, 6 refuse reserve, 7 write.
    U64 = (1 << 64) - 1

    def op(p, n):
        return p.choice(n, 7)

    def size(p, kind, value):
        """A size: 0 small, 1 up to 1 MiB, 2 from 2^63 - 1, 3 from u64 max down."""
        p.choice(kind, 3)
        if kind == 0:
            return p.choice(value, 64)
        if kind == 1:
            return p.choice(value, 1 << 20)
        if kind == 2:
            return p.choice(value, 2)
        return p.integer(value, 1)

    def pick(p, live, index=0, shorten=None):
        p.choice(index, live - 1).integer(0 if shorten is None else 1, 1)
        return p if shorten is None else p.ranged(shorten[0], 0, shorten[1])

    seeds = {}
    p = Provider()
    size(op(p, 0), 0, 5)  # alloc(5)
    op(p, 7).choice(0, 0).bytes(b"tide!")  # write into it
    size(pick(op(p, 2), 1), 0, 3)  # reserve 3: room enough
    size(pick(op(p, 2), 1, shorten=(2, 5)), 1, 100)  # length 2, reserve 100
    pick(op(p, 3), 1)  # free
    seeds["alloc_write_reserve_free"] = p.data()

    p = Provider()
    op(p, 1).choice(4, 256).bytes(b"\x00\x01\xfe\xff").integer(1, 1).integer(4, 4, signed=True)
    op(p, 1).choice(0, 256).integer(0, 1).integer(3, 4, signed=True)  # null data, length 3
    op(p, 1).choice(2, 256).bytes(b"ab").integer(1, 1).integer(-1, 4, signed=True)
    op(p, 1).choice(0, 256).integer(0, 1).integer(0, 4, signed=True)  # null data, length 0
    seeds["from_bytes"] = p.data()

    p = Provider()
    size(op(p, 4).integer(1, 1).integer(0, 1), 0, 1)  # reserve the all-zero buffer by 1
    op(p, 4).integer(0, 1).integer(1, 1)  # free the empty placeholder buffer
    size(op(p, 0), 2, 1)  # alloc(2^63): capacity overflow
    size(op(p, 0), 0, 10)  # alloc(10)
    size(pick(op(p, 2), 2, index=1), 3, 0)  # reserve u64 max
    seeds["overflow"] = p.data()

    p = Provider()
    size(op(p, 0), 0, 4)
    op(p, 5).choice(0, 2).ranged(5, 1, U64).integer(0, 8)  # null data, capacity 5
    op(p, 5).choice(1, 2).ranged(3, 1, U64)  # null data, length 3
    op(p, 6).choice(2, 2).choice(0, 0).ranged(5, 5, U64).integer(1, 8)  # length > capacity
    seeds["malformed"] = p.data()
    return seeds


# Query operations: 0 get, 1 height_at, 2 predict_day, 3 predict_range,
# 4 search, 5 water_windows (the full library only). Argument kinds: 0 all-zero, 1 alloc(0), 2 reserve-built,
# 3 shortened, 4..6 malformed, 7..9 from_bytes.
def call(p, op):
    return p.choice(op, 5)


def arg(p, text, kind=9):
    return p.text(text).choice(kind, 9)


def malformed_queries():
    p = Provider()
    arg(call(p, 0), "", 4).ranged(3, 1, 1 << 20)
    arg(call(p, 4), "FR", 6).ranged(1, 1, 1 << 20)
    arg(call(p, 1), "FR-BREST", 5).ranged(8, 1, 1 << 20).integer(0, 8).integer(0, 8, signed=True)
    return p.data()


def queries_seeds():
    seeds = {}
    p = Provider()
    arg(call(p, 0), "FR-BREST")
    arg(call(p, 0), "fr-brest")
    arg(call(p, 0), "", 0)
    seeds["get_port"] = p.data()

    p = Provider()
    arg(call(p, 1), "FR-BREST").integer(1773100800, 8, signed=True)
    arg(call(p, 1), "XX").integer(-(1 << 63), 8, signed=True)
    seeds["height_at"] = p.data()

    p = Provider()
    arg(arg(call(p, 2), "FR-BREST"), "2026-03-10")
    arg(arg(call(p, 2), "FR-ETEL", 2).choice(8, 16), "2024-2-29")
    arg(arg(call(p, 2), "FR-BREST"), "2026-13-01")
    arg(arg(call(p, 2), "FR-DIEPPE", 3).ranged(9, 0, 9), "+2147483647-12-31")
    seeds["predict_day"] = p.data()

    p = Provider()
    arg(call(p, 3).text("2024-02-28").text("2024-03-01"), "FR-ROSCOFF").choice(1, 15)
    arg(call(p, 3).text("2026-01-03").text("2026-01-01"), "FR-BREST").choice(1, 15)
    arg(call(p, 3).text("0000-12-31").text("0001-01-01"), "").choice(1, 15)
    arg(call(p, 3).text("0000-12-31").text("0001-01-01"), "").choice(0, 15)
    seeds["predict_range"] = p.data()

    p = Provider()
    for query in ("étel", "BREST", "golfe du morbihan", "İzmir"):
        arg(call(p, 4), query)
    arg(call(p, 4), "", 1)
    seeds["search_ports"] = p.data()
    seeds["malformed"] = malformed_queries()
    return seeds


def full_queries_seeds():
    """The full model's real calls in the three shapes of its queries: a text
    (get, search), a station and an instant (height_at), a station and dates
    (predict_day, predict_range)."""
    seeds = {}
    p = Provider()
    arg(call(p, 0), "FR-LE-CONQUET")
    arg(call(p, 0), "FR-PAPEETE", 2).choice(3, 16)
    arg(call(p, 0), "fr-marseille")
    for query in ("saint", "MARSEILLE", "île", ""):
        arg(call(p, 4), query)
    seeds["text"] = p.data()

    p = Provider()
    arg(call(p, 1), "FR-PAPEETE").integer(1710028800, 8, signed=True)
    arg(call(p, 1), "FR-SAINT-MALO").integer(-(1 << 63), 8, signed=True)
    arg(call(p, 1), "FR-NICE", 3).ranged(4, 0, 7).integer((1 << 63) - 1, 8, signed=True)
    seeds["station_and_instant"] = p.data()

    p = Provider()
    arg(arg(call(p, 2), "FR-BREST"), "2024-03-10")
    arg(arg(call(p, 2), "FR-MARSEILLE", 1), "2024-02-29")
    arg(arg(call(p, 2), "FR-PAPEETE"), "2024-02-30")
    arg(arg(call(p, 2), "FR-LE-CONQUET"), "-0001-01-01")
    arg(call(p, 3).text("2024-03-11").text("2024-03-12"), "FR-ROSCOFF").choice(1, 15)
    arg(call(p, 3).text("2024-03-12").text("2024-03-11"), "FR-BREST").choice(1, 15)
    arg(call(p, 3).text("2024-12-31").text("2025-01-01"), "FR-PAPEETE").choice(0, 15)
    seeds["station_and_dates"] = p.data()

    # Water windows: dates, a station, then the level (a flag, then a fraction
    # of -2..12 m or a double's bits) and the side (1 above, 2 below, 0 bytes).
    def windows(p, first, last, station, level_bits, side, side_text=None):
        arg(call(p, 5).text(first).text(last), station)
        p.integer(0, 1).integer(level_bits, 8).choice(side, 2)
        return p if side_text is None else p.text(side_text)

    p = Provider()
    fraction = int((8.5 + 2) / 14 * ((1 << 64) - 1))
    arg(call(p, 5).text("2024-03-11").text("2024-03-12"), "FR-SAINT-MALO")
    p.integer(1, 1).integer(fraction, 8).choice(1, 2)
    windows(p, "2024-03-11", "2024-03-11", "FR-BREST", struct.unpack(">Q", struct.pack(">d", 20.0))[0], 2)
    windows(p, "2024-03-11", "2024-03-11", "FR-BREST", 0x7FF8000000000000, 1)
    windows(p, "2024-03-11", "2024-03-11", "FR-BREST", 0, 0, "\x00\x00\x00\x03")
    seeds["water_windows"] = p.data()
    seeds["malformed"] = malformed_queries()
    return seeds


def main():
    harnesses = (("add_custom_port", add_custom_port_seeds()), ("buffers", buffers_seeds()),
                 ("queries", queries_seeds()), ("full_buffers", buffers_seeds()),
                 ("full_queries", full_queries_seeds()))
    for harness, seeds in harnesses:
        folder = CORPUS / harness
        folder.mkdir(parents=True, exist_ok=True)
        for name, data in seeds.items():
            (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
