// The statistics report: one user's own figures without the tutor, as one
// self-contained HTML page (inline style and SVG pictures, no script, no
// network), a CSV file and a JSON file. It reads the profile (read only and
// shared, so the program may hold it meanwhile), the statistics file
// (".DTA") and the letter-pair file (".json") from the user database, and
// shows what it could read when a part is missing or damaged.
#pragma once

#include <string>

#include "report/ReportData.h"

namespace strevo {

class TUser;
class UserAnalysis;

class TUserReport {
 public:
  // Reads what it can of the user's files from ProgramSettings->DatabasePath.
  // False when there is nothing to report on: no user name, a name that
  // cannot name a file, no database folder, or no file of the user at all.
  // Every part that could not be read is in Data().problems. The user's keys
  // and words are read into an analysis of the report's own, so a report
  // never touches the figures of the user being monitored.
  bool Gather(const std::string& userName);
  // Writes the page, the CSV file and the JSON file into folder (created
  // when missing; its subfolder kReportsFolder when folder is the user
  // database), each beside its final name first and then renamed over it.
  // htmlPath is the page's path; false when the page could not be written.
  // Failures go to Data().problems.
  bool Write(const std::string& folder, std::string& htmlPath);
  // Where reports asked for in the user database go: no user file lies in
  // a folder of its own.
  static constexpr const char* kReportsFolder = "Reports\\";

  const TReportData& Data() const { return data_; }
  // Every problem, one per line.
  std::string ProblemText() const;

  // The files' names for a user's file base: base + "-report.html", ".csv",
  // ".json" (never the letter-pair file's base + ".json").
  static std::string PageName(const std::string& base) { return base + "-report.html"; }
  static std::string CsvName(const std::string& base) { return base + "-report.csv"; }
  static std::string JsonName(const std::string& base) { return base + "-report.json"; }

 private:
  void Problem(TReportPart part, const std::string& text);
  // Opens the profile, with the statistics file and without it when that
  // fails, and copies what it holds.
  void ReadUser();
  void ReadProfile(TUser& user);
  // The difficult keys and words the user object loaded into analysis.
  void ReadStatistics(UserAnalysis& analysis);
  // The statistics file against its own header: cut short, an unknown
  // version, a word count out of range.
  void CheckStatisticsFile(const std::string& path);
  void ReadLetterPairs();
  void ReadHistory();
  bool WriteFile(const std::string& path, const std::string& bytes);

  TReportData data_;
};

// The program's entry: Gather and Write for userName into outputFolder.
// True when the page was written (it may be partial: error then says what
// is missing); false with the reason in error otherwise. Never throws.
bool WriteUserReport(const std::string& userName, const std::string& outputFolder, std::string& htmlPath,
                     std::string& error);

}  // namespace strevo
