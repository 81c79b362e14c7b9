// Forgetting a user removes that user's files and index line, named
// exactly: a user whose name begins the same keeps everything.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "report/ForgetUser.h"
#include "support/UserDatabase.h"

namespace strevo {
namespace {

class ForgetUserTest : public test::UserDatabaseTest {};

TEST_F(ForgetUserTest, RemovesEveryFileOfTheUserAndNoneOfAUserWithTheSameBeginning) {
  const std::vector<std::string> ann = {"Ann.usr", "Ann.usr.new", "Ann.DTA", "Ann.DTA.kept", "Ann.SET", "Ann.json",
                                        "Ann.history.csv", "Ann.history.csv.kept", "Ann.history.csv.kept2",
                                        "Reports\\Ann-report.html", "Reports\\Ann-report.csv",
                                        "Reports\\Ann-report.json"};
  const std::vector<std::string> others = {"Anne.usr", "Anne.DTA", "Anne.json", "Anne.history.csv",
                                           "Reports\\Anne-report.html", "Ann2.usr", "Reports\\Ann-report.html.old"};
  for (const auto& name : ann) fake.WriteHostFile("C:\\Data\\" + name, "x");
  for (const auto& name : others) fake.WriteHostFile("C:\\Data\\" + name, "x");
  fake.WriteHostFile("C:\\Data\\0.idx", "Ann.usr=Ann\r\nAnn2.usr=Ann2\r\nAnne.usr=Anne\r\n");

  const TForgetResult result = ForgetUser("ann");

  EXPECT_EQ(result.error, "");
  std::vector<std::string> expected;
  for (const char* name : {"Ann.usr", "Ann.usr.new", "Ann.DTA", "Ann.DTA.kept", "Ann.SET", "Ann.json",
                           "Ann.history.csv", "Ann.history.csv.kept", "Ann.history.csv.kept2",
                           "Reports\\Ann-report.html", "Reports\\Ann-report.csv", "Reports\\Ann-report.json", "0.idx"})
    expected.push_back(std::string("C:\\Data\\") + name);
  EXPECT_EQ(result.removed, expected);
  for (const auto& name : ann) EXPECT_FALSE(fake.files.FileExists("C:\\Data\\" + name)) << name;
  for (const auto& name : others) EXPECT_TRUE(fake.files.FileExists("C:\\Data\\" + name)) << name;
  EXPECT_EQ(fake.ReadHostFile("C:\\Data\\0.idx"), "Ann2.usr=Ann2\r\nAnne.usr=Anne\r\n");
}

TEST_F(ForgetUserTest, AnUnknownUserRemovesNothing) {
  fake.WriteHostFile("C:\\Data\\Anne.usr", "x");
  const TForgetResult result = ForgetUser("ann");
  EXPECT_EQ(result.error, "There is no user \"ann\" in the user database.");
  EXPECT_TRUE(result.removed.empty());
  EXPECT_TRUE(fake.files.FileExists("C:\\Data\\Anne.usr"));
}

}  // namespace
}  // namespace strevo
