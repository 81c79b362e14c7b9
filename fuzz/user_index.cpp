// The user index files ("<group>.idx" in the user database: sorted
// "profile file=user name" lines), read for the logon window's lists, to
// find a user's file and to rebuild the index. Input: the index of group 0,
// then that of group 1.
//
// Properties: user lists come out sorted; a name found through the index
// opens a profile inside the database folder or none; a rebuilt index is
// sorted and holds only entries.
#include <string>
#include <vector>

#include "platform/Ansi.h"
#include "storage/Group.h"
#include "storage/User.h"
#include "support/FuzzMachine.h"

using namespace strevo;

namespace {

bool Sorted(const std::vector<std::string>& lines) {
  for (size_t i = 1; i < lines.size(); ++i)
    if (compare_text(lines[i - 1], lines[i]) > 0) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzMachine machine;
  machine.UserDatabase();
  const auto parts = fuzz::SplitParts(data, size, 2);
  machine.Write("C:\\Data\\0.idx", parts[0]);
  machine.Write("C:\\Data\\1.idx", parts[1]);
  machine.Write("C:\\Root\\1.grp", "");
  machine.Write("C:\\Data\\Ann.usr", "UserName=Ann\r\n");
  machine.Write("C:\\Data\\Bob.usr", "UserName=Bob\r\nUserGroupId=1\r\n");

  LoadIndex(0);
  LoadIndex(1);
  for (int32_t group : {-1, 0, 1}) fuzz::Check(Sorted(UserList(group)), "a user list is sorted");
  const std::vector<std::string> names = UserNames(-1);
  for (size_t i = 0; i < names.size() && i < 8; ++i) {
    FindUserFile(kAnyGroup, names[i]);
    const std::string base = FileBaseName(names[i]);
    fuzz::Check(FileBaseName(base) == base, "the base of a base is the same base");
    try {
      if (auto user = OpenUser(names[i], true, kAnyGroup, lock_mode::ReadOnly)) {
        const std::string& b = user->BaseName;
        fuzz::Check(IsUsableFileBase(b) && b.find_first_of("\\/:.*?\"<>|") == std::string::npos,
                    "an indexed user's profile lies in the database folder");
        fuzz::Check(user->StatisticsPath() == user->FilePath(".DTA") && UserFileBase(names[i]) == b,
                    "every file of a user has the one base");
      }
    } catch (const EUserError&) {
      // A name whose file cannot be the user's: refused as the logon window refuses it.
    }
  }

  RebuildIndex();
  for (int32_t group : {0, 1}) {
    const std::string text = machine.Read(IndexFilePath(group));
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
      const size_t end = text.find("\r\n", start);
      fuzz::Check(end != std::string::npos, "a rebuilt index ends its lines");
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    fuzz::Check(Sorted(lines), "a rebuilt index is sorted");
    for (const std::string& line : lines) fuzz::Check(line.find('=') != std::string::npos, "a rebuilt index holds entries");
  }
  return 0;
}
