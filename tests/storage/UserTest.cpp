// The user object: opening and creating profiles, the name rules, the
// statistics file, the settings layers, passwords and groups.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "analysis/AnalyzerAPI.h"
#include "analysis/Diffkeys.h"
#include "analysis/UResults.h"
#include "analysis/WordAnalyzer.h"
#include "input/SpyApps.h"
#include "platform/Application.h"
#include "storage/DebugLog.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "storage/User.h"
#include "support/StatisticsFile.h"
#include "support/UserDatabase.h"

namespace strevo {
namespace {

const char* const kAnnProfile = "C:\\Data\\Ann.usr";
const char* const kAnnStatistics = "C:\\Data\\Ann.DTA";
// The last 12 characters of the statistics file's path: the key of the first
// scrambled word.
const char* const kAnnWordKey = "Data\\Ann.DTA";
const std::string kUpperCase = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

using test::Le16;
using test::Le32;
using test::StatisticsHeader;

// A difficult-key block: presses, hits, errors for the keys 33..255.
std::string KeyBlock(int seed) {
  std::string bytes;
  for (int array = 0; array < 3; ++array)
    for (int c = 33; c <= 255; ++c) bytes += Le16(((c * 7 + seed * 13 + array * 5) % 500) - (c == 200 ? 600 : 0));
  return bytes;
}

// A word entry as an old version stores it, in clear.
std::string WordEntryBytes(const std::string& word) { return test::WordEntryBytes({word, 3, {{1, 2}}}, word); }

// The current word block, scrambled with the key chain that starts with the
// file's path.
std::string WordBlock(const std::vector<std::string>& words, const std::string& key = kAnnWordKey) {
  std::vector<test::StoredWord> stored;
  for (const std::string& word : words) stored.push_back({word, 3, {{1, 2}}});
  return test::WordBlock(stored, key);
}

class TUserTest : public test::UserDatabaseTest {
 protected:
  void SetUp() override {
    UserDatabaseTest::SetUp();
    // A language's own letters, as its text 12 lists them.
    Localize().Strings[12] = kUpperCase;
    Localize().Strings[13] = "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6";
    Localize().Strings[528] = "The user file cannot be opened.";
    Localize().Strings[1376] = "This user file belongs to";
    Localize().Strings[1377] = "This name cannot be used.";
    Localize().Strings[1390] = "minutes";
    Localize().Strings[1391] = "The data folder is missing.";
  }

