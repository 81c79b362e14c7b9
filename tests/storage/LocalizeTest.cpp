// The string table: string files, the English fill, the language list, the
// process-wide language choice, and the installation's own language file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "storage/Exceptions.h"
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
  std::string RaisedBy(TLocalize& table, const std::string& name, int mode) {
    try {
      table.ParseStringFile(name, mode);
    } catch (const EStrevoError& e) {
      return e.what();
    }
    return "(nothing raised)";
  }

  TLocalize table;
};

// ------------------------------------------------------------ string files --

// Each string file read alone: the table's size and what some ids hold
// ("\n" is a line break, "\+" a blank; an id no row sets holds the NUL
// marker, one outside the table the missing text).
TEST_F(TLocalizeTest, StringFilesAreReadRowByRow) {
  struct Case {
    std::string bytes;
    int32_t count;
    std::vector<std::pair<int, std::string>> texts;
  };
  const Case cases[] = {
      // An empty last row takes the size from the row before.
      {"0=language.eng\r\n5=five\r\n\r\n", 6, {{5, "five"}, {3, kUnsetString}, {6, kMissingString}, {-1, kMissingString}}},
      {"0=language.eng\r\n5=a\\+b\r\n12=Line one\\nLine two\r\n13=\\\\n and \\+\\+\r\n", 14,
       {{12, "Line one\rLine two"}, {5, "a b"}, {13, "\\\r and   "}}},
      // Comments and rows without a number are ignored.
      {"/ comment 3=no\r\n" + std::string("\0004=no\r\n", 7) + "x=no\r\n 2 =two\r\nnumber\r\n0=language.eng\r\n4=four\r\n",
       5, {{2, "two"}, {3, kUnsetString}, {4, "four"}}},
      // Ids outside the table are ignored.
      {"0=language.eng\r\n900=late\r\n-1=negative\r\n5=five\r\n", 6, {{5, "five"}, {4, kUnsetString}}},
  };
  for (const Case& c : cases) {
    File("language.eng", c.bytes);
    TLocalize read;
    EXPECT_EQ(read.ParseStringFile("language.eng", 1), 0) << c.bytes;
    EXPECT_EQ(read.Count(), c.count) << c.bytes;
    for (const auto& [id, text] : c.texts) EXPECT_EQ(read.GetString(id), text) << id << " in " << c.bytes;
  }
}

// The English fill sets only the ids the first file left unset (an empty
// text is a text) and sizes the table to the English file.
TEST_F(TLocalizeTest, EnglishFillResizesTheTableToTheEnglishFile) {
  File("language.ger", "0=language.ger\r\n3=drei\r\n7=\r\n20=zwanzig\r\n");
  File("language.eng", "0=language.eng\r\n3=three\r\n7=seven\r\n8=eight\r\n10=ten\r\n");
  table.ParseStringFile("language.ger", 1);
  ASSERT_EQ(table.Count(), 21);
  table.ParseStringFile("language.eng", 3);
  EXPECT_EQ(table.PreviousCount, 21);
  EXPECT_EQ(table.Count(), 11);
  EXPECT_EQ(table.GetString(20), kMissingString) << "ids above the English last id are dropped";
  EXPECT_EQ(table.GetString(0), "language.ger");
  EXPECT_EQ(table.GetString(3), "drei");
  EXPECT_EQ(table.GetString(7), "");
  EXPECT_EQ(table.GetString(8), "eight");
  File("language.fra", "0=language.fra\r\n2=deux\r\n");
  TLocalize grown;
  grown.ParseStringFile("language.fra", 1);
  grown.ParseStringFile("language.eng", 3);
  EXPECT_EQ(grown.Count(), 11);
  EXPECT_EQ(grown.GetString(3), "three") << "new entries are filled";
}

// A main file may not repeat an id nor hold fewer than two entries; the
// supplement may repeat ids and, too, ignores those outside the table.
TEST_F(TLocalizeTest, FaultyStringFilesRaiseAndTheSupplementIsLenient) {
  File("language.eng", "0=language.eng\r\n4=a\r\n4=b\r\n");
  EXPECT_EQ(RaisedBy(table, "language.eng", 1), "Duplicate string resource with id #4 in language.eng");
  for (const char* bytes : {"0=language.eng\r\n", "", "\r\n", "0=language.eng\r\nnot a number\r\n",
                            "0=language.eng\r\n-5=x\r\n", "0=language.eng\r\n99999999=huge\r\n"}) {
    File("language.eng", bytes);
    EXPECT_EQ(RaisedBy(table, "language.eng", 1), "The last rows of the string resource file not valid in language.eng")
        << bytes;
  }
  File("language.eng", "0=language.eng\r\n5=five\r\n");
  table.ParseStringFile("language.eng", 1);
  File("language.icr", "-3=x\r\n4=x\r\n4=y\r\n99999=z\r\n5=FIVE\r\n");
  EXPECT_EQ(RaisedBy(table, "language.icr", 2), "(nothing raised)");
  EXPECT_EQ(table.Count(), 6);
  EXPECT_EQ(table.GetString(4), "y");
  EXPECT_EQ(table.GetString(5), "FIVE");
}

