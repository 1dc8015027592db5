// Reads the interface definitions (bindings/src/*.udl) as far as nerith uses
// them: one namespace of functions, dictionaries, enums and [Error] enums,
// with their `///` doc comments; and computes each function's checksum the
// way the UniFFI binding generator 0.28 does (bindings/test/checksum_test.py
// is the reference).

const TOKEN = /\/\/\/[^\n]*|\/\/[^\n]*|"[^"]*"|[A-Za-z_][A-Za-z0-9_]*|[{}()\[\];,=<>?]|\s+/y;

function tokenize(source) {
  const tokens = [];
  TOKEN.lastIndex = 0;
  while (TOKEN.lastIndex < source.length) {
    const at = TOKEN.lastIndex;
    const match = TOKEN.exec(source);
    if (!match) throw new Error(`udl: unexpected ${JSON.stringify(source.slice(at, at + 20))}`);
    const text = match[0];
    if (text.startsWith("///")) tokens.push({ doc: text.slice(3).replace(/^ /, "") });
    else if (!text.startsWith("//") && text.trim()) tokens.push({ text });
  }
  return tokens;
}

class Parser {
  constructor(tokens) {
    this.tokens = tokens;
    this.at = 0;
  }

  // The doc comment lines just before the next declaration, joined.
  docs() {
    const lines = [];
    while (this.at < this.tokens.length && "doc" in this.tokens[this.at]) {
      lines.push(this.tokens[this.at++].doc);
    }
    return lines.join("\n");
  }

  peek() {
    return this.tokens[this.at]?.text;
  }

  next(expected) {
    const token = this.tokens[this.at++];
    if (!token || "doc" in token || (expected && token.text !== expected)) {
      throw new Error(`udl: expected ${expected ?? "a token"}, got ${JSON.stringify(token)}`);
    }
    return token.text;
  }

  attributes() {
    const found = {};
    while (this.peek() === "[") {
      this.next("[");
      const key = this.next();
      found[key] = this.peek() === "=" ? (this.next("="), this.next()) : true;
      this.next("]");
    }
    return found;
  }

  // A type as the .udl spells it: "string", "u8?", "sequence<Port>".
  type() {
    let spelling = this.next();
    if (spelling === "sequence") {
      this.next("<");
      spelling = `sequence<${this.type()}>`;
      this.next(">");
    }
    if (this.peek() === "?") spelling += this.next("?");
    return spelling;
  }
}

export function parseUdl(source) {
  const parser = new Parser(tokenize(source));
  const udl = { doc: "", namespace: "", functions: [], records: [], enums: [] };
  while (parser.at < parser.tokens.length) {
    const doc = parser.docs();
    if (parser.at >= parser.tokens.length) break;
    const attributes = parser.attributes();
    const keyword = parser.next();
    const name = parser.next();
    parser.next("{");
    if (keyword === "namespace") {
      Object.assign(udl, { doc, namespace: name, functions: members(parser, functionOf) });
    } else if (keyword === "dictionary") {
      udl.records.push({ name, doc, fields: members(parser, fieldOf) });
    } else if (keyword === "enum") {
      udl.enums.push({ name, doc, error: Boolean(attributes.Error), variants: members(parser, variantOf) });
    } else {
      throw new Error(`udl: ${keyword} is not handled`);
    }
    parser.next(";");
  }
  return udl;
}

function members(parser, read) {
  const found = [];
  for (;;) {
    const doc = parser.docs();
    if (parser.peek() === "}") break;
    found.push({ doc, ...read(parser) });
  }
  parser.next("}");
  return found;
}

function functionOf(parser) {
  const throws = parser.attributes().Throws ?? null;
  const result = parser.type();
  const name = parser.next();
  parser.next("(");
  const args = [];
  while (parser.peek() !== ")") {
    const type = parser.type();
    args.push({ name: parser.next(), type });
    if (parser.peek() === ",") parser.next(",");
  }
  parser.next(")");
  parser.next(";");
  return { name, args, result: result === "void" ? null : result, throws };
}

function fieldOf(parser) {
  const type = parser.type();
  const name = parser.next();
  parser.next(";");
  return { name, type };
}

