// TSpeedButton2: the program's skinned push button, a windowless control
// drawn on the window it sits on. It behaves like a flat speed button
// (caption, glyph strip, layout, margin, spacing, group index with one
// button down, all-up) and is skinned: a picture per state that may be
// stretched in three slices, hover and disabled caption colours, an
// underline while hot, and no frame at all when asked.
//
// This is what the button decides: its state, what a press, a drag and a
// release do, where glyph and caption go, and which picture, frame and
// colours a paint uses. The window (TButtonParent over an IButtonSurface)
// feeds it the mouse and draws what Look() says.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Forms.h"
#include "ui/Picture.h"

namespace strevo {

class TSpeedButton2;

enum class TButtonState { Up, Disabled, Down, Exclusive };
// Where the glyph stands beside the caption.
enum class TButtonLayout { GlyphLeft, GlyphRight, GlyphTop, GlyphBottom };

struct TSize {
  int width = 0, height = 0;
};
struct TPoint {
  int x = 0, y = 0;
};

// A caption font. Colours are 0xBBGGRR; a negative height is the
// character height in pixels.
struct TButtonFont {
  std::string name = "Tahoma";
  int height = -11;
  bool bold = false, underline = false;
  uint32_t colour = 0x000000;
};

// What the buttons need from the window they sit on.
class IButtonSurface {
 public:
  virtual ~IButtonSurface() = default;
  // The button's place is drawn again later, the window's own picture first.
  virtual void Invalidate(TSpeedButton2& button) = 0;
  // Draws the button's place now, the window's own picture first.
  virtual void Paint(TSpeedButton2& button) = 0;
  // Puts back the button as it was last drawn without the mouse over it.
  virtual void RestoreSnapshot(TSpeedButton2& button) = 0;
  // The single-line size of the caption in the caption's font (an "&"
  // before a letter takes no room); 0 x 0 for none.
  virtual TSize TextExtent(const TSpeedButton2& button, const std::string& caption, const TButtonFont& font) = 0;
  // The window shows (accelerators act only then).
  virtual bool Showing() = 0;
};

// One copy of a part of the picture onto the button: source in the
// picture, destination in the button; a wider destination stretches.
struct TSliceCopy {
  Rect source, dest;
};

// The picture copies: the whole picture at (0, 0), or with stretch the left
// half, the right half at the right edge, and the middle column stretched
// between them.
std::vector<TSliceCopy> PictureSlices(int pictureWidth, int pictureHeight, int buttonWidth, bool stretch);

// Where glyph and caption go inside area: the glyph's top-left corner and
// the caption's rectangle.
struct TGlyphCaptionPlace {
  TPoint glyph;
  Rect caption;
};
TGlyphCaptionPlace LayoutGlyphAndCaption(const Rect& area, TSize glyph, TSize caption, TButtonLayout layout,
                                         int margin, int spacing, bool rightToLeft);

// The disabled image made from the up image: its ink (every opaque pixel
// that is not white) drawn in highlight one pixel right and down, then in
// shadow in place; transparent elsewhere. Colours are 0xBBGGRR.
TPicture MakeDisabledGlyph(const TPicture& up, uint32_t highlight, uint32_t shadow);

// The letter after a single "&" of a caption, lower case; 0 for none.
char AcceleratorOf(const std::string& caption);

// How a paint draws the button, in the button's own coordinates.
struct TButtonLook {
  enum class Edge { None, Raised, Sunken };
  bool fill = false;                   // not transparent: filled with colour
  std::optional<uint32_t> fillColour;  // none: the system's button face
  Edge edge = Edge::None;
  const TPicture* picture = nullptr;   // the state's picture; may be empty
  std::vector<TSliceCopy> slices;
  // The glyph: the image of the strip to draw (kNoGlyph, or
  // kGeneratedDisabled for the image made from the up image), its size and
  // place.
  static constexpr int kNoGlyph = -1, kGeneratedDisabled = -2;
  int glyphImage = kNoGlyph;
  TSize glyphSize;
  TPoint glyphPos;
  Rect captionRect;
  uint32_t captionColour = 0;
  bool underline = false;
  // After this paint the finished button is kept for the mouse's leave.
  bool snapshot = false;
};

// The control the buttons sit on: owns them, hands each the mouse as
// Windows hands it to the window, and lets the buttons of a group agree.
class TButtonParent {
 public:
  explicit TButtonParent(IButtonSurface& surface) : surface_(surface) {}
  ~TButtonParent();
  TButtonParent(const TButtonParent&) = delete;
  TButtonParent& operator=(const TButtonParent&) = delete;

