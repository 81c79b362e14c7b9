// The parts of the fake platform that other suites lean on without being able
// to see them fail: the tick counter must wrap as the system's does, and an
// injected write fault must give a short write before it fails outright, or
// the tests of wrap-around timing and of interrupted saves prove nothing.
#include <string>

#include "support/Fixture.h"

namespace strevo {
namespace {

using test::PlatformTest;

class FakePlatformTest : public PlatformTest {};

TEST_F(FakePlatformTest, ClockMovesOnlyWhenToldAndTheTickCounterWraps) {
  EXPECT_EQ(Clock().Now(), 46000.5);
  Clock().Sleep(43200000);  // half a day
  EXPECT_EQ(Clock().Now(), 46001.0);
  EXPECT_EQ(Clock().TickCount(), 1000000u + 43200000u);
  fake.clock.SetTick(0xFFFFFFF0u);
  fake.clock.Advance(0x20);
  EXPECT_EQ(Clock().TickCount(), 0x10u);
}

TEST_F(FakePlatformTest, FailReadAndFailWriteFailAfterTheGivenBytes) {
  fake.WriteHostFile("C:\\bad.dat", "abcdef");
  fake.files.Add({FileFault::FailRead, "bad", 2});
  fake.files.Add({FileFault::FailWrite, "bad", 3});
  auto file = Files().Open("C:\\bad.dat", {FileAccess::ReadWrite, FileShare::ReadWrite, FileCreate::OpenAlways});
  ASSERT_TRUE(file);
  char buffer[8] = {};
  EXPECT_EQ(file->Read(buffer, 4), 2);
  EXPECT_EQ(file->Read(buffer, 4), -1);
  EXPECT_EQ(file->Write("WXYZ", 4), 3);  // a short write, as a full disk gives
  EXPECT_EQ(file->Write("Q", 1), -1);
  file.reset();
  EXPECT_EQ(fake.ReadHostFile("C:\\bad.dat"), "abWXYf");
}

}  // namespace
}  // namespace strevo
