// The page's arithmetic on the library's answers: local days, rounding, and
// the windows above a level. The library speaks UTC days; the page shows the
// port's own day, so each local day is cut from a run of UTC days around it.

const DAY = 86400;
const fieldFormats = new Map();

function fieldFormat(timeZone) {
  let f = fieldFormats.get(timeZone);
  if (!f) {
    f = new Intl.DateTimeFormat("en-US", {
      timeZone, hourCycle: "h23", year: "numeric", month: "2-digit", day: "2-digit",
      hour: "2-digit", minute: "2-digit", second: "2-digit",
    });
    fieldFormats.set(timeZone, f);
  }
  return f;
}

/** The wall-clock fields of instant `t` (Unix seconds) in `timeZone`. */
export function wallClock(t, timeZone) {
  const out = {};
  for (const p of fieldFormat(timeZone).formatToParts(new Date(t * 1000))) {
    if (p.type !== "literal") out[p.type] = Number(p.value);
  }
  if (out.hour === 24) out.hour = 0;
  return out;
}

/** Seconds east of UTC in `timeZone` at instant `t`. */
export function zoneOffset(t, timeZone) {
  const w = wallClock(t, timeZone);
  return Date.UTC(w.year, w.month - 1, w.day, w.hour, w.minute, w.second) / 1000 - t;
}

function utcMidnight(date) {
  const [y, m, d] = date.split("-").map(Number);
  return Date.UTC(y, m - 1, d) / 1000;
}

/** The instant the local day `date` (YYYY-MM-DD) begins in `timeZone`. */
export function localMidnight(date, timeZone) {
  const guess = utcMidnight(date);
  const first = guess - zoneOffset(guess, timeZone);
  return guess - zoneOffset(first, timeZone);
}

export function addDays(date, n) {
  return new Date((utcMidnight(date) + n * DAY) * 1000).toISOString().slice(0, 10);
}

/** Today's date in `timeZone`, YYYY-MM-DD. */
export function todayIn(timeZone, now = Date.now() / 1000) {
  const w = wallClock(now, timeZone);
  return `${w.year}-${String(w.month).padStart(2, "0")}-${String(w.day).padStart(2, "0")}`;
}

export function isDate(text) {
  return /^\d{4}-\d{2}-\d{2}$/.test(text) && addDays(text, 0) === text;
}

export const roundMinute = (t) => Math.round(t / 60) * 60;
export const ceilMinute = (t) => Math.ceil(t / 60) * 60;
export const floorMinute = (t) => Math.floor(t / 60) * 60;

/**
 * Cuts the local days `date`.. (`count` of them) out of the library's UTC days.
 * Returns [{ date, start, end, extremes, heights }]; a local day runs from
 * `start` (included) to `end` (excluded; its heights include `end`).
 */
export function localDays(lib, portId, date, count, timeZone) {
  const utc = lib.predictRange(portId, addDays(date, -1), addDays(date, count));
  const extremes = [];
  const heights = new Map();
  for (const day of utc) {
    for (const e of day.extremes) {
      // The same tide may be reported by both UTC days around midnight.
      const twin = extremes.find((x) => x.isHigh === e.isHigh && Math.abs(x.time - e.time) < 3600);
      if (!twin) extremes.push(e);
    }
    for (const h of day.heights) heights.set(h.time, h);
  }
  extremes.sort((a, b) => a.time - b.time);
  const samples = [...heights.values()].sort((a, b) => a.time - b.time);
  const days = [];
  for (let i = 0; i < count; i++) {
    const d = addDays(date, i);
    const start = localMidnight(d, timeZone);
    const end = localMidnight(addDays(d, 1), timeZone);
    days.push({
      date: d, start, end,
      extremes: extremes.filter((e) => e.time >= start && e.time < end),
      heights: samples.filter((h) => h.time >= start && h.time <= end),
    });
  }
  return days;
}

/**
 * Cuts windows (Unix seconds, to the second) to the local day and to whole
 * minutes, erring towards less water: starts round up, ends round down, and a
 * window left shorter than a minute is dropped.
 */
export function clipWindows(windows, start, end) {
  const out = [];
  for (const w of windows) {
    if (w.end <= start || w.start >= end) continue;
    const fromStart = w.start <= start;
    const toEnd = w.end >= end;
    const s = ceilMinute(Math.max(w.start, start));
    const e = floorMinute(Math.min(w.end, end));
    if (e > s) out.push({ start: s, end: e, fromStart, toEnd });
  }
  return out;
}

/**
 * The spans of [start, end] when the height is at or above `level`, from the
 * day's samples and extremes, each crossing refined to the second with
 * heightAt (the built-in model has no waterWindows).
 */
export function windowsFromHeights(heightAt, day, level) {
  const points = [...day.heights, ...day.extremes.map((e) => ({ time: e.time, height: e.height }))]
    .sort((a, b) => a.time - b.time);
  const above = (h) => h >= level;
  const crossing = (a, b) => {
    // The instant the water reaches the level between a and b, to the second.
    let lo = a.time, hi = b.time;
    const rising = !above(a.height);
    while (hi - lo > 1) {
      const mid = Math.floor((lo + hi) / 2);
      if (above(heightAt(mid)) === rising) hi = mid; else lo = mid;
    }
    return rising ? hi : lo;
  };
  const windows = [];
  let open = above(points[0].height) ? points[0].time : null;
  for (let i = 1; i < points.length; i++) {
    const a = points[i - 1], b = points[i];
    if (above(a.height) === above(b.height)) continue;
    const t = crossing(a, b);
    if (open === null) open = t;
    else { windows.push({ start: open, end: t }); open = null; }
  }
  if (open !== null) windows.push({ start: open, end: points[points.length - 1].time });
  return windows;
}

/**
 * The height of tide a boat needs: draught plus margin, less the charted
 * depth (a drying height is a negative depth, so it adds).
 */
export function neededHeight(draught, margin, depth) {
  return draught + margin - depth;
}

/** A number typed by a person: a comma is a decimal point too. */
export function parseMetres(text) {
  const t = String(text).trim().replace(",", ".");
  if (!/^[-+]?(\d+\.?\d*|\.\d+)$/.test(t)) return null;
  return Number(t);
}
