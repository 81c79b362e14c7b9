#include "storage/DebugLog.h"

#include "platform/Platform.h"
#include "storage/DateTime.h"

namespace strevo {

namespace debuglog {
bool enabled = false;
}

namespace {
std::string g_path;
int g_depth = 0;
}  // namespace

void SetDebugLog(const std::string& path) {
  g_path = path.substr(0, 255);
  debuglog::enabled = !g_path.empty();
  g_depth = 0;
}

void ConfigureDebugLogFromEnvironment() {
  std::string path;
  if (System().GetEnvironment("STREVO_DEBUGLOG", path)) SetDebugLog(path);
}

int DebugLogDepth() { return g_depth; }

void DebugLogWrite(int level, std::string_view text) {
  if (!debuglog::enabled || g_path.empty()) return;
  std::string row(text);
  row += "\r\n";
  switch (level) {
    case 3: row.insert(0, "--> "); break;
    case -2: row.insert(0, "}"); break;
    case 2:
      ++g_depth;
      row.insert(0, "{");
      break;
    case 1: row.insert(0, " "); break;
    default: break;
  }
  if (level != 3 && g_depth > 0) row.insert(0, std::string(static_cast<size_t>(g_depth), '\t'));
  row.insert(0, long_time_text(Now()) + " ");
  if (row.size() > 500) row.resize(500);
  if (auto file = Files().Open(g_path, {FileAccess::Write, FileShare::Read, FileCreate::OpenAlways})) {
    file->Seek(0, SeekOrigin::End);
    file->Write(row.data(), static_cast<int64_t>(row.size()));
    file->Close();
  }
  if (level == -2) --g_depth;
}

}  // namespace strevo
