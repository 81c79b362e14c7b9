#include "win32/Win32SettingsView.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "storage/LangRes.h"
#include "ui/ChooseAppsFrm.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32Gdi.h"

namespace strevo {

namespace {

enum Kind { kLabel, kBoldLabel, kWrapLabel, kGroup, kCheck, kRadio, kFirstRadio, kTrack, kCombo, kPush, kIcon, kCheckList };

// One control of the dialog: its page (-1 on every page), where it sits on
// the page (inside its group box when group is given), and its text (a
// language string when langId is set).
struct ControlLayout {
  int id;
  const char* name;
  Kind kind;
  int page;
  int group;  // id of the group box the position is relative to, 0 for none
  int x, y, w, h;
  int langId;
  const char* text;
};

enum Id {
  kPages = 100, kOkBtn, kLabel3,
  kPersonal, kUsrNameLbl2, kGroupBox1, kTakeABreak, kBreakInterval, kGroupBox5, kNotifyWhenDifficulties,
  kPagesTrackBar, kGroupBox7, kWordsLabel, kWordCount, kDoNotCollectWords, kDoNotDisplayTxt,
  kLabel6, kAppliedWinUser, kGroupBox3, kLaunchAtStartup, kLabel13, kGroupBox2, kUseSelectedUser, kSelectedUser,
  kShowUserList, kLoggedOffMode, kLabel9,
  kImage1, kPrgNameLbl, kVersionLbl, kGroupBox4, kLabel5, kStatusLabel, kLabel4, kUserNameLbl, kLogoffBtn,
  kStatpanel, kLabel7, kDateStarted, kLabel11, kTotalHits, kLabel12, kAnalyzedHits, kLabel1, kBigramCountLbl,
  kCenterButton1,
  kAppsLabel, kViewActiveChk, kViewAllChk, kAppsCheckList,
};

constexpr int kPageCount = 4;
constexpr int kApplicationsPage = 3;

const ControlLayout kControls[] = {
    {kOkBtn, "OkBtn", kPush, -1, 0, 320, 392, 90, 25, 1173, "&OK"},
    {kLabel3, "Label3", kWrapLabel, -1, 0, 8, 390, 305, 28, 0, ""},
    // Personal
    {kPersonal, "Personal", kBoldLabel, 0, 0, 16, 8, 340, 16, 1291, "Personal settings"},
    {kUsrNameLbl2, "UsrNameLbl2", kLabel, 0, 0, 16, 24, 297, 16, 0, "User"},
    {kGroupBox1, "GroupBox1", kGroup, 0, 0, 16, 48, 361, 89, 1292, "Take a break"},
    {kTakeABreak, "TakeABreak", kCheck, 0, kGroupBox1, 16, 24, 335, 18, 0, ""},
    {kBreakInterval, "BreakInterval", kTrack, 0, kGroupBox1, 32, 46, 241, 30, 0, ""},
    {kGroupBox5, "GroupBox5", kGroup, 0, 0, 16, 145, 361, 90, 1295, "Recommend Practising"},
    {kNotifyWhenDifficulties, "NotifyWhenDifficulties", kCheck, 0, kGroupBox5, 16, 24, 335, 18, 0, ""},
    {kPagesTrackBar, "PagesTrackBar", kTrack, 0, kGroupBox5, 32, 48, 241, 30, 0, ""},
    {kGroupBox7, "GroupBox7", kGroup, 0, 0, 16, 241, 361, 108, 1296, "Security"},
    {kWordsLabel, "wordslabel", kLabel, 0, kGroupBox7, 16, 16, 335, 16, 0, ""},
    {kWordCount, "WordCount", kTrack, 0, kGroupBox7, 32, 32, 241, 30, 0, ""},
    {kDoNotCollectWords, "DoNotCollectWords", kCheck, 0, kGroupBox7, 16, 63, 335, 18, 1297, ""},
    {kDoNotDisplayTxt, "DoNotDisplayTxt", kCheck, 0, kGroupBox7, 16, 87, 335, 18, 0,
     "Do not display the text being typed on status window"},
    // Common
    {kLabel6, "Label6", kBoldLabel, 1, 0, 16, 8, 340, 16, 1307, "Common Wayfen Settings"},
    {kAppliedWinUser, "AppliedWinUser", kLabel, 1, 0, 16, 24, 345, 16, 0, ""},
    {kGroupBox3, "GroupBox3", kGroup, 1, 0, 16, 56, 361, 97, 1308, "Automatic Launch"},
    {kLaunchAtStartup, "LaunchAtStartup", kCheck, 1, kGroupBox3, 16, 24, 335, 18, 1309, ""},
    {kLabel13, "Label13", kWrapLabel, 1, kGroupBox3, 16, 48, 335, 42, 1310, ""},
    {kGroupBox2, "GroupBox2", kGroup, 1, 0, 16, 176, 361, 161, 1311, "User Identification"},
    {kUseSelectedUser, "UseSelectedUser", kFirstRadio, 1, kGroupBox2, 16, 24, 148, 18, 1312, ""},
    {kSelectedUser, "SelectedUser", kCombo, 1, kGroupBox2, 168, 22, 177, 200, 0, ""},
    {kShowUserList, "ShowUserList", kRadio, 1, kGroupBox2, 16, 48, 335, 18, 1313, ""},
    {kLoggedOffMode, "LoggedOffMode", kRadio, 1, kGroupBox2, 16, 72, 335, 18, 1314, ""},
    {kLabel9, "Label9", kWrapLabel, 1, kGroupBox2, 16, 104, 335, 48, 1315, ""},
    // About
    {kImage1, "Image1", kIcon, 2, 0, 16, 8, 33, 33, 0, ""},
    {kPrgNameLbl, "PrgNameLbl", kBoldLabel, 2, 0, 56, 8, 265, 16, 0, "Typing Wayfen"},
    {kVersionLbl, "VersionLbl", kLabel, 2, 0, 56, 24, 265, 16, 0, "Version"},
    {kGroupBox4, "GroupBox4", kGroup, 2, 0, 16, 56, 361, 113, 1317, "Wayfen Information"},
    {kLabel5, "Label5", kLabel, 2, kGroupBox4, 16, 24, 120, 16, 1318, ""},
    {kStatusLabel, "StatusLabel", kLabel, 2, kGroupBox4, 140, 24, 210, 16, 0, ""},
    {kLabel4, "Label4", kLabel, 2, kGroupBox4, 16, 48, 120, 16, 1319, ""},
    {kUserNameLbl, "userNameLbl", kLabel, 2, kGroupBox4, 140, 48, 210, 16, 0, ""},
    {kLogoffBtn, "LogoffBtn", kPush, 2, kGroupBox4, 16, 72, 105, 25, 1320, ""},
    {kStatpanel, "statpanel", kGroup, 2, 0, 16, 184, 361, 138, 1321, "User Statistics"},
    {kLabel7, "Label7", kLabel, 2, kStatpanel, 16, 24, 120, 16, 1322, ""},
    {kDateStarted, "DateStarted", kLabel, 2, kStatpanel, 140, 24, 210, 16, 0, ""},
    {kLabel11, "Label11", kLabel, 2, kStatpanel, 16, 48, 120, 16, 1323, ""},
    {kTotalHits, "TotalHits", kLabel, 2, kStatpanel, 140, 48, 210, 16, 0, ""},
    {kLabel12, "Label12", kLabel, 2, kStatpanel, 17, 75, 120, 16, 1324, ""},
    {kAnalyzedHits, "AnalyzedHits", kLabel, 2, kStatpanel, 141, 72, 100, 16, 0, ""},
    {kLabel1, "Label1", kLabel, 2, kStatpanel, 17, 99, 120, 16, 0, "Analyzed bigrams:"},
    {kBigramCountLbl, "BigramCountLbl", kLabel, 2, kStatpanel, 141, 99, 100, 16, 0, ""},
    {kCenterButton1, "CenterButton1", kPush, 2, 0, 264, 279, 105, 25, 0, "Return To Screen"},
    // Applications
    {kAppsLabel, "AppsLabel", kBoldLabel, 3, 0, 16, 8, 340, 16, 1793, "Monitored applications"},
    {kViewActiveChk, "ViewActiveChk", kFirstRadio, 3, 0, 16, 32, 340, 18, 1791, "View running applications"},
    {kViewAllChk, "ViewAllChk", kRadio, 3, 0, 16, 52, 340, 18, 1792, "View all applications"},
    {kAppsCheckList, "AppsCheckList", kCheckList, 3, 0, 16, 80, 361, 262, 0, ""},
};

const ControlLayout* LayoutOf(int id) {
  for (const ControlLayout& item : kControls)
    if (item.id == id) return &item;
  return nullptr;
}

bool Checked(HWND window, int id) { return ::IsDlgButtonChecked(window, id) == BST_CHECKED; }
void Check(HWND window, int id, bool checked) { ::CheckDlgButton(window, id, checked ? BST_CHECKED : BST_UNCHECKED); }
int Position(HWND window, int id) {
  return static_cast<int>(::SendDlgItemMessageA(window, id, TBM_GETPOS, 0, 0));
}
void SetPosition(HWND window, int id, int position) {
  ::SendDlgItemMessageA(window, id, TBM_SETPOS, TRUE, position);
}
void SetText(HWND window, int id, const std::string& text) { ::SetDlgItemTextA(window, id, text.c_str()); }

std::string TextOf(HWND window) {
  std::vector<char> buffer(static_cast<size_t>(::GetWindowTextLengthA(window)) + 1);
  const int n = ::GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

// Fonts do not grow in step with the DPI: a one-line label whose text is
// wider at this DPI's font than its place takes the room its group box has
// beside it, first to the right, then to the left. Its place is worked out
// from the layout each time, so a shorter text puts it back.
void FitLabel(HWND window, int id, int dpi) {
  const ControlLayout* item = LayoutOf(id);
  HWND label = ::GetDlgItem(window, id);
  HWND group = item && item->group ? ::GetDlgItem(window, item->group) : nullptr;
  if (!label || !group) return;
  RECT frame{};
  ::GetWindowRect(group, &frame);
  ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&frame), 2);
  const DpiScale s(dpi);
  int left = frame.left + s(item->x), right = left + s(item->w);
  const int top = frame.top + s(item->y), height = s(item->h);
  RECT needed{};
  {
    WindowDc dc(label);
    SelectedObject font(dc.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageA(label, WM_GETFONT, 0, 0)));
    ::DrawTextA(dc.Get(), TextOf(label).c_str(), -1, &needed, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  }
  if (needed.right > right - left) {
    const int margin = s(6);
    right = std::min<int>(frame.right - margin, left + needed.right);
    left = std::max<int>(frame.left + margin, right - needed.right);
  }
  ::MoveWindow(label, left, top, right - left, height, TRUE);
}

}  // namespace

