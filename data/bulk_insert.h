// Many rows into one table fast: one INSERT prepared once, inside transactions the
// caller commits in batches. Text goes in the connection's code page, as the record sets
// write it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "database.h"

namespace orvek3 {

// A transaction begun only when none is open, so that a caller's own one is joined.
class TOwnTransaction {
 public:
  explicit TOwnTransaction(TOrvek3Database& db) : db_(db) { Begin(); }
  // What was not committed is rolled back.
  ~TOwnTransaction();
  TOwnTransaction(const TOwnTransaction&) = delete;
  TOwnTransaction& operator=(const TOwnTransaction&) = delete;

  void Begin();
  // Begun here, not joined.
  bool Owned() const { return owned_; }
  // Commits; false when the library had rolled the transaction back itself (a full disk,
  // an I/O error). A failing commit raises, and the destructor rolls back.
  bool Commit();

 private:
  TOrvek3Database& db_;
  bool owned_ = false;
};

class TPreparedInsert {
 public:
  TPreparedInsert(TOrvek3Database& db, const std::string& table, const std::vector<std::string>& columns);
  ~TPreparedInsert();
  TPreparedInsert(const TPreparedInsert&) = delete;
  TPreparedInsert& operator=(const TPreparedInsert&) = delete;

  // Columns count from 0 in the order given. A text is held until Run.
  void BindNull(int column);
  void BindInt64(int column, int64_t value);
  void BindText(int column, std::string_view ansi);
  // Stores the row; returns its row id.
  int64_t Run();

 private:
  TOrvek3Database& db_;
  sqlite3_stmt* statement_ = nullptr;
  std::vector<std::string> converted_;  // texts turned into UTF-8 for a UTF-16 catalogue
};

}  // namespace orvek3
