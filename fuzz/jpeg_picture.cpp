// The JPEG pictures of the windows' layouts (the header picture), decoded
// with libjpeg (DecodeJpeg, and LoadPicture from a file).
#include "support/PictureTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return strevo::fuzz::FuzzPicture(data, size, strevo::DecodeJpeg, "C:\\Strevo\\header.jpg");
}
