// The tide page: a port, a local day, its curve and tides, the windows with
// enough water, and the week's coefficients, from either of nerith's models.
import {
  addDays, clipWindows, isDate, localDays, neededHeight, parseMetres, roundMinute,
  todayIn, wallClock, windowsFromHeights, zoneOffset,
} from "./tide.js";
import { drawChart } from "./chart.js";

// Each model's wasm is fetched only when the model is first shown.
const loaders = { full: () => import("nerith/full"), builtin: () => import("nerith") };
const libs = {};
// The built-in model's stations are all French, on the Paris clock.
const BUILTIN_ZONE = "Europe/Paris";
const DEFAULT_PORT = "FR-BREST";
const MAX_RESULTS = 8;

const $ = (id) => document.getElementById(id);
const state = { model: "full", lib: null, port: null, date: null, dateChosen: false, days: null, chart: null };

const zoneOf = (port) => port.timezone ?? BUILTIN_ZONE;
const isFull = () => state.model === "full";

const clocks = new Map();
function clockText(t, timeZone) {
  let f = clocks.get(timeZone);
  if (!f) {
    f = new Intl.DateTimeFormat("en-GB", { timeZone, hour: "2-digit", minute: "2-digit", hourCycle: "h23" });
    clocks.set(timeZone, f);
  }
  return f.format(new Date(t * 1000));
}
const timeText = (t) => clockText(roundMinute(t), zoneOf(state.port));
const dayName = new Intl.DateTimeFormat("en-GB", { timeZone: "UTC", weekday: "short", day: "numeric", month: "short" });
const longDay = new Intl.DateTimeFormat("en-GB", { timeZone: "UTC", weekday: "long", day: "numeric", month: "long", year: "numeric" });
const dateOf = (date) => new Date(`${date}T00:00:00Z`);

function offsetText(seconds) {
  const sign = seconds < 0 ? "−" : "+";
  const a = Math.abs(seconds);
  return `UTC${sign}${String(Math.floor(a / 3600)).padStart(2, "0")}:${String(Math.floor(a / 60) % 60).padStart(2, "0")}`;
}

function heightText(h) {
  return `${h.toFixed(2)} m`;
}

function durationText(seconds) {
  const min = Math.round(seconds / 60);
  const h = Math.floor(min / 60), m = min % 60;
  return h ? `${h} h ${String(m).padStart(2, "0")} min` : `${m} min`;
}

function cell(tag, text, attrs = {}) {
  const c = document.createElement(tag);
  c.textContent = text;
  for (const [k, v] of Object.entries(attrs)) c.setAttribute(k, v);
  return c;
}

function showError(error) {
  const box = $("error");
  if (!error) { box.hidden = true; box.textContent = ""; return; }
  // Only a library's failure gets here: say it in the console too.
  console.error(error);
  box.hidden = false;
  box.textContent = error.kind ? `${error.kind}: ${error.message}` : String(error.message ?? error);
}

// ---- model and port

function describeModel(lib) {
  const full = (lib.MODEL ?? state.model) === "full";
  const datum = lib.DATUM ?? (full ? "chart datum" : "mean level");
  const heights = datum === "chart datum"
    ? "heights in metres above chart datum"
    : "heights in metres on the station's mean-level reference, not chart datum";
  const coefs = full
    ? "official French tide coefficients"
    : "coefficients on the model's own scale (graded against Brest), not the official ones";
  return `${full ? "Full model" : "Built-in model"} · ${heights} · ${coefs}`;
}

async function useModel(name) {
  state.model = name;
  $("model-line").textContent = `Loading the ${name === "full" ? "full" : "built-in"} model…`;
  libs[name] ??= await loaders[name]();
  state.lib = libs[name];
  document.body.dataset.model = name;
  $("model-line").textContent = describeModel(state.lib);
  $("datum-warning").hidden = isFull();
  $("water-warning").hidden = isFull();
  // Keep the port across the switch when the other model knows it.
  const before = state.port;
  const port = (before && (portById(state.lib, before.id) ?? state.lib.searchPorts(before.name)[0]))
    ?? portById(state.lib, DEFAULT_PORT) ?? state.lib.searchPorts("")[0];
  choosePort(port);
}

// searchPorts matches ids too; the exact one is the port.
function portById(lib, id) {
  return lib.searchPorts(id).find((p) => p.id === id) ?? null;
}

function choosePort(port) {
  state.port = port;
  const zone = zoneOf(port);
  if (!state.dateChosen) state.date = todayIn(zone);
  $("date").value = state.date;
  $("port-search").value = port.name;
  $("port-results").replaceChildren();
  const gauge = port.gauge !== undefined ? ` · gauge ${port.gauge}` : "";
  $("port-chosen").textContent = `${port.name} (${port.id})${gauge} · ${zone}`;
  render();
}

