// A user's letter-pair file (one-line JSON, "<user>.json" in the user
// database), read when the user's analysis starts (TUserBigrams), typed
// into through the typing run's analyzer, and saved.
//
// Properties: the table never holds more than its slots; what the analyzer
// saves reads back as it was saved, whatever bytes its keys hold.
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/BigramAnalyzer.h"
#include "support/FuzzMachine.h"

using namespace strevo;

namespace {

using Entry = std::tuple<std::string, int32_t, int32_t, int64_t>;

std::vector<Entry> Entries(const TUserBigrams& analyzer) {
  std::vector<Entry> entries;
  const TBigramDictionary& table = analyzer.Dictionary;
  for (int32_t slot = 0; slot < table.GetCount(); ++slot) {
    const TBigramRecord& record = table.RecordAt(slot);
    entries.emplace_back(table.KeyAt(slot), record.Count, record.ErrorCount, record.TimeSum);
  }
  std::sort(entries.begin(), entries.end());
  return entries;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzMachine machine;
  machine.fake.files.MakeDirectory("C:\\Data");
  machine.Write("C:\\Data\\Ann.json", std::string_view(reinterpret_cast<const char*>(data), size));

  std::vector<Entry> saved;
  {
    TUserBigrams table;
    table.Folder = "C:\\Data";
    table.SetUser("Ann", "Ann");
    fuzz::Check(table.Dictionary.GetCount() <= TBigramDictionary::kSlots, "the table keeps to its slots");
    TBigramAnalyzer analyzer;
    analyzer.Table = &table;
    analyzer.SetEnabled(true);
    int32_t time = 1000;
    for (unsigned char c : std::string("The quick brown fox, 42 times")) {
      if (c == ',') analyzer.Backspace();
      else if (c == ' ') analyzer.WordEnd();
      else analyzer.CharPressed(c, time += 180);
    }
    fuzz::Check(table.Save(), "the table is saved");
    saved = Entries(table);
  }
  TUserBigrams again;
  again.Folder = "C:\\Data";
  again.SetUser("Ann", "Ann");
  fuzz::Check(Entries(again) == saved, "a saved letter-pair file reads back as it was saved");
  return 0;
}
