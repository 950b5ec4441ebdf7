#include "core/mail_service.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/url_encode.h"
#include "support/temp_folder.h"
#include "velmora/base/error.h"

namespace velmora::core {
namespace {

using testing::TempFolder;
using testing::WriteFile;

void WriteMailSection(const TempFolder& home, const std::string& keys) {
  WriteFile(home / "config/SiteConfiguration.xml",
            "<configuration><section name=\"GLOBAL\"><key name=\"Service\">wrong</key></section>"
            "<section name=\"MAIL\">" +
                keys + "</section></configuration>");
}

TEST(MailServiceTest, ReadsTheMailSectionWithDefaultsAndHomeRelativePaths) {
  TempFolder home;
  WriteMailSection(home,
                   "<key name=\"Service\">pickup:folders/out</key><key name=\"CAFile\">ca.pem"
                   "</key><key name=\"TimeoutSeconds\"> 5 </key>");
  const mail::TransportSettings settings = ReadMailSettings(home.path());
  EXPECT_EQ(settings.service, "pickup:" + home.path() + "/folders/out");
  EXPECT_EQ(settings.ca_file, home.path() + "/ca.pem");
  EXPECT_EQ(settings.connect_timeout_seconds, 10);
  EXPECT_EQ(settings.timeout_seconds, 5);
  EXPECT_EQ(settings.user, "");
}

TEST(MailServiceTest, AnUnusableConfigurationFailsEachSendNotTheProgram) {
  const std::vector<std::pair<std::string, int32_t>> cases{
      {"", mail::kErrMailNotSent},
      {"<key name=\"Service\">ftp://relay</key>", mail::kErrMailInvalid},
      {"<key name=\"Service\">smtp://relay:25</key><key name=\"TimeoutSeconds\">0</key>",
       mail::kErrMailInvalid},
      {"<key name=\"Service\">smtp://relay:25</key><key name=\"ConnectTimeoutSeconds\">ten"
       "</key>",
       mail::kErrMailInvalid},
  };
  for (const auto& [keys, number] : cases) {
    SCOPED_TRACE(keys);
    TempFolder home;
    WriteMailSection(home, keys);
    const auto transport = NewSiteMailTransport(home.path());
    for (int attempt = 0; attempt < 2; ++attempt) {
      try {
        transport->Send(mail::Message{"a@example.com", "b@example.com", "s", "b", {}});
        ADD_FAILURE() << "sent";
      } catch (const Error& failure) {
        EXPECT_EQ(failure.number(), number);
      }
    }
  }
}

TEST(UrlEncodeTest, KeepsOnlyUnreservedCharacters) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"ORDERS", "ORDERS"},
      {"ORDER IN", "ORDER%20IN"},
      {"a=b&c", "a%3Db%26c"},
      {"Ü-_.~/", "%C3%9C-_.~%2F"},
      {"", ""},
  };
  for (const auto& [text, encoded] : cases) {
    EXPECT_EQ(URLEncode(text), encoded) << text;
  }
}

}  // namespace
}  // namespace velmora::core
