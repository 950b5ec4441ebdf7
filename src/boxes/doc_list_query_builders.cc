// The three list texts of SQLQueries.GetDocListQuery and their tag columns. The pieces are
// appended exactly as the pages' contract fixes them, spaces included.
#include <string>

#include "boxes/doc_list_query.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_fragments.h"
#include "core/sql_literals.h"
#include "routing/users.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/text.h"

namespace velmora::boxes {
namespace {

using core::SqlLong;
using core::SqlText;

// The list's tag ids read as whole 32-bit numbers: integers, integral doubles, or texts of
// decimal digits; anything else (a piece of SQL, a fraction, a blank) is refused.
bool ReadTagId(const Variant& value, int32_t& id) {
  int64_t number = 0;
  switch (value.kind()) {
    case Variant::Kind::kInt16:
    case Variant::Kind::kInt32:
    case Variant::Kind::kInt64:
      number = value.ToInt64();
      break;
    case Variant::Kind::kDouble: {
      const double d = value.ToDouble();
      if (d != static_cast<double>(static_cast<int64_t>(d))) {
        return false;
      }
      number = static_cast<int64_t>(d);
      break;
    }
    case Variant::Kind::kText:
      if (!text::ParseInt64(value.ToText(), number)) {
        return false;
      }
      break;
    default:
      return false;
  }
  if (number < INT32_MIN || number > INT32_MAX) {
    return false;
  }
  id = static_cast<int32_t>(number);
  return true;
}

// The pieces both the inbox and the out box use for a child list.
std::string ChildListCondition(const DocListRequest& request) {
  return " WHERE (PUBLICATION.USERID = " + SqlText(request.user) +
         " OR     PUBLICATION.USERID IS NULL" +
         " OR     DOCUMENT.SENDER = " + SqlText(request.user) + ")";
}

constexpr const char* kTypeNotBlank =
    " AND (NOT DOCUMENT.DOCUMENTTYPEID = '')"
    " AND (NOT DOCUMENT.DOCUMENTTYPEID IS NULL)";

}  // namespace

std::string AddTagConfigFieldsToSelectClause(int32_t count) {
  return core::Guarded("Velmora.SQLQueries.AddTagConfigFieldsToSelectClause", [&]() -> std::string {
    std::string clause;
    for (int32_t i = 1; i <= count; ++i) {
      const std::string n = std::to_string(i);
      clause += ", T" + n + ".TAGVALUE AS " + "T" + n;
    }
    return clause;
  });
}

std::string AddTagConfigFieldsToFromClause(const VariantArray& tag_ids, int32_t count,
                                           ErrorList& errors) {
  return core::Guarded("Velmora.SQLQueries.AddTagConfigFieldsToFromClause", [&]() -> std::string {
    std::string clause;
    for (int32_t i = 1; i <= count; ++i) {
      const Variant& value = tag_ids.At(i);
      int32_t id = 0;
      if (!ReadTagId(value, id)) {
        const std::string shown = value.IsNull() ? std::string("Null") : value.ToText();
        errors[0] = "The tag id '" + shown + "' is not a whole number.";
        errors[1] = "Tag ids are whole numbers from " + std::to_string(INT32_MIN) + " to " +
                    std::to_string(INT32_MAX) + ".";
        RaiseError(EnumerationErrors::InvalidParamValue,
                   "Velmora.SQLQueries.AddTagConfigFieldsToFromClause", errors[0]);
      }
      const std::string n = std::to_string(i);
      clause += std::string(" LEFT OUTER JOIN") + " ( SELECT TAGVALUE," + " DOCUMENTID" +
                " FROM   TAGSVALUE" + " WHERE  TAGID = " + SqlLong(id) + ") AS T" + n +
                " ON DOCUMENT.DOCUMENTID = T" + n + ".DOCUMENTID ";
    }
    return clause;
  });
}

std::string GetDocListQueryForInBox(const DocListRequest& request, ErrorList& errors) {
  return core::Guarded("Velmora.SQLQueries.GetDocListQueryForInBox", [&]() -> std::string {
    const bool top = request.parent == 0;
    std::string q = std::string("SELECT DISTINCT") + " DOCUMENT.STATUS AS DSTATUS," +
                    " DOCUMENT.CREATIONDATE," + " DOCUMENT.SENDER," + " DOCUMENT.DOCUMENTID," +
                    " DOCUMENT.DOCUMENTTYPEID," + " CHILDS.DOC_DOCUMENTID AS CHILDID," +
                    " NR, PUBLICATION.DOCUMENTID";
    if (top) {
      q += std::string(",") + " PUBLICATION.USERID," + " PUBLICATION.STATUS," +
           " PUBLICATION.FORWARD";
      q += AddTagConfigFieldsToSelectClause(request.tag_count);
    }
    q += " FROM DOCUMENT";
    q += top ? " INNER JOIN PUBLICATION ON" : " LEFT OUTER JOIN PUBLICATION ON";
    q += " PUBLICATION.DOCUMENTID = DOCUMENT.DOCUMENTID";
    q += std::string(" LEFT OUTER JOIN DOCUMENT AS CHILDS ") +
         " ON DOCUMENT.DOCUMENTID = CHILDS.DOC_DOCUMENTID" +
         " LEFT OUTER JOIN ( SELECT  COUNT(ATTACHMENTID) AS NR," + " DOCUMENTID " +
         " FROM    ATTACHMENT" + " GROUP BY DOCUMENTID) AS A" +
         " ON DOCUMENT.DOCUMENTID = A.DOCUMENTID ";
    if (top) {
      q += AddTagConfigFieldsToFromClause(*request.tag_ids, request.tag_count, errors);
      q += " WHERE PUBLICATION.USERID = " + SqlText(request.user) +
           " AND   DOCUMENT.DOCUMENTTYPEID= " + SqlText(request.doc_type) +
           " AND   PUBLICATION.STATUS NOT IN " + core::DeletedPublicationStatusList() +
           " AND   DOCUMENT.STATUS <> 0";
    } else {
      q += ChildListCondition(request) +
           " AND   (DOCUMENT.DOC_DOCUMENTID = " + SqlLong(request.parent) + ")";
    }
    q += kTypeNotBlank;
    q += " AND (DOCUMENT.SHOW = 1)";
    q += " " +
         GetQueryFilter(kInBox, *request.filter_names, *request.filter_values, request.filter_count,
                        errors) +
         " ";
    return q;
  });
}

std::string GetDocListQueryForOutBox(const DocListRequest& request, ErrorList& errors) {
  return core::Guarded("Velmora.SQLQueries.GetDocListQueryForOutBox", [&]() -> std::string {
    const bool top = request.parent == 0;
    std::string q = std::string("SELECT DISTINCT") + " DOCUMENT.STATUS AS DSTATUS," +
                    " DOCUMENT.CREATIONDATE," + " DOCUMENT.SENDER," + " DOCUMENT.DOCUMENTID, " +
                    " DOCUMENT.DOCUMENTTYPEID," + " CHILDS.DOC_DOCUMENTID AS CHILDID," +
                    " NR, PUBLICATION.DOCUMENTID";
    if (top) {
      q += AddTagConfigFieldsToSelectClause(request.tag_count);
    }
    q += std::string(" FROM DOCUMENT") + " LEFT OUTER JOIN PUBLICATION" +
         " ON PUBLICATION.DOCUMENTID = DOCUMENT.DOCUMENTID" +
         " LEFT OUTER JOIN DOCUMENT AS CHILDS " +
         " ON DOCUMENT.DOCUMENTID = CHILDS.DOC_DOCUMENTID" +
         " LEFT OUTER JOIN ( SELECT COUNT(ATTACHMENTID) AS NR, " + " DOCUMENTID " +
         " FROM   ATTACHMENT" + " GROUP BY DOCUMENTID) AS A" +
         " ON DOCUMENT.DOCUMENTID = A.DOCUMENTID ";
    if (top) {
      q += AddTagConfigFieldsToFromClause(*request.tag_ids, request.tag_count, errors);
      q += " WHERE DOCUMENT.SENDER = " + SqlText(request.user) + " AND   DOCUMENT.STATUS <> 4 " +
           " AND   DOCUMENT.DOCUMENTTYPEID = " + SqlText(request.doc_type);
    } else {
      q += ChildListCondition(request) +
           " AND   DOCUMENT.DOC_DOCUMENTID = " + SqlLong(request.parent);
    }
    q += kTypeNotBlank;
    q += " " +
         GetQueryFilter(kOutBox, *request.filter_names, *request.filter_values,
                        request.filter_count, errors) +
         " ";
    return q;
  });
}

std::string GetDocListQueryForErrorBox(const DocListRequest& request, ErrorList& errors) {
  return core::Guarded("Velmora.SQLQueries.GetDocListQueryForErrorBox", [&]() -> std::string {
    const bool top = request.parent == 0;
    const int32_t partner = routing::users::PartnerOf(request.user);
    std::string select = std::string(" SELECT DISTINCT ") + " DOCUMENT.DOCUMENTID," +
                         " DOCUMENT.CREATIONDATE," + " DOCUMENT.SENDER," +
                         " DOCUMENT.DOCUMENTTYPEID";
    std::string joins;
    if (top) {
      select += AddTagConfigFieldsToSelectClause(request.tag_count);
      joins += AddTagConfigFieldsToFromClause(*request.tag_ids, request.tag_count, errors);
    }
    const std::string filter = GetQueryFilter(kErrorBox, *request.filter_names,
                                              *request.filter_values, request.filter_count, errors);
    std::string q =
        select + " FROM    " + core::ErrorsWithDeliveryHistory() + ", " +
        "         DOCUMENT             LEFT OUTER JOIN PUBLICATION P         ON P.DOCUMENTID = "
        "DOCUMENT.DOCUMENTID " +
        joins + " WHERE " + "     ( " + "(DOCUMENT.SENDER = " + SqlText(request.user) +
        " AND PE.CLOSED IN " + core::ClosedValuesWithout(core::kErrorRemovedFromSenderBox) + " ) " +
        " OR " + "(DOCUMENT.SHOW = 1 AND P.USERID = " + SqlText(request.user) +
        " AND SMH.BUSINESSPARTNERID = " + SqlLong(partner) + " AND P.STATUS NOT IN " +
        core::DeletedPublicationStatusList() + " AND PE.CLOSED IN " +
        core::ClosedValuesWithout(core::kErrorRemovedFromRecipientBox) + " ) " + "      ) " +
        " AND PE.DOCUMENTID = DOCUMENT.DOCUMENTID ";
    if (top) {
      q += " AND   DOCUMENT.DOCUMENTTYPEID = " + SqlText(request.doc_type);
    } else {
      q += " AND DOCUMENT.DOC_DOCUMENTID = " + SqlLong(request.parent);
    }
    q += kTypeNotBlank;
    q += filter;
    return q;
  });
}

}  // namespace velmora::boxes
