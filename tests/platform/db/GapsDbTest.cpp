// Edge cases of the dialect translation and of query parameters, stored
// values and the cursor at the ends of small results.
#include "platform/db/DBDialect.h"
#include "platform/db/DBTables.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(GapsDialectTest, QuotedTextAndLookAlikesStayAsWritten) {
  const std::pair<const char*, std::vector<String>> cases[] = {
      {"SELECT 'it''s TRUE' FROM t WHERE a = TRUE", {"SELECT 'it''s TRUE' FROM t WHERE a = 1"}},
      {"SELECT \"TRUE\", [FALSE], `True` FROM t", {"SELECT \"TRUE\", [FALSE], `True` FROM t"}},
      {"SELECT TrueName, FALSE_FLAG, IsTrue, True$ FROM t", {"SELECT TrueName, FALSE_FLAG, IsTrue, True$ FROM t"}},
      {"SELECT a FROM t WHERE b = :True OR c = :bFalse", {"SELECT a FROM t WHERE b = :True OR c = :bFalse"}},
      {"SELECT a /* TRUE */ FROM t WHERE b = true", {"SELECT a /* TRUE */ FROM t WHERE b = 1"}},
      {"SELECT t.FALSE, TRUE FROM t", {"SELECT t.FALSE, 1 FROM t"}},
      // EXTRACT inside EXTRACT, and with a literal inside.
      {"SELECT EXTRACT(YEAR FROM COALESCE(EXTRACT(MONTH FROM d), 0)) FROM t",
       {"SELECT qy_year(COALESCE(qy_month(d), 0)) FROM t"}},
      {"SELECT EXTRACT( Month FROM CASE WHEN TRUE THEN d END ) FROM t", {"SELECT qy_month(CASE WHEN 1 THEN d END) FROM t"}},
      {"SELECT EXTRACT(DAY FROM d) FROM t", {"SELECT EXTRACT(DAY FROM d) FROM t"}},
      {"SELECT EXTRACT(YEAR FROM d", {"SELECT EXTRACT(YEAR FROM d"}},
      // ALTER over quoted and qualified names, and a default holding ", ADD".
      {"ALTER TABLE \"My Table\" ADD \"Is Done\" BOOLEAN, ADD [Kind] CHAR(2)",
       {"ALTER TABLE \"My Table\" ADD COLUMN \"Is Done\" INTEGER", "ALTER TABLE \"My Table\" ADD COLUMN [Kind] TEXT"}},
      {"ALTER TABLE main.t ADD a BOOLEAN DEFAULT FALSE", {"ALTER TABLE main.t ADD COLUMN a INTEGER DEFAULT 0"}},
      {"ALTER TABLE t ADD a CHAR(5) DEFAULT 'x, ADD y', ADD b NUMERIC(10, 2), ADD c INTEGER",
       {"ALTER TABLE t ADD COLUMN a TEXT DEFAULT 'x, ADD y'", "ALTER TABLE t ADD COLUMN b NUMERIC(10, 2)",
        "ALTER TABLE t ADD COLUMN c INTEGER"}},
      {"ALTER TABLE t DROP COLUMN Flag", {"ALTER TABLE t DROP COLUMN Flag"}},
      {"CREATE TEMP TABLE x (a VARCHAR (10), b BOOLEAN CHECK (b IN (TRUE, FALSE)), c CHAR(1) DEFAULT 'TRUE')",
       {"CREATE TEMP TABLE x (a TEXT, b INTEGER CHECK (b IN (1, 0)), c TEXT DEFAULT 'TRUE')"}},
      // Statement boundaries: quoted ";", empty statements, CASE ... END in a trigger.
      {"SELECT ';' FROM t; SELECT 2", {"SELECT ';' FROM t", "SELECT 2"}},
      {"SELECT 1;; ;SELECT TRUE;", {"SELECT 1", "SELECT 1"}},
      {"CREATE TRIGGER r AFTER INSERT ON t BEGIN UPDATE t SET a = CASE WHEN new.b THEN TRUE ELSE FALSE END; "
       "SELECT 1; END; SELECT 2",
       {"CREATE TRIGGER r AFTER INSERT ON t BEGIN UPDATE t SET a = CASE WHEN new.b THEN 1 ELSE 0 END; SELECT 1; END",
        "SELECT 2"}},
  };
  for (const auto& [sql, expected] : cases) EXPECT_EQ(TranslateSQL(sql), expected) << sql;
}

