// The tutor's result lines in a user's profile ("ReCnt", "Re<n>"), read with
// the profile (TResults) and written back field for field when it is saved.
// Input: the profile's text.
//
// Properties: a line that cannot be read raises EConvertError; lines that
// were read are written so that they read back as the same lines.
#include <string>
#include <vector>

#include "analysis/UResults.h"
#include "storage/DynamicSettings.h"
#include "storage/Exceptions.h"
#include "support/FuzzMachine.h"

using namespace strevo;

namespace {

std::vector<std::string> Lines(const TResults& results) {
  std::vector<std::string> lines;
  for (const auto& item : results.Items) lines.push_back(std::to_string(item->Index) + ":" + item->Line());
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzMachine machine;
  machine.Write("C:\\Data\\Ann.usr", std::string_view(reinterpret_cast<const char*>(data), size));
  TDynamicSettings profile;
  fuzz::Check(profile.Open("C:\\Data\\Ann.usr", dynamic_mode::ReadOnlyShared) == 1, "the profile opens");

  TResults results;
  try {
    results.LoadFrom(&profile);
  } catch (const EConvertError&) {
    return 0;  // the profile keeps its results unread and never writes them
  }
  TDynamicSettings copy;
  fuzz::Check(copy.Open("C:\\Data\\Copy.usr", dynamic_mode::ReadWriteExclusive) == 1, "a new profile opens");
  results.SaveTo(copy);
  copy.Save();

  TResults again;
  try {
    again.LoadFrom(&copy);
  } catch (const EConvertError& error) {
    fuzz::Fail(std::string("written results read back: ") + error.what());
  }
  fuzz::Check(Lines(again) == Lines(results), "written results read back as the same lines");
  fuzz::Check(again.ReCnt == results.ReCnt, "the count reads back");
  return 0;
}
