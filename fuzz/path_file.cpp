// The installation's path file "QVNPath.ini" (TIniFile), read when the
// program works out where its shared data and its user database live
// (TProgramSettings::Create), and read key by key as the ini reader offers.
//
// Properties: values are cut to the system's buffer; a program that goes on
// has both folders ending in "\"; folders are only ever made on drive C:
// (the machine refuses any other), and the same file gives the same folders.
#include <string>

#include "platform/Application.h"
#include "platform/Platform.h"
#include "storage/IniFile.h"
#include "storage/PrgSetup.h"
#include "support/FuzzMachine.h"

using namespace strevo;

namespace {

const char* const kKeys[] = {"DataPath", "DataBase", "Syncmode", "SyncIn", "SyncInpath", "SyncOutpath", "AppData"};

std::string Folders() {
  auto settings = TProgramSettings::Create("");
  return settings->RootPath + "|" + settings->DatabasePath + "|" + (Application().Terminated() ? "ended" : "runs");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzMachine machine;
  FakeSystem& system = machine.fake.system;
  system.environment["LOCALAPPDATA"] = "C:\\Users\\tester\\AppData\\Local";
  system.environment["APPDATA"] = "C:\\Users\\tester\\AppData\\Roaming";
  system.specialFolders[kCsidlAppData] = "C:\\Users\\tester\\AppData\\Roaming";
  machine.Write("C:\\Strevo\\QVNPath.ini", std::string_view(reinterpret_cast<const char*>(data), size));
  machine.Write("C:\\Strevo\\Policy.dyn", "");
  machine.Write("C:\\Shared\\Policy.dyn", "");

  const TIniFile ini("C:\\Strevo\\QVNPath.ini");
  for (const char* section : {"Path", "path", ""}) {
    ini.SectionExists(section);
    for (const char* key : kKeys) {
      ini.ValueExists(section, key);
      fuzz::Check(ini.ReadString(section, key, "").size() <= TIniFile::kMaxValueLength, "values are cut to the buffer");
    }
  }

  const std::string first = Folders();
  if (first.ends_with("runs")) {
    auto settings = TProgramSettings::Create("");
    fuzz::Check(settings->RootPath.ends_with("\\") && settings->DatabasePath.ends_with("\\"),
                "both folders end in a backslash");
  }
  Application().Reset();
  fuzz::Check(Folders() == first, "the same path file gives the same folders");
  return 0;
}
