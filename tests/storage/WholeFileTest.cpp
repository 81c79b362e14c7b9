// The one writer of whole files, which every save of a file the program
// replaces goes through: a file is replaced only by its complete new
// contents; a failure at any step leaves the old file as it was and no
// sibling behind; a stop at any change leaves the old file or the new one.
#include "storage/WholeFile.h"

#include <string>

#include "platform/Platform.h"
#include "storage/FileObj.h"
#include "support/Fixture.h"

namespace strevo::test {
namespace {

constexpr const char* kPath = "C:\\Data\\file.bin";

class WholeFileTest : public PlatformTest {
 protected:
  void SetUp() override {
    fake.files.MakeDirectory("C:\\Data");
    fake.WriteHostFile(kPath, "old");
  }
  std::string Read() { return fake.ReadHostFile(kPath); }
  bool SiblingLeft() { return fake.files.FileExists(PartialFileName(kPath)); }
  static int32_t WriteSeven(TRecFile& file) {
    EXPECT_EQ(file.FileName, kPath) << "the record file carries its final name";
    file.WriteInt(7);
    return file.Status;
  }
};

TEST_F(WholeFileTest, TheFileIsReplacedByTheCompleteBytesAndTheRecordFileByItsRecords) {
  EXPECT_EQ(WriteWholeFile(kPath, "new contents"), WholeFileResult::Written);
  EXPECT_EQ(Read(), "new contents");
  EXPECT_EQ(WriteWholeFile(kPath, ""), WholeFileResult::Written);
  EXPECT_EQ(Read(), "");
  EXPECT_EQ(WriteWholeRecordFile(kPath, WriteSeven), FileStatus::Good);
  EXPECT_EQ(Read(), std::string("\x07\0\0\0", 4));
  EXPECT_FALSE(SiblingLeft());
}

TEST_F(WholeFileTest, AFailureAtEveryStepKeepsTheOldFileRemovesTheSiblingAndSaysWhich) {
  struct Case {
    FileFault fault;
    WholeFileResult bytes;
    int32_t records;
  };
  const Case cases[] = {
      {{FileFault::FailOpen, ".tmp", 0}, WholeFileResult::CannotCreate, FileStatus::OpenFailed},
      {{FileFault::FailOpenForWrite, "", 0}, WholeFileResult::CannotCreate, FileStatus::OpenFailed},
      {{FileFault::FailWrite, ".tmp", 2}, WholeFileResult::WriteFailed, FileStatus::WriteError},
      {{FileFault::FailClose, ".tmp", 0}, WholeFileResult::WriteFailed, FileStatus::CloseFailed},
  };
  for (const Case& c : cases) {
    fake.files.Add(c.fault);
    EXPECT_EQ(WriteWholeFile(kPath, "new contents"), c.bytes) << c.fault.kind;
    EXPECT_EQ(WriteWholeRecordFile(kPath, WriteSeven), c.records) << c.fault.kind;
    fake.files.ClearFaults();
    EXPECT_EQ(Read(), "old") << c.fault.kind;
    EXPECT_FALSE(SiblingLeft()) << c.fault.kind;
  }
  // The writer's own failure.
  EXPECT_EQ(WriteWholeRecordFile(kPath, [](TRecFile&) { return FileStatus::ReadError; }), FileStatus::ReadError);
  // Another program holds the file: it cannot be replaced.
  {
    auto held = Files().Open(kPath, {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting});
    ASSERT_TRUE(held);
    EXPECT_EQ(WriteWholeFile(kPath, "new contents"), WholeFileResult::CannotReplace);
    EXPECT_EQ(WriteWholeRecordFile(kPath, WriteSeven), FileStatus::OpenFailed);
  }
  EXPECT_EQ(Read(), "old");
  EXPECT_FALSE(SiblingLeft());
}

TEST_F(WholeFileTest, StoppedAtAnyChangeTheFileIsTheOldOrTheNewOne) {
  for (int64_t change = 0; change < 8; ++change) {
    fake.WriteHostFile(kPath, "old");
    fake.files.Add({FileFault::Stop, "", change});
    WriteWholeFile(kPath, "new contents");
    fake.files.ClearFaults();
    const std::string now = Read();
    EXPECT_TRUE(now == "old" || now == "new contents") << "stopped before change " << change << ": " << now;
  }
}

}  // namespace
}  // namespace strevo::test
