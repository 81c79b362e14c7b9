// The rooms of src/ include each other one way only, as the house plan in
// cmake/rooms.txt says (the build links them by the same plan), and only the
// Win32 adapter sees the Windows headers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kTop = (fs::path(__FILE__).parent_path() / ".." / "..").lexically_normal();
const fs::path kSource = kTop / "src";
const fs::path kPlan = kTop / "cmake" / "rooms.txt";

struct Room {
  std::vector<std::string> folders;
  std::set<std::string> uses;
};
using Plan = std::map<std::string, Room>;

// "room [folder...]: used rooms" a line; a room without folders is the
// folder of its name.
Plan ReadPlan() {
  Plan plan;
  std::ifstream in(kPlan);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::string head = line.substr(0, colon);
    for (char& c : head)
      if (c == '[' || c == ']') c = ' ';
    std::istringstream names(head);
    std::string name, folder;
    names >> name;
    Room& room = plan[name];
    while (names >> folder) room.folders.push_back(folder);
    if (room.folders.empty()) room.folders.push_back(name);
    std::istringstream used(line.substr(colon + 1));
    std::string other;
    while (used >> other) room.uses.insert(other);
  }
  return plan;
}

// The room a path under src/ lies in: the one with the longest folder that
// holds it; empty when none does.
std::string RoomOf(const Plan& plan, const std::string& path) {
  std::string found;
  size_t longest = 0;
  for (const auto& [name, room] : plan)
    for (const std::string& folder : room.folders)
      if (folder.size() > longest && path.compare(0, folder.size() + 1, folder + "/") == 0) {
        found = name;
        longest = folder.size();
      }
  return found;
}

// Every "room/..." include of the source files under src/, as
// "file -> included".
std::vector<std::pair<std::string, std::string>> Includes() {
  static const std::regex include(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<std::pair<std::string, std::string>> edges;
  for (const auto& entry : fs::recursive_directory_iterator(kSource)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    std::ifstream in(entry.path());
    std::string line;
    std::smatch m;
    while (std::getline(in, line))
      if (std::regex_search(line, m, include)) edges.emplace_back(fs::relative(entry.path(), kSource).generic_string(),
                                                                  m[1].str() + m[2].str());
  }
  return edges;
}

TEST(IncludeLayersTest, EveryIncludeRunsDownTheHouse) {
  const Plan plan = ReadPlan();
  ASSERT_FALSE(plan.empty()) << kPlan;
  std::string wrong;
  int edges = 0;
  for (const auto& [file, included] : Includes()) {
    if (included[0] != '"') continue;
    const std::string target = included.substr(1);
    if (target.find('/') == std::string::npos) continue;  // a file beside the includer
    ++edges;
    const std::string from = RoomOf(plan, file), to = RoomOf(plan, target);
    if (from.empty()) {
      wrong += "  " + file + ": no room of the house plan holds it\n";
      continue;
    }
    const std::set<std::string>& uses = plan.at(from).uses;
    if (from == to || (!to.empty() && (uses.count("*") || uses.count(to)))) continue;
    wrong += "  " + file + " includes " + target + "\n";
  }
  EXPECT_GT(edges, 100) << "the source tree was not found at " << kSource;
  EXPECT_TRUE(wrong.empty()) << "includes against " << kPlan << ":\n" << wrong;
}

TEST(IncludeLayersTest, OnlyTheWin32AdapterSeesWindowsHeaders) {
  static const std::set<std::string> kWindowsHeaders = {"<windows.h>", "<windowsx.h>", "<winuser.h>", "<wininet.h>",
                                                        "<shellapi.h>", "<shlobj.h>",  "<objbase.h>", "<dwmapi.h>"};
  const Plan plan = ReadPlan();
  std::string wrong;
  for (const auto& [file, included] : Includes()) {
    if (included[0] != '<' || RoomOf(plan, file) == "win32") continue;
    std::string header = included + ">";
    for (char& c : header) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (kWindowsHeaders.count(header)) wrong += "  " + file + " includes " + header + "\n";
  }
  EXPECT_TRUE(wrong.empty()) << wrong;
}

}  // namespace
