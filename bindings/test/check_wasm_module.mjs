// Checks one of nerith's WebAssembly modules as check_symbols.cmake checks a
// shared library: it exports exactly the names the generated bindings look up
// for its crate (nerith_uniffi_exported_names, given by wasm_tests.cmake), its
// memory and _initialize; it imports only the WASI functions below; and,
// instantiated with bindings/js/src/wasi.mjs, it answers contract 26 and lists
// its ports.
//   node check_wasm_module.mjs lib<crate>.wasm <crate> <name|name|...> <count>
import { readFile } from "node:fs/promises";
import { argv, exit } from "node:process";
import { wasiImports } from "../js/src/wasi.mjs";

// What a module may ask of its host: writing to the standard streams, all
// that wasi-libc's stdio needs to link. No clock, no randomness, no files.
const allowedImports = ["fd_close", "fd_seek", "fd_write"].map((n) => `wasi_snapshot_preview1.${n}`);

const [file, crate, names, count] = argv.slice(2);
const expected = names.split("|");
const problems = [];
if (expected.length !== Number(count)) problems.push(`expected ${expected.length} names, not ${count}`);

const module = await WebAssembly.compile(await readFile(file));
const kinds = new Map(WebAssembly.Module.exports(module).map((e) => [e.name, e.kind]));
const want = new Map(expected.map((n) => [n, n.startsWith("UNIFFI_META_") ? "global" : "function"]));
want.set("memory", "memory").set("_initialize", "function");
for (const [name, kind] of want) {
  if (!kinds.has(name)) problems.push(`missing: ${name}`);
  else if (kinds.get(name) !== kind) problems.push(`${name} is a ${kinds.get(name)}, not a ${kind}`);
}
for (const name of kinds.keys()) if (!want.has(name)) problems.push(`unexpected: ${name}`);
for (const { module: from, name } of WebAssembly.Module.imports(module)) {
  if (!allowedImports.includes(`${from}.${name}`)) problems.push(`imports ${from}.${name}`);
}

let instance;
instance = await WebAssembly.instantiate(module, wasiImports(() => instance.exports.memory));
instance.exports._initialize();
const version = instance.exports[`ffi_${crate}_uniffi_contract_version`]();
if (version !== 26) problems.push(`contract version ${version}, not 26`);
// The port listing, called as generated bindings call it on wasm32: the
// RustBuffer (capacity u64, len u64, data pointer: 24 bytes) is returned
// through a pointer given first and passed by a pointer to a copy; the
// RustCallStatus (code i8, RustBuffer at 8) follows it. The scratch space is a
// page of memory grown here, which the module's allocator never hands out.
const scratch = instance.exports.memory.grow(1) * 65536;
const status = scratch + 32;
instance.exports[`uniffi_${crate}_fn_func_list_ports`](scratch, status);
const view = new DataView(instance.exports.memory.buffer);
const [code, length] = [view.getInt8(status), Number(view.getBigUint64(scratch + 8, true))];
const ports = length >= 4 ? view.getInt32(view.getUint32(scratch + 16, true), false) : 0;
if (code !== 0 || ports <= 0) problems.push(`list_ports: status ${code}, ${length} bytes, ${ports} ports`);
instance.exports[`ffi_${crate}_rustbuffer_free`](scratch, status);
if (view.getInt8(status) !== 0) problems.push(`rustbuffer_free: status ${view.getInt8(status)}`);

if (problems.length) {
  console.error(problems.join("\n"));
  exit(1);
}
console.log(`all ${count} contract symbols of ${crate} exported, nothing else; ${ports} ports listed`);
