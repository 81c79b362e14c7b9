// Every save of the program, stopped at each of its changes to the disk in
// turn (as a crash or a power cut would stop it), on a full disk and in a
// folder it may not write to. Afterwards each file the save writes reads,
// the program's way, as it was before the save or as the complete new file,
// and no other file of the drive has changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "analysis/AnalyzerAPI.h"
#include "analysis/BigramAnalyzer.h"
#include "analysis/Diffkeys.h"
#include "input/SpyApps.h"
#include "report/UserReport.h"
#include "storage/DynamicFile.h"
#include "storage/DynamicSettings.h"
#include "storage/Errors.h"
#include "storage/Group.h"
#include "storage/User.h"
#include "support/UserDatabase.h"

namespace strevo {
namespace {

namespace fs = std::filesystem;

using FileState = std::optional<std::string>;   // the bytes; none for a missing file
using Drive = std::map<std::string, FileState>;  // every entry under the root; folders hold none

class InterruptedSaveTest;

struct SaveCase {
  const char* name;
  std::vector<std::string> targets;  // the files the save writes
  // Whether a failed save says so (a box, an exception, a false result).
  bool tellsFailure;
  void (*prepare)(InterruptedSaveTest&);  // opens what is saved and changes it in memory
  bool (*save)(InterruptedSaveTest&);     // false when it said that it failed
};

void PrintTo(const SaveCase& c, std::ostream* out) { *out << c.name; }

const char* const kAnnProfile = "UserName=Ann\r\nDateStarted=1/2/2020\r\nTop1000loaded=1\r\nReCnt=0\r\n"
                                "Re0=A;1;2.5;1;0;0;0;STD\r\n";

class InterruptedSaveTest : public test::UserDatabaseTest, public ::testing::WithParamInterface<SaveCase> {
 public:
  using UserDatabaseTest::fake;
  using UserDatabaseTest::analysis;
  using UserDatabaseTest::Applications;

  void SetUp() override {
    UserDatabaseTest::SetUp();
    // A database in use: every file the saves write exists, and others lie
    // beside them.
    fake.WriteHostFile("C:\\Data\\Ann.usr", kAnnProfile);
    fake.WriteHostFile("C:\\Data\\Bob.usr", "UserName=Bob\r\nUserGroupId=1\r\n");
    fake.WriteHostFile("C:\\Root\\0.grp", "");
    fake.WriteHostFile("C:\\Root\\1.grp", "");
    fake.WriteHostFile("C:\\Data\\0.idx", "Gone.usr=Gone\r\n");
    fake.WriteHostFile("C:\\Data\\1.idx", "");
    fake.WriteHostFile("C:\\Data\\TESTPC.wk10", "LastUser.tester=Ann\r\nLaunchAtStartup.tester=1\r\n");
    OpenAnn();  // writes the default applications file
    user->SaveStatistics();
    Type("the");
    bigrams->Save();
    Release();
    ReportError(-5, "An earlier error.");
    std::string page, error;
    ASSERT_TRUE(WriteUserReport("Ann", "C:\\Out", page, error)) << error;
    fake.dialogs.shown.clear();
  }
  void TearDown() override {
    Release();
    UserDatabaseTest::TearDown();
  }

  void OpenAnn() {
    user = OpenUser("Ann", false, -1, lock_mode::ReadWrite, &analysis);
    bigrams = std::make_unique<TUserBigrams>();
    bigrams->Folder = "C:\\Data";
    bigrams->UserName = bigrams->FileBase = "Ann";
    bigrams->Load();
    pairs.Table = bigrams.get();
    pairs.SetEnabled(true);
  }
  void Type(const std::string& text) {
    int32_t time = 1000;
    for (char c : text) pairs.CharPressed(static_cast<unsigned char>(c), time += 150);
  }
  // Lets go of everything the program holds (saving what it saves then).
  void Release() {
    user.reset();
    pairs.Table = nullptr;
    bigrams.reset();
    WorkstationSettings.reset();
  }

  std::string Relative(const std::string& windowsPath) {
    return fs::path(fake.HostPath(windowsPath)).lexically_relative(fake.Root()).generic_string();
  }
  FileState At(const Drive& drive, const std::string& windowsPath) {
    const auto it = drive.find(Relative(windowsPath));
    return it == drive.end() ? std::nullopt : it->second;
  }
  Drive Snapshot() {
    Drive drive;
    for (const auto& entry : fs::recursive_directory_iterator(fake.Root())) {
      const std::string name = entry.path().lexically_relative(fake.Root()).generic_string();
      if (entry.is_directory()) {
        drive[name] = std::nullopt;
      } else {
        std::ifstream in(entry.path(), std::ios::binary);
        drive[name] = std::string(std::istreambuf_iterator<char>(in), {});
      }
    }
    return drive;
  }
  void Restore(const Drive& drive) {
    for (const auto& entry : fs::directory_iterator(fake.Root())) fs::remove_all(entry.path());
    for (const auto& [name, bytes] : drive) {
      const fs::path host = fs::path(fake.Root()) / name;
      if (!bytes) {
        fs::create_directories(host);
        continue;
      }
      fs::create_directories(host.parent_path());
      std::ofstream(host, std::ios::binary) << *bytes;
    }
  }

