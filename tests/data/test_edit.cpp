// Editing through the command record set: the generated statements, what reaches the
// database file, failed posts, deletes, blob streams and locating rows.
#include <gtest/gtest.h>

#include <cstring>

#include "catalogue_fixture.h"

using namespace orvek3;
using kalmetra_test::A;
using kalmetra_test::CatalogueTest;
using kalmetra_test::EventLog;
using Strings = std::vector<std::string>;

namespace {

class EditTest : public CatalogueTest {
 protected:
  void OpenCatalogue(TOrvek3Query& q) {
    q.SetName("DataSet1");
    q.SetDatabase(&db_);
    q.SetRequestLive(true);
    q.SetSQL("SELECT * FROM Tabulka ORDER BY Id");
    q.OpenSQL();
    q.Last();
    q.First();
  }
  std::string Count() { return ReadBack("SELECT count(*) FROM Tabulka"); }
};

TEST_F(EditTest, AppendPostsOneInsertOfTheAssignedFieldsInOrder) {
  FillRows(3);
  TOrvek3Query q;
  OpenCatalogue(q);
  TOrvek3Query next(&db_);
  q.AfterInsert = [&](TRecordSet& rs) {
    next.SetCommandText("SELECT MAX(Id) AS NejCislo FROM Tabulka");
    next.Open();
    rs.FieldByName("Id").SetAsLargeInt(next.Field(0).AsLargeInt() + 1);
    next.Close();
  };
  q.Append();
  EXPECT_EQ(q.State(), TDataSetState::dsInsert);
  EXPECT_EQ(q.RecordCount(), 3);
  q.FieldByName("Titul").SetAsString(A("Vesničko má středisková"));
  q.FieldByName("Rok").SetAsString("1985");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Id", ":PARA0"}, {"Titul", ":PARA1"}, {"Rok", ":PARA2"}};
  EXPECT_EQ(q.ModifiedFields(), expected);
  q.Post();
  EXPECT_EQ(q.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(q.RecordCount(), 4);
  EXPECT_EQ(q.RecNo(), 4);
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 4);
  EXPECT_EQ(q.CurrentRowId(), 4);
  EXPECT_EQ(ReadBack("SELECT Titul FROM Tabulka WHERE Id = 4"), A("Vesničko má středisková"));
  EXPECT_EQ(ReadBack("SELECT Stopaz IS NULL FROM Tabulka WHERE Id = 4"), "1");
  EXPECT_EQ(ReadBack("SELECT seq FROM sqlite_sequence WHERE name = 'Tabulka'"), "4");
}

TEST_F(EditTest, StatementTextsOfInsertAndUpdate) {
  FillRows(5);
  TOrvek3Query q;
  OpenCatalogue(q);
  // The generated statement names the table as extracted: upper case.
  q.Append();
  q.FieldByName("Id").SetAsLargeInt(6);
  q.FieldByName("Titul").SetAsString("X");
  q.FieldByName("Rok").SetAsString("2001");
  db_.ExecSQL("ALTER TABLE Tabulka RENAME TO Stara");
  try {
    q.Post();
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "Orvek3Database1: no such table: TABULKA");
  }
  EXPECT_EQ(q.State(), TDataSetState::dsInsert);
  EXPECT_EQ(q.RecordCount(), 5);
  db_.ExecSQL("ALTER TABLE Stara RENAME TO Tabulka");
  q.Post();
  EXPECT_EQ(Count(), "6");
  q.First();
  q.MoveBy(4);
  q.Edit();
  q.FieldByName("Titul").SetAsString("Nový titul");
  q.FieldByName("Rok").SetAsString("1999");
  q.FieldByName("Titul").SetAsString("Jiný titul");
  const std::vector<std::pair<std::string, std::string>> expected = {{"Titul", ":PARA1"}, {"Rok", ":PARA2"}};
  EXPECT_EQ(q.ModifiedFields(), expected);
  q.Post();
  EXPECT_EQ(ReadBack("SELECT Titul || '/' || Rok FROM Tabulka WHERE Id = 5"), "Jiný titul/1999");
  EXPECT_EQ(ReadBack("SELECT count(*) FROM Tabulka WHERE Titul = 'Film 4'"), "1");
}

