#include "report/HtmlReport.h"

#include <algorithm>

#include "analysis/DeviationCalc.h"
#include "report/KeyboardPicture.h"
#include "report/ReportChart.h"
#include "report/ReportText.h"
#include "report/TrendSection.h"
#include "storage/Numbers.h"

namespace strevo {

namespace {

const char* const kStyle = R"(
body { font-family: "Segoe UI", "DejaVu Sans", Arial, sans-serif; color: #222; background: #fff;
       max-width: 1120px; margin: 0 auto; padding: 16px 24px; font-size: 15px; line-height: 1.4; }
h1 { font-size: 26px; margin: 8px 0 4px; }
h2 { font-size: 20px; border-bottom: 2px solid #4e79a7; padding-bottom: 2px; margin-top: 32px; }
h3 { font-size: 16px; margin: 18px 0 6px; }
p.meta { color: #555; margin: 0 0 8px; }
nav a { margin-right: 14px; color: #2c5d8f; }
.problems { background: #fff4e5; border: 1px solid #e0a040; padding: 6px 16px; margin: 16px 0; }
.problems h2 { border: none; margin: 6px 0; font-size: 17px; }
.missing { color: #8a4b00; font-style: italic; }
table { border-collapse: collapse; margin: 8px 0; }
th, td { border: 1px solid #ccc; padding: 3px 10px; }
th { background: #eef2f7; text-align: left; }
td.n { text-align: right; font-variant-numeric: tabular-nums; }
tr.current td { background: #fdebd3; font-weight: bold; }
code { font-family: Consolas, "DejaVu Sans Mono", monospace; font-size: 15px; }
.bar { display: inline-block; height: 10px; background: #4e79a7; }
.row { display: flex; flex-wrap: wrap; gap: 16px; align-items: flex-start; }
figure { margin: 0; }
figcaption { color: #555; font-size: 13px; }
.legend-box { display: inline-block; width: 14px; height: 14px; border: 1px solid #888; vertical-align: middle;
              margin: 0 4px 0 12px; }
details { margin: 6px 0; }
svg.keyboard { width: 100%; max-width: 520px; height: auto; }
svg text { font-family: "Segoe UI", "DejaVu Sans", Arial, sans-serif; }
svg .tick { font-size: 11px; fill: #555; }
svg .legend { font-size: 12px; fill: #333; }
svg .empty { font-size: 14px; fill: #888; }
svg .grid { stroke: #e4e4e4; }
svg .axis { stroke: #888; }
svg .cap { font-size: 14px; fill: #111; }
svg .alt { font-size: 11px; fill: #444; }
svg .name { font-size: 11px; fill: #666; }
svg .plain { fill: #f6f6f6; stroke: #bbb; }
svg .outline { fill: none; stroke: #777; }
caption { text-align: left; font-weight: bold; }
@media print { nav { display: none; } section { break-inside: avoid; } }
footer { margin-top: 32px; color: #777; font-size: 13px; }
)";

std::string figure_text(const TFigure& figure) { return figure ? GroupedNumber(*figure) : "-"; }
std::string duration_text(const TFigure& seconds) { return seconds ? DurationText(*seconds) : "-"; }

std::optional<double> chart_value(const TFigure& figure) {
  if (!figure) return std::nullopt;
  return static_cast<double>(*figure);
}
std::optional<double> minutes(const TFigure& seconds) {
  if (!seconds) return std::nullopt;
  return static_cast<double>(*seconds) / 60.0;
}
TFigure speed(const TFigure& characters, const TFigure& seconds) {
  if (!characters || !seconds) return std::nullopt;
  return PerMinute(*characters, *seconds);
}

std::string cell(const std::string& html, bool number = true) {
  return number ? "<td class=\"n\">" + html + "</td>" : "<td>" + html + "</td>";
}

std::string missing(const std::string& why) { return "<p class=\"missing\">" + HtmlText(why) + "</p>\n"; }

// Problems of one part, for the place where that part would be.
bool part_problem(const TReportData& data, TReportPart part, std::string& text) {
  for (const TReportProblem& p : data.problems)
    if (p.part == part) {
      text = p.text;
      return true;
    }
  return false;
}

std::string header(const TReportData& data) {
  const std::string& name = data.storedName.empty() ? data.userName : data.storedName;
  std::string html = "<header>\n<h1>Typing statistics of " + HtmlText(name) + "</h1>\n<p class=\"meta\">Report made " +
                     PageDateTime(data.generated);
  if (data.profileRead) {
    if (!data.dateStarted.empty()) html += " &middot; Monitored since " + HtmlText(data.dateStarted);
    if (data.lastDate) html += " &middot; Last day saved " + IsoDate(*data.lastDate);
    html += " &middot; Days with typing: " + figure_text(data.typingDays);
  }
  html += "</p>\n<nav><a href=\"#week\">Week</a><a href=\"#records\">Records</a><a href=\"#counters\">Counters</a>"
          "<a href=\"#trend\">Trend</a><a href=\"#weeks\">By week</a><a href=\"#days\">By day of month</a><a href=\"#keys\">Keys</a>"
          "<a href=\"#words\">Words</a><a href=\"#pairs\">Letter pairs</a></nav>\n</header>\n";
  if (!data.problems.empty()) {
    html += "<section class=\"problems\">\n<h2>Not everything could be read</h2>\n<ul>\n";
    for (const TReportProblem& p : data.problems) html += "<li>" + HtmlText(p.text) + "</li>\n";
    html += "</ul>\n</section>\n";
  }
  return html;
}

std::string profile_missing(const TReportData& data) {
  std::string why;
  if (!part_problem(data, TReportPart::Profile, why)) why = "The profile could not be read.";
  return missing(why);
}

std::string week_section(const TReportData& data) {
  std::string html = "<section id=\"week\">\n<h2>The week by weekday</h2>\n";
  if (!data.profileRead) return html + profile_missing(data) + "</section>\n";
  TReportChart chart;
  chart.title = "Characters and typing minutes by weekday";
  chart.barName = "Characters";
  chart.lineName = "Typing minutes";
  for (const TWeekdayFigures& day : data.week) {
    chart.labels.push_back(std::string(WeekdayName(day.weekday)).substr(0, 3));
    chart.bars.push_back(chart_value(day.characters));
    chart.line.push_back(minutes(day.seconds));
    chart.tips.push_back(std::string(WeekdayName(day.weekday)) + ": " +
                         (day.characters ? std::to_string(*day.characters) : "-") + " characters, " +
                         (day.seconds ? DurationText(*day.seconds) : "-") + " typing");
    if (day.current) chart.highlighted = day.weekday - 1;
  }
  html += chart.Svg() + "\n";
  html += "<table>\n<tr><th>Day</th><th>Characters</th><th>Words</th><th>Typing time</th>"
          "<th>Characters per minute</th><th>Problem index</th></tr>\n";
  for (const TWeekdayFigures& day : data.week) {
    html += day.current ? "<tr class=\"current\">" : "<tr>";
    html += cell(std::string(WeekdayName(day.weekday)) + (day.current ? " (current day)" : ""), false);
    html += cell(figure_text(day.characters)) + cell(figure_text(day.words)) + cell(duration_text(day.seconds)) +
            cell(figure_text(speed(day.characters, day.seconds))) + cell(figure_text(day.problemIndex));
    html += "</tr>\n";
  }
  html += "</table>\n<p>Each weekday keeps the figures of the last time it was closed; the current day's are those "
          "of its last save.</p>\n</section>\n";
  return html;
}

std::string records_section(const TReportData& data) {
  std::string html = "<section id=\"records\">\n<h2>Records</h2>\n";
  if (!data.profileRead) return html + profile_missing(data) + "</section>\n";
  html += "<table>\n<tr><th>Record</th><th>Value</th><th>Set on</th></tr>\n";
  for (const TRecordFigure& r : data.records) {
    std::string value = r.unit == "seconds" ? duration_text(r.value) : figure_text(r.value);
    if (r.unit != "seconds" && r.unit != "index") value += " " + HtmlText(r.unit);
    html += "<tr>" + cell(HtmlText(r.label), false) + cell(value) +
            cell(r.date ? PageDateTime(*r.date) : std::string("-"), false) + "</tr>\n";
  }
  return html + "</table>\n</section>\n";
}

std::string counters_section(const TReportData& data) {
  std::string html = "<section id=\"counters\">\n<h2>Counters</h2>\n";
  if (!data.profileRead) return html + profile_missing(data) + "</section>\n";
  html += "<table>\n";
  for (const TCounterFigure& c : data.counters)
    html += "<tr>" + cell(HtmlText(c.label), false) + cell(figure_text(c.value)) + "</tr>\n";
  html += "<tr>" + cell("Days with typing", false) + cell(figure_text(data.typingDays)) + "</tr>\n";
  return html + "</table>\n</section>\n";
}

std::string samples_section(const TReportData& data, bool weeks) {
  const char* id = weeks ? "weeks" : "days";
  std::string html = std::string("<section id=\"") + id + "\">\n<h2>" +
                     (weeks ? "By week number" : "By day of the month") + "</h2>\n";
  if (!data.profileRead) return html + profile_missing(data) + "</section>\n";
  html += weeks ? "<p>Each week number keeps the figures of the last day closed in that week.</p>\n"
                : "<p>Each day of the month keeps the figures of the last time that day was closed.</p>\n";
  const std::vector<TSampleFigures>& samples = weeks ? data.weekSamples : data.monthSamples;
  // A slot for every week (1-53) or day (1-31), and for any other number
  // the profile has.
  std::vector<int> numbers;
  for (int n = 1; n <= (weeks ? 53 : 31); ++n) numbers.push_back(n);
  for (const TSampleFigures& s : samples)
    if (std::find(numbers.begin(), numbers.end(), s.number) == numbers.end()) numbers.push_back(s.number);
  std::sort(numbers.begin(), numbers.end());

  TReportChart chart;
  chart.title = weeks ? "Typing minutes and speed by week number" : "Typing minutes and speed by day of the month";
  chart.barName = "Typing minutes";
  chart.lineName = "Characters per minute";
  for (int n : numbers) {
    chart.labels.push_back(std::to_string(n));
    const auto it = std::find_if(samples.begin(), samples.end(), [n](const TSampleFigures& s) { return s.number == n; });
    if (it == samples.end()) {
      chart.bars.emplace_back();
      chart.line.emplace_back();
      continue;
    }
    chart.bars.push_back(minutes(it->seconds));
    const TFigure perMinute = speed(it->characters, it->seconds);
    chart.line.push_back(it->seconds && *it->seconds > 0 ? chart_value(perMinute) : std::nullopt);
    chart.tips.resize(chart.labels.size());
    chart.tips.back() = std::string(weeks ? "Week " : "Day ") + std::to_string(n) + ": " +
                        (it->characters ? std::to_string(*it->characters) : "-") + " characters in " +
                        (it->seconds ? DurationText(*it->seconds) : "-") + ", " +
                        (perMinute ? std::to_string(*perMinute) : "-") + " per minute";
  }
  html += chart.Svg() + "\n";
  if (samples.empty()) return html + "<p>No samples yet.</p>\n</section>\n";
  html += "<details><summary>The figures</summary>\n<table>\n<tr><th>" + std::string(weeks ? "Week" : "Day") +
          "</th><th>Characters</th><th>Typing time</th><th>Characters per minute</th></tr>\n";
  for (const TSampleFigures& s : samples)
    html += "<tr>" + cell(std::to_string(s.number)) + cell(figure_text(s.characters)) + cell(duration_text(s.seconds)) +
            cell(figure_text(speed(s.characters, s.seconds))) + "</tr>\n";
  return html + "</table>\n</details>\n</section>\n";
}

std::string set_title(const TKeySetFigures& set) {
  return "Key set " + std::to_string(set.set) + ": the last " + std::to_string(set.window) + " presses of each key " +
         (set.set == 1 ? "weigh most (the set the meter shows)" : "weigh most (a short memory)");
}

std::string keys_section(const TReportData& data) {
  std::string html = "<section id=\"keys\">\n<h2>Key difficulty</h2>\n";
  if (!data.statisticsRead) {
    std::string why;
    if (!part_problem(data, TReportPart::Statistics, why) && !part_problem(data, TReportPart::Profile, why))
      why = "The statistics file could not be read.";
    return html + missing(why) + "</section>\n";
  }
  html += "<p>A key's index is the error rate of its recent presses times four: 0 for no errors, 100 for one "
          "press in four corrected; keys pressed fewer than 10 times count less. The upper half of a key stands "
          "for its shifted character, the lower half for the unshifted one.</p>\n";
  for (const TKeySetFigures& set : data.keySets) {
    html += "<h3>" + HtmlText(set_title(set)) + "</h3>\n<p>";
    html += "<span class=\"legend-box\" style=\"background:" + TKeyboardPicture::HtmlColour(kEasyColour) +
            "\"></span>easy (index below " + std::to_string(set.lowLimit) + ")";
    html += "<span class=\"legend-box\" style=\"background:" + TKeyboardPicture::HtmlColour(kModerateColour) +
            "\"></span>moderate (" + std::to_string(set.lowLimit) + " to " + std::to_string(set.highLimit - 1) + ")";
    html += "<span class=\"legend-box\" style=\"background:" + TKeyboardPicture::HtmlColour(kDifficultColour) +
            "\"></span>difficult (" + std::to_string(set.highLimit) + " and above)";
    html += "<span class=\"legend-box\" style=\"background:" + std::string(TKeyboardPicture::kNoFigureColour) +
            "\"></span>no figure yet</p>\n";
    html += "<div class=\"row\">\n<figure>" + TKeyboardPicture::Svg(set, TPictureLayout::Us) +
            "<figcaption>US layout</figcaption></figure>\n<figure>" +
            TKeyboardPicture::Svg(set, TPictureLayout::German) +
            "<figcaption>German layout</figcaption></figure>\n</div>\n";
    if (set.mostDifficult.empty()) {
      html += "<p>No key has shown any difficulty yet.</p>\n";
      continue;
    }
    html += "<table>\n<tr><th>Most difficult</th><th>Index</th><th>Presses</th><th>Recent errors</th></tr>\n";
    for (char ch : set.mostDifficult) {
      const auto c = static_cast<unsigned char>(ch);
      html += "<tr>" + cell("<code>" + HtmlText(std::string(1, ch)) + "</code>", false) +
              cell(std::to_string(ShownKeyIndex(set.index[c]))) + cell(GroupedNumber(set.presses[c])) +
              cell(GroupedNumber(set.errors[c]) + " of " + GroupedNumber(set.hits[c])) + "</tr>\n";
    }
    html += "</table>\n";
  }
  return html + "</section>\n";
}

std::string words_section(const TReportData& data) {
  std::string html = "<section id=\"words\">\n<h2>Collected words</h2>\n";
  if (!data.statisticsRead) {
    std::string why;
    if (!part_problem(data, TReportPart::Statistics, why) && !part_problem(data, TReportPart::Profile, why))
      why = "The statistics file could not be read.";
    return html + missing(why) + "</section>\n";
  }
  if (!data.wordsCollected) return html + "<p>Word collection is switched off for this user.</p>\n</section>\n";
  if (data.words.empty()) return html + "<p>No word has been typed often enough yet.</p>\n</section>\n";
  html += "<p>Words typed at least three times, heaviest first: the weight (0 to 100) grows with the slow "
          "keystrokes and corrections of the word's recent occurrences";
  if (data.words.size() > THtmlReport::kWordsShown)
    html += "; the " + std::to_string(THtmlReport::kWordsShown) + " heaviest of " + std::to_string(data.words.size());
  html += ".</p>\n<table>\n<tr><th>Word</th><th>Weight</th><th></th></tr>\n";
  for (size_t i = 0; i < data.words.size() && i < THtmlReport::kWordsShown; ++i) {
    const TWordFigure& w = data.words[i];
    const int width = std::clamp(w.weight, 0, 100);
    html += "<tr>" + cell(HtmlText(w.word), false) + cell(std::to_string(w.weight)) +
            cell("<span class=\"bar\" style=\"width:" + std::to_string(width * 2) + "px\"></span>", false) + "</tr>\n";
  }
  return html + "</table>\n</section>\n";
}

std::string pairs_section(const TReportData& data) {
  std::string html = "<section id=\"pairs\">\n<h2>Letter pairs</h2>\n";
  if (!data.pairsRead) {
    std::string why;
    if (!part_problem(data, TReportPart::LetterPairs, why)) why = "The letter-pair file could not be read.";
    return html + missing(why) + "</section>\n";
  }
  html += "<p>" + GroupedNumber(static_cast<int64_t>(data.pairs.size())) +
          " pairs of letters or digits typed inside words. The slowest are ranked by the average time from the "
          "first key to the second, among pairs typed at least " + std::to_string(kFewestForSlowest) + " times.</p>\n";
  html += "<div class=\"row\">\n<div><h3>Slowest</h3>\n";
  const std::vector<TPairFigure> slowest = SlowestPairs(data.pairs, THtmlReport::kPairsShown);
  if (slowest.empty()) html += "<p>No pair has been typed " + std::to_string(kFewestForSlowest) + " times yet.</p>\n";
  else html += "<table>\n<tr><th>Pair</th><th>Typed</th><th>Average time (ms)</th></tr>\n";
  for (const TPairFigure& p : slowest)
    html += "<tr>" + cell("<code>" + HtmlText(p.pair) + "</code>", false) + cell(GroupedNumber(p.count)) +
            cell(GroupedNumber(AveragePairTime(p))) + "</tr>\n";
  if (!slowest.empty()) html += "</table>\n";
  html += "</div>\n<div><h3>Most errors</h3>\n";
  const std::vector<TPairFigure> errors = ErrorPronePairs(data.pairs, THtmlReport::kPairsShown);
  if (errors.empty()) {
    html += "<p>No pair was involved in a correction.</p>\n";
  } else {
    html += "<table>\n<tr><th>Pair</th><th>Typed</th><th>Errors</th><th>Error rate</th></tr>\n";
    for (const TPairFigure& p : errors)
      html += "<tr>" + cell("<code>" + HtmlText(p.pair) + "</code>", false) + cell(GroupedNumber(p.count)) +
              cell(GroupedNumber(p.errors)) +
              cell(p.count > 0 ? std::to_string(round_ratio_half_even(int64_t{p.errors} * 100, p.count)) + "&nbsp;%"
                               : std::string("-")) +
              "</tr>\n";
    html += "</table>\n";
  }
  return html + "</div>\n</div>\n</section>\n";
}

}  // namespace

std::string THtmlReport::Page(const TReportData& data) {
  const std::string& name = data.storedName.empty() ? data.userName : data.storedName;
  std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                     "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                     "<title>Typing statistics of " +
                     HtmlText(name) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n";
  html += header(data);
  html += week_section(data);
  html += TrendSection(data);
  html += records_section(data);
  html += counters_section(data);
  html += samples_section(data, true);
  html += samples_section(data, false);
  html += keys_section(data);
  html += words_section(data);
  html += pairs_section(data);
  html += "<footer>Made by Strevo " STREVO_VERSION_TEXT
          " from the user's own files. The CSV and JSON files beside this page hold every figure.</footer>\n";
  html += "</body>\n</html>\n";
  return html;
}

}  // namespace strevo
