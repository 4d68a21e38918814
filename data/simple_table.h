// A string table: the whole result of one statement as text cells.
#pragma once

#include <string>

#include "db_types.h"

namespace orvek3 {

class TOrvek3SimpleTable : public TComponent, public TDatabaseClient {
 public:
  // The owner is also the initial Database (registered with it as a client).
  explicit TOrvek3SimpleTable(TOrvek3Database* owner = nullptr);
  ~TOrvek3SimpleTable() override;
  TOrvek3SimpleTable(const TOrvek3SimpleTable&) = delete;
  TOrvek3SimpleTable& operator=(const TOrvek3SimpleTable&) = delete;

  const std::string& ColumnList() const { return columnList_; }
  void SetColumnList(const std::string& v) { columnList_ = v; }
  TOrvek3Database* Database() const { return database_; }
  void SetDatabase(TOrvek3Database* db);
  const std::string& TableName() const { return tableName_; }
  void SetTableName(const std::string& name);
  const std::string& OrderField() const { return orderField_; }
  void SetOrderField(const std::string& v) { orderField_ = v; }
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& v) { filter_ = v; }
  // The stored text, or "Empty table" when it is blank.
  std::string StringIfEmpty() const;
  void SetStringIfEmpty(const std::string& v) { stringIfEmpty_ = v; }

  TOrvek3Database* Owner() const { return owner_; }

  int RowCount() const { return rowCount_; }
  int ColumnCount() const { return columnCount_; }
  int ResultCode() const { return resultCode_; }
  bool IsEmpty() const { return isEmpty_; }

  // Runs the statement (or one built from TableName) and keeps its whole result.
  void OpenTable(const std::string& statement = {});
  void CloseTable();
  int ColumnIndex(const std::string& name) const;
  std::string ColumnName(int i) const;
  std::string Cell(int column, int row) const;
  std::string CellByName(const std::string& column, int row) const;

  // Loading from a stored description keeps the other properties when TableName is set.
  void SetLoading(bool loading) { loading_ = loading; }

  void ConnectionClosing() override { CloseTable(); }
  void ConnectionDestroyed() override { database_ = nullptr; }

 private:
  std::string Text(const char* cell) const;

  TOrvek3Database* owner_ = nullptr;
  TOrvek3Database* database_ = nullptr;
  std::string columnList_, tableName_, orderField_, filter_;
  std::string stringIfEmpty_ = "Empty";
  char** result_ = nullptr;
  int rowCount_ = 0;
  int columnCount_ = 0;
  int resultCode_ = -1;
  bool isEmpty_ = true;
  bool loading_ = false;
};

}  // namespace orvek3
