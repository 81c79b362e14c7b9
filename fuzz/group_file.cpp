// The group files ("<group>.grp" beside the policy file), read when a user
// is opened and whenever a setting is read through the user, with the
// policy's locks over them. Input: the file of group 3 (the user's group),
// then that of group 0, then the policy.
//
// Properties: every setting of every source can be read; a locked setting
// reads the same from every source; the group list and its highest number
// come from the file names alone.
#include <string>
#include <vector>

#include "storage/DynamicSettings.h"
#include "storage/Group.h"
#include "storage/User.h"
#include "support/FuzzMachine.h"

using namespace strevo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzMachine machine;
  machine.UserDatabase();
  const auto parts = fuzz::SplitParts(data, size, 3);
  machine.Write("C:\\Root\\3.grp", parts[0]);
  machine.Write("C:\\Root\\0.grp", parts[1]);
  machine.Write("C:\\Root\\policy.dyn", parts[2]);
  LoadPolicy("C:\\Root\\policy.dyn");
  machine.Write("C:\\Data\\Ann.usr", "UserName=Ann\r\nUserGroupID=3\r\ncpm=1\r\nSounds=0\r\n");

  ListGroups();
  fuzz::Check(MaxGroup() == 3, "the highest group comes from the file names");
  std::unique_ptr<TUser> user;
  try {
    user = OpenUser("Ann", true, kAnyGroup, lock_mode::ReadOnly);
  } catch (const EUserError&) {
    fuzz::Fail("a readable profile opens whatever its group file holds");
  }
  fuzz::Check(user && user->Group, "the user's group settings are read");

  std::vector<std::string> keys = user->Group->Store().Names();
  const std::vector<std::string> policyKeys = PolicySettings->Store().Names();
  keys.insert(keys.end(), policyKeys.begin(), policyKeys.end());
  keys.push_back("cpm");
  for (size_t i = 0; i < keys.size() && i < 64; ++i) {
    const std::string& key = keys[i];
    for (int source = setting_source::kOwn; source <= setting_source::kGroup + 1; ++source) {
      user->GetSetting(key, source);
      user->GetSettingInteger(key, source);
      user->GetSettingBool(key, source);
      user->GetSettingFloat(key, source);
      user->GetSettingStrings(key, source);
    }
    if (user->IsLocked(key)) {
      const std::string value = user->GetSetting(key, setting_source::kOwn);
      fuzz::Check(user->GetSetting(key, setting_source::kInherited) == value &&
                      user->GetSetting(key, setting_source::kGroup) == value,
                  "a locked setting reads the same from every source");
    }
  }
  user->DisplaySpeed(300);
  return 0;
}
