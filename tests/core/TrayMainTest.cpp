// The running monitor end to end on the fake platform, where data cannot
// say it all: a machine prepared before the run, a run watched while it
// goes, generated typing. The scenarios that data says alone are in
// scenarios/ and run by ScenarioTest.
#include <gtest/gtest.h>
#include <sys/time.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <set>

#include "analysis/UserAnalysis.h"
#include "analysis/WordAnalyzer.h"
#include "core/Scenario.h"
#include "core/TrayMain.h"
#include "core/TutorLaunch.h"
#include "platform/Ansi.h"
#include "sim/Simulation.h"
#include "ui/ChooseAppsFrm.h"
#include "ui/InfoOnTopWindow.h"

namespace strevo {
namespace {

using test::ExpectOutcome;
using test::Lines;
using test::ReadScenario;
using test::Scenario;

const std::string kInstallation = test::Installation();

// This test's scenario in scenarios/<suite>/<test>: its script and
// expectations.
Scenario ThisScenario() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return ReadScenario(std::string(test->test_suite_name()) + "/" + test->name());
}

class TrayMainTest : public ::testing::Test {
 protected:
  // Runs a script; the machine is set up with the account "ann" unless the
  // script says otherwise.
  void Run(const std::string& script) {
    std::string error;
    ASSERT_TRUE(sim.Run(Lines("account ann\n" + script), error)) << error;
  }
  // Runs this test's scenario on the machine the test prepared and checks
  // its expectations.
  void RunScenario() {
    const Scenario scenario = ThisScenario();
    ASSERT_EQ(scenario.runs.size(), 1u) << scenario.name;
    std::string error;
    ASSERT_TRUE(sim.Run(scenario.runs[0], error)) << error;
    ExpectOutcome(scenario, sim);
  }
  std::map<std::string, std::string> Profile() {
    return test::Settings(sim.Platform(), "C:\\Strevo\\Database\\Ann.usr");
  }
  Simulation sim{kInstallation};
};

TEST_F(TrayMainTest, APasswordTypedBetweenTwoSentencesIsCountedButNeverKeptOrShown) {
  // Every status text the widget is given, looked at every 10 ms, and the
  // collected-words table as the program holds it.
  std::set<std::string> statuses, words;
  sim.Forms().threads.Start(10, [&] {
    if (!TrayMain) return;
    statuses.insert(TrayMain->Widget().StatusText);
    if (const UserAnalysis* analysis = TrayMain->Analysis()) {
      words.clear();
      for (int32_t slot = 1; slot <= kWordTableSize; ++slot) words.insert(ascii_lower(analysis->Words.Entry(slot).Word()));
    }
  }, false);
  RunScenario();
  const auto holdsPassword = [](const std::string& text) {
    const std::string lower = ascii_lower(text);
    for (const char* part : {"jq", "qx", "xv", "vk", "kz", "xq"})
      if (lower.find(part) != std::string::npos) return true;
    return false;
  };
  EXPECT_FALSE(holdsPassword(sim.Platform().ReadHostFile("C:\\Strevo\\Database\\ann.json")));
  EXPECT_TRUE(words.count("eats") && words.count("sleeps"));
  for (const std::string& word : words) EXPECT_FALSE(holdsPassword(word)) << word;
  EXPECT_TRUE(statuses.count("eats") && statuses.count("sleeps"));
  for (const std::string& status : statuses) EXPECT_FALSE(holdsPassword(status)) << status;
}

// ------------------------------------------ machines prepared before the run --

TEST_F(TrayMainTest, PolicyThatHidesTheProgramRemovesAutostartAndEnds) {
  sim.Platform().WriteHostFile("C:\\Strevo\\policy.dyn", "Corvane.Hide=1\r\n");
  sim.Platform().registry.WriteString(kRunKey, kRunValue, "\"x\"");
  RunScenario();
}

TEST_F(TrayMainTest, ProgramOnANetworkShareIsRefused) {
  sim.Platform().posix.SetUncPrefix('C', "\\\\server\\share");
  RunScenario();
}

TEST_F(TrayMainTest, AMissingLanguageFileEndsTheProgramAndRemovesNothing) {
  std::filesystem::remove(sim.Platform().HostPath("C:\\Strevo\\language.eng"));
  sim.Platform().registry.WriteString(kRunKey, kRunValue, "\"x\"");
  RunScenario();
}

TEST_F(TrayMainTest, DamagedLanguageFileIsReportedWithoutRemovingTheAutostartEntry) {
  sim.Platform().WriteHostFile("C:\\Strevo\\language.eng", "0=language.eng\r\n1=Quorvel\r\n1=again\r\n5=x\r\n");
  sim.Platform().registry.WriteString(kRunKey, kRunValue, "\"x\"");
  RunScenario();
}

TEST_F(TrayMainTest, RecordEqualToTheStoredOneKeepsItsDate) {
  sim.Platform().WriteHostFile("C:\\Strevo\\Database\\Ann.usr",
                               "UserName=ann\r\nDateStarted=1/1/2026\r\nTypedWords.TopTen=1\r\n"
                               "TypedWords.TopTen.Date=46000\r\n");
  RunScenario();
}

TEST_F(TrayMainTest, ReturnToScreenPutsTheWidgetBackInTheCorner) {
  sim.Platform().WriteHostFile("C:\\Strevo\\Database\\Ann.usr",
                               "UserName=ann\r\nDateStarted=1/1/2026\r\nInfoWinTop=100\r\nInfoWinLeft=120\r\n");
  RunScenario();
}

// "1 days since" and "1 pages" read as plurals: one takes the language
// file's singular texts.
TEST_F(TrayMainTest, OneDayAndOnePageAreSaidInTheSingular) {
  const struct {
    const char* count;
    const char* days;
    const char* pages;
  } cases[] = {{"1", "1 day since 1/1/2026", "Recommend after 1 page if &difficulties are detected"},
               {"2", "2 days since 1/1/2026", "Recommend after 2 pages if &difficulties are detected"}};
  for (const auto& c : cases) {
    Simulation run(kInstallation);
    run.Platform().WriteHostFile("C:\\Strevo\\Database\\Ann.usr",
                                 std::string("UserName=ann\r\nDateStarted=1/1/2026\r\nWayfenDays.counter=") + c.count +
                                     "\r\nPagesTrackBar.position=" + c.count + "\r\n");
    std::string days, pages;
    run.Forms().settings.edit = [&](TChooseApplications& dialog) {
      days = dialog.DateStarted;
      pages = dialog.NotifyCaption;
    };
    std::string error;
    ASSERT_TRUE(run.Run(Lines("account ann\nargs /INST\nrun\nsettings cancel\nmenu 1\n"), error)) << error;
    EXPECT_EQ(days, c.days);
    EXPECT_EQ(pages, c.pages);
  }
}

TEST_F(TrayMainTest, GarbageWorkstationAndPolicyFilesDoNotStopTheProgram) {
  sim.Platform().WriteHostFile("C:\\Strevo\\policy.dyn", std::string("\0\xff\x01garbage\r\n=\r\n", 16));
  sim.Platform().WriteHostFile("C:\\Strevo\\Database\\TESTPC.wk10", std::string(100000, '\xee'));
  RunScenario();
}

// When the page cannot be written the person is told, and monitoring goes on.
TEST_F(TrayMainTest, AReportThatCannotBeWrittenIsReported) {
  sim.Platform().WriteHostFile("C:\\Strevo\\Database\\Reports\\Ann-report.html\\x", "a folder in the page's place");
  RunScenario();
}

TEST_F(TrayMainTest, EnableUnderTheCloseDialogKeepsTheWorkstationSettingsOfTheSession) {
  sim.Forms().settings.edit = [](TChooseApplications& dialog) { dialog.LaunchAtStartup = false; };
  RunScenario();
}

// Telling the notification area is a send to another process, during
// which the system lets the information thread's waiting refresh in: the
// widget refreshed while the pause was saving, and then held the day's
// figures as the save had cleared them.
TEST_F(TrayMainTest, PausingKeepsTheFiguresOfTheMomentItWasPaused) {
  sim.Forms().trayIcon.whileTold = [] {
    if (TrayMain) TrayMain->InfoThreadStep();
  };
  RunScenario();
}

// ------------------------------------------------------------ the advice --

// n words of four letters from e..z (never a-d, never three alike), each
// followed by a blank: 5 n characters.
std::string Words(int n) {
  std::string text;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < 4; ++j) text += static_cast<char>('e' + (i * 7 + j * 5) % 22);
    text += ' ';
  }
  return text;
}

