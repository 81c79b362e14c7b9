// Resolution of RootPath and DatabasePath from "QVNPath.ini", the refusals
// of broken installations, and the reader of the ini file itself.
#include <gtest/gtest.h>

#include <random>

#include "platform/Application.h"
#include "storage/IniFile.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

class ProgramSettingsTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    Application().Reset();
    ProgramSettings.reset();
    Localize().Clear();
    Localize().Strings.assign(365, kUnsetString);
    Localize().Strings[1] = "Quorvel";
    for (int id = 358; id <= 364; ++id) Localize().Strings[static_cast<size_t>(id)] = "<" + std::to_string(id) + ">";
    fake.WriteHostFile("C:\\Strevo\\policy.dyn", "");
    fake.WriteHostFile("C:\\Strevo\\Database\\.keep", "");
  }
  void TearDown() override {
    Localize().Clear();
    Application().Reset();
  }

  void PathFile(const std::string& keys) { fake.WriteHostFile("C:\\Strevo\\QVNPath.ini", "[Path]\r\n" + keys); }
  std::unique_ptr<TProgramSettings> Create() { return TProgramSettings::Create(""); }
  bool Stopped() const { return Application().Terminated(); }
  std::string OnlyMessage() {
    EXPECT_EQ(fake.dialogs.shown.size(), 1u);
    return fake.dialogs.shown.empty() ? std::string() : fake.dialogs.shown[0].text;
  }
};

TEST_F(ProgramSettingsTest, WithoutPathFileEverythingLivesInTheProgramFolder) {
  auto settings = Create();
  EXPECT_EQ(settings->RootPath, "C:\\Strevo\\");
  EXPECT_EQ(settings->DatabasePath, "C:\\Strevo\\Database\\");
  EXPECT_TRUE(fake.dialogs.shown.empty());
  EXPECT_FALSE(Stopped());
  EXPECT_EQ(settings->PathIni, nullptr) << "the path file is let go after resolving";
}

TEST_F(ProgramSettingsTest, DataDirArgumentIsWherePathFileIsSearched) {
  fake.WriteHostFile("C:\\Other\\policy.dyn", "");
  fake.WriteHostFile("C:\\Other\\Database\\.keep", "");
  PathFile("DataPath=C:\\Ignored\r\n");  // in the program folder: not read
  auto settings = TProgramSettings::Create("C:\\Other");
  EXPECT_EQ(settings->RootPath, "C:\\Other\\");
  EXPECT_EQ(settings->DatabasePath, "C:\\Other\\Database\\");
}

TEST_F(ProgramSettingsTest, DataPathWithEnvironmentVariableIsExpanded) {
  fake.system.environment["QVDATA"] = "C:\\Shared";
  fake.WriteHostFile("C:\\Shared\\Data\\Policy.dyn", "");
  fake.WriteHostFile("C:\\Shared\\Data\\Database\\.keep", "");
  PathFile("DataPath=%QVDATA%\\Data\r\n");
  auto settings = Create();
  EXPECT_EQ(settings->RootPath, "C:\\Shared\\Data\\");
  EXPECT_EQ(settings->DatabasePath, "C:\\Shared\\Data\\Database\\");
  EXPECT_FALSE(Stopped());
}

TEST_F(ProgramSettingsTest, DataPathIsCutTo250Characters) {
  const std::string longPath = "C:\\" + std::string(300, 'd');
  PathFile("DataPath=" + longPath + "\r\n");
  auto settings = Create();
  EXPECT_EQ(settings->RootPath, longPath.substr(0, 250) + "\\");
}

TEST_F(ProgramSettingsTest, DataBaseNamesTheUserDatabaseFolderAndIsCreated) {
  PathFile("DataBase=C:\\Users\\db\r\n");
  auto settings = Create();
  EXPECT_EQ(settings->RootPath, "C:\\Strevo\\");
  EXPECT_EQ(settings->DatabasePath, "C:\\Users\\db\\");
  EXPECT_TRUE(Files().DirectoryExists("C:\\Users\\db\\"));
  EXPECT_TRUE(fake.dialogs.shown.empty());
}

TEST_F(ProgramSettingsTest, LocalAppDataWinsOverDataBase) {
  fake.system.environment["LOCALAPPDATA"] = "C:\\Users\\tester\\AppData\\Local";
  fake.WriteHostFile("C:\\Users\\tester\\AppData\\Local\\.keep", "");
  PathFile("DataBase=C:\\Users\\db\r\nAppData=2\r\n");
  auto settings = Create();
  EXPECT_EQ(settings->DatabasePath, "C:\\Users\\tester\\AppData\\Local\\Quorvel11\\");
  EXPECT_TRUE(Files().DirectoryExists(settings->DatabasePath));
}

TEST_F(ProgramSettingsTest, RoamingAppDataForValueOne) {
  fake.system.specialFolders[kCsidlAppData] = "C:\\Users\\tester\\AppData\\Roaming";
  PathFile("AppData=1\r\n");
  auto settings = Create();
  EXPECT_EQ(settings->DatabasePath, "C:\\Users\\tester\\AppData\\Roaming\\Quorvel11\\");
}

