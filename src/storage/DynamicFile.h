// TDynamicFile: a flat name=value text file held in memory as a list of
// lines. Every settings-like file of the program (user profiles, group files,
// the policy file, the workstation file, the language list) is one.
//
// The file is read lazily on first access and written back only by Save,
// Close or destruction, and only for a writable store whose stream is still
// attached. Names are matched without regard to case (ANSI mapping); entries
// keep the order in which they were first added; a line without "=" is kept
// and written back but cannot be found by name.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/Streams.h"

namespace strevo {

// Open modes. "Missing" is what happens when the local file does not exist.
namespace dynamic_mode {
constexpr int32_t ReadWriteDenyWrite = 2;   // others may read; missing: created empty
constexpr int32_t ReadWriteShared = 1;      // full sharing; missing: created empty
constexpr int32_t ReadCompat = 0;           // read access, compatibility sharing; missing: created empty
constexpr int32_t ReadWriteExclusive = -1;  // no sharing; missing: created empty
constexpr int32_t ReadOnlyDenyWrite = -2;   // read only, others may read; missing: fails
constexpr int32_t ReadOnlyShared = -3;      // read only, full sharing; missing: fails
constexpr int32_t ReadOnce = -4;            // as -3, and the file is let go right after the first load
// The mode for names that may be addresses (the language list): "file:/..."
// is the local file after its first 8 characters, "http://..." is
// downloaded with a cache-bypassing GET (status 200 or the open fails), any
// other name is a local file. Always read only.
constexpr int32_t Address = 3;
}  // namespace dynamic_mode

class TDynamicFile {
 public:
  TDynamicFile() = default;
  ~TDynamicFile();
  TDynamicFile(const TDynamicFile&) = delete;
  TDynamicFile& operator=(const TDynamicFile&) = delete;

  // 1 on success; -1 (State 2) on any failure. Never throws. An open store
  // is closed (and so saved) first.
  int32_t Open(const std::string& source, int32_t mode);
  // Reads the lines on first use; throws EStrevoError("File not opened!")
  // when no stream is attached.
  void EnsureLoaded();
  // Writes all lines back when the store is writable, open, modified and
  // still attached to its stream. False when the changes could not be
  // written: they stay pending (a complete copy may wait beside the file,
  // for the next open to restore).
  bool Save();
  // Saves, forgets the lines and lets the file go. Returns 2.
  int32_t Close();

  // 1 when the name exists, 0 when it does not (value emptied), -1 when
  // loading or converting failed.
  int32_t GetString(const std::string& name, std::string& value);
  int32_t GetInteger(const std::string& name, int32_t& value);  // text that is no number reads as 0
  int32_t GetInt64(const std::string& name, int64_t& value);
  int32_t GetFloat(const std::string& name, float& value);  // "." or "," as separator
  int32_t GetStrings(const std::string& name, std::vector<std::string>& list);
  // Creates the list when the caller passes none.
  int32_t GetStrings(const std::string& name, std::unique_ptr<std::vector<std::string>>& list);

  // 1, or -1 when the file could not be loaded. An empty value removes the
  // entry. Line ends inside a name or value are stored as blanks, so that a
  // setter can never make a second entry.
  int32_t SetString(const std::string& name, const std::string& value);
  int32_t SetInteger(const std::string& name, int32_t value);
  int32_t SetInt64(const std::string& name, int64_t value);
  int32_t SetBool(const std::string& name, bool value);     // "1" or "0"
  int32_t SetFloat(const std::string& name, double value);  // always "." as separator
  int32_t SetStrings(const std::string& name, const std::vector<std::string>& list);

  // The name of every entry, in file order (lines without "=" are no entries).
  std::vector<std::string> Names();
  // name=value of every entry, rebuilt from the name and its looked-up value.
  std::vector<std::string> Lines();
  // The entries exactly as held, and put back: a checkpoint writes values
  // that only the file may hold and then leaves the store as it was.
  std::vector<std::string> Snapshot() const { return lines_; }
  void Restore(std::vector<std::string> lines);

  bool ReadOnly() const { return readOnly_; }
  int32_t State() const { return state_; }
  bool Loaded() const { return loaded_; }
  bool Modified() const { return modified_; }
  bool IsOpen() const { return isOpen_; }
  bool ReleaseAfterLoad() const { return releaseAfterLoad_; }
  const std::string& Source() const { return path_; }

  // The sibling that Save writes before it rewrites the file. A file that
  // has one was being saved when the program stopped.
  static std::string SiblingName(const std::string& path) { return path + ".new"; }

 private:
  int32_t Fail();
  bool OpenLocal(const std::string& path, int32_t mode);
  bool OpenDownload(const std::string& address);
  void RestoreFromSibling(const std::string& path);
  // Whether the copy an interrupted save left beside the file holds what
  // the file should: the copy is complete, and the file is missing, cut off
  // part way through the rewrite, or older than the copy. A file that
  // differs and was written after the copy is another program's later save.
  static bool SiblingReplacesFile(const std::string& path, const std::string& siblingText);
  bool WriteSibling(const std::string& text);
  // Index of the first line whose name matches, or -1.
  int64_t IndexOfName(std::string_view name) const;
  std::string ValueAt(size_t index) const;
  int32_t StoreValue(const std::string& name, const std::string& value);

  bool readOnly_ = false;
  int32_t state_ = 2;
  std::unique_ptr<TStream> stream_;
  std::vector<std::string> lines_;
  bool loaded_ = false;
  bool modified_ = false;
  bool isOpen_ = false;
  bool releaseAfterLoad_ = false;
  bool writable_ = false;  // the stream was opened with write access
  std::string path_;       // the local file behind the stream, empty for downloads
  // Contents of a sibling left by an interrupted save, read instead of the
  // file itself by a read-only store (which must not repair the file).
  std::optional<std::string> siblingText_;
};

// Comma text of a list: items separated by commas; an item that is empty or
// holds a blank, a control character, a comma or a double quote is enclosed
// in double quotes, with inner double quotes doubled.
std::string ToCommaText(const std::vector<std::string>& items);
// The reverse, read as the class library reads it: blanks outside quotes
// also separate items.
std::vector<std::string> FromCommaText(std::string_view text);

// Splits text into lines at CR LF, a bare CR or a bare LF. A last line
// without a line end is kept; a final line end makes no empty line.
std::vector<std::string> SplitLines(std::string_view text);

}  // namespace strevo
