// Velmora.BoxList against the list texts of SQLQueries.GetDocListQuery on random installations:
// every page read in turn gives the text's rows, newest first; bad arguments are refused.
#include "velmora/boxes/box_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "automation/call_service.h"
#include "core/db_utils.h"
#include "platform/json/json_codec.h"
#include "support/expectations.h"
#include "support/library_db_test.h"
#include "support/temp_folder.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"
#include "velmora/boxes/sql_queries.h"

namespace velmora {
namespace {

using testing::Contains;
using Cells = std::vector<std::pair<std::string, std::string>>;

const std::vector<std::string> kUsers = {"ann", "o'neil", "bob", "cy"};
const std::vector<std::string> kTypes = {"ORD'ER", "INV", ""};

struct Request {
  int32_t mode = 1;
  std::string type;
  std::string user;
  std::vector<Variant> tags;
  std::vector<std::pair<std::string, std::string>> filters;
};

VariantArray FromOne(const std::vector<Variant>& values) {
  VariantArray array(values.size() + 1);
  for (size_t i = 0; i < values.size(); ++i) {
    array.At(static_cast<int32_t>(i + 1)) = values[i];
  }
  return array;
}

VariantArray Names(const Request& r) {
  std::vector<Variant> names;
  for (const auto& filter : r.filters) {
    names.emplace_back(filter.first);
  }
  return FromOne(names);
}

VariantArray Values(const Request& r) {
  std::vector<Variant> values;
  for (const auto& filter : r.filters) {
    values.emplace_back(filter.second);
  }
  return FromOne(values);
}

std::vector<Cells> ReadRows(db::Recordset& rows) {
  std::vector<Cells> read;
  for (; !rows.IsEOF(); rows.MoveNext()) {
    Cells cells;
    for (int32_t i = 0; i < rows.FieldCount(); ++i) {
      const Variant value = rows.Field(i);
      cells.emplace_back(rows.FieldName(i), value.IsNull() ? "<null>" : value.ToText());
    }
    read.push_back(std::move(cells));
  }
  return read;
}

class BoxListTest : public testing::LibraryDbTest {
 protected:
  void SetUpDatabase() override {
    LibraryDbTest::SetUpDatabase();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    testing::WriteFile(Home() + "/config/SiteConfiguration.xml",
                       "<configuration><section name=\"MEMBERSHIP\"><key name=\"MemScriptUser\">"
                       "velmora-service</key><key name=\"MemScriptCode\">c0de</key></section>"
                       "</configuration>");
  }

  static std::string Quoted(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
      q += c == '\'' ? std::string("''") : std::string(1, c);
    }
    return q + "'";
  }

