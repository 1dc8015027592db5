#!/usr/bin/env python3
"""Recomputes the checksums of an interface definition and compares them with a library's.

The UniFFI binding generator 0.28 (contract 26) checksums each function of an
interface definition: SipHash-1-3 with a zero key over the function's
description (name, module path, async flag, arguments with their types, result
type, error type, checksum symbol), keeping the low 16 bits. Kotlin and Swift
bindings refuse to load a library whose checksums differ. This test catches an
edit to the interface definition that was not carried over to the library.

Usage: checksum_test.py path/to/<stem>.udl <crate> [path/to/lib<crate>.so]
Without a library it prints the checksums, one "name value" line per function.
"""

import ctypes
import re
import struct
import sys
import unittest

MASK = (1 << 64) - 1


def _rotate(x, bits):
    return ((x << bits) | (x >> (64 - bits))) & MASK


def siphash(data: bytes, k0=0, k1=0, c=1, d=3) -> int:
    """SipHash-c-d; the generator uses SipHash-1-3 with a zero key."""
    v = [k0 ^ 0x736F6D6570736575, k1 ^ 0x646F72616E646F6D,
         k0 ^ 0x6C7967656E657261, k1 ^ 0x7465646279746573]

    def sip_round():
        v[0] = (v[0] + v[1]) & MASK; v[1] = _rotate(v[1], 13) ^ v[0]; v[0] = _rotate(v[0], 32)
        v[2] = (v[2] + v[3]) & MASK; v[3] = _rotate(v[3], 16) ^ v[2]
        v[0] = (v[0] + v[3]) & MASK; v[3] = _rotate(v[3], 21) ^ v[0]
        v[2] = (v[2] + v[1]) & MASK; v[1] = _rotate(v[1], 17) ^ v[2]; v[2] = _rotate(v[2], 32)

    def compress(word):
        v[3] ^= word
        for _ in range(c):
            sip_round()
        v[0] ^= word

    whole = len(data) - len(data) % 8
    for at in range(0, whole, 8):
        compress(struct.unpack_from("<Q", data, at)[0])
    last = (len(data) & 0xFF) << 56
    for i, byte in enumerate(data[whole:]):
        last |= byte << (8 * i)
    compress(last)
    v[2] ^= 0xFF
    for _ in range(d):
        sip_round()
    return v[0] ^ v[1] ^ v[2] ^ v[3]


# How the generator feeds a description to the hasher.
def text(value: str) -> bytes:
    return value.encode() + b"\xff"


def u64(value: int) -> bytes:
    return struct.pack("<Q", value)


def optional(encoded) -> bytes:
    return u64(0) if encoded is None else u64(1) + encoded


PRIMITIVES = {"u8": 0, "i8": 1, "u16": 2, "i16": 3, "u32": 4, "i32": 5, "u64": 6, "i64": 7,
              "f32": 8, "f64": 9, "boolean": 10, "string": 11}
RECORD, ENUM, OPTIONAL, SEQUENCE = 16, 17, 19, 20


def parse_udl(source: str, crate: str):
    """The checksum of each function of the namespace, by name, in declaration order."""
    source = re.sub(r"//[^\n]*", "", source)
    records = set(re.findall(r"dictionary\s+(\w+)", source))
    enums = set(re.findall(r"enum\s+(\w+)", source))

    def type_bytes(spelling: str) -> bytes:
        spelling = spelling.strip()
        if spelling.endswith("?"):
            return u64(OPTIONAL) + type_bytes(spelling[:-1])
        sequence = re.fullmatch(r"sequence<(.+)>", spelling)
        if sequence:
            return u64(SEQUENCE) + type_bytes(sequence.group(1))
        if spelling in PRIMITIVES:
            return u64(PRIMITIVES[spelling])
        if spelling in records:
            return u64(RECORD) + text(crate) + text(spelling)
        if spelling in enums:
            return u64(ENUM) + text(crate) + text(spelling)
        raise ValueError(f"type {spelling!r} is not handled by this test")

    namespace = re.search(r"namespace\s+\w+\s*\{(.*?)\};", source, re.S).group(1)
    functions = {}
    pattern = r"(?:\[Throws=(\w+)\]\s*)?([\w<>?]+)\s+(\w+)\s*\(([^)]*)\)\s*;"
    for throws, result, name, arguments in re.findall(pattern, namespace):
        described = text(name) + text(crate) + b"\x00"  # not async
        arguments = [a.strip() for a in arguments.split(",") if a.strip()]
        described += u64(len(arguments))
        for argument in arguments:
            spelling, argument_name = argument.rsplit(None, 1)
            # name, type, by_ref, optional, no default
            described += text(argument_name) + type_bytes(spelling) + b"\x00\x00" + u64(0)
        described += optional(None if result == "void" else type_bytes(result))
        described += optional(type_bytes(throws) if throws else None)
        described += text(f"uniffi_{crate}_checksum_func_{name}")
        functions[name] = siphash(described) & 0xFFFF
    return functions


class Checksums(unittest.TestCase):
    def test_the_library_answers_the_checksums_of_its_interface_definition(self):
        with open(UDL_PATH, encoding="utf-8") as udl:
            expected = parse_udl(udl.read(), CRATE)
        self.assertGreater(len(expected), 0)
        library = ctypes.CDLL(LIBRARY_PATH)
        for name, value in expected.items():
            checksum = getattr(library, f"uniffi_{CRATE}_checksum_func_{name}")
            checksum.restype = ctypes.c_uint16
            self.assertEqual(checksum(), value, name)

    def test_a_checksum_covers_the_crate_the_names_and_the_types(self):
        udl = """namespace n {
          [Throws=E] f64 height_at(string port_id, i64 timestamp);
          R? get(string id);
        };
        dictionary R { string id; };
        [Error] enum E { "A" };"""
        base = parse_udl(udl, "one_crate")
        self.assertEqual(list(base), ["height_at", "get"])
        # Each change must move the checksum of the function it touches.
        changes = (("another_crate", "port_id", "port_id", "height_at"),
                   ("one_crate", "port_id", "gauge_id", "height_at"),
                   ("one_crate", "i64 timestamp", "i32 timestamp", "height_at"),
                   ("one_crate", "[Throws=E] ", "", "height_at"),
                   ("one_crate", "R?", "R", "get"))
        for crate, old, new, function in changes:
            changed = parse_udl(udl.replace(old, new), crate)
            self.assertNotEqual(changed[function], base[function], (crate, old, new))

    def test_siphash_reference_vectors(self):
        # The SipHash-2-4 vectors of its authors: key 00 01 .. 0f, messages 00 01 .. n-1.
        k0, k1 = struct.unpack("<QQ", bytes(range(16)))
        self.assertEqual(siphash(b"", k0, k1, 2, 4), 0x726FDB47DD0E0E31)
        self.assertEqual(siphash(bytes(range(15)), k0, k1, 2, 4), 0xA129CA6149BE45E5)


if __name__ == "__main__":
    UDL_PATH, CRATE = sys.argv[1], sys.argv[2]
    if len(sys.argv) == 3:
        with open(UDL_PATH, encoding="utf-8") as udl_file:
            for function, checksum_value in parse_udl(udl_file.read(), CRATE).items():
                print(function, checksum_value)
        sys.exit(0)
    LIBRARY_PATH = sys.argv[3]
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2)
