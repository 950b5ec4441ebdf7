#include <gtest/gtest.h>

#include <filesystem>

#include "platform/host/log.h"
#include "platform/json/json_codec.h"
#include "support/temp_home.h"
#include "velmora/base/dictionary.h"

namespace velmora::host {
namespace {

using testing::ReadFile;
using testing::TempHome;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

TEST(JsonLinesLogTest, WritesOneJsonObjectPerEntryWithEveryField) {
  TempHome home;
  auto log = NewJsonLinesLog(home.path() + "/log");
  log->WriteErrorEntry("Velmora.X", "line one\r\n\"quoted\" é", 0, Variant());
  log->WriteNoticeEntry("Velmora.Y", "trace", 2, Variant("extra"));
  const auto lines = Lines(ReadFile(home.path() + "/log/velmora.log"));
  ASSERT_EQ(lines.size(), 2u);
  auto first = json::Parse(lines[0]).As<Dictionary>();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->Item("kind").ToText(), "error");
  EXPECT_EQ(first->Item("source").ToText(), "Velmora.X");
  EXPECT_EQ(first->Item("text").ToText(), "line one\r\n\"quoted\" é");
  EXPECT_EQ(first->Item("level").ToInt32(), 0);
  EXPECT_TRUE(DateTime::Parse(first->Item("time").ToText()).has_value());
  auto second = json::Parse(lines[1]).As<Dictionary>();
  EXPECT_EQ(second->Item("kind").ToText(), "notice");
  EXPECT_EQ(second->Item("level").ToInt32(), 2);
  EXPECT_EQ(second->Item("extra").ToText(), "extra");
}

TEST(JsonLinesLogTest, RotatesBySizeKeepingFiveOlderFiles) {
  TempHome home;
  setenv("VELMORA_LOG_MAX_BYTES", "300", 1);
  auto log = NewJsonLinesLog(home.path() + "/log");
  for (int i = 0; i < 40; ++i) {
    log->WriteErrorEntry("S", "entry " + std::to_string(i), 0, Variant());
  }
  unsetenv("VELMORA_LOG_MAX_BYTES");
  const std::string base = home.path() + "/log/velmora.log";
  EXPECT_LE(std::filesystem::file_size(base), 300u);
  EXPECT_TRUE(std::filesystem::exists(base + ".5"));
  EXPECT_FALSE(std::filesystem::exists(base + ".6"));
  EXPECT_NE(ReadFile(base).find("entry 39"), std::string::npos);
}

TEST(JsonLinesLogTest, AnUnwritableFolderDoesNotFailTheCaller) {
  TempHome home;
  testing::WriteFile(home.path() + "/log", "a file where the folder should be");
  auto log = NewJsonLinesLog(home.path() + "/log");
  ::testing::internal::CaptureStderr();
  EXPECT_NO_THROW(log->WriteErrorEntry("S", "still reported", 0, Variant()));
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("still reported"), std::string::npos);
}

}  // namespace
}  // namespace velmora::host