  // Documents of several types and senders, every document and publication status, children,
  // tag values present and missing, attachments, and publication errors in every CLOSED state
  // with history rows of one or two partners.
  void SeedRandomInstallation(std::mt19937& random) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    Exec("INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME) VALUES (1, 'One')");
    Exec("INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME) VALUES (2, 'Two')");
    for (size_t u = 0; u < kUsers.size(); ++u) {
      Exec("INSERT INTO MEMBERUSER (USERID, BUSINESSPARTNERID) VALUES (" + Quoted(kUsers[u]) +
           ", " + std::to_string(u % 2 + 1) + ")");
    }
    // Rows of documents that do not exist, so that "ann" and partner 1 have more rows of their
    // own than BoxList reads first, and their lists walk the type's documents instead.
    const std::string filler =
        "WITH RECURSIVE C(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM C WHERE I < 5000) ";
    Exec(filler +
         "INSERT INTO PUBLICATION (DOCUMENTID, USERID, STATUS, FORWARD) SELECT 1000 + I, 'ann', 0, "
         "0 FROM C");
    Exec(filler +
         "INSERT INTO SENDMETHODHISTORY (SENDMETHODID, BUSINESSPARTNERID, RULEID, DOCUMENTID, "
         "PUBLICATIONERRORID) SELECT 1, 1, -1, 1000 + I, 0 FROM C");
    int error_id = 0;
    for (int doc = 1; doc <= 90; ++doc) {
      const std::string date = pick(12) == 0 ? "NULL"
                                             : "'2026-03-0" + std::to_string(1 + pick(3)) + " 1" +
                                                   std::to_string(pick(2)) + ":00:00'";
      const std::string parent =
          doc > 1 && pick(5) == 0 ? std::to_string(1 + pick(doc - 1)) : std::string("NULL");
      Exec(
          "INSERT INTO DOCUMENT (DOCUMENTID, DOCUMENTTYPEID, STATUS, SENDER, SHOW, "
          "DOC_DOCUMENTID, CREATIONDATE) VALUES (" +
          std::to_string(doc) + ", " + Quoted(kTypes[pick(3) == 0 ? 2 - pick(2) : 0]) + ", " +
          std::to_string(pick(7) - 1) + ", " + Quoted(kUsers[pick(4)]) + ", " +
          std::to_string(pick(6) == 0 ? 0 : 1) + ", " + parent + ", " + date + ")");
      for (const std::string& user : kUsers) {
        if (pick(2) == 0) {
          Exec("INSERT INTO PUBLICATION (DOCUMENTID, USERID, STATUS, FORWARD) VALUES (" +
               std::to_string(doc) + ", " + Quoted(user) + ", " + std::to_string(pick(10)) + ", " +
               std::to_string(pick(2)) + ")");
        }
      }
      for (int tag = 1; tag <= 3; ++tag) {
        if (pick(3) != 0) {
          Exec("INSERT INTO TAGSVALUE (DOCUMENTID, TAGID, TAGVALUE) VALUES (" +
               std::to_string(doc) + ", " + std::to_string(tag) + ", " +
               Quoted("v" + std::to_string(pick(4)) + (pick(4) == 0 ? "'s" : "")) + ")");
        }
      }
      for (int n = pick(3); n > 0; --n) {
        Exec("INSERT INTO ATTACHMENT (DOCUMENTID, ATTACHMENTFILENAME) VALUES (" +
             std::to_string(doc) + ", 'a.pdf')");
      }
      for (int n = pick(3) == 0 ? 1 + pick(2) : 0; n > 0; --n) {
        ++error_id;
        Exec("INSERT INTO PUBLICATIONERRORS (PUBLICATIONERRORID, DOCUMENTID, CLOSED) VALUES (" +
             std::to_string(error_id) + ", " + std::to_string(doc) + ", " +
             std::to_string(pick(8)) + ")");
        for (int partner = 1; partner <= 2; ++partner) {
          if (pick(2) == 0) {
            Exec(
                "INSERT INTO SENDMETHODHISTORY (SENDMETHODID, BUSINESSPARTNERID, RULEID, "
                "DOCUMENTID, PUBLICATIONERRORID) VALUES (1, " +
                std::to_string(partner) + ", -1, " + std::to_string(doc) + ", " +
                std::to_string(error_id) + ")");
          }
        }
      }
    }
  }

  static Request RandomRequest(std::mt19937& random) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    Request r;
    r.mode = pick(4);
    r.type = kTypes[pick(2)];
    r.user = kUsers[pick(4)];
    for (int n = pick(4); n > 0; --n) {
      r.tags.emplace_back(pick(5) == 0 ? Variant(std::string("2")) : Variant(1 + pick(4)));
    }
    const bool error_box = r.mode == 2;
    for (int n = pick(3); n > 0; --n) {
      switch (pick(5)) {
        case 0:
          r.filters.push_back({"DOCUMENT.SENDER LIKE", pick(2) == 0 ? "*'*" : "?n*"});
          break;
        case 1:
          r.filters.push_back({"DOCUMENT.DOCUMENTID >=", std::to_string(pick(90))});
          break;
        case 2:
          if (!r.tags.empty()) {
            r.filters.push_back({"T1.TAGVALUE LIKE", "v" + std::to_string(pick(4)) + "*"});
          }
          break;
        case 3:
          if (!error_box) {
            r.filters.push_back({"PUBLICATION.USERID LIKE", pick(2) == 0 ? "b*" : "*n*"});
          }
          break;
        default:
          if (r.mode == 1) {
            r.filters.push_back({"PUBLICATION.STATUS =", pick(2) == 0 ? "New" : "Viewed"});
          } else if (!error_box) {
            r.filters.push_back({"DOCUMENT.STATUS <>", pick(2) == 0 ? "Sent" : "Published"});
          }
          break;
      }
    }
    return r;
  }

  // The rows of the list text, newest first (documents without a date last).
  std::vector<Cells> TextRows(const Request& r) {
    int32_t parent = 0;
    Variant query;
    Variant errors;
    SQLQueries().GetDocListQuery(
        r.mode, r.type, FromOne(r.tags), VariantArray(), static_cast<int32_t>(r.tags.size()),
        Names(r), Values(r), static_cast<int32_t>(r.filters.size()), parent, r.user, query, errors);
    auto connection = core::GetConnection();
    auto rs = connection->Query(query.ToText());
    std::vector<Cells> rows = ReadRows(*rs);
    auto cell = [](const Cells& row, const std::string& name) {
      for (const auto& [field, value] : row) {
        if (text::IEquals(field, name)) {
          return value;
        }
      }
      return std::string();
    };
    std::sort(rows.begin(), rows.end(), [&](const Cells& a, const Cells& b) {
      const std::string da = cell(a, "CREATIONDATE");
      const std::string db = cell(b, "CREATIONDATE");
      if (da != db) {
        return da == "<null>" ? false : db == "<null>" ? true : da > db;
      }
      return std::stoi(cell(a, "DOCUMENTID")) > std::stoi(cell(b, "DOCUMENTID"));
    });
    return rows;
  }

  // Every page of the list in turn, `limit` rows at a time.
  std::vector<Cells> PagedRows(const Request& r, int32_t limit, int& pages) {
    std::vector<Cells> rows;
    std::string after;
    for (pages = 0; pages < 200; ++pages) {
      Variant next;
      auto page = BoxList().List(
          r.mode, r.type, FromOne(r.tags), static_cast<int32_t>(r.tags.size()), Names(r), Values(r),
          static_cast<int32_t>(r.filters.size()), r.user, next, limit, after);
      const std::vector<Cells> read = ReadRows(*page);
      EXPECT_LE(static_cast<int32_t>(read.size()), limit);
      rows.insert(rows.end(), read.begin(), read.end());
      after = next.ToText();
      if (after.empty()) {
        break;
      }
      EXPECT_EQ(static_cast<int32_t>(read.size()), limit) << "a page before the last is short";
    }
    return rows;
  }

  int32_t CountOf(const Request& r) {
    return BoxList().Count(r.mode, r.type, FromOne(r.tags), static_cast<int32_t>(r.tags.size()),
                           Names(r), Values(r), static_cast<int32_t>(r.filters.size()), r.user);
  }

  Error Refusal(const Request& r, int32_t limit = 50, const std::string& after = "") {
    Variant next;
    try {
      BoxList().List(r.mode, r.type, FromOne(r.tags), static_cast<int32_t>(r.tags.size()), Names(r),
                     Values(r), static_cast<int32_t>(r.filters.size()), r.user, next, limit, after);
    } catch (const Error& error) {
      return error;
    }
    return Error();
  }
};

