// The file objects on the fake drive: the status values, the byte layout of
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
using Rows = std::vector<std::string>;

class TTextFileTest : public PlatformTest {};
class TRecFileTest : public PlatformTest {};
class TStreamFileTest : public PlatformTest {};

// ------------------------------------------------------------- TTextFile --

// A second open keeps the first file held; a missing file is not created
// for reading or appending; a second close does not disturb the next holder;
// a failed close is told.
TEST_F(TTextFileTest, OpenAndCloseStatuses) {
  TTextFile file;
  ASSERT_EQ(file.Open("C:\\first.txt", 2), FileStatus::Good);
  ASSERT_EQ(file.WriteLn("kept"), FileStatus::Good);
  EXPECT_EQ(file.Open("C:\\second.txt", 2), FileStatus::AlreadyOpen);
  EXPECT_EQ(file.FileName, "C:\\first.txt");
  TRecFile other;
  EXPECT_EQ(other.Open("C:\\first.txt", 1, -6), FileStatus::OpenFailed);
  EXPECT_EQ(file.Close(), FileStatus::Closed);
  TRecFile holder;
  ASSERT_EQ(holder.Open("C:\\first.txt", 1, -1), FileStatus::Good);
  EXPECT_EQ(file.Close(), FileStatus::Closed);
  EXPECT_EQ(other.Open("C:\\first.txt", 1, -6), FileStatus::OpenFailed);
  holder.Close();
  EXPECT_EQ(fake.ReadHostFile("C:\\first.txt"), "kept\r\n");

  TTextFile reader, appender;
  EXPECT_EQ(reader.Open("C:\\missing.txt", 1), FileStatus::NotFound);
  EXPECT_EQ(reader.Size, -1);
  EXPECT_EQ(appender.Open("C:\\missing.txt", 3), FileStatus::OpenFailed);
  EXPECT_FALSE(Files().FileExists("C:\\missing.txt"));
  EXPECT_FALSE(Files().FileExists("C:\\second.txt"));

  fake.files.Add({FileFault::FailClose, "shut.", 0});
  TTextFile text;
  ASSERT_EQ(text.Open("C:\\shut.txt", 2), FileStatus::Good);
  EXPECT_EQ(text.Close(), FileStatus::CloseFailed);
  TRecFile records;
  ASSERT_EQ(records.Open("C:\\shut.dat", 5, 0), FileStatus::Good);
  EXPECT_EQ(records.Close(), FileStatus::CloseFailed);
}

