// The string table: whole results as text cells, the empty-result rules and built statements.
#include <gtest/gtest.h>

#include <memory>

#include "test_util.h"

using namespace orvek3;
using kalmetra_test::DatabaseTest;
using kalmetra_test::DriverPath;
using kalmetra_test::ErrorOf;

namespace {


class SimpleTableTest : public DatabaseTest {
 protected:
  void SetUp() override {
    DatabaseTest::SetUp();
    db.Connect();
    db.ExecSQL(
        "CREATE TABLE Filmy(Id INTEGER PRIMARY KEY, Titul TEXT, Rok INTEGER, Pozn TEXT);"
        "INSERT INTO Filmy VALUES(1, 'Obecn\xE1 \x9A" "kola', 1991, NULL);"
        "INSERT INTO Filmy VALUES(2, 'Pel\xED\x9A" "ky', 1999, 'komedie');"
        "INSERT INTO Filmy VALUES(3, 'Tmavomodr\xFD sv\xECt', 2001, NULL)");
  }
};

}  // namespace

TEST(SimpleTable, InitialState) {
  TOrvek3SimpleTable t;
  EXPECT_EQ(t.Database(), nullptr);
  EXPECT_EQ(t.ColumnList(), "");
  EXPECT_EQ(t.TableName(), "");
  EXPECT_EQ(t.OrderField(), "");
  EXPECT_EQ(t.Filter(), "");
  EXPECT_EQ(t.StringIfEmpty(), "Empty");
  EXPECT_EQ(t.RowCount(), 0);
  EXPECT_EQ(t.ColumnCount(), 0);
  EXPECT_EQ(t.ResultCode(), -1);
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(t.Cell(0, 0), "Empty");
  EXPECT_EQ(t.ColumnName(0), "");
}

TEST(SimpleTable, StringIfEmptyBlankReadsAsEmptyTable) {
  TOrvek3SimpleTable t;
  t.SetStringIfEmpty("");
  EXPECT_EQ(t.StringIfEmpty(), "Empty table");
  t.SetStringIfEmpty(" \t");
  EXPECT_EQ(t.StringIfEmpty(), "Empty table");
  EXPECT_EQ(t.Cell(3, 3), "Empty table");
  t.SetStringIfEmpty("-");
  EXPECT_EQ(t.CellByName("x", 0), "-");
}

TEST(SimpleTable, TableNameSetterClearsTheOtherProperties) {
  TOrvek3SimpleTable t;
  t.SetTableName("Filmy");
  t.SetColumnList("Titul");
  t.SetOrderField("Rok");
  t.SetFilter("Rok > 1990");
  t.SetTableName("Filmy");  // the same name keeps them
  EXPECT_EQ(t.ColumnList(), "Titul");
  EXPECT_EQ(t.OrderField(), "Rok");
  EXPECT_EQ(t.Filter(), "Rok > 1990");
  t.SetTableName("FILMY");  // compared exactly
  EXPECT_EQ(t.TableName(), "FILMY");
  EXPECT_EQ(t.ColumnList(), "");
  EXPECT_EQ(t.OrderField(), "");
  EXPECT_EQ(t.Filter(), "");
  t.SetColumnList("Titul");
  t.SetLoading(true);  // reading a stored description keeps them
  t.SetTableName("Jine");
  EXPECT_EQ(t.ColumnList(), "Titul");
}

TEST(SimpleTable, MissingTableNameAndMissingDatabase) {
  TOrvek3SimpleTable t;
  t.SetName("Tab1");
  EXPECT_EQ(ErrorOf([&] { t.OpenTable(" "); }), "Tab1: Missing TableName property!");
  EXPECT_EQ(ErrorOf([&] { t.OpenTable("select 1"); }), "Tab1: Not connected!");
  t.SetTableName("Filmy");
  EXPECT_EQ(ErrorOf([&] { t.OpenTable(); }), "Tab1: Not connected!");
  EXPECT_TRUE(t.IsEmpty());
}

