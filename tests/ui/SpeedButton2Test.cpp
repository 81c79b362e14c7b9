// The skinned button's rules: one button of a group down, a click only for a
// release inside, the look of each state with the snapshot for the mouse's
// leave, where glyph and caption go, and the disabled glyph.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/SpeedButton2.h"

namespace strevo {
namespace {

// A window that draws what it is asked at once and keeps the snapshot a
// look asks for; captions are 6 x 13 pixels a character.
class RecordingSurface : public IButtonSurface {
 public:
  void Invalidate(TSpeedButton2& button) override { events.push_back("invalidate " + button.Name()); }
  void Paint(TSpeedButton2& button) override {
    events.push_back("paint " + button.Name());
    if (button.Look().snapshot) button.SnapshotTaken();
  }
  void RestoreSnapshot(TSpeedButton2& button) override { events.push_back("restore " + button.Name()); }
  TSize TextExtent(const TSpeedButton2&, const std::string& caption, const TButtonFont&) override {
    return {6 * static_cast<int>(caption.size()), 13};
  }
  bool Showing() override { return showing; }

  std::string Last() const { return events.empty() ? "" : events.back(); }
  std::vector<std::string> events;
  bool showing = true;
};

class SpeedButton2Test : public ::testing::Test {
 protected:
  // A press and a release at points of the window.
  void ClickAt(int downX, int downY, int upX, int upY) {
    parent.MouseMove(downX, downY);
    parent.MouseDown(downX, downY, false);
    parent.MouseMove(upX, upY);
    parent.MouseUp(upX, upY);
  }
  RecordingSurface surface;
  TButtonParent parent{surface};
};

TEST_F(SpeedButton2Test, GroupKeepsOneButtonDownAndAllUpLetsItGo) {
  TSpeedButton2& a = parent.Add("A", 0, 0);
  TSpeedButton2& b = parent.Add("B", 30, 0);
  TSpeedButton2& alone = parent.Add("Alone", 60, 0);
  alone.SetDown(true);
  EXPECT_FALSE(alone.Down()) << "outside a group a button is never down";

  a.SetGroupIndex(1);
  b.SetGroupIndex(1);
  a.SetDown(true);
  EXPECT_EQ(a.State(), TButtonState::Exclusive);
  int clicks = 0;
  b.OnClick = [&] { ++clicks; };
  ClickAt(40, 10, 40, 10);
  EXPECT_TRUE(b.Down());
  EXPECT_FALSE(a.Down()) << "the other button of the group came up";
  EXPECT_EQ(a.State(), TButtonState::Up);
  // Without all-up the down button stays down, clicked or set.
  ClickAt(40, 10, 40, 10);
  b.SetDown(false);
  EXPECT_TRUE(b.Down());
  EXPECT_EQ(b.State(), TButtonState::Exclusive);
  EXPECT_EQ(clicks, 2);

  // All-up told to one button is the group's rule.
  a.SetAllowAllUp(true);
  EXPECT_TRUE(b.AllowAllUp());
  ClickAt(40, 10, 40, 10);
  EXPECT_FALSE(a.Down());
  EXPECT_FALSE(b.Down()) << "all up";
  // Released outside, a press changes nothing.
  ClickAt(10, 10, 200, 10);
  EXPECT_FALSE(a.Down());
  EXPECT_EQ(a.State(), TButtonState::Up);

  a.SetDown(true);
  a.SetGroupIndex(0);
  EXPECT_FALSE(a.Down()) << "leaving the group lets it up";
}

TEST_F(SpeedButton2Test, ClickComesOnlyForAReleaseInsideAndDoubleClickOnlyWhenDown) {
  TSpeedButton2& b = parent.Add("B", 10, 10, 20, 20);
  b.SetFlat(true);
  b.SetCaption("&Go");
  int clicks = 0, doubles = 0;
  b.OnClick = [&] { ++clicks; };
  b.OnDblClick = [&] { ++doubles; };

  EXPECT_TRUE(parent.MouseMove(15, 15));
  EXPECT_TRUE(b.MouseInControl());
  EXPECT_EQ(surface.Last(), "paint B") << "a transparent button shows its hover at once";
  const size_t drawn = surface.events.size();
  parent.MouseMove(16, 16);
  EXPECT_EQ(surface.events.size(), drawn) << "a move within the button draws nothing";
  parent.MouseDown(15, 15, false);
  EXPECT_EQ(b.State(), TButtonState::Down);
  EXPECT_EQ(parent.Captured(), &b);
  // Dragged out the button comes up, back in it goes down again; the
  // leave of the window does not end the press.
  parent.MouseMove(50, 50);
  EXPECT_EQ(b.State(), TButtonState::Up);
  parent.MouseLeave();
  EXPECT_TRUE(b.Dragging());
  parent.MouseMove(20, 20);
  EXPECT_EQ(b.State(), TButtonState::Down);
  parent.MouseMove(50, 50);
  parent.MouseUp(50, 50);
  EXPECT_EQ(clicks, 0) << "released outside";
  EXPECT_FALSE(b.MouseInControl());
  EXPECT_EQ(parent.Captured(), nullptr);
  ClickAt(15, 15, 16, 16);
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(b.MouseInControl()) << "still over it after the release";

  // A press that loses the mouse to another window ends without a click.
  parent.MouseDown(15, 15, false);
  parent.CaptureLost();
  parent.MouseUp(15, 15);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(b.State(), TButtonState::Up);

  parent.MouseDown(15, 15, true);
  parent.MouseUp(15, 15);
  EXPECT_EQ(doubles, 0) << "only a button that is down has double clicks";
  b.SetGroupIndex(1);
  b.SetAllowAllUp(true);
  b.SetDown(true);
  parent.MouseDown(15, 15, true);
  parent.MouseUp(15, 15);
  EXPECT_EQ(doubles, 1);
  b.SetDown(true);  // the double click's release let it up

  // Alt with the letter after "&" clicks, in either case, only an enabled,
  // visible button of a showing window.
  const int before = clicks;
  EXPECT_TRUE(parent.AltKey('g'));
  EXPECT_TRUE(parent.AltKey('G'));
  EXPECT_FALSE(parent.AltKey('o'));
  surface.showing = false;
  EXPECT_FALSE(parent.AltKey('g'));
  surface.showing = true;
  b.SetEnabled(false);
  EXPECT_FALSE(parent.AltKey('g'));
  EXPECT_EQ(clicks, before + 2);

  // A disabled button takes no press: the window gets it.
  EXPECT_FALSE(parent.MouseDown(15, 15, false));
  EXPECT_EQ(b.State(), TButtonState::Disabled);
  b.SetEnabled(true);
  EXPECT_EQ(b.State(), TButtonState::Exclusive) << "down again after being disabled";
  EXPECT_TRUE(b.MouseInControl()) << "the pointer never left";
}

TEST_F(SpeedButton2Test, LookFollowsTheStateAndALeaveRestoresTheSnapshot) {
  TSpeedButton2& link = parent.Add("Link", 0, 0, 100, 20);
  TPicture picture, hover;
  picture.width = hover.width = 4;
  picture.height = hover.height = 4;
  picture.pixels.assign(16, 0xFF000000);
  hover.pixels.assign(16, 0xFFFFFFFF);
  link.SetPicture(picture);
  link.SetPictureHover(hover);
  link.SetCaption("Skip");
  link.SetFont({"Verdana", -13, true, false, 0x840000});
  link.SetFontHoverColor(0x000000);
  link.SetFontDisabledColor(0xC8B8A4);
  link.SetFontHaveUnderline(true);
  link.SetFlat(true);

  TButtonLook look = link.Look();
  EXPECT_EQ(look.picture, &link.Picture());
  EXPECT_EQ(look.edge, TButtonLook::Edge::None) << "a frame only while hot";
  EXPECT_EQ(look.captionColour, 0x840000u);
  EXPECT_FALSE(look.underline);
  parent.MouseMove(5, 5);
  look = link.Look();
  EXPECT_EQ(look.picture, &link.PictureHover());
  EXPECT_EQ(look.edge, TButtonLook::Edge::Raised);
  EXPECT_EQ(look.captionColour, 0x000000u);
  EXPECT_TRUE(look.underline) << "underlined while hot";
  parent.MouseDown(5, 5, false);
  EXPECT_EQ(link.Look().edge, TButtonLook::Edge::Sunken);
  parent.MouseUp(5, 5);
  link.SetEnabled(false);
  look = link.Look();
  EXPECT_EQ(look.picture, &link.PictureDisabled()) << "drawn even though it is empty";
  EXPECT_TRUE(look.slices.empty());
  EXPECT_EQ(look.captionColour, 0xC8B8A4u);
  link.SetEnabled(true);

  // Frameless and transparent: the look drawn without the mouse is kept,
  // and the leave puts it back instead of asking for a paint.
  link.SetNoFrame(true);
  parent.MouseLeave();
  surface.Paint(link);
  ASSERT_TRUE(link.SnapshotValid());
  parent.MouseMove(5, 5);
  EXPECT_EQ(link.Look().edge, TButtonLook::Edge::None);
  EXPECT_TRUE(link.SnapshotValid()) << "the hover paint keeps the snapshot";
  parent.MouseLeave();
  EXPECT_EQ(surface.Last(), "restore Link");
  // Once invalidated the snapshot is stale: the leave paints again.
  parent.MouseMove(5, 5);
  link.SetCaption("Skip today");
  parent.MouseLeave();
  EXPECT_EQ(surface.Last(), "invalidate Link");
}

TEST(SpeedButtonLayoutTest, GlyphAndCaptionFollowLayoutMarginAndSpacing) {
  const Rect area{0, 0, 100, 30};
  const TSize glyph{16, 16}, caption{30, 13};
  struct Case {
    TButtonLayout layout;
    int margin, spacing;
    bool rightToLeft;
    int glyphX, captionX;
  };
  for (const Case& c : {
           Case{TButtonLayout::GlyphLeft, -1, 4, false, 25, 45},   // centred as a block
           Case{TButtonLayout::GlyphLeft, -1, -1, false, 18, 52},  // three equal spaces
           Case{TButtonLayout::GlyphLeft, 3, -1, false, 3, 44},    // caption centred in the rest
           Case{TButtonLayout::GlyphRight, 2, 4, false, 82, 48},
           Case{TButtonLayout::GlyphLeft, 2, 4, true, 82, 48},     // right to left swaps
       }) {
    const TGlyphCaptionPlace place = LayoutGlyphAndCaption(area, glyph, caption, c.layout, c.margin, c.spacing,
                                                           c.rightToLeft);
    EXPECT_EQ(place.glyph.x, c.glyphX) << c.margin << " " << c.spacing;
    EXPECT_EQ(place.caption.left, c.captionX) << c.margin << " " << c.spacing;
    EXPECT_EQ(place.glyph.y, 7) << "(30 - 16 + 1) div 2";
    EXPECT_EQ(place.caption.top, 9);
  }
  // Without a caption there is no spacing: the glyph alone is centred.
  EXPECT_EQ(LayoutGlyphAndCaption(area, glyph, {}, TButtonLayout::GlyphLeft, -1, 4, false).glyph.x, 42);
  // The begin button: no glyph, caption on top, 7 below the inner edge.
  const TGlyphCaptionPlace begin =
      LayoutGlyphAndCaption({1, 1, 179, 33}, {}, {100, 16}, TButtonLayout::GlyphTop, 7, 0, false);
  EXPECT_EQ(begin.caption.top, 8);
  EXPECT_EQ(begin.caption.left, 40);

  // A 40-pixel picture on a 180-pixel button: its halves at the ends, its
  // middle column stretched between them.
  const std::vector<TSliceCopy> slices = PictureSlices(40, 34, 180, true);
  ASSERT_EQ(slices.size(), 3u);
  EXPECT_EQ(slices[1].dest.left, 160);
  EXPECT_EQ(slices[2].source.right - slices[2].source.left, 1);
  EXPECT_EQ(slices[2].dest.right, 160);
  EXPECT_EQ(PictureSlices(40, 34, 180, false).size(), 1u);
}

TEST(SpeedButtonGlyphTest, DisabledImageIsMadeFromTheUpImageWhenTheStripHasNone) {
  constexpr uint32_t kInk = 0xFF102030, kWhite = 0xFFFFFFFF, kClear = 0x00000000;
  constexpr uint32_t kHighlight = 0xFFFFFF, kShadow = 0x808080;  // 0xBBGGRR
  TPicture up;
  up.width = up.height = 3;
  up.pixels = {kInk, kWhite, kClear,  //
               kClear, kClear, kClear,  //
               kClear, kClear, kInk};
  const TPicture made = MakeDisabledGlyph(up, kHighlight, kShadow);
  const uint32_t h = 0xFFFFFFFF, s = 0xFF808080;
  // Ink in shadow in place, in highlight one pixel right and down (cut at
  // the edge); white is no ink.
  EXPECT_EQ(made.pixels, (std::vector<uint32_t>{s, 0, 0, 0, h, 0, 0, 0, s}));

  RecordingSurface surface;
  TButtonParent parent(surface);
  TSpeedButton2& button = parent.Add("B", 0, 0);
  TPicture strip;
  strip.width = 6;
  strip.height = 3;
  strip.pixels.assign(18, kClear);
  strip.pixels[0] = kInk;   // the up image
  strip.pixels[3] = kInk;   // the disabled image of a two-image strip
  button.SetGlyph(strip);
  button.SetNumGlyphs(2);
  EXPECT_EQ(button.GlyphImageFor(TButtonState::Disabled), 1);
  EXPECT_EQ(button.GlyphImageFor(TButtonState::Down), 0) << "falls back to the up image";
  button.SetNumGlyphs(1);
  EXPECT_EQ(button.GlyphImageFor(TButtonState::Disabled), TButtonLook::kGeneratedDisabled);
  const TPicture& generated = button.DisabledGlyph(kHighlight, kShadow);
  EXPECT_EQ(generated.width, 6) << "one image is the whole strip";
  EXPECT_EQ(generated.pixels[0], s);
  EXPECT_EQ(generated.pixels[3], s);
  button.SetNumGlyphs(2);
  const TPicture& first = button.DisabledGlyph(kHighlight, kShadow);
  EXPECT_EQ(first.width, 3) << "made from the first image only";
  EXPECT_EQ(first.pixels[4], h);
  button.SetNumGlyphs(7);
  EXPECT_EQ(button.NumGlyphs(), 4);
  EXPECT_EQ(button.GlyphImageFor(TButtonState::Exclusive), 3);
  button.SetMargin(-5);
  EXPECT_EQ(button.Margin(), -1) << "below -1 is refused";
}

}  // namespace
}  // namespace strevo
