// The user database: opening a user with full statistics (both difficult-key
// sets and 2 000 collected words) and saving it again, and listing all users
// of a database of 500 profiles, from a valid index and with a rebuild.
#include <benchmark/benchmark.h>

#include <string>

#include "analysis/Diffkeys.h"
#include "analysis/UserAnalysis.h"
#include "analysis/WordAnalyzer.h"
#include "input/SpyApps.h"
#include "platform/fake/FakePlatform.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "storage/User.h"
#include "support/Installation.h"

namespace strevo {
namespace {

// A fake installation with a data folder, a root folder with group 0, and
// the language texts the user module shows.
class Installation {
 public:
  Installation() {
    test::InstallUserDatabase(fake);
    fake.WriteHostFile("C:\\Root\\0.grp", "");
  }
  ~Installation() {
    ResetPolicy();
    ProgramSettings.reset();
    Localize().Clear();
  }

  FakePlatform fake;
  UserAnalysis analysis{std::make_unique<TUserApplications>()};
};

// A distinct word of letters for every number.
std::string WordOf(int n) {
  std::string word = "w";
  for (int i = 0; i < 4; ++i) {
    word += static_cast<char>('a' + n % 26);
    n /= 26;
  }
  return word;
}

void BM_OpenAndSaveUserWithFullStatistics(benchmark::State& state) {
  Installation installation;
  {
    UserAnalysis& analysis = installation.analysis;
    auto user = CreateUser("Ann", &analysis);
    user->SetInteger("WordCollLimit", 2000);
    for (int n = 0; n < kWordTableSize; ++n) analysis.Words.AddWord(WordOf(n), n % 7, 1);
    for (auto& set : analysis.KeySets)
      for (int c = 33; c <= 255; ++c) set.Register(static_cast<unsigned char>(c), c % 3 == 0);
    user->SaveStatistics();
  }
  for (auto _ : state) {
    auto user = OpenUser("Ann", false, -1, 2, &installation.analysis);
    benchmark::DoNotOptimize(user->SaveStatistics());
  }
  state.counters["words"] = static_cast<double>(kWordTableSize);
}
BENCHMARK(BM_OpenAndSaveUserWithFullStatistics)->Unit(benchmark::kMillisecond);

void WriteProfiles(Installation& installation, int count) {
  for (int i = 0; i < count; ++i) {
    const std::string name = "User " + std::to_string(1000 + i);
    installation.fake.WriteHostFile("C:\\Data\\" + name + ".usr",
                                    "UserName=" + name + "\r\nUserGroupID=0\r\nDateStarted=1/2/2020\r\n");
  }
}

void BM_UserListOf500WithValidIndex(benchmark::State& state) {
  Installation installation;
  WriteProfiles(installation, 500);
  RebuildIndex();
  for (auto _ : state) {
    auto list = UserList(-1);
    if (list.size() != 500) state.SkipWithError("wrong list");
    benchmark::DoNotOptimize(list);
  }
}
BENCHMARK(BM_UserListOf500WithValidIndex)->Unit(benchmark::kMillisecond);

void BM_UserListOf500WithRebuild(benchmark::State& state) {
  Installation installation;
  WriteProfiles(installation, 500);
  for (auto _ : state) {
    state.PauseTiming();
    installation.fake.files.RemoveFile("C:\\Data\\0.idx");
    state.ResumeTiming();
    auto list = UserList(-1);  // 500 unindexed users: listed, then the index is rebuilt
    if (list.size() != 500 || !installation.fake.files.FileExists("C:\\Data\\0.idx"))
      state.SkipWithError("no rebuild");
    benchmark::DoNotOptimize(list);
  }
}
BENCHMARK(BM_UserListOf500WithRebuild)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace strevo

BENCHMARK_MAIN();
