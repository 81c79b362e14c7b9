#include "report/KeyboardPicture.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "analysis/DeviationCalc.h"
#include "report/ReportText.h"

namespace strevo {

namespace {

// One key of the picture: its characters as Windows-1252 bytes (empty: none)
// or, for a key without characters, its label; width in key widths.
struct Key {
  std::string normal, shifted, altGr;
  double width = 1.0;
  std::string label;
};
using Row = std::vector<Key>;

Key chars(const char* normal, const char* shifted, const char* altGr = "") { return {normal, shifted, altGr, 1.0, ""}; }
Key named(const char* label, double width) { return {"", "", "", width, label}; }
void letters(Row& row, const char* text) {
  for (const char* p = text; *p; ++p) {
    const char lower[2] = {*p, 0};
    const char upper[2] = {static_cast<char>(*p - 'a' + 'A'), 0};
    row.push_back(chars(lower, upper));
  }
}

std::vector<Row> us_rows() {
  std::vector<Row> rows(5);
  rows[0] = {chars("`", "~"), chars("1", "!"), chars("2", "@"), chars("3", "#"), chars("4", "$"),
             chars("5", "%"), chars("6", "^"), chars("7", "&"), chars("8", "*"), chars("9", "("),
             chars("0", ")"), chars("-", "_"), chars("=", "+"), named("Backspace", 2.0)};
  rows[1] = {named("Tab", 1.5)};
  letters(rows[1], "qwertyuiop");
  rows[1].push_back(chars("[", "{"));
  rows[1].push_back(chars("]", "}"));
  rows[1].push_back(chars("\\", "|"));
  rows[1].back().width = 1.5;
  rows[2] = {named("Caps", 1.75)};
  letters(rows[2], "asdfghjkl");
  rows[2].push_back(chars(";", ":"));
  rows[2].push_back(chars("'", "\""));
  rows[2].push_back(named("Enter", 2.25));
  rows[3] = {named("Shift", 2.25)};
  letters(rows[3], "zxcvbnm");
  rows[3].push_back(chars(",", "<"));
  rows[3].push_back(chars(".", ">"));
  rows[3].push_back(chars("/", "?"));
  rows[3].push_back(named("Shift", 2.75));
  rows[4] = {named("", 3.75), named("Space", 6.25)};
  return rows;
}

std::vector<Row> german_rows() {
  std::vector<Row> rows(5);
  rows[0] = {chars("^", "\xB0"),        chars("1", "!"),          chars("2", "\"", "\xB2"), chars("3", "\xA7", "\xB3"),
             chars("4", "$"),           chars("5", "%"),          chars("6", "&"),          chars("7", "/", "{"),
             chars("8", "(", "["),      chars("9", ")", "]"),     chars("0", "=", "}"),     chars("\xDF", "?", "\\"),
             chars("\xB4", "`"),        named("Backspace", 2.0)};
  rows[1] = {named("Tab", 1.5)};
  letters(rows[1], "qwertzuiop");
  rows[1][1].altGr = "@";     // q
  rows[1][3].altGr = "\x80";  // e: the euro sign
  rows[1].push_back(chars("\xFC", "\xDC"));
  rows[1].push_back(chars("+", "*", "~"));
  rows[1].push_back(named("Enter", 1.5));
  rows[2] = {named("Caps", 1.75)};
  letters(rows[2], "asdfghjkl");
  rows[2].push_back(chars("\xF6", "\xD6"));
  rows[2].push_back(chars("\xE4", "\xC4"));
  rows[2].push_back(chars("#", "'"));
  rows[3] = {named("Shift", 1.25), chars("<", ">", "|")};
  letters(rows[3], "yxcvbnm");
  rows[3][8].altGr = "\xB5";  // m: micro
  rows[3].push_back(chars(",", ";"));
  rows[3].push_back(chars(".", ":"));
  rows[3].push_back(chars("-", "_"));
  rows[3].push_back(named("Shift", 2.75));
  rows[4] = {named("", 3.75), named("Space", 6.25)};
  return rows;
}

constexpr double kPitch = 44;  // one key width, gap included
constexpr double kGap = 4;
constexpr double kMargin = 8;
constexpr double kKeyHeight = kPitch - kGap;

std::string px(double value) { return std::to_string(std::llround(value)); }

// "a: index 100 (difficult), 20 presses" or "a: not typed yet".
std::string key_tip(const TKeySetFigures& set, const std::string& text) {
  const auto c = static_cast<unsigned char>(text[0]);
  std::string tip = text + ": ";
  if (!set.rated[c]) return tip + "no difficulty figure kept";
  if (!KeyTyped(set, c)) return tip + "not typed yet";
  const int32_t index = ShownKeyIndex(set.index[c]);
  return tip + "index " + std::to_string(index) + " (" + KeyBand(set, index) + "), " + std::to_string(set.presses[c]) +
         " presses";
}

}  // namespace

std::string TKeyboardPicture::HtmlColour(uint32_t bgr) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
  return text;
}

