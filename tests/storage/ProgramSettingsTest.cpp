// Resolution of RootPath and DatabasePath from "QVNPath.ini" with the
// environment and the system's folders, and the ini reader's limits. The
// other installations, and the refusals of broken ones, are scenarios
// (tests/core/scenarios/InstallationTest).
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "platform/Application.h"
#include "storage/IniFile.h"
#include "storage/PrgSetup.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

class ProgramSettingsTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    Application().Reset();
    ProgramSettings.reset();
  }
  void TearDown() override { Application().Reset(); }
};

// The installations that need what a simulator script cannot give: the
// environment, the system's folders, a data-folder argument.
struct PathCase {
  const char* what;
  std::string pathFile;           // the rows under [Path]
  std::vector<std::string> made;  // files made beside the program folder's policy.dyn and Database
  std::map<std::string, std::string> environment;
  std::string root, database;
  std::string dataDir{};  // the program's data-folder argument
  std::map<int, std::string> specialFolders{};
};

TEST_F(ProgramSettingsTest, PathFileDecidesTheDataRootAndTheUserDatabase) {
  const std::string local = "C:\\Users\\tester\\AppData\\Local";
  const PathCase cases[] = {
      {"data-folder argument", "DataPath=C:\\Ignored\r\n", {"C:\\Other\\policy.dyn", "C:\\Other\\Database\\.keep"}, {},
       "C:\\Other\\", "C:\\Other\\Database\\", "C:\\Other"},
      {"variable in DataPath", "DataPath=%QVDATA%\\Data\r\n",
       {"C:\\Shared\\Data\\Policy.dyn", "C:\\Shared\\Data\\Database\\.keep"}, {{"QVDATA", "C:\\Shared"}},
       "C:\\Shared\\Data\\", "C:\\Shared\\Data\\Database\\"},
      {"AppData=2 wins over DataBase", "DataBase=C:\\Users\\db\r\nAppData=2\r\n", {local + "\\.keep"},
       {{"LOCALAPPDATA", local}}, "C:\\Strevo\\", local + "\\Quorvel11\\"},
      {"AppData=1 takes the roaming folder", "AppData=1\r\n", {}, {}, "C:\\Strevo\\",
       "C:\\Users\\tester\\AppData\\Roaming\\Quorvel11\\", "", {{kCsidlAppData, "C:\\Users\\tester\\AppData\\Roaming"}}},
      {"AppData=2 with a relative LOCALAPPDATA", "DataBase=C:\\Users\\db\r\nAppData=2\r\n", {},
       {{"LOCALAPPDATA", "AppData\\Local"}}, "C:\\Strevo\\", "C:\\Users\\db\\"},
  };
  for (const PathCase& c : cases) {
    FakePlatform machine;
    Application().Reset();
    machine.WriteHostFile("C:\\Strevo\\policy.dyn", "");
    machine.WriteHostFile("C:\\Strevo\\Database\\.keep", "");
    for (const std::string& file : c.made) machine.WriteHostFile(file, "");
    machine.WriteHostFile("C:\\Strevo\\QVNPath.ini", "[Path]\r\n" + c.pathFile);
    for (const auto& [name, value] : c.environment) machine.system.environment[name] = value;
    for (const auto& [id, folder] : c.specialFolders) machine.system.specialFolders[id] = folder;
    auto settings = TProgramSettings::Create(c.dataDir);
    EXPECT_EQ(settings->RootPath, c.root) << c.what;
    EXPECT_EQ(settings->DatabasePath, c.database) << c.what;
    EXPECT_TRUE(Files().DirectoryExists(c.database)) << c.what;
    EXPECT_FALSE(Application().Terminated()) << c.what;
    EXPECT_EQ(settings->PathIni, nullptr) << c.what << ": the path file is let go after resolving";
    EXPECT_TRUE(machine.dialogs.shown.empty()) << c.what;
  }
}

// ------------------------------------------------------------- ini reader --

class IniFileTest : public test::PlatformTest {};

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
