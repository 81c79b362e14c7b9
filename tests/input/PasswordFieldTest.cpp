// Whether the keys go into a password field: judged by the field each key
// was typed into, asked about only after the focus moved.
#include <gtest/gtest.h>

#include "input/PasswordField.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

using PasswordFieldTest = test::PlatformTest;

TEST_F(PasswordFieldTest, KeysStillQueuedWhenTheFocusMovedBelongToTheFieldTheyWereTypedInto) {
  TPasswordField field;
  const uint32_t typedBefore = fake.clock.TickCount();
  fake.clock.Advance(100);
  fake.focus.Move(true);
  EXPECT_FALSE(field.Moved(typedBefore));
  EXPECT_FALSE(field.Inside()) << "typed before the focus entered the password field";
  EXPECT_TRUE(field.Moved(fake.clock.TickCount()));
  EXPECT_TRUE(field.Inside());

  const uint32_t lastPasswordKey = fake.clock.TickCount() + 150;
  fake.clock.Advance(300);
  fake.focus.Move(false);
  EXPECT_FALSE(field.Moved(lastPasswordKey));
  EXPECT_TRUE(field.Inside()) << "typed into the field, taken from the queue after the focus left";
  EXPECT_TRUE(field.Moved(fake.clock.TickCount()));
  EXPECT_FALSE(field.Inside());
}

TEST_F(PasswordFieldTest, TheFieldIsAskedAboutOnlyAfterAMoveAlsoWhenTheTickCountWraps) {
  TPasswordField field;
  fake.clock.SetTick(0xFFFFFF00u);
  fake.focus.Move(true);
  fake.clock.Advance(0x200);  // the tick count wrapped to 0x100
  EXPECT_TRUE(field.Moved(fake.clock.TickCount()));
  const int questions = fake.focus.questions;
  for (int key = 0; key < 5; ++key) EXPECT_FALSE(field.Moved(fake.clock.TickCount() + 150 * key));
  EXPECT_EQ(fake.focus.questions, questions) << "ordinary keys never ask again";
  EXPECT_TRUE(field.Inside());
}

// Fail closed: a field the system cannot tell about in time is taken for a
// password field until it can; keys after a Tab or click are not known
// until the focus report comes, or 250 ms pass without one.
TEST_F(PasswordFieldTest, AFieldNotKnownYetCountsAsAPasswordField) {
  TPasswordField field;
  fake.focus.Move(FieldAnswer::NotKnown);
  EXPECT_TRUE(field.Moved(fake.clock.TickCount()));
  EXPECT_TRUE(field.Inside());
  fake.clock.Advance(1000);
  fake.focus.Move(false);
  const uint32_t tab = fake.clock.TickCount();
  EXPECT_TRUE(field.Moved(tab));
  field.FocusMayMove(tab);
  EXPECT_TRUE(field.Moved(tab + 100)) << "typed after the Tab, before any report";
  EXPECT_TRUE(field.Inside());
  EXPECT_FALSE(field.Moved(tab + 249));
  EXPECT_TRUE(field.Moved(tab + 250)) << "no report came: the focus stayed";
  EXPECT_FALSE(field.Inside());
  field.FocusMayMove(tab + 300);
  fake.clock.Advance(350);
  fake.focus.Move(true);
  EXPECT_TRUE(field.Moved(tab + 340)) << "typed after the click, before the report of the field it went to";
  EXPECT_FALSE(field.Moved(tab + 360));
  EXPECT_TRUE(field.Inside());
}

}  // namespace
}  // namespace strevo
