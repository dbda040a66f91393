#include "platform/db/DBDialect.h"
#include "platform/db/DBTables.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

struct TTranslateCase {
  const char* Input;
  std::vector<String> Expected;
};

TEST(DialectTest, TranslatesEachForm) {
  const TTranslateCase cases[] = {
      // Boolean literals, not inside quotes nor as qualified names.
      {"SELECT JournalID FROM Journals WHERE ( JournalActive = True ) ORDER BY ActiveWindow",
       {"SELECT JournalID FROM Journals WHERE ( JournalActive = 1 ) ORDER BY ActiveWindow"}},
      {"UPDATE Journals SET ActiveWindow = FALSE, JournalType = 'D'; ",
       {"UPDATE Journals SET ActiveWindow = 0, JournalType = 'D'"}},
      {"SELECT 'TRUE or FALSE' AS t, x.True FROM t", {"SELECT 'TRUE or FALSE' AS t, x.True FROM t"}},
      // EXTRACT, with a nested expression.
      {"SELECT DISTINCT EXTRACT(YEAR FROM JournalDate) AS JournalYear FROM Quillory",
       {"SELECT DISTINCT qy_year(JournalDate) AS JournalYear FROM Quillory"}},
      {"SELECT * FROM q WHERE EXTRACT(MONTH FROM (d + 1)) = :bMonth AND EXTRACT(year from d) = 2",
       {"SELECT * FROM q WHERE qy_month((d + 1)) = :bMonth AND qy_year(d) = 2"}},
      // Multi-column ALTER: one statement per column, types mapped.
      {"ALTER TABLE Quillory ADD Editor CHAR(3), ADD ItemNumber INTEGER, ADD ItemOffset INTEGER;",
       {"ALTER TABLE Quillory ADD COLUMN Editor TEXT",
        "ALTER TABLE Quillory ADD COLUMN ItemNumber INTEGER",
        "ALTER TABLE Quillory ADD COLUMN ItemOffset INTEGER"}},
      {"ALTER TABLE Journals ADD ActiveWindow BOOLEAN, ADD JournalType CHAR(1);",
       {"ALTER TABLE Journals ADD COLUMN ActiveWindow INTEGER",
        "ALTER TABLE Journals ADD COLUMN JournalType TEXT"}},
      {"ALTER TABLE t ADD COLUMN n NUMERIC(10, 2)", {"ALTER TABLE t ADD COLUMN n NUMERIC(10, 2)"}},
      // Types in CREATE TABLE; a column called Char stays a name.
      {"CREATE TABLE Journals (JournalActive BOOLEAN DEFAULT TRUE, JournalType CHAR(1), Char INTEGER)",
       {"CREATE TABLE Journals (JournalActive INTEGER DEFAULT 1, JournalType TEXT, Char INTEGER)"}},
      // A trigger body keeps its statements.
      {"CREATE TRIGGER r BEFORE UPDATE ON t BEGIN SELECT RAISE(ABORT, 'no'); END; SELECT TRUE",
       {"CREATE TRIGGER r BEFORE UPDATE ON t BEGIN SELECT RAISE(ABORT, 'no'); END", "SELECT 1"}},
      // Parameters, comments and quoted text pass through.
      {"SELECT ProfileKey, ProfileValue FROM Profile WHERE ProfileKey = :bProfileKey -- true\n",
       {"SELECT ProfileKey, ProfileValue FROM Profile WHERE ProfileKey = :bProfileKey"}},
  };
  for (const auto& c : cases) EXPECT_EQ(TranslateSQL(c.Input), c.Expected) << c.Input;
}

TEST(DialectTest, FindsTablesParametersAndKind) {
  struct {
    const char* Sql;
    std::vector<String> Tables;
    std::vector<String> Params;
    const char* Kind;
  } cases[] = {
      {"SELECT DISTINCT JournalName, JournalID FROM Quillory, Journals WHERE Quillory.JournalID = "
       "Journals.JournalID AND Quillory.JournalDate = :bJournalDate AND x = :bJournalDate",
       {"Quillory", "Journals"}, {"bJournalDate"}, "SELECT"},
      {"INSERT INTO Profile (ProfileKey, ProfileValue) VALUES (:bProfileKey, :bProfileValue);",
       {"Profile"}, {"bProfileKey", "bProfileValue"}, "INSERT"},
      {"UPDATE Quillory SET Editor = ':notParam' WHERE JournalID = :bJournalID", {"Quillory"},
       {"bJournalID"}, "UPDATE"},
      {"DELETE FROM Quillory q WHERE ( JournalID = :bJournalID );", {"Quillory"}, {"bJournalID"},
       "DELETE"},
      {"SELECT * FROM (SELECT JournalID FROM QUILLORY) AS s JOIN Journals j ON s.JournalID = 1",
       {"QUILLORY", "Journals"}, {}, "SELECT"},
      {"CREATE UNIQUE INDEX ix ON Profile (ProfileKey)", {"Profile"}, {}, "CREATE"},
      {"SELECT EXTRACT(YEAR FROM JournalDate) AS Y FROM Quillory WHERE ( JournalDate <> :bTopic )",
       {"Quillory"}, {"bTopic"}, "SELECT"},
      {"ALTER TABLE Journals ADD WindowTop INTEGER", {"Journals"}, {}, "ALTER"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractTableNames(c.Sql), c.Tables) << c.Sql;
    EXPECT_EQ(ExtractParamNames(c.Sql), c.Params) << c.Sql;
    EXPECT_EQ(StatementKind(c.Sql), c.Kind) << c.Sql;
  }
}

