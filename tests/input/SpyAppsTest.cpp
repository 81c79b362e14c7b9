// The monitored-applications list: its ".SET" records, the global atoms of
// switched-off applications, and the list's lookups.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "input/SpyApps.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

const char* const kSetFile = "C:\\Data\\Ann.SET";

std::string ShortStringField(const std::string& text) {
  std::string field(256, '\0');
  field[0] = static_cast<char>(text.size());
  std::copy(text.begin(), text.end(), field.begin() + 1);
  return field;
}

std::string Le16(int value) { return {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)}; }

// One 772-byte record as the file holds it.
std::string Record(const std::string& key, int enabled, int hidden, const std::string& display,
                   const std::string& qualifier) {
  return ShortStringField(key) + Le16(enabled) + Le16(hidden) + ShortStringField(display) +
         ShortStringField(qualifier);
}

class TSpyedAppsTest : public test::PlatformTest {
 protected:
  void SetUp() override { fake.files.MakeDirectory("C:\\Data"); }

  std::vector<std::string> AtomNames() const { return fake.atoms.Names(); }
};

// ------------------------------------------------------------- AddApp --

// A second record with the same key is added beside the first; no atom is
// published, even for a record added switched off.
TEST_F(TSpyedAppsTest, AddAppUpperCasesAsciiLettersAndUsesWellKnownDisplayNames) {
  TSpyedApps apps;
  apps.AddApp(true, "excel.exe", "", "", false);
  apps.AddApp(true, "WinWord.exe", "My editor", "", false);
  apps.AddApp(false, "notepad.exe", "", "q", true);
  apps.AddApp(true, "tool.exe", "Tool", "", false);
  apps.AddApp(true, "caf\xE9.exe", "", "", false);
  apps.AddApp(false, "EXCEL.EXE", "", "Q", false);
  ASSERT_EQ(apps.GetItems().size(), 6u);
  EXPECT_EQ(apps.Items[0].Key, "EXCEL.EXE");
  EXPECT_EQ(apps.Items[0].App->Key, "EXCEL.EXE");
  EXPECT_EQ(apps.Items[0].App->DisplayName, "Microsoft Excel");
  EXPECT_EQ(apps.Items[1].App->DisplayName, "Microsoft Word");  // the table wins over the given name
  EXPECT_EQ(apps.Items[2].App->DisplayName, "NOTEPAD.EXE");     // no name given: the executable
  EXPECT_EQ(apps.Items[2].App->Qualifier, "q");
  EXPECT_TRUE(apps.Items[2].App->Hidden);
  EXPECT_FALSE(apps.Items[2].App->IsEnabled());
  EXPECT_EQ(apps.Items[3].App->DisplayName, "Tool");
  EXPECT_EQ(apps.Items[4].Key, "CAF\xE9.EXE");
  EXPECT_TRUE(apps.Items[0].App->IsEnabled());
  EXPECT_FALSE(apps.Items[5].App->IsEnabled());
  EXPECT_EQ(apps.Items[5].Key, "EXCEL.EXE");
  EXPECT_TRUE(AtomNames().empty());
  EXPECT_EQ(apps.Items[5].App->Atom, 0);
}

// ---------------------------------------------------------------- atoms --

// The atom is "QVSAD" and the first 250 characters of qualifier and key.
// Switching off publishes it, on again deletes it, once each; never without
// a qualifier. A name already published gets a reference of this record's
// own: the atom stays while any holder is switched off, and another
// program's reference survives ours; destruction deletes the records' ones.
TEST_F(TSpyedAppsTest, SwitchedOffApplicationsArePublishedAsAtoms) {
  TAppSettings app(true, "Excel");
  app.Key = "EXCEL.EXE";
  app.Qualifier = std::string(245, 'q');
  EXPECT_EQ(app.AtomName(), "QVSAD" + std::string(245, 'q') + "EXCEL");
  app.Qualifier = "Ann";
  app.SetEnabled(false);
  app.SetEnabled(false);
  EXPECT_EQ(AtomNames(), std::vector<std::string>{"QVSADAnnEXCEL.EXE"});
  app.SetEnabled(true);
  app.SetEnabled(true);
  EXPECT_TRUE(AtomNames().empty());
  app.Qualifier = "";
  app.SetEnabled(false);
  EXPECT_TRUE(AtomNames().empty());
  EXPECT_FALSE(app.IsEnabled());
  {
    TSpyedApps apps;
    apps.AddApp(true, "excel.exe", "", "Ann", false);
    apps.AddApp(true, "winword.exe", "", "Ann", false);
    apps.Items[0].App->SetEnabled(false);
    apps.Items[1].App->SetEnabled(false);
    fake.atoms.AddAtom("QVSADAnnEXCEL.EXE");  // another program takes a reference too
    apps.Items[0].App->SetEnabled(true);
    EXPECT_EQ(apps.Items[0].App->Atom, 0);
    EXPECT_EQ(AtomNames().size(), 2u);
  }
  EXPECT_EQ(AtomNames(), std::vector<std::string>{"QVSADAnnEXCEL.EXE"});
  TSpyedApps apps;
  apps.AddApp(true, "excel.exe", "", "Ann", false);
  apps.AddApp(true, "excel.exe", "", "AnnE", false);  // "AnnE" + "XCEL.EXE": the same name
  apps.Items[1].App->Key = "XCEL.EXE";
  apps.Items[0].App->SetEnabled(false);
  apps.Items[0].App->SetEnabled(true);
  EXPECT_EQ(AtomNames(), std::vector<std::string>{"QVSADAnnEXCEL.EXE"}) << "the other program's reference stays";
  fake.atoms.DeleteAtom(fake.atoms.FindAtom("QVSADAnnEXCEL.EXE"));
  apps.Items[0].App->SetEnabled(false);
  apps.Items[1].App->SetEnabled(false);
  apps.Items[0].App->SetEnabled(true);
  EXPECT_EQ(AtomNames(), std::vector<std::string>{"QVSADAnnEXCEL.EXE"}) << "still switched off by the other record";
  apps.Items[1].App->SetEnabled(true);
  EXPECT_TRUE(AtomNames().empty());
}

