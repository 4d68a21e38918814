// The record-set model and the command record set: opening, moving, end flags, events,
// suspended notifications, field types and the lazy row cache.
#include <gtest/gtest.h>

#include "catalogue_fixture.h"

using namespace orvek3;
using kalmetra_test::CatalogueTest;
using kalmetra_test::EventLog;
using kalmetra_test::RecordingView;
using Strings = std::vector<std::string>;
using kalmetra_test::A;

namespace {

class RecordSetTest : public CatalogueTest {
 protected:
  void OpenCatalogue(TOrvek3Query& q, const std::string& order = "Id") {
    q.SetName("DataSet1");
    q.SetDatabase(&db_);
    q.SetRequestLive(true);
    q.SetSQL("SELECT * FROM Tabulka ORDER BY " + order);
    q.OpenSQL();
  }
};

TEST_F(RecordSetTest, EmptyCatalogueHasTenTypedFieldsAndNoRows) {
  TOrvek3Query q;
  OpenCatalogue(q);
  EXPECT_TRUE(q.Active());
  EXPECT_EQ(q.RecordCount(), 0);
  EXPECT_EQ(q.RecNo(), 1);
  EXPECT_TRUE(q.IsEmpty());
  EXPECT_TRUE(q.Bof());
  EXPECT_TRUE(q.Eof());
  ASSERT_EQ(q.FieldCount(), 10);
  EXPECT_EQ(q.Field(0).FieldName(), "Id");
  EXPECT_EQ(q.Field(0).DataType(), TFieldType::ftLargeint);
  const int sizes[] = {80, 4, 4, 30, 30, 30, 255, 255, 255};
  const char* names[] = {"Titul", "Rok", "Stopaz", "Zanr", "Puvod", "Rezie", "Obsazeni", "Koment", "Umisteni"};
  for (int i = 1; i < 10; ++i) {
    EXPECT_EQ(q.Field(i).FieldName(), names[i - 1]);
    EXPECT_EQ(q.Field(i).DataType(), TFieldType::ftString) << names[i - 1];
    EXPECT_EQ(q.Field(i).Size(), sizes[i - 1]) << names[i - 1];
  }
  EXPECT_EQ(q.KeyColumnName(), "Id");
  EXPECT_EQ(q.RowIdColumn(), 0);
  // Slots: presence byte plus the value, no gaps; the rowid follows the last slot.
  EXPECT_EQ(q.FieldOffsets()[0], 0);
  EXPECT_EQ(q.FieldOffsets()[1], 9);
  EXPECT_EQ(q.FieldOffsets()[2], 9 + 82);
  EXPECT_EQ(q.RowDataSize(), 9 + 82 + 6 + 6 + 32 + 32 + 32 + 257 + 257 + 257);
  EXPECT_EQ(q.FieldColumns()[9], 9);
  // Moving an empty record set changes nothing and raises nothing.
  q.Next();
  q.Prior();
  q.Last();
  EXPECT_TRUE(q.Bof());
  EXPECT_TRUE(q.Eof());
  EXPECT_TRUE(q.IsEmpty());
}

TEST_F(RecordSetTest, RowsAreReadEightAtATimeAndLastReadsAll) {
  FillRows(1000);
  TOrvek3Query q;
  OpenCatalogue(q);
  EXPECT_EQ(q.RecordCount(), 8);  // the first record of the window was read with its batch
  EXPECT_EQ(q.Field(0).AsLargeInt(), 1);
  q.Next();
  EXPECT_EQ(q.RecordCount(), 16);
  EXPECT_EQ(q.RecNo(), 2);
  q.Next();
  EXPECT_EQ(q.RecordCount(), 24);
  q.Last();
  EXPECT_EQ(q.RecordCount(), 1000);
  EXPECT_EQ(q.Field(0).AsLargeInt(), 1000);
  EXPECT_EQ(q.RecNo(), 1000);
  EXPECT_TRUE(q.Eof());
  EXPECT_FALSE(q.Bof());
  q.First();
  EXPECT_EQ(q.RecNo(), 1);
  EXPECT_TRUE(q.Bof());
  EXPECT_FALSE(q.Eof());
  EXPECT_EQ(q.RecordCount(), 1000);
  // Walking forward past every row also completes the count.
  TOrvek3Query w;
  OpenCatalogue(w);
  int seen = 1;
  while (!w.Eof()) {
    w.Next();
    if (!w.Eof()) ++seen;
  }
  EXPECT_EQ(seen, 1000);
  EXPECT_EQ(w.RecordCount(), 1000);
  EXPECT_EQ(w.Field(1).AsString(), "Film 1000");
}

TEST_F(RecordSetTest, EndFlagsAfterEveryKindOfMove) {
  FillRows(3);
  TOrvek3Query q;
  OpenCatalogue(q);
  EventLog log;
  log.Attach(q);
  EXPECT_TRUE(q.Bof());
  EXPECT_FALSE(q.Eof());
  q.Prior();  // at the beginning already: BeforeScroll only
  EXPECT_EQ(log.Take(), (Strings{"BeforeScroll"}));
  EXPECT_EQ(q.MoveBy(1), 1);
  EXPECT_FALSE(q.Bof());
  EXPECT_FALSE(q.Eof());
  EXPECT_EQ(log.Take(), (Strings{"BeforeScroll", "AfterScroll"}));
  EXPECT_EQ(q.MoveBy(5), 1);  // stops on the last row
  EXPECT_TRUE(q.Eof());
  EXPECT_EQ(q.Field(0).AsLargeInt(), 3);
  log.Take();
  q.Next();  // Eof already: no move, no AfterScroll
  EXPECT_EQ(log.Take(), (Strings{"BeforeScroll"}));
  EXPECT_EQ(q.Field(0).AsLargeInt(), 3);
  EXPECT_EQ(q.MoveBy(-5), 2);
  EXPECT_TRUE(q.Bof());
  EXPECT_FALSE(q.Eof());
  EXPECT_EQ(q.Field(0).AsLargeInt(), 1);
  q.Last();
  EXPECT_TRUE(q.Eof());
  EXPECT_FALSE(q.Bof());
  q.Prior();
  EXPECT_FALSE(q.Eof());
  EXPECT_FALSE(q.Bof());
  EXPECT_EQ(q.Field(0).AsLargeInt(), 2);
  log.Take();
  q.First();
  EXPECT_EQ(log.Take(), (Strings{"BeforeScroll", "AfterScroll"}));
  EXPECT_TRUE(q.Bof());
  // Next on the last row keeps it current and sets Eof.
  q.Last();
  q.Prior();
  q.Next();
  q.Next();
  EXPECT_TRUE(q.Eof());
  EXPECT_EQ(q.Field(0).AsLargeInt(), 3);
}

TEST_F(RecordSetTest, OpenAndCloseEventOrder) {
  TOrvek3Query q;
  EventLog log;
  log.Attach(q);
  OpenCatalogue(q);
  EXPECT_EQ(log.Take(), (Strings{"BeforeOpen", "AfterOpen"}));
  q.Close();
  EXPECT_EQ(log.Take(), (Strings{"BeforeClose", "AfterClose"}));
  EXPECT_FALSE(q.Active());
  q.Close();  // closed already
  EXPECT_TRUE(log.Take().empty());
  EXPECT_THROW(q.Next(), DatabaseError);
  try {
    q.First();
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "DataSet1: Cannot perform this operation on a closed dataset");
  }
}

