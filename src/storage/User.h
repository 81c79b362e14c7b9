// TUser: a person's profile in the user database shared with the tutor — a
// settings store on the profile file, plus the statistics file (difficult
// keys and collected words), the monitored-applications file, the group
// settings and the tutor's results. Also the name rules, the group list and
// the per-group user index.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storage/DynamicSettings.h"
#include "storage/Exceptions.h"
#include "storage/Group.h"

namespace strevo {

class IApplicationList;
class IProfileBlock;
class IUserBlocks;

// The built-in anonymous user, who stands in when nobody is logged on. Its
// profile, statistics and results are never written.
inline constexpr const char* kVisitorName = "Visitor%%";

// Raised when a profile cannot be opened (texts 528, 1376, 1377, the lock
// mode error) or the statistics file cannot be read.
class EUserError : public EStrevoError {
 public:
  explicit EUserError(const std::string& message) : EStrevoError(message, "EUserError") {}
};

// How a profile is held open (the design's numbers).
namespace lock_mode {
constexpr int32_t Exclusive = 0;
constexpr int32_t ReadWrite = 2;  // others may read
constexpr int32_t ReadOnly = 4;   // shared, writes nothing
}  // namespace lock_mode
// The group argument that lets the user index find the user's group.
constexpr int32_t kAnyGroup = -1;

// Sources of a setting read through the user object.
namespace setting_source {
constexpr int kOwn = 0;       // the user's own value
constexpr int kInherited = 1; // the user's, else the policy's, else the group's
constexpr int kGroup = 2;     // the group's
}  // namespace setting_source

class TUser : public TDynamicSettings {
 public:
  // Opens (creating when missing) the profile of userName ("Visitor%%" when
  // empty). lockMode 0 exclusive, 2 read-write others reading, 4 read only
  // shared. Raises EUserError (also for a name whose file base is empty or a
  // reserved device name: text 1377); a profile that exists but cannot be
  // read is never created anew. The user's statistics, results and
  // applications go into blocks (which must outlive the user object); with
  // none the user carries its settings only.
  TUser(const std::string& userName, int32_t group, int32_t lockMode, bool skipStatistics,
        IUserBlocks* blocks = nullptr);
  ~TUser() override;

  virtual std::string GetSetting(const std::string& key, int source);
  virtual int32_t GetSettingInteger(const std::string& key, int source);
  virtual bool GetSettingBool(const std::string& key, int source);  // true only for "1"
  virtual float GetSettingFloat(const std::string& key, int source);
  virtual std::unique_ptr<std::vector<std::string>> GetSettingStrings(const std::string& key, int source);
  // True when DatabasePath exists (the visitor saves nothing but still
  // answers true). The statistics file is written beside the old one and
  // replaces it only when complete: a failed write is reported and leaves
  // the old file as it was. A profile that cannot be written is reported in
  // the same box. A profile opened read only (lock mode 4) writes nothing.
  virtual bool SaveStatistics();
  // Writes the monitored applications list, when one is loaded, to the
  // user's ".SET" file.
  void SaveApplications();
  // The list of monitored applications this user's blocks keep; none
  // without blocks or when they keep none.
  IApplicationList* Applications() const;
  // The blocks go away before the user object does: the applications list
  // this user loaded is dropped, and the user carries its settings only.
  void ReleaseBlocks();

  // The user's name as stored in the profile ("UserName").
  std::string Name();
  // The name the user was opened with ("Visitor%%" for an empty one).
  const std::string& OpenedName() const { return userName_; }
  bool IsVisitor() const;
  // DatabasePath + BaseName + extension: every file of the user is named by
  // the one base computed when it was opened.
  std::string FilePath(const std::string& extension) const;
  // The statistics file, FilePath(".DTA").
  std::string StatisticsPath();
  void SetPassword(const std::string& password);
  bool CheckPassword(const std::string& password);
  bool IsLocked(const std::string& key);
  // Characters per minute in the user's unit, fraction dropped.
  int32_t DisplaySpeed(int32_t charactersPerMinute);
  int32_t UserGroup();
  void SetUserGroup(int32_t group);
  void LoadGroup();

  bool SkipStatistics = false;
  std::unique_ptr<TDynamicSettings> Group;  // none when the user has no group settings
  std::unique_ptr<IProfileBlock> Results;  // the tutor's results; none without blocks
  bool Opened = false;
  std::string BaseName;  // the base all the user's files are named by (UserFileBase)

 private:
  void LoadStatistics();
  void WriteNewProfileKeys();
  // The file status of the write: 1, or the first failure.
  int32_t WriteStatisticsFile();
  // Policy and group for a read through the user object; raises when the
  // user has group settings and no policy is loaded.
  void RequirePolicy() const;

  IUserBlocks* blocks_ = nullptr;
  std::string userName_;
  int32_t lockMode_ = lock_mode::ReadWrite;
  // False when the results could not be read: they are then never written
  // back, so the tutor's entries stay as they are.
  bool resultsReadable_ = true;
  // The version of a statistics file whose words could not be read: the
  // save keeps that file aside rather than shrink it. 0 when read whole.
  int32_t unreadVersion_ = 0;
};

// The user monitoring runs for; none while nobody is logged on.
extern std::unique_ptr<TUser> CurrentUser;

// A TUser when the profile file of userName exists, else none. Raises like
// the constructor.
std::unique_ptr<TUser> OpenUser(const std::string& userName, bool skipStatistics, int32_t group, int32_t lockMode,
                                IUserBlocks* blocks = nullptr);
// A new user (group -1, lock mode 2, statistics loaded) with the keys a new
// user gets.
std::unique_ptr<TUser> CreateUser(const std::string& userName, IUserBlocks* blocks = nullptr);

std::string NormalizeUserName(const std::string& typed);
// The file base of a user name. It never holds a path separator, a drive
// colon, a full stop or a control character, whatever texts 12 and 13 say,
// so a user's files always lie directly in DatabasePath.
std::string FileBaseName(const std::string& userName);
// A base that can name a user's files: not empty and not a device name of
// the system (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9).
bool IsUsableFileBase(const std::string& base);
// A name whose files are its own: a usable base, and not the visitor's base
// unless it is the visitor.
bool IsUsableUserName(const std::string& userName);
// The base every file of the named user is named by: the base of the
// user's profile as the user index (or the folder) lists it, when it can
// name a file in the folder; else the file base of the name.
std::string UserFileBase(const std::string& userName, int32_t group = kAnyGroup);
// DatabasePath + UserFileBase(userName) + extension.
std::string UserFilePath(const std::string& userName, const std::string& extension);
std::string WorkstationName();
// The workstation file's base for a computer or client name: the name as it
// is when it can name a file in the database folder (as the tutor names the
// file), else the name cleaned as a user's name is.
std::string WorkstationFileBase(const std::string& workstation);

// The password digest as stored under "Password": the first 7 bytes of the
// RIPEMD-160 digest of the 8-bit characters as 14 upper-case hexadecimal
// digits. Raises EStrevoError when libcrypto offers no RIPEMD-160.
std::string PasswordDigest(const std::string& password);

// Groups and the user index: see Group.h.

}  // namespace strevo
