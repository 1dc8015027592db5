#!/usr/bin/env python3
"""Reads calendars that nerith wrote with a real iCalendar parser.

usage: ics_check.py [--venv DIR] FILE.ics...

Installs the pinned parser (requirements-ics.txt) into DIR on first use
(build/ics-venv by default) and runs itself there. Checks each file's lines
(CRLF, at most 75 octets), that every event has a unique UID, a DTSTAMP, and a
UTC DTSTART and DTEND written with Z, and that the parser reads each SUMMARY
and DESCRIPTION as the text nerith escaped, also after writing the calendar
out again. Prints one line per file; exits 1 at any problem.
"""
import argparse
import hashlib
import os
import pathlib
import subprocess
import sys
import venv

HERE = pathlib.Path(__file__).resolve().parent
REQUIREMENTS = HERE / "requirements-ics.txt"
DEFAULT_VENV = HERE.parents[1] / "build" / "ics-venv"


def venv_python(directory):
    return directory / "bin" / "python"


def ensure_venv(directory):
    """Creates the venv, or reinstalls when the pinned requirements changed."""
    wanted = hashlib.sha256(REQUIREMENTS.read_bytes()).hexdigest()
    stamp = directory / "requirements.sha256"
    if stamp.exists() and stamp.read_text() == wanted and venv_python(directory).exists():
        return
    venv.EnvBuilder(clear=True, with_pip=True).create(directory)
    subprocess.run([str(venv_python(directory)), "-m", "pip", "install", "--quiet",
                    "--disable-pip-version-check", "--require-hashes", "-r", str(REQUIREMENTS)],
                   check=True)
    stamp.write_text(wanted)


def unfold(raw):
    return raw.replace("\r\n ", "").replace("\r\n\t", "")


def unescape(value):
    out, i = [], 0
    while i < len(value):
        if value[i] == "\\" and i + 1 < len(value):
            out.append("\n" if value[i + 1] in "nN" else value[i + 1])
            i += 2
        else:
            out.append(value[i])
            i += 1
    return "".join(out)


def raw_properties(text, name):
    """The values of every content line called `name`, in order."""
    prefix = name + ":"
    return [line[len(prefix):] for line in unfold(text).split("\r\n") if line.startswith(prefix)]


def check(path):
    import datetime
    import icalendar

    problems = []
    data = pathlib.Path(path).read_bytes()
    text = data.decode("utf-8")
    if not text.endswith("\r\n") or "\n" in text.replace("\r\n", ""):
        problems.append("lines must end with CRLF")
    for number, line in enumerate(data.split(b"\r\n"), 1):
        if len(line) > 75:
            problems.append(f"line {number} is {len(line)} octets long")

    calendar = icalendar.Calendar.from_ical(text)
    if str(calendar.get("VERSION")) != "2.0" or not calendar.get("PRODID"):
        problems.append("VERSION:2.0 and PRODID are required")
    events = list(calendar.walk("VEVENT"))
    uids = [str(event.get("UID")) for event in events]
    if len(set(uids)) != len(uids):
        problems.append("UIDs repeat")
    for value in raw_properties(text, "DTSTART") + raw_properties(text, "DTEND"):
        if not value.endswith("Z"):
            problems.append(f"{value} is not written in UTC")
    for event in events:
        start, end = event.decoded("DTSTART"), event.decoded("DTEND")
        if start.utcoffset() != datetime.timedelta(0) or end < start:
            problems.append(f"{event.get('UID')}: DTSTART {start} DTEND {end}")
        if event.get("DTSTAMP") is None:
            problems.append(f"{event.get('UID')}: no DTSTAMP")

    # What the parser reads is what was escaped, before and after rewriting.
    again = list(icalendar.Calendar.from_ical(calendar.to_ical()).walk("VEVENT"))
    for name in ["SUMMARY", "DESCRIPTION"]:
        written = [unescape(value) for value in raw_properties(text, name)]
        for parsed in (events, again):
            read = [str(event.get(name)) for event in parsed]
            if read != written:
                problems.append(f"{name} reads {read[:2]}..., written {written[:2]}...")
    for problem in problems:
        print(f"{path}: {problem}")
    if not problems:
        print(f"{path}: {len(events)} events, ok")
    return not problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--venv", type=pathlib.Path, default=DEFAULT_VENV)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    directory = args.venv.resolve()
    if pathlib.Path(sys.prefix).resolve() != directory:
        ensure_venv(directory)
        os.execv(str(venv_python(directory)),
                 [str(venv_python(directory)), __file__, "--venv", str(directory), *args.files])
    sys.exit(0 if all([check(path) for path in args.files]) else 1)


if __name__ == "__main__":
    main()
