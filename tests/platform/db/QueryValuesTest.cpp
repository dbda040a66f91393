// Query parameters bound by their declared type, stored values read back
// as stored, and the cursor at the ends of small results.
#include "platform/db/DBTables.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <limits>
#include <sqlcipher/sqlite3.h>

namespace {

constexpr const char* kSession = "QueryValuesSession";

// One plain file with a table of every stored type.
struct TValuesFixture {
  qytest::TempDir Dir;
  TSession Session;
  TValuesFixture() {
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

TEST(QueryValuesTest, EveryParameterTypeBindsAsItsStorageClass) {
  TValuesFixture f;
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

TEST(QueryValuesTest, StoredValuesKeepEmptyTextApartFromNull) {
  TValuesFixture f;
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

TEST(QueryValuesTest, CursorAtTheEndsOfEmptyAndOneRowResults) {
  TValuesFixture f;
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

namespace {

// A reader told to stop stops inside the engine's own work (here the sort
// that reads every row before the first comes back), not after it; one not
// told reads everything; the query can be opened again afterwards.
TEST(QueryValuesTest, AReaderToldToStopStopsMidQuery) {
  TValuesFixture f;
  // 2^15 rows, doubled fifteen times from one.
  f.Query("INSERT INTO V (ID, Name) VALUES (1, 'caf\xC3\xA9')")->ExecSQL();
  for (int i = 0; i < 15; ++i)
    f.Query("INSERT INTO V (ID, Name) SELECT ID + (SELECT MAX(ID) FROM V), Name || ID FROM V")->ExecSQL();
  auto q = f.Query("SELECT ID, Name FROM V ORDER BY Name || ID DESC");
  // Not told: every row, and the engine asked many times on the way.
  int asked = 0;
  q->Cancelled = [&] {
    ++asked;
    return false;
  };
  q->Open();
  EXPECT_EQ(q->RecordCount(), 32768);
  const int askedWhole = asked;
  EXPECT_GT(askedWhole, 10);
  // Told at the third time it asks: the open fails at once, with no rows.
  asked = 0;
  q->Cancelled = [&] { return ++asked >= 3; };
  try {
    q->Open();
    ADD_FAILURE() << "read " << q->RecordCount() << " rows";
  } catch (const EDBEngineError& e) {
    EXPECT_EQ(e.ErrorCode, SQLITE_INTERRUPT) << e.Message;
  }
  EXPECT_EQ(asked, 3);
  EXPECT_FALSE(q->Active());
  EXPECT_EQ(q->RecordCount(), 0);
  // And opens whole again.
  q->Cancelled = nullptr;
  q->Open();
  EXPECT_EQ(q->RecordCount(), 32768);
}

}  // namespace
