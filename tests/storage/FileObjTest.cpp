// The file objects on the fake drive: every status value, the byte layout of
// text rows and binary records, stream row reading and the sharing rules.
#include <cstring>
#include <string>
#include <vector>

#include "storage/Exceptions.h"
#include "storage/FileObj.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

using test::PlatformTest;

class TTextFileTest : public PlatformTest {};
class TRecFileTest : public PlatformTest {};
class TStreamFileTest : public PlatformTest {};

// ------------------------------------------------------------- TTextFile --

TEST_F(TTextFileTest, OpenWhileOpenGivesAlreadyOpenAndKeepsTheFirstFile) {
  TTextFile file;
  ASSERT_EQ(file.Open("C:\\first.txt", 2), FileStatus::Good);
  ASSERT_EQ(file.WriteLn("kept"), FileStatus::Good);

  EXPECT_EQ(file.Open("C:\\second.txt", 2), FileStatus::AlreadyOpen);
  EXPECT_EQ(file.Status, FileStatus::AlreadyOpen);
  EXPECT_EQ(file.FileName, "C:\\first.txt");
  EXPECT_FALSE(Files().FileExists("C:\\second.txt"));
  // The first file is still held exclusively.
  TRecFile other;
  EXPECT_EQ(other.Open("C:\\first.txt", 1, -6), FileStatus::OpenFailed);

  EXPECT_EQ(file.Close(), FileStatus::Closed);
  EXPECT_EQ(fake.ReadHostFile("C:\\first.txt"), "kept\r\n");
}

TEST_F(TTextFileTest, MissingFileGivesNotFoundForReadingAndCreatesNothing) {
  TTextFile reader;
  EXPECT_EQ(reader.Open("C:\\missing.txt", 1), FileStatus::NotFound);
  EXPECT_EQ(reader.Size, -1);
  EXPECT_EQ(reader.Position, -1);
  TTextFile appender;
  EXPECT_EQ(appender.Open("C:\\missing.txt", 3), FileStatus::OpenFailed);
  EXPECT_EQ(appender.Size, -1);
  EXPECT_TRUE(Files().List("C:\\", "*").empty());
}

TEST_F(TTextFileTest, RowOver250CharactersIsCutOnWrite) {
  const std::string row = std::string(250, 'a') + std::string(50, 'b');
  {
    TTextFile file;
    ASSERT_EQ(file.Open("C:\\long.txt", 2), FileStatus::Good);
    EXPECT_EQ(file.WriteLn(row), FileStatus::Good);
    EXPECT_EQ(file.Position, 252);
  }  // the destructor closes
  EXPECT_EQ(fake.ReadHostFile("C:\\long.txt"), std::string(250, 'a') + "\r\n");
}

TEST_F(TTextFileTest, RewriteTruncatesAndAppendAddsAtTheEnd) {
  fake.WriteHostFile("C:\\log.txt", "old contents\r\n");
  {
    TTextFile file;
    ASSERT_EQ(file.Open("C:\\log.txt", 2), FileStatus::Good);
    EXPECT_EQ(file.Size, 0);
    file.WriteLn("one");
  }
  {
    TTextFile file;
    ASSERT_EQ(file.Open("C:\\log.txt", 3), FileStatus::Good);
    EXPECT_EQ(file.Size, 5);
    EXPECT_EQ(file.Position, 5);
    file.WriteLn("");
    file.WriteLn("two");
  }
  EXPECT_EQ(fake.ReadHostFile("C:\\log.txt"), "one\r\n\r\ntwo\r\n");
}

TEST_F(TTextFileTest, LastRowWithoutLineEndGivesEndOfFile) {
  fake.WriteHostFile("C:\\rows.txt", "first\r\n\r\nlast");
  TTextFile file;
  ASSERT_EQ(file.Open("C:\\rows.txt", 1), FileStatus::Good);
  std::string row;
  EXPECT_EQ(file.ReadLn(row), FileStatus::Good);
  EXPECT_EQ(row, "first");
  EXPECT_EQ(file.ReadLn(row), FileStatus::Good);
  EXPECT_EQ(row, "");
  EXPECT_EQ(file.ReadLn(row), FileStatus::EndOfFile);
  EXPECT_EQ(row, "last");
  // Nothing is read any more once the end was reached.
  EXPECT_EQ(file.ReadLn(row), FileStatus::EndOfFile);
  EXPECT_EQ(row, "");
}

