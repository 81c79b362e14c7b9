// A user's monitored-applications file (".SET", records of 772 bytes), read
// into the list the settings dialog offers (TSpyedApps, TUserApplications),
// switched, and written back.
//
// Properties: an existing file loads its whole records and nothing else (a
// cut last record is left out, never the default list put in); a list that
// was read is written back record for record and reads back the same;
// switching a key switches every record of it, and one switched off is
// published as its atom; the atoms are all deleted with the list.
#include <string>
#include <tuple>
#include <vector>

#include "input/SpyApps.h"
#include "platform/Platform.h"
#include "support/FuzzMachine.h"

using namespace strevo;

namespace {

const std::string kPath = "C:\\Data\\Ann.SET";

using Record = std::tuple<std::string, bool, bool, std::string, std::string>;

std::vector<Record> Records(const TSpyedApps& list) {
  std::vector<Record> records;
  for (const TAppItem& item : list.Items)
    records.emplace_back(item.Key, item.App->Enabled, item.App->Hidden, item.App->DisplayName, item.App->Qualifier);
  return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzMachine machine;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  machine.Write(kPath, bytes);

  std::vector<Record> loaded;
  {
    TUserApplications applications;
    applications.Load(nullptr, kPath);
    TSpyedApps* const list = applications.List();
    fuzz::Check(list != nullptr, "a list is loaded");
    fuzz::Check(list->Items.size() == size / kAppRecordSize, "an existing file loads its whole records");
    loaded = Records(*list);
    for (const auto& offer : applications.Offered(false)) {
      for (bool monitored : {false, true}) {
        applications.SetMonitored(offer.Key, monitored);
        for (const TAppItem& item : list->Items)
          if (item.Key == offer.Key && !item.App->Hidden) {
            fuzz::Check(item.App->IsEnabled() == monitored, "switching a key switches each of its records");
            if (!monitored && !item.App->Qualifier.empty())
              fuzz::Check(machine.fake.atoms.FindAtom(item.App->AtomName()) != 0, "a record switched off is published");
          }
      }
    }
    applications.Offered(true);
    list->find(4242);
    for (size_t i = 0; i < loaded.size(); ++i) list->Items[i].App->SetEnabled(std::get<1>(loaded[i]));
    fuzz::Check(Records(*list) == loaded, "switching back restores every record");
    applications.Save(kPath);
    applications.Drop();
    fuzz::Check(applications.List() == nullptr, "a dropped list is gone");
    fuzz::Check(machine.fake.atoms.Names().empty(), "the list's atoms go with it");
  }
  const std::string written = machine.Read(kPath);
  fuzz::Check(written.size() == loaded.size() * kAppRecordSize,
              "a list that was read is written back record for record");

  TSpyedApps again;
  fuzz::Check(again.loadApps(kPath), "the written file loads");
  fuzz::Check(Records(again) == loaded, "the written file reads back as the list was");
  return 0;
}
