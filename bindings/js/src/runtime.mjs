// Calls a nerith WebAssembly module through its UniFFI contract-26 C boundary,
// the one the Python, Kotlin and Swift bindings use: arguments and results
// travel as RustBuffers holding UniFFI's big-endian serialization, and every
// call reports through a RustCallStatus. The per-model modules
// (nerith.mjs, full.mjs) are generated from the .udl files by
// tools/generate.mjs; this file knows no function of its own.

import { wasiImports } from "./wasi.mjs";

export const CONTRACT_VERSION = 26;

// wasm32 C layout: RustBuffer { u64 capacity; u64 len; u8* data } is 24
// bytes; RustCallStatus { i8 code; RustBuffer error_buf } puts the buffer at
// 8 (its alignment) and takes 32. Structs travel by pointer: a returned one
// through a hidden first argument, an argument as a pointer to its copy.
const BUFFER_SIZE = 24;
const STATUS_SIZE = 32;
const PAGE = 65536;
const MAX_ARGS = 8;
const SCRATCH_SIZE = STATUS_SIZE + BUFFER_SIZE * (2 + MAX_ARGS);

const encoder = new TextEncoder();
const decoder = new TextDecoder();

function internalError(detail) {
  return new Error(`nerith: internal error: ${detail}`);
}

// --- serialization -----------------------------------------------------------

class Writer {
  constructor() {
    this.bytes = new Uint8Array(64);
    this.view = new DataView(this.bytes.buffer);
    this.length = 0;
  }

  reserve(size) {
    if (this.length + size <= this.bytes.length) return this.length;
    const grown = new Uint8Array(Math.max(this.bytes.length * 2, this.length + size));
    grown.set(this.bytes.subarray(0, this.length));
    this.bytes = grown;
    this.view = new DataView(grown.buffer);
    return this.length;
  }

  put(size, store) {
    const at = this.reserve(size);
    store(this.view, at);
    this.length += size;
  }

  raw(bytes) {
    this.bytes.set(bytes, this.reserve(bytes.length));
    this.length += bytes.length;
  }

  done() {
    return this.bytes.subarray(0, this.length);
  }
}

class Reader {
  constructor(view, start, length) {
    this.view = view;
    this.at = start;
    this.end = start + length;
  }

  take(size) {
    const at = this.at;
    if (at + size > this.end) throw internalError("a buffer ended early");
    this.at += size;
    return at;
  }

  bytes(size) {
    const at = this.take(size);
    return new Uint8Array(this.view.buffer, this.view.byteOffset + at, size);
  }
}

function typeError(where, wanted, value) {
  const shown = typeof value === "string" ? JSON.stringify(value) : String(value);
  return new TypeError(`nerith: ${where} must be ${wanted}, not ${shown}`);
}

// An i64 of this API is an instant: Unix seconds, or a Date (to the second below).
function seconds(value, where) {
  if (value instanceof Date) {
    const ms = value.getTime();
    if (Number.isNaN(ms)) throw typeError(where, "a valid Date", value);
    return Math.floor(ms / 1000);
  }
  if (!Number.isSafeInteger(value)) throw typeError(where, "whole Unix seconds or a Date", value);
  return value;
}

function integer(min, max) {
  return (value, where) => {
    if (!Number.isInteger(value) || value < min || value > max) {
      throw typeError(where, `an integer from ${min} to ${max}`, value);
    }
    return value;
  };
}

function number(value, where) {
  if (typeof value !== "number") throw typeError(where, "a number", value);
  return value;
}

function boolean(value, where) {
  if (typeof value !== "boolean") throw typeError(where, "a boolean", value);
  return value;
}