TEST_F(SimpleTableTest, WholeResultAsCells) {
  TOrvek3SimpleTable t(&db);
  EXPECT_EQ(t.Database(), &db);
  t.OpenTable("SELECT Id, Titul, Pozn FROM Filmy ORDER BY Id");
  EXPECT_FALSE(t.IsEmpty());
  EXPECT_EQ(t.ResultCode(), 0);
  EXPECT_EQ(t.RowCount(), 3);
  EXPECT_EQ(t.ColumnCount(), 3);
  EXPECT_EQ(t.ColumnName(1), "Titul");
  EXPECT_EQ(t.ColumnName(3), "");
  EXPECT_EQ(t.ColumnName(-1), "");
  EXPECT_EQ(t.Cell(1, -1), "Titul");  // the header row
  EXPECT_EQ(t.Cell(1, 1), "Pel\xED\x9A" "ky");
  EXPECT_EQ(t.Cell(0, 2), "3");
  EXPECT_EQ(t.Cell(2, 0), "");  // NULL
  EXPECT_EQ(t.Cell(2, 1), "komedie");
  EXPECT_EQ(t.Cell(0, 3), "");  // beyond the last row
  EXPECT_EQ(t.Cell(0, -2), "");
  EXPECT_EQ(t.Cell(3, 0), "");   // beyond the last column, not the next row's first cell
  EXPECT_EQ(t.Cell(-1, 1), "");  // not the previous row's last cell
  EXPECT_EQ(t.ColumnIndex("titul"), 1);
  EXPECT_EQ(t.ColumnIndex("POZN"), 2);
  EXPECT_EQ(t.ColumnIndex("Rok"), -1);
  EXPECT_EQ(t.CellByName("TITUL", 2), "Tmavomodr\xFD sv\xECt");
}

TEST_F(SimpleTableTest, UnknownColumnName) {
  TOrvek3SimpleTable t(&db);
  t.OpenTable("SELECT Id FROM Filmy");
  EXPECT_EQ(ErrorOf([&] { t.CellByName("X", 0); }), "Field 'X' not found");
  t.SetName("Tab1");
  EXPECT_EQ(ErrorOf([&] { t.CellByName("Titul", 0); }), "Tab1: Field 'Titul' not found");
}

TEST_F(SimpleTableTest, EmptyResultReadsAsOneByOne) {
  TOrvek3SimpleTable t(&db);
  t.OpenTable("SELECT * FROM Filmy WHERE Id < 0");
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(t.RowCount(), 1);
  EXPECT_EQ(t.ColumnCount(), 1);
  EXPECT_EQ(t.ResultCode(), 0);
  EXPECT_EQ(t.Cell(0, 0), "Empty");
  EXPECT_EQ(t.Cell(0, -1), "Empty");
  EXPECT_EQ(t.CellByName("Titul", 0), "Empty");
  EXPECT_EQ(t.CellByName("nosuch", 0), "Empty");
  EXPECT_EQ(t.ColumnName(0), "");
  t.SetStringIfEmpty("");
  EXPECT_EQ(t.Cell(0, 0), "Empty table");
  // A statement without a result at all is empty too.
  t.OpenTable("CREATE TABLE Dalsi(x)");
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(t.RowCount(), 1);
  EXPECT_EQ(t.ColumnCount(), 1);
}

TEST_F(SimpleTableTest, FailedStatementLeavesTheTableEmpty) {
  TOrvek3SimpleTable t(&db);
  t.OpenTable("SELECT * FROM Filmy");
  ASSERT_FALSE(t.IsEmpty());
  EXPECT_EQ(ErrorOf([&] { t.OpenTable("SELECT * FROM nosuch"); }), "no such table: nosuch");
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(t.ResultCode(), SQLITE_ERROR);
  EXPECT_EQ(t.Cell(0, 0), "Empty");
}

