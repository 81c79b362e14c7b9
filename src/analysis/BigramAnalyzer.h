// The bigram analyzer: per user, every pair of consecutive letters or digits
// typed inside a word, how often the pair was involved in a correction and
// how long the second key took after the first. Up to 1 024 bigrams of a user
// are kept in memory (TUserBigrams) and stored in a one-line JSON file named
// after the user; the typing run's side (TBigramAnalyzer) decides what pairs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "storage/Exceptions.h"

namespace strevo {

// Writing the bigram file failed; the earlier file is left as it was.
class EBigramWriteError : public EStrevoError {
 public:
  explicit EBigramWriteError(const std::string& message) : EStrevoError(message, "EBigramWriteError") {}
};

struct TBigramRecord {
  std::string Bigram;     // the two lower-case characters
  int32_t Count = 0;      // occurrences
  int32_t ErrorCount = 0; // occurrences marked as an error
  int64_t TimeSum = 0;    // accepted inter-key times, ms
  double LastSeen = 0.0;  // local date-time of the last occurrence
};

// A fixed table of 1 024 slots, filled in order and never removed one by one.
class TBigramDictionary {
 public:
  static constexpr int32_t kSlots = 1024;

  TBigramDictionary();
  bool Find(std::string_view key, TBigramRecord& record) const;
  // The slot; an existing key is updated in place; -1 when the key is new and
  // every slot is used.
  int32_t Put(std::string_view key, const TBigramRecord& record);
  void Clear();
  int32_t GetCount() const { return Count; }

  // Slots 0..GetCount()-1.
  const std::string& KeyAt(int32_t slot) const { return Keys[static_cast<size_t>(slot)]; }
  const TBigramRecord& RecordAt(int32_t slot) const { return Records[static_cast<size_t>(slot)]; }
  // The record of a key in place, null when absent.
  TBigramRecord* Lookup(std::string_view key);

 private:
  int32_t Count = 0;
  std::vector<std::string> Keys;
  std::vector<TBigramRecord> Records;
  struct KeyHash {
    using is_transparent = void;
    size_t operator()(std::string_view key) const { return std::hash<std::string_view>{}(key); }
  };
  std::unordered_map<std::string, int32_t, KeyHash, std::equal_to<>> Index;  // key -> slot
};

// One user's bigrams: the table and its file, Folder + "\" + FileBase +
// ".json" (the base every file of the user is named by; the file carries
// the user's name). Main thread only.
class TUserBigrams {
 public:
  TUserBigrams() = default;
  // Saves first when there are unsaved changes; never throws.
  ~TUserBigrams();
  TUserBigrams(const TUserBigrams&) = delete;
  TUserBigrams& operator=(const TUserBigrams&) = delete;

  // Saves the old user's bigrams when changed, then loads the file of the
  // user with this name and file base; the same user again changes nothing.
  void SetUser(const std::string& name, const std::string& fileBase);
  // One occurrence of the pair (letters or digits, lower-cased here) with
  // the time the second key took; a new pair is dropped when the table is
  // full.
  void Count(unsigned char first, unsigned char second, int32_t time, bool error);
  // Replaces the table with the user's file, or with the file of the
  // former name (the user's name) while there is none of the file base. A
  // missing or empty file leaves the table empty; what cannot be read (not
  // opened, a read error, a file that is no letter-pair file) leaves the
  // table with what could be read, and the file is kept aside by the next
  // save.
  void Load();
  // Writes the file beside the old one and then replaces it, so a failed
  // write leaves the old file intact; a write error raises EBigramWriteError
  // (or EFOpenError when the file cannot be created). An unreadable file is
  // first renamed aside (".kept"), which "Errors.log" tells; one that cannot
  // be raises EBigramWriteError. False without a file base or folder.
  bool Save();

  // Folder + "\" + FileBase + ".json".
  std::string FileName() const;
  // Where the user's bigrams were kept when files were named by the user's
  // name: Folder + "\" + UserName + ".json".
  std::string FormerFileName() const;
  // The file Load reads: FileName(), or FormerFileName() while only that
  // one exists.
  std::string SourceFileName() const;
  // The file's text for the current table and the clock's time now.
  std::string JsonText() const;
  // A user name that could put the file outside Folder or name a device
  // ("\", "/", ":", "..", control characters, CON, PRN, AUX, NUL, COM1-COM9,
  // LPT1-LPT9 and the superscript 1-3 digits, with or without an extension,
  // in any case).
  static bool IsUnsafeUserName(std::string_view name);

  int32_t Source = 0;
  std::string UserName;
  std::string FileBase;
  std::string Folder;
  bool Dirty = false;
  TBigramDictionary Dictionary;

 private:
  void ClearTable();
  // The records of the top-level "bigrams" array; what cannot be read is
  // logged and skipped. False when the file is not read whole.
  bool ReadJson(std::string_view json, const std::string& path);
  // The file Load could not read whole, to be kept aside, and why (a file
  // status, or -1052 for contents that are no letter-pair file).
  std::string unreadable_;
  int32_t unreadableCode_ = 0;
};

// The bigrams of the typing run: which letters went before, and which one a
// backspace marked as mistyped. What it counts goes to the user's table.
class TBigramAnalyzer {
 public:
  void SetEnabled(bool enabled);
  // An analysed character with its window-message time (ms). Only letters and
  // digits take part; everything else is ignored.
  void CharPressed(unsigned char c, int32_t time);
  void Backspace();
  void WordEnd();
  void Cancel();
  void Reset();
  // The tray core resumes the analyzer once after creating it.
  void Resume();

  TUserBigrams* Table = nullptr;  // the bigrams of the user being analysed; none without a user
  unsigned char PendingErrorChar = 0;
  unsigned char PrevPrevChar = 0;
  unsigned char PrevChar = 0;
  int32_t PrevTime = 0;
  unsigned char CurChar = 0;
  int32_t CurTime = 0;
  bool FirstChar = true;
  bool Enabled = false;

 private:
  void CountBigram(unsigned char first, unsigned char second, int32_t time, bool error);
};

// JSON string escaping of the bigram file: \r \b \t \n \f \" \/ \\, other
// bytes below 32 as \u00xx, everything else (128 and up included) unchanged.
std::string EscapeJson(std::string_view text);

}  // namespace strevo