// Each primitive's reader, writer and check (which gives the value to store).
const PRIMITIVES = {
  string: {
    read: (r) => {
      const size = r.view.getInt32(r.take(4));
      if (size < 0) throw internalError("a negative string length");
      return decoder.decode(r.bytes(size));
    },
    write: (w, value, where) => {
      if (typeof value !== "string") throw typeError(where, "a string", value);
      const bytes = encoder.encode(value);
      w.put(4, (v, at) => v.setInt32(at, bytes.length));
      w.raw(bytes);
    },
  },
  f64: { size: 8, check: number, read: (r) => r.view.getFloat64(r.take(8)),
         store: (v, at, n) => v.setFloat64(at, n) },
  // An i64 is read as its two big-endian halves, without a BigInt per value:
  // hi·2³² is exact, so the sum rounds once, as Number(BigInt) would.
  i64: { size: 8, check: (value, where) => BigInt(seconds(value, where)),
         read: (r) => {
           const at = r.take(8);
           return r.view.getInt32(at) * 4294967296 + r.view.getUint32(at + 4);
         },
         store: (v, at, n) => v.setBigInt64(at, n) },
  i32: { size: 4, check: integer(-(2 ** 31), 2 ** 31 - 1), read: (r) => r.view.getInt32(r.take(4)),
         store: (v, at, n) => v.setInt32(at, n) },
  u8: { size: 1, check: integer(0, 255), read: (r) => r.view.getUint8(r.take(1)),
        store: (v, at, n) => v.setUint8(at, n) },
  boolean: { size: 1, check: boolean, read: (r) => r.view.getInt8(r.take(1)) !== 0,
             store: (v, at, b) => v.setInt8(at, b ? 1 : 0) },
};
for (const primitive of Object.values(PRIMITIVES)) {
  if (primitive.write) continue;
  const { size, check, store } = primitive;
  primitive.write = (w, value, where) => {
    const checked = check(value, where);
    w.put(size, (v, at) => store(v, at, checked));
  };
}

function optional(inner) {
  return {
    read: (r) => {
      const flag = r.view.getInt8(r.take(1));
      if (flag === 0) return null;
      if (flag !== 1) throw internalError(`an optional's flag is ${flag}`);
      return inner.read(r);
    },
    write: (w, value, where) => {
      const present = value !== null && value !== undefined;
      w.put(1, (v, at) => v.setInt8(at, present ? 1 : 0));
      if (present) inner.write(w, value, where);
    },
  };
}

function sequence(inner) {
  return {
    read: (r) => {
      const count = r.view.getInt32(r.take(4));
      if (count < 0) throw internalError("a negative sequence length");
      const items = new Array(count);
      for (let i = 0; i < count; i++) items[i] = inner.read(r);
      return items;
    },
    write: (w, value, where) => {
      if (!Array.isArray(value)) throw typeError(where, "an array", value);
      w.put(4, (v, at) => v.setInt32(at, value.length));
      value.forEach((item, i) => inner.write(w, item, `${where}[${i}]`));
    },
  };
}

function record(fields) {
  return {
    read: (r) => {
      const value = {};
      // An indexed loop: no iterator or destructuring per field of each of a day's 150 records.
      for (let i = 0; i < fields.length; i++) value[fields[i][0]] = fields[i][1].read(r);
      return value;
    },
    write: (w, value, where) => {
      if (typeof value !== "object" || value === null) throw typeError(where, "an object", value);
      for (const [name, field] of fields) field.write(w, value[name], `${where}.${name}`);
    },
  };
}

// Variants travel as their 1-based position.
function enumeration(variants) {
  return {
    read: (r) => {
      const index = r.view.getInt32(r.take(4));
      if (index < 1 || index > variants.length) throw internalError(`no variant ${index}`);
      return variants[index - 1];
    },
    write: (w, value, where) => {
      const index = variants.indexOf(value);
      if (index < 0) throw typeError(where, `one of ${variants.map((v) => `"${v}"`).join(", ")}`, value);
      w.put(4, (v, at) => v.setInt32(at, index + 1));
    },
  };
}

// The converter of a type as the .udl spells it.
function converters(api) {
  const made = new Map();
  const of = (spelling) => {
    if (made.has(spelling)) return made.get(spelling);
    let made_;
    const inSequence = /^sequence<(.+)>$/.exec(spelling);
    if (spelling.endsWith("?")) made_ = optional(of(spelling.slice(0, -1)));
    else if (inSequence) made_ = sequence(of(inSequence[1]));
    else if (spelling in PRIMITIVES) made_ = PRIMITIVES[spelling];
    else if (spelling in api.enums) made_ = enumeration(api.enums[spelling]);
    else if (spelling in api.records) {
      const fields = [];
      made_ = record(fields);
      made.set(spelling, made_);
      for (const [name, type] of api.records[spelling]) fields.push([name, of(type)]);
    } else throw new Error(`nerith: type ${spelling} is not handled`);
    made.set(spelling, made_);
    return made_;
  };
  return of;
}

// --- the module --------------------------------------------------------------