std::string TKeyboardPicture::KeyColour(const TKeySetFigures& set, unsigned char c) {
  if (!KeyTyped(set, c)) return kNoFigureColour;
  const std::string band = KeyBand(set, ShownKeyIndex(set.index[c]));
  if (band == "easy") return HtmlColour(kEasyColour);
  if (band == "moderate") return HtmlColour(kModerateColour);
  return HtmlColour(kDifficultColour);
}

std::string TKeyboardPicture::Svg(const TKeySetFigures& set, TPictureLayout layout) {
  const std::vector<Row> rows = layout == TPictureLayout::Us ? us_rows() : german_rows();
  const char* name = layout == TPictureLayout::Us ? "US" : "German";
  const double width = kMargin * 2 + 15 * kPitch - kGap;
  const double height = kMargin * 2 + static_cast<double>(rows.size()) * kPitch - kGap;
  std::string svg = "<svg class=\"keyboard\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + px(width) + " " +
                    px(height) + "\" width=\"" + px(width) + "\" height=\"" + px(height) +
                    "\" role=\"img\" aria-label=\"" + name + " keyboard coloured by key difficulty, window " +
                    std::to_string(set.window) + "\">\n";
  for (size_t r = 0; r < rows.size(); ++r) {
    double x = kMargin;
    const double y = kMargin + static_cast<double>(r) * kPitch;
    for (const Key& key : rows[r]) {
      const double w = key.width * kPitch - kGap;
      if (key.normal.empty()) {
        if (!key.label.empty())
          svg += "<g><rect x=\"" + px(x) + "\" y=\"" + px(y) + "\" width=\"" + px(w) + "\" height=\"" +
                 px(kKeyHeight) + "\" rx=\"4\" class=\"plain\"/><text x=\"" + px(x + w / 2) + "\" y=\"" +
                 px(y + kKeyHeight / 2 + 4) + "\" text-anchor=\"middle\" class=\"name\">" + HtmlText(key.label) +
                 "</text></g>";
        x += key.width * kPitch;
        continue;
      }
      const auto normal = static_cast<unsigned char>(key.normal[0]);
      const auto shifted = static_cast<unsigned char>(key.shifted[0]);
      svg += "<g><title>" + HtmlText(key_tip(set, key.normal) + "; " + key_tip(set, key.shifted)) + "</title>";
      svg += "<rect x=\"" + px(x) + "\" y=\"" + px(y) + "\" width=\"" + px(w) + "\" height=\"" +
             px(kKeyHeight / 2) + "\" fill=\"" + KeyColour(set, shifted) + "\"/>";
      svg += "<rect x=\"" + px(x) + "\" y=\"" + px(y + kKeyHeight / 2) + "\" width=\"" + px(w) + "\" height=\"" +
             px(kKeyHeight / 2) + "\" fill=\"" + KeyColour(set, normal) + "\"/>";
      svg += "<rect x=\"" + px(x) + "\" y=\"" + px(y) + "\" width=\"" + px(w) + "\" height=\"" + px(kKeyHeight) +
             "\" rx=\"3\" class=\"outline\"/>";
      svg += "<text x=\"" + px(x + 6) + "\" y=\"" + px(y + 15) + "\" class=\"cap\">" + HtmlText(key.shifted) + "</text>";
      svg += "<text x=\"" + px(x + 6) + "\" y=\"" + px(y + 35) + "\" class=\"cap\">" + HtmlText(key.normal) + "</text>";
      if (!key.altGr.empty())
        svg += "<text x=\"" + px(x + w - 5) + "\" y=\"" + px(y + 35) + "\" text-anchor=\"end\" class=\"alt\">" +
               HtmlText(key.altGr) + "</text>";
      svg += "</g>";
      x += key.width * kPitch;
    }
    svg += "\n";
  }
  svg += "</svg>";
  return svg;
}

}  // namespace strevo