  void Policy(const std::string& text) {
    fake.WriteHostFile("C:\\Root\\policy.dyn", text);
    LoadPolicy("C:\\Root\\policy.dyn");
  }
  // A profile that has been used before (no new-profile keys, word lists
  // already seeded).
  void ExistingProfile(const std::string& file, const std::string& name, const std::string& more = "") {
    fake.WriteHostFile("C:\\Data\\" + file, "UserName=" + name + "\r\nDateStarted=1/2/2020\r\nTop1000loaded=1\r\n" + more);
  }
  std::string Read(const std::string& path) { return fake.ReadHostFile(path); }
  bool Exists(const std::string& path) { return fake.files.FileExists(path); }
  std::string OpenFailure(const std::string& name, int32_t lockMode = 2) {
    try {
      TUser user(name, -1, lockMode, false, &analysis);
    } catch (const EUserError& e) {
      return e.what();
    }
    return "(opened)";
  }
  std::vector<std::string> TableWords() {
    std::vector<std::string> words;
    for (int slot = 1; slot <= kWordTableSize && !analysis.Words.Entry(slot).Empty(); ++slot)
      words.emplace_back(analysis.Words.Entry(slot).Word());
    return words;
  }
  int32_t KeyTotal(int set) {
    int32_t total = 0;
    for (int c = 33; c <= 255; ++c) total += std::abs(analysis.KeySets[set].Presses[c]);
    return total;
  }
};

// ============================================================ name rules ==

TEST_F(TUserTest, FileBaseJoinsWordsDropsPunctuationAndCapitalisesTheFirstTwoWords) {
  Localize().Strings[13] = "al";
  EXPECT_EQ(FileBaseName("ann  lee, jr."), "Ann Lee jr");
  Localize().Strings[13] = "l";
  EXPECT_EQ(FileBaseName("ann  lee, jr."), "ann Lee jr");
}

TEST_F(TUserTest, FileBaseKeepsTheFixedSetAndTheLanguagesCharacters) {
  EXPECT_EQ(FileBaseName("\xC5sa \xD6" "berg-Lind"), "\xC5sa \xD6" "berg-lind");
  EXPECT_EQ(FileBaseName("Jos\xE9 #1!"), "Jos 1");
  Localize().Strings[12] = kUpperCase + "\xE9#";
  EXPECT_EQ(FileBaseName("Jos\xE9 #1!"), "Jos\xE9 #1");
  // The characters are sorted out as typed, before the name is lower-cased:
  // a capital that the language does not list is dropped, and the first
  // letter stays small rather than be one the base of the base would drop.
  Localize().Strings[12] = "";
  EXPECT_EQ(FileBaseName("Bob"), "ob");
}

// A word of dropped characters left a double blank, and the base of the base
// was another name ("Anne  tom", then "Anne Tom"): one user's list was read
// from one file and saved into another's.
TEST_F(TUserTest, TheBaseOfABaseIsTheSameBase) {
  for (const char* name : {"Anne & Tom", "& Tom", "a , b . c", "\xE9lise O'Neil", "Bob"}) {
    const std::string base = FileBaseName(name);
    EXPECT_EQ(FileBaseName(base), base) << name;
  }
  EXPECT_EQ(FileBaseName("Anne & Tom"), "Anne Tom");
}

TEST_F(TUserTest, FileBaseOfPunctuationOnlyIsEmptyAndRefused) {
  EXPECT_EQ(FileBaseName("..., !"), "");
  EXPECT_EQ(OpenFailure("..., !"), "This name cannot be used.");
  EXPECT_EQ(OpenUser("..., !", false, -1, 2, &analysis), nullptr);
  EXPECT_TRUE(Files().List("C:\\Data", "*").empty());
}

TEST_F(TUserTest, FileBaseNeverHoldsPathSeparatorsDrivesOrDots) {
  // Even a language whose text 12 allows them cannot bring them in.
  Localize().Strings[12] = kUpperCase + "\\/:.*?\"<>|\t";
  EXPECT_EQ(FileBaseName("..\\..\\Windows\\evil"), "Windowsevil");
  EXPECT_EQ(FileBaseName("C:\\Temp\\x"), "Ctempx");
  EXPECT_EQ(FileBaseName("/etc/passwd"), "Etcpasswd");
  EXPECT_EQ(FileBaseName("\\\\server\\share\\ann"), "Servershareann");
  EXPECT_EQ(FileBaseName("ann\tlee"), "Annlee");
  EXPECT_EQ(FileBaseName(std::string("ann\0x", 5)), "Annx");
  EXPECT_EQ(UserFilePath("..\\..\\evil", ".usr"), "C:\\Data\\Evil.usr");
}

TEST_F(TUserTest, UserNamedLikeAPathStaysInsideTheDataFolder) {
  Localize().Strings[12] = kUpperCase + "\\/:.";
  fake.files.MakeDirectory("C:\\Data\\sub");
  auto user = CreateUser("..\\..\\Root\\evil", &analysis);
  ASSERT_TRUE(user);
  user->SaveStatistics();
  EXPECT_TRUE(Exists("C:\\Data\\Rootevil.usr"));
  EXPECT_TRUE(Exists("C:\\Data\\Rootevil.DTA"));
  EXPECT_EQ(Files().List("C:\\Root", "*evil*").size(), 0u);
  EXPECT_EQ(Files().List("C:\\", "*evil*").size(), 0u);
  EXPECT_EQ(Files().List("C:\\Data\\sub", "*").size(), 0u);
}

TEST_F(TUserTest, ReservedDeviceNamesAreRefusedLikeAnEmptyBase) {
  for (const char* name : {"CON", "con", "Prn", "aux.", "NUL,", "com1", "COM9", "lpt1", "Lpt9"}) {
    EXPECT_FALSE(IsUsableFileBase(FileBaseName(name))) << name;
    EXPECT_EQ(OpenFailure(name), "This name cannot be used.") << name;
    EXPECT_THROW(OpenUser(name, false, -1, 2, &analysis), EUserError) << name;
  }
  for (const char* name : {"Console", "COM10", "LPT0", "Con Air", "auxiliary", "nul1"})
    EXPECT_TRUE(IsUsableFileBase(FileBaseName(name))) << name;
  // The system takes the superscript digits for the same devices.
  EXPECT_FALSE(IsUsableFileBase("COM\xB9"));
  EXPECT_FALSE(IsUsableFileBase("Lpt\xB3"));
  EXPECT_TRUE(Files().List("C:\\Data", "*").empty());
}

TEST_F(TUserTest, NoRealUserSharesTheVisitorsFiles) {
  for (const char* name : {"Visitor", "visitor", "VISITOR.", "visitor,"}) {
    EXPECT_EQ(OpenFailure(name), "This name cannot be used.") << name;
    EXPECT_THROW(CreateUser(name, &analysis), EUserError) << name;
  }
  EXPECT_TRUE(Files().List("C:\\Data", "*").empty());
  TUser visitor("", -1, 2, false, &analysis);  // the visitor itself still opens its profile
  EXPECT_TRUE(visitor.Opened);
  EXPECT_EQ(fake.windows.waitCursorShows, 1) << "the hourglass while the profile is read";
  EXPECT_FALSE(fake.windows.waitCursor);
}

TEST_F(TUserTest, NormalizeUserNameReducesBlanksThenNormalizesTheName) {
  EXPECT_EQ(NormalizeUserName("ann   lee"), "Ann Lee");
  EXPECT_EQ(NormalizeUserName("McDonald   Jr"), "McDonald Jr");
  EXPECT_EQ(NormalizeUserName("ANN"), "Ann");
}

TEST_F(TUserTest, WorkstationNameIsTheClientNameOnlyInARemoteSession) {
  fake.system.computerName = "DESK7";
  fake.system.environment["CLIENTNAME"] = "THINCLIENT";
  EXPECT_EQ(WorkstationName(), "DESK7");
  fake.system.remoteSession = true;
  EXPECT_EQ(WorkstationName(), "THINCLIENT");
  fake.system.environment.clear();
  EXPECT_EQ(WorkstationName(), "DESK7");
}

// ============================================================== opening ==

TEST_F(TUserTest, NewProfileGetsItsKeysAndIsWrittenExactly) {
  auto user = std::make_unique<TUser>("Ann", -1, 2, false, &analysis);
  EXPECT_TRUE(user->Opened);
  EXPECT_EQ(user->BaseName, "Ann");
  ASSERT_TRUE(user->SaveStatistics());
  EXPECT_EQ(Read(kAnnProfile),
            "UserName=Ann\r\n"
            "DateStarted=12/9/2025\r\n"
            "Date.Created=46000\r\n"
            "NotifyWhenBreak=1\r\n"
            "BreakTrackBar.position=8\r\n"
            "InfoWinTop=-1\r\n"
            "InfoWinLeft=-1\r\n"
            "InfoWinWidth=295\r\n"
            "InfoWinHeight=213\r\n"
            "InfoWinVisible=1\r\n"
            "AppListMode=1\r\n"
            "AutoIncludeMode=1\r\n"
            "NotifyWhenDifficulties=1\r\n"
            "NotifyAfterPages=1\r\n"
            "PagesTrackBar.position=2\r\n"
            "WordCollLimit=1500\r\n"
            "Top1000loaded=1\r\n"
            "UserGroupID=0\r\n"
            "ReCnt=0\r\n");
}

TEST_F(TUserTest, CreateUserTakesTheSoundsSwitchFromThePolicy) {
  Policy("Sounds=Yes\r\n");
  auto user = CreateUser("Ann", &analysis);
  EXPECT_EQ(user->GetString("Sounds"), "1");
  EXPECT_EQ(user->GetString("StoryTime"), "10 minutes");
}

TEST_F(TUserTest, ProfileOfAnotherUserIsRefusedAndLeftUntouched) {
  ExistingProfile("Carl.usr", "Bob");
  const std::string before = Read("C:\\Data\\Carl.usr");
  EXPECT_EQ(OpenFailure("Carl"), "This user file belongs to Bob");
  EXPECT_EQ(Read("C:\\Data\\Carl.usr"), before);
  EXPECT_EQ(Applications(), nullptr);
}

TEST_F(TUserTest, EachLockModeSharesTheProfileItsOwnWay) {
  ExistingProfile("Ann.usr", "Ann");
  {
    TUser exclusive("Ann", -1, 0, true, &analysis);
    EXPECT_EQ(OpenFailure("Ann", 4), "The user file cannot be opened.");
  }
  {
    TUser writing("Ann", -1, 2, true, &analysis);
    EXPECT_EQ(OpenFailure("Ann", 2), "The user file cannot be opened.");
    EXPECT_EQ(OpenFailure("Ann", 4), "(opened)");
  }
  {
    TUser reading("Ann", -1, 4, true, &analysis);
    EXPECT_EQ(OpenFailure("Ann", 4), "(opened)");
    EXPECT_EQ(OpenFailure("Ann", 2), "(opened)");
  }
}

TEST_F(TUserTest, UnknownLockModeIsRefusedBeforeAnyFileIsCreated) {
  EXPECT_EQ(OpenFailure("Ann", 3), "Internal lockmode error in user class");
  EXPECT_FALSE(Exists(kAnnProfile));
}

// A stored name that differs only in case opens.
TEST_F(TUserTest, OpenUserFindsOnlyExistingProfiles) {
  EXPECT_EQ(OpenUser("Ann", false, -1, 2, &analysis), nullptr);
  EXPECT_EQ(OpenUser("", false, -1, 2, &analysis), nullptr);
  ExistingProfile("Ann.usr", "Ann");
  auto user = OpenUser("ann", false, -1, 2, &analysis);
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(user->Name(), "ann");
}

TEST_F(TUserTest, BinaryProfileOpensAndKeepsItsContents) {
  std::string junk;
  for (int i = 0; i < 600; ++i) junk += static_cast<char>(14 + (i * 37) % 240);
  for (char& c : junk)
    if (c == '=') c = '+';
  fake.WriteHostFile(kAnnProfile, junk);
  auto user = OpenUser("Ann", false, -1, 2, &analysis);
  ASSERT_NE(user, nullptr);
  user->SaveStatistics();
  const std::string after = Read(kAnnProfile);
  EXPECT_EQ(after.substr(0, junk.size() + 2), junk + "\r\n");
  EXPECT_NE(after.find("UserName=Ann\r\n"), std::string::npos);
}

TEST_F(TUserTest, VisitorIsNeverSaved) {
  {
    TUser visitor("", -1, 2, false, &analysis);
    EXPECT_EQ(visitor.OpenedName(), "Visitor%%");
    EXPECT_TRUE(visitor.IsVisitor());
    analysis.Words.AddWord("hello", 1, 1);
    visitor.SetString("NotifyWhenBreak", "0");
    static_cast<TResults&>(*visitor.Results).Items.push_back(std::make_unique<TResultItem>(0));
    EXPECT_TRUE(visitor.SaveStatistics());
  }
  EXPECT_EQ(Read("C:\\Data\\Visitor.usr"), "");
  EXPECT_FALSE(Exists("C:\\Data\\Visitor.DTA"));
}

TEST_F(TUserTest, ReadOnlyOpenWritesNothing) {
  ExistingProfile("Ann.usr", "Ann");
  const std::string before = Read(kAnnProfile);
  {
    TUser user("Ann", -1, 4, false, &analysis);
    user.SetString("NotifyWhenBreak", "0");
    EXPECT_TRUE(user.SaveStatistics());
  }
  EXPECT_EQ(Read(kAnnProfile), before);
  EXPECT_FALSE(Exists(kAnnStatistics));
}

TEST_F(TUserTest, MissingDataFolderIsReportedAndNothingIsSaved) {
  ExistingProfile("Ann.usr", "Ann");
  TUser user("Ann", -1, 2, false, &analysis);
  ProgramSettings->DatabasePath = "C:\\Gone\\";
  EXPECT_FALSE(user.SaveStatistics());
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.dialogs.shown[0].text, "The data folder is missing.");
  EXPECT_EQ(fake.dialogs.shown[0].caption, "Quorvel");
  EXPECT_FALSE(Exists(kAnnStatistics));
}

// Well-formed results are written back the program's way; malformed ones do
// not lock the user out and are kept as they are.
TEST_F(TUserTest, ResultsAreLoadedAndSavedWithTheProfile) {
  ExistingProfile("Ann.usr", "Ann", "ReCnt=0\r\nRe0=A;1;2,5;1;0;0;0;STD\r\n");
  {
    auto user = OpenUser("Ann", false, -1, 2, &analysis);
    ASSERT_EQ(static_cast<TResults&>(*user->Results).Items.size(), 1u);
    user->SaveStatistics();
  }
  EXPECT_NE(Read(kAnnProfile).find("Re0=A;1;2.5;1;0;0;0;STD\r\n"), std::string::npos);

  ExistingProfile("Ann.usr", "Ann", "ReCnt=1\r\nRe0=A;1;1;1;0;0;0;STD\r\nRe1=B;?;1;1;0;0;0;STD\r\n");
  auto user = OpenUser("Ann", false, -1, 2, &analysis);
  ASSERT_NE(user, nullptr);
  ASSERT_TRUE(user->SaveStatistics());
  const std::string after = Read(kAnnProfile);
  EXPECT_NE(after.find("ReCnt=1\r\nRe0=A;1;1;1;0;0;0;STD\r\nRe1=B;?;1;1;0;0;0;STD\r\n"), std::string::npos);
}

// =========================================================== statistics ==

TEST_F(TUserTest, StatisticsFileRoundTripsByteForByte) {
  ExistingProfile("Ann.usr", "Ann");
  const std::string bytes = StatisticsHeader(110) + KeyBlock(1) + KeyBlock(2) + WordBlock({"alpha", "bravo", "charlie", "delta"});
  fake.WriteHostFile(kAnnStatistics, bytes);
  auto user = OpenUser("Ann", false, -1, 2, &analysis);
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(TableWords(), (std::vector<std::string>{"alpha", "bravo", "charlie", "delta"}));
  ASSERT_TRUE(user->SaveStatistics());
  EXPECT_EQ(Read(kAnnStatistics), bytes);
}

TEST_F(TUserTest, SavedWordsAreScrambledWithTheFinalFileNameAndLoadBack) {
  {
    auto user = CreateUser("Ann", &analysis);
    analysis.Words.AddWord("typing", 2, 1);
    analysis.Words.AddWord("monitor", 2, 1);
    ASSERT_TRUE(user->SaveStatistics());
  }
  const std::string file = Read(kAnnStatistics);
  // The first stored word, scrambled with the key from "C:\Data\Ann.DTA".
  const std::string first = EncodeWord("typing", kAnnWordKey);
  EXPECT_EQ(file.substr(28 + 2 * 1338 + 4 + 3, first.size()), first);
  analysis.Words.Clear();
  auto again = OpenUser("Ann", false, -1, 2, &analysis);
  EXPECT_EQ(TableWords(), (std::vector<std::string>{"typing", "monitor"}));
}

TEST_F(TUserTest, StatisticsOfVersion5LoadTheFirstKeySetAndOldWordsOnly) {
  ExistingProfile("Ann.usr", "Ann");
  fake.WriteHostFile(kAnnStatistics, StatisticsHeader(5) + KeyBlock(1) + WordEntryBytes("hello") + WordEntryBytes("world"));
  analysis.KeySets[1].Presses['a'] = 99;  // left by somebody before
  auto user = OpenUser("Ann", false, -1, 2, &analysis);
  EXPECT_EQ(analysis.KeySets[0].Presses['a'], (('a' * 7 + 13) % 500));
  EXPECT_EQ(KeyTotal(1), 0);
  EXPECT_EQ(TableWords(), (std::vector<std::string>{"hello", "world"}));
}

TEST_F(TUserTest, StatisticsOfVersion6To10ReadBothSetsAndOldWords) {
  ExistingProfile("Ann.usr", "Ann");
  fake.WriteHostFile(kAnnStatistics, StatisticsHeader(10) + KeyBlock(1) + KeyBlock(2) + WordEntryBytes("hello"));
  auto user = OpenUser("Ann", false, -1, 2, &analysis);
  EXPECT_EQ(analysis.KeySets[1].Presses['a'], (('a' * 7 + 26) % 500));
  EXPECT_EQ(TableWords(), std::vector<std::string>{"hello"});
}

// Its words cannot be read; the first save keeps the file aside, as it was,
// instead of writing it over without them.
TEST_F(TUserTest, StatisticsOfAnUnknownVersionReadNoWordsAndAreKeptAside) {
  ExistingProfile("Ann.usr", "Ann");
  const std::string bytes = StatisticsHeader(50) + KeyBlock(1) + KeyBlock(2) + WordBlock({"alpha"});
  fake.WriteHostFile(kAnnStatistics, bytes);
  auto user = OpenUser("Ann", false, -1, 2, &analysis);
  EXPECT_NE(KeyTotal(1), 0);
  EXPECT_TRUE(TableWords().empty());
  ASSERT_TRUE(user->SaveStatistics());
  EXPECT_EQ(Read(std::string(kAnnStatistics) + ".kept"), bytes);
  EXPECT_NE(Read("C:\\Data\\Errors.log").find("of version 50 could not be read whole"), std::string::npos);
  ASSERT_TRUE(user->SaveStatistics());
  EXPECT_FALSE(Exists(std::string(kAnnStatistics) + ".kept2")) << "kept once";
}

TEST_F(TUserTest, NothingOfThePreviousUserSurvivesTheNextLoad) {
  ExistingProfile("Ann.usr", "Ann");
  ExistingProfile("Bob.usr", "Bob");
  ExistingProfile("Eve.usr", "Eve");
  fake.WriteHostFile(kAnnStatistics, StatisticsHeader(110) + KeyBlock(1) + KeyBlock(2) + WordBlock({"alpha", "bravo", "charlie"}));
  fake.WriteHostFile("C:\\Data\\Eve.DTA", StatisticsHeader(110) + KeyBlock(3) + KeyBlock(4) +
                                              WordBlock({"echo"}, "Data\\Eve.DTA"));
  CurrentUser = OpenUser("Ann", false, -1, 2, &analysis);
  ASSERT_EQ(TableWords().size(), 3u);
  CurrentUser = OpenUser("Bob", false, -1, 2, &analysis);  // no statistics file yet
  EXPECT_TRUE(TableWords().empty());
  EXPECT_EQ(KeyTotal(0), 0);
  EXPECT_EQ(KeyTotal(1), 0);
  CurrentUser = OpenUser("Ann", false, -1, 2, &analysis);
  CurrentUser = OpenUser("Eve", false, -1, 2, &analysis);  // fewer words than Ann
  EXPECT_EQ(TableWords(), std::vector<std::string>{"echo"});
}

// A write failing in the keys or in the words is told once; the other
// parts are saved all the same.
TEST_F(TUserTest, FailedStatisticsWriteIsReportedOnce) {
  ExistingProfile("Ann.usr", "Ann");
  fake.WriteHostFile(kAnnStatistics, StatisticsHeader(110) + KeyBlock(1) + KeyBlock(2) + WordBlock({"alpha", "bravo"}));
  for (int64_t bytes : {100, 28 + 2 * 1338 + 300}) {
    auto user = OpenUser("Ann", false, -1, 2, &analysis);
    user->SetInteger("NotifyWhenBreak", static_cast<int32_t>(bytes));
    fake.files.Add({FileFault::FailWrite, "Ann.DTA", bytes});
    EXPECT_TRUE(user->SaveStatistics());
    fake.files.ClearFaults();
    ASSERT_EQ(fake.dialogs.shown.size(), 1u) << bytes;
    EXPECT_EQ(fake.dialogs.shown[0].text, "File error in SaveStatistics: -5");
    EXPECT_EQ(fake.dialogs.shown[0].caption, "Quorvel");
    EXPECT_NE(Read(kAnnProfile).find("NotifyWhenBreak=" + std::to_string(bytes) + "\r\n"), std::string::npos);
    fake.dialogs.shown.clear();
  }
}

TEST_F(TUserTest, StatisticsFileHeldByAnotherProgram) {
  ExistingProfile("Ann.usr", "Ann");
  const std::string bytes = StatisticsHeader(110) + KeyBlock(1) + KeyBlock(2) + WordBlock({"alpha"});
  fake.WriteHostFile(kAnnStatistics, bytes);
  {
    auto other = Files().Open(kAnnStatistics, {FileAccess::ReadWrite, FileShare::None, FileCreate::OpenExisting});
    EXPECT_EQ(OpenFailure("Ann"), "File error in LoadStatistics: -2");
    EXPECT_EQ(Applications(), nullptr);
  }
  auto user = OpenUser("Ann", false, -1, 2, &analysis);
  auto other = Files().Open(kAnnStatistics, {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting});
  EXPECT_TRUE(user->SaveStatistics());
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.dialogs.shown[0].text, "File error in SaveStatistics: -2");
  other.reset();
  EXPECT_EQ(Read(kAnnStatistics), bytes);
}

