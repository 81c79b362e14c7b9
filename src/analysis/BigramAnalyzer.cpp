#include "analysis/BigramAnalyzer.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>

#include "platform/Ansi.h"
#include "platform/Platform.h"
#include "storage/DateTime.h"
#include "storage/DebugLog.h"
#include "storage/Errors.h"
#include "storage/FileObj.h"
#include "storage/PrgSetup.h"
#include "storage/Streams.h"
#include "storage/ToolBox.h"
#include "storage/WholeFile.h"

namespace strevo {

namespace {

constexpr int32_t kLongestAcceptedPause = 5000;  // ms; longer pauses add no time
// A bigram file holds at most 1 024 short objects (about 100 KB); anything
// above this is not a bigram file and is not read into memory.
constexpr int64_t kLargestReadableFile = 64LL * 1024 * 1024;
// The error table's "Contents detected error": a file that is no letter-pair
// file, or is cut short.
constexpr int32_t kContentsError = -1052;

const char* true_false(bool value) { return value ? "True" : "False"; }

bool is_letter_or_digit(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string format_text(const char* format, const std::string& text) {
  std::string result(format);
  const size_t at = result.find("%s");
  if (at != std::string::npos) result.replace(at, 2, text);
  return result;
}

// "yyyy-mm-ddThh:nn:ssZ"; whole hours when hourOnly ("yyyy-mm-ddThh:00:00Z").
std::string timestamp_text(double dateTime, bool hourOnly) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, ms = 0;
  decode_date(dateTime, year, month, day);
  decode_time(dateTime, hour, minute, second, ms);
  if (hourOnly) minute = second = 0;
  char text[64];
  std::snprintf(text, sizeof text, "%.4d-%.2d-%.2dT%.2d:%.2d:%.2dZ", year, month, day, hour, minute, second);
  return text;
}

// Digits after the first occurrence of field (blanks, tabs and line ends
// skipped); 0 when the field is missing, has no digits or does not fit.
int64_t read_number_field(std::string_view object, std::string_view field, int64_t largest) {
  const size_t at = object.find(field);
  if (at == std::string_view::npos) return 0;
  size_t i = at + field.size();
  while (i < object.size() && (object[i] == ' ' || object[i] == '\t' || object[i] == '\n' || object[i] == '\r')) ++i;
  int64_t value = 0;
  bool any = false;
  for (; i < object.size() && object[i] >= '0' && object[i] <= '9'; ++i) {
    any = true;
    const int digit = object[i] - '0';
    if (value > (largest - digit) / 10) return 0;
    value = value * 10 + digit;
  }
  return any ? value : 0;
}

// End of the object that starts at text[start] ('{'): its matching '}', with
// braces inside string literals (and escaped characters in them) ignored.
// npos when the object is not closed.
size_t object_end(std::string_view text, size_t start) {
  int64_t depth = 0;
  bool inString = false;
  for (size_t i = start; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '{') {
      ++depth;
    } else if (c == '}') {
      if (--depth == 0) return i;
    }
  }
  return std::string_view::npos;
}

// The byte of four hex digits at the start of text ("00e9"); -1 when they are
// not four hex digits or name a character above 255.
int hex_byte(std::string_view text) {
  if (text.size() < 4) return -1;
  int code = 0;
  for (size_t i = 0; i < 4; ++i) {
    const char c = text[i];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return -1;
    code = code * 16 + digit;
  }
  return code < 256 ? code : -1;
}

// The text of the string literal whose opening quote is text[open], its
// escapes undone, so that every key EscapeJson wrote reads back as it was
// (a key read with its escapes would double its backslashes at every save).
// An escape that is no JSON escape, or a \u beyond one byte, is kept as it
// stands. npos in end when the literal is not closed.
std::string json_string_at(std::string_view text, size_t open, size_t& end) {
  std::string value;
  for (size_t i = open + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      end = i;
      return value;
    }
    if (c != '\\' || i + 1 >= text.size()) {
      value += c;
      continue;
    }
    const char escaped = text[++i];
    switch (escaped) {
      case '"': case '\\': case '/': value += escaped; break;
      case 'b': value += '\b'; break;
      case 'f': value += '\f'; break;
      case 'n': value += '\n'; break;
      case 'r': value += '\r'; break;
      case 't': value += '\t'; break;
      default: {
        const int code = escaped == 'u' ? hex_byte(text.substr(i + 1)) : -1;
        if (code >= 0) {
          value += static_cast<char>(code);
          i += 4;
        } else {
          value += '\\';
          value += escaped;
        }
      }
    }
  }
  end = std::string_view::npos;
  return value;
}

