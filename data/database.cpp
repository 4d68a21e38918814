// The connection: run-time binding of the SQLite library, connect and disconnect,
// statement services and column readers.
#include "database.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>

#include "platform_library.h"
#include "simple_table.h"
#include "sql_text.h"

namespace orvek3 {
namespace {

// A plain existence test of a file (folders do not count), relative names from the current folder.
bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  return !ec && std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && SameTextAscii(text.substr(0, prefix.size()), prefix);
}

bool IsBlankTail(const char* tail) { return tail == nullptr || IsBlankText(tail); }

bool IsBlankTail(const char16_t* tail) {
  if (tail == nullptr) return true;
  for (; *tail != 0; ++tail)
    if (*tail > 32) return false;
  return true;
}

// The byte order collation of the name "NATIVE" when the locale one is not wanted.
int ByteCollate(void*, int length1, const void* text1, int length2, const void* text2) {
  const int n = std::min(length1, length2);
  const int r = n > 0 ? std::memcmp(text1, text2, static_cast<size_t>(n)) : 0;
  if (r != 0) return r < 0 ? -1 : 1;
  return length1 < length2 ? -1 : (length1 > length2 ? 1 : 0);
}

// --- Dates: days since 1899-12-30, the time of day as fraction --------------------------

int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return int64_t{era} * 146097 + doe - 719468;
}

const int64_t kDay0 = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

