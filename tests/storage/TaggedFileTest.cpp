// The "$"-tagged header of text data files, scrambled rows, and LoadLines.
#include <gtest/gtest.h>

#include <random>

#include "storage/Exceptions.h"
#include "storage/FileObj.h"
#include "storage/IdStream.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

std::string Scrambled(std::string row) {
  ScrambleRow(row);
  return row;
}

class TaggedFileTest : public test::PlatformTest {
 protected:
  const std::string path = "C:\\Data\\words.txt";
  void Write(const std::string& bytes) { fake.WriteHostFile(path, bytes); }
};

// ------------------------------------------------------------- text files --

TEST_F(TaggedFileTest, VersionRowThenEndRowLeavesTheEndRowForTheCaller) {
  Write("$version=2.1\r\n$end\r\ndata\r\n");
  TTextFile file;
  ASSERT_EQ(file.Open(path, 1), 1);
  EXPECT_EQ(file.Version, "2.1");
  EXPECT_EQ(file.HasVersion, 1);
  std::string row;
  file.ReadLn(row);
  EXPECT_EQ(row, "$end");
  file.ReadLn(row);
  EXPECT_EQ(row, "data");
}

TEST_F(TaggedFileTest, FileWithoutHeaderSetsNothingAndKeepsItsFirstRow) {
  Write("hello\r\nworld\r\n");
  TTextFile file;
  ASSERT_EQ(file.Open(path, 1), 1);
  EXPECT_EQ(file.Version, "");
  EXPECT_EQ(file.HasVersion, 0);
  std::string row;
  file.ReadLn(row);
  EXPECT_EQ(row, "hello");
}

TEST_F(TaggedFileTest, PercentBeforeSemicolonKeepsItInTheValue) {
  Write("$description=Words%; common\r\n$author=Ann;ignored\r\n$end\r\n");
  TTextFile file;
  ASSERT_EQ(file.Open(path, 1), 1);
  EXPECT_EQ(file.Description, "Words; common");
  EXPECT_EQ(file.Author, "Ann") << "fields after the value are ignored";
}

TEST_F(TaggedFileTest, OnlyFifteenHeaderRowsAreReadFromATextFile) {
  std::string bytes;
  for (int i = 1; i <= 16; ++i) bytes += "$version=" + std::to_string(i) + "\r\n";
  Write(bytes + "data\r\n");
  TTextFile file;
  ASSERT_EQ(file.Open(path, 1), 1);
  EXPECT_EQ(file.Version, "15");
  std::string row;
  file.ReadLn(row);
  EXPECT_EQ(row, "$version=16") << "the file is left after the fifteenth row";
}

TEST_F(TaggedFileTest, EveryKnownTagLandsInItsField) {
  Write(
      "  $VERSION=3\t\r\n$Copyright=(c) us\r\n$longdesc=long\r\n$author=me\r\n"
      "$durationlist=1,2,3\r\n$language=eng\r\n$unknown=x\r\n$end\r\n");
  TTextFile file;
  ASSERT_EQ(file.Open(path, 1), 1);
  EXPECT_EQ(file.Version, "3");
  EXPECT_EQ(file.Copyright, "(c) us");
  EXPECT_EQ(file.LongDesc, "long");
  EXPECT_EQ(file.Author, "me");
  EXPECT_EQ(file.DurationList, "1,2,3");
  EXPECT_EQ(file.Language, "") << "text files ignore the language tag";
}

TEST_F(TaggedFileTest, BlankBeforeEqualsMakesTheTagUnknownAndEmptyValueChangesNothing) {
  Write("$version =2\r\n$author=\r\n$end\r\n");
  TTextFile file;
  ASSERT_EQ(file.Open(path, 1), 1);
  EXPECT_EQ(file.Version, "");
  EXPECT_EQ(file.Author, "");
}

