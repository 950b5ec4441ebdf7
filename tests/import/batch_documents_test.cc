// Splitting a batch of concatenated documents, and the check that comes before it.
#include "import/batch_documents.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/xml/content_check.h"

namespace velmora::import {
namespace {

TEST(BatchDocumentsTest, SplitsAtTopLevelElementsOnly) {
  struct Case {
    std::string content;
    std::vector<std::string> documents;
  };
  for (const Case& c :
       std::vector<Case>{{"<a>1</a>\r\n<b x='>'/>", {"<a>1</a>", "<b x='>'/>"}},
                         {"<!-- <c> --><a><![CDATA[</a><b>]]><?p </a>?></a>",
                          {"<a><![CDATA[</a><b>]]><?p </a>?></a>"}},
                         {"<a><a/><a>x</a></a><b/>", {"<a><a/><a>x</a></a>", "<b/>"}},
                         {" stray &amp; <a/>\n", {" stray &amp; ", "<a/>"}},
                         {"\r\n\t ", {}}}) {
    SCOPED_TRACE(c.content);
    xml::ParseError error;
    ASSERT_TRUE(xml::IsWellFormedContent(c.content, error)) << error.reason;
    const std::vector<std::string_view> found = BatchDocuments(c.content);
    EXPECT_EQ(std::vector<std::string>(found.begin(), found.end()), c.documents);
  }
}

TEST(BatchDocumentsTest, RefusesContentThatIsNotWellFormedAnywhere) {
  for (const std::string content :
       {"<a/><b>", "<a/></b>", "<?xml version='1.0'?><a/>", "<a/><b x='1' x='2'/>", "<p:a/>"}) {
    SCOPED_TRACE(content);
    xml::ParseError error;
    EXPECT_FALSE(xml::IsWellFormedContent(content, error));
    EXPECT_FALSE(error.reason.empty());
  }
}

}  // namespace
}  // namespace velmora::import
