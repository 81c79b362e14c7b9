// What the low-level keyboard hook posts for each event.
#include <gtest/gtest.h>

#include "input/KeyInfo.h"

namespace strevo {
namespace {

// A key down is posted each time, a repeat too, with only the low eight bits
// of the key and the shift bit; a modifier alone and any release never are;
// a system key down only with Ctrl and Alt down (AltGr), not with Alt alone.
TEST(KeyboardHookTest, KeyDownsArePostedWithTheirModifierBits) {
  uint32_t word = 0;
  ASSERT_TRUE(KeyboardHookWord(winmsg::kKeyDown, 'A', 0, false, true, false, word));
  EXPECT_EQ(word, 0x2000u | 'A');
  for (int repeat = 0; repeat < 2; ++repeat)
    EXPECT_TRUE(KeyboardHookWord(winmsg::kKeyDown, 'A', 0, false, false, false, word)) << repeat;
  EXPECT_EQ(word, static_cast<uint32_t>('A')) << "no stray flags";
  for (uint32_t modifier : {16u, 17u, 18u, 160u, 161u, 162u, 163u, 164u, 165u})
    EXPECT_FALSE(KeyboardHookWord(winmsg::kKeyDown, modifier, 0, false, true, false, word)) << modifier;
  EXPECT_FALSE(KeyboardHookWord(winmsg::kKeyUp, 'A', 0, false, false, false, word));
  EXPECT_FALSE(KeyboardHookWord(winmsg::kSysKeyUp, 'A', 0, true, false, true, word));
  EXPECT_FALSE(KeyboardHookWord(winmsg::kSysKeyDown, 'Q', kLowLevelAltDown, false, false, true, word));
  ASSERT_TRUE(KeyboardHookWord(winmsg::kSysKeyDown, 'Q', kLowLevelAltDown, true, false, true, word));
  EXPECT_EQ(word, 0x4000u | 0x1000u | 'Q');
}

TEST(MouseHookTest, OnlyLeftAndRightPressesArePosted) {
  for (uint32_t message : {winmsg::kLeftButtonDown, winmsg::kRightButtonDown}) EXPECT_TRUE(MouseHookPosts(message));
  for (uint32_t message : {winmsg::kMiddleButtonDown, winmsg::kMouseWheel, 514u})  // 514: left button up
    EXPECT_FALSE(MouseHookPosts(message)) << message;
}

}  // namespace
}  // namespace strevo