TEST_F(EditTest, ValuesTravelAsParametersAndNullAsLiteral) {
  InsertTitles({"Původní"});
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Edit();
  // A value that would break a statement pasted as text.
  q.FieldByName("Titul").SetAsString("O'Brien\"; DROP TABLE Tabulka; --");
  q.FieldByName("Rok").Clear();
  q.FieldByName("Koment").SetAsString("");
  EXPECT_EQ(q.ModifiedFields()[1].second, "NULL");
  EXPECT_EQ(q.ModifiedFields()[2].second, ":PARA8");
  q.Post();
  EXPECT_EQ(ReadBack("SELECT Titul FROM Tabulka WHERE Id = 1"), "O'Brien\"; DROP TABLE Tabulka; --");
  EXPECT_EQ(ReadBack("SELECT Rok IS NULL FROM Tabulka WHERE Id = 1"), "1");
  EXPECT_EQ(ReadBack("SELECT (Koment IS NULL) || '/' || length(Koment) FROM Tabulka WHERE Id = 1"), "0/0");
}

TEST_F(EditTest, UpdateOfARowDeletedMeanwhileFailsAndRestoresTheCachedRow) {
  FillRows(3);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Next();
  {
    TOrvek3Database other;
    other.SetDriver(kalmetra_test::DriverPath());
    other.SetDatabaseFile(dbPath_);
    other.Connect();
    other.ExecSQL("DELETE FROM Tabulka WHERE Id = 2");
  }
  q.Edit();
  q.FieldByName("Titul").SetAsString("Ztracený");
  try {
    q.Post();
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "DataSet1: Data write error, rows affected = 0!");
  }
  EXPECT_EQ(q.State(), TDataSetState::dsEdit);
  EXPECT_EQ(q.FieldByName("Titul").AsString(), "Film 2");
  EXPECT_EQ(q.ModifiedFields().size(), 1u);
  q.Cancel();
  EXPECT_EQ(Count(), "2");
  EXPECT_EQ(ReadBack("SELECT count(*) FROM Tabulka WHERE Titul = 'Ztracený'"), "0");
}

TEST_F(EditTest, ChangedKeyKeepsTheRowAddressable) {
  FillRows(3);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Next();
  q.Edit();
  q.FieldByName("Id").SetAsLargeInt(5000000000LL);
  q.Post();
  EXPECT_EQ(q.CurrentRowId(), 5000000000LL);
  q.Edit();
  q.FieldByName("Titul").SetAsString("Po změně klíče");
  q.Post();
  EXPECT_EQ(ReadBack("SELECT Titul FROM Tabulka WHERE Id = 5000000000"), "Po změně klíče");
  EXPECT_EQ(ReadBack("SELECT count(*) FROM Tabulka WHERE Id = 2"), "0");
  EXPECT_EQ(Count(), "3");
}

TEST_F(EditTest, LargeIdInsertedEditedAndReadBack) {
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Append();
  q.FieldByName("Id").SetAsString("5000000000");
  q.FieldByName("Titul").SetAsString("Velké Id");
  q.Post();
  EXPECT_EQ(q.CurrentRowId(), 5000000000LL);
  q.Edit();
  q.FieldByName("Rok").SetAsString("2020");
  q.Post();
  EXPECT_EQ(ReadBack("SELECT Rok FROM Tabulka WHERE Id = 5000000000"), "2020");
  q.Close();
  q.Open();
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 5000000000LL);
  EXPECT_EQ(q.FieldByName("Rok").AsString(), "2020");
}

