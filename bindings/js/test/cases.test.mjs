// The shared table of calls (bindings/test/cases.json) on both modules, as
// the Python, Kotlin and Swift suites run it (the matching rules are its
// "about"). The WebAssembly build's maths is wasi-libc's, not glibc's, so a
// number may differ from the table's by a few ulps of its value.
// The modules load bindings/js/wasm/*.wasm: scripts/package/npm.sh copies them
// there from the wasm build.

import { readFileSync } from "node:fs";
import { test } from "node:test";
import assert from "node:assert/strict";
import * as nerith from "../src/nerith.mjs";
import * as full from "../src/full.mjs";

const CASES = JSON.parse(readFileSync(new URL("../../test/cases.json", import.meta.url), "utf8"));
const MODULES = { nerith, nerith_full: full };
const ULPS = 16;

const camel = (name) => name.replace(/_([a-z0-9])/g, (_, c) => c.toUpperCase());

function ulp(x) {
  const view = new DataView(new ArrayBuffer(8));
  view.setFloat64(0, Math.abs(x));
  view.setBigUint64(0, view.getBigUint64(0) + 1n);
  return view.getFloat64(0) - Math.abs(x);
}

function check(answer, expected, where = "answer") {
  if (expected !== null && typeof expected === "object" && "$near" in expected) {
    assert.equal(typeof answer, "number", where);
    assert.ok(Math.abs(answer - expected.$near) <= expected.$within, `${where}: ${answer}`);
  } else if (expected !== null && typeof expected === "object" && Object.keys(expected).some((k) => k.startsWith("$"))) {
    assert.ok(Array.isArray(answer), `${where}: ${JSON.stringify(answer)} is not an array`);
    if ("$length" in expected) assert.equal(answer.length, expected.$length, `${where}: length`);
    for (const [index, item] of Object.entries(expected.$items ?? {})) check(answer[index], item, `${where}[${index}]`);
    if ("$each" in expected) answer.forEach((item, i) => check(item, expected.$each, `${where}[${i}]`));
  } else if (Array.isArray(expected)) {
    assert.ok(Array.isArray(answer) && answer.length === expected.length, `${where}: ${JSON.stringify(answer)}`);
    expected.forEach((item, i) => check(answer[i], item, `${where}[${i}]`));
  } else if (expected !== null && typeof expected === "object") {
    assert.ok(answer !== null && typeof answer === "object", `${where} is absent`);
    for (const [field, value] of Object.entries(expected)) check(answer[camel(field)], value, `${where}.${camel(field)}`);
  } else if (typeof expected === "number" && !Number.isInteger(expected)) {
    assert.equal(typeof answer, "number", where);
    const off = Math.abs(answer - expected) / ulp(expected);
    assert.ok(off <= ULPS, `${where}: ${answer}, expected ${expected} (${off} ulps)`);
  } else if (typeof expected === "string" && typeof answer === "string") {
    // An enumeration's variant is a string here; the table may write it in any case.
    assert.ok(answer === expected || answer.toLowerCase() === expected.toLowerCase(), `${where}: ${answer}`);
  } else {
    assert.equal(answer, expected, where);
  }
}

// {"$enum": "WaterSide.Above"} is the variant's name, as this API takes it.
const argument = (arg) => (arg !== null && typeof arg === "object" && "$enum" in arg ? arg.$enum.split(".")[1] : arg);

for (const [library, module] of Object.entries(MODULES)) {
  for (const c of CASES[library]) {
    test(`${library}.${c.call}(${c.args.map((a) => JSON.stringify(a)).join(", ")})`, () => {
      const fn = module[camel(c.call)];
      assert.equal(typeof fn, "function", c.call);
      const args = c.args.map(argument);
      if ("error" in c) {
        assert.throws(() => fn(...args), (caught) => {
          assert.ok(caught instanceof module.TideError, String(caught));
          assert.deepEqual([caught.kind, caught.message], [c.error, c.message]);
          return true;
        });
      } else {
        check(fn(...args), c.answer);
      }
    });
  }
}
