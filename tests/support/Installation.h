// A user database on the fake drive, for the tests, the benchmarks and the
// fuzz targets: the data root C:\Root\ with an empty policy, the database
// C:\Data\, and the language texts the user module shows (with the given
// capitals, the letters a name's file base keeps).
#pragma once

#include <memory>
#include <string>

#include "platform/fake/FakePlatform.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "storage/User.h"

namespace strevo::test {

inline void InstallUserDatabase(FakePlatform& fake, const std::string& capitals = "ABCDEFGHIJKLMNOPQRSTUVWXYZ") {
  Localize().Strings.assign(2000, kUnsetString);
  Localize().Strings[1] = "Quorvel";
  Localize().Strings[12] = capitals;
  Localize().Strings[13] = "abcdefghijklmnopqrstuvwxyz";
  ProgramSettings = std::make_unique<TProgramSettings>();
  ProgramSettings->DatabasePath = "C:\\Data\\";
  ProgramSettings->RootPath = "C:\\Root\\";
  fake.files.MakeDirectory("C:\\Data");
  fake.files.MakeDirectory("C:\\Root");
  fake.WriteHostFile("C:\\Root\\policy.dyn", "");
  LoadPolicy("C:\\Root\\policy.dyn");
}

}  // namespace strevo::test
