// Fake keyboard layouts, simulated low-level hooks, registry, atoms and
// processes for native tests and the simulator.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/Ansi.h"
#include "platform/Platform.h"

namespace strevo {

class FakeWindows;

// One key of a layout: the characters without modifiers, with Shift, with
// AltGr (Ctrl+Alt) and with Shift+AltGr; 0 where the layout has none. A dead
// key gives no character itself.
struct FakeKeyDef {
  char16_t normal = 0;
  char16_t shift = 0;
  char16_t altGr = 0;
  char16_t shiftAltGr = 0;
  bool dead = false;
  bool deadShift = false;
};

struct FakeLayout {
  std::string name;        // the layout name, e.g. "00000409"
  std::map<uint32_t, FakeKeyDef> keys;
};

// US English and German, with Shift, AltGr and the German dead keys.
const FakeLayout& UsLayout();
const FakeLayout& GermanLayout();
const FakeLayout* LayoutByName(const std::string& name);  // "US", "DE" or a layout name

class FakeKeyboard : public IKeyboard {
 public:
  FakeKeyboard() : layout_(&UsLayout()) {}
  // The code page is Windows-1252.
  bool ToCodePage(char16_t character, unsigned char& ansi) override { return AnsiFromCodePoint(character, ansi); }
  int TranslateKey(uint32_t virtualKey, const uint8_t keyState[256], char16_t out[2]) override;
  void SetLayout(const FakeLayout& layout) { layout_ = &layout; }
  const FakeLayout& Layout() const { return *layout_; }

 private:
  const FakeLayout* layout_;
};

// The hooks as the system would run them: a test or the simulator feeds key
// and button events, and the hook decision posts them like the real
// procedures do (with the modifier state that the events built up).
class FakeHooks : public IInputHooks {
 public:
  FakeHooks(FakeWindows& windows, IClock& clock) : windows_(windows), clock_(clock) {}
  void Start(WindowHandle target, uint32_t keyMessage, uint32_t clickMessage, const HookRules& rules) override;
  void Stop() override { active_ = false; running_ = false; }
  bool Active() override { return active_; }
  uint32_t LastEventTime() override { return lastEvent_; }
  uint32_t LastInputTime() override { return lastInput_; }
  // The system removes the hooks without telling: events reach nobody
  // until the next Start.
  void Lose() { lost_ = true; }

  // Key down and up of any key, modifiers included (they change the state
  // the next events see). altFlag: the event carries the Alt-down flag.
  void KeyDown(uint32_t virtualKey, bool systemKey = false);
  void KeyUp(uint32_t virtualKey);
  void Button(uint32_t mouseMessage);
  bool Running() const { return running_; }

  bool failInstall = false;  // a hook cannot be installed
  bool injected = false;     // the keys are sent by a program, and marked so
  int starts = 0;

 private:
  FakeWindows& windows_;
  IClock& clock_;
  WindowHandle target_ = 0;
  uint32_t keyMessage_ = 0;
  uint32_t clickMessage_ = 0;
  HookRules rules_;
  bool active_ = false;
  bool running_ = false;
  bool ctrl_ = false, shift_ = false, alt_ = false;
  bool lost_ = false;
  uint32_t lastEvent_ = 0, lastInput_ = 0;
  // Every event is the session's input; the procedures see it while the
  // hooks are there.
  bool Deliver();
};

class FakeRegistry : public IRegistry {
 public:
  bool OpenKey(const std::string& path) override;
  bool WriteString(const std::string& path, const std::string& name, const std::string& value) override;
  bool ReadString(const std::string& path, const std::string& name, std::string& value) override;
  bool DeleteValue(const std::string& path, const std::string& name) override;

  // The registry outlives the program: a machine kept between runs keeps it
  // in a host file beside its drive. A missing file is an empty registry.
  void Load(const std::string& hostPath);
  void Save(const std::string& hostPath) const;

  bool failOpen = false;
  // Keys and names are compared without regard to case, as the registry does.
  std::map<std::string, std::map<std::string, std::string>> keys;  // upper-cased path -> (upper-cased name -> value)
};

class FakeAtoms : public IAtoms {
 public:
  uint16_t AddAtom(const std::string& name) override;
  uint16_t FindAtom(const std::string& name) override;
  void DeleteAtom(uint16_t atom) override;
  // The names in the table (as added), for tests.
  std::vector<std::string> Names() const;

 private:
  struct Entry {
    std::string name;
    int count = 0;
  };
  std::map<uint16_t, Entry> table_;
  uint16_t next_ = 0xC000;
};

class FakeProcesses : public IProcesses {
 public:
  bool IsRunning(uint32_t processId) override { return running.count(processId) > 0; }
  bool Start(const std::string& commandLine, const std::string& currentDirectory) override;

  std::set<uint32_t> running;
  std::vector<std::pair<std::string, std::string>> started;  // command line, folder
  bool startSucceeds = true;
};

}  // namespace strevo
