// The connection: binds the SQLite library at run time, opens the database and offers
// statement services to record sets and string tables.
#pragma once

#include <sqlite3.h>  // types and constants only; the library is never linked

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "db_types.h"

namespace orvek3 {

enum class TDefaultCollation { dcNative = 0, dcBinary = 1 };
enum class TTransIsolation { tiSerializable = 0, tiDirtyRead = 1 };

enum TPragmaOption : int {
  poForeignKeysSupport = 0,
  poCaseSensitiveLike,
  poCountChanges,
  poFullColumnNames,
  poShortColumnNames,
  poRecursiveTriggers,
  poAutomaticIndex,
  poReverseUnorderedSelects,
  poSecureDelete,
};
// Bit n stands for option n.
using TPragmaOptions = uint16_t;
constexpr TPragmaOptions PragmaBit(TPragmaOption o) { return static_cast<TPragmaOptions>(1u << o); }

// Column flags of GetTableInfo.
enum : int { cfPrimaryKey = 1, cfInteger = 2, cfNotNull = 4 };

// The bound entry points of the library, in binding order.
struct TSqliteDriver {
  int (*open)(const char*, sqlite3**) = nullptr;
  int (*open_v2)(const char*, sqlite3**, int, const char*) = nullptr;  // optional
  int (*close)(sqlite3*) = nullptr;
  const char* (*libversion)() = nullptr;
  const char* (*errmsg)(sqlite3*) = nullptr;
  int (*get_table)(sqlite3*, const char*, char***, int*, int*, char**) = nullptr;
  void (*free_table)(char**) = nullptr;
  void (*free)(void*) = nullptr;
  sqlite3_int64 (*last_insert_rowid)(sqlite3*) = nullptr;
  int (*changes)(sqlite3*) = nullptr;
  int (*exec)(sqlite3*, const char*, int (*)(void*, int, char**, char**), void*, char**) = nullptr;
  int (*get_autocommit)(sqlite3*) = nullptr;
  int (*prepare)(sqlite3*, const char*, int, sqlite3_stmt**, const char**) = nullptr;
  int (*prepare16)(sqlite3*, const void*, int, sqlite3_stmt**, const void**) = nullptr;
  int (*finalize)(sqlite3_stmt*) = nullptr;
  int (*step)(sqlite3_stmt*) = nullptr;
  const void* (*column_blob)(sqlite3_stmt*, int) = nullptr;
  int (*column_bytes)(sqlite3_stmt*, int) = nullptr;
  int (*column_count)(sqlite3_stmt*) = nullptr;
  const char* (*column_decltype)(sqlite3_stmt*, int) = nullptr;
  double (*column_double)(sqlite3_stmt*, int) = nullptr;
  int (*column_int)(sqlite3_stmt*, int) = nullptr;
  sqlite3_int64 (*column_int64)(sqlite3_stmt*, int) = nullptr;
  const char* (*column_name)(sqlite3_stmt*, int) = nullptr;
  const unsigned char* (*column_text)(sqlite3_stmt*, int) = nullptr;
  const void* (*column_text16)(sqlite3_stmt*, int) = nullptr;
  int (*column_type)(sqlite3_stmt*, int) = nullptr;
  int (*bind_blob)(sqlite3_stmt*, int, const void*, int, void (*)(void*)) = nullptr;
  int (*bind_text)(sqlite3_stmt*, int, const char*, int, void (*)(void*)) = nullptr;
  int (*bind_text16)(sqlite3_stmt*, int, const void*, int, void (*)(void*)) = nullptr;
  int (*bind_int)(sqlite3_stmt*, int, int) = nullptr;
  int (*bind_int64)(sqlite3_stmt*, int, sqlite3_int64) = nullptr;
  int (*bind_double)(sqlite3_stmt*, int, double) = nullptr;
  int (*bind_null)(sqlite3_stmt*, int) = nullptr;
  int (*bind_parameter_count)(sqlite3_stmt*) = nullptr;
  int (*bind_parameter_index)(sqlite3_stmt*, const char*) = nullptr;
  const char* (*bind_parameter_name)(sqlite3_stmt*, int) = nullptr;
  int (*create_collation)(sqlite3*, const char*, int, void*,
                          int (*)(void*, int, const void*, int, const void*)) = nullptr;
  int (*create_collation16)(sqlite3*, const void*, int, void*,
                            int (*)(void*, int, const void*, int, const void*)) = nullptr;
  // For statements run many times over (the import): prepared once, reset between runs.
  int (*reset)(sqlite3_stmt*) = nullptr;
  int (*create_function)(sqlite3*, const char*, int, int, void*, void (*)(sqlite3_context*, int, sqlite3_value**),
                         void (*)(sqlite3_context*, int, sqlite3_value**), void (*)(sqlite3_context*)) = nullptr;
  const unsigned char* (*value_text)(sqlite3_value*) = nullptr;
  int (*value_bytes)(sqlite3_value*) = nullptr;
  void (*result_int)(sqlite3_context*, int) = nullptr;
  void (*result_null)(sqlite3_context*) = nullptr;
};

class TOrvek3Database : public TComponent {
 public:
  using TNotifyEvent = std::function<void(TOrvek3Database& sender)>;