TEST_F(RecordSetTest, StatementWithoutResultRunsAndStaysClosed) {
  FillRows(5);
  TOrvek3Query q(&db_);
  EventLog log;
  log.Attach(q);
  q.SetSQL("DELETE FROM Tabulka WHERE Id > 2");
  q.Open();
  EXPECT_FALSE(q.Active());
  EXPECT_EQ(log.Take(), (Strings{"BeforeOpen"}));
  EXPECT_EQ(ReadBack("SELECT count(*) FROM Tabulka"), "2");
}

TEST_F(RecordSetTest, DeclaredTypesGiveFieldTypes) {
  db_.ExecSQL(
      "CREATE TABLE T (a DOUBLE, b DATETIME, c DATE, d TINYINT, e REAL, f BOOLEAN, g BLOB, h TEXT, i VARCHAR, "
      "j SMALLINT, k MONEY, l TIME, m WORD, n CHAR(12))");
  TOrvek3Query q(&db_);
  q.SetSQL("SELECT * FROM T");
  q.Open();
  const std::pair<TFieldType, int> expected[] = {
      {TFieldType::ftString, 128}, {TFieldType::ftDateTime, 0}, {TFieldType::ftDate, 0},
      {TFieldType::ftString, 128}, {TFieldType::ftFloat, 0},    {TFieldType::ftBoolean, 0},
      {TFieldType::ftBlob, 0},     {TFieldType::ftMemo, 0},     {TFieldType::ftString, 128},
      {TFieldType::ftSmallint, 0}, {TFieldType::ftCurrency, 0}, {TFieldType::ftTime, 0},
      {TFieldType::ftWord, 0},     {TFieldType::ftString, 12},
  };
  ASSERT_EQ(q.FieldCount(), 14);
  for (int i = 0; i < 14; ++i) {
    EXPECT_EQ(q.Field(i).DataType(), expected[i].first) << q.Field(i).FieldName();
    if (expected[i].second != 0) {
      EXPECT_EQ(q.Field(i).Size(), expected[i].second) << q.Field(i).FieldName();
    }
  }
}

