#include "velmora/boxes/box_list.h"

#include <optional>
#include <string>
#include <vector>

#include "boxes/box_list_query.h"
#include "boxes/doc_list_query.h"
#include "core/db_utils.h"
#include "core/guarded.h"
#include "velmora/base/enumeration_errors.h"

namespace velmora {
namespace {

constexpr const char* kListPath = "Velmora.BoxList.List";
constexpr const char* kCountPath = "Velmora.BoxList.Count";
constexpr int32_t kMaxLimit = 1000;

// Whether the inbox or the error box starts from the viewer's own rows.
void ChooseStart(db::Connection& connection, boxes::BoxListRequest& request) {
  if (request.mode != boxes::kOutBox) {
    auto own = connection.Query(boxes::ViewerRowsQuery(request));
    request.from_viewer_rows = own->Field("N").ToInt32() < boxes::kFewViewerRows;
  }
}

// The keys of at most `wanted` documents after `after`: those with a creation date first, then
// those without one.
std::vector<boxes::BoxListKey> PageKeys(db::Connection& connection,
                                        const boxes::BoxListRequest& request,
                                        const std::optional<boxes::BoxListKey>& after,
                                        int32_t wanted) {
  std::vector<boxes::BoxListKey> keys;
  const bool after_undated = after && !after->created;
  for (bool dated : {true, false}) {
    if (dated && after_undated) {
      continue;
    }
    const int32_t missing = wanted - static_cast<int32_t>(keys.size());
    if (missing == 0) {
      break;
    }
    const std::optional<boxes::BoxListKey> start =
        dated || after_undated ? after : std::optional<boxes::BoxListKey>();
    auto rows = connection.Query(boxes::KeysQuery(request, dated, start, missing));
    for (; !rows->IsEOF(); rows->MoveNext()) {
      boxes::BoxListKey key;
      key.id = rows->Field("DOCUMENTID").ToInt32();
      const Variant created = rows->Field("K");
      if (!created.IsNull()) {
        key.created = created.ToText();
      }
      keys.push_back(std::move(key));
    }
  }
  return keys;
}

}  // namespace

std::shared_ptr<db::Recordset> BoxList::List(int32_t i_lSenderMode, const std::string& i_sDocTypeID,
                                             const VariantArray& i_alTagIDs, int32_t i_lNrOfTags,
                                             const VariantArray& i_asFilterNames,
                                             const VariantArray& i_asFilterValues,
                                             int32_t i_lNrOfFilters, const std::string& i_sUser,
                                             Variant& o_sNext, int32_t i_lLimit,
                                             const std::string& i_sAfter) {
  return core::Guarded(kListPath, [&] {
    o_sNext = Variant(std::string());
    if (i_lLimit < 1 || i_lLimit > kMaxLimit) {
      RaiseError(EnumerationErrors::InvalidParamValue, kListPath,
                 "The limit " + std::to_string(i_lLimit) + " is outside 1 ... " +
                     std::to_string(kMaxLimit) + " rows per page.");
    }
    std::optional<boxes::BoxListKey> after;
    if (!i_sAfter.empty()) {
      after = boxes::ReadCursor(i_sAfter, kListPath);
    }
    boxes::BoxListRequest request = boxes::ReadBoxListRequest(
        i_lSenderMode, i_sDocTypeID, i_alTagIDs, i_lNrOfTags, i_asFilterNames, i_asFilterValues,
        i_lNrOfFilters, i_sUser, kListPath);
    std::unique_ptr<db::Connection> connection = core::GetConnection();
    ChooseStart(*connection, request);
    // On PostgreSQL a page is read in one transaction without parallel plans: the keys query
    // stops after a page, and starting workers costs more than the few rows it reads.
    const bool postgresql = connection->engine() == db::Engine::kPostgresql;
    if (postgresql) {
      connection->Begin();
      connection->Execute("SET LOCAL max_parallel_workers_per_gather = 0");
    }
    std::vector<boxes::BoxListKey> keys = PageKeys(*connection, request, after, i_lLimit + 1);
    if (static_cast<int32_t>(keys.size()) > i_lLimit) {
      keys.pop_back();
      o_sNext = Variant(boxes::WriteCursor(keys.back()));
    }
    std::vector<int32_t> ids;
    for (const boxes::BoxListKey& key : keys) {
      ids.push_back(key.id);
    }
    std::shared_ptr<db::Recordset> rows =
        connection->QueryDisconnected(boxes::RowsQuery(request, ids));
    if (postgresql) {
      connection->Commit();
    }
    core::CloseConnection(connection);
    return rows;
  });
}

int32_t BoxList::Count(int32_t i_lSenderMode, const std::string& i_sDocTypeID,
                       const VariantArray& i_alTagIDs, int32_t i_lNrOfTags,
                       const VariantArray& i_asFilterNames, const VariantArray& i_asFilterValues,
                       int32_t i_lNrOfFilters, const std::string& i_sUser) {
  return core::Guarded(kCountPath, [&] {
    boxes::BoxListRequest request = boxes::ReadBoxListRequest(
        i_lSenderMode, i_sDocTypeID, i_alTagIDs, i_lNrOfTags, i_asFilterNames, i_asFilterValues,
        i_lNrOfFilters, i_sUser, kCountPath);
    // The whole list is read: from the viewer's own rows, which the engines join in bulk.
    request.from_viewer_rows = true;
    std::unique_ptr<db::Connection> connection = core::GetConnection();
    auto rows = connection->Query(boxes::CountQuery(request));
    const int32_t count = rows->Field("N").ToInt32();
    rows->Close();
    core::CloseConnection(connection);
    return count;
  });
}

}  // namespace velmora
