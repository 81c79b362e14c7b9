// Groups and the user index. Users belong to numbered groups; group n has its
// settings in RootPath + n + ".grp" and its index in DatabasePath + n +
// ".idx": sorted lines "profile file name=user name" (CR LF), so that user
// lists can be shown without opening every profile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace strevo {

// RootPath + group + ".grp" and DatabasePath + group + ".idx".
std::string GroupFilePath(int32_t group);
std::string IndexFilePath(int32_t group);

// "0" when "0.grp" is missing, then the part before the first full stop of
// every "*.grp" file name in RootPath (sorted as text).
std::vector<std::string> ListGroups();
// The largest number in ListGroups (text that is no number counts as 0).
int32_t MaxGroup();

// The index lines of a group; for -1 those of every index 0..MaxGroup that
// exists, in group order. Lines without "=" are no entries and are left out.
std::vector<std::string> LoadIndex(int32_t group);
// Writes an index whole ("file=name" lines, CR LF); false when it could not.
bool WriteIndexFile(const std::string& path, const std::vector<std::string>& lines);
// Reads every profile (read only, shared) except the visitor's and writes
// the index of each group, with the progress window showing. A profile that
// cannot be read keeps the line the index had for it.
void RebuildIndex();
// "file=name" of every profile (except the visitor's) that is in no index of
// a group whose index and group file both exist; profiles without a
// "UserName" are left out.
std::vector<std::string> UnindexedUsers();
// Sorted "file=name" lines: a group of 1 or more its index (rebuilt when it
// is empty and has no file); group 0 its index and the unindexed users;
// group -1 all indexes and the unindexed users (rebuilt when more than 29
// users were unindexed).
std::vector<std::string> UserList(int32_t group);
// UserList reduced to the user names, in the same order.
std::vector<std::string> UserNames(int32_t group);
// The file base (profile file name up to its first full stop) of userName
// (compared without regard to case) in LoadIndex(group), else in
// UnindexedUsers; empty when none matches.
std::string FindUserFile(int32_t group, const std::string& userName);

// The visitor's profile file name as it is really stored:
// FileBaseName("Visitor%%") + ".usr".
std::string VisitorProfileFileName();

}  // namespace strevo