TEST_F(TTextFileTest, ShortWriteGivesWriteErrorAndStopsLaterWrites) {
  fake.files.Add({FileFault::FailWrite, "full.txt", 2});
  TTextFile file;
  ASSERT_EQ(file.Open("C:\\full.txt", 2), FileStatus::Good);
  EXPECT_EQ(file.WriteLn("abcdef"), FileStatus::WriteError);
  fake.files.ClearFaults();
  EXPECT_EQ(file.WriteLn("more"), FileStatus::WriteError);
  EXPECT_EQ(file.Close(), FileStatus::Closed);
  EXPECT_EQ(fake.ReadHostFile("C:\\full.txt"), "ab");
}

TEST_F(TTextFileTest, FailedCloseGivesCloseFailedForTextAndRecordFiles) {
  fake.files.Add({FileFault::FailClose, "shut.", 0});
  TTextFile text;
  ASSERT_EQ(text.Open("C:\\shut.txt", 2), FileStatus::Good);
  EXPECT_EQ(text.Close(), FileStatus::CloseFailed);
  TRecFile records;
  ASSERT_EQ(records.Open("C:\\shut.dat", 5, 0), FileStatus::Good);
  EXPECT_EQ(records.Close(), FileStatus::CloseFailed);
}

TEST_F(TTextFileTest, ClosingTwiceReturnsClosedAndDoesNothing) {
  TTextFile file;
  ASSERT_EQ(file.Open("C:\\twice.txt", 2), FileStatus::Good);
  file.WriteLn("row");
  EXPECT_EQ(file.Close(), FileStatus::Closed);
  // Someone else holds the file now; the second close must not disturb it.
  TRecFile holder;
  ASSERT_EQ(holder.Open("C:\\twice.txt", 1, -1), FileStatus::Good);
  EXPECT_EQ(file.Close(), FileStatus::Closed);
  TRecFile third;
  EXPECT_EQ(third.Open("C:\\twice.txt", 1, -6), FileStatus::OpenFailed);
  EXPECT_EQ(holder.Close(), FileStatus::Closed);
  EXPECT_EQ(fake.ReadHostFile("C:\\twice.txt"), "row\r\n");
}

// -------------------------------------------------------------- TRecFile --

TEST_F(TRecFileTest, TenBytesHoldTwoRecordsOfFourAndAreNotWhole) {
  fake.WriteHostFile("C:\\ten.dat", std::string(10, '\x01'));
  TRecFile file;
  ASSERT_EQ(file.Open("C:\\ten.dat", 1, -2), FileStatus::Good);
  EXPECT_EQ(file.Size, 10);
  EXPECT_EQ(file.RecordCount(4), 2);
  EXPECT_FALSE(file.IsWholeRecords(4));
  EXPECT_TRUE(file.IsWholeRecords(5));
}

TEST_F(TRecFileTest, OpenStatusesForMissingRefusedAndCreatedFiles) {
  TRecFile missing;
  EXPECT_EQ(missing.Open("C:\\none.dat", 1, -2), FileStatus::NotFound);
  EXPECT_FALSE(Files().FileExists("C:\\none.dat"));

  fake.files.Add({FileFault::FailOpen, "locked", 0});
  fake.WriteHostFile("C:\\locked.dat", "1234");
  TRecFile refused;
  EXPECT_EQ(refused.Open("C:\\locked.dat", 1, 0), FileStatus::OpenFailed);
  EXPECT_EQ(refused.Size, -1);

  fake.WriteHostFile("C:\\new.dat", "old bytes");
  TRecFile created;
  EXPECT_EQ(created.Open("C:\\new.dat", 5, 0), FileStatus::Good);
  EXPECT_EQ(created.Size, 0);
  EXPECT_EQ(created.Open("C:\\new.dat", 5, 0), FileStatus::AlreadyOpen);
  created.Close();
  EXPECT_EQ(fake.ReadHostFile("C:\\new.dat"), "");
}