TEST_F(TUserTest, DamagedStatisticsFilesLoadWhatTheyHold) {
  ExistingProfile("Ann.usr", "Ann");
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary += static_cast<char>((i * 73 + 11) & 0xFF);
  const std::vector<std::string> files = {
      "",                                             // empty
      StatisticsHeader(110).substr(0, 10),                      // cut inside the header
      StatisticsHeader(110) + KeyBlock(1).substr(0, 500),       // cut inside the first set
      StatisticsHeader(110) + KeyBlock(1) + KeyBlock(2) + Le32(1000000000) + WordEntryBytes("x"),  // huge word count
      binary,
      StatisticsHeader(110) + KeyBlock(1) + KeyBlock(2) + WordBlock({"alpha"}) + std::string(1 << 20, '\x7f'),  // oversized
  };
  for (const std::string& bytes : files) {
    fake.WriteHostFile(kAnnStatistics, bytes);
    std::unique_ptr<TUser> user;
    EXPECT_NO_THROW(user = OpenUser("Ann", false, -1, 2, &analysis)) << bytes.size();
    EXPECT_NE(user, nullptr);
    EXPECT_LE(TableWords().size(), 2000u);
  }
}

TEST_F(TUserTest, ReadErrorInTheStatisticsFileRefusesTheUser) {
  ExistingProfile("Ann.usr", "Ann");
  fake.WriteHostFile(kAnnStatistics, StatisticsHeader(110) + KeyBlock(1) + KeyBlock(2) + WordBlock({"alpha"}));
  fake.files.Add({FileFault::FailRead, "Ann.DTA", 28});
  EXPECT_EQ(OpenFailure("Ann"), "File error in LoadStatistics: -7");
}

