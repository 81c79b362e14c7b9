#include "storage/Group.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <map>
#include <set>

#include "platform/Ansi.h"
#include "platform/Application.h"
#include "platform/Platform.h"
#include "storage/DebugLog.h"
#include "storage/DynamicFile.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/Numbers.h"
#include "storage/PrgSetup.h"
#include "storage/Streams.h"
#include "storage/User.h"
#include "storage/WholeFile.h"

namespace strevo {

namespace {

constexpr int kProgressStep = 20;       // files between two progress updates
constexpr size_t kUnindexedLimit = 29;  // more unindexed users than this rebuild the index

std::string DatabaseFolder() { return ProgramSettings ? ProgramSettings->DatabasePath : std::string(); }
std::string RootFolder() { return ProgramSettings ? ProgramSettings->RootPath : std::string(); }

bool HasExtension(const std::string& name, const std::string& extension) {
  return name.size() > extension.size() && same_text(name.substr(name.size() - extension.size()), extension);
}

// A group number written the way the program writes it (no sign, no
// leading zeros), as file names of groups and indexes are built.
bool CanonicalNumber(const std::string& text, int32_t& number) {
  if (text.empty() || text.size() > 10) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  return text_to_int32(text, number) && std::to_string(number) == text;
}

std::string StemOf(const std::string& fileName) { return fileName.substr(0, fileName.find('.')); }
std::string FilePart(const std::string& line) { return line.substr(0, line.find('=')); }
std::string NamePart(const std::string& line) {
  const size_t eq = line.find('=');
  return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

// Sorted as text without regard to case; of lines that compare equal only
// the first stays.
void SortLines(std::vector<std::string>& lines) {
  std::stable_sort(lines.begin(), lines.end(),
                   [](const std::string& a, const std::string& b) { return compare_text(a, b) < 0; });
  lines.erase(std::unique(lines.begin(), lines.end(),
                          [](const std::string& a, const std::string& b) { return compare_text(a, b) == 0; }),
              lines.end());
}

// Every profile file name in DatabasePath except the visitor's, sorted.
std::vector<std::string> ProfileFiles() {
  const std::string visitor = VisitorProfileFileName();
  std::vector<std::string> names;
  for (const DirectoryEntry& entry : Files().List(DatabaseFolder(), "*.usr")) {
    if (entry.isDirectory || !HasExtension(entry.name, ".usr") || same_text(entry.name, visitor)) continue;
    names.push_back(entry.name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return compare_text(a, b) < 0; });
  return names;
}

// The numbers 0..maxGroup that have a group file, ascending.
std::vector<int32_t> GroupsWithFiles(int32_t maxGroup) {
  std::set<int32_t> groups;
  for (const std::string& text : ListGroups()) {
    int32_t group = 0;
    if (CanonicalNumber(text, group) && group <= maxGroup && Files().FileExists(GroupFilePath(group)))
      groups.insert(group);
  }
  return {groups.begin(), groups.end()};
}

// The numbers 0..maxGroup that have an index file, ascending. Found by
// listing the folder, so that a group number of a billion costs nothing.
std::vector<int32_t> GroupsWithIndexes(int32_t maxGroup) {
  std::set<int32_t> groups;
  for (const DirectoryEntry& entry : Files().List(DatabaseFolder(), "*.idx")) {
    int32_t group = 0;
    if (!entry.isDirectory && HasExtension(entry.name, ".idx") && CanonicalNumber(StemOf(entry.name), group) &&
        group <= maxGroup)
      groups.insert(group);
  }
  return {groups.begin(), groups.end()};
}

std::vector<std::string> ReadIndexFile(const std::string& path) {
  std::vector<std::string> lines;
  auto stream = TFileStream::Open(path, {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting});
  if (!stream) return lines;
  std::string text;
  const int64_t size = stream->Size();
  if (size > kLargestTextFile) {
    DebugLog(1, "Index file larger than " + std::to_string(kLargestTextFile) + " bytes, not read: " + path);
    return lines;
  }
  if (size > 0) {
    text.resize(static_cast<size_t>(size));
    const int64_t n = stream->Read(text.data(), size);
    text.resize(static_cast<size_t>(std::max<int64_t>(n, 0)));
  }
  for (std::string& line : SplitLines(text))
    if (line.find('=') != std::string::npos && line.front() != '=') lines.push_back(std::move(line));
  return lines;
}

struct ProfileSummary {
  bool readable = false;
  std::string userName;
  int32_t group = 0;
};

// Read only, shared, and let go right after reading.
ProfileSummary ReadProfile(const std::string& fileName) {
  ProfileSummary summary;
  TDynamicSettings profile;
  if (profile.Open(DatabaseFolder() + fileName, dynamic_mode::ReadOnce) != 1 || profile.Load() != 1) return summary;
  summary.readable = true;
  summary.userName = profile.GetString("UserName");
  summary.group = profile.GetInteger("UserGroupId");
  return summary;
}

// Hides the progress window however the rebuild ends.
class ProgressShown {
 public:
  explicit ProgressShown(int max) {
    ProgressWindow().Show();
    ProgressWindow().ShowProgress(0, max, LangStr(546), LangStr(1), 0);
  }
  ~ProgressShown() { ProgressWindow().Hide(); }
  ProgressShown(const ProgressShown&) = delete;
  ProgressShown& operator=(const ProgressShown&) = delete;
};

}  // namespace

// The new index is written beside the old one and replaces it when
// complete: other programs reading the index never see half of one.
bool WriteIndexFile(const std::string& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return WriteWholeFile(path, text) == WholeFileResult::Written;
}

std::string GroupFilePath(int32_t group) { return RootFolder() + std::to_string(group) + ".grp"; }
std::string IndexFilePath(int32_t group) { return DatabaseFolder() + std::to_string(group) + ".idx"; }

std::string VisitorProfileFileName() { return FileBaseName(kVisitorName) + ".usr"; }

std::vector<std::string> ListGroups() {
  std::vector<std::string> groups;
  if (!Files().FileExists(GroupFilePath(0))) groups.push_back("0");
  std::vector<std::string> names;
  for (const DirectoryEntry& entry : Files().List(RootFolder(), "*.grp"))
    if (!entry.isDirectory && HasExtension(entry.name, ".grp")) names.push_back(entry.name);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return compare_text(a, b) < 0; });
  for (const std::string& name : names) groups.push_back(StemOf(name));
  return groups;
}