  // The drive once the case is prepared, and once its undisturbed save is
  // done, with the number of changes that save makes.
  struct Outcome {
    Drive initial, before, saved;
    int64_t changes = 0;
  };
  Outcome Undisturbed(const SaveCase& c) {
    Outcome outcome;
    outcome.initial = Snapshot();
    c.prepare(*this);
    outcome.before = Snapshot();
    const int64_t start = fake.files.Changes();
    EXPECT_TRUE(c.save(*this)) << "the undisturbed save";
    outcome.changes = fake.files.Changes() - start;
    Release();
    outcome.saved = Snapshot();
    EXPECT_GT(outcome.changes, 0);
    for (const std::string& target : c.targets)
      EXPECT_NE(At(outcome.before, target), At(outcome.saved, target)) << target << " is not changed";
    ExpectOthersAsBefore(c, outcome.before, outcome.saved, false);
    return outcome;
  }
  // Runs the case's save on the prepared drive with a fault in place;
  // false when the save said that it failed.
  bool SaveWith(const SaveCase& c, const Outcome& outcome, const FileFault& fault) {
    Restore(outcome.initial);
    c.prepare(*this);
    fake.dialogs.shown.clear();
    fake.files.Add(fault);
    const bool saved = c.save(*this);
    Release();  // still under the fault: the program stopped, or the disk is still full
    fake.files.ClearFaults();
    return saved;
  }

  // Each target as the program reads it now is the file before the save or
  // the complete new one; a settings store is read through a read-only store
  // (which takes a complete copy left beside it) and then repaired by a
  // writable one. No other file differs from before, save the partial copies
  // a stopped save may leave beside its targets.
  void ExpectBeforeOrAfter(const SaveCase& c, const Outcome& outcome, bool partialCopiesAllowed) {
    for (const std::string& target : c.targets) {
      const FileState old = At(outcome.before, target), saved = At(outcome.saved, target);
      if (IsSettingsStore(target)) {
        TDynamicFile reader;
        ASSERT_EQ(reader.Open(target, dynamic_mode::ReadOnlyShared), 1) << target;
        std::string text;
        for (const std::string& line : reader.Lines()) text += line + "\r\n";
        EXPECT_TRUE(FileState(text) == old || FileState(text) == saved) << target << " reads as:\n" << text;
        reader.Close();
        TDynamicFile repair;
        ASSERT_EQ(repair.Open(target, dynamic_mode::ReadWriteDenyWrite), 1) << target;
      }
      const FileState now = At(Snapshot(), target);
      EXPECT_TRUE(now == old || now == saved) << target << " is " << now.value_or("(missing)");
    }
    ExpectOthersAsBefore(c, outcome.before, Snapshot(), partialCopiesAllowed);
  }
  void ExpectOthersAsBefore(const SaveCase& c, const Drive& before, const Drive& now, bool partialCopiesAllowed) {
    std::set<std::string> names;
    for (const auto& [name, bytes] : before) names.insert(name);
    for (const auto& [name, bytes] : now) names.insert(name);
    for (const std::string& name : names) {
      bool target = false, copy = false;
      for (const std::string& t : c.targets) {
        target = target || name == Relative(t);
        copy = copy || name.starts_with(Relative(t) + ".");
      }
      if (target || (copy && partialCopiesAllowed)) continue;
      const auto was = before.find(name), is = now.find(name);
      EXPECT_TRUE(was != before.end() && is != now.end() && was->second == is->second) << name << " has changed";
    }
  }
  static bool IsSettingsStore(const std::string& path) { return path.ends_with(".usr") || path.ends_with(".wk10"); }

