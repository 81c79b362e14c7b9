// What the low-level keyboard hook posts for each event.
#include <gtest/gtest.h>

#include "input/KeyInfo.h"

namespace strevo {
namespace {

TEST(KeyboardHookTest, ShiftedLetterCarriesTheShiftBitAndModifiersAloneAreNeverPosted) {
  uint32_t word = 0;
  ASSERT_TRUE(KeyboardHookWord(winmsg::kKeyDown, 'A', 0, false, true, false, word));
  EXPECT_EQ(word, 0x2000u | 'A');
  for (uint32_t modifier : {16u, 17u, 18u, 160u, 161u, 162u, 163u, 164u, 165u})
    EXPECT_FALSE(KeyboardHookWord(winmsg::kKeyDown, modifier, 0, false, true, false, word)) << modifier;
}

TEST(KeyboardHookTest, SystemKeyDownIsPostedOnlyWithCtrlAndAltDown) {
  uint32_t word = 0;
  EXPECT_FALSE(KeyboardHookWord(winmsg::kSysKeyDown, 'Q', kLowLevelAltDown, false, false, true, word))
      << "Alt alone";
  ASSERT_TRUE(KeyboardHookWord(winmsg::kSysKeyDown, 'Q', kLowLevelAltDown, true, false, true, word)) << "AltGr";
  EXPECT_EQ(word, 0x4000u | 0x1000u | 'Q');
}

TEST(KeyboardHookTest, ReleasesAreNeverPostedAndRepeatsAreEachTime) {
  uint32_t word = 0;
  EXPECT_FALSE(KeyboardHookWord(winmsg::kKeyUp, 'A', 0, false, false, false, word));
  EXPECT_FALSE(KeyboardHookWord(winmsg::kSysKeyUp, 'A', 0, true, false, true, word));
  EXPECT_TRUE(KeyboardHookWord(winmsg::kKeyDown, 'A', 0, false, false, false, word));
  EXPECT_TRUE(KeyboardHookWord(winmsg::kKeyDown, 'A', 0, false, false, false, word));
  EXPECT_EQ(word, static_cast<uint32_t>('A')) << "only the low eight bits of the key, no stray flags";
}

TEST(MouseHookTest, OnlyLeftAndRightPressesArePosted) {
  EXPECT_TRUE(MouseHookPosts(winmsg::kLeftButtonDown));
  EXPECT_TRUE(MouseHookPosts(winmsg::kRightButtonDown));
  EXPECT_FALSE(MouseHookPosts(winmsg::kMiddleButtonDown));
  EXPECT_FALSE(MouseHookPosts(winmsg::kMouseWheel));
  EXPECT_FALSE(MouseHookPosts(514));  // left button up
}

}  // namespace
}  // namespace strevo
