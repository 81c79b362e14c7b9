#include "win32/Win32CloseDialog.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "storage/LangRes.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32Gdi.h"

namespace strevo {

namespace {

enum Id { kQuestionLbl = 10, kPermanentChk, kOkBtn, kCancelBtn };
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_DLGFRAME | WS_CLIPCHILDREN;

}  // namespace

Win32CloseDialog::Win32CloseDialog(Win32MessageLoop& loop, WindowHandle owner) : Win32ModalWindow(loop) {
  whiteBackground_ = true;
  CreateWindowOf({"TCloseDlg", 0, COLOR_WINDOW},
                 CentredPlacement(LangStr(1287), kStyle, WS_EX_DLGMODALFRAME, kClientWidth, kClientHeight, owner));
  HWND window = ToHwnd(handle_);
  const DpiScale s(dpi_);
  questionFont_ = MakeFont("Segoe UI", s(-12), true);
  HINSTANCE module = reinterpret_cast<HINSTANCE>(ModuleInstance());
  auto make = [&](const char* cls, const std::string& text, DWORD style, int x, int y, int w, int h, int id) {
    HWND control = ::CreateWindowExA(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, s(x), s(y), s(w), s(h), window,
                                     reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), module, nullptr);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(dpi_)), FALSE);
    return control;
  };
  HWND question = make("STATIC", "", SS_LEFT | SS_NOPREFIX, 8, 8, 330, 18, kQuestionLbl);
  ::SendMessageA(question, WM_SETFONT, reinterpret_cast<WPARAM>(questionFont_.Get()), FALSE);
  make("BUTTON", LangStr(1288), BS_AUTOCHECKBOX | WS_TABSTOP, 8, 32, 318, 20, kPermanentChk);
  make("BUTTON", LangStr(1289), BS_DEFPUSHBUTTON | WS_TABSTOP, 89, 68, 75, 25, kOkBtn);
  make("BUTTON", LangStr(1290), BS_PUSHBUTTON | WS_TABSTOP, 182, 68, 75, 25, kCancelBtn);
}

// The window goes before the font its label uses.
Win32CloseDialog::~Win32CloseDialog() { DestroyWindow(); }

WindowHandle Win32CloseDialog::Control(const std::string& name) const {
  const int id = name == "QuestionLbl" ? kQuestionLbl
                 : name == "PermanentChk" ? kPermanentChk
                 : name == "OKBtn"        ? kOkBtn
                 : name == "CancelBtn"    ? kCancelBtn
                                          : 0;
  return id ? FromHwnd(::GetDlgItem(ToHwnd(handle_), id)) : 0;
}

ModalResult Win32CloseDialog::ShowModal(CloseDialogState& state) {
  HWND window = ToHwnd(handle_);
  ::SetWindowTextA(window, Localize().GetProductString(1).c_str());
  ::SetDlgItemTextA(window, kQuestionLbl, state.question.c_str());
  ::EnableWindow(::GetDlgItem(window, kPermanentChk), state.permanentEnabled);
  ::CheckDlgButton(window, kPermanentChk, state.permanentChecked ? BST_CHECKED : BST_UNCHECKED);

  // The question is one line; a long one widens the dialog instead of being
  // cut, with the buttons kept centred below it.
  SIZE extent{};
  {
    const WindowDc dc(window);
    SelectedObject font(dc.Get(), questionFont_.Get());
    ::GetTextExtentPoint32A(dc.Get(), state.question.c_str(), static_cast<int>(state.question.size()), &extent);
  }
  const DpiScale s(dpi_);
  const int width = std::max<int>(kClientWidth, s.Units(extent.cx) + 20);
  const int extra = (width - kClientWidth) / 2;
  ::MoveWindow(::GetDlgItem(window, kQuestionLbl), s(8), s(8), s(width - 16), s(18), FALSE);
  ::MoveWindow(::GetDlgItem(window, kOkBtn), s(89 + extra), s(68), s(75), s(25), FALSE);
  ::MoveWindow(::GetDlgItem(window, kCancelBtn), s(182 + extra), s(68), s(75), s(25), FALSE);
  // Centred on the monitor the dialog was moved to, at that monitor's DPI.
  RECT frame{0, 0, s(width), s(kClientHeight)};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, WS_EX_DLGMODALFRAME);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  ::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const int outerWidth = frame.right - frame.left, outerHeight = frame.bottom - frame.top;
  ::SetWindowPos(window, HWND_TOP, (monitor.rcMonitor.left + monitor.rcMonitor.right - outerWidth) / 2,
                 (monitor.rcMonitor.top + monitor.rcMonitor.bottom - outerHeight) / 2, outerWidth, outerHeight,
                 SWP_NOACTIVATE);

  const ModalResult result = RunModal(Control("OKBtn"));
  state.permanentChecked = ::IsDlgButtonChecked(window, kPermanentChk) == BST_CHECKED;
  return result == ModalResult::Ok ? ModalResult::Ok : ModalResult::Cancel;
}

void Win32CloseDialog::DpiChanged() {
  // The label lets go of the old font before it is deleted.
  GdiObject<HFONT> font = MakeFont("Segoe UI", DpiScale(dpi_)(-12), true);
  ::SendDlgItemMessageA(ToHwnd(handle_), kQuestionLbl, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
  questionFont_ = std::move(font);
}

bool Win32CloseDialog::KeyPressed(int key) {
  // Enter presses the focused button, or Yes when neither has the focus.
  const bool noFocused = ::GetFocus() == ::GetDlgItem(ToHwnd(handle_), kCancelBtn);
  EndModalWith(key == VK_RETURN && !noFocused ? ModalResult::Ok : ModalResult::Cancel);
  return true;
}

intptr_t Win32CloseDialog::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == kOkBtn) EndModalWith(ModalResult::Ok);
    if (LOWORD(wParam) == kCancelBtn) EndModalWith(ModalResult::Cancel);
    return 0;
  }
  return Win32ModalWindow::WindowProc(message, wParam, lParam);
}

}  // namespace strevo
