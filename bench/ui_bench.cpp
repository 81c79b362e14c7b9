// The meter widget's repaint, as the window does it on every change of the
// figures, on a software canvas: the face copied in, the needle drawn, and
// each of the four skinned buttons asked for its look and blended over it
// (picture slices and glyph with their alpha). It must stay far below a
// millisecond: the meter is refreshed every 150 ms while someone types.
// Run with --benchmark_repetitions=10 for min/median/max.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "ui/InfoOnTopWindow.h"
#include "ui/SpeedButton2.h"

namespace strevo {
namespace {

constexpr int kWidth = 259, kHeight = 104;

// A picture of the widget's size, 0xAARRGGBB, top row first.
struct PixelCanvas {
  std::vector<uint32_t> pixels = std::vector<uint32_t>(static_cast<size_t>(kWidth) * kHeight);
  uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * kWidth + x]; }

  // Source over, the source stretched from `from` to `dest`.
  void Blend(const TPicture& picture, const Rect& from, const Rect& dest) {
    const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
    const int sw = from.right - from.left, sh = from.bottom - from.top;
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    for (int y = std::max(0, dest.top); y < std::min(kHeight, dest.bottom); ++y) {
      const int sy = from.top + (y - dest.top) * sh / dh;
      for (int x = std::max(0, dest.left); x < std::min(kWidth, dest.right); ++x) {
        const int sx = from.left + (x - dest.left) * sw / dw;
        const uint32_t s = picture.pixels[static_cast<size_t>(sy) * picture.width + sx];
        const uint32_t a = s >> 24;
        if (a == 0) continue;
        uint32_t& d = At(x, y);
        const auto mix = [a](uint32_t sc, uint32_t dc) { return (sc * a + dc * (255 - a)) / 255; };
        d = 0xFF000000u | mix((s >> 16) & 0xFF, (d >> 16) & 0xFF) << 16 | mix((s >> 8) & 0xFF, (d >> 8) & 0xFF) << 8 |
            mix(s & 0xFF, d & 0xFF);
      }
    }
  }

  void Line(int x0, int y0, int x1, int y1, uint32_t colour) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    for (int error = dx + dy;;) {
      if (x0 >= 0 && y0 >= 0 && x0 < kWidth && y0 < kHeight) At(x0, y0) = colour;
      if (x0 == x1 && y0 == y1) break;
      const int twice = 2 * error;
      if (twice >= dy) error += dy, x0 += sx;
      if (twice <= dx) error += dx, y0 += sy;
    }
  }
};

// A round button picture with soft edges, as the program's pictures are.
TPicture RoundPicture(int size, uint32_t colour) {
  TPicture picture;
  picture.width = picture.height = size;
  const double centre = (size - 1) / 2.0;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double d = std::max(std::abs(x - centre), std::abs(y - centre));
      const uint32_t alpha = d < centre - 2 ? 255 : d < centre ? 128 : 0;
      picture.pixels.push_back(alpha << 24 | (colour & 0xFFFFFF));
    }
  return picture;
}

// The buttons' window without a screen: text 6 pixels a character.
class CanvasSurface : public IButtonSurface {
 public:
  void Invalidate(TSpeedButton2&) override { ++invalidations; }
  void Paint(TSpeedButton2&) override {}
  void RestoreSnapshot(TSpeedButton2&) override {}
  TSize TextExtent(const TSpeedButton2&, const std::string& caption, const TButtonFont&) override {
    return {6 * static_cast<int>(caption.size()), 13};
  }
  bool Showing() override { return true; }
  int invalidations = 0;
};

// The widget's window on the canvas: a repaint as Win32InfoOnTopView does it.
class CanvasWidgetView : public IInfoOnTopView {
 public:
  CanvasWidgetView() {
    CreateWidgetButtons(buttons, true);
    const TPicture picture = RoundPicture(24, 0x2ECC71);
    for (const auto& button : buttons.Buttons()) {
      button->SetPicture(picture);
      button->SetPictureHover(RoundPicture(24, 0x7DFFA8));
    }
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x)
        face.At(x, y) = 0xFF000000u | static_cast<uint32_t>(0x10 + x / 16) << 16 | static_cast<uint32_t>(0x14 + y / 8);
  }
  void Show() override {}
  void Hide() override {}
  bool Visible() override { return true; }
  void Redraw(const TInfoOnTop& widget) override {
    screen.pixels = face.pixels;
    int x = 0, y = 0;
    NeedleEnd(widget.NeedleSpeed, x, y);
    screen.Line(51, 50, x, y, 0xFFFF0000u);
    for (const auto& button : buttons.Buttons()) {
      const TButtonLook look = button->Look();
      const Rect place = button->Bounds();
      for (const TSliceCopy& slice : look.slices)
        screen.Blend(*look.picture, slice.source,
                     {place.left + slice.dest.left, place.top + slice.dest.top, place.left + slice.dest.right,
                      place.top + slice.dest.bottom});
    }
  }
  void Repaint() override {}
  Rect Bounds() override { return {0, 0, kWidth, kHeight}; }
  void SetPosition(int, int) override {}
  void SetAlphaTimer(bool) override {}
  void SetAlphaOffTimer(bool) override {}
  void SetOnOffEnabled(bool enabled) override { buttons.Find("OnOffBtn")->SetEnabled(enabled); }
  void SetupButtonOrigin(int& x, int& y) override { x = y = 0; }

  CanvasSurface surface;
  TButtonParent buttons{surface};
  PixelCanvas face, screen;
};

void BM_WidgetRepaint(benchmark::State& state) {
  CanvasWidgetView view;
  TInfoOnTop widget(view);
  view.buttons.MouseMove(230, 50);  // one button hot, as under the pointer
  int speed = 0;
  for (auto _ : state) {
    speed = (speed + 7) % 140;
    widget.UpdateMeter("1234", speed, "00:12:34", true);  // a new speed: always drawn
    benchmark::DoNotOptimize(view.screen.pixels.data());
  }
  if (widget.Redraws == 0) state.SkipWithError("the widget never drew");
}
BENCHMARK(BM_WidgetRepaint)
    ->Unit(benchmark::kMicrosecond)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });

}  // namespace
}  // namespace strevo

BENCHMARK_MAIN();
