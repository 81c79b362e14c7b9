#include "storage/LangRes.h"

#include "platform/Platform.h"
#include "storage/Ansi.h"

namespace strevo {

TLocalize& Localize() {
  static TLocalize table;
  return table;
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

}  // namespace strevo
