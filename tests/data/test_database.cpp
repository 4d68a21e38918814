// The connection: driver binding, connecting and its failures, pragmas, statements,
// parameter binding, column readers, collation and the client list.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "test_util.h"

using namespace orvek3;
using kalmetra_test::DatabaseTest;
using kalmetra_test::DriverPath;
using kalmetra_test::ErrorOf;
using kalmetra_test::ProgramFolder;
using kalmetra_test::ScopedCollationLocale;
using kalmetra_test::TempFolder;

namespace {

// The current folder for one scope.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::filesystem::path& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~ScopedCwd() { std::filesystem::current_path(old_); }

 private:
  std::filesystem::path old_;
};


// The file a loaded function comes from.
std::string LibraryOf(const void* function) {
  Dl_info info{};
  if (dladdr(function, &info) == 0 || info.dli_fname == nullptr) return {};
  return std::filesystem::weakly_canonical(info.dli_fname).string();
}

struct FakeClient : TDatabaseClient {
  explicit FakeClient(std::vector<std::string>* log, std::string name) : log(log), name(std::move(name)) {}
  void ConnectionClosing() override { log->push_back(name + ".closing"); }
  void ConnectionDestroyed() override { log->push_back(name + ".destroyed"); }
  std::vector<std::string>* log;
  std::string name;
};

}  // namespace

// --- Properties and driver ---------------------------------------------------------------

TEST(DatabaseProperties, DefaultsOfANewComponent) {
  TOrvek3Database db;
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(db.DatabaseFile(), "");
  EXPECT_TRUE(db.MustExists());
  EXPECT_EQ(db.Collation(), TDefaultCollation::dcNative);
  EXPECT_EQ(db.Options(), 16);
  EXPECT_EQ(db.Options(), PragmaBit(poShortColumnNames));
  EXPECT_EQ(db.Params(), "");
  EXPECT_EQ(db.TransIsolation(), TTransIsolation::tiSerializable);
  EXPECT_EQ(db.Description(), "");
  EXPECT_EQ(db.LastResult(), 0);
  EXPECT_EQ(db.Handle(), nullptr);
  EXPECT_FALSE(db.DriverLoaded());
  EXPECT_FALSE(db.ConvertTextToUtf8());
  EXPECT_TRUE(db.Clients().empty());
}

TEST(DatabaseProperties, EmptyDriverReadsAsThePlatformLibraryName) {
  TOrvek3Database db;
  EXPECT_EQ(db.Driver(), KALMETRA_SQLITE_LIBNAME);
  EXPECT_EQ(std::string(KALMETRA_SQLITE_LIBNAME), "libsqlite3.so");
  EXPECT_EQ(db.Driver(), "libsqlite3.so");  // kept afterwards
  db.SetDriver("/x/y.so");
  EXPECT_EQ(db.Driver(), "/x/y.so");
  db.SetDriver("");
  EXPECT_EQ(db.Driver(), "libsqlite3.so");
}

TEST(DatabaseDriver, BareNameIsTheFileInTheCurrentFolder) {
  TempFolder folder;
  ScopedCwd cwd(ProgramFolder());
  TOrvek3Database db;
  db.SetDatabaseFile(folder.File("a.sqlite"));
  db.SetMustExists(false);
  db.Connect();
  ASSERT_TRUE(db.Connected());
  const std::string expected = std::filesystem::weakly_canonical(ProgramFolder() / KALMETRA_SQLITE_LIBNAME).string();
  EXPECT_EQ(LibraryOf(reinterpret_cast<const void*>(db.Api().open)), expected);
}

TEST(DatabaseDriver, BareNameIsNotLookedUpInTheSystemFolders) {
  TempFolder folder;
  ScopedCwd cwd(folder.path());
  TOrvek3Database db;
  db.SetDriver("libsqlite3.so.0");  // installed in the system, but not here
  db.SetDatabaseFile(folder.File("a.sqlite"));
  db.SetMustExists(false);
  EXPECT_EQ(ErrorOf([&] { db.Connect(); }), "Missing DLL driver property!");
}

TEST_F(DatabaseTest, MissingDriverFileLoadsNothing) {
  db.SetDriver(folder.File("none.so"));
  EXPECT_EQ(ErrorOf([&] { db.Connect(); }), "Orvek3Database1: Missing DLL driver property!");
  EXPECT_FALSE(db.Connected());
  EXPECT_FALSE(db.DriverLoaded());
  EXPECT_EQ(db.Handle(), nullptr);
  EXPECT_EQ(db.LastResult(), -1);
}

TEST_F(DatabaseTest, FileThatIsNoLibraryIsAnInvalidDriver) {
  db.SetDriver(folder.WriteFile("fake.so", "not a library"));
  EXPECT_EQ(ErrorOf([&] { db.Connect(); }), "Orvek3Database1: Invalid DLL driver!");
  EXPECT_FALSE(db.Connected());
  EXPECT_FALSE(db.DriverLoaded());
}

TEST_F(DatabaseTest, LibraryWithoutTheEntryPointsIsNeverPartlyBound) {
  // ICU's library loads fine but exports no SQLite function.
  const std::string icu = LibraryOf(reinterpret_cast<const void*>(&u_toupper));
  ASSERT_FALSE(icu.empty());
  db.SetDriver(icu);
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(ErrorOf([&] { db.Connect(); }), "Orvek3Database1: Invalid DLL driver!");
    EXPECT_FALSE(db.DriverLoaded());
    EXPECT_EQ(db.Api().open, nullptr);
    EXPECT_EQ(db.Api().prepare, nullptr);
  }
  EXPECT_FALSE(db.LoadDriver(icu));
}

