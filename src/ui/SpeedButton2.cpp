#include "ui/SpeedButton2.h"

#include <algorithm>
#include <utility>

#include "platform/Ansi.h"

namespace strevo {

namespace {

// 0xBBGGRR to an opaque 0xAARRGGBB pixel.
uint32_t Pixel(uint32_t colour) {
  return 0xFF000000u | ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
}

}  // namespace

// ------------------------------------------------------------- geometry --

std::vector<TSliceCopy> PictureSlices(int w, int h, int buttonWidth, bool stretch) {
  if (w <= 0 || h <= 0) return {};
  if (!stretch) return {{{0, 0, w, h}, {0, 0, w, h}}};
  const int half = w / 2;
  std::vector<TSliceCopy> slices{{{0, 0, half, h}, {0, 0, half, h}},
                                 {{half, 0, w, h}, {buttonWidth - half, 0, buttonWidth, h}}};
  if (buttonWidth - half > half) slices.push_back({{half, 0, half + 1, h}, {half, 0, buttonWidth - half, h}});
  return slices;
}

TGlyphCaptionPlace LayoutGlyphAndCaption(const Rect& area, TSize glyph, TSize caption, TButtonLayout layout,
                                         int margin, int spacing, bool rightToLeft) {
  if (rightToLeft && layout == TButtonLayout::GlyphLeft) layout = TButtonLayout::GlyphRight;
  else if (rightToLeft && layout == TButtonLayout::GlyphRight) layout = TButtonLayout::GlyphLeft;
  const int w = area.right - area.left, h = area.bottom - area.top;
  const bool sideBySide = layout == TButtonLayout::GlyphLeft || layout == TButtonLayout::GlyphRight;
  TPoint g, t;
  // Across the layout both are centred.
  if (sideBySide) {
    g.y = (h - glyph.height + 1) / 2;
    t.y = (h - caption.height + 1) / 2;
  } else {
    g.x = (w - glyph.width + 1) / 2;
    t.x = (w - caption.width + 1) / 2;
  }
  // Along it: margin, glyph, spacing, caption.
  const int room = sideBySide ? w : h;
  const int glyphLength = sideBySide ? glyph.width : glyph.height;
  const int captionLength = sideBySide ? caption.width : caption.height;
  if (caption.width == 0 || glyph.width == 0) spacing = 0;
  if (margin == -1) {
    if (spacing == -1) {
      margin = spacing = (room - (glyphLength + captionLength)) / 3;
    } else {
      margin = (room - (glyphLength + spacing + captionLength) + 1) / 2;
    }
  } else if (spacing == -1) {
    spacing = (room - (margin + glyphLength) - captionLength) / 2;
  }
  switch (layout) {
    case TButtonLayout::GlyphLeft:
      g.x = margin;
      t.x = g.x + glyph.width + spacing;
      break;
    case TButtonLayout::GlyphRight:
      g.x = w - margin - glyph.width;
      t.x = g.x - spacing - caption.width;
      break;
    case TButtonLayout::GlyphTop:
      g.y = margin;
      t.y = g.y + glyph.height + spacing;
      break;
    case TButtonLayout::GlyphBottom:
      g.y = h - margin - glyph.height;
      t.y = g.y - spacing - caption.height;
      break;
  }
  TGlyphCaptionPlace place;
  place.glyph = {area.left + g.x, area.top + g.y};
  place.caption = {area.left + t.x, area.top + t.y, area.left + t.x + caption.width, area.top + t.y + caption.height};
  return place;
}

TPicture MakeDisabledGlyph(const TPicture& up, uint32_t highlight, uint32_t shadow) {
  TPicture out;
  out.width = up.width;
  out.height = up.height;
  out.pixels.assign(up.pixels.size(), 0);
  const auto ink = [&](int x, int y) {
    const uint32_t p = up.pixels[static_cast<size_t>(y) * up.width + x];
    return (p >> 24) >= 0x80 && (p & 0xFFFFFF) != 0xFFFFFF;
  };
  for (int y = 0; y + 1 < up.height; ++y)
    for (int x = 0; x + 1 < up.width; ++x)
      if (ink(x, y)) out.pixels[static_cast<size_t>(y + 1) * up.width + x + 1] = Pixel(highlight);
  for (int y = 0; y < up.height; ++y)
    for (int x = 0; x < up.width; ++x)
      if (ink(x, y)) out.pixels[static_cast<size_t>(y) * up.width + x] = Pixel(shadow);
  return out;
}

char AcceleratorOf(const std::string& caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;  // "&&" is the character itself
      continue;
    }
    return static_cast<char>(ansi_lower_char(static_cast<unsigned char>(caption[i + 1])));
  }
  return 0;
}

