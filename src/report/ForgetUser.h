// A user's data is theirs: forgetting a user removes every file the user
// database keeps of them (profile and its interrupted-save copy, statistics,
// applications, letter pairs, typing history, the copies kept aside of any
// of them, the reports of the Reports folder) and the user's lines of the
// group indexes. Files are named exactly, from the user's one file base:
// another user whose name or base begins the same is never touched.
#pragma once

#include <string>
#include <vector>

namespace strevo {

struct TForgetResult {
  std::vector<std::string> removed;  // paths of the files removed, and of the indexes rewritten
  std::string error;                 // empty when everything of the user is gone
};

// Needs ProgramSettings->DatabasePath. Asks nothing.
TForgetResult ForgetUser(const std::string& userName);

}  // namespace strevo