// Node reads the module's file; a browser fetches it, compiling as it arrives
// when the server says it is WebAssembly.
async function instantiateFrom(url, imports) {
  if (url.protocol === "file:") {
    const { readFile } = await import("node:fs/promises");
    return WebAssembly.instantiate(await readFile(url), imports);
  }
  const response = await fetch(url);
  if (!response.ok) throw new Error(`nerith: ${url} answered ${response.status}`);
  if (response.headers.get("content-type") === "application/wasm" && WebAssembly.instantiateStreaming) {
    return WebAssembly.instantiateStreaming(response, imports);
  }
  return WebAssembly.instantiate(await response.arrayBuffer(), imports);
}

// The instance's exports, the module started (a WASI reactor is initialised once).
export async function instantiate(url) {
  let memory = null;
  const { instance } = await instantiateFrom(url, wasiImports(() => memory));
  memory = instance.exports.memory;
  instance.exports._initialize?.();
  return instance.exports;
}

// What a top-level argument or result is at the wasm boundary: a RustBuffer
// (by pointer), an i64 (a BigInt), or a number.
function direct(spelling) {
  return PRIMITIVES[spelling]?.check ? "direct" : "buffer";
}

function liftDirect(type, answer) {
  if (type === "boolean") return answer !== 0;
  if (type === "i64") return Number(answer);
  if (type === "u8") return answer & 0xff;
  return answer;
}

class Library {
  constructor(exports, api, errorClass) {
    this.exports = exports;
    this.memory = exports.memory;
    this.crate = api.crate;
    this.errors = api.errors;
    this.errorClass = errorClass;
    this.convert = converters(api);
    this.check(api);
    this.scratch(this.memory.grow(1) * PAGE + PAGE / 2);
  }

  // The structs of a call live in one buffer of the library's allocator,
  // kept for good. Asking for it needs somewhere to put its own struct: the
  // middle of a page grown for the purpose. The module sets its allocator up
  // in _initialize, so the page stays ours; an allocator started lazily would
  // take it in but, for so small a request, write only at its ends.
  scratch(boot) {
    this.status = boot;
    this.result = boot + STATUS_SIZE;
    const { data } = this.alloc(new Uint8Array(SCRATCH_SIZE));
    this.status = data;
    this.result = data + STATUS_SIZE;
    this.freed = this.result + BUFFER_SIZE;
    this.args = this.freed + BUFFER_SIZE;
  }

  check(api) {
    const contract = this.exports[`ffi_${this.crate}_uniffi_contract_version`]() >>> 0;
    if (contract !== CONTRACT_VERSION) {
      throw new Error(`nerith: ${this.crate}.wasm speaks UniFFI contract ${contract}, these bindings ${CONTRACT_VERSION}`);
    }
    for (const fn of api.functions) {
      const found = this.exports[`uniffi_${this.crate}_checksum_func_${fn.name}`]() & 0xffff;
      if (found !== fn.checksum) {
        throw new Error(`nerith: ${this.crate}.wasm's ${fn.name} has checksum ${found}, these bindings ${fn.checksum}: rebuild them together`);
      }
    }
  }

  view() {
    if (this.dataView?.buffer !== this.memory.buffer) this.dataView = new DataView(this.memory.buffer);
    return this.dataView;
  }

  // Through the cached view: no typed array made per call.
  resetStatus() {
    const v = this.view();
    for (let i = 0; i < STATUS_SIZE; i += 8) v.setFloat64(this.status + i, 0);
  }

  readBuffer(at) {
    const v = this.view();
    return { capacity: v.getBigUint64(at, true), len: Number(v.getBigUint64(at + 8, true)), data: v.getUint32(at + 16, true) };
  }

  writeBuffer(at, buffer) {
    const v = this.view();
    v.setBigUint64(at, buffer.capacity, true);
    v.setBigUint64(at + 8, BigInt(buffer.len), true);
    v.setUint32(at + 16, buffer.data, true);
  }

  // A status left failing by a buffer call: it may only fail unexpectedly.
  bufferCallFailed() {
    const v = this.view();
    return v.getInt8(this.status) !== 0;
  }

  alloc(bytes) {
    this.resetStatus();
    this.exports[`ffi_${this.crate}_rustbuffer_alloc`](this.result, BigInt(bytes.length), this.status);
    if (this.bufferCallFailed()) this.raise(null);
    const buffer = this.readBuffer(this.result);
    new Uint8Array(this.memory.buffer, buffer.data, bytes.length).set(bytes);
    buffer.len = bytes.length;
    return buffer;
  }

