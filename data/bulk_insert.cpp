#include "bulk_insert.h"

#include "sql_text.h"

namespace orvek3 {

TOwnTransaction::~TOwnTransaction() {
  if (!owned_) return;
  try {
    if (db_.Connected() && db_.Api().get_autocommit(db_.Handle()) == 0) db_.ExecSQL("ROLLBACK");
  } catch (...) {
  }
}

void TOwnTransaction::Begin() {
  owned_ = db_.Api().get_autocommit(db_.Handle()) != 0;
  if (owned_) db_.ExecSQL("BEGIN");
}

bool TOwnTransaction::Commit() {
  if (!owned_) return true;
  if (db_.Api().get_autocommit(db_.Handle()) != 0) {
    owned_ = false;
    return false;
  }
  db_.ExecSQL("COMMIT");  // on failure the destructor rolls back
  owned_ = false;
  return true;
}

TPreparedInsert::TPreparedInsert(TOrvek3Database& db, const std::string& table, const std::vector<std::string>& columns)
    : db_(db), converted_(columns.size()) {
  db_.CheckConnected(false);
  std::string sql = "INSERT INTO " + table + " (";
  for (size_t i = 0; i < columns.size(); ++i) sql += (i > 0 ? "," : "") + columns[i];
  sql += ") VALUES (";
  for (size_t i = 0; i < columns.size(); ++i) sql += i > 0 ? ",?" : "?";
  sql += ")";
  const TSqliteDriver& api = db_.Api();
  if (api.prepare(db_.Handle(), sql.c_str(), -1, &statement_, nullptr) != SQLITE_OK || statement_ == nullptr)
    RaiseDatabaseError(&db_, api.errmsg(db_.Handle()));
}

TPreparedInsert::~TPreparedInsert() {
  if (statement_ != nullptr) db_.Api().finalize(statement_);
}

void TPreparedInsert::BindNull(int column) { db_.Api().bind_null(statement_, column + 1); }

void TPreparedInsert::BindInt64(int column, int64_t value) { db_.Api().bind_int64(statement_, column + 1, value); }

void TPreparedInsert::BindText(int column, std::string_view ansi) {
  if (db_.ConvertTextToUtf8()) {
    // A UTF-16 catalogue stores Unicode; the library converts from UTF-8.
    converted_[static_cast<size_t>(column)] = AnsiToUtf8(ansi);
    ansi = converted_[static_cast<size_t>(column)];
  }
  db_.Api().bind_text(statement_, column + 1, ansi.data(), static_cast<int>(ansi.size()), SQLITE_STATIC);
}

int64_t TPreparedInsert::Run() {
  const TSqliteDriver& api = db_.Api();
  if (api.step(statement_) != SQLITE_DONE) {
    const std::string message = api.errmsg(db_.Handle());
    api.reset(statement_);
    RaiseDatabaseError(&db_, message);
  }
  api.reset(statement_);
  return api.last_insert_rowid(db_.Handle());
}

}  // namespace orvek3
