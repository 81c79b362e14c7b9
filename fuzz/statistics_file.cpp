// A user's statistics file (".DTA", every version: one key set before 6, old
// words before 11, the current words at 110), read when the user is opened
// (TUser, UserAnalysis), used as the analysis uses it, saved, and read by
// the statistics report.
//
// Properties: a damaged file raises EUserError or loads what it can; what the
// program saves reads back as what it saved (a second save writes the same
// bytes); the report is written whatever the file holds.
#include <string>

#include "analysis/Diffkeys.h"
#include "analysis/UserAnalysis.h"
#include "analysis/WordAnalyzer.h"
#include "report/UserReport.h"
#include "storage/User.h"
#include "support/FuzzMachine.h"

using namespace strevo;

namespace {

const std::string kProfile = "C:\\Data\\Ann.usr";
const std::string kStatistics = "C:\\Data\\Ann.DTA";

// Opens Ann, uses her figures and words, and saves them; false when the
// statistics file cannot be read.
bool OpenUseAndSave() {
  UserAnalysis analysis;
  std::unique_ptr<TUser> user;
  try {
    user = OpenUser("Ann", false, kAnyGroup, lock_mode::ReadWrite, &analysis);
  } catch (const EUserError&) {
    return false;
  }
  fuzz::Check(user != nullptr, "an existing profile opens");
  for (TDifficultKeys& keys : analysis.KeySets) {
    for (int c = 0; c < 256; ++c) keys.KeyIndex(static_cast<unsigned char>(c));
    keys.TopKeys(20, TKeySelection::LowerCase);
    keys.TopKeys(20, TKeySelection::UpperCase);
  }
  for (int format = 0; format <= 2; ++format) analysis.Words.WeightedList(kWordSourceTyped | kWordSourceIncluded, format);
  for (int32_t slot = 0; slot <= kWordTableSize + 1; ++slot) analysis.Words.WordWeight(slot);
  fuzz::Check(user->SaveStatistics(), "the statistics are saved");
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzMachine machine;
  machine.UserDatabase();
  machine.Write(kProfile, "UserName=Ann\r\nDateStarted=12/1/2025\r\nTop1000loaded=1\r\nWordCollLimit=2000\r\n");
  machine.Write(kStatistics, std::string_view(reinterpret_cast<const char*>(data), size));

  {
    TUserReport report;
    fuzz::Check(report.Gather("Ann"), "the report finds the user");
    std::string page;
    fuzz::Check(report.Write("C:\\Report", page), "the report is written");
  }

  if (OpenUseAndSave()) {
    const std::string saved = machine.Read(kStatistics);
    fuzz::Check(OpenUseAndSave(), "a saved statistics file opens");
    fuzz::Check(machine.Read(kStatistics) == saved, "a saved statistics file reads back as it was saved");
  }
  return 0;
}
