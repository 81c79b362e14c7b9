// The headless simulator: runs the real program (start-up checks, the tray
// core, the session, key decoding, analysis, files) on the fake platform,
// driven by an event script, with the program's threads as timers on the
// virtual clock. The same script always gives the same result.
#pragma once

#include <cstdint>
#include <deque>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakePlatform.h"
#include "sim/FakeForms.h"

namespace strevo {

class TAnalyzer;

struct SimulationSummary {
  int64_t totalHits = 0, monitoredHits = 0, BackSpaces = 0, ArrowHits = 0, MouseClicks = 0;
  int32_t Words = 0, Characters = 0;
  int32_t TypingSeconds = 0;
  std::string TypingTime;
  int32_t CharsPerMinute = 0, KeysPerMinute = 0;
  bool enabled = false;
  int trayIcon = 0;  // the icon the tray shows: 1 idle, 2 typing, 3 off
  std::string user;
  int applications = -1;  // records of the monitored-applications list; -1 when none is loaded
  bool widgetPaused = false;  // the widget last drew the pause overlay
  std::string widgetWords, widgetTime;  // the figures it last drew
};

class Simulation {
 public:
  // installation: a host folder with the default installation (language
  // file, word lists...), copied to C:\Strevo\. root: the host folder for
  // drive C:, kept after the run; empty for a temporary one.
  Simulation(const std::string& installation, const std::string& root = "");
  ~Simulation();

  // Runs a whole script; lines are explained in the README. Returns false
  // and fills error on a line it cannot read.
  bool Run(const std::vector<std::string>& lines, std::string& error);
  static std::vector<std::string> ReadScript(std::istream& in);

  // The figures at the end of the script (taken before the program saved
  // and ended), and at every "summary" line.
  const SimulationSummary& Summary() const { return summary_; }
  std::vector<SimulationSummary> Summaries;
  // Lines the program showed in message boxes and balloons, in order.
  std::vector<std::string> Shown() const;

  FakePlatform& Platform() { return *platform_; }
  FakeForms& Forms() { return *forms_; }
  uint32_t keyIntervalMs = 150;
  // The virtual time the script's waits and keys may take in all; a script
  // that asks for more fails there. 0: no limit.
  uint64_t virtualTimeLimitMs = 0;

 private:
  bool Setup(const std::string& line, std::string& error);
  bool Event(const std::string& line, std::string& error);
  bool KeyLine(const std::vector<std::string>& words, std::string& error);
  void PostToProgram(const std::string& name, uintptr_t wParam, intptr_t lParam);
  void SecondCopy();
  void RunInsideModal(const std::string& line);
  void MessageBoxShowing();
  void TypeText(const std::string& text, uint32_t interval);
  bool PressChar(unsigned char c, uint32_t interval);
  void PressKey(uint32_t virtualKey, bool shift, bool ctrl, bool alt, uint32_t interval);
  void Capture();
  void Wait(uint64_t ms);
  void Pump();

  std::unique_ptr<FakePlatform> platform_;
  std::unique_ptr<FakeForms> forms_;
  std::unique_ptr<TAnalyzer> analyzer_;  // the pipeline of the program run in progress
  std::vector<std::string> lines_;
  size_t next_ = 0;
  bool failed_ = false;
  std::string error_;
  SimulationSummary summary_;
  KernelHandle tutorMutex_ = 0;
  std::deque<ModalAction> msgboxSteps_;
  uint64_t virtualElapsedMs_ = 0;
  bool killed_ = false;  // "kill": the process was ended from outside
  // The process of each application the script brought in front, by
  // executable: the same executable is the same process.
  std::map<std::string, uint32_t> applicationProcesses_;
  bool numLock_ = true;  // "msgbox" lines: answers and events while a box is up  // the tutor's mutex while "tutor running"
};

}  // namespace strevo
