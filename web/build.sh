#!/usr/bin/env bash
# Assembles the tide page in build/web/: the page's own files, the nerith npm
# package's sources under nerith/src/ and its two .wasm files under
# nerith/wasm/ (where the package looks for them, ../wasm/ from its modules),
# and an import map naming the package's entry points, read from its
# package.json. Everything is static: `python3 -m http.server -d build/web`.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
# Another checkout of the package or the .wasm files may be named instead.
package=${NERITH_JS_PACKAGE:-bindings/js}
wasm=${NERITH_WASM_DIR:-build/wasm}
out=build/web

[[ -f $package/package.json ]] || { echo "build.sh: no $package/package.json" >&2; exit 1; }

# The modules the package loads (../wasm/<name>.wasm), found where
# scripts/wasm.sh builds them (as lib<name>.wasm) or where npm.sh stages them.
names=$(grep -ho '\.\./wasm/[A-Za-z0-9_]*\.wasm' "$package"/src/*.*js | sed 's|.*/||; s|\.wasm$||' | sort -u)
[[ -n $names ]] || { echo "build.sh: $package/src names no .wasm" >&2; exit 1; }
find_module() {
  local dir
  for dir in "$wasm/bindings" "$wasm" "$package/wasm"; do
    for f in "$dir/$1.wasm" "$dir/lib$1.wasm"; do
      [[ -f $f ]] && { echo "$f"; return; }
    done
  done
}
for name in $names; do
  if [[ -z $(find_module "$name") ]]; then
    echo "build.sh: building the .wasm files (scripts/wasm.sh)"
    bash scripts/wasm.sh
    break
  fi
done

rm -rf "$out"
mkdir -p "$out/nerith/wasm"
cp web/index.html web/*.js web/style.css "$out/"
cp -r "$package/src" "$out/nerith/src"
cp "$package/package.json" "$out/nerith/"
for name in $names; do
  module=$(find_module "$name")
  [[ -n $module ]] || { echo "build.sh: no $name.wasm" >&2; exit 1; }
  cp "$module" "$out/nerith/wasm/$name.wasm"
done

# The import map: "nerith" and "nerith/full" as the package's exports name them
# (a plain path, or a conditions object with "browser", "import" or "default").
importmap=$(node -e '
  const pkg = JSON.parse(require("fs").readFileSync(process.argv[1], "utf8"));
  const pick = (e) => typeof e === "string" ? e : pick(e.browser ?? e.import ?? e.default);
  const imports = {};
  for (const [key, target] of Object.entries(pkg.exports)) {
    if (key.includes("*") || key.endsWith(".json")) continue;
    const path = pick(target);
    if (path && /\.m?js$/.test(path)) imports[key === "." ? pkg.name : pkg.name + key.slice(1)] = "./nerith/" + path.replace(/^\.\//, "");
  }
  process.stdout.write(JSON.stringify({ imports }));
' "$package/package.json")
python3 - "$out/index.html" "$importmap" <<'EOF'
import sys
path, importmap = sys.argv[1], sys.argv[2]
html = open(path, encoding="utf-8").read()
assert "<!--IMPORTMAP-->" in html
html = html.replace("<!--IMPORTMAP-->", f'<script type="importmap">{importmap}</script>')
open(path, "w", encoding="utf-8").write(html)
EOF

echo "build/web: $(find "$out" -type f | wc -l) files, $(du -sk "$out" | cut -f1) KiB; import map $importmap"