int32_t MaxGroup() {
  int32_t highest = 0;
  bool any = false;
  for (const std::string& text : ListGroups()) {
    int32_t group = 0;
    if (!text_to_int32(text, group)) group = 0;
    highest = any ? std::max(highest, group) : group;
    any = true;
  }
  return highest;
}

std::vector<std::string> LoadIndex(int32_t group) {
  if (group >= 0) return Files().FileExists(IndexFilePath(group)) ? ReadIndexFile(IndexFilePath(group))
                                                                 : std::vector<std::string>{};
  if (group != -1) return {};
  std::vector<std::string> lines;
  for (int32_t each : GroupsWithIndexes(MaxGroup())) {
    std::vector<std::string> part = ReadIndexFile(IndexFilePath(each));
    lines.insert(lines.end(), std::make_move_iterator(part.begin()), std::make_move_iterator(part.end()));
  }
  return lines;
}

void RebuildIndex() {
  TraceBlock trace("RebuildIndex {", "} RebuildIndex");
  const int32_t maxGroup = MaxGroup();
  // The bar goes from the first profile to the last, however many groups
  // there are.
  const std::vector<std::string> files = ProfileFiles();
  const int total = static_cast<int>(std::min<size_t>(files.size(), INT_MAX));
  ProgressShown progress(std::max(total, 1));

  // What the index says now, for the profiles that cannot be read.
  std::map<std::string, std::pair<int32_t, std::string>> previous;
  for (int32_t group : GroupsWithIndexes(maxGroup))
    for (const std::string& line : ReadIndexFile(IndexFilePath(group)))
      previous.emplace(ansi_lower(FilePart(line)), std::make_pair(group, line));

  std::map<int32_t, std::vector<std::string>> lists;
  int processed = 0;
  for (const std::string& fileName : files) {
    const ProfileSummary profile = ReadProfile(fileName);
    if (profile.readable) {
      const int32_t group = profile.group < 0 || profile.group > maxGroup ? 0 : profile.group;
      if (!profile.userName.empty()) lists[group].push_back(fileName + "=" + profile.userName);
    } else {
      auto it = previous.find(ansi_lower(fileName));
      if (it != previous.end()) lists[it->second.first].push_back(it->second.second);
      DebugLog(1, "RebuildIndex: cannot read " + fileName);
    }
    if (++processed % kProgressStep == 0 || processed == total) {
      ProgressWindow().SetProgress(processed);
      Application().ProcessMessages();
    }
  }

  // Every group that has a group file, users or an index gets its index
  // written, an empty one included.
  std::set<int32_t> groups = {0};
  for (int32_t group : GroupsWithFiles(maxGroup)) groups.insert(group);
  for (int32_t group : GroupsWithIndexes(maxGroup)) groups.insert(group);
  for (const auto& entry : lists) groups.insert(entry.first);
  for (int32_t group : groups) {
    std::vector<std::string>& lines = lists[group];
    SortLines(lines);
    if (!WriteIndexFile(IndexFilePath(group), lines)) DebugLog(1, "RebuildIndex: cannot write " + IndexFilePath(group));
  }
}

std::vector<std::string> UnindexedUsers() {
  std::set<std::string> indexed;
  for (int32_t group : GroupsWithFiles(MaxGroup())) {
    if (!Files().FileExists(IndexFilePath(group))) continue;
    for (const std::string& line : ReadIndexFile(IndexFilePath(group))) indexed.insert(ansi_lower(FilePart(line)));
  }
  std::vector<std::string> lines;
  for (const std::string& fileName : ProfileFiles()) {
    if (indexed.count(ansi_lower(fileName))) continue;
    const ProfileSummary profile = ReadProfile(fileName);
    if (!profile.userName.empty()) lines.push_back(fileName + "=" + profile.userName);
  }
  return lines;
}

std::vector<std::string> UserList(int32_t group) {
  std::vector<std::string> lines;
  if (group >= 1) {
    lines = LoadIndex(group);
    if (lines.empty() && !Files().FileExists(IndexFilePath(group))) {
      RebuildIndex();
      lines = LoadIndex(group);
    }
  } else if (group == 0 || group == -1) {
    lines = LoadIndex(group);
    const std::vector<std::string> unindexed = UnindexedUsers();
    lines.insert(lines.end(), unindexed.begin(), unindexed.end());
    if (group == -1 && unindexed.size() > kUnindexedLimit) RebuildIndex();
  }
  SortLines(lines);
  return lines;
}

std::vector<std::string> UserNames(int32_t group) {
  std::vector<std::string> names;
  for (const std::string& line : UserList(group)) names.push_back(NamePart(line));
  return names;
}

std::string FindUserFile(int32_t group, const std::string& userName) {
  for (const std::string& line : LoadIndex(group))
    if (same_text(NamePart(line), userName)) return StemOf(FilePart(line));
  for (const std::string& line : UnindexedUsers())
    if (same_text(NamePart(line), userName)) return StemOf(FilePart(line));
  return {};
}

}  // namespace strevo
