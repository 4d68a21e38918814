// The query record set: the statement as a list of SQL lines with named parameters.
#pragma once

#include <string>
#include <vector>

#include "command.h"

namespace orvek3 {

class TOrvek3Query : public TOrvek3Command {
 public:
  explicit TOrvek3Query(TOrvek3Database* database = nullptr) : TOrvek3Command(database) {}

  const std::vector<std::string>& SQL() const { return sql_; }
  std::vector<std::string>& SQLLines() { return sql_; }
  // Copies the lines and applies them as the command text.
  void SetSQL(const std::vector<std::string>& lines);
  void SetSQL(const std::string& text);
  // Joins the lines, each followed by CR LF, into the command text.
  void ApplySQL();
  // ApplySQL and open; fails on a query still open after it.
  void OpenSQL();
  // Copies parameter values by name.
  void SetParams(const TParams& params);

 protected:
  void DoBeforeOpen() override;

 private:
  std::vector<std::string> sql_;
};

}  // namespace orvek3
