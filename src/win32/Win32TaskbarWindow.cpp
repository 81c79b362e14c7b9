#include "win32/Win32TaskbarWindow.h"

#include <windows.h>
#include <shobjidl.h>

#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "storage/DebugLog.h"
#include "ui/Nervgrph.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32Gdi.h"

namespace strevo {

namespace {

// The shell's taskbar object.
constexpr CLSID kTaskbarListClass = {0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};

COLORREF colour(uint32_t bgr) { return static_cast<COLORREF>(bgr & 0xFFFFFF); }

// The thumbnail toolbar: id, hint and flags, in the order shown.
struct ThumbButtonInfo {
  int id;
  const wchar_t* hint;
  DWORD flags;
};
const ThumbButtonInfo kThumbButtons[] = {
    {kThumbEnable, L"Enable Tracking", THBF_NOBACKGROUND},
    {kThumbDisable, L"Disable Tracking", THBF_NOBACKGROUND},
    {kThumbStatistics, L"Statistics", THBF_NOBACKGROUND},
    {kThumbSettings, L"Settings", THBF_NOBACKGROUND},
    {kThumbTraining, L"Training Recommendations", THBF_NOBACKGROUND},
    {kThumbUnused, L"", THBF_NOBACKGROUND | THBF_DISABLED | THBF_HIDDEN},
    {kThumbHistory, L"Show Typing History", THBF_NOBACKGROUND | THBF_HIDDEN},
};

// The buttons' icons, drawn at the small icon size in white on
// transparent: a play triangle, pause bars, a bar chart, a sliders mark, a
// target, a dot (unused) and a curve.
IconHandle MakeThumbIcon(int id) {
  const int size = ::GetSystemMetrics(SM_CXSMICON);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  GdiObject<HBITMAP> picture;
  {
    const WindowDc screen(nullptr);
    picture.Reset(::CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  }
  if (!picture) return {};
  {
    const MemoryDc memory(::CreateCompatibleDC(nullptr));
    HDC dc = memory.Get();
    SelectedObject selected(dc, picture.Get());
    GdiObject<HBRUSH> white(::CreateSolidBrush(RGB(255, 255, 255)));
    GdiObject<HPEN> pen(::CreatePen(PS_SOLID, size >= 20 ? 2 : 1, RGB(255, 255, 255)));
    SelectedObject usePen(dc, pen.Get());
    SelectedObject useBrush(dc, white.Get());
    const int s = size, q = size / 4;
    switch (id) {
      case kThumbEnable: {
        POINT triangle[3] = {{q, q / 2}, {s - q / 2, s / 2}, {q, s - q / 2}};
        ::Polygon(dc, triangle, 3);
        break;
      }
      case kThumbDisable:
        ::Rectangle(dc, q, q / 2, q + s / 5, s - q / 2);
        ::Rectangle(dc, s - q - s / 5, q / 2, s - q, s - q / 2);
        break;
      case kThumbStatistics:
        ::Rectangle(dc, 1, s - q - 1, 1 + s / 4, s - 1);
        ::Rectangle(dc, s * 3 / 8, s / 2, s * 3 / 8 + s / 4, s - 1);
        ::Rectangle(dc, s * 3 / 4 - 1, 1, s - 1, s - 1);
        break;
      case kThumbSettings:
        for (int row = 0; row < 3; ++row) {
          const int y = q / 2 + row * (s - q) / 2;
          ::MoveToEx(dc, 1, y + 1, nullptr);
          ::LineTo(dc, s - 1, y + 1);
          const int x = (row == 1 ? s - q - 2 : q) ;
          ::Ellipse(dc, x - 2, y - 1, x + 3, y + 4);
        }
        break;
      case kThumbTraining: {
        {
          SelectedObject hollow(dc, ::GetStockObject(NULL_BRUSH));
          ::Ellipse(dc, 1, 1, s - 1, s - 1);
          ::Ellipse(dc, q, q, s - q, s - q);
        }
        ::Ellipse(dc, s / 2 - 2, s / 2 - 2, s / 2 + 2, s / 2 + 2);
        break;
      }
      case kThumbHistory: {
        POINT curve[5] = {{1, s - 3}, {s / 4, s / 2}, {s / 2, s - q}, {s * 3 / 4, q}, {s - 1, q + 2}};
        ::Polyline(dc, curve, 5);
        break;
      }
      default:
        ::Ellipse(dc, s / 2 - 2, s / 2 - 2, s / 2 + 2, s / 2 + 2);
        break;
    }
  }
  // GDI leaves alpha 0: every drawn pixel becomes opaque.
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int i = 0; i < size * size; ++i)
    if (pixels[i] & 0xFFFFFF) pixels[i] |= 0xFF000000;
  GdiObject<HBITMAP> mask(::CreateBitmap(size, size, 1, 1, nullptr));
  ICONINFO icon{};
  icon.fIcon = TRUE;
  icon.hbmColor = picture.Get();
  icon.hbmMask = mask.Get();
  return IconHandle(::CreateIconIndirect(&icon));
}

}  // namespace

// The graph's canvas: the window's client area moved to the graph's place.
// Outside painting each Step takes the window's device context for its few
// calls.
class Win32TaskbarWindow::GraphCanvasImpl : public IGraphCanvas {
 public:
  explicit GraphCanvasImpl(HWND window) : window_(window) {}
  ~GraphCanvasImpl() override { End(); }
  void SetOrigin(int left, int top) { left_ = left, top_ = top; }
  void PaintWith(HDC dc) { paintDc_ = dc; }

