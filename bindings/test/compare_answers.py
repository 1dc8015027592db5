#!/usr/bin/env python3
"""Compares the answers uniffi_answers printed on several targets, field by field.

The first file is the reference; each other is a target, given as
label=file. Every answer is decoded into its fields; heights (of samples,
of high and low waters, of height_at) may differ by a few units in the last
place, every other field (status, error, times, coefficients, texts, station
constants) must be identical. A height is a sum of terms as large as the
day's highest water, so it rounds as that does: a difference counts in ulps
of the largest height of its day (at least 1 m), at most MAX_ULPS. Prints,
per target, how many answers and heights differ, by at most how many ulps
of the height itself and of its day's highest, and in metres; exits 1 on
any other difference. Usage:
compare_answers.py reference.txt arm64=arm64.txt armv7=armhf.txt ...
"""

import math
import struct
import sys

MAX_ULPS = 4


class Reader:
    """A big-endian cursor over one answer's bytes."""

    def __init__(self, data):
        self.data, self.at = data, 0

    def take(self, count):
        if self.at + count > len(self.data):
            raise ValueError("answer shorter than its encoding")
        piece = self.data[self.at:self.at + count]
        self.at += count
        return piece

    def unpack(self, fmt):
        return struct.unpack(">" + fmt, self.take(struct.calcsize(">" + fmt)))[0]


# Each field reader appends (path, is_height, value) to the leaves; value is
# the raw 64 bits for a double, the decoded value otherwise.
def scalar(fmt):
    def read(r, path, leaves):
        leaves.append((path, False, r.unpack(fmt)))
    return read


def f64(r, path, leaves):
    leaves.append((path, False, r.unpack("Q")))


def height(r, path, leaves):
    leaves.append((path, True, r.unpack("Q")))


def string(r, path, leaves):
    leaves.append((path, False, r.take(r.unpack("i"))))


def record(*fields):
    def read(r, path, leaves):
        for name, field in fields:
            field(r, f"{path}.{name}", leaves)
    return read


def sequence(element):
    def read(r, path, leaves):
        count = r.unpack("i")
        leaves.append((path + ".count", False, count))
        for i in range(count):
            element(r, f"{path}[{i}]", leaves)
    return read


def optional(inner):
    def read(r, path, leaves):
        present = r.unpack("B")
        leaves.append((path + ".present", False, present))
        if present:
            inner(r, path, leaves)
    return read


def nothing(r, path, leaves):
    pass


i32, i64, u8, boolean = scalar("i"), scalar("q"), scalar("B"), scalar("B")
PORT = record(("id", string), ("name", string), ("latitude", f64), ("longitude", f64),
              ("mean_level", f64), ("atlantic_coast", boolean),
              ("constituents", sequence(record(("name", string), ("amplitude", f64),
                                               ("phase", f64)))))
FULL_PORT = record(("id", string), ("name", string), ("latitude", f64), ("longitude", f64),
                   ("mean_water_level", f64), ("coast", i32), ("timezone", string), ("gauge", i32))
DAY = record(("port_id", string), ("date", string),
             ("extremes", sequence(record(("time", i64), ("height", height),
                                          ("is_high", boolean), ("coefficient", optional(u8))))),
             ("heights", sequence(record(("time", i64), ("height", height)))))
WINDOW = record(("start", i64), ("end", i64), ("open_start", boolean), ("open_end", boolean))
KINDS = {"list": lambda station: sequence(station), "search": lambda station: sequence(station),
         "get": lambda station: optional(station), "height": lambda station: height,
         "day": lambda station: DAY, "range": lambda station: sequence(DAY),
         "windows": lambda station: sequence(WINDOW), "add": lambda station: nothing}
STATIONS = {"builtin": PORT, "full": FULL_PORT}