function showMatches(query) {
  const list = $("port-results");
  if (!state.lib || !query.trim()) { list.replaceChildren(); return; }
  const ports = state.lib.searchPorts(query.trim());
  const items = ports.slice(0, MAX_RESULTS).map((p) => {
    const li = document.createElement("li");
    const b = cell("button", "", { type: "button", "data-id": p.id });
    b.append(cell("span", p.name, { class: "name" }), cell("span", p.id, { class: "id" }));
    b.addEventListener("click", () => choosePort(p));
    li.append(b);
    return li;
  });
  if (!ports.length) items.push(cell("li", "No port matches.", { class: "none" }));
  else if (ports.length > MAX_RESULTS) items.push(cell("li", `…and ${ports.length - MAX_RESULTS} more: type more of the name.`, { class: "none" }));
  list.replaceChildren(...items);
}

// ---- the day

function render() {
  if (!state.lib || !state.port || !isDate(state.date)) return;
  try {
    state.days = localDays(state.lib, state.port.id, state.date, 7, zoneOf(state.port));
    showError(null);
  } catch (error) {
    showError(error);
    return;
  }
  renderDay();
  renderWeek();
  if (!performance.getEntriesByName("first-table").length) performance.mark("first-table");
}

function renderDay() {
  const day = state.days[0];
  const zone = zoneOf(state.port);
  const heading = `${state.port.name}, ${longDay.format(dateOf(day.date))}`;
  $("day-title").textContent = heading;
  const a = zoneOffset(day.start, zone), b = zoneOffset(day.end, zone);
  $("zone").textContent = a === b
    ? `Times are the port's local time: ${zone} (${offsetText(a)}).`
    : `Times are the port's local time: ${zone}; the clocks change this day, ${offsetText(a)} to ${offsetText(b)}.`;

  const rows = day.extremes.map((e) => {
    const tr = document.createElement("tr");
    tr.className = e.isHigh ? "high" : "low";
    tr.append(
      cell("th", e.isHigh ? "High water" : "Low water", { scope: "row" }),
      cell("td", timeText(e.time), { class: "time" }),
      cell("td", heightText(e.height), { class: "height" }),
      cell("td", e.coefficient ?? "—", { class: "coef", ...(e.coefficient === null ? { "aria-label": "none" } : {}) }),
    );
    return tr;
  });
  if (!rows.length) {
    const tr = document.createElement("tr");
    tr.append(cell("td", "No high or low water this day.", { colspan: 4 }));
    rows.push(tr);
  }
  $("tide-table").tBodies[0].replaceChildren(...rows);
  const datum = isFull() ? "above chart datum" : "on the mean-level reference";
  $("tide-caption").textContent = `High and low waters (${zone}; heights in m ${datum})`;
  renderWater();
}

function readNeed() {
  const mode = document.querySelector('input[name="need"]:checked').value;
  $("need-level").hidden = mode !== "level";
  $("need-draught").hidden = mode !== "draught";
  if (mode === "level") {
    const text = $("level").value;
    if (!text.trim()) return { level: null, note: "Enter the height of tide you need." };
    const level = parseMetres(text);
    return level === null ? { level: null, note: `“${text}” is not a number of metres.` } : { level };
  }
  const fields = ["draught", "margin", "depth"].map((id) => [id, $(id).value, parseMetres($(id).value)]);
  if (!$("draught").value.trim()) return { level: null, note: "Enter your draught." };
  const bad = fields.find(([, text, v]) => v === null && text.trim());
  if (bad) return { level: null, note: `The ${bad[0]}, “${bad[1]}”, is not a number of metres.` };
  const [draught, margin, depth] = fields.map(([, , v]) => v ?? 0);
  const level = neededHeight(draught, margin, depth);
  return { level, note: `${draught.toFixed(2)} m draught + ${margin.toFixed(2)} m margin − ${depth.toFixed(2)} m charted depth` };
}

function dayWindows(day, level) {
  if (isFull()) {
    const raw = state.lib.waterWindows(state.port.id, addDays(day.date, -1), addDays(day.date, 1), level, "Above");
    return clipWindows(raw, day.start, day.end);
  }
  const raw = windowsFromHeights((t) => state.lib.heightAt(state.port.id, t), day, level);
  return clipWindows(raw, day.start, day.end);
}

