// The native file layer: Windows paths on Linux folders, letter case, the
// current directory, masks, and the sharing rules Windows enforces.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/Fixture.h"

namespace strevo {
namespace {

namespace fs = std::filesystem;

class PosixFileSystemTest : public test::PlatformTest {
 protected:
  PosixFileSystem& files() { return fake.posix; }
  std::string Host(const std::string& relative) { return fake.Root() + "/" + relative; }
  void Touch(const std::string& relative, const std::string& bytes = "") {
    fs::create_directories(fs::path(Host(relative)).parent_path());
    fake.WriteHostFile("C:\\" + relative, bytes);
  }
  std::unique_ptr<IFileHandle> OpenWith(const std::string& path, FileAccess access, FileShare share,
                                        FileCreate create = FileCreate::OpenExisting, FileError* error = nullptr) {
    return files().Open(path, {access, share, create}, error);
  }
  std::vector<std::string> Names(const std::string& folder, const std::string& mask) {
    std::vector<std::string> names;
    for (const DirectoryEntry& entry : files().List(folder, mask)) names.push_back(entry.name);
    std::sort(names.begin(), names.end());
    return names;
  }
};

// -------------------------------------------------------------- mapping --

// Drive letters in either case; existing components found without regard
// to case; new files go into the existing folder with the given name.
TEST_F(PosixFileSystemTest, WindowsPathsFindTheirLinuxFiles) {
  EXPECT_EQ(files().Resolve("c:/Data/x.usr"), Host("Data/x.usr"));
  files().SetDriveRoot('d', fake.Root() + "/other");
  EXPECT_EQ(files().Resolve("D:\\a"), Host("other/a"));
  Touch("data/Ann.usr", "profile");
  EXPECT_EQ(files().Resolve("C:\\DATA\\ann.USR"), Host("data/Ann.usr"));
  EXPECT_TRUE(files().DirectoryExists("C:\\Data"));
  EXPECT_FALSE(files().FileExists("C:\\Data"));
  auto handle = OpenWith("C:\\Data\\ANN.usr", FileAccess::Read, FileShare::ReadWrite);
  ASSERT_TRUE(handle);
  char bytes[16] = {};
  EXPECT_EQ(handle->Read(bytes, sizeof bytes), 7);
  EXPECT_EQ(std::string(bytes), "profile");
  ASSERT_TRUE(OpenWith("C:\\DATA\\New.Txt", FileAccess::Write, FileShare::None, FileCreate::CreateAlways));
  EXPECT_TRUE(fs::exists(Host("data/New.Txt")));
  EXPECT_FALSE(fs::exists(Host("DATA")));
}

// ----------------------------------------------------- current directory --

// Relative paths resolve against the current directory; a missing folder
// keeps the current one; dots are taken away as the system does.
TEST_F(PosixFileSystemTest, TheCurrentDirectory) {
  EXPECT_FALSE(files().ChangeDirectory("C:\\nowhere"));
  EXPECT_EQ(files().CurrentDirectory(), "C:\\");
  ASSERT_TRUE(files().MakeDirectory("C:\\Work"));
  ASSERT_TRUE(files().MakeDirectory("C:\\Work\\b"));
  EXPECT_TRUE(files().ChangeDirectory("c:\\work\\"));
  EXPECT_EQ(files().CurrentDirectory(), "c:\\work");
  ASSERT_TRUE(OpenWith("notes.txt", FileAccess::ReadWrite, FileShare::None, FileCreate::CreateNew));
  EXPECT_TRUE(fs::exists(Host("Work/notes.txt")));
  ASSERT_TRUE(files().ChangeDirectory("b"));
  EXPECT_TRUE(files().ChangeDirectory(".."));
  EXPECT_EQ(files().CurrentDirectory(), "c:\\work");
  EXPECT_TRUE(files().ChangeDirectory(".\\b\\..\\..\\..\\"));
  EXPECT_EQ(files().CurrentDirectory(), "c:\\");
}

TEST_F(PosixFileSystemTest, ExpandUncFileNameUsesThePrefixOfTheDrive) {
  ASSERT_TRUE(files().MakeDirectory("C:\\Data"));
  ASSERT_TRUE(files().ChangeDirectory("C:\\Data"));
  EXPECT_EQ(files().ExpandUncFileName("..\\Policy.dyn"), "C:\\Policy.dyn") << "no prefix: the full path";
  ASSERT_TRUE(files().ChangeDirectory("C:\\"));
  files().SetUncPrefix('c', "\\\\server\\share");
  EXPECT_EQ(files().ExpandUncFileName("C:\\Data\\Ann.usr"), "\\\\server\\share\\Data\\Ann.usr");
  EXPECT_EQ(files().ExpandUncFileName("C:\\Data\\"), "\\\\server\\share\\Data\\");
  // Relative names are made full first: one separator after the root.
  EXPECT_EQ(files().ExpandUncFileName("Ann.usr"), "\\\\server\\share\\Ann.usr");
  EXPECT_EQ(files().ExpandUncFileName("D:\\local\\x"), "D:\\local\\x");
  EXPECT_EQ(files().ExpandUncFileName("\\\\other\\s\\x"), "\\\\other\\s\\x");
}

// ---------------------------------------------------------------- lists --

TEST_F(PosixFileSystemTest, ListMatchesMasksWithoutRegardToCase) {
  Touch("db/Ann.USR", "12345");
  Touch("db/bob.usr");
  Touch("db/carl.usrx");
  Touch("db/usr");
  Touch("db/notes.txt");
  fs::create_directories(Host("db/old.usr"));
  EXPECT_EQ(Names("C:\\DB", "*.usr"), (std::vector<std::string>{"Ann.USR", "bob.usr", "old.usr"}));
  EXPECT_EQ(Names("C:\\db\\", "?o*.*"), (std::vector<std::string>{"bob.usr", "notes.txt"}));
  EXPECT_TRUE(files().List("C:\\missing", "*").empty());
  const auto ann = files().List("C:\\db", "a*"), old = files().List("C:\\db", "old.*");
  ASSERT_TRUE(ann.size() == 1 && old.size() == 1);
  EXPECT_EQ(ann[0].size, 5);
  EXPECT_FALSE(ann[0].isDirectory);
  EXPECT_TRUE(old[0].isDirectory);
}

TEST(MatchesMaskTest, StarsAndQuestionMarks) {
  EXPECT_TRUE(MatchesMask("0.grp", "*.GRP"));
  EXPECT_TRUE(MatchesMask("a.b.grp", "*.grp"));
  EXPECT_FALSE(MatchesMask("a.grp.bak", "*.grp"));
  EXPECT_TRUE(MatchesMask("x", "?"));
  EXPECT_FALSE(MatchesMask("", "?"));
  EXPECT_TRUE(MatchesMask("anything", "*"));
  EXPECT_TRUE(MatchesMask("\xC4pfel.usr", "\xE4*.usr"));
}

// -------------------------------------------------------------- sharing --

struct SharingCase {
  FileAccess heldAccess;
  FileShare heldShare;
  FileAccess access;
  FileShare share;
  bool allowed;
};

TEST_F(PosixFileSystemTest, EachSideMustAllowTheOthersAccess) {
  using A = FileAccess;
  using S = FileShare;
  const SharingCase cases[] = {
      {A::Read, S::Read, A::Read, S::Read, true},                  // two readers denying writers
      {A::Read, S::Read, A::ReadWrite, S::ReadWrite, false},       // the holder denies writing
      {A::ReadWrite, S::ReadWrite, A::Read, S::Read, false},       // the newcomer denies the holder's writing
      {A::ReadWrite, S::ReadWrite, A::Read, S::ReadWrite, true},
      {A::Write, S::Read, A::Read, S::ReadWrite, true},            // a log being written and read
      {A::Write, S::Read, A::Write, S::ReadWrite, false},
      {A::Write, S::Write, A::Write, S::Write, true},              // writers that allow writers
      {A::Read, S::Write, A::Read, S::ReadWrite, false},           // the holder denies reading
      {A::Read, S::None, A::Read, S::ReadWrite, false},
      {A::Read, S::Compat, A::Read, S::ReadWrite, false},          // compatibility mode shares nothing
      {A::Read, S::ReadWrite, A::Read, S::Compat, false},
  };
  Touch("shared.dat", "x");
  int row = 0;
  for (const SharingCase& c : cases) {
    auto held = OpenWith("C:\\shared.dat", c.heldAccess, c.heldShare);
    ASSERT_TRUE(held) << "row " << row;
    FileError error = FileError::None;
    auto second = OpenWith("C:\\SHARED.DAT", c.access, c.share, FileCreate::OpenExisting, &error);
    EXPECT_EQ(second != nullptr, c.allowed) << "row " << row;
    EXPECT_EQ(error, c.allowed ? FileError::None : FileError::SharingViolation) << "row " << row;
    ++row;
  }
}

TEST_F(PosixFileSystemTest, OpenFileCanBeNeitherDeletedNorRenamed) {
  Touch("a.usr", "a");
  Touch("b.usr", "b");
  auto held = OpenWith("C:\\a.usr", FileAccess::Read, FileShare::ReadWrite);
  ASSERT_TRUE(held);
  EXPECT_FALSE(files().RemoveFile("C:\\A.USR"));
  EXPECT_FALSE(files().RenameFile("C:\\a.usr", "C:\\c.usr"));
  EXPECT_FALSE(files().RenameFile("C:\\b.usr", "C:\\a.usr"));  // onto an open file
  held.reset();
  EXPECT_TRUE(files().RenameFile("C:\\B.usr", "C:\\a.usr"));  // replaces the target
  EXPECT_EQ(fake.ReadHostFile("C:\\a.usr"), "b");
  EXPECT_FALSE(files().FileExists("C:\\b.usr"));
  EXPECT_TRUE(files().RemoveFile("C:\\a.usr"));
  EXPECT_FALSE(files().FileExists("C:\\a.usr"));
  // A refused create leaves the held file intact; closing lifts the rule.
  Touch("stats.dat", "figures");
  held = OpenWith("C:\\stats.dat", FileAccess::Read, FileShare::Read);
  ASSERT_TRUE(held);
  EXPECT_FALSE(OpenWith("C:\\stats.dat", FileAccess::ReadWrite, FileShare::None, FileCreate::CreateAlways));
  EXPECT_EQ(fake.ReadHostFile("C:\\stats.dat"), "figures");
  EXPECT_TRUE(held->Close());
  EXPECT_TRUE(OpenWith("C:\\stats.dat", FileAccess::ReadWrite, FileShare::None, FileCreate::CreateAlways));
}

TEST_F(PosixFileSystemTest, OpenReportsWhyItFailed) {
  Touch("there.txt");
  fs::create_directories(Host("folder"));
  FileError error = FileError::None;
  EXPECT_FALSE(OpenWith("C:\\absent.txt", FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting, &error));
  EXPECT_EQ(error, FileError::NotFound);
  EXPECT_FALSE(OpenWith("C:\\there.txt", FileAccess::Read, FileShare::ReadWrite, FileCreate::CreateNew, &error));
  EXPECT_EQ(error, FileError::Exists);
  EXPECT_FALSE(OpenWith("C:\\Folder", FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting, &error));
  EXPECT_EQ(error, FileError::AccessDenied);
}

}  // namespace
}  // namespace strevo
