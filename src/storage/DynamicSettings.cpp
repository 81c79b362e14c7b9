#include "storage/DynamicSettings.h"

#include "platform/Ansi.h"
#include "platform/Application.h"
#include "platform/Platform.h"
#include "storage/LangRes.h"

namespace strevo {

int32_t TDynamicSettings::Open(const std::string& fileName, int32_t mode) {
  fileName_ = fileName;
  return store_->Open(fileName, mode);
}

int32_t TDynamicSettings::Load() {
  try {
    store_->EnsureLoaded();
    return 1;
  } catch (const std::exception&) {
    return -1;
  }
}

int32_t TDynamicSettings::Save() { return store_->Save() ? 1 : -1; }

std::string TDynamicSettings::GetString(const std::string& name) {
  std::string value;
  if (store_->GetString(name, value) != 1) value.clear();
  return value;
}

int32_t TDynamicSettings::GetInteger(const std::string& name) {
  int32_t value = 0;
  return store_->GetInteger(name, value) == 1 ? value : 0;
}

int64_t TDynamicSettings::GetInt64(const std::string& name) {
  int64_t value = 0;
  return store_->GetInt64(name, value) == 1 ? value : 0;
}

float TDynamicSettings::GetFloat(const std::string& name) {
  float value = 0;
  return store_->GetFloat(name, value) == 1 ? value : 0.0f;
}

std::unique_ptr<std::vector<std::string>> TDynamicSettings::GetStrings(const std::string& name) {
  auto list = std::make_unique<std::vector<std::string>>();
  if (store_->GetStrings(name, *list) != 1) return nullptr;
  return list;
}

bool TDynamicSettings::GetBool(const std::string& name) {
  const std::string value = GetString(name);
  if (value.empty()) return false;
  const unsigned char first = ansi_upper_char(static_cast<unsigned char>(value[0]));
  return first == 'T' || first == 'Y' || first == '1';
}

// ------------------------------------------------------------- the policy --

std::unique_ptr<TDynamicSettings> PolicySettings;
bool PolicyDisableColorKeyboard = false;
int32_t PolicyWpmLength = 5;
bool PolicyPreventBackspace = false;
bool PolicyAnalyseInjected = false;

bool LoadPolicy(const std::string& fileName) {
  PolicySettings = std::make_unique<TDynamicSettings>();
  if (PolicySettings->Open(fileName, dynamic_mode::ReadOnlyShared) != 1) return false;
  PolicySettings->Load();
  PolicyDisableColorKeyboard = PolicySettings->GetBool("disable_colorkbd");
  int32_t length = PolicySettings->GetInteger("wpm_length");
  if (length == 0) length = PolicySettings->GetInteger("ErrorFactor");
  PolicyWpmLength = length < 1 ? 5 : length;
  PolicyPreventBackspace = PolicySettings->GetBool("Prevent_Backspace");
  PolicyAnalyseInjected = PolicySettings->GetBool("Analyse_Injected");
  return true;
}

void ResetPolicy() {
  PolicySettings.reset();
  PolicyDisableColorKeyboard = false;
  PolicyWpmLength = 5;
  PolicyPreventBackspace = false;
  PolicyAnalyseInjected = false;
}

// ---------------------------------------------------- workstation settings --

std::unique_ptr<TDynamicSettings> WorkstationSettings;

namespace {

bool OpenAndLoad(TDynamicSettings& settings, const std::string& fileName) {
  settings.Open(fileName, dynamic_mode::ReadWriteDenyWrite);
  return settings.Load() == 1;
}

}  // namespace

bool OpenWorkstationSettings(const std::string& fileName) {
  WorkstationSettings = std::make_unique<TDynamicSettings>();
  if (OpenAndLoad(*WorkstationSettings, fileName)) return true;
  // Another session holding the file locked for writing: use the second copy.
  if (OpenAndLoad(*WorkstationSettings, fileName + ".2nd")) return true;
  WorkstationSettings.reset();
  Dialogs().ShowMessage("#1551 " + LangStr(1889) + "\r\r" + LangStr(1890) + "\r" + LangStr(1891), LangStr(1),
                        mb::kIconError);
  Application().Terminate();
  return false;
}

}  // namespace strevo