TEST(GapsDialectTest, ParametersTablesAndKindIgnoreCommentsAndQuotes) {
  struct {
    const char* Sql;
    std::vector<String> Tables, Params;
    const char* Kind;
  } cases[] = {
      {"-- :bNot\nselect a FROM t /* :bNor */ WHERE b = ':bText' AND c = :bC AND d = :BC", {"t"}, {"bC"}, "SELECT"},
      {"  ( SELECT a FROM \"Odd Table\" x, main.u AS y WHERE x.a = y.a )", {"Odd Table", "u"}, {}, "SELECT"},
      {"DELETE FROM t WHERE a IN (SELECT b FROM u WHERE c = :bC)", {"t", "u"}, {"bC"}, "DELETE"},
      {"UPDATE t SET a = (SELECT max(b) FROM u) WHERE x = :bX||':bY'", {"t", "u"}, {"bX"}, "UPDATE"},
      {"SELECT a FROM t LEFT JOIN u ON t.a = u.a ORDER BY EXTRACT(YEAR FROM d)", {"t", "u"}, {}, "SELECT"},
      {"INSERT OR REPLACE INTO Profile VALUES (:b1x, @bAt, $bDollar)", {"Profile"}, {"b1x"}, "INSERT"},
      {"DROP TABLE IF EXISTS Old", {"Old"}, {}, "DROP"},
      {"", {}, {}, "SQL"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractTableNames(c.Sql), c.Tables) << c.Sql;
    EXPECT_EQ(ExtractParamNames(c.Sql), c.Params) << c.Sql;
    EXPECT_EQ(StatementKind(c.Sql), c.Kind) << c.Sql;
  }
  // Names inside quotes, after AS and already qualified stay as written.
  EXPECT_EQ(QualifyColumn("SELECT ID, 'ID', x.ID, a AS ID FROM t WHERE id = 1 -- ID", "Id", "t"),
            "SELECT t.ID, 'ID', x.ID, a AS ID FROM t WHERE t.id = 1 -- ID");
  const std::pair<const char*, const char*> firsts[] = {
      {"SELECT EXTRACT(YEAR FROM d) FROM \"Quoted T\"", "Quoted T"},
      {"SELECT (SELECT max(a) FROM u) AS m, a FROM t, w", "t"},
      {"SELECT a FROM (SELECT a FROM u) s", ""},
      {"SELECT 1", ""},
  };
  for (const auto& [sql, table] : firsts) EXPECT_EQ(FirstFromTable(sql), table) << sql;
}

constexpr const char* kSession = "GapsDbSession";

// One plain file with a table of every stored type.
struct TGapsFixture {
  qytest::TempDir Dir;
  TSession Session;
  TGapsFixture() {
    Session.SessionName = kSession;
    Session.AddStandardAlias("A", Dir.str(), "STANDARD");
    Session.CreateDatabaseFile((Dir / "V.db").string(), "");
    Query("CREATE TABLE V (ID INTEGER, Day DATE, Stamp TIMESTAMP, Name CHAR(20), Flag BOOLEAN, "
          "Amount FLOAT, Body BLOB)")
        ->ExecSQL();
  }
  std::unique_ptr<TQuery> Query(const String& sql) {
    auto q = std::make_unique<TQuery>();
    q->SessionName = kSession;
    q->DatabaseName = "A";
    q->SQL.Add(sql);
    return q;
  }
};

