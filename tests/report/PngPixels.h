// Reads the pixels of a PNG file for the browser test: 8-bit grey, grey with
// alpha, RGB and RGBA images without interlacing (what a browser's
// screenshot is), with an inflater of its own so that the tests need no
// image library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace strevo::test {

struct PngPixels {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> rgba;  // 0xRRGGBBAA, row by row
};

// False with the reason in error.
bool ReadPng(const std::string& bytes, PngPixels& image, std::string& error);

}  // namespace strevo::test
