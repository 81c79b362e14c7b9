// The "$"-tagged header and the scrambled rows of the program's text data
// files, through every reader of them: text files (TTextFile, as the word
// lists are read into the word collection), stream files (TStreamFile) and
// whole-source loads (LoadLines).
//
// Properties: every reader stops; a scrambled row scrambled again is the
// file's bytes; rows are cut to their lengths.
#include <string>
#include <vector>

#include "analysis/WordAnalyzer.h"
#include "storage/FileObj.h"
#include "storage/IdStream.h"
#include "support/FuzzMachine.h"

using namespace strevo;

namespace {

const std::string kPath = "C:\\Data\\words.txt";

void ReadText(const std::string& bytes) {
  TTextFile file;
  if (file.Open(kPath, text_mode::Read) != FileStatus::Good) return;
  std::string row;
  while (file.Status == FileStatus::Good) {
    const int32_t before = file.Position;
    file.ReadLn(row);
    if (file.Status != FileStatus::Good && file.Status != FileStatus::EndOfFile) break;
    if (file.Status == FileStatus::Good) fuzz::Check(file.Position > before, "a text file row moves on");
    if (file.Crypted && static_cast<size_t>(before) <= bytes.size()) {
      ScrambleRow(row);
      fuzz::Check(bytes.compare(static_cast<size_t>(before), row.size(), row) == 0,
                  "a scrambled row is the file's bytes unscrambled");
    }
  }
  file.Close();
}

void ReadStream(bool skipHeader) {
  TStreamFile file;
  if (file.Open(kPath, 1, skipHeader) != FileStatus::Good) return;
  std::string row;
  while (file.Status == FileStatus::Good && !file.Eof()) {
    file.ReadLn(row, 100);
    fuzz::Check(row.size() <= 100, "a stream row is cut to its length");
  }
  file.Close();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzMachine machine;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  machine.Write(kPath, bytes);

  ReadText(bytes);
  ReadStream(false);
  ReadStream(true);
  TStreamFile loader;
  std::vector<std::string> rows;
  fuzz::Check(loader.LoadLines(rows, "file:///" + kPath) == 1, "a local file loads");
  loader.Close();

  TWordList words;
  words.LoadWordFile(kPath, 2);
  words.WeightedList(kWordSourceTyped, 1);
  return 0;
}