TEST_F(TUserTest, WordCollLimitAndDoNotCollectWordsShapeTheWordBlock) {
  const auto wordCount = [this] {
    const std::string file = Read(kAnnStatistics);
    const size_t at = 28 + 2 * 1338;
    return file.size() < at + 4 ? -1 : static_cast<int>(static_cast<unsigned char>(file[at]));
  };
  auto user = CreateUser("Ann", &analysis);
  for (const char* word : {"alpha", "bravo", "charlie"}) analysis.Words.AddWord(word, 1, 1);
  user->SetInteger("WordCollLimit", 2);
  user->SaveStatistics();
  EXPECT_EQ(wordCount(), 2);
  for (int limit : {0, 2001, -5}) {
    user->SetInteger("WordCollLimit", limit);
    analysis.Words.Slot = 3;
    user->SaveStatistics();
    EXPECT_EQ(wordCount(), 3) << limit;
  }
  user->SetString("DoNotCollectWords", "1");
  user->SaveStatistics();
  EXPECT_EQ(Read(kAnnStatistics).size(), 28u + 2 * 1338);
}

TEST_F(TUserTest, DoNotCollectWordsLeavesTheWordBlockUnread) {
  ExistingProfile("Ann.usr", "Ann", "DoNotCollectWords=1\r\n");
  fake.WriteHostFile(kAnnStatistics, StatisticsHeader(110) + KeyBlock(1) + KeyBlock(2) + WordBlock({"alpha"}));
  auto user = OpenUser("Ann", false, -1, 2, &analysis);
  EXPECT_TRUE(TableWords().empty());
}

