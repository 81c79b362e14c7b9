// Text files far larger than any the program writes, as a damaged disk or a
// hostile hand could leave them (sparse here, so that nothing is written):
// every reader that would hold one whole refuses it unread, says so in its
// own way, and never writes over it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "storage/DynamicSettings.h"
#include "storage/FileObj.h"
#include "storage/Group.h"
#include "storage/User.h"
#include "support/UserDatabase.h"

namespace strevo {
namespace {

class OversizedFileTest : public test::UserDatabaseTest {
 protected:
  void Sparse(const std::string& path, int64_t size) {
    fake.WriteHostFile(path, "");
    std::filesystem::resize_file(fake.HostPath(path), static_cast<uintmax_t>(size));
  }
  int64_t SizeOf(const std::string& path) {
    return static_cast<int64_t>(std::filesystem::file_size(fake.HostPath(path)));
  }
};

TEST_F(OversizedFileTest, EveryWholeFileReaderRefusesAFileOverTheLimitAndLeavesItAlone) {
  // One byte over, and one whose size would look small in 32 bits.
  for (const int64_t size : {kLargestTextFile + 1, (int64_t{4} << 30) + 10}) {
    SCOPED_TRACE(size);
    const std::vector<std::string> files = {"C:\\Data\\Ann.usr", "C:\\Data\\words.txt", "C:\\Data\\0.idx"};
    for (const std::string& file : files) Sparse(file, size);

    // The settings store: the profile cannot be opened, and a store on it
    // reads as unreadable and writes nothing.
    EXPECT_THROW(OpenUser("Ann", true, -1, lock_mode::ReadWrite, &analysis), EUserError);
    {
      TDynamicSettings store;
      ASSERT_EQ(store.Open(files[0], dynamic_mode::ReadWriteDenyWrite), 1);
      EXPECT_EQ(store.Load(), -1);
      EXPECT_EQ(store.SetString("NotifyWhenBreak", "0"), -1);
      EXPECT_EQ(store.Save(), 1) << "nothing to write";
    }

    // The line loader and the row reader of stream files.
    std::vector<std::string> rows = {"kept"};
    TStreamFile loader;
    EXPECT_EQ(loader.LoadLines(rows, files[1]), FileStatus::TooLarge);
    EXPECT_EQ(rows, std::vector<std::string>{"kept"}) << "no row added";
    loader.Close();
    TStreamFile reader;
    EXPECT_EQ(reader.Open(files[1], 1, false), FileStatus::TooLarge);
    std::string row;
    EXPECT_EQ(reader.ReadLn(row), FileStatus::TooLarge);
    reader.Close();

    // The user index: read as empty.
    EXPECT_TRUE(LoadIndex(0).empty());

    for (const std::string& file : files) {
      EXPECT_EQ(SizeOf(file), size) << file;
      EXPECT_FALSE(fake.files.FileExists(TDynamicFile::SiblingName(file))) << file;
    }
  }
}

}  // namespace
}  // namespace strevo
