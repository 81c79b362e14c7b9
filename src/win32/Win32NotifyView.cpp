#include "win32/Win32NotifyView.h"

#include <windows.h>

#include "ui/NotifyFrm.h"
#include "ui/Picture.h"
#include "win32/Win32Gdi.h"

namespace strevo {

namespace {

HWND hwnd(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

// Colours are the design's 0xBBGGRR values.
COLORREF FromDesign(uint32_t value) { return static_cast<COLORREF>(value); }

constexpr COLORREF kPanelColour = 0xFFF6F3;
constexpr COLORREF kLinkColour = 0x840000;
constexpr COLORREF kBeginColour = RGB(0x2B, 0x5F, 0xA8);
constexpr COLORREF kBeginHover = RGB(0x3A, 0x75, 0xC8);
constexpr COLORREF kPlainHeader = RGB(0x1F, 0x45, 0x80);  // without the picture
constexpr RECT kHeader{0, 0, 489, 73};
constexpr RECT kBegin{72, 296, 72 + 180, 296 + 34};
constexpr RECT kSkip{276, 300, 276 + 191, 300 + 22};
constexpr RECT kSettings{316, 340, 316 + 191, 340 + 22};

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

void Text(HDC dc, HFONT font, COLORREF colour, const std::string& text, RECT area, UINT format) {
  SelectedObject selected(dc, font);
  ::SetTextColor(dc, colour);
  ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, format | DT_NOPREFIX);
}

}  // namespace

struct Win32NotifyView::Resources {
  GdiObject<HFONT> title{MakeFont("Verdana", -21, true)};
  GdiObject<HFONT> text{MakeFont("Verdana", -13, false)};
  GdiObject<HFONT> bold{MakeFont("Verdana", -13, true)};
  GdiObject<HFONT> link{MakeFont("Verdana", -13, true, true)};
  GdiObject<HFONT> smallLink{MakeFont("Verdana", -12, true, true)};
  HCURSOR hand = nullptr;
  TPicture header, bullet;
  BackBuffer buffer;
};

Win32NotifyView::Win32NotifyView(Win32MessageLoop& loop, WindowHandle owner)
    : Win32ModalWindow(loop), resources_(std::make_unique<Resources>()) {
  whiteBackground_ = true;
  resources_->hand = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
  // The pictures of the installation, from the program folder; a missing or
  // damaged one leaves its place plain.
  LoadPicture("header.jpg", resources_->header);
  LoadPicture("bullet.gif", resources_->bullet);
  CreateWindowOf({"TNotifyForm", 0, COLOR_WINDOW},
                 CentredPlacement("Strevo", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, WS_EX_DLGMODALFRAME,
                                  kClientWidth, kClientHeight, owner));
}

Win32NotifyView::~Win32NotifyView() { DestroyWindow(); }

bool Win32NotifyView::HeaderLoaded() const { return !resources_->header.Empty(); }
bool Win32NotifyView::BulletLoaded() const { return !resources_->bullet.Empty(); }

void Win32NotifyView::Hide() {
  if (!ModalShowing()) ::ShowWindow(hwnd(handle_), SW_HIDE);
}

ModalResult Win32NotifyView::ShowModal(TNotifyForm& form) {
  form_ = &form;
  ::SetWindowTextA(hwnd(handle_), form.Caption.c_str());
  ::InvalidateRect(hwnd(handle_), nullptr, FALSE);
  const ModalResult result = RunModal(0);
  form_ = nullptr;
  hover_ = Part::None;
  return result;
}

Win32NotifyView::Part Win32NotifyView::PartAt(int x, int y) const {
  if (Inside(kBegin, x, y)) return Part::Begin;
  if (Inside(kSkip, x, y)) return Part::Skip;
  if (Inside(kSettings, x, y)) return Part::Settings;
  if (Inside(kHeader, x, y)) return Part::Header;
  return Part::None;
}

void Win32NotifyView::Press(Part part) {
  if (!form_) return;
  switch (part) {
    case Part::Begin: form_->ReviewNowClick(); break;
    case Part::Skip: form_->DonotReviewBtn2Click(); break;
    case Part::Settings: form_->SettingsBtnClick(); break;
    case Part::Header: form_->Image2Click(); break;
    default: break;
  }
}

bool Win32NotifyView::KeyPressed(int key) { return form_ && form_->FormShortCut(key); }

void Win32NotifyView::Paint(void* target) {
  HDC screen = static_cast<HDC>(target);
  Resources& r = *resources_;
  if (r.buffer.Width() != kClientWidth && !r.buffer.Create(screen, kClientWidth, kClientHeight)) return;
  HDC dc = r.buffer.Dc();
  RECT all{0, 0, kClientWidth, kClientHeight};
  ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  ::SetBkMode(dc, TRANSPARENT);
  if (!DrawPicture(dc, kHeader.left, kHeader.top, r.header)) {
    GdiObject<HBRUSH> plain(::CreateSolidBrush(kPlainHeader));
    ::FillRect(dc, &kHeader, plain.Get());
  }
  if (form_) {
    const TNotifyForm& f = *form_;
    Text(dc, r.title.Get(), RGB(0, 0, 0), f.ProductNameLbl, {20, 79, 480, 108}, DT_LEFT | DT_SINGLELINE);
    Text(dc, r.text.Get(), RGB(0, 0, 0), f.Description, {20, 113, 20 + 405, 113 + 32}, DT_LEFT | DT_WORDBREAK);
    // The shaded panel with the three rows.
    GdiObject<HBRUSH> panel(::CreateSolidBrush(kPanelColour));
    RECT shape{13, 153, 13 + 465, 153 + 137};
    ::FillRect(dc, &shape, panel.Get());
    Text(dc, r.bold.Get(), RGB(0, 0, 0), f.PractiseCommentLbl, {24, 162, 470, 180}, DT_LEFT | DT_SINGLELINE);
    Text(dc, r.text.Get(), RGB(0, 0, 0), f.PractiseComment2Lbl, {24, 184, 470, 202}, DT_LEFT | DT_SINGLELINE);
    struct Row {
      int y;
      const std::string& label;
      const TNotifyForm::Gauge& gauge;
      const std::string& info;
    };
    const Row rows[] = {{212, f.DiffKeysLbl, f.KeyIndexGraph, f.KeyInfoLbl},
                        {236, f.DiffCapitalsLbl, f.CapitalIndexGraph, f.CapitalInfoLbl},
                        {260, f.DiffWordsLbl, f.WordIndexGraph, f.WordInfoLbl}};
    for (const Row& row : rows) {
      DrawPicture(dc, 27, row.y, r.bullet);
      Text(dc, r.text.Get(), RGB(0, 0, 0), row.label, {42, row.y - 2, 150, row.y + 14}, DT_LEFT | DT_SINGLELINE);
      RECT frame{152, row.y, 152 + 100, row.y + 10};
      ::FrameRect(dc, &frame, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
      const int filled = std::max(0, std::min(100, row.gauge.progress)) * 98 / 100;
      if (filled > 0) {
        GdiObject<HBRUSH> bar(::CreateSolidBrush(FromDesign(row.gauge.colour)));
        RECT inner{153, row.y + 1, 153 + filled, row.y + 9};
        ::FillRect(dc, &inner, bar.Get());
      }
      Text(dc, r.text.Get(), RGB(0, 0, 0), row.info, {264, row.y - 4, 476, row.y + 14}, DT_LEFT | DT_SINGLELINE);
    }
    // "Begin Training": a picture-like button that lightens under the mouse.
    GdiObject<HBRUSH> begin(::CreateSolidBrush(hover_ == Part::Begin ? kBeginHover : kBeginColour));
    GdiObject<HPEN> none(::CreatePen(PS_NULL, 0, 0));
    {
      SelectedObject brush(dc, begin.Get());
      SelectedObject pen(dc, none.Get());
      ::RoundRect(dc, kBegin.left, kBegin.top, kBegin.right + 1, kBegin.bottom + 1, 10, 10);
    }
    Text(dc, r.bold.Get(), RGB(255, 255, 255), f.BeginCaption, kBegin, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    Text(dc, r.link.Get(), hover_ == Part::Skip ? RGB(0, 0, 0) : kLinkColour, f.DonotReviewCaption, kSkip,
         DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    Text(dc, r.text.Get(), RGB(0x40, 0x40, 0x40), f.Label2, {20, 344, 20 + 293, 344 + 17},
         DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
    Text(dc, r.smallLink.Get(), hover_ == Part::Settings ? RGB(0, 0, 0) : kLinkColour, f.SettingsCaption, kSettings,
         DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  }
  ::BitBlt(screen, 0, 0, kClientWidth, kClientHeight, dc, 0, 0, SRCCOPY);
}

intptr_t Win32NotifyView::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd(handle_), &ps);
      Paint(dc);
      ::EndPaint(hwnd(handle_), &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE: {
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd(handle_), 0};
        tracking_ = ::TrackMouseEvent(&track) != FALSE;
      }
      const Part part = PartAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      if (part != hover_) {
        hover_ = part;
        ::InvalidateRect(hwnd(handle_), nullptr, FALSE);
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      tracking_ = false;
      if (hover_ != Part::None) {
        hover_ = Part::None;
        ::InvalidateRect(hwnd(handle_), nullptr, FALSE);
      }
      return 0;
    case WM_SETCURSOR:
      if (hover_ != Part::None && LOWORD(lParam) == HTCLIENT) {
        ::SetCursor(resources_->hand);
        return TRUE;
      }
      break;
    case WM_LBUTTONUP:
      Press(PartAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))));
      return 0;
    default:
      break;
  }
  return Win32ModalWindow::WindowProc(message, wParam, lParam);
}

}  // namespace strevo
