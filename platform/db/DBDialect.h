#pragma once
// The local SQL dialect the application's statements are written in, turned
// into SQLite's. Every rewrite lives here:
//   TRUE / FALSE                          -> 1 / 0
//   EXTRACT(YEAR FROM x), EXTRACT(MONTH..) -> qy_year(x), qy_month(x), which
//       read a day serial, a date-time number or ISO text (see DB.h)
//   ALTER TABLE t ADD a T1, ADD b T2      -> one ALTER TABLE ... ADD COLUMN
//                                            per column
//   BOOLEAN, CHAR(n) column types          -> INTEGER, TEXT (in CREATE and
//                                            ALTER TABLE)
// Table names stay as written: SQLite compares them without case, as the
// dialect does ("Quillory" is "QUILLORY"). Parameters ":bName" are kept.
#include "platform/base/Types.h"

#include <vector>

struct sqlite3;

// One statement of the dialect (a trailing ";" allowed) as the SQLite
// statements that perform it, in order. Text inside quotes is never changed.
std::vector<String> TranslateSQL(const String& sql);

// The tables a statement reads or writes (as written, first appearance).
std::vector<String> ExtractTableNames(const String& sql);

// The statement with every unqualified use of the column qualified by the
// table ("JournalID" -> "Quillory.JournalID"), except where the name is an
// alias (after AS). The dialect resolves a column that two joined tables
// share to the first table; SQLite calls it ambiguous.
String QualifyColumn(const String& sql, const String& column, const String& table);

// The first table of the statement's FROM list ("" when none).
String FirstFromTable(const String& sql);

// The names of the ":name" parameters, in order of first appearance.
std::vector<String> ExtractParamNames(const String& sql);

// The statement's kind for messages: its first word in upper case
// ("SELECT", "UPDATE", ...).
String StatementKind(const String& sql);

// Registers qy_year and qy_month on a connection.
void RegisterDialectFunctions(sqlite3* db);

// Civil date of a TDateTime (proleptic Gregorian).
void DecodeDayNumber(Int64 days, int& year, int& month, int& day);
