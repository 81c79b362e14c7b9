#include "win32/Win32LogonView.h"

#include <windows.h>

#include <vector>

#include "ui/ULoginForm.h"
#include "win32/Win32Dwm.h"
#include "win32/Win32Gdi.h"

namespace strevo {

namespace {

HWND hwnd(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

enum ControlId {
  kNameField = 10,
  kInfoLbl,
  kLabel1,
  kNewUserBtn,
  kBackBtn,
  kCancelBtn,
  kGoBtn,
  kDontShowAgain,
  kCloseBtn,
};

struct ControlName {
  int id;
  const char* name;
};
constexpr ControlName kNames[] = {
    {kNameField, "NameField"},   {kInfoLbl, "InfoLbl"}, {kLabel1, "Label1"},
    {kNewUserBtn, "NewUserBtn"}, {kBackBtn, "BackBtn"}, {kCancelBtn, "CancelBtn"},
    {kGoBtn, "GoBtn"},           {kDontShowAgain, "DontShowAgain"}, {kCloseBtn, "CloseBtn"},
};

const char* NameOf(int id) {
  for (const ControlName& c : kNames)
    if (c.id == id) return c.name;
  return "";
}

constexpr int kHeaderHeight = 73;
constexpr COLORREF kPlainHeader = RGB(0x1F, 0x45, 0x80);  // without the picture

// Fills a rectangle with the part of the header picture at (left, top) of
// the window; plain when the picture could not be loaded.
void FillHeader(HDC dc, const RECT& area, const TPicture& header, int left, int top) {
  if (DrawPicture(dc, area.left, area.top, header, left, top, area.right - area.left, area.bottom - area.top)) return;
  GdiObject<HBRUSH> brush(::CreateSolidBrush(kPlainHeader));
  ::FillRect(dc, &area, brush.Get());
}

constexpr COLORREF kLinkColour = RGB(0x00, 0x00, 0x84);  // 0x840000 in the 0xBBGGRR notation: dark blue
constexpr COLORREF kGoColour = RGB(0x2B, 0x5F, 0xA8);

std::string TextOf(HWND window) {
  std::vector<char> buffer(static_cast<size_t>(::GetWindowTextLengthA(window)) + 1);
  const int n = ::GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace

struct Win32LogonView::Resources {
  GdiObject<HFONT> verdana{MakeFont("Verdana", -13, false)};
  GdiObject<HFONT> verdanaBold{MakeFont("Verdana", -13, true)};
  GdiObject<HFONT> link{MakeFont("Verdana", -13, false, true)};
  GdiObject<HFONT> product{MakeFont("Segoe UI", -24, true)};
  GdiObject<HFONT> button{MakeFont("Segoe UI", -15, true)};
  HCURSOR hand = nullptr;
  TPicture header;  // from the program folder; plain without it
};

Win32LogonView::Win32LogonView(Win32MessageLoop& loop, WindowHandle owner)
    : Win32ModalWindow(loop), resources_(std::make_unique<Resources>()) {
  whiteBackground_ = true;
  resources_->hand = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
  LoadPicture("header.jpg", resources_->header);
  CreateWindowOf({"TLogForm", 0, COLOR_WINDOW},
                 CentredPlacement("Login", WS_POPUP | WS_CLIPCHILDREN, 0, kClientWidth, kClientHeight, owner));
  HWND window = hwnd(handle_);
  HINSTANCE module = reinterpret_cast<HINSTANCE>(ModuleInstance());
  auto make = [&](const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id) {
    return ::CreateWindowExA(0, cls, text, WS_CHILD | style, x, y, w, h, window,
                             reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), module, nullptr);
  };
  HWND info = make("STATIC", "", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 16, 80, 417, 33, kInfoLbl);
  HWND label = make("STATIC", "User name", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 16, 120, 140, 18, kLabel1);
  HWND name = make("COMBOBOX", "", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 160, 118,
                   193, 200, kNameField);
  // Only one of the two links shows at a time; both sit under the name field.
  HWND newUser = make("BUTTON", "New user", BS_OWNERDRAW | WS_TABSTOP, 160, 143, 161, 20, kNewUserBtn);
  HWND back = make("BUTTON", "View existing users", BS_OWNERDRAW | WS_TABSTOP, 160, 143, 161, 20, kBackBtn);
  HWND cancel = make("BUTTON", "Cancel", WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 48, 216, 153, 34, kCancelBtn);
  HWND go = make("BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW, 224, 216, 153, 34, kGoBtn);
  HWND dontShow = make("BUTTON", "Don't show this window again", WS_TABSTOP | BS_AUTOCHECKBOX, 16, 264, 300, 20,
                       kDontShowAgain);
  make("BUTTON", "", WS_VISIBLE | BS_OWNERDRAW, 416, 7, 20, 21, kCloseBtn);
  for (HWND w : {info, name, dontShow}) ::SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(resources_->verdana.Get()), FALSE);
  ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(resources_->verdanaBold.Get()), FALSE);
  for (HWND w : {newUser, back}) ::SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(resources_->link.Get()), FALSE);
  for (HWND w : {cancel, go}) ::SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(resources_->button.Get()), FALSE);
  if (!RequestCornerPreference(handle_, 2)) {
    ::SetWindowRgn(window, ::CreateRoundRectRgn(0, 0, kClientWidth + 1, kClientHeight + 1, 24, 24), FALSE);
    roundedByRegion_ = true;
  }
}