TEST_F(EditTest, InsertWithNoFieldAssignedFailsWithTheLibraryMessage) {
  FillRows(1);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Append();
  try {
    q.Post();
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_EQ(std::string(e.what()).rfind("Orvek3Database1: near \")\": syntax error", 0), 0u) << e.what();
  }
  EXPECT_EQ(q.State(), TDataSetState::dsInsert);
  EXPECT_EQ(q.RecordCount(), 1);
  q.Cancel();
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 1);
  EXPECT_EQ(Count(), "1");
}

TEST_F(EditTest, ReadOnlyRecordSetsCannotPostOrDelete) {
  FillRows(2);
  TOrvek3Query q(&db_);
  q.SetName("OrQuery_Funkce");
  q.SetSQL("SELECT * FROM Tabulka");
  q.Open();
  q.Edit();  // the check comes at post
  q.FieldByName("Titul").SetAsString("Nic");
  try {
    q.Post();
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "OrQuery_Funkce: Cannot modify a read-only dataset");
  }
  q.Cancel();
  EXPECT_EQ(q.FieldByName("Titul").AsString(), "Film 1");
  EXPECT_THROW(q.Delete(), DatabaseError);
  EXPECT_EQ(Count(), "2");
  // A live statement without a rowid column is read-only as well.
  TOrvek3Query noKey(&db_);
  noKey.SetRequestLive(true);
  noKey.SetSQL("SELECT Titul FROM Tabulka");
  noKey.Open();
  noKey.Edit();
  noKey.Field(0).SetAsString("Nic");
  EXPECT_THROW(noKey.Post(), DatabaseError);
  noKey.Cancel();
}

TEST_F(EditTest, DeleteOfTheLastCachedRowLeavesTheNewLastCurrent) {
  FillRows(4);
  TOrvek3Query q;
  OpenCatalogue(q);
  EventLog log;
  log.Attach(q);
  q.Last();
  log.Take();
  q.Delete();
  EXPECT_EQ(log.Take(), (Strings{"BeforeDelete", "BeforeScroll", "AfterDelete", "AfterScroll"}));
  EXPECT_EQ(q.RecordCount(), 3);
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 3);
  EXPECT_EQ(Count(), "3");
  // Deleting in the middle makes the following row current.
  q.First();
  q.Delete();
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 2);
  q.Delete();
  q.Delete();
  EXPECT_TRUE(q.IsEmpty());
  try {
    q.Delete();
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "DataSet1: Cannot perform this operation on an empty dataset");
  }
  EXPECT_EQ(Count(), "0");
}

TEST_F(EditTest, EventOrderOfEditing) {
  FillRows(2);
  TOrvek3Query q;
  OpenCatalogue(q);
  EventLog log;
  log.Attach(q);
  q.Edit();
  EXPECT_EQ(log.Take(), (Strings{"BeforeEdit", "AfterEdit"}));
  q.Edit();  // already editing
  EXPECT_TRUE(log.Take().empty());
  q.FieldByName("Titul").SetAsString("A");
  q.Post();
  EXPECT_EQ(log.Take(), (Strings{"BeforePost", "AfterPost"}));
  q.Insert();
  EXPECT_EQ(log.Take(), (Strings{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}));
  q.Cancel();
  EXPECT_EQ(log.Take(), (Strings{"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"}));
  EXPECT_EQ(q.FieldByName("Titul").AsString(), "A");
  q.Edit();
  log.Take();
  q.Cancel();
  EXPECT_EQ(log.Take(), (Strings{"BeforeCancel", "AfterCancel"}));
  q.Cancel();  // outside edit: nothing
  EXPECT_TRUE(log.Take().empty());
  q.Append();
  log.Take();
  q.Delete();  // while inserting, delete cancels
  EXPECT_EQ(log.Take(), (Strings{"BeforeCancel", "BeforeScroll", "AfterCancel", "AfterScroll"}));
  EXPECT_EQ(Count(), "2");
}

