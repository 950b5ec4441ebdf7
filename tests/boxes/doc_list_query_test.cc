#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <vector>

#include "automation/class_registry.h"
#include "automation/registration.h"
#include "boxes/doc_list_query_fixture.h"
#include "core/db_utils.h"
#include "support/expectations.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/boxes/sql_queries.h"

namespace velmora {
namespace {

using boxes::Built;
using boxes::Row;
using boxes::Rows;
using testing::Contains;
using testing::RaisedBy;

// The texts the pages receive, piece by piece as the list contract fixes them.
constexpr const char* kInboxTop =
    "SELECT DISTINCT DOCUMENT.STATUS AS DSTATUS, DOCUMENT.CREATIONDATE, DOCUMENT.SENDER, "
    "DOCUMENT.DOCUMENTID, DOCUMENT.DOCUMENTTYPEID, CHILDS.DOC_DOCUMENTID AS CHILDID, NR, "
    "PUBLICATION.DOCUMENTID, PUBLICATION.USERID, PUBLICATION.STATUS, PUBLICATION.FORWARD, "
    "T1.TAGVALUE AS T1, T2.TAGVALUE AS T2, T3.TAGVALUE AS T3 FROM DOCUMENT INNER JOIN PUBLICATION "
    "ON PUBLICATION.DOCUMENTID = DOCUMENT.DOCUMENTID LEFT OUTER JOIN DOCUMENT AS CHILDS  ON "
    "DOCUMENT.DOCUMENTID = CHILDS.DOC_DOCUMENTID LEFT OUTER JOIN ( SELECT  COUNT(ATTACHMENTID) AS "
    "NR, DOCUMENTID  FROM    ATTACHMENT GROUP BY DOCUMENTID) AS A ON DOCUMENT.DOCUMENTID = "
    "A.DOCUMENTID  LEFT OUTER JOIN ( SELECT TAGVALUE, DOCUMENTID FROM   TAGSVALUE WHERE  TAGID = "
    "11) AS T1 ON DOCUMENT.DOCUMENTID = T1.DOCUMENTID  LEFT OUTER JOIN ( SELECT TAGVALUE, "
    "DOCUMENTID FROM   TAGSVALUE WHERE  TAGID = 12) AS T2 ON DOCUMENT.DOCUMENTID = T2.DOCUMENTID  "
    "LEFT OUTER JOIN ( SELECT TAGVALUE, DOCUMENTID FROM   TAGSVALUE WHERE  TAGID = 13) AS T3 ON "
    "DOCUMENT.DOCUMENTID = T3.DOCUMENTID  WHERE PUBLICATION.USERID = 'o''neil' AND   "
    "DOCUMENT.DOCUMENTTYPEID= 'ORD''ER' AND   PUBLICATION.STATUS NOT IN (2,3,7,8,9) AND   "
    "DOCUMENT.STATUS <> 0 AND (NOT DOCUMENT.DOCUMENTTYPEID = '') AND (NOT DOCUMENT.DOCUMENTTYPEID "
    "IS NULL) AND (DOCUMENT.SHOW = 1)  AND ( PUBLICATION.STATUS =1 ) ";
constexpr const char* kInboxChildren =
    "SELECT DISTINCT DOCUMENT.STATUS AS DSTATUS, DOCUMENT.CREATIONDATE, DOCUMENT.SENDER, "
    "DOCUMENT.DOCUMENTID, DOCUMENT.DOCUMENTTYPEID, CHILDS.DOC_DOCUMENTID AS CHILDID, NR, "
    "PUBLICATION.DOCUMENTID FROM DOCUMENT LEFT OUTER JOIN PUBLICATION ON PUBLICATION.DOCUMENTID = "
    "DOCUMENT.DOCUMENTID LEFT OUTER JOIN DOCUMENT AS CHILDS  ON DOCUMENT.DOCUMENTID = "
    "CHILDS.DOC_DOCUMENTID LEFT OUTER JOIN ( SELECT  COUNT(ATTACHMENTID) AS NR, DOCUMENTID  FROM  "
    "  ATTACHMENT GROUP BY DOCUMENTID) AS A ON DOCUMENT.DOCUMENTID = A.DOCUMENTID  WHERE "
    "(PUBLICATION.USERID = 'o''neil' OR     PUBLICATION.USERID IS NULL OR     DOCUMENT.SENDER = "
    "'o''neil') AND   (DOCUMENT.DOC_DOCUMENTID = 42) AND (NOT DOCUMENT.DOCUMENTTYPEID = '') AND "
    "(NOT DOCUMENT.DOCUMENTTYPEID IS NULL) AND (DOCUMENT.SHOW = 1)  ";
constexpr const char* kOutboxTop =
    "SELECT DISTINCT DOCUMENT.STATUS AS DSTATUS, DOCUMENT.CREATIONDATE, DOCUMENT.SENDER, "
    "DOCUMENT.DOCUMENTID,  DOCUMENT.DOCUMENTTYPEID, CHILDS.DOC_DOCUMENTID AS CHILDID, NR, "
    "PUBLICATION.DOCUMENTID, T1.TAGVALUE AS T1 FROM DOCUMENT LEFT OUTER JOIN PUBLICATION ON "
    "PUBLICATION.DOCUMENTID = DOCUMENT.DOCUMENTID LEFT OUTER JOIN DOCUMENT AS CHILDS  ON "
    "DOCUMENT.DOCUMENTID = CHILDS.DOC_DOCUMENTID LEFT OUTER JOIN ( SELECT COUNT(ATTACHMENTID) AS "
    "NR,  DOCUMENTID  FROM   ATTACHMENT GROUP BY DOCUMENTID) AS A ON DOCUMENT.DOCUMENTID = "
    "A.DOCUMENTID  LEFT OUTER JOIN ( SELECT TAGVALUE, DOCUMENTID FROM   TAGSVALUE WHERE  TAGID = "
    "7) AS T1 ON DOCUMENT.DOCUMENTID = T1.DOCUMENTID  WHERE DOCUMENT.SENDER = 'o''neil' AND   "
    "DOCUMENT.STATUS <> 4  AND   DOCUMENT.DOCUMENTTYPEID = 'ORD''ER' AND (NOT "
    "DOCUMENT.DOCUMENTTYPEID = '') AND (NOT DOCUMENT.DOCUMENTTYPEID IS NULL)  ";
constexpr const char* kOutboxChildren =
    "SELECT DISTINCT DOCUMENT.STATUS AS DSTATUS, DOCUMENT.CREATIONDATE, DOCUMENT.SENDER, "
    "DOCUMENT.DOCUMENTID,  DOCUMENT.DOCUMENTTYPEID, CHILDS.DOC_DOCUMENTID AS CHILDID, NR, "
    "PUBLICATION.DOCUMENTID FROM DOCUMENT LEFT OUTER JOIN PUBLICATION ON PUBLICATION.DOCUMENTID = "
    "DOCUMENT.DOCUMENTID LEFT OUTER JOIN DOCUMENT AS CHILDS  ON DOCUMENT.DOCUMENTID = "
    "CHILDS.DOC_DOCUMENTID LEFT OUTER JOIN ( SELECT COUNT(ATTACHMENTID) AS NR,  DOCUMENTID  FROM   "
    "ATTACHMENT GROUP BY DOCUMENTID) AS A ON DOCUMENT.DOCUMENTID = A.DOCUMENTID  WHERE "
    "(PUBLICATION.USERID = 'o''neil' OR     PUBLICATION.USERID IS NULL OR     DOCUMENT.SENDER = "
    "'o''neil') AND   DOCUMENT.DOC_DOCUMENTID = 42 AND (NOT DOCUMENT.DOCUMENTTYPEID = '') AND (NOT "
    "DOCUMENT.DOCUMENTTYPEID IS NULL)  ";
constexpr const char* kErrorBoxTop =
    " SELECT DISTINCT  DOCUMENT.DOCUMENTID, DOCUMENT.CREATIONDATE, DOCUMENT.SENDER, "
    "DOCUMENT.DOCUMENTTYPEID, T1.TAGVALUE AS T1, T2.TAGVALUE AS T2 FROM    PUBLICATIONERRORS PE "
    "LEFT OUTER JOIN SENDMETHODHISTORY SMH ON SMH.PUBLICATIONERRORID = PE.PUBLICATIONERRORID,      "
    "    DOCUMENT             LEFT OUTER JOIN PUBLICATION P         ON P.DOCUMENTID = "
    "DOCUMENT.DOCUMENTID  LEFT OUTER JOIN ( SELECT TAGVALUE, DOCUMENTID FROM   TAGSVALUE WHERE  "
    "TAGID = 5) AS T1 ON DOCUMENT.DOCUMENTID = T1.DOCUMENTID  LEFT OUTER JOIN ( SELECT TAGVALUE, "
    "DOCUMENTID FROM   TAGSVALUE WHERE  TAGID = 6) AS T2 ON DOCUMENT.DOCUMENTID = T2.DOCUMENTID  "
    "WHERE      ( (DOCUMENT.SENDER = 'o''neil' AND PE.CLOSED IN (0,1,4,5) )  OR (DOCUMENT.SHOW = "
    "1 AND P.USERID = 'o''neil' AND SMH.BUSINESSPARTNERID = 10 AND P.STATUS NOT IN (2,3,7,8,9) "
    "AND PE.CLOSED IN (0,1,2,3) )       )  AND PE.DOCUMENTID = DOCUMENT.DOCUMENTID  AND   "
    "DOCUMENT.DOCUMENTTYPEID = 'ORD''ER' AND (NOT DOCUMENT.DOCUMENTTYPEID = '') AND (NOT "
    "DOCUMENT.DOCUMENTTYPEID IS NULL)";
constexpr const char* kErrorBoxChildren =
    " SELECT DISTINCT  DOCUMENT.DOCUMENTID, DOCUMENT.CREATIONDATE, DOCUMENT.SENDER, "
    "DOCUMENT.DOCUMENTTYPEID FROM    PUBLICATIONERRORS PE LEFT OUTER JOIN SENDMETHODHISTORY SMH ON "
    "SMH.PUBLICATIONERRORID = PE.PUBLICATIONERRORID,          DOCUMENT             LEFT OUTER JOIN "
    "PUBLICATION P         ON P.DOCUMENTID = DOCUMENT.DOCUMENTID  WHERE      ( (DOCUMENT.SENDER = "
    "'o''neil' AND PE.CLOSED IN (0,1,4,5) )  OR (DOCUMENT.SHOW = 1 AND P.USERID = 'o''neil' AND "
    "SMH.BUSINESSPARTNERID = 10 AND P.STATUS NOT IN (2,3,7,8,9) AND PE.CLOSED IN (0,1,2,3) )      "
    " )  AND PE.DOCUMENTID = DOCUMENT.DOCUMENTID  AND DOCUMENT.DOC_DOCUMENTID = 42 AND (NOT "
    "DOCUMENT.DOCUMENTTYPEID = '') AND (NOT DOCUMENT.DOCUMENTTYPEID IS NULL)";

constexpr const char* kDocumentIdMessage =
    "The filter value entered for 'Document ID' is not valid.|Enter a whole number from 1 to "
    "999999999.|";

class DocListQueryTest : public boxes::DocListQueryFixture {};

TEST_P(DocListQueryTest, BuildsEachListTextPieceByPiece) {
  EXPECT_EQ(Build(1, {11, 12, 13}, {{"PUBLICATION.STATUS =", "Accepted"}}).query, kInboxTop);
  EXPECT_EQ(Build(1, {11}, {}, 42).query, kInboxChildren);
  EXPECT_EQ(Build(0, {7}, {}).query, kOutboxTop);
  EXPECT_EQ(Build(0, {7}, {}, 42).query, kOutboxChildren);
  EXPECT_EQ(Build(2, {5, 6}, {}).query, kErrorBoxTop);
  EXPECT_EQ(Build(2, {5}, {}, 42).query, kErrorBoxChildren);
}

TEST_P(DocListQueryTest, AnyOtherSenderModeBuildsTheOutBox) {
  for (int32_t mode : {3, 4, -1, 99}) {
    SCOPED_TRACE(mode);
    EXPECT_EQ(Build(mode, {7}, {}).query, kOutboxTop);
  }
  EXPECT_EQ(Ids(Build(3, {}, {}).query), (std::vector<int32_t>{6, 7}));
}

TEST_P(DocListQueryTest, NoListIsOrdered) {
  for (int32_t mode : {0, 1, 2}) {
    for (int32_t parent : {0, 1}) {
      SCOPED_TRACE(std::to_string(mode) + "/" + std::to_string(parent));
      const std::string query =
          Build(mode, {11, 12, 13}, {{"DOCUMENT.DOCUMENTID >", "0"}}, parent).query;
      EXPECT_FALSE(Contains(query, "ORDER BY")) << query;
      Ids(query);
    }
  }
}

TEST_P(DocListQueryTest, InboxShowsCurrentPublicationsOfVisibleDocumentsWithThreeTagColumns) {
  const std::string query = Build(1, {11, 12, 13}, {}).query;
  EXPECT_EQ(Ids(query), (std::vector<int32_t>{1, 9}));
  const Rows rows = Run(query);
  const Row& first = rows.at(1);
  EXPECT_EQ(first.Text("DSTATUS"), "1");
  EXPECT_EQ(first.Text("SENDER"), "sam");
  EXPECT_EQ(first.Text("CHILDID"), "1");
  EXPECT_EQ(first.Text("NR"), "2");
  EXPECT_EQ(first.Text("USERID"), "o'neil");
  EXPECT_EQ(first.Text("T1"), "alpha");
  EXPECT_EQ(first.Text("T2"), "beta's");
  EXPECT_EQ(first.Text("T3"), "<null>");
  const Row& child = rows.at(9);
  EXPECT_EQ(child.Text("CHILDID"), "<null>");
  EXPECT_EQ(child.Text("NR"), "<null>");
  EXPECT_EQ(child.Text("STATUS"), "5");
}

TEST_P(DocListQueryTest, ChildListsShowTheChildrenOfOneDocument) {
  EXPECT_EQ(Ids(Build(1, {11}, {}, 1).query), (std::vector<int32_t>{9}));
  EXPECT_EQ(Ids(Build(0, {11}, {}, 6).query), (std::vector<int32_t>{7}));
  EXPECT_EQ(Ids(Build(2, {11}, {}, 6).query), (std::vector<int32_t>{7}));
  const std::string inbox_children = Build(1, {11}, {}, 1).query;
  EXPECT_FALSE(Contains(inbox_children, "TAGSVALUE"));
  EXPECT_FALSE(Contains(inbox_children, "PUBLICATION.USERID,"));
}

TEST_P(DocListQueryTest, OutBoxShowsTheSendersDocumentsThatAreNotDeleted) {
  const std::string query = Build(0, {11, 12, 13}, {}).query;
  EXPECT_EQ(Ids(query), (std::vector<int32_t>{6, 7}));
  const Rows rows = Run(query);
  EXPECT_EQ(rows.at(6).Text("CHILDID"), "6");
  EXPECT_EQ(rows.at(6).Text("T1"), "six");
  EXPECT_EQ(Ids(Build(0, {}, {}, 0, "sam").query), (std::vector<int32_t>{1, 2, 3, 4, 9}));
}

TEST_P(DocListQueryTest, ErrorBoxShowsOpenErrorsOfTheSenderAndOfTheRecipientsPartner) {
  const std::string query = Build(2, {11, 12, 13}, {}).query;
  EXPECT_EQ(Ids(query), (std::vector<int32_t>{1, 6, 7}));
  EXPECT_EQ(Run(query).at(1).Text("T2"), "beta's");
  // No delivery by bob's partner failed. As sender, sam sees the open errors of 2 and of the
  // hidden 4, not the one of 1 that he removed from his box.
  EXPECT_EQ(Ids(Build(2, {}, {}, 0, "bob").query), (std::vector<int32_t>{}));
  EXPECT_EQ(Ids(Build(2, {}, {}, 0, "sam").query), (std::vector<int32_t>{2, 4}));
}

TEST_P(DocListQueryTest, QuotesInUserIdsAndTypesStayInsideTheirLiterals) {
  EXPECT_EQ(Ids(Build(1, {}, {}, 0, "x' OR '1'='1").query), (std::vector<int32_t>{}));
  EXPECT_EQ(Ids(Build(0, {}, {}, 0, "o'neil", "' OR ''='").query), (std::vector<int32_t>{}));
  EXPECT_EQ(Ids(Build(2, {}, {}, 0, "o'neil", "x'; DROP TABLE DOCUMENT; --").query),
            (std::vector<int32_t>{}));
  EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DOCUMENT").ToInt32(), 10);
}

TEST_P(DocListQueryTest, DocumentIdFilterAcceptsZeroToNineHundredNinetyNineMillion) {
  EXPECT_EQ(Ids(Build(1, {}, {{"DOCUMENT.DOCUMENTID =", "1"}}).query), (std::vector<int32_t>{1}));
  const Built top = Build(1, {}, {{"DOCUMENT.DOCUMENTID =", "999999999"}});
  EXPECT_TRUE(Contains(top.query, " AND ( DOCUMENT.DOCUMENTID =999999999 ) ")) << top.query;
  EXPECT_EQ(top.errors, "");
  const Built zero = Build(0, {}, {{"DOCUMENT.DOCUMENTID =", "0"}});
  EXPECT_TRUE(Contains(zero.query, "DOCUMENT.DOCUMENTID =0 )")) << zero.query;
  EXPECT_EQ(Ids(zero.query), (std::vector<int32_t>{}));
  EXPECT_EQ(Ids(Build(2, {}, {{"DOCUMENT.DOCUMENTID >", "5"}}).query),
            (std::vector<int32_t>{6, 7}));
}

TEST_P(DocListQueryTest, DocumentIdFilterRefusesValuesOutOfRangeOrNotNumbers) {
  for (const char* value : {"1000000000", "-1", "abc", "1 OR 1=1"}) {
    SCOPED_TRACE(value);
    const Built built = Build(1, {}, {{"DOCUMENT.DOCUMENTID =", value}});
    EXPECT_EQ(built.error.number(), ErrNumber(EnumerationErrors::InvalidParamValue));
    EXPECT_TRUE(Contains(built.error.description(),
                         "The filter value entered for 'Document ID' is not valid."));
    EXPECT_TRUE(Contains(built.error.description(), "Velmora.SQLQueries.GetDocListQuery"));
    EXPECT_EQ(built.errors, kDocumentIdMessage);
    EXPECT_EQ(built.query, "");
  }
}

TEST_P(DocListQueryTest, StatusFiltersConvertTheirTextsPerList) {
  EXPECT_EQ(Ids(Build(1, {}, {{"PUBLICATION.STATUS =", " New "}}).query),
            (std::vector<int32_t>{1}));
  EXPECT_EQ(Ids(Build(1, {}, {{"PUBLICATION.STATUS =", "View"}}).query), (std::vector<int32_t>{9}));
  EXPECT_EQ(Ids(Build(0, {}, {{"DOCUMENT.STATUS =", "Published"}}).query),
            (std::vector<int32_t>{6}));
  EXPECT_EQ(Ids(Build(0, {}, {{"DOCUMENT.STATUS <>", "Sent"}}).query), (std::vector<int32_t>{6}));
  const std::string ignored = Build(2, {}, {{"DOCUMENT.STATUS =", "nonsense*"}}).query;
  EXPECT_FALSE(Contains(ignored, "STATUS =")) << ignored;
  EXPECT_EQ(Ids(ignored), (std::vector<int32_t>{1, 6, 7}));
}

TEST_P(DocListQueryTest, StatusFilterWithAWildcardIsRefusedWithTheWildcardNote) {
  const Built inbox = Build(1, {}, {{"PUBLICATION.STATUS =", "New*"}});
  EXPECT_EQ(inbox.error.number(), ErrNumber(EnumerationErrors::InvalidParamValue));
  EXPECT_EQ(inbox.errors,
            "The filter value entered for 'Status' is not valid.|Valid statuses are: New, "
            "Accepted, Rejected, Viewed and Downloaded.|Wildcards (*) cannot be used in a status "
            "filter.");
  const Built outbox = Build(0, {}, {{"DOCUMENT.STATUS =", "*"}});
  EXPECT_EQ(outbox.errors,
            "The filter value entered for 'Status' is not valid.|Valid document statuses are: New, "
            "Published, Accepted, Partially Accepted, Deleted and Sent.|Wildcards (*) cannot be "
            "used in a status filter.");
  const Built unknown = Build(1, {}, {{"PUBLICATION.STATUS =", "Removed"}});
  EXPECT_EQ(unknown.errors,
            "The filter value entered for 'Status' is not valid.|Valid statuses are: New, "
            "Accepted, Rejected, Viewed and Downloaded.|");
}

TEST_P(DocListQueryTest, LikeFilterTakesTheUsersWildcardsOnly) {
  EXPECT_EQ(Ids(Build(1, {}, {{"DOCUMENT.SENDER LIKE", "s*"}}).query),
            (std::vector<int32_t>{1, 9}));
  EXPECT_EQ(Ids(Build(1, {}, {{"DOCUMENT.SENDER like", "s?m"}}).query),
            (std::vector<int32_t>{1, 9}));
  EXPECT_EQ(Ids(Build(1, {}, {{"DOCUMENT.SENDER LIKE", "s%"}}).query), (std::vector<int32_t>{}));
  EXPECT_EQ(Ids(Build(0, {}, {{"DOCUMENT.SENDER LIKE", "o'n*"}}).query),
            (std::vector<int32_t>{6, 7}));
  EXPECT_EQ(Ids(Build(1, {}, {{"DOCUMENT.SENDER LIKE", "x' OR 'a' LIKE 'a"}}).query),
            (std::vector<int32_t>{}));
}

TEST_P(DocListQueryTest, FilterNamesThatAreNotAColumnAndAnOperatorAreRefused) {
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"DOCUMENT.DOCUMENTID = 1 OR 1 =", "1"},
      {"DOCUMENTID =", "1"},
      {"DOCUMENT.DOCUMENTID", "1"},
      {"DOCUMENT.SENDER = 'x' OR DOCUMENT.SENDER LIKE", "a"},
      {"(SELECT SENDER FROM DOCUMENT) LIKE", "a"},
      {"DOCUMENT.LIKELIHOOD =", "a"},
      {"DOCUMENT.SENDER NOT LIKE", "a"},
      {"PUBLICATION.STATUS = 1; --", "New"},
      {"DOCUMENT.DOCUMENTID LIKE =", "1"},
  };
  for (const auto& [name, value] : refused) {
    SCOPED_TRACE(name);
    const Built built = Build(1, {}, {{name, value}});
    EXPECT_EQ(built.error.number(), ErrNumber(EnumerationErrors::InvalidParamValue));
    EXPECT_EQ(built.query, "");
    EXPECT_TRUE(Contains(built.errors, "The filter name '" + name + "' is not allowed.|"))
        << built.errors;
  }
  const Built error_box = Build(2, {}, {{"DOCUMENT.DOCUMENTID=1 OR 1=", "1"}});
  EXPECT_EQ(error_box.error.number(), ErrNumber(EnumerationErrors::InvalidParamValue));
  for (const char* name : {"DOCUMENT.DOCUMENTID=", " P.STATUS <= ", "T1.TAGVALUE LIKE"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Build(2, {}, {{name, "1"}}).error.number(), 0);
  }
}

