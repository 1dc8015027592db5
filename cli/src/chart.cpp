#include "chart.hpp"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

#include "minutes.hpp"
#include "text.hpp"

namespace nerith::cli {
namespace {

// Layout in SVG user units. At 800 wide the chart is shown about half size on
// a phone in portrait, so no text is smaller than 18 units.
constexpr double kWidth = 800;
constexpr double kLeft = 72;
constexpr double kRight = 764;
constexpr double kHeaderHeight = 118;
constexpr double kHeadingHeight = 40;  // a day's heading, on charts of several days
constexpr double kFrameHeight = 400;
constexpr double kRoomAbove = 105;  // inside the frame, above the highest water: HW labels
constexpr double kRoomBelow = 75;   // inside the frame, below the lowest water: LW labels
constexpr double kAxisHeight = 36;
constexpr double kGap = 22;

constexpr const char* kFont = "DejaVu Sans, Liberation Sans, Arial, sans-serif";

std::chrono::year_month_day civil(std::int64_t day) {
  return std::chrono::year_month_day{std::chrono::sys_days{std::chrono::days{day}}};
}

const char* month_name(const std::chrono::year_month_day& ymd) {
  static constexpr std::array<const char*, 12> NAMES{
      "January", "February", "March",     "April",   "May",      "June",
      "July",    "August",   "September", "October", "November", "December"};
  return NAMES[static_cast<unsigned>(ymd.month()) - 1];
}

const char* weekday_name(std::int64_t day) {
  static constexpr std::array<const char*, 7> NAMES{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                    "Thursday", "Friday", "Saturday"};
  return NAMES[std::chrono::weekday{std::chrono::sys_days{std::chrono::days{day}}}.c_encoding()];
}

// "Sunday 10 March", then " 2024" when `with_year`.
std::string long_date(std::int64_t day, bool with_year) {
  const auto ymd = civil(day);
  std::string text = printf_string("%s %u %s", weekday_name(day), static_cast<unsigned>(ymd.day()),
                                   month_name(ymd));
  if (with_year) text += printf_string(" %d", static_cast<int>(ymd.year()));
  return text;
}

// "10 – 16 March 2024", "28 February – 5 March 2024", "30 December 2024 – 5 January 2025".
std::string date_span(std::int64_t first, std::int64_t last) {
  const auto a = civil(first);
  const auto b = civil(last);
  const std::string end = printf_string("%u %s %d", static_cast<unsigned>(b.day()), month_name(b),
                                        static_cast<int>(b.year()));
  if (a.year() != b.year()) {
    return printf_string("%u %s %d – ", static_cast<unsigned>(a.day()), month_name(a),
                         static_cast<int>(a.year())) +
           end;
  }
  if (a.month() != b.month())
    return printf_string("%u %s – ", static_cast<unsigned>(a.day()), month_name(a)) + end;
  return printf_string("%u – ", static_cast<unsigned>(a.day())) + end;
}

// A gridline step that puts at most ten lines across `span` metres.
double grid_step(double span) {
  for (const double step : {0.5, 1.0, 2.0, 5.0, 10.0}) {
    if (span / step <= 10) return step;
  }
  return std::pow(10.0, std::ceil(std::log10(span / 10)));
}

std::string text_element(double x, double y, const char* anchor, const char* style,
                         std::string_view content) {
  return printf_string("<text x=\"%.1f\" y=\"%.1f\" text-anchor=\"%s\" %s>", x, y, anchor, style) +
         xml_escape(content) + "</text>\n";
}

}  // namespace

Chart make_chart(const ports::Port& port, std::span<const DayView> days, const Zone& zone,
                 std::string_view datum) {
  Chart chart;
  chart.title = port.name;
  const std::string clock = zone.is_utc() ? "times UTC" : "times " + zone.name();
  if (!days.empty()) {
    const std::string dates = days.size() == 1 ? long_date(days.front().day, true)
                                               : date_span(days.front().day, days.back().day);
    chart.subtitle = dates + " · " + clock + " · heights in metres " + std::string(datum);
  }
  for (const auto& view : days) {
    ChartDay day{long_date(view.day, false), view.start, view.end, view.heights, {}, {}};
    for (const auto& e : view.extremes) {
      day.marks.push_back({e.time, e.height, e.is_high,
                           e.coefficient ? std::optional<int>(*e.coefficient) : std::nullopt,
                           clock_text(zone.local(minute_nearest(e.time, zone)))});
    }
    // Every zone's offset is a whole number of quarter hours.
    for (std::int64_t t = view.start; t <= view.end; t += 900) {
      const LocalTime local = zone.local(t);
      if (local.second % 3600 != 0) continue;
      const std::int64_t hour = local.second / 3600;
      std::string label;
      if (hour % 3 == 0) label = t == view.end ? "24:00" : printf_string("%02d:00", int(hour));
      day.ticks.push_back({t, std::move(label)});
    }
    chart.days.push_back(std::move(day));
  }
  return chart;
}

std::string render_svg(const Chart& chart) {
  const bool headings = chart.days.size() > 1;
  const double panel_height = (headings ? kHeadingHeight : 0) + kFrameHeight + kAxisHeight + kGap;
  const double height = kHeaderHeight + panel_height * static_cast<double>(chart.days.size());

  // One height scale for every day.
  double low = INFINITY;
  double high = -INFINITY;
  for (const auto& day : chart.days) {
    for (const auto& s : day.heights) {
      if (!std::isfinite(s.height)) continue;
      low = std::min(low, s.height);
      high = std::max(high, s.height);
    }
  }
  if (chart.level && std::isfinite(*chart.level)) {
    // The level stays inside the frame even when the tide never reaches it.
    low = std::min(low, *chart.level);
    high = std::max(high, *chart.level);
  }
  if (!std::isfinite(low)) low = high = 0;
  if (high - low < 0.5) {
    const double middle = (high + low) / 2;
    low = middle - 0.25;
    high = middle + 0.25;
  }
  const double metres_per_unit = (high - low) / (kFrameHeight - kRoomAbove - kRoomBelow);
  const double frame_top_m = high + kRoomAbove * metres_per_unit;
  const double frame_bottom_m = low - kRoomBelow * metres_per_unit;
  const double step = grid_step(frame_top_m - frame_bottom_m);

  std::string svg = printf_string(
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%.0f\" height=\"%.0f\" "
      "viewBox=\"0 0 %.0f %.0f\" font-family=\"%s\">\n",
      kWidth, height, kWidth, height, kFont);
  svg += "<title>" + xml_escape(chart.title + ", " + chart.subtitle) + "</title>\n";
  svg +=
      "<defs><linearGradient id=\"water\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">"
      "<stop offset=\"0\" stop-color=\"#64b5f6\" stop-opacity=\"0.75\"/>"
      "<stop offset=\"1\" stop-color=\"#bbdefb\" stop-opacity=\"0.35\"/>"
      "</linearGradient></defs>\n";
  svg += printf_string("<rect width=\"%.0f\" height=\"%.0f\" fill=\"#ffffff\"/>\n", kWidth, height);
  svg += text_element(kLeft, 52, "start", "font-size=\"36\" font-weight=\"bold\" fill=\"#0d2a4a\"",
                      chart.title);
  svg += text_element(kLeft, 90, "start", "font-size=\"21\" fill=\"#4a5a6a\"", chart.subtitle);

  const char* halo =
      "paint-order=\"stroke\" stroke=\"#ffffff\" stroke-width=\"5\" "
      "stroke-linejoin=\"round\"";
  for (std::size_t i = 0; i < chart.days.size(); ++i) {
    const ChartDay& day = chart.days[i];
    const double panel_top = kHeaderHeight + panel_height * static_cast<double>(i);
    const double top = panel_top + (headings ? kHeadingHeight : 0);
    const double bottom = top + kFrameHeight;
    const double span = std::max<double>(1, static_cast<double>(day.end - day.start));
    const auto x_of = [&](std::int64_t t) {
      return kLeft + static_cast<double>(t - day.start) / span * (kRight - kLeft);
    };
    const auto y_of = [&](double h) { return top + (frame_top_m - h) / metres_per_unit; };

    svg += "<g>\n";
    if (headings) {
      svg += text_element(kLeft, panel_top + 28, "start",
                          "font-size=\"24\" font-weight=\"bold\" fill=\"#0d2a4a\"", day.heading);
    }
    svg += printf_string(
        "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#f6f9fc\" "
        "stroke=\"#b0c4d8\" stroke-width=\"1.5\"/>\n",
        kLeft, top, kRight - kLeft, kFrameHeight);
    for (const auto& w :
         chart.level ? std::span(chart.windows) : std::span<const windows::WaterWindow>{}) {
      const std::int64_t from = std::max(w.start, day.start);
      const std::int64_t to = std::min(w.end, day.end);
      if (from >= to) continue;
      svg += printf_string(
          "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"#b3e5fc\" "
          "fill-opacity=\"0.6\"/>\n",
          x_of(from), top, x_of(to) - x_of(from), kFrameHeight);
    }

    // Metre gridlines, with the zero of the heights drawn darker.
    for (double m = std::ceil(frame_bottom_m / step) * step; m <= frame_top_m; m += step) {
      const double y = y_of(m);
      const bool zero = std::fabs(m) < step / 2;
      svg += printf_string(
          "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
          "stroke-width=\"%s\"/>\n",
          kLeft, y, kRight, y, zero ? "#7d93a8" : "#d5e0ea", zero ? "1.5" : "1");
      svg += text_element(kLeft - 10, y + 6, "end", "font-size=\"18\" fill=\"#4a5a6a\"",
                          printf_string("%g m", std::fabs(m) < 1e-9 ? 0.0 : m));
    }
    // Hour gridlines, labelled every three hours below the frame.
    for (const auto& tick : day.ticks) {
      const double x = x_of(tick.time);
      svg += printf_string(
          "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
          "stroke-width=\"1\"/>\n",
          x, top, x, bottom, tick.label.empty() ? "#e6edf3" : "#cbd8e4");
      if (!tick.label.empty()) {
        svg +=
            text_element(x, bottom + 26, "middle", "font-size=\"18\" fill=\"#4a5a6a\"", tick.label);
      }
    }

    // The curve, and the water under it.
    std::string path;
    for (const auto& s : day.heights) {
      if (!std::isfinite(s.height)) continue;
      path += printf_string("%s%.1f,%.1f", path.empty() ? "M" : " L", x_of(s.time), y_of(s.height));
    }
    if (!path.empty()) {
      svg += printf_string("<path d=\"%s L%.1f,%.1f L%.1f,%.1f Z\" fill=\"url(#water)\"/>\n",
                           path.c_str(), x_of(day.heights.back().time), bottom,
                           x_of(day.heights.front().time), bottom);
      svg += "<path d=\"" + path +
             "\" fill=\"none\" stroke=\"#0d47a1\" stroke-width=\"3\" stroke-linejoin=\"round\"/>\n";
    }

    if (chart.level && std::isfinite(*chart.level)) {
      const double y = y_of(*chart.level);
      svg += printf_string(
          "<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#e65100\" "
          "stroke-width=\"2\" stroke-dasharray=\"10 6\"/>\n",
          kLeft, y, kRight, y);
      svg += text_element(kRight - 6, y - 8, "end",
                          (std::string("font-size=\"18\" fill=\"#e65100\" ") + halo).c_str(),
                          printf_string("%.2f m", *chart.level));
    }

    // High waters labelled above, low waters below: time, height, coefficient.
    for (const auto& mark : day.marks) {
      const double x = x_of(mark.time);
      const double y = y_of(mark.height);
      svg += printf_string(
          "<circle cx=\"%.1f\" cy=\"%.1f\" r=\"6\" fill=\"%s\" stroke=\"%s\" "
          "stroke-width=\"2.5\"/>\n",
          x, y, mark.is_high ? "#0d47a1" : "#ffffff", mark.is_high ? "#ffffff" : "#0d47a1");
      const double lx = std::clamp(x, kLeft + 42, kRight - 42);
      std::vector<std::pair<std::string, std::string>> lines;  // text, style
      lines.emplace_back(mark.clock, "font-size=\"22\" font-weight=\"bold\" fill=\"#0d2a4a\"");
      lines.emplace_back(printf_string("%.2f m", mark.height), "font-size=\"20\" fill=\"#0d2a4a\"");
      if (mark.coefficient) {
        lines.emplace_back(printf_string("coef %d", *mark.coefficient),
                           "font-size=\"19\" font-weight=\"bold\" fill=\"#c62828\"");
      }
      const double first_baseline =
          mark.is_high ? y - 14 - 24 * static_cast<double>(lines.size() - 1) : y + 30;
      for (std::size_t k = 0; k < lines.size(); ++k) {
        svg += text_element(lx, first_baseline + 24 * static_cast<double>(k), "middle",
                            (lines[k].second + " " + halo).c_str(), lines[k].first);
      }
    }
    svg += "</g>\n";
  }
  svg += "</svg>\n";
  return svg;
}

std::string xml_escape(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&apos;";
        break;
      default:
        // XML allows no control characters but tab and line breaks.
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r')
          escaped += c;
    }
  }
  return escaped;
}

}  // namespace nerith::cli
