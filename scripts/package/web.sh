#!/usr/bin/env bash
# Packs the offline tide page (web/build.sh's build/web: the page, the npm
# package's modules and the two WebAssembly modules) into
# dist/nerith-web-<version>.zip, to unpack and serve as static files, and
# says what a browser downloads: the sum of the files' gzipped sizes.
source "$(dirname "$0")/common.sh"

step "tide page: build/web"
bash web/build.sh
zip=$dist/nerith-web-$version.zip
mkdir -p "$dist"
rm -f "$zip"
python3 - "$zip" build/web <<'PY'
import os, sys, zipfile
out, root = sys.argv[1], sys.argv[2]
top = os.path.basename(out)[: -len(".zip")]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for folder, dirs, files in os.walk(root):
        dirs.sort()
        for name in sorted(files):
            path = os.path.join(folder, name)
            z.write(path, os.path.join(top, os.path.relpath(path, root)))
PY
gzipped=0
while IFS= read -r -d '' f; do
  gzipped=$((gzipped + $(gzip -9c "$f" | wc -c)))
done < <(find build/web -type f -print0)
echo "$(basename "$zip"): $(python3 -c 'import sys, zipfile; print(len(zipfile.ZipFile(sys.argv[1]).namelist()))' "$zip") files, $(stat -c %s "$zip") bytes"
echo "page transfer, gzipped: $gzipped bytes ($(find build/web -type f -printf '%s\n' | awk '{s += $1} END {print s}') bytes as files)"
step_done
