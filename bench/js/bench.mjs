// A year of Brest, day by day: nerith's WebAssembly build against
// @neaps/tide-predictor fed the same constituents and asked for the same work.
//
//   node bench/js/bench.mjs [--reps N] [--year YYYY] [--nerith PACKAGE_DIR] [--json]
//
// Each day, both sides produce the 145 heights every 600 s, the day's high and
// low waters, and the high and low waters of the 31-hour reference window the
// coefficient is graded against (Brest, from 7 hours before the day). nerith
// does all of it in one predictDay; the peer does it with its timeline and
// extremes calls, and the grading (a few comparisons) in plain JS here.
import fs from "node:fs";
import zlib from "node:zlib";
import { performance } from "node:perf_hooks";
import { createTidePredictor, constituents as PEER_TABLE } from "@neaps/tide-predictor";
import { pathToFileURL } from "node:url";

const HERE = new URL(".", import.meta.url);
const REPO = new URL("../../", HERE);
const PORT = "FR-BREST";
const DAY_MS = 86_400_000;
const REFERENCE_LEAD_MS = 25_200_000; // the reference window opens 7 hours early
const STEP_S = 600;
// Coefficient units: the built-in model's own scale, and the official one.
const UNIT = { builtin: 5.38 / 95, full: 6.1 / 100 };

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const i = args.indexOf(name);
  return i >= 0 ? args[i + 1] : fallback;
};
const REPS = Number(option("--reps", 7));
const YEAR = Number(option("--year", 2024));
const WARMUP = 2; // whole years per side before timing

// The nerith package: the installed one (bindings/js), or another copy of it
// given by --nerith DIR (a build with other flags, say), entered through its
// package.json's exports as an installed package would be.
const PACKAGE = args.includes("--nerith")
  ? new URL(`${option("--nerith")}/`, pathToFileURL(`${process.cwd()}/`))
  : new URL("node_modules/nerith/", HERE);
const entry = (name) => {
  const manifest = JSON.parse(fs.readFileSync(new URL("package.json", PACKAGE), "utf8"));
  return import(new URL(manifest.exports[name].default, PACKAGE).href);
};
const builtin = await entry(".");
const full = await entry("./full");

// The full model's constituent table: name -> extended Doodson numbers. Read
// from the C++ table so that the peer is only fed a constituent where its
// constituent of that name turns at the same speed.
function nerithTable() {
  const text = fs.readFileSync(new URL("core/src/full/constituent_table.hpp", REPO), "utf8");
  const rows = new Map();
  for (const m of text.matchAll(/(?:basic|compound)\("([^"]+)",\s*\{([^}]*)\}/g)) {
    rows.set(m[1], m[2].split(",").map(Number));
  }
  return rows;
}

// Degrees per hour of tau, s, h, p, N', p'.
const S = 0.5490165, H = 0.0410686;
const RATES = [15 - S + H, S, H, 0.0046418, 0.0022064, 0.0000020];
const speedOf = (doodson) => doodson.reduce((sum, d, i) => sum + d * RATES[i], 0);

// The constituents the peer can take: a name it knows, at the same speed.
// `rows` gives each kept constituent's Doodson numbers (for its species).
function peerConstituents(list, rows) {
  const kept = [];
  const skipped = [];
  for (const c of list) {
    const peer = PEER_TABLE[c.name];
    const doodson = rows.get(c.name);
    if (!peer || !doodson || Math.abs(peer.speed - speedOf(doodson)) > 1e-3) {
      skipped.push(peer ? `${c.name} (the peer's ${c.name} is ${peer.name}, ${peer.speed.toFixed(4)}°/h)` : c.name);
      continue;
    }
    kept.push({ name: c.name, amplitude: c.amplitude, phase: c.phaseLag, species: doodson[0] });
  }
  return { kept, skipped };
}

function fullBrest() {
  const doc = JSON.parse(fs.readFileSync(new URL("core/src/full/stations_full.json", REPO), "utf8"));
  const station = doc.stations.find((s) => s.id === PORT);
  return {
    meanLevel: station.mean_level,
    constituents: station.constituents.map(([name, amplitude, phaseLag]) => ({ name, amplitude, phaseLag })),
  };
}

