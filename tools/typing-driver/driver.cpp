// typing-driver: a small Windows program for the end-to-end tests. It opens
// a window with a text field, waits for the monitor, types text with real
// key events (SendInput: Shift for capitals, backspaces), clicks, and posts
// the tutor's messages. Commands run in order:
//   wait-window CAPTION MS     wait until a top-level window has that caption
//   gone-window CAPTION MS     wait until it no longer exists
//   type TEXT MS               type TEXT into the field, MS between keys ("\b" backspace)
//   password TEXT MS           the same into a password field (an edit control with
//                              ES_PASSWORD) at the foot of the window; "type" leaves it
//   click                      a left click into the field
//   post MESSAGE [WPARAM]      post a registered message to "Strevo 11"
//   wait-visible CAPTION MS    wait until a visible top-level window has that caption
//   wait-balloon MS            wait until a balloon tip is shown (the tray icon's), then
//                              print "balloon shown"
//   click-at CAPTION X Y       a left click at client point (X, Y) of the visible window
//   close-window CAPTION       post WM_CLOSE to a window
//   caption TEXT               give the driver's window a new caption
//   sleep MS
//   echo TEXT                  print TEXT at once (a test times what follows from it)
//   open-write PATH            succeeds when PATH cannot be opened for writing
// Exit code 0 when every command succeeded, 1 otherwise.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

HWND g_window = nullptr;
HWND g_edit = nullptr;
HWND g_password = nullptr;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE && g_edit) MoveWindow(g_edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
  return DefWindowProcA(window, message, wParam, lParam);
}

void Pump(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  do {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    Sleep(5);
  } while (GetTickCount() < end);
}

void SendKey(WORD virtualKey, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, 0));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

void TypeChar(char c, DWORD interval) {
  WORD virtualKey;
  bool shift = false;
  if (c == '\b') {
    virtualKey = VK_BACK;
  } else {
    const SHORT scan = VkKeyScanA(c);
    if (scan == -1) return;
    virtualKey = LOBYTE(scan);
    shift = (HIBYTE(scan) & 1) != 0;
  }
  if (shift) SendKey(VK_LSHIFT, false);
  SendKey(virtualKey, false);
  SendKey(virtualKey, true);
  if (shift) SendKey(VK_LSHIFT, true);
  Pump(interval);
}