class TextCursor {
 public:
  explicit TextCursor(std::string_view text) : text_(text) {}
  bool AtEnd() const { return pos_ >= text_.size(); }
  bool Take(char c) {
    if (AtEnd() || text_[pos_] != c) return false;
    ++pos_;
    return true;
  }
  int SkipBlanks() {
    int n = 0;
    while (!AtEnd() && text_[pos_] == ' ') ++pos_, ++n;
    return n;
  }
  // A number of minDigits to maxDigits digits; digits gets the count read.
  bool Number(int minDigits, int maxDigits, int& value, int* digits = nullptr) {
    int n = 0;
    value = 0;
    while (!AtEnd() && n < maxDigits && text_[pos_] >= '0' && text_[pos_] <= '9') {
      value = value * 10 + (text_[pos_++] - '0');
      ++n;
    }
    if (digits != nullptr) *digits = n;
    return n >= minDigits;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

int CenturyYear(int twoDigits) {
  // Two-digit years fall into the 100 years that begin 50 years ago.
  const auto now = std::chrono::year_month_day(
      std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
  const int start = static_cast<int>(now.year()) - 50;
  int year = start - start % 100 + twoDigits;
  if (year < start) year += 100;
  return year;
}

// " H:MM[:SS[.fff]]" as a fraction of a day.
std::optional<double> ParseTime(TextCursor& c) {
  int h, mi, s = 0, ms = 0;
  if (!c.Number(1, 2, h) || !c.Take(':') || !c.Number(2, 2, mi)) return std::nullopt;
  if (c.Take(':')) {
    if (!c.Number(2, 2, s)) return std::nullopt;
    if (c.Take('.')) {
      int digits = 0;
      if (!c.Number(1, 3, ms, &digits)) return std::nullopt;
      for (; digits < 3; ++digits) ms *= 10;
    }
  }
  if (h > 23 || mi > 59 || s > 59) return std::nullopt;
  return ((h * 3600.0 + mi * 60.0 + s) * 1000.0 + ms) / 86400000.0;
}

// "D.M.YYYY[ H:MM[:SS]]" (the Czech reading of the user's settings) or, with dayFirst false,
// "YYYY-M-D[ H:MM[:SS]]"; a time alone is read as well.
std::optional<TDateTime> ParseDateTime(std::string_view raw, bool dayFirst) {
  const std::string text = TrimText(raw);
  if (text.empty()) return std::nullopt;
  {
    TextCursor timeOnly(text);
    if (auto t = ParseTime(timeOnly); t && timeOnly.AtEnd()) return *t;
  }
  TextCursor c(text);
  const char sep = dayFirst ? '.' : '-';
  int a, b, y, m, d, yearDigits = 0;
  if (dayFirst) {
    if (!c.Number(1, 2, d) || !c.Take(sep)) return std::nullopt;
    c.SkipBlanks();  // "20. 3. 2018" is common Czech writing
    if (!c.Number(1, 2, m) || !c.Take(sep)) return std::nullopt;
    c.SkipBlanks();
    if (!c.Number(1, 4, y, &yearDigits)) return std::nullopt;
  } else {
    if (!c.Number(1, 4, a, &yearDigits) || !c.Take(sep) || !c.Number(1, 2, b) || !c.Take(sep) ||
        !c.Number(1, 2, d))
      return std::nullopt;
    y = a;
    m = b;
  }
  if (yearDigits <= 2) y = CenturyYear(y);
  if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return std::nullopt;
  double time = 0;
  if (!c.AtEnd()) {
    if (c.SkipBlanks() == 0) return std::nullopt;
    auto t = ParseTime(c);
    if (!t || !c.AtEnd()) return std::nullopt;
    time = *t;
  }
  const auto days = static_cast<double>(DaysFromCivil(y, m, d) - kDay0);
  return days < 0 ? days - time : days + time;
}

int32_t ClampToInt32(double v) {
  if (!(v == v)) return 0;  // NaN
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// Milliseconds since midnight, the form a time field keeps in its row slot.
int32_t MillisecondsOfDay(TDateTime v) {
  if (!(v == v) || std::isinf(v)) return 0;
  const double fraction = std::fabs(v - std::trunc(v));
  const auto ms = static_cast<int32_t>(std::llround(fraction * 86400000.0));
  return std::clamp(ms, 0, 86399999);
}

template <typename Fn>
void Bind(Fn*& slot, void* library, const char* name, bool& ok) {
  if (!ok) return;
  void* symbol = platform::FindSymbol(library, name);
  if (symbol == nullptr) {
    ok = false;
    return;
  }
  slot = reinterpret_cast<Fn*>(symbol);
}

}  // namespace

std::optional<TDateTime> TextToDateTime(std::string_view text) {
  if (auto v = ParseDateTime(text, true)) return v;
  return ParseDateTime(text, false);
}

TOrvek3Database::TOrvek3Database() = default;

TOrvek3Database::~TOrvek3Database() {
  loading_ = false;
  try {
    SetConnected(false);
  } catch (...) {
    // A throwing handler must not keep the library or the connection alive.
    connected_ = false;
    CloseHandle();
    UnloadDriver();
  }
  ReleaseLike();  // its slot must not outlive the driver table it points to
  std::vector<TDatabaseClient*> clients;
  clients.swap(clients_);
  for (auto it = clients.rbegin(); it != clients.rend(); ++it) (*it)->ConnectionDestroyed();
}

// --- Properties ---------------------------------------------------------------------------

void TOrvek3Database::SetConnected(bool value) {
  if (loading_) {
    connectRequested_ = value;
    return;
  }
  if (value) {
    if (connected_) return;
    if (BeforeConnect) BeforeConnect(*this);
    DoConnect();
    if (AfterConnect) AfterConnect(*this);
  } else {
    if (BeforeDisconnect) BeforeDisconnect(*this);
    DoDisconnect();
    if (AfterDisconnect) AfterDisconnect(*this);
  }
}

void TOrvek3Database::SetDatabaseFile(const std::string& file) {
  if (connected_) Disconnect();
  databaseFile_ = file;
}

const std::string& TOrvek3Database::Driver() {
  if (driver_.empty()) driver_ = KALMETRA_SQLITE_LIBNAME;
  return driver_;
}

void TOrvek3Database::SetDriver(const std::string& path) {
  if (connected_) {
    Disconnect();
  } else if (driverHandle_ != nullptr && path != driver_) {
    // A failed connect may have left the old library loaded; the new one must be used.
    CloseHandle();
    UnloadDriver();
  }
  driver_ = path;
}

void TOrvek3Database::BeginLoading() {
  loading_ = true;
  connectRequested_ = false;
}

void TOrvek3Database::EndLoading() {
  loading_ = false;
  const bool wanted = connectRequested_;
  connectRequested_ = false;
  SetConnected(wanted);
}

// --- Driver -------------------------------------------------------------------------------

bool TOrvek3Database::LoadDriver(const std::string& path) {
  if (handle_ != nullptr) return false;
  UnloadDriver();
  void* library = platform::LoadSharedLibrary(path);
  if (library == nullptr) return false;

  TSqliteDriver api;
  bool ok = true;
  Bind(api.open, library, "sqlite3_open", ok);
  Bind(api.close, library, "sqlite3_close", ok);
  if (ok) {
    bool v2 = true;
    Bind(api.open_v2, library, "sqlite3_open_v2", v2);
  }
  Bind(api.libversion, library, "sqlite3_libversion", ok);
  Bind(api.errmsg, library, "sqlite3_errmsg", ok);
  Bind(api.get_table, library, "sqlite3_get_table", ok);
  Bind(api.free_table, library, "sqlite3_free_table", ok);
  Bind(api.free, library, "sqlite3_free", ok);
  Bind(api.last_insert_rowid, library, "sqlite3_last_insert_rowid", ok);
  Bind(api.changes, library, "sqlite3_changes", ok);
  Bind(api.exec, library, "sqlite3_exec", ok);
  Bind(api.get_autocommit, library, "sqlite3_get_autocommit", ok);
  if (ok) {
    bool v2 = true;
    Bind(api.prepare, library, "sqlite3_prepare_v2", v2);
    if (!v2) Bind(api.prepare, library, "sqlite3_prepare", ok);
  }
  Bind(api.prepare16, library, "sqlite3_prepare16", ok);
  Bind(api.finalize, library, "sqlite3_finalize", ok);
  Bind(api.step, library, "sqlite3_step", ok);
  Bind(api.column_blob, library, "sqlite3_column_blob", ok);
  Bind(api.column_bytes, library, "sqlite3_column_bytes", ok);
  Bind(api.column_count, library, "sqlite3_column_count", ok);
  Bind(api.column_decltype, library, "sqlite3_column_decltype", ok);
  Bind(api.column_double, library, "sqlite3_column_double", ok);
  Bind(api.column_int, library, "sqlite3_column_int", ok);
  Bind(api.column_int64, library, "sqlite3_column_int64", ok);
  Bind(api.column_name, library, "sqlite3_column_name", ok);
  Bind(api.column_text, library, "sqlite3_column_text", ok);
  Bind(api.column_text16, library, "sqlite3_column_text16", ok);
  Bind(api.column_type, library, "sqlite3_column_type", ok);
  Bind(api.bind_blob, library, "sqlite3_bind_blob", ok);
  Bind(api.bind_text, library, "sqlite3_bind_text", ok);
  Bind(api.bind_text16, library, "sqlite3_bind_text16", ok);
  Bind(api.bind_int, library, "sqlite3_bind_int", ok);
  Bind(api.bind_int64, library, "sqlite3_bind_int64", ok);
  Bind(api.bind_double, library, "sqlite3_bind_double", ok);
  Bind(api.bind_null, library, "sqlite3_bind_null", ok);
  Bind(api.bind_parameter_count, library, "sqlite3_bind_parameter_count", ok);
  Bind(api.bind_parameter_index, library, "sqlite3_bind_parameter_index", ok);
  Bind(api.bind_parameter_name, library, "sqlite3_bind_parameter_name", ok);
  Bind(api.create_collation, library, "sqlite3_create_collation", ok);
  Bind(api.create_collation16, library, "sqlite3_create_collation16", ok);
  Bind(api.reset, library, "sqlite3_reset", ok);
  Bind(api.create_function, library, "sqlite3_create_function", ok);
  Bind(api.value_text, library, "sqlite3_value_text", ok);
  Bind(api.value_bytes, library, "sqlite3_value_bytes", ok);
  Bind(api.result_int, library, "sqlite3_result_int", ok);
  Bind(api.result_null, library, "sqlite3_result_null", ok);

  if (!ok) {
    // Never keep a partly bound table: the next connect binds again from scratch.
    platform::UnloadSharedLibrary(library);
    return false;
  }
  driverHandle_ = library;
  api_ = api;
  return true;
}

void TOrvek3Database::UnloadDriver() {
  if (driverHandle_ != nullptr) platform::UnloadSharedLibrary(driverHandle_);
  driverHandle_ = nullptr;
  api_ = TSqliteDriver{};  // no call may reach an unloaded library
}

void TOrvek3Database::CloseHandle() {
  if (handle_ != nullptr && api_.close != nullptr) api_.close(handle_);
  handle_ = nullptr;
  ReleaseLike();
}

std::string TOrvek3Database::ErrorMessage() const {
  if (api_.errmsg == nullptr) return {};
  const char* message = api_.errmsg(handle_);
  return message != nullptr ? message : "";
}

// --- Connecting ---------------------------------------------------------------------------

void TOrvek3Database::DoConnect() {
  if (loading_) {
    connectRequested_ = true;
    return;
  }
  lastResult_ = -1;
  // A connect that failed after opening left its handle; it must not leak.
  CloseHandle();
  convertTextToUtf8_ = false;

  const std::string driver = Driver();
  if (!FileExists(driver)) RaiseDatabaseError(this, "Missing DLL driver property!");
  if (driverHandle_ == nullptr && !LoadDriver(driver)) RaiseDatabaseError(this, "Invalid DLL driver!");

  lastResult_ = SQLITE_CANTOPEN;
  if (IsBlankText(databaseFile_) || (mustExists_ && !FileExists(databaseFile_)))
    RaiseDatabaseError(this, "Database file don't exist's!");

  // File names stay in the platform's encoding (UTF-8), which is what the library expects.
  sqlite3* handle = nullptr;
  // A connection is only ever used by the thread that opened it, so the library need not
  // lock it on every call; the flags are otherwise those of sqlite3_open.
  lastResult_ = api_.open_v2 != nullptr
                    ? api_.open_v2(databaseFile_.c_str(), &handle,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr)
                    : api_.open(databaseFile_.c_str(), &handle);
  connected_ = lastResult_ == SQLITE_OK;
  if (!connected_) {
    const char* message = api_.errmsg(handle);
    const std::string text = std::string("Database error: ") + (message != nullptr ? message : "");
    if (handle != nullptr) api_.close(handle);  // a failed open still allocates a handle
    RaiseDatabaseError(this, text);
  }
  handle_ = handle;

  try {
    // Before the first read: reading the header already needs the file's shared lock.
    if (busyTimeout_ > 0) ExecSQL("pragma busy_timeout=" + std::to_string(busyTimeout_));
    const std::string encoding = GetPragma("encoding");
    convertTextToUtf8_ = StartsWithNoCase(encoding, "UTF-16");
    RegisterCollations(encoding);

    static const struct {
      TPragmaOption option;
      const char* name;
    } kPragmas[] = {
        {poForeignKeysSupport, "foreign_keys"},   {poCaseSensitiveLike, "case_sensitive_like"},
        {poCountChanges, "count_changes"},        {poFullColumnNames, "full_column_names"},
        {poShortColumnNames, "short_column_names"}, {poRecursiveTriggers, "recursive_triggers"},
        {poAutomaticIndex, "automatic_index"},    {poReverseUnorderedSelects, "reverse_unordered_selects"},
        {poSecureDelete, "secure_delete"},
    };
    std::string pragmas;
    for (const auto& p : kPragmas)
      pragmas += std::string("pragma ") + p.name + ((options_ & PragmaBit(p.option)) ? "=on;" : "=off;");
    ExecSQL(pragmas);

    std::string params = TrimText(params_);
    if (!params.empty()) {
      for (char& c : params)
        if (c == ';' || c == ',') c = '|';
      if (params.front() == '|') params.erase(0, 1);
      params = "pragma " + params;
      if (params.back() == '|') params.pop_back();
      std::string text;
      for (const char c : params) {
        if (c == '|')
          text += ";pragma ";
        else
          text += c;
      }
      ExecSQL(text);
    }

    ExecSQL(transIsolation_ == TTransIsolation::tiDirtyRead ? "pragma read_uncommitted=on;"
                                                             : "pragma read_uncommitted=off;");
    // After the pragmas: case_sensitive_like brings back the library's own LIKE.
    if (!convertTextToUtf8_) RegisterLike();
  } catch (...) {
    connected_ = false;
    throw;
  }
}

void TOrvek3Database::RegisterCollations(const std::string& encoding) {
  using Compare = int (*)(void*, int, const void*, int, const void*);
  const bool native = collation_ == TDefaultCollation::dcNative;
  auto check = [this]() {
    if (lastResult_ != SQLITE_OK) RaiseDatabaseError(this, "Create collation error: " + ErrorMessage());
  };
  auto register16 = [&](const char16_t* name, int textEncoding, Compare compare) {
    lastResult_ = api_.create_collation16(handle_, name, textEncoding, nullptr, compare);
    check();
  };
  auto register8 = [&](const char* name, Compare compare) {
    lastResult_ = api_.create_collation(handle_, name, SQLITE_UTF8, nullptr, compare);
    check();
  };

  // SQLite sorts ORDER BY on a default-collation key by its own byte comparison even when
  // "BINARY" is replaced, so the locale order is also offered under the name "NATIVE".
  // With dcBinary "NATIVE" still exists and keeps the byte order, so statements naming it run.
  if (StartsWithNoCase(encoding, "UTF-16le")) {
    if (native) register16(u"BINARY", SQLITE_UTF16LE, NativeCollateUtf16LE);
    register16(u"NATIVE", SQLITE_UTF16LE, native ? NativeCollateUtf16LE : ByteCollate);
  } else if (StartsWithNoCase(encoding, "UTF-16be")) {
    if (native) register16(u"BINARY", SQLITE_UTF16BE, NativeCollateUtf16BE);
    register16(u"NATIVE", SQLITE_UTF16BE, native ? NativeCollateUtf16BE : ByteCollate);
  } else {
    if (native) register8("BINARY", NativeCollateAnsi);
    register8("NATIVE", native ? NativeCollateAnsi : ByteCollate);
  }
}

// LIKE over 8-bit text. The library's LIKE reads the bytes as UTF-8, so in code-page
// text it takes most letters with diacritics for one and the same invalid character
// ("ČAJ" would match "čaj" and "Řaj"). The connection replaces it with AnsiLike. The
// library is loaded at run time, so a function cannot ask it for its user data: each
// connection takes one of a fixed set of entry points, each with its own slot.
namespace {

struct LikeSlot {
  const TSqliteDriver* api = nullptr;
  bool ignoreAsciiCase = true;
};
constexpr int kLikeSlots = 16;
LikeSlot likeSlots[kLikeSlots];
std::mutex likeSlotsMutex;

template <int N>
void LikeEntry(sqlite3_context* context, int, sqlite3_value** values) {
  const LikeSlot& slot = likeSlots[N];
  const unsigned char* pattern = slot.api->value_text(values[0]);
  const int patternBytes = slot.api->value_bytes(values[0]);
  const unsigned char* text = slot.api->value_text(values[1]);
  const int textBytes = slot.api->value_bytes(values[1]);
  if (pattern == nullptr || text == nullptr) {
    slot.api->result_null(context);
    return;
  }
  slot.api->result_int(context, AnsiLike(std::string_view(reinterpret_cast<const char*>(pattern), patternBytes),
                                         std::string_view(reinterpret_cast<const char*>(text), textBytes),
                                         slot.ignoreAsciiCase)
                                     ? 1
                                     : 0);
}

using LikeFunction = void (*)(sqlite3_context*, int, sqlite3_value**);
template <int... N>
constexpr std::array<LikeFunction, sizeof...(N)> LikeEntries(std::integer_sequence<int, N...>) {
  return {&LikeEntry<N>...};
}
constexpr auto kLikeEntries = LikeEntries(std::make_integer_sequence<int, kLikeSlots>());

}  // namespace

void TOrvek3Database::RegisterLike() {
  ReleaseLike();
  {
    const std::lock_guard<std::mutex> lock(likeSlotsMutex);
    for (int i = 0; i < kLikeSlots && likeSlot_ < 0; ++i)
      if (likeSlots[i].api == nullptr) {
        likeSlots[i] = {&api_, (options_ & PragmaBit(poCaseSensitiveLike)) == 0};
        likeSlot_ = i;
      }
  }
  // With every slot taken (many connections at once) the library's LIKE stays.
  if (likeSlot_ < 0) return;
  lastResult_ = api_.create_function(handle_, "like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                     kLikeEntries[static_cast<size_t>(likeSlot_)], nullptr, nullptr);
  if (lastResult_ != SQLITE_OK) RaiseDatabaseError(this, "Create function error: " + ErrorMessage());
}

void TOrvek3Database::ReleaseLike() {
  if (likeSlot_ < 0) return;
  const std::lock_guard<std::mutex> lock(likeSlotsMutex);
  likeSlots[likeSlot_] = {};
  likeSlot_ = -1;
}

void TOrvek3Database::DoDisconnect() {
  // A client may leave the list while it closes; each one still listed is told once.
  const std::vector<TDatabaseClient*> clients = clients_;
  for (TDatabaseClient* client : clients)
    if (std::find(clients_.begin(), clients_.end(), client) != clients_.end()) client->ConnectionClosing();
  connected_ = false;
  CloseHandle();
  UnloadDriver();
}

void TOrvek3Database::RegisterClient(TDatabaseClient* client) {
  if (client != nullptr && std::find(clients_.begin(), clients_.end(), client) == clients_.end())
    clients_.push_back(client);
}

void TOrvek3Database::UnregisterClient(TDatabaseClient* client) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

// --- Statements ---------------------------------------------------------------------------

void TOrvek3Database::CheckConnected(bool raiseOnly) {
  if (handle_ != nullptr && connected_) return;
  if (raiseOnly) RaiseDatabaseError(this, "Not connected!");
  Connect();
  if (handle_ == nullptr || !connected_) RaiseDatabaseError(this, "Not connected!");
}

void TOrvek3Database::CheckResult(sqlite3_stmt* stmt) {
  if (lastResult_ == SQLITE_OK || lastResult_ == SQLITE_ROW || lastResult_ == SQLITE_DONE) return;
  if (stmt != nullptr && api_.finalize != nullptr) api_.finalize(stmt);
  if (lastResult_ != -1) RaiseDatabaseError(this, ErrorMessage());
}

sqlite3_stmt* TOrvek3Database::PrepareStatement(const std::string& sql, const TParams* params,
                                                int& columnCount) {
  lastResult_ = -1;
  columnCount = 0;
  CheckConnected(false);
  CheckConnected(true);
  // The library would read the text only up to a zero byte and run what stands before it.
  if (sql.find('\0') != std::string::npos) RaiseDatabaseError(this, "SQL text contains a zero character");
  const bool haveParams = params != nullptr && params->Count() > 0;

  // The previous statement is finalized only once a further real statement exists, so text
  // that ends in comments or extra ";" still returns its last statement.
  auto run = [&](auto position, auto prepareAt) -> sqlite3_stmt* {
    using Char = std::remove_cv_t<std::remove_pointer_t<decltype(position)>>;
    sqlite3_stmt* last = nullptr;
    int stepResult = SQLITE_DONE;
    for (;;) {
      sqlite3_stmt* stmt = nullptr;
      const Char* tail = nullptr;
      lastResult_ = prepareAt(position, &stmt, &tail);
      if (lastResult_ != SQLITE_OK) {
        if (last != nullptr) {
          const std::string message = ErrorMessage();  // finalizing would reset it
          api_.finalize(last);
          if (stmt != nullptr) api_.finalize(stmt);
          RaiseDatabaseError(this, message);
        }
        CheckResult(stmt);
      }
      const bool more = !IsBlankTail(tail);
      if (stmt == nullptr) {  // only blanks, comments or ";" at this position
        if (!more || tail == position) break;
        position = tail;
        continue;
      }
      if (last != nullptr) api_.finalize(last);
      last = nullptr;
      if (haveParams && api_.bind_parameter_count(stmt) > 0) BindParameters(stmt, *params);
      columnCount = api_.column_count(stmt);
      lastResult_ = api_.step(stmt);
      CheckResult(stmt);
      stepResult = lastResult_;
      last = stmt;
      if (!more) break;
      position = tail;
    }
    // A trailing prepare of nothing must not hide whether the statement has a row;
    // a text without any statement has none.
    lastResult_ = stepResult;
    return last;
  };

  if (convertTextToUtf8_) {
    const std::u16string wide = AnsiToUtf16(sql);
    return run(wide.c_str(), [this](const char16_t* at, sqlite3_stmt** stmt, const char16_t** tail) {
      const void* rest = nullptr;
      const int rc = api_.prepare16(handle_, at, -1, stmt, &rest);
      *tail = static_cast<const char16_t*>(rest);
      return rc;
    });
  }
  return run(sql.c_str(), [this](const char* at, sqlite3_stmt** stmt, const char** tail) {
    return api_.prepare(handle_, at, -1, stmt, tail);
  });
}

void TOrvek3Database::BindParameters(sqlite3_stmt* stmt, const TParams& params) {
  const int count = api_.bind_parameter_count(stmt);
  for (int i = 1; i <= count; ++i) {
    const char* marker = api_.bind_parameter_name(stmt, i);
    if (marker == nullptr || marker[0] == '\0') continue;  // positional markers stay unbound
    std::string name(marker + 1);
    if (convertTextToUtf8_) name = Utf8ToAnsi(name);
    const TParam* param = params.FindParam(name);
    if (param == nullptr) continue;

    auto bytesArgument = [&](size_t bytes) -> int {
      if (bytes > static_cast<size_t>(INT_MAX)) {
        api_.finalize(stmt);
        RaiseDatabaseError(this, "string or blob too big");
      }
      return static_cast<int>(bytes);
    };

    int rc = SQLITE_OK;
    if (param->IsNull()) {
      rc = api_.bind_null(stmt, i);
    } else {
      switch (param->DataType()) {
        case TFieldType::ftString:
        case TFieldType::ftWideString: {
          const std::string text = param->AsString();
          if (convertTextToUtf8_) {
            const std::u16string wide = AnsiToUtf16(text);
            rc = api_.bind_text16(stmt, i, wide.data(), bytesArgument(wide.size() * 2), SQLITE_TRANSIENT);
          } else {
            rc = api_.bind_text(stmt, i, text.data(), bytesArgument(text.size()), SQLITE_TRANSIENT);
          }
          break;
        }
        case TFieldType::ftSmallint:
        case TFieldType::ftWord:
          rc = api_.bind_int(stmt, i, static_cast<int32_t>(param->AsLargeInt()));
          break;
        case TFieldType::ftDate:
          rc = api_.bind_int(stmt, i, ClampToInt32(std::trunc(param->AsFloat())));
          break;
        case TFieldType::ftTime:
          // The day number of a time is always 0; the time of day is what a time field holds.
          rc = api_.bind_int(stmt, i, MillisecondsOfDay(param->AsFloat()));
          break;
        case TFieldType::ftInteger:
        case TFieldType::ftLargeint:
          rc = api_.bind_int64(stmt, i, param->AsLargeInt());
          break;
        case TFieldType::ftBoolean:
          rc = api_.bind_int(stmt, i, param->AsBoolean() ? 1 : 0);
          break;
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftDateTime:
          rc = api_.bind_double(stmt, i, param->AsFloat());
          break;
        case TFieldType::ftBlob:
        case TFieldType::ftMemo:
        case TFieldType::ftGraphic:
        case TFieldType::ftFmtMemo: {
          const std::string& bytes = param->AsBytes();
          rc = api_.bind_blob(stmt, i, bytes.data(), bytesArgument(bytes.size()), SQLITE_TRANSIENT);
          break;
        }
        default:
          api_.finalize(stmt);
          RaiseDatabaseError(this, "Unsupported parameter type!");
      }
    }
    if (rc != SQLITE_OK) {
      lastResult_ = rc;
      CheckResult(stmt);
    }
  }
}

void TOrvek3Database::ExecSQL(const std::string& sql, const TParams* params) {
  int columns = 0;
  sqlite3_stmt* stmt = PrepareStatement(sql, params, columns);
  if (stmt != nullptr && api_.finalize != nullptr) api_.finalize(stmt);
}

void TOrvek3Database::StepStatement(sqlite3_stmt* stmt) {
  lastResult_ = (stmt != nullptr && api_.step != nullptr) ? api_.step(stmt) : -1;
  // The statement belongs to the caller, who finalizes it once; only the error is raised.
  CheckResult(nullptr);
}

void TOrvek3Database::FinalizeStatement(sqlite3_stmt*& stmt) {
  lastResult_ = 0;
  if (stmt != nullptr) {
    if (api_.finalize != nullptr) lastResult_ = api_.finalize(stmt);
    stmt = nullptr;
  }
  CheckResult(nullptr);
}

void TOrvek3Database::ReleaseStatement(sqlite3_stmt*& stmt) noexcept {
  // The result repeats the error of the statement's last step, which was already raised.
  if (stmt != nullptr && api_.finalize != nullptr) api_.finalize(stmt);
  stmt = nullptr;
}

int TOrvek3Database::RowsAffected() const {
  if (!connected_ || handle_ == nullptr) return -1;
  return api_.changes(handle_);
}

int64_t TOrvek3Database::LastInsertRowId() const {
  if (!connected_ || handle_ == nullptr) return 0;
  return api_.last_insert_rowid(handle_);
}

// --- Column readers -----------------------------------------------------------------------

std::string TOrvek3Database::StmtColumnName(sqlite3_stmt* stmt, int column) const {
  if (stmt == nullptr || api_.column_name == nullptr) return {};
  const char* name = api_.column_name(stmt, column);
  if (name == nullptr) return {};
  return convertTextToUtf8_ ? Utf8ToAnsi(name) : std::string(name);
}

std::string TOrvek3Database::StmtColumnDeclType(sqlite3_stmt* stmt, int column) const {
  if (stmt == nullptr || api_.column_decltype == nullptr) return {};
  const char* type = api_.column_decltype(stmt, column);
  return (type == nullptr || *type == '\0') ? std::string("string") : std::string(type);
}

int TOrvek3Database::StmtColumnType(sqlite3_stmt* stmt, int column) const {
  return (stmt != nullptr && api_.column_type != nullptr) ? api_.column_type(stmt, column) : 0;
}

int TOrvek3Database::StmtColumnBytes(sqlite3_stmt* stmt, int column) const {
  return (stmt != nullptr && api_.column_bytes != nullptr) ? api_.column_bytes(stmt, column) : 0;
}

const void* TOrvek3Database::StmtColumnBlob(sqlite3_stmt* stmt, int column) const {
  return (stmt != nullptr && api_.column_blob != nullptr) ? api_.column_blob(stmt, column) : nullptr;
}

const unsigned char* TOrvek3Database::StmtColumnText(sqlite3_stmt* stmt, int column) const {
  return (stmt != nullptr && api_.column_text != nullptr) ? api_.column_text(stmt, column) : nullptr;
}

const char16_t* TOrvek3Database::StmtColumnText16(sqlite3_stmt* stmt, int column) const {
  if (stmt == nullptr || api_.column_text16 == nullptr) return nullptr;
  return static_cast<const char16_t*>(api_.column_text16(stmt, column));
}

int32_t TOrvek3Database::StmtColumnInt(sqlite3_stmt* stmt, int column) const {
  if (StmtColumnType(stmt, column) != SQLITE_INTEGER) return 0;
  return api_.column_int(stmt, column);
}

int64_t TOrvek3Database::StmtColumnInt64(sqlite3_stmt* stmt, int column) const {
  if (StmtColumnType(stmt, column) != SQLITE_INTEGER) return 0;
  return api_.column_int64(stmt, column);
}

double TOrvek3Database::StmtColumnFloat(sqlite3_stmt* stmt, int column) const {
  switch (StmtColumnType(stmt, column)) {
    case SQLITE_INTEGER: return static_cast<double>(api_.column_int64(stmt, column));
    case SQLITE_FLOAT: return api_.column_double(stmt, column);
    default: return 0;
  }
}

TDateTime TOrvek3Database::StmtColumnDateTime(sqlite3_stmt* stmt, int column) const {
  switch (StmtColumnType(stmt, column)) {
    case SQLITE_INTEGER: return static_cast<double>(api_.column_int64(stmt, column));
    case SQLITE_FLOAT: return api_.column_double(stmt, column);
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
      const unsigned char* raw = api_.column_text(stmt, column);
      if (raw == nullptr) return 0;
      const std::string_view text(reinterpret_cast<const char*>(raw),
                                  static_cast<size_t>(api_.column_bytes(stmt, column)));
      if (auto v = ParseDateTime(text, true); v && *v != 0) return *v;
      if (auto v = ParseDateTime(text, false)) return *v;
      return 0;
    }
    default: return 0;
  }
}

// --- Pragmas ------------------------------------------------------------------------------

std::string TOrvek3Database::GetPragma(const std::string& name) {
  TOrvek3SimpleTable table(this);
  table.OpenTable("pragma " + name);
  return table.IsEmpty() ? std::string() : table.Cell(0, 0);
}

void TOrvek3Database::GetTableInfo(std::vector<std::pair<std::string, int>>& list, const std::string& tableName) {
  if (IsBlankText(tableName)) return;
  TOrvek3SimpleTable table(this);
  table.OpenTable("pragma table_info(" + QuoteName(tableName, false) + ")");
  if (table.IsEmpty()) return;
  auto set = [](const std::string& v) { return !v.empty() && v != "0"; };
  for (int row = 0; row < table.RowCount(); ++row) {
    int flags = 0;
    if (set(table.CellByName("PK", row))) {
      flags |= cfPrimaryKey;
      if (SameTextAscii(table.CellByName("TYPE", row), "INTEGER")) flags |= cfInteger;
    }
    if (set(table.CellByName("NOTNULL", row))) flags |= cfNotNull;
    list.emplace_back(table.CellByName("NAME", row), flags);
  }
}

}  // namespace orvek3
