#!/usr/bin/env bash
# Builds everything an app takes into dist/ and tests each package through
# its generated bindings, as an app calls them:
#   nerith-<version>-py3-none-manylinux_*_{x86_64,aarch64}.whl: pytest against
#     the installed wheel in a fresh virtual environment;
#   nerith-<version>.jar: JUnit 5 (Maven);
#   nerith-swift/: swift build and XCTest, in a Debian trixie root unless a
#     swift is on PATH;
# after checking that bindings/generated/ is what the pinned generator writes,
# and ends by running the README's three snippets as written. The steps are in
# scripts/package/. NERITH_NATIVE_BUILD and NERITH_ARM64_BUILD name build
# folders whose libraries to reuse (see package/libraries.sh). Run as root
# (debootstrap, chroot); scripts/setup.sh installs what it needs.
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
run package/libraries.sh
run package/wheel.sh
run package/test_wheel.sh
run package/jvm.sh
wait "$root" || { cat "$stage/swift-root.log"; exit 1; }
cat "$stage/swift-root.log"
run package/swift.sh
run package/snippets.sh

step "dist/"
(cd "$dist" && du -ab --max-depth=1 . | sort -k2 | sed 's|\./||')
# Tests run: the generated-bindings check, each suite's own count, three snippets.
pytest=$(sed -nE 's/^([0-9]+) passed in .*/\1/p' "$log" | tail -n 1)
junit=$(sed -nE 's/.*Tests run: ([0-9]+), Failures: 0, Errors: 0.*/\1/p' "$log" | tail -n 1)
xctest=$(sed -nE 's/.*Executed ([0-9]+) tests?, with 0 failures.*/\1/p' "$log" | tail -n 1)
echo "pytest $pytest, JUnit $junit, XCTest $xctest; $((SECONDS - started)) s in all"
echo "package tests: $((1 + pytest + junit + xctest + 3)) passed, 0 failed"
