// The day's curve as inline SVG, drawn at the container's own pixel width so
// that its text stays readable on a phone.

const NS = "http://www.w3.org/2000/svg";

function el(name, attrs = {}, text) {
  const node = document.createElementNS(NS, name);
  for (const [k, v] of Object.entries(attrs)) node.setAttribute(k, String(v));
  if (text !== undefined) node.textContent = text;
  return node;
}

const f1 = (x) => x.toFixed(1);

/**
 * day: { start, end, heights, extremes }; windows: [{ start, end }];
 * level: number | null; now: { time, height } | null;
 * hourOf(t) and timeText(t) give the port's local clock.
 */
export function drawChart(container, { day, windows, level, now, hourOf, timeText, label }) {
  const width = Math.max(300, Math.round(container.clientWidth || 800));
  const narrow = width < 560;
  const height = narrow ? 250 : 320;
  const hs = day.heights.map((h) => h.height);
  let lo = Math.min(...hs), hi = Math.max(...hs);
  if (level !== null && level > lo - 3 && level < hi + 3) { lo = Math.min(lo, level); hi = Math.max(hi, level); }
  // Grid lines every metre on an Atlantic range, finer on a small one.
  const step = [0.1, 0.25, 0.5, 1, 2].find((k) => (hi - lo + 0.6) / k <= 9) ?? 5;
  lo = Math.floor((lo - 0.3) / step) * step; hi = Math.ceil((hi + 0.3) / step) * step;
  const decimals = step === 0.25 ? 2 : step < 1 ? 1 : 0;
  const m = { left: (narrow ? 38 : 44) + 8 * decimals, right: 12, top: 26, bottom: 30 };
  const plotW = width - m.left - m.right;
  const plotH = height - m.top - m.bottom;

  const x = (t) => m.left + ((t - day.start) / (day.end - day.start)) * plotW;
  const y = (h) => m.top + (1 - (h - lo) / (hi - lo)) * plotH;

  const svg = el("svg", {
    width, height, viewBox: `0 0 ${width} ${height}`, role: "img", "aria-label": label,
    class: "tide-chart",
  });
  svg.append(el("title", {}, label));

  // Windows with enough water, under everything else.
  for (const w of windows) {
    svg.append(el("rect", {
      x: f1(x(w.start)), y: m.top, width: f1(Math.max(1, x(w.end) - x(w.start))), height: plotH,
      class: "win",
    }));
  }

  for (let i = 0; lo + i * step <= hi + 1e-9; i++) {
    const h = lo + i * step;
    svg.append(el("line", { x1: m.left, x2: width - m.right, y1: f1(y(h)), y2: f1(y(h)), class: "grid" }));
    svg.append(el("text", { x: m.left - 6, y: f1(y(h) + 4), class: "tick", "text-anchor": "end" }, `${h.toFixed(decimals)} m`));
  }
  // Time grid on the local hours divisible by 3 (by 6 on a narrow screen).
  const every = narrow ? 6 : 3;
  for (let t = day.start; t <= day.end; t += 3600) {
    const hour = hourOf(t);
    if (hour % every !== 0) continue;
    const tx = f1(x(t));
    svg.append(el("line", { x1: tx, x2: tx, y1: m.top, y2: m.top + plotH, class: "grid" }));
    const anchor = t === day.start ? "start" : t === day.end ? "end" : "middle";
    svg.append(el("text", { x: tx, y: height - 10, class: "tick", "text-anchor": anchor },
      `${String(hour).padStart(2, "0")}:00`));
  }

  const pts = day.heights.map((h) => `${f1(x(h.time))},${f1(y(h.height))}`);
  svg.append(el("path", {
    d: `M${f1(x(day.heights[0].time))},${m.top + plotH}L${pts.join("L")}L${f1(x(day.heights.at(-1).time))},${m.top + plotH}Z`,
    class: "area",
  }));
  svg.append(el("path", { d: `M${pts.join("L")}`, class: "curve" }));

  if (level !== null && level >= lo && level <= hi) {
    svg.append(el("line", { x1: m.left, x2: width - m.right, y1: f1(y(level)), y2: f1(y(level)), class: "level" }));
  }

  for (const e of day.extremes) {
    const ex = x(e.time), ey = y(e.height);
    svg.append(el("circle", { cx: f1(ex), cy: f1(ey), r: 4, class: e.isHigh ? "hw" : "lw" }));
    // The time above a high water, below a low one, or beside it when the frame is too near.
    let ty = e.isHigh ? ey - 9 : ey + 17, tx = ex;
    let anchor = ex < m.left + 24 ? "start" : ex > width - m.right - 24 ? "end" : "middle";
    if (ty < m.top + 11 || ty > m.top + plotH - 3) {
      ty = ey + (e.isHigh ? 14 : -7);
      const right = ex < width - m.right - 50;
      tx = ex + (right ? 7 : -7); anchor = right ? "start" : "end";
    }
    svg.append(el("text", { x: f1(tx), y: f1(ty), class: "ext", "text-anchor": anchor }, timeText(e.time)));
  }

  if (now) {
    const nx = f1(x(now.time));
    svg.append(el("line", { x1: nx, x2: nx, y1: m.top - 6, y2: m.top + plotH, class: "now" }));
    svg.append(el("circle", { cx: nx, cy: f1(y(now.height)), r: 5, class: "now-dot" }));
    const anchor = x(now.time) > width - 60 ? "end" : x(now.time) < m.left + 40 ? "start" : "middle";
    svg.append(el("text", { x: nx, y: m.top - 10, class: "now-text", "text-anchor": anchor }, "now"));
  }

  svg.append(el("rect", { x: m.left, y: m.top, width: plotW, height: plotH, class: "frame" }));
  container.replaceChildren(svg);
}
