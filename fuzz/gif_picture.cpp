// The GIF pictures of the windows' layouts (the bullets), decoded with
// giflib (DecodeGif, and LoadPicture from a file).
#include "support/PictureTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return strevo::fuzz::FuzzPicture(data, size, strevo::DecodeGif, "C:\\Strevo\\bullet.gif");
}
