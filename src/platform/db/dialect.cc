#include "platform/db/dialect.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <vector>

#include "velmora/base/date_time.h"
#include "velmora/base/text.h"

namespace velmora::db {
namespace {

// Scanning: the text cut into pieces that are code, string literals, quoted identifiers or
// comments. Only code pieces are ever rewritten (and string literals, by the date rule).
enum class PieceKind { kCode, kString, kQuotedName, kComment };

struct Piece {
  PieceKind kind;
  size_t begin;
  size_t end;  // one past the last character
};

// End of a quoted piece starting at `begin` (the opening quote), where the quote character
// doubled stands for itself; an unterminated piece runs to the end of the text.
size_t QuotedEnd(std::string_view sql, size_t begin, char quote) {
  size_t i = begin + 1;
  while (i < sql.size()) {
    if (sql[i] == quote) {
      if (i + 1 < sql.size() && sql[i + 1] == quote) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return sql.size();
}

std::vector<Piece> Scan(std::string_view sql) {
  std::vector<Piece> pieces;
  size_t code_begin = 0;
  size_t i = 0;
  auto flush_code = [&](size_t end) {
    if (end > code_begin) {
      pieces.push_back({PieceKind::kCode, code_begin, end});
    }
  };
  while (i < sql.size()) {
    char c = sql[i];
    size_t end = 0;
    PieceKind kind = PieceKind::kCode;
    if (c == '\'') {
      kind = PieceKind::kString;
      end = QuotedEnd(sql, i, '\'');
    } else if (c == '"') {
      kind = PieceKind::kQuotedName;
      end = QuotedEnd(sql, i, '"');
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      kind = PieceKind::kComment;
      end = sql.find('\n', i);
      end = end == std::string_view::npos ? sql.size() : end;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      kind = PieceKind::kComment;
      end = sql.find("*/", i + 2);
      end = end == std::string_view::npos ? sql.size() : end + 2;
    } else {
      ++i;
      continue;
    }
    flush_code(i);
    pieces.push_back({kind, i, end});
    i = end;
    code_begin = end;
  }
  flush_code(sql.size());
  return pieces;
}

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// One replacement of the original text: [begin, end) becomes `text`.
struct Edit {
  size_t begin;
  size_t end;
  std::string text;
};

// "dbo." owner prefixes inside code pieces.
void FindOwnerPrefixes(std::string_view sql, const std::vector<Piece>& pieces,
                       std::vector<Edit>& edits) {
  for (const Piece& piece : pieces) {
    if (piece.kind != PieceKind::kCode) {
      continue;
    }
    size_t from = piece.begin;
    while (true) {
      size_t at = text::IFind(sql.substr(0, piece.end), "dbo.", from);
      if (at == std::string::npos) {
        break;
      }
      bool starts_name = at == 0 || (!IsNameChar(sql[at - 1]) && sql[at - 1] != '.');
      if (starts_name) {
        edits.push_back({at, at + 4, ""});
      }
      from = at + 4;
    }
  }
}

// "M/D/YYYY" with an optional " h:mm[:ss] [AM|PM]" as ISO text, or nullopt.
std::optional<std::string> IsoDate(std::string_view s) {
  size_t pos = 0;
  std::optional<int> month = ReadDigitRun(s, pos, 1, 2);
  if (!month || pos >= s.size() || s[pos++] != '/') {
    return std::nullopt;
  }
  std::optional<int> day = ReadDigitRun(s, pos, 1, 2);
  if (!day || pos >= s.size() || s[pos++] != '/') {
    return std::nullopt;
  }
  std::optional<int> year = ReadDigitRun(s, pos, 4, 4);
  if (!year || *month < 1 || *month > 12 || *day < 1 ||
      *day > DateTime::DaysInMonth(*year, *month)) {
    return std::nullopt;
  }
  char buffer[64];
  if (pos == s.size()) {
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", *year, *month, *day);
    return std::string(buffer);
  }
  if (s[pos] != ' ') {
    return std::nullopt;
  }
  while (pos < s.size() && s[pos] == ' ') {
    ++pos;
  }
  std::optional<int> hour = ReadDigitRun(s, pos, 1, 2);
  if (!hour || pos >= s.size() || s[pos++] != ':') {
    return std::nullopt;
  }
  std::optional<int> minute = ReadDigitRun(s, pos, 2, 2);
  if (!minute) {
    return std::nullopt;
  }
  int second = 0;
  if (pos < s.size() && s[pos] == ':') {
    ++pos;
    std::optional<int> read = ReadDigitRun(s, pos, 2, 2);
    if (!read) {
      return std::nullopt;
    }
    second = *read;
  }
  size_t after_time = pos;
  while (pos < s.size() && s[pos] == ' ') {
    ++pos;
  }
  int h = *hour;
  if (pos < s.size()) {
    std::string_view marker = s.substr(pos);
    bool am = text::IEquals(marker, "AM");
    bool pm = text::IEquals(marker, "PM");
    if (!am && !pm) {
      return std::nullopt;
    }
    if (h < 1 || h > 12) {
      return std::nullopt;
    }
    h = h % 12 + (pm ? 12 : 0);
  } else if (after_time != s.size()) {
    return std::nullopt;
  }
  if (h > 23 || *minute > 59 || second > 59) {
    return std::nullopt;
  }
  std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", *year, *month, *day, h,
                *minute, second);
  return std::string(buffer);
}

void FindDateLiterals(std::string_view sql, const std::vector<Piece>& pieces,
                      std::vector<Edit>& edits) {
  for (const Piece& piece : pieces) {
    if (piece.kind != PieceKind::kString || piece.end - piece.begin < 2 ||
        sql[piece.end - 1] != '\'') {
      continue;
    }
    std::string_view inside = sql.substr(piece.begin + 1, piece.end - piece.begin - 2);
    if (std::optional<std::string> iso = IsoDate(inside)) {
      edits.push_back({piece.begin + 1, piece.end - 1, *iso});
    }
  }
}

// The code words and numbers at the start of the statement, each with its position, skipping
// blanks and comments, up to the first piece that is not code, comment or blank.
struct Word {
  std::string_view text;
  size_t begin;
  size_t end;
};

std::vector<Word> LeadingWords(std::string_view sql, const std::vector<Piece>& pieces,
                               size_t count) {
  std::vector<Word> words;
  for (const Piece& piece : pieces) {
    if (piece.kind == PieceKind::kComment) {
      continue;
    }
    if (piece.kind != PieceKind::kCode) {
      break;
    }
    size_t i = piece.begin;
    while (i < piece.end && words.size() < count) {
      if (IsBlank(sql[i])) {
        ++i;
        continue;
      }
      size_t start = i;
      if (IsNameChar(sql[i])) {
        while (i < piece.end && IsNameChar(sql[i])) {
          ++i;
        }
      } else {
        ++i;
      }
      words.push_back({sql.substr(start, i - start), start, i});
    }
    if (words.size() >= count) {
      break;
    }
  }
  return words;
}

// Position just after the last character of the statement that is code or literal: trailing
// blanks, ";" and comments are not part of it.
size_t StatementEnd(std::string_view sql, const std::vector<Piece>& pieces) {
  for (auto it = pieces.rbegin(); it != pieces.rend(); ++it) {
    if (it->kind == PieceKind::kComment) {
      continue;
    }
    if (it->kind != PieceKind::kCode) {
      return it->end;
    }
    size_t end = it->end;
    while (end > it->begin && (IsBlank(sql[end - 1]) || sql[end - 1] == ';')) {
      --end;
    }
    if (end > it->begin) {
      return end;
    }
  }
  return 0;
}

bool IsAllDigits(std::string_view s) {
  if (s.empty()) {
    return false;
  }
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) {
      return false;
    }
  }
  return true;
}

// A leading "SELECT [DISTINCT|ALL] TOP n" or "... TOP (n)" becomes "SELECT [DISTINCT] ... LIMIT n".
void FindLeadingTop(std::string_view sql, const std::vector<Piece>& pieces,
                    std::vector<Edit>& edits) {
  std::vector<Word> words = LeadingWords(sql, pieces, 6);
  if (words.size() < 3 || !text::IEquals(words[0].text, "SELECT")) {
    return;
  }
  size_t top = 1;
  if (text::IEquals(words[1].text, "DISTINCT") || text::IEquals(words[1].text, "ALL")) {
    top = 2;
  }
  if (words.size() < top + 2 || !text::IEquals(words[top].text, "TOP")) {
    return;
  }
  size_t last = top + 1;
  std::string_view count = words[last].text;
  if (count == "(") {
    if (words.size() < top + 4 || words[top + 3].text != ")") {
      return;
    }
    count = words[top + 2].text;
    last = top + 3;
  }
  if (!IsAllDigits(count)) {
    return;
  }
  // "TOP n PERCENT" has no LIMIT equivalent: left as written.
  if (last + 1 < words.size() && text::IEquals(words[last + 1].text, "PERCENT")) {
    return;
  }
  size_t remove_end = words[last].end;
  while (remove_end < sql.size() && IsBlank(sql[remove_end])) {
    ++remove_end;
  }
  edits.push_back({words[top].begin, remove_end, ""});
  size_t end = StatementEnd(sql, pieces);
  edits.push_back({end, end, " LIMIT " + std::string(count)});
}

std::string ApplyEdits(std::string_view sql, std::vector<Edit> edits) {
  std::stable_sort(edits.begin(), edits.end(),
                   [](const Edit& a, const Edit& b) { return a.begin < b.begin; });
  std::string out;
  out.reserve(sql.size() + 16);
  size_t at = 0;
  for (const Edit& edit : edits) {
    out.append(sql.substr(at, edit.begin - at));
    out.append(edit.text);
    at = edit.end;
  }
  out.append(sql.substr(at));
  return out;
}

}  // namespace