TEST_F(SimpleTableTest, StatementBuiltFromTheProperties) {
  TOrvek3SimpleTable t(&db);
  t.SetTableName("Filmy");
  t.OpenTable();
  EXPECT_EQ(t.RowCount(), 3);
  EXPECT_EQ(t.ColumnCount(), 4);

  t.SetColumnList("Rok; Titul");
  t.SetFilter("Rok > 1995");
  t.SetOrderField("Rok");
  t.OpenTable();
  ASSERT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.ColumnCount(), 2);
  EXPECT_EQ(t.ColumnName(0), "Rok");
  EXPECT_EQ(t.Cell(0, 0), "1999");
  EXPECT_EQ(t.Cell(1, 1), "Tmavomodr\xFD sv\xECt");

  // A given statement wins over the properties.
  t.OpenTable("SELECT count(*) FROM Filmy");
  EXPECT_EQ(t.Cell(0, 0), "3");
}

TEST_F(SimpleTableTest, NamesThatNeedQuotes) {
  db.ExecSQL("CREATE TABLE \"Moje \x9E\xE1nry\"(\"N\xE1zev \x9E\xE1nru\" TEXT, \"a\"\"b\" INT);"
             "INSERT INTO \"Moje \x9E\xE1nry\" VALUES('Drama', 2), ('Komedie', 1)");
  TOrvek3SimpleTable t(&db);
  t.SetTableName("Moje \x9E\xE1nry");
  t.SetColumnList("N\xE1zev \x9E\xE1nru,a\"b");
  t.SetOrderField("a\"b");
  t.OpenTable();
  ASSERT_EQ(t.RowCount(), 2);
  EXPECT_EQ(t.Cell(0, 0), "Komedie");
  EXPECT_EQ(t.ColumnName(1), "a\"b");
}

TEST_F(SimpleTableTest, ConnectsOnDemand) {
  db.Disconnect();
  TOrvek3SimpleTable t(&db);
  t.OpenTable("SELECT count(*) FROM Filmy");
  EXPECT_TRUE(db.Connected());
  EXPECT_EQ(t.Cell(0, 0), "3");
}

TEST_F(SimpleTableTest, ConnectionFailureReachesTheCaller) {
  db.Disconnect();
  db.SetDriver(folder.File("none.so"));
  TOrvek3SimpleTable t(&db);
  EXPECT_EQ(ErrorOf([&] { t.OpenTable("SELECT 1"); }), "Orvek3Database1: Missing DLL driver property!");
}

TEST_F(SimpleTableTest, DisconnectEmptiesTheTable) {
  TOrvek3SimpleTable t(&db);
  t.OpenTable("SELECT * FROM Filmy");
  ASSERT_FALSE(t.IsEmpty());
  db.Disconnect();
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(t.Cell(1, 0), "Empty");
  EXPECT_EQ(t.Database(), &db);  // still registered
}

TEST_F(SimpleTableTest, ClientRegistrationFollowsTheDatabase) {
  TOrvek3Database other;
  other.SetDriver(DriverPath());
  other.SetDatabaseFile(folder.File("other.sqlite"));
  other.SetMustExists(false);
  {
    TOrvek3SimpleTable t;
    t.SetDatabase(&db);
    EXPECT_EQ(db.Clients().size(), 1u);
    t.OpenTable("SELECT * FROM Filmy");
    t.SetDatabase(&other);
    EXPECT_TRUE(t.IsEmpty());  // closed on the way
    EXPECT_TRUE(db.Clients().empty());
    EXPECT_EQ(other.Clients().size(), 1u);
    t.OpenTable("SELECT 5");
    EXPECT_EQ(t.Cell(0, 0), "5");
  }
  EXPECT_TRUE(other.Clients().empty());  // the destructor unregistered it
}

TEST_F(SimpleTableTest, DestroyedConnectionIsForgotten) {
  auto owned = std::make_unique<TOrvek3Database>();
  owned->SetDriver(DriverPath());
  owned->SetDatabaseFile(folder.File("test.sqlite"));
  TOrvek3SimpleTable t(owned.get());
  t.OpenTable("SELECT * FROM Filmy");
  ASSERT_FALSE(t.IsEmpty());
  owned.reset();
  EXPECT_EQ(t.Database(), nullptr);
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(ErrorOf([&] { t.OpenTable("SELECT 1"); }), "Not connected!");
}
