#include "velmora/boxes/queries.h"

#include <string>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/labels.h"
#include "core/sql_literals.h"
#include "velmora/base/text.h"

namespace velmora {
namespace {

std::string ReferencesQuery(const std::string& doc_type) {
  return std::string("SELECT DISTINCT DOCUMENT.DOCUMENTTYPEID AS DO, ") +
         "RECEIVEMETHOD.DOCUMENTTYPEID AS R, " + "TAGSCONFIG.DOCUMENTTYPEID AS T, " +
         "SENDMETHOD.DOCUMENTTYPEID AS SM, " + "XMLTEMPLATE.DOCUMENTTYPEID AS X, " +
         "DOCTYPETODOCTYPE.DOCUMENTTYPEID AS DD, " + "DOCTYPETODOCTYPE.NEWDOCUMENTTYPEID AS DN, " +
         "SENDERLIST.DOCUMENTTYPEID AS SL, " + "DISTRIBUTIONLIST.DOCUMENTTYPEID AS DB, " +
         "RULEHEADER.ASSIGNEDID AS A, " + "NOTIFICATIONTEMPLATE.DOCUMENTTYPEID AS NT " +
         "FROM DOCUMENTTYPE LEFT OUTER JOIN DOCUMENT ON DOCUMENT.DOCUMENTTYPEID = "
         "DOCUMENTTYPE.DOCUMENTTYPEID " +
         "LEFT OUTER JOIN RECEIVEMETHOD ON RECEIVEMETHOD.DOCUMENTTYPEID = "
         "DOCUMENTTYPE.DOCUMENTTYPEID " +
         "LEFT OUTER JOIN TAGSCONFIG ON TAGSCONFIG.DOCUMENTTYPEID = DOCUMENTTYPE.DOCUMENTTYPEID " +
         "LEFT OUTER JOIN SENDMETHOD ON SENDMETHOD.DOCUMENTTYPEID = DOCUMENTTYPE.DOCUMENTTYPEID " +
         "LEFT OUTER JOIN XMLTEMPLATE ON XMLTEMPLATE.DOCUMENTTYPEID = "
         "DOCUMENTTYPE.DOCUMENTTYPEID " +
         "LEFT OUTER JOIN DOCTYPETODOCTYPE ON (DOCTYPETODOCTYPE.DOCUMENTTYPEID = "
         "DOCUMENTTYPE.DOCUMENTTYPEID OR DOCTYPETODOCTYPE.NEWDOCUMENTTYPEID = "
         "DOCUMENTTYPE.DOCUMENTTYPEID) " +
         "LEFT OUTER JOIN SENDERLIST ON SENDERLIST.DOCUMENTTYPEID = DOCUMENTTYPE.DOCUMENTTYPEID " +
         "LEFT OUTER JOIN DISTRIBUTIONLIST ON DISTRIBUTIONLIST.DOCUMENTTYPEID = "
         "DOCUMENTTYPE.DOCUMENTTYPEID " +
         "LEFT OUTER JOIN RULEHEADER ON RULEHEADER.ASSIGNEDID = DOCUMENTTYPE.DOCUMENTTYPEID " +
         "LEFT OUTER JOIN NOTIFICATIONTEMPLATE ON NOTIFICATIONTEMPLATE.DOCUMENTTYPEID = "
         "DOCUMENTTYPE.DOCUMENTTYPEID " +
         "WHERE DOCUMENTTYPE.DOCUMENTTYPEID = " + core::SqlText(doc_type);
}

}  // namespace

std::string Queries::CheckDocTypeReferences(std::string& iDocTypeID, int32_t iLanguageID) {
  return core::Guarded("Velmora.Queries.CheckDocTypeReferences", [&]() -> std::string {
    std::unique_ptr<db::Connection> connection;
    connection = core::GetConnection();
    auto rs = connection->Query(ReferencesQuery(iDocTypeID));
    std::string list;
    const auto add = [&](const char* label) {
      // The page evaluates the list as a script literal: quotes in a text are doubled.
      list += "\"" + text::ReplaceAll(core::GetLabel(label, iLanguageID), "\"", "\"\"") + "\",";
    };
    if (!rs->IsEOF()) {
      const auto present = [&](const char* column) { return !rs->Field(column).IsNull(); };
      if (present("DO")) {
        add("ZODAR1103");
      }
      if (present("DB")) {
        add("ZODAR5008");
      }
      if (present("SL")) {
        add("ZODAR5706");
      }
      if (present("SM")) {
        bool without_rule = false;
        bool with_rule = false;
        GetSendMethods(iDocTypeID, without_rule, with_rule);
        if (without_rule) {
          add("ZODAR5852");
        }
        if (with_rule) {
          add("ZODAR5606");
        }
      }
      if (present("A")) {
        add("ZODAR5605");
      }
      if (present("R")) {
        add("ZODAR5751");
      }
      if (present("T")) {
        add("ZODAR5453");
      }
      if (present("X")) {
        add("ZODAR5801");
      }
      if (present("DD") || present("DN")) {
        add("ZODAR5903");
      }
      if (present("NT")) {
        add("ZODAR6051");
      }
    }
    rs->Close();
    core::CloseConnection(connection);
    if (list.empty()) {
      return "";
    }
    list.pop_back();
    return "Array(" + list + ")";
  });
}

void Queries::GetSendMethods(const std::string& docType, bool& without_rule, bool& with_rule) {
  try {
    auto rs = core::getDisconnectedReadOnlyRecordSet(
        std::string("SELECT SENDMETHOD.DOCUMENTTYPEID, SENDMETHOD.RULEID ") + "FROM SENDMETHOD " +
        "WHERE SENDMETHOD.DOCUMENTTYPEID = " + core::SqlText(docType));
    while (!rs->IsEOF()) {
      if (rs->Field("RULEID").ToInt32() == -1) {
        without_rule = true;
      } else {
        with_rule = true;
      }
      rs->MoveNext();
    }
    rs->Close();
  } catch (...) {
    without_rule = false;
    with_rule = false;
    core::ReportError("Velmora.Queries.GetSendMethods");
  }
}

}  // namespace velmora