size_t skip_blanks(std::string_view text, size_t i) {
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' || text[i] == '\r')) ++i;
  return i;
}

// The position after the value that starts at text[i] (a string, an object,
// an array or a bare word such as a number), npos when it does not end.
size_t value_end(std::string_view text, size_t i) {
  if (i >= text.size()) return std::string_view::npos;
  if (text[i] == '"') {
    size_t close = 0;
    json_string_at(text, i, close);
    return close == std::string_view::npos ? close : close + 1;
  }
  if (text[i] == '{' || text[i] == '[') {
    int64_t depth = 0;
    for (size_t j = i; j < text.size(); ++j) {
      const char c = text[j];
      if (c == '"') {
        size_t close = 0;
        json_string_at(text, j, close);
        if (close == std::string_view::npos) return close;
        j = close;
      } else if (c == '{' || c == '[') {
        ++depth;
      } else if ((c == '}' || c == ']') && --depth == 0) {
        return j + 1;
      }
    }
    return std::string_view::npos;
  }
  while (i < text.size() && text[i] != ',' && text[i] != '}' && text[i] != ']' && text[i] != ' ' &&
         text[i] != '\t' && text[i] != '\n' && text[i] != '\r')
    ++i;
  return i;
}

// Where the value of the top-level object's member name starts, read by
// the file's structure: a member of the same name inside another member's
// value (the user's name, say) is never taken for it. npos when the object
// has no such member or is not one.
size_t top_level_member(std::string_view json, std::string_view name) {
  size_t i = skip_blanks(json, 0);
  if (i >= json.size() || json[i] != '{') return std::string_view::npos;
  i = skip_blanks(json, i + 1);
  while (i < json.size() && json[i] == '"') {
    size_t close = 0;
    const std::string key = json_string_at(json, i, close);
    if (close == std::string_view::npos) return close;
    i = skip_blanks(json, close + 1);
    if (i >= json.size() || json[i] != ':') return std::string_view::npos;
    i = skip_blanks(json, i + 1);
    if (key == name) return i;
    i = value_end(json, i);
    if (i == std::string_view::npos) return i;
    i = skip_blanks(json, i);
    if (i >= json.size() || json[i] != ',') return std::string_view::npos;
    i = skip_blanks(json, i + 1);
  }
  return std::string_view::npos;
}

// "yyyy-mm-ddThh:nn:ssZ" as the file writes it, as a date-time; false for
// anything else.
bool read_timestamp(std::string_view text, double& dateTime) {
  if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text[19] != 'Z')
    return false;
  const auto number = [&](size_t at, size_t digits, int& value) {
    value = 0;
    for (size_t k = at; k < at + digits; ++k) {
      if (text[k] < '0' || text[k] > '9') return false;
      value = value * 10 + (text[k] - '0');
    }
    return true;
  };
  int year, month, day, hour, minute, second;
  if (!number(0, 4, year) || !number(5, 2, month) || !number(8, 2, day) || !number(11, 2, hour) ||
      !number(14, 2, minute) || !number(17, 2, second))
    return false;
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 59)
    return false;
  const double date = encode_date(year, month, day);
  int y = 0, m = 0, d = 0;
  decode_date(date, y, m, d);
  if (y != year || m != month || d != day) return false;  // 31 April
  dateTime = date + (date < 0 ? -1.0 : 1.0) * encode_time(hour, minute, second);
  return true;
}

