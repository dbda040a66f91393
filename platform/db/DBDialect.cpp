#include "platform/db/DBDialect.h"

#include "platform/base/SysUtils.h"
#include "platform/db/DB.h"

#include <sqlcipher/sqlite3.h>

#include <cctype>
#include <cmath>

namespace {

enum TTokKind { tkIdent, tkQuotedIdent, tkString, tkNumber, tkParam, tkPunct, tkEnd };

struct TToken {
  TTokKind Kind = tkEnd;
  String Lead;  // blanks and comments before the token
  String Text;
};

bool IsIdentStart(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || static_cast<unsigned char>(c) >= 0x80;
}
bool IsIdentChar(char c) {
  return IsIdentStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '$';
}

std::vector<TToken> Tokenize(const String& s) {
  std::vector<TToken> out;
  size_t i = 0;
  const size_t n = s.size();
  for (;;) {
    TToken t;
    size_t leadStart = i;
    for (;;) {
      if (i < n && std::isspace(static_cast<unsigned char>(s[i]))) {
        ++i;
      } else if (i + 1 < n && s[i] == '-' && s[i + 1] == '-') {
        while (i < n && s[i] != '\n') ++i;
      } else if (i + 1 < n && s[i] == '/' && s[i + 1] == '*') {
        size_t e = s.find("*/", i + 2);
        i = e == String::npos ? n : e + 2;
      } else {
        break;
      }
    }
    t.Lead = s.substr(leadStart, i - leadStart);
    if (i >= n) {
      t.Kind = tkEnd;
      out.push_back(std::move(t));
      return out;
    }
    size_t start = i;
    char c = s[i];
    if (c == '\'' || c == '"' || c == '`' || c == '[') {
      char close = c == '[' ? ']' : c;
      ++i;
      while (i < n) {
        if (s[i] == close) {
          if (close != ']' && i + 1 < n && s[i + 1] == close) {
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        ++i;
      }
      t.Kind = c == '\'' ? tkString : tkQuotedIdent;
    } else if (IsIdentStart(c)) {
      while (i < n && IsIdentChar(s[i])) ++i;
      t.Kind = tkIdent;
    } else if (std::isdigit(static_cast<unsigned char>(c)) ||
               (c == '.' && i + 1 < n && std::isdigit(static_cast<unsigned char>(s[i + 1])))) {
      while (i < n && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '.')) {
        // exponent sign
        if ((s[i] == 'e' || s[i] == 'E') && i + 1 < n && (s[i + 1] == '+' || s[i + 1] == '-')) ++i;
        ++i;
      }
      t.Kind = tkNumber;
    } else if ((c == ':' || c == '@' || c == '$') && i + 1 < n && IsIdentStart(s[i + 1])) {
      ++i;
      while (i < n && IsIdentChar(s[i])) ++i;
      t.Kind = tkParam;
    } else {
      static const char* const twoChar[] = {"<>", "<=", ">=", "!=", "==", "||", "<<", ">>"};
      t.Kind = tkPunct;
      ++i;
      for (const char* op : twoChar)
        if (i < n && s[start] == op[0] && s[i] == op[1]) {
          ++i;
          break;
        }
    }
    t.Text = s.substr(start, i - start);
    out.push_back(std::move(t));
  }
}

bool Is(const TToken& t, const char* word) { return t.Kind == tkIdent && SameText(t.Text, word); }
bool IsP(const TToken& t, const char* p) { return t.Kind == tkPunct && t.Text == p; }

// Splits at top-level ";" (empty statements dropped).
std::vector<std::vector<TToken>> SplitStatements(const std::vector<TToken>& toks) {
  std::vector<std::vector<TToken>> out(1);
  int body = 0;  // inside a trigger's BEGIN ... END, ";" ends no statement
  for (const TToken& t : toks) {
    if (t.Kind == tkEnd) break;
    auto& cur = out.back();
    if (!cur.empty() && Is(cur[0], "CREATE")) {
      // CASE ... END inside a trigger body must not close the body.
      if (Is(t, "BEGIN") || (body > 0 && Is(t, "CASE"))) ++body;
      if (Is(t, "END") && body > 0) --body;
    }
    if (IsP(t, ";") && body == 0) {
      out.emplace_back();
      continue;
    }
    cur.push_back(t);
  }
  std::vector<std::vector<TToken>> r;
  for (auto& s : out)
    if (!s.empty()) r.push_back(std::move(s));
  return r;
}

// Index of the ")" matching the "(" at open, or toks.size().
size_t MatchParen(const std::vector<TToken>& toks, size_t open) {
  int depth = 0;
  for (size_t i = open; i < toks.size(); ++i) {
    if (IsP(toks[i], "(")) ++depth;
    if (IsP(toks[i], ")") && --depth == 0) return i;
  }
  return toks.size();
}

// TRUE/FALSE and EXTRACT over a token range, as text.
String RewriteExpressions(const std::vector<TToken>& toks, size_t from, size_t to) {
  String r;
  for (size_t i = from; i < to; ++i) {
    const TToken& t = toks[i];
    bool afterDot = i > from && IsP(toks[i - 1], ".");
    if (!afterDot && (Is(t, "TRUE") || Is(t, "FALSE"))) {
      r += t.Lead + (Is(t, "TRUE") ? "1" : "0");
      continue;
    }
    if (!afterDot && Is(t, "EXTRACT") && i + 3 < to && IsP(toks[i + 1], "(") &&
        (Is(toks[i + 2], "YEAR") || Is(toks[i + 2], "MONTH")) && Is(toks[i + 3], "FROM")) {
      size_t close = MatchParen(toks, i + 1);
      if (close < to) {
        String fn = Is(toks[i + 2], "YEAR") ? "qy_year(" : "qy_month(";
        r += t.Lead + fn + Trim(RewriteExpressions(toks, i + 4, close)) + ")";
        i = close;
        continue;
      }
    }
    r += t.Lead + t.Text;
  }
  return r;
}

// Column type words of the dialect, within a column definition.
String RewriteColumnDef(const std::vector<TToken>& toks, size_t from, size_t to) {
  String r;
  for (size_t i = from; i < to; ++i) {
    const TToken& t = toks[i];
    if (Is(t, "BOOLEAN")) {
      r += t.Lead + "INTEGER";
      continue;
    }
    if ((Is(t, "CHAR") || Is(t, "VARCHAR")) && i + 1 < to && IsP(toks[i + 1], "(")) {
      size_t close = MatchParen(toks, i + 1);
      if (close < to) {
        r += t.Lead + "TEXT";
        i = close;
        continue;
      }
    }
    if (Is(t, "TRUE") || Is(t, "FALSE")) {
      r += t.Lead + (Is(t, "TRUE") ? "1" : "0");
      continue;
    }
    r += t.Lead + t.Text;
  }
  return r;
}

std::vector<String> TranslateOne(const std::vector<TToken>& toks) {
  const size_t n = toks.size();
  // ALTER TABLE t ADD [COLUMN] c T, ADD [COLUMN] c T ...
  if (n >= 4 && Is(toks[0], "ALTER") && Is(toks[1], "TABLE")) {
    size_t p = 2;
    String table = toks[p].Text;
    ++p;
    if (p + 1 < n && IsP(toks[p], ".")) {
      table += "." + toks[p + 1].Text;
      p += 2;
    }
    if (p < n && Is(toks[p], "ADD")) {
      std::vector<String> out;
      while (p < n && Is(toks[p], "ADD")) {
        ++p;
        if (p < n && Is(toks[p], "COLUMN")) ++p;
        size_t end = p;
        int depth = 0;
        for (; end < n; ++end) {
          if (IsP(toks[end], "(")) ++depth;
          if (IsP(toks[end], ")")) --depth;
          if (depth == 0 && IsP(toks[end], ",") && end + 1 < n && Is(toks[end + 1], "ADD")) break;
        }
        out.push_back("ALTER TABLE " + table + " ADD COLUMN " +
                      Trim(RewriteColumnDef(toks, p, end)));
        p = end < n ? end + 1 : n;
      }
      if (p >= n) return out;
    }
    return {Trim(RewriteColumnDef(toks, 0, n))};
  }
  if (n >= 2 && Is(toks[0], "CREATE")) {
    size_t k = 1;
    if (Is(toks[k], "TEMP") || Is(toks[k], "TEMPORARY")) ++k;
    if (k < n && Is(toks[k], "TABLE")) return {Trim(RewriteColumnDef(toks, 0, n))};
  }
  return {Trim(RewriteExpressions(toks, 0, n))};
}

const char* const kNotAlias[] = {"WHERE", "ORDER", "GROUP", "HAVING", "JOIN", "INNER", "LEFT",
                                  "RIGHT", "CROSS", "NATURAL", "OUTER", "ON", "USING", "LIMIT",
                                  "UNION", "EXCEPT", "INTERSECT", "SET", "VALUES", "SELECT",
                                  "DEFAULT", "ADD", "RENAME", "AS"};

bool IsKeywordNotAlias(const TToken& t) {
  for (const char* k : kNotAlias)
    if (Is(t, k)) return true;
  return false;
}

String Unquote(const TToken& t) {
  if (t.Kind == tkQuotedIdent && t.Text.size() >= 2) return t.Text.substr(1, t.Text.size() - 2);
  return t.Text;
}

// A table reference at p ([schema.]name); returns the index after it.
size_t TakeTableName(const std::vector<TToken>& toks, size_t p, std::vector<String>& out) {
  if (p >= toks.size() || (toks[p].Kind != tkIdent && toks[p].Kind != tkQuotedIdent)) return p;
  String name = Unquote(toks[p]);
  ++p;
  if (p + 1 < toks.size() && IsP(toks[p], ".")) {
    name = Unquote(toks[p + 1]);
    p += 2;
  }
  for (const String& s : out)
    if (SameText(s, name)) return p;
  out.push_back(name);
  return p;
}

}  // namespace

std::vector<String> TranslateSQL(const String& sql) {
  std::vector<String> out;
  for (const auto& stmt : SplitStatements(Tokenize(sql)))
    for (String& s : TranslateOne(stmt)) out.push_back(std::move(s));
  return out;
}

std::vector<String> ExtractTableNames(const String& sql) {
  std::vector<String> out;
  for (const auto& toks : SplitStatements(Tokenize(sql))) {
    const size_t n = toks.size();
    bool createIndex = n > 2 && Is(toks[0], "CREATE");
    for (size_t i = 0; i < n; ++i) {
      const TToken& t = toks[i];
      if (i > 0 && IsP(toks[i - 1], ".")) continue;
      if (Is(t, "EXTRACT") && i + 1 < n && IsP(toks[i + 1], "(")) {
        i = MatchParen(toks, i + 1);  // its FROM names no table
        continue;
      }
      if (Is(t, "FROM")) {
        size_t p = i + 1;
        for (;;) {
          if (p < n && IsP(toks[p], "(")) {
            p = MatchParen(toks, p) + 1;  // subquery: its own FROM is seen later
          } else {
            size_t q = TakeTableName(toks, p, out);
            if (q == p) break;
            p = q;
          }
          if (p < n && Is(toks[p], "AS")) ++p;
          if (p < n && (toks[p].Kind == tkIdent || toks[p].Kind == tkQuotedIdent) &&
              !IsKeywordNotAlias(toks[p]))
            ++p;
          if (p < n && IsP(toks[p], ",")) {
            ++p;
            continue;
          }
          break;
        }
      } else if (Is(t, "JOIN") || Is(t, "INTO") || (Is(t, "UPDATE") && i == 0)) {
        TakeTableName(toks, i + 1, out);
      } else if (Is(t, "TABLE") || Is(t, "REINDEX")) {
        size_t p = i + 1;
        if (p + 1 < n && Is(toks[p], "IF")) p += Is(toks[p + 1], "NOT") ? 3 : 2;
        TakeTableName(toks, p, out);
      } else if (createIndex && Is(t, "ON")) {
        TakeTableName(toks, i + 1, out);
        createIndex = false;
      }
    }
  }
  return out;
}

String QualifyColumn(const String& sql, const String& column, const String& table) {
  std::vector<TToken> toks = Tokenize(sql);
  String r;
  for (size_t i = 0; i < toks.size(); ++i) {
    const TToken& t = toks[i];
    bool qualified = i > 0 && IsP(toks[i - 1], ".");
    bool alias = i > 0 && Is(toks[i - 1], "AS");
    bool table_ = i + 1 < toks.size() && IsP(toks[i + 1], ".");
    if (t.Kind == tkIdent && SameText(t.Text, column) && !qualified && !alias && !table_)
      r += t.Lead + table + "." + t.Text;
    else
      r += t.Lead + t.Text;
  }
  return r;
}

String FirstFromTable(const String& sql) {
  for (const auto& toks : SplitStatements(Tokenize(sql))) {
    int depth = 0;  // a FROM in parentheses is a subquery's or EXTRACT's
    for (size_t i = 0; i + 1 < toks.size(); ++i) {
      if (IsP(toks[i], "(")) ++depth;
      if (IsP(toks[i], ")")) --depth;
      if (depth == 0 && Is(toks[i], "FROM") && (toks[i + 1].Kind == tkIdent || toks[i + 1].Kind == tkQuotedIdent))
        return Unquote(toks[i + 1]);
    }
  }
  return String();
}

std::vector<String> ExtractParamNames(const String& sql) {
  std::vector<String> out;
  for (const TToken& t : Tokenize(sql)) {
    if (t.Kind != tkParam || t.Text[0] != ':') continue;
    String name = t.Text.substr(1);
    bool dup = false;
    for (const String& s : out) dup = dup || SameText(s, name);
    if (!dup) out.push_back(name);
  }
  return out;
}

String StatementKind(const String& sql) {
  for (const TToken& t : Tokenize(sql)) {
    if (t.Kind == tkIdent) return UpperCase(t.Text);
    if (t.Kind == tkEnd || !IsP(t, "(")) break;
  }
  return "SQL";
}

void DecodeDayNumber(Int64 days, int& year, int& month, int& day) {
  // Days since 1899-12-30 to days since 1970-01-01, then the civil-from-days
  // algorithm over 400-year eras.
  Int64 z = days - 25569 + 719468;
  Int64 era = (z >= 0 ? z : z - 146096) / 146097;
  Int64 doe = z - era * 146097;
  Int64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  Int64 y = yoe + era * 400;
  Int64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  Int64 mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2 ? 1 : 0));
}

