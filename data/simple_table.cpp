// The string table: one statement's whole result through sqlite3_get_table.
#include "simple_table.h"

#include "database.h"
#include "sql_text.h"

namespace orvek3 {

TOrvek3SimpleTable::TOrvek3SimpleTable(TOrvek3Database* owner) : owner_(owner) { SetDatabase(owner); }

TOrvek3SimpleTable::~TOrvek3SimpleTable() {
  CloseTable();
  if (database_ != nullptr) database_->UnregisterClient(this);
}

void TOrvek3SimpleTable::SetDatabase(TOrvek3Database* db) {
  if (db == database_) return;
  if (database_ != nullptr) {
    CloseTable();
    database_->UnregisterClient(this);
  }
  database_ = db;
  if (database_ != nullptr) database_->RegisterClient(this);
}

void TOrvek3SimpleTable::SetTableName(const std::string& name) {
  if (name != tableName_ && !loading_) {
    columnList_.clear();
    orderField_.clear();
    filter_.clear();
  }
  tableName_ = name;
}

std::string TOrvek3SimpleTable::StringIfEmpty() const {
  return IsBlankText(stringIfEmpty_) ? std::string("Empty table") : stringIfEmpty_;
}

void TOrvek3SimpleTable::CloseTable() {
  isEmpty_ = true;
  if (result_ != nullptr && database_ != nullptr && database_->Api().free_table != nullptr)
    database_->Api().free_table(result_);
  result_ = nullptr;
}

void TOrvek3SimpleTable::OpenTable(const std::string& statement) {
  CloseTable();
  resultCode_ = -1;
  if (IsBlankText(tableName_) && IsBlankText(statement)) RaiseDatabaseError(this, "Missing TableName property!");
  if (database_ == nullptr) RaiseDatabaseError(this, "Not connected!");
  database_->CheckConnected(false);

  std::string sql;
  if (IsBlankText(statement)) {
    sql = IsBlankText(columnList_) ? "select * from " + QuoteName(tableName_, false)
                                   : "select " + QuoteNameList(columnList_, false) + " from " +
                                         QuoteName(tableName_, false);
    if (!IsBlankText(filter_)) sql += " WHERE " + filter_;
    if (!IsBlankText(orderField_)) sql += " ORDER BY " + QuoteNameList(orderField_, false);
  } else {
    sql = statement;
  }
  // Converted as a whole, so the filter's text reaches a UTF-16 database intact as well.
  if (database_->ConvertTextToUtf8()) sql = AnsiToUtf8(sql);

  const TSqliteDriver& api = database_->Api();
  char* error = nullptr;
  int rows = 0;
  int columns = 0;
  resultCode_ = api.get_table(database_->Handle(), sql.c_str(), &result_, &rows, &columns, &error);
  rowCount_ = rows;
  columnCount_ = columns;
  if (resultCode_ != SQLITE_OK) {
    const std::string message = error != nullptr ? error : "";
    if (error != nullptr) api.free(error);
    CloseTable();
    rowCount_ = columnCount_ = 1;
    if (!message.empty()) RaiseDatabaseError(this, message);
    return;
  }
  if (error != nullptr) api.free(error);
  isEmpty_ = rowCount_ < 1 || columnCount_ < 1;
  if (isEmpty_) rowCount_ = columnCount_ = 1;
}

std::string TOrvek3SimpleTable::Text(const char* cell) const {
  if (cell == nullptr) return {};
  if (database_ != nullptr && database_->ConvertTextToUtf8()) return Utf8ToAnsi(cell);
  return cell;
}

int TOrvek3SimpleTable::ColumnIndex(const std::string& name) const {
  for (int i = 0; i < columnCount_; ++i)
    if (SameTextAscii(ColumnName(i), name)) return i;
  return -1;
}

std::string TOrvek3SimpleTable::ColumnName(int i) const {
  if (isEmpty_ || result_ == nullptr || i < 0 || i >= columnCount_) return {};
  return Text(result_[i]);
}

std::string TOrvek3SimpleTable::Cell(int column, int row) const {
  if (isEmpty_) return StringIfEmpty();
  // A column outside the row would address a cell of a neighbouring row.
  if (result_ == nullptr || column < 0 || column >= columnCount_) return {};
  const int64_t position = int64_t{column} + (int64_t{row} + 1) * columnCount_;
  const int64_t size = (int64_t{rowCount_} + 1) * columnCount_;
  if (position < 0 || position >= size) return {};
  return Text(result_[position]);
}

std::string TOrvek3SimpleTable::CellByName(const std::string& column, int row) const {
  if (isEmpty_) return StringIfEmpty();
  const int index = ColumnIndex(column);
  if (index < 0) RaiseDatabaseError(this, "Field '" + column + "' not found");
  return Cell(index, row);
}

}  // namespace orvek3
