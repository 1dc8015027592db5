#!/usr/bin/env bash
# Writes the Python, Kotlin and Swift bindings of both libraries into
# bindings/generated/<language>/ with the pinned UniFFI binding generator.
# `gen_bindings.sh --check` writes them to a scratch folder instead and fails
# on any difference from the committed ones. Never edit the generated files:
# change the .udl (and the library), then run this.
set -euo pipefail
cd "$(dirname "$0")/.."

# One row per library: crate, interface definition, generator configuration.
libraries=(
  "nerith_uniffi bindings/src/nerith.udl bindings/uniffi.toml"
  "nerith_full_uniffi bindings/src/nerith_full.udl bindings/full/uniffi.toml"
)
committed=bindings/generated

generator=$(bash scripts/uniffi_bindgen.sh)
out=$committed
if [[ "${1:-}" == --check ]]; then
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
fi

for language in python kotlin swift; do
  rm -rf "${out:?}/$language"
  for row in "${libraries[@]}"; do
    read -r crate udl config <<<"$row"
    # --no-format: the output must not depend on which formatters are installed.
    "$generator" generate "$udl" --crate "$crate" --config "$config" --language "$language" \
      --out-dir "$out/$language" --no-format >/dev/null
  done
done

if [[ "$out" != "$committed" ]]; then
  for language in python kotlin swift; do
    diff -ru "$committed/$language" "$out/$language" ||
      { echo "$committed/ is stale: run scripts/gen_bindings.sh and commit the result"; exit 1; }
  done
  echo "$committed/ is what uniffi-bindgen $("$generator" --version | cut -d' ' -f2) writes"
fi
