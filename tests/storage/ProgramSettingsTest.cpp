// Resolution of RootPath and DatabasePath from "QVNPath.ini", the refusals
// of broken installations, and the reader of the ini file itself.
#include <gtest/gtest.h>

#include <map>
#include <vector>

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
};

// One installation: what lies on its drive, and where the program takes its
// data root and user database from.
struct PathCase {
  const char* what;
  std::string pathFile;                  // the rows under [Path]; none: no path file
  std::vector<std::string> made;         // files made beside the program folder's policy.dyn and Database
  std::map<std::string, std::string> environment;
  std::string root, database;
  std::string message{};  // "caption: text" of the one box shown, or none
  bool stops = false;
  bool databaseExists = true;
  std::string dataDir{};  // the program's data-folder argument
  std::map<int, std::string> specialFolders{};
};

TEST_F(ProgramSettingsTest, PathFileDecidesTheDataRootAndTheUserDatabase) {
  const std::string longPath = "C:\\" + std::string(300, 'd');
  const std::string local = "C:\\Users\\tester\\AppData\\Local";
  const PathCase cases[] = {
      {"no path file", "", {}, {}, "C:\\Strevo\\", "C:\\Strevo\\Database\\"},
      {"data-folder argument", "DataPath=C:\\Ignored\r\n", {"C:\\Other\\policy.dyn", "C:\\Other\\Database\\.keep"}, {},
       "C:\\Other\\", "C:\\Other\\Database\\", "", false, true, "C:\\Other"},
      {"variable in DataPath", "DataPath=%QVDATA%\\Data\r\n",
       {"C:\\Shared\\Data\\Policy.dyn", "C:\\Shared\\Data\\Database\\.keep"}, {{"QVDATA", "C:\\Shared"}},
       "C:\\Shared\\Data\\", "C:\\Shared\\Data\\Database\\"},
      {"DataPath cut to 250 characters", "DataPath=" + longPath + "\r\n", {}, {}, longPath.substr(0, 250) + "\\",
       longPath.substr(0, 250) + "\\Database\\", "<360>: <358>\r<359>", true, false},
      {"DataBase names the user database, made", "DataBase=C:\\Users\\db\r\n", {}, {}, "C:\\Strevo\\",
       "C:\\Users\\db\\"},
      {"AppData=2 wins over DataBase", "DataBase=C:\\Users\\db\r\nAppData=2\r\n", {local + "\\.keep"},
       {{"LOCALAPPDATA", local}}, "C:\\Strevo\\", local + "\\Quorvel11\\"},
      {"AppData=1 takes the roaming folder", "AppData=1\r\n", {}, {}, "C:\\Strevo\\",
       "C:\\Users\\tester\\AppData\\Roaming\\Quorvel11\\", "", false, true, "",
       {{kCsidlAppData, "C:\\Users\\tester\\AppData\\Roaming"}}},
      {"AppData=1 without a roaming folder", "DataBase=C:\\Users\\db\r\nAppData=1\r\n", {}, {}, "C:\\Strevo\\",
       "C:\\Users\\db\\"},
      // The variable stays unexpanded, which is no folder.
      {"AppData=2 without LOCALAPPDATA", "DataBase=C:\\Users\\db\r\nAppData=2\r\n", {}, {}, "C:\\Strevo\\",
       "C:\\Users\\db\\"},
      {"AppData=2 with a relative LOCALAPPDATA", "DataBase=C:\\Users\\db\r\nAppData=2\r\n", {},
       {{"LOCALAPPDATA", "AppData\\Local"}}, "C:\\Strevo\\", "C:\\Users\\db\\"},
      {"AppData=3", "AppData=3\r\n", {}, {}, "C:\\Strevo\\", "C:\\Strevo\\Database\\"},
      {"file sync with both folders",
       "Syncmode=FILE\r\nSyncInpath=C:\\Sync\\Teacher\r\nSyncOutpath=C:\\Sync\\Student\r\nDataBase=C:\\Db\r\n",
       {"C:\\Sync\\Teacher\\.keep", "C:\\Sync\\Student\\.keep", "C:\\Db\\inbound\\policy.dyn"}, {},
       "C:\\Db\\inbound\\", "C:\\Db\\outbound\\"},
      {"file sync without the teacher folder",
       "Syncmode=file\r\nSyncInpath=C:\\Sync\\Teacher\r\nSyncOutpath=C:\\Sync\\Student\r\n",
       {"C:\\Sync\\Student\\.keep"}, {}, "", "",
       "<360>: Quorvel user data cannot be accessed. Please reinstall the software with a valid teacher synd data "
       "path.",
       true, false},
      {"file sync without the student folder",
       "Syncmode=file\r\nSyncInpath=C:\\Sync\\Teacher\r\nSyncOutpath=C:\\Sync\\Student\r\n",
       {"C:\\Sync\\Teacher\\.keep"}, {}, "", "",
       "<360>: Quorvel user data cannot be accessed. Please reinstall the software with a valid student synd data "
       "path.",
       true, false},
      // Other sync modes make both folders without checking the sync paths;
      // the new inbound folder has no policy file, which stops the program
      // as a missing policy file in any data root does.
      {"other sync mode", "Syncmode=share\r\nDataBase=C:\\Db\r\n", {}, {}, "C:\\Db\\inbound\\", "C:\\Db\\outbound\\",
       "Quorvel: <361>\r<362>C:\\DB\\INBOUND\\<363>\r\r<364>", true},
      // Every folder path ends in a backslash.
      {"SyncIn names both folders", "Syncmode=share\r\nDataBase=C:\\Db\\\r\nSyncIn=shared\r\n",
       {"C:\\Db\\shared\\policy.dyn"}, {}, "C:\\Db\\shared\\", "C:\\Db\\shared\\"},
      {"sync without DataBase", "Syncmode=share\r\n", {"C:\\Strevo\\inbound\\policy.dyn"}, {},
       "C:\\Strevo\\inbound\\", "C:\\Strevo\\inbound\\Database\\", "Quorvel: #0 (0)\n\rDatabase directory not found",
       false, false},
      {"missing data root", "DataPath=C:\\Nowhere\r\n", {}, {}, "C:\\Nowhere\\", "C:\\Nowhere\\Database\\",
       "<360>: <358>\r<359>", true, false},
      {"missing database folder goes on", "DataPath=C:\\Data\r\n", {"C:\\Data\\Policy.dyn"}, {}, "C:\\Data\\",
       "C:\\Data\\Database\\", "Quorvel: #0 (0)\n\rDatabase directory not found", false, false},
  };
  for (const PathCase& c : cases) {
    FakePlatform machine;
    Application().Reset();
    machine.WriteHostFile("C:\\Strevo\\policy.dyn", "");
    machine.WriteHostFile("C:\\Strevo\\Database\\.keep", "");
    for (const std::string& file : c.made) machine.WriteHostFile(file, "");
    if (!c.pathFile.empty()) machine.WriteHostFile("C:\\Strevo\\QVNPath.ini", "[Path]\r\n" + c.pathFile);
    for (const auto& [name, value] : c.environment) machine.system.environment[name] = value;
    for (const auto& [id, folder] : c.specialFolders) machine.system.specialFolders[id] = folder;
    auto settings = TProgramSettings::Create(c.dataDir);
    EXPECT_EQ(settings->RootPath, c.root) << c.what;
    EXPECT_EQ(settings->DatabasePath, c.database) << c.what;
    EXPECT_EQ(Files().DirectoryExists(c.database), c.databaseExists) << c.what;
    // Text 358 says that the data root is missing: no folder is made for it.
    if (!c.root.empty()) {
      EXPECT_EQ(Files().DirectoryExists(c.root), c.message.find("<358>") == std::string::npos) << c.what;
    }
    EXPECT_EQ(Application().Terminated(), c.stops) << c.what;
    EXPECT_EQ(settings->PathIni, nullptr) << c.what << ": the path file is let go after resolving";
    if (c.message.empty()) {
      EXPECT_TRUE(machine.dialogs.shown.empty()) << c.what;
      continue;
    }
    ASSERT_EQ(machine.dialogs.shown.size(), 1u) << c.what;
    EXPECT_EQ(machine.dialogs.shown[0].caption + ": " + machine.dialogs.shown[0].text, c.message) << c.what;
    EXPECT_EQ(machine.dialogs.shown[0].flags, mb::kIconError) << c.what;
  }
}