TEST_F(DatabaseTest, LoadDriverBindsEveryEntryPoint) {
  ASSERT_TRUE(db.LoadDriver(DriverPath()));
  const TSqliteDriver& api = db.Api();
  EXPECT_NE(api.open, nullptr);
  EXPECT_NE(api.exec, nullptr);
  EXPECT_NE(api.get_autocommit, nullptr);
  EXPECT_NE(api.prepare, nullptr);
  EXPECT_NE(api.prepare16, nullptr);
  EXPECT_NE(api.bind_parameter_index, nullptr);
  EXPECT_NE(api.create_collation16, nullptr);
  EXPECT_EQ(std::string(api.libversion()).substr(0, 2), "3.");
  db.Connect();
  EXPECT_TRUE(db.Connected());
  EXPECT_FALSE(db.LoadDriver(DriverPath()));  // not while a connection is open
  EXPECT_TRUE(db.Connected());
}

// --- Connecting --------------------------------------------------------------------------

TEST_F(DatabaseTest, MissingDatabaseWithMustExists) {
  db.SetMustExists(true);
  EXPECT_EQ(ErrorOf([&] { db.Connect(); }), "Orvek3Database1: Database file don't exist's!");
  EXPECT_EQ(db.LastResult(), 14);
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(db.Handle(), nullptr);
  EXPECT_FALSE(std::filesystem::exists(folder.File("test.sqlite")));
}

TEST_F(DatabaseTest, BlankDatabaseFileIsMissingEvenWithoutMustExists) {
  db.SetDatabaseFile("  ");
  EXPECT_EQ(ErrorOf([&] { db.Connect(); }), "Orvek3Database1: Database file don't exist's!");
  EXPECT_EQ(db.LastResult(), 14);
}

TEST_F(DatabaseTest, FolderIsNoDatabaseFile) {
  db.SetMustExists(true);
  db.SetDatabaseFile(folder.path().string());
  EXPECT_EQ(ErrorOf([&] { db.Connect(); }), "Orvek3Database1: Database file don't exist's!");
}

TEST_F(DatabaseTest, WithoutMustExistsTheFileIsCreated) {
  db.Connect();
  EXPECT_TRUE(db.Connected());
  EXPECT_NE(db.Handle(), nullptr);
  EXPECT_TRUE(db.DriverLoaded());
  EXPECT_TRUE(std::filesystem::exists(folder.File("test.sqlite")));
  EXPECT_EQ(db.GetPragma("encoding"), "UTF-8");
  EXPECT_FALSE(db.ConvertTextToUtf8());
  db.Disconnect();
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(db.Handle(), nullptr);
  EXPECT_FALSE(db.DriverLoaded());
  // Now it exists, so MustExists no longer stops the connect.
  db.SetMustExists(true);
  db.Connect();
  EXPECT_TRUE(db.Connected());
}

TEST_F(DatabaseTest, FailedOpenReportsTheLibraryMessage) {
  db.SetDatabaseFile(folder.File("no/such/folder/x.sqlite"));
  EXPECT_EQ(ErrorOf([&] { db.Connect(); }), "Orvek3Database1: Database error: unable to open database file");
  EXPECT_EQ(db.LastResult(), SQLITE_CANTOPEN);
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(db.Handle(), nullptr);
}

TEST_F(DatabaseTest, ConnectEventsAndRepeatedConnect) {
  std::vector<std::string> log;
  db.BeforeConnect = [&](TOrvek3Database& s) { log.push_back(&s == &db ? "before" : "?"); };
  db.AfterConnect = [&](TOrvek3Database& s) { log.push_back(s.Connected() ? "after" : "after-not-connected"); };
  db.Connect();
  db.Connect();  // already connected: nothing
  db.SetConnected(true);
  EXPECT_EQ(log, (std::vector<std::string>{"before", "after"}));
}

TEST_F(DatabaseTest, FailedConnectSkipsAfterConnect) {
  std::vector<std::string> log;
  db.BeforeConnect = [&](TOrvek3Database&) { log.push_back("before"); };
  db.AfterConnect = [&](TOrvek3Database&) { log.push_back("after"); };
  db.SetDriver(folder.File("none.so"));
  EXPECT_THROW(db.Connect(), DatabaseError);
  EXPECT_EQ(log, std::vector<std::string>{"before"});
}

TEST_F(DatabaseTest, DisconnectEventsRunWhenAlreadyDisconnected) {
  std::vector<std::string> log;
  db.BeforeDisconnect = [&](TOrvek3Database&) { log.push_back("before"); };
  db.AfterDisconnect = [&](TOrvek3Database&) { log.push_back("after"); };
  db.SetConnected(false);
  db.Disconnect();
  EXPECT_EQ(log, (std::vector<std::string>{"before", "after", "before", "after"}));
}

TEST_F(DatabaseTest, ChangingFileOrDriverWhileConnectedDisconnects) {
  int disconnects = 0;
  db.AfterDisconnect = [&](TOrvek3Database&) { ++disconnects; };
  db.Connect();
  db.SetDatabaseFile(folder.File("other.sqlite"));
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(disconnects, 1);
  db.Connect();
  EXPECT_TRUE(std::filesystem::exists(folder.File("other.sqlite")));
  db.SetDriver(DriverPath());
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(disconnects, 2);
  EXPECT_FALSE(db.DriverLoaded());
}