TEST_P(BoxListTest, AllPagesTogetherGiveTheRowsOfTheListTextInOrder) {
  for (unsigned seed : {7u, 19u}) {
    std::mt19937 random(seed);
    Exec("DELETE FROM SENDMETHODHISTORY");
    for (const char* table : {"PUBLICATIONERRORS", "ATTACHMENT", "TAGSVALUE", "PUBLICATION",
                              "DOCUMENT", "MEMBERUSER", "BUSINESSPARTNER"}) {
      Exec(std::string("DELETE FROM ") + table);
    }
    SeedRandomInstallation(random);
    int non_empty = 0;
    for (int n = 0; n < 40; ++n) {
      const Request r = RandomRequest(random);
      const int32_t limit = 1 + static_cast<int32_t>(random() % 7);
      SCOPED_TRACE("seed " + std::to_string(seed) + " request " + std::to_string(n) + " mode " +
                   std::to_string(r.mode) + " user " + r.user + " type " + r.type + " limit " +
                   std::to_string(limit));
      const std::vector<Cells> expected = TextRows(r);
      int pages = 0;
      EXPECT_EQ(PagedRows(r, limit, pages), expected);
      EXPECT_EQ(pages, expected.empty() ? 0 : (static_cast<int32_t>(expected.size()) - 1) / limit);
      EXPECT_EQ(CountOf(r), static_cast<int32_t>(expected.size()));
      non_empty += expected.empty() ? 0 : 1;
    }
    EXPECT_GT(non_empty, 10) << "the random requests should mostly list something";
  }
}

TEST_P(BoxListTest, ACursorStaysValidWhileDocumentsAreAdded) {
  std::mt19937 random(3);
  SeedRandomInstallation(random);
  Request r;
  r.mode = 0;
  r.type = "ORD'ER";
  r.user = "ann";
  const std::vector<Cells> before = TextRows(r);
  ASSERT_GT(before.size(), 4u);
  Variant next;
  auto first = BoxList().List(r.mode, r.type, VariantArray(), 0, VariantArray(), VariantArray(), 0,
                              r.user, next, 3);
  Exec(
      "INSERT INTO DOCUMENT (DOCUMENTID, DOCUMENTTYPEID, STATUS, SENDER, CREATIONDATE) VALUES "
      "(500, 'ORD''ER', 1, 'ann', '2026-04-01 00:00:00')");
  auto second = BoxList().List(r.mode, r.type, VariantArray(), 0, VariantArray(), VariantArray(), 0,
                               r.user, next, 3, next.ToText());
  const std::vector<Cells> rows = ReadRows(*second);
  EXPECT_EQ(rows, std::vector<Cells>(before.begin() + 3,
                                     before.begin() + std::min<size_t>(6, before.size())));
}

