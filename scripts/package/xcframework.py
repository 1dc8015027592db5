#!/usr/bin/env python3
"""Lays out one library's XCFramework for macOS and checks it.

  xcframework.py make OUT.xcframework UNIVERSAL.dylib HEADER MODULEMAP
      OUT/macos-arm64_x86_64/ holds the universal dylib and Headers/ (the
      generated C header and its module map); OUT/Info.plist names that one
      slice, its architectures and platform.
  xcframework.py check OUT.xcframework LIPO
      reads Info.plist back and checks every slice it names: the library and
      headers exist, and LIPO finds in the library exactly the architectures
      the plist states.
"""

import pathlib
import plistlib
import shutil
import subprocess
import sys

ARCHITECTURES = ["arm64", "x86_64"]
IDENTIFIER = "macos-" + "_".join(ARCHITECTURES)


def make(out, dylib, header, modulemap):
    out = pathlib.Path(out)
    shutil.rmtree(out, ignore_errors=True)
    slice_dir = out / IDENTIFIER
    (slice_dir / "Headers").mkdir(parents=True)
    shutil.copy(dylib, slice_dir / pathlib.Path(dylib).name)
    shutil.copy(header, slice_dir / "Headers" / pathlib.Path(header).name)
    shutil.copy(modulemap, slice_dir / "Headers" / "module.modulemap")
    plist = {
        "AvailableLibraries": [{
            "LibraryIdentifier": IDENTIFIER,
            "LibraryPath": pathlib.Path(dylib).name,
            "HeadersPath": "Headers",
            "SupportedArchitectures": ARCHITECTURES,
            "SupportedPlatform": "macos",
        }],
        "CFBundlePackageType": "XFWK",
        "XCFrameworkFormatVersion": "1.0",
    }
    with open(out / "Info.plist", "wb") as f:
        plistlib.dump(plist, f)


def check(out, lipo):
    out = pathlib.Path(out)
    with open(out / "Info.plist", "rb") as f:
        plist = plistlib.load(f)
    if plist.get("CFBundlePackageType") != "XFWK" or plist.get("XCFrameworkFormatVersion") != "1.0":
        sys.exit(f"{out}: not an XCFramework's Info.plist")
    libraries = plist.get("AvailableLibraries") or sys.exit(f"{out}: no library")
    for entry in libraries:
        slice_dir = out / entry["LibraryIdentifier"]
        library = slice_dir / entry["LibraryPath"]
        headers = slice_dir / entry["HeadersPath"]
        if entry["SupportedPlatform"] != "macos" or "SupportedPlatformVariant" in entry:
            sys.exit(f"{out}: {entry['LibraryIdentifier']} is not for macOS")
        if not library.is_file() or not (headers / "module.modulemap").is_file():
            sys.exit(f"{out}: {entry['LibraryIdentifier']} lacks its library or module map")
        archs = subprocess.run([lipo, "-archs", str(library)], check=True, capture_output=True,
                               text=True).stdout.split()
        if sorted(archs) != sorted(entry["SupportedArchitectures"]):
            sys.exit(f"{library}: architectures {archs}, the plist says "
                     f"{entry['SupportedArchitectures']}")
        print(f"{out.name}: {entry['LibraryIdentifier']}, {library.name} ({' '.join(archs)}), "
              f"{len(list(headers.iterdir()))} headers")


if __name__ == "__main__":
    if len(sys.argv) == 6 and sys.argv[1] == "make":
        make(*sys.argv[2:])
    elif len(sys.argv) == 4 and sys.argv[1] == "check":
        check(*sys.argv[2:])
    else:
        sys.exit(__doc__)
