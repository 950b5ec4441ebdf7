#include "platform/host/configuration.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/host/installation_registry.h"
#include "support/temp_home.h"
#include "velmora/base/error.h"

namespace velmora::host {
namespace {

using testing::ReadFile;
using testing::TempHome;
using testing::WriteFile;

class ConfigurationTest : public ::testing::Test {
 protected:
  TempHome home_;
  std::shared_ptr<Configuration> configuration_ = NewXmlConfiguration();
};

TEST_F(ConfigurationTest, ReadsKeysConnectionsAndApplications) {
  home_.WriteConfig("B2B.xml", {{"GLOBAL", "B2BLogging", "2"}, {"MAIL", "Service", "pickup:x"}},
                    "<connection application=\"Velmora\"> sqlite:data/v.db </connection>"
                    "<application name=\"Velmora\" id=\"7\"/>");
  configuration_->LoadFile(home_.config_dir() + "\\B2B.xml");
  EXPECT_EQ(configuration_->GetValue("GLOBAL", "B2BLogging").ToText(), "2");
  EXPECT_EQ(configuration_->GetValue("MAIL", "Service").ToText(), "pickup:x");
  EXPECT_TRUE(configuration_->GetValue("GLOBAL", "Missing").IsEmpty());
  EXPECT_TRUE(configuration_->GetValue("global", "B2BLogging").IsEmpty());
  EXPECT_EQ(configuration_->GetConnectionString("Velmora"), "sqlite:data/v.db");
  EXPECT_EQ(configuration_->GetApplicationID("Velmora"), 7);
  EXPECT_THROW(configuration_->GetConnectionString("Other"), Error);
  EXPECT_THROW(configuration_->GetApplicationID("Other"), Error);
}

// Files are read again on every load: a file rewritten with the same size, or broken, is seen at
// once (parses are reused only for the same bytes).
TEST_F(ConfigurationTest, EveryLoadSeesTheFileAsItIsNow) {
  const std::string file = home_.config_dir() + "/Site.xml";
  for (const char* value : {"1", "2", "3"}) {
    WriteFile(file, std::string("<configuration><section name=\"GLOBAL\"><key name=\"V\">") +
                        value + "</key></section></configuration>");
    configuration_->LoadFile(file);
    EXPECT_EQ(configuration_->GetValue("GLOBAL", "V").ToText(), value);
    configuration_->LoadFile(file);
    EXPECT_EQ(configuration_->GetValue("GLOBAL", "V").ToText(), value);
  }
  WriteFile(file, "<configuration><section name=\"GLOBAL\">");
  EXPECT_THROW(configuration_->LoadFile(file), Error);
}

// A file unchanged for a while is taken from the parse kept of it without being read; writing
// it again in place, or renaming another file over it with its old times, is still seen.
TEST_F(ConfigurationTest, SettledFilesAreSeenAgainOnceChanged) {
  const std::string file = home_.config_dir() + "/Site.xml";
  const auto write = [&](const std::string& path, const char* value) {
    WriteFile(path, std::string("<configuration><section name=\"GLOBAL\"><key name=\"V\">") +
                        value + "</key></section></configuration>");
  };
  const auto value = [&] {
    configuration_->LoadFile(file);
    return configuration_->GetValue("GLOBAL", "V").ToText();
  };
  write(file, "1");
  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  EXPECT_EQ(value(), "1");
  EXPECT_EQ(value(), "1");
  write(file, "2");
  EXPECT_EQ(value(), "2") << "rewritten in place with the same size";

  std::this_thread::sleep_for(std::chrono::milliseconds(2100));
  EXPECT_EQ(value(), "2");
  struct stat old {};
  ASSERT_EQ(::stat(file.c_str(), &old), 0);
  const std::string other = file + ".new";
  write(other, "3");
  const timespec times[2] = {old.st_atim, old.st_mtim};
  ASSERT_EQ(::utimensat(AT_FDCWD, other.c_str(), times, 0), 0);
  ASSERT_EQ(std::rename(other.c_str(), file.c_str()), 0);
  EXPECT_EQ(value(), "3") << "another file renamed over it with the old times";
}

TEST_F(ConfigurationTest, BadFilesRaiseErrorsThatNameTheFile) {
  const std::string missing = home_.config_dir() + "/absent.xml";
  try {
    configuration_->LoadFile(missing);
    FAIL();
  } catch (const Error& raised) {
    EXPECT_EQ(raised.number(), kErrFileNotFound);
    EXPECT_NE(raised.description().find(missing), std::string::npos);
  }
  WriteFile(home_.config_dir() + "/broken.xml", "<configuration><section>");
  EXPECT_THROW(configuration_->LoadFile(home_.config_dir() + "/broken.xml"), Error);
  WriteFile(home_.config_dir() + "/other.xml", "<settings/>");
  EXPECT_THROW(configuration_->LoadFile(home_.config_dir() + "/other.xml"), Error);
  EXPECT_THROW(configuration_->GetValue("GLOBAL", "B2BLogging"), Error)
      << "a failed load must not leave an earlier file in force";
}

TEST_F(ConfigurationTest, ExternalEntitiesAreNotExpanded) {
  WriteFile(home_.config_dir() + "/secret.txt", "TOP SECRET");
  WriteFile(home_.config_dir() + "/evil.xml",
            "<?xml version=\"1.0\"?><!DOCTYPE configuration [<!ENTITY x SYSTEM \"file://" +
                home_.config_dir() +
                "/secret.txt\">]><configuration><section name=\"S\"><key "
                "name=\"K\">&x;</key></section></configuration>");
  try {
    configuration_->LoadFile(home_.config_dir() + "/evil.xml");
    EXPECT_EQ(configuration_->GetValue("S", "K").ToText().find("SECRET"), std::string::npos);
  } catch (const Error&) {
    SUCCEED() << "refusing the file is as good as not expanding it";
  }
}

TEST_F(ConfigurationTest, RegistryRecordsKeepTheirOrderAndAreReplacedPerInstallation) {
  const std::string path = RegistryPath();
  EXPECT_EQ(path, home_.path() + "/config/registry.xml");
  EXPECT_TRUE(configuration_->GetProductInfo("R2AVidode").empty());
  WriteRegistryRecord(path, ProductInfo{"R2AVidode", "/a", "/a/config", "1"});
  WriteRegistryRecord(path, ProductInfo{"R2AVidode", "/b", "/b/config", "1"});
  WriteRegistryRecord(path, ProductInfo{"Other", "/c", "/c/config", "1"});
  WriteRegistryRecord(path, ProductInfo{"R2AVidode", "/a", "/a/conf2", "2"});
  const auto records = configuration_->GetProductInfo("R2AVidode");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].install_dir, "/b");
  EXPECT_EQ(records[1].config_dir, "/a/conf2");
  EXPECT_EQ(InstallationHome(), "/a");
}

TEST_F(ConfigurationTest, NamedRegistryWins) {
  const std::string named = home_.path() + "/elsewhere/registry.xml";
  setenv("VELMORA_REGISTRY", named.c_str(), 1);
  WriteRegistryRecord(RegistryPath(), ProductInfo{"R2AVidode", "/z", "/z/config", "1"});
  unsetenv("VELMORA_REGISTRY");
  EXPECT_NE(ReadFile(named).find("/z/config"), std::string::npos);
  EXPECT_TRUE(ReadRegistry(RegistryPath()).empty());
}

}  // namespace
}  // namespace velmora::host
