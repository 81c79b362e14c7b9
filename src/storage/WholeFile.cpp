#include "storage/WholeFile.h"

#include "platform/Platform.h"
#include "storage/FileObj.h"
#include "storage/ScopeGuard.h"

namespace strevo {

namespace {

// Removes the sibling on every way out, unless the rename took it.
auto RemoveUnlessRenamed(const std::string& partial) {
  return ArmedScopeGuard([partial] { Files().RemoveFile(partial); });
}

}  // namespace

std::string PartialFileName(const std::string& path) { return path + ".tmp"; }

WholeFileResult WriteWholeFile(const std::string& path, std::string_view bytes) {
  const std::string partial = PartialFileName(path);
  auto guard = RemoveUnlessRenamed(partial);
  {
    auto file = Files().Open(partial, {FileAccess::ReadWrite, FileShare::None, FileCreate::CreateAlways});
    if (!file) return WholeFileResult::CannotCreate;
    const auto size = static_cast<int64_t>(bytes.size());
    bool written = (size == 0 || file->Write(bytes.data(), size) == size) && file->Flush();
    written = file->Close() && written;
    if (!written) return WholeFileResult::WriteFailed;
  }
  if (!Files().RenameFile(partial, path)) return WholeFileResult::CannotReplace;
  guard.Disarm();
  return WholeFileResult::Written;
}

int32_t WriteWholeRecordFile(const std::string& path, const std::function<int32_t(TRecFile&)>& write) {
  const std::string partial = PartialFileName(path);
  auto guard = RemoveUnlessRenamed(partial);
  int32_t status;
  {
    TRecFile file;
    status = file.Open(partial, rec_mode::Create, rec_access::ReadWriteShared);
    if (status != FileStatus::Good) return status;
    file.FileName = path;
    status = write(file);
    if (status == FileStatus::Good && !file.Flush()) status = FileStatus::WriteError;
    const int32_t closed = file.Close();
    if (status == FileStatus::Good && closed != FileStatus::Closed) status = closed;
  }
  if (status != FileStatus::Good) return status;
  if (!Files().RenameFile(partial, path)) return FileStatus::OpenFailed;
  guard.Disarm();
  return FileStatus::Good;
}

std::string KeepFileAside(const std::string& path) {
  for (int n = 1; n <= 99; ++n) {
    const std::string kept = path + ".kept" + (n > 1 ? std::to_string(n) : std::string());
    if (Files().FileExists(kept)) continue;
    return Files().RenameFile(path, kept) ? kept : std::string();
  }
  return {};
}

}  // namespace strevo
