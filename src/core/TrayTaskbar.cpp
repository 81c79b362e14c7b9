// TTrayMain and the taskbar window: the typing-history graph it carries,
// its thumbnail toolbar's buttons, and the tray menu entry that shows it.
#include "core/TrayMain.h"
#include "storage/DebugLog.h"
#include "ui/Nervgrph.h"

namespace strevo {

// The graph lives on the taskbar window at (10, 5), 230 × 105. The window
// lets go of the old one before it goes.
void TTrayMain::NewSpeedGraph() {
  if (forms_.taskbar) forms_.taskbar->SetGraph(nullptr);
  speedGraph_ = std::make_unique<TNervoGraph>(forms_.taskbar ? forms_.taskbar->GraphCanvas() : nullptr);
  speedGraph_->Start();
  speedGraph_->ClearBackground = true;
  speedGraph_->Top = 5;
  speedGraph_->Left = 10;
  speedGraph_->Height = 105;
  speedGraph_->Width = 230;
  if (forms_.taskbar) forms_.taskbar->SetGraph(speedGraph_.get());
}

// The thumbnail toolbar's buttons by id. Button 4 is hidden and disabled;
// an id of no button does nothing.
void TTrayMain::tbThumbButtonClick(int id) {
  DebugLog(0, "TIPCForm.tbThumbButtonClick " + std::to_string(id));
  switch (id) {
    case kThumbEnable: EnableNow(""); break;
    case kThumbDisable: DisableNow(""); break;
    case kThumbStatistics: StatisticsClick(); break;
    case kThumbSettings: ChooseAppsClick(); break;
    case kThumbTraining: NotifyNow(); break;  // "This window appears when training is needed."
    case kThumbHistory:
      if (forms_.taskbar) {
        // The tray menu's entry keeps showing whether the window is up.
        const bool show = !forms_.taskbar->Visible();
        if (show) forms_.taskbar->Show();
        else forms_.taskbar->Hide();
        if (forms_.trayIcon) forms_.trayIcon->CheckItem(static_cast<int>(MenuEntry::Taskbar), show);
      }
      break;
    default: break;
  }
}

void TTrayMain::InfoOnTopClick() {
  if (!forms_.trayIcon) return;
  const int entry = static_cast<int>(MenuEntry::Taskbar);
  const bool checked = !forms_.trayIcon->ItemChecked(entry);
  forms_.trayIcon->CheckItem(entry, checked);
  if (forms_.taskbar) {
    if (checked) forms_.taskbar->Show();
    else forms_.taskbar->Hide();
  }
}

}  // namespace strevo