TEST_F(RecordSetTest, ValuesOfEveryTypeReadBack) {
  db_.ExecSQL("CREATE TABLE T (b DATETIME, c DATE, e REAL, f BOOLEAN, g BLOB, j SMALLINT, n INTEGER)");
  db_.ExecSQL("INSERT INTO T VALUES ('2018-3-20 10:30:00', '2018-3-20', 2.5, 1, x'00FF10', -7, 5000000000)");
  TOrvek3Query q(&db_);
  q.SetSQL("SELECT * FROM T");
  q.Open();
  EXPECT_EQ(q.FieldByName("b").AsString(), "2018-03-20 10:30:00");
  EXPECT_DOUBLE_EQ(q.FieldByName("c").AsDateTime(), 43179.0);
  EXPECT_EQ(q.FieldByName("c").AsString(), "2018-03-20");
  EXPECT_DOUBLE_EQ(q.FieldByName("e").AsFloat(), 2.5);
  EXPECT_TRUE(q.FieldByName("f").AsBoolean());
  EXPECT_EQ(q.FieldByName("g").AsBytes(), std::string("\x00\xFF\x10", 3));
  EXPECT_EQ(q.FieldByName("j").AsLargeInt(), -7);
  EXPECT_EQ(q.FieldByName("n").AsLargeInt(), 5000000000LL);
  // Dates written as text, in Czech or ISO order.
  q.Edit();
  q.FieldByName("c").SetAsString("21.3.2018");
  EXPECT_EQ(q.FieldByName("c").AsString(), "2018-03-21");
  q.FieldByName("b").SetAsString("2019-1-2 08:05:09");
  EXPECT_EQ(q.FieldByName("b").AsString(), "2019-01-02 08:05:09");
  EXPECT_THROW(q.FieldByName("c").SetAsString("31.2.2018"), DatabaseError);
  q.FieldByName("j").SetAsString("-32768");
  EXPECT_THROW(q.FieldByName("j").SetAsString("40000"), DatabaseError);
  q.Cancel();
  EXPECT_EQ(q.FieldByName("c").AsString(), "2018-03-20");
  // Blobs are not read when the record set is told not to.
  q.Close();
  q.SetFetchBlobs(false);
  q.Open();
  EXPECT_TRUE(q.FieldByName("g").IsNull());
}

