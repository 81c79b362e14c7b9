// Reads the scenarios of tests/core/scenarios and checks what a finished
// simulation left behind against their expectations.
#include "core/Scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <sstream>

#include "core/TrayMain.h"
#include "ui/ChooseAppsFrm.h"

namespace strevo::test {
namespace {

using Lookup = std::function<std::optional<std::string>(const std::string& name)>;

const std::filesystem::path kTests = std::filesystem::path(__FILE__).parent_path();
const std::filesystem::path kScenarios = kTests / "scenarios";

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The first word of a line and the text after the blank that ends it.
std::pair<std::string, std::string> SplitWord(const std::string& line) {
  const size_t blank = line.find(' ');
  if (blank == std::string::npos) return {line, ""};
  return {line.substr(0, blank), line.substr(blank + 1)};
}

std::string YesNo(bool value) { return value ? "yes" : "no"; }

Lookup In(std::map<std::string, std::string> values) {
  return [values = std::move(values)](const std::string& name) -> std::optional<std::string> {
    const auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
  };
}

std::map<std::string, std::string> Figures(const SimulationSummary& s) {
  return {{"totalHits", std::to_string(s.totalHits)},   {"monitoredHits", std::to_string(s.monitoredHits)},
          {"BackSpaces", std::to_string(s.BackSpaces)}, {"ArrowHits", std::to_string(s.ArrowHits)},
          {"MouseClicks", std::to_string(s.MouseClicks)}, {"Words", std::to_string(s.Words)},
          {"Characters", std::to_string(s.Characters)}, {"TypingSeconds", std::to_string(s.TypingSeconds)},
          {"TypingTime", s.TypingTime},                 {"CharsPerMinute", std::to_string(s.CharsPerMinute)},
          {"KeysPerMinute", std::to_string(s.KeysPerMinute)}, {"enabled", YesNo(s.enabled)},
          {"trayIcon", std::to_string(s.trayIcon)},     {"user", s.user},
          {"applications", std::to_string(s.applications)}, {"widgetPaused", YesNo(s.widgetPaused)},
          {"widgetWords", s.widgetWords},               {"widgetTime", s.widgetTime}};
}

// "[figures]" counts the recorded figures; "[figures N]" and "[figures last]"
// are the N-th and the last of them.
std::map<std::string, std::string> FiguresSection(const std::string& which, const Simulation& sim) {
  const std::vector<SimulationSummary>& all = sim.Summaries;
  if (which.empty()) return {{"recorded", std::to_string(all.size())}};
  const size_t n = which == "last" ? all.size() : std::stoul(which);
  if (n == 0 || n > all.size()) {
    ADD_FAILURE() << "figures " << which << " of " << all.size() << " recorded";
    return {};
  }
  return Figures(all[n - 1]);
}

// The settings dialog's texts at each step of the run being watched.
std::vector<std::map<std::string, std::string>> settingsSeen;

// What the fake windows and system saw, by the names of their fields.
std::map<std::string, std::string> Fakes(Simulation& sim) {
  FakeForms& forms = sim.Forms();
  FakePlatform& platform = sim.Platform();
  std::map<std::string, std::string> facts = {
      {"logon.shows", std::to_string(forms.logon.shows)},
      {"settings.shows", std::to_string(forms.settings.shows)},
      {"settings.applications", forms.settings.applications},
      {"notify.shown", std::to_string(forms.notify.shown.size())},
      {"closeDialog.shown", std::to_string(forms.closeDialog.shown.size())},
      {"trayIcon.icon", std::to_string(forms.trayIcon.icon)},
      {"trayIcon.active", YesNo(forms.trayIcon.active)},
      {"trayIcon.menu.Taskbar.checked", YesNo(forms.trayIcon.ItemChecked(static_cast<int>(MenuEntry::Taskbar)))},
      {"taskbar.visible", YesNo(forms.taskbar.visible)},
      {"taskbar.canvas.calls", std::to_string(forms.taskbar.canvas.calls)},
      {"taskbar.graph", forms.taskbar.graph ? "set" : "none"},
      {"widget.left", std::to_string(forms.widget.left)},
      {"widget.top", std::to_string(forms.widget.top)},
      {"widget.redraws", std::to_string(forms.widget.redraws)},
      {"threads.crossings", std::to_string(forms.threads.crossings)},
      {"widget.shown", forms.widget.words + " " + forms.widget.speed + " " + forms.widget.time},
      {"dialogs.shown", std::to_string(platform.dialogs.shown.size())},
      {"processes.started", std::to_string(platform.processes.started.size())},
      {"system.shellOpened", std::to_string(platform.system.shellOpened.size())}};
  for (size_t i = 0; i < forms.closeDialog.shown.size(); ++i)
    facts["closeDialog.shown." + std::to_string(i + 1) + ".permanentEnabled"] =
        YesNo(forms.closeDialog.shown[i].permanentEnabled);
  for (size_t i = 0; i < forms.notify.shown.size(); ++i) {
    const std::string entry = "notify.shown." + std::to_string(i + 1);
    facts[entry + ".label1"] = forms.notify.shown[i].label1;
    facts[entry + ".keyInfo"] = forms.notify.shown[i].keyInfo;
    facts[entry + ".keyIndex"] = std::to_string(forms.notify.shown[i].keyIndex);
  }
  for (size_t i = 0; i < settingsSeen.size(); ++i)
    for (const auto& [name, text] : settingsSeen[i]) facts["settings.seen." + std::to_string(i + 1) + "." + name] = text;
  for (size_t i = 0; i < platform.processes.started.size(); ++i)
    facts["processes.started." + std::to_string(i + 1)] = platform.processes.started[i].first;
  for (size_t i = 0; i < platform.system.shellOpened.size(); ++i)
    facts["system.shellOpened." + std::to_string(i + 1)] = platform.system.shellOpened[i].first;
  return facts;
}

// "NAME = TEXT", "NAME >= N", "NAME > N" or "NAME absent".
void ExpectValue(const std::string& line, const Lookup& lookup) {
  const auto [name, rest] = SplitWord(line);
  const std::optional<std::string> found = lookup(name);
  if (rest == "absent") {
    EXPECT_FALSE(found) << name << " is " << *found;
    return;
  }
  const auto [comparison, expected] = SplitWord(rest);
  ASSERT_TRUE(found) << name << " is absent";
  if (comparison == "=") EXPECT_EQ(*found, expected);
  else if (comparison == ">=") EXPECT_GE(std::stoll(*found), std::stoll(expected));
  else if (comparison == ">") EXPECT_GT(std::stoll(*found), std::stoll(expected));
  else ADD_FAILURE() << "no comparison " << comparison;
}

// "has TEXT", "lacks TEXT" or "once TEXT": how many times TEXT occurs in text.
void ExpectText(const std::string& line, const std::string& text) {
  const auto [check, part] = SplitWord(line);
  int n = 0;
  for (size_t at = text.find(part); !part.empty() && at != std::string::npos; at = text.find(part, at + part.size()))
    ++n;
  if (check == "has") EXPECT_GE(n, 1) << text;
  else if (check == "lacks") EXPECT_EQ(n, 0) << text;
  else if (check == "once") EXPECT_EQ(n, 1) << text;
  else ADD_FAILURE() << "no check " << check;
}

// "exists PATH", "missing PATH", or "exact PATH": the bytes of the file
// <scenario>.<file name> beside the script.
void ExpectFile(const Scenario& scenario, const std::string& line, FakePlatform& platform) {
  const auto [check, path] = SplitWord(line);
  const bool exists = std::filesystem::exists(platform.HostPath(path));
  if (check == "exists") {
    EXPECT_TRUE(exists);
  } else if (check == "missing") {
    EXPECT_FALSE(exists);
  } else if (check == "exact") {
    const std::filesystem::path expected = kScenarios / (scenario.name + "." + path.substr(path.rfind('\\') + 1));
    ASSERT_TRUE(std::filesystem::exists(expected)) << expected;
    EXPECT_EQ(platform.ReadHostFile(path), ReadText(expected));
  } else {
    ADD_FAILURE() << "no check " << check;
  }
}

}  // namespace

void WatchSettings(Simulation& sim) {
  settingsSeen.clear();
  sim.Forms().settings.edit = [](TChooseApplications& dialog) {
    settingsSeen.push_back({{"DateStarted", dialog.DateStarted}, {"NotifyCaption", dialog.NotifyCaption},
                            {"TakeABreakCaption", dialog.TakeABreakCaption}, {"WordsLabel", dialog.WordsLabel}});
  };
}

std::vector<std::string> Lines(const std::string& text) {
  std::istringstream in(text);
  return Simulation::ReadScript(in);
}

std::map<std::string, std::string> Settings(FakePlatform& platform, const std::string& path) {
  std::map<std::string, std::string> values;
  for (const std::string& line : Lines(platform.ReadHostFile(path))) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

std::string Installation() { return (kTests / ".." / ".." / "data").lexically_normal().string(); }

Scenario ReadScenario(const std::string& name) {
  Scenario scenario{name, {}, {}, false};
  const std::filesystem::path script = kScenarios / (name + ".scn");
  if (!std::filesystem::exists(script)) return scenario;
  scenario.runs.emplace_back();
  for (const std::string& line : Lines(ReadText(script))) {
    if (line == "---") scenario.runs.emplace_back();
    else scenario.runs.back().push_back(line);
  }
  scenario.expectations = Lines(ReadText(kScenarios / (name + ".expect")));
  for (const std::string& line : scenario.expectations) scenario.runByCpp |= line.starts_with("run by ");
  return scenario;
}

std::vector<Scenario> ReadScenarios() {
  std::vector<Scenario> scenarios;
  for (const std::string& line : Lines(ReadText(kScenarios / "index")))
    if (!line.empty() && line[0] != '#') scenarios.push_back(ReadScenario(line));
  return scenarios;
}

std::vector<std::string> ScenarioFiles() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kScenarios))
    if (entry.path().extension() == ".scn")
      names.push_back(entry.path().lexically_relative(kScenarios).replace_extension().generic_string());
  std::sort(names.begin(), names.end());
  return names;
}

