#!/usr/bin/env bash
# Builds dist/nerith-<version>.jar with Maven (bindings/jvm/pom.xml): the
# generated Kotlin of both libraries and the staged libraries under JNA's
# resource folders, tested by its JUnit 5 suite. The jar is also installed in
# the Maven repository under .cache/m2, where the README's snippet finds it.
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
  grep -qx "$platform/libnerith_full_uniffi.so" <<<"$contents" ||
    { echo "$jar lacks $platform/"; exit 1; }
done
cp "$jar" "$dist/"
step_done