TEST_F(TRecFileTest, IntegersAreWrittenLittleEndian) {
  {
    TRecFile file;
    ASSERT_EQ(file.Open("C:\\ints.dat", 5, 0), FileStatus::Good);
    EXPECT_EQ(file.WriteInt(0x01020304), FileStatus::Good);
    EXPECT_EQ(file.WriteInt(-2), FileStatus::Good);
    EXPECT_EQ(file.WriteWord(0x1BEEF), FileStatus::Good);  // only the low 16 bits
  }
  EXPECT_EQ(fake.ReadHostFile("C:\\ints.dat"), std::string("\x04\x03\x02\x01\xFE\xFF\xFF\xFF\xEF\xBE", 10));
}

TEST_F(TRecFileTest, ReadSmallIntExtendsTheSign) {
  fake.WriteHostFile("C:\\small.dat", std::string("\xFE\xFF\x34\x12\x00\x80", 6));
  TRecFile file;
  ASSERT_EQ(file.Open("C:\\small.dat", 1, -2), FileStatus::Good);
  int32_t value = 0;
  EXPECT_EQ(file.ReadSmallInt(value), FileStatus::Good);
  EXPECT_EQ(value, -2);
  EXPECT_EQ(file.ReadSmallInt(value), FileStatus::Good);
  EXPECT_EQ(value, 0x1234);
  EXPECT_EQ(file.ReadSmallInt(value), FileStatus::Good);
  EXPECT_EQ(value, -32768);
}

TEST_F(TRecFileTest, WriteShortStrAlwaysWrites256Bytes) {
  {
    TRecFile file;
    ASSERT_EQ(file.Open("C:\\names.dat", 5, 0), FileStatus::Good);
    file.WriteShortStr("Ann");
    file.WriteShortStr("");
    file.WriteShortStr(std::string(300, 'z'));  // cut to 255 characters
  }
  const std::string bytes = fake.ReadHostFile("C:\\names.dat");
  ASSERT_EQ(bytes.size(), 768u);
  EXPECT_EQ(bytes.substr(0, 4), "\x03""Ann");
  EXPECT_EQ(bytes[256], '\0');
  EXPECT_EQ(static_cast<unsigned char>(bytes[512]), 255);
  EXPECT_EQ(bytes.substr(513), std::string(255, 'z'));

  TRecFile file;
  ASSERT_EQ(file.Open("C:\\names.dat", 1, -2), FileStatus::Good);
  EXPECT_EQ(file.RecordCount(256), 3);
  std::string value;
  EXPECT_EQ(file.ReadShortStr(255, value), FileStatus::Good);
  EXPECT_EQ(value, "Ann");
}

TEST_F(TRecFileTest, ShortReadGivesEndOfFileAndKeepsTheBytesRead) {
  fake.WriteHostFile("C:\\short.dat", "abcdef");
  TRecFile file;
  ASSERT_EQ(file.Open("C:\\short.dat", 1, -2), FileStatus::Good);
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(file.ReadBytes(buffer, 8), FileStatus::EndOfFile);
  EXPECT_EQ(std::string(buffer, 8), "abcdef##");
  // No further read is attempted at end of file.
  std::memset(buffer, '#', sizeof buffer);
  file.Seek(0);
  EXPECT_EQ(file.ReadBytes(buffer, 2), FileStatus::EndOfFile);
  EXPECT_EQ(std::string(buffer, 2), "##");

  fake.WriteHostFile("C:\\cut.dat", std::string("\x01\x00\x00\x00\x34\x12", 6));
  TRecFile ints;
  ASSERT_EQ(ints.Open("C:\\cut.dat", 1, -2), FileStatus::Good);
  int32_t value = 0;
  EXPECT_EQ(ints.ReadInt(value), FileStatus::Good);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(ints.ReadInt(value), FileStatus::EndOfFile);
  EXPECT_EQ(value, 0x1234);
}

TEST_F(TRecFileTest, WriteAfterEndOfFileStillWrites) {
  fake.WriteHostFile("C:\\grow.dat", std::string("\x07\x00\x00\x00", 4));
  {
    TRecFile file;
    ASSERT_EQ(file.Open("C:\\grow.dat", 1, 0), FileStatus::Good);
    int32_t value = 0;
    EXPECT_EQ(file.ReadInt(value), FileStatus::Good);
    EXPECT_EQ(file.ReadInt(value), FileStatus::EndOfFile);
    EXPECT_EQ(file.WriteInt(8), FileStatus::EndOfFile);
  }
  EXPECT_EQ(fake.ReadHostFile("C:\\grow.dat"), std::string("\x07\x00\x00\x00\x08\x00\x00\x00", 8));
}

