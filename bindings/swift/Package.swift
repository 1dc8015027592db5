// swift-tools-version:5.9
// The Swift package of both libraries, as scripts/package/swift.sh lays it out
// in dist/nerith-swift/: the generated Swift (Sources/Nerith, Sources/NerithFull)
// over the generated C headers and module maps. On Linux those are C modules
// (Sources/nerithFFI, Sources/nerith_fullFFI) linked to the libraries in
// lib/<platform>/; on macOS they come with each library, universal (arm64,
// x86_64), in an XCFramework under macos/.
import PackageDescription

#if os(macOS)
let ffiTargets: [Target] = [
    .binaryTarget(name: "nerithFFI", path: "macos/nerith_uniffi.xcframework"),
    .binaryTarget(name: "nerith_fullFFI", path: "macos/nerith_full_uniffi.xcframework"),
]
#else
let root = String(#filePath.dropLast("/Package.swift".count))
#if arch(arm64)
let lib = "\(root)/lib/linux-aarch64"
#else
let lib = "\(root)/lib/linux-x86-64"
#endif

// A C module over a generated header, linked to its library, which the
// executable finds again at run time beside the package.
func ffi(_ name: String, library: String) -> Target {
    .target(name: name, linkerSettings: [
        .linkedLibrary(library),
        .unsafeFlags(["-L\(lib)", "-Xlinker", "-rpath", "-Xlinker", lib]),
    ])
}

let ffiTargets = [ffi("nerithFFI", library: "nerith_uniffi"), ffi("nerith_fullFFI", library: "nerith_full_uniffi")]
#endif

let package = Package(
    name: "nerith",
    products: [
        .library(name: "Nerith", targets: ["Nerith"]),
        .library(name: "NerithFull", targets: ["NerithFull"]),
    ],
    targets: ffiTargets + [
        .target(name: "Nerith", dependencies: ["nerithFFI"]),
        .target(name: "NerithFull", dependencies: ["nerith_fullFFI"]),
        .testTarget(name: "NerithTests", dependencies: ["Nerith", "NerithFull"], exclude: ["cases.json"]),
    ]
)