TEST_F(TUserTest, SkipStatisticsLoadsNoStatisticsWordListsOrApplications) {
  ExistingProfile("Ann.usr", "Ann");
  fake.WriteHostFile(kAnnStatistics, StatisticsHeader(110) + KeyBlock(1) + KeyBlock(2) + WordBlock({"alpha"}));
  TUser user("Ann", -1, 2, true, &analysis);
  EXPECT_TRUE(TableWords().empty());
  EXPECT_EQ(Applications(), nullptr);
  user.SaveStatistics();
  EXPECT_EQ(Read(kAnnStatistics).size(), 28u + 2 * 1338 + 4 + 282);
}

TEST_F(TUserTest, NewUserIsSeededOnceFromTheWordLists) {
  fake.WriteHostFile("C:\\Root\\top1000wordlist.txt", "the\r\n  and \r\n\r\nwith\r\n");
  fake.WriteHostFile("C:\\Root\\top100difficultwords.txt", "rhythm\r\n");
  {
    auto user = CreateUser("Ann", &analysis);
    EXPECT_EQ(TableWords(), (std::vector<std::string>{"the", "and", "with", "rhythm"}));
    EXPECT_EQ(analysis.Words.Entry(4).History[1], 2);
    EXPECT_EQ(user->GetString("Top1000loaded"), "1");
    user->SaveStatistics();
  }
  fake.WriteHostFile("C:\\Root\\top1000wordlist.txt", "other\r\n");
  auto again = OpenUser("Ann", false, -1, 2, &analysis);
  // Saved heaviest first as text ("17" before "8"), and not seeded again.
  EXPECT_EQ(TableWords(), (std::vector<std::string>{"rhythm", "the", "and", "with"}));
}