TEST_F(RecordSetTest, AggregateTextAndOverlongValues) {
  FillRows(12);
  std::string longTitle(100, 'x');
  InsertTitles({longTitle});
  TOrvek3Query count(&db_);
  count.SetSQL("SELECT count(*) FROM Tabulka");
  count.Open();
  ASSERT_EQ(count.FieldCount(), 1);
  EXPECT_EQ(count.Field(0).DataType(), TFieldType::ftString);
  EXPECT_EQ(count.Field(0).Size(), 128);
  EXPECT_EQ(count.Field(0).AsString(), "13");

  TOrvek3Query q(&db_);
  q.SetSQL("SELECT * FROM Tabulka WHERE Titul LIKE 'x%'");
  q.Open();
  EXPECT_EQ(q.FieldByName("Titul").AsString(), std::string(80, 'x'));
  q.Close();
  // An INTEGER column holding text reads 0.
  db_.ExecSQL("CREATE TABLE N (v INTEGER)");
  db_.ExecSQL("INSERT INTO N VALUES ('12a')");
  TOrvek3Query n(&db_);
  n.SetSQL("SELECT v FROM N");
  n.Open();
  EXPECT_EQ(n.Field(0).AsLargeInt(), 0);
  EXPECT_FALSE(n.Field(0).IsNull());
}

TEST_F(RecordSetTest, DuplicateColumnNamesGiveOneFieldReadingTheFirst) {
  InsertTitles({"Obecná škola"});
  TOrvek3Query q(&db_);
  q.SetSQL("SELECT Titul, Id AS Titul, Rok FROM Tabulka");
  q.Open();
  ASSERT_EQ(q.FieldCount(), 2);
  EXPECT_EQ(q.Field(0).AsString(), "Obecná škola");
  EXPECT_EQ(q.Field(1).FieldName(), "Rok");
  EXPECT_EQ(q.FieldDefs().size(), 3u);
  EXPECT_TRUE(q.FieldDefs()[1].hidden);
}

TEST_F(RecordSetTest, CommandTextInOtherCaseKeepsTheRecordSetOpen) {
  FillRows(20);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Next();
  const int count = q.RecordCount();
  q.SetSQL("select * from tabulka order by id");
  EXPECT_TRUE(q.Active());
  EXPECT_EQ(q.RecordCount(), count);
  EXPECT_EQ(q.RecNo(), 2);
  // An unchanged text cannot be opened again.
  try {
    q.OpenSQL();
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "DataSet1: Cannot perform this operation on an open dataset");
  }
  // A changed text closes and reopens.
  q.SQLLines() = {"SELECT * FROM Tabulka ORDER BY Titul"};
  EXPECT_TRUE(q.Active());  // editing the lines does not change the command text by itself
  q.OpenSQL();
  EXPECT_TRUE(q.Active());
  EXPECT_EQ(q.CommandText(), "SELECT * FROM Tabulka ORDER BY Titul\r\n");
  EXPECT_EQ(q.RecordCount(), 8);
}

TEST_F(RecordSetTest, RecNoWritesInsideTheCacheOnly) {
  FillRows(30);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Last();
  EventLog log;
  log.Attach(q);
  q.SetRecNo(12);
  EXPECT_EQ(q.RecNo(), 12);
  EXPECT_EQ(q.Field(0).AsLargeInt(), 12);
  q.SetRecNo(0);
  EXPECT_EQ(q.RecNo(), 12);
  q.SetRecNo(31);
  EXPECT_EQ(q.RecNo(), 12);
  EXPECT_TRUE(log.Take().empty());  // no scroll events
}

TEST_F(RecordSetTest, WithoutRequestLiveThereIsNoRowId) {
  FillRows(3);
  TOrvek3Query q(&db_);
  q.SetSQL("SELECT * FROM Tabulka");
  q.Open();
  EXPECT_EQ(q.RowIdColumn(), -1);
  EXPECT_EQ(q.KeyColumnName(), "Id");
  EXPECT_EQ(q.CurrentRowId(), -1);
  q.Last();
  EXPECT_EQ(q.CurrentRowId(), -1);
  // With it, the INTEGER PRIMARY KEY is the rowid, and 64-bit values survive.
  db_.ExecSQL("INSERT INTO Tabulka (Id, Titul) VALUES (5000000000, 'Velké číslo')");
  TOrvek3Query live;
  OpenCatalogue(live);
  live.Last();
  EXPECT_EQ(live.CurrentRowId(), 5000000000LL);
  EXPECT_EQ(live.Field(0).AsString(), "5000000000");
  // A statement naming the rowid itself.
  TOrvek3Query r(&db_);
  r.SetRequestLive(true);
  r.SetSQL("SELECT rowid, Titul FROM Tabulka ORDER BY Titul");
  r.Open();
  EXPECT_EQ(r.RowIdColumn(), 0);
}

