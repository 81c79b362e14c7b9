// The typing timers and the live counters of the analysis pipeline, and the
// characters that end a word. The pipeline itself is in AnalyzerAPI.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace strevo {

// A stopwatch on the system's 32-bit millisecond tick counter that can be
// paused and resumed; paused time is not counted.
//
// The state is kept as "started" and "paused" flags plus the milliseconds of
// the finished stretches, instead of testing the tick values against 0: a
// tick count of 0 is a valid reading, and SetSeconds with more seconds than
// the system's uptime would otherwise put the start before tick 0. Each
// running stretch is measured modulo 2^32, so a wrap of the tick counter
// (after about 49.7 days) inside a stretch still gives the right time.
class TTypingTimer {
 public:
  void Reset();
  // Starts a reset timer or resumes a paused one; a running timer is left alone.
  void Start();
  // Only a running timer pauses.
  // Pauses a running timer; with until, a stretch that ran past that
  // tick ends there (the run ended before anyone noticed: the machine slept).
  void Pause(std::optional<uint32_t> until = std::nullopt);
  bool IsRunning() const { return Started && !Paused; }
  // Whole seconds, rounded half to even; 0 for a timer that never started.
  int32_t Seconds() const;
  // The timer then shows the seconds (negative counts as 0) and is paused;
  // the next Start resumes from there.
  void SetSeconds(int32_t seconds);
  // "hh:mm:ss"; the hours are not limited to 23.
  std::string AsText() const;

  bool Started = false;
  bool Paused = false;
  uint32_t StartTick = 0;  // tick at which the current stretch began
  int64_t BankedMs = 0;    // milliseconds of the stretches before it

 private:
  int64_t ElapsedMs() const;
};

// The live counters the meter, the daily statistics and the settings page read.
class TEfficiencyInfo {
 public:
  void Reset();
  // The day's average speed over the day's typing time; 0 under one second.
  int32_t CharsPerMinute(const TTypingTimer& typingTime) const;
  // Key messages over the current burst; 0 under one second or without key
  // messages.
  int32_t KeysPerMinute(const TTypingTimer& burstTime) const;

  int32_t Keystrokes = 0;   // every character handed to the pipeline, backspace included
  int32_t KeyMessages = 0;  // decoded key messages of the current burst
  int32_t Characters = 0;   // net characters: backspace counts -1; can go negative
  int32_t Words = 0;        // finished words
};

// Tab, LF, CR, blank and ! " ( ) * , - . / : ; ? @ \ _ : the nineteen
// characters that end a word.
bool IsWordEndChar(unsigned char ch);

}  // namespace strevo