  std::unique_ptr<TUser> user;
  std::unique_ptr<TUserBigrams> bigrams;
  TBigramAnalyzer pairs;
};

const SaveCase kSaves[] = {
    {"ProfileAndResults", {"C:\\Data\\Ann.usr"}, true,
     [](InterruptedSaveTest& t) {
       t.user = OpenUser("Ann", true, -1, lock_mode::ReadWrite, &t.analysis);
       t.user->SetString("NotifyWhenBreak", "0");
     },
     [](InterruptedSaveTest& t) {
       t.user->SaveStatistics();
       return t.fake.dialogs.shown.empty();
     }},
    {"ProfileAndStatistics", {"C:\\Data\\Ann.usr", "C:\\Data\\Ann.DTA"}, true,
     [](InterruptedSaveTest& t) {
       t.OpenAnn();
       t.user->SetString("NotifyWhenBreak", "0");
       t.analysis.KeySets[1].Presses['a'] += 3;
     },
     [](InterruptedSaveTest& t) {
       t.user->SaveStatistics();
       return t.fake.dialogs.shown.empty();
     }},
    {"MonitoredApplications", {"C:\\Data\\Ann.SET"}, true,
     [](InterruptedSaveTest& t) {
       t.OpenAnn();
       t.Applications()->AddApp(true, "NOTEPAD.EXE", "", "", false);
     },
     [](InterruptedSaveTest& t) { return t.Applications()->saveApps("C:\\Data\\Ann.SET"); }},
    {"LetterPairs", {"C:\\Data\\Ann.json"}, true,
     [](InterruptedSaveTest& t) {
       t.OpenAnn();
       t.Type("then");
     },
     [](InterruptedSaveTest& t) {
       try {
         return t.bigrams->Save();
       } catch (const std::exception&) {
         return false;
       }
     }},
    {"ErrorLog", {"C:\\Data\\Errors.log"}, false, [](InterruptedSaveTest&) {},
     [](InterruptedSaveTest&) {
       ReportError(-5, "The disk is full.");
       return true;
     }},
    {"NewErrorLog", {"C:\\Data\\Errors.log"}, false,
     [](InterruptedSaveTest& t) { t.fake.files.RemoveFile("C:\\Data\\Errors.log"); },
     [](InterruptedSaveTest&) {
       ReportError(-5, "The disk is full.");
       return true;
     }},
    {"WorkstationSettings", {"C:\\Data\\TESTPC.wk10"}, true,
     [](InterruptedSaveTest&) {
       ASSERT_TRUE(OpenWorkstationSettings("C:\\Data\\TESTPC.wk10"));
       WorkstationSettings->SetString("LastUser.tester", "Bob");
     },
     [](InterruptedSaveTest&) { return WorkstationSettings->Save() == 1; }},
    {"UserIndex", {"C:\\Data\\0.idx", "C:\\Data\\1.idx"}, false, [](InterruptedSaveTest&) {},
     [](InterruptedSaveTest&) {
       RebuildIndex();
       return true;
     }},
    {"StatisticsReport", {"C:\\Out\\Ann-report.html", "C:\\Out\\Ann-report.csv", "C:\\Out\\Ann-report.json"}, true,
     [](InterruptedSaveTest& t) {
       t.fake.WriteHostFile("C:\\Data\\Ann.usr", std::string(kAnnProfile) + "WayfenDays.counter=7\r\n");
     },
     [](InterruptedSaveTest&) {
       std::string page, error;
       return WriteUserReport("Ann", "C:\\Out", page, error);
     }},
};

TEST_P(InterruptedSaveTest, StoppedAtEachChangeTheFilesReadAsBeforeOrAfter) {
  const SaveCase& c = GetParam();
  const Outcome outcome = Undisturbed(c);
  for (int64_t change = 0; change < outcome.changes; ++change) {
    SCOPED_TRACE("stopped before change " + std::to_string(change) + " of " + std::to_string(outcome.changes));
    SaveWith(c, outcome, {FileFault::Stop, "", change});
    ExpectBeforeOrAfter(c, outcome, true);
  }
}

TEST_P(InterruptedSaveTest, FullDiskAndReadOnlyFolderAreToldAndLoseNothing) {
  const SaveCase& c = GetParam();
  const Outcome outcome = Undisturbed(c);
  for (int64_t bytes : {0, 100}) {
    SCOPED_TRACE("disk full after " + std::to_string(bytes) + " bytes a file");
    const bool saved = SaveWith(c, outcome, {FileFault::FailWrite, "", bytes});
    if (bytes == 0 && c.tellsFailure) {
      EXPECT_FALSE(saved);
    }
    ExpectBeforeOrAfter(c, outcome, false);
  }
  SCOPED_TRACE("read-only folder");
  const bool saved = SaveWith(c, outcome, {FileFault::FailOpenForWrite, "", 0});
  if (c.tellsFailure) {
    EXPECT_FALSE(saved);
  }
  for (const std::string& target : c.targets) EXPECT_EQ(At(Snapshot(), target), At(outcome.before, target)) << target;
  ExpectOthersAsBefore(c, outcome.before, Snapshot(), false);
}

INSTANTIATE_TEST_SUITE_P(EverySave, InterruptedSaveTest, ::testing::ValuesIn(kSaves),
                         [](const ::testing::TestParamInfo<SaveCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace strevo
