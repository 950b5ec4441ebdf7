#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "boxes/box_documents.h"
#include "core/db_utils.h"
#include "support/library_db_test.h"
#include "support/temp_folder.h"
#include "velmora/base/error.h"
#include "velmora/boxes/sql_queries.h"

// The list query tests: the documents of box_documents.h in a seeded installation whose site
// configuration carries the membership service account, and helpers that build a list with
// SQLQueries.GetDocListQuery and run it through the data layer.
namespace velmora::boxes {

// One row of a list, its fields as text ("<null>" for NULL).
struct Row {
  std::map<std::string, std::string> fields;
  std::string Text(const std::string& name) const {
    const auto found = fields.find(name);
    return found == fields.end() ? "<no field " + name + ">" : found->second;
  }
};
// The rows of a list by DOCUMENTID.
using Rows = std::map<int32_t, Row>;

struct Built {
  std::string query;
  std::string errors;
  Error error;  // number 0 when the call succeeded
};

class DocListQueryFixture : public testing::LibraryDbTest {
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
    SeedBoxDocuments([this](const std::string& sql) { Exec(sql); });
  }

  // GetDocListQuery with the tag ids and filters given (arrays used from element 1).
  Built Build(int32_t mode, const std::vector<Variant>& tag_ids,
              const std::vector<std::pair<std::string, std::string>>& filters, int32_t parent = 0,
              const std::string& user = "o'neil", const std::string& type = "ORD'ER") {
    VariantArray ids(tag_ids.size() + 1);
    for (size_t i = 0; i < tag_ids.size(); ++i) {
      ids.At(static_cast<int32_t>(i + 1)) = tag_ids[i];
    }
    VariantArray names(filters.size() + 1);
    VariantArray values(filters.size() + 1);
    for (size_t i = 0; i < filters.size(); ++i) {
      names.At(static_cast<int32_t>(i + 1)) = Variant(filters[i].first);
      values.At(static_cast<int32_t>(i + 1)) = Variant(filters[i].second);
    }
    Variant query;
    Variant errors;
    Built built;
    try {
      SQLQueries().GetDocListQuery(
          mode, type, ids, VariantArray(), static_cast<int32_t>(tag_ids.size()), names, values,
          static_cast<int32_t>(filters.size()), parent, user, query, errors);
    } catch (const Error& error) {
      built.error = error;
    }
    built.query = query.ToText();
    built.errors = errors.ToText();
    return built;
  }

  // Every row of `query`, run on the installation's database.
  Rows Run(const std::string& query) {
    Rows rows;
    auto connection = core::GetConnection();
    auto rs = connection->Query(query);
    for (; !rs->IsEOF(); rs->MoveNext()) {
      Row row;
      for (int32_t i = rs->FieldCount() - 1; i >= 0; --i) {
        const Variant value = rs->Field(i);
        row.fields[ToUpperName(rs->FieldName(i))] = value.IsNull() ? "<null>" : value.ToText();
      }
      const int32_t id = rs->Field("DOCUMENTID").ToInt32();
      EXPECT_EQ(rows.count(id), 0u) << "document " << id << " listed twice";
      rows[id] = std::move(row);
    }
    return rows;
  }

  // The DOCUMENTIDs `query` lists, in ascending order.
  std::vector<int32_t> Ids(const std::string& query) {
    std::vector<int32_t> ids;
    for (const auto& [id, row] : Run(query)) {
      ids.push_back(id);
    }
    return ids;
  }

 private:
  static std::string ToUpperName(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
  }
};

}  // namespace velmora::boxes
