// The string table: the process-wide language choice, the list at the data
// root, long texts, product names and the installation's own language file.
// The rows of the language files, the English fill, the supplement and the
// faulty files are the LanguageFileTest scenarios (tests/core/scenarios).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/posix/NativeHttp.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "support/Fixture.h"
#include "support/LoopbackHttpServer.h"

namespace strevo {
namespace {

class TLocalizeTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    ResetSelectedLanguageCode();
    ProgramSettings.reset();
  }
  void TearDown() override {
    ResetSelectedLanguageCode();
    ProgramSettings.reset();
  }
  // String files live in the current folder, which is C:\ on the fake drive.
  void File(const std::string& name, const std::string& bytes) { fake.WriteHostFile("C:\\" + name, bytes); }
  TLocalize table;
};

// ------------------------------------------------------------ string files --

// Random bytes go to the language_file fuzz target.
TEST_F(TLocalizeTest, OverlongTextsAreCut) {
  // Ten thousand characters survive, longer texts are cut.
  std::string big = "0=language.big\r\n1=" + std::string(10000, 't') + "\r\n";
  for (int id = 2; id <= 40; ++id) big += std::to_string(id) + "=" + std::string(100000, 'b') + "\r\n";
  File("language.big", big);
  TLocalize large;
  EXPECT_EQ(large.ParseStringFile("language.big", 1), 0);
  EXPECT_EQ(large.GetString(1), std::string(10000, 't'));
  EXPECT_EQ(large.GetString(40).size(), 10000u);
}

// -------------------------------------------------------------------- Load --

// The first load fixes the language for the process, and lets go of the
// list; an English file that names another language, or none at all, gives
// -1. The language files themselves are the LanguageFileTest scenarios.
TEST_F(TLocalizeTest, FirstLoadFixesTheLanguageForTheProcess) {
  File("QVLangs.ini", "language=FRA\r\nd=x\r\nEnglish=ENG\r\nFrancais=FRA\r\n");
  File("language.eng", "0=language.eng\r\n1=Quorvel\r\n");
  File("language.ger", "0=language.ger\r\n1=x\r\n");
  EXPECT_EQ(table.Load("language", 1), 0);
  EXPECT_EQ(table.GetString(0), "language.eng");
  EXPECT_TRUE(Files().Open("C:\\QVLangs.ini", {FileAccess::ReadWrite, FileShare::None, FileCreate::OpenExisting}));
  ResetSelectedLanguageCode();
  File("QVLangs.ini", "language=GER\r\nd=x\r\nDeutsch=GER\r\n");
  TLocalize first;
  first.Load("language", 1);
  File("QVLangs.ini", "language=FRA\r\nd=x\r\nFrancais=FRA\r\n");
  File("language.fra", "0=language.fra\r\n1=x\r\n");
  TLocalize later;
  EXPECT_EQ(later.Load("language", 1), 0);
  EXPECT_EQ(later.GetString(0), "language.ger");
  fake.posix.RemoveFile("C:\\QVLangs.ini");
  File("language.eng", "0=language.hin\r\n1=x\r\n");
  for (int pass = 0; pass < 2; ++pass) {
    ResetSelectedLanguageCode();
    TLocalize unusable;
    EXPECT_EQ(unusable.Load("language", 1), -1) << pass;
    fake.posix.RemoveFile("C:\\language.eng");
  }
}

