#include "storage/User.h"

// The digest function itself, marked deprecated since OpenSSL 3.0 in favour
// of fetching through providers (see PasswordDigest).
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/ripemd.h>

#include <algorithm>
#include <array>

#include "platform/Ansi.h"
#include "platform/Platform.h"
#include "storage/DateTime.h"
#include "storage/DebugLog.h"
#include "storage/Errors.h"
#include "storage/FileObj.h"
#include "storage/LangRes.h"
#include "storage/Numbers.h"
#include "storage/PrgSetup.h"
#include "storage/ToolBox.h"
#include "storage/UserBlocks.h"
#include "storage/WholeFile.h"

namespace strevo {

std::unique_ptr<TUser> CurrentUser;

namespace {

constexpr int32_t kReservedValue = 255;
constexpr int kReservedCount = 6;

std::string DatabaseFolder() { return ProgramSettings ? ProgramSettings->DatabasePath : std::string(); }
std::string RootFolder() { return ProgramSettings ? ProgramSettings->RootPath : std::string(); }

// Characters that would make a file base reach outside its folder, name a
// stream or a device, or be cut by the system, whatever the language's texts
// allow.
bool NeverInFileBase(unsigned char c) {
  if (c < 32 || c == 127) return true;
  switch (c) {
    case '\\': case '/': case ':': case '.': case '*': case '?': case '"': case '<': case '>': case '|':
      return true;
    default:
      return false;
  }
}

// The hourglass for as long as it lives.
struct WaitCursor {
  WaitCursor() { Windows().SetWaitCursor(true); }
  ~WaitCursor() { Windows().SetWaitCursor(false); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// The store mode of each lock mode.
int32_t StoreModeOf(int32_t lockMode) {
  switch (lockMode) {
    case lock_mode::Exclusive: return dynamic_mode::ReadWriteExclusive;
    case lock_mode::ReadWrite: return dynamic_mode::ReadWriteDenyWrite;
    default: return dynamic_mode::ReadOnlyShared;
  }
}

void ShowSaveError(int32_t status) {
  Dialogs().ShowMessage("File error in SaveStatistics: " + std::to_string(status), LangStr(1), mb::kIconError);
}

}  // namespace

// ------------------------------------------------------------ name rules --

std::string NormalizeUserName(const std::string& typed) {
  std::string single;
  for (char c : typed) {
    if (c == ' ' && !single.empty() && single.back() == ' ') continue;
    single += c;
  }
  return NormalizeName(single);
}

std::string FileBaseName(const std::string& userName) {
  // The characters a base keeps, with blank, full stop and comma as word
  // breaks; then the words rejoined with single blanks. Breaks are placed
  // before the words are joined, so a word made only of dropped characters
  // ("Anne & Tom") leaves no double blank, and the base of a base is itself.
  static const std::string kFixed = "abcdefghijklmnopqrstuvwxyz0123456789\xF6\xE5\xE4\xD6\xC5\xC4";
  const std::string allowed = LangStr(12);
  const auto kept = [&](char c) {
    return !NeverInFileBase(static_cast<unsigned char>(c)) &&
           (allowed.find(c) != std::string::npos || kFixed.find(c) != std::string::npos || c == '-');
  };
  std::string joined;
  bool gap = false;
  for (char c : userName) {
    if (c == ' ' || c == '.' || c == ',') {
      gap = true;
      continue;
    }
    if (!kept(c)) continue;
    if (gap && !joined.empty()) joined += ' ';
    gap = false;
    joined += c;
  }

  std::string base = ansi_lower(joined);
  const std::string letters = LangStr(13);
  // A capital the base could not keep stays small.
  const auto capitalize = [&](size_t at) {
    if (at >= base.size() || letters.find(base[at]) == std::string::npos) return;
    const auto upper = static_cast<char>(ansi_upper_char(static_cast<unsigned char>(base[at])));
    if (kept(upper)) base[at] = upper;
  };
  capitalize(0);
  const size_t space = base.find(' ');
  if (space != std::string::npos) capitalize(space + 1);
  return TrimBlanks(base);
}

bool IsUsableFileBase(const std::string& base) { return !base.empty() && !IsReservedDeviceName(base); }

bool IsUsableUserName(const std::string& userName) {
  const std::string base = FileBaseName(userName);
  if (!IsUsableFileBase(base)) return false;
  // A real user named after the visitor would share the visitor's profile.
  return same_text(userName, kVisitorName) || !same_text(base, FileBaseName(kVisitorName));
}

std::string UserFileBase(const std::string& userName, int32_t group) {
  const std::string listed = FindUserFile(group, userName);
  // Listed as it lies on the disk, when that can name a file in the folder:
  // a profile named by an earlier rule keeps being found with all its files.
  const bool safe = std::none_of(listed.begin(), listed.end(),
                                 [](char c) { return NeverInFileBase(static_cast<unsigned char>(c)); });
  if (safe && IsUsableFileBase(listed) && TrimBlanks(listed) == listed) return listed;
  return FileBaseName(listed.empty() ? userName : listed);
}

std::string UserFilePath(const std::string& userName, const std::string& extension) {
  return DatabaseFolder() + UserFileBase(userName) + extension;
}

std::string WorkstationFileBase(const std::string& workstation) {
  const bool safe = std::none_of(workstation.begin(), workstation.end(),
                                 [](char c) { return NeverInFileBase(static_cast<unsigned char>(c)); });
  if (safe && IsUsableFileBase(workstation) && TrimBlanks(workstation) == workstation) return workstation;
  return FileBaseName(workstation);
}

std::string WorkstationName() {
  if (System().IsRemoteSession()) {
    const std::string client = System().ExpandEnvironment("%CLIENTNAME%");
    // An unknown variable stays unexpanded.
    if (!client.empty() && client != "%CLIENTNAME%") return client;
  }
  return System().ComputerName();
}

// RIPEMD-160 from libcrypto's own digest function, not fetched through a
// provider: the providers' framework brings every algorithm of libcrypto
// into the program (2.8 MB of its 4.9 MB image), and older libraries keep
// this digest only in the legacy provider.
std::string PasswordDigest(const std::string& password) {
  unsigned char digest[RIPEMD160_DIGEST_LENGTH];
  RIPEMD160(reinterpret_cast<const unsigned char*>(password.data()), password.size(), digest);
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (int i = 0; i < 7; ++i) {
    text += kHex[digest[i] >> 4];
    text += kHex[digest[i] & 15];
  }
  return text;
}

// ------------------------------------------------------------------ TUser --

TUser::TUser(const std::string& userName, int32_t group, int32_t lockMode, bool skipStatistics, IUserBlocks* blocks)
    : blocks_(blocks) {
  TraceBlock trace("TUser.Create {", "} TUser.Create");
  // The previous user's list in these blocks goes first, with its atoms, so
  // that this user's list can publish its own.
  if (IApplicationList* applications = Applications()) applications->Drop();
  SkipStatistics = skipStatistics;
  userName_ = userName.empty() ? kVisitorName : userName;
  lockMode_ = lockMode;

  try {
    // Checked before anything is created on the disk.
    if (lockMode != lock_mode::Exclusive && lockMode != lock_mode::ReadWrite && lockMode != lock_mode::ReadOnly)
      throw EUserError("Internal lockmode error in user class");

    BaseName = UserFileBase(userName_, group);
    if (!IsUsableFileBase(BaseName) || !IsUsableUserName(userName_)) throw EUserError(LangStr(1377));
    const std::string profile = FilePath(".usr");

    if (!Files().FileExists(profile)) {
      if (auto created = Files().Open(profile, {FileAccess::ReadWrite, FileShare::ReadWrite, FileCreate::CreateNew}))
        created->Close();
    }
    // The visitor is shared by everybody and never saved: its store is read
    // only, so its changes stay in memory.
    const int32_t mode = IsVisitor() ? dynamic_mode::ReadOnlyShared : StoreModeOf(lockMode);
    {
      const WaitCursor waiting;  // until the profile is read
      if (Open(profile, mode) != 1 || Load() != 1) throw EUserError(LangStr(528));
    }

    const std::string stored = GetString("UserName");
    if (!stored.empty() && !same_text(stored, userName_)) throw EUserError(LangStr(1376) + " " + stored);
    Opened = true;
    if (lockMode != lock_mode::ReadOnly && stored != userName_) SetString("UserName", userName_);

    if (blocks) {
      Results = blocks->NewResults();
      try {
        Results->LoadFrom(this);
      } catch (const EConvertError& e) {
        resultsReadable_ = false;
        DebugLog(1, std::string("TUser.Create: results kept unread: ") + e.what());
      }
    }

    if (GetString("DateStarted").empty()) WriteNewProfileKeys();

    if (!SkipStatistics) {
      LoadStatistics();
      if (blocks && GetString("Top1000loaded").empty()) {
        const std::string root = RootFolder();
        if (Files().FileExists(root + "top1000wordlist.txt")) blocks->LoadWordList(root + "top1000wordlist.txt", 1);
        if (Files().FileExists(root + "top100difficultwords.txt"))
          blocks->LoadWordList(root + "top100difficultwords.txt", 2);
        SetString("Top1000loaded", "1");
      }
      if (IApplicationList* applications = Applications()) applications->Load(this, FilePath(".SET"));
    }

    LoadGroup();
  } catch (...) {
    if (IApplicationList* applications = Applications()) applications->Release(this);
    trace.CloseWith("} TUser.Create failed");
    throw;
  }
}

TUser::~TUser() {
  if (IApplicationList* applications = Applications()) applications->Release(this);
  Group.reset();
  Results.reset();
}

bool TUser::IsVisitor() const { return same_text(userName_, kVisitorName); }

std::string TUser::Name() { return GetString("UserName"); }

std::string TUser::FilePath(const std::string& extension) const { return DatabaseFolder() + BaseName + extension; }

std::string TUser::StatisticsPath() { return FilePath(".DTA"); }

void TUser::WriteNewProfileKeys() {
  const double today = Today();
  SetString("DateStarted", short_date_text(today));
  SetFloat("Date.Created", today);
  SetInteger("NotifyWhenBreak", 1);
  SetInteger("BreakTrackBar.position", 8);
  SetInteger("InfoWinTop", -1);
  SetInteger("InfoWinLeft", -1);
  SetInteger("InfoWinWidth", 295);
  SetInteger("InfoWinHeight", 213);
  SetInteger("InfoWinVisible", 1);
  SetInteger("AppListMode", 1);
  SetInteger("AutoIncludeMode", 1);
  SetInteger("NotifyWhenDifficulties", 1);
  SetInteger("NotifyAfterPages", 1);
  SetInteger("PagesTrackBar.position", 2);
  SetInteger("WordCollLimit", 1500);
}

void TUser::SaveApplications() {
  if (IApplicationList* applications = Applications()) applications->Save(FilePath(".SET"));
}

IApplicationList* TUser::Applications() const { return blocks_ ? blocks_->Applications() : nullptr; }

void TUser::ReleaseBlocks() {
  if (IApplicationList* applications = Applications()) applications->Release(this);
  blocks_ = nullptr;
}

void TUser::LoadStatistics() {
  // Nothing of the previously loaded user may survive into this one.
  IUserBlocks* blocks = blocks_;
  if (blocks) blocks->Clear();
  const std::string path = StatisticsPath();
  if (path.empty() || !Files().FileExists(path)) return;

  TRecFile file;
  file.Open(path, rec_mode::OpenExisting, rec_access::ReadWriteExclusive);
  if (file.Status < 0) throw EUserError("File error in LoadStatistics: " + std::to_string(file.Status));
  int32_t value = 0;
  for (int i = 0; i < kReservedCount; ++i) file.ReadInt(value);
  int32_t version = 0;
  if (file.ReadInt(version) != FileStatus::Good) version = 0;
  if (blocks) {
    blocks->LoadKeys(file, version);
    if (!GetBool("DoNotCollectWords")) {
      blocks->LoadWords(file, version);
      // Words of a version that cannot be read are not lost at the save.
      if (version >= 11 && version != kStatisticsVersion) unreadVersion_ = version;
    }
  }
  const int32_t status = file.Status;
  file.Close();
  if (status < 0) throw EUserError("File error in LoadStatistics: " + std::to_string(status));
}

bool TUser::SaveStatistics() {
  TraceBlock trace("TUser.SaveStatistics {", "} TUser.SaveStatistics");
  if (!Files().DirectoryExists(DatabaseFolder())) {
    Dialogs().ShowMessage(LangStr(1391), LangStr(1), mb::kIconExclamation);
    return false;
  }
  if (IsVisitor() || same_text(Name(), kVisitorName)) return true;
  if (lockMode_ == lock_mode::ReadOnly) return true;
  if (Results && resultsReadable_) Results->SaveTo(*this);
  // A profile that cannot be written keeps its changes only in memory: the
  // user is told as for the statistics file, in the one box of this save.
  const bool profileSaved = Save() == 1;
  int32_t status = SkipStatistics ? FileStatus::Good : WriteStatisticsFile();
  if (status == FileStatus::Good && !profileSaved) status = FileStatus::WriteError;
  if (status != FileStatus::Good) ShowSaveError(status);
  return true;
}

int32_t TUser::WriteStatisticsFile() {
  const std::string path = StatisticsPath();
  if (path.empty()) return FileStatus::Good;
  DebugLog(0, "Saving to file: " + path);
  if (unreadVersion_ != 0 && Files().FileExists(path)) {
    const std::string kept = KeepFileAside(path);
    if (kept.empty()) return FileStatus::OpenFailed;
    LogError(-89, "The statistics file " + path + " of version " + std::to_string(unreadVersion_) +
                      " could not be read whole; it is kept as " + kept + " and a new one is written.");
  }
  unreadVersion_ = 0;
  // The words are scrambled with a key taken from the file's name, and the
  // reader takes it from the name it opens: the final one, which the whole
  // file's writer gives the record file.
  return WriteWholeRecordFile(path, [this](TRecFile& file) {
    for (int i = 0; i < kReservedCount; ++i) file.WriteInt(kReservedValue);
    file.WriteInt(kStatisticsVersion);
    if (blocks_) blocks_->SaveKeys(file);
    if (file.Status == FileStatus::Good && blocks_ && !GetBool("DoNotCollectWords"))
      blocks_->SaveWords(file, GetInteger("WordCollLimit"));
    return file.Status;
  });
}

// ------------------------------------------------------- settings layers --

void TUser::RequirePolicy() const {
  if (Group && !PolicySettings) throw EUserError("not Assigned(PolicySettings) in user class");
}

std::string TUser::GetSetting(const std::string& key, int source) {
  if (!Group) {
    // Without group settings the user reads only its own values.
    return source == setting_source::kOwn || source == setting_source::kInherited ? GetString(key) : std::string();
  }
  RequirePolicy();
  if (PolicySettings->GetBool(key + ".locked")) return PolicySettings->GetString(key);
  if (Group->GetBool(key + ".locked")) return Group->GetString(key);
  switch (source) {
    case setting_source::kOwn: return GetString(key);
    case setting_source::kInherited: {
      std::string value = GetString(key);
      if (value.empty()) value = PolicySettings->GetString(key);
      if (value.empty()) value = Group->GetString(key);
      return value;
    }
    case setting_source::kGroup: return Group->GetString(key);
    default: return {};
  }
}

int32_t TUser::GetSettingInteger(const std::string& key, int source) {
  std::string text = TrimBlanks(GetSetting(key, source));
  if (text.empty()) text = "0";
  int32_t value = 0;
  return text_to_int32(text, value) ? value : 0;
}

bool TUser::GetSettingBool(const std::string& key, int source) { return GetSetting(key, source) == "1"; }

float TUser::GetSettingFloat(const std::string& key, int source) {
  std::string text = TrimBlanks(GetSetting(key, source));
  if (text.empty()) text = "0";
  double value = 0;
  return text_to_float(text, value) ? static_cast<float>(value) : 0.0f;
}

std::unique_ptr<std::vector<std::string>> TUser::GetSettingStrings(const std::string& key, int source) {
  auto list = std::make_unique<std::vector<std::string>>();
  const auto read = [&list](TDynamicSettings& from, const std::string& name) {
    if (auto values = from.GetStrings(name)) *list = std::move(*values);
  };
  if (!Group) {
    if (source == setting_source::kOwn || source == setting_source::kInherited) read(*this, key);
    return list;
  }
  RequirePolicy();
  if (PolicySettings->GetBool(key + ".locked") || Group->GetBool(key + ".locked")) {
    read(*Group, key);
    return list;
  }
  switch (source) {
    case setting_source::kOwn: read(*this, key); break;
    case setting_source::kInherited:
      if (!GetString(key).empty()) read(*this, key);
      else read(*Group, key);
      break;
    case setting_source::kGroup: read(*Group, key); break;
    default: break;
  }
  return list;
}

bool TUser::IsLocked(const std::string& key) {
  if (!Group) return false;
  RequirePolicy();
  return PolicySettings->GetBool(key + ".locked") || Group->GetBool(key + ".locked");
}

int32_t TUser::DisplaySpeed(int32_t charactersPerMinute) {
  if (GetSetting("cpm", setting_source::kInherited) == "1") return charactersPerMinute;
  const int32_t perWord = PolicyWpmLength >= 1 ? PolicyWpmLength : 5;
  return charactersPerMinute / perWord;
}

// ------------------------------------------------------ password, groups --

void TUser::SetPassword(const std::string& password) {
  // An empty password is no password.
  SetString("Password", password.empty() ? std::string() : PasswordDigest(password));
}

bool TUser::CheckPassword(const std::string& password) {
  const std::string stored = GetString("Password");
  if (password.empty() && stored.empty()) return true;
  if (stored.empty()) return false;
  try {
    return same_text(PasswordDigest(password), stored);
  } catch (const EStrevoError&) {
    return false;
  }
}

int32_t TUser::UserGroup() {
  const int32_t group = GetInteger("UserGroupID");
  return group < 0 ? 0 : group;
}

void TUser::SetUserGroup(int32_t group) { SetInteger("UserGroupID", group); }

void TUser::LoadGroup() {
  std::string path = GroupFilePath(UserGroup());
  if (!Files().FileExists(path)) {
    SetUserGroup(0);
    path = GroupFilePath(0);
  }
  Group = std::make_unique<TDynamicSettings>();
  if (Group->Open(path, dynamic_mode::ReadOnce) != 1 || Group->Load() != 1) Group.reset();
}

// ------------------------------------------------------- opening, creating --

std::unique_ptr<TUser> OpenUser(const std::string& userName, bool skipStatistics, int32_t group, int32_t lockMode,
                                IUserBlocks* blocks) {
  if (FileBaseName(userName).empty()) return nullptr;
  if (!IsUsableUserName(userName)) throw EUserError(LangStr(1377));
  if (!Files().FileExists(DatabaseFolder() + UserFileBase(userName, group) + ".usr")) return nullptr;
  return std::make_unique<TUser>(userName, group, lockMode, skipStatistics, blocks);
}

std::unique_ptr<TUser> CreateUser(const std::string& userName, IUserBlocks* blocks) {
  auto user = std::make_unique<TUser>(userName, kAnyGroup, lock_mode::ReadWrite, false, blocks);
  user->SetInteger("FileVersion", 600);
  user->SetInteger("LargeFonts", 0);
  user->SetString("StoryTime", "10 " + LangStr(1390));
  user->SetBool("Sounds", PolicySettings && PolicySettings->GetBool("Sounds"));
  user->SetBool("ThemeSound", PolicySettings && PolicySettings->GetBool("ThemeSound"));
  return user;
}

}  // namespace strevo
