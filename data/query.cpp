#include "query.h"

#include "sql_text.h"

namespace orvek3 {

void TOrvek3Query::SetSQL(const std::vector<std::string>& lines) {
  sql_ = lines;
  ApplySQL();
}

void TOrvek3Query::SetSQL(const std::string& text) {
  // A text of several lines becomes several lines, as a text list assignment would split it.
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
  }
  SetSQL(lines);
}

void TOrvek3Query::ApplySQL() {
  std::string text;
  for (const auto& line : sql_) {
    text += line;
    text += "\r\n";
  }
  SetCommandText(text);
}

void TOrvek3Query::OpenSQL() {
  ApplySQL();
  OpenChecked();
}

void TOrvek3Query::SetParams(const TParams& params) {
  for (int i = 0; i < params.Count(); ++i) {
    if (TParam* own = Params().FindParam(params[i].Name())) {
      const std::string name = own->Name();
      *own = params[i];
      own->SetName(name);
    }
  }
}

void TOrvek3Query::DoBeforeOpen() {
  if (IsBlankText(CommandText())) ApplySQL();
  TOrvek3Command::DoBeforeOpen();
}

}  // namespace orvek3