Win32SettingsView::Win32SettingsView(Win32MessageLoop& loop, WindowHandle owner) : Win32ModalWindow(loop) {
  EnsureCommonControls();
  // Not clipping its children: the group boxes leave their inside to the
  // dialog's background.
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  CreateWindowOf({"TChooseApplications", 0, COLOR_BTNFACE},
                 CentredPlacement("Wayfen Settings", style, WS_EX_LAYERED | WS_EX_DLGMODALFRAME, kClientWidth,
                                  kClientHeight, owner));
  HWND window = ToHwnd(handle_);
  ::SetLayeredWindowAttributes(window, 0, 250, LWA_ALPHA);
  // The dialog is left by its buttons only.
  ::DeleteMenu(::GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND);
  CreateControls();
}

Win32SettingsView::~Win32SettingsView() { DestroyWindow(); }

// The tab strip was scaled with the other controls; the page frame below it
// follows.
void Win32SettingsView::DpiChanged() {
  RECT strip{};
  ::GetWindowRect(::GetDlgItem(ToHwnd(handle_), kPages), &strip);
  stripHeight_ = strip.bottom - strip.top;
  FitLabel(ToHwnd(handle_), kWordsLabel, dpi_);
  ::InvalidateRect(ToHwnd(handle_), nullptr, TRUE);
}

