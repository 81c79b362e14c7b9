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

std::string TUserBigrams::FileName() const {
  std::string name = Folder;
  if (name.empty() || name.back() != '\\') name += '\\';
  return name + UserName + ".json";
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

void TUserBigrams::SetUser(const std::string& name) {
  if (name == UserName) return;
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
  if (UserName.empty() || Folder.empty()) return false;
  if (IsUnsafeUserName(UserName)) {
    if (DebugLogOn()) DebugLog(1, "Bigram file not saved, unsafe user name: " + UserName);
    return false;
  }
  ForceDirectories(Folder);
  const std::string text = JsonText();
  const std::string path = FileName();
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

// The whole file, or false after logging why not.
bool read_bigram_file(const std::string& path, std::string& text) {
  auto stream = TFileStream::Open(path, {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting});
  if (!stream) {
    DebugLog(1, "Error loading bigram data: Cannot open file");
    return false;
  }
  const int64_t size = stream->Size();
  if (size <= 0) {
    DebugLog(1, "Error loading bigram data: Empty file");
    return false;
  }
  if (DebugLogOn()) DebugLog(1, "Bigram data file size: " + std::to_string(size) + " bytes");
  if (size > kLargestReadableFile) {
    DebugLog(1, "Error loading bigram data: File too large");
    return false;
  }
  try {
    text.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    DebugLog(1, "Error loading bigram data: Out of memory");
    return false;
  }
  int64_t done = 0;
  while (done < size) {
    const int64_t n = stream->Read(text.data() + done, size - done);
    if (n <= 0) break;
    done += n;
  }
  if (done < size) {
    DebugLog(1, "Error loading bigram data: Read error");
    return false;
  }
  return true;
}

}  // namespace

void TUserBigrams::Load() {
  // Whatever the file holds, the previous user's bigrams go.
  ClearTable();
  const std::string path = FileName();
  if (UserName.empty() || Folder.empty()) {
    if (DebugLogOn()) DebugLog(1, "Bigram data file not found: " + path);
    return;
  }
  if (IsUnsafeUserName(UserName)) {
    if (DebugLogOn()) DebugLog(1, "Bigram file not loaded, unsafe user name: " + UserName);
    return;
  }
  if (!Files().FileExists(path)) {
    if (DebugLogOn()) DebugLog(1, "Bigram data file not found: " + path);
    return;
  }

  std::string text;
  if (!read_bigram_file(path, text)) return;
  if (DebugLogOn()) {
    if (text.size() <= 100) DebugLog(2, "JSON content: " + text);
    else DebugLog(2, "JSON preview: " + text.substr(0, 100) + "...");
  }

  ReadJson(text, path);
}

void TUserBigrams::ReadJson(std::string_view json, const std::string& path) {
  const size_t field = json.find("\"bigrams\"");
  if (field == std::string_view::npos) {
    DebugLog(1, "Error loading bigram data: Missing \"bigrams\" field in JSON");
    return;
  }
  size_t i = field + 9 + 1;  // from the second character after the field name
  while (i < json.size() && (json[i] == '\t' || json[i] == '\n' || json[i] == '\r' || json[i] == ' ' || json[i] == ':'))
    ++i;
  if (i >= json.size() || json[i] != '[') {
    DebugLog(1, "Error loading bigram data: Invalid bigrams array format");
    return;
  }
  ++i;

  const double now = Clock().Now();
  for (;;) {
    while (i < json.size() && (json[i] == '\t' || json[i] == '\n' || json[i] == '\r' || json[i] == ' ' || json[i] == ','))
      ++i;
    if (i >= json.size() || json[i] == ']') break;
    if (json[i] != '{') {
      if (DebugLogOn()) DebugLog(1, "Expected object at pos " + std::to_string(i + 1));
      break;
    }
    const size_t end = object_end(json, i);
    if (end == std::string_view::npos) {
      if (DebugLogOn()) DebugLog(1, "Error loading bigram data: Unclosed object at pos " + std::to_string(i + 1));
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
    record.LastSeen = now;
    Dictionary.Put(key, record);
    if (DebugLogOn()) DebugLog(3, "Loaded bigram: " + record.Bigram + ", count: " + std::to_string(record.Count));
  }
  if (DebugLogOn()) DebugLog(1, "Loaded " + std::to_string(Dictionary.GetCount()) + " bigrams from " + path);
}

}  // namespace strevo
