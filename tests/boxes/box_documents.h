#pragma once

#include <functional>
#include <string>

// The documents of the box tests, written through `exec` (one statement per call) into a
// database with Velmora's schema. Users: "o'neil" (partner 10), "bob" and "sam" (partner 20).
// Type "ORD'ER" has tags 11, 12, 13.
//
//  doc  type     status sender  show parent  publications (user:status)   in o'neil's lists
//   1   ORD'ER   1      sam     1    -       o'neil:0 bob:1               inbox, error box
//   2   ORD'ER   1      sam     1    -       o'neil:2 (removed)           -
//   3   ORD'ER   0      sam     1    -       o'neil:0 (document new)      -
//   4   ORD'ER   1      sam     0    -       o'neil:0 (not shown)         -
//   5   OTHER    1      sam     1    -       o'neil:0                     -
//   6   ORD'ER   1      o'neil  1    -       bob:0 sam:0                  out box, error box
//   7   ORD'ER   5      o'neil  1    6       bob:0                        out box, error box
//   8   ORD'ER   4      o'neil  1    -       -                            -
//   9   ORD'ER   1      sam     1    1       o'neil:5                     inbox
//  10   ''       1      o'neil  1    -       o'neil:0                     -
//
// Tags: document 1 has 11 "alpha" and 12 "beta's"; document 6 has 11 "six". Document 1 has two
// attachments. Publication errors (closed bits): 6 (0), 1 (2, delivered by partner 10),
// 2 (0, partner 10), 8 (2), 4 (0, partner 10), 7 (1).
namespace velmora::boxes {

inline void SeedBoxDocuments(const std::function<void(const std::string&)>& exec) {
  exec("INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME) VALUES (10, 'Acme')");
  exec("INSERT INTO BUSINESSPARTNER (BUSINESSPARTNERID, NAME) VALUES (20, 'Beta')");
  exec("INSERT INTO MEMBERUSER (USERID, BUSINESSPARTNERID) VALUES ('o''neil', 10)");
  exec("INSERT INTO MEMBERUSER (USERID, BUSINESSPARTNERID) VALUES ('bob', 20)");
  exec("INSERT INTO MEMBERUSER (USERID, BUSINESSPARTNERID) VALUES ('sam', 20)");
  exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) VALUES ('ORD''ER', 'Orders')");
  exec("INSERT INTO DOCUMENTTYPE (DOCUMENTTYPEID, DESCRIPTION) VALUES ('OTHER', 'Other')");
  struct Doc {
    int id;
    const char* type;
    int status;
    const char* sender;
    int show;
    const char* parent;
  };
  const Doc docs[] = {
      {1, "'ORD''ER'", 1, "sam", 1, "NULL"},  {2, "'ORD''ER'", 1, "sam", 1, "NULL"},
      {3, "'ORD''ER'", 0, "sam", 1, "NULL"},  {4, "'ORD''ER'", 1, "sam", 0, "NULL"},
      {5, "'OTHER'", 1, "sam", 1, "NULL"},    {6, "'ORD''ER'", 1, "o''neil", 1, "NULL"},
      {7, "'ORD''ER'", 5, "o''neil", 1, "6"}, {8, "'ORD''ER'", 4, "o''neil", 1, "NULL"},
      {9, "'ORD''ER'", 1, "sam", 1, "1"},     {10, "''", 1, "o''neil", 1, "NULL"},
  };
  for (const Doc& d : docs) {
    exec(
        "INSERT INTO DOCUMENT (DOCUMENTID, DOCUMENTTYPEID, STATUS, SENDER, SHOW, DOC_DOCUMENTID, "
        "XMLBODY, CREATIONDATE) VALUES (" +
        std::to_string(d.id) + ", " + d.type + ", " + std::to_string(d.status) + ", '" + d.sender +
        "', " + std::to_string(d.show) + ", " + d.parent + ", '<ORDER/>', '2026-01-0" +
        std::to_string(d.id % 9 + 1) + " 10:00:00')");
  }
  const char* publications[][3] = {
      {"1", "o''neil", "0"}, {"1", "bob", "1"},     {"2", "o''neil", "2"},  {"3", "o''neil", "0"},
      {"4", "o''neil", "0"}, {"5", "o''neil", "0"}, {"6", "bob", "0"},      {"6", "sam", "0"},
      {"7", "bob", "0"},     {"9", "o''neil", "5"}, {"10", "o''neil", "0"},
  };
  for (const auto& p : publications) {
    exec(std::string("INSERT INTO PUBLICATION (DOCUMENTID, USERID, STATUS, FORWARD) VALUES (") +
         p[0] + ", '" + p[1] + "', " + p[2] + ", 0)");
  }
  for (const char* tag : {"11, 'ORD''ER', 'Order number', 1", "12, 'ORD''ER', 'Buyer', 2",
                          "13, 'ORD''ER', 'Amount', 3"}) {
    exec(std::string("INSERT INTO TAGSCONFIG (TAGID, DOCUMENTTYPEID, DESCRIPTION, "
                     "SEQUENCENUMBER) VALUES (") +
         tag + ")");
  }
  for (const char* value : {"1, 11, 'alpha'", "1, 12, 'beta''s'", "6, 11, 'six'"}) {
    exec(std::string("INSERT INTO TAGSVALUE (DOCUMENTID, TAGID, TAGVALUE) VALUES (") + value + ")");
  }
  exec(
      "INSERT INTO ATTACHMENT (ATTACHMENTID, DOCUMENTID, ATTACHMENTFILENAME) VALUES (1, 1, "
      "'terms.pdf')");
  exec(
      "INSERT INTO ATTACHMENT (ATTACHMENTID, DOCUMENTID, ATTACHMENTFILENAME) VALUES (2, 1, "
      "'price''s list.xls')");
  const int errors[][4] = {{1, 6, 0, 0}, {2, 1, 2, 10}, {3, 2, 0, 10},
                           {4, 8, 2, 0}, {5, 4, 0, 10}, {6, 7, 1, 0}};
  for (const auto& e : errors) {
    exec("INSERT INTO PUBLICATIONERRORS (PUBLICATIONERRORID, DOCUMENTID, LABEL, CLOSED) VALUES (" +
         std::to_string(e[0]) + ", " + std::to_string(e[1]) + ", 'ZODAR0008', " +
         std::to_string(e[2]) + ")");
    if (e[3] != 0) {
      exec(
          "INSERT INTO SENDMETHODHISTORY (SENDMETHODID, BUSINESSPARTNERID, RULEID, DOCUMENTID, "
          "DOCUMENTTYPEID, PUBLICATIONERRORID, STATUS) VALUES (1, " +
          std::to_string(e[3]) + ", -1, " + std::to_string(e[1]) + ", 'ORD''ER', " +
          std::to_string(e[0]) + ", 0)");
    }
  }
}

}  // namespace velmora::boxes
