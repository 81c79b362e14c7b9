// The page in a real browser: headless Chromium renders the prepared user's
// report to a picture, which must show the page (more than one colour, the
// charts' own colours among them), and the browser must log nothing from
// the page's console, where script errors go. ImageMagick counts the
// picture's colours. Skipped when no Chromium can be started.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "ReportFiles.h"
#include "report/UserReport.h"

namespace strevo::test {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The browser's command, or "" when none answers.
std::string Chromium(const fs::path& scratch) {
  for (const char* name : {"chromium", "chromium-browser"}) {
    const std::string probe = std::string("timeout 60 ") + name + " --headless --no-sandbox --version > '" +
                              (scratch / "version.txt").string() + "' 2>&1";
    if (std::system(probe.c_str()) == 0) return name;
  }
  return "";
}

// The number of pixels of each colour (0xRRGGBB) of the picture, as
// ImageMagick's convert reads them; false when it cannot read the picture.
bool ReadColours(const fs::path& picture, const fs::path& scratch, std::map<uint32_t, size_t>& pixels) {
  const fs::path out = scratch / "colours.txt";
  const std::string command = "convert '" + picture.string() + "' -alpha off -depth 8 -format %c histogram:info:- > '" +
                              out.string() + "' 2>&1";
  if (std::system(command.c_str()) != 0) return false;
  std::istringstream in(ReadFile(out));
  // Rows such as "  5000: (78,121,167) #4E79A7 srgb(78,121,167)".
  for (std::string row; std::getline(in, row);) {
    const size_t hash = row.find('#');
    if (hash != std::string::npos) pixels[std::stoul(row.substr(hash + 1, 6), nullptr, 16)] += std::stoull(row);
  }
  return true;
}

class BrowserTest : public ReportTest {
 protected:
  void SetUp() override {
    ReportTest::SetUp();
    std::string pattern = (fs::temp_directory_path() / "strevo-browser-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    ASSERT_NE(::mkdtemp(buffer.data()), nullptr);
    scratch_ = buffer.data();
  }
  void TearDown() override {
    std::error_code ignored;
    if (!scratch_.empty()) fs::remove_all(scratch_, ignored);
    ReportTest::TearDown();
  }
  fs::path scratch_;
};

TEST_F(BrowserTest, ThePageRendersWithItsChartsAndNoScriptErrors) {
  WriteAnn();
  std::string page, error;
  ASSERT_TRUE(WriteUserReport("Ann", kOut, page, error)) << error;
  const std::string html = Read(kPage);
  // The page needs no script, so none may be there to fail.
  EXPECT_FALSE(std::regex_search(html, std::regex(R"(<[^>]*\son[a-z]+\s*=)"))) << "an event handler";

  const std::string browser = Chromium(scratch_);
  if (browser.empty())
    GTEST_SKIP() << "no Chromium could be started (chromium or chromium-browser in PATH); the page was not rendered";

  const fs::path shot = scratch_ / "page.png";
  const fs::path log = scratch_ / "browser.log";
  const std::string command = "timeout 120 " + browser +
                              " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                              " --disable-background-networking --disable-component-update --disable-sync"
                              " --enable-logging=stderr --v=0 --user-data-dir='" +
                              (scratch_ / "profile").string() + "' --screenshot='" + shot.string() +
                              "' --window-size=1200,1600 'file://" + fake.HostPath(kPage) + "' > '" + log.string() +
                              "' 2>&1";
  const int status = std::system(command.c_str());
  const std::string output = ReadFile(log);
  ASSERT_TRUE(fs::exists(shot)) << "status " << status << ":\n" << output;
  EXPECT_EQ(output.find(":CONSOLE("), std::string::npos) << output;
  EXPECT_EQ(output.find("Uncaught"), std::string::npos) << output;

  std::map<uint32_t, size_t> colours;
  ASSERT_TRUE(ReadColours(shot, scratch_, colours)) << "ImageMagick's convert could not read the picture:\n"
                                                     << ReadFile(scratch_ / "colours.txt");
  size_t commonest = 0, all = 0;
  for (const auto& entry : colours) {
    commonest = std::max(commonest, entry.second);
    all += entry.second;
  }
  EXPECT_EQ(all, 1200u * 1600u);
  EXPECT_GT(colours.size(), 16u);
  EXPECT_LT(commonest, all * 95 / 100) << "the picture is nearly one colour";
  // The weekday chart is on the first screen: its bars and the current
  // day's bar in their own colours.
  EXPECT_GT(colours[0x4E79A7], 1000u);
  EXPECT_GT(colours[0xF28E2B], 1000u);
}

}  // namespace
}  // namespace strevo::test
