#include "win32/Win32TrayIcon.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "storage/DebugLog.h"
#include "win32/Win32ApplicationWindow.h"
#include "win32/Win32Gdi.h"

namespace strevo {

namespace {

void CopyCut(char* target, size_t capacity, const std::string& text, size_t limit) {
  const size_t n = text.size() < limit ? text.size() : limit;
  std::memcpy(target, text.data(), n < capacity ? n : capacity - 1);
  target[n < capacity ? n : capacity - 1] = '\0';
}

// The full-colour icons where the system shows them: Windows NT above
// version 4 (of version 5 only XP and Server 2003) and Windows Me; the
// 16-colour ones elsewhere.
bool FullColourIcons(const WindowsVersion& version) {
  if (version.nt) return version.major > 5 || (version.major == 5 && (version.minor == 1 || version.minor == 2));
  return version.minor == 90;
}

}  // namespace

Win32TrayIcon::Win32TrayIcon(Win32ApplicationWindow& application) : application_(application) {
  WindowPlacement placement;  // hidden, top-level: it must hear the shell's broadcast
  CreateWindowOf({"StrevoTrayIcon", CS_DBLCLKS}, placement);
  taskbarCreated_ = ::RegisterWindowMessageA("TaskbarCreated");
  const bool full = PlatformInstalled() ? FullColourIcons(System().Version()) : true;
  const int size = ::GetSystemMetrics(SM_CXSMICON);
  HINSTANCE module = reinterpret_cast<HINSTANCE>(ModuleInstance());
  for (int i = 0; i < 3; ++i) {
    const std::string name = std::string(full ? "TRAYICON" : "TRAY16ICON") + std::to_string(i + 1);
    // Icons from the module are loaded for this object; the shared fallback
    // is the system's and must stay.
    loadedIcons_[i].Reset(static_cast<HICON>(::LoadImageA(module, name.c_str(), IMAGE_ICON, size, size, 0)));
    icons_[i] = loadedIcons_[i] ? loadedIcons_[i].Get()
                                : static_cast<HICON>(::LoadImageA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION),
                                                                  IMAGE_ICON, 0, 0, LR_SHARED));
  }
  glyphs_[0] = LoadMenuGlyph("STATISTICS");
  glyphs_[1] = LoadMenuGlyph("SETTINGS");
}

Win32TrayIcon::~Win32TrayIcon() {
  if (active_) SetActive(false);
}

HICON Win32TrayIcon::ShownIcon(int index) const { return icons_[(index >= 1 && index <= 3 ? index : 1) - 1]; }

bool Win32TrayIcon::Call(uint32_t action, uint32_t flags) {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;
  data.hWnd = ToHwnd(handle_);
  data.uID = 1;
  data.uFlags = flags;
  data.uCallbackMessage = kCallbackMessage;
  data.hIcon = ShownIcon(icon_);
  CopyCut(data.szTip, sizeof data.szTip, toolTip_, 62);
  if (flags & NIF_INFO) {
    CopyCut(data.szInfo, sizeof data.szInfo, balloonText_, 255);
    CopyCut(data.szInfoTitle, sizeof data.szInfoTitle, balloonTitle_, 63);
    data.uTimeout = balloonTimeout_;
    data.dwInfoFlags = NIIF_INFO;
  }
  if (action == NIM_SETVERSION) data.uVersion = NOTIFYICON_VERSION;
  lastCallSucceeded_ = ::Shell_NotifyIconA(action, &data) != 0;
  return lastCallSucceeded_;
}

void Win32TrayIcon::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  Call(active ? NIM_ADD : NIM_DELETE, active ? NIF_MESSAGE | NIF_ICON | NIF_TIP : 0);
}

void Win32TrayIcon::SetIcon(int index) {
  if (index < 1 || index > 3) return;
  icon_ = index;
  if (active_) Call(NIM_MODIFY, NIF_ICON);
}

void Win32TrayIcon::SetToolTip(const std::string& text) {
  toolTip_ = text.substr(0, 62);
  if (active_) Call(NIM_MODIFY, NIF_TIP);
}

