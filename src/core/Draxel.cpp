#include "core/Draxel.h"

#include <exception>
#include <memory>

#include "analysis/AnalyzerAPI.h"
#include "core/TutorLaunch.h"
#include "core/TrayMain.h"
#include "input/MessageNames.h"
#include "platform/Application.h"
#include "storage/DebugLog.h"
#include "storage/Exceptions.h"
#include "storage/LangRes.h"
#include "storage/DynamicSettings.h"
#include "storage/PrgSetup.h"
#include "storage/User.h"
#include "ui/ChooseAppsFrm.h"
#include "ui/InfoOnTopWindow.h"
#include "ui/NotifyFrm.h"
#include "ui/ULoginForm.h"

namespace strevo {

std::unique_ptr<TAnalyzer> ProgramStartup() {
  auto analyzer = std::make_unique<TAnalyzer>();
  Files().ChangeDirectory(ExtractFilePath(System().ExecutablePath()));
  int result = -1;
  try {
    result = Localize().Load("language", TLocalize::kMainFile);
  } catch (const std::exception& error) {
    // A damaged language file: say so and end, but leave the autostart entry
    // alone (the installation is still there).
    Dialogs().ShowMessage(error.what(), "Strevo", mb::kIconError);
    Application().Terminate();
    return analyzer;
  }
  if (result < 0) {
    // The program ends; its autostart entry stays (the uninstaller removes
    // it): a language file the program could not find is no uninstallation.
    Dialogs().ShowMessage("Strevo uninstallation done.", "Strevo", mb::kOk);
    Application().Terminate();
    return analyzer;
  }
  if (LangStr(0) == "language.hin") {
    Dialogs().ShowMessage("Hindi Installation not supported. Re-install software in English.", "Strevo Not Available",
                          mb::kOk);
    RemoveAutoStart();
    Application().Terminate();
  }
  return analyzer;
}

void ProgramMain(const Forms& forms, TAnalyzer& analyzer) {
  Application().SetTitle(kApplicationTitle);
  TChooseApplications settings(*forms.settings);
  settings.FormCreate();
  TInfoOnTop widget(*forms.widget);
  widget.EnglishFace = LangStr(0) == "language.eng";
  TNotifyForm notify(*forms.notify);
  notify.FormCreate();
  TLogForm logon(*forms.logon);
  logon.FormCreate();
  if (forms.taskbar) forms.taskbar->SetCaption(kTaskbarWindowCaption);
  std::string toolbarError;
  bool autostartRemoved = false;
  if (forms.taskbar && !forms.taskbar->ToolbarActive(toolbarError)) {
    DebugLog(0, "FormCreate: tb.Active failed: " + toolbarError + " - thumbnail toolbar disabled");
    autostartRemoved = RemoveAutoStartForToolbar();
  }
  {
    TTrayMain tray(forms, analyzer, widget, logon, settings, notify);
    // The user's choice puts the entry back at the start of monitoring.
    if (autostartRemoved) tray.ApplyAutoStartWhenEnabled();
    try {
      // A program that is already ending (language check) shows nothing more.
      if (!Application().Terminated()) tray.Run();
    } catch (const std::exception& error) {
      Dialogs().ShowMessage(std::string("Program quits, Unhandled Error occured") + error.what(), "Strevo",
                            mb::kIconError);
      if (tray.Initialized()) {
        try {
          tray.Finalize();
        } catch (...) {
        }
      }
    }
    DebugLog(-2, "} IPCForm.Init - terminating");
    Application().Terminate();
  }
  ReleaseProgramObjects();
}

void ReleaseProgramObjects() {
  CurrentUser.reset();
  WorkstationSettings.reset();
  ResetPolicy();
  ProgramSettings.reset();
}

}  // namespace strevo