TEST_F(TRecFileTest, ReadErrorStopsReadsAndWrites) {
  fake.WriteHostFile("C:\\bad.dat", std::string(8, '\x01'));
  fake.files.Add({FileFault::FailRead, "bad.dat", 0});
  {
    TRecFile file;
    ASSERT_EQ(file.Open("C:\\bad.dat", 1, 0), FileStatus::Good);
    int32_t value = 99;
    EXPECT_EQ(file.ReadInt(value), FileStatus::ReadError);
    EXPECT_EQ(value, 99);
    EXPECT_EQ(file.WriteInt(5), FileStatus::ReadError);
    EXPECT_EQ(file.WriteShortStr("x"), FileStatus::ReadError);
  }
  EXPECT_EQ(fake.ReadHostFile("C:\\bad.dat"), std::string(8, '\x01'));
}

TEST_F(TRecFileTest, ShortWriteGivesWriteError) {
  fake.files.Add({FileFault::FailWrite, "disk.dat", 6});
  TRecFile file;
  ASSERT_EQ(file.Open("C:\\disk.dat", 5, 0), FileStatus::Good);
  EXPECT_EQ(file.WriteInt(1), FileStatus::Good);
  EXPECT_EQ(file.WriteInt(2), FileStatus::WriteError);
  EXPECT_EQ(file.WriteInt(3), FileStatus::WriteError);
  file.Close();
  EXPECT_EQ(fake.ReadHostFile("C:\\disk.dat"), std::string("\x01\x00\x00\x00\x02\x00", 6));
}

TEST_F(TRecFileTest, SecondExclusiveOpenFailsWhileTheFirstIsHeld) {
  fake.WriteHostFile("C:\\user.dat", "data");
  TRecFile first, second;
  ASSERT_EQ(first.Open("C:\\user.dat", 1, -1), FileStatus::Good);
  EXPECT_EQ(second.Open("C:\\user.dat", 1, -1), FileStatus::OpenFailed);
  EXPECT_EQ(second.Size, -1);
  first.Close();
  EXPECT_EQ(second.Open("C:\\user.dat", 1, -1), FileStatus::Good);
  EXPECT_EQ(second.Size, 4);
}

TEST_F(TRecFileTest, ReadOnlySharedOpenWorksBesideAWriter) {
  fake.WriteHostFile("C:\\shared.dat", "data");
  TRecFile writer;
  ASSERT_EQ(writer.Open("C:\\shared.dat", 1, 0), FileStatus::Good);
  TRecFile reader;
  EXPECT_EQ(reader.Open("C:\\shared.dat", 2, -6), FileStatus::Good);
  // Denying writers is impossible while a writer holds the file.
  TRecFile denying;
  EXPECT_EQ(denying.Open("C:\\shared.dat", 1, -2), FileStatus::OpenFailed);
}

// ----------------------------------------------------------- stream rows --

// LF, CR and CR LF each end one row, but a CR LF split across two chunks of
// 2048 bytes gives an extra empty row; longer rows are joined; a maximum
// length stops inside the row and leaves the rest for the next call.
TEST(ReadStreamRowTest, RowsAsTheyAreCutFromTheStream) {
  struct Case {
    std::string bytes;
    int32_t maximum;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {"a\nb\rc\r\n\nd", -1, {"a", "b", "c", "", "d"}},
      {std::string(2047, 'x') + "\r\nnext", -1, {std::string(2047, 'x'), "", "next"}},
      {std::string(3000, 'y') + "\r\nz", -1, {std::string(3000, 'y'), "z"}},
      {"abcdef\r\ng", 4, {"abcd", "ef", "g"}},
  };
  for (const Case& c : cases) {
    TMemoryStream stream(c.bytes);
    std::vector<std::string> rows;
    for (int i = 0; i < 10 && stream.Position() < static_cast<int64_t>(c.bytes.size()); ++i)
      rows.push_back(ReadStreamRow(stream, c.maximum, false));
    EXPECT_EQ(rows, c.rows) << c.bytes.substr(0, 12);
    EXPECT_EQ(ReadStreamRow(stream, c.maximum, false), "");
  }
}