std::string Unescape(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'b') {
      out += '\b';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// The visible top-level window with this caption (hidden windows of the
// same caption are passed over).
HWND FindVisible(const std::string& caption) {
  struct Search {
    const std::string* caption;
    HWND found;
  } search{&caption, nullptr};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        char text[256] = {};
        GetWindowTextA(window, text, sizeof text);
        if (IsWindowVisible(window) && *s->caption == text) {
          s->found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool WaitVisible(const std::string& caption, DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  while (GetTickCount() < end) {
    if (FindVisible(caption)) return true;
    Pump(100);
  }
  return false;
}

// A visible tooltip window in the balloon style: the notification area's
// balloon tips are drawn as one.
bool BalloonShown() {
  bool found = false;
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (IsWindowVisible(window) && lstrcmpiA(name, TOOLTIPS_CLASSA) == 0 &&
            (GetWindowLongA(window, GWL_STYLE) & TTS_BALLOON)) {
          *reinterpret_cast<bool*>(data) = true;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

bool WaitBalloon(DWORD milliseconds) {
  const DWORD end = GetTickCount() + milliseconds;
  while (GetTickCount() < end) {
    if (BalloonShown()) return true;
    Pump(100);
  }
  return false;
}

bool WaitWindow(const std::string& caption, DWORD milliseconds, bool present) {
  const DWORD end = GetTickCount() + milliseconds;
  while (GetTickCount() < end) {
    if ((FindWindowA(nullptr, caption.c_str()) != nullptr) == present) return true;
    Pump(100);
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = "StrevoTypingDriver";
  RegisterClassA(&wc);
  g_window = CreateWindowA("StrevoTypingDriver", "Typing driver - notes.txt", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 80, 80,
                           640, 360, nullptr, nullptr, wc.hInstance, nullptr);
  g_edit = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL, 0, 0, 640, 360, g_window,
                         nullptr, wc.hInstance, nullptr);
  RECT client;
  GetClientRect(g_window, &client);
  MoveWindow(g_edit, 0, 0, client.right, client.bottom, TRUE);
  SetForegroundWindow(g_window);
  SetFocus(g_edit);
  Pump(300);
  for (int i = 1; i < argc; ++i) {
    const std::string command = argv[i];
    auto arg = [&](int k) -> std::string { return i + k < argc ? argv[i + k] : ""; };
    bool ok = true;
    if (command == "wait-window") {
      ok = WaitWindow(arg(1), static_cast<DWORD>(std::atoi(arg(2).c_str())), true);
      i += 2;
    } else if (command == "gone-window") {
      ok = WaitWindow(arg(1), static_cast<DWORD>(std::atoi(arg(2).c_str())), false);
      i += 2;
    } else if (command == "type") {
      SetForegroundWindow(g_window);
      SetFocus(g_edit);
      Pump(50);
      const std::string text = Unescape(arg(1));
      const DWORD interval = static_cast<DWORD>(std::atoi(arg(2).c_str()));
      for (char c : text) TypeChar(c, interval);
      i += 2;
    } else if (command == "password") {
      if (!g_password) {
        RECT client;
        GetClientRect(g_window, &client);
        g_password = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_PASSWORD | ES_AUTOHSCROLL, 0,
                                   client.bottom - 24, client.right, 24, g_window, nullptr, wc.hInstance, nullptr);
        SetWindowPos(g_password, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
      }
      SetForegroundWindow(g_window);
      SetFocus(g_password);
      Pump(50);
      const std::string text = Unescape(arg(1));
      const DWORD interval = static_cast<DWORD>(std::atoi(arg(2).c_str()));
      std::string expected;
      for (char c : text) {
        TypeChar(c, interval);
        if (c != '\b') expected += c;
        else if (!expected.empty()) expected.pop_back();
      }
      // The keys must have gone into the field.
      char got[256] = {};
      GetWindowTextA(g_password, got, sizeof got);
      ok = expected == got;
      i += 2;
    } else if (command == "click") {
      RECT r;
      GetWindowRect(g_edit, &r);
      SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
      INPUT input[2]{};
      input[0].type = input[1].type = INPUT_MOUSE;
      input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
      input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
      SendInput(2, input, sizeof input[0]);
      Pump(200);
    } else if (command == "post") {
      const UINT message = RegisterWindowMessageA(arg(1).c_str());
      const HWND target = FindWindowA(nullptr, "Strevo 11");
      const WPARAM wParam = static_cast<WPARAM>(std::atoi(arg(2).c_str()));
      ok = target && PostMessageA(target, message, wParam, 0);
      i += (i + 2 < argc && std::isdigit(static_cast<unsigned char>(argv[i + 2][0]))) ? 2 : 1;
    } else if (command == "wait-visible") {
      ok = WaitVisible(arg(1), static_cast<DWORD>(std::atoi(arg(2).c_str())));
      i += 2;
    } else if (command == "wait-balloon") {
      ok = WaitBalloon(static_cast<DWORD>(std::atoi(arg(1).c_str())));
      if (ok) {
        std::printf("balloon shown\n");
        std::fflush(stdout);
      }
      i += 1;
    } else if (command == "click-at") {
      HWND target = FindVisible(arg(1));
      POINT p{std::atoi(arg(2).c_str()), std::atoi(arg(3).c_str())};
      ok = target != nullptr;
      if (ok) {
        ClientToScreen(target, &p);
        SetCursorPos(p.x, p.y);
        Pump(100);
        INPUT input[2]{};
        input[0].type = input[1].type = INPUT_MOUSE;
        input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
        input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
        SendInput(2, input, sizeof input[0]);
        Pump(200);
      }
      i += 3;
    } else if (command == "caption") {
      ok = SetWindowTextA(g_window, arg(1).c_str()) != 0;
      i += 1;
    } else if (command == "close-window") {
      HWND target = FindWindowA(nullptr, arg(1).c_str());
      ok = target && PostMessageA(target, WM_CLOSE, 0, 0);
      i += 1;
    } else if (command == "echo") {
      std::printf("%s\n", arg(1).c_str());
      std::fflush(stdout);
      i += 1;
    } else if (command == "sleep") {
      Pump(static_cast<DWORD>(std::atoi(arg(1).c_str())));
      i += 1;
    } else if (command == "open-write") {
      // Succeeds when the file can NOT be opened for writing (another
      // program holds it); prints the system's answer.
      HANDLE file = CreateFileA(arg(1).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
      const DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
      std::printf("open-write %s: %s (%lu)\n", arg(1).c_str(), error ? "refused" : "opened",
                  static_cast<unsigned long>(error));
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
      ok = error != 0;
      i += 1;
    } else {
      std::fprintf(stderr, "typing-driver: unknown command %s\n", command.c_str());
      return 1;
    }
    if (!ok) {
      std::fprintf(stderr, "typing-driver: %s failed\n", command.c_str());
      return 1;
    }
  }
  DestroyWindow(g_window);
  return 0;
}
