// The statistics report of a user with ten years of typing history (3 650
// rows): reading the history, and writing the page with its trend, the CSV
// file and the JSON file.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "platform/fake/FakePlatform.h"
#include "report/UserReport.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "storage/TypingHistory.h"
#include "support/Installation.h"

namespace strevo {
namespace {

void BM_ReportOfTenYearsOfHistory(benchmark::State& state) {
  FakePlatform fake;
  test::InstallUserDatabase(fake);
  fake.WriteHostFile("C:\\Data\\Ann.usr", "UserName=Ann\r\n");
  std::vector<THistoryRow> rows;
  for (int day = 0; day < 3650; ++day) {
    THistoryRow row;
    row.date = 42736 + day;  // from 1 January 2017
    row.seconds = 600 + day % 3000;
    row.characters = row.seconds * (3 + day % 2);
    row.words = row.characters / 6;
    row.charsPerMinute = row.characters * 60 / row.seconds;
    row.backspaces = row.characters / 20;
    row.keyPresses = row.characters + row.backspaces;
    row.difficultKeys = "etn,r";
    rows.push_back(row);
  }
  fake.WriteHostFile("C:\\Data\\Ann.history.csv", HistoryText(rows));
  for (auto _ : state) {
    std::string page, error;
    if (!WriteUserReport("Ann", "C:\\Out", page, error)) state.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(page);
  }
  ResetPolicy();
  ProgramSettings.reset();
  Localize().Clear();
}
BENCHMARK(BM_ReportOfTenYearsOfHistory)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace strevo

BENCHMARK_MAIN();
