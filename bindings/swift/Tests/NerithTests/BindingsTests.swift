// The package's generated Swift API: the shared table of calls
// (bindings/test/cases.json, copied beside this file), custom ports, threads.
import Foundation
import Nerith
import NerithFull
import XCTest

typealias Call = ([JSON]) throws -> Any?

// The table's calls by namespace and .udl name: Swift has no reflection of
// free functions, so each is spelled out once here.
let calls: [String: [String: Call]] = [
    "nerith": [
        "list_ports": { _ in Nerith.listPorts() },
        "search_ports": { a in Nerith.searchPorts(query: a[0].text) },
        "get_port": { a in Nerith.getPort(id: a[0].text) },
        "height_at": { a in try Nerith.heightAt(portId: a[0].text, timestamp: a[1].integer) },
        "predict_day": { a in try Nerith.predictDay(portId: a[0].text, date: a[1].text) },
        "predict_range": { a in
            try Nerith.predictRange(portId: a[0].text, startDate: a[1].text, endDate: a[2].text)
        },
    ],
    "nerith_full": [
        "get_port": { a in NerithFull.getPort(id: a[0].text) },
        "height_at": { a in try NerithFull.heightAt(portId: a[0].text, timestamp: a[1].integer) },
        "list_ports": { _ in NerithFull.listPorts() },
        "predict_day": { a in try NerithFull.predictDay(portId: a[0].text, date: a[1].text) },
        "predict_range": { a in
            try NerithFull.predictRange(portId: a[0].text, startDate: a[1].text, endDate: a[2].text)
        },
        "search_ports": { a in NerithFull.searchPorts(query: a[0].text) },
        "water_windows": { a in
            try NerithFull.waterWindows(
                portId: a[0].text, startDate: a[1].text, endDate: a[2].text, level: a[3].number,
                side: a[4]["$enum"]?.text == "WaterSide.Below" ? .below : .above)
        },
    ],
]

indirect enum JSON: Decodable {
    case null, bool(Bool), number(Double), string(String), array([JSON]), object([String: JSON])

    init(from decoder: Decoder) throws {
        let value = try decoder.singleValueContainer()
        if value.decodeNil() {
            self = .null
        } else if let bool = try? value.decode(Bool.self) {
            self = .bool(bool)
        } else if let number = try? value.decode(Double.self) {
            self = .number(number)
        } else if let string = try? value.decode(String.self) {
            self = .string(string)
        } else if let array = try? value.decode([JSON].self) {
            self = .array(array)
        } else {
            self = .object(try value.decode([String: JSON].self))
        }
    }

    var text: String { if case .string(let s) = self { return s }; fatalError("\(self) is not a string") }
    var number: Double { if case .number(let n) = self { return n }; fatalError("\(self) is not a number") }
    var integer: Int64 { Int64(number) }
    subscript(key: String) -> JSON? { if case .object(let o) = self { return o[key] }; return nil }
}

struct Case {
    let library: String, call: String, args: [JSON], expected: JSON
    var name: String { "\(library).\(call)(\(args.map { "\($0.shown)" }.joined(separator: ", ")))" }

    /// The failures of one run of the case; none when it passes.
    func run() -> [String] {
        guard let function = calls[library]?[call] else { return ["\(name): no such call"] }
        do {
            let answer = try function(args)
            guard let want = expected["answer"] else { return ["\(name) answered \(String(describing: answer))"] }
            return check(answer, want, name)
        } catch {
            // A flat error: one case per variant, carrying its message.
            let variant = Mirror(reflecting: error).children.first
            let message = variant.map { payload($0.value) as? String } ?? nil
            let got = "\(variant?.label ?? "\(error)") \(message ?? "")"
            let want = "\(expected["error"]?.shown ?? "no error") \(expected["message"]?.shown ?? "")"
            return got == want ? [] : ["\(name): threw \(got), expected \(want)"]
        }
    }
}

extension JSON {
    var shown: String {
        switch self {
        case .string(let s): return s
        case .number(let n): return n == n.rounded() ? String(Int64(n)) : String(n)
        default: return "\(self)"
        }
    }
}

