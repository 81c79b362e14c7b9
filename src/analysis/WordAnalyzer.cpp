#include "analysis/WordAnalyzer.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "analysis/Diffkeys.h"
#include "platform/Ansi.h"
#include "storage/DebugLog.h"
#include "storage/FileObj.h"
#include "storage/Numbers.h"
#include "storage/ToolBox.h"

namespace strevo {

namespace {

constexpr size_t kScrambledLength = 240;
constexpr int32_t kMaxPass = 65535;  // every Repeats value is at most this

void put_u16(unsigned char* at, uint16_t value) {
  at[0] = static_cast<unsigned char>(value);
  at[1] = static_cast<unsigned char>(value >> 8);
}

uint16_t get_u16(const unsigned char* at) { return static_cast<uint16_t>(at[0] | (at[1] << 8)); }

unsigned char lower_ascii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A HistoryIndex outside 1..10 (from a damaged file) is taken modulo 10.
int ring_position(int value) { return ((value - 1) % 10 + 10) % 10 + 1; }

// The entries a save writes, heaviest first: the sum of weight and
// repeats, as a number (as text "100" came before "25" and a limited save
// kept rarer words than it dropped); equal sums keep the table's order.
struct TSaveOrder {
  struct Line {
    int64_t sum;
    int32_t slot;
  };
  std::vector<Line> lines;
  void Sort() {
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.sum > b.sum; });
  }
};

}  // namespace

// ---------------------------------------------------------------- entries --

void TWordEntry::SetWord(std::string_view word) { word_.assign(word.substr(0, 255)); }

void TWordEntry::EncodeTo(unsigned char* bytes) const {
  put_u16(bytes, Flags);
  bytes[2] = static_cast<unsigned char>(word_.size());
  std::memcpy(bytes + 3, word_.data(), word_.size());
  std::memset(bytes + 3 + word_.size(), 0, 255 - word_.size());
  put_u16(bytes + 258, HistoryIndex);
  put_u16(bytes + 260, Repeats);
  for (int i = 1; i <= 10; ++i) put_u16(bytes + 262 + (i - 1) * 2, History[i]);
}

void TWordEntry::DecodeFrom(const unsigned char* bytes) {
  Flags = get_u16(bytes);
  word_.assign(reinterpret_cast<const char*>(bytes + 3), bytes[2]);
  HistoryIndex = get_u16(bytes + 258);
  Repeats = get_u16(bytes + 260);
  History[0] = 0;
  for (int i = 1; i <= 10; ++i) History[i] = get_u16(bytes + 262 + (i - 1) * 2);
}

// -------------------------------------------------------------- scrambling --

std::string EncodeWord(std::string_view word, std::string_view key) {
  static const char kHex[] = "0123456789abcdef";
  std::string result;
  result.reserve(std::min(word.size() * 2, kScrambledLength));
  for (size_t i = 0; i < word.size() && result.size() < kScrambledLength; ++i) {
    unsigned char c = lower_ascii(static_cast<unsigned char>(word[i]));
    if (!key.empty()) c ^= static_cast<unsigned char>(key[i % key.size()]);
    result += kHex[c >> 4];
    result += kHex[c & 15];
  }
  return result;
}

std::string DecodeWord(std::string_view text, std::string_view key) {
  std::string result;
  for (size_t i = 0; 2 * i + 1 < text.size() && result.size() < kScrambledLength; ++i) {
    const int high = hex_digit(text[2 * i]);
    const int low = hex_digit(text[2 * i + 1]);
    unsigned char c = (high < 0 || low < 0) ? ' ' : static_cast<unsigned char>(high * 16 + low);
    if (!key.empty()) c ^= static_cast<unsigned char>(key[i % key.size()]);
    result += static_cast<char>(lower_ascii(c));
  }
  return result;
}

// --------------------------------------------------------------- TWordList --

TWordList::TWordList() : entries_(kWordTableSize) {}

TWordEntry& TWordList::Entry(int32_t slot) {
  return entries_[static_cast<size_t>(std::clamp(slot, 1, kWordTableSize) - 1)];
}

const TWordEntry& TWordList::Entry(int32_t slot) const {
  return entries_[static_cast<size_t>(std::clamp(slot, 1, kWordTableSize) - 1)];
}

void TWordList::Clear() {
  std::fill(entries_.begin(), entries_.end(), TWordEntry{});
  Modified = false;
  Slot = 0;
  Pass = 0;
}

