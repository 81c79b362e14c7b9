#include "analysis/Analyzer.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "platform/Platform.h"
#include "storage/Numbers.h"

namespace strevo {

// ------------------------------------------------------------ TTypingTimer --

void TTypingTimer::Reset() {
  Started = false;
  Paused = false;
  StartTick = 0;
  BankedMs = 0;
}

void TTypingTimer::Start() {
  if (IsRunning()) return;
  if (!Started) {
    Started = true;
    BankedMs = 0;
  }
  StartTick = Clock().TickCount();
  Paused = false;
}

void TTypingTimer::Pause(std::optional<uint32_t> until) {
  if (!IsRunning()) return;
  uint32_t stretch = Clock().TickCount() - StartTick;
  if (until) stretch = std::min(stretch, *until - StartTick);
  BankedMs += stretch;
  Paused = true;
}

int64_t TTypingTimer::ElapsedMs() const {
  if (!Started) return 0;
  if (Paused) return BankedMs;
  return BankedMs + static_cast<uint32_t>(Clock().TickCount() - StartTick);
}

int32_t TTypingTimer::Seconds() const {
  const int64_t ms = ElapsedMs();
  if (ms <= 0) return 0;
  int64_t seconds = ms / 1000;
  const int64_t rest = ms % 1000;
  if (rest > 500 || (rest == 500 && seconds % 2 != 0)) ++seconds;
  return static_cast<int32_t>(std::min<int64_t>(seconds, INT32_MAX));
}

void TTypingTimer::SetSeconds(int32_t seconds) {
  Started = true;
  Paused = true;
  StartTick = Clock().TickCount();
  BankedMs = static_cast<int64_t>(std::max(seconds, 0)) * 1000;
}

std::string TTypingTimer::AsText() const {
  const int32_t s = Seconds();
  char text[48];
  std::snprintf(text, sizeof text, "%2.2d:%2.2d:%2.2d", s / 3600, (s % 3600) / 60, s % 60);
  return text;
}

// --------------------------------------------------------- TEfficiencyInfo --

namespace {

// Trunc(count / (seconds / 60)) computed exactly as count * 60 div seconds.
int32_t per_minute(int32_t count, int32_t seconds) {
  const int64_t value = static_cast<int64_t>(count) * 60 / seconds;
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

void TEfficiencyInfo::Reset() {
  Keystrokes = 0;
  KeyMessages = 0;
  Characters = 0;
  Words = 0;
}

int32_t TEfficiencyInfo::CharsPerMinute(const TTypingTimer& typingTime) const {
  const int32_t seconds = typingTime.Seconds();
  if (seconds < 1) return 0;
  return per_minute(Characters, seconds);
}

int32_t TEfficiencyInfo::KeysPerMinute(const TTypingTimer& burstTime) const {
  if (KeyMessages == 0) return 0;
  const int32_t seconds = burstTime.Seconds();
  if (seconds < 1) return 0;
  return per_minute(KeyMessages, seconds);
}

// ------------------------------------------------------------ word ends --

namespace {

constexpr std::array<bool, 256> make_word_end_table() {
  std::array<bool, 256> table{};
  for (unsigned char c : {9, 10, 13, 32, 33, 34, 40, 41, 42, 44, 45, 46, 47, 58, 59, 63, 64, 92, 95}) table[c] = true;
  return table;
}

constexpr std::array<bool, 256> kWordEnd = make_word_end_table();

}  // namespace

bool IsWordEndChar(unsigned char ch) { return kWordEnd[ch]; }

}  // namespace strevo
