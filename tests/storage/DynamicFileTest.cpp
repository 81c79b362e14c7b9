// The name=value store: open modes and sharing, lazy loading, the file
// format, typed access, read-only stores, safe saving and hostile input. The
// format as the program's files keep it, failed saves, a file that cannot be
// read and what a stopped save leaves are the SettingsFileTest scenarios
// (tests/core/scenarios).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <random>

#include "platform/posix/NativeHttp.h"
#include "storage/DynamicFile.h"
#include "storage/Exceptions.h"
#include "support/Fixture.h"
#include "support/LoopbackHttpServer.h"

namespace strevo {
namespace {

using test::LoopbackHttpServer;

class TDynamicFileTest : public test::PlatformTest {
 protected:
  const std::string path = "C:\\Data\\ws.wk10";

  void SetUp() override { fake.WriteHostFile("C:\\Data\\.keep", ""); }

  void Write(const std::string& bytes) { fake.WriteHostFile(path, bytes); }
  std::string Read() { return fake.ReadHostFile(path); }
  bool Exists(const std::string& p) { return Files().FileExists(p); }
  // The value the store gives for name (empty when it has none).
  static std::string Value(TDynamicFile& store, const std::string& name) {
    std::string value;
    store.GetString(name, value);
    return value;
  }
};

// ------------------------------------------------------------- open modes --

// Writable modes create a missing file empty; read-only modes on a missing
// file and modes outside the table fail, even on an existing file.
TEST_F(TDynamicFileTest, OpenModesOnMissingAndExistingFiles) {
  for (int32_t mode : {2, 1, 0, -1}) {
    const std::string name = "C:\\Data\\new" + std::to_string(mode + 10) + ".usr";
    TDynamicFile store;
    EXPECT_EQ(store.Open(name, mode), 1) << mode;
    EXPECT_FALSE(store.ReadOnly());
    EXPECT_TRUE(store.Names().empty());
    store.Close();
    EXPECT_TRUE(Exists(name)) << mode;
  }
  for (int32_t mode : {-2, -3, -4, 4, 7, -5, -100}) {
    if (mode == 4) Write("a=1\r\n");
    TDynamicFile store;
    EXPECT_EQ(store.Open(path, mode), -1) << mode;
    EXPECT_EQ(store.State(), 2);
    EXPECT_FALSE(store.IsOpen());
    EXPECT_EQ(Exists(path), mode > 0 || mode < -4) << mode;
  }
}

// What a second store may do while the first holds the file in each mode;
// a read-once store holds it only until its first load.
TEST_F(TDynamicFileTest, SharingFollowsTheModeTable) {
  Write("a=1\r\n");
  struct Case {
    int32_t held;
    bool readerAllowed;  // a second open in mode -3 (read, full sharing)
    bool writerAllowed;  // a second open in mode 1 (read-write, full sharing)
  };
  const Case cases[] = {
      {2, true, false},    // others may read
      {1, true, true},     // full sharing
      {0, false, false},   // compatibility sharing admits nobody
      {-1, false, false},  // no sharing
      {-2, true, false},   // others may read
      {-3, true, true},    // full sharing
  };
  for (const Case& c : cases) {
    TDynamicFile first;
    ASSERT_EQ(first.Open(path, c.held), 1) << c.held;
    TDynamicFile reader, writer;
    EXPECT_EQ(reader.Open(path, -3) == 1, c.readerAllowed) << c.held;
    reader.Close();
    EXPECT_EQ(writer.Open(path, 1) == 1, c.writerAllowed) << c.held;
  }
  TDynamicFile once;
  ASSERT_EQ(once.Open(path, -4), 1);
  TDynamicFile exclusive;
  EXPECT_EQ(exclusive.Open(path, -1), -1) << "held until loaded";
  std::string value;
  EXPECT_EQ(once.GetString("a", value), 1);
  EXPECT_EQ(exclusive.Open(path, -1), 1) << "released after the load";
  EXPECT_EQ(Value(once, "a"), "1") << "lines stay readable";
}

TEST_F(TDynamicFileTest, ReopeningAnOpenStoreSavesTheFirstFile) {
  TDynamicFile store;
  ASSERT_EQ(store.Open(path, 2), 1);
  store.SetString("a", "1");
  ASSERT_EQ(store.Open("C:\\Data\\other.usr", 2), 1);
  EXPECT_EQ(Read(), "a=1\r\n");
  EXPECT_EQ(Value(store, "a"), "") << "the second file starts empty";
}

// ------------------------------------------------------------ lazy loading --

// A store without a file raises on load and reports -1 on access; a store
// with one reads it at the first access, not at the open.
TEST_F(TDynamicFileTest, FileIsReadAtFirstAccessAndWithoutOneAccessFails) {
  TDynamicFile store;
  EXPECT_THROW(store.EnsureLoaded(), EStrevoError);
  TDynamicFile failed;
  failed.Open(path, -3);
  EXPECT_THROW(failed.EnsureLoaded(), EStrevoError);
  std::string text = "x";
  int32_t number = 9;
  EXPECT_EQ(store.GetString("a", text), -1);
  EXPECT_EQ(text, "");
  EXPECT_EQ(store.GetInteger("a", number), -1);
  EXPECT_EQ(number, 0);
  EXPECT_EQ(store.SetString("a", "1"), -1);
  EXPECT_FALSE(store.Modified());
  EXPECT_TRUE(store.Names().empty());
  Write("a=old\r\n");
  ASSERT_EQ(store.Open(path, 1), 1);
  EXPECT_FALSE(store.Loaded());
  Write("a=new\r\n");
  EXPECT_EQ(Value(store, "a"), "new");
}

// ---------------------------------------------------------------- format --

// Line ends, lines without "=", the first spelling of a name and the "=" in
// a value are the SettingsFileTest scenarios (tests/core/scenarios). Here:
// accented names match without regard to case, the empty string removes an
// entry, a line break in a value becomes blanks, and nothing reaches the
// disk before the save.
TEST_F(TDynamicFileTest, ValuesAreSetTheWayTheFileKeepsThem) {
  Write("\xC4pfel=red\r\ngone=1\r\n");
  TDynamicFile store;
  ASSERT_EQ(store.Open(path, 2), 1);
  store.SetString("\xE4PFEL", "green");
  store.SetString("SelectedUser.ann", "Ann\r\nPassword=");
  EXPECT_EQ(store.SetString("gone", ""), 1);
  std::string value;
  EXPECT_EQ(store.GetString("gone", value), 0);
  EXPECT_TRUE(store.Modified());
  EXPECT_EQ(Read(), "\xC4pfel=red\r\ngone=1\r\n");
  store.Save();
  EXPECT_FALSE(store.Modified());
  EXPECT_EQ(Read(), "\xC4pfel=green\r\nSelectedUser.ann=Ann  Password=\r\n");
  EXPECT_FALSE(Exists(TDynamicFile::SiblingName(path)));
}

// ---------------------------------------------------------- typed values --

// Integer text that is no number reads as 0 and still counts as found; 64-bit
// and float text that is no number reports -1; floats are read with a point
// or a comma. How 64-bit numbers and floats are written is a UserFilesTest
// scenario.
TEST_F(TDynamicFileTest, TypedValuesAreReadOrRefused) {
  Write("n=12\r\nbad=twelve\r\nspaced= 7 \r\nbig=lots\r\nf=1.5.5\r\ncomma=2,5\r\n");
  TDynamicFile store;
  ASSERT_EQ(store.Open(path, 2), 1);
  for (const auto& [name, expected] : {std::pair{"n", 12}, {"bad", 0}, {"spaced", 7}}) {
    int32_t value = -1;
    EXPECT_EQ(store.GetInteger(name, value), 1) << name;
    EXPECT_EQ(value, expected) << name;
  }
  int64_t big = 1;
  float f = 1;
  EXPECT_EQ(store.GetInt64("big", big), -1);
  EXPECT_EQ(big, 0);
  EXPECT_EQ(store.GetFloat("f", f), -1);
  EXPECT_EQ(f, 0.0f);
  EXPECT_EQ(store.GetFloat("comma", f), 1);
  EXPECT_FLOAT_EQ(f, 2.5f);
}

TEST_F(TDynamicFileTest, ListsTravelAsCommaText) {
  TDynamicFile store;
  ASSERT_EQ(store.Open(path, 2), 1);
  const std::vector<std::string> apps = {"notepad.exe", "Microsoft Word", "a,b", "say \"hi\"", "", "h\tI", "\xE4\xF6"};
  store.SetStrings("Apps", apps);
  store.Close();
  EXPECT_EQ(Read(), "Apps=notepad.exe,\"Microsoft Word\",\"a,b\",\"say \"\"hi\"\"\",\"\",\"h\tI\",\xE4\xF6\r\n");
  ASSERT_EQ(store.Open(path, -3), 1);
  std::unique_ptr<std::vector<std::string>> list;
  EXPECT_EQ(store.GetStrings("Apps", list), 1);
  ASSERT_TRUE(list) << "the list is created when the caller passes none";
  EXPECT_EQ(*list, apps);
  EXPECT_EQ(store.GetStrings("missing", list), 0);
  EXPECT_TRUE(list->empty()) << "a missing name clears the list";
}

// Blanks and NULs separate unquoted items; quotes only where needed.
TEST(CommaTextTest, ReadsAndWritesTheWayTheClassLibraryDoes) {
  using List = std::vector<std::string>;
  EXPECT_EQ(FromCommaText("a b,,c,"), (List{"a", "b", "", "c", ""}));
  EXPECT_EQ(FromCommaText(",a"), (List{"", "a"}));
  EXPECT_EQ(FromCommaText("  \"x \"\"y\"\"\" , z "), (List{"x \"y\"", "z"}));
  EXPECT_EQ(FromCommaText("\"unterminated"), List{"unterminated"});
  EXPECT_TRUE(FromCommaText("").empty());
  EXPECT_EQ(FromCommaText(std::string("a\0b", 3)).size(), 2u);
  EXPECT_EQ(ToCommaText({}), "");
}

// -------------------------------------------------------- read-only stores --

// Mode 0 (compatibility) counts its change as pending but cannot write either.
TEST_F(TDynamicFileTest, ReadOnlyAndCompatibilityStoresNeverWriteEvenWhenChanged) {
  for (int32_t mode : {-2, -3, -4, 0}) {
    Write("a=1\n");
    TDynamicFile store;
    ASSERT_EQ(store.Open(path, mode), 1);
    EXPECT_EQ(store.SetString("a", "2"), 1);
    EXPECT_EQ(store.SetString("b", "3"), 1);
    EXPECT_EQ(store.Modified(), mode == 0) << mode;
    EXPECT_EQ(Value(store, "a"), "2") << "the change is visible in memory";
    store.Save();
    store.Close();
    EXPECT_EQ(Read(), "a=1\n") << mode;
    EXPECT_FALSE(Exists(TDynamicFile::SiblingName(path)));
  }
}

// ------------------------------------------------------------ safe saving --

// A copy that cannot be written leaves the file as it was (a SettingsFileTest
// scenario) and the change pending for the next save.
TEST_F(TDynamicFileTest, AFailedSaveKeepsTheChangeForTheNext) {
  Write("a=1\r\nb=2\r\n");
  TDynamicFile store;
  ASSERT_EQ(store.Open(path, 2), 1);
  store.SetString("a", "changed");
  fake.files.Add({FileFault::FailWrite, "ws.wk10", 0});
  store.Save();
  EXPECT_TRUE(store.Modified());
  fake.files.ClearFaults();
  store.Save();
  EXPECT_EQ(Read(), "a=changed\r\nb=2\r\n");
}

// A save stopped before its rewrite began leaves the file older than its
// complete copy: a writable open puts the copy in its place and removes a
// partial copy (the save at the end of a run would remove it too), a
// read-only one reads the copy and repairs nothing. What other stops leave
// is in the SettingsFileTest scenarios.
TEST_F(TDynamicFileTest, AnOlderFileIsRestoredFromItsCopyButAReaderRepairsNothing) {
  const std::string sibling = TDynamicFile::SiblingName(path);
  Write("a=old\r\n");
  fake.WriteHostFile(sibling, "a=new\r\n");
  const std::filesystem::path host = fake.HostPath(path);
  std::filesystem::last_write_time(host, std::filesystem::last_write_time(host) - std::chrono::seconds(60));
  TDynamicFile reader;
  ASSERT_EQ(reader.Open(path, -3), 1);
  EXPECT_EQ(Value(reader, "a"), "new");
  reader.Close();
  EXPECT_EQ(Read(), "a=old\r\n");
  fake.WriteHostFile(sibling + ".tmp", "a=ne");
  TDynamicFile store;
  ASSERT_EQ(store.Open(path, 2), 1);
  EXPECT_EQ(Read(), "a=new\r\n");
  EXPECT_FALSE(Exists(sibling));
  EXPECT_FALSE(Exists(sibling + ".tmp"));
}

// --------------------------------------------------------------- bad input --

// Random bytes load and are not rewritten by reading (nor would another
// tool's line ends be); megabytes of long lines load and save.
TEST_F(TDynamicFileTest, BinaryAndHugeFilesLoad) {
  std::mt19937 random(7);
  std::string bytes(64 * 1024, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  Write(bytes);
  {
    TDynamicFile store;
    ASSERT_EQ(store.Open(path, 2), 1);
    std::string value;
    EXPECT_GE(store.GetString("anything", value), 0);
  }
  EXPECT_EQ(Read(), bytes);
  bytes.clear();
  const std::string longValue(100000, 'v');
  for (int i = 0; i < 40; ++i) bytes += "key" + std::to_string(i) + "=" + longValue + "\r\n";
  Write(bytes);
  TDynamicFile store;
  ASSERT_EQ(store.Open(path, 2), 1);
  std::string value;
  EXPECT_EQ(store.GetString("KEY39", value), 1);
  EXPECT_EQ(value, longValue);
  store.SetString("key0", "short");
  store.Close();
  EXPECT_EQ(Read().size(), bytes.size() - longValue.size() + 5);
}

// ----------------------------------------------------------------- addresses --

TEST_F(TDynamicFileTest, FileAddressOrPlainPathOpensTheLocalFileReadOnly) {
  Write("language=ENG\r\n");
  for (const std::string& address : {"file:///" + path, path}) {
    TDynamicFile store;
    ASSERT_EQ(store.Open(address, dynamic_mode::Address), 1) << address;
    EXPECT_TRUE(store.ReadOnly());
    EXPECT_EQ(Value(store, "language"), "ENG");
  }
  TDynamicFile missing;
  EXPECT_EQ(missing.Open("C:\\Data\\none.ini", dynamic_mode::Address), -1);
  EXPECT_FALSE(Exists("C:\\Data\\none.ini"));
}

TEST_F(TDynamicFileTest, HttpAddressIsDownloadedWithoutCachesAndOnlyStatus200Opens) {
  if (!NativeHttp::Available()) GTEST_SKIP() << "this build has no HTTP client";
  LoopbackHttpServer server;
  ASSERT_TRUE(server.Start());
  server.Serve("/data/QVLangs.ini", LoopbackHttpServer::Mode::Ok, "language=FRA\r\nx=y\r\nFran\347ais=FRA\r\n");
  TDynamicFile store;
  ASSERT_EQ(store.Open(server.Url("/data/QVLangs.ini"), dynamic_mode::Address), 1);
  EXPECT_TRUE(store.ReadOnly());
  EXPECT_EQ(store.Lines(), (std::vector<std::string>{"language=FRA", "x=y", "Fran\347ais=FRA"}));
  store.SetString("language", "ENG");
  store.Close();
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].Header("Cache-Control"), "no-cache");

  TDynamicFile missing;
  EXPECT_EQ(missing.Open(server.Url("/missing.ini"), dynamic_mode::Address), -1);
  EXPECT_EQ(missing.State(), 2);
}

}  // namespace
}  // namespace strevo
