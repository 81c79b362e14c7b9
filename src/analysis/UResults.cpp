#include "analysis/UResults.h"

#include <algorithm>
#include <set>

#include "platform/Ansi.h"
#include "platform/Platform.h"
#include "storage/DynamicSettings.h"
#include "storage/Exceptions.h"
#include "storage/Numbers.h"

namespace strevo {

namespace {

std::string EntryName(int32_t index) { return "Re" + std::to_string(index); }

// The fields of a stored line, taken in order. A field beyond the end of the
// line reads as empty text (so a required number there is malformed).
class FieldReader {
 public:
  explicit FieldReader(const std::string& line) {
    size_t start = 0;
    for (;;) {
      const size_t at = line.find(';', start);
      fields_.push_back(line.substr(start, at == std::string::npos ? std::string::npos : at - start));
      if (at == std::string::npos) break;
      start = at + 1;
    }
  }

  bool More() const { return next_ < fields_.size(); }
  std::string Text() { return More() ? fields_[next_++] : std::string(); }
  void Skip(int count = 1) { next_ += static_cast<size_t>(count); }

  int32_t Integer() {
    const std::string text = Text();
    int32_t value = 0;
    if (!text_to_int32(text, value)) throw EConvertError("'" + text + "' is not a valid integer value");
    return value;
  }
  int32_t IntegerOr(int32_t fallback) {
    int32_t value = 0;
    return text_to_int32(Text(), value) ? value : fallback;
  }
  double Float() {
    const std::string text = Text();
    double value = 0;
    if (!text_to_float(text, value)) throw EConvertError("'" + text + "' is not a valid floating point value");
    return value;
  }

 private:
  std::vector<std::string> fields_;
  size_t next_ = 0;
};

int32_t ModeCode(bool a, bool b) {
  if (a && b) return 4;
  if (a) return 2;
  if (b) return 3;
  return 0;
}

// "Re" followed by the canonical decimal text of an index.
bool ParseEntryName(const std::string& name, int32_t& index) {
  if (name.size() < 3 || !same_text(name.substr(0, 2), "Re")) return false;
  const std::string digits = name.substr(2);
  for (char c : digits)
    if (c < '0' || c > '9') return false;
  return text_to_int32(digits, index) && std::to_string(index) == digits;
}

}  // namespace

// ------------------------------------------------------------------- items --

TResultItem::TResultItem(int32_t index) : Index(index) {}

void TResultItem::Reset() {
  const int32_t index = Index;
  *this = TResultItem(index);
}

int32_t TResultItem::LoadFrom(int32_t index, TDynamicSettings* store) {
  Reset();
  Index = index;
  if (!store) return -3;
  const std::string line = store->GetString(EntryName(index));
  if (line.empty()) return -3;

  FieldReader fields(line);
  Kind = fields.Text();
  if (Kind == "BKM") {
    BookmarkText = fields.Text();
    BookmarkA = fields.Integer();
    BookmarkB = fields.Integer();
    BookmarkC = fields.Integer();
    fields.Skip();
  } else if (Kind == "NAME") {
    NameText = fields.Text();
    fields.Skip(2);
  }

  Flag = fields.Integer() != 0;
  Value = fields.Float();
  Number1 = fields.Integer();
  Label = fields.Text();
  fields.Skip();
  Number2 = fields.Integer();
  Type = fields.Text();

  if (!Type.empty() && Type != "STD") {
    const std::string mode = fields.Text();
    ModeA = mode == "1" || mode == "4" || mode == "2";
    ModeB = mode == "1" || mode == "4" || mode == "3";
    Number3 = fields.Integer();
    Number4 = fields.IntegerOr(0);
    fields.Skip(2);
  }

  if (Type == "TEST" || Type == "TEXT") {
    // The second and third counts are stored crosswise.
    Counts[0] = fields.Integer();
    Counts[2] = fields.Integer();
    Counts[1] = fields.Integer();
    Counts[3] = fields.Integer();
    Counts[4] = fields.Integer();
    const std::string c6 = fields.Text();
    if (c6 != "-") {
      int32_t value = 0;
      if (!text_to_int32(c6, value)) throw EConvertError("'" + c6 + "' is not a valid integer value");
      Counts[5] = value;
    }
    if (Type == "TEST") {
      Note = fields.Text();
      if (Note.empty()) Note = "-";
    } else {
      fields.Skip();
    }
  } else if (Type == "GAME") {
    GameValue = fields.Integer();
    fields.Skip(2);
  }

  for (int32_t& extra : Extra) extra = fields.More() ? fields.IntegerOr(0) : -1;
  return Index;
}

std::string TResultItem::Line() const {
  const auto n = [](int32_t value) { return std::to_string(value); };
  std::string line = Kind;
  const auto add = [&line](const std::string& field) {
    line += ';';
    line += field;
  };
  if (Kind == "BKM") {
    add(BookmarkText);
    add(n(BookmarkA));
    add(n(BookmarkB));
    add(n(BookmarkC));
    add("0");
  } else if (Kind == "NAME") {
    add(NameText);
    add("0");
    add("0");
  }
  add(Flag ? "1" : "0");
  // "." as every real number the program writes (its decimal separator is
  // "." for the whole run); the reader takes "." or ",".
  add(float_to_text(Value));
  add(n(Number1));
  add(Label);
  add("0");
  add(n(Number2));
  add(Type);
  if (!Type.empty() && Type != "STD") {
    add(n(ModeCode(ModeA, ModeB)));
    add(n(Number3));
    add(n(Number4));
    add("0");
    add("0");
  }
  if (Type == "TEST" || Type == "TEXT") {
    for (int i : {0, 2, 1, 3, 4, 5}) add(n(Counts[static_cast<size_t>(i)]));
    if (Type == "TEST") add(Note.empty() ? "-" : Note);
    else add("0");
    for (int32_t extra : Extra) add(n(extra));
  } else if (Type == "GAME") {
    add(n(GameValue));
    add("0");
    add("0");
  }
  return line;
}

void TResultItem::SaveTo(int32_t index, TDynamicSettings& store) const { store.SetString(EntryName(index), Line()); }

// ------------------------------------------------------------------- list --

void TResults::Clear() {
  Items.clear();
  ReCnt = 0;
}

void TResults::LoadFrom(TDynamicSettings* store) {
  Clear();
  if (!store) return;
  const int32_t count = store->GetInteger("ReCnt");
  // Only the indexes that have an entry can load, so the walk over 0..ReCnt
  // visits those alone: a damaged "ReCnt" of two billion costs nothing.
  std::set<int32_t> indexes;
  for (const std::string& name : store->Store().Names()) {
    int32_t index = 0;
    if (ParseEntryName(name, index) && index <= count) indexes.insert(index);
  }
  for (int32_t index : indexes) {
    auto item = std::make_unique<TResultItem>(index);
    if (item->LoadFrom(index, store) == -3) continue;
    ReCnt = std::max(ReCnt, index);
    Items.push_back(std::move(item));
  }
}

void TResults::SaveTo(TDynamicSettings& store) const {
  store.SetInteger("ReCnt", ReCnt);
  for (const auto& item : Items) item->SaveTo(item->Index, store);
}

}  // namespace strevo
