// Collaboration's counts of new inbox documents.
#include <optional>
#include <string>

#include "core/db_utils.h"
#include "core/general.h"
#include "core/guarded.h"
#include "core/sql_literals.h"
#include "platform/host/configuration.h"
#include "velmora/boxes/collaboration.h"

namespace velmora {

bool Collaboration::showCountOfNewDocumentsInInbox() {
  try {
    auto configuration = core::GetComponent<host::Configuration>("Tarvex.Configuration");
    if (!configuration) {
      throw Error(kErrObjectRequired, "Tarvex.Configuration",
                  "Object required: Tarvex.Configuration");
    }
    configuration->LoadFile(core::GetB2BConfigFile());
    const Variant value = configuration->GetValue("GLOBAL", "ShowCountNewDocuments");
    return !value.IsEmpty() && !value.IsNull() && value.ToDouble() == 1;
  } catch (...) {
    core::LogWarning("Velmora.Collaboration.showCountOfNewDocumentsInInbox");
  }
  return false;
}

int32_t Collaboration::countNewDocumentsForInbox(const std::string& i_sDocTypeID,
                                                 const std::string& i_sUserID) {
  return core::Guarded("Velmora.Collaboration.countNewDocumentsForInbox", [&]() -> int32_t {
    const std::string sql = std::string(" SELECT COUNT(*) AS NewDocs ") + " FROM DOCUMENT AS D " +
                            " INNER JOIN PUBLICATION AS P ON D.DOCUMENTID = P.DOCUMENTID " +
                            " WHERE D.DOCUMENTTYPEID = " + core::SqlText(i_sDocTypeID) + " " +
                            " AND   D.STATUS <> 0 " + " AND   D.SHOW = 1 " +
                            " AND   P.USERID = " + core::SqlText(i_sUserID) + " " +
                            " AND   P.STATUS =  0 ";
    const std::optional<Variant> count = core::FirstField(sql, "NewDocs");
    return count && !count->IsNull() ? count->ToInt32() : 0;
  });
}

}  // namespace velmora
