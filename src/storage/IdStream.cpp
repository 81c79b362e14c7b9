#include "storage/IdStream.h"

#include "platform/Ansi.h"
#include "storage/FileObj.h"
#include "storage/ToolBox.h"

namespace strevo {

void ScrambleRow(std::string& row) {
  for (char& c : row) c = static_cast<char>(static_cast<unsigned char>(c) ^ kScrambleKey);
}

namespace {

enum class HeaderKind { Text, Stream };

bool ends_header(const std::string& trimmed) {
  return trimmed.empty() || trimmed[0] != '$' || ascii_lower(trimmed.substr(0, 4)) == "$end";
}

void apply_tag(TFile& file, const std::string& trimmed, HeaderKind kind) {
  const std::vector<std::string> fields = SplitFields(trimmed, "=;");
  if (fields.size() < 2) return;  // a tag without a value changes nothing
  const std::string tag = ascii_lower(fields[0]);
  const std::string& value = fields[1];
  if (tag == "$version") file.Version = value;
  else if (tag == "$copyright") file.Copyright = value;
  else if (tag == "$longdesc") file.LongDesc = value;
  else if (tag == "$description") file.Description = value;
  else if (tag == "$author") file.Author = value;
  else if (tag == "$durationlist" && kind == HeaderKind::Text) file.DurationList = value;
  else if (tag == "$language" && kind == HeaderKind::Stream) file.Language = ansi_upper(value);
  else if (tag == "$fileformat") file.Crypted = ansi_lower(value) == "crypted" ? 1 : 0;
}

void clear_header(TFile& file) {
  // A file object opened again after a scrambled file must not unscramble
  // the plain rows of the next one.
  file.Crypted = 0;
  file.Version.clear();
  file.Copyright.clear();
  file.Description.clear();
  file.Author.clear();
}

}  // namespace

void ReadTextHeader(TTextFile& file) {
  clear_header(file);
  for (int row = 0; row < 15; ++row) {
    const int32_t start = file.Position;
    if (start >= file.Size) break;  // a read past the end counts as "$end"
    std::string text;
    file.ReadLn(text);
    if (file.Status != FileStatus::Good && file.Status != FileStatus::EndOfFile) return;
    const std::string trimmed = TrimBlanks(text);
    if (ends_header(trimmed)) {
      // The row that ended the header is the caller's first row.
      file.Position = start;
      file.Status = FileStatus::Good;
      break;
    }
    apply_tag(file, trimmed, HeaderKind::Text);
  }
  if (file.Status == FileStatus::EndOfFile) file.Status = FileStatus::Good;
  if (file.Handle) file.Handle->Seek(file.Position, SeekOrigin::Begin);
  file.HasVersion = TrimBlanks(file.Version).empty() ? 0 : 1;
}

void ReadStreamHeader(TStreamFile& file) {
  clear_header(file);
  if (!file.Stream) return;
  for (int row = 0; row < 8; ++row) {
    const int64_t start = file.Stream->Position();
    if (start >= file.Stream->Size()) break;
    std::string text;
    file.ReadLn(text, 255);
    const bool last = file.Status == FileStatus::EndOfFile;
    const std::string trimmed = TrimBlanks(text);
    // The last row of a source is taken as "$end", never as a header row.
    if (last || ends_header(trimmed)) {
      file.Stream->Seek(start, SeekOrigin::Begin);
      file.Status = FileStatus::Good;
      break;
    }
    apply_tag(file, trimmed, HeaderKind::Stream);
  }
}

}  // namespace strevo