TEST_F(DatabaseTest, ConnectRequestedWhileLoadingIsCarriedOutAfterwards) {
  int connects = 0;
  db.AfterConnect = [&](TOrvek3Database&) { ++connects; };
  db.BeginLoading();
  db.SetConnected(true);
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(connects, 0);
  db.EndLoading();
  EXPECT_TRUE(db.Connected());
  EXPECT_EQ(connects, 1);
}

TEST_F(DatabaseTest, LoadingWithoutConnectRunsTheDisconnectPath) {
  int disconnects = 0;
  db.AfterDisconnect = [&](TOrvek3Database&) { ++disconnects; };
  db.BeginLoading();
  db.EndLoading();
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(disconnects, 1);
}

TEST_F(DatabaseTest, OptionsBecomePragmas) {
  db.Connect();
  for (const char* name : {"foreign_keys", "recursive_triggers", "automatic_index", "reverse_unordered_selects",
                           "secure_delete", "read_uncommitted"})
    EXPECT_EQ(db.GetPragma(name), "0") << name;
  db.Disconnect();
  db.SetOptions(PragmaBit(poForeignKeysSupport) | PragmaBit(poRecursiveTriggers) | PragmaBit(poAutomaticIndex) |
                PragmaBit(poReverseUnorderedSelects) | PragmaBit(poSecureDelete) | PragmaBit(poCaseSensitiveLike));
  db.SetTransIsolation(TTransIsolation::tiDirtyRead);
  db.Connect();
  for (const char* name : {"foreign_keys", "recursive_triggers", "automatic_index", "reverse_unordered_selects",
                           "secure_delete", "read_uncommitted"})
    EXPECT_EQ(db.GetPragma(name), "1") << name;
  // case_sensitive_like cannot be read back; its effect can.
  EXPECT_EQ(Scalar("SELECT 'a' LIKE 'A'"), "0");
}

TEST_F(DatabaseTest, LikeIgnoresCaseByDefault) {
  db.Connect();
  EXPECT_EQ(Scalar("SELECT 'a' LIKE 'A'"), "1");
  // Code-page letters are characters of their own, matched in their own case only
  // (0xC8 is a capital C with caron, 0xE8 the small one, 0xD8 a capital R with caron).
  EXPECT_EQ(Scalar("SELECT '\xe8" "aj' LIKE '\xc8" "AJ'"), "0");
  EXPECT_EQ(Scalar("SELECT '\xe8" "aj' LIKE '\xd8" "aj'"), "0");
  EXPECT_EQ(Scalar("SELECT '\xe8" "aj' LIKE '\xe8" "AJ'"), "1");
  EXPECT_EQ(Scalar("SELECT 'x\xe8\x9ay' LIKE '%\x9a_'"), "1");
  EXPECT_EQ(Scalar("SELECT NULL LIKE 'a' IS NULL"), "1");
}

TEST_F(DatabaseTest, ParamsWithOneItem) {
  db.SetParams("cache_size=4000");
  db.Connect();
  EXPECT_EQ(db.GetPragma("cache_size"), "4000");
}

TEST_F(DatabaseTest, ParamsWithSeparatorsAtBothEnds) {
  db.SetParams(";cache_size=3000,user_version=7;");
  db.Connect();
  EXPECT_EQ(db.GetPragma("cache_size"), "3000");
  EXPECT_EQ(db.GetPragma("user_version"), "7");
}

TEST_F(DatabaseTest, ParamsWithBlanksAfterTheSeparator) {
  db.SetParams("  cache_size=2500; user_version=9 ,  application_id=42 ");
  db.Connect();
  EXPECT_EQ(db.GetPragma("cache_size"), "2500");
  EXPECT_EQ(db.GetPragma("user_version"), "9");
  EXPECT_EQ(db.GetPragma("application_id"), "42");
}

TEST_F(DatabaseTest, BlankParamsRunNothing) {
  db.SetParams(" \t ");
  db.Connect();
  EXPECT_EQ(db.GetPragma("cache_size"), "-2000");  // the library's default
}

TEST_F(DatabaseTest, FailedConnectPragmaClearsTheFlagAndTheNextConnectStartsClean) {
  db.SetName("");
  db.SetParams("cache_size=(");
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(ErrorOf([&] { db.Connect(); }), "near \"(\": syntax error");
    EXPECT_FALSE(db.Connected());
    EXPECT_NE(db.Handle(), nullptr);  // open until Disconnect or the next connect
    EXPECT_THROW(db.CheckConnected(true), DatabaseError);
  }
  db.SetParams("cache_size=1234");
  db.Connect();
  EXPECT_TRUE(db.Connected());
  EXPECT_EQ(db.GetPragma("cache_size"), "1234");
}

TEST_F(DatabaseTest, NewDriverAfterAFailedConnectIsTheOneUsed) {
  db.SetParams("cache_size=(");
  EXPECT_THROW(db.Connect(), DatabaseError);
  EXPECT_TRUE(db.DriverLoaded());  // a failed connect leaves the library loaded
  db.SetParams("");
  db.SetDriver(folder.WriteFile("fake.so", "not a library"));
  EXPECT_FALSE(db.DriverLoaded());
  EXPECT_EQ(db.Handle(), nullptr);
  EXPECT_EQ(ErrorOf([&] { db.Connect(); }), "Orvek3Database1: Invalid DLL driver!");
}

