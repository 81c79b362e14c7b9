#include "analysis/Diffkeys.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "analysis/SinglePrecision.h"
#include "platform/Ansi.h"
#include "storage/FileObj.h"
#include "storage/Numbers.h"

namespace strevo {

const std::string kDefaultAlphabet =
    "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
    "\xE5\xE4\xF6\xC5\xC4\xD6\xFC\xDC\xC7\xE7\xC6\xE6\x8C\x9C\x8A\x8C\x8E\x9A\x9C\x9E\x9F"
    "\xC0\xC1\xC2\xC3\xC4\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0\xD1\xD2\xD3\xD4\xD5\xD6"
    "\xDA\xDB\xDC\xDD\xE0\xE1\xE2\xE3\xE4\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2"
    "\xF3\xF4\xF5\xF6\xFA\xFB\xFC\xFD\xFF";

namespace {

constexpr int kArrayBytes = TDifficultKeys::kKeyCount * 2;
constexpr int32_t kPressesCap = 29000;
constexpr int32_t kPressesAfterCap = 25000;

bool in_selection(unsigned char c, TKeySelection selection) {
  switch (selection) {
    case TKeySelection::LowerCase: return c == ansi_lower_char(c);
    case TKeySelection::UpperCase: return c == ansi_upper_char(c);
    case TKeySelection::All: break;
  }
  return true;
}

int32_t read_array(TRecFile& file, TDifficultKeys::Counts& first, TDifficultKeys::Counts& second) {
  unsigned char bytes[kArrayBytes] = {};
  const int32_t status = file.ReadBytes(bytes, kArrayBytes);
  for (int c = TDifficultKeys::kFirstKey; c <= TDifficultKeys::kLastKey; ++c) {
    const int at = (c - TDifficultKeys::kFirstKey) * 2;
    const auto value = static_cast<int16_t>(static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8)));
    first[c] = value;
    second[c] = value;
  }
  return status;
}

int32_t write_array(TRecFile& file, const TDifficultKeys::Counts& values) {
  unsigned char bytes[kArrayBytes];
  for (int c = TDifficultKeys::kFirstKey; c <= TDifficultKeys::kLastKey; ++c) {
    const auto value = static_cast<uint32_t>(values[c]);
    const int at = (c - TDifficultKeys::kFirstKey) * 2;
    bytes[at] = static_cast<unsigned char>(value);
    bytes[at + 1] = static_cast<unsigned char>(value >> 8);
  }
  return file.WriteBytes(bytes, kArrayBytes);
}

int32_t clamp_to_int32(int64_t value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(value);
}

}  // namespace

TDifficultKeys::TDifficultKeys() { SetAlphabet(kDefaultAlphabet); }

float TDifficultKeys::KeyIndex(unsigned char c) const {
  if (c < kFirstKey) return 0.0f;
  if (HasAlphabet && !InAlphabet(c) && c != ',' && c != '.') return 0.0f;
  float p = 0.0f;
  if (TotalHits[c] > 0) {
    const float rate = single(static_cast<float>(TotalErrors[c]) / static_cast<float>(TotalHits[c]));
    p = single(rate * 100.0f);
  }
  // Few presses weaken the verdict: p * Presses / 10.
  if (p > 0.0f && Presses[c] < 10) p = single(single(p * static_cast<float>(Presses[c])) / 10.0f);
  return single(p * 4.0f);
}

void TDifficultKeys::Consolidate() {
  for (int c = kFirstKey; c <= kLastKey; ++c) {
    const int32_t hits = Hits[c];
    if (hits <= 0) continue;
    // The history keeps (Window - hits) / Window of its weight, rounded from
    // the exact ratio; after Window fresh presses it has none left.
    const int64_t kept = Window > 0 ? std::max<int64_t>(Window - hits, 0) : 0;
    const auto decayed = [&](int32_t saved) {
      return kept == 0 ? 0 : round_ratio_half_even(static_cast<int64_t>(saved) * kept, Window);
    };
    int64_t presses = static_cast<int64_t>(SavedPresses[c]) + hits;
    if (presses > kPressesCap) presses = kPressesAfterCap;
    Presses[c] = clamp_to_int32(presses);
    TotalHits[c] = clamp_to_int32(decayed(SavedHits[c]) + hits);
    TotalErrors[c] = clamp_to_int32(decayed(SavedErrors[c]) + Errors[c]);
    // An index above 100 is pulled back by cutting the errors, not the index.
    const float index = KeyIndex(static_cast<unsigned char>(c));
    if (index > 100.0f) TotalErrors[c] = clamp_to_int32(round_half_even(TotalErrors[c] * 100.0 / index));
    LastHits[c] = hits;
    if (hits > Window) {
      SavedPresses[c] = Presses[c];
      SavedHits[c] = TotalHits[c];
      SavedErrors[c] = TotalErrors[c];
      Hits[c] = 0;
      Errors[c] = 0;
    }
  }
  Sorted = false;
}

void TDifficultKeys::BuildRanking() {
  std::vector<std::pair<uint8_t, float>> keys;
  keys.reserve(kKeyCount);
  for (int c = kFirstKey; c <= kLastKey; ++c) {
    const auto code = static_cast<unsigned char>(c);
    if (HasAlphabet && !InAlphabet(code)) continue;
    keys.emplace_back(code, KeyIndex(code));
  }
  // Exchange sort, descending; ties keep the order this procedure leaves.
  const size_t n = keys.size();
  for (size_t i = 0; i + 1 < n; ++i)
    for (size_t j = i + 1; j < n; ++j)
      if (keys[j].second > keys[i].second) std::swap(keys[i], keys[j]);
  SortedKeys.fill(0);
  for (size_t i = 0; i < n; ++i) SortedKeys[i + 1] = keys[i].first;
  Sorted = true;
}

const std::array<uint8_t, TDifficultKeys::kKeyCount + 1>& TDifficultKeys::Ranking() {
  if (!Sorted) BuildRanking();
  return SortedKeys;
}

std::string TDifficultKeys::TopKeys(int n, TKeySelection selection) {
  const auto& ranking = Ranking();
  std::string result;
  if (n <= 0) return result;
  for (int position = 1; position <= kKeyCount; ++position) {
    const uint8_t code = ranking[position];
    if (code == 0 || KeyIndex(code) == 0.0f) break;
    if (!in_selection(code, selection)) continue;
    result += static_cast<char>(code);
    if (static_cast<int>(result.size()) >= n) break;
  }
  return result;
}

int32_t TDifficultKeys::LoadFrom(TRecFile& file) {
  read_array(file, SavedPresses, Presses);
  read_array(file, SavedHits, TotalHits);
  const int32_t status = read_array(file, SavedErrors, TotalErrors);
  Hits.fill(0);
  Errors.fill(0);
  LastHits.fill(0);
  Sorted = false;
  return status;
}

int32_t TDifficultKeys::SaveTo(TRecFile& file) {
  Consolidate();
  write_array(file, Presses);
  write_array(file, TotalHits);
  return write_array(file, TotalErrors);
}

void TDifficultKeys::Clear() {
  for (Counts* counts : {&Hits, &Errors, &LastHits, &TotalHits, &TotalErrors, &Presses, &SavedHits, &SavedErrors,
                         &SavedPresses})
    counts->fill(0);
  Sorted = false;
}

void TDifficultKeys::SetAlphabet(const std::string& alphabet) {
  Alphabet = alphabet;
  HasAlphabet = !alphabet.empty();
  Members.fill(false);
  for (char c : alphabet) Members[static_cast<unsigned char>(c)] = true;
  Sorted = false;
}

}  // namespace strevo
