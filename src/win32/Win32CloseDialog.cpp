#include "win32/Win32CloseDialog.h"

#include <windows.h>

#include <algorithm>

#include "storage/LangRes.h"
#include "win32/Win32Gdi.h"

namespace strevo {

namespace {

enum Id { kQuestionLbl = 10, kPermanentChk, kOkBtn, kCancelBtn };
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_DLGFRAME | WS_CLIPCHILDREN;

}  // namespace

Win32CloseDialog::Win32CloseDialog(Win32MessageLoop& loop, WindowHandle owner) : Win32ModalWindow(loop) {
  whiteBackground_ = true;
  questionFont_ = MakeFont("Segoe UI", -12, true);
  CreateWindowOf({"TCloseDlg", 0, COLOR_WINDOW},
                 CentredPlacement(LangStr(1287), kStyle, WS_EX_DLGMODALFRAME, kClientWidth, kClientHeight, owner));
  HWND window = ToHwnd(handle_);
  HINSTANCE module = reinterpret_cast<HINSTANCE>(ModuleInstance());
  auto make = [&](const char* cls, const std::string& text, DWORD style, int x, int y, int w, int h, int id) {
    HWND control = ::CreateWindowExA(0, cls, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, w, h, window,
                                     reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), module, nullptr);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
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
  const int width = std::max<int>(kClientWidth, extent.cx + 20);
  const int extra = (width - kClientWidth) / 2;
  ::MoveWindow(::GetDlgItem(window, kQuestionLbl), 8, 8, width - 16, 18, FALSE);
  ::MoveWindow(::GetDlgItem(window, kOkBtn), 89 + extra, 68, 75, 25, FALSE);
  ::MoveWindow(::GetDlgItem(window, kCancelBtn), 182 + extra, 68, 75, 25, FALSE);
  const WindowPlacement placement =
      CentredPlacement("", kStyle, WS_EX_DLGMODALFRAME, width, kClientHeight, 0);
  ::SetWindowPos(window, HWND_TOP, placement.left, placement.top, placement.width, placement.height, SWP_NOACTIVATE);

  const ModalResult result = RunModal(Control("OKBtn"));
  state.permanentChecked = ::IsDlgButtonChecked(window, kPermanentChk) == BST_CHECKED;
  return result == ModalResult::Ok ? ModalResult::Ok : ModalResult::Cancel;
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