// --- Statements --------------------------------------------------------------------------

TEST_F(DatabaseTest, ExecSqlRunsEveryStatementInOrder) {
  db.Connect();
  db.ExecSQL("CREATE TABLE t(x); INSERT INTO t VALUES(1);\r\nINSERT INTO t VALUES(2)");
  EXPECT_EQ(Column("SELECT x FROM t ORDER BY x"), (std::vector<std::string>{"1", "2"}));
}

TEST_F(DatabaseTest, ErrorInTheSecondStatementStopsTheRun) {
  db.Connect();
  db.ExecSQL("CREATE TABLE t(x)");
  EXPECT_EQ(ErrorOf([&] {
              db.ExecSQL("INSERT INTO t VALUES(1); INSERT INTO nosuch VALUES(2); INSERT INTO t VALUES(3)");
            }),
            "Orvek3Database1: no such table: nosuch");
  EXPECT_EQ(Column("SELECT x FROM t"), std::vector<std::string>{"1"});
}

TEST_F(DatabaseTest, PrepareReturnsTheLastStatementSteppedOnce) {
  db.Connect();
  int columns = -1;
  sqlite3_stmt* stmt = db.PrepareStatement(
      "CREATE TABLE t(x, y); INSERT INTO t VALUES(1, 'a'); INSERT INTO t VALUES(2, 'b'); "
      "SELECT x, y, x * 10 FROM t ORDER BY x",
      nullptr, columns);
  ASSERT_NE(stmt, nullptr);
  EXPECT_EQ(columns, 3);
  EXPECT_EQ(db.LastResult(), SQLITE_ROW);
  EXPECT_EQ(db.StmtColumnInt(stmt, 0), 1);
  db.StepStatement(stmt);
  EXPECT_EQ(db.LastResult(), SQLITE_ROW);
  EXPECT_EQ(db.StmtColumnInt(stmt, 2), 20);
  db.StepStatement(stmt);
  EXPECT_EQ(db.LastResult(), SQLITE_DONE);
  db.FinalizeStatement(stmt);
  EXPECT_EQ(stmt, nullptr);
  EXPECT_EQ(db.LastResult(), 0);
}

TEST_F(DatabaseTest, StatementWithoutRowsEndsDone) {
  db.Connect();
  int columns = -1;
  sqlite3_stmt* stmt = db.PrepareStatement("CREATE TABLE t(x)", nullptr, columns);
  EXPECT_EQ(columns, 0);
  EXPECT_EQ(db.LastResult(), SQLITE_DONE);
  db.FinalizeStatement(stmt);
}

TEST_F(DatabaseTest, TrailingCommentsAndSemicolonsKeepTheLastStatement) {
  db.Connect();
  int columns = 0;
  sqlite3_stmt* stmt = db.PrepareStatement("SELECT 7;; -- the end\n/* really */ ;", nullptr, columns);
  ASSERT_NE(stmt, nullptr);
  EXPECT_EQ(db.LastResult(), SQLITE_ROW);
  EXPECT_EQ(db.StmtColumnInt(stmt, 0), 7);
  db.FinalizeStatement(stmt);
  db.ExecSQL("CREATE TABLE t(x);\n-- comment between\nINSERT INTO t VALUES(5);");
  EXPECT_EQ(Scalar("SELECT x FROM t"), "5");
}

TEST_F(DatabaseTest, TextWithoutAStatementGivesNoHandle) {
  db.Connect();
  int columns = -1;
  EXPECT_EQ(db.PrepareStatement("  -- nothing\n ; ", nullptr, columns), nullptr);
  EXPECT_EQ(columns, 0);
  EXPECT_EQ(db.LastResult(), SQLITE_DONE);
  db.ExecSQL("");
}

TEST_F(DatabaseTest, PrepareAndStepErrorsCarryTheLibraryMessage) {
  db.Connect();
  EXPECT_EQ(ErrorOf([&] { db.ExecSQL("SELEC 1"); }), "Orvek3Database1: near \"SELEC\": syntax error");
  db.ExecSQL("CREATE TABLE t(x UNIQUE); INSERT INTO t VALUES(1)");
  EXPECT_EQ(ErrorOf([&] { db.ExecSQL("INSERT INTO t VALUES(1)"); }), "Orvek3Database1: UNIQUE constraint failed: t.x");
  // A later statement that fails to prepare after a good one: the message is still its own.
  EXPECT_EQ(ErrorOf([&] { db.ExecSQL("SELECT 1; SELECT * FROM nosuch"); }), "Orvek3Database1: no such table: nosuch");
  EXPECT_EQ(Scalar("SELECT count(*) FROM t"), "1");
}

TEST_F(DatabaseTest, StepAndFinalizeWithoutAStatement) {
  db.Connect();
  db.StepStatement(nullptr);
  EXPECT_EQ(db.LastResult(), -1);
  sqlite3_stmt* none = nullptr;
  db.FinalizeStatement(none);
  EXPECT_EQ(db.LastResult(), 0);
}

TEST_F(DatabaseTest, PrepareConnectsOnDemand) {
  EXPECT_FALSE(db.Connected());
  EXPECT_EQ(Scalar("SELECT 40 + 2"), "42");
  EXPECT_TRUE(db.Connected());
}