void Win32TrayIcon::ShowBalloon(const std::string& text, const std::string& title, int timeoutMs) {
  balloonText_ = text.substr(0, 255);
  balloonTitle_ = title.substr(0, 63);
  balloonTimeout_ = timeoutMs > 0 ? static_cast<uint32_t>(timeoutMs) : 0;
  if (!active_) return;
  if (Call(NIM_MODIFY, NIF_INFO)) Call(NIM_SETVERSION, 0);
}

void Win32TrayIcon::SetMenu(const std::vector<MenuItem>& items) { items_ = items; }

void Win32TrayIcon::EnableItem(int position, bool enabled) {
  if (position >= 0 && position < static_cast<int>(items_.size())) items_[position].enabled = enabled;
}

void Win32TrayIcon::CheckItem(int position, bool checked) {
  if (position >= 0 && position < static_cast<int>(items_.size())) items_[position].checked = checked;
}

bool Win32TrayIcon::ItemChecked(int position) {
  return position >= 0 && position < static_cast<int>(items_.size()) && items_[position].checked;
}

void Win32TrayIcon::PopupMenu(int x, int y) {
  if (beforePopup) beforePopup();
  const uint32_t chosen = ChooseFromMenu(x, y);
  if (chosen >= 1 && chosen <= items_.size()) {
    const MenuItem item = items_[chosen - 1];  // the handler may rebuild the menu
    if (item.enabled && item.onClick) item.onClick();
  }
}

uint32_t Win32TrayIcon::ChooseFromMenu(int x, int y) {
  const MenuHandle menu(::CreatePopupMenu());
  if (!menu) return 0;
  for (size_t i = 0; i < items_.size(); ++i) {
    const MenuItem& item = items_[i];
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    if (item.caption == "-") {
      info.fMask = MIIM_FTYPE;
      info.fType = MFT_SEPARATOR;
    } else {
      info.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE;
      info.wID = static_cast<UINT>(i + 1);
      info.dwTypeData = const_cast<char*>(item.caption.c_str());
      info.fState = (item.enabled ? MFS_ENABLED : MFS_DISABLED) | (item.checked ? MFS_CHECKED : MFS_UNCHECKED);
      HBITMAP glyph = item.bitmap == "STATISTICS" ? glyphs_[0].Get()
                      : item.bitmap == "SETTINGS" ? glyphs_[1].Get()
                                                  : nullptr;
      if (glyph) {
        info.fMask |= MIIM_BITMAP;
        info.hbmpItem = glyph;
      }
    }
    ::InsertMenuItemA(menu.Get(), static_cast<UINT>(i), TRUE, &info);
  }
  // The menu closes when the person clicks elsewhere only while its owner is
  // the foreground window.
  HWND owner = ToHwnd(application_.Handle());
  ::SetForegroundWindow(owner);
  const UINT chosen = static_cast<UINT>(
      ::TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, owner, nullptr));
  ::PostMessageA(owner, WM_NULL, 0, 0);
  return chosen;
}

void Win32TrayIcon::DoRightClick() {
  ::SetForegroundWindow(ToHwnd(application_.Handle()));
  POINT cursor;
  if (!::GetCursorPos(&cursor)) {
    DebugLog(0, ") TTrayIcon.DoRightClick -  GetCursorPos failed!");
    return;
  }
  PopupMenu(cursor.x, cursor.y);
}

void Win32TrayIcon::Notify(uint32_t mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONUP:
      if (onClick) onClick();
      break;
    case WM_LBUTTONDBLCLK:
      if (onDblClick) onDblClick();
      break;
    case WM_RBUTTONUP:
      if (onRightClick) onRightClick();
      else DoRightClick();
      break;
    case NIN_BALLOONUSERCLICK:
      if (onBalloonClick) onBalloonClick();
      break;
    default:
      break;
  }
}

intptr_t Win32TrayIcon::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == kCallbackMessage) {
    Notify(static_cast<uint32_t>(LOWORD(lParam)));
    return 0;
  }
  if (taskbarCreated_ && message == taskbarCreated_) {
    // The shell restarted and forgot the icon.
    if (active_) Call(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP);
    return 0;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace strevo
