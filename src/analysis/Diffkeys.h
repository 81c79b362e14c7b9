// Per-key difficulty: for every character code from 33 to 255, how often the
// key was pressed and how often the press counted as an error, blended into a
// decaying history, a difficulty index per key and a ranking of the most
// difficult keys. Two process-wide sets exist (see AnalyzerAPI.h).
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace strevo {

class TRecFile;

enum class TKeySelection {
  All,
  LowerCase,  // keys equal to their lower-case form (Windows-1252 mapping)
  UpperCase,  // keys equal to their upper-case form
};

// The 136 bytes of the default alphabet: digits, ASCII letters and the
// Windows-1252 letters the typing courses use (some bytes repeat; only
// membership counts).
extern const std::string kDefaultAlphabet;

class TDifficultKeys {
 public:
  static constexpr int kFirstKey = 33;
  static constexpr int kLastKey = 255;
  static constexpr int kKeyCount = kLastKey - kFirstKey + 1;  // 223
  // Stored block: presses, hits, errors, 223 signed 16-bit values each.
  static constexpr int kBlockSize = 3 * kKeyCount * 2;  // 1 338 bytes

  TDifficultKeys();

  // One press of c (ignored below 33), counted as an error when asked.
  void Register(unsigned char c, bool error) {
    if (c < kFirstKey) return;
    ++Hits[c];
    if (error) ++Errors[c];
  }
  // 0 for an easy key, 100 for a key that fails one press in four.
  float KeyIndex(unsigned char c) const;
  // Up to n keys of the selection, most difficult first.
  std::string TopKeys(int n, TKeySelection selection);
  // Blends the fresh counts into the totals and commits keys with more than
  // Window fresh presses.
  void Consolidate();
  // The stored block. LoadFrom returns the file's status after the third
  // array; a short file leaves the missing values 0. SaveTo consolidates first
  // and returns the file's status.
  int32_t LoadFrom(TRecFile& file);
  int32_t SaveTo(TRecFile& file);
  void Clear();
  void SetAlphabet(const std::string& alphabet);

  // The ranking: SortedKeys[1..223] are character codes, 0 beyond the last.
  // Built on first use while Sorted is false.
  const std::array<uint8_t, kKeyCount + 1>& Ranking();

  // Indexed by character code; entries below 33 stay 0.
  using Counts = std::array<int32_t, 256>;
  Counts Hits{};          // presses since the last commit
  Counts Errors{};        // error presses since the last commit
  Counts LastHits{};      // Hits at the last consolidation
  Counts TotalHits{};     // blended presses, the base of the index
  Counts TotalErrors{};   // blended errors, the base of the index
  Counts Presses{};       // presses so far, history included; capped
  Counts SavedHits{};     // committed history
  Counts SavedErrors{};
  Counts SavedPresses{};

  bool HasAlphabet = false;
  std::string Alphabet;
  std::array<uint8_t, kKeyCount + 1> SortedKeys{};
  bool Sorted = false;
  int32_t LowLimit = 33;
  int32_t HighLimit = 66;
  int32_t Window = 8;  // commit window in presses

 private:
  bool InAlphabet(unsigned char c) const { return Members[c]; }
  void BuildRanking();

  std::array<bool, 256> Members{};
};

}  // namespace strevo