TEST_F(ProgramSettingsTest, UnavailableAppDataFolderLeavesTheDatabaseWhereItWas) {
  PathFile("DataBase=C:\\Users\\db\r\nAppData=1\r\n");
  EXPECT_EQ(Create()->DatabasePath, "C:\\Users\\db\\");
  // No local application-data folder in the environment: the variable stays
  // unexpanded, which is no folder.
  PathFile("DataBase=C:\\Users\\db\r\nAppData=2\r\n");
  EXPECT_EQ(Create()->DatabasePath, "C:\\Users\\db\\");
  fake.system.environment["LOCALAPPDATA"] = "AppData\\Local";  // not absolute either
  EXPECT_EQ(Create()->DatabasePath, "C:\\Users\\db\\");
}

TEST_F(ProgramSettingsTest, OtherAppDataValuesChangeNothing) {
  PathFile("AppData=3\r\n");
  auto settings = Create();
  EXPECT_EQ(settings->DatabasePath, "C:\\Strevo\\Database\\");
}

TEST_F(ProgramSettingsTest, FileSyncWithAMissingTeacherOrStudentFolderStops) {
  for (const std::string missing : {"teacher", "student"}) {
    const std::string sync = "C:\\Sync-" + missing + "\\";
    fake.WriteHostFile(sync + (missing == "teacher" ? "Student" : "Teacher") + "\\.keep", "");
    PathFile("Syncmode=file\r\nSyncInpath=" + sync + "Teacher\r\nSyncOutpath=" + sync + "Student\r\n");
    fake.dialogs.shown.clear();
    Application().Reset();
    auto settings = Create();
    EXPECT_EQ(OnlyMessage(), "Quorvel user data cannot be accessed. Please reinstall the software with a valid " +
                                 missing + " synd data path.");
    EXPECT_EQ(fake.dialogs.shown[0].caption, "<360>");
    EXPECT_EQ(fake.dialogs.shown[0].flags, mb::kIconError);
    EXPECT_TRUE(Stopped());
  }
}

TEST_F(ProgramSettingsTest, FileSyncWithBothFoldersUsesInboundAndOutbound) {
  fake.WriteHostFile("C:\\Sync\\Teacher\\.keep", "");
  fake.WriteHostFile("C:\\Sync\\Student\\.keep", "");
  fake.WriteHostFile("C:\\Db\\inbound\\policy.dyn", "");
  PathFile("Syncmode=FILE\r\nSyncInpath=C:\\Sync\\Teacher\r\nSyncOutpath=C:\\Sync\\Student\r\nDataBase=C:\\Db\r\n");
  auto settings = Create();
  EXPECT_EQ(settings->RootPath, "C:\\Db\\inbound\\");
  EXPECT_EQ(settings->DatabasePath, "C:\\Db\\outbound\\");
  EXPECT_TRUE(fake.dialogs.shown.empty());
  EXPECT_FALSE(Stopped());
}

TEST_F(ProgramSettingsTest, OtherSyncModeCreatesBothFoldersWithoutCheckingTheSyncPaths) {
  PathFile("Syncmode=share\r\nDataBase=C:\\Db\r\n");
  auto settings = Create();
  EXPECT_EQ(settings->RootPath, "C:\\Db\\inbound\\");
  EXPECT_EQ(settings->DatabasePath, "C:\\Db\\outbound\\");
  EXPECT_TRUE(Files().DirectoryExists("C:\\Db\\inbound\\"));
  EXPECT_TRUE(Files().DirectoryExists("C:\\Db\\outbound\\"));
  // The new inbound folder has no policy file yet, which stops the program.
  EXPECT_EQ(OnlyMessage(), "<361>\r<362>C:\\DB\\INBOUND\\<363>\r\r<364>");
}

TEST_F(ProgramSettingsTest, SyncInNamesBothTheInboundAndTheOutboundFolder) {
  fake.WriteHostFile("C:\\Db\\shared\\policy.dyn", "");
  PathFile("Syncmode=share\r\nDataBase=C:\\Db\\\r\nSyncIn=shared\r\n");
  auto settings = Create();
  EXPECT_EQ(settings->RootPath, "C:\\Db\\shared\\");
  EXPECT_EQ(settings->DatabasePath, "C:\\Db\\shared\\") << "every folder path ends in a backslash";
  EXPECT_TRUE(fake.dialogs.shown.empty());
}

TEST_F(ProgramSettingsTest, SyncWithoutDataBaseKeepsInboundUnderTheDataRoot) {
  fake.WriteHostFile("C:\\Strevo\\inbound\\policy.dyn", "");
  PathFile("Syncmode=share\r\n");
  auto settings = Create();
  EXPECT_EQ(settings->RootPath, "C:\\Strevo\\inbound\\");
  EXPECT_EQ(settings->DatabasePath, "C:\\Strevo\\inbound\\Database\\");
}

