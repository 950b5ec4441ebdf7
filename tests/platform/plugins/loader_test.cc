#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/plugins/component_table.h"
#include "platform/plugins/library.h"
#include "platform/plugins/plugin_component.h"
#include "platform/plugins/value_convert.h"
#include "support/expectations.h"
#include "support/scoped_environment.h"
#include "support/temp_folder.h"
#include "velmora/base/error.h"

namespace velmora::plugins {
namespace {

using testing::Contains;
using testing::RaisedBy;
using testing::ReadFile;
using testing::TempFolder;
using testing::WriteFile;
using Interface = PluginComponent::Interface;

PluginEntry Entry(const std::string& library, const std::string& factory) {
  return PluginEntry{"Test.Component", library, library, factory};
}

std::unique_ptr<PluginComponent> Sample() {
  return PluginComponent::Create(Entry(VELMORA_SAMPLE_PLUGIN, "sample_create_word_check"));
}

std::unique_ptr<PluginComponent> Broken(const std::string& factory) {
  return PluginComponent::Create(Entry(VELMORA_BROKEN_PLUGIN, factory));
}

Variant Texts(const std::vector<std::string>& texts) {
  VariantArray array(texts.size());
  for (size_t i = 0; i < texts.size(); ++i) {
    array.At(static_cast<int32_t>(i)) = Variant(texts[i]);
  }
  return Variant(std::move(array));
}

// ---- The component registry file ----

TEST(ComponentTableTest, EntriesResolveLibrariesAgainstTheHome) {
  TempFolder home;
  std::filesystem::create_directories(home / "config");
  WriteFile(ComponentTablePath(home.path()),
            "<components>"
            "<component progid='Acme.Relative' library='plugins/libacme.so' factory='make'/>"
            "<component progid='Acme.Absolute' library='/opt/acme/libacme.so' factory='make2'/>"
            "</components>");
  const auto relative = FindPluginEntry(home.path(), "acme.RELATIVE");
  ASSERT_TRUE(relative.has_value());
  EXPECT_EQ(relative->progid, "Acme.Relative");
  EXPECT_EQ(relative->library_path, home.path() + "/plugins/libacme.so");
  EXPECT_EQ(relative->factory, "make");
  const auto absolute = FindPluginEntry(home.path(), "Acme.Absolute");
  ASSERT_TRUE(absolute.has_value());
  EXPECT_EQ(absolute->library_path, "/opt/acme/libacme.so");
  EXPECT_FALSE(FindPluginEntry(home.path(), "Acme.Unknown").has_value());
}

TEST(ComponentTableTest, MissingFileNamesNoComponent) {
  TempFolder home;
  EXPECT_FALSE(FindPluginEntry(home.path(), "Acme.Relative").has_value());
}

TEST(ComponentTableTest, IncompleteOrMalformedFileIsRefused) {
  TempFolder home;
  std::filesystem::create_directories(home / "config");
  WriteFile(ComponentTablePath(home.path()),
            "<components><component progid='Acme.NoFactory' library='a.so'/></components>");
  const Error incomplete = RaisedBy([&] { FindPluginEntry(home.path(), "Acme.NoFactory"); });
  EXPECT_EQ(incomplete.number(), kErrCannotCreateObject);
  EXPECT_TRUE(Contains(incomplete.description(), "Acme.NoFactory"));

  WriteFile(ComponentTablePath(home.path()), "<components><component");
  const Error malformed = RaisedBy([&] { FindPluginEntry(home.path(), "Acme.NoFactory"); });
  EXPECT_TRUE(Contains(malformed.description(), "components.xml"));
}

// ---- Loading ----

TEST(PluginLibraryTest, LibraryIsLoadedOncePerProcess) {
  const std::filesystem::path sample(VELMORA_SAMPLE_PLUGIN);
  const std::string roundabout =
      (sample.parent_path() / ".." / sample.parent_path().filename() / sample.filename()).string();
  const auto first = LoadPluginLibrary(VELMORA_SAMPLE_PLUGIN);
  EXPECT_EQ(LoadPluginLibrary(VELMORA_SAMPLE_PLUGIN), first);
  EXPECT_EQ(LoadPluginLibrary(roundabout), first);
}

TEST(PluginLibraryTest, ThreadsLoadingTogetherShareOneLibrary) {
  std::vector<std::shared_ptr<PluginLibrary>> loaded(4);
  std::vector<std::thread> threads;
  for (auto& slot : loaded) {
    threads.emplace_back([&slot] { slot = LoadPluginLibrary(VELMORA_BROKEN_PLUGIN); });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  for (const auto& library : loaded) {
    EXPECT_EQ(library, loaded.front());
  }
}

TEST(PluginLibraryTest, MissingLibraryIsACreationError) {
  TempFolder folder;
  const Error error = RaisedBy([&] { LoadPluginLibrary(folder / "libmissing.so"); });
  EXPECT_EQ(error.number(), kErrCannotCreateObject);
  EXPECT_TRUE(Contains(error.description(), "libmissing.so"));
}

TEST(PluginLibraryTest, FileThatIsNoLibraryIsACreationError) {
  TempFolder folder;
  WriteFile(folder / "libfake.so", "not a shared object");
  const Error error = RaisedBy([&] { LoadPluginLibrary(folder / "libfake.so"); });
  EXPECT_EQ(error.number(), kErrCannotCreateObject);
  EXPECT_TRUE(Contains(error.description(), "libfake.so"));
}

TEST(PluginLibraryTest, LibraryOfAnotherAbiIsRefusedEveryTime) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    const Error error = RaisedBy([] { LoadPluginLibrary(VELMORA_WRONG_ABI_PLUGIN); });
    EXPECT_EQ(error.number(), kErrCannotCreateObject);
    EXPECT_TRUE(Contains(error.description(), "plug-in ABI 2"));
  }
}

TEST(PluginComponentTest, MissingFactoryIsACreationError) {
  const Error error = RaisedBy([] { Broken("no_such_factory"); });
  EXPECT_EQ(error.number(), kErrCannotCreateObject);
  EXPECT_EQ(error.source(), "Test.Component");
  EXPECT_TRUE(Contains(error.description(), "'no_such_factory'"));
}

TEST(PluginComponentTest, FactoryFailuresBecomeErrors) {
  const Error refused = RaisedBy([] { Broken("broken_refuses_to_start"); });
  EXPECT_EQ(refused.number(), 1234);
  EXPECT_EQ(refused.source(), "Test.Component");
  EXPECT_EQ(refused.description(), "no licence for this server");

  const Error escaped = RaisedBy([] { Broken("broken_throws"); });
  EXPECT_EQ(escaped.number(), plugin::kDefaultErrorNumber);
  EXPECT_TRUE(Contains(escaped.description(), "broken_throws"));

  const Error nothing = RaisedBy([] { Broken("broken_makes_nothing"); });
  EXPECT_EQ(nothing.number(), kErrCannotCreateObject);
  EXPECT_TRUE(Contains(nothing.description(), "made no object"));
}

// ---- Calls ----

TEST(PluginComponentTest, SampleImplementsBothInterfaces) {
  auto sample = Sample();
  EXPECT_TRUE(sample->Implements(Interface::kMethodCall));
  EXPECT_TRUE(sample->Implements(Interface::kMethodCall24));
  Variant document("<ORDER/>");
  EXPECT_TRUE(sample->MethodCall(document));
  EXPECT_EQ(document, Variant("<ORDER/>"));
  Variant empty("");
  EXPECT_FALSE(sample->MethodCall(empty));
}

TEST(PluginComponentTest, NamedMethodTakesTheArrayOfTexts) {
  auto sample = Sample();
  EXPECT_TRUE(sample->HasMethod("containsword"));
  EXPECT_FALSE(sample->HasMethod("ContainsWords"));
  Variant found = Texts({"Urgent delivery", "URGENT"});
  EXPECT_EQ(sample->Invoke("ContainsWord", found), Variant(true));
  Variant missing = Texts({"Normal delivery", "urgent"});
  EXPECT_EQ(sample->Invoke("ContainsWord", missing), Variant(false));
  Variant text("Urgent delivery");
  const Error error = RaisedBy([&] { sample->Invoke("ContainsWord", text); });
  EXPECT_EQ(error.number(), kErrTypeMismatch);
  EXPECT_TRUE(Contains(error.description(), "array of two texts"));
}

TEST(PluginComponentTest, CurrentInterfaceRunsInSlotOrder) {
  TempFolder folder;
  testing::ScopedEnvironmentVariable log("VELMORA_SAMPLE_PLUGIN_LOG", folder / "calls.log");
  auto sample = Sample();
  const Error early = RaisedBy([&] { sample->Process(); });
  EXPECT_EQ(early.number(), 1001);
  EXPECT_EQ(early.source(), "Test.Component");
  sample->SetBusinessPartnerID(17);
  sample->SetDocumentID(4711);
  std::vector<std::string> attachments{"/a/1.pdf", "/a/2.pdf"};
  sample->SetDocumentAttachments(attachments);
  sample->SetDocumentXML("<ORDER/>");
  sample->Process();
  EXPECT_EQ(ReadFile(folder / "calls.log"), "partner=17 document=4711 attachments=2 xml=8\n");
}

TEST(PluginComponentTest, LateBoundMembersAnswerByName) {
  auto sample = Sample();
  EXPECT_TRUE(sample->HasMethod("IMethodCall_MethodCall"));
  EXPECT_TRUE(sample->HasMethod("IMethodCall_GetExcelWorkBook"));
  Variant document("<ORDER/>");
  EXPECT_EQ(sample->Invoke("IMethodCall_MethodCall", document), Variant(true));

  auto late = Broken("broken_late_bound_only");
  EXPECT_FALSE(late->Implements(Interface::kMethodCall));
  EXPECT_FALSE(late->Implements(Interface::kMethodCall24));
  EXPECT_FALSE(late->HasMethod("IMethodCall_GetExcelWorkBook"));
  Variant argument("text");
  EXPECT_EQ(late->Invoke("IMethodCall_MethodCall", argument), Variant(true));
  EXPECT_EQ(argument, Variant("seen: text"));
}

TEST(PluginComponentTest, FailuresInsideCallsBecomeErrors) {
  auto late = Broken("broken_late_bound_only");
  Variant argument("x");
  const Error raised = RaisedBy([&] { late->Invoke("Raise", argument); });
  EXPECT_EQ(raised.number(), 5555);
  EXPECT_EQ(raised.description(), "bad document");
  const Error crashed = RaisedBy([&] { late->Invoke("Crash", argument); });
  EXPECT_EQ(crashed.number(), plugin::kDefaultErrorNumber);
  EXPECT_EQ(crashed.description(), "out of paper");
  const Error unknown = RaisedBy([&] { late->Invoke("Nothing", argument); });
  EXPECT_EQ(unknown.number(), kErrUnknownMethod);
  const Error interface = RaisedBy([&] { late->MethodCall(argument); });
  EXPECT_EQ(interface.number(), kErrUnknownMethod);

  auto failing = Broken("broken_failing_method_call");
  const Error failed = RaisedBy([&] { failing->MethodCall(argument); });
  EXPECT_EQ(failed.number(), 4321);
}

// ---- Values across the boundary ----

TEST(PluginValueTest, ValuesCrossBothWays) {
  auto late = Broken("broken_late_bound_only");
  const auto echo = [&](Variant value) { return late->Invoke("Answer", value); };
  EXPECT_TRUE(echo(Variant()).IsEmpty());
  EXPECT_TRUE(echo(Variant::MakeNull()).IsNull());
  EXPECT_EQ(echo(Variant(int16_t{7})), Variant(int32_t{7}));
  EXPECT_EQ(echo(Variant(2.5)), Variant(2.5));
  EXPECT_EQ(echo(Variant(int64_t{1} << 40)), Variant(static_cast<double>(int64_t{1} << 40)));
  EXPECT_EQ(echo(Variant(true)), Variant(true));
  EXPECT_EQ(echo(Variant("text")), Variant("text"));
  EXPECT_EQ(echo(Texts({"a", "b"})), Texts({"a", "b"}));
}

TEST(PluginValueTest, ArrayWrittenBackKeepsItsLowerBound) {
  VariantArray array(2, 1);
  array.At(1) = Variant("a");
  array.At(2) = Variant(int32_t{3});
  Variant original(array);
  const Variant back = FromPluginValue(ToPluginValue(original), original);
  ASSERT_TRUE(back.IsArray());
  EXPECT_EQ(back.AsArray().LBound(), 1);
  EXPECT_EQ(back, original);
}

TEST(PluginValueTest, ValuesAPluginCannotTakeAreRefused) {
  EXPECT_EQ(RaisedBy([] { ToPluginValue(Variant(Bytes{1, 2})); }).number(), kErrTypeMismatch);
  EXPECT_EQ(RaisedBy([] { ToPluginValue(Variant(VariantArray::TwoDimensional(2, 2))); }).number(),
            kErrTypeMismatch);
  plugin::WorkBook foreign;
  EXPECT_EQ(RaisedBy([&] { FromPluginValue(plugin::Value(&foreign), Variant()); }).number(),
            kErrTypeMismatch);
  EXPECT_TRUE(FromPluginValue(plugin::Value(static_cast<plugin::WorkBook*>(nullptr)), Variant())
                  .IsNothing());
}

}  // namespace
}  // namespace velmora::plugins
