// The arguments of a BoxList call read and checked: the counts against their arrays, the tag
// ids and the filters as GetDocListQuery reads them, each filter's condition placed where the
// paged queries evaluate it.
#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "boxes/box_list_query.h"
#include "boxes/doc_list_query.h"
#include "routing/users.h"
#include "velmora/base/enumeration_errors.h"
#include "velmora/base/error.h"
#include "velmora/base/text.h"

namespace velmora::boxes {
namespace {

constexpr const char* kDocumentColumns[] = {"DOCUMENTID",      "DOCUMENTTYPEID",  "STATUS",
                                            "SENDER",          "DEFAULTRECEIVER", "SHOW",
                                            "DOC_DOCUMENTID",  "XMLBODY",         "TEMPXMLBODY",
                                            "ORIGINALXMLBODY", "CREATIONDATE",    "ENTRANCEDATE"};
constexpr const char* kPublicationColumns[] = {"DOCUMENTID", "USERID", "STATUS", "FORWARD",
                                               "PUBLICATIONERRORID"};

const char* BoxName(int32_t mode) {
  return mode == kInBox ? "inbox" : mode == kErrorBox ? "error box" : "out box";
}

template <size_t N>
bool Lists(const char* const (&columns)[N], const std::string& column) {
  return std::any_of(std::begin(columns), std::end(columns),
                     [&](const char* known) { return column == known; });
}

// The elements 1 ... count of `array` exist; a negative count or one beyond the array is
// refused.
void CheckCount(const VariantArray& array, int32_t count, const std::string& what,
                const std::string& source) {
  const int32_t last = array.dimensions() == 1 ? array.UBound() : 0;
  const bool from_one = count == 0 || (array.dimensions() == 1 && array.LBound() <= 1);
  if (count < 0 || count > last || !from_one) {
    RaiseError(EnumerationErrors::InvalidParamValue, source,
               "The " + what + " count " + std::to_string(count) +
                   " does not fit its array: elements 1 ... count are read and the array ends at " +
                   std::to_string(last) + ".");
  }
}

// Where a filter's condition is evaluated; refuses a column the list does not have.
enum class Place { kDocumentRow, kPublication };

Place PlaceOfFilter(const BoxListRequest& request, const std::string& name, size_t& tag,
                    const std::string& source) {
  static const std::regex kQualified(R"(^ *([A-Za-z_][A-Za-z0-9_]*)\.([A-Za-z_][A-Za-z0-9_]*))");
  std::smatch match;
  std::regex_search(name, match, kQualified);
  const std::string table = text::ToUpper(match[1].str());
  const std::string column = text::ToUpper(match[2].str());
  tag = 0;
  if (table == "DOCUMENT" && Lists(kDocumentColumns, column)) {
    return Place::kDocumentRow;
  }
  if (table == "PUBLICATION" && request.mode != kErrorBox && Lists(kPublicationColumns, column)) {
    return request.mode == kInBox ? Place::kDocumentRow : Place::kPublication;
  }
  int64_t number = 0;
  if (table.size() > 1 && table[0] == 'T' && text::ParseInt64(table.substr(1), number) &&
      number >= 1 && number <= static_cast<int64_t>(request.tag_ids.size()) &&
      (column == "TAGVALUE" || column == "DOCUMENTID")) {
    tag = static_cast<size_t>(number);
    return Place::kDocumentRow;
  }
  RaiseError(EnumerationErrors::InvalidParamValue, source,
             "The filter '" + name + "' names no column of the " + BoxName(request.mode) +
                 ": filters name a column of DOCUMENT" +
                 (request.mode == kErrorBox ? "" : ", of PUBLICATION") +
                 " or the TAGVALUE of a listed tag (T1 ... Tn).");
}

// Runs a piece of GetDocListQuery that fills `errors` before it refuses; its refusal is raised
// again from `source` with the messages of the list in one description.
template <class Piece>
auto WithListMessages(const std::string& source, Piece piece) {
  ErrorList errors;
  try {
    return piece(errors);
  } catch (const Error&) {
    std::vector<std::string> messages;
    for (const std::string& message : errors) {
      if (!text::Trim(message).empty()) {
        messages.push_back(text::Trim(message));
      }
    }
    if (messages.empty()) {
      throw;
    }
    RaiseError(EnumerationErrors::InvalidParamValue, source, text::Join(messages, " "));
  }
}

// The tag ids as whole numbers; GetDocListQuery's own check refuses anything else first.
std::vector<int32_t> ReadTagIds(const VariantArray& tag_ids, int32_t count,
                                const std::string& source) {
  WithListMessages(source, [&](ErrorList& errors) {
    return AddTagConfigFieldsToFromClause(tag_ids, count, errors);
  });
  std::vector<int32_t> ids;
  for (int32_t i = 1; i <= count; ++i) {
    const Variant& value = tag_ids.At(i);
    int64_t id = 0;
    if (value.kind() != Variant::Kind::kText || !text::ParseInt64(value.ToText(), id)) {
      id = value.ToInt64();
    }
    ids.push_back(static_cast<int32_t>(id));
  }
  return ids;
}

void AddFilter(BoxListRequest& request, const Variant& name, const Variant& value,
               const std::string& source) {
  VariantArray names(2);
  VariantArray values(2);
  names.At(1) = name;
  values.At(1) = value;
  const std::string condition = WithListMessages(source, [&](ErrorList& errors) {
    return GetQueryFilter(request.mode, names, values, 1, errors);
  });
  const std::string shown = name.ToText();
  if (condition.empty()) {
    RaiseError(EnumerationErrors::InvalidParamValue, source,
               "The filter '" + shown + "' does not narrow the " + BoxName(request.mode) +
                   ": it applies LIKE filters, document id filters" +
                   (request.mode == kErrorBox ? "" : " and status filters") + ".");
  }
  size_t tag = 0;
  if (PlaceOfFilter(request, shown, tag, source) == Place::kPublication) {
    request.publication_conditions += condition;
    return;
  }
  request.conditions += condition;
  if (tag != 0) {
    request.filtered_tags.insert(tag);
  }
}

}  // namespace

BoxListRequest ReadBoxListRequest(int32_t mode, const std::string& doc_type,
                                  const VariantArray& tag_ids, int32_t tag_count,
                                  const VariantArray& filter_names,
                                  const VariantArray& filter_values, int32_t filter_count,
                                  const std::string& user, const std::string& source) {
  BoxListRequest request;
  request.mode = (mode == kInBox || mode == kErrorBox) ? mode : kOutBox;
  request.doc_type = doc_type;
  request.user = user;
  CheckCount(tag_ids, tag_count, "tag", source);
  CheckCount(filter_names, filter_count, "filter", source);
  CheckCount(filter_values, filter_count, "filter", source);
  request.tag_ids = ReadTagIds(tag_ids, tag_count, source);
  for (int32_t i = 1; i <= filter_count; ++i) {
    AddFilter(request, filter_names.At(i), filter_values.At(i), source);
  }
  if (request.mode == kErrorBox) {
    request.partner = routing::users::PartnerOf(user);
  }
  return request;
}

}  // namespace velmora::boxes
