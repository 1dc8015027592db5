// Drives the tide page in headless Chromium and checks what it shows against
// the nerith package's own answers, asked here in Node.
//   node page.test.mjs <base url>     (run.sh builds the page and serves it)
import { readFileSync, mkdirSync } from "node:fs";
import { dirname, join, resolve } from "node:path";
import { fileURLToPath, pathToFileURL } from "node:url";
import puppeteer from "puppeteer-core";

const here = dirname(fileURLToPath(import.meta.url));
const root = resolve(here, "../..");
const base = process.argv[2];
const shots = join(root, "build/web-test");
const CHROMIUM = process.env.CHROMIUM ?? "/usr/bin/chromium";

// The package's entry modules, as its package.json exports them: bindings/js
// as build.sh copied it beside the very .wasm files the page loads.
const pkgDir = join(root, "build/web/nerith");
const pkg = JSON.parse(readFileSync(join(pkgDir, "package.json"), "utf8"));
const pick = (e) => (typeof e === "string" ? e : pick(e.import ?? e.node ?? e.default));
const entry = (key) => import(pathToFileURL(join(pkgDir, pick(pkg.exports[key]))).href);
const full = await entry("./full");
const builtin = await entry(".");

// The reference case: Brest, Sunday 10 March 2024, on the Paris clock (CET,
// UTC+1 all day), so the local day is 2024-03-09 23:00 to 2024-03-10 23:00 UTC.
const DATE = "2024-03-10";
const DAY_START = Date.UTC(2024, 2, 9, 23) / 1000;
const DAY_END = Date.UTC(2024, 2, 10, 23) / 1000;
const LEVEL = 5;
const clock = new Intl.DateTimeFormat("en-GB", { timeZone: "Europe/Paris", hour: "2-digit", minute: "2-digit", hourCycle: "h23" });
const hm = (t) => clock.format(new Date(t * 1000));

let failures = 0;
function check(ok, what, detail = "") {
  if (ok) return;
  failures++;
  console.error(`FAIL ${what}${detail ? `\n  ${detail}` : ""}`);
}
function same(actual, expected, what) {
  const a = JSON.stringify(actual), e = JSON.stringify(expected);
  check(a === e, what, `page:    ${a}\n  library: ${e}`);
}

// The library's tides of one local day: the UTC days around it, each tide once.
function expectedTides(lib, portId, start, end) {
  const seen = [];
  for (const date of ["2024-03-09", "2024-03-10", "2024-03-11"]) {
    for (const e of lib.predictDay(portId, date).extremes) {
      if (!seen.some((s) => s.isHigh === e.isHigh && Math.abs(s.time - e.time) < 3600)) seen.push(e);
    }
  }
  return seen.filter((e) => e.time >= start && e.time < end).sort((a, b) => a.time - b.time);
}
const tideRows = (tides) => tides.map((e) => [
  e.isHigh ? "High water" : "Low water", hm(Math.round(e.time / 60) * 60), `${e.height.toFixed(2)} m`,
  e.coefficient === null ? "—" : String(e.coefficient),
]);

async function waitForServer() {
  for (let i = 0; i < 100; i++) {
    try { if ((await fetch(base)).ok) return; } catch { /* not up yet */ }
    await new Promise((r) => setTimeout(r, 100));
  }
  throw new Error(`no server at ${base}`);
}

const readTable = (page) => page.$$eval("#tide-table tbody tr", (rows) =>
  rows.map((r) => [...r.children].map((c) => c.textContent.trim())));
const readWindows = (page) => page.$$eval("#windows li .span", (s) => s.map((x) => x.textContent.trim()));
const dayTitle = (page) => page.$eval("#day-title", (h) => h.textContent);

async function setField(page, selector, value) {
  await page.$eval(selector, (el) => { el.value = ""; });
  await page.type(selector, value);
}

