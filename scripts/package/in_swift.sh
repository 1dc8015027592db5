#!/usr/bin/env bash
# Runs a shell command from this tree's top folder with a Swift toolchain: the
# `swift` on PATH when there is one, else the Debian trixie root of
# swift_root.sh, entered with chroot in a private mount namespace where /proc
# and this tree (at the same path) are mounted.
source "$(dirname "$0")/common.sh"

if command -v swift >/dev/null; then
  exec bash -c "$1"
fi
bash scripts/package/swift_root.sh
exec unshare --mount bash -c 'root=$1 tree=$2 command=$3
  mount -t proc proc "$root/proc"
  mkdir -p "$root$tree"
  mount --bind "$tree" "$root$tree"
  exec chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/bin:/bin LANG=C.UTF-8 \
    bash -c "cd \"$tree\" && $command"' _ "$cache/trixie" "$PWD" "$1"