TEST_P(DocListQueryTest, TagIdsMustBeWholeNumbers) {
  for (const Variant& id : {Variant("12 OR 1=1"), Variant(1.5), Variant(""), Variant::MakeNull()}) {
    SCOPED_TRACE(id.TypeName());
    const Built built = Build(1, {id}, {});
    EXPECT_EQ(built.error.number(), ErrNumber(EnumerationErrors::InvalidParamValue));
    EXPECT_TRUE(Contains(built.errors, "is not a whole number.|")) << built.errors;
  }
  const Built text_id = Build(1, {Variant("12"), Variant(13.0), Variant(int16_t{11})}, {});
  EXPECT_EQ(text_id.error.number(), 0);
  EXPECT_TRUE(Contains(text_id.query, "TAGID = 12) AS T1")) << text_id.query;
  EXPECT_TRUE(Contains(text_id.query, "TAGID = 13) AS T2")) << text_id.query;
}

TEST_P(DocListQueryTest, ErrorBoxForAnUnknownUserRaisesAndFillsTheErrorList) {
  const Built built = Build(2, {}, {}, 0, "nobody");
  EXPECT_EQ(built.error.number(), ErrNumber(EnumerationErrors::NotPresent));
  EXPECT_TRUE(Contains(built.errors, "Velmora.SQLQueries.GetDocListQueryForErrorBox"))
      << built.errors;
  EXPECT_TRUE(Contains(built.errors, "||")) << built.errors;
}

