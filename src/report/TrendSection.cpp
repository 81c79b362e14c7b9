#include "report/TrendSection.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "report/ReportText.h"
#include "storage/DateTime.h"

namespace strevo {

namespace {

constexpr int kYearDays = 365;
constexpr int kWidth = 760, kHeight = 200, kLeft = 56, kRight = 16, kTop = 14, kBottom = 26;
constexpr int kCell = 12;  // a calendar day's square

std::string px(double value) { return std::to_string(std::llround(value)); }

// Up to largest in five whole steps of 1, 2 or 5 times a power of ten.
double scale_top(double largest) {
  if (!(largest > 5)) return 5;
  const double step = largest / 5, power = std::pow(10.0, std::floor(std::log10(step)));
  const double mantissa = step / power;
  return (mantissa <= 1 ? 1 : mantissa <= 2 ? 2 : mantissa <= 5 ? 5 : 10) * power * 5;
}

struct Series {
  std::vector<double> dots;  // per day of the year shown, NaN where none
  std::vector<double> line;  // NaN where none
};

// Days first .. first + 364, oldest left; dots, an optional line and bars.
std::string day_chart(const std::string& title, const std::string& unit, double first, const Series& s, bool bars) {
  double largest = 0;
  for (double v : s.dots)
    if (std::isfinite(v)) largest = std::max(largest, v);
  const double top = scale_top(largest);
  const double plotW = kWidth - kLeft - kRight, plotH = kHeight - kTop - kBottom, base = kHeight - kBottom;
  const double step = plotW / kYearDays;
  const auto y = [&](double v) { return base - std::clamp(v / top, 0.0, 1.0) * plotH; };
  std::string svg = "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 760 200\" width=\"760\" "
                    "height=\"200\" role=\"img\" aria-label=\"" + HtmlText(title) + "\">\n";
  for (int i = 0; i <= 5; ++i)
    svg += "<line x1=\"" + px(kLeft) + "\" y1=\"" + px(y(top * i / 5)) + "\" x2=\"" + px(kWidth - kRight) + "\" y2=\"" +
           px(y(top * i / 5)) + "\" class=\"grid\"/><text x=\"" + px(kLeft - 6) + "\" y=\"" + px(y(top * i / 5) + 4) +
           "\" text-anchor=\"end\" class=\"tick\">" + GroupedNumber(std::llround(top * i / 5)) + "</text>";
  svg += "<text x=\"" + px(kLeft) + "\" y=\"" + px(kHeight - 6) + "\" class=\"tick\">" + IsoDate(first) +
         "</text><text x=\"" + px(kWidth - kRight) + "\" y=\"" + px(kHeight - 6) +
         "\" text-anchor=\"end\" class=\"tick\">" + IsoDate(first + kYearDays - 1) + "</text>\n";
  for (int i = 0; i < kYearDays; ++i) {
    const double v = s.dots[i];
    if (!std::isfinite(v)) continue;
    const double x = kLeft + step * (i + 0.5);
    const std::string tip = "<title>" + IsoDate(first + i) + ": " + std::to_string(std::llround(v)) + " " + unit +
                            "</title>";
    if (bars)
      svg += "<rect x=\"" + px(x - 1) + "\" y=\"" + px(y(v)) + "\" width=\"2\" height=\"" + px(std::max(1.0, base - y(v))) +
             "\" fill=\"#4e79a7\">" + tip + "</rect>";
    else
      svg += "<circle cx=\"" + px(x) + "\" cy=\"" + px(y(v)) + "\" r=\"2\" fill=\"#9fb7d3\">" + tip + "</circle>";
  }
  std::string points;
  for (int i = 0; i < kYearDays; ++i)
    if (i < static_cast<int>(s.line.size()) && std::isfinite(s.line[i]))
      points += (points.empty() ? "" : " ") + px(kLeft + step * (i + 0.5)) + "," + px(y(s.line[i]));
  if (!points.empty())
    svg += "\n<polyline points=\"" + points + "\" fill=\"none\" stroke=\"#c0392b\" stroke-width=\"2\"/>";
  return svg + "\n<line x1=\"" + px(kLeft) + "\" y1=\"" + px(base) + "\" x2=\"" + px(kWidth - kRight) + "\" y2=\"" +
         px(base) + "\" class=\"axis\"/>\n</svg>\n";
}

// A year of squares, a column a week from Sunday, darker for more typing.
std::string calendar(double first, const std::vector<double>& minutes) {
  static const char* const kShades[] = {"#ebedf0", "#c6dbef", "#9ecae1", "#4292c6", "#08519c"};
  const int lead = day_of_week(first) - 1;
  std::string svg = "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 760 110\" width=\"760\" "
                    "height=\"110\" role=\"img\" aria-label=\"Typing days of the year\">\n";
  for (int i = 0; i < kYearDays; ++i) {
    const int cell = lead + i, week = cell / 7, weekday = cell % 7;
    const double m = minutes[i];
    const int shade = !std::isfinite(m) || m <= 0 ? 0 : m < 5 ? 1 : m < 15 ? 2 : m < 45 ? 3 : 4;
    svg += "<rect x=\"" + px(30 + week * (kCell + 1)) + "\" y=\"" + px(8 + weekday * (kCell + 1)) + "\" width=\"" +
           px(kCell) + "\" height=\"" + px(kCell) + "\" fill=\"" + kShades[shade] + "\"><title>" + IsoDate(first + i) +
           (shade ? ": " + std::to_string(std::llround(m)) + " min" : "") + "</title></rect>";
  }
  svg += "\n<text x=\"0\" y=\"18\" class=\"tick\">Sun</text><text x=\"0\" y=\"96\" class=\"tick\">Sat</text>\n";
  return svg + "</svg>\n";
}

struct Month {
  int64_t characters = 0, seconds = 0, backspaces = 0, days = 0;
};

std::string month_table(const std::string& caption, const std::string& name, const Month& m) {
  const int64_t speed = m.seconds > 0 ? PerMinute(m.characters, m.seconds) : 0;
  const std::string accuracy = m.characters > 0 ? std::to_string(std::llround(100.0 * m.backspaces / m.characters)) : "-";
  return "<table><caption>" + caption + ": " + name + "</caption>\n<tr><th>Days with typing</th><td class=\"n\">" +
         std::to_string(m.days) + "</td></tr>\n<tr><th>Characters</th><td class=\"n\">" + GroupedNumber(m.characters) +
         "</td></tr>\n<tr><th>Typing time</th><td class=\"n\">" + DurationText(m.seconds) +
         "</td></tr>\n<tr><th>Characters per minute</th><td class=\"n\">" + std::to_string(speed) +
         "</td></tr>\n<tr><th>Backspaces per 100 characters</th><td class=\"n\">" + accuracy + "</td></tr>\n</table>\n";
}

}  // namespace

std::string TrendSection(const TReportData& data) {
  std::string html = "<section id=\"trend\">\n<h2>Trend</h2>\n";
  for (const TReportProblem& problem : data.problems)
    if (problem.part == TReportPart::History)
      return html + "<p class=\"missing\">" + HtmlText(problem.text) + "</p>\n</section>\n";
  if (data.history.empty())
    return html + "<p>The typing history starts now: from today every day with typing is kept, and its trend is "
                  "shown here.</p>\n</section>\n";
  const double last = data.history.back().date, first = last - (kYearDays - 1);
  const double nan = std::nan("");
  std::vector<double> chars(kYearDays, 0), seconds(kYearDays, 0);
  Series speed{std::vector<double>(kYearDays, nan), std::vector<double>(kYearDays, nan)};
  Series minutes{std::vector<double>(kYearDays, nan), {}};
  Series accuracy{std::vector<double>(kYearDays, nan), {}};
  std::map<int, Month> months;  // year * 12 + month
  for (const THistoryRow& row : data.history) {
    int year, month, day;
    decode_date(row.date, year, month, day);
    Month& m = months[year * 12 + month - 1];
    m.characters += row.characters, m.seconds += row.seconds, m.backspaces += row.backspaces, ++m.days;
    if (row.date < first) continue;
    const auto i = static_cast<size_t>(row.date - first);
    chars[i] = static_cast<double>(row.characters), seconds[i] = static_cast<double>(row.seconds);
    if (row.seconds > 0) speed.dots[i] = static_cast<double>(row.charsPerMinute);
    minutes.dots[i] = row.seconds / 60.0;
    if (row.characters > 0) accuracy.dots[i] = 100.0 * row.backspaces / row.characters;
  }
  // The seven days up to each day: their characters over their typing time.
  for (int i = 0; i < kYearDays; ++i) {
    double c = 0, s = 0;
    for (int j = std::max(0, i - 6); j <= i; ++j) c += chars[j], s += seconds[j];
    if (s > 0) speed.line[i] = c * 60 / s;
  }
  html += "<h3>Characters per minute, each day and the seven days up to it</h3>\n" +
          day_chart("Speed per day and its seven-day average", "per minute", first, speed, false);
  html += "<h3>Typing minutes per day</h3>\n" + day_chart("Typing minutes per day", "min", first, minutes, true);
  html += "<h3>Typing days</h3>\n" + calendar(first, minutes.dots);
  html += "<h3>Backspaces per 100 characters</h3>\n" +
          day_chart("Backspaces per hundred characters per day", "per 100", first, accuracy, false);
  const auto name = [](int key) {
    static const char* const kNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    return std::string(kNames[key % 12]) + " " + std::to_string(key / 12);
  };
  auto best = months.begin();
  for (auto it = months.begin(); it != months.end(); ++it)
    if (it->second.seconds > 0 &&
        (best->second.seconds == 0 ||
         it->second.characters * best->second.seconds > best->second.characters * it->second.seconds))
      best = it;
  const auto latest = std::prev(months.end());
  html += "<h3>The best and the latest month</h3>\n<div class=\"row\">\n" +
          month_table("Fastest month", name(best->first), best->second) +
          month_table("Latest month", name(latest->first), latest->second) + "</div>\n";
  return html + "</section>\n";
}

}  // namespace strevo