// The coefficient of each high water of the day, graded as nerith grades it:
// the reference high water nearest to it, minus the reference low water before that.
function grade(extremes, reference, unit) {
  const coefficients = [];
  for (const e of extremes) {
    if (!e.high) continue;
    let high = null;
    for (const r of reference) {
      if (r.high && (high === null || Math.abs(r.time - e.time) < Math.abs(high.time - e.time))) high = r;
    }
    if (high === null) continue;
    let low = null;
    for (const r of reference) {
      if (!r.high && r.time < high.time && (low === null || r.time > low.time)) low = r;
    }
    if (low === null) continue;
    coefficients.push(Math.min(120, Math.max(20, Math.round((high.level - low.level) / unit))));
  }
  return coefficients;
}

// One day on the peer's side, as a nerith DayPrediction carries it.
function peerDay(curve, reference, unit, startMs) {
  const start = new Date(startMs);
  const end = new Date(startMs + DAY_MS);
  const heights = curve.getTimelinePrediction({ start, end, timeFidelity: STEP_S });
  const extremes = curve.getExtremesPrediction({ start, end });
  const window = reference.getExtremesPrediction({ start: new Date(startMs - REFERENCE_LEAD_MS), end });
  return { heights, extremes, coefficients: grade(extremes, window, unit) };
}

const days = [];
for (let t = Date.UTC(YEAR, 0, 1); t < Date.UTC(YEAR + 1, 0, 1); t += DAY_MS) {
  days.push({ ms: t, date: new Date(t).toISOString().slice(0, 10) });
}

// Each side is a function running the whole year and returning a checksum, so
// that nothing it computes can be dropped.
function nerithYear(model) {
  return () => {
    let sink = 0;
    for (const d of days) {
      const p = model.predictDay(PORT, d.date);
      sink += p.heights[72].height + p.extremes.length;
    }
    return sink;
  };
}

function peerYear(curve, reference, unit) {
  return () => {
    let sink = 0;
    for (const d of days) {
      const p = peerDay(curve, reference, unit, d.ms);
      sink += p.heights[72].level + p.extremes.length;
    }
    return sink;
  };
}

function median(xs) {
  const s = [...xs].sort((a, b) => a - b);
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
}

// The process's CPU time (user + system) in ms: on a shared machine it moves
// far less than the wall clock, which counts the time other jobs hold the cores.
function cpuMs() {
  const { user, system } = process.cpuUsage();
  return (user + system) / 1000;
}

const stats = (s) => ({ median: median(s), min: Math.min(...s), max: Math.max(...s) });

// Warm-up, then the sides alternate rep by rep, so drift in the machine's
// speed falls on both alike.
function time(sides) {
  for (const side of sides) for (let i = 0; i < WARMUP; i++) side.run();
  const wall = sides.map(() => []);
  const cpu = sides.map(() => []);
  for (let r = 0; r < REPS; r++) {
    sides.forEach((side, i) => {
      const w0 = performance.now();
      const c0 = cpuMs();
      side.sink = side.run();
      cpu[i].push(cpuMs() - c0);
      wall[i].push(performance.now() - w0);
    });
  }
  return sides.map((_, i) => ({ wall: stats(wall[i]), cpu: stats(cpu[i]) }));
}

// How far the two sides' answers stand apart over the year: heights (m),
// extreme times (s), coefficients (points). The models differ in their
// astronomy, so this is a check that both did the same job, not an equality.
function agreement(model, curve, reference, unit) {
  let height = 0, coefficient = 0, countMismatch = 0;
  const times = [];
  for (const d of days) {
    const a = model.predictDay(PORT, d.date);
    const b = peerDay(curve, reference, unit, d.ms);
    for (let i = 0; i < a.heights.length; i++) {
      height = Math.max(height, Math.abs(a.heights[i].height - b.heights[i].level));
    }
    if (a.extremes.length !== b.extremes.length) {
      countMismatch++;
      continue;
    }
    a.extremes.forEach((e, i) => {
      times.push(Math.abs(e.time - b.extremes[i].time.getTime() / 1000));
    });
    const ca = a.extremes.filter((e) => e.isHigh).map((e) => e.coefficient);
    ca.forEach((c, i) => {
      if (c !== null && b.coefficients[i] !== undefined) coefficient = Math.max(coefficient, Math.abs(c - b.coefficients[i]));
    });
  }
  return { height, timeMedian: median(times), timeMax: Math.max(...times), coefficient, countMismatch };
}