TEST_F(EditTest, EditOnAnEmptyRecordSetInserts) {
  TOrvek3Query q;
  OpenCatalogue(q);
  EventLog log;
  log.Attach(q);
  q.Edit();
  EXPECT_EQ(q.State(), TDataSetState::dsInsert);
  const Strings e = log.Take();
  EXPECT_EQ(e, (Strings{"BeforeInsert", "BeforeScroll", "OnNewRecord", "AfterInsert", "AfterScroll"}));
  q.FieldByName("Id").SetAsLargeInt(1);
  q.Post();
  EXPECT_EQ(Count(), "1");
}

TEST_F(EditTest, BrowseModeCheckPostsChangesAndCancelsTheRest) {
  FillRows(3);
  TOrvek3Query q;
  OpenCatalogue(q);
  EventLog log;
  log.Attach(q);
  q.Edit();
  q.FieldByName("Titul").SetAsString("Změna při pohybu");
  log.Take();
  q.Next();
  EXPECT_EQ(log.Take(), (Strings{"BeforePost", "AfterPost", "BeforeScroll", "AfterScroll"}));
  EXPECT_EQ(ReadBack("SELECT Titul FROM Tabulka WHERE Id = 1"), "Změna při pohybu");
  q.Edit();
  log.Take();
  q.Next();
  EXPECT_EQ(log.Take(), (Strings{"BeforeCancel", "AfterCancel", "BeforeScroll", "AfterScroll"}));
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 3);
}

TEST_F(EditTest, CancelledEditValuesDoNotStayVisible) {
  FillRows(2);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Edit();
  q.FieldByName("Titul").SetAsString("Zrušeno");
  q.Cancel();
  EXPECT_EQ(q.FieldByName("Titul").AsString(), "Film 1");
  EXPECT_EQ(q.CachedText(0, 1), "Film 1");
}

TEST_F(EditTest, ANewRecordHandlerThatRaisesDiscardsTheRecord) {
  FillRows(2);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Next();
  q.OnNewRecord = [](TRecordSet&) { throw std::runtime_error("ne"); };
  EXPECT_THROW(q.Append(), std::runtime_error);
  EXPECT_EQ(q.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(q.RecordCount(), 2);
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 2);
  EXPECT_EQ(Count(), "2");
}

TEST_F(EditTest, ReadOnlyFieldsAndTheDeleteErrorHandler) {
  FillRows(2);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.FieldByName("Rok").SetReadOnly(true);
  q.Edit();
  try {
    q.FieldByName("Rok").SetAsString("2000");
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "DataSet1: Field 'Rok' cannot be modified");
  }
  q.Cancel();
  // A delete the database refuses goes to its handler, which may drop the error.
  db_.ExecSQL("CREATE TRIGGER Nemazat BEFORE DELETE ON Tabulka BEGIN SELECT RAISE(ABORT, 'mazani zakazano'); END");
  std::string seen;
  q.OnDeleteError = [&](TRecordSet&, const std::exception& e, TDataAction& action) {
    seen = e.what();
    action = TDataAction::daAbort;
  };
  EXPECT_THROW(q.Delete(), OperationAborted);
  EXPECT_EQ(seen, "Orvek3Database1: mazani zakazano");
  EXPECT_EQ(q.RecordCount(), 2);
  EXPECT_EQ(Count(), "2");
  q.OnDeleteError = nullptr;
  EXPECT_THROW(q.Delete(), DatabaseError);
  EXPECT_EQ(Count(), "2");
}