def load(path):
    answers = []
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            library, kind, label, code, result, error = line.rstrip("\n").split("\t")
            answers.append(((library, kind, label), int(code), bytes.fromhex(result),
                            bytes.fromhex(error)))
    if not answers:
        raise SystemExit(f"{path}: no answers")
    return answers


def leaves_of(library, kind, result):
    reader, leaves = Reader(result), []
    KINDS[kind](STATIONS[library])(reader, "", leaves)
    if reader.at != len(result):
        raise ValueError("bytes left after the answer")
    return leaves


def ordered(bits):
    """The double's bits as an integer that counts ulps through zero."""
    return -(bits & 0x7FFFFFFFFFFFFFFF) if bits >> 63 else bits


def value(bits):
    return struct.unpack(">d", struct.pack(">Q", bits))[0]


def day_of(path):
    """The day of a range a field belongs to ("[3]"), or "" for one day."""
    return path.split(".")[0] if path.startswith("[") else ""


class Tally:
    """What differs in one target's answers."""

    def __init__(self):
        self.answers, self.faults = [], []
        self.heights = self.changed = self.ulps = self.scaled_ulps = 0
        self.metres = 0.0

    def height(self, name, path, ours, theirs, scale):
        self.changed += 1
        self.ulps = max(self.ulps, abs(ordered(ours) - ordered(theirs)))
        difference = abs(value(ours) - value(theirs))
        self.metres = max(self.metres, difference)
        scaled = difference / math.ulp(scale)
        self.scaled_ulps = max(self.scaled_ulps, scaled)
        if scaled > MAX_ULPS:
            self.faults.append(f"{name}: {path or 'the height'} differs by {difference:.3g} m, "
                               f"{scaled:g} ulps of {scale:.3g} m")


def compare(reference, target):
    """The Tally of one target against the reference."""
    tally = Tally()
    if [a[0] for a in reference] != [a[0] for a in target]:
        tally.faults.append("the calls differ: not the same program")
        return tally
    for (call, code, result, error), (_, t_code, t_result, t_error) in zip(reference, target):
        name = " ".join(call)
        if (code, error) != (t_code, t_error):
            tally.faults.append(f"{name}: status or error differs")
            continue
        if code != 0:
            continue
        ours = leaves_of(call[0], call[1], result)
        tally.heights += sum(is_height for _, is_height, _ in ours)
        if result == t_result:
            continue
        changed_before = tally.changed
        theirs = leaves_of(call[0], call[1], t_result)
        if [(p, h) for p, h, _ in ours] != [(p, h) for p, h, _ in theirs]:
            tally.faults.append(f"{name}: the answers have different shapes")
            continue
        scales = {}
        for path, is_height, bits in ours:
            if is_height:
                scales[day_of(path)] = max(scales.get(day_of(path), 1.0), abs(value(bits)))
        for (path, is_height, bits), (_, _, t_bits) in zip(ours, theirs):
            if bits == t_bits:
                continue
            if is_height:
                tally.height(name, path, bits, t_bits, scales[day_of(path)])
            else:
                tally.faults.append(f"{name}: {path} differs ({bits!r} against {t_bits!r})")
        tally.answers.append(f"{name} ({tally.changed - changed_before} heights)")
    return tally


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    reference = load(sys.argv[1])
    failed = False
    for argument in sys.argv[2:]:
        label, path = argument.split("=", 1)
        tally = compare(reference, load(path))
        print(f"{label}: {len(tally.answers)} of {len(reference)} answers differ; "
              f"{tally.changed} of {tally.heights} heights, by at most {tally.ulps} ulps of the "
              f"height, {tally.scaled_ulps:g} of the day's highest, {tally.metres:.2g} m")
        for name in tally.answers:
            print(f"  differs: {name}")
        for fault in tally.faults:
            print(f"  FAULT: {fault}")
        failed = failed or bool(tally.faults)
    if failed:
        raise SystemExit(f"answers differ beyond {MAX_ULPS} ulps of a height")


if __name__ == "__main__":
    main()