// RootPath as a folder, a file address or (where this build has an HTTP
// client) a web address, which is downloaded past every cache.
TEST_F(TLocalizeTest, WithProgramSettingsTheListComesFromRootPath) {
  fake.WriteHostFile("C:\\Data\\QVLangs.ini", "language=GER\r\nd=x\r\nDeutsch=GER\r\n");
  File("QVLangs.ini", "language=FRA\r\nd=x\r\nFrancais=FRA\r\n");
  File("language.ger", "0=language.ger\r\n1=x\r\n");
  test::LoopbackHttpServer server;
  std::vector<std::string> roots = {"C:\\Data\\", "file:///C:\\Data\\"};
  if (NativeHttp::Available() && server.Start()) {
    server.Serve("/qv/QVLangs.ini", test::LoopbackHttpServer::Mode::Ok, "language=GER\r\nd=x\r\nDeutsch=GER\r\n");
    roots.push_back(server.Url("/qv/"));
  }
  for (const std::string& root : roots) {
    ResetSelectedLanguageCode();
    ProgramSettings = std::make_unique<TProgramSettings>();
    ProgramSettings->RootPath = root;
    TLocalize loaded;
    EXPECT_EQ(loaded.Load("language", 1), 0) << root;
    EXPECT_EQ(loaded.Languages, (std::vector<std::string>{"Deutsch=GER"})) << root;
  }
  if (roots.size() < 3) return;
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].Header("Pragma"), "no-cache");
}

TEST_F(TLocalizeTest, ProductNamesStandInForMissingTexts) {
  EXPECT_EQ(table.GetProductString(2), "Quorvel Pro");
  EXPECT_EQ(table.GetProductString(3), kMissingString);
  fake.system.executablePath = "C:\\Pellinor\\Pellinor.exe";
  EXPECT_EQ(table.GetProductString(1), "Pellinor");
  EXPECT_EQ(table.GetProductString(2), "Pellinor 11");
  table.Strings = {"language.eng", "Own"};
  EXPECT_EQ(table.GetProductString(1), "Own");
}

// ------------------------------------------------- the installation's texts --

std::string DataFile(const std::string& name) {
  const std::filesystem::path path = std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "data" / name;
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

TEST_F(TLocalizeTest, InstalledEnglishFileHasEveryTextTheProgramUses) {
  const std::string bytes = DataFile("language.eng");
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes.find('\n'), bytes.find("\r\n") + 1) << "CR LF line ends";
  File("language.eng", bytes);
  File("QVLangs.ini", DataFile("QVLangs.ini"));
  ASSERT_EQ(table.Load("language", 1), 0);
  EXPECT_EQ(table.Languages, (std::vector<std::string>{"English=ENG"}));
  EXPECT_EQ(table.GetString(0), "language.eng");

  std::vector<int> used = {1,    2,    12,   13,   116,  126,  130,  307,  308,  312,  316,  415,  417,  418,
                           420,  421,  422,  424,  425,  470,  528,  546,  566,  631,  656,  657,  658,  722,
                           1173, 1273, 1274, 1284, 1285, 1286, 1287, 1288, 1289, 1290, 1291, 1292, 1295, 1296,
                           1330, 1333, 1334, 1365, 1462, 1473, 1674, 1675, 1676, 1677, 1678, 1679};
  const std::pair<int, int> ranges[] = {{358, 364},   {1265, 1268}, {1271, 1274}, {1281, 1282}, {1297, 1328},
                                        {1376, 1391}, {1464, 1472}, {1759, 1767}, {1775, 1781}, {1889, 1891}};
  for (const auto& [first, last] : ranges)
    for (int id = first; id <= last; ++id) used.push_back(id);
  for (int id : used) {
    const std::string text = table.GetString(id);
    EXPECT_NE(text, kUnsetString) << id;
    EXPECT_NE(text, kMissingString) << id;
    EXPECT_FALSE(text.empty()) << id;
  }
  EXPECT_NE(table.GetString(1325).find("%d"), std::string::npos);

  const std::string names = table.GetString(12);
  for (char c : std::string("azAZ09- \xE4\xC4\xF6\xD6\xE5\xC5\xE9\xF1\xDF"))
    EXPECT_NE(names.find(c), std::string::npos) << c;
  EXPECT_EQ(names.find('.'), std::string::npos);
  const std::string capitals = table.GetString(13);
  for (char c : std::string("am\xE4\xF6\xE5\xE9\xFF")) EXPECT_NE(capitals.find(c), std::string::npos) << c;
  for (char c : std::string("AM-\xC4\xDF ")) EXPECT_EQ(capitals.find(c), std::string::npos) << c;
}

}  // namespace
}  // namespace strevo
