#include "report/ForgetUser.h"

#include "analysis/BigramAnalyzer.h"
#include "platform/Ansi.h"
#include "platform/Platform.h"
#include "report/UserReport.h"
#include "storage/Group.h"
#include "storage/PrgSetup.h"
#include "storage/ToolBox.h"
#include "storage/TypingHistory.h"
#include "storage/User.h"
#include "storage/WholeFile.h"

namespace strevo {

namespace {

// Kept-aside copies are numbered on from ".kept2"; a gap ends the search.
constexpr int kMostKeptCopies = 100;

void remove_file(const std::string& path, TForgetResult& result) {
  if (!Files().FileExists(path)) return;
  if (Files().RemoveFile(path)) result.removed.push_back(path);
  else result.error += (result.error.empty() ? "" : "\n") + std::string("cannot remove ") + path;
}

// The file, the sibling a whole write leaves when it stops, and the copies
// kept aside because the program could not read them.
void remove_with_copies(const std::string& path, TForgetResult& result) {
  remove_file(path, result);
  remove_file(PartialFileName(path), result);
  for (int n = 1; n <= kMostKeptCopies; ++n) {
    const std::string kept = path + ".kept" + (n == 1 ? "" : std::to_string(n));
    if (!Files().FileExists(kept)) break;
    remove_file(kept, result);
  }
}

// The file part of an index line names the user's profile: "<base>.usr".
bool line_is_users(const std::string& line, const std::string& base) {
  const size_t equals = line.find('=');
  return equals != std::string::npos && same_text(line.substr(0, equals), base + ".usr");
}

void remove_index_lines(const std::string& base, TForgetResult& result) {
  for (int32_t group = 0; group <= MaxGroup(); ++group) {
    const std::string path = IndexFilePath(group);
    if (!Files().FileExists(path)) continue;
    std::vector<std::string> kept;
    bool found = false;
    for (std::string& line : LoadIndex(group)) {
      if (line_is_users(line, base)) found = true;
      else kept.push_back(std::move(line));
    }
    if (!found) continue;
    if (WriteIndexFile(path, kept)) result.removed.push_back(path);
    else result.error += (result.error.empty() ? "" : "\n") + std::string("cannot rewrite ") + path;
  }
}

}  // namespace

TForgetResult ForgetUser(const std::string& userName) {
  TForgetResult result;
  if (!ProgramSettings || ProgramSettings->DatabasePath.empty()) {
    result.error = "The user database folder is not known.";
    return result;
  }
  if (!IsUsableUserName(userName) || same_text(userName, kVisitorName)) {
    result.error = "The name \"" + userName + "\" cannot name a user's files.";
    return result;
  }
  const std::string base = UserFileBase(userName);
  const std::string folder = IncludeTrailingBackslash(ProgramSettings->DatabasePath);
  if (!Files().FileExists(folder + base + ".usr") && !Files().FileExists(folder + base + kHistoryExtension) &&
      !Files().FileExists(folder + base + ".json")) {
    result.error = "There is no user \"" + userName + "\" in the user database.";
    return result;
  }
  remove_with_copies(folder + base + ".usr", result);
  remove_file(folder + base + ".usr.new", result);
  for (const char* extension : {".DTA", ".SET", ".json", kHistoryExtension}) remove_with_copies(folder + base + extension, result);
  // Letter pairs kept under the user's name before the base named them,
  // unless that name is the base of another user.
  TUserBigrams pairs;
  pairs.Folder = folder;
  pairs.UserName = userName;
  pairs.FileBase = base;
  const std::string former = pairs.FormerFileName();
  if (!same_text(former, pairs.FileName()) && !TUserBigrams::IsUnsafeUserName(userName) &&
      !Files().FileExists(former.substr(0, former.size() - 5) + ".usr"))
    remove_with_copies(former, result);
  const std::string reports = folder + TUserReport::kReportsFolder;
  for (const std::string& name :
       {TUserReport::PageName(base), TUserReport::CsvName(base), TUserReport::JsonName(base)})
    remove_with_copies(reports + name, result);
  remove_index_lines(base, result);
  return result;
}

}  // namespace strevo