TEST_F(DatabaseTest, CheckConnectedMessages) {
  EXPECT_EQ(ErrorOf([&] { db.CheckConnected(true); }), "Orvek3Database1: Not connected!");
  db.SetName("");
  EXPECT_EQ(ErrorOf([&] { db.CheckConnected(true); }), "Not connected!");
  db.CheckConnected(false);
  EXPECT_TRUE(db.Connected());
  db.CheckConnected(true);
}

TEST_F(DatabaseTest, RowsAffectedAndLastInsertRowId) {
  EXPECT_EQ(db.RowsAffected(), -1);
  db.Connect();
  db.ExecSQL("CREATE TABLE t(id INTEGER PRIMARY KEY, x); INSERT INTO t(x) VALUES(1),(2),(3)");
  db.ExecSQL("UPDATE t SET x = x + 1 WHERE x >= 2");
  EXPECT_EQ(db.RowsAffected(), 2);
  db.ExecSQL("INSERT INTO t(id, x) VALUES(5000000000, 9)");
  EXPECT_EQ(db.LastInsertRowId(), int64_t{5000000000});
  db.Disconnect();
  EXPECT_EQ(db.RowsAffected(), -1);
}

// --- Parameters --------------------------------------------------------------------------

TEST_F(DatabaseTest, BindingByNameWithoutRegardToCase) {
  db.Connect();
  TParams params;
  params.Add("a").SetAsString("\xC8" "apek");  // Čapek
  params.Add("B").SetAsLargeInt(int64_t{5000000000});
  int columns = 0;
  sqlite3_stmt* stmt = db.PrepareStatement("SELECT :A, :b, :unknown, ?", &params, columns);
  ASSERT_EQ(columns, 4);
  EXPECT_STREQ(reinterpret_cast<const char*>(db.StmtColumnText(stmt, 0)), "\xC8" "apek");  // bytes unchanged
  EXPECT_EQ(db.StmtColumnInt64(stmt, 1), int64_t{5000000000});
  EXPECT_EQ(db.StmtColumnType(stmt, 2), SQLITE_NULL);
  EXPECT_EQ(db.StmtColumnType(stmt, 3), SQLITE_NULL);
  db.FinalizeStatement(stmt);
}

TEST_F(DatabaseTest, IntegerParametersKeepAll64Bits) {
  db.Connect();
  db.ExecSQL("CREATE TABLE t(id INTEGER PRIMARY KEY, x)");
  TParams params;
  TParam& id = params.Add("id");
  id.SetAsLargeInt(int64_t{5000000000});
  id.SetDataType(TFieldType::ftInteger);
  params.Add("x").SetAsInteger(-7);
  db.ExecSQL("INSERT INTO t VALUES(:id, :x)", &params);
  EXPECT_EQ(Scalar("SELECT id FROM t WHERE x = -7"), "5000000000");
  EXPECT_EQ(Scalar("SELECT x FROM t WHERE id = :id", &params), "-7");
}

TEST_F(DatabaseTest, EveryParameterTypeBinds) {
  db.Connect();
  TParams p;
  p.Add("small").SetAsInteger(-12);
  p[0].SetDataType(TFieldType::ftSmallint);
  p.Add("word").SetAsInteger(65535);
  p[1].SetDataType(TFieldType::ftWord);
  p.Add("flag").SetAsBoolean(true);
  p.Add("off").SetAsBoolean(false);
  p.Add("real").SetAsFloat(2.5);
  p.Add("money").SetAsFloat(19.99);
  p[5].SetDataType(TFieldType::ftCurrency);
  p.Add("stamp").SetAsDateTime(43179.75);
  p.Add("day").SetAsDateTime(43179.75);
  p[7].SetDataType(TFieldType::ftDate);
  p.Add("time").SetAsDateTime(43179.75);
  p[8].SetDataType(TFieldType::ftTime);
  p.Add("blob").SetAsBlob(std::string("a\0b", 3));
  p.Add("memo").SetAsString("Pozn\xE1mka");
  p[10].SetDataType(TFieldType::ftMemo);
  p.Add("none").SetAsString("x");
  p[11].Clear();
  p.Add("wide").SetAsString("\x9E\xE1nr");
  p[12].SetDataType(TFieldType::ftWideString);
  int columns = 0;
  sqlite3_stmt* s = db.PrepareStatement(
      "SELECT :small, :word, :flag, :off, :real, :money, :stamp, :day, :time, :blob, :memo, :none, :wide", &p, columns);
  ASSERT_EQ(columns, 13);
  EXPECT_EQ(db.StmtColumnInt(s, 0), -12);
  EXPECT_EQ(db.StmtColumnInt(s, 1), 65535);
  EXPECT_EQ(db.StmtColumnInt(s, 2), 1);
  EXPECT_EQ(db.StmtColumnInt(s, 3), 0);
  EXPECT_EQ(db.StmtColumnType(s, 4), SQLITE_FLOAT);
  EXPECT_DOUBLE_EQ(db.StmtColumnFloat(s, 4), 2.5);
  EXPECT_DOUBLE_EQ(db.StmtColumnFloat(s, 5), 19.99);
  EXPECT_DOUBLE_EQ(db.StmtColumnDateTime(s, 6), 43179.75);
  EXPECT_EQ(db.StmtColumnType(s, 7), SQLITE_INTEGER);
  EXPECT_EQ(db.StmtColumnInt(s, 7), 43179);  // the day number alone
  EXPECT_EQ(db.StmtColumnInt(s, 8), 18 * 3600 * 1000);  // the time of day in milliseconds
  EXPECT_EQ(db.StmtColumnType(s, 9), SQLITE_BLOB);
  ASSERT_EQ(db.StmtColumnBytes(s, 9), 3);
  EXPECT_EQ(std::memcmp(db.StmtColumnBlob(s, 9), "a\0b", 3), 0);
  EXPECT_EQ(db.StmtColumnType(s, 10), SQLITE_BLOB);
  EXPECT_EQ(db.StmtColumnBytes(s, 10), 8);
  EXPECT_EQ(db.StmtColumnType(s, 11), SQLITE_NULL);
  EXPECT_STREQ(reinterpret_cast<const char*>(db.StmtColumnText(s, 12)), "\x9E\xE1nr");
  db.FinalizeStatement(s);
}

