// TDynamicSettings: typed access with defaults to one TDynamicFile, and the
// two program-wide stores: the installation's policy file and the
// per-computer workstation file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storage/DynamicFile.h"

namespace strevo {

class TDynamicSettings {
 public:
  TDynamicSettings() : store_(std::make_unique<TDynamicFile>()) {}
  virtual ~TDynamicSettings() = default;
  TDynamicSettings(const TDynamicSettings&) = delete;
  TDynamicSettings& operator=(const TDynamicSettings&) = delete;

  // The result of the store's Open; remembers the name.
  int32_t Open(const std::string& fileName, int32_t mode);
  // 1, or -1 when the file cannot be loaded (for example after a failed open).
  int32_t Load();
  // 1, or -1 when the changes could not be written (they stay pending).
  int32_t Save();

  TDynamicFile& Store() { return *store_; }
  const std::string& FileName() const { return fileName_; }

  // The value, or the default when the name is missing or the file cannot be
  // read; a value that cannot be converted reads as 0.
  std::string GetString(const std::string& name);
  int32_t GetInteger(const std::string& name);
  int64_t GetInt64(const std::string& name);
  float GetFloat(const std::string& name);
  // A new list, or none when the name is missing.
  std::unique_ptr<std::vector<std::string>> GetStrings(const std::string& name);
  // True when the value, upper-cased, begins with "T", "Y" or "1".
  bool GetBool(const std::string& name);

  int32_t SetString(const std::string& name, const std::string& value) { return store_->SetString(name, value); }
  int32_t SetInteger(const std::string& name, int32_t value) { return store_->SetInteger(name, value); }
  int32_t SetInt64(const std::string& name, int64_t value) { return store_->SetInt64(name, value); }
  int32_t SetBool(const std::string& name, bool value) { return store_->SetBool(name, value); }
  int32_t SetFloat(const std::string& name, double value) { return store_->SetFloat(name, value); }
  int32_t SetStrings(const std::string& name, const std::vector<std::string>& list) {
    return store_->SetStrings(name, list);
  }

 private:
  std::unique_ptr<TDynamicFile> store_;
  std::string fileName_;
};

// ------------------------------------------------------------- the policy --

// The installation's policy file; none until LoadPolicy has run (readers
// test for that).
extern std::unique_ptr<TDynamicSettings> PolicySettings;

// The policy values LoadPolicy reads; before it runs they hold false, 5 and
// false.
extern bool PolicyDisableColorKeyboard;  // "disable_colorkbd"
extern int32_t PolicyWpmLength;          // "wpm_length": characters per word
extern bool PolicyPreventBackspace;      // "Prevent_Backspace"
// "Analyse_Injected": keys that programs send (remote tools, macros,
// auto-type) are analysed as typed ones; by default they are only counted.
extern bool PolicyAnalyseInjected;

// Creates PolicySettings, opens fileName read only and shared, and when that
// succeeds loads it and reads the policy values. True when the open succeeded.
bool LoadPolicy(const std::string& fileName);
// Releases PolicySettings and puts the policy values back to their defaults.
void ResetPolicy();

// ---------------------------------------------------- workstation settings --

// The per-computer settings file; none until opened, and released when
// monitoring stops.
extern std::unique_ptr<TDynamicSettings> WorkstationSettings;

// Opens fileName (then fileName + ".2nd") writable with others allowed to
// read, and loads it. When neither can be used: the "#1551" error box, a
// request to terminate the application, WorkstationSettings none, false.
bool OpenWorkstationSettings(const std::string& fileName);

}  // namespace strevo