let table: [Case] = {
    let file = URL(fileURLWithPath: #filePath).deletingLastPathComponent().appendingPathComponent("cases.json")
    let cases = try! JSONDecoder().decode(JSON.self, from: Data(contentsOf: file))
    return ["nerith", "nerith_full"].flatMap { library -> [Case] in
        guard case .array(let rows)? = cases[library] else { fatalError("no \(library) cases") }
        return rows.map { row in
            guard case .string(let call)? = row["call"], case .array(let args)? = row["args"] else {
                fatalError("malformed case \(row)")
            }
            return Case(library: library, call: call, args: args, expected: row)
        }
    }
}()

/// The value inside an optional or an enumeration case's payload, else the value.
func payload(_ value: Any) -> Any? {
    let mirror = Mirror(reflecting: value)
    if mirror.displayStyle == .optional { return mirror.children.first.map { payload($0.value) } ?? nil }
    if mirror.displayStyle == .tuple, mirror.children.count == 1 { return mirror.children.first!.value }
    return value
}

func number(_ value: Any) -> Double? {
    switch value {
    case let v as Double: return v
    case let v as Int64: return Double(v)
    case let v as Int32: return Double(v)
    case let v as UInt8: return Double(v)
    default: return nil
    }
}

func camel(_ name: String) -> String {
    let parts = name.split(separator: "_")
    return ([String(parts[0])] + parts.dropFirst().map { $0.prefix(1).uppercased() + $0.dropFirst() }).joined()
}

/// The mismatches between the answer and the table's expectation (see its "about").
func check(_ answer: Any?, _ expected: JSON, _ at: String) -> [String] {
    let value = answer.flatMap(payload)
    switch expected {
    case .null:
        return value == nil ? [] : ["\(at): \(value!), expected nothing"]
    case .object(let fields) where fields["$near"] != nil:
        guard let n = value.flatMap(number), abs(n - fields["$near"]!.number) <= fields["$within"]!.number else {
            return ["\(at): \(String(describing: value)), expected \(expected)"]
        }
        return []
    case .object(let fields) where fields.keys.contains(where: { $0.hasPrefix("$") }):
        guard let list = value as? [Any] else { return ["\(at): \(String(describing: value)) is not a list"] }
        var failures: [String] = []
        if let length = fields["$length"], Double(list.count) != length.number {
            failures.append("\(at): \(list.count) items, expected \(length.shown)")
        }
        if case .object(let items)? = fields["$items"] {
            for (index, want) in items {
                let i = Int(index)!
                failures += i < list.count ? check(list[i], want, "\(at)[\(i)]") : ["\(at)[\(i)] is missing"]
            }
        }
        if let each = fields["$each"] {
            for (i, item) in list.enumerated() { failures += check(item, each, "\(at)[\(i)]") }
        }
        return failures
    case .object(let fields):
        guard let record = value else { return ["\(at) is absent"] }
        let children = Dictionary(Mirror(reflecting: record).children.map { ($0.label ?? "", $0.value) }) { a, _ in a }
        return fields.flatMap { field, want -> [String] in
            guard let child = children[camel(field)] else { return ["\(at) has no field \(field)"] }
            return check(child, want, "\(at).\(field)")
        }
    case .array(let items):
        guard let list = value as? [Any], list.count == items.count else {
            return ["\(at): \(String(describing: value)), expected \(items.count) items"]
        }
        return zip(list, items).enumerated().flatMap { i, pair in check(pair.0, pair.1, "\(at)[\(i)]") }
    case .bool(let b):
        return value as? Bool == b ? [] : ["\(at): \(String(describing: value)), expected \(b)"]
    case .number(let n):
        return value.flatMap(number) == n ? [] : ["\(at): \(String(describing: value)), expected \(n)"]
    case .string(let s):
        // An enumeration's variant compares case-insensitively: Swift writes it lowerCamelCase.
        let isEnum = value.map { Mirror(reflecting: $0).displayStyle == .enum } ?? false
        let got = isEnum ? value.map { "\($0)".lowercased() } : value as? String
        return got == (isEnum ? s.lowercased() : s) ? [] : ["\(at): \(String(describing: value)), expected \(s)"]
    }
}

// Foundation has a Port class too: the record is spelled with its module.
func newPort(constituents: [HarmonicConstituent]? = nil) -> Nerith.Port {
    Nerith.Port(id: "TEST-SWIFT-\(UUID().uuidString.prefix(12))", name: "Île-Tudy – quai ⚓", latitude: 47.25,
         longitude: -2.5, meanWaterLevel: 3.25, atlanticCoast: true,
         constituents: constituents ?? [HarmonicConstituent(name: "M2", amplitude: 1.75, phaseLag: 110.0),
                                        HarmonicConstituent(name: "S2", amplitude: 0.6, phaseLag: 150.0)])
}

final class BindingsTests: XCTestCase {
    func testBuiltInTable() {
        for test in table where test.library == "nerith" { test.run().forEach { XCTFail($0) } }
    }

    func testFullTable() {
        for test in table where test.library == "nerith_full" { test.run().forEach { XCTFail($0) } }
    }

    func testCustomPortsComeBackExactlyAndOnce() throws {
        for port in [newPort(), newPort(constituents: [])] {
            try addCustomPort(port: port)
            XCTAssertEqual(Nerith.getPort(id: port.id), port)
            XCTAssertTrue(listPorts().contains(port))
            XCTAssertEqual(searchPorts(query: port.id.lowercased()), [port])
            XCTAssertThrowsError(try addCustomPort(port: port)) { error in
                guard case Nerith.TideError.PortRejected(let message) = error else { return XCTFail("\(error)") }
                XCTAssertEqual(message, "DuplicateId(\"\(port.id)\")")
            }
            XCTAssertEqual(try Nerith.predictDay(portId: port.id, date: "2026-06-21").heights.count, 145)
        }
        var builtIn = newPort()
        builtIn.id = "FR-BREST"
        XCTAssertThrowsError(try addCustomPort(port: builtIn))
    }

    func testThreadsGetTheTableAnswersSideBySide() {
        let lock = NSLock()
        var failures: [String] = []
        DispatchQueue.concurrentPerform(iterations: 8) { _ in
            for _ in 0..<3 {
                let found = table.flatMap { $0.run() }
                lock.lock()
                failures += found
                lock.unlock()
                try? addCustomPort(port: newPort())
            }
        }
        XCTAssertEqual(failures.first, nil)
    }
}