  // A new button, 23 x 22 unless sized, owned by the parent.
  TSpeedButton2& Add(const std::string& name, int left, int top, int width = 23, int height = 22);
  TSpeedButton2* Find(const std::string& name) const;
  const std::vector<std::unique_ptr<TSpeedButton2>>& Buttons() const { return buttons_; }
  // The visible button at a point of the window (the last added on top);
  // disabled ones only when asked.
  TSpeedButton2* ButtonAt(int x, int y, bool allowDisabled = false) const;

  // The window's mouse in its client coordinates; true when a button takes
  // it (MouseMove: a button is under the pointer or pressed).
  bool MouseMove(int x, int y);
  bool MouseDown(int x, int y, bool doubleClick);  // the left button
  bool MouseUp(int x, int y);
  void MouseLeave();  // the pointer left the window
  // The press ended elsewhere (the window lost the mouse capture).
  void CaptureLost();
  // Alt with a key: clicks the button whose accelerator it is; true when
  // the key is used.
  bool AltKey(char key);
  // The pressed button that has the mouse, if any.
  TSpeedButton2* Captured() const { return captured_; }
  // Whether the pointer is known to be over a point of this button.
  bool PointerOver(const TSpeedButton2& button) const;

  bool RightToLeft = false;
  IButtonSurface& Surface() { return surface_; }

 private:
  friend class TSpeedButton2;
  // The buttons of the sender's group take its all-up rule and give up
  // their down state when the sender is down.
  void GroupChanged(TSpeedButton2& sender);
  // Enter and leave for the button now under the pointer.
  void TrackPointer();

  IButtonSurface& surface_;
  std::vector<std::unique_ptr<TSpeedButton2>> buttons_;
  TSpeedButton2* under_ = nullptr;
  TSpeedButton2* captured_ = nullptr;
  bool pointerInside_ = false;
  int pointerX_ = 0, pointerY_ = 0;
};

class TSpeedButton2 {
 public:
  TSpeedButton2(TButtonParent& parent, std::string name, int left, int top, int width, int height);
  TSpeedButton2(const TSpeedButton2&) = delete;
  TSpeedButton2& operator=(const TSpeedButton2&) = delete;

  const std::string& Name() const { return name_; }
  TButtonParent& Parent() { return parent_; }

  // Place, in the window's client coordinates.
  Rect Bounds() const { return {left_, top_, left_ + width_, top_ + height_}; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);

  // Every setter that changes the look invalidates the button.
  void SetPicture(TPicture picture);
  void SetPictureHover(TPicture picture);
  void SetPictureDisabled(TPicture picture);
  const TPicture& Picture() const { return picture_; }
  const TPicture& PictureHover() const { return pictureHover_; }
  const TPicture& PictureDisabled() const { return pictureDisabled_; }
  void SetPictureStretch(bool value);
  void SetNoFrame(bool value);
  void SetFontHoverColor(uint32_t colour);
  void SetFontDisabledColor(uint32_t colour);
  void SetFontHaveUnderline(bool value);
  void SetGlyph(TPicture glyph);
  const TPicture& Glyph() const { return glyph_; }
  // 1 to 4 images in the strip: up, disabled, down, exclusive; more are 4.
  void SetNumGlyphs(int value);
  int NumGlyphs() const { return numGlyphs_; }
  void SetLayout(TButtonLayout layout);
  // Pixels from the edge to the glyph; -1 centres; below -1 is refused.
  void SetMargin(int value);
  int Margin() const { return margin_; }
  // Pixels between glyph and caption; -1 centres the caption in the rest.
  void SetSpacing(int value);
  // Buttons of one parent with the same non-zero index: one is down.
  void SetGroupIndex(int value);
  int GroupIndex() const { return groupIndex_; }
  // Down only in a group; without all-up the down button stays down.
  void SetDown(bool value);
  bool Down() const { return down_; }
  void SetAllowAllUp(bool value);
  bool AllowAllUp() const { return allowAllUp_; }
  // Hover look and pointer tracking only for flat buttons.
  void SetFlat(bool value);
  // Transparent (the default): the window's picture shows through.
  void SetTransparent(bool value);
  void SetColor(std::optional<uint32_t> colour);
  void SetCaption(const std::string& caption);
  const std::string& Caption() const { return caption_; }
  void SetFont(const TButtonFont& font);
  const TButtonFont& Font() const { return font_; }
  void SetEnabled(bool value);
  bool Enabled() const { return enabled_; }
  void SetVisible(bool value);
  bool Visible() const { return visible_; }

