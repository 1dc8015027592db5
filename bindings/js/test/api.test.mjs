// What JavaScript adds to the shared table: Date instants, TideError,
// argument checks, custom ports through the serializer, the load-time
// contract and checksum checks, freed buffers, and the generated files.

import { execFileSync } from "node:child_process";
import { readFileSync } from "node:fs";
import { createServer } from "node:http";
import { test } from "node:test";
import assert from "node:assert/strict";
import * as nerith from "../src/nerith.mjs";
import * as full from "../src/full.mjs";
import { bind, instantiate } from "../src/runtime.mjs";
import { INTERFACE } from "../src/nerith.interface.mjs";

const BREST = "FR-BREST";
const NEW_YEAR = 1767268800; // 2026-01-01T12:00:00Z

test("a Date is its instant, to the second below", () => {
  const height = nerith.heightAt(BREST, NEW_YEAR);
  for (const date of [new Date(NEW_YEAR * 1000), new Date(NEW_YEAR * 1000 + 999), new Date("2026-01-01T12:00:00Z")]) {
    assert.equal(nerith.heightAt(BREST, date), height, String(date));
  }
  assert.equal(full.heightAt(BREST, new Date(NEW_YEAR * 1000)), full.heightAt(BREST, NEW_YEAR));
  assert.equal(nerith.heightAt(BREST, new Date((NEW_YEAR - 1) * 1000 + 1)), nerith.heightAt(BREST, NEW_YEAR - 1));
});

test("arguments of the wrong kind throw TypeError before the library is called", () => {
  const wrong = [
    () => nerith.heightAt(BREST, new Date("not a date")),
    () => nerith.heightAt(BREST, 1.5),
    () => nerith.heightAt(BREST, "1767268800"),
    () => nerith.heightAt(BREST, 2 ** 60),
    () => nerith.heightAt(42, NEW_YEAR),
    () => nerith.predictDay(BREST),
    () => full.waterWindows(BREST, "2024-03-12", "2024-03-12", "1", "Above"),
    () => full.waterWindows(BREST, "2024-03-12", "2024-03-12", 1, "above"),
    () => nerith.addCustomPort({ ...newPort(), constituents: [{ name: "M2", amplitude: "1", phaseLag: 0 }] }),
    () => nerith.addCustomPort({ ...newPort(), atlanticCoast: 1 }),
    () => nerith.addCustomPort(null),
  ];
  for (const call of wrong) assert.throws(call, TypeError, String(call));
  assert.equal(nerith.heightAt(BREST, NEW_YEAR), nerith.heightAt(BREST, NEW_YEAR));
});

test("TideError: its kind, the library's message, one class per module", () => {
  const failures = [
    [nerith, () => nerith.predictDay("XX", "2024-03-10"), "PortNotFound", "XX"],
    [nerith, () => nerith.predictRange(BREST, "2024-03-02", "2024-03-01"), "InvalidDate", "2024-03-02 > 2024-03-01"],
    [full, () => full.waterWindows(BREST, "2024-03-12", "2024-03-12", NaN, "Above"), "InvalidLevel", null],
    [full, () => full.heightAt("", 0), "PortNotFound", ""],
  ];
  for (const [module, call, kind, message] of failures) {
    assert.throws(call, (caught) => {
      assert.ok(caught instanceof module.TideError && caught instanceof Error);
      assert.equal(caught.name, "TideError");
      assert.equal(caught.kind, kind);
      if (message !== null) assert.equal(caught.message, message);
      assert.equal(caught instanceof (module === full ? nerith : full).TideError, false);
      return true;
    });
  }
});

test("an unknown port is null, not undefined", () => {
  for (const module of [nerith, full]) {
    assert.strictEqual(module.getPort("fr-brest"), null);
    assert.strictEqual(module.getPort(""), null);
    assert.equal(module.getPort(BREST).id, BREST);
  }
});

test("MODEL and DATUM say what each module answers", () => {
  assert.deepEqual([nerith.MODEL, nerith.DATUM], ["builtin", "mean level"]);
  assert.deepEqual([full.MODEL, full.DATUM], ["full", "chart datum"]);
});

let serial = 0;
function newPort(constituents) {
  return {
    id: `TEST-JS-${process.pid}-${serial++}`, name: "Île-Tudy – quai ⚓", latitude: 47.25, longitude: -2.5,
    meanWaterLevel: 3.25, atlanticCoast: true,
    constituents: constituents ?? [{ name: "M2", amplitude: 1.75, phaseLag: 110 }, { name: "S2", amplitude: 0.6, phaseLag: 150 }],
  };
}

test("a custom port comes back exactly, once", () => {
  for (const port of [newPort(), newPort([])]) {
    nerith.addCustomPort(port);
    assert.deepEqual(nerith.getPort(port.id), port);
    assert.deepEqual(nerith.listPorts().filter((p) => p.id === port.id), [port]);
    assert.deepEqual(nerith.searchPorts(port.id.toLowerCase()), [port]);
    assert.throws(() => nerith.addCustomPort(port),
      (caught) => caught.kind === "PortRejected" && caught.message === `DuplicateId("${port.id}")`);
  }
  assert.throws(() => nerith.addCustomPort({ ...newPort(), id: BREST }), nerith.TideError);
  const day = nerith.predictDay(nerith.listPorts().at(-1).id, "2026-06-21");
  assert.equal(day.heights.length, 145);
});