// A used profile whose active difficult keys a, b, c and d each have the
// given index (400 presses, 4 x index / 16 errors per 100): the problem
// index is then Round(0.7 x Round(0.675 x index)). Words are not
// collected.
void DifficultProfile(FakePlatform& platform, int index, const std::string& more = "PagesTrackBar.position=0\r\n") {
  platform.WriteHostFile("C:\\Strevo\\Database\\Ann.usr",
                         "UserName=ann\r\nDateStarted=1/1/2026\r\nTop1000loaded=1\r\nDoNotCollectWords=1\r\n"
                         "NotifyWhenDifficulties=1\r\nNotifyWhenBreak=0\r\n" +
                             more);
  std::string dta;
  const auto put32 = [&](int32_t v) { for (int i = 0; i < 4; ++i) dta += static_cast<char>((v >> (8 * i)) & 0xFF); };
  const auto put16 = [&](int v) { dta += static_cast<char>(v & 0xFF); dta += static_cast<char>((v >> 8) & 0xFF); };
  for (int i = 0; i < 6; ++i) put32(255);
  put32(110);
  for (int set = 0; set < 2; ++set)
    for (int array = 0; array < 3; ++array)  // presses, hits, errors
      for (int c = 33; c <= 255; ++c) {
        const bool difficult = set == 1 && c >= 'a' && c <= 'd';
        put16(!difficult ? 0 : array < 2 ? 400 : index);
      }
  platform.WriteHostFile("C:\\Strevo\\Database\\Ann.DTA", dta);
}