// The text of a string field of an object ("last_seen"), empty when the
// object has none.
std::string string_field(std::string_view object, std::string_view field) {
  const size_t at = object.find(field);
  if (at == std::string_view::npos) return {};
  const size_t open = skip_blanks(object, at + field.size());
  if (open >= object.size() || object[open] != '"') return {};
  size_t close = 0;
  std::string value = json_string_at(object, open, close);
  return close == std::string_view::npos ? std::string() : value;
}

}  // namespace

std::string EscapeJson(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\r': out += "\\r"; break;
      case 8: out += "\\b"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case 12: out += "\\f"; break;
      case '"': out += "\\\""; break;
      case '/': out += "\\/"; break;
      case '\\': out += "\\\\"; break;
      default:
        if (c < 32) {
          char code[8];
          std::snprintf(code, sizeof code, "\\u%.4x", c);
          out += code;
        } else {
          out += ch;
        }
    }
  }
  return out;
}

// -------------------------------------------------------- TBigramDictionary --

TBigramDictionary::TBigramDictionary() {
  Keys.reserve(kSlots);
  Records.reserve(kSlots);
  Index.reserve(kSlots);
}

bool TBigramDictionary::Find(std::string_view key, TBigramRecord& record) const {
  const auto it = Index.find(key);
  if (it == Index.end()) return false;
  record = Records[static_cast<size_t>(it->second)];
  return true;
}

TBigramRecord* TBigramDictionary::Lookup(std::string_view key) {
  const auto it = Index.find(key);
  return it == Index.end() ? nullptr : &Records[static_cast<size_t>(it->second)];
}

int32_t TBigramDictionary::Put(std::string_view key, const TBigramRecord& record) {
  const auto it = Index.find(key);
  if (it != Index.end()) {
    Records[static_cast<size_t>(it->second)] = record;
    return it->second;
  }
  if (Count >= kSlots) return -1;
  Keys.emplace_back(key);
  Records.push_back(record);
  Index.emplace(std::string(key), Count);
  return Count++;
}

void TBigramDictionary::Clear() {
  Count = 0;
  Keys.clear();
  Records.clear();
  Index.clear();
}

// ---------------------------------------------------------- TBigramAnalyzer --

TUserBigrams::~TUserBigrams() {
  if (!Dirty) return;
  try {
    Save();
  } catch (const std::exception& error) {
    if (DebugLogOn()) DebugLog(1, std::string("Saving bigrams failed: ") + error.what());
  } catch (...) {
  }
}

namespace {

std::string in_folder(const std::string& folder, const std::string& base) {
  std::string name = folder;
  if (name.empty() || name.back() != '\\') name += '\\';
  return name + base + ".json";
}

}  // namespace

std::string TUserBigrams::FileName() const { return in_folder(Folder, FileBase); }

std::string TUserBigrams::FormerFileName() const { return in_folder(Folder, UserName); }

std::string TUserBigrams::SourceFileName() const {
  const std::string path = FileName();
  if (!Files().FileExists(path) && !IsUnsafeUserName(UserName) && Files().FileExists(FormerFileName()))
    return FormerFileName();
  return path;
}

bool TUserBigrams::IsUnsafeUserName(std::string_view name) {
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 32 || c == '\\' || c == '/' || c == ':') return true;
  }
  return name.find("..") != std::string_view::npos || IsReservedDeviceName(name);
}

void TBigramAnalyzer::SetEnabled(bool enabled) {
  if (enabled == Enabled) return;
  Enabled = enabled;
  if (enabled) Resume();
  if (DebugLogOn()) DebugLog(1, format_text("BigramAnalyzer enabled: %s", true_false(enabled)));
}

void TUserBigrams::SetUser(const std::string& name, const std::string& fileBase) {
  if (name == UserName && fileBase == FileBase) return;
  if (Dirty) {
    // A failed save of the old user's bigrams must not stop the user change;
    // the old user's earlier file is still in place.
    try {
      Save();
    } catch (const std::exception& error) {
      if (DebugLogOn()) DebugLog(1, "Saving bigrams for " + UserName + " failed: " + error.what());
    }
  }
  UserName = name;
  FileBase = fileBase;
  Load();
  if (DebugLogOn()) DebugLog(1, "User changed to " + name);
}