TEST_P(BoxListTest, BadArgumentsAreRefusedWithAClearText) {
  std::mt19937 random(5);
  SeedRandomInstallation(random);
  Request inbox;
  inbox.user = "ann";
  inbox.type = "ORD'ER";
  auto with = [&](int32_t mode, std::pair<std::string, std::string> filter) {
    Request r = inbox;
    r.mode = mode;
    r.filters.push_back(std::move(filter));
    return r;
  };
  struct Case {
    Error error;
    const char* text;
  };
  const Case cases[] = {
      {Refusal(inbox, 0), "The limit 0 is outside 1 ... 1000"},
      {Refusal(inbox, 1001), "The limit 1001 is outside 1 ... 1000"},
      {Refusal(inbox, 50, "abc"), "The cursor 'abc' is not one that BoxList.List handed out"},
      {Refusal(inbox, 50, "D41-1"), "The cursor 'D41-1' is not one"},
      {Refusal(inbox, 50, "N-99999999999"), "is not one that BoxList.List handed out"},
      {Refusal(with(1, {"DOCUMENT.DOCUMENTID =", "x"})),
       "The filter value entered for 'Document ID' is not valid. Enter a whole number"},
      {Refusal(with(1, {"PUBLICATION.STATUS =", "N*"})), "Wildcards (*) cannot be used"},
      {Refusal(with(1, {"DOCUMENT.SENDER; DROP TABLE X LIKE", "a"})), "is not allowed"},
      {Refusal(with(1, {"DOCUMENT.NOSUCH LIKE", "a"})),
       "The filter 'DOCUMENT.NOSUCH LIKE' names no column of the inbox"},
      {Refusal(with(2, {"PUBLICATION.USERID LIKE", "a"})), "names no column of the error box"},
      {Refusal(with(1, {"T1.TAGVALUE LIKE", "a"})), "names no column of the inbox"},
      {Refusal(with(1, {"DOCUMENT.SENDER =", "ann"})),
       "The filter 'DOCUMENT.SENDER =' does not narrow the inbox"},
      {Refusal(with(2, {"DOCUMENT.STATUS =", "New"})), "does not narrow the error box"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(c.error.number(), ErrNumber(EnumerationErrors::InvalidParamValue));
    EXPECT_TRUE(Contains(c.error.description(), c.text)) << c.error.description();
    EXPECT_TRUE(Contains(c.error.description(), "Velmora.BoxList.List"));
  }
  Variant next;
  VariantArray one(2);
  for (auto [tags, filters] : {std::pair{2, 0}, {0, 2}, {-1, 0}}) {
    try {
      BoxList().List(1, "ORD'ER", one, tags, one, one, filters, "ann", next);
      ADD_FAILURE() << "counts " << tags << ", " << filters << " were accepted";
    } catch (const Error& error) {
      EXPECT_TRUE(Contains(error.description(), "count")) << error.description();
    }
  }
}

TEST_P(BoxListTest, PagesAndCountsComeThroughTheLateBoundCall) {
  std::mt19937 random(11);
  SeedRandomInstallation(random);
  auto call = [](const std::string& method, std::vector<Variant> args) {
    const automation::CallReply reply =
        automation::CallAndReply("Velmora.BoxList", method, std::move(args));
    return std::pair{reply.failed, json::Parse(reply.json).As<Dictionary>()};
  };
  std::vector<Variant> args = {Variant(0), Variant("ORD'ER"),       Variant(VariantArray()),
                               Variant(0), Variant(VariantArray()), Variant(VariantArray()),
                               Variant(0), Variant("ann")};
  const int32_t total = call("Count", args).second->Item("result").ToInt32();
  ASSERT_GT(total, 2);
  args.emplace_back();
  args.emplace_back(2);
  const auto [failed, page] = call("List", args);
  ASSERT_FALSE(failed);
  const auto rows = page->Item("result").As<Dictionary>();
  EXPECT_EQ(rows->Item("columns").AsArray().At(0).ToText(), "DSTATUS");
  EXPECT_EQ(rows->Item("rows").AsArray().Count(), 2u);
  const std::string next = page->Item("args").AsArray().At(8).ToText();
  args.emplace_back(next);
  EXPECT_FALSE(call("List", args).first);
  args[10] = Variant("D00-1");
  const auto refused = call("List", args);
  EXPECT_TRUE(refused.first);
  EXPECT_TRUE(Contains(json::Serialize(Variant(ObjectRef(refused.second))), "is not one that"));
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(BoxListTest);

}  // namespace
}  // namespace velmora