int Balloons(Simulation& sim, const std::string& title) {
  int n = 0;
  for (const auto& b : sim.Forms().trayIcon.balloons) n += b.title == title;
  return n;
}

TEST_F(TrayMainTest, AnHourOfTypingWithShortPausesBringsOneBreakReminder) {
  sim.Platform().WriteHostFile("C:\\Strevo\\Database\\Ann.usr",
                               "UserName=ann\r\nDateStarted=1/1/2026\r\nNotifyWhenBreak=1\r\n"
                               "BreakTrackBar.position=4\r\n");
  std::string script = "args /INST\nrun\n";
  for (int minute = 0; minute < 62; ++minute) script += "type " + Words(6) + "\nwait 55000\n";
  Run(script);
  EXPECT_EQ(Balloons(sim, "Time for a break"), 1) << "one hour (four quarter hours) of work";
}

TEST_F(TrayMainTest, APauseOfSevenMinutesTwelveStartsTheHourAgain) {
  sim.Platform().WriteHostFile("C:\\Strevo\\Database\\Ann.usr",
                               "UserName=ann\r\nDateStarted=1/1/2026\r\nNotifyWhenBreak=1\r\n"
                               "BreakTrackBar.position=4\r\n");
  std::string script = "args /INST\nrun\n";
  for (int minute = 0; minute < 40; ++minute) script += "type " + Words(6) + "\nwait 55000\n";
  script += "wait 433000\n";
  for (int minute = 0; minute < 40; ++minute) script += "type " + Words(6) + "\nwait 55000\n";
  Run(script);
  EXPECT_EQ(Balloons(sim, "Time for a break"), 0);
}

// Typing never pauses for six seconds, so the first check comes at the end:
// twenty minutes of work without a pause are more than a quarter hour.
TEST_F(TrayMainTest, TwentyMinutesOfTypingWithoutAPauseBringTheQuarterHourReminder) {
  sim.Platform().WriteHostFile("C:\\Strevo\\Database\\Ann.usr",
                               "UserName=ann\r\nDateStarted=1/1/2026\r\nNotifyWhenBreak=1\r\n"
                               "BreakTrackBar.position=1\r\n");
  std::string script = "args /INST\nrun\n";
  for (int line = 0; line < 220; ++line) script += "type " + Words(6) + "\nwait 1000\n";
  Run(script + "wait 7000\n");
  EXPECT_EQ(Balloons(sim, "Time for a break"), 1);
}

TEST_F(TrayMainTest, WithoutBreakRemindersNoBalloonComes) {
  sim.Platform().WriteHostFile("C:\\Strevo\\Database\\Ann.usr",
                               "UserName=ann\r\nDateStarted=1/1/2026\r\nNotifyWhenBreak=0\r\n"
                               "BreakTrackBar.position=1\r\n");
  std::string script = "args /INST\nrun\n";
  for (int minute = 0; minute < 40; ++minute) script += "type " + Words(6) + "\nwait 55000\n";
  Run(script);
  EXPECT_EQ(Balloons(sim, "Time for a break"), 0);
}

