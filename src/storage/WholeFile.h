// Files written whole or not at all. The new contents go to a sibling
// (path + ".tmp") that takes the file's place only once it is complete and
// flushed; whatever fails on the way, the sibling is removed and the file
// at path is as it was, so no reader (the program, the tutor, a crash) ever
// finds half a file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace strevo {

class TRecFile;

enum class WholeFileResult {
  Written,
  CannotCreate,   // the sibling could not be created (no folder, no rights)
  WriteFailed,    // writing, flushing or closing the sibling failed
  CannotReplace,  // the file could not be replaced (held by another program)
};

// The sibling a file is written to before it replaces the file.
std::string PartialFileName(const std::string& path);

WholeFileResult WriteWholeFile(const std::string& path, std::string_view bytes);

// A record file written whole: write fills the sibling, opened as a new
// record file whose FileName is path (a record file may take keys from its
// name), and returns the file's status. The status of the whole write:
// Good when the file was replaced; the first failure otherwise (the open's
// status, the writer's, WriteError for a failed flush, the close's), and
// OpenFailed when the file could not be replaced.
int32_t WriteWholeRecordFile(const std::string& path, const std::function<int32_t(TRecFile&)>& write);

// A file the program could not read whole is never written over: it is
// renamed to path + ".kept" (".kept2" and on when that exists) before the
// program writes its own. The name it now has, or none when it could not
// be renamed (held by another program).
std::string KeepFileAside(const std::string& path);

}  // namespace strevo