TEST_F(TUserTest, WordListsThatAreMissingStillMarkTheUserSeeded) {
  auto user = CreateUser("Ann", &analysis);
  EXPECT_TRUE(TableWords().empty());
  EXPECT_EQ(user->GetString("Top1000loaded"), "1");
}

// ============================================== monitored applications ==

TEST_F(TUserTest, ApplicationListIsLoadedWithTheUserAndReleasedWithIt) {
  EXPECT_EQ(Applications(), nullptr);
  {
    auto user = CreateUser("Ann", &analysis);
    ASSERT_NE(Applications(), nullptr);
    ASSERT_EQ(Applications()->Items.size(), 1u);
    const TAppSettings& own = *Applications()->Items[0].App;
    EXPECT_EQ(own.Key, "DRAXEL.EXE");
    EXPECT_EQ(own.DisplayName, "Quorvel Wayfen");
    EXPECT_TRUE(own.Hidden);
    EXPECT_FALSE(own.IsEnabled());
    EXPECT_EQ(Read("C:\\Data\\Ann.SET").size(), 772u);
  }
  EXPECT_EQ(Applications(), nullptr);
}

TEST_F(TUserTest, NextUsersListSurvivesTheReleaseOfThePreviousUser) {
  ExistingProfile("Bob.usr", "Bob");
  std::string set(256, '\0');
  set[0] = 9;
  set.replace(1, 9, "EXCEL.EXE");
  set += Le16(0) + Le16(0) + std::string(256, '\0') + std::string(1, '\x03') + "Bob" + std::string(252, '\0');
  fake.WriteHostFile("C:\\Data\\Bob.SET", set);
  CurrentUser = CreateUser("Ann", &analysis);
  CurrentUser = OpenUser("Bob", false, -1, 2, &analysis);  // Ann is released after Bob is loaded
  ASSERT_NE(Applications(), nullptr);
  EXPECT_EQ(Applications()->Items[0].Key, "EXCEL.EXE");
  EXPECT_EQ(fake.atoms.Names(), std::vector<std::string>{"QVSADBobEXCEL.EXE"});
  CurrentUser.reset();
  EXPECT_EQ(Applications(), nullptr);
  EXPECT_TRUE(fake.atoms.Names().empty());
}

