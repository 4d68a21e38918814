// Field objects: typed access to the value of the current record.
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "record_set.h"
#include "sql_text.h"

namespace orvek3 {

namespace {

constexpr int kDateDelta = 693594;  // days from 0001-01-01 (day 1) to 1899-12-30
constexpr double kMsPerDay = 86400000.0;

void CivilFromDays(int64_t dayNumber, int& y, int& m, int& d) {
  int64_t z = dayNumber - 719163 + 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

std::string FormatDate(int64_t dayNumber) {
  int y, m, d;
  CivilFromDays(dayNumber, y, m, d);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
  return buf;
}

std::string FormatTime(int64_t ms) {
  char buf[32];
  const int64_t s = ms / 1000;
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(s / 3600), static_cast<int>(s / 60 % 60),
                static_cast<int>(s % 60));
  return buf;
}

std::string FormatFloat(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", v);
  return buf;
}

bool ParseDouble(const std::string& text, double& out) {
  if (text.empty()) return false;
  std::string t = text;
  for (char& c : t)
    if (c == ',') c = '.';
  char* end = nullptr;
  const double v = std::strtod(t.c_str(), &end);
  if (end != t.c_str() + t.size() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

}  // namespace

bool ParseInt64(const std::string& text, int64_t& out) {
  if (text.empty()) return false;
  size_t i = 0;
  if (text[0] == '+' || text[0] == '-') i = 1;
  if (i >= text.size()) return false;
  for (size_t j = i; j < text.size(); ++j)
    if (text[j] < '0' || text[j] > '9') return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno == ERANGE || end != text.c_str() + text.size()) return false;
  out = v;
  return true;
}

TRecField::TRecField(TRecordSet* owner, std::string name, TFieldType type, int size, TFieldKind kind)
    : dataSet_(owner), name_(std::move(name)), type_(type), size_(size), kind_(kind) {}

int TRecField::DataSize() const { return FieldDataSize(type_, size_); }

bool TRecField::IsBlob() const {
  return type_ == TFieldType::ftBlob || type_ == TFieldType::ftMemo || type_ == TFieldType::ftGraphic ||
         type_ == TFieldType::ftFmtMemo;
}

bool TRecField::GetData(void* buffer) const {
  if (dataSet_ == nullptr) return false;
  return dataSet_->GetFieldData(*this, buffer);
}

void TRecField::SetData(const void* buffer) {
  if (dataSet_ == nullptr) throw DatabaseError(name_ + ". Missing DataSet property!");
  dataSet_->SetFieldData(*this, buffer);
}

bool TRecField::IsNull() const {
  if (IsBlob()) {
    std::string bytes;
    return dataSet_ == nullptr || !dataSet_->GetBlobData(*this, bytes);
  }
  std::vector<uint8_t> buf(static_cast<size_t>(DataSize()) + 2, 0);
  return !GetData(buf.data());
}

void TRecField::Clear() {
  if (IsBlob()) {
    if (dataSet_ == nullptr) throw DatabaseError(name_ + ". Missing DataSet property!");
    dataSet_->SetFieldData(*this, nullptr);
    return;
  }
  SetData(nullptr);
}

std::u16string TRecField::AsUnicode() const { return AnsiToUtf16(AsString()); }

bool TRecField::TextFitsAnsi() const {
  std::string scratch;
  return TryUnicodeToAnsi(AsUnicode(), scratch);
}

std::string TRecField::AsString() const {
  if (IsBlob()) return AsBytes();
  std::vector<uint8_t> buf(static_cast<size_t>(DataSize()) + 2, 0);
  if (!GetData(buf.data())) return {};
  const uint8_t* p = buf.data();
  switch (type_) {
    case TFieldType::ftString:
      return std::string(reinterpret_cast<const char*>(p),
                         strnlen(reinterpret_cast<const char*>(p), static_cast<size_t>(size_)));
    case TFieldType::ftSmallint: {
      int16_t v;
      std::memcpy(&v, p, 2);
      return std::to_string(v);
    }
    case TFieldType::ftWord: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return std::to_string(v);
    }
    case TFieldType::ftBoolean: {
      int16_t v;
      std::memcpy(&v, p, 2);
      return v != 0 ? "True" : "False";
    }
    case TFieldType::ftInteger: {
      int32_t v;
      std::memcpy(&v, p, 4);
      return std::to_string(v);
    }
    case TFieldType::ftLargeint: {
      int64_t v;
      std::memcpy(&v, p, 8);
      return std::to_string(v);
    }
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency: {
      double v;
      std::memcpy(&v, p, 8);
      return FormatFloat(v);
    }
    case TFieldType::ftDate: {
      int32_t v;
      std::memcpy(&v, p, 4);
      return FormatDate(v);
    }
    case TFieldType::ftTime: {
      int32_t v;
      std::memcpy(&v, p, 4);
      return FormatTime(v);
    }
    case TFieldType::ftDateTime: {
      double v;
      std::memcpy(&v, p, 8);
      const int64_t ms = static_cast<int64_t>(std::llround(v));
      const int64_t day = ms / 86400000;
      const int64_t rest = ms % 86400000;
      return rest == 0 ? FormatDate(day) : FormatDate(day) + " " + FormatTime(rest);
    }
    default:
      return {};
  }
}

void TRecField::SetAsString(const std::string& text) {
  if (IsBlob()) {
    SetAsBytes(text);
    return;
  }
  switch (type_) {
    case TFieldType::ftString: {
      std::vector<char> buf(static_cast<size_t>(size_) + 1, 0);
      std::memcpy(buf.data(), text.data(), std::min(text.size(), static_cast<size_t>(size_)));
      SetData(buf.data());
      return;
    }
    case TFieldType::ftSmallint:
    case TFieldType::ftWord:
    case TFieldType::ftInteger:
    case TFieldType::ftLargeint: {
      if (text.empty()) {
        Clear();
        return;
      }
      int64_t v = 0;
      if (!ParseInt64(text, v))
        dataSet_->Error("'" + text + "' is not a valid integer value for field '" + DisplayName() + "'");
      SetAsLargeInt(v);
      return;
    }
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency: {
      if (text.empty()) {
        Clear();
        return;
      }
      double v = 0;
      if (!ParseDouble(text, v))
        dataSet_->Error("'" + text + "' is not a valid floating point value for field '" + DisplayName() + "'");
      SetAsFloat(v);
      return;
    }
    case TFieldType::ftBoolean: {
      if (text.empty()) {
        Clear();
        return;
      }
      const std::string t = UpperCaseAscii(text);
      if (t == "TRUE" || t == "T" || t == "YES" || t == "Y" || t == "1") SetAsBoolean(true);
      else if (t == "FALSE" || t == "F" || t == "NO" || t == "N" || t == "0") SetAsBoolean(false);
      else dataSet_->Error("'" + text + "' is not a valid boolean value for field '" + DisplayName() + "'");
      return;
    }
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime: {
      if (text.empty()) {
        Clear();
        return;
      }
      TDateTime v = 0;
      if (type_ == TFieldType::ftTime) {
        int hh = 0, mi = 0, ss = 0, n = 0;
        if (std::sscanf(text.c_str(), "%d:%d%n:%d%n", &hh, &mi, &n, &ss, &n) < 2 || text[static_cast<size_t>(n)] != '\0' ||
            hh < 0 || hh > 23 || mi < 0 || mi > 59 || ss < 0 || ss > 59)
          dataSet_->Error("'" + text + "' is not a valid time");
        v = (hh * 3600 + mi * 60 + ss) / 86400.0;
      } else if (auto parsed = TextToDateTime(text)) {
        v = *parsed;
      } else {
        dataSet_->Error("'" + text + "' is not a valid date and time");
      }
      SetAsDateTime(v);
      return;
    }
    default:
      dataSet_->Error("Field '" + DisplayName() + "' cannot be modified");
  }
}

int64_t TRecField::AsLargeInt() const {
  std::vector<uint8_t> buf(static_cast<size_t>(DataSize()) + 2, 0);
  if (IsBlob() || !GetData(buf.data())) return 0;
  const uint8_t* p = buf.data();
  switch (type_) {
    case TFieldType::ftSmallint:
    case TFieldType::ftBoolean: {
      int16_t v;
      std::memcpy(&v, p, 2);
      return type_ == TFieldType::ftBoolean ? (v != 0) : v;
    }
    case TFieldType::ftWord: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case TFieldType::ftInteger:
    case TFieldType::ftDate:
    case TFieldType::ftTime: {
      int32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
    case TFieldType::ftLargeint: {
      int64_t v;
      std::memcpy(&v, p, 8);
      return v;
    }
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftDateTime:
      return static_cast<int64_t>(AsFloat());
    default: {
      int64_t v = 0;
      const std::string s = AsString();
      if (!s.empty() && !ParseInt64(s, v))
        dataSet_->Error("'" + s + "' is not a valid integer value for field '" + DisplayName() + "'");
      return v;
    }
  }
}

void TRecField::SetAsLargeInt(int64_t v) {
  uint8_t buf[8] = {};
  auto range = [&](int64_t lo, int64_t hi) {
    if (v < lo || v > hi)
      dataSet_->Error(std::to_string(v) + " is not a valid value for field '" + DisplayName() +
                      "'. The allowed range is " + std::to_string(lo) + " to " + std::to_string(hi));
  };
  switch (type_) {
    case TFieldType::ftSmallint: {
      range(INT16_MIN, INT16_MAX);
      const int16_t x = static_cast<int16_t>(v);
      std::memcpy(buf, &x, 2);
      break;
    }
    case TFieldType::ftWord: {
      range(0, UINT16_MAX);
      const uint16_t x = static_cast<uint16_t>(v);
      std::memcpy(buf, &x, 2);
      break;
    }
    case TFieldType::ftInteger: {
      range(INT32_MIN, INT32_MAX);
      const int32_t x = static_cast<int32_t>(v);
      std::memcpy(buf, &x, 4);
      break;
    }
    case TFieldType::ftLargeint:
      std::memcpy(buf, &v, 8);
      break;
    case TFieldType::ftBoolean:
      SetAsBoolean(v != 0);
      return;
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftDateTime:
    case TFieldType::ftDate:
    case TFieldType::ftTime:
      SetAsFloat(static_cast<double>(v));
      return;
    default:
      SetAsString(std::to_string(v));
      return;
  }
  SetData(buf);
}

double TRecField::AsFloat() const {
  std::vector<uint8_t> buf(static_cast<size_t>(DataSize()) + 2, 0);
  if (IsBlob() || !GetData(buf.data())) return 0;
  switch (type_) {
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency: {
      double v;
      std::memcpy(&v, buf.data(), 8);
      return v;
    }
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime:
      return AsDateTime();
    case TFieldType::ftString:
    case TFieldType::ftWideString: {
      double v = 0;
      const std::string s = AsString();
      if (!s.empty() && !ParseDouble(s, v))
        dataSet_->Error("'" + s + "' is not a valid floating point value for field '" + DisplayName() + "'");
      return v;
    }
    default:
      return static_cast<double>(AsLargeInt());
  }
}

void TRecField::SetAsFloat(double v) {
  switch (type_) {
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency: {
      uint8_t buf[8];
      std::memcpy(buf, &v, 8);
      SetData(buf);
      return;
    }
    case TFieldType::ftDate:
    case TFieldType::ftTime:
    case TFieldType::ftDateTime:
      SetAsDateTime(v);
      return;
    case TFieldType::ftString:
    case TFieldType::ftWideString:
      SetAsString(FormatFloat(v));
      return;
    default:
      SetAsLargeInt(static_cast<int64_t>(std::llround(v)));
  }
}

bool TRecField::AsBoolean() const {
  if (type_ == TFieldType::ftBoolean) return AsLargeInt() != 0;
  if (type_ == TFieldType::ftString || type_ == TFieldType::ftWideString) {
    const std::string t = UpperCaseAscii(AsString());
    return t == "TRUE" || t == "T" || t == "YES" || t == "Y" || t == "1";
  }
  return AsLargeInt() != 0;
}

void TRecField::SetAsBoolean(bool v) {
  if (type_ == TFieldType::ftBoolean) {
    const int16_t x = v ? -1 : 0;
    uint8_t buf[2];
    std::memcpy(buf, &x, 2);
    SetData(buf);
    return;
  }
  if (type_ == TFieldType::ftString || type_ == TFieldType::ftWideString) {
    SetAsString(v ? "True" : "False");
    return;
  }
  SetAsLargeInt(v ? 1 : 0);
}

TDateTime TRecField::AsDateTime() const {
  std::vector<uint8_t> buf(static_cast<size_t>(DataSize()) + 2, 0);
  if (IsBlob() || !GetData(buf.data())) return 0;
  switch (type_) {
    case TFieldType::ftDate: {
      int32_t v;
      std::memcpy(&v, buf.data(), 4);
      return static_cast<double>(v - kDateDelta);
    }
    case TFieldType::ftTime: {
      int32_t v;
      std::memcpy(&v, buf.data(), 4);
      return v / kMsPerDay;
    }
    case TFieldType::ftDateTime: {
      double v;
      std::memcpy(&v, buf.data(), 8);
      return v / kMsPerDay - kDateDelta;
    }
    case TFieldType::ftString:
    case TFieldType::ftWideString: {
      TDateTime v = 0;
      const std::string s = AsString();
      if (s.empty()) return v;
      if (auto parsed = TextToDateTime(s)) return *parsed;
      dataSet_->Error("'" + s + "' is not a valid date and time");
    }
    default:
      return AsFloat();
  }
}

void TRecField::SetAsDateTime(TDateTime v) {
  switch (type_) {
    case TFieldType::ftDate: {
      const int32_t x = static_cast<int32_t>(std::floor(v)) + kDateDelta;
      uint8_t buf[4];
      std::memcpy(buf, &x, 4);
      SetData(buf);
      return;
    }
    case TFieldType::ftTime: {
      const double frac = v - std::floor(v);
      const int32_t x = static_cast<int32_t>(std::llround(frac * kMsPerDay));
      uint8_t buf[4];
      std::memcpy(buf, &x, 4);
      SetData(buf);
      return;
    }
    case TFieldType::ftDateTime: {
      const double x = std::round((v + kDateDelta) * kMsPerDay);
      uint8_t buf[8];
      std::memcpy(buf, &x, 8);
      SetData(buf);
      return;
    }
    case TFieldType::ftString:
    case TFieldType::ftWideString: {
      const int64_t ms = static_cast<int64_t>(std::llround((v + kDateDelta) * kMsPerDay));
      const int64_t rest = ms % 86400000;
      SetAsString(rest == 0 ? FormatDate(ms / 86400000) : FormatDate(ms / 86400000) + " " + FormatTime(rest));
      return;
    }
    default:
      SetAsFloat(v);
  }
}

std::string TRecField::AsBytes() const {
  std::string bytes;
  if (IsBlob()) {
    if (dataSet_ != nullptr) dataSet_->GetBlobData(*this, bytes);
    return bytes;
  }
  return AsString();
}

void TRecField::SetAsBytes(const std::string& bytes) {
  if (!IsBlob()) {
    SetAsString(bytes);
    return;
  }
  if (dataSet_ == nullptr) throw DatabaseError(name_ + ". Missing DataSet property!");
  dataSet_->SetBlobData(*this, bytes);
}

}  // namespace orvek3
