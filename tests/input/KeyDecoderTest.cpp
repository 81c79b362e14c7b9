// Keys to characters with the foreground's layout, in the system's code page.
#include "input/KeyDecoder.h"

#include "input/KeyInfo.h"
#include "platform/fake/FakeInput.h"
#include "support/Fixture.h"

namespace strevo::test {
namespace {

class KeyDecoderTest : public PlatformTest {
 protected:
  DecodedKey Decode(uint32_t virtualKey, uint32_t modifiers = 0) {
    uintptr_t word = virtualKey | modifiers;
    return decoder.Decode(word);
  }
  TKeyDecoder decoder;
};

// The euro sign (U+20AC) was analysed as its low byte AC; a letter the code
// page cannot write ends the analysis as a digit does.
TEST_F(KeyDecoderTest, CharactersAreTakenInTheCodePageOrNotAtAll) {
  fake.keyboard.SetLayout(GermanLayout());
  const DecodedKey euro = Decode('E', kKeyInfoCtrl | kKeyInfoAlt);
  EXPECT_EQ(euro.kind, DecodedKey::Kind::Character);
  EXPECT_EQ(euro.character, 0x80);
  static const FakeLayout cyrillic = [] {
    FakeLayout layout = UsLayout();
    layout.keys['C'] = {0x0441, 0x0421};
    return layout;
  }();
  fake.keyboard.SetLayout(cyrillic);
  EXPECT_EQ(Decode('C').kind, DecodedKey::Kind::NonCharacter);
  EXPECT_EQ(Decode('D').character, 'd');
}

}  // namespace
}  // namespace strevo::test