TEST(DialectTest, QualifiesAColumnJoinedTablesShare) {
  const String sql =
      "SELECT DISTINCT JournalName, JournalID, JournalDate AS JournalID2 FROM Quillory, Journals "
      "WHERE Quillory.JournalID = Journals.JournalID AND JournalID IN (1, 2) ORDER BY JournalID";
  EXPECT_EQ(FirstFromTable(sql), "Quillory");
  EXPECT_EQ(QualifyColumn(sql, "journalid", "Quillory"),
            "SELECT DISTINCT JournalName, Quillory.JournalID, JournalDate AS JournalID2 FROM "
            "Quillory, Journals WHERE Quillory.JournalID = Journals.JournalID AND "
            "Quillory.JournalID IN (1, 2) ORDER BY Quillory.JournalID");
  // Through a query: the joined statement runs as the dialect means it.
  qytest::TempDir dir;
  TSession session;
  session.SessionName = "JoinSession";
  session.AddStandardAlias("A", dir.str(), "STANDARD");
  session.AddTableFile("J.db", {"Quillory", "Journals"});
  session.CreateDatabaseFile((dir / "J.db").string(), "");
  TQuery q;
  q.SessionName = "JoinSession";
  q.DatabaseName = "A";
  for (const char* s : {"CREATE TABLE Quillory (JournalID INTEGER, JournalDate DATE)",
                        "CREATE TABLE Journals (JournalID INTEGER, JournalName CHAR(20))",
                        "INSERT INTO Quillory (JournalID, JournalDate) VALUES (2, 100)",
                        "INSERT INTO Journals (JournalID, JournalName) VALUES (2, 'Two')"}) {
    q.SQL.SetText(s);
    q.ExecSQL();
  }
  q.SQL.SetText("SELECT DISTINCT JournalName, JournalID, JournalDate FROM Quillory, Journals WHERE "
                "( Quillory.JournalID = Journals.JournalID ) AND ( Quillory.JournalID = :bJournalID )");
  q.ParamByName("bJournalID").SetAsInteger(2);
  q.Open();
  ASSERT_EQ(q.RecordCount(), 1);
  EXPECT_EQ(q.FieldByName("JournalID").AsInteger(), 2);
  EXPECT_EQ(q.FieldByName("JournalName").AsString(), "Two");
}

TEST(DialectTest, DayNumbersDecodeToCivilDates) {
  struct {
    Int64 Days;
    int Y, M, D;
  } cases[] = {{0, 1899, 12, 30}, {2, 1900, 1, 1}, {36526, 2000, 1, 1}, {36585, 2000, 2, 29},
               {45658, 2025, 1, 1}, {-1, 1899, 12, 29}, {2958465, 9999, 12, 31}};
  for (const auto& c : cases) {
    int y = 0, m = 0, d = 0;
    DecodeDayNumber(c.Days, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, c.Y * 10000 + c.M * 100 + c.D) << c.Days;
  }
}

// EXTRACT over the stored forms of dates: day serials, date-times, ISO text.
TEST(DialectTest, ExtractReadsEveryDateForm) {
  qytest::TempDir dir;
  TSession session;
  session.SessionName = "DialectSession";
  session.AddStandardAlias("A", dir.str(), "STANDARD");
  session.CreateDatabaseFile((dir / "T.db").string(), "");
  TQuery q;
  q.SessionName = "DialectSession";
  q.DatabaseName = "A";
  q.SQL.Add("CREATE TABLE T (D DATE, Flag BOOLEAN)");
  q.ExecSQL();
  q.SQL.Clear();
  q.SQL.Add("INSERT INTO T (D, Flag) VALUES (:bD, TRUE)");
  q.Prepare();
  q.ParamByName("bD").SetAsDate(45700.75);  // 2025-02-12, time dropped
  q.ExecSQL();
  q.ParamByName("bD").SetAsDateTime(36585.5);  // 2000-02-29 12:00
  q.ExecSQL();
  q.ParamByName("bD").SetAsString("1999-07-04T10:00:00");
  q.ExecSQL();
  q.UnPrepare();
  q.SQL.Clear();
  q.SQL.Add("SELECT EXTRACT(YEAR FROM D) AS Y, EXTRACT(MONTH FROM D) AS M, D FROM T "
            "WHERE Flag = TRUE ORDER BY Y");
  q.Open();
  ASSERT_EQ(q.RecordCount(), 3);
  std::vector<int> got;
  for (; !q.Eof(); q.Next())
    got.push_back(q.FieldByName("Y").AsInteger() * 100 + q.FieldByName("M").AsInteger());
  EXPECT_EQ(got, (std::vector<int>{199907, 200002, 202502}));
  q.Last();
  EXPECT_EQ(q.FieldByName("D").Value().Kind, TDBValue::vkInteger);
  EXPECT_DOUBLE_EQ(q.FieldByName("D").AsDateTime(), 45700.0);
}

TEST(DialectTest, QuotedTextAndLookAlikesStayAsWritten) {
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

TEST(DialectTest, ParametersTablesAndKindIgnoreCommentsAndQuotes) {
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

}  // namespace
