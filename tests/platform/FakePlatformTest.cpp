// The parts of the fake platform that other suites lean on without being able
// to see them fail: the clock must not drift over simulated days and the
// tick counter must wrap as the system's does, and an injected write fault
// must give a short write before it fails outright, or the tests of dates,
// of wrap-around timing and of interrupted saves prove nothing.
#include <cmath>
#include <string>

#include "storage/DateTime.h"
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

TEST_F(FakePlatformTest, DateTimeIsStartPlusElapsedToTheMillisecondOverDays) {
  const double start = encode_date(2026, 12, 7) + encode_time(9, 0, 0);
  fake.clock.SetNow(start);
  int64_t elapsed = 0;
  const auto step = [&](uint64_t ms) {
    fake.clock.Advance(ms);
    elapsed += static_cast<int64_t>(ms);
  };
  const auto exact = [&] { return std::llround(start * 86400000.0) + elapsed; };
  for (int day = 0; day < 5; ++day) {
    for (int i = 0; i < 10000; ++i) step(1);        // a millisecond at a time
    for (int i = 0; i < 20000; ++i) step(150);      // keys
    step(7000);                                     // a wait
    step(86400000 - (exact() % 86400000) + 1000);  // midnight (00:00:01)
    EXPECT_EQ(std::llround(Clock().Now() * 86400000.0), exact()) << "day " << day;
  }
  step(3 * 86400000ull);  // days 3
  EXPECT_EQ(std::llround(Clock().Now() * 86400000.0), exact());
  // The first event at midnight itself belongs to the new day.
  fake.clock.SetNow(encode_date(2026, 12, 7) + encode_time(23, 59, 59));
  for (int i = 0; i < 999; ++i) fake.clock.Advance(1);
  fake.clock.Advance(1);
  EXPECT_EQ(date_part(Clock().Now()), encode_date(2026, 12, 8));
  EXPECT_EQ(Clock().Now(), encode_date(2026, 12, 8));
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
