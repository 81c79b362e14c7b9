// The Win32 adapter against the real API (run under Wine).
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>

#include "storage/FileObj.h"
#include "win32/Win32Handles.h"
#include "win32/Win32Platform.h"

namespace strevo {
namespace {

class Win32AdapterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "strevo-test-" + std::to_string(::GetCurrentProcessId()) + "\\";
    ::CreateDirectoryA(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    for (const DirectoryEntry& e : platform_.files.List(folder_, "*")) ::DeleteFileA((folder_ + e.name).c_str());
    ::RemoveDirectoryA(folder_.c_str());
  }
  Win32Platform platform_;
  std::string folder_;
};

TEST_F(Win32AdapterTest, SecondCreateOfANamedMutexReportsThatItExisted) {
  const std::string name = "StrevoTestMutex" + std::to_string(::GetCurrentProcessId());
  EXPECT_FALSE(Mutexes().MutexExists(name));
  bool existed = true;
  const KernelHandle first = Mutexes().CreateNamedMutex(name, true, existed);
  ASSERT_NE(first, 0u);
  EXPECT_FALSE(existed);
  EXPECT_TRUE(Mutexes().MutexExists(name));
  const KernelHandle second = Mutexes().CreateNamedMutex(name, true, existed);
  EXPECT_TRUE(existed);
  Mutexes().CloseMutex(second);
  Mutexes().CloseMutex(first);
  EXPECT_FALSE(Mutexes().MutexExists(name));
}

// A mutex of a process with higher rights (the tutor run as administrator)
// cannot be opened: "access denied" still says that it exists.
TEST_F(Win32AdapterTest, AMutexThatCannotBeOpenedForLackOfRightsExists) {
  const std::string name = "StrevoDeniedMutex" + std::to_string(::GetCurrentProcessId());
  PSECURITY_DESCRIPTOR denyAll = nullptr;
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(D;;GA;;;WD)", SDDL_REVISION_1, &denyAll,
                                                                      nullptr));
  SECURITY_ATTRIBUTES attributes{sizeof attributes, denyAll, FALSE};
  const KernelObject mutex(::CreateMutexA(&attributes, FALSE, name.c_str()));
  ::LocalFree(denyAll);
  ASSERT_TRUE(mutex.Valid());
  const KernelObject opened(::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name.c_str()));
  if (opened.Valid()) GTEST_SKIP() << "this system gives the mutex despite its access list";
  EXPECT_TRUE(Mutexes().MutexExists(name));
  bool existed = false;
  Mutexes().CloseMutex(Mutexes().CreateNamedMutex(name, true, existed));
  EXPECT_TRUE(existed);
}

TEST_F(Win32AdapterTest, ExclusiveOpenRefusesASecondOpenWhileHeld) {
  const std::string path = folder_ + "shared.DTA";
  TRecFile first;
  ASSERT_EQ(first.Open(path, 5, 0), FileStatus::Good);
  ASSERT_EQ(first.WriteInt(110), FileStatus::Good);
  TRecFile second;
  EXPECT_EQ(second.Open(path, 1, -1), FileStatus::OpenFailed);
  TRecFile reader;
  EXPECT_EQ(reader.Open(path, 1, -6), FileStatus::OpenFailed) << "an exclusive holder also keeps readers out";
  EXPECT_EQ(first.Close(), FileStatus::Closed);
  ASSERT_EQ(second.Open(path, 1, -2), FileStatus::Good);
  int32_t value = 0;
  EXPECT_EQ(second.ReadInt(value), FileStatus::Good);
  EXPECT_EQ(value, 110);
  TRecFile alongside;
  EXPECT_EQ(alongside.Open(path, 1, -6), FileStatus::Good) << "readers share with a deny-write reader";
}

TEST_F(Win32AdapterTest, SystemQueriesAnswer) {
  ::SetEnvironmentVariableA("STREVO_TEST_VAR", "abc");
  EXPECT_EQ(System().ExpandEnvironment("x%STREVO_TEST_VAR%y"), "xabcy");
  std::string value;
  EXPECT_FALSE(System().GetEnvironment("STREVO_NO_SUCH_VARIABLE", value));
  std::string layout;
  ASSERT_TRUE(System().KeyboardLayoutName(layout));
  EXPECT_EQ(layout.size(), 8u);
  EXPECT_GT(Clock().Now(), 40000.0);  // after 2009
}

TEST_F(Win32AdapterTest, ListMatchesMasksAndCurrentDirectoryMoves) {
  for (const char* name : {"Ann.usr", "bob.USR", "0.idx"}) {
    TTextFile f;
    f.Open(folder_ + name, 2);
  }
  auto entries = Files().List(folder_, "*.usr");
  EXPECT_EQ(entries.size(), 2u);
  const std::string before = Files().CurrentDirectory();
  ASSERT_TRUE(Files().ChangeDirectory(folder_));
  EXPECT_TRUE(Files().FileExists("0.idx"));
  Files().ChangeDirectory(before);
  EXPECT_TRUE(Files().RenameFile(folder_ + "0.idx", folder_ + "1.idx"));
  EXPECT_TRUE(Files().FileExists(folder_ + "1.idx"));
  EXPECT_FALSE(Files().FileExists(folder_ + "0.idx"));
}

}  // namespace
}  // namespace strevo