function renderWater() {
  const day = state.days[0];
  const need = readNeed();
  let windows = [];
  const list = $("windows");
  const summary = $("need-summary");
  if (need.level === null) {
    summary.textContent = need.note;
    list.replaceChildren();
  } else {
    try {
      windows = dayWindows(day, need.level);
    } catch (error) {
      showError(error);
    }
    const ref = isFull() ? "above chart datum" : "on the mean-level reference";
    summary.textContent = `Enough water while the tide stands at or above ${heightText(need.level)} ${ref}`
      + (need.note ? ` (${need.note}).` : ".");
    const items = windows.map((w) => {
      const end = w.toEnd ? "24:00" : timeText(w.end);
      const li = cell("li", "");
      li.append(cell("span", `${timeText(w.start)} – ${end}`, { class: "span" }),
        cell("span", ` ${durationText(w.end - w.start)}`, { class: "dur" }));
      const notes = [w.fromStart && "already at the day's start", w.toEnd && "still at the day's end"].filter(Boolean);
      if (notes.length) li.append(cell("span", ` (${notes.join("; ")})`, { class: "note" }));
      return li;
    });
    if (!items.length) items.push(cell("li", `The tide does not reach ${heightText(need.level)} this day.`, { class: "none" }));
    list.replaceChildren(...items);
  }
  state.chart = { windows, level: need.level };
  drawDayChart();
}

function drawDayChart() {
  if (!state.days || !state.chart) return;
  const day = state.days[0];
  const zone = zoneOf(state.port);
  const nowT = Math.floor(Date.now() / 1000);
  let now = null;
  if (nowT >= day.start && nowT < day.end) now = { time: nowT, height: state.lib.heightAt(state.port.id, nowT) };
  const tides = day.extremes.map((e) => `${e.isHigh ? "high" : "low"} water ${timeText(e.time)} ${heightText(e.height)}`);
  const label = `Tide curve for ${state.port.name} on ${longDay.format(dateOf(day.date))}, ${zone} time: ${tides.join(", ")}.`;
  drawChart($("chart"), {
    day, windows: state.chart.windows, level: state.chart.level, now, label,
    hourOf: (t) => wallClock(t, zone).hour, timeText,
  });
  const legend = [`<span class="key curve-key"></span> height of tide (${isFull() ? "m above chart datum" : "m, mean-level reference"})`];
  if (state.chart.level !== null) legend.push(`<span class="key win-key"></span> at or above ${heightText(state.chart.level)}`);
  if (now) legend.push(`<span class="key now-key"></span> now, ${timeText(now.time)}: ${heightText(now.height)}`);
  $("chart-legend").innerHTML = legend.map((l) => `<span class="item">${l}</span>`).join("");
}

// ---- the week

function renderWeek() {
  const rows = state.days.map((day, i) => {
    const tr = document.createElement("tr");
    if (i === 0) tr.className = "chosen";
    const highs = day.extremes.filter((e) => e.isHigh);
    const b = cell("button", dayName.format(dateOf(day.date)), { type: "button", "data-date": day.date });
    b.addEventListener("click", () => setDate(day.date, true));
    const th = cell("th", "", { scope: "row" });
    th.append(b);
    const coefs = highs.map((e) => e.coefficient).filter((c) => c !== null);
    const coefCell = cell("td", coefs.length ? coefs.join(" · ") : "—", { class: "coefs" });
    tr.append(th, coefCell, cell("td", highs.map((e) => timeText(e.time)).join(", ") || "—", { class: "times" }));
    return tr;
  });
  $("week-table").tBodies[0].replaceChildren(...rows);
  const none = state.days.every((d) => d.extremes.every((e) => e.coefficient === null));
  $("week-caption").textContent = none
    ? "Seven days from the chosen date: high waters (no coefficients on this coast)"
    : `Seven days from the chosen date: high waters and their ${isFull() ? "official" : "built-in model's"} coefficients`;
}

function setDate(date, chosen) {
  if (!isDate(date)) return;
  state.date = date;
  state.dateChosen = chosen;
  $("date").value = date;
  render();
}

// ---- wiring

function wire() {
  $("port-search").addEventListener("input", (e) => showMatches(e.target.value));
  // It shows the chosen port's name: typing replaces it.
  $("port-search").addEventListener("focus", (e) => e.target.select());
  $("port-search").addEventListener("keydown", (e) => {
    if (e.key === "Enter") {
      e.preventDefault();
      $("port-results").querySelector("button")?.click();
    } else if (e.key === "Escape") {
      $("port-results").replaceChildren();
    }
  });
  $("date").addEventListener("change", (e) => setDate(e.target.value, true));
  $("prev-day").addEventListener("click", () => setDate(addDays(state.date, -1), true));
  $("next-day").addEventListener("click", () => setDate(addDays(state.date, 1), true));
  $("today").addEventListener("click", () => setDate(todayIn(zoneOf(state.port)), false));
  for (const r of document.querySelectorAll('input[name="model"]')) {
    r.addEventListener("change", () => useModel(r.value).catch(showError));
  }
  $("water-form").addEventListener("input", () => state.days && renderWater());
  $("water-form").addEventListener("submit", (e) => e.preventDefault());
  new ResizeObserver(() => drawDayChart()).observe($("chart"));
  // Move the "now" marker along.
  setInterval(() => drawDayChart(), 60_000);
}

wire();
useModel(document.querySelector('input[name="model"]:checked').value).catch(showError);