TEST_F(EditTest, RequiredFieldsAndErrorHandlers) {
  FillRows(1);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.FieldByName("Titul").SetRequired(true);
  q.FieldByName("Titul").SetDisplayLabel("Titul filmu");
  q.Edit();
  q.FieldByName("Titul").Clear();
  try {
    q.Post();
    FAIL();
  } catch (const DatabaseError& e) {
    EXPECT_STREQ(e.what(), "DataSet1: Field 'Titul filmu' must have a value");
  }
  // The failed post put the row back as it was.
  EXPECT_EQ(q.State(), TDataSetState::dsEdit);
  EXPECT_EQ(q.FieldByName("Titul").AsString(), "Film 1");
  q.FieldByName("Titul").Clear();
  int calls = 0;
  q.OnPostError = [&](TRecordSet&, const std::exception&, TDataAction& action) {
    ++calls;
    action = TDataAction::daAbort;
  };
  EXPECT_THROW(q.Post(), OperationAborted);
  EXPECT_EQ(calls, 1);
  q.OnPostError = [&](TRecordSet& rs, const std::exception&, TDataAction& action) {
    ++calls;
    rs.FieldByName("Titul").SetAsString("Opraveno");
    action = TDataAction::daRetry;
  };
  q.FieldByName("Titul").Clear();
  EXPECT_EQ(ReadBack("SELECT Titul FROM Tabulka WHERE Id = 1"), "Film 1");  // nothing written by the failures
  q.Post();
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(ReadBack("SELECT Titul FROM Tabulka WHERE Id = 1"), "Opraveno");
}

TEST_F(EditTest, BlobWrittenInThreeWritesIsPostedUnderItsBlobMarker) {
  db_.ExecSQL("CREATE TABLE Obr (Id INTEGER PRIMARY KEY, Data BLOB)");
  db_.ExecSQL("INSERT INTO Obr VALUES (1, x'0102')");
  TOrvek3Query q(&db_);
  q.SetName("Obrazky");
  q.SetRequestLive(true);
  q.SetSQL("SELECT * FROM Obr");
  q.Open();
  {
    auto reader = q.CreateBlobStream(q.FieldByName("Data"), TOrvek3BlobStream::bmRead);
    EXPECT_EQ(reader->Size(), 2);
    char buf[8] = {};
    EXPECT_EQ(reader->Read(buf, 8), 2);
    EXPECT_EQ(buf[1], 2);
    EXPECT_EQ(reader->Read(buf, 8), 0);
    EXPECT_EQ(reader->Seek(-1, 2), 1);
    EXPECT_EQ(reader->Write(buf, 1), 0);  // read mode
  }
  q.Edit();
  {
    auto writer = q.CreateBlobStream(q.FieldByName("Data"), TOrvek3BlobStream::bmWrite);
    EXPECT_EQ(writer->Size(), 0);  // writing replaces the value
    char chunk[10];
    for (int i = 0; i < 3; ++i) {
      std::memset(chunk, 'a' + i, sizeof chunk);
      EXPECT_EQ(writer->Write(chunk, 10), 10);
    }
    EXPECT_EQ(writer->Size(), 30);
  }
  ASSERT_EQ(q.ModifiedFields().size(), 1u);
  EXPECT_EQ(q.ModifiedFields()[0].second, ":BLOB1");
  EXPECT_TRUE(q.Modified());
  q.Post();
  EXPECT_EQ(ReadBack("SELECT length(Data) || typeof(Data) FROM Obr"), "30blob");
  EXPECT_EQ(ReadBack("SELECT substr(Data, 11, 10) FROM Obr"), "bbbbbbbbbb");
  EXPECT_EQ(q.FieldByName("Data").AsBytes().size(), 30u);
}