int32_t TWordList::AddWord(std::string_view word, int32_t weight, int32_t source) {
  if (word.size() > 255) word = word.substr(0, 255);
  for (int32_t slot = 1; slot <= kWordTableSize; ++slot) {
    TWordEntry& entry = entries_[static_cast<size_t>(slot - 1)];
    if (entry.Empty()) break;
    if (entry.Word() != word) continue;
    entry.Flags = static_cast<uint16_t>(entry.Flags | source);
    if (entry.Repeats < 0xFFFF) ++entry.Repeats;
    int index = entry.HistoryIndex + 1;
    if (index > 10 || index < 1) index = 1;
    entry.HistoryIndex = static_cast<uint16_t>(index);
    entry.History[static_cast<size_t>(index)] = static_cast<uint16_t>(weight);
    return slot;
  }

  Modified = true;
  ++Slot;
  if (Slot > kWordTableSize || Slot < 1) {
    ++Pass;
    Slot = 1;
  }
  // Once the table is full, replace the first word from Slot on that repeats
  // at most Pass times; the bar rises with every sweep.
  while (Pass > 0) {
    int32_t found = 0;
    for (int32_t slot = Slot; slot <= kWordTableSize; ++slot) {
      if (entries_[static_cast<size_t>(slot - 1)].Repeats <= Pass) {
        found = slot;
        break;
      }
    }
    if (found > 0 && found < kWordTableSize) {
      Slot = found;
      break;
    }
    ++Pass;
    Slot = 1;
  }

  TWordEntry& entry = entries_[static_cast<size_t>(Slot - 1)];
  entry.SetWord(word);
  entry.Flags = static_cast<uint16_t>(source);
  entry.HistoryIndex = 1;
  entry.History.fill(0);
  entry.History[1] = static_cast<uint16_t>(weight);
  entry.Repeats = 0;
  return Slot;
}

int32_t TWordList::WordWeight(int32_t slot) const {
  if (slot < 1 || slot > kWordTableSize) return 0;
  const TWordEntry& entry = entries_[static_cast<size_t>(slot - 1)];
  int h = ring_position(entry.HistoryIndex);
  int64_t sum = 0;
  for (int k = 7; k >= 1; --k) {
    sum += static_cast<int64_t>(entry.History[static_cast<size_t>(h)]) * k;
    if (--h < 1) h = 10;
  }
  const int64_t weight = round_ratio_half_even(sum * 100, 84);
  return static_cast<int32_t>(std::min<int64_t>(weight, 100));
}

std::vector<std::string> TWordList::WeightedList(int32_t mask, int32_t format) const {
  struct Line {
    std::string text;
    std::string key;  // lower-cased, for the sort
  };
  std::vector<Line> lines;
  for (int32_t slot = 1; slot <= kWordTableSize; ++slot) {
    const TWordEntry& entry = entries_[static_cast<size_t>(slot - 1)];
    if (entry.Empty()) break;
    if (entry.Word() == "-" || entry.Repeats < 2 || (entry.Flags & kWordSourceExcluded) || !(entry.Flags & mask))
      continue;
    const int32_t weight = WordWeight(slot);
    if (weight <= 0) continue;
    char number[16];
    std::snprintf(number, sizeof number, "%5.5d;", weight);
    std::string text = number;
    if (format == 1) {
      text.append(entry.Word());
      text += ';';
      text += std::to_string(weight);
    } else if (format == 2) {
      text += std::to_string(weight);
    } else {
      text.append(entry.Word());
    }
    std::string key = ansi_lower(text);
    lines.push_back({std::move(text), std::move(key)});
  }
  std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.key < b.key; });
  std::vector<std::string> result;
  result.reserve(lines.size());
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) result.push_back(it->text.substr(6));
  return result;
}

int32_t TWordList::SaveTo(TRecFile& file, int32_t limit) {
  int32_t n = Pass == 0 ? Slot : kWordTableSize;
  n = std::min(n, limit);

  TSaveOrder list;
  list.lines.reserve(kWordTableSize);
  for (int32_t slot = 1; slot <= kWordTableSize; ++slot) {
    const TWordEntry& entry = entries_[static_cast<size_t>(slot - 1)];
    if (entry.Empty() || entry.Word() == "-" || (entry.Flags & kWordSourceExcluded)) continue;
    list.lines.push_back({int64_t{WordWeight(slot)} + entry.Repeats, slot});
  }
  list.Sort();
  n = std::clamp<int32_t>(n, 0, static_cast<int32_t>(list.lines.size()));

  // The table in memory stays as it is: insertion goes on where it was, and
  // a save in the middle of a session changes nothing the next one writes.
  file.WriteInt(n);
  // The entries go to the file in blocks of 64: the same bytes, far fewer
  // calls, and no buffer of the whole table held on.
  constexpr int32_t kBlockEntries = 64;
  std::vector<unsigned char> block(static_cast<size_t>(std::min(n, kBlockEntries)) * kWordEntrySize);
  const auto flush = [&](int32_t entries) {
    if (entries > 0) file.WriteBytes(block.data(), entries * kWordEntrySize);
  };
  std::string key = RightStr(file.FileName, 12);
  for (int32_t i = 0; i < n; ++i) {
    const int32_t slot = list.lines[static_cast<size_t>(i)].slot;
    const TWordEntry& entry = entries_[static_cast<size_t>(slot - 1)];
    const std::string scrambled = EncodeWord(entry.Word(), key);
    // The reader takes the next key from the word as it decodes it: lower
    // case and at most 120 characters. Keyed with the word as held (a capital
    // letter, a longer word) the next word would read back changed.
    std::string readBack = DecodeWord(scrambled, key);
    if (DebugLogOn() && readBack != entry.Word()) DebugLog(1, "corruption");
    TWordEntry stored = entry;
    stored.SetWord(scrambled);
    stored.EncodeTo(block.data() + static_cast<size_t>(i % kBlockEntries) * kWordEntrySize);
    if (DebugLogOn()) DebugLog(1, "save w " + std::to_string(slot) + " " + std::string(entry.Word()));
    key = std::move(readBack);
    if (i % kBlockEntries == kBlockEntries - 1) flush(kBlockEntries);
  }
  flush(n % kBlockEntries);
  return file.Status;
}

