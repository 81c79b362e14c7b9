#include "sim/Simulation.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <istream>
#include <sstream>

#include "analysis/Analyzer.h"
#include "analysis/AnalyzerAPI.h"
#include "core/Draxel.h"
#include "core/TrayMain.h"
#include "input/KeyInfo.h"
#include "input/MessageNames.h"
#include "input/SpyApps.h"
#include "platform/Ansi.h"
#include "platform/Application.h"
#include "storage/DateTime.h"
#include "storage/DebugLog.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "storage/ToolBox.h"
#include "storage/User.h"
#include "sim/MachineSetup.h"
#include "ui/InfoOnTopWindow.h"

namespace strevo {

namespace {

std::vector<std::string> words_of(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

// The rest of a line after its first n words.
std::string rest_after(const std::string& line, size_t n) {
  size_t at = 0;
  for (size_t i = 0; i < n; ++i) {
    at = line.find_first_not_of(" \t", at);
    if (at == std::string::npos) return {};
    at = line.find_first_of(" \t", at);
    if (at == std::string::npos) return {};
  }
  at = line.find_first_not_of(" \t", at);
  return at == std::string::npos ? std::string() : line.substr(at);
}

// The keypad's key for a character: the digits, the decimal key ("." or
// ","), "*", "+", "-", "/" and Enter. With NumLock off the digits and the
// decimal key are the navigation keys printed beside them.
uint32_t KeypadKey(char c, bool numLock) {
  static constexpr uint32_t kNavigation[10] = {45, 35, 40, 34, 37, 12, 39, 36, 38, 33};  // Insert, End, Down...
  if (c >= '0' && c <= '9') return numLock ? 0x60 + static_cast<uint32_t>(c - '0') : kNavigation[c - '0'];
  switch (c) {
    case '.': case ',': return numLock ? 0x6E : 46;  // Delete
    case '*': return 0x6A;
    case '+': return 0x6B;
    case '-': return 0x6D;
    case '/': return 0x6F;
    case '\r': return vk::kReturn;
    default: return 0;
  }
}

// "\b" backspace, "\n" return, "\t" tab, "\\" a backslash.
std::string unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char c = text[++i];
      out += c == 'b' ? '\b' : c == 'n' ? '\r' : c == 't' ? '\t' : c == 's' ? ' ' : c;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Leading blanks go; trailing ones stay (they are typed by "type" lines).
// The blanks are those that separate words, so that a line left holds a word.
std::string TrimLine(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t\n\v\f\r");
  if (first == std::string::npos) return {};
  return line.substr(first);
}

bool parse_number(const std::string& text, int64_t& value) {
  try {
    size_t used = 0;
    value = std::stoll(text, &used, 0);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

// A number from low to high: intervals and waits outside their range would
// wrap into years of virtual time.
bool parse_number(const std::string& text, int64_t low, int64_t high, int64_t& value) {
  return parse_number(text, value) && value >= low && value <= high;
}

// "a<sep>b<sep>c", each field a number within its range.
bool parse_fields(const std::string& text, char separator, const int64_t (&ranges)[3][2], int (&fields)[3]) {
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t end = i < 2 ? text.find(separator, start) : text.size();
    if (end == std::string::npos) return false;
    const std::string field = text.substr(start, end - start);
    // Decimal, with the leading zeros of "09:05".
    if (field.empty() || field.find_first_not_of("0123456789") != std::string::npos || field.size() > 9) return false;
    const int64_t value = std::stoll(field);
    if (value < ranges[i][0] || value > ranges[i][1]) return false;
    fields[i] = static_cast<int>(value);
    start = end + 1;
  }
  return true;
}

// A day that exists in the calendar (no 31 April).
bool is_real_date(const int (&date)[3]) {
  int year = 0, month = 0, day = 0;
  decode_date(encode_date(date[0], date[1], date[2]), year, month, day);
  return year == date[0] && month == date[1] && day == date[2];
}

// The longest wait a line may ask for: a hundred years.
constexpr int64_t kLongestWaitDays = 36525;
constexpr int64_t kLongestWaitMs = kLongestWaitDays * FakeClock::kMillisecondsPerDay;
constexpr int64_t kLongestInterval = UINT32_MAX;
// The processes of the applications a script brings in front (the program's
// own is 4242).
constexpr uint32_t kFirstApplicationProcess = 5000;

void reset_process_state() {
  Application().Reset();
  CurrentUser.reset();
  PolicySettings.reset();
  WorkstationSettings.reset();
  ProgramSettings.reset();
  Localize().Clear();
  ResetSelectedLanguageCode();
}

// The installation's files into the fake drive, read and written as
// streams: a timer's signal (a profiler's, the fuzzer's) interrupts the
// kernel copy of std::filesystem::copy and failed the start at random, but
// never a stream's reads and writes of a local file.
void copy_installation(const std::filesystem::path& from, const std::filesystem::path& to) {
  for (const std::filesystem::directory_entry& entry : std::filesystem::recursive_directory_iterator(from)) {
    const std::filesystem::path target = to / entry.path().lexically_relative(from);
    if (entry.is_directory()) {
      std::filesystem::create_directories(target);
      continue;
    }
    std::ifstream in(entry.path(), std::ios::binary);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    if (in && in.peek() != std::ifstream::traits_type::eof()) out << in.rdbuf();
    if (!in.is_open() || !out.flush())
      throw std::filesystem::filesystem_error("cannot copy the installation", entry.path(), target,
                                              std::make_error_code(std::errc::io_error));
  }
}

}  // namespace

Simulation::Simulation(const std::string& installation, const std::string& root) {
  reset_process_state();
  platform_ = root.empty() ? std::make_unique<FakePlatform>() : std::make_unique<FakePlatform>(root);
  platform_->windows.recordPosts = false;
  forms_ = std::make_unique<FakeForms>(*platform_);
  const auto runInside = [this](const std::string& line) { RunInsideModal(line); };
  forms_->logon.runEvent = runInside;
  forms_->settings.runEvent = runInside;
  forms_->notify.runEvent = runInside;
  forms_->closeDialog.runEvent = runInside;
  platform_->dialogs.whileShowing = [this] { MessageBoxShowing(); };
  const std::filesystem::path program = platform_->HostPath("C:\\Strevo");
  std::filesystem::create_directories(program);
  if (!installation.empty()) copy_installation(installation, program);
  std::filesystem::create_directories(program / "Database");
  platform_->system.executablePath = "C:\\Strevo\\strevo.exe";
  platform_->posix.ChangeDirectory("C:\\Strevo");
  platform_->clock.SetNow(encode_date(2026, 12, 7) + encode_time(9, 0, 0));
  // The simulator's own environment switches the trace on, as for the program.
  if (const char* log = std::getenv("STREVO_DEBUGLOG")) SetDebugLog(log);
}

Simulation::~Simulation() {
  reset_process_state();
  forms_.reset();
  platform_.reset();
}

std::vector<std::string> Simulation::ReadScript(std::istream& in) {
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> Simulation::Shown() const {
  std::vector<std::string> shown;
  for (const ShownMessage& m : platform_->dialogs.shown) shown.push_back(m.caption + ": " + m.text);
  for (const FakeTrayIcon::Balloon& b : forms_->trayIcon.balloons) shown.push_back(b.title + ": " + b.text);
  return shown;
}

void Simulation::Capture() {
  SimulationSummary s;
  if (TrayMain) {
    const TUserCounters& counters = TrayMain->Counters();
    s.totalHits = counters.totalHits;
    s.monitoredHits = counters.monitoredHits;
    s.BackSpaces = counters.BackSpaces;
    s.ArrowHits = counters.ArrowHits;
    s.MouseClicks = counters.MouseClicks;
    s.enabled = TrayMain->Enabled();
  }
  if (analyzer_) {
    const TAnalyzer& a = *analyzer_;
    s.Words = a.Efficiency.Words;
    s.Characters = a.Efficiency.Characters;
    s.TypingSeconds = a.TypingTime.Seconds();
    s.TypingTime = a.TypingTime.AsText();
    s.CharsPerMinute = a.CharsPerMinute();
    s.KeysPerMinute = a.KeysPerMinute();
  }
  if (CurrentUser) s.user = CurrentUser->Name();
  if (TrayMain)
    if (const TSpyedApps* apps = TrayMain->MonitoredApplications()) s.applications = static_cast<int>(apps->Items.size());
  s.trayIcon = forms_->trayIcon.icon;
  s.widgetPaused = forms_->widget.paused;
  s.widgetWords = forms_->widget.words;
  s.widgetTime = forms_->widget.time;
  summary_ = s;
  Summaries.push_back(s);
}

// Messages are handled when they arrive, as the program's queue would: a
// key is analysed at its own time, not at the end of the script line.
void Simulation::Pump() {
  if (TrayMain) forms_->loop.Pump([](const PostedMessage& m, bool& handled) { TrayMain->AppMessage(m, handled); });
}

void Simulation::Wait(uint64_t ms) {
  Pump();
  if (virtualTimeLimitMs != 0) {
    if (ms > virtualTimeLimitMs - virtualElapsedMs_) {
      if (!failed_) {
        failed_ = true;
        error_ = "the script takes more than " + std::to_string(virtualTimeLimitMs) + " ms of virtual time";
      }
      return;
    }
    virtualElapsedMs_ += ms;
  }
  forms_->threads.Advance(ms);
}

void Simulation::PressKey(uint32_t virtualKey, bool shift, bool ctrl, bool alt, uint32_t interval) {
  Wait(interval);
  FakeHooks& hooks = platform_->hooks;
  if (shift) hooks.KeyDown(vk::kLeftShift);
  if (ctrl) hooks.KeyDown(162);
  if (alt) hooks.KeyDown(164);
  hooks.KeyDown(virtualKey);
  Pump();
  hooks.KeyUp(virtualKey);
  if (alt) hooks.KeyUp(164);
  if (ctrl) hooks.KeyUp(162);
  if (shift) hooks.KeyUp(vk::kLeftShift);
}

bool Simulation::PressChar(unsigned char c, uint32_t interval) {
  // The main keys: the keypad is typed on only by "keypad" lines.
  const auto keypad = [](uint32_t key) { return key >= 0x60 && key <= 0x6F; };
  const FakeLayout& layout = platform_->keyboard.Layout();
  for (const auto& [key, def] : layout.keys) {
    if (def.normal == c && !def.dead && !keypad(key)) return PressKey(key, false, false, false, interval), true;
  }
  for (const auto& [key, def] : layout.keys) {
    if (def.shift == c && !def.deadShift && !keypad(key)) return PressKey(key, true, false, false, interval), true;
  }
  for (const auto& [key, def] : layout.keys) {
    if (def.altGr == c) return PressKey(key, false, true, true, interval), true;
  }
  return false;
}

void Simulation::TypeText(const std::string& text, uint32_t interval) {
  for (unsigned char c : text) {
    if (c == '\b') PressKey(vk::kBack, false, false, false, interval);
    else PressChar(c, interval);
  }
}

bool Simulation::Setup(const std::string& line, std::string& error) {
  const std::vector<std::string> w = words_of(line);
  if (w.empty()) return true;
  const std::string& cmd = w[0];
  FakePlatform& p = *platform_;
  if (cmd == "layout" && w.size() == 2) {
    const FakeLayout* layout = LayoutByName(w[1]);
    if (!layout) return error = "unknown layout " + w[1], false;
    p.keyboard.SetLayout(*layout);
    p.system.layoutName = layout->name;
  } else if (cmd == "account" && w.size() == 2) {
    p.system.userName = w[1];
  } else if (cmd == "computer") {
    p.system.computerName = w.size() > 1 ? w[1] : "";
  } else if (cmd == "args") {
    p.system.arguments.assign(w.begin() + 1, w.end());
  } else if (cmd == "date" && w.size() >= 2) {
    int date[3] = {}, time[3] = {9, 0, 0};
    if (!parse_fields(w[1], '-', {{1, 9999}, {1, 12}, {1, 31}}, date) || !is_real_date(date))
      return error = "bad date " + w[1], false;
    if (w.size() >= 3 && !parse_fields(w[2], ':', {{0, 23}, {0, 59}, {0, 59}}, time))
      return error = "bad time " + w[2], false;
    p.clock.SetNow(encode_date(date[0], date[1], date[2]) + encode_time(time[0], time[1], time[2]));
  } else if (cmd == "logon" && w.size() >= 2) {
    forms_->logon.script.push_back({w[1], rest_after(line, 2)});
  } else if (cmd == "notify" && w.size() >= 2) {
    forms_->notify.script.push_back({w[1], rest_after(line, 2)});
  } else if (cmd == "settings" && w.size() >= 2) {
    forms_->settings.script.push_back({w[1], rest_after(line, 2)});
  } else if (cmd == "close" && w.size() >= 2) {
    forms_->closeDialog.script.push_back({w[1], rest_after(line, 2)});
  } else if (cmd == "autostart" && w.size() == 2) {
    forms_->closeDialog.permanentAnswer = w[1] == "on" ? 1 : 0;
  } else if (cmd == "msgbox" && w.size() >= 3 && w[1] == "do") {
    msgboxSteps_.push_back({"do", rest_after(line, 2)});
  } else if (cmd == "msgbox" && w.size() == 2) {
    int64_t answer = 0;
    if (!parse_number(w[1], answer)) return error = "bad answer " + w[1], false;
    msgboxSteps_.push_back({"answer", w[1]});
  } else if (cmd == "tutor" && w.size() == 2) {
    bool existed = false;
    if (w[1] == "running" && !tutorMutex_) tutorMutex_ = p.mutexes.CreateNamedMutex(kTutorMutex, false, existed);
    if (w[1] == "stopped" && tutorMutex_) {
      p.mutexes.CloseMutex(tutorMutex_);
      tutorMutex_ = 0;
    }
  } else if (cmd == "toolbar" && w.size() == 2 && (w[1] == "broken" || w[1] == "working")) {
    forms_->taskbar.toolbarError = w[1] == "broken" ? "the taskbar list is missing" : "";
  } else if (cmd == "interval" && w.size() == 2) {
    int64_t ms = 0;
    if (!parse_number(w[1], 0, kLongestInterval, ms)) return error = "bad interval", false;
    keyIntervalMs = static_cast<uint32_t>(ms);
  } else if (!PrepareMachine(p, w, line, error)) {
    return false;
  } else if (!error.empty()) {
    return false;
  }
  return true;
}

// An event while a modal window is up: it happens, and the window's loop
// handles the messages it caused.
void Simulation::RunInsideModal(const std::string& line) {
  std::string why;
  if (!failed_ && !Event(TrimLine(line), why)) {
    failed_ = true;
    error_ = "in a modal window: " + why;
  }
  Pump();
}

// The script's steps for the box now showing: events, up to its answer.
void Simulation::MessageBoxShowing() {
  while (!msgboxSteps_.empty()) {
    const ModalAction step = msgboxSteps_.front();
    msgboxSteps_.pop_front();
    if (step.action == "do") {
      RunInsideModal(step.text);
      continue;
    }
    int64_t answer = 0;
    parse_number(step.text, answer);
    platform_->dialogs.answers.push_front(static_cast<int>(answer));
    return;
  }
}

bool Simulation::KeyLine(const std::vector<std::string>& w, std::string& error) {
  std::string keyText = w[1];
  bool shift = false, ctrl = false, alt = false;
  size_t plus;
  while ((plus = keyText.rfind('+')) != std::string::npos && plus > 0) {
    const std::string mod = ascii_lower(keyText.substr(plus + 1));
    if (mod == "shift") shift = true;
    else if (mod == "ctrl") ctrl = true;
    else if (mod == "alt") alt = true;
    else if (mod == "altgr") ctrl = alt = true;
    else return error = "unknown modifier " + mod, false;
    keyText.resize(plus);
  }
  int64_t n = 0;
  if (!parse_number(keyText, n) || n <= 0 || n > 255) return error = "bad key " + keyText, false;
  int64_t interval = keyIntervalMs;
  if (w.size() >= 3 && !parse_number(w[2], 0, kLongestInterval, interval)) return error = "bad interval " + w[2], false;
  PressKey(static_cast<uint32_t>(n), shift, ctrl, alt, static_cast<uint32_t>(interval));
  return true;
}

void Simulation::PostToProgram(const std::string& name, uintptr_t wParam, intptr_t lParam) {
  FakeWindows& windows = platform_->windows;
  if (const WindowHandle h = windows.FindWindowByCaption(kApplicationTitle))
    windows.Post(h, windows.RegisterMessage(name), wParam, lParam);
}

// A second copy of the program starting: it finds the mutex, hands over to
// the running copy and ends.
void Simulation::SecondCopy() {
  // The second process runs the program's own start up to the hand-over;
  // it has no window of its own to rename, and its end closes its handle.
  KernelHandle handle = 0;
  HandOverToRunningCopy(handle, [] {});
  platform_->mutexes.CloseMutex(handle);
}

bool Simulation::Event(const std::string& line, std::string& error) {
  const std::vector<std::string> w = words_of(line);
  // An empty step of a modal window ("settings do" and nothing more).
  if (w.empty()) return true;
  const std::string& cmd = w[0];
  FakePlatform& p = *platform_;
  int64_t n = 0;
  if (cmd == "type") {
    std::string text = unescape(rest_after(line, 1));
    TypeText(text, keyIntervalMs);
  } else if (cmd == "keypad") {
    for (const char c : unescape(rest_after(line, 1))) {
      const uint32_t key = KeypadKey(c, numLock_);
      if (!key) return error = std::string("no keypad key for ") + c, false;
      PressKey(key, false, false, false, keyIntervalMs);
    }
  } else if (cmd == "numlock" && w.size() == 2) {
    numLock_ = w[1] == "on";
  } else if (cmd == "typeslow" && w.size() >= 3) {
    if (!parse_number(w[1], 0, kLongestInterval, n)) return error = "bad interval " + w[1], false;
    TypeText(unescape(rest_after(line, 2)), static_cast<uint32_t>(n));
  } else if (cmd == "key" && w.size() >= 2) {
    return KeyLine(w, error);
  } else if (cmd == "wait" && w.size() == 2) {
    if (!parse_number(w[1], 0, kLongestWaitMs, n)) return error = "bad wait " + w[1], false;
    Wait(static_cast<uint64_t>(n));
  } else if (cmd == "days" && w.size() == 2) {
    if (!parse_number(w[1], 0, kLongestWaitDays, n)) return error = "bad days " + w[1], false;
    Wait(static_cast<uint64_t>(n) * 86400000ull);
  } else if (cmd == "midnight") {
    // One second into the next day.
    Wait(static_cast<uint64_t>(FakeClock::kMillisecondsPerDay - p.clock.MillisecondsOfDay() + 1000));
  } else if (cmd == "click" && w.size() >= 2) {
    const uint32_t message = w[1] == "left" ? winmsg::kLeftButtonDown
                             : w[1] == "right" ? winmsg::kRightButtonDown
                                               : winmsg::kMiddleButtonDown;
    Wait(keyIntervalMs);
    p.hooks.Button(message);
    Pump();
  } else if (cmd == "caption") {
    const std::string caption = rest_after(line, 1);
    WindowHandle h = p.windows.FindWindowByCaption(caption);
    if (!h) h = p.windows.AddWindow(caption);
    p.windows.BringToFront(h);
  } else if (cmd == "app" && w.size() >= 2) {
    // Another application's window comes in front: a change of the
    // foreground, whose focus is in no password field.
    const uint32_t next = kFirstApplicationProcess + static_cast<uint32_t>(applicationProcesses_.size());
    const auto process = applicationProcesses_.emplace(w[1], next);
    p.application.current = {process.first->second, w[1], w.size() >= 3 ? rest_after(line, 2) : ""};
    p.focus.Move(false);
  } else if (cmd == "password" && w.size() == 2 && (w[1] == "on" || w[1] == "off" || w[1] == "unknown")) {
    p.focus.Move(w[1] == "on" ? FieldAnswer::Password : w[1] == "off" ? FieldAnswer::NotPassword : FieldAnswer::NotKnown);
  } else if (cmd == "disable" || cmd == "enable") {
    PostToProgram(cmd == "disable" ? msgname::kDisable : msgname::kEnable, 0, 0);
  } else if (cmd == "post" && w.size() >= 2) {
    int64_t wp = 0, lp = 0;
    if (w.size() >= 3) parse_number(w[2], wp);
    if (w.size() >= 4) parse_number(w[3], lp);
    PostToProgram(w[1], static_cast<uintptr_t>(wp), static_cast<intptr_t>(lp));
  } else if (cmd == "second") {
    SecondCopy();
  } else if (cmd == "endsession") {
    // The Windows session ends: the program saves, and the system ends the
    // process as soon as it has answered.
    if (TrayMain) TrayMain->EndSession();
    Application().Terminate();
    // What the program did not write by now is lost with the process.
    p.files.Add({FileFault::FailOpen, ""});
  } else if (cmd == "kill") {
    // The process is ended from outside (a power cut, the task manager):
    // nothing more reaches the disk, and nothing is saved on the way out.
    Capture();
    killed_ = true;
    p.files.Add({FileFault::FailOpen, ""});
    Application().Terminate();
  } else if (cmd == "sleep" && w.size() == 2) {
    if (!parse_number(w[1], 0, kLongestWaitMs, n)) return error = "bad sleep " + w[1], false;
    Pump();
    forms_->threads.Sleep(static_cast<uint64_t>(n));
    if (forms_->application.onWake) forms_->application.onWake("resumed");
    Pump();
  } else if (cmd == "unlock") {
    if (forms_->application.onWake) forms_->application.onWake("session unlocked");
  } else if (cmd == "clock" && w.size() == 2 && (w[1][0] == '+' || w[1][0] == '-')) {
    if (!parse_number(w[1].substr(1), 0, kLongestWaitMs, n)) return error = "bad clock change " + w[1], false;
    // The date and time are set; the tick count goes on as it was.
    p.clock.Shift(w[1][0] == '+' ? n : -n);
  } else if (cmd == "injected" && w.size() == 2 && (w[1] == "on" || w[1] == "off")) {
    p.hooks.injected = w[1] == "on";
  } else if (cmd == "hooks" && w.size() == 2 && w[1] == "lost") {
    p.hooks.Lose();
  } else if (cmd == "menu" && w.size() == 2) {
    if (!parse_number(w[1], n)) return error = "bad menu entry " + w[1], false;
    forms_->trayIcon.Choose(static_cast<int>(n));
  } else if (cmd == "thumb" && w.size() == 2) {
    if (!parse_number(w[1], n)) return error = "bad thumbnail button " + w[1], false;
    if (forms_->taskbar.onThumbButton) forms_->taskbar.onThumbButton(static_cast<int>(n));
  } else if (cmd == "onoff") {
    if (TrayMain) TrayMain->Widget().onOnOff();
  } else if (cmd == "exit") {
    Capture();
    forms_->trayIcon.Choose(4);
  } else if (cmd == "summary") {
    Capture();
  } else if (!Setup(line, error)) {
    if (error.empty()) error = "unknown line: " + line;
    return false;
  }
  return true;
}

bool Simulation::Run(const std::vector<std::string>& lines, std::string& error) {
  lines_.clear();
  if (!ExpandRepeats(lines, lines_, error)) return false;
  next_ = 0;
  // Everything before "run" prepares the machine.
  for (; next_ < lines_.size(); ++next_) {
    const std::string line = TrimLine(lines_[next_]);
    if (line.empty() || line[0] == '#') continue;
    if (words_of(line)[0] == "run") {
      ++next_;
      break;
    }
    if (!Setup(line, error)) {
      if (error.empty()) error = "line " + std::to_string(next_ + 1) + ": unknown setting: " + line;
      return false;
    }
  }
  forms_->loop.onIdle = [this]() {
    while (next_ < lines_.size() && !failed_) {
      const std::string line = TrimLine(lines_[next_++]);
      if (line.empty() || line[0] == '#') continue;
      std::string why;
      if (!Event(line, why)) {
        failed_ = true;
        error_ = "line " + std::to_string(next_) + ": " + why;
        return false;
      }
      return true;
    }
    if (!Application().Terminated()) Capture();
    return false;
  };
  analyzer_ = ProgramStartup();
  ProgramMain(forms_->Get(), *analyzer_);
  if (Summaries.empty()) Capture();
  // The process ends here: whatever the program still holds would be saved
  // by its destruction, after the platform has gone.
  if (!failed_ && !killed_ && (CurrentUser || WorkstationSettings || PolicySettings || ProgramSettings)) {
    failed_ = true;
    error_ = "the program ended holding settings it had not saved and released";
  }
  // The process would end here: the analysis pipeline goes with it.
  analyzer_.reset();
  if (failed_) error = error_;
  return !failed_;
}

}  // namespace strevo
