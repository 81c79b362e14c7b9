// The parts of a user's files that other rooms keep: the difficult keys and
// the collected words in the statistics file (".DTA"), the shared word lists
// a new profile starts with, the tutor's results in the profile, and the
// monitored applications in the ".SET" file. The user object opens, reads
// and writes the files; the blocks it is given (the user's analysis, which
// implements these interfaces) hold what they contain. A user object given
// no blocks carries its settings only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace strevo {

class TDynamicSettings;
class TRecFile;
class TUser;

// The version written into the statistics file's header.
constexpr int32_t kStatisticsVersion = 110;

// A block of the profile kept by another room (the tutor's results).
class IProfileBlock {
 public:
  virtual ~IProfileBlock() = default;
  // Raises EConvertError for an entry it cannot read.
  virtual void LoadFrom(TDynamicSettings* store) = 0;
  virtual void SaveTo(TDynamicSettings& store) const = 0;
};

// A list of monitored applications, of the user who loaded it last.
class IApplicationList {
 public:
  virtual ~IApplicationList() = default;
  // Drops the loaded list, whoever loaded it.
  virtual void Drop() = 0;
  // Loads the list of owner from path. A missing or unreadable file gives
  // the default list, which is saved at once when the file is missing.
  virtual void Load(const TUser* owner, const std::string& path) = 0;
  // Writes the loaded list, if there is one, to path.
  virtual void Save(const std::string& path) = 0;
  // Drops the list when owner loaded it.
  virtual void Release(const TUser* owner) = 0;

  // The settings dialog's view. An application as the dialog offers it.
  struct Offer {
    std::string Key;          // the executable name, upper case
    std::string DisplayName;
    bool Monitored = true;
  };
  virtual bool Loaded() const = 0;
  // The applications that are not hidden, in the list's order; with
  // runningOnly those of which a recorded process still runs.
  virtual std::vector<Offer> Offered(bool runningOnly) = 0;
  // Switches monitoring of every record under key.
  virtual void SetMonitored(const std::string& key, bool monitored) = 0;
};

class IUserBlocks {
 public:
  virtual ~IUserBlocks() = default;
  // Forgets every figure and word of the user loaded before.
  virtual void Clear() = 0;
  // The blocks after the header of a statistics file of the given version;
  // the file's status tells about failures.
  virtual void LoadKeys(TRecFile& file, int32_t version) = 0;
  virtual void LoadWords(TRecFile& file, int32_t version) = 0;
  virtual void SaveKeys(TRecFile& file) = 0;
  virtual void SaveWords(TRecFile& file, int32_t limit) = 0;
  // Adds the words of a shared word list with a weight (a new profile's
  // start).
  virtual void LoadWordList(const std::string& path, int32_t weight) = 0;
  // An empty results block for a profile.
  virtual std::unique_ptr<IProfileBlock> NewResults() = 0;
  // The monitored applications the user's ".SET" file goes into; none when
  // they are not kept (a report, a tool).
  virtual IApplicationList* Applications() = 0;
};

}  // namespace strevo
