#include "input/SpyApps.h"

#include <algorithm>

#include "platform/Ansi.h"
#include "platform/Platform.h"
#include "storage/DebugLog.h"
#include "storage/FileObj.h"
#include "storage/WholeFile.h"

namespace strevo {


namespace {

constexpr size_t kShortStringLength = 255;
constexpr size_t kAtomTextLength = 250;
constexpr int32_t kLastProcessSlot = 10;

struct WellKnownApp {
  const char* executable;
  const char* displayName;
};

constexpr WellKnownApp kWellKnownApps[] = {
    {"SCHDPL32.EXE", "Schedule+"},   {"QUORVEL4.EXE", "Quorvel 98/99"}, {"WINWORD.EXE", "Microsoft Word"},
    {"EXCEL.EXE", "Microsoft Excel"}, {"EUDORA.EXE", "Eudora"},
};

std::string ShortString(const std::string& text) { return text.substr(0, kShortStringLength); }

// Atoms are deleted also from destructors that may run after the platform
// has gone (the process-wide list at exit).
IAtoms* AtomTable() { return PlatformInstalled() ? CurrentPlatform().atoms : nullptr; }

}  // namespace

// ------------------------------------------------------------ one record --

TAppSettings::TAppSettings(bool enabled, const std::string& name) : Enabled(enabled), DisplayName(ShortString(name)) {}

std::string TAppSettings::AtomName() const { return "QVSAD" + (Qualifier + Key).substr(0, kAtomTextLength); }

void TAppSettings::SetEnabled(bool value) {
  const std::string name = AtomName();
  if (!value && Enabled && !Qualifier.empty()) {
    // Published already (by another program, or by a second record whose
    // qualifier and key give the same name): this record still takes a
    // reference of its own, so that the atom stays while any record that
    // shares it is switched off, and giving ours back never takes away
    // another's.
    if (Atoms().FindAtom(name) != 0) DebugLog(1, "TSpyedApps: Error - ATOM ALREADY EXISTS!!");
    Atom = Atoms().AddAtom(name);
    DebugLog(1, "TSpyedApps: Added Atom: " + name);
  }
  if (value && !Enabled && !Qualifier.empty() && Atom != 0) {
    DebugLog(1, "TSpyedApps: Atom deleted !");
    Atoms().DeleteAtom(Atom);
    // The reference is given back, so nothing may delete it a second time
    // (that would take away a reference another program holds).
    Atom = 0;
  }
  Enabled = value;
}

int32_t TAppSettings::LoadFrom(TRecFile& file) {
  // A field that cannot be read keeps its default.
  int32_t number = 0;
  if (file.ReadSmallInt(number) == FileStatus::Good) Enabled = number != 0;
  if (file.ReadSmallInt(number) == FileStatus::Good) Hidden = number != 0;
  std::string text;
  if (file.ReadShortStr(kShortStringLength, text) == FileStatus::Good) DisplayName = text;
  if (file.ReadShortStr(kShortStringLength, text) == FileStatus::Good) Qualifier = text;
  return file.Status;
}

int32_t TAppSettings::SaveTo(TRecFile& file) const {
  file.WriteWord(Enabled ? 1 : 0);
  file.WriteWord(Hidden ? 1 : 0);
  file.WriteShortStr(DisplayName);
  return file.WriteShortStr(Qualifier);
}

bool TAppSettings::running() const {
  const int32_t last = std::min<int32_t>(LastProcessIndex, static_cast<int32_t>(ProcessIds.size()) - 1);
  for (int32_t i = 0; i <= last; ++i) {
    const uint32_t pid = ProcessIds[static_cast<size_t>(i)];
    if (pid != 0 && Processes().IsRunning(pid)) {
      DebugLog(1, "TSpyedApps.running() found pid :" + std::to_string(pid));
      return true;
    }
  }
  DebugLog(1, " TSpyedApps.running() - NOT FOUND");
  return false;
}

void TAppSettings::NoteProcess(uint32_t processId) {
  if (processId == 0) return;
  const auto last = static_cast<size_t>(std::clamp<int32_t>(LastProcessIndex, 0, kLastProcessSlot));
  for (size_t i = 0; i <= last; ++i)
    if (ProcessIds[i] == processId) return;
  if (ProcessIds[last] == 0) {
    ProcessIds[last] = processId;
  } else if (last < static_cast<size_t>(kLastProcessSlot)) {
    ProcessIds[last + 1] = processId;
    LastProcessIndex = static_cast<int32_t>(last + 1);
  } else {
    std::copy(ProcessIds.begin() + 1, ProcessIds.end(), ProcessIds.begin());
    ProcessIds.back() = processId;
  }
}

// ------------------------------------------------------------- the list --

TSpyedApps::~TSpyedApps() { ReleaseItems(); }

uint32_t TSpyedApps::NextStamp() {
  static uint32_t next = 0;  // lists live on the main thread
  return ++next;
}

void TSpyedApps::ReleaseItems() {
  stamp_ = NextStamp();
  IAtoms* atoms = AtomTable();
  for (TAppItem& item : Items)
    if (item.App && item.App->Atom != 0 && atoms) atoms->DeleteAtom(item.App->Atom);
  Items.clear();
}

bool TSpyedApps::loadApps(const std::string& fileName) {
  TraceBlock trace("TSpyedApps.loadApps{", "} TSpyedApps.loadApps");
  ReleaseItems();
  unreadableFile_.clear();

  if (!Files().FileExists(fileName)) return false;
  TRecFile file;
  if (file.Open(fileName, rec_mode::OpenExisting, rec_access::ReadDenyWrite) != FileStatus::Good) {
    unreadableFile_ = fileName;
    return false;
  }
  if (!file.IsWholeRecords(kAppRecordSize))
    Dialogs().ShowMessage("Fatal Error: SpyApps file size invalid", "QV Wayfen", mb::kOk);

  const int32_t count = file.RecordCount(kAppRecordSize);
  Items.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    std::string key;
    file.ReadShortStr(kShortStringLength, key);
    auto app = std::make_unique<TAppSettings>(true, "");
    app->Key = key;
    app->LoadFrom(file);
    // Entered as enabled, so that a record stored as disabled publishes its
    // atom through the ordinary switch.
    const bool enabled = app->Enabled;
    app->Enabled = true;
    app->SetEnabled(enabled);
    Items.push_back({key, std::move(app)});
    DebugLog(0, "  loader added " + key);
  }
  // Records that could not be read hold defaults; writing them back would
  // lose what the file still has.
  if (file.Status != FileStatus::Good) unreadableFile_ = fileName;
  file.Close();
  return true;
}

