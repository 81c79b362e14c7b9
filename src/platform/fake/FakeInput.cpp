#include "platform/fake/FakeInput.h"

#include <fstream>

#include "platform/Ansi.h"
#include "platform/SystemCodes.h"
#include "platform/fake/FakePlatform.h"

namespace strevo {

namespace {

void add_letters(FakeLayout& layout) {
  for (uint32_t k = 'A'; k <= 'Z'; ++k) layout.keys[k] = {static_cast<char16_t>(k + 32), static_cast<char16_t>(k)};
}

// The numeric keypad as the system reports it with NumLock on (with NumLock
// off the keyboard driver sends the navigation keys instead): 0x60-0x69 the
// digits, then "*", "+", the separator key (no character), "-", the decimal
// key with the layout's own decimal sign, and "/".
void add_keypad(FakeLayout& layout, char16_t decimal) {
  for (uint32_t k = 0x60; k <= 0x69; ++k) layout.keys[k] = {static_cast<char16_t>(u'0' + (k - 0x60)),
                                                           static_cast<char16_t>(u'0' + (k - 0x60))};
  layout.keys[0x6A] = {u'*', u'*'};
  layout.keys[0x6B] = {u'+', u'+'};
  layout.keys[0x6D] = {u'-', u'-'};
  layout.keys[0x6E] = {decimal, decimal};
  layout.keys[0x6F] = {u'/', u'/'};
}

FakeLayout make_us() {
  FakeLayout l;
  l.name = "00000409";
  add_letters(l);
  add_keypad(l, u'.');
  const char* shifted = ")!@#$%^&*(";
  for (uint32_t k = '0'; k <= '9'; ++k) l.keys[k] = {static_cast<char16_t>(k), static_cast<char16_t>(shifted[k - '0'])};
  l.keys[0x20] = {u' ', u' '};
  l.keys[0x08] = {u'\b', u'\b'};
  l.keys[0x09] = {u'\t', u'\t'};
  l.keys[0x0D] = {u'\r', u'\r'};
  l.keys[0x1B] = {0x1B, 0x1B};
  l.keys[0xBA] = {u';', u':'};
  l.keys[0xBB] = {u'=', u'+'};
  l.keys[0xBC] = {u',', u'<'};
  l.keys[0xBD] = {u'-', u'_'};
  l.keys[0xBE] = {u'.', u'>'};
  l.keys[0xBF] = {u'/', u'?'};
  l.keys[0xC0] = {u'`', u'~'};
  l.keys[0xDB] = {u'[', u'{'};
  l.keys[0xDC] = {u'\\', u'|'};
  l.keys[0xDD] = {u']', u'}'};
  l.keys[0xDE] = {u'\'', u'"'};
  return l;
}

FakeLayout make_german() {
  FakeLayout l;
  l.name = "00000407";
  add_letters(l);
  add_keypad(l, u',');
  const char16_t shifted[] = {u'=', u'!', u'"', 0xA7, u'$', u'%', u'&', u'/', u'(', u')'};
  for (uint32_t k = '0'; k <= '9'; ++k) l.keys[k] = {static_cast<char16_t>(k), shifted[k - '0']};
  l.keys['2'].altGr = 0xB2;
  l.keys['3'].altGr = 0xB3;
  l.keys['7'].altGr = u'{';
  l.keys['8'].altGr = u'[';
  l.keys['9'].altGr = u']';
  l.keys['0'].altGr = u'}';
  l.keys['Q'].altGr = u'@';
  l.keys['E'].altGr = 0x20AC;  // euro sign
  l.keys['M'].altGr = 0xB5;
  l.keys[0x20] = {u' ', u' '};
  l.keys[0x08] = {u'\b', u'\b'};
  l.keys[0x09] = {u'\t', u'\t'};
  l.keys[0x0D] = {u'\r', u'\r'};
  l.keys[0x1B] = {0x1B, 0x1B};
  l.keys[0xBA] = {0xFC, 0xDC};           // u umlaut
  l.keys[0xBB] = {u'+', u'*', u'~'};
  l.keys[0xBC] = {u',', u';'};
  l.keys[0xBD] = {u'-', u'_'};
  l.keys[0xBE] = {u'.', u':'};
  l.keys[0xBF] = {u'#', u'\''};
  l.keys[0xC0] = {0xF6, 0xD6};           // o umlaut
  l.keys[0xDB] = {0xDF, u'?', u'\\'};    // sharp s
  l.keys[0xDE] = {0xE4, 0xC4};           // a umlaut
  l.keys[0xE2] = {u'<', u'>', u'|'};
  FakeKeyDef circumflex{u'^', 0xB0};
  circumflex.dead = true;                // ^ is dead, degree sign is not
  l.keys[0xDC] = circumflex;
  FakeKeyDef acute{0xB4, u'`'};
  acute.dead = acute.deadShift = true;
  l.keys[0xDD] = acute;
  return l;
}

}  // namespace

const FakeLayout& UsLayout() {
  static const FakeLayout layout = make_us();
  return layout;
}

const FakeLayout& GermanLayout() {
  static const FakeLayout layout = make_german();
  return layout;
}

const FakeLayout* LayoutByName(const std::string& name) {
  const std::string n = ascii_upper(name);
  if (n == "US" || n == UsLayout().name) return &UsLayout();
  if (n == "DE" || n == "GERMAN" || n == GermanLayout().name) return &GermanLayout();
  return nullptr;
}

int FakeKeyboard::TranslateKey(uint32_t virtualKey, const uint8_t keyState[256], char16_t out[2]) {
  auto it = layout_->keys.find(virtualKey);
  if (it == layout_->keys.end()) return 0;
  const FakeKeyDef& key = it->second;
  const bool shift = keyState[16] & 0x80;
  const bool ctrl = keyState[17] & 0x80;
  const bool alt = keyState[18] & 0x80;
  char16_t c = 0;
  bool dead = false;
  if (ctrl && alt) {
    c = shift ? key.shiftAltGr : key.altGr;
  } else if (ctrl) {
    if (virtualKey >= 'A' && virtualKey <= 'Z') c = static_cast<char16_t>(virtualKey - 'A' + 1);  // control characters
  } else {
    c = shift ? key.shift : key.normal;
    dead = shift ? key.deadShift : key.dead;
  }
  if (c == 0) return 0;
  out[0] = c;
  return dead ? -1 : 1;
}

// ------------------------------------------------------------------- hooks --

void FakeHooks::Start(WindowHandle target, uint32_t keyMessage, uint32_t clickMessage, const HookRules& rules) {
  ++starts;
  rules_ = rules;
  target_ = target;
  keyMessage_ = keyMessage;
  clickMessage_ = clickMessage;
  running_ = true;
  active_ = !failInstall;
  lost_ = false;
  lastEvent_ = clock_.TickCount();
}

bool FakeHooks::Deliver() {
  lastInput_ = clock_.TickCount();
  if (!running_ || lost_) return false;
  lastEvent_ = lastInput_;
  return true;
}

void FakeHooks::KeyDown(uint32_t virtualKey, bool systemKey) {
  if (virtualKey == vk::kControl || virtualKey == 162 || virtualKey == 163) ctrl_ = true;
  if (virtualKey == vk::kShift || virtualKey == 160 || virtualKey == 161) shift_ = true;
  if (virtualKey == vk::kMenu || virtualKey == 164 || virtualKey == 165) alt_ = true;
  if (!Deliver() || !active_ || !target_) return;
  // With Alt down the system reports a system key down carrying the Alt flag.
  const bool sys = systemKey || alt_;
  const uint32_t flags = (alt_ ? kLowLevelAltDown : 0) | (injected ? kLowLevelInjected : 0);
  uint32_t word = 0;
  if (rules_.keyWord &&
      rules_.keyWord(sys ? winmsg::kSysKeyDown : winmsg::kKeyDown, virtualKey, flags, ctrl_, shift_, alt_, word))
    windows_.Post(target_, keyMessage_, word, 0);
}

void FakeHooks::KeyUp(uint32_t virtualKey) {
  Deliver();
  if (virtualKey == vk::kControl || virtualKey == 162 || virtualKey == 163) ctrl_ = false;
  if (virtualKey == vk::kShift || virtualKey == 160 || virtualKey == 161) shift_ = false;
  if (virtualKey == vk::kMenu || virtualKey == 164 || virtualKey == 165) alt_ = false;
}

void FakeHooks::Button(uint32_t mouseMessage) {
  if (Deliver() && active_ && target_ && rules_.clickPosted && rules_.clickPosted(mouseMessage)) windows_.Post(target_, clickMessage_, mouseMessage, 0);
}

// ---------------------------------------------------------------- registry --

namespace {
std::string key_path(const std::string& path) {
  std::string p = ansi_upper(path);
  while (!p.empty() && p.front() == '\\') p.erase(0, 1);
  return p;
}
}  // namespace

bool FakeRegistry::OpenKey(const std::string& path) {
  if (failOpen) return false;
  keys[key_path(path)];
  return true;
}

bool FakeRegistry::WriteString(const std::string& path, const std::string& name, const std::string& value) {
  if (failOpen) return false;
  keys[key_path(path)][ansi_upper(name)] = value;
  return true;
}

bool FakeRegistry::ReadString(const std::string& path, const std::string& name, std::string& value) {
  auto key = keys.find(key_path(path));
  if (key == keys.end()) return false;
  auto it = key->second.find(ansi_upper(name));
  if (it == key->second.end()) return false;
  value = it->second;
  return true;
}

bool FakeRegistry::DeleteValue(const std::string& path, const std::string& name) {
  auto key = keys.find(key_path(path));
  return key != keys.end() && key->second.erase(ansi_upper(name)) > 0;
}

namespace {

// A field of the registry file: tab, line end and backslash escaped.
std::string escape_field(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\t' ? "\\t" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : c == '\\' ? "\\\\" : std::string(1, c);
  return out;
}
std::string unescape_field(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

}  // namespace

// One line a value, "KEY<tab>NAME<tab>VALUE"; a key without values alone.
void FakeRegistry::Load(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    const size_t first = line.find('\t');
    const std::string key = unescape_field(line.substr(0, first));
    auto& values = keys[key];
    if (first == std::string::npos) continue;
    const size_t second = line.find('\t', first + 1);
    if (second == std::string::npos) continue;
    values[unescape_field(line.substr(first + 1, second - first - 1))] = unescape_field(line.substr(second + 1));
  }
}

void FakeRegistry::Save(const std::string& hostPath) const {
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  for (const auto& [key, values] : keys) {
    if (values.empty()) out << escape_field(key) << '\n';
    for (const auto& [name, value] : values)
      out << escape_field(key) << '\t' << escape_field(name) << '\t' << escape_field(value) << '\n';
  }
}

// ------------------------------------------------------------------- atoms --

uint16_t FakeAtoms::AddAtom(const std::string& name) {
  if (const uint16_t existing = FindAtom(name)) {
    ++table_[existing].count;
    return existing;
  }
  const uint16_t atom = next_++;
  table_[atom] = {name, 1};
  return atom;
}

uint16_t FakeAtoms::FindAtom(const std::string& name) {
  for (const auto& [atom, entry] : table_)
    if (same_text(entry.name, name)) return atom;
  return 0;
}

void FakeAtoms::DeleteAtom(uint16_t atom) {
  auto it = table_.find(atom);
  if (it != table_.end() && --it->second.count <= 0) table_.erase(it);
}

std::vector<std::string> FakeAtoms::Names() const {
  std::vector<std::string> names;
  for (const auto& [atom, entry] : table_) names.push_back(entry.name);
  return names;
}

bool FakeProcesses::Start(const std::string& commandLine, const std::string& currentDirectory) {
  started.emplace_back(commandLine, currentDirectory);
  return startSucceeds;
}

}  // namespace strevo
