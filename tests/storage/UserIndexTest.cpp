// Groups and the per-group user index: listing groups, reading, merging and
// rebuilding the indexes, and the user lists built from them. The rebuild at
// thirty unindexed users, the index it writes from the profiles and the file
// bases the indexes give are the UserIndexFileTest scenarios
// (tests/core/scenarios).
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "analysis/AnalyzerAPI.h"
#include "input/SpyApps.h"
#include "platform/Application.h"
#include "storage/DynamicSettings.h"
#include "storage/Group.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "storage/User.h"
#include "support/UserDatabase.h"

namespace strevo {
namespace {

using Lines = std::vector<std::string>;

class UserIndexTest : public test::UserDatabaseTest {
 protected:
  void SetUp() override {
    UserDatabaseTest::SetUp();
    Application().onProcessMessages = [this] { ++processed; };
    fake.WriteHostFile("C:\\Root\\0.grp", "");
  }

  // A profile; group < 0 writes no group key.
  void Profile(const std::string& file, const std::string& name, int group = -1) {
    std::string text = name.empty() ? std::string() : "UserName=" + name + "\r\n";
    if (group >= 0) text += "UserGroupId=" + std::to_string(group) + "\r\n";
    fake.WriteHostFile("C:\\Data\\" + file, text);
  }
  void Index(int group, const std::string& text) {
    fake.WriteHostFile("C:\\Data\\" + std::to_string(group) + ".idx", text);
  }
  std::string Read(const std::string& path) { return fake.ReadHostFile(path); }
  bool Exists(const std::string& path) { return fake.files.FileExists(path); }
  // Profiles User00.usr .. with names User00 .., all in group 0.
  void ManyProfiles(int count, int group = -1) {
    for (int i = 0; i < count; ++i) {
      const std::string name = "User" + std::string(i < 10 ? "0" : "") + std::to_string(i);
      Profile(name + ".usr", name, group);
    }
  }

