#!/usr/bin/env bash
# Builds dist/nerith-<version>.jar with Maven (bindings/jvm/pom.xml): the
# generated Kotlin of both libraries, the staged libraries under JNA's five
# resource folders and the licences under META-INF/, tested by its JUnit 5
# suite (on this machine's linux-x86-64 library); beside it the sources jar
# and the POM. The jar is also installed in the Maven repository under
# .cache/m2, where the README's snippet finds it.
source "$(dirname "$0")/common.sh"

step "jar: compile, JUnit 5, install (Maven)"
log=$stage/maven.log
mkdir -p "$stage"
if ! mvn -B --no-transfer-progress -Dstyle.color=never -Dmaven.repo.local="$cache/m2" -Drevision="$version" \
    -Dnerith.natives="$stage/lib" -f bindings/jvm/pom.xml install >"$log" 2>&1; then
  grep -E 'ERROR|FAIL|expected' "$log" | head -n 60
  exit 1
fi
grep -E 'Tests run:.*Fail' "$log" | tail -n 1
jar=build/jvm/nerith-$version.jar
contents=$(jar tf "$jar")
for platform in "${platforms[@]}"; do
  grep -qE "^$platform/(lib)?nerith_full_uniffi\.(so|dll|dylib)\$" <<<"$contents" ||
    { echo "$jar lacks $platform/"; exit 1; }
done
for licence in META-INF/LICENSE META-INF/NOTICE META-INF/UNICODE-LICENSE.txt; do
  grep -qx "$licence" <<<"$contents" || { echo "$jar lacks $licence"; exit 1; }
done
cp "$jar" "build/jvm/nerith-$version-sources.jar" "$dist/"
cp bindings/jvm/pom.xml "$dist/nerith-$version.pom"
step_done
