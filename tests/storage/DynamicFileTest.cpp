// The name=value store: open modes and sharing, lazy loading, the file
// format, typed access, read-only stores, safe saving and hostile input.
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

// Lines end in CR LF, bare CR or bare LF, the last one maybe in none; lines
// without '=' are kept but not found; names match without regard to case
// (accented letters too) and keep their first spelling and place; a value
// keeps every '=' after the first but no line end; the empty string removes
// an entry; nothing reaches the disk before the save.
TEST_F(TDynamicFileTest, FormatRoundTripsTheWayTheFileKeepsIt) {
  Write("b=2\rfirst line\nc=3\r\n\n\xC4pfel=red\r\ngone=1\nlast");
  TDynamicFile store;
  ASSERT_EQ(store.Open(path, 2), 1);
  EXPECT_EQ(store.Names(), (std::vector<std::string>{"b", "c", "\xC4pfel", "gone"}));
  std::string value;
  EXPECT_EQ(store.GetString("first line", value), 0);
  store.SetString("a", "3=4");
  store.SetString("B", "20");
  store.SetString("\xE4PFEL", "green");
  store.SetString("SelectedUser.ann", "Ann\r\nPassword=");
  EXPECT_EQ(store.SetString("gone", ""), 1);
  EXPECT_EQ(store.GetString("gone", value), 0);
  EXPECT_EQ(value, "");
  EXPECT_EQ(store.Lines()[0], "b=20");
  EXPECT_TRUE(store.Modified());
  EXPECT_EQ(Read(), "b=2\rfirst line\nc=3\r\n\n\xC4pfel=red\r\ngone=1\nlast");
  store.Save();
  EXPECT_FALSE(store.Modified());
  EXPECT_EQ(Read(), "b=20\r\nfirst line\r\nc=3\r\n\r\n\xC4pfel=green\r\nlast\r\na=3=4\r\n"
                    "SelectedUser.ann=Ann  Password=\r\n");
  EXPECT_FALSE(Exists(TDynamicFile::SiblingName(path)));
  EXPECT_FALSE(Exists(TDynamicFile::SiblingName(path) + ".tmp"));
  ASSERT_EQ(store.Open(path, -3), 1);
  EXPECT_EQ(Value(store, "A"), "3=4");
}

// ---------------------------------------------------------- typed values --