  TOrvek3Database();
  ~TOrvek3Database() override;
  TOrvek3Database(const TOrvek3Database&) = delete;
  TOrvek3Database& operator=(const TOrvek3Database&) = delete;

  // Published properties.
  bool Connected() const { return connected_; }
  void SetConnected(bool value);
  const std::string& DatabaseFile() const { return databaseFile_; }
  void SetDatabaseFile(const std::string& file);
  // An empty value is stored and read as the platform library name.
  const std::string& Driver();
  void SetDriver(const std::string& path);
  bool MustExists() const { return mustExists_; }
  void SetMustExists(bool v) { mustExists_ = v; }
  TDefaultCollation Collation() const { return collation_; }
  void SetCollation(TDefaultCollation c) { collation_ = c; }
  TPragmaOptions Options() const { return options_; }
  void SetOptions(TPragmaOptions o) { options_ = o; }
  const std::string& Params() const { return params_; }
  void SetParams(const std::string& p) { params_ = p; }
  // How long a statement waits for another connection's lock before it fails; 0: not at all.
  int BusyTimeout() const { return busyTimeout_; }
  void SetBusyTimeout(int milliseconds) { busyTimeout_ = milliseconds; }
  TTransIsolation TransIsolation() const { return transIsolation_; }
  void SetTransIsolation(TTransIsolation t) { transIsolation_ = t; }
  const std::string& Description() const { return description_; }
  void SetDescription(const std::string& d) { description_ = d; }

  TNotifyEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;

  // Reading a stored description: Connected written meanwhile is carried out by EndLoading.
  void BeginLoading();
  void EndLoading();

  void Connect() { SetConnected(true); }
  void Disconnect() { SetConnected(false); }
  // Binds every entry point or none; refuses while a connection handle is open.
  bool LoadDriver(const std::string& path);

  // Prepares every statement of the text in turn; returns the last one, bound and stepped once
  // (nullptr when the text holds no statement, only blanks, comments or ";").
  sqlite3_stmt* PrepareStatement(const std::string& sql, const TParams* params, int& columnCount);
  void ExecSQL(const std::string& sql, const TParams* params = nullptr);
  void StepStatement(sqlite3_stmt* stmt);
  void FinalizeStatement(sqlite3_stmt*& stmt);
  // Finalizes without raising: for closing after a failure.
  void ReleaseStatement(sqlite3_stmt*& stmt) noexcept;
  void CheckResult(sqlite3_stmt* stmt);
  int RowsAffected() const;
  void CheckConnected(bool raiseOnly);
  int64_t LastInsertRowId() const;

  std::string StmtColumnName(sqlite3_stmt* stmt, int column) const;
  std::string StmtColumnDeclType(sqlite3_stmt* stmt, int column) const;
  int StmtColumnType(sqlite3_stmt* stmt, int column) const;
  int StmtColumnBytes(sqlite3_stmt* stmt, int column) const;
  const void* StmtColumnBlob(sqlite3_stmt* stmt, int column) const;
  const unsigned char* StmtColumnText(sqlite3_stmt* stmt, int column) const;
  const char16_t* StmtColumnText16(sqlite3_stmt* stmt, int column) const;
  int32_t StmtColumnInt(sqlite3_stmt* stmt, int column) const;
  int64_t StmtColumnInt64(sqlite3_stmt* stmt, int column) const;
  double StmtColumnFloat(sqlite3_stmt* stmt, int column) const;
  TDateTime StmtColumnDateTime(sqlite3_stmt* stmt, int column) const;

  std::string GetPragma(const std::string& name);
  // Appends the column names of the table with their cf* flags, in column order.
  void GetTableInfo(std::vector<std::pair<std::string, int>>& list, const std::string& table);

  void RegisterClient(TDatabaseClient* client);
  void UnregisterClient(TDatabaseClient* client);
  const std::vector<TDatabaseClient*>& Clients() const { return clients_; }

  // Internal state, readable for record sets and tests.
  sqlite3* Handle() const { return handle_; }
  bool DriverLoaded() const { return driverHandle_ != nullptr; }
  const TSqliteDriver& Api() const { return api_; }
  int LastResult() const { return lastResult_; }
  bool ConvertTextToUtf8() const { return convertTextToUtf8_; }

 private:
  void DoConnect();
  void DoDisconnect();
  void UnloadDriver();
  void BindParameters(sqlite3_stmt* stmt, const TParams& params);
  void CloseHandle();
  void RegisterCollations(const std::string& encoding);
  void RegisterLike();
  void ReleaseLike();
  std::string ErrorMessage() const;

  bool connected_ = false;
  std::string databaseFile_;
  std::string driver_;
  bool mustExists_ = true;
  TDefaultCollation collation_ = TDefaultCollation::dcNative;
  TPragmaOptions options_ = PragmaBit(poShortColumnNames);
  std::string params_;
  int busyTimeout_ = 0;
  TTransIsolation transIsolation_ = TTransIsolation::tiSerializable;
  std::string description_;

  sqlite3* handle_ = nullptr;
  void* driverHandle_ = nullptr;
  TSqliteDriver api_;
  int likeSlot_ = -1;  // the LIKE function this connection registered, -1 for none
  int lastResult_ = 0;
  bool convertTextToUtf8_ = false;
  bool loading_ = false;
  bool connectRequested_ = false;
  std::vector<TDatabaseClient*> clients_;
};

}  // namespace orvek3