// --------------------------------------------------------------- parent --

TButtonParent::~TButtonParent() = default;

TSpeedButton2& TButtonParent::Add(const std::string& name, int left, int top, int width, int height) {
  buttons_.push_back(std::make_unique<TSpeedButton2>(*this, name, left, top, width, height));
  return *buttons_.back();
}

TSpeedButton2* TButtonParent::Find(const std::string& name) const {
  for (const auto& button : buttons_)
    if (button->Name() == name) return button.get();
  return nullptr;
}

TSpeedButton2* TButtonParent::ButtonAt(int x, int y, bool allowDisabled) const {
  for (auto it = buttons_.rbegin(); it != buttons_.rend(); ++it) {
    TSpeedButton2& b = **it;
    const Rect r = b.Bounds();
    if (b.visible_ && (b.enabled_ || allowDisabled) && x >= r.left && y >= r.top && x < r.right && y < r.bottom)
      return &b;
  }
  return nullptr;
}

bool TButtonParent::PointerOver(const TSpeedButton2& button) const {
  return pointerInside_ && ButtonAt(pointerX_, pointerY_, true) == &button;
}

void TButtonParent::TrackPointer() {
  TSpeedButton2* now = pointerInside_ ? ButtonAt(pointerX_, pointerY_, true) : nullptr;
  if (now == under_) return;
  TSpeedButton2* was = std::exchange(under_, now);
  if (was) was->MouseLeave();
  if (now) now->MouseEnter();
}

bool TButtonParent::MouseMove(int x, int y) {
  pointerInside_ = true;
  pointerX_ = x;
  pointerY_ = y;
  if (captured_) captured_->MouseMove(x - captured_->left_, y - captured_->top_);
  TrackPointer();
  return captured_ || under_;
}

bool TButtonParent::MouseDown(int x, int y, bool doubleClick) {
  pointerInside_ = true;
  pointerX_ = x;
  pointerY_ = y;
  TrackPointer();
  TSpeedButton2* button = ButtonAt(x, y);
  if (!button) return false;
  button->MouseDown(x - button->left_, y - button->top_, doubleClick);
  if (button->dragging_) captured_ = button;
  return true;
}

bool TButtonParent::MouseUp(int x, int y) {
  pointerX_ = x;
  pointerY_ = y;
  if (!captured_) return false;
  TSpeedButton2* button = std::exchange(captured_, nullptr);
  button->MouseUp(x - button->left_, y - button->top_);
  TrackPointer();
  return true;
}

void TButtonParent::MouseLeave() {
  pointerInside_ = false;
  TrackPointer();
}

void TButtonParent::CaptureLost() {
  TSpeedButton2* button = std::exchange(captured_, nullptr);
  if (!button || !button->dragging_) return;
  button->dragging_ = false;
  if (button->enabled_) button->state_ = button->down_ ? TButtonState::Exclusive : TButtonState::Up;
  button->Invalidate();
  button->UpdateTracking();
}

bool TButtonParent::AltKey(char key) {
  for (const auto& button : buttons_)
    if (button->DialogChar(key)) return true;
  return false;
}

void TButtonParent::GroupChanged(TSpeedButton2& sender) {
  if (sender.groupIndex_ == 0) return;
  for (const auto& other : buttons_) {
    TSpeedButton2& b = *other;
    if (&b == &sender || b.groupIndex_ != sender.groupIndex_) continue;
    if (sender.down_ && b.down_) {
      b.down_ = false;
      if (b.enabled_) b.state_ = TButtonState::Up;
      b.Invalidate();
    }
    b.allowAllUp_ = sender.allowAllUp_;
  }
}

// --------------------------------------------------------------- button --

TSpeedButton2::TSpeedButton2(TButtonParent& parent, std::string name, int left, int top, int width, int height)
    : parent_(parent), name_(std::move(name)), left_(left), top_(top), width_(width), height_(height) {}

void TSpeedButton2::Invalidate() {
  snapshotValid_ = false;
  parent_.surface_.Invalidate(*this);
}

void TSpeedButton2::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  Invalidate();  // the old place
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
}

void TSpeedButton2::PictureChanged() {
  ++pictureVersion_;
  disabledGlyphMade_ = false;
  Invalidate();
}

void TSpeedButton2::SetPicture(TPicture picture) {
  picture_ = std::move(picture);
  PictureChanged();
}

void TSpeedButton2::SetPictureHover(TPicture picture) {
  pictureHover_ = std::move(picture);
  PictureChanged();
}

