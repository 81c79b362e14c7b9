#include "storage/DynamicFile.h"

#include <algorithm>

#include "platform/Ansi.h"
#include "platform/Platform.h"
#include "storage/DebugLog.h"
#include "storage/Exceptions.h"
#include "storage/InetSupport.h"
#include "storage/Numbers.h"
#include "storage/ToolBox.h"
#include "storage/WholeFile.h"

namespace strevo {

namespace {

// Whole contents of a stream from its start; false on a read failure and
// for more than kLargestTextFile bytes (also when the file grows past it
// while it is read).
bool ReadAll(TStream& stream, std::string& text) {
  text.clear();
  if (stream.Seek(0, SeekOrigin::Begin) != 0) return false;
  const int64_t size = stream.Size();
  if (size < 0 || size > kLargestTextFile) return false;
  text.reserve(static_cast<size_t>(size));
  char chunk[65536];
  for (;;) {
    const int64_t n = stream.Read(chunk, sizeof chunk);
    if (n < 0) return false;
    if (n == 0) break;
    if (static_cast<int64_t>(text.size()) + n > kLargestTextFile) return false;
    text.append(chunk, static_cast<size_t>(n));
  }
  return true;
}

bool ReadLocalFile(const std::string& path, std::string& text) {
  auto stream = TFileStream::Open(path, {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting});
  return stream && ReadAll(*stream, text);
}

bool WriteLocalFile(const std::string& path, const std::string& text, FileCreate create) {
  auto handle = Files().Open(path, {FileAccess::ReadWrite, FileShare::None, create});
  if (!handle) return false;
  bool ok = handle->Seek(0, SeekOrigin::Begin) == 0 && handle->Truncate();
  ok = ok && handle->Write(text.data(), static_cast<int64_t>(text.size())) == static_cast<int64_t>(text.size());
  ok = ok && handle->Flush();
  return handle->Close() && ok;
}

std::string OneLine(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

std::string FileText(const std::vector<std::string>& lines) {
  size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

}  // namespace

// ------------------------------------------------------------- text helpers --

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string ToCommaText(const std::vector<std::string>& items) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += ',';
    const std::string& item = items[i];
    const bool quote = item.empty() || std::any_of(item.begin(), item.end(), [](char c) {
                         return static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"';
                       });
    if (!quote) {
      text += item;
      continue;
    }
    text += '"';
    for (char c : item) {
      if (c == '"') text += '"';
      text += c;
    }
    text += '"';
  }
  return text;
}

std::vector<std::string> FromCommaText(std::string_view text) {
  std::vector<std::string> items;
  // Control characters, NUL included, separate items like blanks.
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  size_t p = 0;
  while (p < text.size() && blank(text[p])) ++p;
  while (p < text.size()) {
    std::string item;
    if (text[p] == '"') {
      ++p;
      while (p < text.size()) {
        if (text[p] == '"') {
          if (p + 1 < text.size() && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      const size_t start = p;
      while (p < text.size() && static_cast<unsigned char>(text[p]) > ' ' && text[p] != ',') ++p;
      item.assign(text.substr(start, p - start));
    }
    items.push_back(item);
    while (p < text.size() && blank(text[p])) ++p;
    if (p < text.size() && text[p] == ',') {
      if (p + 1 == text.size()) items.emplace_back();  // "a," ends with an empty item
      do {
        ++p;
      } while (p < text.size() && blank(text[p]));
    }
  }
  return items;
}

// ---------------------------------------------------------------- the store --

TDynamicFile::~TDynamicFile() {
  if (state_ == 1) Close();
}

int32_t TDynamicFile::Fail() {
  stream_.reset();
  siblingText_.reset();
  state_ = 2;
  isOpen_ = false;
  writable_ = false;
  return -1;
}

int32_t TDynamicFile::Open(const std::string& source, int32_t mode) {
  if (state_ == 1) Close();
  releaseAfterLoad_ = false;
  readOnly_ = mode == dynamic_mode::ReadOnlyDenyWrite || mode == dynamic_mode::ReadOnlyShared ||
              mode == dynamic_mode::ReadOnce || mode == dynamic_mode::Address;
  loaded_ = false;
  modified_ = false;
  lines_.clear();
  siblingText_.reset();
  path_.clear();
  bool opened = false;
  try {
    if (mode == dynamic_mode::Address) {
      if (starts_with_text(source, "file:/")) {
        opened = OpenLocal(source.substr(std::min<size_t>(8, source.size())), dynamic_mode::ReadOnlyShared);
      } else if (IsWebAddress(source)) {
        opened = OpenDownload(source);
      } else {
        opened = OpenLocal(source, dynamic_mode::ReadOnlyShared);
      }
    } else if (mode >= dynamic_mode::ReadOnce && mode <= dynamic_mode::ReadWriteDenyWrite) {
      opened = OpenLocal(source, mode);
      releaseAfterLoad_ = mode == dynamic_mode::ReadOnce;
    }
  } catch (const std::exception& e) {
    DebugLog(1, std::string("TDynamicFile.Open failed: ") + e.what());
    opened = false;
  }
  if (!opened) {
    releaseAfterLoad_ = false;
    return Fail();
  }
  state_ = 1;
  isOpen_ = true;
  return 1;
}

bool TDynamicFile::OpenLocal(const std::string& path, int32_t mode) {
  if (path.empty()) return false;
  FileOpenOptions options{FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting};
  switch (mode) {
    case dynamic_mode::ReadWriteDenyWrite:
      options = {FileAccess::ReadWrite, FileShare::Read};
      break;
    case dynamic_mode::ReadWriteShared:
      options = {FileAccess::ReadWrite, FileShare::ReadWrite};
      break;
    case dynamic_mode::ReadCompat:
      options = {FileAccess::Read, FileShare::Compat};
      break;
    case dynamic_mode::ReadWriteExclusive:
      options = {FileAccess::ReadWrite, FileShare::None};
      break;
    case dynamic_mode::ReadOnlyDenyWrite:
      options = {FileAccess::Read, FileShare::Read};
      break;
    default:  // -3, -4
      options = {FileAccess::Read, FileShare::ReadWrite};
      break;
  }
  options.create = FileCreate::OpenExisting;
  const bool readOnlyMode = mode < dynamic_mode::ReadWriteExclusive;

  if (readOnlyMode) {
    if (!Files().FileExists(path)) return false;
    // A read-only store never writes, so it reads an interrupted save's
    // sibling instead of repairing the file.
    const std::string sibling = SiblingName(path);
    if (Files().FileExists(sibling)) {
      std::string text;
      if (ReadLocalFile(sibling, text) && SiblingReplacesFile(path, text)) siblingText_ = std::move(text);
    }
  } else {
    RestoreFromSibling(path);
    if (!Files().FileExists(path)) {
      auto created = Files().Open(path, {FileAccess::ReadWrite, FileShare::ReadWrite, FileCreate::CreateNew});
      if (!created || !created->Close()) {
        if (!Files().FileExists(path)) return false;
      }
    }
  }
  auto stream = TFileStream::Open(path, options);
  if (!stream) return false;
  stream_ = std::move(stream);
  writable_ = options.access != FileAccess::Read;
  path_ = path;
  return true;
}

bool TDynamicFile::OpenDownload(const std::string& address) {
  auto memory = std::make_unique<TMemoryStream>();
  if (HttpRequest(address, "", *memory, true) != 200) return false;
  stream_ = std::move(memory);
  writable_ = false;
  return true;
}

bool TDynamicFile::SiblingReplacesFile(const std::string& path, const std::string& siblingText) {
  // Every save writes whole lines: a copy that does not end with one is cut.
  if (!siblingText.empty() && !siblingText.ends_with("\r\n")) return false;
  if (!Files().FileExists(path)) return true;
  std::string text;
  if (!ReadLocalFile(path, text)) return true;
  // The rewrite stopped part way: the file is the start of the copy.
  if (text.size() < siblingText.size() && siblingText.compare(0, text.size(), text) == 0) return true;
  if (text == siblingText) return false;
  // A zero byte is in no settings text: the file is a rewrite torn by a
  // power cut (its blocks left as zeros), and never wins over a sound copy,
  // however new its time.
  if (text.find('\0') != std::string::npos && siblingText.find('\0') == std::string::npos) return true;
  // The rewrite never began (the file is older than the copy); a file written
  // after the copy was saved by another program, and is kept.
  int64_t fileTime = 0, siblingTime = 0;
  return Files().ModifiedTime(path, fileTime) && Files().ModifiedTime(SiblingName(path), siblingTime) &&
         fileTime < siblingTime;
}

void TDynamicFile::RestoreFromSibling(const std::string& path) {
  const std::string sibling = SiblingName(path);
  if (Files().FileExists(sibling)) {
    std::string text;
    if (!ReadLocalFile(sibling, text)) {
      DebugLog(1, "TDynamicFile: cannot read the copy of an interrupted save of " + path);
    } else if (!SiblingReplacesFile(path, text)) {
      Files().RemoveFile(sibling);
      DebugLog(1, "TDynamicFile: dropped a stale copy of " + path);
    } else if (WriteLocalFile(path, text, FileCreate::OpenAlways)) {
      Files().RemoveFile(sibling);
      DebugLog(1, "TDynamicFile: restored " + path + " from an interrupted save");
    }
  }
  // A partial sibling means the save stopped before the file was touched:
  // the sibling is written whole, so its partial copy is never used to
  // restore anything.
  const std::string partial = PartialFileName(sibling);
  if (Files().FileExists(partial)) Files().RemoveFile(partial);
}

bool TDynamicFile::WriteSibling(const std::string& text) {
  return WriteWholeFile(SiblingName(path_), text) == WholeFileResult::Written;
}

void TDynamicFile::EnsureLoaded() {
  if (loaded_) return;
  if (!isOpen_) throw EStrevoError("File not opened!");
  std::string text;
  if (siblingText_) {
    text = std::move(*siblingText_);
    siblingText_.reset();
  } else if (!stream_ || !ReadAll(*stream_, text)) {
    text.clear();
    if (stream_ && stream_->Size() > kLargestTextFile) {
      DebugLog(1, "TDynamicFile: larger than " + std::to_string(kLargestTextFile) + " bytes, not read: " + path_);
      throw EStrevoError("File too large");
    }
    throw EStrevoError("File read error");
  }
  lines_ = SplitLines(text);
  loaded_ = true;
  if (releaseAfterLoad_) stream_.reset();
}

bool TDynamicFile::Save() {
  if (readOnly_ || state_ != 1 || !modified_ || !stream_) return true;
  // A store opened without write access (mode 0) keeps its changes in memory.
  if (!writable_ || path_.empty()) return true;
  const std::string text = FileText(lines_);
  // The file is held open for the whole run, so it cannot be replaced by a
  // rename. The complete new contents first go to a sibling on the disk;
  // only then is the held file rewritten in place, and the sibling removed.
  // An Open that finds the sibling restores the file from it.
  if (!WriteSibling(text)) {
    DebugLog(1, "TDynamicFile.Save: cannot write the copy of " + path_);
    return false;
  }
  bool ok = stream_->Seek(0, SeekOrigin::Begin) == 0 && stream_->SetSize(0);
  ok = ok && stream_->Write(text.data(), static_cast<int64_t>(text.size())) == static_cast<int64_t>(text.size());
  ok = ok && stream_->Flush();
  if (!ok) {
    DebugLog(1, "TDynamicFile.Save: write failed, the copy is kept: " + path_);
    return false;
  }
  Files().RemoveFile(SiblingName(path_));
  modified_ = false;
  return true;
}

int32_t TDynamicFile::Close() {
  if (state_ == 1) {
    Save();
    if (loaded_) {
      lines_.clear();
      loaded_ = false;
    }
    stream_.reset();
    siblingText_.reset();
    state_ = 2;
    isOpen_ = false;
    writable_ = false;
    modified_ = false;
  }
  return 2;
}

// ------------------------------------------------------------------ lookups --

int64_t TDynamicFile::IndexOfName(std::string_view name) const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    const std::string& line = lines_[i];
    const size_t eq = line.find('=');
    if (eq == std::string::npos || eq != name.size()) continue;
    if (same_text(std::string_view(line).substr(0, eq), name)) return static_cast<int64_t>(i);
  }
  return -1;
}

std::string TDynamicFile::ValueAt(size_t index) const {
  const std::string& line = lines_[index];
  return line.substr(line.find('=') + 1);
}

int32_t TDynamicFile::GetString(const std::string& name, std::string& value) {
  value.clear();
  try {
    EnsureLoaded();
    const int64_t index = IndexOfName(name);
    if (index < 0) return 0;
    value = ValueAt(static_cast<size_t>(index));
    return 1;
  } catch (const std::exception&) {
    return -1;
  }
}

int32_t TDynamicFile::GetInteger(const std::string& name, int32_t& value) {
  value = 0;
  std::string text;
  const int32_t result = GetString(name, text);
  if (result == 1 && !text_to_int32(TrimBlanks(text), value)) value = 0;
  return result;
}

int32_t TDynamicFile::GetInt64(const std::string& name, int64_t& value) {
  value = 0;
  std::string text;
  const int32_t result = GetString(name, text);
  if (result != 1) return result;
  if (!text_to_int64(TrimBlanks(text), value)) {
    value = 0;
    return -1;
  }
  return 1;
}

int32_t TDynamicFile::GetFloat(const std::string& name, float& value) {
  value = 0;
  std::string text;
  const int32_t result = GetString(name, text);
  if (result != 1) return result;
  double number = 0;
  if (!text_to_float(TrimBlanks(text), number)) return -1;
  value = static_cast<float>(number);
  return 1;
}

int32_t TDynamicFile::GetStrings(const std::string& name, std::vector<std::string>& list) {
  list.clear();
  std::string text;
  const int32_t result = GetString(name, text);
  if (result == 1) list = FromCommaText(text);
  return result;
}

int32_t TDynamicFile::GetStrings(const std::string& name, std::unique_ptr<std::vector<std::string>>& list) {
  if (!list) list = std::make_unique<std::vector<std::string>>();
  return GetStrings(name, *list);
}

int32_t TDynamicFile::StoreValue(const std::string& rawName, const std::string& rawValue) {
  try {
    EnsureLoaded();
  } catch (const std::exception&) {
    return -1;
  }
  const std::string name = OneLine(rawName);
  const std::string value = OneLine(rawValue);
  const int64_t index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0) lines_.erase(lines_.begin() + index);
  } else if (index >= 0) {
    // The name keeps the spelling it has in the file; only the value changes.
    std::string& line = lines_[static_cast<size_t>(index)];
    line.replace(line.find('=') + 1, std::string::npos, value);
  } else {
    lines_.push_back(name + "=" + value);
  }
  if (!readOnly_) modified_ = true;
  return 1;
}

