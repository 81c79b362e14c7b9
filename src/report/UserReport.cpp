#include "report/UserReport.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <new>

#include "analysis/BigramAnalyzer.h"
#include "analysis/Diffkeys.h"
#include "analysis/UserAnalysis.h"
#include "analysis/WordAnalyzer.h"
#include "platform/Ansi.h"
#include "platform/Platform.h"
#include "report/CsvReport.h"
#include "report/HtmlReport.h"
#include "report/JsonReport.h"
#include "report/ReportText.h"
#include "storage/DateTime.h"
#include "storage/DynamicSettings.h"
#include "storage/Numbers.h"
#include "storage/PrgSetup.h"
#include "storage/ToolBox.h"
#include "storage/User.h"
#include "storage/WholeFile.h"

namespace strevo {

namespace {

// The analyzer reads no letter-pair file larger than this; such a file is
// named as too large rather than as unreadable.
constexpr int64_t kLargestPairFile = 64LL * 1024 * 1024;
// Week numbers as the program files its week samples, with room on both
// sides; days of the month.
constexpr int kFirstWeek = 0, kLastWeek = 54;
// Keys in the list of the most difficult keys of each set.
constexpr int kMostDifficultKeys = 10;
// Unreadable entries named one by one before the rest are only counted.
constexpr size_t kNamedEntries = 8;

// The statistics file's layout at the current version: six reserved
// numbers and the version, the two key sets, the word count and the words.
constexpr int64_t kHeaderBytes = 7 * 4;
constexpr int64_t kWordCountBytes = 4;
constexpr int32_t kOldestVersionWithTwoSets = 6;

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string file_name_of(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int32_t le32(const unsigned char* bytes) {
  return static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                              (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24));
}

// The "UserName" a profile file holds, read as text; empty when it has none
// or cannot be read.
std::string stored_user_name(const std::string& path) {
  TDynamicSettings file;
  if (file.Open(path, dynamic_mode::ReadOnlyShared) != 1 || file.Load() != 1) return {};
  return file.GetString("UserName");
}

// The profile's entries, noting those that are there but not numbers.
class ProfileReader {
 public:
  explicit ProfileReader(TUser& user) : user_(user) {}

  TFigure Figure(const std::string& key) {
    std::string text;
    if (user_.Store().GetString(key, text) != 1) return 0;
    text = TrimBlanks(text);
    if (text.empty()) return 0;
    int64_t value = 0;
    if (text_to_int64(text, value)) return value;
    unreadable_.push_back(key);
    return std::nullopt;
  }
  // A date-time entry; none when missing, and none (noted) when it is not a
  // date the report can show. 0 is how an entry never set reads.
  std::optional<double> Date(const std::string& key) {
    std::string text;
    if (user_.Store().GetString(key, text) != 1) return std::nullopt;
    text = TrimBlanks(text);
    double value = 0;
    if (text.empty() || (text_to_float(text, value) && value == 0)) return std::nullopt;
    if (text_to_float(text, value) && IsShownDate(value)) return value;
    unreadable_.push_back(key);
    return std::nullopt;
  }
  const std::vector<std::string>& Unreadable() const { return unreadable_; }

