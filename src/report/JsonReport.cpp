#include "report/JsonReport.h"

#include "report/ReportText.h"

namespace strevo {

namespace {

std::string number(const TFigure& figure) { return figure ? std::to_string(*figure) : "null"; }
std::string date_time(const std::optional<double>& date) {
  return date ? "\"" + IsoDateTime(*date) + "\"" : "null";
}
const char* boolean(bool value) { return value ? "true" : "false"; }

const char* part_name(TReportPart part) {
  switch (part) {
    case TReportPart::User: return "user";
    case TReportPart::Profile: return "profile";
    case TReportPart::Statistics: return "statistics";
    case TReportPart::LetterPairs: return "letterPairs";
    case TReportPart::Output: return "output";
  }
  return "user";
}

// "[\n    item,\n    item\n  ]" from already formatted items.
std::string array(const std::vector<std::string>& items) {
  if (items.empty()) return "[]";
  std::string text = "[\n";
  for (size_t i = 0; i < items.size(); ++i) text += "    " + items[i] + (i + 1 < items.size() ? ",\n" : "\n");
  return text + "  ]";
}

std::string samples(const std::vector<TSampleFigures>& list, const char* numberName) {
  std::vector<std::string> items;
  for (const TSampleFigures& s : list) {
    const TFigure speed = s.characters && s.seconds ? TFigure(PerMinute(*s.characters, *s.seconds)) : std::nullopt;
    items.push_back(std::string("{\"") + numberName + "\": " + std::to_string(s.number) +
                    ", \"characters\": " + number(s.characters) + ", \"typingSeconds\": " + number(s.seconds) +
                    ", \"charactersPerMinute\": " + number(speed) + "}");
  }
  return array(items);
}

std::string key_set(const TKeySetFigures& set) {
  std::string text = "{\"set\": " + std::to_string(set.set) + ", \"window\": " + std::to_string(set.window) +
                     ", \"lowLimit\": " + std::to_string(set.lowLimit) +
                     ", \"highLimit\": " + std::to_string(set.highLimit) + ",\n     \"mostDifficult\": [";
  for (size_t i = 0; i < set.mostDifficult.size(); ++i)
    text += (i ? ", " : "") + JsonString(set.mostDifficult.substr(i, 1));
  text += "],\n     \"keys\": [";
  bool first = true;
  for (int c = 33; c <= 255; ++c) {
    const auto code = static_cast<unsigned char>(c);
    if (!KeyTyped(set, code)) continue;
    const int32_t index = ShownKeyIndex(set.index[code]);
    text += first ? "\n      " : ",\n      ";
    first = false;
    text += "{\"key\": " + JsonString(std::string(1, static_cast<char>(code))) + ", \"code\": " + std::to_string(c) +
            ", \"index\": " + std::to_string(index) + ", \"band\": \"" + KeyBand(set, index) +
            "\", \"presses\": " + std::to_string(set.presses[code]) + ", \"hits\": " + std::to_string(set.hits[code]) +
            ", \"errors\": " + std::to_string(set.errors[code]) + "}";
  }
  return text + (first ? "]}" : "\n     ]}");
}

std::string pair_item(const TPairFigure& p) {
  return "{\"pair\": " + JsonString(p.pair) + ", \"count\": " + std::to_string(p.count) +
         ", \"errors\": " + std::to_string(p.errors) + ", \"timeSumMs\": " + std::to_string(p.timeSum) +
         ", \"averageMs\": " + std::to_string(AveragePairTime(p)) + "}";
}

std::string pair_names(const std::vector<TPairFigure>& pairs) {
  std::string text = "[";
  for (size_t i = 0; i < pairs.size(); ++i) text += (i ? ", " : "") + JsonString(pairs[i].pair);
  return text + "]";
}

}  // namespace

std::string TJsonReport::Text(const TReportData& data) {
  std::string json = "{\n";
  const auto field = [&json](const char* name, const std::string& value, bool last = false) {
    json += std::string("  \"") + name + "\": " + value + (last ? "\n" : ",\n");
  };
  field("format", std::string("\"") + kFormat + "\"");
  field("user", JsonString(data.userName));
  field("storedName", data.profileRead ? JsonString(data.storedName) : "null");
  field("fileBase", JsonString(data.fileBase));
  field("generated", date_time(data.generated));
  field("parts", std::string("{\"profile\": ") + boolean(data.profileRead) +
                     ", \"statistics\": " + boolean(data.statisticsRead) +
                     ", \"letterPairs\": " + boolean(data.pairsRead) + "}");
  std::vector<std::string> problems;
  for (const TReportProblem& p : data.problems)
    problems.push_back(std::string("{\"part\": \"") + part_name(p.part) + "\", \"text\": " + JsonString(p.text) + "}");
  field("problems", array(problems));

  if (data.profileRead) {
    field("dateStarted", data.dateStarted.empty() ? "null" : JsonString(data.dateStarted));
    field("lastDateSaved", data.lastDate ? "\"" + IsoDate(*data.lastDate) + "\"" : "null");
    field("typingDays", number(data.typingDays));
    std::string counters = "{";
    for (size_t i = 0; i < data.counters.size(); ++i)
      counters += (i ? ", " : "") + JsonString(data.counters[i].key) + ": " + number(data.counters[i].value);
    field("counters", counters + "}");
    std::vector<std::string> week;
    for (const TWeekdayFigures& d : data.week) {
      const TFigure speed = d.characters && d.seconds ? TFigure(PerMinute(*d.characters, *d.seconds)) : std::nullopt;
      week.push_back("{\"weekday\": " + std::to_string(d.weekday) + ", \"name\": \"" + WeekdayName(d.weekday) +
                     "\", \"current\": " + boolean(d.current) + ", \"characters\": " + number(d.characters) +
                     ", \"words\": " + number(d.words) + ", \"typingSeconds\": " + number(d.seconds) +
                     ", \"charactersPerMinute\": " + number(speed) + ", \"problemIndex\": " + number(d.problemIndex) +
                     "}");
    }
    field("week", array(week));
    field("weekSamples", samples(data.weekSamples, "week"));
    field("monthSamples", samples(data.monthSamples, "day"));
    std::vector<std::string> records;
    for (const TRecordFigure& r : data.records)
      records.push_back("{\"name\": " + JsonString(r.key) + ", \"label\": " + JsonString(r.label) +
                        ", \"value\": " + number(r.value) + ", \"unit\": " + JsonString(r.unit) +
                        ", \"date\": " + date_time(r.date) + "}");
    field("records", array(records));
  } else {
    for (const char* name : {"dateStarted", "lastDateSaved", "typingDays", "counters", "week", "weekSamples",
                             "monthSamples", "records"})
      field(name, "null");
  }

  if (data.statisticsRead) {
    std::vector<std::string> sets;
    for (const TKeySetFigures& set : data.keySets) sets.push_back(key_set(set));
    field("keySets", array(sets));
    field("wordsCollected", boolean(data.wordsCollected));
    std::vector<std::string> words;
    for (const TWordFigure& w : data.words)
      words.push_back("{\"word\": " + JsonString(w.word) + ", \"weight\": " + std::to_string(w.weight) + "}");
    field("words", array(words));
  } else {
    field("keySets", "null");
    field("wordsCollected", data.profileRead ? boolean(data.wordsCollected) : "null");
    field("words", "null");
  }

  if (data.pairsRead) {
    std::vector<std::string> pairs;
    for (const TPairFigure& p : data.pairs) pairs.push_back(pair_item(p));
    field("letterPairs", array(pairs));
    field("slowestPairs", pair_names(SlowestPairs(data.pairs, data.pairs.size())));
    field("errorPronePairs", pair_names(ErrorPronePairs(data.pairs, data.pairs.size())), true);
  } else {
    field("letterPairs", "null");
    field("slowestPairs", "null");
    field("errorPronePairs", "null", true);
  }
  return json + "}\n";
}

}  // namespace strevo