void ExpectOutcome(const Scenario& scenario, Simulation& sim) {
  std::string section;
  for (const std::string& line : scenario.expectations) {
    if (line.empty() || line[0] == '#' || line.starts_with("run by ")) continue;
    if (line.front() == '[' && line.back() == ']') {
      section = line.substr(1, line.size() - 2);
      continue;
    }
    SCOPED_TRACE(scenario.name + ".expect [" + section + "] " + line);
    const auto [kind, subject] = SplitWord(section);
    if (kind == "figures") {
      ExpectValue(line, In(FiguresSection(subject, sim)));
    } else if (kind == "fakes") {
      ExpectValue(line, In(Fakes(sim)));
    } else if (kind == "settings") {
      ExpectValue(line, In(Settings(sim.Platform(), subject)));
    } else if (kind == "registry") {
      ExpectValue(line, [&, key = subject](const std::string& name) -> std::optional<std::string> {
        std::string value;
        if (!sim.Platform().registry.ReadString(key, name, value)) return std::nullopt;
        return value;
      });
    } else if (kind == "text") {
      ExpectText(line, sim.Platform().ReadHostFile(subject));
    } else if (kind == "shown") {
      std::string shown;
      for (const std::string& text : sim.Shown()) shown += text + "\n";
      ExpectText(line, shown);
    } else if (kind == "files") {
      ExpectFile(scenario, line, sim.Platform());
    } else {
      ADD_FAILURE() << "no section [" << section << "]";
    }
  }
}

}  // namespace strevo::test