  free(buffer) {
    this.writeBuffer(this.freed, buffer);
    this.resetStatus();
    this.exports[`ffi_${this.crate}_rustbuffer_free`](this.freed, this.status);
    if (this.bufferCallFailed()) this.raise(null);
  }

  // Reads a buffer's whole content with `read` and frees it.
  consume(buffer, read) {
    try {
      const reader = new Reader(this.view(), buffer.data, buffer.len);
      const value = read(reader);
      if (reader.at !== reader.end) throw internalError("bytes left over in a buffer");
      return value;
    } finally {
      this.free(buffer);
    }
  }

  // Throws what a failed call's status says.
  raise(errorType) {
    const v = this.view();
    const code = v.getInt8(this.status);
    const buffer = this.readBuffer(this.status + 8);
    if (code === 1 && errorType) {
      const variants = this.errors[errorType];
      const [kind, message] = this.consume(buffer, (r) => {
        const index = r.view.getInt32(r.take(4));
        if (index < 1 || index > variants.length) throw internalError(`no ${errorType} variant ${index}`);
        return [variants[index - 1], PRIMITIVES.string.read(r)];
      });
      throw new this.errorClass(kind, message);
    }
    let detail = `status ${code}`;
    if (code === 2 && buffer.len > 0) detail = this.consume(buffer, (r) => decoder.decode(r.bytes(r.end - r.at)));
    else if (buffer.len > 0) this.free(buffer);
    throw internalError(detail);
  }

  // The JavaScript function of one of the .udl's functions.
  function(fn) {
    const symbol = this.exports[`uniffi_${this.crate}_fn_func_${fn.name}`];
    if (typeof symbol !== "function") throw new Error(`nerith: ${this.crate}.wasm lacks ${fn.name}`);
    if (fn.args.length > MAX_ARGS) throw new Error(`nerith: ${fn.name} takes more than ${MAX_ARGS} arguments`);
    const args = fn.args.map(([name, type]) => ({ name, type, kind: direct(type), convert: this.convert(type) }));
    const result = fn.result === null ? null : { type: fn.result, kind: direct(fn.result), convert: this.convert(fn.result) };
    const name = fn.js;
    return {
      [name]: (...values) => this.call(symbol, name, args, result, fn.throws, values),
    }[name];
  }

  // A top-level string travels as bare UTF-8, anything else serialized.
  lower(arg, value, where) {
    if (arg.kind !== "buffer") {
      const checked = PRIMITIVES[arg.type].check(value, where);
      return arg.type === "boolean" ? Number(checked) : checked;
    }
    if (arg.type === "string") {
      if (typeof value !== "string") throw typeError(where, "a string", value);
      return encoder.encode(value);
    }
    const w = new Writer();
    arg.convert.write(w, value, where);
    return w.done();
  }

  call(symbol, name, args, result, errorType, values) {
    // Everything is checked before the library allocates anything.
    const lowered = args.map((arg, i) => this.lower(arg, values[i], `${name}(): ${arg.name}`));
    const params = result?.kind === "buffer" ? [this.result] : [];
    const allocated = [];
    try {
      lowered.forEach((value, i) => {
        if (args[i].kind !== "buffer") return params.push(value);
        const buffer = this.alloc(value);
        allocated.push(buffer);
        const at = this.args + i * BUFFER_SIZE;
        this.writeBuffer(at, buffer);
        params.push(at);
      });
    } catch (failure) {
      allocated.forEach((buffer) => this.free(buffer));
      throw failure;
    }
    params.push(this.status);
    this.resetStatus();
    let answer;
    try {
      answer = symbol(...params); // the library consumes the argument buffers
    } catch (failure) {
      if (failure instanceof WebAssembly.RuntimeError) throw internalError(failure.message);
      throw failure;
    }
    if (this.view().getInt8(this.status) !== 0) this.raise(errorType);
    if (result === null) return undefined;
    if (result.kind !== "buffer") return liftDirect(result.type, answer);
    const buffer = this.readBuffer(this.result);
    if (result.type === "string") return this.consume(buffer, (r) => decoder.decode(r.bytes(r.end - r.at)));
    return this.consume(buffer, result.convert.read);
  }
}

// The functions of an interface (a generated *.interface.mjs) over an
// instance's exports, after the contract version and every checksum matched.
export function bind(exports, api, errorClass) {
  const library = new Library(exports, api, errorClass);
  return Object.fromEntries(api.functions.map((fn) => [fn.js, library.function(fn)]));
}

export async function load(url, api, errorClass) {
  return bind(await instantiate(url), api, errorClass);
}
