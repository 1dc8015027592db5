#!/usr/bin/env bash
# Prints the path of the pinned UniFFI binding generator (tools/uniffi-bindgen),
# building it first when it is missing. It is a build tool: nothing ships it.
set -euo pipefail
cd "$(dirname "$0")/.."
target=${NERITH_CACHE:-$PWD/.cache}/uniffi-bindgen
generator=$target/release/uniffi-bindgen
# Cargo checks whether its sources or lock file changed; that takes a second.
# rustup installs cargo in ~/.cargo/bin, which a non-login shell may lack.
[[ -d $HOME/.cargo/bin ]] && PATH=$HOME/.cargo/bin:$PATH
if ! command -v cargo >/dev/null; then
  echo "cargo is missing: the binding generator is a Rust crate (rustup's toolchain)" >&2
  exit 1
fi
if ! CARGO_TARGET_DIR=$target cargo build --locked --release --quiet \
    --manifest-path tools/uniffi-bindgen/Cargo.toml >&2; then
  echo "building tools/uniffi-bindgen failed" >&2
  exit 1
fi
echo "$generator"