TEST(ReadStreamRowTest, EndOfStreamIsRaisedOnlyWhenAsked) {
  TMemoryStream stream("ab\n");
  stream.SetPosition(3);
  EXPECT_EQ(ReadStreamRow(stream, -1, false), "");
  try {
    ReadStreamRow(stream, -1, true);
    FAIL() << "no EIdEndOfStream";
  } catch (const EIdEndOfStream& e) {
    EXPECT_STREQ(e.what(), "End of stream: TMemoryStream at 3");
    EXPECT_STREQ(e.ClassName(), "EIdEndOfStream");
  }
  stream.SetPosition(0);
  EXPECT_NO_THROW(EXPECT_EQ(ReadStreamRow(stream, -1, true), "ab"));
}

// ----------------------------------------------------------- TStreamFile --

TEST_F(TStreamFileTest, LastRowWithoutLineEndIsReturnedWithEndOfFile) {
  fake.WriteHostFile("C:\\words.txt", "one\r\ntwo");
  TStreamFile file;
  ASSERT_EQ(file.Open("C:\\words.txt", 1, true), FileStatus::Good);
  EXPECT_EQ(file.Size, 8);
  std::string row;
  EXPECT_EQ(file.ReadLn(row), FileStatus::Good);
  EXPECT_EQ(row, "one");
  EXPECT_FALSE(file.Eof());
  EXPECT_EQ(file.ReadLn(row), FileStatus::EndOfFile);
  EXPECT_EQ(row, "two");
  EXPECT_TRUE(file.Eof());
  EXPECT_EQ(file.Close(), FileStatus::Closed);
  EXPECT_EQ(file.Close(), FileStatus::Closed);
}

TEST_F(TStreamFileTest, RowsAreCutTo255CharactersThenToTheMaximum) {
  fake.WriteHostFile("C:\\long.txt", std::string(300, 'a') + "\n" + std::string(20, 'b') + "\n");
  TStreamFile file;
  ASSERT_EQ(file.Open("C:\\long.txt", 1, true), FileStatus::Good);
  std::string row;
  EXPECT_EQ(file.ReadLn(row), FileStatus::Good);
  EXPECT_EQ(row, std::string(255, 'a'));
  EXPECT_EQ(file.ReadLn(row, 10), FileStatus::EndOfFile);
  EXPECT_EQ(row, std::string(10, 'b'));
  file.Close();
}

TEST_F(TStreamFileTest, MissingSourceGivesNotFound) {
  TStreamFile file;
  EXPECT_EQ(file.Open("C:\\absent.txt", 1, true), FileStatus::NotFound);
  EXPECT_EQ(file.Open("", 1, true), FileStatus::NotFound);
  EXPECT_FALSE(Files().FileExists("C:\\absent.txt"));
}

TEST_F(TStreamFileTest, ReadFailureEndsReadingWithReadError) {
  fake.WriteHostFile("C:\\broken.txt", "one\r\ntwo\r\n");
  fake.files.Add({FileFault::FailRead, "broken.txt", 0});
  TStreamFile file;
  ASSERT_EQ(file.Open("C:\\broken.txt", 1, true), FileStatus::Good);
  std::string row;
  EXPECT_EQ(file.ReadLn(row), FileStatus::ReadError);
  EXPECT_EQ(row, "");
  file.Close();

  std::vector<std::string> rows;
  TStreamFile loader;
  EXPECT_EQ(loader.LoadLines(rows, "C:\\broken.txt"), FileStatus::ReadError);
  EXPECT_TRUE(rows.empty());
  loader.Close();
}

TEST_F(TStreamFileTest, LoadLinesReadsEveryRowBesideAnotherReader) {
  fake.WriteHostFile("C:\\list.txt", "$version=1\r\nalpha\nbeta");
  TStreamFile reader;
  ASSERT_EQ(reader.Open("C:\\list.txt", 1, true), FileStatus::Good);
  TStreamFile loader;
  std::vector<std::string> rows;
  EXPECT_EQ(loader.LoadLines(rows, "C:\\list.txt"), 1);
  EXPECT_EQ(rows, (std::vector<std::string>{"$version=1", "alpha", "beta"}));
  loader.Close();
  reader.Close();
}

}  // namespace
}  // namespace strevo