TEST_F(DatabaseTest, UnsupportedParameterType) {
  db.Connect();
  TParams p;
  p.Add("x").SetAsString("abc");
  p[0].SetDataType(TFieldType::ftBytes);
  EXPECT_EQ(ErrorOf([&] { db.ExecSQL("SELECT :x", &p); }), "Orvek3Database1: Unsupported parameter type!");
  p[0].SetDataType(TFieldType::ftUnknown);
  EXPECT_EQ(ErrorOf([&] { db.ExecSQL("SELECT :x", &p); }), "Orvek3Database1: Unsupported parameter type!");
  // A null value binds as NULL whatever its type.
  p[0].Clear();
  EXPECT_EQ(Scalar("SELECT coalesce(:x, 'null')", &p), "null");
}

TEST_F(DatabaseTest, BoundValuesOutliveTheParameters) {
  db.Connect();
  auto params = std::make_unique<TParams>();
  params->Add("t").SetAsString(std::string(100, 'q'));
  params->Add("b").SetAsBlob(std::string(50, 'z'));
  int columns = 0;
  sqlite3_stmt* stmt = db.PrepareStatement("SELECT :t, :b UNION ALL SELECT :t, :b", params.get(), columns);
  params.reset();
  db.StepStatement(stmt);  // the second row reads the bound values again
  ASSERT_EQ(db.LastResult(), SQLITE_ROW);
  EXPECT_EQ(reinterpret_cast<const char*>(db.StmtColumnText(stmt, 0)), std::string(100, 'q'));
  EXPECT_EQ(std::string(static_cast<const char*>(db.StmtColumnBlob(stmt, 1)), 50), std::string(50, 'z'));
  db.FinalizeStatement(stmt);
}

TEST_F(DatabaseTest, ParametersApplyToEveryStatementOfTheText) {
  db.Connect();
  TParams p;
  p.Add("v").SetAsInteger(3);
  db.ExecSQL("CREATE TABLE t(x); INSERT INTO t VALUES(:v); INSERT INTO t VALUES(:v * 2)", &p);
  EXPECT_EQ(Column("SELECT x FROM t ORDER BY x"), (std::vector<std::string>{"3", "6"}));
}

// --- Column readers ----------------------------------------------------------------------

TEST_F(DatabaseTest, IntegerReadersGiveZeroForOtherStorage) {
  db.Connect();
  int columns = 0;
  sqlite3_stmt* s = db.PrepareStatement("SELECT '12', 12, 1.5, NULL, x'3132', 7000000000", nullptr, columns);
  EXPECT_EQ(db.StmtColumnInt(s, 0), 0);
  EXPECT_EQ(db.StmtColumnInt64(s, 0), 0);
  EXPECT_DOUBLE_EQ(db.StmtColumnFloat(s, 0), 0);
  EXPECT_EQ(db.StmtColumnInt(s, 1), 12);
  EXPECT_DOUBLE_EQ(db.StmtColumnFloat(s, 1), 12.0);
  EXPECT_EQ(db.StmtColumnInt(s, 2), 0);
  EXPECT_DOUBLE_EQ(db.StmtColumnFloat(s, 2), 1.5);
  EXPECT_EQ(db.StmtColumnInt(s, 3), 0);
  EXPECT_EQ(db.StmtColumnInt(s, 4), 0);
  EXPECT_EQ(db.StmtColumnInt64(s, 5), int64_t{7000000000});
  EXPECT_DOUBLE_EQ(db.StmtColumnFloat(s, 5), 7e9);
  db.FinalizeStatement(s);
}

TEST_F(DatabaseTest, ReadersWithoutAStatementGiveEmptyResults) {
  db.Connect();
  EXPECT_EQ(db.StmtColumnName(nullptr, 0), "");
  EXPECT_EQ(db.StmtColumnDeclType(nullptr, 0), "");
  EXPECT_EQ(db.StmtColumnType(nullptr, 0), 0);
  EXPECT_EQ(db.StmtColumnBytes(nullptr, 0), 0);
  EXPECT_EQ(db.StmtColumnBlob(nullptr, 0), nullptr);
  EXPECT_EQ(db.StmtColumnText(nullptr, 0), nullptr);
  EXPECT_EQ(db.StmtColumnText16(nullptr, 0), nullptr);
  EXPECT_EQ(db.StmtColumnInt(nullptr, 0), 0);
  EXPECT_EQ(db.StmtColumnInt64(nullptr, 0), 0);
  EXPECT_EQ(db.StmtColumnFloat(nullptr, 0), 0);
  EXPECT_EQ(db.StmtColumnDateTime(nullptr, 0), 0);
}

