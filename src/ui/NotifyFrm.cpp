#include "ui/NotifyFrm.h"

#include "storage/LangRes.h"
#include "storage/ToolBox.h"

namespace strevo {

void TNotifyForm::FormCreate() {
  // The English texts are the form's own; other languages bring theirs.
  if (LangStr(0) == "language.eng") return;
  Caption = ProductNameLbl = LangStr(566);
  Label1 = LangStr(316);
  DiffKeysLbl = LangStr(656);
  DiffCapitalsLbl = LangStr(657);
  DiffWordsLbl = LangStr(658);
  BeginCaption = LangStr(1330);
  DonotReviewCaption = LangStr(1284);
  PractiseCommentLbl = LangStr(1334);
  PractiseComment2Lbl = LangStr(312);
  Description = LangStr(1333);
  Label2.clear();
  SettingsCaption = LangStr(631);
  DefaultComment = PractiseCommentLbl;
}

ModalResult TNotifyForm::ShowModal() {
  Result = ModalResult::None;
  return view_.ShowModal(*this);
}

bool TNotifyForm::FormShortCut(int key) {
  if (key != 13 && key != 27) return false;
  DonotReviewBtn2Click();
  return true;
}

void TNotifyForm::Image2Click() { OpenUrl(kTutorWebPage); }

void TNotifyForm::Close(ModalResult result) {
  Result = result;
  view_.EndModal(result);
}

}  // namespace strevo
