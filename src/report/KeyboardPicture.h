// A keyboard as inline SVG, every character key coloured by the difficulty
// of its characters in one difficult-key set: the upper half of a key by
// its shifted character, the lower half by the unshifted one. The main
// block of the US and the German layout, as the keys are printed on them;
// AltGr characters are written on the key but not coloured.
#pragma once

#include <cstdint>
#include <string>

#include "report/ReportData.h"

namespace strevo {

enum class TPictureLayout { Us, German };

class TKeyboardPicture {
 public:
  static std::string Svg(const TKeySetFigures& set, TPictureLayout layout);
  // "#RRGGBB" of a key character: the band colour of its index, or the
  // colour of keys without a figure.
  static std::string KeyColour(const TKeySetFigures& set, unsigned char c);
  // "#RRGGBB" of a colour written as 0x00BBGGRR, as the program keeps them.
  static std::string HtmlColour(uint32_t bgr);
  static constexpr const char* kNoFigureColour = "#e6e6e6";
};

}  // namespace strevo