TEST_P(DocListQueryTest, AutomationCallsUseElementsFromOneAndWriteTheOutputsBack) {
  automation::RegisterAllClasses();
  const auto array = [](std::initializer_list<Variant> items) {
    VariantArray values(items.size());
    int32_t i = 0;
    for (const Variant& item : items) {
      values.At(i++) = item;
    }
    return Variant(values);
  };
  std::vector<Variant> args = {Variant(1),
                               Variant("ORD'ER"),
                               array({Variant(), Variant(11), Variant(12), Variant(13)}),
                               Variant(),
                               Variant(3),
                               array({Variant(), Variant("DOCUMENT.SENDER LIKE")}),
                               array({Variant(), Variant("s*")}),
                               Variant(1),
                               Variant(0),
                               Variant("o'neil"),
                               Variant(),
                               Variant()};
  automation::ClassRegistry::Global().Call("Velmora.SQLQueries", "GetDocListQuery", args);
  EXPECT_EQ(Ids(args[10].ToText()), (std::vector<int32_t>{1, 9}));
  EXPECT_EQ(args[11].ToText(), "");

  args[5] = array({Variant(), Variant("DOCUMENT.DOCUMENTID =")});
  args[6] = array({Variant(), Variant("-5")});
  const Error error = RaisedBy([&] {
    automation::ClassRegistry::Global().Call("Velmora.SQLQueries", "getdoclistquery", args);
  });
  EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::InvalidParamValue));
  EXPECT_EQ(args[11].ToText(), kDocumentIdMessage);
}

