// TNotifyForm: the training notification window's logic — its texts (those
// of the form for English, the language's otherwise), the three gauges the
// tray core fills, and the buttons and keys that close it with a result:
// begin training (5), skip (1), customise the settings (7).
#pragma once

#include <cstdint>
#include <string>

#include "ui/Forms.h"

namespace strevo {

class TNotifyForm {
 public:
  explicit TNotifyForm(INotifyView& view) : view_(view) {}

  // Localized texts; called once the language is loaded.
  void FormCreate();
  ModalResult ShowModal();
  bool Showing() { return view_.Showing(); }
  void Hide() { view_.Hide(); }

  // The buttons: the "begin" button, "Skip Training Today", "Customize
  // Settings..". Each closes the window with its result.
  void ReviewNowClick() { Close(ModalResult::BeginTraining); }
  void DonotReviewBtn2Click() { Close(ModalResult::Ok); }
  void SettingsBtnClick() { Close(ModalResult::Customise); }
  // Enter (13) and Escape (27) skip the training; true when handled.
  bool FormShortCut(int key);
  // The header picture: the tutor's web page.
  void Image2Click();

  // A gauge: progress 0-100 and its bar colour (0xBBGGRR).
  struct Gauge {
    int32_t progress = 0;
    uint32_t colour = 0x840000;
  };

  std::string Caption = "Strevo";
  std::string ProductNameLbl = "Time for Training?";
  std::string Label1 = "Practising recommended";
  std::string Description = "Strevo has found areas where you can improve.    Start training to boost your typing skills!";
  std::string PractiseCommentLbl = "Training Available";
  std::string PractiseComment2Lbl = "Areas to Improve";
  std::string DiffKeysLbl = "Keys", DiffCapitalsLbl = "Capital letters", DiffWordsLbl = "Words";
  std::string BeginCaption = "Begin Training";
  std::string DonotReviewCaption = "Skip Training Today";
  std::string Label2 = "Don't want to see this window so often?";
  std::string SettingsCaption = "Customize Settings..";
  Gauge KeyIndexGraph, CapitalIndexGraph, WordIndexGraph{0, 0x8000FF};
  std::string KeyInfoLbl, CapitalInfoLbl, WordInfoLbl;
  bool DoNotShow = false;
  ModalResult Result = ModalResult::None;
  // The comment line's own text, for showings without a stronger one.
  std::string DefaultComment = PractiseCommentLbl;

 private:
  void Close(ModalResult result);

  INotifyView& view_;
};

// The page of the tutor's site the header picture opens.
inline constexpr const char* kTutorWebPage = "https://www.quorvel.example/training";

}  // namespace strevo
