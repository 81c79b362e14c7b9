// Typing analysis: the per-character paths (which must stay far below a
// microsecond with the debug log off) and the word and bigram tables at their
// full size. Run with --benchmark_repetitions=N for min/median/max.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "analysis/AnalyzerAPI.h"
#include "analysis/BigramAnalyzer.h"
#include "analysis/UserAnalysis.h"
#include "analysis/WordAnalyzer.h"
#include "platform/fake/FakePlatform.h"
#include "storage/FileObj.h"

namespace strevo {
namespace {

const char kText[] = "thequickbrownfoxjumpsoverthelazydog";
constexpr size_t kTextLength = sizeof kText - 1;

std::string word_name(int n) {
  std::string name = "w";
  for (int i = 0; i < 4; ++i) {
    name += static_cast<char>('a' + n % 26);
    n /= 26;
  }
  return name;
}

// A pipeline on a user's analysis, the Window 20 set active, words collected.
struct AnalysisSession {
  FakePlatform fake;
  UserAnalysis user;
  TAnalyzer analyzer;
  AnalysisSession() {
    analyzer.SetUser(&user);
    analyzer.SelectKeySet(1);
    analyzer.SetSource(1);
  }
};

void fill_word_table(TWordList& list) {
  for (int i = 0; i < kWordTableSize; ++i)
    for (int k = 0; k < 3 + i % 5; ++k) list.AddWord(word_name(i), 1 + (i + k) % 6, 1);
}

void add_min_max(benchmark::internal::Benchmark* b) {
  b->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
  b->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });
}

void BM_Analyzer_CharPressed(benchmark::State& state) {
  AnalysisSession session;
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(session.analyzer.CharPressed(static_cast<unsigned char>(kText[i % kTextLength]), 120));
    // A word of eight letters, then the next one (cleared, not collected).
    if ((++i & 7) == 0) session.analyzer.CurrentWord.Clear();
  }
}
BENCHMARK(BM_Analyzer_CharPressed)->Apply(add_min_max);

void BM_Bigram_CharPressed(benchmark::State& state) {
  FakePlatform fake;
  TUserBigrams table;
  TBigramAnalyzer bigrams;
  bigrams.Table = &table;
  bigrams.SetEnabled(true);
  size_t i = 0;
  int32_t time = 1000;
  for (auto _ : state) {
    bigrams.CharPressed(static_cast<unsigned char>(kText[i++ % kTextLength]), time);
    time += 120;
  }
  table.Dirty = false;  // nothing to save
}
BENCHMARK(BM_Bigram_CharPressed)->Apply(add_min_max);

void BM_AddWord_FullTable(benchmark::State& state) {
  AnalysisSession session;
  TWordList& list = session.user.Words;
  fill_word_table(list);
  std::vector<std::string> fresh;
  for (int i = 0; i < 50000; ++i) fresh.push_back("x" + word_name(i));
  size_t i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(list.AddWord(fresh[i++ % fresh.size()], 2, 1));
}
BENCHMARK(BM_AddWord_FullTable)->Apply(add_min_max);

void BM_WeightedList_FullTable(benchmark::State& state) {
  AnalysisSession session;
  fill_word_table(session.user.Words);
  for (auto _ : state) benchmark::DoNotOptimize(session.user.Words.WeightedList(5, 1));
}
BENCHMARK(BM_WeightedList_FullTable)->Apply(add_min_max);

void BM_WordTable_SaveLoad(benchmark::State& state) {
  AnalysisSession session;
  fill_word_table(session.user.Words);
  for (auto _ : state) {
    {
      TRecFile file;
      file.Open("C:\\Ann.DTA", 5, 0);
      session.user.SaveWords(file, 2000);
    }
    TRecFile file;
    file.Open("C:\\Ann.DTA", 1, -1);
    session.user.Words.LoadFrom(file);
  }
}
BENCHMARK(BM_WordTable_SaveLoad)->Unit(benchmark::kMicrosecond)->Apply(add_min_max);

void BM_Bigrams_SaveLoad1024(benchmark::State& state) {
  FakePlatform fake;
  TUserBigrams bigrams;
  bigrams.Folder = "C:\\Data";
  bigrams.UserName = bigrams.FileBase = "Ann";
  const std::string symbols = "0123456789abcdefghijklmnopqrstuvwxyz";
  for (int n = 0; n < 1024; ++n)
    bigrams.Count(static_cast<unsigned char>(symbols[static_cast<size_t>(n % 36)]),
                  static_cast<unsigned char>(symbols[static_cast<size_t>(n / 36)]), 150, false);
  for (auto _ : state) {
    bigrams.Save();
    bigrams.Load();
  }
  if (bigrams.Dictionary.GetCount() != 1024) state.SkipWithError("bigrams lost");
}
BENCHMARK(BM_Bigrams_SaveLoad1024)->Unit(benchmark::kMicrosecond)->Apply(add_min_max);

}  // namespace
}  // namespace strevo

BENCHMARK_MAIN();