async function screenshots(page, name) {
  // (Switching isMobile would reload the page and lose its state.)
  for (const [label, width, height] of [["phone", 375, 800], ["desktop", 1280, 900]]) {
    await page.setViewport({ width, height, deviceScaleFactor: 1 });
    await page.evaluate(() => new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r))));
    const overflow = await page.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
    check(overflow <= 0, `${name} ${label}: no sideways scrolling`, `${overflow} px too wide`);
    const path = join(shots, `${name}-${label}.png`);
    await page.screenshot({ path, fullPage: true });
    console.log(`screenshot ${path}`);
  }
}

await waitForServer();
mkdirSync(shots, { recursive: true });
const browser = await puppeteer.launch({
  executablePath: CHROMIUM,
  headless: true,
  args: ["--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run"],
});
const errors = [];
try {
  const page = await browser.newPage();
  page.on("pageerror", (e) => errors.push(`page error: ${e.message}`));
  page.on("console", (m) => { if (m.type() === "error") errors.push(`console error: ${m.text()}`); });
  page.on("requestfailed", (r) => errors.push(`request failed: ${r.url()} ${r.failure()?.errorText}`));
  page.on("response", (r) => { if (r.status() >= 400) errors.push(`HTTP ${r.status()}: ${r.url()}`); });
  await page.setViewport({ width: 1280, height: 900 });

  // ---- first load: the full model, some port, today
  const started = Date.now();
  await page.goto(base, { waitUntil: "domcontentloaded" });
  await page.waitForSelector("#tide-table tbody tr");
  const wall = Date.now() - started;
  const mark = await page.evaluate(() => performance.getEntriesByName("first-table")[0]?.startTime);
  console.log(`first table: ${Math.round(mark)} ms after navigation start (${wall} ms as the test saw it)`);
  check(await page.$eval("body", (b) => b.dataset.model) === "full", "the full model is the default");
  check((await page.$eval("#model-line", (p) => p.textContent)).includes("chart datum"), "the model line names the datum");

  // ---- Brest, 2024-03-10
  await setField(page, "#port-search", "Brest");
  await page.waitForSelector('#port-results button[data-id="FR-BREST"]');
  await page.click('#port-results button[data-id="FR-BREST"]');
  await page.$eval("#date", (el, d) => { el.value = d; el.dispatchEvent(new Event("change", { bubbles: true })); }, DATE);
  await page.waitForFunction(() => document.querySelector("#day-title").textContent.includes("10 March 2024"));
  check((await dayTitle(page)).startsWith("Brest"), "Brest is shown", await dayTitle(page));
  check((await page.$eval("#zone", (p) => p.textContent)).includes("Europe/Paris"), "the zone is named");
  const fullTides = expectedTides(full, "FR-BREST", DAY_START, DAY_END);
  check(fullTides.length >= 3, "the library gives the day's tides", JSON.stringify(fullTides));
  const fullTable = await readTable(page);
  same(fullTable, tideRows(fullTides), "full model: the table of high and low waters");
  console.log(`full model, Brest ${DATE}: ${fullTable.map((r) => r.join(" ")).join("; ")}`);
  check(await page.$eval("#datum-warning", (w) => w.hidden), "no datum warning on the full model");

  // ---- enough water above a level
  await setField(page, "#level", String(LEVEL));
  const raw = full.waterWindows("FR-BREST", "2024-03-09", "2024-03-11", LEVEL, "Above");
  const expectedWindows = raw
    .filter((w) => w.end > DAY_START && w.start < DAY_END)
    .map((w) => [Math.ceil(Math.max(w.start, DAY_START) / 60) * 60, Math.floor(Math.min(w.end, DAY_END) / 60) * 60])
    .filter(([s, e]) => e > s)
    .map(([s, e]) => `${hm(s)} – ${e === DAY_END ? "24:00" : hm(e)}`);
  check(expectedWindows.length > 0, "the library gives windows above the level");
  await page.waitForSelector("#windows li .span");
  same(await readWindows(page), expectedWindows, `full model: the windows above ${LEVEL} m`);
  check(await page.$$eval(".tide-chart .win", (r) => r.length) === expectedWindows.length, "the windows are drawn");

  // A draught, a margin and a drying height make the level.
  await page.click('input[name="need"][value="draught"]');
  await setField(page, "#draught", "1.8");
  await setField(page, "#margin", "0.5");
  await setField(page, "#depth", "-1.2");
  check((await page.$eval("#need-summary", (p) => p.textContent)).includes("3.50 m"), "draught 1.8 + margin 0.5 over a 1.2 m drying height needs 3.50 m");
  await page.click('input[name="need"][value="level"]');

  // ---- the week
  const week = await page.$$eval("#week-table tbody tr", (rows) =>
    rows.map((r) => [r.querySelector("button").dataset.date, r.querySelector(".coefs").textContent]));
  same(week.map(([d]) => d), ["2024-03-10", "2024-03-11", "2024-03-12", "2024-03-13", "2024-03-14", "2024-03-15", "2024-03-16"], "the week: 7 days from the date");
  const weekCoefs = week.map(([date]) => {
    const start = DAY_START + (Date.parse(`${date}T00:00:00Z`) / 1000 - Date.parse(`${DATE}T00:00:00Z`) / 1000);
    const seen = [];
    for (const d of full.predictRange("FR-BREST", "2024-03-09", "2024-03-17")) {
      for (const e of d.extremes) if (!seen.some((s) => s.isHigh === e.isHigh && Math.abs(s.time - e.time) < 3600)) seen.push(e);
    }
    const c = seen.filter((e) => e.isHigh && e.time >= start && e.time < start + 86400 && e.coefficient !== null)
      .sort((a, b) => a.time - b.time).map((e) => e.coefficient);
    return c.length ? c.join(" · ") : "—";
  });
  same(week.map(([, c]) => c), weekCoefs, "the week's coefficients");

  await screenshots(page, "full");
  await page.setViewport({ width: 1280, height: 900 });

  // ---- the built-in model
  await page.click('input[name="model"][value="builtin"]');
  await page.waitForFunction(() => document.body.dataset.model === "builtin"
    && document.querySelector("#tide-caption").textContent.includes("mean-level"));
  const id = builtin.searchPorts("FR-BREST").some((p) => p.id === "FR-BREST") ? "FR-BREST" : builtin.searchPorts("Brest")[0].id;
  check((await dayTitle(page)).startsWith("Brest") && (await dayTitle(page)).includes("10 March 2024"), "the built-in model keeps Brest and the date", await dayTitle(page));
  same(await readTable(page), tideRows(expectedTides(builtin, id, DAY_START, DAY_END)), "built-in model: the table of high and low waters");
  check(!(await page.$eval("#datum-warning", (w) => w.hidden)), "the built-in model warns that its heights are not on chart datum");
  check((await page.$eval("#model-line", (p) => p.textContent)).includes("not chart datum"), "the model line says mean level, not chart datum");
  // Its windows come from heights: each listed minute must have the water up.
  await setField(page, "#level", "1");
  await page.waitForFunction(() => document.querySelector("#need-summary").textContent.includes("1.00 m"));
  check(!(await page.$eval("#water-warning", (w) => w.hidden)), "the built-in windows carry the datum warning");
  const spans = await readWindows(page);
  check(spans.length > 0, "built-in windows are listed");
  for (const span of spans) {
    for (const part of span.split(" – ")) {
      const [h, m] = part.split(":").map(Number);
      const t = Math.min(DAY_START + h * 3600 + m * 60, DAY_END);
      check(builtin.heightAt(id, t) >= 1, `built-in window ${span}: the water stands at or above 1 m at ${part}`);
    }
  }
  await screenshots(page, "builtin");
} catch (error) {
  check(false, `the test stopped: ${error.stack ?? error}`);
} finally {
  await browser.close();
}

for (const e of errors) check(false, e);
if (failures) {
  console.error(`page test failed: ${failures} check(s)`);
  process.exit(1);
}
console.log("page test passed");
