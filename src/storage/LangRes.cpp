#include "storage/LangRes.h"

#include "platform/Ansi.h"
#include "platform/Platform.h"
#include "storage/DynamicFile.h"
#include "storage/Exceptions.h"
#include "storage/FileObj.h"
#include "storage/PrgSetup.h"
#include "storage/ToolBox.h"

namespace strevo {

namespace {

std::string g_selectedCode;

// A decimal id (blanks around it allowed); false for anything else.
bool ParseId(std::string_view text, int& id) {
  const std::string trimmed = TrimBlanks(text);
  size_t i = 0;
  bool negative = false;
  if (i < trimmed.size() && (trimmed[i] == '-' || trimmed[i] == '+')) negative = trimmed[i++] == '-';
  if (i == trimmed.size() || trimmed.size() - i > 9) return false;
  int value = 0;
  for (; i < trimmed.size(); ++i) {
    if (trimmed[i] < '0' || trimmed[i] > '9') return false;
    value = value * 10 + (trimmed[i] - '0');
  }
  id = negative ? -value : value;
  return true;
}

// The id of a row: the part before the first "=".
bool RowId(const std::string& row, int& id) { return ParseId(std::string_view(row).substr(0, row.find('=')), id); }

bool IsComment(const std::string& row) { return row.empty() || row[0] == '/' || row[0] == '\0'; }

// "\n" -> CR, "\+" -> blank. The replacements make no new pairs, so one pass
// leaves none.
std::string ReplaceEscapes(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == '+')) {
      out += text[i + 1] == 'n' ? '\r' : ' ';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

void ShowNotFound(const std::string& fileName) {
  Dialogs().ShowMessage(fileName + " not found", System().ExecutablePath(), mb::kIconError);
}

}  // namespace

TLocalize& Localize() {
  static TLocalize table;
  return table;
}

const std::string& SelectedLanguageCode() { return g_selectedCode; }
void ResetSelectedLanguageCode() { g_selectedCode.clear(); }

void TLocalize::Clear() {
  Strings.clear();
  PreviousCount = 0;
  Languages.clear();
  LanguageNames.clear();
  listsLoaded_ = false;
  listCode_.clear();
}

std::string TLocalize::GetString(int id) const {
  if (id < 0 || id >= Count()) return kMissingString;
  return Strings[static_cast<size_t>(id)];
}

const char* TLocalize::GetPChar(int id) const {
  if (id < 0 || id >= Count()) return kMissingString;
  return Strings[static_cast<size_t>(id)].c_str();
}

std::string TLocalize::GetProductString(int id) const {
  std::string text = GetString(id);
  if (text != kMissingString) return text;
  const bool pellinor = contains_text(System().ExecutablePath(), "Pellinor.exe");
  if (id == 1) return pellinor ? "Pellinor" : "Quorvel";
  if (id == 2) return pellinor ? "Pellinor 11" : "Quorvel Pro";
  return text;
}

std::string TLocalize::GetLanguageCode(int index) const {
  if (index < 0 || index >= static_cast<int>(Languages.size())) return {};
  const std::string& row = Languages[static_cast<size_t>(index)];
  const size_t eq = row.find('=');
  return eq == std::string::npos ? std::string() : row.substr(eq + 1);
}

void TLocalize::LoadLanguageList() {
  TDynamicFile list;
  bool opened;
  if (ProgramSettings) {
    opened = list.Open(ProgramSettings->RootPath + "QVLangs.ini", dynamic_mode::Address) == 1;
  } else {
    opened = list.Open("QVLangs.ini", dynamic_mode::ReadOnce) == 1;
  }
  if (opened) {
    // The first two keys (the selected language and the list's description)
    // are no languages. A list saved with a UTF-8 byte-order mark reads as
    // without it.
    std::vector<std::string> lines = list.Lines();
    std::vector<std::string> names = list.Names();
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (!lines.empty() && lines.front().starts_with(kByteOrderMark)) {
      lines.front().erase(0, kByteOrderMark.size());
      if (!names.empty() && names.front().starts_with(kByteOrderMark)) names.front().erase(0, kByteOrderMark.size());
      const size_t eq = lines.front().find('=');
      if (eq != std::string::npos && same_text(lines.front().substr(0, eq), "language"))
        listCode_ = lines.front().substr(eq + 1);
    }
    Languages.assign(lines.begin() + std::min<size_t>(2, lines.size()), lines.end());
    LanguageNames.assign(names.begin() + std::min<size_t>(2, names.size()), names.end());
    if (listCode_.empty()) list.GetString("language", listCode_);
  } else {
    listCode_ = "ENG";
    Languages = {"English=ENG"};
    LanguageNames = {"English"};
  }
  list.Close();
  listsLoaded_ = true;
}

int TLocalize::Load(const std::string& baseName, int mode) {
  if (!listsLoaded_) LoadLanguageList();
  std::string code = listCode_;
  if (!g_selectedCode.empty())
    code = g_selectedCode;
  else
    g_selectedCode = code;

  if (code.empty() || !Files().FileExists(baseName + "." + code)) {
    if (!code.empty()) ShowNotFound(baseName + "." + code);
    code = GetLanguageCode(0);
    // A list without a usable language: English, as without a list.
    if (code.empty() || !Files().FileExists(baseName + "." + code)) code = "ENG";
  }
  const int result = ParseStringFile(baseName + "." + code, mode);
  if (Files().FileExists("language.icr")) ParseStringFile("language.icr", kSupplement);
  if (ansi_upper(code) != "ENG" && Files().FileExists("language.eng")) ParseStringFile("language.eng", kEnglishFill);
  return result;
}

int TLocalize::ParseStringFile(const std::string& fileName, int mode) {
  if (mode == kMainFile && !Strings.empty()) Strings.clear();

  std::vector<std::string> rows;
  try {
    TStreamFile file;
    const int32_t loaded = file.LoadLines(rows, fileName);
    file.Close();
    if (loaded != 1) throw EFOpenError("Cannot open " + fileName);
  } catch (const std::exception&) {
    rows.clear();
    if (!contains_text(fileName, "icr")) {
      ShowNotFound(fileName);
      return -1;
    }
  }

  if (mode == kMainFile || mode == kEnglishFill) {
    int lastId = -1;
    if (!rows.empty()) {
      const std::string& last = rows.back().empty() && rows.size() >= 2 ? rows[rows.size() - 2] : rows.back();
      if (!RowId(last, lastId)) lastId = -1;
    }
    // A last id beyond kMaxCount would make a table the program cannot hold.
    const int count = lastId >= 0 && lastId < kMaxCount ? lastId + 1 : 0;
    if (mode == kEnglishFill) PreviousCount = Count();
    if (count < 2) throw EStrevoError("The last rows of the string resource file not valid in " + fileName);
    if (mode == kMainFile) {
      Strings.assign(static_cast<size_t>(count), kUnsetString);
    } else {
      Strings.resize(static_cast<size_t>(count), kUnsetString);
    }
  }

  for (const std::string& row : rows) {
    if (IsComment(row)) continue;
    const size_t eq = row.find('=');
    int id = -1;
    if (eq == std::string::npos || !RowId(row, id)) continue;
    // Ids outside the table (possible in the supplement, or when the last
    // row does not carry the highest id) are passed over.
    if (id < 0 || id >= Count()) continue;
    // String 0 says which language is loaded (the program chooses fonts and
    // the keyboard face by it); the supplement changes texts, never that.
    if (mode == kSupplement && id == 0) continue;
    std::string& entry = Strings[static_cast<size_t>(id)];
    if (mode == kEnglishFill && entry != kUnsetString) continue;
    if (mode == kMainFile && entry != kUnsetString)
      throw EStrevoError("Duplicate string resource with id #" + std::to_string(id) + " in " + fileName);
    entry = ReplaceEscapes(row.substr(eq + 1, kMaxTextLength));
  }

  if (Count() == 0) return -1;
  // The identity must be said: an empty text would be found in every name.
  const std::string& identity = Strings[0];
  return !identity.empty() && ansi_upper(fileName).find(ansi_upper(identity)) != std::string::npos ? 0 : -1;
}

}  // namespace strevo
