// Localization: the language list "QVLangs.ini" and the string files it
// leads to, loaded as at the program's start (TLocalize::Load). Input: the
// list, then "language.eng", "language.icr" (the supplement) and
// "language.deu" (a second language, which English fills up).
//
// Properties: a malformed file raises the error the program shows; the table
// never grows past its limit nor holds a text past its length; every id and
// list row can be asked for.
#include <string>

#include "platform/Platform.h"
#include "storage/Exceptions.h"
#include "storage/LangRes.h"
#include "support/FuzzMachine.h"

using namespace strevo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzMachine machine;
  const auto parts = fuzz::SplitParts(data, size, 4);
  const char* const names[] = {"QVLangs.ini", "language.eng", "language.icr", "language.deu"};
  for (size_t i = 0; i < parts.size(); ++i)
    if (i < 2 || !parts[i].empty()) machine.Write(std::string("C:\\Strevo\\") + names[i], parts[i]);
  Files().ChangeDirectory("C:\\Strevo");

  TLocalize& table = Localize();
  int result = -1;
  try {
    result = table.Load("language", TLocalize::kMainFile);
  } catch (const EStrevoError&) {
    // A malformed string file: the program shows this error and ends.
  }
  fuzz::Check(table.Count() <= TLocalize::kMaxCount, "the table stays within its limit");
  for (int id = -1; id <= table.Count(); ++id) {
    const std::string text = table.GetString(id);
    fuzz::Check(text.size() <= TLocalize::kMaxTextLength, "texts are cut to their length");
    table.GetPChar(id);
  }
  if (result == 0) fuzz::Check(!table.GetString(0).empty(), "a loaded file names itself");
  for (int row = -1; row <= static_cast<int>(table.Languages.size()); ++row) table.GetLanguageCode(row);
  table.GetProductString(1);
  table.GetProductString(2);
  return 0;
}
