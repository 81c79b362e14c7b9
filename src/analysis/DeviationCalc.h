// The speed deviation detector, which decides whether a keystroke came
// noticeably later than the current typing rhythm predicts, and the problem
// index with its three components and difficulty bands.
#pragma once

#include <array>
#include <cstdint>

namespace strevo {

// A ring of the ten most recent inter-key delays (seconds, single precision).
// A delay is slow when it reaches the line a * Average + b of the current mode:
// 1.875 * Average + 0.45 s normally, 1.375 * Average + 0.35 s in strict mode.
class TDeviationCalc {
 public:
  // Forgets the rhythm (position, count, sum, average); keeps StrictMode and
  // the stale samples.
  void Reset();
  // Adds a delay in seconds; true when it is too slow. The first four delays
  // after a reset are never slow.
  bool Add(float seconds);
  // The slow line of the current mode at the current Average.
  float Threshold() const;

  std::array<float, 11> Samples{};  // positions 1..10
  int32_t Index = 0;                // ring position of the newest sample
  int32_t Count = 0;                // valid samples, 0..10
  float Sum = 0.0f;
  float Average = 0.0f;
  bool StrictMode = false;
};

class TDifficultKeys;
class TWordList;

// Weighted figures of the most difficult lower-case keys (8) and upper-case
// keys (6) of the active key set; 0 without an active set.
int32_t KeyIndexLower(TDifficultKeys* keys);
int32_t KeyIndexUpper(TDifficultKeys* keys);
// Weighted figure of the fifteen heaviest collected words; 0 while words are
// not collected (none given).
int32_t WordIndex(const TWordList* words);
// The day's problem figure, normally 0..100 (it can exceed 100): with words
// collected a third of it comes from the words.
int32_t ProblemIndex(TDifficultKeys* keys, bool collectWords, const TWordList* words);

// Difficulty band colours (0x00BBGGRR) for a figure, against the active set's
// LowLimit and HighLimit (33 and 66 without a set).
constexpr uint32_t kEasyColour = 0xF7B4A7;
constexpr uint32_t kModerateColour = 0x1DD2FF;
constexpr uint32_t kDifficultColour = 0x4F01FF;
uint32_t BandColour(int32_t value, const TDifficultKeys* keys);

}  // namespace strevo
