#include "report/ReportData.h"

#include <algorithm>
#include <cmath>

#include "storage/Numbers.h"

namespace strevo {

const char* WeekdayName(int weekday) {
  static const char* const kNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  return weekday >= 1 && weekday <= 7 ? kNames[weekday - 1] : "";
}

int64_t AveragePairTime(const TPairFigure& pair) {
  if (pair.count <= 0) return 0;
  return round_ratio_half_even(pair.timeSum, pair.count);
}

std::vector<TPairFigure> SlowestPairs(const std::vector<TPairFigure>& pairs, size_t n) {
  std::vector<TPairFigure> result;
  for (const TPairFigure& p : pairs)
    if (p.count >= kFewestForSlowest && p.timeSum > 0) result.push_back(p);
  std::stable_sort(result.begin(), result.end(), [](const TPairFigure& a, const TPairFigure& b) {
    const int64_t ta = AveragePairTime(a), tb = AveragePairTime(b);
    if (ta != tb) return ta > tb;
    if (a.count != b.count) return a.count > b.count;
    return a.pair < b.pair;
  });
  if (result.size() > n) result.resize(n);
  return result;
}

std::vector<TPairFigure> ErrorPronePairs(const std::vector<TPairFigure>& pairs, size_t n) {
  std::vector<TPairFigure> result;
  for (const TPairFigure& p : pairs)
    if (p.errors > 0) result.push_back(p);
  std::stable_sort(result.begin(), result.end(), [](const TPairFigure& a, const TPairFigure& b) {
    if (a.errors != b.errors) return a.errors > b.errors;
    if (a.count != b.count) return a.count < b.count;
    return a.pair < b.pair;
  });
  if (result.size() > n) result.resize(n);
  return result;
}

int32_t ShownKeyIndex(float index) {
  if (!std::isfinite(index)) return 0;
  // A damaged file can give any index; the page needs no more than this.
  const double clamped = std::clamp(static_cast<double>(index), -1e6, 1e6);
  return static_cast<int32_t>(round_half_even(clamped));
}

const char* KeyBand(const TKeySetFigures& set, int32_t shownIndex) {
  if (shownIndex < set.lowLimit) return "easy";
  if (shownIndex < set.highLimit) return "moderate";
  return "difficult";
}

bool KeyTyped(const TKeySetFigures& set, unsigned char c) {
  return set.rated[c] && (set.presses[c] > 0 || set.hits[c] > 0);
}

}  // namespace strevo