// ---------------------------------------------------------- the file --

// Loading again releases the atoms of the first load and publishes anew; a
// shorter list leaves no stale tail. The file loaded and written back byte
// for byte, and one of part records, are in the scenarios of SpyAppsTest.
TEST_F(TSpyedAppsTest, ReloadingPublishesAnewAndAShorterListLeavesNoTail) {
  std::string bytes;
  for (int i = 0; i < 300; ++i)
    bytes += Record("APP" + std::to_string(i) + ".EXE", i % 2, 0, "App " + std::to_string(i), i % 3 ? "Q" : "");
  fake.WriteHostFile(kSetFile, bytes);
  TSpyedApps apps;
  ASSERT_TRUE(apps.loadApps(kSetFile));
  EXPECT_EQ(AtomNames().size(), 100u);  // disabled (even i) with a qualifier (i not a multiple of 3)
  ASSERT_TRUE(apps.loadApps(kSetFile));
  EXPECT_NE(apps.Items[2].App->Atom, 0);
  EXPECT_EQ(AtomNames().size(), 100u);
  apps.Items.resize(2);
  apps.AddApp(true, "c.exe", "", "", false);
  ASSERT_TRUE(apps.saveApps(kSetFile));
  EXPECT_EQ(fake.ReadHostFile(kSetFile), bytes.substr(0, 2 * 772) + Record("C.EXE", 1, 0, "C.EXE", ""));
  EXPECT_FALSE(fake.files.FileExists(std::string(kSetFile) + ".tmp"));
}

// -------------------------------------------------------- bad moments --

// A file another open locks is neither loaded nor overwritten, even once it is
// free again; one with a read error inside it loads the records its size
// counts, whose unread fields keep their defaults (that it is never written
// over is the scenario SpyAppsTest/AListThatCannotBeReadIsNeverWrittenOver).
TEST_F(TSpyedAppsTest, FileThatCouldNotBeReadIsNeverOverwritten) {
  const std::string locked = Record("EXCEL.EXE", 1, 0, "Microsoft Excel", "");
  fake.WriteHostFile(kSetFile, locked);
  auto other = fake.files.Open(kSetFile, {FileAccess::ReadWrite, FileShare::None, FileCreate::OpenExisting});
  ASSERT_TRUE(other);
  TSpyedApps apps;
  EXPECT_FALSE(apps.loadApps(kSetFile));
  apps.AddApp(false, "DRAXEL.EXE", "Quorvel Wayfen", "", true);
  other->Close();
  EXPECT_FALSE(apps.saveApps(kSetFile));
  EXPECT_EQ(fake.ReadHostFile(kSetFile), locked);
  const std::string bytes = Record("A.EXE", 1, 0, "A", "") + Record("B.EXE", 1, 0, "B", "Q");
  fake.WriteHostFile(kSetFile, bytes);
  fake.files.Add({FileFault::FailRead, "Ann.SET", 900});
  TSpyedApps damaged;
  EXPECT_TRUE(damaged.loadApps(kSetFile));
  ASSERT_EQ(damaged.Items.size(), 2u);  // the loop runs for the computed count
  EXPECT_EQ(damaged.Items[0].Key, "A.EXE");
  EXPECT_TRUE(damaged.Items[1].App->IsEnabled());
  EXPECT_TRUE(damaged.Items[1].App->Qualifier.empty());
}

// --------------------------------------------------------------- lookups --

// Only recorded process ids are found, never 0; an application runs only
// with a recorded process that runs.
TEST_F(TSpyedAppsTest, ProcessesOfTheApplications) {
  TSpyedApps apps;
  apps.AddApp(true, "a.exe", "Alpha", "", false);
  apps.AddApp(true, "b.exe", "Beta", "", false);
  fake.processes.running.insert(0);
  EXPECT_EQ(apps.find(0), nullptr);
  EXPECT_FALSE(apps.Items[1].App->running());
  apps.Items[1].App->ProcessIds[2] = 77;
  apps.Items[1].App->LastProcessIndex = 2;
  EXPECT_EQ(apps.find(77), apps.Items[1].App.get());
  EXPECT_FALSE(apps.Items[1].App->running());
  fake.processes.running.insert(77);
  EXPECT_TRUE(apps.Items[1].App->running());
}

}  // namespace
}  // namespace strevo
