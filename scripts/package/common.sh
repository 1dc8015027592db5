# Sourced by the scripts of scripts/package/: where things go, the one version,
# and a timer for each step.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
dist=$PWD/dist
stage=$PWD/build/package
cache=${NERITH_CACHE:-$PWD/.cache}
# The one version of every package: CMake's project(nerith VERSION ...).
version=$(sed -nE 's/^project\(nerith VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
[[ -n "$version" ]] || { echo "no project(nerith VERSION ...) in CMakeLists.txt" >&2; exit 1; }
# JNA's names of the platforms whose libraries the jar carries (targets.sh
# stages them under build/package/lib/<platform>/); the Swift package takes
# the Linux and macOS ones.
platforms=(linux-x86-64 linux-aarch64 win32-x86-64 darwin-x86-64 darwin-aarch64)

step_started=$SECONDS
step() {
  printf '\n---- %s\n' "$1"
  step_started=$SECONDS
}
step_done() {
  echo "     ($((SECONDS - step_started)) s)"
}