  void Begin() override {
    if (depth_++ > 0) return;
    if (paintDc_) {
      dc_ = paintDc_;
    } else {
      windowDc_.emplace(window_);
      dc_ = windowDc_->Get();
    }
    // The graph draws in 96-DPI units.
    const DpiScale scale = DpiScale::Of(window_);
    if (!scale.Identity()) {
      saved_ = ::SaveDC(dc_);
      scale.Apply(dc_);
    }
    ::SetViewportOrgEx(dc_, scale(left_), scale(top_), &origin_);
    ::SetBkMode(dc_, TRANSPARENT);
  }
  void End() override {
    if (depth_ == 0 || --depth_ > 0) return;
    ::SetViewportOrgEx(dc_, origin_.x, origin_.y, nullptr);
    fontSelected_.reset();
    if (saved_) ::RestoreDC(dc_, std::exchange(saved_, 0));
    windowDc_.reset();
    dc_ = nullptr;
  }
  void FillRect(const Rect& r, uint32_t bgr) override {
    if (!dc_) return;
    GdiObject<HBRUSH> brush(::CreateSolidBrush(colour(bgr)));
    const RECT area{r.left, r.top, r.right, r.bottom};
    ::FillRect(dc_, &area, brush.Get());
  }
  void Line(int x1, int y1, int x2, int y2, uint32_t bgr, bool dotted) override {
    if (!dc_) return;
    // One device pixel wide at any scale: the next step's fill covers the
    // cursor line exactly.
    GdiObject<HPEN> pen(::CreatePen(dotted ? PS_DOT : PS_SOLID, 0, colour(bgr)));
    SelectedObject use(dc_, pen.Get());
    ::MoveToEx(dc_, x1, y1, nullptr);
    ::LineTo(dc_, x2, y2);
  }
  void Frame(const Rect& r, uint32_t pen, uint32_t brush) override {
    if (!dc_) return;
    GdiObject<HPEN> outline(::CreatePen(PS_SOLID, 1, colour(pen)));
    GdiObject<HBRUSH> fill(::CreateSolidBrush(colour(brush)));
    SelectedObject usePen(dc_, outline.Get());
    SelectedObject useBrush(dc_, fill.Get());
    ::Rectangle(dc_, r.left, r.top, r.right, r.bottom);
  }
  void SetFont(const std::string& name, int size, uint32_t bgr) override {
    {
      // Points at 96 DPI: the context's scale makes them the monitor's.
      height_ = -::MulDiv(size, kDesignDpi, 72);
    }
    GdiObject<HFONT> font = MakeFont(name.c_str(), height_, false);
    textColour_ = colour(bgr);
    if (dc_) {
      // The font that was in the context before the first one comes back
      // at End.
      if (fontSelected_) fontSelected_->Select(font.Get());
      else fontSelected_.emplace(dc_, font.Get());
      ::SetTextColor(dc_, textColour_);
    }
    // The font it replaces is out of the context by now.
    font_ = std::move(font);
  }
  int FontHeight() override { return height_; }
  int TextWidth(const std::string& text) override { return Extent(text).cx; }
  int TextHeight(const std::string& text) override { return Extent(text).cy; }
  void Text(int x, int y, const std::string& text) override {
    if (dc_) ::TextOutA(dc_, x, y, text.data(), static_cast<int>(text.size()));
  }

 private:
  SIZE Extent(const std::string& text) {
    SIZE size{0, 0};
    if (dc_) ::GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
    return size;
  }

