// Runs a WASI command (a .wasm with _start) under Node's node:wasi, the way
// CMake runs a cross-compiled program (CMAKE_CROSSCOMPILING_EMULATOR):
//   node tools/run_wasi.mjs <program.wasm> [arguments...]
// It sees the current directory and nothing else; its exit code is ours.
import { readFile } from "node:fs/promises";
import { argv, env, exit } from "node:process";
import { WASI } from "node:wasi";

const [program, ...args] = argv.slice(2);
const wasi = new WASI({ version: "preview1", args: [program, ...args], env, preopens: { ".": "." } });
const module = await WebAssembly.compile(await readFile(program));
const instance = await WebAssembly.instantiate(module, wasi.getImportObject());
exit(wasi.start(instance));
