#include "ui/InfoOnTopWindow.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "storage/Numbers.h"
#include "ui/SpeedButton2.h"

namespace strevo {

void TInfoOnTop::UpdateMeter(const std::string& words, int speed, const std::string& time, bool active) {
  const std::string key = words + std::to_string(speed) + time;
  if (key == LastShownKey) return;
  LastShownKey = key;
  if (active) {
    WordsText = words;
    SpeedText = std::to_string(speed);
    TimeText = time;
    NeedleSpeed = speed;
    KeptWords = words;
    KeptSpeed = speed;
    KeptTime = time;
  } else {
    WordsText = KeptWords;
    SpeedText = std::to_string(KeptSpeed);
    TimeText = KeptTime;
    NeedleSpeed = KeptSpeed;
  }
  if (SpeedText.size() == 1) SpeedText = "0" + SpeedText;
  ++Redraws;
  view_.Redraw(*this);
}

void TInfoOnTop::ForceRepaint(int range) {
  LastShownKey = std::to_string(std::rand() % range);
  Changed();
}

namespace {

struct WidgetButtonForm {
  const char* name;
  const char* hint;
  Rect rounded, clipped;
};
constexpr WidgetButtonForm kWidgetButtonForms[kWidgetButtons] = {
    {"OnOffBtn", "Pause/Activate", {218, 38, 242, 62}, {224, 26, 248, 50}},
    {"PracticeBtn", "Stats and Training", {218, 71, 242, 95}, {224, 52, 248, 76}},
    {"Setupbtn", "Settings and More..", {234, 4, 254, 24}, {206, 78, 226, 98}},
    {"HideBtn", "Minimize", {208, 4, 228, 24}, {206, 4, 226, 24}},
};

}  // namespace

const char* WidgetButtonName(WidgetButton button) { return kWidgetButtonForms[static_cast<int>(button)].name; }

Rect WidgetButtonPlace(WidgetButton button, bool roundedByWindowManager) {
  const WidgetButtonForm& form = kWidgetButtonForms[static_cast<int>(button)];
  return roundedByWindowManager ? form.rounded : form.clipped;
}

void CreateWidgetButtons(TButtonParent& parent, bool roundedByWindowManager) {
  TButtonFont font;
  font.colour = 0x00FF00;  // lime
  font.underline = true;
  for (const WidgetButtonForm& form : kWidgetButtonForms) {
    const Rect r = roundedByWindowManager ? form.rounded : form.clipped;
    TSpeedButton2& button = parent.Add(form.name, r.left, r.top, r.right - r.left, r.bottom - r.top);
    button.SetFont(font);
    button.SetFontHoverColor(0x000000);
    button.SetFontDisabledColor(0x000000);
    button.SetFlat(true);
    button.Hint = form.hint;
    button.ShowHint = true;
  }
  if (TSpeedButton2* practice = parent.Find("PracticeBtn")) practice->SetAllowAllUp(true);
}

int NeedleAngle(int s) {
  int a;
  if (s <= 40) a = static_cast<int>(round_half_even(3.4 * s)) + 224;
  else if (s <= 125) a = static_cast<int>(round_half_even(1.5 * s)) + 305;
  else if (s <= 130) a = s + 15;
  else if (s <= 140) a = s + 13;
  else if (s <= 150) a = s + 11;
  else if (s <= 160) a = s + 9;
  else if (s <= 170) a = s + 7;
  else if (s <= 180) a = s + 5;
  else if (s <= 190) a = s + 3;
  else a = s;
  return a > 600 ? 600 : a;
}

void NeedleEnd(int wordsPerMinute, int& x, int& y) {
  const double radians = NeedleAngle(wordsPerMinute) * std::numbers::pi / 180.0;
  x = 51 + static_cast<int>(round_half_even(std::sin(radians) * 42));
  y = 50 - static_cast<int>(round_half_even(std::cos(radians) * 42));
}

}  // namespace strevo