TEST_F(RecordSetTest, BookmarksNameRows) {
  FillRows(20);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.MoveBy(4);
  const TBookmark fifth = q.GetBookmark();
  q.MoveBy(10);
  const TBookmark fifteenth = q.GetBookmark();
  EXPECT_TRUE(q.BookmarkValid(fifth));
  EXPECT_FALSE(q.BookmarkValid(0));
  EXPECT_EQ(q.CompareBookmarks(0, 0), 0);
  EXPECT_EQ(q.CompareBookmarks(0, fifth), -1);
  EXPECT_EQ(q.CompareBookmarks(fifth, 0), 1);
  EXPECT_EQ(q.CompareBookmarks(fifth, fifth), 0);
  EXPECT_NE(q.CompareBookmarks(fifth, fifteenth), 0);
  EventLog log;
  log.Attach(q);
  q.GotoBookmark(fifth);
  EXPECT_EQ(q.Field(0).AsLargeInt(), 5);
  EXPECT_EQ(q.RecNo(), 5);
  EXPECT_EQ(log.Take(), (Strings{"BeforeScroll", "AfterScroll"}));
  q.GotoBookmark(0);
  EXPECT_TRUE(log.Take().empty());
  // A bookmark of a row that is no longer cached is not found.
  q.Refresh();
  EXPECT_THROW(q.GotoBookmark(fifteenth), DatabaseError);
}

TEST_F(RecordSetTest, RefreshReadsUpToTheCurrentRowAgain) {
  FillRows(40);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.MoveBy(20);
  EXPECT_EQ(q.Field(0).AsLargeInt(), 21);
  db_.ExecSQL("UPDATE Tabulka SET Titul = 'Změněno' WHERE Id = 21");
  q.Refresh();
  EXPECT_EQ(q.Field(0).AsLargeInt(), 21);
  EXPECT_EQ(q.Field(1).AsString(), "Změněno");
  EXPECT_EQ(q.RecNo(), 21);
  // When the row has gone, the whole result is read and the last row is current.
  db_.ExecSQL("DELETE FROM Tabulka WHERE Id = 21");
  q.Refresh();
  EXPECT_EQ(q.RecordCount(), 39);
  EXPECT_EQ(q.Field(0).AsLargeInt(), 40);
}

TEST_F(RecordSetTest, NestedDisableControlsSendOnlyAtTheOutermostEnable) {
  FillRows(20);
  TOrvek3Query q;
  RecordingView view;
  q.AddView(&view);
  OpenCatalogue(q);
  view.events.clear();
  q.DisableControls();
  q.DisableControls();
  q.Next();
  q.Last();
  q.EnableControls();
  EXPECT_TRUE(view.events.empty());
  q.EnableControls();
  ASSERT_EQ(view.events.size(), 1u);
  EXPECT_EQ(view.events[0], TDataEvent::deDataSetChange);
  q.EnableControls();  // unmatched: nothing
  EXPECT_EQ(view.events.size(), 1u);
  // A change between inactive and active is still reported while suspended.
  view.events.clear();
  q.DisableControls();
  q.Close();
  EXPECT_EQ(view.Count(TDataEvent::deUpdateState), 1);
  q.EnableControls();
  EXPECT_EQ(view.Count(TDataEvent::deUpdateState), 2);  // state differs from the remembered one
  EXPECT_EQ(view.Count(TDataEvent::deDataSetChange), 0);
  q.RemoveView(&view);
}