function variantOf(parser) {
  const name = parser.next().slice(1, -1);
  if (parser.peek() === ",") parser.next(",");
  return { name };
}

// --- checksums -------------------------------------------------------------

const MASK = (1n << 64n) - 1n;
const rotate = (x, bits) => ((x << bits) | (x >> (64n - bits))) & MASK;

// SipHash-1-3 with a zero key, as the generator hashes a function's description.
export function siphash13(data) {
  const v = [0x736f6d6570736575n, 0x646f72616e646f6dn, 0x6c7967656e657261n, 0x7465646279746573n];
  const round = () => {
    v[0] = (v[0] + v[1]) & MASK; v[1] = rotate(v[1], 13n) ^ v[0]; v[0] = rotate(v[0], 32n);
    v[2] = (v[2] + v[3]) & MASK; v[3] = rotate(v[3], 16n) ^ v[2];
    v[0] = (v[0] + v[3]) & MASK; v[3] = rotate(v[3], 21n) ^ v[0];
    v[2] = (v[2] + v[1]) & MASK; v[1] = rotate(v[1], 17n) ^ v[2]; v[2] = rotate(v[2], 32n);
  };
  const compress = (word) => {
    v[3] ^= word;
    round();
    v[0] ^= word;
  };
  const view = new DataView(data.buffer, data.byteOffset, data.byteLength);
  const whole = data.length - (data.length % 8);
  for (let at = 0; at < whole; at += 8) compress(view.getBigUint64(at, true));
  let last = BigInt(data.length & 0xff) << 56n;
  for (let i = whole; i < data.length; i++) last |= BigInt(data[i]) << BigInt(8 * (i - whole));
  compress(last);
  v[2] ^= 0xffn;
  for (let i = 0; i < 3; i++) round();
  return v[0] ^ v[1] ^ v[2] ^ v[3];
}

const PRIMITIVES = { u8: 0, i8: 1, u16: 2, i16: 3, u32: 4, i32: 5, u64: 6, i64: 7,
                     f32: 8, f64: 9, boolean: 10, string: 11 };
const RECORD = 16, ENUM = 17, OPTIONAL = 19, SEQUENCE = 20;

export function checksums(udl, crate) {
  const records = new Set(udl.records.map((r) => r.name));
  const enums = new Set(udl.enums.map((e) => e.name));
  const encoder = new TextEncoder();
  const text = (value) => [...encoder.encode(value), 0xff];
  const u64 = (value) => {
    const bytes = new Uint8Array(8);
    new DataView(bytes.buffer).setBigUint64(0, BigInt(value), true);
    return [...bytes];
  };
  const optional = (encoded) => (encoded === null ? u64(0) : [...u64(1), ...encoded]);
  const typeBytes = (spelling) => {
    if (spelling.endsWith("?")) return [...u64(OPTIONAL), ...typeBytes(spelling.slice(0, -1))];
    const sequence = /^sequence<(.+)>$/.exec(spelling);
    if (sequence) return [...u64(SEQUENCE), ...typeBytes(sequence[1])];
    if (spelling in PRIMITIVES) return u64(PRIMITIVES[spelling]);
    if (records.has(spelling)) return [...u64(RECORD), ...text(crate), ...text(spelling)];
    if (enums.has(spelling)) return [...u64(ENUM), ...text(crate), ...text(spelling)];
    throw new Error(`udl: type ${spelling} is not handled`);
  };
  const found = {};
  for (const fn of udl.functions) {
    const described = [...text(fn.name), ...text(crate), 0, ...u64(fn.args.length)];
    for (const arg of fn.args) described.push(...text(arg.name), ...typeBytes(arg.type), 0, 0, ...u64(0));
    described.push(...optional(fn.result === null ? null : typeBytes(fn.result)));
    described.push(...optional(fn.throws === null ? null : typeBytes(fn.throws)));
    described.push(...text(`uniffi_${crate}_checksum_func_${fn.name}`));
    found[fn.name] = Number(siphash13(Uint8Array.from(described)) & 0xffffn);
  }
  return found;
}
