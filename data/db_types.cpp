#include "db_types.h"

#include <cstdio>
#include <cstdlib>

#include "sql_text.h"

namespace orvek3 {

void RaiseDatabaseError(const TComponent* component, const std::string& message) {
  if (component != nullptr && !component->Name().empty())
    throw DatabaseError(component->Name() + ": " + message);
  throw DatabaseError(message);
}

std::string TParam::AsString() const {
  if (const auto* s = std::get_if<std::string>(&value_)) return *s;
  if (const auto* i = std::get_if<int64_t>(&value_)) return std::to_string(*i);
  if (const auto* d = std::get_if<double>(&value_)) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", *d);
    return buf;
  }
  if (const auto* b = std::get_if<bool>(&value_)) return *b ? "True" : "False";
  return {};
}

int64_t TParam::AsLargeInt() const {
  if (const auto* i = std::get_if<int64_t>(&value_)) return *i;
  if (const auto* d = std::get_if<double>(&value_)) return static_cast<int64_t>(*d);
  if (const auto* b = std::get_if<bool>(&value_)) return *b ? 1 : 0;
  if (const auto* s = std::get_if<std::string>(&value_)) return std::strtoll(s->c_str(), nullptr, 10);
  return 0;
}

double TParam::AsFloat() const {
  if (const auto* d = std::get_if<double>(&value_)) return *d;
  if (const auto* i = std::get_if<int64_t>(&value_)) return static_cast<double>(*i);
  if (const auto* b = std::get_if<bool>(&value_)) return *b ? 1.0 : 0.0;
  if (const auto* s = std::get_if<std::string>(&value_)) return std::strtod(s->c_str(), nullptr);
  return 0.0;
}

bool TParam::AsBoolean() const {
  if (const auto* b = std::get_if<bool>(&value_)) return *b;
  return AsLargeInt() != 0;
}

const std::string& TParam::AsBytes() const {
  static const std::string empty;
  if (const auto* s = std::get_if<std::string>(&value_)) return *s;
  return empty;
}

TParam* TParams::FindParam(const std::string& name) {
  for (auto& p : items_)
    if (SameTextAscii(p.Name(), name)) return &p;
  return nullptr;
}

const TParam* TParams::FindParam(const std::string& name) const {
  for (const auto& p : items_)
    if (SameTextAscii(p.Name(), name)) return &p;
  return nullptr;
}

TParam& TParams::ParamByName(const std::string& name) {
  if (TParam* p = FindParam(name)) return *p;
  throw DatabaseError("Parameter '" + name + "' not found");
}

TParam& TParams::Add(const std::string& name, TFieldType type) {
  items_.emplace_back(name, type);
  return items_.back();
}

}  // namespace orvek3