function wasmSizes() {
  const dir = new URL("wasm/", PACKAGE);
  return fs.readdirSync(dir)
    .filter((f) => f.endsWith(".wasm"))
    .map((f) => {
      const bytes = fs.readFileSync(new URL(f, dir));
      const brotli = zlib.brotliCompressSync(bytes, { params: { [zlib.constants.BROTLI_PARAM_QUALITY]: 11 } });
      return { file: f, raw: bytes.length, gzip: zlib.gzipSync(bytes, { level: 9 }).length, brotli: brotli.length };
    });
}

const rows = nerithTable();
const report = { node: process.version, year: YEAR, days: days.length, reps: REPS, warmup: WARMUP, models: [] };

for (const name of ["builtin", "full"]) {
  const model = name === "builtin" ? builtin : full;
  let station;
  if (name === "builtin") {
    const port = builtin.getPort(PORT);
    station = { meanLevel: port.meanWaterLevel, constituents: port.constituents };
  } else {
    station = fullBrest();
  }
  const { kept, skipped } = peerConstituents(station.constituents, rows);
  const curve = createTidePredictor(kept, { offset: station.meanLevel });
  // nerith grades the built-in model against the whole Brest curve, the full
  // model against its semi-diurnal part on no mean level.
  const reference = name === "builtin"
    ? curve
    : createTidePredictor(kept.filter((c) => c.species === 2), { offset: 0 });
  const sides = [
    { label: "nerith", run: nerithYear(model) },
    { label: "neaps", run: peerYear(curve, reference, UNIT[name]) },
  ];
  const [n, p] = time(sides);
  report.models.push({
    model: name,
    constituents: station.constituents.length,
    fedToPeer: kept.length,
    skipped,
    referenceConstituents: name === "builtin" ? kept.length : kept.filter((c) => c.species === 2).length,
    nerithMs: n,
    neapsMs: p,
    ratio: { wall: p.wall.median / n.wall.median, cpu: p.cpu.median / n.cpu.median },
    agreement: agreement(model, curve, reference, UNIT[name]),
  });
}
report.wasm = wasmSizes();

if (args.includes("--json")) {
  console.log(JSON.stringify(report, null, 1));
} else {
  console.log(`nerith: ${PACKAGE.pathname}`);
  const ms = (x) => `${x.median.toFixed(1)} ms (min ${x.min.toFixed(1)}, max ${x.max.toFixed(1)})`;
  const perDay = (x) => `${(x.median * 1000 / days.length).toFixed(0)} µs/day`;
  console.log(`Brest ${YEAR}, ${days.length} days day by day; node ${report.node}; ` +
    `${WARMUP} warm-up years per side, then the median of ${REPS} years, wall clock and CPU time`);
  for (const m of report.models) {
    console.log(`\n${m.model}: ${m.constituents} constituents, ${m.fedToPeer} fed to neaps` +
      (m.skipped.length ? `, ${m.skipped.length} skipped: ${m.skipped.join(", ")}` : "") +
      `; reference window on ${m.referenceConstituents}`);
    for (const [label, t] of [["nerith", m.nerithMs], ["neaps ", m.neapsMs]]) {
      console.log(`  ${label}  wall ${ms(t.wall)}, cpu ${ms(t.cpu)} per year; ${perDay(t.cpu)} cpu`);
    }
    console.log(`  ratio   neaps / nerith = ${m.ratio.wall.toFixed(2)} (wall), ${m.ratio.cpu.toFixed(2)} (cpu)`);
    const a = m.agreement;
    console.log(`  apart   heights ${a.height.toFixed(3)} m, extreme times ${a.timeMedian.toFixed(0)} s (median), ` +
      `${a.timeMax.toFixed(0)} s (max), ` +
      `coefficients ${a.coefficient}, days with a different count of extremes ${a.countMismatch}`);
  }
  console.log("\nwasm sizes:");
  for (const w of report.wasm) {
    console.log(`  ${w.file}: ${w.raw} bytes raw, ${w.gzip} gzipped (zlib -9), ${w.brotli} brotli (11)`);
  }
}