TEST_F(RecordSetTest, ViewsAreToldOfMovesAndChanges) {
  FillRows(5);
  TOrvek3Query q;
  RecordingView view;
  q.AddView(&view);
  OpenCatalogue(q);
  view.events.clear();
  q.Next();
  EXPECT_EQ(view.events, std::vector<TDataEvent>{TDataEvent::deDataSetScroll});
  view.events.clear();
  q.Last();
  EXPECT_EQ(view.events, std::vector<TDataEvent>{TDataEvent::deDataSetChange});
  view.events.clear();
  q.Edit();
  q.FieldByName("Titul").SetAsString("Nový");
  EXPECT_EQ(view.Count(TDataEvent::deUpdateState), 1);
  EXPECT_EQ(view.Count(TDataEvent::deRecordChange), 1);
  EXPECT_EQ(view.Count(TDataEvent::deFieldChange), 1);
  view.events.clear();
  q.Post();
  EXPECT_EQ(view.events.front(), TDataEvent::deUpdateRecord);
  q.RemoveView(&view);
}

TEST_F(RecordSetTest, CachedRowsAreReadableWithoutMovingTheCursor) {
  InsertTitles({"Amadeus", "Babička", "Cesta do pravěku"});
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Last();
  q.First();
  ASSERT_EQ(q.CachedRowCount(), 3);
  EXPECT_EQ(q.CachedText(1, 1), "Babička");
  EXPECT_EQ(q.CachedText(2, 0), "3");
  EXPECT_TRUE(q.CachedIsNull(2, 2));
  EXPECT_EQ(q.CachedText(3, 0), "");
  EXPECT_EQ(q.RecNo(), 1);
  EXPECT_EQ(q.ActiveRowIndex(), 0);
}

// Rows read from a statement share storage blocks: each row must still hold its own values,
// a deleted row must not disturb its neighbours, and another layout must not reuse old blocks.
TEST_F(RecordSetTest, RowsAcrossStorageBlocksKeepTheirOwnValues) {
  FillRows(300);
  db_.ExecSQL("UPDATE Tabulka SET Rok = NULL WHERE Id % 7 = 0");
  db_.ExecSQL("UPDATE Tabulka SET Zanr = '' WHERE Id % 5 = 0");
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Last();
  ASSERT_EQ(q.CachedRowCount(), 300);
  for (int i = 0; i < 300; ++i) {
    const int id = i + 1;
    ASSERT_EQ(q.CachedText(i, 1), "Film " + std::to_string(id)) << id;
    EXPECT_EQ(q.CachedIsNull(i, 2), id % 7 == 0) << id;
    EXPECT_EQ(q.CachedIsNull(i, 4), id % 5 != 0) << id;  // an empty text is not NULL
  }
  q.SetRecNo(130);
  q.Delete();
  ASSERT_EQ(q.CachedRowCount(), 299);
  EXPECT_EQ(q.CachedText(128, 1), "Film 129");
  EXPECT_EQ(q.CachedText(129, 1), "Film 131");
  EXPECT_EQ(q.CachedText(298, 1), "Film 300");

  q.Close();
  q.SetSQL("SELECT Titul, Id FROM Tabulka ORDER BY Id DESC");
  q.OpenSQL();
  q.Last();
  ASSERT_EQ(q.CachedRowCount(), 299);
  EXPECT_EQ(q.CachedText(0, 0), "Film 300");
  EXPECT_EQ(q.CachedText(0, 1), "300");
  EXPECT_EQ(q.CachedText(298, 0), "Film 1");
}

TEST_F(RecordSetTest, IntegerFieldText) {
  InsertTitles({"Pelíšky"});
  TOrvek3Query q;
  OpenCatalogue(q);
  TRecField& id = q.FieldByName("ID");
  q.Edit();
  id.SetAsString("");
  EXPECT_TRUE(id.IsNull());
  EXPECT_EQ(id.AsString(), "");
  try {
    id.SetAsString("12a");
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "DataSet1: '12a' is not a valid integer value for field 'Id'");
  }
  id.SetAsString("-42");
  EXPECT_EQ(id.AsLargeInt(), -42);
  q.Cancel();
  EXPECT_EQ(id.AsString(), "1");
  // Text fields are cut to their size.
  q.Edit();
  q.FieldByName("Rok").SetAsString("19999");
  EXPECT_EQ(q.FieldByName("Rok").AsString(), "1999");
  q.Cancel();
  try {
    q.FieldByName("Neni");
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "DataSet1: Field 'Neni' not found");
  }
  try {
    q.FieldByName("Titul").SetAsString("x");
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "DataSet1: Dataset not in edit or insert mode");
  }
}