TEST(GapsQueryTest, EveryParameterTypeBindsAsItsStorageClass) {
  TGapsFixture f;
  f.Query("INSERT INTO V (ID) VALUES (1)")->ExecSQL();
  auto q = f.Query("SELECT typeof(:bV) AS T, :bV AS V, length(CAST(:bV AS BLOB)) AS L FROM V");
  q->Prepare();
  struct Case {
    const char* What;
    std::function<void(TParam&)> Set;
    const char* Type;
    String Value;
    int Length;
  };
  const Int64 minInt = std::numeric_limits<Int64>::min();
  const Case cases[] = {
      {"int64 min", [&](TParam& p) { p.SetAsInteger(minInt); }, "integer", IntToStr(minInt), 20},
      {"boolean", [](TParam& p) { p.SetAsBoolean(true); }, "integer", "1", 1},
      {"empty text", [](TParam& p) { p.SetAsString(""); }, "text", "", 0},
      {"text with NUL", [](TParam& p) { p.SetAsString(String("a\0b", 3)); }, "text", String("a\0b", 3), 3},
      {"empty blob", [](TParam& p) { p.SetAsBlob(""); }, "blob", "", 0},
      {"blob of NULs", [](TParam& p) { p.SetAsBlob(String("\0\0\xFF", 3), ftMemo); }, "blob", String("\0\0\xFF", 3), 3},
      {"topic date", [](TParam& p) { p.SetAsDate(9999999.75); }, "integer", "9999999", 7},
      {"date before 1899", [](TParam& p) { p.SetAsDate(-1.25); }, "integer", "-2", 2},
      {"cleared", [](TParam& p) { p.SetAsString("x"); p.Clear(); }, "null", "", 0},
      {"text declared integer", [](TParam& p) { p.SetAsString(" 42"); p.DataType = ftInteger; }, "integer", "42", 2},
      {"number declared date", [](TParam& p) { p.SetAsFloat(45000.9); p.DataType = ftDate; }, "integer", "45000", 5},
      {"integer declared text", [](TParam& p) { p.SetAsInteger(7); p.DataType = ftString; }, "text", "7", 1},
  };
  for (const Case& c : cases) {
    c.Set(q->ParamByName("bV"));
    q->Open();
    ASSERT_EQ(q->RecordCount(), 1) << c.What;
    EXPECT_EQ(q->FieldByName("T").AsString(), c.Type) << c.What;
    EXPECT_EQ(q->FieldByName("V").AsString(), c.Value) << c.What;
    EXPECT_EQ(q->FieldByName("L").AsInteger(), c.Length) << c.What;
  }
  q->ParamByName("bV").SetAsString("abc");
  q->ParamByName("bV").DataType = ftInteger;
  EXPECT_THROW(q->Open(), Exception);  // text that is no number is refused, not bound as 0
  EXPECT_THROW(q->ParamByName("bV").SetAsDate(std::numeric_limits<double>::infinity()), EDatabaseError);
}

