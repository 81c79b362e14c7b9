#include "win32/Win32SpeedButton.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "win32/Win32Dpi.h"
#include "win32/Win32Gdi.h"
#include "win32/Win32Window.h"

namespace strevo {

namespace {

RECT ToRECT(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

Rect Intersection(const Rect& a, const Rect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool EmptyRect(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

Rect Union(const Rect& a, const Rect& b) {
  if (EmptyRect(a)) return b;
  if (EmptyRect(b)) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

struct ButtonPictureFile {
  const char* name;
  const unsigned char* bytes;
  size_t size;
};
#include "win32/res/ButtonPictures.inc"

// Pixel for pixel on a context that draws in design units otherwise.
class PixelSpace {
 public:
  explicit PixelSpace(HDC dc) : dc_(dc), saved_(::SaveDC(dc)) { ::ModifyWorldTransform(dc, nullptr, MWT_IDENTITY); }
  ~PixelSpace() { ::RestoreDC(dc_, saved_); }
  PixelSpace(const PixelSpace&) = delete;
  PixelSpace& operator=(const PixelSpace&) = delete;

 private:
  HDC dc_;
  int saved_;
};

// The tool description as every version of the common controls takes it.
const UINT kToolInfoSize = TTTOOLINFOA_V2_SIZE;

}  // namespace

TPicture ButtonPicture(const std::string& name) {
  TPicture picture;
  for (const ButtonPictureFile& file : kButtonPictureFiles)
    if (name == file.name) DecodeGif(std::string(reinterpret_cast<const char*>(file.bytes), file.size), picture);
  return picture;
}

struct Win32SpeedButtons::Drawing {
  BackBuffer background, screen;
  MemoryDc source;  // for the pictures' bitmaps
  HWND tips = nullptr;  // made at the first mouse move (see MakeTips)
  bool tipsTried = false, tipsActive = true;
  HCURSOR hand = nullptr;
  std::map<std::tuple<std::string, int, bool, bool>, GdiObject<HFONT>> fonts;
  // What each button draws with, made again when its pictures change.
  struct Cache {
    int version = -1;
    GdiObject<HBITMAP> picture, hover, disabled, glyph, disabledGlyph;
    GdiObject<HBITMAP> snapshot;
  };
  std::map<const TSpeedButton2*, Cache> caches;
  std::vector<bool> tools;  // a hint tool was added for the button

  ~Drawing() {
    if (tips) ::DestroyWindow(tips);
  }

  HFONT Font(const TButtonFont& font, bool underline) {
    const auto key = std::make_tuple(font.name, font.height, font.bold, underline);
    auto found = fonts.find(key);
    if (found == fonts.end())
      found = fonts.emplace(key, MakeFont(font.name.c_str(), font.height, font.bold, underline)).first;
    return found->second.Get();
  }

  Cache& CacheOf(const TSpeedButton2& button) {
    Cache& cache = caches[&button];
    if (cache.version != button.PictureVersion()) {
      cache.version = button.PictureVersion();
      cache.picture = AlphaBitmap(button.Picture());
      cache.hover = AlphaBitmap(button.PictureHover());
      cache.disabled = AlphaBitmap(button.PictureDisabled());
      cache.glyph = AlphaBitmap(button.Glyph());
      cache.disabledGlyph.Reset();
    }
    return cache;
  }

  // Draws part of a bitmap with its alpha, stretched to the destination.
  void Blend(HDC dc, HBITMAP bitmap, const Rect& dest, const Rect& from) {
    if (!bitmap || EmptyRect(dest) || EmptyRect(from)) return;
    SelectedObject selected(source.Get(), bitmap);
    const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ::AlphaBlend(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source.Get(), from.left,
                 from.top, from.right - from.left, from.bottom - from.top, blend);
  }
};

Win32SpeedButtons::Win32SpeedButtons(WindowHandle window, int width, int height)
    : window_(window), width_(width), height_(height), drawing_(std::make_unique<Drawing>()) {
  Drawing& d = *drawing_;
  {
    const WindowDc screen(ToHwnd(window_));
    d.source.Reset(::CreateCompatibleDC(screen.Get()));
  }
  SetDpi(WindowDpi(ToHwnd(window_)));
  d.hand = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
}

// The hints' window is made when the mouse first moves over the buttons'
// window: a widget nobody points at never loads the common controls.
void Win32SpeedButtons::MakeTips() {
  Drawing& d = *drawing_;
  if (d.tipsTried) return;
  d.tipsTried = true;
  EnsureCommonControls();
  d.tips = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, ToHwnd(window_), nullptr,
                             reinterpret_cast<HINSTANCE>(ModuleInstance()), nullptr);
  if (!d.tips) return;
  if (!d.tipsActive) ::SendMessageA(d.tips, TTM_ACTIVATE, FALSE, 0);
  UpdateHints();
}

Win32SpeedButtons::~Win32SpeedButtons() = default;

TSpeedButton2& Win32SpeedButtons::Button(const std::string& name) { return *parent_.Find(name); }

void Win32SpeedButtons::SetDpi(int dpi) {
  Drawing& d = *drawing_;
  dpi_ = dpi;
  const DpiScale scale(dpi);
  {
    const WindowDc screen(ToHwnd(window_));
    d.background.Create(screen.Get(), scale(width_), scale(height_));
    d.screen.Create(screen.Get(), scale(width_), scale(height_));
  }
  scale.Apply(d.background.Dc());
  scale.Apply(d.screen.Dc());
  for (auto& [button, cache] : d.caches) cache.snapshot.Reset();
  UpdateHints();
}

Rect Win32SpeedButtons::Pixels(const Rect& area) const { return DpiScale(dpi_)(area); }

void* Win32SpeedButtons::Background() const { return drawing_->background.Dc(); }

void Win32SpeedButtons::Compose() {
  dirty_ = {};
  ComposeArea({0, 0, width_, height_});
  Present({0, 0, width_, height_});
}

void Win32SpeedButtons::ComposeArea(const Rect& area) {
  Drawing& d = *drawing_;
  if (!d.screen.Dc() || EmptyRect(area)) return;
  {
    const PixelSpace screenPixels(d.screen.Dc()), backgroundPixels(d.background.Dc());
    const Rect p = Pixels(area);
    ::BitBlt(d.screen.Dc(), p.left, p.top, p.right - p.left, p.bottom - p.top, d.background.Dc(), p.left, p.top, SRCCOPY);
  }
  for (const auto& button : parent_.Buttons())
    if (button->Visible() && !EmptyRect(Intersection(button->Bounds(), area))) DrawButton(*button, area);
}

void Win32SpeedButtons::Present(const Rect& area) {
  HWND window = ToHwnd(window_);
  if (!window || !::IsWindowVisible(window) || EmptyRect(area)) return;
  const WindowDc dc(window);
  const PixelSpace pixels(drawing_->screen.Dc());
  const Rect p = Pixels(area);
  ::BitBlt(dc.Get(), p.left, p.top, p.right - p.left, p.bottom - p.top, drawing_->screen.Dc(), p.left, p.top, SRCCOPY);
}

void Win32SpeedButtons::PaintWindow(void* target) {
  if (!EmptyRect(dirty_)) ComposeArea(std::exchange(dirty_, Rect{}));
  const PixelSpace pixels(drawing_->screen.Dc());
  ::BitBlt(static_cast<HDC>(target), 0, 0, drawing_->screen.Width(), drawing_->screen.Height(), drawing_->screen.Dc(), 0,
           0, SRCCOPY);
}

void Win32SpeedButtons::DrawButton(TSpeedButton2& button, const Rect& clip) {
  Drawing& d = *drawing_;
  HDC dc = d.screen.Dc();
  const TButtonLook look = button.Look();
  const Rect place = button.Bounds();
  const int x = place.left, y = place.top;
  const auto moved = [&](const Rect& r) { return Rect{r.left + x, r.top + y, r.right + x, r.bottom + y}; };
  Drawing::Cache& cache = d.CacheOf(button);
  ++buttonPaints_;

  const int saved = ::SaveDC(dc);
  const Rect visible = Intersection(place, clip);
  ::IntersectClipRect(dc, visible.left, visible.top, visible.right, visible.bottom);
  RECT whole = ToRECT(place);
  if (look.fill) {
    GdiObject<HBRUSH> brush(::CreateSolidBrush(look.fillColour ? *look.fillColour : ::GetSysColor(COLOR_BTNFACE)));
    ::FillRect(dc, &whole, brush.Get());
  }
  if (look.edge != TButtonLook::Edge::None)
    ::DrawEdge(dc, &whole, look.edge == TButtonLook::Edge::Sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);

  HBITMAP picture = look.picture == &button.PictureHover()      ? cache.hover.Get()
                    : look.picture == &button.PictureDisabled() ? cache.disabled.Get()
                                                                : cache.picture.Get();
  for (const TSliceCopy& slice : look.slices) d.Blend(dc, picture, moved(slice.dest), slice.source);

  if (look.glyphImage != TButtonLook::kNoGlyph) {
    const Rect dest{look.glyphPos.x + x, look.glyphPos.y + y, look.glyphPos.x + x + look.glyphSize.width,
                    look.glyphPos.y + y + look.glyphSize.height};
    if (look.glyphImage == TButtonLook::kGeneratedDisabled) {
      if (!cache.disabledGlyph)
        cache.disabledGlyph =
            AlphaBitmap(button.DisabledGlyph(::GetSysColor(COLOR_BTNHIGHLIGHT), ::GetSysColor(COLOR_BTNSHADOW)));
      d.Blend(dc, cache.disabledGlyph.Get(), dest, {0, 0, look.glyphSize.width, look.glyphSize.height});
    } else {
      const int left = look.glyphImage * look.glyphSize.width;
      d.Blend(dc, cache.glyph.Get(), dest, {left, 0, left + look.glyphSize.width, look.glyphSize.height});
    }
  }

  const std::string& caption = button.Caption();
  if (!caption.empty()) {
    SelectedObject font(dc, d.Font(button.Font(), look.underline));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, look.captionColour);
    RECT text = ToRECT(moved(look.captionRect));
    ::DrawTextA(dc, caption.data(), static_cast<int>(caption.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  ::RestoreDC(dc, saved);

  if (look.snapshot) {
    const Rect p = Pixels(place);
    const int width = p.right - p.left, height = p.bottom - p.top;
    if (!cache.snapshot || BitmapWidth(cache.snapshot.Get()) != width || BitmapHeight(cache.snapshot.Get()) != height)
      cache.snapshot.Reset(::CreateCompatibleBitmap(dc, width, height));
    if (cache.snapshot) {
      SelectedObject selected(d.source.Get(), cache.snapshot.Get());
      const PixelSpace pixels(dc);
      ::BitBlt(d.source.Get(), 0, 0, width, height, dc, p.left, p.top, SRCCOPY);
      button.SnapshotTaken();
    }
  }
}

void Win32SpeedButtons::Invalidate(TSpeedButton2& button) {
  const Rect area = Intersection(button.Bounds(), {0, 0, width_, height_});
  const size_t index = static_cast<size_t>(
      std::find_if(parent_.Buttons().begin(), parent_.Buttons().end(), [&](const auto& b) { return b.get() == &button; }) -
      parent_.Buttons().begin());
  if (index < parent_.Buttons().size()) UpdateHint(index);
  if (EmptyRect(area)) return;
  dirty_ = Union(dirty_, area);
  RECT r = ToRECT(Pixels(area));
  ::InvalidateRect(ToHwnd(window_), &r, FALSE);
}

void Win32SpeedButtons::Paint(TSpeedButton2& button) {
  const Rect area = Intersection(button.Bounds(), {0, 0, width_, height_});
  ComposeArea(area);
  Present(area);
}

void Win32SpeedButtons::RestoreSnapshot(TSpeedButton2& button) {
  Drawing& d = *drawing_;
  Drawing::Cache& cache = d.CacheOf(button);
  if (!cache.snapshot) {
    Paint(button);
    return;
  }
  const Rect place = button.Bounds();
  {
    SelectedObject selected(d.source.Get(), cache.snapshot.Get());
    const PixelSpace pixels(d.screen.Dc());
    const Rect p = Pixels(place);
    ::BitBlt(d.screen.Dc(), p.left, p.top, p.right - p.left, p.bottom - p.top, d.source.Get(), 0, 0, SRCCOPY);
  }
  Present(Intersection(place, {0, 0, width_, height_}));
}

TSize Win32SpeedButtons::TextExtent(const TSpeedButton2&, const std::string& caption, const TButtonFont& font) {
  if (caption.empty()) return {};
  HDC dc = drawing_->screen.Dc();
  SelectedObject selected(dc, drawing_->Font(font, font.underline));
  RECT r{0, 0, 0, 0};
  ::DrawTextA(dc, caption.data(), static_cast<int>(caption.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  return {r.right - r.left, r.bottom - r.top};
}

bool Win32SpeedButtons::Showing() { return ::IsWindowVisible(ToHwnd(window_)) != FALSE; }

bool Win32SpeedButtons::Message(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result) {
  HWND window = ToHwnd(window_);
  const DpiScale scale(dpi_);
  const int x = scale.Units(static_cast<short>(LOWORD(lParam))), y = scale.Units(static_cast<short>(HIWORD(lParam)));
  switch (message) {
    case WM_PAINT: {
      const PaintDc dc(window);
      PaintWindow(dc.Get());
      result = 0;
      return true;
    }
    case WM_ERASEBKGND:
      result = 1;
      return true;
    case WM_MOUSEMOVE:
      MakeTips();
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window, 0};
        tracking_ = ::TrackMouseEvent(&track) != FALSE;
      }
      parent_.MouseMove(x, y);
      return false;
    case WM_MOUSELEAVE:
      tracking_ = false;
      parent_.MouseLeave();
      return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (!parent_.MouseDown(x, y, message == WM_LBUTTONDBLCLK)) return false;
      if (parent_.Captured()) ::SetCapture(window);
      result = 0;
      return true;
    case WM_LBUTTONUP:
      if (!parent_.Captured()) return false;
      // The capture goes before the click, whose handler may open a menu or
      // end the window.
      releasing_ = true;
      ::ReleaseCapture();
      releasing_ = false;
      parent_.MouseUp(x, y);
      result = 0;
      return true;
    case WM_CAPTURECHANGED:
      if (!releasing_ && reinterpret_cast<HWND>(lParam) != window) parent_.CaptureLost();
      return false;
    case WM_SYSCHAR:
      if (!parent_.AltKey(static_cast<char>(wParam))) return false;
      result = 0;
      return true;
    case WM_SETCURSOR: {
      if (LOWORD(lParam) != HTCLIENT) return false;
      POINT p;
      ::GetCursorPos(&p);
      ::ScreenToClient(window, &p);
      const TSpeedButton2* button = parent_.ButtonAt(scale.Units(p.x), scale.Units(p.y));
      if (!button || !button->HandCursor) return false;
      ::SetCursor(drawing_->hand);
      result = TRUE;
      return true;
    }
    default:
      return false;
  }
}

void Win32SpeedButtons::UpdateHint(size_t index) {
  Drawing& d = *drawing_;
  if (!d.tips) return;
  if (d.tools.size() <= index) d.tools.resize(index + 1, false);
  const TSpeedButton2& button = *parent_.Buttons()[index];
  TTTOOLINFOA tool{};
  tool.cbSize = kToolInfoSize;
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = ToHwnd(window_);
  tool.uId = index + 1;
  tool.rect = ToRECT(Pixels(button.Bounds()));
  std::string text = button.Hint;
  tool.lpszText = text.data();
  const bool wanted = button.Visible() && button.ShowHint && !button.Hint.empty();
  if (wanted && !d.tools[index]) {
    d.tools[index] = ::SendMessageA(d.tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
  } else if (wanted) {
    ::SendMessageA(d.tips, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageA(d.tips, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  } else if (d.tools[index]) {
    ::SendMessageA(d.tips, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    d.tools[index] = false;
  }
}

void Win32SpeedButtons::UpdateHints() {
  for (size_t i = 0; i < parent_.Buttons().size(); ++i) UpdateHint(i);
}

void Win32SpeedButtons::ShowHints(bool active) {
  drawing_->tipsActive = active;
  if (drawing_->tips) ::SendMessageA(drawing_->tips, TTM_ACTIVATE, active, 0);
}

std::string Win32SpeedButtons::HintShowing() const {
  HWND tips = drawing_->tips;
  if (!tips || !::IsWindowVisible(tips)) return "";
  TTTOOLINFOA tool{};
  tool.cbSize = kToolInfoSize;
  if (!::SendMessageA(tips, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&tool))) return "";
  char text[256] = "";
  tool.lpszText = text;
  ::SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  return text;
}

}  // namespace strevo