TEST_F(RecordSetTest, ParametersBindByName) {
  FillRows(10);
  TOrvek3Query q(&db_);
  q.SetSQL("SELECT * FROM Tabulka WHERE Id >= :Od AND Titul <> ':nic' ORDER BY Id");
  ASSERT_EQ(q.Params().Count(), 1);
  EXPECT_EQ(q.Params()[0].Name(), "Od");
  q.Params().ParamByName("od").SetAsLargeInt(8);
  q.Open();
  q.Last();
  EXPECT_EQ(q.RecordCount(), 3);
  EXPECT_EQ(ScanParameterNames("a=:x and b=\":y\" and c=:X and d=:z1"), (Strings{"x", "z1"}));
}

TEST_F(RecordSetTest, ErrorsOfOpening) {
  TOrvek3Query q;
  q.SetName("DataSet1");
  q.SetSQL("SELECT 1");
  try {
    q.Open();
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "DataSet1: Missing Database property!");
  }
  q.SetDatabase(&db_);
  q.SetSQL(std::vector<std::string>{});
  try {
    q.Open();
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "DataSet1: Invalid SQL command!");
  }
  EXPECT_FALSE(q.Active());
  q.SetSQL("SELECT * FROM Neexistuje");
  try {
    q.Open();
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "Orvek3Database1: no such table: Neexistuje");
  }
  EXPECT_FALSE(q.Active());
  // The record set is usable again afterwards.
  q.SetSQL("SELECT * FROM Tabulka");
  q.Open();
  EXPECT_TRUE(q.Active());
}

TEST_F(RecordSetTest, DisconnectClosesQueriesAndDestructionForgetsTheConnection) {
  FillRows(3);
  TOrvek3Query q;
  EventLog log;
  OpenCatalogue(q);
  log.Attach(q);
  db_.Disconnect();
  EXPECT_FALSE(q.Active());
  EXPECT_EQ(log.Take(), (Strings{"BeforeClose", "AfterClose"}));
  db_.Connect();
  auto other = std::make_unique<TOrvek3Database>();
  other->SetDriver(kalmetra_test::DriverPath());
  other->SetDatabaseFile(dbPath_);
  TOrvek3Query q2(other.get());
  q2.SetSQL("SELECT * FROM Tabulka");
  q2.Open();
  EXPECT_EQ(other->Clients().size(), 1u);
  other.reset();
  EXPECT_EQ(q2.Database(), nullptr);
  EXPECT_FALSE(q2.Active());
  // Moving the query to another connection moves its registration.
  TOrvek3Query q3(&db_);
  const size_t before = db_.Clients().size();
  q3.SetDatabase(nullptr);
  EXPECT_EQ(db_.Clients().size(), before - 1);
}

TEST_F(RecordSetTest, FilteredMovesSkipRejectedRows) {
  FillRows(30);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.SetOnFilterRecord([](TRecordSet& rs, bool& accept) { accept = rs.FieldByName("Id").AsLargeInt() % 10 == 0; });
  q.SetFiltered(true);
  EXPECT_EQ(q.Field(0).AsLargeInt(), 10);
  q.Next();
  EXPECT_EQ(q.Field(0).AsLargeInt(), 20);
  q.Next();
  q.Next();
  EXPECT_TRUE(q.Eof());
  EXPECT_EQ(q.Field(0).AsLargeInt(), 30);
  q.Prior();
  EXPECT_EQ(q.Field(0).AsLargeInt(), 20);
  q.Last();
  EXPECT_EQ(q.Field(0).AsLargeInt(), 30);
  EXPECT_EQ(q.RecordCount(), 30);  // counts every cached row
  q.SetOnFilterRecord([](TRecordSet&, bool& accept) { accept = false; });
  EXPECT_TRUE(q.IsEmpty());
  EXPECT_TRUE(q.Eof());
  q.SetFiltered(false);
  EXPECT_EQ(q.Field(0).AsLargeInt(), 1);
}

