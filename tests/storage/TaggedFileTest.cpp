// The "$"-tagged header of text data files, scrambled rows, and LoadLines.
#include <gtest/gtest.h>

#include <random>

#include "storage/Exceptions.h"
#include "storage/FileObj.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

// A scrambled row: each byte combined with 0x8B by exclusive or.
std::string Scrambled(std::string row) {
  for (char& c : row) c = static_cast<char>(static_cast<unsigned char>(c) ^ 0x8B);
  return row;
}

class TaggedFileTest : public test::PlatformTest {
 protected:
  const std::string path = "C:\\Data\\words.txt";
  void Write(const std::string& bytes) { fake.WriteHostFile(path, bytes); }
};

// The header fields a file object read, then its next rows up to the status
// that is not Good: "version=2.1 hasversion [$end] [data] [] end".
template <class File>
std::string HeaderAndRows(File& file) {
  std::string text;
  const auto add = [&text](const char* name, const std::string& value) {
    if (!value.empty()) text += std::string(name) + "=" + value + " ";
  };
  add("version", file.Version);
  add("description", file.Description);
  add("author", file.Author);
  add("copyright", file.Copyright);
  add("longdesc", file.LongDesc);
  add("durationlist", file.DurationList);
  add("language", file.Language);
  if (file.HasVersion) text += "hasversion ";
  if (file.Crypted) text += "crypted ";
  std::string row;
  for (int i = 0; i < 4; ++i) {
    const int32_t status = file.ReadLn(row);
    text += "[" + row + (status == FileStatus::Good ? "] " : "] end");
    if (status != FileStatus::Good) break;
  }
  return text;
}

TEST_F(TaggedFileTest, HeaderRowsLandInTheirFieldsAndTheRestIsLeftForTheCaller) {
  enum Kind { Text, Stream, StreamSkippingHeader };
  struct Case {
    Kind kind;
    std::string bytes;
    std::string expected;
  };
  std::string sixteen, nine = "$language=eng\r\n";
  for (int i = 1; i <= 16; ++i) sixteen += "$version=" + std::to_string(i) + "\r\n";
  for (int i = 2; i <= 9; ++i) nine += "$version=" + std::to_string(i) + "\r\n";
  const Case cases[] = {
      {Text, "$version=2.1\r\n$end\r\ndata\r\n", "version=2.1 hasversion [$end] [data] [] end"},
      {Text, "hello\r\nworld\r\n", "[hello] [world] [] end"},
      // "%" keeps a ";" in the value; fields after the value are ignored.
      {Text, "$description=Words%; common\r\n$author=Ann;ignored\r\n$end\r\n",
       "description=Words; common author=Ann [$end] [] end"},
      {Text, sixteen + "data\r\n", "version=15 hasversion [$version=16] [data] [] end"},
      // Text files ignore the language tag.
      {Text,
       "  $VERSION=3\t\r\n$Copyright=(c) us\r\n$longdesc=long\r\n$author=me\r\n"
       "$durationlist=1,2,3\r\n$language=eng\r\n$unknown=x\r\n$end\r\n",
       "version=3 author=me copyright=(c) us longdesc=long durationlist=1,2,3 hasversion [$end] [] end"},
      // A blank before "=" makes the tag unknown; an empty value changes nothing.
      {Text, "$version =2\r\n$author=\r\n$end\r\n", "[$end] [] end"},
      // A text file reads its last row as header.
      {Text, "$version=4", "version=4 hasversion [] end"},
      {Text,
       "$FILEFORMAT=CRYPTED\r\n" + Scrambled("$version=9") + "\r\n" + Scrambled("$end") + "\r\n" +
           Scrambled("secret row") + "\r\n",
       "version=9 hasversion crypted [$end] [secret row] [] end"},
      // The last row of a stream is never a header row.
      {Stream, "$version=3\r\n", "[$version=3] end"},
      {Stream, nine + "data\r\n", "version=8 language=ENG [$version=9] [data] end"},
      {Stream,
       "$fileformat=Crypted\r\n" + Scrambled("$end") + "\n" + Scrambled("row one") + "\r" + Scrambled("row two") +
           "\r\n",
       "crypted [$end] [row one] [row two] end"},
      {StreamSkippingHeader, "$version=1\r\ndata\r\n", "[$version=1] [data] end"},
  };
  for (const Case& c : cases) {
    Write(c.bytes);
    if (c.kind == Text) {
      TTextFile file;
      ASSERT_EQ(file.Open(path, 1), 1) << c.bytes;
      EXPECT_EQ(HeaderAndRows(file), c.expected) << c.bytes;
    } else {
      TStreamFile file;
      ASSERT_EQ(file.Open(path, 1, c.kind == StreamSkippingHeader), 1) << c.bytes;
      EXPECT_EQ(HeaderAndRows(file), c.expected) << c.bytes;
      file.Close();
    }
  }
}