int32_t TDynamicFile::SetString(const std::string& name, const std::string& value) { return StoreValue(name, value); }
int32_t TDynamicFile::SetInteger(const std::string& name, int32_t value) {
  return StoreValue(name, std::to_string(value));
}
int32_t TDynamicFile::SetInt64(const std::string& name, int64_t value) {
  return StoreValue(name, std::to_string(value));
}
int32_t TDynamicFile::SetBool(const std::string& name, bool value) { return StoreValue(name, value ? "1" : "0"); }
int32_t TDynamicFile::SetFloat(const std::string& name, double value) { return StoreValue(name, float_to_text(value)); }
int32_t TDynamicFile::SetStrings(const std::string& name, const std::vector<std::string>& list) {
  return StoreValue(name, ToCommaText(list));
}

std::vector<std::string> TDynamicFile::Names() {
  std::vector<std::string> names;
  try {
    EnsureLoaded();
  } catch (const std::exception&) {
    return names;
  }
  for (const std::string& line : lines_) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) names.push_back(line.substr(0, eq));
  }
  return names;
}

void TDynamicFile::Restore(std::vector<std::string> lines) {
  if (lines == lines_) return;
  lines_ = std::move(lines);
  modified_ = true;
}

std::vector<std::string> TDynamicFile::Lines() {
  std::vector<std::string> lines;
  for (const std::string& name : Names()) {
    const int64_t index = IndexOfName(name);
    lines.push_back(name + "=" + (index >= 0 ? ValueAt(static_cast<size_t>(index)) : std::string()));
  }
  return lines;
}

}  // namespace strevo