// The result says whether string 0 names the file; a missing main file is
// told, a missing supplement is not.
TEST_F(TLocalizeTest, ResultSaysWhetherStringZeroNamesTheFile) {
  File("language.eng", "0=Language.ENG\r\n1=x\r\n");
  EXPECT_EQ(table.ParseStringFile("language.eng", 1), 0);
  for (const char* bytes : {"0=language.fra\r\n1=x\r\n", "1=x\r\n2=y\r\n", "0=\r\n1=x\r\n"}) {
    File("language.ger", bytes);
    EXPECT_EQ(table.ParseStringFile("language.ger", 1), -1) << bytes;
  }
  EXPECT_EQ(table.ParseStringFile("language.nor", 1), -1);
  table.ParseStringFile("language.icr", 2);
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.dialogs.shown[0].text, "language.nor not found");
  EXPECT_EQ(fake.dialogs.shown[0].caption, "C:\\Strevo\\strevo.exe");
  EXPECT_EQ(fake.dialogs.shown[0].flags, mb::kIconError);
}

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

// Without a list English is loaded; a list's first two keys are not
// languages; the list is not held open after loading.
TEST_F(TLocalizeTest, TheLanguageListNamesTheLanguages) {
  File("language.eng", "0=language.eng\r\n1=Quorvel\r\n2=two\r\n3=three\r\n");
  EXPECT_EQ(table.Load("language", 1), 0);
  EXPECT_EQ(table.Languages, (std::vector<std::string>{"English=ENG"}));
  EXPECT_EQ(table.LanguageNames, (std::vector<std::string>{"English"}));
  EXPECT_EQ(table.GetString(1), "Quorvel");
  EXPECT_EQ(SelectedLanguageCode(), "ENG");
  ResetSelectedLanguageCode();
  File("QVLangs.ini", "language=GER\r\ndescription=x\r\nEnglish=ENG\r\nDeutsch=GER\r\n");
  File("language.ger", "0=language.ger\r\n1=Quorvel DE\r\n3=drei\r\n");
  TLocalize german;
  EXPECT_EQ(german.Load("language", 1), 0);
  EXPECT_EQ(german.Languages, (std::vector<std::string>{"English=ENG", "Deutsch=GER"}));
  EXPECT_EQ(german.LanguageNames, (std::vector<std::string>{"English", "Deutsch"}));
  EXPECT_EQ(german.GetLanguageCode(1), "GER");
  EXPECT_EQ(german.GetLanguageCode(2), "");
  EXPECT_EQ(german.GetString(2), "two") << "English fill";
  EXPECT_EQ(german.GetString(3), "drei");
  EXPECT_TRUE(Files().Open("C:\\QVLangs.ini", {FileAccess::ReadWrite, FileShare::None, FileCreate::OpenExisting}));
}

// The first load fixes the language for the process; a missing language
// file falls back to the first installed language; an English file that
// names another language, or none at all, gives -1.
TEST_F(TLocalizeTest, FirstLoadFixesTheLanguageForTheProcess) {
  File("QVLangs.ini", "language=FRA\r\nd=x\r\nEnglish=ENG\r\nFrancais=FRA\r\n");
  File("language.eng", "0=language.eng\r\n1=Quorvel\r\n");
  File("language.ger", "0=language.ger\r\n1=x\r\n");
  EXPECT_EQ(table.Load("language", 1), 0);
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.dialogs.shown[0].text, "language.FRA not found");
  EXPECT_EQ(table.GetString(0), "language.eng");
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

// The supplement overwrites texts but never changes which file is loaded,
// even when it names itself in row 0 or leaves it empty.
TEST_F(TLocalizeTest, SupplementOverwritesTextsButNotTheLoadedFile) {
  File("QVLangs.ini", "language=GER\r\nd=x\r\nDeutsch=GER\r\n");
  File("language.ger", "0=language.ger\r\n1=eins\r\n2=zwei\r\n");
  File("language.eng", "0=language.eng\r\n1=one\r\n2=two\r\n3=three\r\n");
  for (const char* supplement : {"0=language.icr\r\n2=ICR\r\n", "0=\r\n2=ICR\r\n"}) {
    File("language.icr", supplement);
    TLocalize loaded;
    EXPECT_EQ(loaded.Load("language", 1), 0);
    EXPECT_EQ(loaded.GetString(0), "language.ger") << supplement;
    EXPECT_EQ(loaded.GetString(1), "eins");
    EXPECT_EQ(loaded.GetString(2), "ICR");
    EXPECT_EQ(loaded.GetString(3), "three");
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
