#include "win32/Win32LogonView.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "ui/SpeedButton2.h"
#include "ui/ULoginForm.h"
#include "win32/Win32Dwm.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32Gdi.h"
#include "win32/Win32SpeedButton.h"

namespace strevo {

namespace {

enum ControlId {
  kNameField = 10,
  kInfoLbl,
  kLabel1,
  kDontShowAgain,
};

struct ControlName {
  int id;
  const char* name;
};
constexpr ControlName kNames[] = {
    {kNameField, "NameField"}, {kInfoLbl, "InfoLbl"}, {kLabel1, "Label1"}, {kDontShowAgain, "DontShowAgain"}};

constexpr int kHeaderHeight = 73;
constexpr COLORREF kPlainHeader = RGB(0x1F, 0x45, 0x80);  // without the picture

// Fills a rectangle with the part of the header picture at (left, top) of
// the window; plain when the picture could not be loaded.
void FillHeader(HDC dc, const RECT& area, const TPicture& header, int left, int top) {
  if (DrawPicture(dc, area.left, area.top, header, left, top, area.right - area.left, area.bottom - area.top)) return;
  GdiObject<HBRUSH> brush(::CreateSolidBrush(kPlainHeader));
  ::FillRect(dc, &area, brush.Get());
}

constexpr uint32_t kLinkColour = 0x840000, kLinkHoverColour = 0xCA0E00;  // 0xBBGGRR: dark blue, blue

std::string TextOf(HWND window) {
  std::vector<char> buffer(static_cast<size_t>(::GetWindowTextLengthA(window)) + 1);
  const int n = ::GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace

struct Win32LogonView::Resources {
  // The standard controls' fonts, at the window's DPI.
  GdiObject<HFONT> verdana, verdanaBold;
  // Drawn in 96-DPI units on the window's picture.
  GdiObject<HFONT> product{MakeFont("Segoe UI", -24, true)};
  TPicture header;  // from the program folder; plain without it

  void MakeFonts(int dpi) {
    verdana = MakeFont("Verdana", DpiScale(dpi)(-13), false);
    verdanaBold = MakeFont("Verdana", DpiScale(dpi)(-13), true);
  }
};

Win32LogonView::Win32LogonView(Win32MessageLoop& loop, WindowHandle owner)
    : Win32ModalWindow(loop), resources_(std::make_unique<Resources>()) {
  whiteBackground_ = true;
  LoadPicture("header.jpg", resources_->header);
  CreateWindowOf({"TLogForm", 0, COLOR_WINDOW},
                 CentredPlacement("Login", WS_POPUP | WS_CLIPCHILDREN, 0, kClientWidth, kClientHeight, owner));
  HWND window = ToHwnd(handle_);
  HINSTANCE module = reinterpret_cast<HINSTANCE>(ModuleInstance());
  const DpiScale s(dpi_);
  resources_->MakeFonts(dpi_);
  auto make = [&](const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
    return ::CreateWindowExA(0, cls, text, WS_CHILD | style, s(x), s(y), s(w), s(h), window,
                             reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), module, nullptr);
  };
  HWND info = make("STATIC", "", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 16, 80, 417, 33, kInfoLbl);
  HWND label = make("STATIC", "User name", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 16, 120, 140, 18, kLabel1);
  HWND name = make("COMBOBOX", "", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 160, 118,
                   193, 200, kNameField);
  HWND dontShow = make("BUTTON", "Don't show this window again", WS_TABSTOP | BS_AUTOCHECKBOX, 16, 264, 300, 20,
                       kDontShowAgain);
  (void)info, (void)label, (void)name, (void)dontShow;
  SetFonts(FALSE);
  if (!RequestCornerPreference(handle_, 2)) {
    ::SetWindowRgn(window, ::CreateRoundRectRgn(0, 0, s(kClientWidth) + 1, s(kClientHeight) + 1, s(24), s(24)), FALSE);
    roundedByRegion_ = true;
  }
  CreateButtons();
}

void Win32LogonView::SetFonts(bool redraw) {
  HWND window = ToHwnd(handle_);
  for (int id : {kInfoLbl, kNameField, kDontShowAgain})
    ::SendDlgItemMessageA(window, id, WM_SETFONT, reinterpret_cast<WPARAM>(resources_->verdana.Get()), redraw);
  ::SendDlgItemMessageA(window, kLabel1, WM_SETFONT, reinterpret_cast<WPARAM>(resources_->verdanaBold.Get()), redraw);
}

// The controls were moved for the new DPI; their fonts, the rounded region
// and the drawn picture follow.
void Win32LogonView::DpiChanged() {
  const GdiObject<HFONT> oldText = std::move(resources_->verdana), oldBold = std::move(resources_->verdanaBold);
  resources_->MakeFonts(dpi_);
  SetFonts(TRUE);
  const DpiScale s(dpi_);
  if (roundedByRegion_)
    ::SetWindowRgn(ToHwnd(handle_), ::CreateRoundRectRgn(0, 0, s(kClientWidth) + 1, s(kClientHeight) + 1, s(24), s(24)),
                   TRUE);
  buttons_->SetDpi(dpi_);
  DrawBackground();
  buttons_->Compose();
}

Win32LogonView::~Win32LogonView() { DestroyWindow(); }

// The close button on the header, the two links (only one shows at a time;
// both sit under the name field) and the two picture buttons.
void Win32LogonView::CreateButtons() {
  buttons_ = std::make_unique<Win32SpeedButtons>(handle_, kClientWidth, kClientHeight);
  TButtonParent& parent = buttons_->Parent();
  TSpeedButton2& close = parent.Add("CloseBtn", 416, 7, 20, 21);
  close.SetGlyph(ButtonPicture("close"));
  close.SetPictureHover(ButtonPicture("close-hover"));
  close.SetFontHaveUnderline(true);
  const TButtonFont link{"Verdana", -13, false, true, kLinkColour};
  for (const char* name : {"NewUserBtn", "BackBtn"}) {
    TSpeedButton2& button = parent.Add(name, 160, 143, 161, 20);
    button.SetFont(link);
    button.SetFontHoverColor(kLinkHoverColour);
    button.SetMargin(0);
    button.SetVisible(false);
  }
  const TButtonFont face{"Segoe UI", -15, true, false, 0x303030};
  TSpeedButton2& cancel = parent.Add("CancelBtn", 48, 216, 153, 34);
  cancel.SetFont(face);
  cancel.SetFontHoverColor(face.colour);
  cancel.SetPicture(ButtonPicture("cancel"));
  cancel.SetPictureHover(ButtonPicture("cancel-hover"));
  TSpeedButton2& go = parent.Add("GoBtn", 224, 216, 153, 34);
  go.SetFont({"Segoe UI", -15, true, false, 0xFFFFFF});
  go.SetFontHoverColor(0xFFFFFF);
  go.SetPicture(ButtonPicture("begin"));
  go.SetPictureHover(ButtonPicture("begin-hover"));
  for (TSpeedButton2* button : {&cancel, &go}) {
    button->SetPictureStretch(true);
    button->SetLayout(TButtonLayout::GlyphTop);
  }
  for (const auto& button : parent.Buttons()) {
    button->SetFlat(true);
    button->SetNoFrame(true);
    button->HandCursor = true;
    button->ShowHint = false;
    button->OnClick = [this, name = button->Name()] { Click(name); };
  }
}

WindowHandle Win32LogonView::Control(const std::string& name) const {
  for (const ControlName& c : kNames)
    if (name == c.name) return FromHwnd(::GetDlgItem(ToHwnd(handle_), c.id));
  return 0;
}

ModalResult Win32LogonView::ShowModal(TLogForm& form) {
  form_ = &form;
  productName_ = form.ProductName;
  Load();
  // Centred again on every showing: the screen may have changed.
  RECT r;
  ::GetWindowRect(ToHwnd(handle_), &r);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoA(::MonitorFromWindow(ToHwnd(handle_), MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& screen = monitor.rcMonitor;
  ::SetWindowPos(ToHwnd(handle_), HWND_TOP, (screen.left + screen.right - (r.right - r.left)) / 2,
                 (screen.top + screen.bottom - (r.bottom - r.top)) / 2, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  const ModalResult result = RunModal(Control("NameField"));
  form.DontShowAgainChecked = ::IsDlgButtonChecked(ToHwnd(handle_), kDontShowAgain) == BST_CHECKED;
  form_ = nullptr;
  return result;
}

void Win32LogonView::EndModal(ModalResult result) {
  if (!Showing()) return;
  if (form_) form_->Result = result;
  EndModalWith(result);
}

void Win32LogonView::Load() {
  if (!form_) return;
  const TLogForm& f = *form_;
  HWND window = ToHwnd(handle_);
  ::SetDlgItemTextA(window, kInfoLbl, f.InfoText.c_str());
  ::SetDlgItemTextA(window, kLabel1, f.NameLabel.c_str());
  ::SetDlgItemTextA(window, kDontShowAgain, f.DontShowAgainCaption.c_str());
  buttons_->Button("NewUserBtn").SetCaption(f.NewUserCaption);
  buttons_->Button("BackBtn").SetCaption(f.BackCaption);
  buttons_->Button("GoBtn").SetCaption(f.GoCaption);
  buttons_->Button("CancelBtn").SetCaption(f.CancelCaption);
  buttons_->Button("NewUserBtn").SetVisible(f.NewUserBtnVisible);
  buttons_->Button("BackBtn").SetVisible(f.BackBtnVisible);
  ::ShowWindow(::GetDlgItem(window, kDontShowAgain), f.DontShowAgainVisible ? SW_SHOWNA : SW_HIDE);
  ::CheckDlgButton(window, kDontShowAgain, f.DontShowAgainChecked ? BST_CHECKED : BST_UNCHECKED);
  HWND name = ::GetDlgItem(window, kNameField);
  ::SendMessageA(name, CB_RESETCONTENT, 0, 0);
  for (const std::string& entry : f.NameList)
    ::SendMessageA(name, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  ::SetWindowTextA(name, f.NameText.c_str());
  ::SetFocus(name);
  DrawBackground();
  buttons_->Compose();
  ::InvalidateRect(window, nullptr, TRUE);
}

void Win32LogonView::Pull() {
  if (!form_) return;
  form_->NameText = TextOf(::GetDlgItem(ToHwnd(handle_), kNameField));
  form_->DontShowAgainChecked = ::IsDlgButtonChecked(ToHwnd(handle_), kDontShowAgain) == BST_CHECKED;
}

// The form's handlers may ask through message boxes (an unknown name, a
// name already taken); meanwhile the window takes no second press, and it
// is in front again afterwards.
bool Win32LogonView::RunHandler(const std::function<bool()>& handler) {
  HWND window = ToHwnd(handle_);
  ::EnableWindow(window, FALSE);
  bool closes = false;
  try {
    closes = handler();
  } catch (...) {
    ::EnableWindow(window, TRUE);
    throw;
  }
  ::EnableWindow(window, TRUE);
  if (closes) {
    EndModalWith(form_->Result);
  } else {
    ::SetForegroundWindow(window);
    Load();
  }
  return closes;
}

void Win32LogonView::Click(const std::string& control) {
  if (!form_) return;
  Pull();
  RunHandler([&] { return form_->Click(control); });
}

bool Win32LogonView::AltKey(int key) { return buttons_->Parent().AltKey(static_cast<char>(key)); }

bool Win32LogonView::KeyPressed(int key) {
  if (!form_) return false;
  Pull();
  bool used = false;
  RunHandler([&] {
    bool closes = false;
    used = form_->ShortCut(key, closes);
    return closes;
  });
  return used;
}

void Win32LogonView::DrawBackground() {
  HDC dc = static_cast<HDC>(buttons_->Background());
  RECT client{0, 0, kClientWidth, kClientHeight};
  ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
  // The header picture.
  FillHeader(dc, RECT{0, 0, client.right, kHeaderHeight}, resources_->header, 0, 0);
  ::SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, RGB(255, 255, 255));
  {
    SelectedObject font(dc, resources_->product.Get());
    ::TextOutA(dc, 16, 4, productName_.data(), static_cast<int>(productName_.size()));
  }
  // The panel's single border, following the corners.
  GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 1, RGB(0xA0, 0xA0, 0xA0)));
  SelectedObject selectedPen(dc, pen.Get());
  SelectedObject brush(dc, ::GetStockObject(NULL_BRUSH));
  if (roundedByRegion_) ::RoundRect(dc, 0, 0, client.right, client.bottom, 24, 24);
  else ::Rectangle(dc, 0, 0, client.right, client.bottom);
}

intptr_t Win32LogonView::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!buttons_) return Win32ModalWindow::WindowProc(message, wParam, lParam);
  intptr_t result = 0;
  switch (message) {
    case WM_NCHITTEST: {
      // The header moves the window, except where a button is.
      POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ::ScreenToClient(ToHwnd(handle_), &p);
      const DpiScale scale(dpi_);
      if (scale.Units(p.y) < kHeaderHeight && !buttons_->Parent().ButtonAt(scale.Units(p.x), scale.Units(p.y), true))
        return HTCAPTION;
      break;
    }
    default:
      if (buttons_->Message(message, wParam, lParam, result)) return result;
      break;
  }
  return Win32ModalWindow::WindowProc(message, wParam, lParam);
}

}  // namespace strevo