TEST_F(TUserTest, UnreadableApplicationFileIsNotReplacedByTheDefault) {
  ExistingProfile("Ann.usr", "Ann");
  const std::string set(772, 'x');
  fake.WriteHostFile("C:\\Data\\Ann.SET", set);
  auto other = Files().Open("C:\\Data\\Ann.SET", {FileAccess::ReadWrite, FileShare::None, FileCreate::OpenExisting});
  auto user = OpenUser("Ann", false, -1, 2, &analysis);
  ASSERT_NE(Applications(), nullptr);
  EXPECT_EQ(Applications()->Items.size(), 1u);  // the default, in memory
  other.reset();
  EXPECT_FALSE(Applications()->saveApps("C:\\Data\\Ann.SET"));
  EXPECT_EQ(Read("C:\\Data\\Ann.SET"), set);
}

// ======================================================= settings layers ==

class TUserSettingsTest : public TUserTest {
 protected:
  void SetUp() override {
    TUserTest::SetUp();
    fake.WriteHostFile("C:\\Root\\0.grp", "Colour=green\r\nSpeed=300\r\nLocked.locked=1\r\nLocked=group\r\nList=g1,g2\r\n");
    ExistingProfile("Ann.usr", "Ann",
                    "Colour=red\r\nLocked=mine\r\nPolicyKey=mine\r\nOwnOnly=own\r\nFlag=true\r\nOne=1\r\nList=u1,u2\r\n"
                    "Empty=\r\n");
  }
};

TEST_F(TUserSettingsTest, PolicyLockWinsEvenWithAnEmptyPolicyValue) {
  Policy("PolicyKey.locked=1\r\n");
  TUser user("Ann", -1, 2, true, &analysis);
  ASSERT_NE(user.Group, nullptr);
  EXPECT_EQ(user.GetSetting("PolicyKey", setting_source::kOwn), "");
  EXPECT_EQ(user.GetSetting("PolicyKey", setting_source::kInherited), "");
  EXPECT_TRUE(user.IsLocked("PolicyKey"));
}

TEST_F(TUserSettingsTest, PolicyLockWinsOverAGroupLock) {
  Policy("Locked.locked=1\r\nLocked=policy\r\n");
  TUser user("Ann", -1, 2, true, &analysis);
  EXPECT_EQ(user.GetSetting("Locked", setting_source::kOwn), "policy");
}

TEST_F(TUserSettingsTest, GroupLockGivesTheGroupsValue) {
  TUser user("Ann", -1, 2, true, &analysis);
  EXPECT_EQ(user.GetSetting("Locked", setting_source::kOwn), "group");
  EXPECT_TRUE(user.IsLocked("Locked"));
  EXPECT_FALSE(user.IsLocked("Colour"));
}

TEST_F(TUserSettingsTest, SourcesPickTheirLayer) {
  Policy("Pol=policy\r\nColour=blue\r\n");
  TUser user("Ann", -1, 2, true, &analysis);
  EXPECT_EQ(user.GetSetting("Colour", setting_source::kOwn), "red");
  EXPECT_EQ(user.GetSetting("Colour", setting_source::kInherited), "red");
  EXPECT_EQ(user.GetSetting("Colour", setting_source::kGroup), "green");
  EXPECT_EQ(user.GetSetting("Colour", 7), "");
  EXPECT_EQ(user.GetSetting("Pol", setting_source::kOwn), "");
  EXPECT_EQ(user.GetSetting("Pol", setting_source::kInherited), "policy");
  EXPECT_EQ(user.GetSetting("Speed", setting_source::kInherited), "300");
  EXPECT_EQ(user.GetSetting("Speed", setting_source::kOwn), "");
}

TEST_F(TUserSettingsTest, TypedReadsConvertTheChosenValue) {
  TUser user("Ann", -1, 2, true, &analysis);
  EXPECT_EQ(user.GetSettingInteger("Speed", setting_source::kInherited), 300);
  EXPECT_EQ(user.GetSettingInteger("Missing", setting_source::kInherited), 0);
  EXPECT_EQ(user.GetSettingInteger("Colour", setting_source::kOwn), 0);
  EXPECT_FLOAT_EQ(user.GetSettingFloat("Speed", setting_source::kGroup), 300.0f);
  EXPECT_TRUE(user.GetSettingBool("One", setting_source::kOwn));
  EXPECT_FALSE(user.GetSettingBool("Flag", setting_source::kOwn));  // only "1" is true here
}

TEST_F(TUserSettingsTest, StringListsComeFromTheUserOrTheGroup) {
  Policy("List.locked=1\r\n");
  TUser user("Ann", -1, 2, true, &analysis);
  EXPECT_EQ(*user.GetSettingStrings("List", setting_source::kOwn), (std::vector<std::string>{"g1", "g2"}));
  ResetPolicy();
  Policy("");
  EXPECT_EQ(*user.GetSettingStrings("List", setting_source::kInherited), (std::vector<std::string>{"u1", "u2"}));
  EXPECT_EQ(*user.GetSettingStrings("List", setting_source::kGroup), (std::vector<std::string>{"g1", "g2"}));
  EXPECT_TRUE(user.GetSettingStrings("Nothing", setting_source::kInherited)->empty());
  user.SetString("List", "");
  EXPECT_EQ(*user.GetSettingStrings("List", setting_source::kInherited), (std::vector<std::string>{"g1", "g2"}));
}