// Rewrite truncates, append adds at the end, rows are cut at 250 characters;
// a last row without a line end comes with the end of the file.
TEST_F(TTextFileTest, RowsAreWrittenAndReadWithTheirLineEnds) {
  fake.WriteHostFile("C:\\log.txt", "old contents\r\n");
  {
    TTextFile file;
    ASSERT_EQ(file.Open("C:\\log.txt", 2), FileStatus::Good);
    EXPECT_EQ(file.Size, 0);
    file.WriteLn(std::string(250, 'a') + std::string(50, 'b'));
    EXPECT_EQ(file.Position, 252);
  }
  {
    TTextFile file;
    ASSERT_EQ(file.Open("C:\\log.txt", 3), FileStatus::Good);
    EXPECT_EQ(file.Position, 252);
    file.WriteLn("");
    file.WriteLn("two");
  }
  EXPECT_EQ(fake.ReadHostFile("C:\\log.txt"), std::string(250, 'a') + "\r\n\r\ntwo\r\n");

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

// -------------------------------------------------------------- TRecFile --

TEST_F(TRecFileTest, OpenStatusesAndSharing) {
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
  created.Close();
  EXPECT_EQ(fake.ReadHostFile("C:\\new.dat"), "");

  TRecFile first, second;
  ASSERT_EQ(first.Open("C:\\new.dat", 1, -1), FileStatus::Good);
  EXPECT_EQ(second.Open("C:\\new.dat", 1, -1), FileStatus::OpenFailed);
  first.Close();
  fake.WriteHostFile("C:\\shared.dat", "data");
  TRecFile writer, reader, denying;
  ASSERT_EQ(writer.Open("C:\\shared.dat", 1, 0), FileStatus::Good);
  EXPECT_EQ(reader.Open("C:\\shared.dat", 2, -6), FileStatus::Good);
  EXPECT_EQ(denying.Open("C:\\shared.dat", 1, -2), FileStatus::OpenFailed) << "writers cannot be denied while one holds it";
}

// Integers little-endian (words their low 16 bits, small integers read
// sign-extended); short strings always 256 bytes, cut at 255.
TEST_F(TRecFileTest, RecordsHaveTheirByteLayout) {
  {
    TRecFile file;
    ASSERT_EQ(file.Open("C:\\rec.dat", 5, 0), FileStatus::Good);
    file.WriteInt(0x01020304);
    file.WriteInt(-2);
    file.WriteWord(0x1BEEF);
    file.WriteWord(0x8000);
    file.WriteShortStr("Ann");
    file.WriteShortStr(std::string(300, 'z'));
  }
  const std::string bytes = fake.ReadHostFile("C:\\rec.dat");
  ASSERT_EQ(bytes.size(), 12u + 512u);
  EXPECT_EQ(bytes.substr(0, 16), std::string("\x04\x03\x02\x01\xFE\xFF\xFF\xFF\xEF\xBE\x00\x80\x03" "Ann", 16));
  EXPECT_EQ(static_cast<unsigned char>(bytes[268]), 255);
  EXPECT_EQ(bytes.substr(269), std::string(255, 'z'));
  TRecFile file;
  ASSERT_EQ(file.Open("C:\\rec.dat", 1, -2), FileStatus::Good);
  EXPECT_EQ(file.RecordCount(256), 2);
  EXPECT_FALSE(file.IsWholeRecords(256));
  EXPECT_TRUE(file.IsWholeRecords(4));
  int32_t value = 0;
  file.Seek(4);
  EXPECT_EQ(file.ReadSmallInt(value), FileStatus::Good);
  EXPECT_EQ(value, -2);
  file.Seek(10);
  EXPECT_EQ(file.ReadSmallInt(value), FileStatus::Good);
  EXPECT_EQ(value, -32768);
  std::string text;
  EXPECT_EQ(file.ReadShortStr(255, text), FileStatus::Good);
  EXPECT_EQ(text, "Ann");
}

// A short read keeps what it read and reports the end; nothing is read once
// the end was reached, but a write still writes. A read error stops reads
// and writes; a short write stops writes.
TEST_F(TRecFileTest, EndOfFileReadAndWriteErrors) {
  fake.WriteHostFile("C:\\short.dat", std::string("\x07\x00\x00\x00\x34\x12", 6));
  {
    TRecFile file;
    ASSERT_EQ(file.Open("C:\\short.dat", 1, 0), FileStatus::Good);
    int32_t value = 0;
    EXPECT_EQ(file.ReadInt(value), FileStatus::Good);
    EXPECT_EQ(file.ReadInt(value), FileStatus::EndOfFile);
    EXPECT_EQ(value, 0x1234);
    char buffer[2] = {'#', '#'};
    file.Seek(0);
    EXPECT_EQ(file.ReadBytes(buffer, 2), FileStatus::EndOfFile);
    EXPECT_EQ(std::string(buffer, 2), "##");
    EXPECT_EQ(file.WriteInt(8), FileStatus::EndOfFile);
  }
  EXPECT_EQ(fake.ReadHostFile("C:\\short.dat"), std::string("\x08\x00\x00\x00\x34\x12", 6));

  fake.WriteHostFile("C:\\bad.dat", std::string(8, '\x01'));
  fake.files.Add({FileFault::FailRead, "bad.dat", 0});
  {
    TRecFile file;
    ASSERT_EQ(file.Open("C:\\bad.dat", 1, 0), FileStatus::Good);
    int32_t value = 99;
    EXPECT_EQ(file.ReadInt(value), FileStatus::ReadError);
    EXPECT_EQ(value, 99);
    EXPECT_EQ(file.WriteInt(5), FileStatus::ReadError);
  }
  EXPECT_EQ(fake.ReadHostFile("C:\\bad.dat"), std::string(8, '\x01'));

  fake.files.Add({FileFault::FailWrite, "disk.dat", 6});
  TRecFile file;
  ASSERT_EQ(file.Open("C:\\disk.dat", 5, 0), FileStatus::Good);
  EXPECT_EQ(file.WriteInt(1), FileStatus::Good);
  EXPECT_EQ(file.WriteInt(2), FileStatus::WriteError);
  EXPECT_EQ(file.WriteInt(3), FileStatus::WriteError);
  file.Close();
  EXPECT_EQ(fake.ReadHostFile("C:\\disk.dat"), std::string("\x01\x00\x00\x00\x02\x00", 6));
}

// ----------------------------------------------------------- stream rows --

// LF, CR and CR LF each end one row, but a CR LF split across two chunks of
// 2048 bytes gives an extra empty row; longer rows are joined; a maximum
// length stops inside the row and leaves the rest for the next call. The
// end of the stream is raised only when asked.
TEST(ReadStreamRowTest, RowsAsTheyAreCutFromTheStream) {
  struct Case {
    std::string bytes;
    int32_t maximum;
    Rows rows;
  };
  const Case cases[] = {
      {"a\nb\rc\r\n\nd", -1, {"a", "b", "c", "", "d"}},
      {std::string(2047, 'x') + "\r\nnext", -1, {std::string(2047, 'x'), "", "next"}},
      {std::string(3000, 'y') + "\r\nz", -1, {std::string(3000, 'y'), "z"}},
      {"abcdef\r\ng", 4, {"abcd", "ef", "g"}},
  };
  for (const Case& c : cases) {
    TMemoryStream stream(c.bytes);
    Rows rows;
    for (int i = 0; i < 10 && stream.Position() < static_cast<int64_t>(c.bytes.size()); ++i)
      rows.push_back(ReadStreamRow(stream, c.maximum, false));
    EXPECT_EQ(rows, c.rows) << c.bytes.substr(0, 12);
    EXPECT_EQ(ReadStreamRow(stream, c.maximum, false), "");
  }
  TMemoryStream stream("ab\n");
  stream.SetPosition(3);
  EXPECT_THROW(ReadStreamRow(stream, -1, true), EIdEndOfStream);
  stream.SetPosition(0);
  EXPECT_NO_THROW(EXPECT_EQ(ReadStreamRow(stream, -1, true), "ab"));
}

// ----------------------------------------------------------- TStreamFile --

// Rows are cut to 255 characters, then to the maximum; the last row without
// a line end comes with the end of the file.
TEST_F(TStreamFileTest, RowsAreReadUpToTheEnd) {
  fake.WriteHostFile("C:\\long.txt", std::string(300, 'a') + "\n" + std::string(20, 'b') + "\r\nlast");
  TStreamFile file;
  EXPECT_EQ(file.Open("C:\\absent.txt", 1, true), FileStatus::NotFound);
  EXPECT_EQ(file.Open("", 1, true), FileStatus::NotFound);
  ASSERT_EQ(file.Open("C:\\long.txt", 1, true), FileStatus::Good);
  std::string row;
  EXPECT_EQ(file.ReadLn(row), FileStatus::Good);
  EXPECT_EQ(row, std::string(255, 'a'));
  EXPECT_EQ(file.ReadLn(row, 10), FileStatus::Good);
  EXPECT_EQ(row, std::string(10, 'b'));
  EXPECT_FALSE(file.Eof());
  EXPECT_EQ(file.ReadLn(row), FileStatus::EndOfFile);
  EXPECT_EQ(row, "last");
  EXPECT_TRUE(file.Eof());
  EXPECT_EQ(file.Close(), FileStatus::Closed);
  EXPECT_EQ(file.Close(), FileStatus::Closed);
  EXPECT_FALSE(Files().FileExists("C:\\absent.txt"));
}

TEST_F(TStreamFileTest, LoadLinesReadsEveryRowBesideAnotherReaderAndStopsAtAReadError) {
  fake.WriteHostFile("C:\\list.txt", "$version=1\r\nalpha\nbeta");
  TStreamFile reader;
  ASSERT_EQ(reader.Open("C:\\list.txt", 1, true), FileStatus::Good);
  TStreamFile loader;
  Rows rows;
  EXPECT_EQ(loader.LoadLines(rows, "C:\\list.txt"), 1);
  EXPECT_EQ(rows, (Rows{"$version=1", "alpha", "beta"}));
  loader.Close();
  reader.Close();
  fake.files.Add({FileFault::FailRead, "list.txt", 0});
  rows.clear();
  EXPECT_EQ(loader.LoadLines(rows, "C:\\list.txt"), FileStatus::ReadError);
  EXPECT_TRUE(rows.empty());
  loader.Close();
}

}  // namespace
}  // namespace strevo
