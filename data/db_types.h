// Types shared by the whole data layer: field data types, errors, components,
// parameters and the client interface of a connection.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace orvek3 {

// Field and parameter data types.
enum class TFieldType {
  ftUnknown,
  ftString,
  ftSmallint,
  ftInteger,
  ftWord,
  ftBoolean,
  ftFloat,
  ftCurrency,
  ftDate,
  ftTime,
  ftDateTime,
  ftBlob,
  ftMemo,
  ftGraphic,
  ftFmtMemo,
  ftWideString,
  ftLargeint,
  ftBytes,
};

// A date-time as days since 1899-12-30, the time of day as fraction.
using TDateTime = double;

// Every error of the data layer; what() is the full text, component name included.
class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A named component: errors raised on its behalf carry its name.
class TComponent {
 public:
  virtual ~TComponent() = default;
  const std::string& Name() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }

 private:
  std::string name_;
};

// Raises a DatabaseError: "<name>: <message>", or the message alone for a nameless component.
[[noreturn]] void RaiseDatabaseError(const TComponent* component, const std::string& message);

// One statement parameter: a name, a data type and a value or null.
class TParam {
 public:
  TParam() = default;
  explicit TParam(std::string name, TFieldType type = TFieldType::ftUnknown)
      : name_(std::move(name)), type_(type) {}

  const std::string& Name() const { return name_; }
  void SetName(const std::string& n) { name_ = n; }
  TFieldType DataType() const { return type_; }
  void SetDataType(TFieldType t) { type_ = t; }

  bool IsNull() const { return std::holds_alternative<std::monostate>(value_); }
  void Clear() { value_ = std::monostate{}; }

  // Typed writers also set the data type, as a parameter of unknown type takes the type of its value.
  void SetAsString(const std::string& v) { value_ = v; type_ = TFieldType::ftString; }
  void SetAsLargeInt(int64_t v) { value_ = v; type_ = TFieldType::ftLargeint; }
  void SetAsInteger(int32_t v) { value_ = int64_t{v}; type_ = TFieldType::ftInteger; }
  void SetAsFloat(double v) { value_ = v; type_ = TFieldType::ftFloat; }
  void SetAsBoolean(bool v) { value_ = v; type_ = TFieldType::ftBoolean; }
  void SetAsDateTime(TDateTime v) { value_ = v; type_ = TFieldType::ftDateTime; }
  void SetAsBlob(const std::string& bytes) { value_ = bytes; type_ = TFieldType::ftBlob; }

  std::string AsString() const;
  int64_t AsLargeInt() const;
  double AsFloat() const;
  bool AsBoolean() const;
  // The bytes of a text or blob value.
  const std::string& AsBytes() const;

 private:
  std::string name_;
  TFieldType type_ = TFieldType::ftUnknown;
  std::variant<std::monostate, std::string, int64_t, double, bool> value_;
};

// A collection of parameters, looked up by name without regard to ASCII case.
class TParams {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TParam& operator[](int i) { return items_.at(static_cast<size_t>(i)); }
  const TParam& operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
  TParam* FindParam(const std::string& name);
  const TParam* FindParam(const std::string& name) const;
  // "Parameter '<name>' not found" when absent.
  TParam& ParamByName(const std::string& name);
  TParam& Add(const std::string& name, TFieldType type = TFieldType::ftUnknown);
  void Clear() { items_.clear(); }

 private:
  std::vector<TParam> items_;
};

class TOrvek3Database;

// What a connection needs of the record sets and string tables that use it.
class TDatabaseClient {
 public:
  virtual ~TDatabaseClient() = default;
  // The connection is disconnecting: a string table empties itself, a record set closes.
  virtual void ConnectionClosing() = 0;
  // The connection is being destroyed: forget the reference to it.
  virtual void ConnectionDestroyed() = 0;
};

}  // namespace orvek3