  HWND window_;
  HDC dc_ = nullptr, paintDc_ = nullptr;
  int depth_ = 0, saved_ = 0;
  int left_ = 0, top_ = 0;
  POINT origin_{};
  GdiObject<HFONT> font_;
  std::optional<WindowDc> windowDc_;  // outside painting
  std::optional<SelectedObject> fontSelected_;
  int height_ = -11;
  COLORREF textColour_ = 0;
};

// The taskbar extensions: progress and overlay icon on the taskbar button,
// and the thumbnail toolbar. COM is started first and ended last.
struct Win32TaskbarWindow::Taskbar {
  ComInitialization com{COINIT_APARTMENTTHREADED};
  ComPointer<ITaskbarList3> list;
  IconHandle overlay;
  std::vector<IconHandle> thumbIcons;
};

Win32TaskbarWindow::Win32TaskbarWindow() {
  WindowPlacement placement;
  placement.caption = "Wayfen 1";
  placement.style = WS_POPUP | WS_CLIPCHILDREN;
  placement.exStyle = WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_APPWINDOW;
  const DpiScale scale(SystemDpi());
  placement.width = scale(kClientWidth);
  placement.height = scale(kClientHeight);
  CreateWindowOf({"TIPCForm", 0, -1}, placement);
  HWND window = ToHwnd(handle_);
  ::SetLayeredWindowAttributes(window, 0, 100, LWA_ALPHA);
  FitToDpi(nullptr);
  RightDown();

  taskbar_ = std::make_unique<Taskbar>();
  ComPointer<ITaskbarList3>& list = taskbar_->list;
  char reason[64] = "";
  const HRESULT created = ::CoCreateInstance(kTaskbarListClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskbarList3),
                                             reinterpret_cast<void**>(list.Receive()));
  if (SUCCEEDED(created) && list) {
    const HRESULT initialised = list.Get()->HrInit();
    if (FAILED(initialised)) {
      std::snprintf(reason, sizeof reason, "taskbar list not initialised (0x%08lX)",
                    static_cast<unsigned long>(initialised));
      list.Reset();
    }
  } else {
    std::snprintf(reason, sizeof reason, "no taskbar list (0x%08lX)", static_cast<unsigned long>(created));
  }
  toolbarError_ = reason;
  // The toolbar goes to the taskbar button once the shell says the button
  // exists (the window is hidden until the person shows it).
  buttonCreatedMessage_ = ::RegisterWindowMessageA("TaskbarButtonCreated");
  if (taskbar_->list) {
    // Our windows accept the message from the shell also when it runs at
    // another integrity level.
    ::ChangeWindowMessageFilterEx(window, buttonCreatedMessage_, MSGFLT_ALLOW, nullptr);
    ::ChangeWindowMessageFilterEx(window, WM_COMMAND, MSGFLT_ALLOW, nullptr);
    for (const ThumbButtonInfo& button : kThumbButtons) taskbar_->thumbIcons.push_back(MakeThumbIcon(button.id));
  }
  canvas_ = std::make_unique<GraphCanvasImpl>(window);
  const int size = ::GetSystemMetrics(SM_CXSMICON);
  taskbar_->overlay.Reset(static_cast<HICON>(
      ::LoadImageA(reinterpret_cast<HINSTANCE>(ModuleInstance()), "TRAYICON3", IMAGE_ICON, size, size, 0)));
}

Win32TaskbarWindow::~Win32TaskbarWindow() { DestroyWindow(); }

bool Win32TaskbarWindow::TaskbarAvailable() const { return taskbar_->list.Valid(); }

bool Win32TaskbarWindow::ToolbarActive(std::string& error) {
  error = toolbarError_;
  return taskbar_->list.Valid();
}

void Win32TaskbarWindow::AddToolbarButtons() {
  if (!taskbar_->list) return;
  THUMBBUTTON buttons[std::size(kThumbButtons)]{};
  for (size_t i = 0; i < std::size(kThumbButtons); ++i) {
    const ThumbButtonInfo& info = kThumbButtons[i];
    THUMBBUTTON& button = buttons[i];
    button.dwMask = static_cast<THUMBBUTTONMASK>(THB_ICON | THB_TOOLTIP | THB_FLAGS);
    button.iId = static_cast<UINT>(info.id);
    button.hIcon = taskbar_->thumbIcons[i].Get();
    wcsncpy(button.szTip, info.hint, std::size(button.szTip) - 1);
    button.dwFlags = static_cast<THUMBBUTTONFLAGS>(info.flags);
  }
  // A new taskbar (the shell restarted) takes the buttons anew; one that
  // has them already takes them as an update.
  ITaskbarList3* list = taskbar_->list.Get();
  HRESULT result = list->ThumbBarAddButtons(ToHwnd(handle_), std::size(buttons), buttons);
  if (FAILED(result)) result = list->ThumbBarUpdateButtons(ToHwnd(handle_), std::size(buttons), buttons);
  toolbarAdded_ = SUCCEEDED(result);
  if (!toolbarAdded_) DebugLog(0, "TIPCForm: thumbnail buttons refused: " + std::to_string(static_cast<long>(result)));
}

