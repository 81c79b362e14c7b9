// The running monitor end to end on the fake platform: start, the session,
// key decoding, the counters, the daily figures and the files they land in.
#include <gtest/gtest.h>
#include <sys/time.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "analysis/BigramAnalyzer.h"
#include "analysis/UserAnalysis.h"
#include "analysis/WordAnalyzer.h"
#include "core/TutorLaunch.h"
#include "core/TrayMain.h"
#include "platform/Ansi.h"
#include "sim/Simulation.h"
#include "ui/ChooseAppsFrm.h"
#include "ui/InfoOnTopWindow.h"
#include "storage/DateTime.h"

namespace strevo {
namespace {

const std::string kInstallation =
    (std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "data").lexically_normal().string();

std::vector<std::string> Lines(const std::string& script) {
  std::istringstream in(script);
  return Simulation::ReadScript(in);
}

// name=value lines of a settings file on the fake drive.
std::map<std::string, std::string> ReadSettings(FakePlatform& platform, const std::string& path) {
  std::map<std::string, std::string> values;
  std::istringstream in(platform.ReadHostFile(path));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

class TrayMainTest : public ::testing::Test {
 protected:
  // Runs a script; the machine is set up with the account "ann" unless the
  // script says otherwise.
  void Run(const std::string& script) {
    std::string error;
    ASSERT_TRUE(sim.Run(Lines("account ann\n" + script), error)) << error;
  }
  std::map<std::string, std::string> Profile(const std::string& base = "Ann") {
    return ReadSettings(sim.Platform(), "C:\\Strevo\\Database\\" + base + ".usr");
  }
  std::map<std::string, std::string> Workstation() {
    return ReadSettings(sim.Platform(), "C:\\Strevo\\Database\\TESTPC.wk10");
  }
  bool ShownContains(const std::string& text) {
    for (const std::string& s : sim.Shown())
      if (s.find(text) != std::string::npos) return true;
    return false;
  }
  Simulation sim{kInstallation};
};

TEST_F(TrayMainTest, FirstRunCreatesTheAccountsUserSelectsItAndWritesTheAutostartEntry) {
  Run("args /INST\nrun\ntype hello world \n");
  const auto profile = Profile();
  ASSERT_FALSE(profile.empty()) << "the profile of the account's user exists";
  EXPECT_EQ(profile.at("UserName"), "ann");
  const auto station = Workstation();
  EXPECT_EQ(station.at("WayfenInit.ann"), "1");
  EXPECT_EQ(station.at("SelectedUser.ann"), "ann");
  EXPECT_EQ(station.at("UseSelectedUser.ann"), "1");
  EXPECT_EQ(station.at("LaunchAtStartup.ann"), "1");
  EXPECT_EQ(station.at("LastUser.ann"), "ann");
  std::string value;
  ASSERT_TRUE(sim.Platform().registry.ReadString(kRunKey, kRunValue, value));
  EXPECT_EQ(value, "\"C:\\Strevo\\strevo.exe\"") << "the path in double quotes, even without blanks";
  EXPECT_EQ(sim.Forms().logon.shows, 0) << "the first run never asks for a user";
}

TEST_F(TrayMainTest, TypingIsCountedAndEverythingIsSavedWhenTheProgramEnds) {
  Run("args /INST\nrun\ntype the cat sat on the mat\\b\\bat \nclick left\nkey 37\nwait 7000\n");
  const SimulationSummary& s = sim.Summary();
  EXPECT_EQ(s.totalHits, 27 + 1);  // 25 characters and 2 backspaces, one arrow key
  EXPECT_EQ(s.monitoredHits, 27);
  EXPECT_EQ(s.BackSpaces, 2);
  EXPECT_EQ(s.ArrowHits, 1);
  EXPECT_EQ(s.MouseClicks, 1);
  const auto profile = Profile();
  EXPECT_EQ(profile.at("totalHits"), "28");
  EXPECT_EQ(profile.at("monitoredHits"), "27");
  EXPECT_EQ(profile.at("BackSpaces"), "2");
  EXPECT_EQ(profile.at("ArrowHits"), "1");
  EXPECT_EQ(profile.at("MouseClicks"), "1");
  EXPECT_EQ(profile.at("WayfenDays.counter"), "1");
  EXPECT_TRUE(std::filesystem::exists(sim.Platform().HostPath("C:\\Strevo\\Database\\Ann.DTA")));
  const std::string json = sim.Platform().ReadHostFile("C:\\Strevo\\Database\\ann.json");
  EXPECT_NE(json.find("\"bigram\": \"th\""), std::string::npos);
  EXPECT_NE(json.find("\"bigram\": \"ma\""), std::string::npos);
}

TEST_F(TrayMainTest, FourthRepeatedCharacterAbandonsTheRunBeforeItIsAnalysed) {
  Run("args /INST\nrun\ntype aaaa\nsummary\nwait 7000\n");
  EXPECT_EQ(sim.Summaries.front().monitoredHits, 4) << "the fourth a is still analysed";
  // The abandonment cancelled the letter pairs: a-a twice, not three times.
  const std::string json = sim.Platform().ReadHostFile("C:\\Strevo\\Database\\ann.json");
  EXPECT_NE(json.find("\"bigram\": \"aa\", \"count\": 2,"), std::string::npos) << json;
}

TEST_F(TrayMainTest, TenCharactersWithoutWordEndAbandonWithoutTouchingTheLetterPairs) {
  Run("args /INST\nrun\ntype abcdefghijk\nwait 7000\n");
  const std::string json = sim.Platform().ReadHostFile("C:\\Strevo\\Database\\ann.json");
  // Reason 3 leaves the bigram analyzer's word alone: j-k is still counted.
  EXPECT_NE(json.find("\"bigram\": \"ij\""), std::string::npos);
  EXPECT_NE(json.find("\"bigram\": \"jk\""), std::string::npos);
}

TEST_F(TrayMainTest, DigitsTabEscapeAndPlusAreNeverAnalysedAndAbandonTheRun) {
  Run("args /INST\nrun\ntype ab1cd\nkey 9\nkey 27\ntype e+f\nwait 7000\n");
  const SimulationSummary& s = sim.Summary();
  EXPECT_EQ(s.totalHits, 10);
  EXPECT_EQ(s.monitoredHits, 6);
  const std::string json = sim.Platform().ReadHostFile("C:\\Strevo\\Database\\ann.json");
  EXPECT_EQ(json.find("\"bigram\": \"bc\""), std::string::npos) << "the digit abandoned the run";
  EXPECT_NE(json.find("\"bigram\": \"cd\""), std::string::npos);
}

TEST_F(TrayMainTest, NumbersOnTheKeypadAreCountedButOnlyItsSignsAnalysed) {
  // With NumLock on the digits are keys without an analysable character and
  // "." is one; with NumLock off the same keys are the arrows.
  Run("args /INST\nrun\ntype ab \nkeypad 12.5\nnumlock off\nkeypad 2468\nsummary\n");
  const SimulationSummary& s = sim.Summaries.front();
  EXPECT_EQ(s.totalHits, 3 + 4 + 4);
  EXPECT_EQ(s.monitoredHits, 3 + 1);
  EXPECT_EQ(s.ArrowHits, 4);
}

TEST_F(TrayMainTest, CtrlOrAltWithALetterIsCountedButNeverAnalysed) {
  // Alt alone makes a system key down, which the hook never posts.
  Run("args /INST\nrun\nkey 65+ctrl\nkey 66+alt\nsummary\n");
  EXPECT_EQ(sim.Summaries.front().totalHits, 1);
  EXPECT_EQ(sim.Summaries.front().monitoredHits, 0);
}

TEST_F(TrayMainTest, AltGrCharacterIsTranslatedWithBothModifiers) {
  Run("layout DE\nargs /INST\nrun\ntype x@y\nsummary\n");
  EXPECT_EQ(sim.Summaries.front().monitoredHits, 3) << "@ comes from AltGr+Q on the German layout";
  EXPECT_EQ(sim.Summaries.front().totalHits, 3);
}

TEST_F(TrayMainTest, DeadKeyAndTheFollowingLetterAreNeitherAnalysed) {
  // ^ (dead) then a: the dead key is counted nowhere but the key messages,
  // the letter after it becomes a non-character key.
  Run("layout DE\nargs /INST\nrun\nkey 220\nkey 65\ntype b\nsummary\n");
  EXPECT_EQ(sim.Summaries.front().monitoredHits, 1);
  EXPECT_EQ(sim.Summaries.front().totalHits, 2);
}

TEST_F(TrayMainTest, SpaceRepeatingTheLastCharacterAtTheStartOfARunOnlyAbandons) {
  Run("args /INST\nrun\ntype ab \nwait 7000\ntype \\s\nsummary\n");
  EXPECT_EQ(sim.Summaries.front().monitoredHits, 3);
  EXPECT_EQ(sim.Summaries.front().totalHits, 4);
}

TEST_F(TrayMainTest, SixIdleSecondsRevertTheTrayIconAndPauseTheTypingTime) {
  Run("args /INST\nrun\ntype abc\nwait 3000\nsummary\nwait 3200\nsummary\nwait 10000\nsummary\n");
  EXPECT_EQ(sim.Summaries[0].TypingSeconds, 3);
  EXPECT_EQ(sim.Summaries[1].TypingSeconds, 6) << "the six idle seconds count as typing time";
  EXPECT_EQ(sim.Summaries[2].TypingSeconds, 6) << "after the abandonment the timer is paused";
  EXPECT_EQ(sim.Summaries[0].trayIcon, 2) << "typing";
  EXPECT_EQ(sim.Summaries[1].trayIcon, 1) << "back to idle after 6 001 ms without a key";
}

TEST_F(TrayMainTest, ForegroundCaptionChangeAbandonsTheRunWithinOneRefresh) {
  Run("args /INST\nrun\ntype abc\ncaption Editor - notes.txt\nwait 200\ntype d\nsummary\n");
  // After the abandonment "c" and "d" form no pair.
  const std::string json = sim.Platform().ReadHostFile("C:\\Strevo\\Database\\ann.json");
  EXPECT_EQ(json.find("\"bigram\": \"cd\""), std::string::npos) << json;
}

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
  // "fox" is cut short by the field and "quietly" follows it: no pair or
  // word may span the field.
  Run("args /INST\nrun\ntype the quokka eats fox\npassword on\ntype Jqxvkz\\b\\bkz\\n\npassword off\n"
      "type quietly then sleeps \nwait 7000\n");
  const SimulationSummary& s = sim.Summary();
  EXPECT_EQ(s.totalHits, 19 + 11 + 20);
  EXPECT_EQ(s.monitoredHits, 19 + 11 + 20);
  EXPECT_EQ(s.BackSpaces, 2);
  EXPECT_EQ(s.Characters, 19 + 20);
  const auto holdsPassword = [](const std::string& text) {
    const std::string lower = ascii_lower(text);
    for (const char* part : {"jq", "qx", "xv", "vk", "kz", "xq"})
      if (lower.find(part) != std::string::npos) return true;
    return false;
  };
  const std::string json = sim.Platform().ReadHostFile("C:\\Strevo\\Database\\ann.json");
  EXPECT_NE(json.find("\"bigram\": \"qu\""), std::string::npos);
  EXPECT_NE(json.find("\"bigram\": \"sl\""), std::string::npos);
  EXPECT_FALSE(holdsPassword(json)) << json;
  EXPECT_TRUE(words.count("eats") && words.count("sleeps"));
  for (const std::string& word : words) EXPECT_FALSE(holdsPassword(word)) << word;
  EXPECT_TRUE(statuses.count("eats") && statuses.count("sleeps"));
  for (const std::string& status : statuses) EXPECT_FALSE(holdsPassword(status)) << status;
}

TEST_F(TrayMainTest, DisableFromTheTutorSavesAndEnableRestoresThePreviousUser) {
  Run("args /INST\nrun\ntype hello world \ndisable\nwait 100\nsummary\nenable\nwait 100\nsummary\n");
  EXPECT_FALSE(sim.Summaries[0].enabled);
  EXPECT_EQ(Profile().at("totalHits"), "12") << "DISABLE wrote the counters";
  EXPECT_TRUE(sim.Summaries[1].enabled);
  EXPECT_EQ(sim.Summaries[1].user, "ann");
  EXPECT_EQ(sim.Summaries[1].totalHits, 12) << "the counters come back with the user";
}

TEST_F(TrayMainTest, SecondCopyHandsOverToTheRunningOneWhichEnablesItself) {
  Run("args /INST\nrun\ndisable\nwait 100\nsummary\nsecond\nwait 100\nsummary\n");
  EXPECT_FALSE(sim.Summaries[0].enabled);
  EXPECT_TRUE(sim.Summaries[1].enabled) << "ENABLE with wParam 2 from the second copy";
}

TEST_F(TrayMainTest, UnexpectedMessagesAreIgnored) {
  Run("args /INST\nrun\npost QVWayfen1999.WM_MOUSECLICKED 519 0\npost QVWayfen1999.WM_SENDWORDHDR 1 2\n"
      "post QVWayfen1999.WM_SENDKEYINFO 0 0\nwait 100\nsummary\n");
  EXPECT_EQ(sim.Summaries.front().MouseClicks, 0);
  EXPECT_TRUE(sim.Summaries.front().enabled);
}

TEST_F(TrayMainTest, LogonWindowCreatesANewUserAfterConfirmation) {
  Run("logon type bob\nlogon go\nmsgbox 6\nrun\ntype hi there \n");
  EXPECT_EQ(sim.Forms().logon.shows, 1);
  EXPECT_EQ(sim.Summary().user, "Bob") << "the typed name is normalised";
  EXPECT_EQ(Profile("Bob").at("UserName"), "Bob");
  EXPECT_EQ(Workstation().at("LastUser.ann"), "Bob");
}

TEST_F(TrayMainTest, CancellingTheLogonAtStartEndsTheProgram) {
  Run("logon cancel\nrun\ntype never seen\n");
  EXPECT_FALSE(sim.Summary().enabled);
  EXPECT_EQ(sim.Summary().totalHits, 0);
}

TEST_F(TrayMainTest, PausingAndResumingWithTheOnOffButtonRedrawTheWidget) {
  Run("args /INST\nrun\nwait 300\nonoff\nwait 300\nsummary\nonoff\nwait 300\nsummary\n");
  // The figures did not change, so only a forced redraw can show the pause
  // overlay and take it away again.
  EXPECT_FALSE(sim.Summaries[0].enabled);
  EXPECT_TRUE(sim.Summaries[0].widgetPaused);
  EXPECT_TRUE(sim.Summaries[1].enabled);
  EXPECT_FALSE(sim.Summaries[1].widgetPaused);
}

TEST_F(TrayMainTest, TutorRunningAtStartKeepsMonitoringOff) {
  Run("tutor running\nrun\ntype abc\nonoff\nsummary\n");
  EXPECT_FALSE(sim.Summary().enabled);
  EXPECT_EQ(sim.Summary().totalHits, 0);
  EXPECT_EQ(sim.Forms().trayIcon.icon, 3);
  EXPECT_TRUE(ShownContains("Strevo was launched but is not active yet.")) << "the on/off button only explains";
}

TEST_F(TrayMainTest, CloseDialogNoKeepsMonitoringAndYesEndsIt) {
  Run("args /INST\nclose no\nclose yes\nrun\ntype ab \nexit\nwait 100\nsummary\ntype cd \nexit\ntype ef\n");
  ASSERT_GE(sim.Summaries.size(), 3u);
  EXPECT_TRUE(sim.Summaries[1].enabled) << "No keeps the program running with the same user";
  EXPECT_EQ(sim.Summaries[1].user, "ann");
  EXPECT_EQ(sim.Forms().closeDialog.shown.size(), 2u);
  EXPECT_TRUE(sim.Forms().closeDialog.shown[0].permanentEnabled);
  EXPECT_EQ(Profile().at("totalHits"), "6") << "only what was typed before the second exit";
}

TEST_F(TrayMainTest, PolicyThatHidesTheProgramRemovesAutostartAndEnds) {
  sim.Platform().WriteHostFile("C:\\Strevo\\policy.dyn", "Corvane.Hide=1\r\n");
  sim.Platform().registry.WriteString(kRunKey, kRunValue, "\"x\"");
  Run("args /INST\nrun\ntype abc\n");
  EXPECT_TRUE(ShownContains("Wayfen: Wayfen has been removed."));
  std::string value;
  EXPECT_FALSE(sim.Platform().registry.ReadString(kRunKey, kRunValue, value));
  EXPECT_EQ(sim.Summary().totalHits, 0);
}

TEST_F(TrayMainTest, ProgramOnANetworkShareIsRefused) {
  sim.Platform().posix.SetUncPrefix('C', "\\\\server\\share");
  Run("args /INST\nrun\ntype abc\n");
  EXPECT_EQ(sim.Summary().totalHits, 0);
  EXPECT_EQ(sim.Platform().dialogs.shown.size(), 1u);
}

TEST_F(TrayMainTest, MissingLanguageFileMeansUninstalled) {
  std::filesystem::remove(sim.Platform().HostPath("C:\\Strevo\\language.eng"));
  sim.Platform().registry.WriteString(kRunKey, kRunValue, "\"x\"");
  Run("args /INST\nrun\ntype abc\n");
  EXPECT_TRUE(ShownContains("Strevo uninstallation done."));
  std::string value;
  EXPECT_FALSE(sim.Platform().registry.ReadString(kRunKey, kRunValue, value));
}

TEST_F(TrayMainTest, DamagedLanguageFileIsReportedWithoutRemovingTheAutostartEntry) {
  sim.Platform().WriteHostFile("C:\\Strevo\\language.eng", "0=language.eng\r\n1=Quorvel\r\n1=again\r\n5=x\r\n");
  sim.Platform().registry.WriteString(kRunKey, kRunValue, "\"x\"");
  Run("args /INST\nrun\ntype abc\n");
  EXPECT_TRUE(ShownContains("Duplicate string resource with id #1"));
  std::string value;
  EXPECT_TRUE(sim.Platform().registry.ReadString(kRunKey, kRunValue, value));
}

// The taskbar thumbnail buttons by id: 5 disables, 6 enables, 1 shows and
// hides the window (and the menu's check follows), 3 opens the settings
// dialog, 0 the notification window; 4 and unknown ids do nothing.
TEST_F(TrayMainTest, ThumbnailButtonsDispatchByTheirIds) {
  Run("args /INST\nsettings ok\nnotify skip\nrun\ntype ab cd \nwait 500\nthumb 5\nsummary\nthumb 6\nsummary\nthumb 1\nsummary\n"
      "thumb 4\nthumb 9\nsummary\nthumb 1\nthumb 3\nthumb 0\n");
  ASSERT_EQ(sim.Summaries.size(), 5u);
  EXPECT_FALSE(sim.Summaries[0].enabled);
  EXPECT_TRUE(sim.Summaries[1].enabled);
  EXPECT_EQ(sim.Summaries[1].user, "ann");
  EXPECT_FALSE(sim.Forms().taskbar.visible);
  EXPECT_FALSE(sim.Forms().trayIcon.ItemChecked(static_cast<int>(MenuEntry::Taskbar)));
  EXPECT_EQ(sim.Forms().settings.shows, 1);
  EXPECT_EQ(sim.Forms().notify.shown.size(), 1u);
  EXPECT_GT(sim.Forms().taskbar.canvas.calls, 0) << "the graph draws on the taskbar window";
  EXPECT_EQ(sim.Forms().taskbar.graph, nullptr) << "let go at the end";
}

TEST_F(TrayMainTest, SettingsDialogCancelEndsMonitoringAndOkResumesIt) {
  Run("args /INST\nsettings ok\nsettings cancel\nrun\ntype ab \nmenu 1\nsummary\nmenu 1\nsummary\n");
  EXPECT_EQ(sim.Forms().settings.shows, 2);
  EXPECT_TRUE(sim.Summaries[0].enabled);
  EXPECT_FALSE(sim.Summaries[1].enabled);
}

TEST_F(TrayMainTest, ChangeOfUserAlwaysShowsTheLogonWindow) {
  Run("args /INST\nsettings logoff\nlogon type carl\nlogon go\nmsgbox 6\nrun\ntype ab \nmenu 1\nsummary\n");
  EXPECT_EQ(sim.Forms().logon.shows, 1) << "even with a user selected for the account";
  EXPECT_EQ(sim.Summaries.back().user, "Carl");
}

TEST_F(TrayMainTest, DayChangeWhileRunningFilesThePreviousDayUnderItsWeekday) {
  // 2026-12-07 is a Monday (weekday 2). The day is closed at the first
  // abandonment after midnight: here the tenth character without a counted
  // word end, so the seven characters typed after midnight before it still
  // belong to Monday; the four after it start Tuesday.
  Run("date 2026-12-07 23:59:00\nargs /INST\nrun\ntype hello world \nmidnight\ntype again here \nwait 7000\n");
  const auto profile = Profile();
  EXPECT_EQ(profile.at("TotalHits.day2"), "19");
  EXPECT_EQ(profile.at("TotalHits.day3"), "4");
  EXPECT_EQ(profile.at("CurrentDay"), "3");
  EXPECT_EQ(profile.at("Lastdate"), std::to_string(static_cast<int>(encode_date(2026, 12, 8))));
  // The first save of this new user happened on Tuesday: one day with a save.
  EXPECT_EQ(profile.at("WayfenDays.counter"), "1");
}

TEST_F(TrayMainTest, ADayClosedAfterMidnightIsSampledUnderItsOwnDate) {
  // Monday 7 December is in week 50, Tuesday 8 December too; each day's
  // sample goes under its own day of the month.
  Run("date 2026-12-07 23:58:00\nargs /INST\nrun\ntype one two three \nwait 7000\nmidnight\nclick left\ntype four \n"
      "wait 7000\n");
  const auto profile = Profile();
  EXPECT_EQ(profile.at("TotalHits.day2"), "14");
  EXPECT_EQ(profile.at("TotalHits.day3"), "5");
  EXPECT_EQ(profile.at("SaWSp7"), "14") << "Monday's sample under the 7th";
  EXPECT_EQ(profile.at("SaWSp8"), "5") << "Tuesday's sample under the 8th";
  EXPECT_EQ(profile.at("SaSp50"), "5") << "the week's sample holds the last day closed in it";
}

TEST_F(TrayMainTest, RecordEqualToTheStoredOneKeepsItsDate) {
  sim.Platform().WriteHostFile("C:\\Strevo\\Database\\Ann.usr",
                               "UserName=ann\r\nDateStarted=1/1/2026\r\nTypedWords.TopTen=1\r\n"
                               "TypedWords.TopTen.Date=46000\r\n");
  Run("args /INST\nrun\ntype one two \n");
  const auto profile = Profile();
  EXPECT_EQ(profile.at("TypedWords.TopTen"), "1");
  EXPECT_EQ(profile.at("TypedWords.TopTen.Date"), "46000");
}

TEST_F(TrayMainTest, ReturnToScreenPutsTheWidgetBackInTheCorner) {
  sim.Platform().WriteHostFile("C:\\Strevo\\Database\\Ann.usr",
                               "UserName=ann\r\nDateStarted=1/1/2026\r\nInfoWinTop=100\r\nInfoWinLeft=120\r\n");
  Run("args /INST\nsettings center\nsettings ok\nrun\nsummary\nmenu 1\nsummary\n");
  EXPECT_EQ(sim.Forms().widget.left, 1280 - 259) << "the work area's right edge";
  EXPECT_EQ(sim.Forms().widget.top, 800 - 104) << "the work area's bottom";
}

TEST_F(TrayMainTest, GarbageWorkstationAndPolicyFilesDoNotStopTheProgram) {
  sim.Platform().WriteHostFile("C:\\Strevo\\policy.dyn", std::string("\0\xff\x01garbage\r\n=\r\n", 16));
  sim.Platform().WriteHostFile("C:\\Strevo\\Database\\TESTPC.wk10", std::string(100000, '\xee'));
  Run("args /INST\nrun\ntype abc \n");
  EXPECT_TRUE(sim.Summary().enabled);
  EXPECT_EQ(sim.Summary().monitoredHits, 4);
}

TEST_F(TrayMainTest, WorkstationWithoutANameUsesTheNonameFile) {
  Run("computer\nargs /INST\nrun\ntype abc \n");
  EXPECT_TRUE(ShownContains("This workstation does not have a name!"));
  EXPECT_TRUE(std::filesystem::exists(sim.Platform().HostPath("C:\\Strevo\\noname.wk10")));
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

// Without the tutor in the program folder the practice button writes the
// user's report from the saved figures, opens it, and monitoring goes on.
TEST_F(TrayMainTest, WithoutTheTutorPracticeWritesAndOpensTheReport) {
  Run("args /INST\nrun\ntype ab cd \nmenu 0\nsummary\ntype ef \n");
  EXPECT_TRUE(sim.Platform().processes.started.empty());
  EXPECT_TRUE(sim.Platform().dialogs.shown.empty());
  ASSERT_EQ(sim.Platform().system.shellOpened.size(), 1u);
  const std::string page = sim.Platform().system.shellOpened[0].first;
  EXPECT_EQ(page, "C:\\Strevo\\Database\\Ann-report.html");
  EXPECT_NE(sim.Platform().ReadHostFile(page).find("<html"), std::string::npos);
  EXPECT_TRUE(sim.Summaries[0].enabled);
  EXPECT_EQ(sim.Summaries[0].user, "ann");
  EXPECT_EQ(Profile().at("totalHits"), "9") << "the figures before and after the report";
}

// When the page cannot be written the person is told, and monitoring goes on.
TEST_F(TrayMainTest, AReportThatCannotBeWrittenIsReported) {
  sim.Platform().WriteHostFile("C:\\Strevo\\Database\\Ann-report.html\\x", "a folder in the page's place");
  Run("args /INST\nrun\ntype ab \nmenu 0\nsummary\n");
  ASSERT_EQ(sim.Platform().dialogs.shown.size(), 1u);
  EXPECT_NE(sim.Platform().dialogs.shown[0].text.find("could not be written"), std::string::npos);
  EXPECT_TRUE(sim.Platform().system.shellOpened.empty());
  EXPECT_TRUE(sim.Summaries[0].enabled);
}

// ----------------------------------------- messages under modal windows --
// A modal window runs its own message loop: the tutor's and a second copy's
// messages, the tray menu and the end of the Windows session keep arriving.

TEST_F(TrayMainTest, EnableUnderTheSettingsDialogWaitsForItAndNeverReopensTheUser) {
  Run("args /INST\nsettings do enable\nsettings do second\nsettings ok\nrun\ntype ab \nmenu 1\nsummary\n"
      "type cd \n");
  EXPECT_TRUE(sim.Platform().dialogs.shown.empty()) << "no failed open of the user that is open";
  EXPECT_TRUE(sim.Summaries[0].enabled);
  EXPECT_EQ(sim.Summaries[0].user, "ann");
  EXPECT_EQ(sim.Summaries[0].applications, 1) << "the monitored-applications list stays loaded";
  EXPECT_EQ(Profile().at("totalHits"), "6");
}

TEST_F(TrayMainTest, EnableUnderTheSettingsDialogNeverAsksForAnotherUser) {
  Run("logon type bob\nlogon go\nmsgbox 6\nsettings do enable\nsettings ok\nrun\ntype ab \nmenu 1\nsummary\n");
  EXPECT_EQ(sim.Forms().logon.shows, 1);
  EXPECT_TRUE(sim.Summaries[0].enabled);
  EXPECT_EQ(sim.Summaries[0].user, "Bob");
}

TEST_F(TrayMainTest, EnableThenDisableUnderTheSettingsDialogLeavesMonitoringOff) {
  Run("args /INST\nsettings do enable\nsettings do disable\nrun\nmenu 1\nsummary\n");
  EXPECT_FALSE(sim.Summaries[0].enabled);
}

TEST_F(TrayMainTest, DisableUnderTheSettingsDialogKeepsTheUserForTheNextEnable) {
  Run("logon type bob\nlogon go\nmsgbox 6\nsettings do disable\nrun\ntype ab \nmenu 1\nsummary\nenable\n"
      "wait 100\nsummary\n");
  ASSERT_GE(sim.Summaries.size(), 2u) << "the program is still running";
  EXPECT_FALSE(sim.Summaries[0].enabled);
  EXPECT_TRUE(sim.Summaries[1].enabled);
  EXPECT_EQ(sim.Summaries[1].user, "Bob");
  EXPECT_EQ(sim.Forms().logon.shows, 1) << "the user comes back without the logon window";
}

TEST_F(TrayMainTest, EnableUnderAMessageBoxAtStartWaitsForTheStartToEnd) {
  Run("computer\nmsgbox do enable\nargs /INST\nrun\ntype ab \nsummary\n");
  int boxes = 0;
  for (const ShownMessage& m : sim.Platform().dialogs.shown) boxes += m.text == "This workstation does not have a name!";
  EXPECT_EQ(boxes, 1) << "the start is not entered a second time";
  EXPECT_TRUE(sim.Summaries[0].enabled);
}

TEST_F(TrayMainTest, EnableUnderTheCloseDialogKeepsTheWorkstationSettingsOfTheSession) {
  sim.Forms().settings.edit = [](TChooseApplications& dialog) { dialog.LaunchAtStartup = false; };
  Run("args /INST\nclose do enable\nclose no\nsettings ok\nrun\ntype ab \nexit\nmenu 1\nsummary\n");
  EXPECT_TRUE(sim.Summaries.back().enabled);
  EXPECT_EQ(Workstation().at("LaunchAtStartup.ann"), "0") << "the settings dialog's change reached the file";
  std::string value;
  EXPECT_FALSE(sim.Platform().registry.ReadString(kRunKey, kRunValue, value));
}

TEST_F(TrayMainTest, DisableUnderTheCloseDialogThenNoLeavesMonitoringOff) {
  Run("args /INST\nclose do disable\nclose no\nrun\ntype ab \nexit\nwait 100\nsummary\nenable\nwait 100\n"
      "summary\n");
  ASSERT_GE(sim.Summaries.size(), 3u);
  EXPECT_FALSE(sim.Summaries[1].enabled) << "the tutor asked for monitoring off";
  EXPECT_TRUE(sim.Summaries[2].enabled);
  EXPECT_EQ(sim.Summaries[2].user, "ann");
}

TEST_F(TrayMainTest, CloseWhileTheSettingsDialogIsOpenSavesAndEndsTheProgram) {
  Run("args /INST\nsettings do exit\nrun\ntype hello world \nmenu 1\n");
  EXPECT_EQ(Profile().at("totalHits"), "12");
  EXPECT_EQ(Profile().at("TotalHits.day2"), "12");
  EXPECT_EQ(sim.Forms().trayIcon.icon, 3) << "nothing turns monitoring on in the ending program";
  EXPECT_FALSE(sim.Forms().trayIcon.active);
}

TEST_F(TrayMainTest, SessionEndWhileTheSettingsDialogIsOpenSavesTheDaysFigures) {
  Run("args /INST\nsettings do endsession\nrun\ntype hello world \nmenu 1\n");
  const auto profile = Profile();
  ASSERT_TRUE(profile.count("totalHits")) << "saved before the process ended";
  EXPECT_EQ(profile.at("totalHits"), "12");
  EXPECT_EQ(profile.at("TotalHits.day2"), "12");
}

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

}  // namespace

// Two runs on the same installation: the day's figures come back on the
// same day, and skipped days are cleared.
class TrayMainRestartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() / ("strevo-restart-" + std::to_string(::getpid()));
    std::filesystem::remove_all(root_);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  SimulationSummary RunOnce(const std::string& script) {
    Simulation sim(kInstallation, root_.string());
    std::string error;
    EXPECT_TRUE(sim.Run(Lines("account ann\n" + script), error)) << error;
    profile_ = ReadSettings(sim.Platform(), "C:\\Strevo\\Database\\Ann.usr");
    return sim.Summaries.front();
  }
  std::filesystem::path root_;
  std::map<std::string, std::string> profile_;
};

TEST_F(TrayMainRestartTest, SecondStartOnTheSameDayRestoresTheDaysFigures) {
  RunOnce("date 2026-12-07 10:00:00\nargs /INST\nrun\ntype one two three \n");
  const SimulationSummary again = RunOnce("date 2026-12-07 11:00:00\nargs /AUTOLOGON\nrun\nsummary\n");
  EXPECT_EQ(again.user, "ann") << "/AUTOLOGON logs the last user on without the logon window";
  EXPECT_EQ(again.Characters, 14);
  EXPECT_EQ(again.Words, 2);
  EXPECT_EQ(profile_.at("WayfenDays.counter"), "1");
}

TEST_F(TrayMainRestartTest, StartingThreeDaysLaterClearsTheTwoSkippedWeekdays) {
  RunOnce("date 2026-12-07 10:00:00\nargs /INST\nrun\ntype one two three \n");
  {
    // Figures left in the slots of Tuesday and Wednesday by an earlier week.
    Simulation edit(kInstallation, root_.string());
    std::string text = edit.Platform().ReadHostFile("C:\\Strevo\\Database\\Ann.usr");
    for (const char* line : {"TotalHits.day3=", "TotalHits.day4=", "TotalHits.day5="}) {
      const size_t at = text.find(line);
      ASSERT_NE(at, std::string::npos);
      text.replace(at, std::string(line).size() + 1, std::string(line) + "7");
    }
    edit.Platform().WriteHostFile("C:\\Strevo\\Database\\Ann.usr", text);
  }
  RunOnce("date 2026-12-10 10:00:00\nargs /AUTOLOGON\nrun\n");
  EXPECT_EQ(profile_.at("TotalHits.day3"), "0");
  EXPECT_EQ(profile_.at("TotalHits.day4"), "0");
  EXPECT_EQ(profile_.at("TotalHits.day5"), "0") << "Thursday itself is the new day";
  EXPECT_EQ(profile_.at("TotalHits.day2"), "14") << "Monday keeps its figures";
  EXPECT_EQ(profile_.at("WayfenDays.counter"), "2");
}

}  // namespace strevo
