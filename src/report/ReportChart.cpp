#include "report/ReportChart.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "report/ReportText.h"

namespace strevo {

namespace {

constexpr int kLeft = 64, kRight = 64, kTop = 34, kBottom = 36;
constexpr int kSteps = 5;
constexpr const char* kBarColour = "#4e79a7";
constexpr const char* kHighlightColour = "#f28e2b";
constexpr const char* kLineColour = "#c0392b";

std::string px(double value) { return std::to_string(std::llround(value)); }

// A scale's tick: whole numbers grouped; beyond what a 64-bit count holds
// (only a damaged profile) in powers of ten.
std::string tick_text(double value) {
  if (value < 1e15) return GroupedNumber(std::llround(value));
  char text[32];
  char* end = std::to_chars(text, text + sizeof text, value, std::chars_format::scientific, 0).ptr;
  return std::string(text, end);
}

double largest_of(const TReportChart::Values& values) {
  double largest = 0;
  for (const auto& v : values)
    if (v && std::isfinite(*v)) largest = std::max(largest, *v);
  return largest;
}

bool any_value(const TReportChart::Values& values) {
  return std::any_of(values.begin(), values.end(), [](const auto& v) { return v && std::isfinite(*v); });
}

}  // namespace

double TReportChart::ScaleTop(double largest) {
  if (!std::isfinite(largest) || largest <= kSteps) return kSteps;
  const double step = largest / kSteps;
  const double power = std::pow(10.0, std::floor(std::log10(step)));
  const double mantissa = step / power;
  // 2.5 only where the steps stay whole numbers.
  const double nice = mantissa <= 1     ? 1
                      : mantissa <= 2   ? 2
                      : mantissa <= 2.5 && power >= 10 ? 2.5
                      : mantissa <= 5   ? 5
                                        : 10;
  return nice * power * kSteps;
}

std::string TReportChart::Svg() const {
  const int plotLeft = kLeft, plotRight = kWidth - kRight, plotTop = kTop, plotBottom = kHeight - kBottom;
  const double plotHeight = plotBottom - plotTop;
  const size_t n = labels.size();
  const bool hasLine = !lineName.empty();

  std::string svg = "<svg class=\"chart\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + px(kWidth) + " " +
                    px(kHeight) + "\" width=\"" + px(kWidth) + "\" height=\"" + px(kHeight) +
                    "\" role=\"img\" aria-label=\"" + HtmlText(title) + "\">\n";

  // Legend.
  svg += "<rect x=\"" + px(plotLeft) + "\" y=\"8\" width=\"12\" height=\"12\" fill=\"" + kBarColour + "\"/>";
  svg += "<text x=\"" + px(plotLeft + 18) + "\" y=\"18\" class=\"legend\">" + HtmlText(barName) + "</text>";
  if (hasLine) {
    svg += "<line x1=\"" + px(plotLeft + 260) + "\" y1=\"14\" x2=\"" + px(plotLeft + 280) + "\" y2=\"14\" stroke=\"" +
           kLineColour + "\" stroke-width=\"3\"/>";
    svg += "<text x=\"" + px(plotLeft + 286) + "\" y=\"18\" class=\"legend\">" + HtmlText(lineName) + "</text>";
  }
  svg += "\n";

  if (n == 0 || (!any_value(bars) && !(hasLine && any_value(line)))) {
    svg += "<text x=\"" + px(kWidth / 2) + "\" y=\"" + px(kHeight / 2) +
           "\" text-anchor=\"middle\" class=\"empty\">No figures yet</text>\n</svg>";
    return svg;
  }

  const double barTop = ScaleTop(largest_of(bars));
  const double lineTop = ScaleTop(largest_of(line));
  // Grid and scales.
  for (int i = 0; i <= kSteps; ++i) {
    const double y = plotBottom - plotHeight * i / kSteps;
    svg += "<line x1=\"" + px(plotLeft) + "\" y1=\"" + px(y) + "\" x2=\"" + px(plotRight) + "\" y2=\"" + px(y) +
           "\" class=\"grid\"/>";
    svg += "<text x=\"" + px(plotLeft - 6) + "\" y=\"" + px(y + 4) + "\" text-anchor=\"end\" class=\"tick\">" +
           tick_text(barTop * i / kSteps) + "</text>";
    if (hasLine)
      svg += "<text x=\"" + px(plotRight + 6) + "\" y=\"" + px(y + 4) + "\" class=\"tick\">" +
             tick_text(lineTop * i / kSteps) + "</text>";
  }
  svg += "\n";

  const double slot = static_cast<double>(plotRight - plotLeft) / static_cast<double>(n);
  const double barWidth = std::max(2.0, slot * 0.7);
  // Every label while they fit, else every second one.
  const size_t labelEvery = slot < 16 ? 2 : 1;
  for (size_t i = 0; i < n; ++i) {
    const double centre = plotLeft + slot * (static_cast<double>(i) + 0.5);
    const std::string tip = i < tips.size() ? HtmlText(tips[i]) : std::string();
    if (i < bars.size() && bars[i] && std::isfinite(*bars[i]) && *bars[i] > 0) {
      const double height = std::min(1.0, *bars[i] / barTop) * plotHeight;
      svg += "<rect x=\"" + px(centre - barWidth / 2) + "\" y=\"" + px(plotBottom - height) + "\" width=\"" +
             px(barWidth) + "\" height=\"" + px(std::max(1.0, height)) + "\" fill=\"" +
             (static_cast<int>(i) == highlighted ? kHighlightColour : kBarColour) + "\">";
      if (!tip.empty()) svg += "<title>" + tip + "</title>";
      svg += "</rect>";
    } else if (!tip.empty()) {
      // An empty slot still answers the pointer.
      svg += "<rect x=\"" + px(centre - slot / 2) + "\" y=\"" + px(plotTop) + "\" width=\"" + px(slot) +
             "\" height=\"" + px(plotHeight) + "\" fill=\"transparent\"><title>" + tip + "</title></rect>";
    }
    if (i % labelEvery == 0)
      svg += "<text x=\"" + px(centre) + "\" y=\"" + px(plotBottom + 16) + "\" text-anchor=\"middle\" class=\"tick\">" +
             HtmlText(labels[i]) + "</text>";
  }
  svg += "\n";

  if (hasLine) {
    // The line breaks where a slot has no figure.
    std::string points;
    const auto flush = [&] {
      if (points.find(' ') != std::string::npos)
        svg += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"" + kLineColour +
               "\" stroke-width=\"2\"/>";
      points.clear();
    };
    for (size_t i = 0; i < n; ++i) {
      if (i >= line.size() || !line[i] || !std::isfinite(*line[i])) {
        flush();
        continue;
      }
      const double centre = plotLeft + slot * (static_cast<double>(i) + 0.5);
      const double y = plotBottom - std::clamp(*line[i] / lineTop, 0.0, 1.0) * plotHeight;
      if (!points.empty()) points += ' ';
      points += px(centre) + "," + px(y);
      svg += "<circle cx=\"" + px(centre) + "\" cy=\"" + px(y) + "\" r=\"3\" fill=\"" + kLineColour + "\"/>";
    }
    flush();
    svg += "\n";
  }
  svg += "<line x1=\"" + px(plotLeft) + "\" y1=\"" + px(plotBottom) + "\" x2=\"" + px(plotRight) + "\" y2=\"" +
         px(plotBottom) + "\" class=\"axis\"/>\n</svg>";
  return svg;
}

}  // namespace strevo
