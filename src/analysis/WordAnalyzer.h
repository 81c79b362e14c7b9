// Word collection: the word in progress (TWord, the pipeline's CurrentWord)
// and a user's collection of typed words (TWordList) with its table of 2 000
// entries, its weighted lists and its block in the user's statistics file,
// where each word is scrambled.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace strevo {

class TRecFile;

constexpr int32_t kWordTableSize = 2000;
constexpr int32_t kWordEntrySize = 282;  // bytes of one entry in the statistics file

// Source bits of an entry's Flags.
constexpr uint16_t kWordSourceTyped = 1;     // typed while monitoring, or seeded from the word lists
constexpr uint16_t kWordSourceIncluded = 4;  // listed together with 1
constexpr uint16_t kWordSourceExcluded = 8;  // never listed, never saved

// One entry of the word table. In the file it takes 282 bytes, little-endian:
// Flags (2), Word as a length byte and 255 characters (256), HistoryIndex (2),
// Repeats (2), History[1..10] (20). The fields are read and written one by
// one; in memory the word takes only its own length (most are short), so
// that the table of 2 000 entries stays small.
struct TWordEntry {
  uint16_t Flags = 0;
  uint16_t HistoryIndex = 0;  // 1..10, position of the newest weight
  uint16_t Repeats = 0;       // occurrences after the first
  std::array<uint16_t, 11> History{};  // weights at positions 1..10, a ring

  std::string_view Word() const { return word_; }
  void SetWord(std::string_view word);  // cut to 255 characters
  bool Empty() const { return word_.empty(); }  // an empty entry

  void EncodeTo(unsigned char* bytes) const;  // 282 bytes, the word padded with zeros
  void DecodeFrom(const unsigned char* bytes);

 private:
  std::string word_;
};

// The word scrambling of the statistics file. Encode: A-Z to lower case,
// exclusive-or with the key (cycled), two lower-case hexadecimal digits per
// character, at most 240 digits. Decode reverses it (an unreadable pair of
// digits reads as a blank) and maps A-Z to lower case.
std::string EncodeWord(std::string_view word, std::string_view key);
std::string DecodeWord(std::string_view text, std::string_view key);

class TWordList {
 public:
  // An empty table.
  TWordList();

  // Entries 1..2000 (a number outside is taken as the nearest end).
  TWordEntry& Entry(int32_t slot);
  const TWordEntry& Entry(int32_t slot) const;
  // Empties every entry, Flags included, and starts insertion afresh (Slot
  // and Pass 0, not modified): the user load does it before it reads a
  // user's statistics, so one user's words never reach another user's file.
  void Clear();

  // Counts an occurrence of a known word or inserts a new one, replacing the
  // least repeated words once the table is full. Returns the entry's number.
  int32_t AddWord(std::string_view word, int32_t weight, int32_t source);
  // 0..100 from the last seven weights, the newest counting seven times.
  int32_t WordWeight(int32_t slot) const;
  // Lines for the words seen at least three times with a weight above 0 and
  // a source bit in mask, heaviest first. Format 1: "word;weight",
  // 2: "weight", other: "word".
  std::vector<std::string> WeightedList(int32_t mask, int32_t format) const;
  // The word block: a 32-bit count and that many scrambled entries, at most
  // limit, the heaviest (weight and repeats) first. The scrambling key of
  // the first word is the last 12 characters of file.FileName. Returns the
  // file's status.
  int32_t SaveTo(TRecFile& file, int32_t limit);
  int32_t LoadFrom(TRecFile& file);
  // The older block: entries in clear until a short read or 2 000 entries,
  // then Slot and Pass when the table is full.
  int32_t LoadOldFrom(TRecFile& file);
  // One word per line (trimmed, empty lines skipped), source 1. False when the
  // file cannot be opened.
  bool LoadWordFile(const std::string& fileName, int32_t weight);

  bool Modified = false;
  int32_t Slot = 0;  // table position of the last insertion
  int32_t Pass = 0;  // wraps of insertion around the full table

 private:
  std::vector<TWordEntry> entries_;  // kWordTableSize entries
};

class TDifficultKeys;

// The word being typed. Its finished words go to the collection of the user
// being analysed, its corrections to that user's active key set; without a
// user neither is kept.
class TWord {
 public:
  TWord();

  // Appends a character (tab, CR and blank are ignored); a character typed
  // after one to three backspaces counts as a correction and marks its key.
  void AddChar(unsigned char c);
  // Removes the last character (a backspace).
  void DelChar();
  void Clear();
  // Hands the finished word to the collection; the slot, or -1 when the word
  // is not collected.
  int32_t Notify(int32_t source);

  TWordList* WordList = nullptr;   // the user's collection; none without a user
  TDifficultKeys* Keys = nullptr;  // the user's active key set; none without one
  std::string Text;                // the word typed so far
  int32_t PendingBackspaces = 0;   // backspaces since the last character added
  int32_t SlowCount = 0;           // slow keystrokes inside the word
  int32_t CorrectionCount = 0;     // characters typed after backspaces
};

}  // namespace strevo