  int processed = 0;
};

// ---------------------------------------------------------------- groups --

TEST_F(UserIndexTest, GroupZeroIsListedFirstEvenWithoutItsFileAndNamesThatAreNoNumbersCountAsZero) {
  fake.files.RemoveFile("C:\\Root\\0.grp");
  fake.WriteHostFile("C:\\Root\\abc.grp", "");
  fake.WriteHostFile("C:\\Root\\x.y.grp", "");
  fake.WriteHostFile("C:\\Root\\3.grpx", "");
  EXPECT_EQ(ListGroups(), (Lines{"0", "abc", "x"}));
  EXPECT_EQ(MaxGroup(), 0);
  fake.WriteHostFile("C:\\Root\\2.grp", "");
  fake.WriteHostFile("C:\\Root\\10.grp", "");
  EXPECT_EQ(ListGroups(), (Lines{"0", "10", "2", "abc", "x"}));
  EXPECT_EQ(MaxGroup(), 10);
}

// --------------------------------------------------------------- reading --

// One group's index skips lines that are no entries; all indexes merge the
// groups up to MaxGroup in order.
TEST_F(UserIndexTest, IndexesAreReadOneGroupOrAllUpToMaxGroupInOrder) {
  Index(0, "Zed.usr=Zed\r\n\r\nno entry\r\n=x\r\nAl.usr=Al");
  EXPECT_EQ(LoadIndex(0), (Lines{"Zed.usr=Zed", "Al.usr=Al"}));
  EXPECT_EQ(LoadIndex(3), Lines{});
  fake.WriteHostFile("C:\\Root\\2.grp", "");
  Index(1, "Ann.usr=Ann\r\n");  // a group without group file still has its index read
  Index(2, "Bob.usr=Bob\r\n");
  Index(5, "Far.usr=Far\r\n");  // above MaxGroup
  fake.WriteHostFile("C:\\Data\\01.idx", "Odd.usr=Odd\r\n");
  EXPECT_EQ(LoadIndex(-1), (Lines{"Zed.usr=Zed", "Al.usr=Al", "Ann.usr=Ann", "Bob.usr=Bob"}));
  EXPECT_EQ(LoadIndex(-2), Lines{});
}

// ------------------------------------------------------------ rebuilding --

// The bar's range was 200 for each group above 0: with group 0 alone it
// was 0 to 0, and the bar never moved.
TEST_F(UserIndexTest, RebuildProgressGoesFromTheFirstProfileToTheLastWhateverTheGroups) {
  ManyProfiles(45);
  for (const std::string group : {"", "2", "99999999"}) {
    const std::string groupFile = "C:\\Root\\" + group + ".grp";
    if (!group.empty()) fake.WriteHostFile(groupFile, "");
    fake.progress = {};
    processed = 0;
    RebuildIndex();
    EXPECT_EQ(fake.progress.shows, 1) << group;
    EXPECT_EQ(fake.progress.message, "Processing database, please wait...");
    EXPECT_EQ(fake.progress.min, 0) << group;
    EXPECT_EQ(fake.progress.max, 45) << group;
    EXPECT_EQ(fake.progress.positions, (std::vector<int>{20, 40, 45})) << group;
    EXPECT_EQ(processed, 3) << group;
    EXPECT_FALSE(fake.progress.visible);
    EXPECT_FALSE(fake.progress.barVisible);
    if (!group.empty()) fake.files.RemoveFile(groupFile);
  }
}

TEST_F(UserIndexTest, HugeGroupNumberCostsNothingAndCannotOverflowTheRange) {
  fake.WriteHostFile("C:\\Root\\99999999.grp", "");
  Profile("Ann.usr", "Ann", 99999999);
  Profile("Bob.usr", "Bob", 5);
  const auto start = std::chrono::steady_clock::now();
  RebuildIndex();
  EXPECT_EQ(LoadIndex(-1), (Lines{"Bob.usr=Bob", "Ann.usr=Ann"}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(Read("C:\\Data\\99999999.idx"), "Ann.usr=Ann\r\n");
  EXPECT_EQ(Read("C:\\Data\\5.idx"), "Bob.usr=Bob\r\n");
  EXPECT_FALSE(Exists("C:\\Data\\6.idx"));
}

// ---------------------------------------------------------- unindexed --

// Index lines match profile files without regard to case.
TEST_F(UserIndexTest, UnindexedUsersAreThoseInNoUsableIndex) {
  Profile("Ann.usr", "Ann");
  Profile("Bob.usr", "Bob");
  Profile("Nameless.usr", "");
  Profile("visitor.Usr", "Visitor%%");
  Index(0, "ANN.USR=Ann\r\n");
  EXPECT_EQ(UnindexedUsers(), Lines{"Bob.usr=Bob"});
  // An index counts only while its group file exists.
  fake.files.RemoveFile("C:\\Root\\0.grp");
  EXPECT_EQ(UnindexedUsers(), (Lines{"Ann.usr=Ann", "Bob.usr=Bob"}));
}

// ------------------------------------------------------------ the lists --

TEST_F(UserIndexTest, ListsCombineIndexesAndUnindexedUsersSorted) {
  fake.WriteHostFile("C:\\Root\\1.grp", "");
  Profile("Dora.usr", "Dora");
  Index(0, "Carl.usr=Carl\r\nann.usr=ann\r\n");
  Index(1, "Bob.usr=Bob\r\n");
  EXPECT_EQ(UserList(0), (Lines{"ann.usr=ann", "Carl.usr=Carl", "Dora.usr=Dora"}));
  EXPECT_EQ(UserList(-1), (Lines{"ann.usr=ann", "Bob.usr=Bob", "Carl.usr=Carl", "Dora.usr=Dora"}));
  EXPECT_EQ(UserList(1), Lines{"Bob.usr=Bob"});
  EXPECT_EQ(UserNames(-1), (Lines{"ann", "Bob", "Carl", "Dora"}));
  EXPECT_EQ(fake.progress.shows, 0);
}

// A group without index is rebuilt once; an index, even an empty one, is
// then taken as it is.
TEST_F(UserIndexTest, GroupWithoutIndexIsRebuiltOnceOnly) {
  fake.WriteHostFile("C:\\Root\\2.grp", "");
  fake.WriteHostFile("C:\\Root\\3.grp", "");
  Profile("Ann.usr", "Ann", 0);
  Profile("Bob.usr", "Bob", 2);
  EXPECT_EQ(UserList(3), Lines{});
  EXPECT_EQ(fake.progress.shows, 1);
  EXPECT_EQ(Read("C:\\Data\\3.idx"), "");
  EXPECT_EQ(UserList(3), Lines{});
  EXPECT_EQ(UserList(2), Lines{"Bob.usr=Bob"});
  Profile("Eve.usr", "Eve", 3);
  EXPECT_EQ(UserList(3), Lines{});
  EXPECT_EQ(fake.progress.shows, 1);
}

}  // namespace
}  // namespace strevo
