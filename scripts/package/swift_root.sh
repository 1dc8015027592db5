#!/usr/bin/env bash
# Makes the Debian trixie root in which the Swift package is built and tested
# (these machines have no Swift toolchain; trixie's swiftlang is Swift 6.0.3):
# debootstrap --variant=minbase, then swiftlang and the C library's headers.
# Kept in .cache/trixie; a root left half-made is made again. Prints nothing
# to do when `swift` is on PATH: swift.sh then uses that one.
source "$(dirname "$0")/common.sh"

command -v swift >/dev/null && exit 0
root=$cache/trixie
[[ -f "$root/.nerith-ready" ]] && exit 0
step "Debian trixie root with swiftlang ($root)"
rm -rf "$root"
mkdir -p "$cache"
debootstrap --variant=minbase trixie "$root" >"$cache/debootstrap.log" 2>&1 ||
  { tail -n 20 "$cache/debootstrap.log"; exit 1; }
unshare --mount bash -c '
  mount -t proc proc "$1/proc"
  chroot "$1" bash -c "apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends swiftlang libc6-dev &&
    apt-get clean &&
    dpkg-query -W -f=\"swiftlang \\\${Version}\n\" swiftlang"' _ "$root" >"$cache/swiftlang.log" 2>&1 ||
  { tail -n 20 "$cache/swiftlang.log"; exit 1; }
# Swift 6.0.3 is the toolchain the package is tested with: any Debian revision
# of it, but no other release.
grep -qE '^swiftlang 6\.0\.3-' "$cache/swiftlang.log" ||
  { tail -n 5 "$cache/swiftlang.log"; echo "trixie's swiftlang is no longer 6.0.3"; exit 1; }
touch "$root/.nerith-ready"
du -sh "$root"
step_done
