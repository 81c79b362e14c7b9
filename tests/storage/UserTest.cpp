// The user object: the name rules, opening and creating profiles, the
// statistics file, the settings layers, groups and passwords.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/UResults.h"
#include "analysis/WordAnalyzer.h"
#include "support/StatisticsFile.h"
#include "support/UserDatabase.h"

namespace strevo {
namespace {

const char* const kAnnProfile = "C:\\Data\\Ann.usr";
const char* const kAnnStatistics = "C:\\Data\\Ann.DTA";
const size_t kWordsAt = 28 + 2 * 1338;  // header and both key sets
const std::string kUpperCase = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

using test::Le32;
using test::StatisticsHeader;
using Words = std::vector<std::string>;

// A difficult-key set with a different count at every key.
std::string KeyBlock(int seed) {
  std::string bytes;
  for (int array = 0; array < 3; ++array)
    for (int c = 33; c <= 255; ++c) bytes += test::Le16(((c * 7 + seed * 13 + array * 5) % 500) - (c == 200 ? 600 : 0));
  return bytes;
}
// A word entry as old versions store it, in clear.
std::string ClearWord(const std::string& word) { return test::WordEntryBytes({word, 3, {{1, 2}}}, word); }
// The current word block, scrambled with the key chain of the file's path.
std::string WordBlock(const Words& words, const std::string& key = "Data\\Ann.DTA") {
  std::vector<test::StoredWord> stored;
  for (const std::string& word : words) stored.push_back({word, 3, {{1, 2}}});
  return test::WordBlock(stored, key);
}
std::string Statistics(const Words& words) { return StatisticsHeader(110) + KeyBlock(1) + KeyBlock(2) + WordBlock(words); }

class TUserTest : public test::UserDatabaseTest {
 protected:
  void SetUp() override {
    UserDatabaseTest::SetUp();
    Localize().Strings[12] = kUpperCase;  // the language's own letters
    Localize().Strings[13] = "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6";
    Localize().Strings[528] = "The user file cannot be opened.";
    Localize().Strings[1376] = "This user file belongs to";
    Localize().Strings[1377] = "This name cannot be used.";
    Localize().Strings[1390] = "minutes";
    Localize().Strings[1391] = "The data folder is missing.";
  }
  // A profile used before: no new-profile keys, word lists already seeded.
  void ExistingProfile(const std::string& name, const std::string& more = "") {
    fake.WriteHostFile("C:\\Data\\" + name + ".usr",
                       "UserName=" + name + "\r\nDateStarted=1/2/2020\r\nTop1000loaded=1\r\n" + more);
  }
  std::string Read(const std::string& path) { return fake.ReadHostFile(path); }
  bool Exists(const std::string& path) { return fake.files.FileExists(path); }
  bool Contains(const std::string& path, const std::string& text) { return Read(path).find(text) != std::string::npos; }
  std::unique_ptr<TUser> Open(const std::string& name, bool group = false) {
    return OpenUser(name, group, -1, 2, &analysis);
  }
  std::string OpenFailure(const std::string& name, int32_t lockMode = 2) {
    try {
      TUser user(name, -1, lockMode, false, &analysis);
    } catch (const EUserError& e) {
      return e.what();
    }
    return "(opened)";
  }
  Words TableWords() {
    Words words;
    for (int slot = 1; slot <= kWordTableSize && !analysis.Words.Entry(slot).Empty(); ++slot)
      words.emplace_back(analysis.Words.Entry(slot).Word());
    return words;
  }
  int32_t KeyTotal(int set) {
    int32_t total = 0;
    for (int c = 33; c <= 255; ++c) total += std::abs(analysis.KeySets[set].Presses[c]);
    return total;
  }
  // Each box shown, as "caption: text|".
  std::string Dialogs() {
    std::string texts;
    for (const auto& shown : fake.dialogs.shown) texts += shown.caption + ": " + shown.text + "|";
    return texts;
  }
};

// ============================================================ name rules ==

TEST_F(TUserTest, FileBaseCapitalisesTwoWordsKeepsTheLanguagesLettersAndIsStable) {
  Localize().Strings[13] = "al";
  EXPECT_EQ(FileBaseName("ann  lee, jr."), "Ann Lee jr");
  Localize().Strings[13] = "l";
  EXPECT_EQ(FileBaseName("ann  lee, jr."), "ann Lee jr");
  Localize().Strings[13] = "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6";
  EXPECT_EQ(FileBaseName("\xC5sa \xD6" "berg-Lind"), "\xC5sa \xD6" "berg-lind");
  EXPECT_EQ(FileBaseName("Jos\xE9 #1!"), "Jos 1");
  Localize().Strings[12] = kUpperCase + "\xE9#";
  EXPECT_EQ(FileBaseName("Jos\xE9 #1!"), "Jos\xE9 #1");
  // Characters are sorted out as typed: a capital the language does not
  // list is dropped.
  Localize().Strings[12] = "";
  EXPECT_EQ(FileBaseName("Bob"), "ob");
  // A word of dropped characters must not leave a base whose own base is
  // another name: one user's list would be read from one file and saved
  // into another's.
  Localize().Strings[12] = kUpperCase;
  for (const char* name : {"Anne & Tom", "& Tom", "a , b . c", "\xE9lise O'Neil", "Bob"})
    EXPECT_EQ(FileBaseName(FileBaseName(name)), FileBaseName(name)) << name;
  EXPECT_EQ(FileBaseName("Anne & Tom"), "Anne Tom");
  EXPECT_EQ(NormalizeUserName("ann   lee"), "Ann Lee");
}

// Even a language whose letters include them cannot bring separators, drives
// or dots into a file name.
TEST_F(TUserTest, UserNamedLikeAPathStaysInsideTheDataFolder) {
  Localize().Strings[12] = kUpperCase + "\\/:.*?\"<>|\t";
  EXPECT_EQ(FileBaseName("..\\..\\Windows\\evil"), "Windowsevil");
  EXPECT_EQ(FileBaseName("\\\\server\\share\\ann"), "Servershareann");
  EXPECT_EQ(FileBaseName(std::string("ann\0x", 5)), "Annx");
  fake.files.MakeDirectory("C:\\Data\\sub");
  auto user = CreateUser("..\\..\\Root\\evil", &analysis);
  ASSERT_TRUE(user);
  user->SaveStatistics();
  EXPECT_TRUE(Exists("C:\\Data\\Rootevil.usr"));
  EXPECT_TRUE(Exists("C:\\Data\\Rootevil.DTA"));
  EXPECT_EQ(Files().List("C:\\Root", "*evil*").size() + Files().List("C:\\", "*evil*").size() +
                Files().List("C:\\Data\\sub", "*").size(),
            0u);
}

// Names with no usable base, device names and the visitor's own name are
// refused before anything is written.
TEST_F(TUserTest, UnusableNamesAreRefused) {
  for (const char* name : {"..., !", "CON", "Prn", "aux.", "NUL,", "com1", "Lpt9", "Visitor", "VISITOR.", "visitor,"}) {
    EXPECT_EQ(OpenFailure(name), "This name cannot be used.") << name;
    EXPECT_THROW(CreateUser(name, &analysis), EUserError) << name;
  }
  EXPECT_EQ(OpenUser("..., !", false, -1, 2, &analysis), nullptr);
  for (const char* name : {"Console", "COM10", "LPT0", "Con Air", "nul1"}) EXPECT_TRUE(IsUsableFileBase(FileBaseName(name))) << name;
  EXPECT_FALSE(IsUsableFileBase("COM\xB9"));  // superscript digits name the same devices
  EXPECT_FALSE(IsUsableFileBase("Lpt\xB3"));
  EXPECT_TRUE(Files().List("C:\\Data", "*").empty());
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
  ASSERT_TRUE(user->SaveStatistics());
  EXPECT_EQ(Read(kAnnProfile),
            "UserName=Ann\r\nDateStarted=12/9/2025\r\nDate.Created=46000\r\nNotifyWhenBreak=1\r\n"
            "BreakTrackBar.position=8\r\nInfoWinTop=-1\r\nInfoWinLeft=-1\r\nInfoWinWidth=295\r\n"
            "InfoWinHeight=213\r\nInfoWinVisible=1\r\nAppListMode=1\r\nAutoIncludeMode=1\r\n"
            "NotifyWhenDifficulties=1\r\nNotifyAfterPages=1\r\nPagesTrackBar.position=2\r\n"
            "WordCollLimit=1500\r\nTop1000loaded=1\r\nUserGroupID=0\r\nReCnt=0\r\n");
  Policy("Sounds=Yes\r\n");
  auto bob = CreateUser("Bob", &analysis);
  EXPECT_EQ(bob->GetString("Sounds"), "1");
  EXPECT_EQ(bob->GetString("StoryTime"), "10 minutes");
}

TEST_F(TUserTest, OpeningFindsOnlyTheUsersOwnProfileInTheLockModeAsked) {
  EXPECT_EQ(Open("Ann"), nullptr);
  EXPECT_EQ(Open(""), nullptr);
  ExistingProfile("Ann");
  auto user = Open("ann");  // a stored name that differs in case opens
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(user->Name(), "ann");
  fake.WriteHostFile("C:\\Data\\Carl.usr", "UserName=Bob\r\n");
  EXPECT_EQ(OpenFailure("Carl"), "This user file belongs to Bob");
  EXPECT_EQ(Read("C:\\Data\\Carl.usr"), "UserName=Bob\r\n");
  EXPECT_EQ(OpenFailure("Eve", 3), "Internal lockmode error in user class");
  EXPECT_FALSE(Exists("C:\\Data\\Eve.usr"));
  user.reset();
  // Each lock mode shares the profile its own way.
  {
    TUser exclusive("Ann", -1, 0, true, &analysis);
    EXPECT_EQ(OpenFailure("Ann", 4), "The user file cannot be opened.");
  }
  {
    TUser writing("Ann", -1, 2, true, &analysis);
    EXPECT_EQ(OpenFailure("Ann", 2), "The user file cannot be opened.");
    EXPECT_EQ(OpenFailure("Ann", 4), "(opened)");
  }
  TUser reading("Ann", -1, 4, true, &analysis);
  EXPECT_EQ(OpenFailure("Ann", 2), "(opened)");
}

TEST_F(TUserTest, BinaryProfileOpensAndKeepsItsContents) {
  std::string junk;
  for (int i = 0; i < 600; ++i) junk += static_cast<char>(14 + (i * 37) % 240);
  for (char& c : junk)
    if (c == '=') c = '+';
  fake.WriteHostFile(kAnnProfile, junk);
  auto user = Open("Ann");
  ASSERT_NE(user, nullptr);
  user->SaveStatistics();
  EXPECT_EQ(Read(kAnnProfile).substr(0, junk.size() + 2), junk + "\r\n");
  EXPECT_TRUE(Contains(kAnnProfile, "UserName=Ann\r\n"));
}

// The visitor (whose own name opens) and a read-only open say they saved,
// and write nothing; a missing data folder is told and nothing is written
// either.
TEST_F(TUserTest, OpensThatMustNotWrite) {
  {
    TUser visitor("", -1, 2, false, &analysis);
    EXPECT_EQ(visitor.OpenedName(), "Visitor%%");
    EXPECT_EQ(fake.windows.waitCursorShows, 1) << "the hourglass while the profile is read";
    EXPECT_FALSE(fake.windows.waitCursor);
    analysis.Words.AddWord("hello", 1, 1);
    visitor.SetString("NotifyWhenBreak", "0");
    static_cast<TResults&>(*visitor.Results).Items.push_back(std::make_unique<TResultItem>(0));
    EXPECT_TRUE(visitor.SaveStatistics());
  }
  EXPECT_EQ(Read("C:\\Data\\Visitor.usr"), "");
  EXPECT_FALSE(Exists("C:\\Data\\Visitor.DTA"));
  ExistingProfile("Ann");
  const std::string before = Read(kAnnProfile);
  {
    TUser user("Ann", -1, 4, false, &analysis);
    user.SetString("NotifyWhenBreak", "0");
    EXPECT_TRUE(user.SaveStatistics());
  }
  EXPECT_EQ(Read(kAnnProfile), before);
  TUser user("Ann", -1, 2, false, &analysis);
  ProgramSettings->DatabasePath = "C:\\Gone\\";
  EXPECT_FALSE(user.SaveStatistics());
  EXPECT_EQ(Dialogs(), "Quorvel: The data folder is missing.|");
  EXPECT_FALSE(Exists(kAnnStatistics));
}

// Well-formed results are written back the program's way; malformed ones
// do not lock the user out and are kept as they are.
TEST_F(TUserTest, ResultsAreLoadedAndSavedWithTheProfile) {
  ExistingProfile("Ann", "ReCnt=0\r\nRe0=A;1;2,5;1;0;0;0;STD\r\n");
  {
    auto user = Open("Ann");
    ASSERT_EQ(static_cast<TResults&>(*user->Results).Items.size(), 1u);
    user->SaveStatistics();
  }
  EXPECT_TRUE(Contains(kAnnProfile, "Re0=A;1;2.5;1;0;0;0;STD\r\n"));
  ExistingProfile("Ann", "ReCnt=1\r\nRe0=A;1;1;1;0;0;0;STD\r\nRe1=B;?;1;1;0;0;0;STD\r\n");
  auto user = Open("Ann");
  ASSERT_NE(user, nullptr);
  ASSERT_TRUE(user->SaveStatistics());
  EXPECT_TRUE(Contains(kAnnProfile, "ReCnt=1\r\nRe0=A;1;1;1;0;0;0;STD\r\nRe1=B;?;1;1;0;0;0;STD\r\n"));
}

// =========================================================== statistics ==

// Words are scrambled with the final file's name, not the partial one's.
TEST_F(TUserTest, StatisticsFileRoundTripsByteForByte) {
  ExistingProfile("Ann");
  const std::string bytes = Statistics({"alpha", "bravo", "charlie", "delta"});
  fake.WriteHostFile(kAnnStatistics, bytes);
  {
    auto user = Open("Ann");
    EXPECT_EQ(TableWords(), (Words{"alpha", "bravo", "charlie", "delta"}));
    ASSERT_TRUE(user->SaveStatistics());
    EXPECT_EQ(Read(kAnnStatistics), bytes);
    analysis.Words.AddWord("typing", 9, 1);
    ASSERT_TRUE(user->SaveStatistics());
  }
  const std::string first = test::Scramble("typing", "Data\\Ann.DTA");
  EXPECT_EQ(Read(kAnnStatistics).substr(kWordsAt + 4 + 3, first.size()), first);
  auto again = Open("Ann");
  EXPECT_EQ(TableWords(), (Words{"typing", "alpha", "bravo", "charlie", "delta"}));
}

// Version 5 holds one key set and clear words, 6 to 10 two sets and clear
// words; an unknown version reads no words and its file is kept aside,
// once, before it is written over.
TEST_F(TUserTest, OlderAndUnknownVersionsOfTheStatistics) {
  ExistingProfile("Ann");
  fake.WriteHostFile(kAnnStatistics, StatisticsHeader(5) + KeyBlock(1) + ClearWord("hello") + ClearWord("world"));
  analysis.KeySets[1].Presses['a'] = 99;  // left by somebody before
  auto user = Open("Ann");
  EXPECT_EQ(analysis.KeySets[0].Presses['a'], ('a' * 7 + 13) % 500);
  EXPECT_EQ(KeyTotal(1), 0);
  EXPECT_EQ(TableWords(), (Words{"hello", "world"}));
  fake.WriteHostFile(kAnnStatistics, StatisticsHeader(10) + KeyBlock(1) + KeyBlock(2) + ClearWord("hello"));
  user.reset();
  user = Open("Ann");
  EXPECT_EQ(analysis.KeySets[1].Presses['a'], ('a' * 7 + 26) % 500);
  EXPECT_EQ(TableWords(), Words{"hello"});

  const std::string unknown = StatisticsHeader(50) + KeyBlock(1) + KeyBlock(2) + WordBlock({"alpha"});
  fake.WriteHostFile(kAnnStatistics, unknown);
  user.reset();
  user = Open("Ann");
  EXPECT_NE(KeyTotal(1), 0);
  EXPECT_TRUE(TableWords().empty());
  ASSERT_TRUE(user->SaveStatistics());
  EXPECT_EQ(Read(std::string(kAnnStatistics) + ".kept"), unknown);
  EXPECT_TRUE(Contains("C:\\Data\\Errors.log", "of version 50 could not be read whole"));
  ASSERT_TRUE(user->SaveStatistics());
  EXPECT_FALSE(Exists(std::string(kAnnStatistics) + ".kept2")) << "kept once";
}

TEST_F(TUserTest, NothingOfThePreviousUserSurvivesTheNextLoad) {
  for (const char* name : {"Ann", "Bob", "Eve"}) ExistingProfile(name);
  fake.WriteHostFile(kAnnStatistics, Statistics({"alpha", "bravo", "charlie"}));
  fake.WriteHostFile("C:\\Data\\Eve.DTA", StatisticsHeader(110) + KeyBlock(3) + KeyBlock(4) + WordBlock({"echo"}, "Data\\Eve.DTA"));
  CurrentUser = Open("Ann");
  ASSERT_EQ(TableWords().size(), 3u);
  CurrentUser = Open("Bob");  // no statistics file yet
  EXPECT_TRUE(TableWords().empty());
  EXPECT_EQ(KeyTotal(0) + KeyTotal(1), 0);
  CurrentUser = Open("Ann");
  CurrentUser = Open("Eve");  // fewer words than Ann
  EXPECT_EQ(TableWords(), Words{"echo"});
}

// A write failing in the keys or in the words is told once and the profile
// is saved all the same; a file another program holds is refused on load
// and left as it was on save.
TEST_F(TUserTest, StatisticsFileThatCannotBeWrittenOrRead) {
  ExistingProfile("Ann");
  const std::string bytes = Statistics({"alpha", "bravo"});
  fake.WriteHostFile(kAnnStatistics, bytes);
  for (int64_t at : {100, static_cast<int>(kWordsAt) + 300}) {
    auto user = Open("Ann");
    user->SetInteger("NotifyWhenBreak", static_cast<int32_t>(at));
    fake.files.Add({FileFault::FailWrite, "Ann.DTA", at});
    EXPECT_TRUE(user->SaveStatistics());
    fake.files.ClearFaults();
    EXPECT_EQ(Dialogs(), "Quorvel: File error in SaveStatistics: -5|") << at;
    EXPECT_TRUE(Contains(kAnnProfile, "NotifyWhenBreak=" + std::to_string(at) + "\r\n"));
    fake.dialogs.shown.clear();
  }
  EXPECT_EQ(Read(kAnnStatistics), bytes);
  {
    auto other = Files().Open(kAnnStatistics, {FileAccess::ReadWrite, FileShare::None, FileCreate::OpenExisting});
    EXPECT_EQ(OpenFailure("Ann"), "File error in LoadStatistics: -2");
    EXPECT_EQ(Applications(), nullptr);
  }
  auto user = Open("Ann");
  auto other = Files().Open(kAnnStatistics, {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting});
  EXPECT_TRUE(user->SaveStatistics());
  EXPECT_EQ(Dialogs(), "Quorvel: File error in SaveStatistics: -2|");
  other.reset();
  EXPECT_EQ(Read(kAnnStatistics), bytes);
  user.reset();
  fake.files.Add({FileFault::FailRead, "Ann.DTA", 28});
  EXPECT_EQ(OpenFailure("Ann"), "File error in LoadStatistics: -7");
}

TEST_F(TUserTest, DamagedStatisticsFilesLoadWhatTheyHold) {
  ExistingProfile("Ann");
  std::string binary;
  for (int i = 0; i < 5000; ++i) binary += static_cast<char>((i * 73 + 11) & 0xFF);
  const std::string keys = StatisticsHeader(110) + KeyBlock(1) + KeyBlock(2);
  for (const std::string& bytes : {std::string(), keys.substr(0, 10), keys.substr(0, 528), keys + Le32(1000000000) + ClearWord("x"),
                                   binary, Statistics({"alpha"}) + std::string(1 << 20, '\x7f')}) {
    fake.WriteHostFile(kAnnStatistics, bytes);
    std::unique_ptr<TUser> user;
    EXPECT_NO_THROW(user = Open("Ann")) << bytes.size();
    EXPECT_NE(user, nullptr);
    EXPECT_LE(TableWords().size(), 2000u);
  }
}

// The limit keeps the heaviest words (out of range: all of them); not
// collecting words neither reads nor writes the block, and an open that
// skips the statistics loads nothing and saves an empty block.
TEST_F(TUserTest, WordCollectionSettingsShapeTheWordBlock) {
  const auto wordCount = [this] {
    const std::string file = Read(kAnnStatistics);
    return file.size() < kWordsAt + 4 ? -1 : static_cast<int>(static_cast<unsigned char>(file[kWordsAt]));
  };
  auto user = CreateUser("Ann", &analysis);
  for (const char* word : {"alpha", "bravo", "charlie"}) analysis.Words.AddWord(word, 1, 1);
  user->SetInteger("WordCollLimit", 2);
  user->SaveStatistics();
  EXPECT_EQ(wordCount(), 2);
  for (int limit : {0, 2001, -5}) {
    user->SetInteger("WordCollLimit", limit);
    user->SaveStatistics();
    EXPECT_EQ(wordCount(), 3) << limit;
  }
  user->SetString("DoNotCollectWords", "1");
  user->SaveStatistics();
  EXPECT_EQ(Read(kAnnStatistics).size(), kWordsAt);
  user.reset();

  fake.WriteHostFile(kAnnStatistics, Statistics({"alpha"}));
  user = Open("Ann");
  EXPECT_TRUE(TableWords().empty());
  user.reset();
  ExistingProfile("Ann");
  TUser skipping("Ann", -1, 2, true, &analysis);
  EXPECT_TRUE(TableWords().empty());
  EXPECT_EQ(Applications(), nullptr);
  skipping.SaveStatistics();
  EXPECT_EQ(Read(kAnnStatistics).size(), kWordsAt + 4 + 282);
}

// Seeded once (without the lists the new profile above is marked seeded
// all the same); saved heaviest first.
TEST_F(TUserTest, NewUserIsSeededOnceFromTheWordLists) {
  fake.WriteHostFile("C:\\Root\\top1000wordlist.txt", "the\r\n  and \r\n\r\nwith\r\n");
  fake.WriteHostFile("C:\\Root\\top100difficultwords.txt", "rhythm\r\n");
  {
    auto user = CreateUser("Ann", &analysis);
    EXPECT_EQ(TableWords(), (Words{"the", "and", "with", "rhythm"}));
    EXPECT_EQ(analysis.Words.Entry(4).History[1], 2);
    user->SaveStatistics();
  }
  fake.WriteHostFile("C:\\Root\\top1000wordlist.txt", "other\r\n");
  auto again = Open("Ann");
  EXPECT_EQ(TableWords(), (Words{"rhythm", "the", "and", "with"}));
}

// ============================================== monitored applications ==

// The next user's list is loaded before the previous user is released.
TEST_F(TUserTest, ApplicationListsComeAndGoWithTheirUsers) {
  EXPECT_EQ(Applications(), nullptr);
  CurrentUser = CreateUser("Ann", &analysis);
  ASSERT_NE(Applications(), nullptr);
  ASSERT_EQ(Applications()->Items.size(), 1u);
  const TAppSettings& own = *Applications()->Items[0].App;
  EXPECT_EQ(own.Key, "DRAXEL.EXE");
  EXPECT_EQ(own.DisplayName, "Quorvel Wayfen");
  EXPECT_TRUE(own.Hidden);
  EXPECT_FALSE(own.IsEnabled());
  EXPECT_EQ(Read("C:\\Data\\Ann.SET").size(), 772u);

  ExistingProfile("Bob");
  std::string set(256, '\0');
  set[0] = 9;
  set.replace(1, 9, "EXCEL.EXE");
  set += test::Le16(0) + test::Le16(0) + std::string(256, '\0') + std::string(1, '\x03') + "Bob" + std::string(252, '\0');
  fake.WriteHostFile("C:\\Data\\Bob.SET", set);
  CurrentUser = Open("Bob");
  ASSERT_NE(Applications(), nullptr);
  EXPECT_EQ(Applications()->Items[0].Key, "EXCEL.EXE");
  EXPECT_EQ(fake.atoms.Names(), std::vector<std::string>{"QVSADBobEXCEL.EXE"});
  CurrentUser.reset();
  EXPECT_EQ(Applications(), nullptr);
  EXPECT_TRUE(fake.atoms.Names().empty());
}

TEST_F(TUserTest, UnreadableApplicationFileIsNotReplacedByTheDefault) {
  ExistingProfile("Ann");
  const std::string set(772, 'x');
  fake.WriteHostFile("C:\\Data\\Ann.SET", set);
  auto other = Files().Open("C:\\Data\\Ann.SET", {FileAccess::ReadWrite, FileShare::None, FileCreate::OpenExisting});
  auto user = Open("Ann");
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
    ExistingProfile("Ann", "Colour=red\r\nLocked=mine\r\nPolicyKey=mine\r\nFlag=true\r\nOne=1\r\nList=u1,u2\r\n");
  }
};

// A policy lock wins over everything, even with an empty value; a group
// lock over the user's own value; each source reads its own layer, lists
// too (an empty own list falls through to the group's); speeds are shown in
// the user's unit.
TEST_F(TUserSettingsTest, LocksAndSourcesPickTheirLayer) {
  using namespace setting_source;
  Policy("PolicyKey.locked=1\r\nPol=policy\r\nColour=blue\r\nList.locked=1\r\nwpm_length=4\r\n");
  TUser user("Ann", -1, 2, true, &analysis);
  ASSERT_NE(user.Group, nullptr);
  const std::tuple<const char*, int, const char*> reads[] = {
      {"PolicyKey", kOwn, ""},   {"PolicyKey", kInherited, ""}, {"Locked", kOwn, "group"},
      {"Colour", kOwn, "red"},   {"Colour", kInherited, "red"}, {"Colour", kGroup, "green"},
      {"Colour", 7, ""},         {"Pol", kOwn, ""},             {"Pol", kInherited, "policy"},
      {"Speed", kInherited, "300"}, {"Speed", kOwn, ""}};
  for (const auto& [name, source, value] : reads) EXPECT_EQ(user.GetSetting(name, source), value) << name << source;
  EXPECT_TRUE(user.IsLocked("PolicyKey"));
  EXPECT_TRUE(user.IsLocked("Locked"));
  EXPECT_FALSE(user.IsLocked("Colour"));
  EXPECT_EQ(user.GetSettingInteger("Speed", kInherited), 300);
  EXPECT_TRUE(user.GetSettingBool("One", kOwn));
  EXPECT_FALSE(user.GetSettingBool("Flag", kOwn));  // only "1" is true here
  EXPECT_EQ(*user.GetSettingStrings("List", kOwn), (Words{"g1", "g2"}));
  EXPECT_EQ(user.DisplaySpeed(250), 62);
  user.SetString("cpm", "1");
  EXPECT_EQ(user.DisplaySpeed(250), 250);
  ResetPolicy();
  Policy("Locked.locked=1\r\nLocked=policy\r\n");
  EXPECT_EQ(user.GetSetting("Locked", kOwn), "policy");
  EXPECT_EQ(*user.GetSettingStrings("List", kInherited), (Words{"u1", "u2"}));
  EXPECT_EQ(*user.GetSettingStrings("List", kGroup), (Words{"g1", "g2"}));
  EXPECT_TRUE(user.GetSettingStrings("Nothing", kInherited)->empty());
  user.SetString("List", "");
  EXPECT_EQ(*user.GetSettingStrings("List", kInherited), (Words{"g1", "g2"}));
}

// Without a group only the user's own values count, and the policy's lock
// does not apply; with a group, reading without a policy is an error.
TEST_F(TUserSettingsTest, GroupAndPolicyMustBothBeThereForLayers) {
  TUser grouped("Ann", -1, 2, true, &analysis);
  ResetPolicy();
  EXPECT_THROW(grouped.GetSetting("Colour", setting_source::kOwn), EStrevoError);
  EXPECT_THROW(grouped.IsLocked("List"), EStrevoError);
  fake.files.RemoveFile("C:\\Root\\0.grp");
  Policy("Colour.locked=1\r\nColour=blue\r\n");
  TUser user("Ann", -1, 4, true, &analysis);
  EXPECT_EQ(user.Group, nullptr);
  EXPECT_EQ(user.GetSetting("Colour", setting_source::kInherited), "red");
  EXPECT_EQ(user.GetSetting("Colour", setting_source::kGroup), "");
  EXPECT_FALSE(user.IsLocked("Colour"));
}

// ============================================================== groups ==

// A group without a file moves the user to group 0, a negative one reads as
// 0, and without any group file there is no group; a binary group file
// locks nothing.
TEST_F(TUserTest, GroupsAreReadFromTheirFiles) {
  ExistingProfile("Ann", "UserGroupID=-4\r\nColour=red\r\n");
  EXPECT_EQ(Open("Ann", true)->Group, nullptr);
  std::string junk;
  for (int i = 0; i < 3000; ++i) junk += static_cast<char>((i * 53 + 1) & 0xFF);
  fake.WriteHostFile("C:\\Root\\0.grp", junk);
  auto user = Open("Ann", true);
  ASSERT_NE(user->Group, nullptr);
  EXPECT_EQ(user->GetSetting("Colour", setting_source::kOwn), "red");
  user.reset();
  fake.WriteHostFile("C:\\Root\\0.grp", "Colour=green\r\n");
  fake.WriteHostFile("C:\\Root\\3.grp", "Colour=teal\r\n");
  ExistingProfile("Ann", "UserGroupID=3\r\n");
  user = Open("Ann", true);
  EXPECT_EQ(user->UserGroup(), 3);
  EXPECT_EQ(user->Group->GetString("Colour"), "teal");
  user->SetUserGroup(0);
  user->LoadGroup();
  EXPECT_EQ(user->Group->GetString("Colour"), "green");
  user.reset();
  ExistingProfile("Ann", "UserGroupID=7\r\n");
  user = Open("Ann", true);
  EXPECT_EQ(user->UserGroup(), 0);
  ASSERT_NE(user->Group, nullptr);
  EXPECT_EQ(user->Group->GetString("Colour"), "green");
  user->SaveStatistics();
  EXPECT_TRUE(Contains(kAnnProfile, "UserGroupID=0\r\n"));
}

// ============================================================ passwords ==

// The digest is the first seven bytes of RIPEMD-160 in hexadecimal, of the
// 8-bit characters as they are; a hand-written lower-case digest matches;
// an empty password succeeds only when none is stored.
TEST_F(TUserTest, PasswordIsStoredAsItsDigestAndChecked) {
  EXPECT_EQ(PasswordDigest(""), "9C1185A5C5E9FC");
  EXPECT_EQ(PasswordDigest("\xE9t\xE9"), "50A4E99FCEF5D0");
  auto user = CreateUser("Ann", &analysis);
  EXPECT_TRUE(user->CheckPassword(""));
  EXPECT_FALSE(user->CheckPassword("x"));
  user->SetPassword("abc");
  EXPECT_EQ(user->GetString("Password"), "8EB208F7E05D98");
  EXPECT_TRUE(user->CheckPassword("abc"));
  for (const char* wrong : {"abd", "ABC", ""}) EXPECT_FALSE(user->CheckPassword(wrong)) << wrong;
  user->SetString("Password", "8eb208f7e05d98");
  EXPECT_TRUE(user->CheckPassword("abc"));
  user->SetPassword("");
  EXPECT_EQ(user->GetString("Password"), "");
  EXPECT_TRUE(user->CheckPassword(""));
}

}  // namespace
}  // namespace strevo
