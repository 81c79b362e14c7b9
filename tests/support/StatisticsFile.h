// A user's statistics file (".DTA") built byte by byte: the header, the
// difficult-key sets and the scrambled word block, little-endian.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>


namespace strevo::test {

inline std::string Le16(int value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
}
inline std::string Le32(int32_t value) { return Le16(value & 0xFFFF) + Le16((value >> 16) & 0xFFFF); }

// The six reserved numbers and the version.
inline std::string StatisticsHeader(int32_t version) {
  std::string bytes;
  for (int i = 0; i < 6; ++i) bytes += Le32(255);
  return bytes + Le32(version);
}

// Presses, hits and errors of one key as a statistics file stores them.
struct StoredKey {
  int presses = 0, hits = 0, errors = 0;
};
// One difficult-key set: the three arrays for the keys 33..255.
inline std::string KeyBlock(const std::map<unsigned char, StoredKey>& keys) {
  std::string bytes;
  for (int array = 0; array < 3; ++array)
    for (int c = 33; c <= 255; ++c) {
      const auto it = keys.find(static_cast<unsigned char>(c));
      const StoredKey key = it == keys.end() ? StoredKey{} : it->second;
      bytes += Le16(array == 0 ? key.presses : array == 1 ? key.hits : key.errors);
    }
  return bytes;
}

// A collected word: its repeats and its weights at ring positions 1..10.
struct StoredWord {
  std::string text;
  int repeats = 2;
  std::map<int, int> history = {};
  int historyIndex = 1;
  int flags = 1;  // typed while monitoring
};
// One 282-byte word entry holding `stored`, the word as the file keeps it
// (scrambled, or clear in old versions).
inline std::string WordEntryBytes(const StoredWord& word, const std::string& stored) {
  std::string bytes = Le16(word.flags) + static_cast<char>(stored.size()) + stored;
  bytes += std::string(255 - stored.size(), '\0') + Le16(word.historyIndex) + Le16(word.repeats);
  for (int position = 1; position <= 10; ++position) {
    const auto it = word.history.find(position);
    bytes += Le16(it == word.history.end() ? 0 : it->second);
  }
  return bytes;
}
// A word as the file keeps it: each character, in lower case, combined by
// exclusive or with the key's character at its place (the key repeated), in
// two lower-case hexadecimal digits, at most 240 digits.
inline std::string Scramble(const std::string& word, const std::string& key) {
  static const char kHex[] = "0123456789abcdef";
  std::string digits;
  for (size_t i = 0; i < word.size() && digits.size() < 240; ++i) {
    unsigned char c = static_cast<unsigned char>(word[i]);
    if (c >= 'A' && c <= 'Z') c = static_cast<unsigned char>(c + 32);
    if (!key.empty()) c ^= static_cast<unsigned char>(key[i % key.size()]);
    digits += kHex[c >> 4];
    digits += kHex[c & 15];
  }
  return digits;
}
// The word block: the count, then each entry scrambled with the key chain
// that starts with the last 12 characters of the file's path.
inline std::string WordBlock(const std::vector<StoredWord>& words, std::string key) {
  std::string bytes = Le32(static_cast<int32_t>(words.size()));
  for (const StoredWord& word : words) {
    bytes += WordEntryBytes(word, Scramble(word.text, key));
    key = word.text;
  }
  return bytes;
}

}  // namespace strevo::test