TEST_F(TrayMainTest, TrainingIsOfferedAfterTheSevenHundredFirstCharacter) {
  DifficultProfile(sim.Platform(), 44);
  Run("args /INST\nnotify skip\nrun\ntype " + Words(140) + "\nwait 7000\nsummary\ntype e\nwait 7000\nsummary\n");
  ASSERT_EQ(sim.Summaries.size(), 3u);
  EXPECT_EQ(sim.Summaries[0].monitoredHits, 700);
  ASSERT_EQ(sim.Forms().notify.shown.size(), 1u) << "700 characters are not enough, the 701st is";
  EXPECT_EQ(sim.Forms().notify.shown[0].label1, "Training needed for keys: abcd");
  EXPECT_EQ(sim.Forms().notify.shown[0].keyInfo, "4 keys need practice");
  EXPECT_EQ(sim.Forms().notify.shown[0].keyIndex, 30);
  EXPECT_EQ(Profile().at("LastMonitoredDif"), "701");
}

TEST_F(TrayMainTest, AProblemIndexOfExactlyTwentyShowsNothing) {
  DifficultProfile(sim.Platform(), 43);  // problem index Round(0.7 x 29) = 20
  Run("args /INST\nrun\ntype " + Words(150) + "\nwait 7000\n");
  EXPECT_TRUE(sim.Forms().notify.shown.empty());
  EXPECT_EQ(Profile().at("LastMonitoredDif"), "750") << "the check itself ran";
}

TEST_F(TrayMainTest, PagesSettingSpacesTheNotificationsByDays) {
  // Notified yesterday, three days between notifications: the check moves
  // on but shows nothing. Three days ago: it shows.
  DifficultProfile(sim.Platform(), 44, "PagesTrackBar.position=3\r\nLastNotifyDate=46362\r\n");
  Run("date 2026-12-07 09:00:00\nargs /INST\nnotify skip\nrun\ntype " + Words(150) + "\nwait 7000\n");
  EXPECT_TRUE(sim.Forms().notify.shown.empty());
  EXPECT_EQ(Profile().at("LastMonitoredDif"), "750");
}

TEST_F(TrayMainTest, ThreeDaysAfterTheLastNotificationTheNextComes) {
  DifficultProfile(sim.Platform(), 44, "PagesTrackBar.position=3\r\nLastNotifyDate=46360\r\n");
  Run("date 2026-12-07 09:00:00\nargs /INST\nnotify skip\nrun\ntype " + Words(150) + "\nwait 7000\n");
  EXPECT_EQ(sim.Forms().notify.shown.size(), 1u);
  EXPECT_EQ(Profile().at("LastNotifyDate"), "46363");
}

TEST_F(TrayMainTest, NotificationResultsBeginCustomiseAndDoNotShow) {
  DifficultProfile(sim.Platform(), 44);
  sim.Platform().WriteHostFile("C:\\Strevo\\Quorvel.exe", "MZ");
  // Customise: the settings dialog, then the window again; there the person
  // ticks "Do not show" and begins training.
  Run("args /INST\nnotify customise\nsettings ok\nnotify dontshow\nnotify begin\nrun\ntype " + Words(150) +
      "\nwait 7000\n");
  EXPECT_EQ(sim.Forms().settings.shows, 1);
  EXPECT_EQ(sim.Forms().notify.shown.size(), 2u);
  ASSERT_EQ(sim.Platform().processes.started.size(), 1u);
  EXPECT_EQ(sim.Platform().processes.started[0].first, "Quorvel.exe /WAYFEN");
  const auto profile = Profile();
  EXPECT_EQ(profile.at("NotifyWhenDifficulties"), "0");
  EXPECT_EQ(profile.at("NotifyAfterPages"), "0");
}

TEST_F(TrayMainTest, AnUnreadableLetterPairFileIsKeptAsideNotWrittenOver) {
  sim.Platform().WriteHostFile("C:\\Strevo\\Database\\Ann.json",
                               "{\"user\": \"ann\", \"bigrams\": [{\"bigram\": \"ab\", \"count\": 7}, "
                               "{\"bigram\": \"qu\", \"count\": 40");
  RunScenario();
}

TEST_F(TrayMainTest, ALetterPairFileThatCannotBeWrittenIsReported) {
  sim.Platform().files.Add({FileFault::FailOpen, "Ann.json.tmp", 0});
  RunScenario();
}

TEST_F(TrayMainTest, AMissingDatabaseFolderIsToldOnceAndTheUserClosed) {
  bool gone = false;
  sim.Forms().threads.Start(3000, [&] {
    if (!gone) std::filesystem::remove_all(sim.Platform().HostPath("C:\\Strevo\\Database"));
    gone = true;
  }, false);
  RunScenario();
}