Translation TranslateSql(std::string_view sql, Engine /*engine*/) {
  // Both engines take the same rewrites today; the engine stays a parameter so that a rewrite
  // for one of them has its place.
  std::vector<Piece> pieces = Scan(sql);
  std::vector<Edit> edits;
  FindLeadingTop(sql, pieces, edits);
  FindOwnerPrefixes(sql, pieces, edits);
  FindDateLiterals(sql, pieces, edits);
  Translation translation;
  if (edits.empty()) {
    translation.sql = std::string(sql);
    return translation;
  }
  translation.sql = ApplyEdits(sql, std::move(edits));
  translation.changed = translation.sql != sql;
  return translation;
}

std::string NumberPlaceholders(std::string_view sql, int* count) {
  std::string out;
  out.reserve(sql.size() + 16);
  int number = 0;
  for (const Piece& piece : Scan(sql)) {
    std::string_view part = sql.substr(piece.begin, piece.end - piece.begin);
    if (piece.kind != PieceKind::kCode) {
      out.append(part);
      continue;
    }
    for (char c : part) {
      if (c == '?') {
        out += '$' + std::to_string(++number);
      } else {
        out += c;
      }
    }
  }
  if (count != nullptr) {
    *count = number;
  }
  return out;
}

std::string PrependSelectColumns(std::string_view sql, std::string_view columns) {
  std::vector<Piece> pieces = Scan(sql);
  std::vector<Word> words = LeadingWords(sql, pieces, 2);
  if (words.size() < 2 || !text::IEquals(words[0].text, "SELECT") ||
      text::IEquals(words[1].text, "DISTINCT")) {
    return {};
  }
  for (const Piece& piece : pieces) {
    if (piece.kind != PieceKind::kCode) {
      continue;
    }
    size_t i = piece.begin;
    while (i < piece.end) {
      if (!IsNameChar(sql[i])) {
        ++i;
        continue;
      }
      size_t start = i;
      while (i < piece.end && IsNameChar(sql[i])) {
        ++i;
      }
      std::string_view word = sql.substr(start, i - start);
      if (text::IEquals(word, "UNION") || text::IEquals(word, "INTERSECT") ||
          text::IEquals(word, "EXCEPT")) {
        return {};
      }
    }
  }
  size_t after_select = words[0].end;
  if (text::IEquals(words[1].text, "ALL")) {
    after_select = words[1].end;
  }
  std::string out(sql.substr(0, after_select));
  out += ' ';
  out += columns;
  out += ',';
  out += sql.substr(after_select);
  return out;
}

bool IsBlankSql(std::string_view sql) {
  for (const Piece& piece : Scan(sql)) {
    if (piece.kind == PieceKind::kComment) {
      continue;
    }
    if (piece.kind != PieceKind::kCode) {
      return false;
    }
    for (size_t i = piece.begin; i < piece.end; ++i) {
      if (!IsBlank(sql[i]) && sql[i] != ';') {
        return false;
      }
    }
  }
  return true;
}

}  // namespace velmora::db
