// The fake platform the native suites stand on: its clock, scripted dialogs,
// windows, mutexes and the injected file faults must behave as documented, or
// every test built on them proves nothing.
#include <filesystem>
#include <string>

#include "support/Fixture.h"

namespace strevo {
namespace {

using test::PlatformTest;

class FakePlatformTest : public PlatformTest {
 protected:
  std::unique_ptr<IFileHandle> OpenFile(const std::string& path, FileAccess access = FileAccess::Read) {
    return Files().Open(path, {access, FileShare::ReadWrite, FileCreate::OpenAlways});
  }
};

TEST_F(FakePlatformTest, ClockMovesOnlyWhenToldAndTheTickCounterWraps) {
  EXPECT_EQ(Clock().Now(), 46000.5);
  Clock().Sleep(43200000);  // half a day
  EXPECT_EQ(Clock().Now(), 46001.0);
  EXPECT_EQ(Clock().TickCount(), 1000000u + 43200000u);
  fake.clock.SetTick(0xFFFFFFF0u);
  fake.clock.Advance(0x20);
  EXPECT_EQ(Clock().TickCount(), 0x10u);
}

TEST_F(FakePlatformTest, DialogsAnswerFromTheScriptThenWithTheDefault) {
  fake.dialogs.answers = {mb::kIdYes, mb::kIdNo};
  EXPECT_EQ(Dialogs().ShowMessage("first", "Strevo", mb::kYesNo | mb::kIconQuestion), mb::kIdYes);
  EXPECT_EQ(Dialogs().ShowMessage("second", "Strevo", mb::kYesNo), mb::kIdNo);
  EXPECT_EQ(Dialogs().ShowMessage("third", "", mb::kOk), mb::kIdOk);
  ASSERT_EQ(fake.dialogs.shown.size(), 3u);
  EXPECT_EQ(fake.dialogs.shown[0].text, "first");
  EXPECT_EQ(fake.dialogs.shown[0].caption, "Strevo");
  EXPECT_EQ(fake.dialogs.shown[0].flags, mb::kYesNo | mb::kIconQuestion);
}

TEST_F(FakePlatformTest, RegisteredMessagesIgnoreCaseAndPostsNeedAWindow) {
  const uint32_t id = Windows().RegisterMessage("QVWayfen1999.ENABLE");
  EXPECT_GE(id, 0xC000u);
  EXPECT_EQ(Windows().RegisterMessage("qvwayfen1999.enable"), id);
  EXPECT_NE(Windows().RegisterMessage("QVWayfen1999.DISABLE"), id);
  EXPECT_EQ(fake.windows.MessageId("QVWAYFEN1999.ENABLE"), id);
  EXPECT_EQ(fake.windows.MessageId("never"), 0u);

  const WindowHandle tutor = fake.windows.AddWindow("Quorvel");
  EXPECT_EQ(Windows().FindWindowByCaption("Quorvel"), tutor);
  EXPECT_EQ(Windows().FindWindowByCaption("QUORVEL"), tutor);  // as the system, without regard to case
  EXPECT_EQ(Windows().FindWindowByCaption("Quorvel 2"), 0u);
  EXPECT_TRUE(Windows().Post(tutor, id, 1, 2));
  EXPECT_FALSE(Windows().Post(tutor + 1, id, 0, 0));
  ASSERT_EQ(fake.windows.posted.size(), 1u);
  EXPECT_EQ(fake.windows.posted[0].window, tutor);
  EXPECT_EQ(fake.windows.posted[0].lParam, 2);

  EXPECT_TRUE(Windows().ForceForeground(tutor));
  EXPECT_EQ(Windows().ForegroundWindow(), tutor);
  fake.windows.RemoveWindow(tutor);
  EXPECT_FALSE(Windows().ForceForeground(tutor));
}

TEST_F(FakePlatformTest, NamedMutexLivesUntilItsLastHandleCloses) {
  bool existed = true;
  const KernelHandle first = Mutexes().CreateNamedMutex("QV2004Mutex", false, existed);
  EXPECT_FALSE(existed);
  const KernelHandle second = Mutexes().CreateNamedMutex("QV2004Mutex", false, existed);
  EXPECT_TRUE(existed);
  EXPECT_NE(first, second);
  Mutexes().CloseMutex(first);
  EXPECT_TRUE(Mutexes().MutexExists("QV2004Mutex"));
  Mutexes().CloseMutex(second);
  Mutexes().CloseMutex(second);  // closing twice changes nothing
  EXPECT_FALSE(Mutexes().MutexExists("QV2004Mutex"));
}

TEST_F(FakePlatformTest, NestedPlatformIsRestoredAndItsDriveRemoved) {
  std::string innerRoot;
  {
    FakePlatform inner;
    innerRoot = inner.Root();
    EXPECT_EQ(CurrentPlatform().files, &inner.files);
    inner.WriteHostFile("C:\\x.txt", "x");
    EXPECT_NE(innerRoot, fake.Root());
  }
  EXPECT_EQ(CurrentPlatform().files, &fake.files);
  EXPECT_EQ(CurrentPlatform().clock, &fake.clock);
  EXPECT_FALSE(std::filesystem::exists(innerRoot));
  EXPECT_FALSE(Files().FileExists("C:\\x.txt"));
}

// ------------------------------------------------------------ file faults --

TEST_F(FakePlatformTest, FailOpenHitsOnlyPathsContainingTheText) {
  fake.files.Add({FileFault::FailOpen, "users\\ann", 0});
  FileError error = FileError::None;
  EXPECT_FALSE(Files().Open("C:\\USERS\\Ann.usr", {FileAccess::Read, FileShare::ReadWrite, FileCreate::OpenAlways},
                            &error));
  EXPECT_EQ(error, FileError::AccessDenied);
  EXPECT_FALSE(Files().FileExists("C:\\Users\\Ann.usr"));
  ASSERT_TRUE(Files().MakeDirectory("C:\\Users"));
  EXPECT_TRUE(OpenFile("C:\\Users\\bob.usr"));
  fake.files.ClearFaults();
  EXPECT_TRUE(OpenFile("C:\\users\\ann.usr"));
}

TEST_F(FakePlatformTest, ShortReadDeliversTheGivenBytesThenNothing) {
  fake.WriteHostFile("C:\\short.dat", "abcdef");
  fake.files.Add({FileFault::ShortRead, "short", 4});
  auto file = OpenFile("C:\\short.dat");
  ASSERT_TRUE(file);
  char buffer[8] = {};
  EXPECT_EQ(file->Read(buffer, 3), 3);
  EXPECT_EQ(file->Read(buffer, 3), 1);
  EXPECT_EQ(buffer[0], 'd');
  EXPECT_EQ(file->Read(buffer, 3), 0);
}

TEST_F(FakePlatformTest, FailReadAndFailWriteFailAfterTheGivenBytes) {
  fake.WriteHostFile("C:\\bad.dat", "abcdef");
  fake.files.Add({FileFault::FailRead, "bad", 2});
  fake.files.Add({FileFault::FailWrite, "bad", 3});
  auto file = OpenFile("C:\\bad.dat", FileAccess::ReadWrite);
  ASSERT_TRUE(file);
  char buffer[8] = {};
  EXPECT_EQ(file->Read(buffer, 4), 2);
  EXPECT_EQ(file->Read(buffer, 4), -1);
  EXPECT_EQ(file->Write("WXYZ", 4), 3);  // a short write, as a full disk gives
  EXPECT_EQ(file->Write("Q", 1), -1);
  file.reset();
  EXPECT_EQ(fake.ReadHostFile("C:\\bad.dat"), "abWXYf");
}

TEST_F(FakePlatformTest, FailCloseReportsFailureButReleasesTheFile) {
  fake.files.Add({FileFault::FailClose, "closing", 0});
  auto file = Files().Open("C:\\closing.dat", {FileAccess::ReadWrite, FileShare::None, FileCreate::CreateAlways});
  ASSERT_TRUE(file);
  EXPECT_FALSE(file->Close());
  EXPECT_TRUE(Files().RemoveFile("C:\\closing.dat"));
}

}  // namespace
}  // namespace strevo
