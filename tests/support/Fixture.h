// Test fixture: a fresh fake platform (virtual clock, scripted dialogs, a
// temporary folder as drive C:) for every test.
#pragma once

#include <gtest/gtest.h>

#include "platform/fake/FakePlatform.h"

namespace strevo::test {

class PlatformTest : public ::testing::Test {
 protected:
  FakePlatform fake;
};

}  // namespace strevo::test
