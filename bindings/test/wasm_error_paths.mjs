// The buffer-level failures of client_test.py, through one WebAssembly module:
// each must come back as status 2 with its message, as natively, and never
// trap (libc++abi for wasm cannot unwind, so a throw there is an abort). After
// them all the instance must still answer.
//   node wasm_error_paths.mjs lib<crate>.wasm <crate>
import { readFile } from "node:fs/promises";
import { argv, exit } from "node:process";
import { wasiImports } from "../js/src/wasi.mjs";

const [file, crate] = argv.slice(2);
let instance;
const module = await WebAssembly.compile(await readFile(file));
instance = await WebAssembly.instantiate(module, wasiImports(() => instance.exports.memory));
const { exports: lib } = instance;
lib._initialize();
// Scratch space grown after _initialize is the host's (src/wasm/host_pages.cpp):
// a RustCallStatus (code at 0, RustBuffer at 8), a returned RustBuffer, an
// argument (RustBuffer: capacity u64, len u64, data u32) and a ForeignBytes
// (len i32, data u32).
const base = lib.memory.grow(1) * 65536;
const [status, result, argument, foreign] = [base, base + 32, base + 64, base + 96];
const view = () => new DataView(lib.memory.buffer);
const ffi = (name) => lib[`ffi_${crate}_${name}`];
const buffer = (capacity, len, data) => {
  view().setBigUint64(argument, BigInt(capacity), true);
  view().setBigUint64(argument + 8, BigInt(len), true);
  view().setUint32(argument + 16, data, true);
  return argument;
};
const bytes = (len, data) => {
  view().setInt32(foreign, len, true);
  view().setUint32(foreign + 4, data, true);
  return foreign;
};

const cases = [
  ["alloc(2^63)", () => ffi("rustbuffer_alloc")(result, 1n << 63n, status), /^capacity overflow$/],
  ["alloc(2^31)", () => ffi("rustbuffer_alloc")(result, 1n << 31n, status), /^memory allocation of 2147483648 bytes failed$/],
  ["alloc(2^40)", () => ffi("rustbuffer_alloc")(result, 1n << 40n, status), /^memory allocation of/],
  ["from_bytes(3, null)", () => ffi("rustbuffer_from_bytes")(result, bytes(3, 0), status), /^null ForeignBytes had non-zero length$/],
  ["from_bytes(-1, data)", () => ffi("rustbuffer_from_bytes")(result, bytes(-1, base), status), /^bytes length negative or overflowed: TryFromIntError\(\(\)\)$/],
  ["free(5, 0, null)", () => ffi("rustbuffer_free")(buffer(5, 0, 0), status), /^null RustBuffer had non-zero capacity$/],
  ["free(0, 3, null)", () => ffi("rustbuffer_free")(buffer(0, 3, 0), status), /^null RustBuffer had non-zero length$/],
  ["free(4, 8, data)", () => ffi("rustbuffer_free")(buffer(4, 8, base), status), /^RustBuffer length exceeds capacity$/],
  ["reserve((5, 0, null), 1)", () => ffi("rustbuffer_reserve")(result, buffer(5, 0, 0), 1n, status), /^null RustBuffer had non-zero capacity$/],
  ["height_at((0, 3, null), 0)", () => lib[`uniffi_${crate}_fn_func_height_at`](buffer(0, 3, 0), 0n, status), /^null RustBuffer had non-zero length$/],
];

const problems = [];
for (const [name, call, message] of cases) {
  new Uint8Array(lib.memory.buffer, status, 32).fill(0);
  try {
    call();
  } catch (fault) {
    problems.push(`${name}: ${fault}`);
    continue;
  }
  const code = view().getInt8(status);
  const len = Number(view().getBigUint64(status + 16, true));
  const text = new TextDecoder().decode(new Uint8Array(lib.memory.buffer, view().getUint32(status + 24, true), len));
  if (code !== 2 || !message.test(text)) problems.push(`${name}: status ${code}, "${text}"`);
  if (len > 0) ffi("rustbuffer_free")(status + 8, result);
}
new Uint8Array(lib.memory.buffer, status, 32).fill(0);
lib[`uniffi_${crate}_fn_func_list_ports`](result, status);
if (view().getInt8(status) !== 0) problems.push(`list_ports afterwards: status ${view().getInt8(status)}`);

if (problems.length) {
  console.error(problems.join("\n"));
  exit(1);
}
console.log(`${cases.length} failures of ${crate} answered with status 2, no trap`);
