#include "storage/IniFile.h"

#include <algorithm>

#include "platform/Ansi.h"
#include "platform/Platform.h"
#include "storage/DynamicFile.h"
#include "storage/ToolBox.h"

namespace strevo {

namespace {

std::string ReadFileText(const std::string& fileName) {
  std::string text;
  auto handle = Files().Open(fileName, {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenExisting});
  if (!handle) return text;
  char chunk[65536];
  while (text.size() < TIniFile::kMaxFileSize) {
    const int64_t want = static_cast<int64_t>(std::min(sizeof chunk, TIniFile::kMaxFileSize - text.size()));
    const int64_t n = handle->Read(chunk, want);
    if (n <= 0) break;
    text.append(chunk, static_cast<size_t>(n));
  }
  handle->Close();
  return text;
}

}  // namespace

TIniFile::TIniFile(const std::string& fileName) : fileName_(fileName) {
  std::string text = ReadFileText(fileName);
  // Editors that save as UTF-8 put a byte-order mark in front of the first row.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  Section* current = nullptr;
  for (const std::string& row : SplitLines(text)) {
    const std::string line = TrimBlanks(row);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      sections_.push_back({TrimBlanks(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)), {}});
      current = &sections_.back();
      continue;
    }
    const size_t eq = line.find('=');
    if (!current || eq == std::string::npos) continue;
    std::string value = TrimBlanks(line.substr(eq + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
      value = value.substr(1, value.size() - 2);
    if (value.size() > kMaxValueLength) value.resize(kMaxValueLength);
    current->values.emplace_back(TrimBlanks(line.substr(0, eq)), std::move(value));
  }
}

const TIniFile::Section* TIniFile::Find(const std::string& section) const {
  for (const Section& s : sections_)
    if (same_text(s.name, section)) return &s;
  return nullptr;
}

bool TIniFile::SectionExists(const std::string& section) const { return Find(section) != nullptr; }

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  const Section* s = Find(section);
  if (!s) return false;
  for (const auto& [name, value] : s->values)
    if (same_text(name, key)) return true;
  return false;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  const Section* s = Find(section);
  if (!s) return defaultValue;
  for (const auto& [name, value] : s->values)
    if (same_text(name, key)) return value;
  return defaultValue;
}

}  // namespace strevo