namespace {

// part 0 = year, 1 = month.
void ExtractPart(sqlite3_context* ctx, int argc, sqlite3_value** argv, int part) {
  if (argc != 1) return sqlite3_result_null(ctx);
  sqlite3_value* v = argv[0];
  int year = 0, month = 0, day = 0;
  switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: {
      double d = sqlite3_value_double(v);
      if (!std::isfinite(d) || std::fabs(d) > 1.0e9) return sqlite3_result_null(ctx);
      DecodeDayNumber(static_cast<Int64>(std::floor(d)), year, month, day);
      break;
    }
    case SQLITE_TEXT: {
      // ISO text "YYYY-MM-DD..."
      const char* s = reinterpret_cast<const char*>(sqlite3_value_text(v));
      String t = s ? s : "";
      if (t.size() < 7 || t[4] != '-') return sqlite3_result_null(ctx);
      if (!TryStrToInt(t.substr(0, 4), year) || !TryStrToInt(t.substr(5, 2), month))
        return sqlite3_result_null(ctx);
      break;
    }
    default: return sqlite3_result_null(ctx);
  }
  sqlite3_result_int(ctx, part == 0 ? year : month);
}

void YearFunc(sqlite3_context* c, int n, sqlite3_value** v) { ExtractPart(c, n, v, 0); }
void MonthFunc(sqlite3_context* c, int n, sqlite3_value** v) { ExtractPart(c, n, v, 1); }

}  // namespace

void RegisterDialectFunctions(sqlite3* db) {
  sqlite3_create_function(db, "qy_year", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, YearFunc,
                          nullptr, nullptr);
  sqlite3_create_function(db, "qy_month", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                          MonthFunc, nullptr, nullptr);
}
