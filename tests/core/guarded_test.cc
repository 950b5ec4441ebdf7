#include "core/guarded.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "support/capture_log.h"

namespace velmora::core {
namespace {

class GuardedTest : public ::testing::Test {
 protected:
  testing::CaptureLog log_;
};

TEST_F(GuardedTest, ReturnsWhatTheBodyReturnsAndLogsNothing) {
  int info_calls = 0;
  EXPECT_EQ(Guarded("Velmora.X.Y", [] { return 42; }), 42);
  EXPECT_EQ(Guarded(
                "Velmora.X.Y", [] { return std::string("text"); },
                [&] {
                  ++info_calls;
                  return Variant("info");
                }),
            "text");
  EXPECT_EQ(info_calls, 0) << "the information is built only for a report";
  EXPECT_TRUE(log_.entries().empty());
}

TEST_F(GuardedTest, AFailureReachesTheCallerWithThePathInItsChainAndIsLogged) {
  struct Case {
    std::function<void()> raise;
    int32_t number;
    std::string description_part;
  };
  const Case cases[] = {
      {[] { throw Error(1234, "Velmora.Inner", "inner failed"); }, 1234, "inner failed"},
      {[] { throw std::runtime_error("a bug"); }, kErrUnexpected, "a bug"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.description_part);
    try {
      Guarded(
          "Velmora.X.Y", [&] { c.raise(); }, [] { return Variant("the order 7"); });
      ADD_FAILURE() << "nothing raised";
    } catch (const Error& raised) {
      EXPECT_EQ(raised.number(), c.number);
      EXPECT_EQ(raised.description().rfind("\r\nMETHOD: Velmora.X.Y caught: ", 0), 0u)
          << raised.description();
      EXPECT_NE(raised.description().find(c.description_part), std::string::npos);
      EXPECT_NE(raised.description().find("Additional information: the order 7"),
                std::string::npos);
    }
  }
  EXPECT_EQ(log_.entries().size(), 2u);
}

TEST_F(GuardedTest, NestedGuardsChainEveryPathOutermostFirst) {
  try {
    Guarded("Velmora.Outer.Call", [] {
      Guarded("Velmora.Inner.Call", [] { throw Error(5, "Velmora.Inner", "refused"); });
    });
    ADD_FAILURE() << "nothing raised";
  } catch (const Error& raised) {
    const std::string& text = raised.description();
    const size_t outer = text.find("METHOD: Velmora.Outer.Call");
    const size_t inner = text.find("METHOD: Velmora.Inner.Call");
    ASSERT_NE(outer, std::string::npos) << text;
    ASSERT_NE(inner, std::string::npos) << text;
    EXPECT_LT(outer, inner) << text;
  }
}

}  // namespace
}  // namespace velmora::core
