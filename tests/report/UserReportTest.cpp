// The statistics report of one user: the figures it gathers from a prepared
// profile, statistics file and letter-pair file, the three files it writes,
// hostile text in every place a user's files can hold it, damaged and
// missing files, and the program's own analysis left as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "ReportFiles.h"
#include "analysis/Diffkeys.h"
#include "analysis/WordAnalyzer.h"
#include "report/ReportText.h"
#include "report/UserReport.h"
#include "storage/PrgSetup.h"
#include "storage/User.h"
#include "storage/UserBlocks.h"

namespace strevo::test {
namespace {

class UserReportTest : public ReportTest {
 protected:
  // Gathers and writes Ann's report; the error text.
  std::string Report(const std::string& name = "Ann", bool expectWritten = true) {
    std::string page, error;
    EXPECT_EQ(WriteUserReport(name, kOut, page, error), expectWritten) << error;
    if (expectWritten) {
      EXPECT_EQ(page, IncludeTrailingBackslash(kOut) + FileBaseName(name) + "-report.html");
    }
    return error;
  }
  // The JSON file, parsed strictly (its UTF-8 too): a file that is no JSON
  // throws, which fails the test.
  nlohmann::json Json(const std::string& path = kJson) { return nlohmann::json::parse(Read(path)); }
  // The problem of a part, or "" when it has none.
  static std::string ProblemOf(const TUserReport& report, TReportPart part) {
    for (const TReportProblem& p : report.Data().problems)
      if (p.part == part) return p.text;
    return "";
  }
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// ========================================================= worked figures ==

// The difficult keys and words of the prepared statistics file, gathered
// and in the three files, and the figures the program's own save would
// change. The profile's and letter pairs' figures in the files are in the
// scenario ReportTest/TheFilesShowTheProfilesAndTheLetterPairsFigures.
TEST_F(UserReportTest, TheFilesShowTheKeysAndWordsOfTheStatisticsFile) {
  WriteAnn();
  TUserReport report;
  ASSERT_TRUE(report.Gather("Ann"));
  const TReportData& d = report.Data();
  EXPECT_EQ(d.week[1].problemIndex, 10);
  EXPECT_EQ(d.weekSamples.size(), 1u);
  EXPECT_EQ(d.monthSamples.size(), 2u);
  ASSERT_EQ(d.keySets.size(), 2u);
  EXPECT_EQ(d.keySets[0].mostDifficult, "");
  const TKeySetFigures& set = d.keySets[1];
  EXPECT_EQ(ShownKeyIndex(set.index['b']), 20);
  EXPECT_EQ(ShownKeyIndex(set.index['c']), 48);
  EXPECT_STREQ(KeyBand(set, 20), "easy");
  EXPECT_STREQ(KeyBand(set, 33), "moderate");
  EXPECT_STREQ(KeyBand(set, 66), "difficult");
  ASSERT_EQ(d.words.size(), 3u);
  EXPECT_EQ(d.words[1].weight, 50);
  EXPECT_EQ(d.words[2].word, "bravo");
  EXPECT_EQ(d.words[2].weight, 25);

  EXPECT_EQ(Report(), "");
  const std::string page = Read(kPage);
  EXPECT_TRUE(IsUtf8(page));
  EXPECT_TRUE(Contains(page, "<td>charlie</td><td class=\"n\">93</td>"));
  const std::string csv = Read(kCsv);
  EXPECT_TRUE(Contains(csv, "\r\n\"keys window 20\",\"c\",\"band\",\"moderate\"\r\n"));
  EXPECT_TRUE(Contains(csv, "\r\n\"word\",\"charlie\",\"weight\",93\r\n"));
  const nlohmann::json json = Json();
  const nlohmann::json& keys = json.at("/keySets/1"_json_pointer);
  EXPECT_EQ(keys.at("mostDifficult"), nlohmann::json({"a", "c", "b"}));
  EXPECT_EQ(keys.at("keys").size(), 3u);  // a, b, c: ";" was pressed, but no figure is kept for it
  EXPECT_EQ(keys.at("/keys/0/index"_json_pointer), 100);
  EXPECT_EQ(keys.at("/keys/0/band"_json_pointer), "difficult");
  EXPECT_EQ(json.at("/words/0/word"_json_pointer), "charlie");
}

// ========================================================= hostile text ==

// Markup and control characters of a collected word, and a day's figure
// that is no number; those of the user name, the start date and a letter
// pair are the scenario
// ReportTest/MarkupAndControlCharactersOfTheProfileAndLetterPairsAreEscaped.
TEST_F(UserReportTest, HostileWordsAreEscapedInEveryFile) {
  const std::string word = "<b>&\"w\x01\x80\xFF";
  fake.WriteHostFile(kProfile, "UserName=Ann\r\nTotalHits.day1=<img src=x onerror=alert(1)>\r\n");
  fake.WriteHostFile(kStatistics, StatisticsHeader(110) + KeyBlock({}) + KeyBlock({{'<', {50, 50, 50}}}) +
                                      WordBlock({{word, 4, {{1, 6}}}}, "Data\\Ann.DTA"));
  EXPECT_TRUE(Contains(Report(), "TotalHits.day1"));  // not a number
  const std::string page = Read(kPage);
  EXPECT_TRUE(IsUtf8(page));
  EXPECT_FALSE(Contains(page, "<b>"));
  EXPECT_FALSE(Contains(page, "<img"));
  EXPECT_TRUE(Contains(page, "&lt;b&gt;&amp;&quot;w\xEF\xBF\xBD\xE2\x82\xAC\xC3\xBF"));
  const nlohmann::json json = Json();
  EXPECT_EQ(json.at("/words/0/word"_json_pointer), Utf8FromAnsi(word));
  EXPECT_TRUE(json.at("/week/0/characters"_json_pointer).is_null());
  EXPECT_EQ(json.at("/keySets/1/keys"_json_pointer).size(), 0u);  // "<" has no difficulty figure
  const std::string csv = Read(kCsv);
  EXPECT_TRUE(Contains(csv, "\r\n\"word\",\"<b>&\"\"w\xEF\xBF\xBD\xE2\x82\xAC\xC3\xBF\",\"weight\",50\r\n"));
  EXPECT_TRUE(Contains(csv, "\r\n\"week\",\"Sunday\",\"characters\",\r\n"));
}

// ====================================================== damaged profiles ==

// Another user's profile shows nothing of it, nor of the statistics file;
// a garbage profile gives a page that says so, with no start date invented.
// The letter pairs are shown in both cases.
TEST_F(UserReportTest, ProfileOfAnotherUserOrGarbageIsNotShownButTheLetterPairsAre) {
  WriteAnn();
  fake.WriteHostFile(kProfile, "UserName=Bob\r\nDateStarted=1/2/2020\r\nTotalHits.day2=549\r\n");
  EXPECT_EQ(Report(), "The profile Ann.usr belongs to another user (\"Bob\"): nothing of it is shown.");
  const nlohmann::json json = Json();
  EXPECT_EQ(json.at("/parts/profile"_json_pointer), false);
  EXPECT_TRUE(json.at("week").is_null());
  EXPECT_TRUE(json.at("keySets").is_null());
  EXPECT_EQ(json.at("letterPairs").size(), 4u);
  EXPECT_FALSE(Contains(Read(kPage), "549"));
  std::string garbage;
  for (int i = 0; i < 4000; ++i) garbage += static_cast<char>((i * 151 + 7) & 0xFF);
  fake.WriteHostFile(kProfile, garbage);
  const std::string error = Report();
  EXPECT_TRUE(Contains(error, "holds neither a user name nor a start date")) << error;
  const std::string page = Read(kPage);
  EXPECT_TRUE(IsUtf8(page));
  EXPECT_TRUE(Contains(page, "Not everything could be read"));
  EXPECT_FALSE(Contains(page, "Monitored since"));
  EXPECT_TRUE(Contains(page, "<code>he</code>"));
  EXPECT_TRUE(Json().at("dateStarted").is_null());
}

TEST_F(UserReportTest, EntriesThatAreNoNumbersAreNamedAndShownAsMissing) {
  WriteAnn();
  fake.WriteHostFile(kProfile, "TotalHits.day2=lots\r\nLastdate=yesterday\r\nSpeed.TopTen.Date=1e308\r\n"
                               "TypingSeconds.TopTen.Date=-5\r\n" +
                                   AnnProfile());
  TUserReport report;
  ASSERT_TRUE(report.Gather("Ann"));
  const TReportData& d = report.Data();
  EXPECT_FALSE(d.lastDate);
  EXPECT_FALSE(d.records[0].date);
  EXPECT_EQ(d.records[0].value, 309);
  EXPECT_EQ(ProblemOf(report, TReportPart::Profile),
            "The profile Ann.usr has 4 entries that are not numbers or dates (Lastdate, TotalHits.day2, "
            "Speed.TopTen.Date, TypingSeconds.TopTen.Date); they are shown as \"-\".");
  std::string written;
  ASSERT_TRUE(report.Write(kOut, written));
  EXPECT_TRUE(Contains(Read(kPage), "<td>Monday (current day)</td><td class=\"n\">-</td><td class=\"n\">84</td>"));
  EXPECT_TRUE(Contains(Read(kCsv), "\r\n\"week\",\"Monday\",\"characters\",\r\n"));
  EXPECT_TRUE(Json().at("/week/1/charactersPerMinute"_json_pointer).is_null());
}

// ================================================ damaged statistics file ==

TEST_F(UserReportTest, DamagedStatisticsFilesAreNamedForWhatIsWrong) {
  WriteAnn();
  const std::string whole = AnnStatistics();
  const std::string keysEnd = StatisticsHeader(110) + KeyBlock({}) + KeyBlock({{'a', {20, 20, 5}}});
  const std::pair<std::string, std::string> cases[] = {
      {whole.substr(0, 20), "is cut short inside its header (20 bytes)"},
      {whole.substr(0, 28 + 1338 + 100), "is cut short inside its difficult keys (1466 of at least 2704 bytes)"},
      {whole.substr(0, whole.size() - 300), "is cut short inside its words (3536 of 3836 bytes)"},
      {StatisticsHeader(111) + KeyBlock({}) + KeyBlock({}), "is of an unknown version (111): its words were not read"},
      {keysEnd + Le32(1000000000), "claims 1000000000 words, which cannot be"},
      {keysEnd, "ends before its words"},
  };
  for (const auto& [bytes, problem] : cases) {
    fake.WriteHostFile(kStatistics, bytes);
    TUserReport report;
    ASSERT_TRUE(report.Gather("Ann"));
    EXPECT_TRUE(report.Data().profileRead);
    EXPECT_TRUE(Contains(ProblemOf(report, TReportPart::Statistics), "The statistics file Ann.DTA " + problem))
        << ProblemOf(report, TReportPart::Statistics);
  }
}

TEST_F(UserReportTest, UnreadableStatisticsFileLeavesTheProfilesFigures) {
  WriteAnn();
  fake.files.Add({FileFault::FailRead, "Ann.DTA", 28});
  const std::string error = Report();
  EXPECT_TRUE(Contains(error, "The statistics file Ann.DTA could not be read (File error in LoadStatistics: -7): "
                              "no difficult keys or words."))
      << error;
  const nlohmann::json json = Json();
  EXPECT_EQ(json.at("/parts/profile"_json_pointer), true);
  EXPECT_EQ(json.at("/parts/statistics"_json_pointer), false);
  EXPECT_EQ(json.at("/week/1/characters"_json_pointer), 549);
  EXPECT_TRUE(json.at("words").is_null());
  EXPECT_TRUE(Contains(Read(kPage), "<p class=\"missing\">The statistics file Ann.DTA could not be read"));
}

// ============================================ letter-pair and other files ==

// Missing files are said to be missing and the page is written; an empty,
// unreadable or oversized letter-pair file is named for what is wrong.
TEST_F(UserReportTest, MissingAndUnreadableLetterPairFilesAreNamed) {
  fake.WriteHostFile(kProfile, AnnProfile());
  EXPECT_EQ(Report(),
            "There is no statistics file Ann.DTA yet: no difficult keys or words.\n"
            "There is no letter-pair file Ann.json yet: no letter pairs.");
  EXPECT_TRUE(Exists(kCsv));
  EXPECT_TRUE(Json().at("letterPairs").is_null());
  WriteAnn();
  const std::pair<std::string, std::string> cases[] = {
      {"", "The letter-pair file Ann.json is empty."},
      {"\x89PNG\r\n\x1A\n garbage {\"bigrams\": 7}",
       "The letter-pair file Ann.json holds no letter pairs that could be read (31 bytes)."},
      {"{\"bigrams\": [{\"bigram\": \"ab\", \"count\": 3", "The letter-pair file Ann.json holds no letter pairs"},
      {"sparse", "The letter-pair file Ann.json is too large to be one (68157440 bytes): it was not read."},
  };
  for (const auto& [bytes, problem] : cases) {
    fake.WriteHostFile(kPairs, bytes);
    if (bytes == "sparse") std::filesystem::resize_file(fake.HostPath(kPairs), 65LL * 1024 * 1024);
    TUserReport report;
    ASSERT_TRUE(report.Gather("Ann"));
    EXPECT_FALSE(report.Data().pairsRead);
    EXPECT_TRUE(report.Data().statisticsRead);
    EXPECT_TRUE(Contains(ProblemOf(report, TReportPart::LetterPairs), problem))
        << ProblemOf(report, TReportPart::LetterPairs);
  }
}

TEST_F(UserReportTest, NoReportWithoutAUserToReportOn) {
  fake.WriteHostFile("C:\\Data\\CON.usr", "UserName=CON\r\n");
  const std::pair<std::string, std::string> cases[] = {
      {"", "No user name was given."},
      {"   ", "No user name was given."},
      {"CON", "The name \"CON\" cannot name a user's files."},
      {"Nobody", "There is no user \"Nobody\" in the user database (no file Nobody.usr)."},
  };
  for (const auto& [name, error] : cases) {
    EXPECT_EQ(Report(name, false), error);
    EXPECT_FALSE(fake.files.DirectoryExists(kOut));
  }
  ProgramSettings->DatabasePath.clear();
  EXPECT_EQ(Report("Ann", false), "The user database folder is not known.");
  TUserReport nothingGathered;
  std::string page;
  EXPECT_FALSE(nothingGathered.Write(kOut, page));
  EXPECT_FALSE(fake.files.DirectoryExists(kOut));
}

// ======================================================= read only, kept ==

// A profile without a start date gets a new profile's keys when a user
// object opens it; read only, they never reach the file. "Ann-report.json"
// beside the user files is the letter-pair file of a user named
// "Ann-report": a report asked for there goes to a folder of its own. The
// user the program monitors keeps what it holds, unsaved.
TEST_F(UserReportTest, TheUsersFilesAndTheMonitoredUsersAnalysisAreLeftAsTheyWere) {
  WriteAnn();
  fake.WriteHostFile("C:\\Data\\Bob.usr", "UserName=Bob\r\n");
  CurrentUser = OpenUser("Bob", false, -1, lock_mode::ReadWrite, &analysis);
  ASSERT_NE(Applications(), nullptr);
  analysis.KeySets[1].TotalErrors['k'] = 7;
  analysis.Words.AddWord("monitor", 3, kWordSourceTyped);
  const std::string profile = "UserName=Ann\r\nTotalHits.day2=5\r\n";
  const std::string pairs = "{\"user\": \"Ann-report\", \"bigrams\": []}";
  fake.WriteHostFile(kProfile, profile);
  fake.WriteHostFile("C:\\Data\\Ann-report.json", pairs);
  std::string page, error;
  ASSERT_TRUE(WriteUserReport("Ann", "C:\\Data\\", page, error)) << error;
  EXPECT_EQ(page, "C:\\Data\\Reports\\Ann-report.html");
  EXPECT_EQ(Read(kProfile), profile);
  EXPECT_EQ(Read(kStatistics), AnnStatistics());
  EXPECT_EQ(Read(kPairs), AnnPairs());
  EXPECT_EQ(Read("C:\\Data\\Ann-report.json"), pairs);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(fake.HostPath("C:\\Data")))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Ann-report.json", "Ann.DTA", "Ann.json", "Ann.usr", "Bob.SET", "Bob.usr",
                                             "Reports"}));
  const nlohmann::json json = Json("C:\\Data\\Reports\\Ann-report.json");
  EXPECT_TRUE(json.at("dateStarted").is_null());
  EXPECT_EQ(json.at("/words/0/word"_json_pointer), "charlie");  // Ann's words were read

  EXPECT_NE(Applications(), nullptr) << "the monitored user's applications stay loaded";
  EXPECT_EQ(analysis.KeySets[1].TotalErrors['k'], 7);
  EXPECT_EQ(analysis.KeySets[1].Presses['a'], 0);  // none of Ann's figures reach it
  EXPECT_EQ(std::string(analysis.Words.Entry(1).Word()), "monitor");
  EXPECT_TRUE(analysis.Words.Entry(2).Empty());
}

}  // namespace
}  // namespace strevo::test
