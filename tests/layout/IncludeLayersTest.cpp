// The rooms of src/ include each other one way only, as the house plan in
// allowed-includes.txt says, and only the Win32 adapter sees the Windows
// headers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path kSource = (fs::path(__FILE__).parent_path() / ".." / ".." / "src").lexically_normal();
const fs::path kMatrix = fs::path(__FILE__).parent_path() / "allowed-includes.txt";

using Matrix = std::map<std::string, std::set<std::string>>;

Matrix ReadMatrix() {
  Matrix matrix;
  std::ifstream in(kMatrix);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::set<std::string>& allowed = matrix[line.substr(0, colon)];
    std::istringstream rooms(line.substr(colon + 1));
    std::string room;
    while (rooms >> room) allowed.insert(room);
  }
  return matrix;
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

std::string RoomOf(const std::string& path) { return path.substr(0, path.find('/')); }

TEST(IncludeLayersTest, EveryIncludeRunsDownTheHouse) {
  const Matrix matrix = ReadMatrix();
  ASSERT_FALSE(matrix.empty()) << kMatrix;
  std::string wrong;
  int edges = 0;
  for (const auto& [file, included] : Includes()) {
    if (included[0] != '"') continue;
    const std::string target = included.substr(1);
    if (target.find('/') == std::string::npos) continue;  // a file beside the includer
    ++edges;
    const std::string from = RoomOf(file), to = RoomOf(target);
    const auto room = matrix.find(from);
    if (room == matrix.end()) {
      wrong += "  " + file + ": room \"" + from + "\" is not in the house plan\n";
      continue;
    }
    if (from == to || room->second.count("*") || room->second.count(to)) continue;
    wrong += "  " + file + " includes " + target + "\n";
  }
  EXPECT_GT(edges, 100) << "the source tree was not found at " << kSource;
  EXPECT_TRUE(wrong.empty()) << "includes against " << kMatrix.filename() << ":\n" << wrong;
}

TEST(IncludeLayersTest, OnlyTheWin32AdapterSeesWindowsHeaders) {
  static const std::set<std::string> kWindowsHeaders = {"<windows.h>", "<windowsx.h>", "<winuser.h>", "<wininet.h>",
                                                        "<shellapi.h>", "<shlobj.h>",  "<objbase.h>", "<dwmapi.h>"};
  std::string wrong;
  for (const auto& [file, included] : Includes()) {
    if (included[0] != '<' || RoomOf(file) == "win32") continue;
    std::string header = included + ">";
    for (char& c : header) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (kWindowsHeaders.count(header)) wrong += "  " + file + " includes " + header + "\n";
  }
  EXPECT_TRUE(wrong.empty()) << wrong;
}

}  // namespace
