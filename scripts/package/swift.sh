#!/usr/bin/env bash
# Lays the Swift package out in dist/nerith-swift/ (bindings/swift's manifest
# and tests, the generated Swift, headers and module maps, the staged Linux
# libraries under lib/<platform>/, one XCFramework per library for macOS
# under macos/, the licences) and runs `swift build` and `swift test` on it
# (scripts/package/in_swift.sh). Each XCFramework holds a universal dylib
# (llvm-lipo) of the two macOS builds; it is checked, not run: these machines
# have no macOS.
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
for platform in linux-x86-64 linux-aarch64; do
  mkdir -p "$package/lib/$platform"
  cp "$stage/lib/$platform"/*.so "$package/lib/$platform/"
done
cp LICENSE NOTICE core/src/common/text/UNICODE-LICENSE.txt "$package/"
step_done

step "Swift package: XCFrameworks for macOS"
lipo=$(command -v llvm-lipo || command -v llvm-lipo-14)
mkdir -p "$package/macos" "$stage/universal"
for row in "nerith_uniffi nerithFFI" "nerith_full_uniffi nerith_fullFFI"; do
  read -r library module <<<"$row"
  universal=$stage/universal/lib$library.dylib
  "$lipo" -create -output "$universal" "$stage/lib/darwin-x86-64/lib$library.dylib" \
    "$stage/lib/darwin-aarch64/lib$library.dylib"
  python3 scripts/package/xcframework.py make "$package/macos/$library.xcframework" "$universal" \
    "bindings/generated/swift/$module.h" "bindings/generated/swift/$module.modulemap"
  python3 scripts/package/xcframework.py check "$package/macos/$library.xcframework" "$lipo"
done
step_done

step "swift build, swift test"
scratch=build/swift
bash scripts/package/in_swift.sh "swift build --package-path dist/nerith-swift --scratch-path $scratch -q &&
  swift test --disable-swift-testing --package-path dist/nerith-swift --scratch-path $scratch 2>&1 | grep -vE '^Test Case .* (started|passed)'"
step_done
