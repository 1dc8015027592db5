#!/usr/bin/env python3
"""Compares the answers uniffi_answers printed on several targets, field by field.

The first file is the reference (glibc on x86-64); each other is a target,
given as class:label=file, its class one of CLASSES. Every answer is decoded
into its fields. Heights (of samples, of high and low waters, of height_at)
and times (of samples, extremes and water windows) may differ by at most
their class's bound; every other field (status, error, coefficients, texts,
station constants) must be identical. A height is a sum of terms as large as
the day's highest water, so it rounds as that does: a difference counts in
ulps of the largest height of its day (at least 1 m). Prints, per target, how
many answers, heights and times differ, by at most how many ulps of the
height itself and of its day's highest, in metres and in seconds; exits 1 on
anything beyond the class's bound. Usage:
compare_answers.py reference.txt glibc:arm64=arm64.txt musl:x86_64-musl=musl.txt ...
"""

import math
import struct
import sys


class Bound:
    """How far a class's heights (ulps of the day's highest) and times (s) may stray."""

    def __init__(self, heights, times, what):
        self.heights, self.times, self.what = heights, times, what


# One rule per platform class, each bound the largest difference measured
# over these calls (the README's exactness table).
CLASSES = {
    # glibc's libm on a CPU with fused multiply-add (x86-64, arm64), whatever
    # the compiler, C++ library or glibc version linked against: the same bits.
    "glibc": Bound(0, 0, "identical"),
    # glibc's libm on a CPU without fused multiply-add (armv7, old x86-64),
    # whose cos rounds the last bit otherwise now and then (measured: 1).
    "glibc-no-fma": Bound(4, 0, "within 4 ulps"),
    # The maths carried in the library, musl's and Zig's (musl, Windows,
    # WebAssembly): measured 5 ulps of the day's highest, 13 of the height.
    "musl": Bound(5, 0, "within 5 ulps"),
    # A platform against another that carries the same maths (Windows
    # against musl): the same bits.
    "same": Bound(0, 0, "identical"),
}


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


# Each field reader appends (path, kind, value) to the leaves, kind "height",
# "time" or None; value is the raw 64 bits for a double, the decoded value
# otherwise.
def scalar(fmt, kind=None):
    def read(r, path, leaves):
        leaves.append((path, kind, r.unpack(fmt)))
    return read


def f64(r, path, leaves):
    leaves.append((path, None, r.unpack("Q")))


def height(r, path, leaves):
    leaves.append((path, "height", r.unpack("Q")))


def string(r, path, leaves):
    leaves.append((path, None, r.take(r.unpack("i"))))


def record(*fields):
    def read(r, path, leaves):
        for name, field in fields:
            field(r, f"{path}.{name}", leaves)
    return read


def sequence(element):
    def read(r, path, leaves):
        count = r.unpack("i")
        leaves.append((path + ".count", None, count))
        for i in range(count):
            element(r, f"{path}[{i}]", leaves)
    return read


def optional(inner):
    def read(r, path, leaves):
        present = r.unpack("B")
        leaves.append((path + ".present", None, present))
        if present:
            inner(r, path, leaves)
    return read


def nothing(r, path, leaves):
    pass


i32, u8, boolean, time = scalar("i"), scalar("B"), scalar("B"), scalar("q", "time")
PORT = record(("id", string), ("name", string), ("latitude", f64), ("longitude", f64),
              ("mean_level", f64), ("atlantic_coast", boolean),
              ("constituents", sequence(record(("name", string), ("amplitude", f64),
                                               ("phase", f64)))))
FULL_PORT = record(("id", string), ("name", string), ("latitude", f64), ("longitude", f64),
                   ("mean_water_level", f64), ("coast", i32), ("timezone", string), ("gauge", i32))
DAY = record(("port_id", string), ("date", string),
             ("extremes", sequence(record(("time", time), ("height", height),
                                          ("is_high", boolean), ("coefficient", optional(u8))))),
             ("heights", sequence(record(("time", time), ("height", height)))))
WINDOW = record(("start", time), ("end", time), ("open_start", boolean), ("open_end", boolean))
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
    """What differs in one target's answers, against its class's bound."""

    def __init__(self, bound):
        self.bound, self.answers, self.faults = bound, [], []
        self.heights = self.changed = self.ulps = self.scaled_ulps = 0
        self.times = self.moved = self.seconds = 0
        self.metres = 0.0

    def height(self, name, path, ours, theirs, scale):
        self.changed += 1
        self.ulps = max(self.ulps, abs(ordered(ours) - ordered(theirs)))
        difference = abs(value(ours) - value(theirs))
        self.metres = max(self.metres, difference)
        scaled = difference / math.ulp(scale)
        self.scaled_ulps = max(self.scaled_ulps, scaled)
        if scaled > self.bound.heights:
            self.faults.append(f"{name}: {path or 'the height'} differs by {difference:.3g} m, "
                               f"{scaled:g} ulps of {scale:.3g} m")

    def time(self, name, path, ours, theirs):
        self.moved += 1
        self.seconds = max(self.seconds, abs(ours - theirs))
        if abs(ours - theirs) > self.bound.times:
            self.faults.append(f"{name}: {path} differs by {abs(ours - theirs)} s")


def compare(reference, target, bound):
    """The Tally of one target against the reference."""
    tally = Tally(bound)
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
        tally.heights += sum(kind == "height" for _, kind, _ in ours)
        tally.times += sum(kind == "time" for _, kind, _ in ours)
        if result == t_result:
            continue
        changed_before, moved_before = tally.changed, tally.moved
        theirs = leaves_of(call[0], call[1], t_result)
        if [(p, k) for p, k, _ in ours] != [(p, k) for p, k, _ in theirs]:
            tally.faults.append(f"{name}: the answers have different shapes")
            continue
        scales = {}
        for path, kind, bits in ours:
            if kind == "height":
                scales[day_of(path)] = max(scales.get(day_of(path), 1.0), abs(value(bits)))
        for (path, kind, bits), (_, _, t_bits) in zip(ours, theirs):
            if bits == t_bits:
                continue
            if kind == "height":
                tally.height(name, path, bits, t_bits, scales[day_of(path)])
            elif kind == "time":
                tally.time(name, path, bits, t_bits)
            else:
                tally.faults.append(f"{name}: {path} differs ({bits!r} against {t_bits!r})")
        tally.answers.append(f"{name} ({tally.changed - changed_before} heights, "
                             f"{tally.moved - moved_before} times)")
    return tally


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    reference = load(sys.argv[1])
    failed = []
    for argument in sys.argv[2:]:
        target, path = argument.split("=", 1)
        kind, _, label = target.partition(":")
        if kind not in CLASSES or not label:
            raise SystemExit(f"{argument}: not class:label=file, class one of {', '.join(CLASSES)}")
        bound = CLASSES[kind]
        tally = compare(reference, load(path), bound)
        print(f"{label} ({kind}, {bound.what}): {len(tally.answers)} of {len(reference)} answers "
              f"differ; {tally.changed} of {tally.heights} heights, by at most {tally.ulps} ulps "
              f"of the height, {tally.scaled_ulps:g} of the day's highest, {tally.metres:.2g} m; "
              f"{tally.moved} of {tally.times} times, by at most {tally.seconds} s")
        for name in tally.answers:
            print(f"  differs: {name}")
        for fault in tally.faults:
            print(f"  FAULT: {fault}")
        if tally.faults:
            failed.append(label)
    if failed:
        raise SystemExit(f"answers beyond their class's bound: {', '.join(failed)}")


if __name__ == "__main__":
    main()