TEST_F(TUserSettingsTest, UserWithoutGroupReadsOnlyItsOwnValues) {
  fake.files.RemoveFile("C:\\Root\\0.grp");
  Policy("Colour.locked=1\r\nColour=blue\r\n");
  TUser user("Ann", -1, 2, true, &analysis);
  EXPECT_EQ(user.Group, nullptr);
  EXPECT_EQ(user.GetSetting("Colour", setting_source::kInherited), "red");
  EXPECT_EQ(user.GetSetting("Colour", setting_source::kGroup), "");
  EXPECT_FALSE(user.IsLocked("Colour"));
  ResetPolicy();
  EXPECT_EQ(user.GetSetting("Colour", setting_source::kOwn), "red");
}

TEST_F(TUserSettingsTest, ReadingWithAGroupButNoPolicyRaises) {
  TUser user("Ann", -1, 2, true, &analysis);
  ResetPolicy();
  try {
    user.GetSetting("Colour", setting_source::kOwn);
    FAIL() << "no exception";
  } catch (const EStrevoError& e) {
    EXPECT_STREQ(e.what(), "not Assigned(PolicySettings) in user class");
  }
  EXPECT_THROW(user.GetSettingStrings("List", setting_source::kOwn), EStrevoError);
  EXPECT_THROW(user.IsLocked("List"), EStrevoError);
}

TEST_F(TUserSettingsTest, DisplaySpeedUsesTheUsersUnit) {
  Policy("wpm_length=4\r\n");
  TUser user("Ann", -1, 2, true, &analysis);
  EXPECT_EQ(user.DisplaySpeed(250), 62);
  user.SetString("cpm", "1");
  EXPECT_EQ(user.DisplaySpeed(250), 250);
}

// ============================================================== groups ==

TEST_F(TUserTest, GroupWithoutGroupFileMovesTheUserToGroupZero) {
  fake.WriteHostFile("C:\\Root\\0.grp", "Colour=green\r\n");
  ExistingProfile("Ann.usr", "Ann", "UserGroupID=7\r\n");
  auto user = OpenUser("Ann", true, -1, 2, &analysis);
  EXPECT_EQ(user->UserGroup(), 0);
  ASSERT_NE(user->Group, nullptr);
  EXPECT_EQ(user->Group->GetString("Colour"), "green");
  user->SaveStatistics();
  EXPECT_NE(Read(kAnnProfile).find("UserGroupID=0\r\n"), std::string::npos);
}

TEST_F(TUserTest, UserOfAnExistingGroupReadsItsFile) {
  fake.WriteHostFile("C:\\Root\\0.grp", "Colour=green\r\n");
  fake.WriteHostFile("C:\\Root\\3.grp", "Colour=teal\r\n");
  ExistingProfile("Ann.usr", "Ann", "UserGroupID=3\r\n");
  auto user = OpenUser("Ann", true, -1, 2, &analysis);
  EXPECT_EQ(user->UserGroup(), 3);
  EXPECT_EQ(user->Group->GetString("Colour"), "teal");
  user->SetUserGroup(0);
  user->LoadGroup();
  EXPECT_EQ(user->Group->GetString("Colour"), "green");
}

TEST_F(TUserTest, NegativeGroupReadsAsZeroAndMissingGroupFilesMeanNoGroup) {
  ExistingProfile("Ann.usr", "Ann", "UserGroupID=-4\r\n");
  auto user = OpenUser("Ann", true, -1, 2, &analysis);
  EXPECT_EQ(user->UserGroup(), 0);
  EXPECT_EQ(user->Group, nullptr);
}

TEST_F(TUserTest, BinaryGroupFileLocksNothing) {
  std::string junk;
  for (int i = 0; i < 3000; ++i) junk += static_cast<char>((i * 53 + 1) & 0xFF);
  fake.WriteHostFile("C:\\Root\\0.grp", junk);
  ExistingProfile("Ann.usr", "Ann", "Colour=red\r\n");
  auto user = OpenUser("Ann", true, -1, 2, &analysis);
  ASSERT_NE(user->Group, nullptr);
  EXPECT_EQ(user->GetSetting("Colour", setting_source::kOwn), "red");
}

// ============================================================ passwords ==

TEST_F(TUserTest, PasswordDigestIsTheFirstSevenBytesOfRipemd160) {
  EXPECT_EQ(PasswordDigest(""), "9C1185A5C5E9FC");
  EXPECT_EQ(PasswordDigest("abc"), "8EB208F7E05D98");
  EXPECT_EQ(PasswordDigest("\xE9t\xE9"), "50A4E99FCEF5D0");  // 8-bit characters as they are
}

TEST_F(TUserTest, PasswordIsStoredAsItsDigestAndChecked) {
  auto user = CreateUser("Ann", &analysis);
  user->SetPassword("abc");
  EXPECT_EQ(user->GetString("Password"), "8EB208F7E05D98");
  EXPECT_TRUE(user->CheckPassword("abc"));
  EXPECT_FALSE(user->CheckPassword("abd"));
  EXPECT_FALSE(user->CheckPassword("ABC"));
  EXPECT_FALSE(user->CheckPassword(""));
  user->SetString("Password", "8eb208f7e05d98");  // written by hand in lower case
  EXPECT_TRUE(user->CheckPassword("abc"));
}

TEST_F(TUserTest, EmptyPasswordSucceedsOnlyWhenNoneIsStored) {
  auto user = CreateUser("Ann", &analysis);
  EXPECT_TRUE(user->CheckPassword(""));
  EXPECT_FALSE(user->CheckPassword("x"));
  user->SetPassword("");
  EXPECT_EQ(user->GetString("Password"), "");
  EXPECT_TRUE(user->CheckPassword(""));
}

}  // namespace
}  // namespace strevo