// Integer text that is no number reads as 0 and still counts as found; 64-bit
// and float text that is no number reports -1. Floats are written with a
// point and read with a point or a comma.
TEST_F(TDynamicFileTest, TypedValuesConvertBothWays) {
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
  Write("");
  ASSERT_EQ(store.Open(path, 2), 1);
  store.SetInt64("totalHits", 4294967296123LL);
  store.SetInt64("negative", -5000000000LL);
  store.SetBool("on", true);
  store.SetBool("off", false);
  store.SetFloat("point", 46000.25);
  store.SetFloat("small", 0.125);
  store.Close();
  EXPECT_EQ(Read(), "totalHits=4294967296123\r\nnegative=-5000000000\r\non=1\r\noff=0\r\npoint=46000.25\r\nsmall=0.125\r\n");
  ASSERT_EQ(store.Open(path, -3), 1);
  EXPECT_EQ(store.GetInt64("negative", big), 1);
  EXPECT_EQ(big, -5000000000LL);
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

// A copy that cannot be written keeps the old contents and the change
// pending; a rewrite of the held file stopped halfway leaves the complete
// copy beside it, which the next open puts in its place.
TEST_F(TDynamicFileTest, FailedSavesLoseNeitherTheOldNorTheNewContents) {
  Write("a=1\r\nb=2\r\n");
  TDynamicFile store;
  ASSERT_EQ(store.Open(path, 2), 1);
  store.SetString("a", "changed");
  // Every file opened from now on fails to write: the copy goes first.
  fake.files.Add({FileFault::FailWrite, "ws.wk10", 0});
  store.Save();
  EXPECT_EQ(Read(), "a=1\r\nb=2\r\n");
  EXPECT_TRUE(store.Modified()) << "the change is still pending";
  EXPECT_FALSE(Exists(TDynamicFile::SiblingName(path)));
  fake.files.ClearFaults();
  store.Save();
  EXPECT_EQ(Read(), "a=changed\r\nb=2\r\n");
  store.Close();

  Write("a=1\r\n");
  // The held file itself fails after 4 bytes, as a full disk would.
  fake.files.Add({FileFault::FailWrite, "ws.wk10", 4});
  ASSERT_EQ(store.Open(path, 2), 1);
  fake.files.ClearFaults();
  store.SetString("a", "1234567890");
  store.Save();
  EXPECT_EQ(Read(), "a=12") << "the held file is damaged";
  EXPECT_EQ(fake.ReadHostFile(TDynamicFile::SiblingName(path)), "a=1234567890\r\n");
  store.Close();

  TDynamicFile next;
  ASSERT_EQ(next.Open(path, 2), 1);
  EXPECT_EQ(Read(), "a=1234567890\r\n");
  EXPECT_FALSE(Exists(TDynamicFile::SiblingName(path)));
  EXPECT_EQ(Value(next, "a"), "1234567890");
}

// What a writable open makes of the copy an interrupted save left beside the
// file, or of a partial copy of it (".new.tmp"); a read-only open reads the
// complete copy but repairs nothing.
TEST_F(TDynamicFileTest, OpenRestoresOnlyACompleteCopyOverItsOwnUnfinishedRewrite) {
  const std::string sibling = TDynamicFile::SiblingName(path);
  const auto age = [&](const std::string& file) {
    const std::filesystem::path host = fake.HostPath(file);
    std::filesystem::last_write_time(host, std::filesystem::last_write_time(host) - std::chrono::seconds(60));
  };
  struct Case {
    const char* what;
    int32_t mode;
    std::string file, copy, partial;
    const char* older;  // "file", "copy" or nothing
    std::string expected;
  };
  const Case cases[] = {
      {"rewrite cut short", 1, "a=", "a=complete\r\nb=2\r\n", "", "", "a=complete\r\nb=2\r\n"},
      // Another program (the tutor) saved the file after our interrupted save.
      {"newer file than copy", 2, "a=theirs\r\nb=2\r\n", "a=ours\r\n", "", "copy", "a=theirs\r\nb=2\r\n"},
      {"stopped before the rewrite began", 2, "a=old\r\n", "a=new\r\n", "", "file", "a=new\r\n"},
      {"copy cut short", 2, "a=kept\r\n", "a=cu", "", "file", "a=kept\r\n"},
      {"partial copy", 2, "a=intact\r\n", "", "a=half", "", "a=intact\r\n"},
      {"rewrite torn to zeros after the copy", 2, std::string(600, '\0'), "a=sound\r\n", "", "copy", "a=sound\r\n"},
  };
  for (const Case& c : cases) {
    Write(c.file);
    if (!c.copy.empty()) fake.WriteHostFile(sibling, c.copy);
    if (!c.partial.empty()) fake.WriteHostFile(sibling + ".tmp", c.partial);
    if (std::string(c.older) == "file") age(path);
    if (std::string(c.older) == "copy") age(sibling);
    {
      TDynamicFile store;
      ASSERT_EQ(store.Open(path, c.mode), 1) << c.what;
    }
    EXPECT_EQ(Read(), c.expected) << c.what;
    EXPECT_FALSE(Exists(sibling)) << c.what;
    EXPECT_FALSE(Exists(sibling + ".tmp")) << c.what << ": the stale partial copy is cleared away";
  }
  Write("a=");
  fake.WriteHostFile(sibling, "a=complete\r\n");
  TDynamicFile reader;
  ASSERT_EQ(reader.Open(path, -3), 1);
  EXPECT_EQ(Value(reader, "a"), "complete");
  reader.Close();
  EXPECT_EQ(Read(), "a=");
  EXPECT_TRUE(Exists(sibling));
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

TEST_F(TDynamicFileTest, FileThatCannotBeReadGivesMinusOneAndIsNeverOverwritten) {
  Write("a=1\r\n");
  fake.files.Add({FileFault::FailRead, "ws.wk10", 0});
  TDynamicFile store;
  ASSERT_EQ(store.Open(path, 2), 1);
  std::string value;
  EXPECT_EQ(store.GetString("a", value), -1);
  EXPECT_EQ(store.SetString("a", "2"), -1);
  store.Close();
  fake.files.ClearFaults();
  EXPECT_EQ(Read(), "a=1\r\n");
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