bool TSpyedApps::saveApps(const std::string& fileName) {
  TraceBlock trace("TSpyedApps.saveApps{", "} TSpyedApps.saveApps");
  if (!unreadableFile_.empty() && same_text(unreadableFile_, fileName) && Files().FileExists(fileName)) {
    DebugLog(1, "TSpyedApps.saveApps: kept, the file could not be read: " + fileName);
    return false;
  }

  const int32_t status = WriteWholeRecordFile(fileName, [this](TRecFile& file) {
    for (const TAppItem& item : Items) {
      file.WriteShortStr(item.Key);
      const bool saved = item.App->SaveTo(file) == FileStatus::Good;
      DebugLog(0, "  saver saved " + item.Key);
      if (!saved) break;
    }
    return file.Status;
  });
  if (status != FileStatus::Good) {
    DebugLog(1, "TSpyedApps.saveApps: cannot write " + fileName);
    return false;
  }
  unreadableFile_.clear();
  return true;
}

void TSpyedApps::AddApp(bool enabled, const std::string& executable, const std::string& displayName,
                        const std::string& qualifier, bool hidden) {
  const std::string key = ShortString(ascii_upper(executable));
  auto app = std::make_unique<TAppSettings>(enabled, key);
  std::string name = displayName;
  for (const WellKnownApp& known : kWellKnownApps)
    if (key == known.executable) name = known.displayName;
  app->DisplayName = ShortString(name.empty() ? key : name);
  app->Key = key;
  app->Qualifier = ShortString(qualifier);
  app->Hidden = hidden;
  Items.push_back({key, std::move(app)});
}

TAppSettings& TSpyedApps::Join(const std::string& executable, const std::string& displayName) {
  const std::string key = ShortString(ascii_upper(executable));
  for (TAppItem& item : Items)
    if (item.Key == key) return *item.App;
  AddApp(true, key, displayName, "", false);
  DebugLog(0, "TSpyedApps: joined " + key);
  return *Items.back().App;
}

TAppSettings* TSpyedApps::find(uint32_t processId) {
  TraceBlock trace([&] { return "TSpyedApps.find  { PID=" + std::to_string(processId); },
                   " TSpyedApps.find - NOT FOUND pid:");
  if (processId == 0) {
    trace.CloseWith("} TSpyedApps.find quit - requested NILL pHwnd");
    return nullptr;
  }
  for (TAppItem& item : Items) {
    TAppSettings& app = *item.App;
    const int32_t last = std::min<int32_t>(app.LastProcessIndex, static_cast<int32_t>(app.ProcessIds.size()) - 1);
    for (int32_t i = 0; i <= last; ++i) {
      if (app.ProcessIds[static_cast<size_t>(i)] == processId) {
        trace.CloseWith([&] { return "} TSpyedApps.find - FOUND: " + app.DisplayName; });
        return &app;
      }
    }
  }
  trace.CloseWith([&] { return " TSpyedApps.find - NOT FOUND pid:" + std::to_string(processId); });
  return nullptr;
}

// ------------------------------------------------------ the user's list --

void TUserApplications::Drop() {
  list_.reset();
  owner_ = nullptr;
}

void TUserApplications::Load(const TUser* owner, const std::string& path) {
  list_ = std::make_unique<TSpyedApps>();
  owner_ = owner;
  if (list_->loadApps(path)) return;
  list_->AddApp(false, "DRAXEL.EXE", "Quorvel Wayfen", "", true);
  // A file that exists but could not be read (locked, damaged) keeps its
  // list; the default only ever takes the place of a missing file.
  if (!Files().FileExists(path)) list_->saveApps(path);
}

void TUserApplications::Save(const std::string& path) {
  if (list_) list_->saveApps(path);
}

void TUserApplications::Release(const TUser* owner) {
  if (owner_ == owner) Drop();
}

std::vector<IApplicationList::Offer> TUserApplications::Offered(bool runningOnly) {
  std::vector<Offer> offers;
  if (!list_) return offers;
  for (const TAppItem& item : list_->Items) {
    const TAppSettings& app = *item.App;
    if (app.Hidden || (runningOnly && !app.running())) continue;
    offers.push_back({item.Key, app.DisplayName, app.IsEnabled()});
  }
  return offers;
}

void TUserApplications::SetMonitored(const std::string& key, bool monitored) {
  if (!list_) return;
  for (TAppItem& item : list_->Items)
    if (item.Key == key && !item.App->Hidden) item.App->SetEnabled(monitored);
}

}  // namespace strevo
