#!/usr/bin/env bash
# Runs the README's Python, Kotlin and Swift snippets as written, each in a
# folder of its own beside a link to dist/, and checks that each prints what
# the README shows.
source "$(dirname "$0")/common.sh"

out=$stage/snippets
rm -rf "$out"
python3 scripts/package/readme_snippets.py README.md "$out" >/dev/null
expected=$out/output.txt

# The printed lines against the README's, trailing blanks and the colour
# resets Maven 3.8 writes even in batch mode aside.
compare() {
  diff -u <(sed 's/ *$//' "$expected") <(sed -E 's/\x1b\[[0-9;]*m//g; s/ *$//; /^$/d' "$1") ||
    { echo "the README's $2 snippet prints something else"; exit 1; }
  echo "$2 snippet: prints the README's $(wc -l <"$1") lines"
}

step "README snippet: Python"
ln -s "$dist" "$out/python/dist"
(cd "$out/python" && bash install.sh >/dev/null && .venv/bin/python tides.py) >"$out/python.txt"
compare "$out/python.txt" Python
step_done

step "README snippet: Kotlin"
mvn -B -q --no-transfer-progress -Dstyle.color=never -Dmaven.repo.local="$cache/m2" -Drevision="$version" \
  -Dsnippet.dir="$out/kotlin" -f bindings/jvm/snippet/pom.xml compile exec:java >"$out/kotlin.txt"
compare "$out/kotlin.txt" Kotlin
step_done

step "README snippet: Swift"
ln -s "$dist" "$out/swift/dist"
bash scripts/package/in_swift.sh "cd '${out#"$PWD"/}/swift' && swift build -q >/dev/null && \$(swift build --show-bin-path)/Tides" \
  >"$out/swift.txt"
compare "$out/swift.txt" Swift
step_done