TEST_F(ProgramSettingsTest, MissingPolicyFileStopsEvenWhenEverythingElseIsThere) {
  Files().RemoveFile("C:\\Strevo\\policy.dyn");
  auto settings = Create();
  EXPECT_EQ(OnlyMessage(), "<361>\r<362>C:\\STREVO\\<363>\r\r<364>");
  EXPECT_EQ(fake.dialogs.shown[0].caption, "Quorvel");
  EXPECT_EQ(fake.dialogs.shown[0].flags, mb::kIconError);
  EXPECT_TRUE(Stopped());
}

TEST_F(ProgramSettingsTest, MissingDatabaseFolderIsReportedAndTheProgramGoesOn) {
  PathFile("DataPath=C:\\Data\r\n");
  fake.WriteHostFile("C:\\Data\\Policy.dyn", "");
  auto settings = Create();
  EXPECT_EQ(OnlyMessage(), "#0 (0)\n\rDatabase directory not found");
  EXPECT_EQ(fake.dialogs.shown[0].caption, "Quorvel");
  EXPECT_FALSE(Stopped());
  EXPECT_FALSE(Files().DirectoryExists("C:\\Data\\Database\\")) << "no folder is made for it";
}

TEST_F(ProgramSettingsTest, MissingDataRootStops) {
  PathFile("DataPath=C:\\Nowhere\r\n");
  auto settings = Create();
  EXPECT_EQ(settings->RootPath, "C:\\Nowhere\\");
  EXPECT_EQ(OnlyMessage(), "<358>\r<359>");
  EXPECT_EQ(fake.dialogs.shown[0].caption, "<360>");
  EXPECT_TRUE(Stopped());
  EXPECT_FALSE(Files().DirectoryExists("C:\\Nowhere\\"));
}

TEST(FolderHelpersTest, PathsAndTrailingBackslashes) {
  EXPECT_EQ(ExtractFilePath("C:\\Strevo\\strevo.exe"), "C:\\Strevo\\");
  EXPECT_EQ(ExtractFilePath("strevo.exe"), "");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(IncludeTrailingBackslash(""), "");
}

// ------------------------------------------------------------- ini reader --

class IniFileTest : public test::PlatformTest {};

TEST_F(IniFileTest, SectionsAndKeysMatchWithoutRegardToCase) {
  fake.WriteHostFile("C:\\a.ini",
                     "; comment\r\n[Other]\r\nDataPath=wrong\r\n[ path ]\r\n  DATAPATH =  C:\\Data  \r\n"
                     "Quoted=\"C:\\My Data\"\r\nEmpty=\r\nnoequals\r\nDataPath=second\r\n");
  TIniFile ini("C:\\a.ini");
  EXPECT_TRUE(ini.SectionExists("PATH"));
  EXPECT_EQ(ini.ReadString("Path", "datapath", "x"), "C:\\Data") << "the first match wins";
  EXPECT_EQ(ini.ReadString("path", "Quoted", "x"), "C:\\My Data");
  EXPECT_EQ(ini.ReadString("path", "Empty", "x"), "");
  EXPECT_EQ(ini.ReadString("path", "missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("nosection", "DataPath", "dflt"), "dflt");
  EXPECT_TRUE(ini.ValueExists("path", "EMPTY"));
}

TEST_F(IniFileTest, KeysBeforeAnySectionAndByteOrderMarkAreHandled) {
  fake.WriteHostFile("C:\\a.ini", "\xEF\xBB\xBF[Path]\nDataBase=D\rSyncIn=in");
  TIniFile ini("C:\\a.ini");
  EXPECT_EQ(ini.ReadString("Path", "DataBase", ""), "D");
  EXPECT_EQ(ini.ReadString("Path", "SyncIn", ""), "in") << "a truncated last row still counts";
  fake.WriteHostFile("C:\\b.ini", "DataPath=orphan\r\n[Path\r\nDataPath=x\r\n");
  TIniFile unclosed("C:\\b.ini");
  EXPECT_EQ(unclosed.ReadString("Path", "DataPath", ""), "x");
}

TEST_F(IniFileTest, MissingBinaryAndHugeFilesNeverCrash) {
  TIniFile missing("C:\\none.ini");
  EXPECT_EQ(missing.ReadString("Path", "DataPath", "d"), "d");

  std::mt19937 random(3);
  std::string binary(100000, '\0');
  for (char& c : binary) c = static_cast<char>(random() & 0xFF);
  fake.WriteHostFile("C:\\bin.ini", binary);
  TIniFile noise("C:\\bin.ini");
  noise.ReadString("Path", "DataPath", "d");

  std::string huge = "[Path]\r\nDataPath=" + std::string(100000, 'p') + "\r\n";
  for (int i = 0; i < 30; ++i) huge += "k" + std::to_string(i) + "=" + std::string(100000, 'v') + "\r\n";
  fake.WriteHostFile("C:\\huge.ini", huge);
  TIniFile big("C:\\huge.ini");
  EXPECT_EQ(big.ReadString("Path", "DataPath", "").size(), TIniFile::kMaxValueLength);
  EXPECT_EQ(big.ReadString("Path", "k29", "").size(), TIniFile::kMaxValueLength);
}

}  // namespace
}  // namespace strevo