void TSpeedButton2::SetPictureDisabled(TPicture picture) {
  pictureDisabled_ = std::move(picture);
  PictureChanged();
}

void TSpeedButton2::SetGlyph(TPicture glyph) {
  glyph_ = std::move(glyph);
  PictureChanged();
}

void TSpeedButton2::SetNumGlyphs(int value) {
  value = std::clamp(value, 1, 4);
  if (value == numGlyphs_) return;
  numGlyphs_ = value;
  PictureChanged();
}

void TSpeedButton2::SetPictureStretch(bool value) { Assign(pictureStretch_, value); }
void TSpeedButton2::SetNoFrame(bool value) { Assign(noFrame_, value); }
void TSpeedButton2::SetFontHoverColor(uint32_t colour) { Assign(fontHoverColor_, colour); }
void TSpeedButton2::SetFontDisabledColor(uint32_t colour) { Assign(fontDisabledColor_, colour); }
void TSpeedButton2::SetFontHaveUnderline(bool value) { Assign(fontHaveUnderline_, value); }
void TSpeedButton2::SetLayout(TButtonLayout layout) { Assign(layout_, layout); }
void TSpeedButton2::SetSpacing(int value) { Assign(spacing_, value); }
void TSpeedButton2::SetTransparent(bool value) { Assign(transparent_, value); }
void TSpeedButton2::SetColor(std::optional<uint32_t> colour) { Assign(color_, colour); }

void TSpeedButton2::SetMargin(int value) {
  if (value < -1 || value == margin_) return;
  margin_ = value;
  Invalidate();
}

void TSpeedButton2::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Invalidate();
}

void TSpeedButton2::SetFont(const TButtonFont& font) {
  font_ = font;
  Invalidate();
}

void TSpeedButton2::SetFlat(bool value) {
  if (value == flat_) return;
  flat_ = value;
  if (!flat_) mouseInControl_ = false;
  Invalidate();
}

void TSpeedButton2::SetGroupIndex(int value) {
  if (value == groupIndex_) return;
  groupIndex_ = value;
  if (groupIndex_ == 0 && down_) {
    down_ = false;
    if (enabled_) state_ = TButtonState::Up;
    Invalidate();
  }
  UpdateExclusive();
}

void TSpeedButton2::SetAllowAllUp(bool value) {
  if (value == allowAllUp_) return;
  allowAllUp_ = value;
  UpdateExclusive();
}

void TSpeedButton2::SetDown(bool value) {
  if (groupIndex_ == 0) value = false;
  if (value == down_) return;
  if (down_ && !allowAllUp_) return;  // the group keeps one down
  down_ = value;
  if (enabled_) state_ = value ? TButtonState::Exclusive : TButtonState::Up;
  Invalidate();
  if (value) UpdateExclusive();
}

void TSpeedButton2::SetEnabled(bool value) {
  if (value == enabled_) return;
  enabled_ = value;
  SettleState();
  UpdateTracking();
  Invalidate();
}

void TSpeedButton2::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  if (!visible_) mouseInControl_ = false;
  Invalidate();
}

void TSpeedButton2::SettleState() {
  if (!enabled_) {
    state_ = TButtonState::Disabled;
    dragging_ = false;
  } else if (state_ == TButtonState::Disabled) {
    state_ = down_ && groupIndex_ != 0 ? TButtonState::Exclusive : TButtonState::Up;
  }
}

// Whether the pointer is over the button is asked again, and the button
// shows it: the flag is set to the opposite first, so that the enter or
// leave that follows always draws.
void TSpeedButton2::UpdateTracking() {
  if (!flat_ || !enabled_) return;
  const bool over = parent_.PointerOver(*this);
  mouseInControl_ = !over;
  if (over) MouseEnter();
  else MouseLeave();
}

void TSpeedButton2::MouseEnter() {
  if (!flat_ || !enabled_ || (parent_.captured_ && parent_.captured_ != this)) return;
  mouseInControl_ = true;
  if (transparent_) parent_.surface_.Paint(*this);
  else Invalidate();
}

void TSpeedButton2::MouseLeave() {
  if (!flat_ || !enabled_ || dragging_) return;
  mouseInControl_ = false;
  if (snapshotValid_ && transparent_ && visible_) parent_.surface_.RestoreSnapshot(*this);
  else Invalidate();
}

void TSpeedButton2::MouseDown(int, int, bool doubleClick) {
  if (doubleClick && down_ && OnDblClick) OnDblClick();
  if (!enabled_) return;
  if (!down_) {
    state_ = TButtonState::Down;
    if (!noFrame_) parent_.surface_.Paint(*this);
  }
  dragging_ = true;
}

