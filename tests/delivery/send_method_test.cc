#include "velmora/delivery/send_method.h"

#include <gtest/gtest.h>

#include "automation/registration.h"
#include "core/general.h"
#include "platform/files/native_path.h"
#include "platform/files/path_text.h"
#include "platform/host/secret_box.h"
#include "support/library_db_test.h"
#include "velmora/base/dictionary.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"

namespace velmora {
namespace {

const std::string kType = "O'Rourke \"Ordre\" – Bestellung ü";

// A record with every stored field set, so that clearing shows which ones a protocol drops.
TSendMethodProperties FullRecord(ESendMethodProtocol protocol, ESendMethodFormat format,
                                 EWriteMode write_mode = EWriteMode::Append) {
  TSendMethodProperties p;
  p.bAutoPush = true;
  p.sXslFileName = "style 'a'.xsl";
  p.sUser = "usér'1";
  p.sPassword = "pa'ss";
  p.nFormat = format;
  p.sProxy = "proxy.example";
  p.lProxyPort = 8080;
  p.lPort = 21;
  p.nProtocol = protocol;
  p.nWriteMode = write_mode;
  p.sExcelTemplate = "tmpl'ü.xls";
  p.sAddress = "dest'ination ü";
  p.sFileName = "fïle'name";
  p.sFileExtension = "xml";
  p.nSuffix = ESendMethodSuffix::DocumentID;
  p.nFileFormat = ESendMethodFileFormat::Unicode;
  p.nFTPTransferType = ESendMethodFTPTransferType::Binary;
  return p;
}

VariantArray Texts(std::initializer_list<const char*> values, int32_t lower = 0) {
  VariantArray array(values.size(), lower);
  int32_t i = lower;
  for (const char* value : values) {
    array.At(i++) = Variant(std::string(value));
  }
  return array;
}

void ClearAccount(TSendMethodProperties& p) {
  p.lPort = 0;
  p.lProxyPort = 0;
  p.sProxy = "";
  p.sPassword = "";
  p.sUser = "";
}

class SendMethodTest : public testing::LibraryDbTest {
 protected:
  std::string Column(int32_t id, const std::string& column) {
    const Variant value = Scalar(
        "SELECT " + column + " FROM SENDMETHODPROPERTY WHERE SENDMETHODID = " + std::to_string(id));
    return value.IsNull() ? "<null>" : value.ToText();
  }
  // The stored password, unsealed with the key next to the site configuration; a password
  // stored in plain text fails the test.
  std::string Password(int32_t id) {
    const std::string stored = Column(id, "PASSWORD");
    if (stored.empty()) {
      return stored;
    }
    EXPECT_EQ(stored.rfind(host::kSealedMark, 0), 0u) << stored;
    return host::Unseal(host::KeyFilePath(files::ToNativePath(
                            files::GetParentFolderPart(core::getSiteConfigFile()))),
                        stored);
  }
  int64_t Count(const std::string& table, const std::string& where = "1 = 1") {
    return Scalar("SELECT COUNT(*) FROM " + table + " WHERE " + where).ToInt64();
  }
  int32_t AddManualDownload(int32_t partner, const std::string& type, ESendMethodFormat format,
                            ESendMethodFileFormat file_format, const std::string& xsl) {
    TSendMethodProperties p = FullRecord(ESendMethodProtocol::ManualDownload, format);
    p.nFileFormat = file_format;
    p.sXslFileName = xsl;
    int32_t id = sm_.AddSendMethodProperties2(p);
    int32_t rule = -1;
    std::string doc_type = type;
    sm_.AddSendMethod2(id, partner, doc_type, rule);
    return id;
  }
  SendMethod sm_;
};

TEST_P(SendMethodTest, EnumerationConversionsAreTheIdentityOnMembersAndZeroElsewhere) {
  for (int16_t n : {10, 20, 30, 40, 50, 60, 70, 80}) {
    EXPECT_EQ(sm_.SendMethodProtocol_EnumToInteger(sm_.SendMethodProtocol_IntegerToEnum(n)), n);
  }
  for (int16_t n : {10, 20, 30}) {
    EXPECT_EQ(sm_.SendMethodFormat_EnumToInteger(sm_.SendMethodFormat_IntegerToEnum(n)), n);
    EXPECT_EQ(sm_.SendMethodWriteMode_EnumToInteger(sm_.SendMethodWriteMode_IntegerToEnum(n)), n);
  }
  for (int16_t n : {10, 20}) {
    EXPECT_EQ(sm_.SendMethodSuffix_EnumToInteger(sm_.SendMethodSuffix_IntegerToEnum(n)), n);
    EXPECT_EQ(sm_.SendMethodFileFormat_EnumToInteger(sm_.SendMethodFileFormat_IntegerToEnum(n)), n);
    EXPECT_EQ(
        sm_.SendMethodFTPTransferType_EnumToInteger(sm_.SendMethodFTPTransferType_IntegerToEnum(n)),
        n);
  }
  for (int16_t n : {0, 5, 11, 90, -1}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(static_cast<int16_t>(sm_.SendMethodProtocol_IntegerToEnum(n)), 0);
    EXPECT_EQ(static_cast<int16_t>(sm_.SendMethodFormat_IntegerToEnum(n)), 0);
    EXPECT_EQ(static_cast<int16_t>(sm_.SendMethodWriteMode_IntegerToEnum(n)), 0);
    EXPECT_EQ(static_cast<int16_t>(sm_.SendMethodSuffix_IntegerToEnum(n)), 0);
    EXPECT_EQ(static_cast<int16_t>(sm_.SendMethodFileFormat_IntegerToEnum(n)), 0);
    EXPECT_EQ(static_cast<int16_t>(sm_.SendMethodFTPTransferType_IntegerToEnum(n)), 0);
    EXPECT_EQ(sm_.SendMethodProtocol_EnumToInteger(static_cast<ESendMethodProtocol>(n)), 0);
    EXPECT_EQ(sm_.SendMethodFormat_EnumToInteger(static_cast<ESendMethodFormat>(n)), 0);
  }
  EXPECT_EQ(sm_.getSendMethodStatus_SENT(), 1);
  EXPECT_EQ(sm_.getSendMethodStatus_NOTSENT(), 0);
}

TEST_P(SendMethodTest, ClearingResetsExactlyTheFieldsTheProtocolDoesNotUse) {
  using P = ESendMethodProtocol;
  using F = ESendMethodFormat;
  struct Case {
    P protocol;
    F format;
    EWriteMode write_mode;
    void (*expect)(TSendMethodProperties&);
  };
  const std::vector<Case> cases = {
      {P::Email, F::XML, EWriteMode::Append,
       [](TSendMethodProperties& p) {
         p.nFTPTransferType = {};
         p.nWriteMode = {};
         ClearAccount(p);
         p.sExcelTemplate = "";
       }},
      {P::Email, F::Excel, EWriteMode::Append,
       [](TSendMethodProperties& p) {
         p.nFTPTransferType = {};
         p.nWriteMode = {};
         ClearAccount(p);
       }},
      {P::Fax, F::XML, EWriteMode::Append,
       [](TSendMethodProperties& p) {
         p.nFTPTransferType = {};
         p.nWriteMode = {};
         ClearAccount(p);
       }},
      {P::FilePath, F::XML, EWriteMode::Create,
       [](TSendMethodProperties& p) {
         p.nFTPTransferType = {};
         ClearAccount(p);
         p.nWriteMode = {};
         p.sExcelTemplate = "";
       }},
      {P::FilePath, F::Excel, EWriteMode::Create,
       [](TSendMethodProperties& p) {
         p.nFTPTransferType = {};
         ClearAccount(p);
       }},
      {P::FilePath, F::Excel, EWriteMode::Append,
       [](TSendMethodProperties& p) {
         p.nFTPTransferType = {};
         ClearAccount(p);
         p.sExcelTemplate = "";
       }},
      {P::Ftp, F::XML, EWriteMode::Append,
       [](TSendMethodProperties& p) {
         p.nWriteMode = {};
         p.sExcelTemplate = "";
       }},
      {P::Ftp, F::Excel, EWriteMode::Append, [](TSendMethodProperties& p) { p.nWriteMode = {}; }},
      {P::Http, F::Excel, EWriteMode::Append,
       [](TSendMethodProperties& p) {
         p.nFTPTransferType = {};
         p.nSuffix = {};
         p.nWriteMode = {};
         p.sExcelTemplate = "";
         p.sFileExtension = "";
         p.sFileName = "";
       }},
      {P::MethodCall, F::OBI, EWriteMode::Append,
       [](TSendMethodProperties& p) {
         p.nFTPTransferType = {};
         p.nSuffix = {};
         p.nWriteMode = {};
         p.sFileExtension = "";
         p.sFileName = "";
         ClearAccount(p);
         p.nFileFormat = {};
         p.sExcelTemplate = "";
       }},
      {P::MethodCall, F::Excel, EWriteMode::Append,
       [](TSendMethodProperties& p) {
         p.nFTPTransferType = {};
         p.nSuffix = {};
         p.nWriteMode = {};
         p.sFileExtension = "";
         p.sFileName = "";
         ClearAccount(p);
         p.nFileFormat = {};
       }},
      {P::ManualDownload, F::XML, EWriteMode::Append,
       [](TSendMethodProperties& p) {
         p.nFTPTransferType = {};
         p.nSuffix = {};
         p.nWriteMode = {};
         p.sFileExtension = "";
         p.sFileName = "";
         ClearAccount(p);
       }},
      {P::EDI, F::Excel, EWriteMode::Append,
       [](TSendMethodProperties& p) {
         p.nFTPTransferType = {};
         p.sExcelTemplate = "";
         ClearAccount(p);
       }},
      {static_cast<P>(99), F::XML, EWriteMode::Append, [](TSendMethodProperties&) {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.protocol) * 1000 + static_cast<int>(c.format) * 10 +
                 static_cast<int>(c.write_mode));
    TSendMethodProperties actual = FullRecord(c.protocol, c.format, c.write_mode);
    actual.sFromAddress = "from@example";
    TSendMethodProperties expected = actual;
    c.expect(expected);
    sm_.ClearSendMethodFieldsByProtocol(actual);
    EXPECT_EQ(actual, expected);
  }
}

TEST_P(SendMethodTest, EmailWithXmlStoresNoAccountAndNoTemplate) {
  TSendMethodProperties p = FullRecord(ESendMethodProtocol::Email, ESendMethodFormat::XML);
  const int32_t id = sm_.AddSendMethodProperties2(p);
  ASSERT_GT(id, 0);
  EXPECT_EQ(Column(id, "USERNAME"), "");
  EXPECT_EQ(Password(id), "");
  EXPECT_EQ(Column(id, "EXCELTEMPLATE"), "");
  EXPECT_EQ(Column(id, "PORT"), "0");
  EXPECT_EQ(Column(id, "AUTOPUSH"), "1");
  EXPECT_EQ(Column(id, "PROTOCOL"), "10");
  EXPECT_EQ(Column(id, "ADDRESS"), "dest'ination ü");
  EXPECT_EQ(Column(id, "ATTACHMENTS"), "0");  // the column default: the 2 form writes no array
  EXPECT_EQ(p.sUser, "");                     // the caller's record is cleared too
}

TEST_P(SendMethodTest, FolderWithExcelKeepsTheTemplateOnlyWhenCreating) {
  TSendMethodProperties create =
      FullRecord(ESendMethodProtocol::FilePath, ESendMethodFormat::Excel, EWriteMode::Create);
  TSendMethodProperties append =
      FullRecord(ESendMethodProtocol::FilePath, ESendMethodFormat::Excel, EWriteMode::Append);
  const int32_t created = sm_.AddSendMethodProperties2(create);
  const int32_t appended = sm_.AddSendMethodProperties2(append);
  EXPECT_EQ(Column(created, "EXCELTEMPLATE"), "tmpl'ü.xls");
  EXPECT_EQ(Column(created, "WRITEMODE"), "20");
  EXPECT_EQ(Column(appended, "EXCELTEMPLATE"), "");
  EXPECT_EQ(Column(appended, "WRITEMODE"), "10");
}

TEST_P(SendMethodTest, MethodCallAddressOfTwoDotsIsStoredEmpty) {
  TSendMethodProperties p = FullRecord(ESendMethodProtocol::MethodCall, ESendMethodFormat::XML);
  p.sAddress = "..";
  const int32_t id = sm_.AddSendMethodProperties2(p);
  EXPECT_EQ(Column(id, "ADDRESS"), "");
  TSendMethodProperties folder = FullRecord(ESendMethodProtocol::FilePath, ESendMethodFormat::XML);
  folder.sAddress = "..";
  EXPECT_EQ(Column(sm_.AddSendMethodProperties2(folder), "ADDRESS"), "..");
  p.sAddress = "..";
  TSendMethodProperties ftp = FullRecord(ESendMethodProtocol::Ftp, ESendMethodFormat::XML);
  const int32_t other = sm_.AddSendMethodProperties2(ftp);
  sm_.UpdateSendMethodProperties2(other, p);
  EXPECT_EQ(Column(other, "ADDRESS"), "");
  EXPECT_EQ(Column(other, "PROTOCOL"), "60");
}

TEST_P(SendMethodTest, UpdateKeepsThePasswordBehindEightAsterisksAndClearsAnEmptyOne) {
  TSendMethodProperties p = FullRecord(ESendMethodProtocol::Ftp, ESendMethodFormat::XML);
  const int32_t id = sm_.AddSendMethodProperties2(p);
  EXPECT_EQ(Password(id), "pa'ss");

  p = FullRecord(ESendMethodProtocol::Ftp, ESendMethodFormat::XML);
  p.sPassword = "  ********  ";
  p.sUser = "changed";
  sm_.UpdateSendMethodProperties2(id, p);
  EXPECT_EQ(Password(id), "pa'ss");
  EXPECT_EQ(Column(id, "USERNAME"), "changed");

  p.sPassword = " new'pw ";
  sm_.UpdateSendMethodProperties2(id, p);
  EXPECT_EQ(Password(id), " new'pw ");

  p.sPassword = "*******";
  sm_.UpdateSendMethodProperties2(id, p);
  EXPECT_EQ(Password(id), "*******");

  p.sPassword = "   ";
  sm_.UpdateSendMethodProperties2(id, p);
  EXPECT_EQ(Password(id), "");
}

TEST_P(SendMethodTest, UpdatingAnUnknownIdWritesNothing) {
  TSendMethodProperties p = FullRecord(ESendMethodProtocol::Ftp, ESendMethodFormat::XML);
  VariantArray extension = Texts({"True", "N", "M"});
  sm_.UpdateSendMethodProperties3(987654, p, extension);
  EXPECT_EQ(Count("SENDMETHODPROPERTY"), 0);
}

TEST_P(SendMethodTest, ReadingGivesMinusOneForNullPortsAndAResetRecordForUnknownIds) {
  TSendMethodProperties p = FullRecord(ESendMethodProtocol::Ftp, ESendMethodFormat::OBI);
  p.sXslFileName = "  padded  ";
  const int32_t id = sm_.AddSendMethodProperties2(p);
  Exec(
      "UPDATE SENDMETHODPROPERTY SET PORT = NULL, PROTOCOL = NULL, USERNAME = NULL, "
      "PROXYPORT = 99, SUFFIX = 15 WHERE SENDMETHODID = " +
      std::to_string(id));
  TSendMethodProperties read;
  read.sFromAddress = "kept";
  read.sTempFileName = "kept too";
  sm_.GetSendMethodProperties2(id, read);
  EXPECT_EQ(read.lPort, -1);
  EXPECT_EQ(read.lProxyPort, 99);
  EXPECT_EQ(static_cast<int>(read.nProtocol), 0);
  EXPECT_EQ(static_cast<int>(read.nSuffix), 0);
  EXPECT_EQ(read.nFormat, ESendMethodFormat::OBI);
  EXPECT_EQ(read.sUser, "");
  EXPECT_EQ(read.sXslFileName, "padded");
  EXPECT_EQ(read.sPassword, "pa'ss");
  EXPECT_EQ(read.sFileName, "fïle'name");
  EXPECT_TRUE(read.bAutoPush);
  EXPECT_EQ(read.sFromAddress, "kept");
  EXPECT_EQ(read.sTempFileName, "kept too");

  TSendMethodProperties unknown = FullRecord(ESendMethodProtocol::Ftp, ESendMethodFormat::OBI);
  sm_.GetSendMethodProperties4(id + 100, unknown);
  EXPECT_EQ(unknown.lPort, 0);
  EXPECT_EQ(unknown.sUser, "");
  EXPECT_FALSE(unknown.bAutoPush);
  EXPECT_EQ(unknown.sAddress, "");
  EXPECT_EQ(static_cast<int>(unknown.nFTPTransferType), 0);

  TSendMethodProperties none = FullRecord(ESendMethodProtocol::Ftp, ESendMethodFormat::OBI);
  sm_.GetSendMethodProperties2(-1, none);
  EXPECT_EQ(none.lPort, 0);
  EXPECT_EQ(none.sAddress, "");
}

TEST_P(SendMethodTest, WritersTakeTheFlagFirstAndTheReaderGivesTheNetworkFirst) {
  TSendMethodProperties p = FullRecord(ESendMethodProtocol::EDI, ESendMethodFormat::XML);
  VariantArray written = Texts({"-1", "NET'ü", "merge'file"}, 1);
  const int32_t id = sm_.AddSendMethodProperties3(p, written);
  EXPECT_EQ(Column(id, "ATTACHMENTS"), "1");
  EXPECT_EQ(Column(id, "NETWORKID"), "NET'ü");
  EXPECT_EQ(Column(id, "MERGEFILE"), "merge'file");

  VariantArray read;
  sm_.GetSendMethodProperties3(id, read);
  ASSERT_EQ(read.dimensions(), 1);
  ASSERT_EQ(read.Count(), 3u);
  EXPECT_EQ(read.At(0).ToText(), "NET'ü");
  EXPECT_EQ(read.At(1).ToText(), "True");
  EXPECT_EQ(read.At(2).ToText(), "merge'file");

  // Written back unchanged, the reader's order puts the network id into the flag: the caller
  // must swap the first two elements.
  std::swap(read.At(0), read.At(1));
  read.At(0) = Variant(std::string("False"));
  sm_.UpdateSendMethodProperties3(id, p, read);
  EXPECT_EQ(Column(id, "ATTACHMENTS"), "0");
  EXPECT_EQ(Column(id, "NETWORKID"), "NET'ü");

  // An empty network id leaves the stored one.
  VariantArray blank = Texts({"True", "  ", "m2"});
  sm_.UpdateSendMethodProperties3(id, p, blank);
  EXPECT_EQ(Column(id, "NETWORKID"), "NET'ü");
  EXPECT_EQ(Column(id, "MERGEFILE"), "m2");
  EXPECT_EQ(Column(id, "ATTACHMENTS"), "1");
}

TEST_P(SendMethodTest, ReaderDefaultsAndLeavesTheCallersArrayForMinusOne) {
  TSendMethodProperties p = FullRecord(ESendMethodProtocol::Email, ESendMethodFormat::XML);
  const int32_t id = sm_.AddSendMethodProperties2(p);
  Exec("UPDATE SENDMETHODPROPERTY SET ATTACHMENTS = NULL WHERE SENDMETHODID = " +
       std::to_string(id));
  VariantArray read = Texts({"x"});
  sm_.GetSendMethodProperties3(id, read);
  EXPECT_EQ(read.At(0).ToText(), "");
  EXPECT_EQ(read.At(1).ToText(), "False");
  EXPECT_EQ(read.At(2).ToText(), "");
  VariantArray untouched = Texts({"a", "b"});
  sm_.GetSendMethodProperties3(-1, untouched);
  EXPECT_EQ(untouched, Texts({"a", "b"}));
  VariantArray unknown = Texts({"a"});
  sm_.GetSendMethodProperties3(id + 50, unknown);
  EXPECT_EQ(unknown, Texts({"", "False", ""}));
}

TEST_P(SendMethodTest, WritersRefuseExtensionArraysOfTheWrongShape) {
  TSendMethodProperties p = FullRecord(ESendMethodProtocol::EDI, ESendMethodFormat::XML);
  const int32_t id = sm_.AddSendMethodProperties2(p);
  std::vector<VariantArray> wrong = {VariantArray(), Texts({"True", "N"}),
                                     VariantArray::TwoDimensional(3, 3)};
  for (VariantArray& array : wrong) {
    SCOPED_TRACE(array.dimensions());
    try {
      sm_.AddSendMethodProperties3(p, array);
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(error.number(), kErrSubscriptOutOfRange);
      EXPECT_NE(error.description().find("i_aProperties24"), std::string::npos);
      EXPECT_NE(error.description().find("one-dimensional"), std::string::npos);
      EXPECT_NE(error.description().find("Velmora.SendMethod.AddSendMethodProperties3"),
                std::string::npos);
    }
    try {
      sm_.UpdateSendMethodProperties3(id, p, array);
      ADD_FAILURE() << "no error";
    } catch (const Error& error) {
      EXPECT_EQ(error.number(), kErrSubscriptOutOfRange);
      EXPECT_NE(error.description().find("i_aProperties24"), std::string::npos);
    }
  }
  EXPECT_EQ(Count("SENDMETHODPROPERTY"), 1);
}

TEST_P(SendMethodTest, FlatReaderOfTheNewFormPlaceholderGivesBlankExtensions) {
  // Id -1 is the page's "new send method" form: nothing is stored, the extension values are blank.
  std::vector<Variant> out(20, Variant("stale"));
  sm_.GetSendMethodPropertiesFromAsp2(-1, out[0], out[1], out[2], out[3], out[4], out[5], out[6],
                                      out[7], out[8], out[9], out[10], out[11], out[12], out[13],
                                      out[14], out[15], out[16], out[17], out[18], out[19]);
  EXPECT_EQ(out[17], Variant(false));
  EXPECT_EQ(out[18], Variant(""));
  EXPECT_EQ(out[19], Variant(""));
  EXPECT_EQ(out[4], Variant(""));
}

TEST_P(SendMethodTest, FlatWritersAndReadersKeepEveryValueInItsColumn) {
  const int32_t id = sm_.AddSendMethodPropertiesFromAsp2(
      40, 30, true, "x'sl ü", "ftp.example", 2121, "us'er", "pw'ü", "name'ü", 10, "ext", 20, "tmpl",
      "proxy'ü", 3128, 20, 20, true, "NET'1", "merge'ü");
  EXPECT_EQ(Column(id, "NETWORKID"), "NET'1");
  EXPECT_EQ(Column(id, "ATTACHMENTS"), "1");
  EXPECT_EQ(Column(id, "EXCELTEMPLATE"), "");  // FTP without Excel
  std::vector<Variant> out(20);
  sm_.GetSendMethodPropertiesFromAsp2(id, out[0], out[1], out[2], out[3], out[4], out[5], out[6],
                                      out[7], out[8], out[9], out[10], out[11], out[12], out[13],
                                      out[14], out[15], out[16], out[17], out[18], out[19]);
  EXPECT_EQ(out[0], Variant(int16_t{40}));
  EXPECT_EQ(out[1], Variant(int16_t{30}));
  EXPECT_EQ(out[2], Variant(true));
  EXPECT_EQ(out[3], Variant("x'sl ü"));
  EXPECT_EQ(out[5], Variant(int32_t{2121}));
  EXPECT_EQ(out[6], Variant("us'er"));
  EXPECT_EQ(out[7], Variant("pw'ü"));
  EXPECT_EQ(out[8], Variant("name'ü"));
  EXPECT_EQ(out[9], Variant(int16_t{10}));
  EXPECT_EQ(out[11], Variant(int16_t{0}));
  EXPECT_EQ(out[13], Variant("proxy'ü"));
  EXPECT_EQ(out[14], Variant(int32_t{3128}));
  EXPECT_EQ(out[15], Variant(int16_t{20}));
  EXPECT_EQ(out[16], Variant(int16_t{20}));
  EXPECT_EQ(out[17], Variant(true));
  EXPECT_EQ(out[18], Variant("NET'1"));
  EXPECT_EQ(out[19], Variant("merge'ü"));

  // Written back as read, nothing moves.
  sm_.UpdateSendMethodPropertiesFromAsp2(
      id, out[0].ToInt16(), out[1].ToInt16(), out[2].ToBool(), out[3].ToText(), out[4].ToText(),
      out[5].ToInt32(), out[6].ToText(), "********", out[8].ToText(), out[9].ToInt16(),
      out[10].ToText(), out[11].ToInt16(), out[12].ToText(), out[13].ToText(), out[14].ToInt32(),
      out[15].ToInt16(), out[16].ToInt16(), out[17].ToBool(), out[18].ToText(), out[19].ToText());
  EXPECT_EQ(Column(id, "NETWORKID"), "NET'1");
  EXPECT_EQ(Column(id, "ATTACHMENTS"), "1");
  EXPECT_EQ(Column(id, "MERGEFILE"), "merge'ü");
  EXPECT_EQ(Password(id), "pw'ü");

  std::vector<Variant> first(17);
  sm_.GetSendMethodPropertiesFromAsp(id, first[0], first[1], first[2], first[3], first[4], first[5],
                                     first[6], first[7], first[8], first[9], first[10], first[11],
                                     first[12], first[13], first[14], first[15], first[16]);
  EXPECT_EQ(first[4], Variant("ftp.example"));
  EXPECT_EQ(first[16], Variant(int16_t{20}));

  const int32_t plain = sm_.AddSendMethodPropertiesFromAsp(10, 10, false, "", "a@b", 0, "", "", "",
                                                           20, "", 0, "t'ü", "", 0, 10, 0);
  EXPECT_EQ(Column(plain, "EXCELTEMPLATE"), "t'ü");  // e-mail with Excel keeps it
  EXPECT_EQ(Column(plain, "AUTOPUSH"), "0");
  EXPECT_EQ(Column(plain, "SUFFIX"), "20");
  sm_.UpdateSendMethodPropertiesFromAsp(plain, 10, 30, true, "", "c@d", 0, "", "", "", 20, "", 0,
                                        "t'ü", "", 0, 10, 0);
  EXPECT_EQ(Column(plain, "EXCELTEMPLATE"), "");
  EXPECT_EQ(Column(plain, "ADDRESS"), "c@d");
  EXPECT_EQ(Column(plain, "AUTOPUSH"), "1");
}

TEST_P(SendMethodTest, LinkingReusesTheMinusOnePlaceholderOfARuleBoundTriple) {
  std::string type = kType;
  int32_t partner = 12;
  int32_t rule = 7;
  TSendMethodProperties p = FullRecord(ESendMethodProtocol::Email, ESendMethodFormat::XML);
  int32_t first = sm_.AddSendMethodProperties2(p);
  sm_.AddSendMethod2(first, partner, type, rule);
  const std::string triple = "BUSINESSPARTNERID = 12 AND RULEID = 7";
  EXPECT_EQ(Count("SENDMETHOD", triple), 1);

  sm_.DeleteSendMethod2(std::to_string(first), partner, rule, type);
  EXPECT_EQ(Count("SENDMETHOD", triple), 1);
  EXPECT_EQ(Scalar("SELECT SENDMETHODID FROM SENDMETHOD WHERE " + triple).ToInt32(), -1);
  EXPECT_EQ(Scalar("SELECT DOCUMENTTYPEID FROM SENDMETHOD WHERE " + triple).ToText(), kType);
  EXPECT_EQ(Count("SENDMETHODPROPERTY"), 0);

  int32_t none = -1;
  sm_.AddSendMethod2(none, partner, type, rule);
  EXPECT_EQ(Count("SENDMETHOD", triple), 1);

  int32_t second = sm_.AddSendMethodProperties2(p);
  sm_.AddSendMethod2(second, partner, type, rule);
  EXPECT_EQ(Count("SENDMETHOD", triple), 1);
  EXPECT_EQ(Scalar("SELECT SENDMETHODID FROM SENDMETHOD WHERE " + triple).ToInt32(), second);

  int32_t third = sm_.AddSendMethodProperties2(p);
  sm_.AddSendMethod2(third, partner, type, rule);
  EXPECT_EQ(Count("SENDMETHOD", triple), 2);
  // With two send methods, unlinking one deletes its row.
  sm_.DeleteSendMethod2(std::to_string(third), partner, rule, type);
  EXPECT_EQ(Count("SENDMETHOD", triple), 1);
  EXPECT_EQ(Scalar("SELECT SENDMETHODID FROM SENDMETHOD WHERE " + triple).ToInt32(), second);
}

TEST_P(SendMethodTest, UnlinkingWithoutRuleDeletesTheLinkAndTheProperties) {
  std::string type = kType;
  int32_t partner = 3;
  int32_t rule = -1;
  TSendMethodProperties p = FullRecord(ESendMethodProtocol::Fax, ESendMethodFormat::XML);
  int32_t id = sm_.AddSendMethodProperties2(p);
  int32_t kept = sm_.AddSendMethodProperties2(p);
  sm_.AddSendMethod2(id, partner, type, rule);
  sm_.AddSendMethod2(kept, partner, type, rule);
  EXPECT_EQ(Count("SENDMETHOD"), 2);
  sm_.DeleteSendMethod2(" " + std::to_string(id) + " ", partner, rule, type);
  EXPECT_EQ(Count("SENDMETHOD"), 1);
  EXPECT_EQ(Count("SENDMETHODPROPERTY"), 1);
  EXPECT_EQ(Scalar("SELECT SENDMETHODID FROM SENDMETHOD").ToInt32(), kept);
}

// Regression: the id text of DeleteSendMethod2 was pasted into the statement unchanged.
TEST_P(SendMethodTest, UnlinkingRefusesAnIdTextThatIsNotANumber) {
  std::string type = "T";
  int32_t partner = 3;
  int32_t rule = -1;
  TSendMethodProperties p = FullRecord(ESendMethodProtocol::Fax, ESendMethodFormat::XML);
  int32_t id = sm_.AddSendMethodProperties2(p);
  sm_.AddSendMethod2(id, partner, type, rule);
  EXPECT_THROW(sm_.DeleteSendMethod2("0 OR 1=1", partner, rule, type), Error);
  EXPECT_EQ(Count("SENDMETHOD"), 1);
  EXPECT_EQ(Count("SENDMETHODPROPERTY"), 1);
}

TEST_P(SendMethodTest, ListingLeavesOutManualDownloads) {
  std::string type = kType;
  int32_t partner = 5;
  int32_t rule = -1;
  TSendMethodProperties mail = FullRecord(ESendMethodProtocol::Email, ESendMethodFormat::XML);
  int32_t pushed = sm_.AddSendMethodProperties2(mail);
  sm_.AddSendMethod2(pushed, partner, type, rule);
  AddManualDownload(partner, type, ESendMethodFormat::XML, ESendMethodFileFormat::ASCII, "m.xsl");
  auto ids = sm_.GetSendMethodIDs(partner, type, rule);
  ASSERT_NE(ids, nullptr);
  ASSERT_FALSE(ids->IsEOF());
  EXPECT_EQ(ids->Field("SENDMETHODID").ToInt32(), pushed);
  ids->MoveNext();
  EXPECT_TRUE(ids->IsEOF());
  EXPECT_TRUE(sm_.GetSendMethodIDs(partner, "other", rule)->IsEOF());
  EXPECT_TRUE(sm_.GetSendMethodIDs(partner, type, 4)->IsEOF());
}

// Regression: the document type was pasted between quotes without doubling them.
TEST_P(SendMethodTest, ManualDownloadFindsTypesWithQuotes) {
  const int32_t excel = AddManualDownload(8, kType, ESendMethodFormat::Excel,
                                          ESendMethodFileFormat::Unicode, "excel'ü.xsl");
  const int32_t xml = AddManualDownload(8, kType, ESendMethodFormat::XML,
                                        ESendMethodFileFormat::Unicode, "xml'ü.xsl");
  EXPECT_TRUE(sm_.DownloadSendMethodExists(8, kType, ESendMethodFormat::Excel, 0));
  EXPECT_TRUE(sm_.DownloadSendMethodExists(8, kType, ESendMethodFormat::Excel, 20));
  EXPECT_FALSE(sm_.DownloadSendMethodExists(8, kType, ESendMethodFormat::Excel, 10));
  EXPECT_FALSE(sm_.DownloadSendMethodExists(8, kType, ESendMethodFormat::OBI, 0));
  EXPECT_FALSE(sm_.DownloadSendMethodExists(9, kType, ESendMethodFormat::Excel, 0));
  EXPECT_FALSE(sm_.DownloadSendMethodExists(8, "x' OR '1'='1", ESendMethodFormat::Excel, 0));

  TSendMethodProperties props;
  // The file format counts for XML only.
  EXPECT_EQ(sm_.GetSendMethodManualDownload(8, kType, ESendMethodFormat::Excel,
                                            ESendMethodFileFormat::ASCII, props),
            excel);
  EXPECT_EQ(props.sXslFileName, "excel'ü.xsl");
  EXPECT_EQ(props.nProtocol, ESendMethodProtocol::ManualDownload);
  EXPECT_EQ(sm_.GetSendMethodManualDownload(8, kType, ESendMethodFormat::XML,
                                            ESendMethodFileFormat::Unicode, props),
            xml);
  EXPECT_EQ(props.sXslFileName, "xml'ü.xsl");
  EXPECT_THROW(sm_.GetSendMethodManualDownload(8, kType, ESendMethodFormat::XML,
                                               ESendMethodFileFormat::ASCII, props),
               Error);
}

TEST_P(SendMethodTest, LabelsArePlaceholdersOrEmpty) {
  using P = ESendMethodProtocol;
  EXPECT_EQ(sm_.GetSendMethodProtocolLabel(P::Email), "[%ZODAR4428%]");
  EXPECT_EQ(sm_.GetSendMethodProtocolLabel(P::Fax), "[%ZODAR4429%]");
  EXPECT_EQ(sm_.GetSendMethodProtocolLabel(P::FilePath), "[%ZODAR4430%]");
  EXPECT_EQ(sm_.GetSendMethodProtocolLabel(P::Ftp), "[%ZODAR4431%]");
  EXPECT_EQ(sm_.GetSendMethodProtocolLabel(P::Http), "[%ZODAR4432%]");
  EXPECT_EQ(sm_.GetSendMethodProtocolLabel(P::MethodCall), "[%ZODAR4433%]");
  EXPECT_EQ(sm_.GetSendMethodProtocolLabel(P::EDI), "[%ZODAR4434%]");
  EXPECT_EQ(sm_.GetSendMethodProtocolLabel(P::ManualDownload), "");
  EXPECT_EQ(sm_.GetSendMethodProtocolLabel(static_cast<P>(0)), "");
  EXPECT_EQ(sm_.GetSendMethodFormatLabel(static_cast<P>(10)), "[%ZODAR5556%]");
  EXPECT_EQ(sm_.GetSendMethodFormatLabel(static_cast<P>(20)), "[%ZODAR5555%]");
  EXPECT_EQ(sm_.GetSendMethodFormatLabel(static_cast<P>(30)), "[%ZODAR5554%]");
  EXPECT_EQ(sm_.GetSendMethodFormatLabel(P::Ftp), "");
  EXPECT_EQ(sm_.GetSendMethodFileFormatLabel(ESendMethodFileFormat::ASCII), "[%ZODAR5057%]");
  EXPECT_EQ(sm_.GetSendMethodFileFormatLabel(ESendMethodFileFormat::Unicode), "[%ZODAR5058%]");
  EXPECT_EQ(sm_.GetSendMethodFileFormatLabel(static_cast<ESendMethodFileFormat>(30)), "");
}

TEST_P(SendMethodTest, HistoryRecordsOneRowPerExecution) {
  sm_.AddSendMethodToHistory(4, 12, -1, 99, kType, 0, sm_.getSendMethodStatus_SENT());
  sm_.AddSendMethodToHistory(4, 12, 7, 100, kType, 31, sm_.getSendMethodStatus_NOTSENT());
  EXPECT_EQ(Count("SENDMETHODHISTORY"), 2);
  EXPECT_EQ(Scalar("SELECT STATUS FROM SENDMETHODHISTORY WHERE DOCUMENTID = 99").ToInt32(), 1);
  EXPECT_EQ(
      Scalar("SELECT PUBLICATIONERRORID FROM SENDMETHODHISTORY WHERE DOCUMENTID = 100").ToInt32(),
      31);
  EXPECT_EQ(Scalar("SELECT DOCUMENTTYPEID FROM SENDMETHODHISTORY WHERE DOCUMENTID = 100").ToText(),
            kType);
  EXPECT_FALSE(Scalar("SELECT SENDDATE FROM SENDMETHODHISTORY WHERE DOCUMENTID = 100").IsNull());
}

TEST_P(SendMethodTest, RetiredOperationsRaiseNewerVersionAvailable) {
  Variant o[12];
  try {
    sm_.GetSendMethodData(1, o[0], o[1], o[2], o[3], o[4], o[5], o[6], o[7], o[8], o[9], o[10],
                          o[11]);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::NewerVersionAvailable));
    EXPECT_EQ(error.source(), "Velmora.SendMethod.GetSendMethodData");
    EXPECT_NE(error.description().find("Use GetSendMethodProperties2 instead."), std::string::npos);
    EXPECT_NE(error.description().find("METHOD: Velmora.SendMethod.GetSendMethodData"),
              std::string::npos);
  }
  try {
    sm_.GetSendMethodID(1, "T");
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), ErrNumber(EnumerationErrors::NewerVersionAvailable));
    EXPECT_EQ(error.source(), "Velmora.SendMethod.GetSendMethodID");
    EXPECT_NE(error.description().find("no longer supported"), std::string::npos);
  }
}