TEST_F(EditTest, LocateTriesTheCurrentRowFirstAndRestoresThePosition) {
  InsertTitles({"Amadeus", A("Marečku, podejte mi pero!"), "MASH", A("Limonádový Joe")});
  TOrvek3Query q;
  OpenCatalogue(q);
  EventLog log;
  log.Attach(q);
  EXPECT_TRUE(q.Locate("Titul", {"ma"}, loCaseInsensitive | loPartialKey));
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 2);
  EXPECT_EQ(log.Take(), (Strings{"BeforeScroll", "AfterScroll"}));
  q.Next();
  EXPECT_TRUE(q.Locate("Titul", {"ma"}, loCaseInsensitive | loPartialKey));
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 3);  // the current row matched
  EXPECT_FALSE(q.Locate("Titul", {"ma"}, loPartialKey));  // case matters without the option
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 3);
  log.Take();
  EXPECT_FALSE(q.Locate("Titul", {"Pelíšky"}, loCaseInsensitive));
  EXPECT_EQ(log.Take(), (Strings{"BeforeScroll"}));
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 3);
  EXPECT_TRUE(q.Locate("Titul", {"mash"}, loCaseInsensitive));
  EXPECT_TRUE(q.Locate("Id;Titul", {"4", A("Limonádový Joe")}, 0));
  EXPECT_EQ(q.RecNo(), 4);
  std::vector<std::string> result;
  EXPECT_TRUE(q.Lookup("Id", {"1"}, "Titul;Id", result));
  EXPECT_EQ(result, (Strings{"Amadeus", "1"}));
  EXPECT_FALSE(q.Lookup("Id", {"99"}, "Titul", result));
  EXPECT_TRUE(result.empty());
}

}  // namespace

namespace {

TEST_F(EditTest, DeletingTheLastCachedRowBringsTheNextRowOfTheStatement) {
  FillRows(30);
  TOrvek3Query q;
  q.SetName("DataSet1");
  q.SetDatabase(&db_);
  q.SetRequestLive(true);
  q.SetSQL("SELECT * FROM Tabulka ORDER BY Id");
  q.Open();
  ASSERT_EQ(q.RecordCount(), 8);
  q.SetRecNo(8);
  q.Delete();
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 9);
  EXPECT_EQ(q.RecNo(), 8);
  q.Last();
  EXPECT_EQ(q.RecordCount(), 29);
}

TEST_F(EditTest, EveryKindOfRepositioningClearsTheEndFlags) {
  FillRows(5);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Last();
  ASSERT_TRUE(q.Locate("Titul", {"Film 1"}, 0));
  EXPECT_FALSE(q.Eof());
  q.Next();
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 2);
  q.Last();
  q.SetRecNo(2);
  q.Next();
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 3);
  // An empty set refreshed after another program added rows is no longer empty.
  TOrvek3Query e;
  e.SetDatabase(&db_);
  e.SetSQL("SELECT * FROM Tabulka WHERE Id > 5 ORDER BY Id");
  e.Open();
  ASSERT_TRUE(e.IsEmpty());
  db_.ExecSQL("INSERT INTO Tabulka (Id, Titul) VALUES (6, 'Šestý'), (7, 'Sedmý')");
  e.Refresh();
  EXPECT_FALSE(e.IsEmpty());
  EXPECT_TRUE(e.Bof());
  EXPECT_FALSE(e.Eof());
  e.Next();
  EXPECT_EQ(e.FieldByName("Id").AsLargeInt(), 7);
  EXPECT_TRUE(e.Locate("Id", {"6"}, 0));
}

TEST_F(EditTest, AFilterRaisingDuringFirstKeepsTheCurrentRecord) {
  FillRows(3);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Next();
  bool raise = false;
  q.SetOnFilterRecord([&](TRecordSet&, bool&) {
    if (raise) throw std::runtime_error("x");
  });
  q.SetFiltered(true);
  q.Next();
  ASSERT_EQ(q.FieldByName("Id").AsLargeInt(), 2);
  raise = true;
  EXPECT_THROW(q.First(), std::runtime_error);
  EXPECT_FALSE(q.IsEmpty());
  raise = false;
  EXPECT_EQ(q.FieldByName("Id").AsLargeInt(), 2);
  EventLog log;
  log.Attach(q);
  q.Edit();  // an edit, not an insert
  EXPECT_EQ(log.Take(), (Strings{"BeforeEdit", "AfterEdit"}));
  q.Cancel();
}

