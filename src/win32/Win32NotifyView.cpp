#include "win32/Win32NotifyView.h"

#include <windows.h>

#include "ui/NotifyFrm.h"
#include "ui/Picture.h"
#include "ui/SpeedButton2.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32Gdi.h"
#include "win32/Win32SpeedButton.h"

namespace strevo {

namespace {

// Colours are the design's 0xBBGGRR values.
COLORREF FromDesign(uint32_t value) { return static_cast<COLORREF>(value); }

constexpr COLORREF kPanelColour = 0xFFF6F3;
constexpr uint32_t kLinkColour = 0x840000;
constexpr COLORREF kPlainHeader = RGB(0x1F, 0x45, 0x80);  // without the picture
constexpr RECT kHeader{0, 0, 489, 73};

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
  HCURSOR hand = nullptr;
  TPicture header, bullet;
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
  CreateButtons();
}

Win32NotifyView::~Win32NotifyView() { DestroyWindow(); }

// The begin button, a picture stretched to its width, and the two links.
void Win32NotifyView::CreateButtons() {
  buttons_ = std::make_unique<Win32SpeedButtons>(handle_, kClientWidth, kClientHeight);
  TButtonParent& parent = buttons_->Parent();
  TSpeedButton2& begin = parent.Add("BeginBtn", 72, 296, 180, 34);
  begin.SetFont({"Verdana", -13, true, false, 0xFFFFFF});
  begin.SetFontHoverColor(0xFFFFFF);
  begin.SetFontDisabledColor(0xC8B8A4);
  begin.SetPictureStretch(true);
  begin.SetPicture(ButtonPicture("begin"));
  begin.SetPictureHover(ButtonPicture("begin-hover"));
  begin.SetLayout(TButtonLayout::GlyphTop);
  begin.SetMargin(7);
  begin.SetSpacing(0);
  begin.OnClick = [this] {
    if (form_) form_->ReviewNowClick();
  };
  TSpeedButton2& skip = parent.Add("DonotReviewBtn", 276, 300, 191, 22);
  skip.SetFont({"Verdana", -13, true, true, kLinkColour});
  skip.SetFontHoverColor(0x000000);
  skip.SetMargin(0);
  skip.SetSpacing(5);
  skip.OnClick = [this] {
    if (form_) form_->DonotReviewBtn2Click();
  };
  // Inside the window, ending with the panel above it.
  TSpeedButton2& settings = parent.Add("SettingsBtn", 316, 340, 162, 22);
  settings.SetFont({"Verdana", -12, true, true, kLinkColour});
  settings.SetMargin(0);
  settings.OnClick = [this] {
    if (form_) form_->SettingsBtnClick();
  };
  for (const auto& button : parent.Buttons()) {
    button->SetFlat(true);
    button->SetNoFrame(true);
    button->HandCursor = true;
    button->ShowHint = false;
  }
}

bool Win32NotifyView::HeaderLoaded() const { return !resources_->header.Empty(); }
bool Win32NotifyView::BulletLoaded() const { return !resources_->bullet.Empty(); }

void Win32NotifyView::Hide() {
  if (!ModalShowing()) ::ShowWindow(ToHwnd(handle_), SW_HIDE);
}

ModalResult Win32NotifyView::ShowModal(TNotifyForm& form) {
  form_ = &form;
  ::SetWindowTextA(ToHwnd(handle_), form.Caption.c_str());
  Load();
  const ModalResult result = RunModal(0);
  form_ = nullptr;
  return result;
}

Win32NotifyView::Part Win32NotifyView::PartAt(int x, int y) const {
  if (const TSpeedButton2* button = buttons_->Parent().ButtonAt(x, y, true)) {
    if (button->Name() == "BeginBtn") return Part::Begin;
    if (button->Name() == "DonotReviewBtn") return Part::Skip;
    return Part::Settings;
  }
  if (Inside(kHeader, x, y)) return Part::Header;
  return Part::None;
}

bool Win32NotifyView::KeyPressed(int key) { return form_ && form_->FormShortCut(key); }

bool Win32NotifyView::AltKey(int key) { return buttons_->Parent().AltKey(static_cast<char>(key)); }

void Win32NotifyView::Load() {
  if (form_) {
    buttons_->Button("BeginBtn").SetCaption(form_->BeginCaption);
    buttons_->Button("DonotReviewBtn").SetCaption(form_->DonotReviewCaption);
    buttons_->Button("SettingsBtn").SetCaption(form_->SettingsCaption);
  }
  DrawBackground();
  buttons_->Compose();
  ::InvalidateRect(ToHwnd(handle_), nullptr, FALSE);
}

void Win32NotifyView::DpiChanged() {
  buttons_->SetDpi(dpi_);
  DrawBackground();
  buttons_->Compose();
}

void Win32NotifyView::DrawBackground() {
  Resources& r = *resources_;
  HDC dc = static_cast<HDC>(buttons_->Background());
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
    Text(dc, r.text.Get(), RGB(0x40, 0x40, 0x40), f.Label2, {20, 344, 20 + 293, 344 + 17},
         DT_LEFT | DT_SINGLELINE | DT_END_ELLIPSIS);
  }
}

intptr_t Win32NotifyView::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!buttons_) return Win32ModalWindow::WindowProc(message, wParam, lParam);
  intptr_t result = 0;
  switch (message) {
    case WM_SETCURSOR: {
      if (buttons_->Message(message, wParam, lParam, result)) return result;
      // The header opens the tutor's page.
      POINT p;
      ::GetCursorPos(&p);
      ::ScreenToClient(ToHwnd(handle_), &p);
      const DpiScale scale(dpi_);
      if (LOWORD(lParam) == HTCLIENT && PartAt(scale.Units(p.x), scale.Units(p.y)) == Part::Header) {
        ::SetCursor(resources_->hand);
        return TRUE;
      }
      break;
    }
    case WM_LBUTTONUP:
      if (buttons_->Message(message, wParam, lParam, result)) return result;
      if (const DpiScale scale(dpi_); form_ && PartAt(scale.Units(static_cast<short>(LOWORD(lParam))),
                                                       scale.Units(static_cast<short>(HIWORD(lParam)))) == Part::Header)
        form_->Image2Click();
      return 0;
    default:
      if (buttons_->Message(message, wParam, lParam, result)) return result;
      break;
  }
  return Win32ModalWindow::WindowProc(message, wParam, lParam);
}

}  // namespace strevo
