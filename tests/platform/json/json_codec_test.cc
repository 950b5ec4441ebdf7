#include "platform/json/json_codec.h"

#include <gtest/gtest.h>

#include "velmora/base/dictionary.h"
#include "velmora/base/error.h"

namespace velmora::json {
namespace {

TEST(JsonCodecTest, ParsesEveryKindOfValue) {
  Variant value =
      Parse(R"({"n":null,"b":true,"i":-5,"big":5000000000,"d":1.5,"s":"é","a":[1,"x"]})");
  auto object = value.As<Dictionary>();
  ASSERT_NE(object, nullptr);
  EXPECT_TRUE(object->Item("n").IsNull());
  EXPECT_TRUE(object->Item("b").ToBool());
  EXPECT_EQ(object->Item("i").kind(), Variant::Kind::kInt32);
  EXPECT_EQ(object->Item("big").kind(), Variant::Kind::kInt64);
  EXPECT_EQ(object->Item("d").kind(), Variant::Kind::kDouble);
  EXPECT_EQ(object->Item("s").ToText(), "é");
  const Variant array = object->Item("a");
  ASSERT_TRUE(array.IsArray());
  EXPECT_EQ(array.AsArray().LBound(), 0);
  EXPECT_EQ(array.AsArray().At(1).ToText(), "x");
}

std::string Nested(int levels, const std::string& inner = "") {
  std::string text;
  for (int i = 0; i < levels; ++i) {
    text += i % 2 == 0 ? "[" : "{\"k\":";
  }
  text += inner.empty() ? "1" : inner;
  for (int i = levels - 1; i >= 0; --i) {
    text += i % 2 == 0 ? "]" : "}";
  }
  return text;
}

TEST(JsonCodecTest, NestingIsBoundedAndBracketsInStringsDoNotCount) {
  EXPECT_NO_THROW(Parse(Nested(kMaxNesting)));
  EXPECT_NO_THROW(Parse(Nested(kMaxNesting, R"("[[[{{{\"[[")")));
  for (int levels : {kMaxNesting + 1, 50000}) {
    SCOPED_TRACE(levels);
    try {
      Parse(Nested(levels));
      FAIL();
    } catch (const Error& raised) {
      EXPECT_EQ(raised.number(), kErrTypeMismatch);
      EXPECT_NE(raised.description().find("deeper than 256 levels"), std::string::npos);
    }
  }
}

TEST(JsonCodecTest, MalformedTextRaisesTypeMismatch) {
  for (const char* text : {"", "{", "[1,]", "{'a':1}", "nul"}) {
    SCOPED_TRACE(text);
    try {
      Parse(text);
      FAIL();
    } catch (const Error& raised) {
      EXPECT_EQ(raised.number(), kErrTypeMismatch);
    }
    EXPECT_FALSE(IsJson(text));
  }
}

TEST(JsonCodecTest, SerializesDatesBytesAndInvalidUtf8Safely) {
  EXPECT_EQ(Serialize(Variant(DateTime{2026, 1, 2, 3, 4, 5})), "\"2026-01-02 03:04:05\"");
  EXPECT_EQ(Serialize(Variant(Bytes{0, 1, 2, 255})), "\"AAEC/w==\"");
  EXPECT_EQ(Serialize(Variant()), "null");
  EXPECT_EQ(Serialize(Variant::MakeNull()), "null");
  EXPECT_EQ(Serialize(Variant(std::string("a\xff"))), "\"a\xef\xbf\xbd\"");
  EXPECT_EQ(Serialize(Variant(ObjectRef())), "null");
}

TEST(JsonCodecTest, Base64RoundTripsAndRefusesGarbage) {
  for (size_t size = 0; size < 7; ++size) {
    Bytes bytes;
    for (size_t i = 0; i < size; ++i) {
      bytes.push_back(static_cast<uint8_t>(250 + i));
    }
    EXPECT_EQ(DecodeBase64(EncodeBase64(bytes)), bytes) << size;
  }
  EXPECT_THROW(DecodeBase64("ab$d"), Error);
  EXPECT_THROW(DecodeBase64("a=bc"), Error);
}

}  // namespace
}  // namespace velmora::json