TEST_F(EditTest, ABlobStreamWritesOnlyItsOwnRecordAndOutlivesItsRecordSet) {
  db_.ExecSQL("CREATE TABLE Obr (Id INTEGER PRIMARY KEY, Data BLOB)");
  db_.ExecSQL("INSERT INTO Obr VALUES (1, NULL), (2, NULL)");
  auto q = std::make_unique<TOrvek3Query>(&db_);
  q->SetRequestLive(true);
  q->SetSQL("SELECT * FROM Obr ORDER BY Id");
  q->Open();
  q->Edit();
  auto stream = q->CreateBlobStream(q->FieldByName("Data"), TOrvek3BlobStream::bmWrite);
  EXPECT_EQ(stream->Write("AAA", 3), 3);
  q->Post();
  q->Next();
  q->Edit();
  EXPECT_EQ(stream->Write("BBB", 3), 0);  // row 2 is current now
  EXPECT_TRUE(q->ModifiedFields().empty());
  q->Cancel();
  EXPECT_EQ(ReadBack("SELECT hex(Data) FROM Obr WHERE Id = 1"), "414141");
  EXPECT_EQ(ReadBack("SELECT Data IS NULL FROM Obr WHERE Id = 2"), "1");
  q->Close();  // the fields are gone
  char buf[4];
  EXPECT_EQ(stream->Read(buf, 4), 0);
  EXPECT_EQ(stream->Write("C", 1), 0);
  q->Open();
  auto second = q->CreateBlobStream(q->FieldByName("Data"), TOrvek3BlobStream::bmRead);
  q.reset();  // the record set is gone before its stream
  EXPECT_EQ(second->Read(buf, 4), 0);
  second.reset();
  stream.reset();
}

}  // namespace

namespace {

TEST_F(EditTest, BeginningAnEditClearsTheModifiedListBeforeBeforeEdit) {
  FillRows(2);
  TOrvek3Query q;
  OpenCatalogue(q);
  q.Edit();
  q.FieldByName("Titul").SetAsString("Nový");
  q.FieldByName("Rok").SetAsString("1999");
  q.Post();
  size_t seenInBeforeEdit = 99;
  q.BeforeEdit = [&](TRecordSet&) { seenInBeforeEdit = q.ModifiedFields().size(); };
  q.Next();
  q.Edit();
  EXPECT_EQ(seenInBeforeEdit, 0u);
  q.Cancel();
}

TEST_F(EditTest, FieldNamesWithCzechLettersAreFoundWhateverTheirCase) {
  db_.ExecSQL(A("CREATE TABLE Filmy (Id INTEGER PRIMARY KEY, \"Žánr\" VARCHAR(30), \"Původ\" VARCHAR(30))"));
  db_.ExecSQL(A("INSERT INTO Filmy VALUES (1, 'Komedie', 'ČSSR'), (2, 'Drama', 'Česko')"));
  TOrvek3Query q;
  q.SetDatabase(&db_);
  q.SetSQL("SELECT * FROM Filmy ORDER BY Id");
  q.OpenSQL();
  ASSERT_NE(q.FindField(A("žÁNR")), nullptr);
  EXPECT_EQ(q.FindField(A("žÁNR")), q.FindField(A("Žánr")));
  EXPECT_EQ(q.FieldByName(A("PŮVOD")).AsString(), A("ČSSR"));
  EXPECT_EQ(q.FindField(A("Zanr")), nullptr);  // folding case does not drop diacritics
  EXPECT_TRUE(q.Locate(A("žÁNR"), {"Drama"}, 0));
  EXPECT_EQ(q.FieldByName("Id").AsString(), "2");
  std::vector<std::string> found;
  EXPECT_TRUE(q.Lookup(A("ŽÁNR"), {"Komedie"}, A("půvOD"), found));
  EXPECT_EQ(found, std::vector<std::string>{A("ČSSR")});
}

}  // namespace