void TBigramAnalyzer::CountBigram(unsigned char first, unsigned char second, int32_t time, bool error) {
  if (Enabled && Table) Table->Count(first, second, time, error);
}

void TUserBigrams::Count(unsigned char first, unsigned char second, int32_t time, bool error) {
  if (first == 0 || second == 0) return;
  const char key[2] = {static_cast<char>(ansi_lower_char(first)), static_cast<char>(ansi_lower_char(second))};
  const std::string_view k(key, 2);
  // A file may hold figures at their largest: they stay there.
  auto count = [&](TBigramRecord& record) {
    if (record.Count < std::numeric_limits<int32_t>::max()) ++record.Count;
    if (error && record.ErrorCount < std::numeric_limits<int32_t>::max()) ++record.ErrorCount;
    if (time >= 1 && time < kLongestAcceptedPause)
      record.TimeSum = record.TimeSum > std::numeric_limits<int64_t>::max() - time ? std::numeric_limits<int64_t>::max()
                                                                                   : record.TimeSum + time;
    record.LastSeen = Clock().Now();
  };
  if (TBigramRecord* record = Dictionary.Lookup(k)) {
    count(*record);
  } else {
    TBigramRecord fresh;
    fresh.Bigram.assign(k);
    count(fresh);
    Dictionary.Put(k, fresh);  // dropped when the table is full
  }
  Dirty = true;
  if (DebugLogOn()) {
    char text[96];
    std::snprintf(text, sizeof text, "Bigram processed: %.2s, Time: %d, Error: %s", key, time, true_false(error));
    DebugLog(1, text);
  }
}

// Runs for every analysed key press: nothing is allocated or formatted here
// with the debug log off (except the first occurrence of a bigram).
void TBigramAnalyzer::CharPressed(unsigned char c, int32_t time) {
  if (!Enabled || !is_letter_or_digit(c)) return;
  if (PendingErrorChar != 0) {
    CountBigram(PendingErrorChar, c, 0, true);
    if (DebugLogOn()) {
      const char key[3] = {static_cast<char>(ansi_lower_char(PendingErrorChar)),
                           static_cast<char>(ansi_lower_char(c)), 0};
      DebugLog(1, format_text("Marked error for intended bigram: %s", key));
    }
    PendingErrorChar = 0;
  }
  CurChar = c;
  CurTime = time;
  if (PrevChar != 0 && !FirstChar) {
    // Message times wrap like the tick counter they come from.
    const auto delay = static_cast<int32_t>(static_cast<uint32_t>(CurTime) - static_cast<uint32_t>(PrevTime));
    CountBigram(PrevChar, CurChar, delay, false);
  } else {
    FirstChar = false;
  }
  PrevPrevChar = PrevChar;
  PrevChar = CurChar;
  PrevTime = CurTime;
  if (DebugLogOn()) {
    char text[64];
    std::snprintf(text, sizeof text, "Normal CharPressed: %c, Time: %d", static_cast<char>(c), time);
    DebugLog(0, text);
  }
}

void TBigramAnalyzer::Backspace() {
  if (!Enabled) return;
  if (PrevPrevChar != 0 && !FirstChar) {
    PendingErrorChar = PrevPrevChar;
    if (DebugLogOn())
      DebugLog(0, format_text("Backspace pressed, saved second-to-last char \"%s\" for error tracking",
                              std::string(1, static_cast<char>(PrevPrevChar))));
  }
  Reset();
}

void TBigramAnalyzer::Reset() {
  PrevChar = 0;
  PrevTime = 0;
  CurChar = 0;
  CurTime = 0;
  FirstChar = true;
}

void TBigramAnalyzer::WordEnd() {
  Reset();
  DebugLog(0, "End word, reset bigram state");
}

void TBigramAnalyzer::Cancel() {
  PendingErrorChar = 0;
  PrevPrevChar = 0;
  Reset();
  DebugLog(0, "Canceled bigram analysis");
}

void TBigramAnalyzer::Resume() {
  Reset();
  DebugLog(0, "Reset bigram analyzer");
}

void TUserBigrams::ClearTable() {
  Dictionary.Clear();
  Dirty = false;
}

