// The settings store (TDynamicFile under TDynamicSettings), the format of
// profiles, group files, the policy and the workstation file. Input: the
// file, then optionally the copy an interrupted save left beside it
// ("name.new"), then a part whose presence makes that copy the newer file.
//
// Properties: a read-only open sees what a writable open restores; every
// getter answers; a list survives its comma text; after setters and a save
// the file reads back as the store held it.
#include <filesystem>
#include <string>
#include <vector>

#include "storage/DynamicFile.h"
#include "storage/DynamicSettings.h"
#include "support/FuzzMachine.h"

using namespace strevo;

namespace {

const std::string kPath = "C:\\Data\\store.dyn";

// Name and value lines of a store, as it holds them.
std::vector<std::string> Entries(TDynamicSettings& store) { return store.Store().Lines(); }

void ReadEveryValue(TDynamicSettings& store) {
  for (const std::string& name : store.Store().Names()) {
    store.GetString(name);
    store.GetInteger(name);
    store.GetInt64(name);
    store.GetFloat(name);
    store.GetBool(name);
    if (auto list = store.GetStrings(name))
      fuzz::Check(FromCommaText(ToCommaText(*list)) == *list, "a list reads back from its comma text");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzMachine machine;
  const auto parts = fuzz::SplitParts(data, size, 3);
  machine.Write(kPath, parts[0]);
  const bool withCopy =
      std::string_view(reinterpret_cast<const char*>(data), size).find(fuzz::kPartSeparator) != std::string_view::npos;
  if (withCopy) {
    const std::string copy = TDynamicFile::SiblingName(kPath);
    machine.Write(copy, parts[1]);
    // Whether the file was written after the copy, set plainly: the clock of
    // the host's file system would decide it by chance.
    const auto time = std::filesystem::file_time_type(std::chrono::hours(24 * 365 * 30));
    std::filesystem::last_write_time(machine.fake.HostPath(kPath), time);
    std::filesystem::last_write_time(machine.fake.HostPath(copy),
                                     parts[2].empty() ? time - std::chrono::seconds(10) : time + std::chrono::seconds(10));
  }

  std::vector<std::string> seen;
  {
    TDynamicSettings reader;
    fuzz::Check(reader.Open(kPath, dynamic_mode::ReadOnlyShared) == 1, "an existing file opens read only");
    fuzz::Check(reader.Load() == 1, "an open file loads");
    seen = Entries(reader);
    ReadEveryValue(reader);
  }

  TDynamicSettings store;
  fuzz::Check(store.Open(kPath, dynamic_mode::ReadWriteDenyWrite) == 1, "an existing file opens writable");
  fuzz::Check(store.Load() == 1, "an open file loads");
  fuzz::Check(Entries(store) == seen, "a read-only open sees what the writable open restores");

  const std::vector<std::string> names = store.Store().Names();
  if (!names.empty()) {
    store.SetString(names.front(), "changed\r\nSecond=entry");
    store.SetStrings(names.back(), {"", "a b", "\"q\"", "x,y"});
  }
  store.SetInteger("Added", -2147483647 - 1);
  store.SetFloat("AddedFloat", 0.1);
  store.SetString(names.size() > 1 ? names[1] : "Removed", "");
  const std::vector<std::string> held = Entries(store);
  store.Store().Close();

  TDynamicSettings again;
  fuzz::Check(again.Open(kPath, dynamic_mode::ReadOnlyShared) == 1 && again.Load() == 1, "the saved file opens");
  fuzz::Check(Entries(again) == held, "the saved file reads back as the store held it");
  fuzz::Check(!machine.fake.files.FileExists(TDynamicFile::SiblingName(kPath)), "a complete save leaves no copy");
  return 0;
}
