// UTF-16 databases: statements, parameters, collation and string tables go through the
// UTF-16 entry points and the code page conversions.
#include <gtest/gtest.h>

#include "test_util.h"

using namespace orvek3;
using kalmetra_test::DatabaseTest;
using kalmetra_test::ScopedCollationLocale;

namespace {

class Utf16Test : public DatabaseTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    DatabaseTest::SetUp();
    db.Connect();
    // The encoding of a new file is settled by its first table; names outside ASCII are
    // written only once the connection knows the encoding.
    db.ExecSQL(std::string("pragma encoding='") + GetParam() + "'; CREATE TABLE First(x)");
    db.Disconnect();
    db.Connect();
    db.ExecSQL("CREATE TABLE Filmy(Id INTEGER PRIMARY KEY, \"Re\x9E" "ie\" TEXT, Titul TEXT)");
  }

  std::u16string Text16(sqlite3_stmt* stmt, int column) {
    const char16_t* text = db.StmtColumnText16(stmt, column);
    return text != nullptr ? std::u16string(text) : std::u16string();
  }
};

}  // namespace

TEST_P(Utf16Test, EncodingIsDetected) {
  EXPECT_TRUE(db.ConvertTextToUtf8());
  EXPECT_EQ(db.GetPragma("encoding"), GetParam());
}

TEST_P(Utf16Test, TextTravelsAsUnicode) {
  TParams p;
  p.Add("r").SetAsString("Ji\xF8\xED Menzel");  // Jiří
  p.Add("t").SetAsString("Ost\xF8" "e sledovan\xE9 vlaky");
  p[1].SetDataType(TFieldType::ftWideString);
  db.ExecSQL("INSERT INTO Filmy(\"Re\x9E" "ie\", Titul) VALUES(:r, :t)", &p);
  // Text written into the statement itself is converted as well.
  db.ExecSQL("INSERT INTO Filmy(\"Re\x9E" "ie\", Titul) VALUES('V\xE1\x9A" "a', '\x8Akola')");

  int columns = 0;
  sqlite3_stmt* s = db.PrepareStatement("SELECT \"Re\x9E" "ie\", Titul FROM Filmy ORDER BY Id", nullptr, columns);
  ASSERT_EQ(columns, 2);
  EXPECT_EQ(db.StmtColumnName(s, 0), "Re\x9E" "ie");  // UTF-8 name back in the code page
  EXPECT_EQ(Text16(s, 0), u"Jiří Menzel");
  EXPECT_EQ(Text16(s, 1), u"Ostře sledované vlaky");
  EXPECT_STREQ(reinterpret_cast<const char*>(db.StmtColumnText(s, 0)), "Ji\xC5\x99\xC3\xAD Menzel");  // real UTF-8
  db.StepStatement(s);
  EXPECT_EQ(Text16(s, 0), u"Váša");
  EXPECT_EQ(Text16(s, 1), u"Škola");
  db.FinalizeStatement(s);

  TParams q;
  q.Add("who").SetAsString("Ji\xF8\xED Menzel");
  EXPECT_EQ(Scalar("SELECT count(*) FROM Filmy WHERE \"Re\x9E" "ie\" = :who", &q), "1");
  EXPECT_EQ(Scalar("SELECT count(*) FROM Filmy WHERE Titul = '\x8Akola'"), "1");
}

TEST_P(Utf16Test, ParameterNamesOutsideAscii) {
  TParams p;
  p.Add("\x8E\xE1nr").SetAsString("drama");  // Žánr
  EXPECT_EQ(Scalar("SELECT :\x8E\xE1nr", &p), "drama");
  EXPECT_EQ(Scalar("SELECT :\x9E\xC1NR", &p), "");  // ASCII letters only match without case
}

TEST_P(Utf16Test, CollationOfTheEncoding) {
  ScopedCollationLocale czech("cs_CZ.UTF-8");
  db.Disconnect();
  db.Connect();  // registered again with the locale now in force
  TParams p;
  p.Add("t");
  for (const char* word : {"ch", "b", "C", "h", "c", "\xE8", "ABC", "abc", "d"}) {
    p[0].SetAsString(word);
    db.ExecSQL("INSERT INTO Filmy(Titul) VALUES(:t)", &p);
  }
  std::vector<std::string> order;
  int columns = 0;
  sqlite3_stmt* s = db.PrepareStatement("SELECT Titul FROM Filmy ORDER BY Titul COLLATE NATIVE, Id", nullptr, columns);
  while (db.LastResult() == SQLITE_ROW) {
    order.push_back(Utf16ToAnsi(Text16(s, 0)));
    db.StepStatement(s);
  }
  db.FinalizeStatement(s);
  EXPECT_EQ(order, (std::vector<std::string>{"ABC", "abc", "b", "C", "c", "\xE8", "d", "h", "ch"}));
  EXPECT_EQ(Scalar("SELECT count(*) FROM Filmy WHERE Titul < 'C'"), "3");  // ABC, abc, b
  EXPECT_EQ(Scalar("SELECT count(*) FROM Filmy WHERE Titul = 'ABC'"), "2");
  EXPECT_EQ(Scalar("SELECT '\xC8' = '\xE8' COLLATE BINARY"), "1");  // Č and č
  EXPECT_EQ(Scalar("SELECT 'b' < 'C' COLLATE NATIVE"), "1");
}

TEST_P(Utf16Test, StringTablesConvertBothWays) {
  db.ExecSQL("INSERT INTO Filmy(\"Re\x9E" "ie\", Titul) VALUES('Jan Sv\xECr\xE1k', 'Kolja'), ('Jan H\xF8" "ebejk', 'Pel\xED\x9A" "ky')");
  TOrvek3SimpleTable t(&db);
  t.SetTableName("Filmy");
  t.SetColumnList("Re\x9E" "ie;Titul");
  t.SetFilter("\"Re\x9E" "ie\" = 'Jan Sv\xECr\xE1k'");
  t.OpenTable();
  ASSERT_FALSE(t.IsEmpty());
  EXPECT_EQ(t.RowCount(), 1);
  EXPECT_EQ(t.ColumnName(0), "Re\x9E" "ie");
  EXPECT_EQ(t.CellByName("re\x9E" "ie", 0), "Jan Sv\xECr\xE1k");

  t.OpenTable("SELECT Titul FROM Filmy WHERE \"Re\x9E" "ie\" = 'Jan Sv\xECr\xE1k'");
  EXPECT_EQ(t.Cell(0, 0), "Kolja");

  std::vector<std::pair<std::string, int>> info;
  db.GetTableInfo(info, "Filmy");
  EXPECT_EQ(info, (std::vector<std::pair<std::string, int>>{{"Id", 3}, {"Re\x9E" "ie", 0}, {"Titul", 0}}));
}

INSTANTIATE_TEST_SUITE_P(ByteOrders, Utf16Test, ::testing::Values("UTF-16le", "UTF-16be"));