TEST_P(DocListQueryTest, CountsBeyondTheirArraysAreRefusedBeforeAnythingIsBuilt) {
  VariantArray one(2);
  one.At(1) = Variant("DOCUMENT.SENDER LIKE");
  struct Case {
    VariantArray tags;
    int32_t tag_count;
    VariantArray names;
    VariantArray values;
    int32_t filter_count;
  };
  for (const Case& c : {Case{VariantArray(0), INT32_MAX, VariantArray(), VariantArray(), 0},
                        Case{VariantArray(3), 3, VariantArray(), VariantArray(), 0},
                        Case{VariantArray(), 0, one, VariantArray(1), 1},
                        Case{VariantArray(), 0, one, one, INT32_MAX}}) {
    SCOPED_TRACE(std::to_string(c.tag_count) + " " + std::to_string(c.filter_count));
    Variant query;
    Variant errors;
    int32_t parent = 0;
    const Error error = RaisedBy([&] {
      SQLQueries().GetDocListQuery(1, "ORDER", c.tags, VariantArray(), c.tag_count, c.names,
                                   c.values, c.filter_count, parent, "o'neil", query, errors);
    });
    EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::InvalidParamValue));
    EXPECT_EQ(query.ToText(), "");
    EXPECT_NE(errors.ToText().find("is more than the array holds"), std::string::npos);
  }
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(DocListQueryTest);

}  // namespace
}  // namespace velmora