 private:
  TUser& user_;
  std::vector<std::string> unreadable_;
};

}  // namespace

void TUserReport::Problem(TReportPart part, const std::string& text) { data_.problems.push_back({part, text}); }

std::string TUserReport::ProblemText() const {
  std::string text;
  for (const TReportProblem& problem : data_.problems) {
    if (!text.empty()) text += "\n";
    text += problem.text;
  }
  return text;
}

bool TUserReport::Gather(const std::string& userName) {
  data_ = TReportData();
  data_.userName = userName;
  data_.generated = Now();
  if (TrimBlanks(userName).empty()) {
    Problem(TReportPart::User, "No user name was given.");
    return false;
  }
  data_.fileBase = FileBaseName(userName);
  if (!IsUsableUserName(userName)) {
    Problem(TReportPart::User, "The name " + quoted(userName) + " cannot name a user's files.");
    return false;
  }
  if (!ProgramSettings || ProgramSettings->DatabasePath.empty()) {
    Problem(TReportPart::User, "The user database folder is not known.");
    return false;
  }
  // The base the user's files lie under, as the program opens them.
  data_.fileBase = UserFileBase(userName);
  const std::string profile = UserFilePath(userName, ".usr");
  TUserBigrams pairs;
  pairs.Folder = ProgramSettings->DatabasePath;
  pairs.UserName = userName;
  pairs.FileBase = data_.fileBase;
  const bool hasPairs = Files().FileExists(pairs.SourceFileName());
  if (!Files().FileExists(profile) && !hasPairs) {
    Problem(TReportPart::User, "There is no user " + quoted(userName) + " in the user database (no file " +
                                   file_name_of(profile) + ").");
    return false;
  }
  ReadUser();
  ReadLetterPairs();
  ReadHistory();
  return true;
}

void TUserReport::ReadUser() {
  const std::string profileName = file_name_of(UserFilePath(data_.userName, ".usr"));
  if (!Files().FileExists(UserFilePath(data_.userName, ".usr"))) {
    Problem(TReportPart::Profile, "There is no profile " + profileName +
                                      ": no daily figures, records, counters, keys or words.");
    return;
  }
  // The user's keys and words go into an analysis of the report's own:
  // declared first, so that it outlives the user object.
  UserAnalysis analysis;
  std::unique_ptr<TUser> user;
  std::string statisticsFailure;
  try {
    user = OpenUser(data_.userName, false, kAnyGroup, lock_mode::ReadOnly, &analysis);
  } catch (const std::exception& e) {
    statisticsFailure = e.what();
  }
  bool withStatistics = user != nullptr;
  if (!user) {
    // Once more without the statistics file: if that opens, the profile is
    // sound and the statistics file is what failed.
    try {
      user = OpenUser(data_.userName, true, kAnyGroup, lock_mode::ReadOnly, &analysis);
    } catch (const std::exception& e) {
      const std::string owner = stored_user_name(UserFilePath(data_.userName, ".usr"));
      if (!owner.empty() && !same_text(owner, data_.userName)) {
        Problem(TReportPart::Profile, "The profile " + profileName + " belongs to another user (" + quoted(owner) +
                                          "): nothing of it is shown.");
        return;
      }
      const std::string why = TrimBlanks(e.what());
      Problem(TReportPart::Profile,
              "The profile " + profileName + " could not be read" + (why.empty() ? "." : ": " + why));
      return;
    }
    if (!user) {
      Problem(TReportPart::Profile, "The profile " + profileName + " could not be read.");
      return;
    }
  }
  data_.profileRead = true;
  ReadProfile(*user);
  const std::string statistics = user->StatisticsPath();
  if (!withStatistics) {
    const std::string why = TrimBlanks(statisticsFailure);
    Problem(TReportPart::Statistics, "The statistics file " + file_name_of(statistics) +
                                         " could not be read" + (why.empty() ? "" : " (" + why + ")") +
                                         ": no difficult keys or words.");
  } else if (statistics.empty() || !Files().FileExists(statistics)) {
    Problem(TReportPart::Statistics, "There is no statistics file " +
                                         (statistics.empty() ? std::string() : file_name_of(statistics) + " ") +
                                         "yet: no difficult keys or words.");
  } else {
    ReadStatistics(analysis);
    CheckStatisticsFile(statistics);
  }
  user.reset();
}

void TUserReport::ReadProfile(TUser& user) {
  ProfileReader reader(user);
  data_.storedName = user.Name();

  // The user object gives a profile without a start date the keys of a new
  // profile (in memory only, as it is read only): the file itself says
  // whether it had them.
  TDynamicSettings file;
  std::string started, storedName;
  if (file.Open(user.FileName(), dynamic_mode::ReadOnlyShared) == 1 && file.Load() == 1) {
    started = file.GetString("DateStarted");
    storedName = file.GetString("UserName");
  }
  data_.dateStarted = started;
  if (started.empty() && storedName.empty())
    Problem(TReportPart::Profile, "The profile " + file_name_of(user.FileName()) +
                                      " holds neither a user name nor a start date: it may be damaged or not a "
                                      "profile at all.");

  data_.lastDate = reader.Date("Lastdate");
  const TFigure currentDay = reader.Figure("CurrentDay");
  data_.typingDays = reader.Figure("WayfenDays.counter");
  data_.wordsCollected = !user.GetBool("DoNotCollectWords");

  for (int d = 1; d <= 7; ++d) {
    TWeekdayFigures& day = data_.week[static_cast<size_t>(d - 1)];
    const std::string n = std::to_string(d);
    day.weekday = d;
    day.characters = reader.Figure("TotalHits.day" + n);
    day.words = reader.Figure("TypedWords.day" + n);
    day.seconds = reader.Figure("TypingSeconds.day" + n);
    day.problemIndex = reader.Figure("ProblemIndex.day" + n);
    day.current = currentDay && *currentDay == d;
  }

  std::string ignored;
  const auto present = [&](const std::string& key) { return user.Store().GetString(key, ignored) == 1; };
  for (int w = kFirstWeek; w <= kLastWeek; ++w) {
    const std::string n = std::to_string(w);
    if (present("SaSp" + n) || present("SaTi" + n))
      data_.weekSamples.push_back({w, reader.Figure("SaSp" + n), reader.Figure("SaTi" + n)});
  }
  for (int d = 1; d <= 31; ++d) {
    const std::string n = std::to_string(d);
    if (present("SaWSp" + n) || present("SaWTi" + n))
      data_.monthSamples.push_back({d, reader.Figure("SaWSp" + n), reader.Figure("SaWTi" + n)});
  }

  struct RecordName {
    const char* key;
    const char* label;
    const char* unit;
  };
  static const RecordName kRecords[] = {
      {"Speed.TopTen", "Fastest day", "characters per minute"},
      {"TypingSeconds.TopTen", "Longest typing time in a day", "seconds"},
      {"TypedWords.TopTen", "Most words in a day", "words"},
      {"ProblemIndex.TopTen", "Highest problem index of a day", "index"},
  };
  for (const RecordName& r : kRecords)
    data_.records.push_back({r.key, r.label, r.unit, reader.Figure(r.key), reader.Date(std::string(r.key) + ".Date")});

  static const char* const kCounters[][2] = {
      {"totalHits", "Keys pressed"},
      {"monitoredHits", "Keys pressed in monitored applications"},
      {"BackSpaces", "Backspaces"},
      {"ArrowHits", "Arrow keys"},
      {"MouseClicks", "Mouse clicks"},
  };
  for (const auto& c : kCounters) data_.counters.push_back({c[0], c[1], reader.Figure(c[0])});

  const std::vector<std::string>& unreadable = reader.Unreadable();
  if (!unreadable.empty()) {
    std::string names;
    for (size_t i = 0; i < unreadable.size() && i < kNamedEntries; ++i) names += (i ? ", " : "") + unreadable[i];
    if (unreadable.size() > kNamedEntries) names += " and " + std::to_string(unreadable.size() - kNamedEntries) + " more";
    Problem(TReportPart::Profile, "The profile " + file_name_of(user.FileName()) + " has " +
                                      std::to_string(unreadable.size()) + " entries that are not numbers or dates (" +
                                      names + "); they are shown as \"-\".");
  }
}

void TUserReport::ReadStatistics(UserAnalysis& analysis) {
  data_.statisticsRead = true;
  for (int s = 0; s <= 1; ++s) {
    TDifficultKeys& keys = analysis.KeySets[static_cast<size_t>(s)];
    TKeySetFigures set;
    set.set = s;
    set.window = keys.Window;
    set.lowLimit = keys.LowLimit;
    set.highLimit = keys.HighLimit;
    for (int c = TDifficultKeys::kFirstKey; c <= TDifficultKeys::kLastKey; ++c) {
      const auto code = static_cast<unsigned char>(c);
      set.index[code] = keys.KeyIndex(code);
      // The index of a key outside the alphabet is always 0 and says
      // nothing; comma and full stop always count.
      set.rated[code] = !keys.HasAlphabet || keys.Alphabet.find(static_cast<char>(code)) != std::string::npos ||
                        code == ',' || code == '.';
      set.presses[code] = keys.Presses[code];
      set.hits[code] = keys.TotalHits[code];
      set.errors[code] = keys.TotalErrors[code];
    }
    set.mostDifficult = keys.TopKeys(kMostDifficultKeys, TKeySelection::All);
    data_.keySets.push_back(std::move(set));
  }
  if (!data_.wordsCollected) return;
  // "word;weight", heaviest first; the weight is digits only, so the last
  // ";" ends the word whatever the word holds.
  for (const std::string& line : analysis.Words.WeightedList(kWordSourceTyped | kWordSourceIncluded, 1)) {
    const size_t semicolon = line.rfind(';');
    if (semicolon == std::string::npos) continue;
    int32_t weight = 0;
    if (!text_to_int32(line.substr(semicolon + 1), weight)) continue;
    data_.words.push_back({line.substr(0, semicolon), weight});
  }
}

void TUserReport::CheckStatisticsFile(const std::string& path) {
  const std::string name = file_name_of(path);
  auto file = Files().Open(path, {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting});
  if (!file) return;  // it was just read; nothing more to learn
  const int64_t size = file->Size();
  unsigned char header[kHeaderBytes] = {};
  if (size < kHeaderBytes || file->Read(header, kHeaderBytes) != kHeaderBytes) {
    Problem(TReportPart::Statistics, "The statistics file " + name + " is cut short inside its header (" +
                                         std::to_string(size) + " bytes): its keys and words are missing.");
    return;
  }
  const int32_t version = le32(header + kHeaderBytes - 4);
  const int64_t sets = version >= kOldestVersionWithTwoSets ? 2 : 1;
  const int64_t keysEnd = kHeaderBytes + sets * TDifficultKeys::kBlockSize;
  if (size < keysEnd) {
    Problem(TReportPart::Statistics, "The statistics file " + name + " is cut short inside its difficult keys (" +
                                         std::to_string(size) + " of at least " + std::to_string(keysEnd) +
                                         " bytes): the keys shown are incomplete.");
    return;
  }
  if (version != kStatisticsVersion && version >= 11) {
    Problem(TReportPart::Statistics, "The statistics file " + name + " is of an unknown version (" +
                                         std::to_string(version) + "): its words were not read.");
    return;
  }
  if (version != kStatisticsVersion || !data_.wordsCollected) return;
  unsigned char count[kWordCountBytes] = {};
  if (file->Seek(keysEnd, SeekOrigin::Begin) != keysEnd || file->Read(count, kWordCountBytes) != kWordCountBytes) {
    Problem(TReportPart::Statistics, "The statistics file " + name + " ends before its words.");
    return;
  }
  const int32_t words = le32(count);
  if (words < 0 || words > kWordTableSize) {
    Problem(TReportPart::Statistics, "The statistics file " + name + " claims " + std::to_string(words) +
                                         " words, which cannot be: the words shown are what could be read.");
    return;
  }
  const int64_t wordsEnd = keysEnd + kWordCountBytes + static_cast<int64_t>(words) * kWordEntrySize;
  if (size < wordsEnd)
    Problem(TReportPart::Statistics, "The statistics file " + name + " is cut short inside its words (" +
                                         std::to_string(size) + " of " + std::to_string(wordsEnd) +
                                         " bytes): the words shown are incomplete.");
}

void TUserReport::ReadLetterPairs() {
  TUserBigrams pairs;
  pairs.Folder = ProgramSettings->DatabasePath;
  pairs.UserName = data_.userName;
  pairs.FileBase = data_.fileBase;
  const std::string path = pairs.SourceFileName();
  const std::string name = file_name_of(path);
  if (!Files().FileExists(path)) {
    Problem(TReportPart::LetterPairs, "There is no letter-pair file " + name + " yet: no letter pairs.");
    return;
  }
  int64_t size = -1;
  if (auto file = Files().Open(path, {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting}))
    size = file->Size();
  if (size < 0) {
    Problem(TReportPart::LetterPairs, "The letter-pair file " + name + " could not be opened.");
    return;
  }
  if (size > kLargestPairFile) {
    Problem(TReportPart::LetterPairs, "The letter-pair file " + name + " is too large to be one (" +
                                          std::to_string(size) + " bytes): it was not read.");
    return;
  }
  pairs.Load();
  // Read only: nothing is ever saved back, whatever the analyzer thinks.
  pairs.Dirty = false;
  const TBigramDictionary& dictionary = pairs.Dictionary;
  if (dictionary.GetCount() == 0) {
    Problem(TReportPart::LetterPairs, size == 0 ? "The letter-pair file " + name + " is empty."
                                                : "The letter-pair file " + name + " holds no letter pairs that " +
                                                      "could be read (" + std::to_string(size) + " bytes).");
    return;
  }
  data_.pairsRead = true;
  for (int32_t slot = 0; slot < dictionary.GetCount(); ++slot) {
    const TBigramRecord& record = dictionary.RecordAt(slot);
    data_.pairs.push_back({dictionary.KeyAt(slot), record.Count, record.ErrorCount, record.TimeSum});
  }
  std::sort(data_.pairs.begin(), data_.pairs.end(),
            [](const TPairFigure& a, const TPairFigure& b) { return a.pair < b.pair; });
}

void TUserReport::ReadHistory() {
  TTypingHistory history;
  history.Load(UserFilePath(data_.userName, kHistoryExtension));
  if (!history.Unreadable().empty()) {
    Problem(TReportPart::History, "The typing history " + file_name_of(history.Path()) + " could not be read (" +
                                      history.Unreadable() + "): no trend is shown.");
    return;
  }
  data_.historyRead = Files().FileExists(history.Path());
  data_.history = history.Rows();
}

bool TUserReport::WriteFile(const std::string& path, const std::string& bytes) {
  return WriteWholeFile(path, bytes) == WholeFileResult::Written;
}

bool TUserReport::Write(const std::string& folder, std::string& htmlPath) {
  htmlPath.clear();
  if (data_.fileBase.empty() || !IsUsableFileBase(data_.fileBase)) {
    Problem(TReportPart::Output, "There is no user to write a report for.");
    return false;
  }
  if (TrimBlanks(folder).empty()) {
    Problem(TReportPart::Output, "No folder was given for the report.");
    return false;
  }
  std::string target = IncludeTrailingBackslash(folder);
  // Never beside the user files, where "<base>-report.json" would be the
  // letter-pair file of a user named "<base>-report".
  if (ProgramSettings && same_text(target, IncludeTrailingBackslash(ProgramSettings->DatabasePath)))
    target += kReportsFolder;
  if (!ForceDirectories(target)) {
    Problem(TReportPart::Output, "The report's folder " + quoted(folder) + " could not be created.");
    return false;
  }
  const std::string page = target + PageName(data_.fileBase);
  const std::string csv = target + CsvName(data_.fileBase);
  const std::string json = target + JsonName(data_.fileBase);
  // The page tells of every problem, so it is made after the others: a
  // failure to write them is on it too.
  if (!WriteFile(csv, TCsvReport::Text(data_)))
    Problem(TReportPart::Output, "The CSV file " + file_name_of(csv) + " could not be written.");
  if (!WriteFile(json, TJsonReport::Text(data_)))
    Problem(TReportPart::Output, "The JSON file " + file_name_of(json) + " could not be written.");
  if (!WriteFile(page, THtmlReport::Page(data_))) {
    Problem(TReportPart::Output, "The page " + file_name_of(page) + " could not be written.");
    return false;
  }
  htmlPath = page;
  return true;
}

bool WriteUserReport(const std::string& userName, const std::string& outputFolder, std::string& htmlPath,
                     std::string& error) {
  htmlPath.clear();
  error.clear();
  try {
    TUserReport report;
    bool written = false;
    if (report.Gather(userName)) written = report.Write(outputFolder, htmlPath);
    error = report.ProblemText();
    return written;
  } catch (const std::bad_alloc&) {
    error = "The report could not be made: out of memory.";
  } catch (const std::exception& e) {
    error = std::string("The report could not be made: ") + e.what();
  } catch (...) {
    error = "The report could not be made.";
  }
  htmlPath.clear();
  return false;
}

}  // namespace strevo