std::string TUserBigrams::JsonText() const {
  std::vector<int32_t> order(static_cast<size_t>(Dictionary.GetCount()));
  for (int32_t i = 0; i < Dictionary.GetCount(); ++i) order[static_cast<size_t>(i)] = i;
  // Ascending byte order of the keys (the keys are unique).
  std::sort(order.begin(), order.end(),
            [this](int32_t a, int32_t b) { return Dictionary.KeyAt(a) < Dictionary.KeyAt(b); });

  std::string text;
  text.reserve(128 + order.size() * 120);
  text += "{";
  text += "\"user\": \"" + EscapeJson(UserName) + "\", ";
  text += "\"source\": " + std::to_string(Source) + ", ";
  text += "\"timestamp\": \"" + timestamp_text(Clock().Now(), false) + "\", ";
  text += "\"version\": \"1.0\", ";
  text += "\"bigrams\": [";
  bool first = true;
  for (const int32_t slot : order) {
    const TBigramRecord& record = Dictionary.RecordAt(slot);
    if (!first) text += ", ";
    first = false;
    text += "{";
    text += "\"bigram\": \"" + EscapeJson(Dictionary.KeyAt(slot)) + "\", ";
    text += "\"count\": " + std::to_string(record.Count) + ", ";
    text += "\"error_count\": " + std::to_string(record.ErrorCount) + ", ";
    text += "\"time_sum\": " + std::to_string(record.TimeSum) + ", ";
    text += "\"last_seen\": \"" + timestamp_text(record.LastSeen, true) + "\"";
    text += "}";
  }
  text += "]";
  text += "}";
  return text;
}

bool TUserBigrams::Save() {
  if (FileBase.empty() || Folder.empty()) return false;
  ForceDirectories(Folder);
  const std::string text = JsonText();
  const std::string path = FileName();
  if (!unreadable_.empty() && Files().FileExists(unreadable_)) {
    const std::string kept = KeepFileAside(unreadable_);
    if (kept.empty()) throw EBigramWriteError("The unreadable file \"" + unreadable_ + "\" cannot be kept aside.");
    LogError(unreadableCode_, "The letter-pair file " + unreadable_ + " could not be read whole; it is kept as " + kept +
                                  " and a new one is written.");
  }
  unreadable_.clear();
  // Written beside the old file and then put in its place, so that a write
  // failing half-way never leaves a cut or empty file behind.
  switch (WriteWholeFile(path, text)) {
    case WholeFileResult::Written: break;
    case WholeFileResult::CannotCreate:
      throw EFOpenError("Cannot create file \"" + PartialFileName(path) + "\".");
    case WholeFileResult::WriteFailed: throw EBigramWriteError("Stream write error");
    case WholeFileResult::CannotReplace: throw EBigramWriteError("Cannot replace file \"" + path + "\".");
  }
  Dirty = false;
  if (DebugLogOn())
    DebugLog(1, "Saved " + std::to_string(Dictionary.GetCount()) + " bigrams to " + path);
  return true;
}

namespace {

// The whole file: Good, EndOfFile for an empty one, else the failure
// (logged).
int32_t read_bigram_file(const std::string& path, std::string& text) {
  auto stream = TFileStream::Open(path, {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting});
  if (!stream) {
    DebugLog(1, "Error loading bigram data: Cannot open file");
    return FileStatus::OpenFailed;
  }
  const int64_t size = stream->Size();
  if (size <= 0) {
    DebugLog(1, "Error loading bigram data: Empty file");
    return FileStatus::EndOfFile;
  }
  if (DebugLogOn()) DebugLog(1, "Bigram data file size: " + std::to_string(size) + " bytes");
  if (size > kLargestReadableFile) {
    DebugLog(1, "Error loading bigram data: File too large");
    return FileStatus::TooLarge;
  }
  try {
    text.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    DebugLog(1, "Error loading bigram data: Out of memory");
    return FileStatus::TooLarge;
  }
  int64_t done = 0;
  while (done < size) {
    const int64_t n = stream->Read(text.data() + done, size - done);
    if (n <= 0) break;
    done += n;
  }
  if (done < size) {
    DebugLog(1, "Error loading bigram data: Read error");
    return FileStatus::ReadError;
  }
  return FileStatus::Good;
}

}  // namespace

