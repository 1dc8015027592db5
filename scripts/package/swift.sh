#!/usr/bin/env bash
# Lays the Swift package out in dist/nerith-swift/ (bindings/swift's manifest
# and tests, the generated Swift, headers and module maps, the staged
# libraries under lib/<platform>/) and runs `swift build` and `swift test` on
# it (scripts/package/in_swift.sh).
source "$(dirname "$0")/common.sh"

step "Swift package: dist/nerith-swift"
package=$dist/nerith-swift
rm -rf "$package"
mkdir -p "$package/Tests"
cp bindings/swift/Package.swift "$package/"
echo "$version" >"$package/VERSION"
cp -r bindings/swift/Tests/NerithTests "$package/Tests/"
cp bindings/test/cases.json "$package/Tests/NerithTests/"
# One row per library: Swift module, C module (the generated file names).
for row in "Nerith nerith" "NerithFull nerith_full"; do
  read -r module namespace <<<"$row"
  ffi=$package/Sources/${namespace}FFI
  mkdir -p "$package/Sources/$module" "$ffi/include"
  cp "bindings/generated/swift/$namespace.swift" "$package/Sources/$module/"
  cp "bindings/generated/swift/${namespace}FFI.h" "$ffi/include/"
  cp "bindings/generated/swift/${namespace}FFI.modulemap" "$ffi/include/module.modulemap"
done
cp -r "$stage/lib" "$package/lib"
step_done

step "swift build, swift test"
scratch=build/swift
bash scripts/package/in_swift.sh "swift build --package-path dist/nerith-swift --scratch-path $scratch -q &&
  swift test --disable-swift-testing --package-path dist/nerith-swift --scratch-path $scratch 2>&1 | grep -vE '^Test Case .* (started|passed)'"
step_done