void Win32TaskbarWindow::SetGraph(TNervoGraph* graph) {
  graph_ = graph;
  if (graph_) canvas_->SetOrigin(graph_->Left, graph_->Top);
  ::InvalidateRect(ToHwnd(handle_), nullptr, FALSE);
}

IGraphCanvas* Win32TaskbarWindow::GraphCanvas() { return canvas_.get(); }

void Win32TaskbarWindow::Show() {
  ::SetWindowPos(ToHwnd(handle_), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void Win32TaskbarWindow::Hide() { ::ShowWindow(ToHwnd(handle_), SW_HIDE); }

bool Win32TaskbarWindow::Visible() { return ::IsWindowVisible(ToHwnd(handle_)) != 0; }

void Win32TaskbarWindow::SetProgressValue(int value) {
  value = value < 0 ? 0 : value > kProgressMaximum ? kProgressMaximum : value;
  // The meter sets it at every refresh: the shell hears of changes only.
  if (value == progress_) return;
  progress_ = value;
  SendProgress();
}

// Without a taskbar button (the window is hidden) the shell refuses; the
// value goes again when the button appears.
void Win32TaskbarWindow::SendProgress() {
  if (taskbar_->list) taskbar_->list.Get()->SetProgressValue(ToHwnd(handle_), progress_, kProgressMaximum);
}

void Win32TaskbarWindow::SetOverlayIcon(int index) {
  overlay_ = index;
  if (taskbar_->list)
    taskbar_->list.Get()->SetOverlayIcon(ToHwnd(handle_), index == 3 ? taskbar_->overlay.Get() : nullptr,
                                         index == 3 ? L"" : nullptr);
}

void Win32TaskbarWindow::SetCaption(const std::string& caption) { ::SetWindowTextA(ToHwnd(handle_), caption.c_str()); }

std::string Win32TaskbarWindow::Caption() {
  std::vector<char> buffer(static_cast<size_t>(::GetWindowTextLengthA(ToHwnd(handle_))) + 1);
  const int n = ::GetWindowTextA(ToHwnd(handle_), buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

void Win32TaskbarWindow::RightDown() {
  RECT area;
  if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) return;
  ::SetWindowPos(ToHwnd(handle_), nullptr, area.right / 2, area.bottom / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The window's size and rounded region at its monitor's DPI (the system
// owns the region from here on); moved to the system's suggestion when given.
void Win32TaskbarWindow::FitToDpi(const void* suggestedRect) {
  HWND window = ToHwnd(handle_);
  const DpiScale s = DpiScale::Of(window);
  if (const RECT* suggested = static_cast<const RECT*>(suggestedRect))
    ::SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  else
    ::SetWindowPos(window, nullptr, 0, 0, s(kClientWidth), s(kClientHeight), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SetWindowRgn(window, ::CreateRoundRectRgn(s(1), s(1), s(kClientWidth - 1), s(kClientHeight - 1), s(90), s(90)),
                 suggestedRect != nullptr);
}

void Win32TaskbarWindow::Paint() {
  const PaintDc dc(ToHwnd(handle_));
  RECT client;
  ::GetClientRect(ToHwnd(handle_), &client);
  ::FillRect(dc.Get(), &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  if (graph_) {
    canvas_->PaintWith(dc.Get());
    graph_->Paint();
    canvas_->PaintWith(nullptr);
  }
}

intptr_t Win32TaskbarWindow::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (message == buttonCreatedMessage_ && message != 0) {
    AddToolbarButtons();
    SendProgress();
    return 0;
  }
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == THBN_CLICKED) {
        if (onThumbButton) onThumbButton(LOWORD(wParam));
        return 0;
      }
      break;
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST: {
      // The whole window drags like a caption.
      const intptr_t hit = DefaultProc(message, wParam, lParam);
      return hit == HTCLIENT ? HTCAPTION : hit;
    }
    case WM_NCRBUTTONDOWN:
    case WM_RBUTTONDOWN:
      RightDown();
      return 0;
    case WM_CONTEXTMENU:  // no system menu on the caption-like client area
      return 0;
    case WM_DPICHANGED:
      FitToDpi(reinterpret_cast<const RECT*>(lParam));
      ::InvalidateRect(ToHwnd(handle_), nullptr, FALSE);
      return 0;
    case WM_CLOSE:
      // Closing only hides it; the program ends from its tray menu.
      Hide();
      return 0;
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace strevo
