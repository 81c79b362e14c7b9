// The user's list of known applications (TSpyedApps, one TAppSettings per
// executable) with its per-application monitoring switch, kept in the user's
// ".SET" file. An application whose monitoring is switched off is published
// as the global atom "QVSAD" + qualifier + executable name, so that the other
// programs of the family can see that it is excluded.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storage/UserBlocks.h"

namespace strevo {

class TRecFile;

// One 772-byte record of the ".SET" file: the key (a 256-byte short string),
// then Enabled and Hidden (16-bit each), DisplayName and Qualifier (256 bytes
// each).
constexpr int32_t kAppRecordSize = 772;

class TAppSettings {
 public:
  // No atom is published at creation.
  TAppSettings(bool enabled, const std::string& name);

  bool IsEnabled() const { return Enabled; }
  // Publishes the atom on a switch to off and deletes it on a switch back
  // on; setting the same value again does nothing.
  void SetEnabled(bool value);
  // The four fields after the key (record offsets 256..771). Return the
  // file's status.
  int32_t LoadFrom(TRecFile& file);
  int32_t SaveTo(TRecFile& file) const;
  // One of the recorded process ids belongs to a running process.
  bool running() const;
  // Records a process of this application (once; the oldest goes when all
  // eleven places are taken), so that the settings dialog's view of running
  // applications finds it.
  void NoteProcess(uint32_t processId);
  // "QVSAD" + the first 250 characters of Qualifier + Key.
  std::string AtomName() const;

  bool Enabled = true;
  uint16_t Atom = 0;  // the atom this record published and still holds, 0 when none
  std::string Key;    // the executable name in upper case
  bool Hidden = false;
  std::string DisplayName;
  std::string Qualifier;
  std::array<uint32_t, 11> ProcessIds{};
  int32_t LastProcessIndex = 0;
};

// An entry of the list: the key and the record it owns.
struct TAppItem {
  std::string Key;
  std::unique_ptr<TAppSettings> App;
};

class TSpyedApps {
 public:
  TSpyedApps() = default;
  // Deletes every atom the records still hold.
  ~TSpyedApps();
  TSpyedApps(const TSpyedApps&) = delete;
  TSpyedApps& operator=(const TSpyedApps&) = delete;

  // Replaces the list with the records of the file. False when the file is
  // missing or cannot be opened (the list is then empty). A size that is not
  // a whole number of records is reported and the whole records are loaded.
  bool loadApps(const std::string& fileName);
  // Writes exactly the current list. The new contents are written beside
  // the file and replace it only once complete, so a failed write leaves the
  // old file as it was. Refuses (false) to write over a file that exists but
  // that loadApps could not read.
  bool saveApps(const std::string& fileName);
  // Adds a record under the upper-cased executable name (ASCII letters); the
  // well-known executables get their display names.
  void AddApp(bool enabled, const std::string& executable, const std::string& displayName,
              const std::string& qualifier, bool hidden);
  // The record that recorded processId; none for 0 or when none did.
  TAppSettings* find(uint32_t processId);
  // The first record of the executable (compared as AddApp upper-cases it);
  // an application typed in for the first time joins the list, monitored,
  // under the display name given (its executable's name when empty).
  TAppSettings& Join(const std::string& executable, const std::string& displayName);
  // In insertion order; a second record with an existing key sits beside the
  // first.
  std::vector<TAppItem>& GetItems() { return Items; }
  // Unique to this list and its load: a record found before stays valid
  // while the stamp is the same.
  uint32_t Stamp() const { return stamp_; }

  std::vector<TAppItem> Items;
  uint32_t CurrentPid = 0;  // the process last recognised on a mouse click

 private:
  void ReleaseItems();
  static uint32_t NextStamp();
  uint32_t stamp_ = NextStamp();
  // The file loadApps found but could not read; saveApps keeps away from it.
  std::string unreadableFile_;
};

// The user's ".SET" file as the user object loads and saves it: the list of
// the user who loaded it, none while no user is loaded. The user object has
// it loaded when it loads a user's statistics and dropped when that user is
// released, or when the next user is loaded into the same analysis.
class TUserApplications : public IApplicationList {
 public:
  void Drop() override;
  // The file's records; else the program's own executable (hidden, not
  // monitored), saved at once when the file is missing. A file that exists
  // but cannot be read keeps its contents.
  void Load(const TUser* owner, const std::string& path) override;
  void Save(const std::string& path) override;
  void Release(const TUser* owner) override;
  bool Loaded() const override { return list_ != nullptr; }
  std::vector<Offer> Offered(bool runningOnly) override;
  void SetMonitored(const std::string& key, bool monitored) override;

  // The loaded list; none while no user is loaded (every caller checks).
  TSpyedApps* List() const { return list_.get(); }

 private:
  std::unique_ptr<TSpyedApps> list_;
  const TUser* owner_ = nullptr;  // the user whose load created the list
};

}  // namespace strevo
