// The pictures of the windows' layouts: JPEG headers and GIF bullets,
// decoded at run time with libjpeg and giflib into plain pixels. A picture
// that is missing, damaged or too large loads as none: the window then
// shows its plain background.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace strevo {

struct TPicture {
  int width = 0, height = 0;
  // Top row first; 0xAARRGGBB (alpha 0 is transparent).
  std::vector<uint32_t> pixels;
  bool Empty() const { return pixels.empty(); }
};

// Pictures above this many pixels are refused: no window of the program
// comes near it, and it keeps a picture's decoding and memory small.
inline constexpr int64_t kLargestPicture = 2048 * 2048;
// A JPEG of more scans is refused: a progressive picture is written in ten
// or so, and every scan passes over the whole picture again.
inline constexpr int kMostJpegScans = 100;

bool DecodeJpeg(const std::string& bytes, TPicture& picture);
// Only the first frame is read; what follows it is never looked at.
bool DecodeGif(const std::string& bytes, TPicture& picture);
// A file of the installation, JPEG or GIF by its first bytes; false (and an
// empty picture) when it cannot be shown.
bool LoadPicture(const std::string& path, TPicture& picture);

}  // namespace strevo