async function freshLibrary(interfaceOf, exportsOf = (e) => e) {
  const exports = await instantiate(new URL("../wasm/nerith_uniffi.wasm", import.meta.url));
  return { exports, lib: bind(exportsOf(exports), interfaceOf(INTERFACE), nerith.TideError) };
}

test("a module that does not match its bindings is refused at load", async () => {
  const wrongSum = (api) => ({ ...api, functions: api.functions.map((f, i) => (i === 2 ? { ...f, checksum: f.checksum ^ 1 } : f)) });
  await assert.rejects(freshLibrary(wrongSum), /height_at has checksum 55751, these bindings 55750/);
  const contract = "ffi_nerith_uniffi_uniffi_contract_version";
  await assert.rejects(freshLibrary((api) => api, (e) => ({ ...e, [contract]: () => 25 })), /contract 25, these bindings 26/);
  const { lib } = await freshLibrary((api) => api);
  assert.equal(lib.heightAt(BREST, NEW_YEAR), nerith.heightAt(BREST, NEW_YEAR));
});

test("an unexpected failure of the library is a plain Error with its message", async () => {
  const getPort = "uniffi_nerith_uniffi_fn_func_get_port";
  // Fails as the contract says a panic does: status 2, the message in error_buf.
  const panicking = (e) => ({ ...e, [getPort]: (result, id, status) => {
    e.ffi_nerith_uniffi_rustbuffer_free(id, status);
    const message = new TextEncoder().encode("a panic, ∅");
    e.ffi_nerith_uniffi_rustbuffer_alloc(result, BigInt(message.length), status);
    const view = new DataView(e.memory.buffer);
    new Uint8Array(e.memory.buffer, view.getUint32(result + 16, true)).set(message);
    view.setBigUint64(result + 8, BigInt(message.length), true);
    new Uint8Array(e.memory.buffer).copyWithin(status + 8, result, result + 24);
    view.setInt8(status, 2);
  } });
  const trapping = (e) => ({ ...e, [getPort]: () => { throw new WebAssembly.RuntimeError("unreachable"); } });
  for (const [exportsOf, message] of [[panicking, "a panic, ∅"], [trapping, "unreachable"]]) {
    const { lib } = await freshLibrary((api) => api, exportsOf);
    assert.throws(() => lib.getPort(BREST), (caught) =>
      caught.constructor === Error && caught.message === `nerith: internal error: ${message}`);
    assert.equal(lib.heightAt(BREST, NEW_YEAR), nerith.heightAt(BREST, NEW_YEAR));
  }
});

test("over HTTP, as in a browser, the module is fetched, served as WebAssembly or not", async () => {
  const bytes = readFileSync(new URL("../wasm/nerith_uniffi.wasm", import.meta.url));
  const server = createServer((request, response) => {
    if (request.url === "/missing.wasm") return response.writeHead(404).end();
    response.writeHead(200, { "content-type": request.url === "/typed.wasm" ? "application/wasm" : "application/octet-stream" });
    response.end(bytes);
  });
  await new Promise((listening) => server.listen(0, "127.0.0.1", listening));
  try {
    const at = (name) => new URL(name, `http://127.0.0.1:${server.address().port}/`);
    for (const name of ["typed.wasm", "untyped.wasm"]) {
      const lib = bind(await instantiate(at(name)), INTERFACE, nerith.TideError);
      assert.equal(lib.heightAt(BREST, NEW_YEAR), nerith.heightAt(BREST, NEW_YEAR), name);
    }
    await assert.rejects(instantiate(at("missing.wasm")), /answered 404/);
  } finally {
    server.close();
  }
});

test("every buffer is freed: memory stays put over many calls", async () => {
  const { exports, lib } = await freshLibrary((api) => api);
  const round = () => {
    lib.predictRange(BREST, "2024-01-01", "2024-01-31");
    lib.listPorts();
    assert.throws(() => lib.predictDay(BREST, "2024-02-30"));
    assert.equal(lib.getPort("nowhere"), null);
  };
  for (let i = 0; i < 20; i++) round();
  const before = exports.memory.buffer.byteLength;
  for (let i = 0; i < 300; i++) round();
  assert.equal(exports.memory.buffer.byteLength, before);
});

test("the generated modules and declarations are current and documented", () => {
  execFileSync(process.execPath, [new URL("../tools/generate.mjs", import.meta.url).pathname, "--check"]);
  const builtin = readFileSync(new URL("../index.d.ts", import.meta.url), "utf8");
  const fullTypes = readFileSync(new URL("../full.d.ts", import.meta.url), "utf8");
  assert.match(builtin, /mean-level reference[^]*export function heightAt\(portId: string, timestamp: number \| Date\): number;/);
  assert.match(fullTypes, /metres above chart datum[^]*export function waterWindows\(/);
  assert.match(fullTypes, /export type WaterSide = "Above" \| "Below";/);
});