TEST_P(SendMethodTest, AutomationCallsCarryTheRecordAsADictionary) {
  automation::ClassRegistry registry;
  automation::RegisterDeliveryClasses(registry);
  auto record = std::make_shared<Dictionary>();
  record->Add("nProtocol", Variant(int32_t{40}));
  record->Add("nFormat", Variant(int32_t{30}));
  record->Add("sAddress", Variant("ftp.exämple"));
  record->Add("sPassword", Variant("p'w"));
  record->Add("sExcelTemplate", Variant("dropped"));
  std::vector<Variant> args = {Variant(ObjectRef(record))};
  const int32_t id =
      registry.Call("Velmora.SendMethod", "AddSendMethodProperties2", args).ToInt32();
  ASSERT_GT(id, 0);
  auto cleared = args[0].As<Dictionary>();
  ASSERT_NE(cleared, nullptr);
  EXPECT_EQ(cleared->Item("sExcelTemplate").ToText(), "");

  std::vector<Variant> read = {Variant(id), Variant()};
  registry.Call("Velmora.SendMethod", "GetSendMethodProperties2", read);
  auto props = read[1].As<Dictionary>();
  ASSERT_NE(props, nullptr);
  EXPECT_EQ(props->Item("sAddress").ToText(), "ftp.exämple");
  EXPECT_EQ(props->Item("nProtocol").ToInt32(), 40);

  std::vector<Variant> wrong = {Variant(ObjectRef(record)), Variant(Texts({"True"}))};
  try {
    registry.Call("Velmora.SendMethod", "AddSendMethodProperties3", wrong);
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), kErrSubscriptOutOfRange);
  }

  std::vector<Variant> label = {Variant(int32_t{70})};
  EXPECT_EQ(registry.Call("Velmora.SendMethod", "GetSendMethodProtocolLabel", label).ToText(), "");
  std::vector<Variant> extension = {Variant(id), Variant()};
  registry.Call("Velmora.SendMethod", "GetSendMethodProperties3", extension);
  EXPECT_EQ(extension[1].AsArray().At(1).ToText(), "False");
}

VELMORA_INSTANTIATE_DB_ENGINE_TESTS(SendMethodTest);

}  // namespace
}  // namespace velmora