void TSpeedButton2::MouseMove(int x, int y) {
  if (!dragging_) return;
  TButtonState now = Inside(x, y) ? TButtonState::Down : TButtonState::Up;
  if (down_) now = TButtonState::Exclusive;
  if (now == state_) return;
  state_ = now;
  if (!noFrame_) Invalidate();
}

void TSpeedButton2::MouseUp(int x, int y) {
  if (!dragging_) return;
  dragging_ = false;
  const bool inside = Inside(x, y);
  if (groupIndex_ == 0) {
    state_ = TButtonState::Up;
    mouseInControl_ = false;
    if (inside) parent_.surface_.Paint(*this);
  } else {
    if (inside) SetDown(!down_);  // refused for the down one without all-up
    state_ = down_ ? TButtonState::Exclusive : TButtonState::Up;
    Invalidate();
  }
  if (inside) Click();
  UpdateTracking();
  UpdateExclusive();
}

void TSpeedButton2::Click() {
  if (OnClick) OnClick();
}

bool TSpeedButton2::DialogChar(char key) {
  const char accelerator = AcceleratorOf(caption_);
  if (!accelerator || accelerator != static_cast<char>(ansi_lower_char(static_cast<unsigned char>(key)))) return false;
  if (!enabled_ || !visible_ || !parent_.surface_.Showing()) return false;
  Click();
  return true;
}

TSize TSpeedButton2::GlyphSize() const {
  if (glyph_.Empty()) return {};
  return {glyph_.width / numGlyphs_, glyph_.height};
}

int TSpeedButton2::GlyphImageFor(TButtonState state) const {
  switch (state) {
    case TButtonState::Disabled: return numGlyphs_ >= 2 ? 1 : TButtonLook::kGeneratedDisabled;
    case TButtonState::Down: return numGlyphs_ >= 3 ? 2 : 0;
    case TButtonState::Exclusive: return numGlyphs_ >= 4 ? 3 : 0;
    default: return 0;
  }
}

const TPicture& TSpeedButton2::DisabledGlyph(uint32_t highlight, uint32_t shadow) {
  if (!disabledGlyphMade_ || highlight != disabledHighlight_ || shadow != disabledShadow_) {
    const TSize size = GlyphSize();
    TPicture up;
    up.width = size.width;
    up.height = size.height;
    for (int y = 0; y < size.height; ++y)
      for (int x = 0; x < size.width; ++x) up.pixels.push_back(glyph_.pixels[static_cast<size_t>(y) * glyph_.width + x]);
    disabledGlyph_ = MakeDisabledGlyph(up, highlight, shadow);
    disabledGlyphMade_ = true;
    disabledHighlight_ = highlight;
    disabledShadow_ = shadow;
  }
  return disabledGlyph_;
}

TButtonLook TSpeedButton2::Look() {
  SettleState();
  TButtonLook look;
  look.fill = !transparent_;
  look.fillColour = color_;
  const bool pressed = state_ == TButtonState::Down || state_ == TButtonState::Exclusive;
  const bool hot = pressed || (mouseInControl_ && state_ != TButtonState::Disabled);
  if (hot && !noFrame_) look.edge = pressed ? TButtonLook::Edge::Sunken : TButtonLook::Edge::Raised;

  if (state_ == TButtonState::Disabled) look.picture = &pictureDisabled_;
  else if (mouseInControl_ && !pictureHover_.Empty()) look.picture = &pictureHover_;
  else look.picture = &picture_;
  look.slices = PictureSlices(look.picture->width, look.picture->height, width_, pictureStretch_);

  const TSize glyph = GlyphSize();
  const TSize caption = caption_.empty() ? TSize{} : parent_.surface_.TextExtent(*this, caption_, font_);
  const TGlyphCaptionPlace place = LayoutGlyphAndCaption({1, 1, width_ - 1, height_ - 1}, glyph, caption, layout_,
                                                         margin_, spacing_, parent_.RightToLeft);
  if (!glyph_.Empty()) {
    look.glyphImage = GlyphImageFor(state_);
    look.glyphSize = glyph;
    look.glyphPos = place.glyph;
  }
  look.captionRect = place.caption;
  if (state_ == TButtonState::Disabled) {
    look.captionColour = fontDisabledColor_;
    look.underline = font_.underline && !fontHaveUnderline_;
  } else if (hot) {
    look.captionColour = fontHoverColor_;
    look.underline = font_.underline || fontHaveUnderline_;
  } else {
    look.captionColour = font_.colour;
    look.underline = font_.underline && !fontHaveUnderline_;
  }
  look.snapshot = !mouseInControl_ && noFrame_ && transparent_;
  return look;
}

}  // namespace strevo