TEST(GapsQueryTest, StoredValuesKeepEmptyTextApartFromNull) {
  TGapsFixture f;
  auto ins = f.Query("INSERT INTO V (ID, Day, Name, Flag, Amount, Body) VALUES (:bID, :bDay, :bName, :bFlag, :bAmount, :bBody)");
  ins->Prepare();
  struct Row {
    int ID;
    double Day;
    const char* Name;  // null: no value
    bool Flag;
  };
  const Row rows[] = {{1, 9999999, "", false}, {2, 0, nullptr, true}, {3, 45000, "007", true}};
  for (const Row& r : rows) {
    ins->ParamByName("bID").SetAsInteger(r.ID);
    ins->ParamByName("bDay").SetAsDate(r.Day);
    if (r.Name)
      ins->ParamByName("bName").SetAsString(r.Name);
    else
      ins->ParamByName("bName").Clear();
    ins->ParamByName("bFlag").SetAsBoolean(r.Flag);
    ins->ParamByName("bAmount").Clear();
    ins->ParamByName("bBody").SetAsBlob(String("\0", 1));
    ins->ExecSQL();
  }
  const std::pair<const char*, std::vector<int>> selections[] = {
      {"SELECT ID FROM V WHERE Name = '' ORDER BY ID", {1}},
      {"SELECT ID FROM V WHERE Name IS NULL ORDER BY ID", {2}},
      {"SELECT ID FROM V WHERE Name = '007' ORDER BY ID", {3}},  // text keeps its leading zeros
      {"SELECT ID FROM V WHERE Day = 9999999 ORDER BY ID", {1}},
      {"SELECT ID FROM V WHERE Flag = TRUE ORDER BY ID", {2, 3}},
      {"SELECT ID FROM V WHERE Amount IS NULL AND length(Body) = 1 ORDER BY ID", {1, 2, 3}},
      {"SELECT ID FROM V WHERE EXTRACT(YEAR FROM Day) = 1899 ORDER BY ID", {2}},
  };
  for (const auto& [sql, ids] : selections) {
    auto q = f.Query(sql);
    q->Open();
    std::vector<int> got;
    for (; !q->Eof(); q->Next()) got.push_back(q->FieldByName("ID").AsInteger());
    EXPECT_EQ(got, ids) << sql;
  }
  auto q = f.Query("SELECT Day, Name, Amount FROM V WHERE ID = 1");
  q->Open();
  EXPECT_DOUBLE_EQ(q->FieldByName("Day").AsDateTime(), 9999999);
  EXPECT_FALSE(q->FieldByName("Name").IsNull());
  EXPECT_TRUE(q->FieldByName("Amount").IsNull());
  EXPECT_EQ(q->FieldByName("Amount").AsFloat(), 0);
}

TEST(GapsQueryTest, CursorAtTheEndsOfEmptyAndOneRowResults) {
  TGapsFixture f;
  auto ins = f.Query("INSERT INTO V (ID) VALUES (1)");
  ins->ExecSQL();
  auto empty = f.Query("SELECT ID FROM V WHERE ID < 0");
  empty->Open();
  for (auto move : {&TQuery::Next, &TQuery::Prior, &TQuery::Last, &TQuery::First}) {
    (empty.get()->*move)();
    EXPECT_TRUE(empty->Eof());
    EXPECT_TRUE(empty->Bof());
    EXPECT_EQ(empty->RecNo(), 0);
    EXPECT_TRUE(empty->FieldByName("ID").IsNull());
  }

  auto one = f.Query("SELECT ID FROM V");
  one->Open();
  struct Step {
    void (TQuery::*Move)();
    bool Bof, Eof;
  };
  // A move past an end leaves the cursor on the row and clears the other end.
  const Step steps[] = {{&TQuery::First, true, false}, {&TQuery::Next, false, true}, {&TQuery::Next, false, true},
                        {&TQuery::Prior, true, false}, {&TQuery::Last, false, true}, {&TQuery::Prior, true, false}};
  int i = 0;
  for (const Step& s : steps) {
    (one.get()->*s.Move)();
    EXPECT_EQ(one->Bof(), s.Bof) << i;
    EXPECT_EQ(one->Eof(), s.Eof) << i;
    EXPECT_EQ(one->RecNo(), 1) << i;
    EXPECT_EQ(one->FieldByName("ID").AsInteger(), 1) << i;
    ++i;
  }
  // Forward then back again visits the row both ways, as with more rows.
  one->First();
  int forward = 0, backward = 0;
  for (; !one->Eof(); one->Next()) ++forward;
  for (; !one->Bof(); one->Prior()) ++backward;
  EXPECT_EQ(forward, 1);
  EXPECT_EQ(backward, 1);
  one->Close();
  EXPECT_EQ(one->RecNo(), 0);
  EXPECT_TRUE(one->Eof());
}

}  // namespace
