#include "analysis/DeviationCalc.h"

#include <string>
#include <vector>

#include "analysis/Diffkeys.h"
#include "analysis/SinglePrecision.h"
#include "analysis/WordAnalyzer.h"
#include "storage/Numbers.h"

namespace strevo {

namespace {

// The two slow lines through the points (c, a) and (d, b) scaled to the
// average: (a - b) / (c - d) * Average + b, all in single precision.
constexpr float kNormalUpper = 1.2f;
constexpr float kNormalLower = 0.45f;
constexpr float kStrictUpper = 0.9f;
constexpr float kStrictLower = 0.35f;
constexpr float kUpperX = 0.6f;
constexpr float kLowerX = 0.2f;

float slow_line(float a, float b, float average) {
  const float rise = single(a - b);
  const float run = single(kUpperX - kLowerX);
  const float slope = single(rise / run);
  const float scaled = single(slope * average);
  return single(scaled + b);
}

// Sum of weight * KeyIndex over a TopKeys list, weight 1.35 for the first
// `heavy` positions and 0.65 for the rest, divided by the list length asked for.
int32_t weighted_key_index(TDifficultKeys* keys, int count, int heavy, TKeySelection selection) {
  if (!keys) return 0;
  const std::string top = keys->TopKeys(count, selection);
  double sum = 0.0;
  for (size_t i = 0; i < top.size(); ++i) {
    const double weight = static_cast<int>(i) < heavy ? 1.35 : 0.65;
    sum += weight * keys->KeyIndex(static_cast<unsigned char>(top[i]));
  }
  return static_cast<int32_t>(round_half_even(sum / count));
}

}  // namespace

void TDeviationCalc::Reset() {
  Index = 0;
  Count = 0;
  Sum = 0.0f;
  Average = 0.0f;
}

float TDeviationCalc::Threshold() const {
  return StrictMode ? slow_line(kStrictUpper, kStrictLower, Average) : slow_line(kNormalUpper, kNormalLower, Average);
}

bool TDeviationCalc::Add(float seconds) {
  ++Index;
  if (Index > 10 || Index < 1) Index = 1;
  if (Count >= 10) {
    Sum = single(Sum - Samples[Index]);
  } else {
    ++Count;
  }
  Samples[Index] = seconds;
  Sum = single(Sum + seconds);
  if (Count > 0) Average = single(Sum / static_cast<float>(Count));
  if (Count < 5) return false;
  return seconds >= Threshold();
}

int32_t KeyIndexLower(TDifficultKeys* keys) { return weighted_key_index(keys, 8, 4, TKeySelection::LowerCase); }

int32_t KeyIndexUpper(TDifficultKeys* keys) { return weighted_key_index(keys, 6, 3, TKeySelection::UpperCase); }

int32_t WordIndex(const TWordList* words) {
  if (!words) return 0;
  // Sources 1 and 4, words seen at least three times, weights only, heaviest first.
  const std::vector<std::string> weights = words->WeightedList(5, 2);
  double sum = 0.0;
  for (size_t i = 0; i < weights.size() && i < 15; ++i) {
    const double factor = i < 10 ? 1.35 : 0.65;
    sum += std::stoi(weights[i]) * factor;
  }
  return static_cast<int32_t>(round_half_even(sum / 15));
}

int32_t ProblemIndex(TDifficultKeys* keys, bool collectWords, const TWordList* words) {
  const int32_t k = KeyIndexLower(keys);
  const int32_t u = KeyIndexUpper(keys);
  if (collectWords) {
    const int32_t w = WordIndex(words);
    return static_cast<int32_t>(round_half_even(0.35 * w + 0.45 * k + 0.2 * u));
  }
  return static_cast<int32_t>(round_half_even(0.7 * k + 0.3 * u));
}

uint32_t BandColour(int32_t value, const TDifficultKeys* keys) {
  const int32_t low = keys ? keys->LowLimit : 33;
  const int32_t high = keys ? keys->HighLimit : 66;
  if (value < low) return kEasyColour;
  if (value < high) return kModerateColour;
  return kDifficultColour;
}

}  // namespace strevo