// ------------------------------------------------------------- ini reader --

class IniFileTest : public test::PlatformTest {};

// Sections and keys match without regard to case, the first match wins;
// keys before any section, a byte-order mark, an unclosed section name and
// a last row without a line end are all read sensibly.
TEST_F(IniFileTest, SectionsAndKeysAreFoundAsTheSystemFindsThem) {
  fake.WriteHostFile("C:\\a.ini",
                     "\xEF\xBB\xBF; comment\r\nDataPath=orphan\r\n[Other]\r\nDataPath=wrong\r\n[ path ]\r\n"
                     "  DATAPATH =  C:\\Data  \r\nQuoted=\"C:\\My Data\"\r\nEmpty=\r\nnoequals\r\nDataPath=second\r\n"
                     "[Sync\r\nSyncIn=in");
  TIniFile ini("C:\\a.ini");
  EXPECT_TRUE(ini.SectionExists("PATH"));
  EXPECT_EQ(ini.ReadString("Path", "datapath", "x"), "C:\\Data");
  EXPECT_EQ(ini.ReadString("path", "Quoted", "x"), "C:\\My Data");
  EXPECT_EQ(ini.ReadString("path", "Empty", "x"), "");
  EXPECT_TRUE(ini.ValueExists("path", "EMPTY"));
  EXPECT_EQ(ini.ReadString("path", "missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("nosection", "DataPath", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("Sync", "SyncIn", ""), "in");
}

// Random bytes go to the path_file fuzz target.
TEST_F(IniFileTest, MissingAndHugeFilesNeverCrash) {
  TIniFile missing("C:\\none.ini");
  EXPECT_EQ(missing.ReadString("Path", "DataPath", "d"), "d");

  std::string huge = "[Path]\r\nDataPath=" + std::string(100000, 'p') + "\r\n";
  for (int i = 0; i < 30; ++i) huge += "k" + std::to_string(i) + "=" + std::string(100000, 'v') + "\r\n";
  fake.WriteHostFile("C:\\huge.ini", huge);
  TIniFile big("C:\\huge.ini");
  EXPECT_EQ(big.ReadString("Path", "DataPath", "").size(), 2047u);
  EXPECT_EQ(big.ReadString("Path", "k29", "").size(), 2047u);
}

}  // namespace
}  // namespace strevo
