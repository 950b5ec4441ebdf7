#include "core/env.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/connection_factory.h"
#include "core/db_utils.h"
#include "core/file_service.h"
#include "core/general.h"
#include "platform/files/file_system.h"
#include "support/fixed_sources.h"
#include "support/temp_folder.h"
#include "velmora/base/error.h"

namespace velmora::core {
namespace {

TEST(EnvTest, ScopesPutThePreviousEnvironmentBack) {
  Env outer;
  outer.home = "/srv/outer";
  ScopedEnv first(outer);
  {
    Env inner;
    inner.home = "/srv/inner";
    ScopedEnv second(inner);
    EXPECT_EQ(CurrentEnv().home, "/srv/inner");
  }
  EXPECT_EQ(CurrentEnv().home, "/srv/outer");
}

TEST(EnvTest, TheEnvironmentsClockAndGuidsAreTheLibrarysWhileItIsInstalled) {
  const DateTime start = CurrentClock().Now();
  Env env;
  env.clock = std::make_shared<testing::FixedClock>(DateTime{2001, 2, 3, 4, 5, 6});
  env.guids = std::make_shared<testing::FixedGuids>();
  {
    ScopedEnv scope(env);
    EXPECT_EQ(CurrentClock().Now().ToText(), "2001-02-03 04:05:06");
    EXPECT_EQ(iGeneral_GenerateGUID().substr(0, 6), "ABCDEF");
  }
  EXPECT_GE(CurrentClock().Now().ToText(), start.ToText()) << "the system clock is back";
}

TEST(EnvTest, MissingAdaptersAreNamedWhenAskedFor) {
  ScopedEnv empty(Env{});
  for (const auto& ask : {std::function<void()>([] { CurrentEnv().Mail(); }),
                          std::function<void()>([] { CurrentEnv().Transfer(); })}) {
    try {
      ask();
      ADD_FAILURE() << "nothing raised";
    } catch (const Error& raised) {
      EXPECT_EQ(raised.number(), kErrObjectRequired);
      EXPECT_NE(raised.description().find("Object required: "), std::string::npos);
    }
  }
}

TEST(EnvTest, ConnectionsAndFileSystemsComeFromTheEnvironment) {
  testing::TempFolder folder;
  Env env;
  env.databases = NewConnectionFactory("sqlite:env.db", folder.path());
  int made = 0;
  env.new_file_system = [&] {
    ++made;
    return NewLocalSiteFileSystem();
  };
  db::OpenOptions create;
  create.base_folder = folder.path();
  create.create_if_missing = true;
  db::OpenConnection("sqlite:env.db", create)->Execute("CREATE TABLE T (A INTEGER)");
  ScopedEnv scope(env);
  EXPECT_EQ(GetConnection()->Query("SELECT COUNT(*) AS N FROM T")->Field("N").ToInt32(), 0)
      << "the environment's database, with its relative path resolved against the folder";
  EXPECT_TRUE(NewSiteFileSystem()->FileExists(folder.path() + "/env.db"));
  EXPECT_EQ(made, 1);
}

}  // namespace
}  // namespace velmora::core