  // The hint shown when the pointer rests on the button.
  std::string Hint;
  bool ShowHint = true;
  // The hand cursor over the button.
  bool HandCursor = false;
  std::function<void()> OnClick, OnDblClick;

  TButtonState State() const { return state_; }
  bool Dragging() const { return dragging_; }
  bool MouseInControl() const { return mouseInControl_; }
  bool SnapshotValid() const { return snapshotValid_; }
  // Grows with every change of a picture or the glyph (for the drawing's
  // caches).
  int PictureVersion() const { return pictureVersion_; }

  // The mouse, in the button's own coordinates.
  void MouseEnter();
  void MouseLeave();
  void MouseDown(int x, int y, bool doubleClick);
  void MouseMove(int x, int y);
  void MouseUp(int x, int y);
  // Alt with key: clicks when it is the caption's accelerator and the
  // button can be used; true when the key is used.
  bool DialogChar(char key);
  void Click();

  // Asks for a paint later; forgets the snapshot.
  void Invalidate();
  // What a paint now draws, and the state the paint settles (a disabled
  // button is in the disabled state, an enabled one leaves it).
  TButtonLook Look();
  // The finished paint was kept (Look() said snapshot).
  void SnapshotTaken() { snapshotValid_ = true; }
  // The disabled image for a strip without one, made once per glyph and
  // colours.
  const TPicture& DisabledGlyph(uint32_t highlight, uint32_t shadow);
  TSize GlyphSize() const;
  // The strip image a state shows; the look's kGeneratedDisabled when the
  // strip has no disabled image.
  int GlyphImageFor(TButtonState state) const;

 private:
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  void SettleState();
  void UpdateTracking();
  void UpdateExclusive() { parent_.GroupChanged(*this); }
  void PictureChanged();
  // Stores a value of the look and asks for a paint when it changed.
  template <typename T>
  void Assign(T& field, T value) {
    if (field == value) return;
    field = value;
    Invalidate();
  }

  friend class TButtonParent;
  TButtonParent& parent_;
  std::string name_;
  int left_, top_, width_, height_;
  TPicture picture_, pictureHover_, pictureDisabled_, glyph_;
  bool pictureStretch_ = false, noFrame_ = false;
  uint32_t fontHoverColor_ = 0, fontDisabledColor_ = 0;
  bool fontHaveUnderline_ = false;
  int numGlyphs_ = 1;
  TButtonLayout layout_ = TButtonLayout::GlyphLeft;
  int margin_ = -1, spacing_ = 4;
  int groupIndex_ = 0;
  bool down_ = false, allowAllUp_ = false, flat_ = false, transparent_ = true;
  std::optional<uint32_t> color_;
  std::string caption_;
  TButtonFont font_;
  bool enabled_ = true, visible_ = true;

  TButtonState state_ = TButtonState::Up;
  bool dragging_ = false, mouseInControl_ = false, snapshotValid_ = false;
  int pictureVersion_ = 0;
  TPicture disabledGlyph_;
  bool disabledGlyphMade_ = false;
  uint32_t disabledHighlight_ = 0, disabledShadow_ = 0;
};

}  // namespace strevo
