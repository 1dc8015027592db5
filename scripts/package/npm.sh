#!/usr/bin/env bash
# Packs the npm package `nerith` (bindings/js) into dist/nerith-<version>.tgz
# with the two WebAssembly modules scripts/wasm.sh builds, runs its tests,
# installs the tarball into a fresh folder, offline, and runs the JavaScript
# snippet there: it must print the README's lines (Brest's 2024-03-10 tides).
source "$(dirname "$0")/common.sh"

js=bindings/js
wasm_build=${NERITH_WASM_BUILD:-build/wasm}
npm_flags=(--offline --no-audit --no-fund --cache "$cache/npm")

step "npm package: modules, declarations and WebAssembly"
node "$js/tools/generate.mjs" --check
package_version=$(node -p "require('./$js/package.json').version")
[[ "$package_version" == "$version" ]] ||
  { echo "$js/package.json says $package_version, CMake $version" >&2; exit 1; }
mkdir -p "$js/wasm"
for crate in nerith_uniffi nerith_full_uniffi; do
  module=$wasm_build/bindings/lib$crate.wasm
  [[ -f "$module" ]] || { echo "no $module: run scripts/wasm.sh first" >&2; exit 1; }
  cp "$module" "$js/wasm/$crate.wasm"
done
cp LICENSE NOTICE "$js/"
step_done

step "npm package: node --test"
node --test --test-reporter=dot "$js/test/"
step_done

step "npm package: pack"
mkdir -p "$dist"
rm -f "$dist/nerith-$version.tgz"
(cd "$js" && npm pack -q "${npm_flags[@]}" --pack-destination "$dist" >/dev/null)
tgz=$dist/nerith-$version.tgz
tar -tzf "$tgz" | sort
step_done

step "npm package: installed, the snippet"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
python3 scripts/package/readme_snippets.py README.md "$out/readme" >/dev/null
if [[ -f "$out/readme/js/tides.mjs" ]]; then
  cp "$out/readme/js/tides.mjs" "$out/tides.mjs"
else
  cat >"$out/tides.mjs" <<'SNIPPET'
import { predictDay } from "nerith/full";

for (const tide of predictDay("FR-BREST", "2024-03-10").extremes) {
  const time = new Date((tide.time + 30) * 1000).toISOString().slice(11, 16);
  console.log(`${tide.isHigh ? "high" : "low "} ${time} ${tide.height.toFixed(2)} m ${tide.coefficient ?? ""}`);
}
SNIPPET
fi
(cd "$out" && npm install -q "${npm_flags[@]}" "$tgz" >/dev/null && node tides.mjs) >"$out/printed.txt"
diff -u <(sed 's/ *$//' "$out/readme/output.txt") <(sed 's/ *$//' "$out/printed.txt") ||
  { echo "the JavaScript snippet prints something else than the README" >&2; exit 1; }
echo "JavaScript snippet: prints the README's $(wc -l <"$out/printed.txt") lines"
step_done
