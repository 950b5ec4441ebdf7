#include "delivery/send_method_store.h"

#include "core/bound_sql.h"
#include "core/sql_literals.h"

namespace velmora::delivery {
namespace {

constexpr const char* kSelect =
    "SELECT SENDMETHOD.SENDMETHODID AS ID, SENDMETHOD.BUSINESSPARTNERID AS PARTNER, "
    "SENDMETHOD.DOCUMENTTYPEID AS DOCTYPE, SENDMETHOD.RULEID AS RULEID, PROTOCOL, FORMAT, "
    "ADDRESS, AUTOPUSH, XSLFILENAME, PORT, USERNAME, PASSWORD, FILENAME, SUFFIX, FILEEXTENSION, "
    "WRITEMODE, EXCELTEMPLATE, PROXY, PROXYPORT, FILEFORMAT, FTPTRANSFERTYPE, ATTACHMENTS, "
    "NETWORKID, MERGEFILE FROM SENDMETHOD INNER JOIN SENDMETHODPROPERTY ON "
    "SENDMETHOD.SENDMETHODID = SENDMETHODPROPERTY.SENDMETHODID";

template <class Enumeration>
Enumeration EnumerationOf(const db::Recordset& row, std::string_view name) {
  return static_cast<Enumeration>(core::NumberOrZero(row, name));
}

SendMethodLink ReadLink(const db::Recordset& row) {
  SendMethodLink link;
  link.id = core::NumberOrZero(row, "ID");
  link.partner = core::OptionalNumber(row, "PARTNER");
  link.doctype = core::OptionalText(row, "DOCTYPE");
  link.rule = core::OptionalNumber(row, "RULEID");
  link.protocol = EnumerationOf<ESendMethodProtocol>(row, "PROTOCOL");
  link.format = EnumerationOf<ESendMethodFormat>(row, "FORMAT");
  link.address = core::OptionalText(row, "ADDRESS");
  link.autopush = core::IsSet(row, "AUTOPUSH");
  link.xsl = core::OptionalText(row, "XSLFILENAME");
  link.port = core::OptionalNumber(row, "PORT");
  link.user = core::OptionalText(row, "USERNAME");
  link.has_password = !core::TextOrEmpty(row, "PASSWORD").empty();
  link.file_name = core::OptionalText(row, "FILENAME");
  link.suffix = EnumerationOf<ESendMethodSuffix>(row, "SUFFIX");
  link.extension = core::OptionalText(row, "FILEEXTENSION");
  link.write_mode = EnumerationOf<EWriteMode>(row, "WRITEMODE");
  link.excel_template = core::OptionalText(row, "EXCELTEMPLATE");
  link.proxy = core::OptionalText(row, "PROXY");
  link.proxy_port = core::OptionalNumber(row, "PROXYPORT");
  link.file_format = EnumerationOf<ESendMethodFileFormat>(row, "FILEFORMAT");
  link.ftp_type = EnumerationOf<ESendMethodFTPTransferType>(row, "FTPTRANSFERTYPE");
  link.attachments = core::IsSet(row, "ATTACHMENTS");
  link.network = core::OptionalText(row, "NETWORKID");
  link.merge_file = core::OptionalText(row, "MERGEFILE");
  return link;
}

std::vector<SendMethodLink> LinksOn(db::Connection& connection, int32_t id) {
  return core::ReadRows(
      connection,
      std::string(kSelect) + " WHERE SENDMETHOD.SENDMETHODID = ? ORDER BY SENDMETHOD.RULEID",
      {Variant(id)}, ReadLink);
}

}  // namespace

std::string LinkCondition(int32_t partner, const std::string& doctype, int32_t rule) {
  return "BUSINESSPARTNERID = " + core::SqlLong(partner) + " " +
         "AND DOCUMENTTYPEID = " + core::SqlText(doctype) + " AND RULEID = " + core::SqlLong(rule);
}

void Unlink(db::Connection& connection, int32_t id, int32_t partner, const std::string& doctype,
            int32_t rule) {
  if (rule == -1) {
    connection.Execute("DELETE FROM SENDMETHOD WHERE SENDMETHODID = " + core::SqlLong(id));
    return;
  }
  const std::string triple = LinkCondition(partner, doctype, rule);
  auto rs =
      connection.QueryDisconnected("SELECT DISTINCT SENDMETHODID FROM SENDMETHOD WHERE " + triple);
  const int32_t count = rs->RecordCount();
  rs->Close();
  if (count == 1) {
    connection.Execute("UPDATE SENDMETHOD SET SENDMETHODID = -1 WHERE " + triple);
  } else {
    connection.Execute("DELETE FROM SENDMETHOD WHERE SENDMETHODID = " + core::SqlLong(id));
  }
}

bool SendMethodStore::Exists(int32_t id) {
  return core::OnConnection([&](db::Connection& connection) {
    return core::AnyRow(connection,
                        "SELECT SENDMETHODID FROM SENDMETHODPROPERTY WHERE SENDMETHODID = ?",
                        {Variant(id)});
  });
}

std::vector<SendMethodLink> SendMethodStore::Links(int32_t id) {
  return core::OnConnection([&](db::Connection& connection) { return LinksOn(connection, id); });
}

std::vector<SendMethodLink> SendMethodStore::List(std::optional<int32_t> partner) {
  return core::OnConnection([&](db::Connection& connection) {
    if (partner) {
      return core::ReadRows(connection,
                            std::string(kSelect) +
                                " WHERE SENDMETHOD.BUSINESSPARTNERID = ? ORDER BY "
                                "SENDMETHOD.DOCUMENTTYPEID, SENDMETHOD.SENDMETHODID",
                            {Variant(*partner)}, ReadLink);
    }
    return core::ReadRows(connection,
                          std::string(kSelect) +
                              " ORDER BY SENDMETHOD.BUSINESSPARTNERID, SENDMETHOD.DOCUMENTTYPEID, "
                              "SENDMETHOD.SENDMETHODID",
                          {}, ReadLink);
  });
}

bool SendMethodStore::Remove(int32_t id) {
  return core::InOneTransaction([&](db::Connection& connection) {
    for (const SendMethodLink& link : LinksOn(connection, id)) {
      Unlink(connection, id, link.partner.value_or(0), link.doctype.value_or(""),
             link.rule.value_or(0));
    }
    return core::ExecuteBound(connection, "DELETE FROM SENDMETHODPROPERTY WHERE SENDMETHODID = ?",
                              {Variant(id)}) > 0;
  });
}

}  // namespace velmora::delivery
