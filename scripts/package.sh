#!/usr/bin/env bash
# Builds everything an app takes into dist/ and tests each package through
# its generated bindings, as an app calls them:
#   nerith-<version>-py3-none-<platform>.whl, seven of them (manylinux_2_17
#     and musllinux_1_2 for x86_64 and aarch64, win_amd64, macosx x86_64 and
#     arm64), and nerith-<version>.tar.gz, the sdist: pytest against the
#     installed manylinux x86_64 wheel in a fresh virtual environment, and the
#     sdist built into a wheel as pip would;
#   nerith-<version>.jar (five native folders), its sources jar and POM:
#     JUnit 5 (Maven);
#   nerith-swift/: swift build and XCTest, in a Debian trixie root unless a
#     swift is on PATH, and the macOS XCFrameworks checked;
# after checking that bindings/generated/ is what the pinned generator writes
# and building each platform's libraries once with Zig (package/targets.sh,
# which also compares their answers with the native build's), and ends by
# running the README's three snippets as written. The steps are in
# scripts/package/. NERITH_NATIVE_BUILD names a build folder of this machine
# that holds the comparison host (CI's build/dev); without it, build/release
# is made. Run as root (debootstrap, chroot); scripts/setup.sh installs what
# it needs.
source "$(dirname "$0")/package/common.sh"

rm -rf "$dist"
mkdir -p "$dist" "$stage"
log=$stage/package.log
: >"$log"
started=$SECONDS

# The Swift root, when it must be made, downloads while the rest builds.
bash scripts/package/swift_root.sh >"$stage/swift-root.log" 2>&1 &
root=$!

run() {
  bash "scripts/$@" 2>&1 | tee -a "$log"
}
step "bindings/generated/ against the pinned generator"
run gen_bindings.sh --check
step_done
native=${NERITH_NATIVE_BUILD:-build/release}
if [[ ! -x "$native/bindings/test/uniffi_answers" ]]; then
  step "the native comparison host ($native)"
  cmake -S . -B "$native" -DCMAKE_BUILD_TYPE=Release -DNERITH_BUILD_TESTS=OFF -DNERITH_BUILD_ANSWERS=ON >/dev/null
  cmake --build "$native" -j"$(nproc)" --target uniffi_answers >/dev/null
  step_done
fi
NERITH_NATIVE_BUILD=$native run package/targets.sh
run package/sdist.sh
run package/test_wheel.sh
run package/jvm.sh
wait "$root" || { cat "$stage/swift-root.log"; exit 1; }
cat "$stage/swift-root.log"
run package/swift.sh
run package/snippets.sh
# The npm package and the tide page, on the WebAssembly modules (built here
# unless test.sh's WebAssembly step has built them).
[[ -f build/wasm/bindings/libnerith_full_uniffi.wasm ]] || run wasm.sh
run package/npm.sh
run package/web.sh

step "dist/"
(cd "$dist" && du -ab --max-depth=1 . | sort -k2 | sed 's|\./||')
# Tests run: the generated-bindings check, each target's checks (ctest), the
# two answer comparisons, the sdist's wheel, the two XCFrameworks, each
# suite's own count, three snippets; the npm package's node --test count and
# its snippet.
pytest=$(sed -nE 's/^([0-9]+) passed in .*/\1/p' "$log" | tail -n 1)
junit=$(sed -nE 's/.*Tests run: ([0-9]+), Failures: 0, Errors: 0.*/\1/p' "$log" | tail -n 1)
xctest=$(sed -nE 's/.*Executed ([0-9]+) tests?, with 0 failures.*/\1/p' "$log" | tail -n 1)
node_tests=$(sed -nE 's/^node --test: ([0-9]+) passed, 0 failed$/\1/p' "$log" | tail -n 1)
checks=$(awk '/^100% tests passed, 0 tests failed out of/ {n += $NF} END {print n + 0}' "$log")
echo "target checks $checks, pytest $pytest, JUnit $junit, XCTest $xctest, node $node_tests; $((SECONDS - started)) s in all"
echo "package tests: $((1 + checks + 2 + 1 + 2 + pytest + junit + xctest + 3 + node_tests + 1)) passed, 0 failed"
