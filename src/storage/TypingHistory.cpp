#include "storage/TypingHistory.h"

#include <algorithm>
#include <cstdio>

#include "platform/Platform.h"
#include "storage/DateTime.h"
#include "storage/Errors.h"
#include "storage/Numbers.h"
#include "storage/WholeFile.h"

namespace strevo {

namespace {

constexpr int32_t kContentsError = -1052;
constexpr int64_t kLargestHistory = 64 * 1024 * 1024;
constexpr size_t kColumns = 9;

bool plain_key_byte(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string keys_text(const std::string& keys) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (char ch : keys) {
    const auto c = static_cast<unsigned char>(ch);
    if (plain_key_byte(c)) {
      text += ch;
    } else {
      text += '%';
      text += kHex[c >> 4];
      text += kHex[c & 15];
    }
  }
  return text;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool parse_keys(std::string_view text, std::string& keys) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (plain_key_byte(c)) {
      keys += text[i];
      continue;
    }
    if (c != '%' || i + 2 >= text.size()) return false;
    const int high = hex_digit(text[i + 1]), low = hex_digit(text[i + 2]);
    if (high < 0 || low < 0) return false;
    keys += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

bool parse_iso_date(std::string_view text, double& date) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  int32_t year = 0, month = 0, day = 0;
  if (!text_to_int32(text.substr(0, 4), year) || !text_to_int32(text.substr(5, 2), month) ||
      !text_to_int32(text.substr(8, 2), day))
    return false;
  if (year < 1900 || month < 1 || month > 12 || day < 1 || day > 31) return false;
  date = encode_date(year, month, day);
  return IsoDateText(date) == text;  // 31 February is no date
}

bool parse_row(std::string_view line, THistoryRow& row) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  while (true) {
    const size_t comma = line.find(',', start);
    fields.push_back(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  if (fields.size() != kColumns || !parse_iso_date(fields[0], row.date)) return false;
  int64_t* numbers[] = {&row.characters, &row.words,      &row.seconds,     &row.charsPerMinute,
                        &row.keyPresses, &row.backspaces, &row.problemIndex};
  for (size_t i = 0; i < 7; ++i) {
    const std::string_view field = fields[i + 1];
    if (field.empty() || field[0] == '+' || !text_to_int64(field, *numbers[i]) || *numbers[i] < 0) return false;
  }
  return parse_keys(fields[8], row.difficultKeys);
}

std::string read_text(const std::string& path, bool& readable) {
  std::string text;
  readable = false;
  auto handle = Files().Open(path, {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting});
  if (!handle) return text;
  const int64_t size = handle->Size();
  if (size < 0 || size > kLargestHistory) return text;
  text.resize(static_cast<size_t>(size));
  int64_t done = 0;
  while (done < size) {
    const int64_t n = handle->Read(text.data() + done, size - done);
    if (n <= 0) break;
    done += n;
  }
  handle->Close();
  readable = done == size;
  return text;
}

}  // namespace

std::string IsoDateText(double date) {
  int year, month, day;
  decode_date(date, year, month, day);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
  return text;
}

bool ParseHistory(std::string_view text, std::vector<THistoryRow>& rows, std::string& problem) {
  rows.clear();
  size_t number = 0, start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      problem = "line " + std::to_string(number + 1) + " does not end with CR LF";
      return false;
    }
    const std::string_view line = text.substr(start, end - start);
    start = end + 2;
    ++number;
    if (number == 1 && line != kHistoryFormatLine) {
      problem = "its first line is not \"" + std::string(kHistoryFormatLine) + "\"";
      return false;
    }
    if (number == 2 && line != kHistoryHeaderLine) {
      problem = "its second line is not the column names";
      return false;
    }
    if (number <= 2) continue;
    THistoryRow row;
    if (!parse_row(line, row) || (!rows.empty() && row.date <= rows.back().date)) {
      problem = "line " + std::to_string(number) + " is not a day's row";
      return false;
    }
    rows.push_back(std::move(row));
  }
  if (number < 2) {
    problem = "it has no format line and column names";
    return false;
  }
  return true;
}

std::string HistoryText(const std::vector<THistoryRow>& rows) {
  std::string text = std::string(kHistoryFormatLine) + "\r\n" + kHistoryHeaderLine + "\r\n";
  text.reserve(text.size() + rows.size() * 64);
  for (const THistoryRow& row : rows) {
    text += IsoDateText(row.date);
    for (int64_t value : {row.characters, row.words, row.seconds, row.charsPerMinute, row.keyPresses, row.backspaces,
                          row.problemIndex})
      text += ',' + std::to_string(value);
    text += ',' + keys_text(row.difficultKeys) + "\r\n";
  }
  return text;
}

void TTypingHistory::Load(const std::string& path) {
  Close();
  path_ = path;
  if (!Files().FileExists(path)) return;
  bool readable = false;
  const std::string text = read_text(path, readable);
  if (!readable) {
    unreadable_ = "it could not be read";
    return;
  }
  if (!ParseHistory(text, rows_, unreadable_)) rows_.clear();
}

const THistoryRow* TTypingHistory::Find(double date) const {
  for (const THistoryRow& row : rows_)
    if (row.date == date) return &row;
  return nullptr;
}

void TTypingHistory::Put(const THistoryRow& row) {
  auto place = std::lower_bound(rows_.begin(), rows_.end(), row.date,
                                [](const THistoryRow& r, double date) { return r.date < date; });
  if (place != rows_.end() && place->date == row.date) *place = row;
  else rows_.insert(place, row);
}

bool TTypingHistory::Save() {
  if (path_.empty()) return false;
  if (!unreadable_.empty() && Files().FileExists(path_)) {
    const std::string kept = KeepFileAside(path_);
    if (kept.empty()) return false;
    LogError(kContentsError, "The typing history " + path_ + " could not be read (" + unreadable_ + "); it is kept as " +
                                 kept + " and a new one is written.");
  }
  unreadable_.clear();
  return WriteWholeFile(path_, HistoryText(rows_)) == WholeFileResult::Written;
}

void TTypingHistory::Close() {
  path_.clear();
  rows_.clear();
  unreadable_.clear();
}

}  // namespace strevo
