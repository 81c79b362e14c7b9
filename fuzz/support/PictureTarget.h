// What the picture targets check, for any decoder: a picture that decodes
// has its size's pixels and is no larger than the limit, one that does not
// is empty, and the same bytes loaded from a file agree with that.
#pragma once

#include <cstdint>
#include <string>

#include "support/FuzzMachine.h"
#include "ui/Picture.h"

namespace strevo::fuzz {

inline int FuzzPicture(const uint8_t* data, size_t size, bool (*decode)(const std::string&, TPicture&),
                       const char* path) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TPicture picture;
  if (decode(bytes, picture)) {
    Check(picture.width > 0 && picture.height > 0 &&
              static_cast<int64_t>(picture.width) * picture.height <= kLargestPicture &&
              picture.pixels.size() == static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height),
          "a decoded picture has its size's pixels");
  } else {
    Check(picture.Empty(), "a picture that cannot be shown is empty");
  }
  FuzzMachine machine;
  machine.Write(path, bytes);
  TPicture loaded;
  const bool ok = LoadPicture(path, loaded);
  Check(ok == !loaded.Empty(), "a picture that cannot be shown is empty");
  return 0;
}

}  // namespace strevo::fuzz