Win32LogonView::~Win32LogonView() { DestroyWindow(); }

WindowHandle Win32LogonView::Control(const std::string& name) const {
  for (const ControlName& c : kNames)
    if (name == c.name) return reinterpret_cast<WindowHandle>(::GetDlgItem(hwnd(handle_), c.id));
  return 0;
}

ModalResult Win32LogonView::ShowModal(TLogForm& form) {
  form_ = &form;
  productName_ = form.ProductName;
  Load();
  // Centred again on every showing: the screen may have changed.
  RECT r;
  ::GetWindowRect(hwnd(handle_), &r);
  ::SetWindowPos(hwnd(handle_), HWND_TOP, (::GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
                 (::GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  const ModalResult result = RunModal(Control("NameField"));
  form.DontShowAgainChecked = ::IsDlgButtonChecked(hwnd(handle_), kDontShowAgain) == BST_CHECKED;
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
  HWND window = hwnd(handle_);
  ::SetDlgItemTextA(window, kInfoLbl, f.InfoText.c_str());
  ::SetDlgItemTextA(window, kLabel1, f.NameLabel.c_str());
  ::SetDlgItemTextA(window, kNewUserBtn, f.NewUserCaption.c_str());
  ::SetDlgItemTextA(window, kBackBtn, f.BackCaption.c_str());
  ::SetDlgItemTextA(window, kGoBtn, f.GoCaption.c_str());
  ::SetDlgItemTextA(window, kCancelBtn, f.CancelCaption.c_str());
  ::SetDlgItemTextA(window, kDontShowAgain, f.DontShowAgainCaption.c_str());
  ::ShowWindow(::GetDlgItem(window, kNewUserBtn), f.NewUserBtnVisible ? SW_SHOWNA : SW_HIDE);
  ::ShowWindow(::GetDlgItem(window, kBackBtn), f.BackBtnVisible ? SW_SHOWNA : SW_HIDE);
  ::ShowWindow(::GetDlgItem(window, kDontShowAgain), f.DontShowAgainVisible ? SW_SHOWNA : SW_HIDE);
  ::CheckDlgButton(window, kDontShowAgain, f.DontShowAgainChecked ? BST_CHECKED : BST_UNCHECKED);
  HWND name = ::GetDlgItem(window, kNameField);
  ::SendMessageA(name, CB_RESETCONTENT, 0, 0);
  for (const std::string& entry : f.NameList)
    ::SendMessageA(name, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
  ::SetWindowTextA(name, f.NameText.c_str());
  ::SetFocus(name);
  ::InvalidateRect(window, nullptr, TRUE);
}

void Win32LogonView::Pull() {
  if (!form_) return;
  form_->NameText = TextOf(::GetDlgItem(hwnd(handle_), kNameField));
  form_->DontShowAgainChecked = ::IsDlgButtonChecked(hwnd(handle_), kDontShowAgain) == BST_CHECKED;
}

// The form's handlers may ask through message boxes (an unknown name, a
// name already taken); meanwhile the window takes no second press, and it
// is in front again afterwards.
bool Win32LogonView::RunHandler(const std::function<bool()>& handler) {
  HWND window = hwnd(handle_);
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

void Win32LogonView::Paint() {
  PAINTSTRUCT ps;
  HWND window = hwnd(handle_);
  HDC dc = ::BeginPaint(window, &ps);
  RECT client;
  ::GetClientRect(window, &client);
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
  ::EndPaint(window, &ps);
}

void Win32LogonView::DrawItem(const void* data) {
  const auto* item = static_cast<const DRAWITEMSTRUCT*>(data);
  HDC dc = item->hDC;
  RECT r = item->rcItem;
  const bool pressed = item->itemState & ODS_SELECTED;
  const std::string text = TextOf(item->hwndItem);
  ::SetBkMode(dc, TRANSPARENT);
  switch (item->CtlID) {
    case kCloseBtn: {
      RECT place;
      ::GetWindowRect(item->hwndItem, &place);
      ::MapWindowPoints(nullptr, hwnd(handle_), reinterpret_cast<POINT*>(&place), 2);
      FillHeader(dc, r, resources_->header, place.left, place.top);
      GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 2, RGB(255, 255, 255)));
      SelectedObject selected(dc, pen.Get());
      const int o = pressed ? 1 : 0;
      ::MoveToEx(dc, r.left + 5 + o, r.top + 6 + o, nullptr);
      ::LineTo(dc, r.right - 5 + o, r.bottom - 5 + o);
      ::MoveToEx(dc, r.right - 6 + o, r.top + 6 + o, nullptr);
      ::LineTo(dc, r.left + 4 + o, r.bottom - 5 + o);
      return;
    }
    case kNewUserBtn:
    case kBackBtn:
      ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
      ::SetTextColor(dc, pressed ? RGB(0x00, 0x0E, 0xCA) : kLinkColour);
      ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
      break;
    default: {  // the OK and Cancel picture buttons
      ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
      const bool go = item->CtlID == kGoBtn;
      GdiObject<HBRUSH> fill(::CreateSolidBrush(go ? kGoColour : RGB(0xE6, 0xE6, 0xE6)));
      GdiObject<HPEN> edge(::CreatePen(PS_SOLID, 1, go ? RGB(0x1A, 0x45, 0x80) : RGB(0xB0, 0xB0, 0xB0)));
      {
        SelectedObject b(dc, fill.Get());
        SelectedObject p(dc, edge.Get());
        ::RoundRect(dc, r.left, r.top, r.right, r.bottom, 10, 10);
      }
      if (pressed) ::OffsetRect(&r, 1, 1);
      ::SetTextColor(dc, go ? RGB(255, 255, 255) : RGB(0x30, 0x30, 0x30));
      std::string caption;
      for (char c : text)
        if (c != '&') caption += c;
      ::DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      break;
    }
  }
  if (item->itemState & ODS_FOCUS) {
    RECT focus = item->rcItem;
    ::InflateRect(&focus, -3, -3);
    ::DrawFocusRect(dc, &focus);
  }
}

intptr_t Win32LogonView::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_DRAWITEM:
      DrawItem(reinterpret_cast<const void*>(lParam));
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        const int id = LOWORD(wParam);
        if (id == kGoBtn || id == kCancelBtn || id == kCloseBtn || id == kNewUserBtn || id == kBackBtn) {
          Click(NameOf(id));
          return 0;
        }
      }
      break;
    case WM_SETCURSOR: {
      const int id = ::GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
      if (id == kNewUserBtn || id == kBackBtn || id == kGoBtn || id == kCancelBtn || id == kCloseBtn) {
        ::SetCursor(resources_->hand);
        return TRUE;
      }
      break;
    }
    case WM_NCHITTEST: {
      // The header moves the window.
      POINT p{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ::ScreenToClient(hwnd(handle_), &p);
      if (p.y < kHeaderHeight) return HTCAPTION;
      break;
    }
    default:
      break;
  }
  return Win32ModalWindow::WindowProc(message, wParam, lParam);
}

}  // namespace strevo