TEST_F(DatabaseTest, ColumnNamesAndDeclaredTypes) {
  db.Connect();
  db.ExecSQL("CREATE TABLE t(Titul VARCHAR(80), \"Re\x9E" "ie\" TEXT, n)");
  int columns = 0;
  sqlite3_stmt* s = db.PrepareStatement("SELECT Titul, \"Re\x9E" "ie\", n, 1 + 1 AS Soucet FROM t", nullptr, columns);
  EXPECT_EQ(db.StmtColumnName(s, 0), "Titul");
  EXPECT_EQ(db.StmtColumnName(s, 1), "Re\x9E" "ie");  // ANSI bytes as they were written
  EXPECT_EQ(db.StmtColumnName(s, 3), "Soucet");
  EXPECT_EQ(db.StmtColumnDeclType(s, 0), "VARCHAR(80)");
  EXPECT_EQ(db.StmtColumnDeclType(s, 1), "TEXT");
  EXPECT_EQ(db.StmtColumnDeclType(s, 2), "string");  // declared without a type
  EXPECT_EQ(db.StmtColumnDeclType(s, 3), "string");  // an expression
  db.FinalizeStatement(s);
}

TEST_F(DatabaseTest, DateTimeFromEveryStorageClass) {
  db.Connect();
  int columns = 0;
  sqlite3_stmt* s = db.PrepareStatement(
      "SELECT NULL, 43179, 43179.25, '2018-3-20', '20.3.2018', '20. 3. 2018 14:30', '2018-03-20 14:30:15', "
      "'nonsense', '2018-2-30', '30.12.1899', '12:00', '1899-12-29 06:00', x'323031382D332D3230', "
      "'2018-3-20 25:00', '2018-03-20T10:00'",
      nullptr, columns);
  EXPECT_EQ(db.StmtColumnDateTime(s, 0), 0);
  EXPECT_EQ(db.StmtColumnDateTime(s, 1), 43179);
  EXPECT_DOUBLE_EQ(db.StmtColumnDateTime(s, 2), 43179.25);
  EXPECT_EQ(db.StmtColumnDateTime(s, 3), 43179);  // 20 March 2018 by the fallback pattern
  EXPECT_EQ(db.StmtColumnDateTime(s, 4), 43179);  // Czech writing
  EXPECT_NEAR(db.StmtColumnDateTime(s, 5), 43179 + 14.5 / 24, 1e-9);
  EXPECT_NEAR(db.StmtColumnDateTime(s, 6), 43179 + (14 * 3600 + 30 * 60 + 15) / 86400.0, 1e-9);
  EXPECT_EQ(db.StmtColumnDateTime(s, 7), 0);
  EXPECT_EQ(db.StmtColumnDateTime(s, 8), 0);   // no 30 February
  EXPECT_EQ(db.StmtColumnDateTime(s, 9), 0);   // day 0 itself
  EXPECT_DOUBLE_EQ(db.StmtColumnDateTime(s, 10), 0.5);
  EXPECT_DOUBLE_EQ(db.StmtColumnDateTime(s, 11), -1.25);
  EXPECT_EQ(db.StmtColumnDateTime(s, 12), 43179);  // a blob holding the text
  EXPECT_EQ(db.StmtColumnDateTime(s, 13), 0);
  EXPECT_EQ(db.StmtColumnDateTime(s, 14), 0);
  db.FinalizeStatement(s);
}

// --- Collation ---------------------------------------------------------------------------

TEST_F(DatabaseTest, NativeCollationSortsWithoutRegardToCase) {
  ScopedCollationLocale czech("cs_CZ.UTF-8");
  db.Connect();
  db.ExecSQL("CREATE TABLE t(x TEXT); INSERT INTO t VALUES('b'),('C'),('abc'),('ABC'),('a')");
  const auto order = Column("SELECT x FROM t ORDER BY x COLLATE NATIVE");
  ASSERT_EQ(order.size(), 5u);
  EXPECT_EQ(order[0], "a");
  EXPECT_TRUE((order[1] == "abc" && order[2] == "ABC") || (order[1] == "ABC" && order[2] == "abc"));
  EXPECT_EQ(order[3], "b");
  EXPECT_EQ(order[4], "C");
  // Comparisons with a column of the default collation use the replaced "BINARY".
  EXPECT_EQ(Scalar("SELECT count(*) FROM t WHERE x < 'C'"), "4");
  EXPECT_EQ(Scalar("SELECT count(*) FROM t WHERE x = 'abc'"), "2");
  EXPECT_EQ(Scalar("SELECT 'b' < 'C' COLLATE NATIVE"), "1");
  EXPECT_EQ(Scalar("SELECT 'abc' = 'ABC' COLLATE BINARY"), "1");
  // Two literals have no collation at all, so SQLite compares their bytes.
  EXPECT_EQ(Scalar("SELECT 'b' < 'C'"), "0");
}

TEST_F(DatabaseTest, BinaryCollationKeepsTheByteOrder) {
  db.SetCollation(TDefaultCollation::dcBinary);
  db.Connect();
  db.ExecSQL("CREATE TABLE t(x TEXT); INSERT INTO t VALUES('b'),('C'),('abc'),('ABC'),('a')");
  EXPECT_EQ(Scalar("SELECT 'b' < 'C'"), "0");
  EXPECT_EQ(Scalar("SELECT 'abc' = 'ABC' COLLATE BINARY"), "0");
  EXPECT_EQ(Scalar("SELECT count(*) FROM t WHERE x < 'C'"), "1");
  EXPECT_EQ(Scalar("SELECT count(*) FROM t WHERE x = 'abc'"), "1");
  EXPECT_EQ(Column("SELECT x FROM t ORDER BY x COLLATE NATIVE"),
            (std::vector<std::string>{"ABC", "C", "a", "abc", "b"}));
}

