#include "report/CsvReport.h"

#include "report/ReportText.h"

namespace strevo {

namespace {

class Table {
 public:
  Table() { text_ = "\xEF\xBB\xBF" "section,item,field,value\r\n"; }
  // A row whose value is text.
  void Text(const std::string& section, const std::string& item, const std::string& field, const std::string& value) {
    text_ += CsvField(section) + "," + CsvField(item) + "," + CsvField(field) + "," + CsvField(value) + "\r\n";
  }
  // A row whose value is a figure (empty when it could not be read).
  void Figure(const std::string& section, const std::string& item, const std::string& field, const TFigure& value) {
    text_ += CsvField(section) + "," + CsvField(item) + "," + CsvField(field) + "," +
             (value ? std::to_string(*value) : std::string()) + "\r\n";
  }
  const std::string& Result() const { return text_; }

 private:
  std::string text_;
};

const char* part_name(TReportPart part) {
  switch (part) {
    case TReportPart::User: return "user";
    case TReportPart::Profile: return "profile";
    case TReportPart::Statistics: return "statistics";
    case TReportPart::LetterPairs: return "letter pairs";
    case TReportPart::History: return "history";
    case TReportPart::Output: return "output";
  }
  return "user";
}

const char* read_text(bool read) { return read ? "read" : "not read"; }

void samples(Table& t, const char* section, const std::vector<TSampleFigures>& list) {
  for (const TSampleFigures& s : list) {
    const std::string n = std::to_string(s.number);
    t.Figure(section, n, "characters", s.characters);
    t.Figure(section, n, "typing seconds", s.seconds);
    t.Figure(section, n, "characters per minute",
             s.characters && s.seconds ? TFigure(PerMinute(*s.characters, *s.seconds)) : std::nullopt);
  }
}

}  // namespace

std::string TCsvReport::Text(const TReportData& data) {
  Table t;
  t.Text("report", "user", "name", data.userName);
  if (data.profileRead) t.Text("report", "user", "stored name", data.storedName);
  t.Text("report", "user", "file base", data.fileBase);
  t.Text("report", "generated", "date", IsoDateTime(data.generated));
  t.Text("report", "part", "profile", read_text(data.profileRead));
  t.Text("report", "part", "statistics", read_text(data.statisticsRead));
  t.Text("report", "part", "letter pairs", read_text(data.pairsRead));
  for (size_t i = 0; i < data.problems.size(); ++i)
    t.Text("problem", std::to_string(i + 1), part_name(data.problems[i].part), data.problems[i].text);

  if (data.profileRead) {
    if (!data.dateStarted.empty()) t.Text("profile", "DateStarted", "date", data.dateStarted);
    if (data.lastDate) t.Text("profile", "Lastdate", "date", IsoDate(*data.lastDate));
    t.Figure("profile", "WayfenDays.counter", "days with typing", data.typingDays);
    for (const TCounterFigure& c : data.counters) t.Figure("counter", c.key, c.label, c.value);
    for (const TWeekdayFigures& d : data.week) {
      const std::string day = WeekdayName(d.weekday);
      t.Figure("week", day, "characters", d.characters);
      t.Figure("week", day, "words", d.words);
      t.Figure("week", day, "typing seconds", d.seconds);
      t.Figure("week", day, "characters per minute",
               d.characters && d.seconds ? TFigure(PerMinute(*d.characters, *d.seconds)) : std::nullopt);
      t.Figure("week", day, "problem index", d.problemIndex);
      t.Figure("week", day, "current day", d.current ? 1 : 0);
    }
    samples(t, "week sample", data.weekSamples);
    samples(t, "month sample", data.monthSamples);
    for (const TRecordFigure& r : data.records) {
      t.Figure("record", r.key, r.unit, r.value);
      if (r.date) t.Text("record", r.key, "date", IsoDateTime(*r.date));
    }
  }

  if (data.statisticsRead) {
    for (const TKeySetFigures& set : data.keySets) {
      const std::string section = "keys window " + std::to_string(set.window);
      for (int c = 33; c <= 255; ++c) {
        const auto code = static_cast<unsigned char>(c);
        if (!KeyTyped(set, code)) continue;
        const std::string key(1, static_cast<char>(code));
        const int32_t index = ShownKeyIndex(set.index[code]);
        t.Figure(section, key, "code", c);
        t.Figure(section, key, "index", index);
        t.Text(section, key, "band", KeyBand(set, index));
        t.Figure(section, key, "presses", set.presses[code]);
        t.Figure(section, key, "hits", set.hits[code]);
        t.Figure(section, key, "errors", set.errors[code]);
      }
      for (size_t i = 0; i < set.mostDifficult.size(); ++i)
        t.Text("most difficult window " + std::to_string(set.window), std::to_string(i + 1), "key",
               set.mostDifficult.substr(i, 1));
    }
    for (const TWordFigure& w : data.words) t.Figure("word", w.word, "weight", w.weight);
  }

  for (const THistoryRow& row : data.history) {
    const std::string day = IsoDateText(row.date);
    t.Figure("history", day, "characters", row.characters);
    t.Figure("history", day, "words", row.words);
    t.Figure("history", day, "typing seconds", row.seconds);
    t.Figure("history", day, "characters per minute", row.charsPerMinute);
    t.Figure("history", day, "key presses", row.keyPresses);
    t.Figure("history", day, "backspaces", row.backspaces);
    t.Figure("history", day, "problem index", row.problemIndex);
    t.Text("history", day, "difficult keys", row.difficultKeys);
  }

  if (data.pairsRead) {
    for (const TPairFigure& p : data.pairs) {
      t.Figure("letter pair", p.pair, "count", p.count);
      t.Figure("letter pair", p.pair, "errors", p.errors);
      t.Figure("letter pair", p.pair, "time sum ms", p.timeSum);
      t.Figure("letter pair", p.pair, "average ms", AveragePairTime(p));
    }
  }
  return t.Result();
}

}  // namespace strevo
