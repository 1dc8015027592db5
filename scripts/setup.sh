#!/usr/bin/env bash
# Installs the Debian packages that nerith needs, skipping those already
# present. Run as root. `setup.sh build` installs only what building and
# running the library and the command need; plain `setup.sh` adds what the
# tests, benchmarks and fuzzers need.
set -euo pipefail

packages=(
  cmake make g++ pkgconf               # toolchain
  nlohmann-json3-dev                   # reading the embedded station documents
  tzdata                               # local legal time in the command-line tool (--tz)
  libcli11-dev                         # the command's options, subcommands and help (CLI11)
  libhowardhinnant-date-dev            # the command's local time: Hinnant's date/tz over tzdata
  dpkg-dev                             # unpacks date/tz's source package (below)
)
if [[ "${1:-all}" != build ]]; then
  packages+=(
    libgtest-dev libbenchmark-dev      # tests and benchmarks
    googletest                         # GoogleTest sources, built for the target by cross builds
    g++-aarch64-linux-gnu              # cross compilers for 64-bit and 32-bit ARM Linux
    g++-arm-linux-gnueabihf
    qemu-user                          # runs the cross-built tests
    python3                            # the foreign-language client test; the Unicode table generator
    unicode-data                       # the Unicode Character Database the tables are generated from
    libicu-dev                         # the oracle the Unicode tables are tested against
    librsvg2-bin                       # checks that tide charts render
    clang-19 libclang-rt-19-dev        # libFuzzer harnesses (clang 19 reads libstdc++ 12 <expected>)
    libc++-19-dev libc++abi-19-dev     # the libc++ pass: LLVM's C++ library, as Android and Apple use
    clang-format-14                    # the format check of scripts/test.sh
    hyperfine                          # the command's whole-process benchmark (bench/command_bench.sh)
    python3-venv                       # the wheel's tools and tests, each in a virtual environment
    maven openjdk-17-jdk-headless      # the jar and its tests
    debootstrap                        # the Debian root the Swift package is tested in
    ninja-build                        # the generator scikit-build-core drives (the wheels)
    patchelf                           # names musl the way musl itself does in the musl libraries (auditwheel reads it)
    musl-tools musl:arm64              # musl's loaders (x86-64, arm64): run the musl builds' comparison host
    wine64                             # runs the Windows build's comparison host
    llvm                               # llvm-nm, llvm-objdump, llvm-lipo: check the macOS libraries, make the universal ones
    wasi-libc lld-19                   # WebAssembly: the WASI C library and the linker for wasm32-wasi
    libc++-19-dev-wasm32 libc++abi-19-dev-wasm32 libclang-rt-19-dev-wasm32  # ... and LLVM's C++ library and builtins for it
    nodejs                             # runs the WebAssembly modules, the npm package's tests and its benchmark
    chromium                           # the tide page's test, in headless Chromium
  )
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  # musl:arm64 is a package of the arm64 architecture.
  if [[ " ${missing[*]} " == *:arm64* ]] && ! dpkg --print-foreign-architectures | grep -qx arm64; then
    dpkg --add-architecture arm64
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update -qq
  apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# date/tz's tz.cpp, which every build compiles into the command: Debian's
# libdate-tz is built for this machine's libstdc++, so the libc++ and the ARM
# builds cannot link it. The source package of the installed headers, fetched
# by apt from this machine's own Debian sources read as deb-src, unpacked
# (Debian's patches applied) into /usr/src/howardhinnant-date.
date_source=/usr/src/howardhinnant-date
if [[ ! -f $date_source/src/tz.cpp ]]; then
  version=$(dpkg-query -W -f='${source:Version}' libhowardhinnant-date-dev)
  work=$(mktemp -d)
  mkdir -p "$work/parts" "$work/lists/partial"
  for list in /etc/apt/sources.list.d/*.sources; do
    if [[ -f $list ]]; then
      sed 's/^Types: deb$/Types: deb-src/' "$list" >"$work/parts/$(basename "$list")"
    fi
  done
  if [[ -f /etc/apt/sources.list ]]; then
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$work/parts/main.list"
  fi
  apt_src=(-o Dir::Etc::SourceList=/dev/null -o Dir::Etc::SourceParts="$work/parts"
           -o Dir::State::Lists="$work/lists" -o APT::Sandbox::User=root)
  apt-get -qq "${apt_src[@]}" update
  (cd "$work" && apt-get -qq "${apt_src[@]}" source "howardhinnant-date=$version" >/dev/null)
  mkdir -p "$date_source"
  cp -r "$work"/howardhinnant-date-*/{src,include,LICENSE.txt} "$date_source/"
  rm -rf "$work"
fi