TEST_F(DatabaseTest, CzechOrderWithACzechLocale) {
  ScopedCollationLocale czech("cs_CZ.UTF-8");
  db.Connect();
  db.ExecSQL("CREATE TABLE t(x TEXT)");
  TParams p;
  p.Add("x");
  for (const char* word : {"ch", "h", "c", "\xE8", "d", "\xC8" "apek", "Cesta", "hrad", "Chata"}) {
    p[0].SetAsString(word);
    db.ExecSQL("INSERT INTO t VALUES(:x)", &p);
  }
  EXPECT_EQ(Column("SELECT x FROM t ORDER BY x COLLATE NATIVE"),
            (std::vector<std::string>{"c", "Cesta", "\xE8", "\xC8" "apek", "d", "h", "hrad", "ch", "Chata"}));
}

TEST_F(DatabaseTest, EnglishLocaleOrdersChBeforeH) {
  ScopedCollationLocale english("en_US.UTF-8");
  db.Connect();
  db.ExecSQL("CREATE TABLE t(x TEXT); INSERT INTO t VALUES('hrad'),('chata')");
  EXPECT_EQ(Column("SELECT x FROM t ORDER BY x COLLATE NATIVE"), (std::vector<std::string>{"chata", "hrad"}));
}

// --- Pragmas and table info --------------------------------------------------------------

TEST_F(DatabaseTest, GetPragma) {
  db.Connect();
  EXPECT_EQ(db.GetPragma("encoding"), "UTF-8");
  EXPECT_EQ(db.GetPragma("user_version"), "0");
  db.ExecSQL("CREATE TABLE t(x)");
  EXPECT_EQ(db.GetPragma("index_list(t)"), "");  // no rows
  EXPECT_TRUE(db.Clients().empty());             // the temporary table is gone
}

TEST_F(DatabaseTest, GetTableInfoFlags) {
  db.Connect();
  db.ExecSQL(
      "CREATE TABLE Tabulka(Id INTEGER PRIMARY KEY, Titul VARCHAR(80) NOT NULL, Rok VARCHAR(4));"
      "CREATE TABLE \"Moje filmy\"(a INT, b TEXT NOT NULL, PRIMARY KEY(a, b))");
  std::vector<std::pair<std::string, int>> info;
  db.GetTableInfo(info, "Tabulka");
  EXPECT_EQ(info, (std::vector<std::pair<std::string, int>>{{"Id", 3}, {"Titul", 4}, {"Rok", 0}}));
  EXPECT_EQ(info[0].second & 3, 3);  // the rowid alias

  info.clear();
  db.GetTableInfo(info, "Moje filmy");
  EXPECT_EQ(info, (std::vector<std::pair<std::string, int>>{{"a", 1}, {"b", 5}}));  // INT is not INTEGER

  db.GetTableInfo(info, "  ");
  EXPECT_EQ(info.size(), 2u);  // a blank name changes nothing
  info.clear();
  db.GetTableInfo(info, "nosuch");
  EXPECT_TRUE(info.empty());
}

// --- Clients -----------------------------------------------------------------------------

TEST_F(DatabaseTest, ClientsHearOfDisconnectAndDestruction) {
  std::vector<std::string> log;
  FakeClient first(&log, "first"), second(&log, "second");
  auto owned = std::make_unique<TOrvek3Database>();
  owned->SetDriver(DriverPath());
  owned->SetDatabaseFile(folder.File("clients.sqlite"));
  owned->SetMustExists(false);
  owned->RegisterClient(&first);
  owned->RegisterClient(&second);
  owned->RegisterClient(&first);  // no duplicates
  owned->RegisterClient(nullptr);
  EXPECT_EQ(owned->Clients().size(), 2u);

  owned->Connect();
  owned->Disconnect();
  EXPECT_EQ(log, (std::vector<std::string>{"first.closing", "second.closing"}));

  log.clear();
  owned->AfterDisconnect = [&](TOrvek3Database&) { log.push_back("disconnected"); };
  owned.reset();
  EXPECT_EQ(log, (std::vector<std::string>{"first.closing", "second.closing", "disconnected", "second.destroyed",
                                           "first.destroyed"}));
}

TEST_F(DatabaseTest, UnregisteredClientsHearNothing) {
  std::vector<std::string> log;
  FakeClient client(&log, "c");
  db.RegisterClient(&client);
  db.UnregisterClient(&client);
  db.UnregisterClient(&client);
  EXPECT_TRUE(db.Clients().empty());
  db.Disconnect();
  EXPECT_TRUE(log.empty());
}

TEST_F(DatabaseTest, DestroyingTheConnectionClosesIt) {
  auto owned = std::make_unique<TOrvek3Database>();
  owned->SetDriver(DriverPath());
  owned->SetDatabaseFile(folder.File("d.sqlite"));
  owned->SetMustExists(false);
  owned->Connect();
  owned->ExecSQL("CREATE TABLE t(x); INSERT INTO t VALUES(1)");
  bool before = false;
  owned->BeforeDisconnect = [&](TOrvek3Database& s) { before = s.Connected(); };
  owned.reset();
  EXPECT_TRUE(before);
}
