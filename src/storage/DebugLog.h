// The developer's trace: an indented, time-stamped text file. Off unless a
// path is configured (the environment variable STREVO_DEBUGLOG names the file),
// and then every call opens, appends one row and closes, so the log survives
// a crash up to its last row. Off, it costs one test of a flag.
#pragma once

#include <concepts>
#include <string>
#include <string_view>

namespace strevo {

namespace debuglog {
extern bool enabled;  // switched on and a path is set
}

inline bool DebugLogOn() { return debuglog::enabled; }

// Levels: 0 plain, 1 " " prefix, 2 "{" opening a level, -2 "}" closing it,
// 3 "--> " and never indented.
void DebugLogWrite(int level, std::string_view text);
inline void DebugLog(int level, std::string_view text) {
  if (debuglog::enabled) DebugLogWrite(level, text);
}

// A nested block of the trace: the opening row (level 2) when the block
// starts, the closing row (level -2) when it ends, on every way out of the
// scope. With the log off it builds no text.
class TraceBlock {
 public:
  // Both texts must outlive the block (literals, as a rule).
  TraceBlock(std::string_view opening, std::string_view closing) : closing_(closing) { DebugLog(2, opening); }
  // An opening text that costs something to build is made only when the
  // log is on.
  template <std::invocable MakeOpening>
  TraceBlock(MakeOpening&& opening, std::string_view closing) : closing_(closing) {
    if (DebugLogOn()) DebugLogWrite(2, opening());
  }
  ~TraceBlock() {
    if (DebugLogOn()) DebugLogWrite(-2, replaced_ ? std::string_view(replacement_) : closing_);
  }
  TraceBlock(const TraceBlock&) = delete;
  TraceBlock& operator=(const TraceBlock&) = delete;

  // The block ends with another closing row (the exits that say why).
  void CloseWith(std::string_view closing) {
    if (!DebugLogOn()) return;
    replacement_.assign(closing);
    replaced_ = true;
  }
  template <std::invocable MakeClosing>
  void CloseWith(MakeClosing&& closing) {
    if (DebugLogOn()) CloseWith(std::string_view(closing()));
  }

 private:
  std::string_view closing_;
  std::string replacement_;
  bool replaced_ = false;
};

// An empty path switches the log off. The depth starts again at 0.
void SetDebugLog(const std::string& path);
void ConfigureDebugLogFromEnvironment();  // reads STREVO_DEBUGLOG
int DebugLogDepth();

}  // namespace strevo