TEST_F(RecordSetTest, RaisingFilterReportsFilterException) {
  FillRows(5);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.SetOnFilterRecord([](TRecordSet&, bool&) { throw std::runtime_error("boom"); });
  try {
    q.SetFiltered(true);
    FAIL();
  } catch (const DatabaseError&) {
    FAIL() << "a plain error was expected";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Filter Exception");
  }
  EXPECT_EQ(q.State(), TDataSetState::dsBrowse);
}

TEST_F(RecordSetTest, CzechOrderThroughTheNativeCollation) {
  kalmetra_test::ScopedCollationLocale czech("cs_CZ.UTF-8");
  InsertTitles({"Chobotnice", "Cesta", A("Čert"), "hrad", A("Babička"), "abc", "ABC"});
  TOrvek3Query q;
  OpenCatalogue(q, "Titul COLLATE NATIVE");
  q.Last();
  Strings order;
  for (q.First(); !q.Eof(); q.Next()) order.push_back(q.FieldByName("Titul").AsString());
  ASSERT_EQ(order.size(), 7u);
  EXPECT_EQ(order[2], A("Babička"));
  EXPECT_TRUE((order[0] == "abc" && order[1] == "ABC") || (order[0] == "ABC" && order[1] == "abc"));
  // Czech: c < č < h < ch.
  EXPECT_EQ((Strings{order[3], order[4], order[5], order[6]}), (Strings{"Cesta", A("Čert"), "hrad", "Chobotnice"}));
}

}  // namespace

namespace {

// A UTF-16 database: string fields are wide, values travel through the UTF-16 interfaces.
TEST(RecordSetUtf16, WideStringFieldsReadAndWriteTheCodePageText) {
  kalmetra_test::TempFolder folder;
  TOrvek3Database db;
  db.SetDriver(kalmetra_test::DriverPath());
  db.SetDatabaseFile(folder.File("w.sqlite"));
  db.SetMustExists(false);
  db.Connect();
  db.ExecSQL("pragma encoding='UTF-16le'; CREATE TABLE Tabulka (Id INTEGER PRIMARY KEY, Titul VARCHAR(12))");
  db.Disconnect();
  db.Connect();
  ASSERT_TRUE(db.ConvertTextToUtf8());
  TParams p;
  p.Add("t").SetAsString(A("Ostře sledované vlaky"));
  db.ExecSQL("INSERT INTO Tabulka (Titul) VALUES (:t)", &p);

  TOrvek3Query q(&db);
  q.SetName("DataSet1");
  q.SetRequestLive(true);
  q.SetSQL("SELECT * FROM Tabulka");
  q.Open();
  TRecField& titul = q.FieldByName("Titul");
  EXPECT_EQ(titul.DataType(), TFieldType::ftWideString);
  EXPECT_NE(dynamic_cast<TWideStringField*>(&titul), nullptr);
  EXPECT_EQ(titul.Size(), 12);
  EXPECT_EQ(titul.AsString(), A("Ostře sledov"));  // cut to 12 characters, not bytes
  q.Edit();
  titul.SetAsString(A("Kočár do Vídně"));
  EXPECT_EQ(titul.AsString(), A("Kočár do Víd"));
  q.Post();
  q.Close();
  q.Open();
  EXPECT_EQ(q.FieldByName("Titul").AsString(), A("Kočár do Víd"));
  EXPECT_EQ(q.CachedText(0, 1), A("Kočár do Víd"));
  int columns = 0;
  sqlite3_stmt* s = db.PrepareStatement("SELECT Titul FROM Tabulka", nullptr, columns);
  EXPECT_EQ(std::u16string(db.StmtColumnText16(s, 0)), u"Kočár do Víd");
  db.FinalizeStatement(s);
  q.Close();
  // A wide field without a record set says so.
  TWideStringField lone(nullptr, "Titul", 10);
  try {
    lone.SetAsString("x");
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "Titul. Missing DataSet property!");
  }
}

}  // namespace