TEST_F(TaggedFileTest, ReopeningAfterAScrambledFileReadsPlainRowsPlain) {
  Write("$fileformat=crypted\r\n" + Scrambled("x") + "\r\n");
  fake.WriteHostFile("C:\\Data\\plain.txt", "$version=1\r\nplain\r\n");
  TTextFile file;
  ASSERT_EQ(file.Open(path, 1), 1);
  ASSERT_EQ(file.Crypted, 1);
  file.Close();
  ASSERT_EQ(file.Open("C:\\Data\\plain.txt", 1), 1);
  EXPECT_EQ(file.Crypted, 0);
  EXPECT_EQ(file.Version, "1");
  std::string row;
  file.ReadLn(row);
  EXPECT_EQ(row, "plain");
}

// -------------------------------------------------------------- LoadLines --

TEST_F(TaggedFileTest, LoadLinesReadsAFileAddressWithoutInterpretingAnything) {
  const std::string longRow(100000, 'x');
  Write("$fileformat=crypted\r\n" + Scrambled("kept") + "\n" + longRow + "\rlast");
  TStreamFile file;
  std::vector<std::string> rows;
  EXPECT_EQ(file.LoadLines(rows, "file:///" + path), 1);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0], "$fileformat=crypted");
  EXPECT_EQ(rows[1], Scrambled("kept")) << "LoadLines never unscrambles";
  EXPECT_EQ(rows[2], longRow) << "rows of any length";
  EXPECT_EQ(rows[3], "last");
  file.Close();
  EXPECT_THROW(file.LoadLines(rows, "C:\\Data\\none.txt"), EFOpenError);
  EXPECT_THROW(file.LoadLines(rows, "file:///C:\\Data\\none.txt"), EFOpenError);
}

// --------------------------------------------------------------- bad input --

TEST_F(TaggedFileTest, BinaryAndHugeFilesNeverHangTheHeaderReaders) {
  std::mt19937 random(11);
  std::string binary(200000, '\0');
  for (char& c : binary) c = static_cast<char>(random() & 0xFF);
  binary[0] = '$';
  const std::string huge = "$version=" + std::string(3 * 1024 * 1024, 'v');
  for (const std::string& bytes : {binary, huge, std::string("$"), std::string("$\r"), std::string("\r\n\r\n")}) {
    Write(bytes);
    TTextFile text;
    EXPECT_EQ(text.Open(path, 1), 1);
    std::string row;
    for (int i = 0; i < 1000 && text.ReadLn(row) == 1; ++i) {
    }
    text.Close();
    TStreamFile stream;
    EXPECT_EQ(stream.Open(path, 1, false), 1);
    for (int i = 0; i < 100000 && stream.ReadLn(row) == 1; ++i) {
    }
    EXPECT_TRUE(stream.Eof());
    stream.Close();
  }
}

}  // namespace
}  // namespace strevo
