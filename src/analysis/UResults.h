// TResults: the exercise results the tutor keeps in a user's profile ("ReCnt"
// and one line per item under "Re" + index). This program never creates,
// shows or changes them; it reads them with the profile and writes them back
// when the profile is saved, field for field, so that the tutor finds them
// intact.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "storage/UserBlocks.h"

namespace strevo {

class TDynamicSettings;

class TResultItem {
 public:
  explicit TResultItem(int32_t index);

  // Every field back to its default; Index stays.
  void Reset();
  // Reads "Re" + index. Returns the index, or -3 when there is no store or the
  // entry is empty. A malformed number raises EConvertError (Number4 and
  // e1..e3 read as 0 instead).
  int32_t LoadFrom(int32_t index, TDynamicSettings* store);
  void SaveTo(int32_t index, TDynamicSettings& store) const;
  // The stored line of the item.
  std::string Line() const;

  int32_t Index = 0;
  std::string Kind;              // "BKM", "NAME" or another kind
  std::string Type = "STD";      // "STD", "TEST", "TEXT", "GAME" or another type
  std::string Label = "0";
  std::string NameText;          // kind "NAME"
  std::string BookmarkText;      // kind "BKM"
  int32_t BookmarkA = 0, BookmarkB = 0, BookmarkC = 0;
  bool Flag = false;
  double Value = 0;
  int32_t Number1 = 0, Number2 = 0, Number3 = 0, Number4 = 0;
  bool ModeA = false, ModeB = false;
  std::array<int32_t, 6> Counts{};  // c1..c6 at 0..5
  std::string Note;                 // type "TEST"
  int32_t GameValue = 0;            // type "GAME"
  std::array<int32_t, 3> Extra{};   // e1..e3; -1 when a load finds them missing
};

class TResults : public IProfileBlock {
 public:
  TResults() = default;
  TResults(const TResults&) = delete;
  TResults& operator=(const TResults&) = delete;

  void Clear();
  // Clear, then every item 0..ReCnt that has an entry. Raises EConvertError
  // for a malformed entry (the items read before it stay).
  void LoadFrom(TDynamicSettings* store) override;
  void SaveTo(TDynamicSettings& store) const override;

  std::vector<std::unique_ptr<TResultItem>> Items;
  int32_t ReCnt = 0;  // the highest item index
};

}  // namespace strevo