void TUserBigrams::Load() {
  // Whatever the file holds, the previous user's bigrams go.
  ClearTable();
  unreadable_.clear();
  if (FileBase.empty() || Folder.empty()) {
    if (DebugLogOn()) DebugLog(1, "Bigram data file not found: " + FileName());
    return;
  }
  // Until the file of the base is written, the file of the former name is
  // read, when the name can name a file in the folder.
  const std::string path = SourceFileName();
  if (!Files().FileExists(path)) {
    if (DebugLogOn()) DebugLog(1, "Bigram data file not found: " + path);
    return;
  }

  std::string text;
  const int32_t status = read_bigram_file(path, text);
  if (status == FileStatus::EndOfFile) return;
  if (status != FileStatus::Good) {
    unreadable_ = path;
    unreadableCode_ = status;
    return;
  }
  if (DebugLogOn()) {
    if (text.size() <= 100) DebugLog(2, "JSON content: " + text);
    else DebugLog(2, "JSON preview: " + text.substr(0, 100) + "...");
  }

  if (!ReadJson(text, path)) {
    unreadable_ = path;
    unreadableCode_ = kContentsError;
  }
}

bool TUserBigrams::ReadJson(std::string_view json, const std::string& path) {
  size_t i = top_level_member(json, "bigrams");
  if (i == std::string_view::npos) {
    DebugLog(1, "Error loading bigram data: Missing \"bigrams\" field in JSON");
    return false;
  }
  if (i >= json.size() || json[i] != '[') {
    DebugLog(1, "Error loading bigram data: Invalid bigrams array format");
    return false;
  }
  ++i;

  const double now = Clock().Now();
  bool whole = true;
  for (;;) {
    while (i < json.size() && (json[i] == '\t' || json[i] == '\n' || json[i] == '\r' || json[i] == ' ' || json[i] == ','))
      ++i;
    if (i >= json.size()) {
      whole = false;  // cut short before the array's end
      break;
    }
    if (json[i] == ']') break;
    if (json[i] != '{') {
      if (DebugLogOn()) DebugLog(1, "Expected object at pos " + std::to_string(i + 1));
      whole = false;
      break;
    }
    const size_t end = object_end(json, i);
    if (end == std::string_view::npos) {
      if (DebugLogOn()) DebugLog(1, "Error loading bigram data: Unclosed object at pos " + std::to_string(i + 1));
      whole = false;
      break;
    }
    const std::string_view object = json.substr(i, end - i + 1);
    i = end + 1;

    const size_t name = object.find("\"bigram\"");
    if (name == std::string_view::npos) continue;
    const size_t colon = object.find(':', name + 8);
    if (colon == std::string_view::npos) continue;
    const size_t open = object.find('"', colon + 1);
    if (open == std::string_view::npos) continue;
    size_t close = 0;
    const std::string key = json_string_at(object, open, close);
    if (close == std::string_view::npos) continue;

    TBigramRecord record;
    record.Bigram.assign(key);
    record.Count = static_cast<int32_t>(read_number_field(object, "\"count\":", std::numeric_limits<int32_t>::max()));
    record.ErrorCount =
        static_cast<int32_t>(read_number_field(object, "\"error_count\":", std::numeric_limits<int32_t>::max()));
    record.TimeSum = read_number_field(object, "\"time_sum\":", std::numeric_limits<int64_t>::max());
    // When the pair was last typed, as stored; the load's time only for a
    // pair whose time cannot be read.
    if (!read_timestamp(string_field(object, "\"last_seen\":"), record.LastSeen)) record.LastSeen = now;
    Dictionary.Put(key, record);
    if (DebugLogOn()) DebugLog(3, "Loaded bigram: " + record.Bigram + ", count: " + std::to_string(record.Count));
  }
  if (DebugLogOn()) DebugLog(1, "Loaded " + std::to_string(Dictionary.GetCount()) + " bigrams from " + path);
  return whole;
}

}  // namespace strevo