TEST_F(TaggedFileTest, HeaderAtTheEndOfTheFileCountsAsEnded) {
  Write("$version=4");
  TTextFile file;
  ASSERT_EQ(file.Open(path, 1), 1);
  EXPECT_EQ(file.Version, "4") << "a text file reads its last row as header";
  std::string row;
  EXPECT_EQ(file.ReadLn(row), 0);
  EXPECT_EQ(row, "");
}

TEST_F(TaggedFileTest, CapitalCryptedFormatUnscramblesEveryFollowingRow) {
  Write("$FILEFORMAT=CRYPTED\r\n" + Scrambled("$version=9") + "\r\n" + Scrambled("$end") + "\r\n" +
        Scrambled("secret row") + "\r\n");
  TTextFile file;
  ASSERT_EQ(file.Open(path, 1), 1);
  EXPECT_EQ(file.Crypted, 1);
  EXPECT_EQ(file.Version, "9");
  std::string row;
  file.ReadLn(row);
  EXPECT_EQ(row, "$end");
  file.ReadLn(row);
  EXPECT_EQ(row, "secret row");
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

TEST(ScrambleTest, EachByteIsCombinedWithTheKeyByte) {
  std::string row = std::string("A\x8B\xFF", 3);
  ScrambleRow(row);
  EXPECT_EQ(row, std::string("\xCA\0t", 3));
  UnscrambleRow(row);
  EXPECT_EQ(row, std::string("A\x8B\xFF", 3));
  std::string ends = "\r\n";
  ScrambleRow(ends);
  EXPECT_EQ(ends.find_first_of("\r\n"), std::string::npos) << "scrambled rows keep their row ends unique";
}

// ----------------------------------------------------------- stream files --

TEST_F(TaggedFileTest, StreamSourceOfOneVersionRowSetsNothing) {
  Write("$version=3\r\n");
  TStreamFile file;
  ASSERT_EQ(file.Open(path, 1, false), 1);
  EXPECT_EQ(file.Version, "") << "the last row of a source is never a header row";
  std::string row;
  file.ReadLn(row);
  EXPECT_EQ(row, "$version=3");
  file.Close();
}

TEST_F(TaggedFileTest, StreamHeaderStopsAfterEightRowsAndUpperCasesTheLanguage) {
  std::string bytes = "$language=eng\r\n";
  for (int i = 2; i <= 9; ++i) bytes += "$version=" + std::to_string(i) + "\r\n";
  Write(bytes + "data\r\n");
  TStreamFile file;
  ASSERT_EQ(file.Open(path, 1, false), 1);
  EXPECT_EQ(file.Language, "ENG");
  EXPECT_EQ(file.Version, "8");
  std::string row;
  file.ReadLn(row);
  EXPECT_EQ(row, "$version=9");
  file.Close();
}

TEST_F(TaggedFileTest, StreamFileUnscramblesAfterCryptedFormat) {
  Write("$fileformat=Crypted\r\n" + Scrambled("$end") + "\n" + Scrambled("row one") + "\r" + Scrambled("row two") +
        "\r\n");
  TStreamFile file;
  ASSERT_EQ(file.Open(path, 1, false), 1);
  EXPECT_EQ(file.Crypted, 1);
  std::vector<std::string> rows;
  std::string row;
  do {
    file.ReadLn(row);
    rows.push_back(row);
  } while (file.Status == 1);
  EXPECT_EQ(rows, (std::vector<std::string>{"$end", "row one", "row two"}));
  file.Close();
}

TEST_F(TaggedFileTest, SkippingTheHeaderReadsDollarRowsAsData) {
  Write("$version=1\r\ndata\r\n");
  TStreamFile file;
  ASSERT_EQ(file.Open(path, 1, true), 1);
  EXPECT_EQ(file.Version, "");
  std::string row;
  file.ReadLn(row);
  EXPECT_EQ(row, "$version=1");
  file.Close();
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
}

TEST_F(TaggedFileTest, LoadLinesOfAMissingLocalFileRaises) {
  TStreamFile file;
  std::vector<std::string> rows;
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