// A list saved with a byte-order mark, naming no language it has a file for.
TEST_F(TrayMainTest, ALanguageListWithoutAUsableLanguageFallsBackToEnglish) {
  sim.Platform().WriteHostFile("C:\\Strevo\\QVLangs.ini",
                               "\xEF\xBB\xBFlanguage=\r\ndescription=Languages\r\nKlingon=TLH\r\n");
  RunScenario();
}

// ------------------------------------------- the simulator's own script --

// Numbers outside their range used to wrap: "typeslow -1" waited 49 days
// per key, "date 2026-02-31" set a day that does not exist.
TEST(SimulationScriptTest, NumbersOutOfRangeAndTooMuchVirtualTimeFailTheScript) {
  for (const char* script : {"date 2026-02-31\n", "date 2026-12-07 24:00:00\n", "interval 4294967296\n",
                             "run\ntypeslow -1 abc\n", "run\nkey 65 -1\n", "run\nwait -5\n",
                             "run\ndays 99999999999999\n"}) {
    Simulation sim(kInstallation);
    std::string error;
    EXPECT_FALSE(sim.Run(Lines(std::string("args /INST\n") + script), error)) << script;
    EXPECT_NE(error.find("bad"), std::string::npos) << script << error;
  }
  Simulation sim(kInstallation);
  sim.virtualTimeLimitMs = 60000;
  std::string error;
  EXPECT_FALSE(sim.Run(Lines("args /INST\nrun\ntype hello \nwait 59000\ntype more\n"), error));
  EXPECT_NE(error.find("virtual time"), std::string::npos) << error;
}

// A line of other blanks ("\v", a second "\r") was taken for a command, and
// an empty step of a modal window for an event: both read a missing word.
TEST(SimulationScriptTest, BlankLinesAndEmptyModalStepsAreNoCommands) {
  Simulation sim(kInstallation);
  std::string error;
  EXPECT_TRUE(sim.Run(Lines("\v\nargs /INST\n\r\r\nsettings do\nmsgbox\vdo x\nrun\n\f \ntype hi \nmenu 1\n"), error))
      << error;
}

// The installation was copied with a kernel copy that a timer's signal
// interrupts: under the fuzzer's timer the simulator failed to start at random.
TEST(SimulationScriptTest, TimerSignalsNeverStopTheCopyOfTheInstallation) {
  struct sigaction tick {}, before {};
  tick.sa_handler = [](int) {};  // no SA_RESTART, as the fuzzer's own timer
  ASSERT_EQ(sigaction(SIGALRM, &tick, &before), 0);
  const itimerval often{{0, 100}, {0, 100}}, off{};
  setitimer(ITIMER_REAL, &often, nullptr);
  int failed = 0;
  for (int i = 0; i < 50; ++i) {
    try {
      Simulation sim(kInstallation);
    } catch (const std::exception&) {
      ++failed;
    }
  }
  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &before, nullptr);
  EXPECT_EQ(failed, 0);
}

// Between two runs on the same drive, figures left in the slots of Tuesday
// to Thursday by an earlier week.
TEST(TrayMainRestartTest, StartingThreeDaysLaterClearsTheTwoSkippedWeekdays) {
  const Scenario scenario = ThisScenario();
  ASSERT_EQ(scenario.runs.size(), 2u);
  const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("strevo-restart-" + std::to_string(::getpid()));
  std::filesystem::remove_all(root);
  std::string error;
  {
    Simulation first(kInstallation, root.string());
    ASSERT_TRUE(first.Run(scenario.runs[0], error)) << error;
  }
  {
    Simulation edit(kInstallation, root.string());
    std::string text = edit.Platform().ReadHostFile("C:\\Strevo\\Database\\Ann.usr");
    for (const char* line : {"TotalHits.day3=", "TotalHits.day4=", "TotalHits.day5="}) {
      const size_t at = text.find(line);
      ASSERT_NE(at, std::string::npos);
      text.replace(at, std::string(line).size() + 1, std::string(line) + "7");
    }
    edit.Platform().WriteHostFile("C:\\Strevo\\Database\\Ann.usr", text);
  }
  {
    Simulation second(kInstallation, root.string());
    ASSERT_TRUE(second.Run(scenario.runs[1], error)) << error;
    ExpectOutcome(scenario, second);
  }
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace strevo
