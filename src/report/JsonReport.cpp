#include "report/JsonReport.h"

#include <nlohmann/json.hpp>

#include "report/ReportText.h"

namespace strevo {

namespace {

// Members keep the order they are written in.
using Json = nlohmann::ordered_json;

Json text(std::string_view ansi) { return Utf8FromAnsi(ansi); }
Json number(const TFigure& figure) { return figure ? Json(*figure) : Json(); }
Json date_time(const std::optional<double>& date) { return date ? Json(IsoDateTime(*date)) : Json(); }
Json speed(const TFigure& characters, const TFigure& seconds) {
  return characters && seconds ? Json(PerMinute(*characters, *seconds)) : Json();
}

const char* part_name(TReportPart part) {
  switch (part) {
    case TReportPart::User: return "user";
    case TReportPart::History: return "history";
    case TReportPart::Profile: return "profile";
    case TReportPart::Statistics: return "statistics";
    case TReportPart::LetterPairs: return "letterPairs";
    case TReportPart::Output: return "output";
  }
  return "user";
}

Json samples(const std::vector<TSampleFigures>& list, const char* numberName) {
  Json items = Json::array();
  for (const TSampleFigures& s : list)
    items.push_back({{numberName, s.number},
                     {"characters", number(s.characters)},
                     {"typingSeconds", number(s.seconds)},
                     {"charactersPerMinute", speed(s.characters, s.seconds)}});
  return items;
}

Json key_set(const TKeySetFigures& set) {
  Json mostDifficult = Json::array();
  for (char key : set.mostDifficult) mostDifficult.push_back(text(std::string_view(&key, 1)));
  Json keys = Json::array();
  for (int c = 33; c <= 255; ++c) {
    const auto code = static_cast<unsigned char>(c);
    if (!KeyTyped(set, code)) continue;
    const int32_t index = ShownKeyIndex(set.index[code]);
    const char key = static_cast<char>(code);
    keys.push_back({{"key", text(std::string_view(&key, 1))},
                    {"code", c},
                    {"index", index},
                    {"band", KeyBand(set, index)},
                    {"presses", set.presses[code]},
                    {"hits", set.hits[code]},
                    {"errors", set.errors[code]}});
  }
  return {{"set", set.set},
          {"window", set.window},
          {"lowLimit", set.lowLimit},
          {"highLimit", set.highLimit},
          {"mostDifficult", mostDifficult},
          {"keys", keys}};
}

Json pair_names(const std::vector<TPairFigure>& pairs) {
  Json names = Json::array();
  for (const TPairFigure& p : pairs) names.push_back(text(p.pair));
  return names;
}

void add_profile(Json& json, const TReportData& data) {
  json["dateStarted"] = data.dateStarted.empty() ? Json() : text(data.dateStarted);
  json["lastDateSaved"] = data.lastDate ? Json(IsoDate(*data.lastDate)) : Json();
  json["typingDays"] = number(data.typingDays);
  Json counters = Json::object();
  for (const TCounterFigure& c : data.counters) counters[Utf8FromAnsi(c.key)] = number(c.value);
  json["counters"] = counters;
  Json week = Json::array();
  for (const TWeekdayFigures& d : data.week)
    week.push_back({{"weekday", d.weekday},
                    {"name", WeekdayName(d.weekday)},
                    {"current", d.current},
                    {"characters", number(d.characters)},
                    {"words", number(d.words)},
                    {"typingSeconds", number(d.seconds)},
                    {"charactersPerMinute", speed(d.characters, d.seconds)},
                    {"problemIndex", number(d.problemIndex)}});
  json["week"] = week;
  json["weekSamples"] = samples(data.weekSamples, "week");
  json["monthSamples"] = samples(data.monthSamples, "day");
  Json records = Json::array();
  for (const TRecordFigure& r : data.records)
    records.push_back({{"name", text(r.key)},
                       {"label", text(r.label)},
                       {"value", number(r.value)},
                       {"unit", text(r.unit)},
                       {"date", date_time(r.date)}});
  json["records"] = records;
}

void add_statistics(Json& json, const TReportData& data) {
  Json sets = Json::array();
  for (const TKeySetFigures& set : data.keySets) sets.push_back(key_set(set));
  json["keySets"] = sets;
  json["wordsCollected"] = data.wordsCollected;
  Json words = Json::array();
  for (const TWordFigure& w : data.words) words.push_back({{"word", text(w.word)}, {"weight", w.weight}});
  json["words"] = words;
}

void add_pairs(Json& json, const TReportData& data) {
  Json pairs = Json::array();
  for (const TPairFigure& p : data.pairs)
    pairs.push_back({{"pair", text(p.pair)},
                     {"count", p.count},
                     {"errors", p.errors},
                     {"timeSumMs", p.timeSum},
                     {"averageMs", AveragePairTime(p)}});
  json["letterPairs"] = pairs;
  json["slowestPairs"] = pair_names(SlowestPairs(data.pairs, data.pairs.size()));
  json["errorPronePairs"] = pair_names(ErrorPronePairs(data.pairs, data.pairs.size()));
}

}  // namespace

std::string TJsonReport::Text(const TReportData& data) {
  Json json;
  json["format"] = kFormat;
  json["user"] = text(data.userName);
  json["storedName"] = data.profileRead ? text(data.storedName) : Json();
  json["fileBase"] = text(data.fileBase);
  json["generated"] = date_time(data.generated);
  json["parts"] = {{"profile", data.profileRead},
                   {"statistics", data.statisticsRead},
                   {"letterPairs", data.pairsRead}};
  Json problems = Json::array();
  for (const TReportProblem& p : data.problems)
    problems.push_back({{"part", part_name(p.part)}, {"text", text(p.text)}});
  json["problems"] = problems;

  if (data.profileRead) {
    add_profile(json, data);
  } else {
    for (const char* name : {"dateStarted", "lastDateSaved", "typingDays", "counters", "week", "weekSamples",
                             "monthSamples", "records"})
      json[name] = nullptr;
  }
  if (data.statisticsRead) {
    add_statistics(json, data);
  } else {
    json["keySets"] = nullptr;
    json["wordsCollected"] = data.profileRead ? Json(data.wordsCollected) : Json();
    json["words"] = nullptr;
  }
  if (data.pairsRead) {
    add_pairs(json, data);
  } else {
    for (const char* name : {"letterPairs", "slowestPairs", "errorPronePairs"}) json[name] = nullptr;
  }
  // Only a user with a history file has the member: one without reads as
  // before the history was kept.
  if (data.historyRead) {
    Json days = Json::array();
    for (const THistoryRow& row : data.history)
      days.push_back({{"date", IsoDateText(row.date)},
                      {"characters", row.characters},
                      {"words", row.words},
                      {"typingSeconds", row.seconds},
                      {"charactersPerMinute", row.charsPerMinute},
                      {"keyPresses", row.keyPresses},
                      {"backspaces", row.backspaces},
                      {"problemIndex", row.problemIndex},
                      {"difficultKeys", text(row.difficultKeys)}});
    json["history"] = days;
  }
  // Every text went through Utf8FromAnsi, so writing never meets bytes that
  // are not UTF-8.
  return json.dump(2) + "\n";
}

}  // namespace strevo