int32_t TWordList::LoadFrom(TRecFile& file) {
  Pass = 0;
  int32_t count = 0;
  if (file.ReadInt(count) != FileStatus::Good) count = 0;
  if (DebugLogOn()) DebugLog(1, std::to_string(count) + " w load");
  const int32_t wanted = std::clamp(count, 0, kWordTableSize);
  std::string key = RightStr(file.FileName, 12);
  unsigned char bytes[kWordEntrySize];
  int32_t read = 0;
  while (read < wanted) {
    if (file.ReadBytes(bytes, kWordEntrySize) != FileStatus::Good) break;
    TWordEntry& entry = entries_[static_cast<size_t>(read)];
    entry.DecodeFrom(bytes);
    const std::string word = DecodeWord(entry.Word(), key);
    entry.SetWord(word);
    ++read;
    if (DebugLogOn()) DebugLog(1, "load w " + std::to_string(read) + " " + word);
    key = word;
  }
  if (read >= kWordTableSize - 1) {
    Slot = kWordTableSize;
  } else {
    Slot = read;
    if (DebugLogOn())
      DebugLog(1, std::to_string(Slot) + " last w " + (Slot > 0 ? std::string(Entry(Slot).Word()) : std::string()));
  }
  return file.Status;
}

int32_t TWordList::LoadOldFrom(TRecFile& file) {
  unsigned char bytes[kWordEntrySize];
  int32_t read = 0;
  while (read < kWordTableSize) {
    if (file.ReadBytes(bytes, kWordEntrySize) != FileStatus::Good) break;
    entries_[static_cast<size_t>(read)].DecodeFrom(bytes);
    ++read;
  }
  if (read < kWordTableSize - 1) {
    Slot = read;
    Pass = 0;
    return file.Status;
  }
  Slot = kWordTableSize;
  int32_t value = 0;
  if (file.ReadInt(value) != FileStatus::Good) return file.Status;
  // A damaged file must not put insertion outside the table.
  Slot = std::clamp(value, 0, kWordTableSize);
  Pass = file.ReadInt(value) == FileStatus::Good ? std::clamp(value, 0, kMaxPass) : 0;
  return file.Status;
}

// ------------------------------------------------------------------- TWord --

TWord::TWord() {
  DebugLog(0, "TWord.Create()");
  Text.reserve(64);
}

void TWord::AddChar(unsigned char c) {
  DebugLog(0, "TWord.AddChar()");
  if (c != 9 && c != 13 && c != 32) {
    Text += static_cast<char>(c);
    if (PendingBackspaces > 0) {
      // The character typed to replace a wrong one counts against its key;
      // four or more backspaces in a row delete rather than correct.
      if (PendingBackspaces < 4 && Keys) Keys->Register(c, true);
      PendingBackspaces = 0;
      ++CorrectionCount;
    }
  }
  if (DebugLogOn()) DebugLog(0, "TWord.AddChar: Str_word=" + Text);
}

void TWord::DelChar() {
  TraceBlock trace("TWord.DelChar {", "} TWord.DelChar");
  if (!Text.empty()) {
    Text.pop_back();
    ++PendingBackspaces;
  }
  if (Text.empty() && PendingBackspaces > 2) {
    Clear();
    DebugLog(1, "reseting prob -> 0");
  }
}

void TWord::Clear() {
  Text.clear();
  PendingBackspaces = 0;
  SlowCount = 0;
  CorrectionCount = 0;
}

int32_t TWord::Notify(int32_t source) {
  DebugLog(0, "TWord.Notify()");
  // Letters (Windows-1252) and the apostrophe only, at least three of them.
  for (char ch : Text) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c < 65 && c != '\'') || (c >= 123 && c <= 190)) return -1;
  }
  if (Text.size() < 3 || !WordList) return -1;
  const int32_t weight = std::min(SlowCount, 2) + 2 * std::min(CorrectionCount, 2);
  return WordList->AddWord(Text, weight, source);
}

bool TWordList::LoadWordFile(const std::string& fileName, int32_t weight) {
  TTextFile file;
  if (file.Open(fileName, text_mode::Read) != FileStatus::Good) return false;
  std::string row;
  while (file.Status == FileStatus::Good) {
    file.ReadLn(row);
    if (file.Status != FileStatus::Good && file.Status != FileStatus::EndOfFile) break;
    const std::string word = TrimBlanks(row);
    if (!word.empty()) AddWord(word, weight, kWordSourceTyped);
  }
  return true;
}

}  // namespace strevo