void Win32SettingsView::CreateControls() {
  HWND window = ToHwnd(handle_);
  HINSTANCE module = reinterpret_cast<HINSTANCE>(ModuleInstance());
  const DpiScale s(dpi_);
  HWND tabs = ::CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, s(8), s(8),
                                s(401), s(380), window, reinterpret_cast<HMENU>(static_cast<intptr_t>(kPages)), module,
                                nullptr);
  ::SendMessageA(tabs, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(dpi_)), FALSE);
  const int pageTexts[kPageCount] = {1300, 1306, 1316, 1790};
  for (int i = 0; i < kPageCount; ++i) {
    std::string text = LangStr(pageTexts[i]);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    ::SendMessageA(tabs, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
  RECT display{0, 0, s(401), s(380)};
  ::SendMessageA(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  const int pageLeft = s(8) + display.left, pageTop = s(8) + display.top;
  // The page control shows only its tabs; the page below them is the
  // dialog's own background with a frame, the colour of every label and
  // check box on it, whatever visual style the tabs are drawn in.
  stripHeight_ = display.top;
  ::MoveWindow(tabs, s(8), s(8), s(401), stripHeight_, FALSE);

  for (const ControlLayout& item : kControls) {
    int x = item.x, y = item.y;
    if (item.group) {
      const ControlLayout* group = LayoutOf(item.group);
      x += group->x;
      y += group->y;
    }
    x = s(x);
    y = s(y);
    if (item.page >= 0) {
      x += pageLeft;
      y += pageTop;
    }
    const char* cls = "STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    switch (item.kind) {
      case kLabel:
      case kBoldLabel: style |= SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS; break;
      case kWrapLabel: style |= SS_LEFT | SS_NOPREFIX; break;
      case kIcon: style |= SS_ICON; break;
      case kGroup: cls = "BUTTON"; style |= BS_GROUPBOX; break;
      case kCheck: cls = "BUTTON"; style |= BS_AUTOCHECKBOX | WS_TABSTOP; break;
      case kFirstRadio: cls = "BUTTON"; style |= BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP; break;
      case kRadio: cls = "BUTTON"; style |= BS_AUTORADIOBUTTON; break;
      case kTrack: cls = TRACKBAR_CLASSA; style |= TBS_AUTOTICKS | TBS_HORZ | WS_TABSTOP; break;
      case kCombo: cls = "COMBOBOX"; style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP; break;
      case kPush: cls = "BUTTON"; style |= BS_PUSHBUTTON | WS_TABSTOP; break;
      case kCheckList:
        cls = WC_LISTVIEWA;
        style |= LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP;
        break;
    }
    const std::string text = item.langId ? LangStr(item.langId) : std::string(item.text);
    HWND control = ::CreateWindowExA(0, cls, text.c_str(), style, x, y, s(item.w), s(item.h), window,
                                     reinterpret_cast<HMENU>(static_cast<intptr_t>(item.id)), module, nullptr);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(item.kind == kBoldLabel ? DialogFontBold(dpi_) : DialogFont(dpi_)),
                   FALSE);
  }
  // Group boxes behind the controls they hold, the page control behind all.
  for (const ControlLayout& item : kControls)
    if (item.kind == kGroup)
      ::SetWindowPos(::GetDlgItem(window, item.id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ::SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

  ::SendDlgItemMessageA(window, kBreakInterval, TBM_SETRANGE, FALSE, MAKELPARAM(1, 10));
  ::SendDlgItemMessageA(window, kPagesTrackBar, TBM_SETRANGE, FALSE, MAKELPARAM(1, 30));
  ::SendDlgItemMessageA(window, kPagesTrackBar, TBM_SETTICFREQ, 2, 0);
  ::SendDlgItemMessageA(window, kWordCount, TBM_SETRANGE, FALSE, MAKELPARAM(1, 40));
  ::SendDlgItemMessageA(window, kWordCount, TBM_SETTICFREQ, 2, 0);
  HICON icon = ::LoadIconA(module, "MAINICON");
  if (!icon) icon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  ::SendDlgItemMessageA(window, kImage1, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  ::EnableWindow(::GetDlgItem(window, kLoggedOffMode), FALSE);
  HWND apps = ::GetDlgItem(window, kAppsCheckList);
  ListView_SetExtendedListViewStyle(apps, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  column.cx = s(LayoutOf(kAppsCheckList)->w - 4) - ::GetSystemMetrics(SM_CXVSCROLL);
  ::SendMessageA(apps, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  CreateHints();
  ShowPage(0);
}

// The hints: collecting words, "Return To Screen", and the statistics
// panel's mouse clicks (a region of the dialog: the panel lets the mouse
// through to it).
void Win32SettingsView::CreateHints() {
  HWND window = ToHwnd(handle_);
  HWND tips = ::CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                reinterpret_cast<HINSTANCE>(ModuleInstance()), nullptr);
  tips_ = FromHwnd(tips);
  const auto add = [&](int id, const std::string& text) {
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = window;
    tool.uId = static_cast<UINT_PTR>(id);
    HWND control = ::GetDlgItem(window, id);
    if (id != kStatpanel) {
      tool.uFlags |= TTF_IDISHWND;
      tool.uId = reinterpret_cast<UINT_PTR>(control);
    } else {
      ::GetWindowRect(control, &tool.rect);
      ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&tool.rect), 2);
    }
    std::string copy = text;
    tool.lpszText = copy.data();
    ::SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  };
  add(kDoNotCollectWords, LangStr(1298));
  add(kCenterButton1, "Move Widget to Screen Default Position");
  add(kStatpanel, "");
  ::SendMessageA(tips, TTM_SETMAXTIPWIDTH, 0, 300);
}

void Win32SettingsView::SetStatpanelHint(const std::string& text) {
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = ToHwnd(handle_);
  tool.uId = kStatpanel;
  std::string copy = text;
  tool.lpszText = copy.data();
  ::SendMessageA(ToHwnd(tips_), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string Win32SettingsView::Hint(const std::string& name) const {
  HWND window = ToHwnd(handle_);
  const ControlLayout* item = nullptr;
  for (const ControlLayout& candidate : kControls)
    if (name == candidate.name) item = &candidate;
  if (!item) return "";
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = window;
  tool.uId = item->id == kStatpanel ? static_cast<UINT_PTR>(kStatpanel)
                                    : reinterpret_cast<UINT_PTR>(::GetDlgItem(window, item->id));
  char text[512] = "";
  tool.lpszText = text;
  ::SendMessageA(ToHwnd(tips_), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  return text;
}

// The check list from the dialog's rows.
void Win32SettingsView::FillApplications() {
  if (!dialog_) return;
  HWND window = ToHwnd(handle_);
  HWND apps = ::GetDlgItem(window, kAppsCheckList);
  filling_ = true;
  ::SendMessageA(apps, LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < dialog_->CheckList.size(); ++i) {
    const IApplicationList::Offer& row = dialog_->CheckList[i];
    std::string text = row.DisplayName.empty() || row.DisplayName == row.Key
                           ? row.Key
                           : row.DisplayName + "  (" + row.Key + ")";
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(i);
    item.pszText = text.data();
    const int at = static_cast<int>(::SendMessageA(apps, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    ListView_SetCheckState(apps, at, row.Monitored);
  }
  Check(window, kViewActiveChk, dialog_->AppListMode != 2);
  Check(window, kViewAllChk, dialog_->AppListMode == 2);
  filling_ = false;
}

WindowHandle Win32SettingsView::Control(const std::string& name) const {
  if (name == "Pages") return FromHwnd(::GetDlgItem(ToHwnd(handle_), kPages));
  for (const ControlLayout& item : kControls)
    if (name == item.name) return FromHwnd(::GetDlgItem(ToHwnd(handle_), item.id));
  return 0;
}

void Win32SettingsView::ShowPage(int page) {
  page_ = page;
  HWND window = ToHwnd(handle_);
  ::SendDlgItemMessageA(window, kPages, TCM_SETCURSEL, page, 0);
  const bool wordsVisible = !dialog_ || dialog_->WordCountVisible;
  ::ShowWindow(ToHwnd(tips_), SW_HIDE);
  for (const ControlLayout& item : kControls) {
    bool visible = item.page < 0 || item.page == page;
    if (item.id == kLoggedOffMode) visible = false;  // kept, never offered
    if ((item.id == kWordCount || item.id == kWordsLabel) && !wordsVisible) visible = false;
    ::ShowWindow(::GetDlgItem(window, item.id), visible ? SW_SHOWNA : SW_HIDE);
  }
  // The page's own background first, then the controls over it: a group
  // box draws its frame and caption only, so whatever the other page left
  // inside it stays unless the page is erased under it.
  const DpiScale s(dpi_);
  RECT area{s(8), s(8) + stripHeight_, s(8 + 401), s(8 + 380)};
  ::RedrawWindow(window, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

ModalResult Win32SettingsView::ShowModal(TChooseApplications& dialog) {
  dialog_ = &dialog;
  Load();
  ShowPage(0);
  const ModalResult result = RunModal(Control("OkBtn"));
  dialog_ = nullptr;
  return result;
}

void Win32SettingsView::EndModal(ModalResult result) {
  if (!Showing()) return;
  if (dialog_) dialog_->Result = result;
  EndModalWith(result);
}

void Win32SettingsView::Focus() {
  HWND window = ToHwnd(handle_);
  if (!::IsWindowVisible(window)) return;
  ::BringWindowToTop(window);
  ::SetForegroundWindow(window);
}

void Win32SettingsView::Load() {
  if (!dialog_) return;
  const TChooseApplications& d = *dialog_;
  HWND window = ToHwnd(handle_);
  ::SetWindowTextA(window, d.Caption.c_str());
  SetText(window, kUsrNameLbl2, d.UsrNameLbl2);
  Check(window, kTakeABreak, d.TakeABreak);
  SetPosition(window, kBreakInterval, d.BreakInterval);
  Check(window, kNotifyWhenDifficulties, d.NotifyWhenDifficulties);
  SetPosition(window, kPagesTrackBar, d.PagesTrackBar);
  SetPosition(window, kWordCount, d.WordCount);
  Check(window, kDoNotCollectWords, d.DoNotCollectWords);
  ::EnableWindow(::GetDlgItem(window, kDoNotCollectWords), d.DoNotCollectWordsEnabled);
  Check(window, kDoNotDisplayTxt, d.DoNotDisplayTxt);
  SetText(window, kAppliedWinUser, d.AppliedWinUser);
  Check(window, kLaunchAtStartup, d.LaunchAtStartup);
  Check(window, kUseSelectedUser, d.UseSelectedUser);
  Check(window, kShowUserList, d.ShowUserList);
  Check(window, kLoggedOffMode, d.LoggedOffMode);
  HWND users = ::GetDlgItem(window, kSelectedUser);
  ::SendMessageA(users, CB_RESETCONTENT, 0, 0);
  for (const std::string& name : d.SelectedUserList)
    ::SendMessageA(users, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  ::SetWindowTextA(users, d.SelectedUser.c_str());
  SetText(window, kPrgNameLbl, LangStr(1287));
  SetText(window, kVersionLbl, d.VersionLbl);
  SetText(window, kStatusLabel, d.StatusLabel);
  SetText(window, kUserNameLbl, d.UserNameLbl);
  SetText(window, kDateStarted, d.DateStarted);
  SetText(window, kTotalHits, d.TotalHits);
  SetText(window, kAnalyzedHits, d.AnalyzedHits);
  SetText(window, kBigramCountLbl, d.BigramCountLbl);
  SetStatpanelHint(d.StatpanelHint);
  FillApplications();
  RefreshTexts();
}

void Win32SettingsView::Pull() {
  if (!dialog_) return;
  TChooseApplications& d = *dialog_;
  HWND window = ToHwnd(handle_);
  d.TakeABreak = Checked(window, kTakeABreak);
  d.BreakInterval = Position(window, kBreakInterval);
  d.NotifyWhenDifficulties = Checked(window, kNotifyWhenDifficulties);
  d.PagesTrackBar = Position(window, kPagesTrackBar);
  d.WordCount = Position(window, kWordCount);
  d.DoNotCollectWords = Checked(window, kDoNotCollectWords);
  d.DoNotDisplayTxt = Checked(window, kDoNotDisplayTxt);
  d.LaunchAtStartup = Checked(window, kLaunchAtStartup);
  d.UseSelectedUser = Checked(window, kUseSelectedUser);
  d.ShowUserList = Checked(window, kShowUserList);
  d.LoggedOffMode = Checked(window, kLoggedOffMode);
  d.SelectedUser = TextOf(::GetDlgItem(window, kSelectedUser));
}

// The captions that follow the track bars and the word-collection switch.
void Win32SettingsView::RefreshTexts() {
  if (!dialog_) return;
  TChooseApplications& d = *dialog_;
  HWND window = ToHwnd(handle_);
  d.BreakInterval = Position(window, kBreakInterval);
  d.PagesTrackBar = Position(window, kPagesTrackBar);
  d.WordCount = Position(window, kWordCount);
  d.DoNotCollectWords = Checked(window, kDoNotCollectWords);
  d.RefreshTexts();
  SetText(window, kTakeABreak, d.TakeABreakCaption);
  SetText(window, kNotifyWhenDifficulties, d.NotifyCaption);
  SetText(window, kWordsLabel, d.WordsLabel);
  FitLabel(window, kWordsLabel, dpi_);
  if (page_ == 0) {
    ::ShowWindow(::GetDlgItem(window, kWordCount), d.WordCountVisible ? SW_SHOWNA : SW_HIDE);
    ::ShowWindow(::GetDlgItem(window, kWordsLabel), d.WordCountVisible ? SW_SHOWNA : SW_HIDE);
  }
}

void Win32SettingsView::Command(int id) {
  if (!dialog_) return;
  switch (id) {
    case kOkBtn:
      Pull();
      dialog_->OkClick();
      break;
    case kLogoffBtn:
      Pull();
      dialog_->LogoffClick();
      break;
    case kCenterButton1:
      dialog_->CenterClick();
      if (onReturnToScreen) onReturnToScreen();
      break;
    case kViewActiveChk:
      if (dialog_->AppListMode != 1) dialog_->ViewActiveChkClick();
      FillApplications();
      break;
    case kViewAllChk:
      if (dialog_->AppListMode != 2) dialog_->ViewAllChkClick();
      FillApplications();
      break;
    case kDoNotCollectWords:
      dialog_->DoNotCollectWords = Checked(ToHwnd(handle_), kDoNotCollectWords);
      dialog_->DoNotCollectWordsClick();
      RefreshTexts();
      break;
    default:
      break;
  }
}

bool Win32SettingsView::KeyPressed(int) {
  // No default or cancel button: Enter and Escape do nothing here.
  return true;
}

intptr_t Win32SettingsView::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) Command(LOWORD(wParam));
      return 0;
    case WM_HSCROLL:
      if (lParam) RefreshTexts();
      return 0;
    case WM_PAINT: {
      const PaintDc dc(ToHwnd(handle_));
      const DpiScale s(dpi_);
      RECT page{s(8), s(8) + stripHeight_ - 2, s(8 + 401), s(8 + 380)};
      ::DrawEdge(dc.Get(), &page, EDGE_RAISED, BF_RECT);
      return 0;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom == kPages && header->code == static_cast<UINT>(TCN_SELCHANGE))
        ShowPage(static_cast<int>(::SendDlgItemMessageA(ToHwnd(handle_), kPages, TCM_GETCURSEL, 0, 0)));
      if (header->idFrom == kAppsCheckList && header->code == static_cast<UINT>(LVN_ITEMCHANGED) && !filling_ &&
          dialog_) {
        // A change of the check box is a change of the state image.
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if ((change->uChanged & LVIF_STATE) && ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK))
          dialog_->AppsCheckListClickCheck(static_cast<size_t>(change->iItem),
                                           ListView_GetCheckState(header->hwndFrom, change->iItem) != 0);
      }
      return 0;
    }
    default:
      break;
  }
  return Win32ModalWindow::WindowProc(message, wParam, lParam);
}

}  // namespace strevo
