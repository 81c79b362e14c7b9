// The user object: the name rules, opening profiles in their lock modes,
// the settings layers, groups and passwords. What the program makes of a
// user's files is in the scenarios of tests/core/scenarios (UserFilesTest,
// StatisticsFileTest).
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "analysis/UResults.h"
#include "support/StatisticsFile.h"
#include "support/UserDatabase.h"

namespace strevo {
namespace {

const char* const kAnnProfile = "C:\\Data\\Ann.usr";
const char* const kAnnStatistics = "C:\\Data\\Ann.DTA";
const std::string kUpperCase = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

using Words = std::vector<std::string>;

class TUserTest : public test::UserDatabaseTest {
 protected:
  void SetUp() override {
    UserDatabaseTest::SetUp();
    Localize().Strings[12] = kUpperCase;  // the language's own letters
    Localize().Strings[13] = "abcdefghijklmnopqrstuvwxyz\xE5\xE4\xF6";
    Localize().Strings[528] = "The user file cannot be opened.";
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
// or dots into a file base; device names with other digits are usable, with
// superscript digits not. Users named so, and the names refused, are
// UserFilesTest scenarios.
TEST_F(TUserTest, FileBasesOfPathsAndDeviceNames) {
  Localize().Strings[12] = kUpperCase + "\\/:.*?\"<>|\t";
  EXPECT_EQ(FileBaseName("..\\..\\Windows\\evil"), "Windowsevil");
  EXPECT_EQ(FileBaseName("\\\\server\\share\\ann"), "Servershareann");
  EXPECT_EQ(FileBaseName(std::string("ann\0x", 5)), "Annx");
  Localize().Strings[12] = kUpperCase;
  for (const char* name : {"Console", "COM10", "LPT0", "Con Air", "nul1"}) EXPECT_TRUE(IsUsableFileBase(FileBaseName(name))) << name;
  EXPECT_FALSE(IsUsableFileBase("COM\xB9"));  // superscript digits name the same devices
  EXPECT_FALSE(IsUsableFileBase("Lpt\xB3"));
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

// A profile of another user, a name in other capitals: the UserFilesTest
// scenarios.
TEST_F(TUserTest, OpeningFindsOnlyAProfileInTheLockModeAsked) {
  EXPECT_EQ(Open("Ann"), nullptr);
  EXPECT_EQ(Open(""), nullptr);
  ExistingProfile("Ann");
  EXPECT_EQ(OpenFailure("Eve", 3), "Internal lockmode error in user class");
  EXPECT_FALSE(Exists("C:\\Data\\Eve.usr"));
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

// =========================================================== statistics ==

// The statistics file's versions, limits and failures are the
// StatisticsFileTest scenarios. An open that skips the statistics (the
// report's second try) loads no word and leaves the file as it was.
TEST_F(TUserTest, OpenThatSkipsTheStatisticsNeitherReadsNorWritesThem) {
  ExistingProfile("Ann");
  const std::string bytes = test::StatisticsHeader(110) + std::string(2 * 1338, '\0') +
                            test::WordBlock({{"alpha", 3, {{1, 2}}}}, "Data\\Ann.DTA");
  fake.WriteHostFile(kAnnStatistics, bytes);
  TUser skipping("Ann", -1, 2, true, &analysis);
  EXPECT_TRUE(analysis.Words.Entry(1).Empty());
  EXPECT_EQ(Applications(), nullptr);
  skipping.SetString("NotifyWhenBreak", "0");
  EXPECT_TRUE(skipping.SaveStatistics());
  EXPECT_EQ(Read(kAnnStatistics), bytes);
  EXPECT_TRUE(Contains(kAnnProfile, "NotifyWhenBreak=0\r\n"));
}

// ============================================== monitored applications ==

// The next user's list is loaded before the previous user is released,
// and its atoms go with it. A new user's list and a list that cannot be
// read are the UserFilesTest scenarios.
TEST_F(TUserTest, ApplicationListsComeAndGoWithTheirUsers) {
  EXPECT_EQ(Applications(), nullptr);
  CurrentUser = CreateUser("Ann", &analysis);
  ASSERT_NE(Applications(), nullptr);
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

// A negative group reads as 0, and without any group file there is no
// group; a binary group file locks nothing. A group without its file moves
// the user to group 0: a UserFilesTest scenario.
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
