#include "command.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform_library.h"
#include "sql_text.h"

namespace orvek3 {

namespace {

constexpr int kBatchSize = 8;
constexpr size_t kRowsPerBlock = 64;
constexpr int kDateDelta = 693594;

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  const size_t n = std::strlen(prefix);
  return text.size() >= n && SameTextAscii(std::string_view(text).substr(0, n), prefix);
}

TFieldType FieldTypeOfDecl(const std::string& decl, bool wide) {
  static const std::pair<const char*, TFieldType> table[] = {
      {"int", TFieldType::ftLargeint},       {"word", TFieldType::ftWord},
      {"byte", TFieldType::ftWord},          {"small", TFieldType::ftSmallint},
      {"bigint", TFieldType::ftLargeint},    {"largeint", TFieldType::ftLargeint},
      {"int64", TFieldType::ftLargeint},     {"float", TFieldType::ftFloat},
      {"real", TFieldType::ftFloat},         {"numeric", TFieldType::ftFloat},
      {"decimal", TFieldType::ftFloat},      {"currency", TFieldType::ftCurrency},
      {"money", TFieldType::ftCurrency},     {"datetime", TFieldType::ftDateTime},
      {"timestamp", TFieldType::ftDateTime}, {"bool", TFieldType::ftBoolean},
      {"logic", TFieldType::ftBoolean},      {"bit", TFieldType::ftBoolean},
      {"date", TFieldType::ftDate},          {"time", TFieldType::ftTime},
      {"blob", TFieldType::ftBlob},          {"clob", TFieldType::ftBlob},
      {"memo", TFieldType::ftMemo},          {"text", TFieldType::ftMemo},
      {"image", TFieldType::ftGraphic},      {"graphic", TFieldType::ftGraphic},
      {"picture", TFieldType::ftGraphic},
  };
  for (const auto& [prefix, type] : table)
    if (StartsWithNoCase(decl, prefix)) return type;
  return wide ? TFieldType::ftWideString : TFieldType::ftString;
}

// VARCHAR(80) gives 80; anything that is not a number gives 128.
int StringSizeOfDecl(const std::string& declared) {
  std::string s = TrimText(declared);
  const size_t open = s.find('(');
  if (open != std::string::npos) s = s.substr(open + 1);
  const size_t close = s.find(')');
  if (close != std::string::npos && close != 0) s = s.substr(0, close);
  if (s.empty() || s.size() > 9) return 128;
  size_t i = 0;
  if (s[0] == '+' || s[0] == '-') i = 1;
  if (i == s.size()) return 128;
  for (size_t j = i; j < s.size(); ++j)
    if (s[j] < '0' || s[j] > '9') return 128;
  return std::stoi(s);
}

bool IsNameByte(unsigned char c) {
  return c == '_' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c >= 0x80;
}

}  // namespace

std::vector<std::string> ScanParameterNames(const std::string& text) {
  std::vector<std::string> names;
  char quote = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote != 0) {
      if (c == quote) quote = 0;
      continue;
    }
    if (c == '\'' || c == '"') {
      quote = c;
      continue;
    }
    if (c != ':') continue;
    if (i + 1 < text.size() && text[i + 1] == ':') {  // "::" is not a marker
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < text.size() && IsNameByte(static_cast<unsigned char>(text[j]))) ++j;
    if (j == i + 1) continue;
    std::string name = text.substr(i + 1, j - i - 1);
    const bool known = std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameTextAscii(n, name); });
    if (!known) names.push_back(std::move(name));
    i = j - 1;
  }
  return names;
}

// ---------------------------------------------------------------- wide string field

std::string TWideStringField::AsString() const { return Utf16ToAnsi(AsUnicode()); }

std::u16string TWideStringField::AsUnicode() const {
  std::vector<char16_t> buf(static_cast<size_t>(Size()) + 1, 0);
  if (!GetData(buf.data())) return {};
  buf.back() = 0;
  return std::u16string(buf.data());
}

void TWideStringField::SetAsString(const std::string& text) {
  if (DataSet() == nullptr) throw DatabaseError(FieldName() + ". Missing DataSet property!");
  std::u16string wide = AnsiToUtf16(text);
  if (wide.size() > static_cast<size_t>(Size())) wide.resize(static_cast<size_t>(Size()));
  std::vector<char16_t> buf(static_cast<size_t>(Size()) + 1, 0);
  std::copy(wide.begin(), wide.end(), buf.begin());
  SetData(buf.data());
}

// ---------------------------------------------------------------- construction

TOrvek3Command::TOrvek3Command(TOrvek3Database* database) { SetDatabase(database); }

TOrvek3Command::~TOrvek3Command() {
  try {
    CloseDestroying();
  } catch (...) {
    // A destructor must not throw; the statement is finalized below regardless.
  }
  if (statement_ != nullptr && database_ != nullptr && database_->Connected())
    database_->Api().finalize(statement_);
  statement_ = nullptr;
  DetachStreams();
  if (database_ != nullptr) database_->UnregisterClient(this);
}

void TOrvek3Command::SetDatabase(TOrvek3Database* db) {
  if (db == database_) return;
  Close();
  if (database_ != nullptr) database_->UnregisterClient(this);
  database_ = db;
  if (database_ != nullptr) database_->RegisterClient(this);
}

std::unique_ptr<TRecField> TOrvek3Command::CreateField(const TFieldDef& def) {
  if (def.dataType == TFieldType::ftWideString) return std::make_unique<TWideStringField>(this, def.name, def.size);
  return TRecordSet::CreateField(def);
}

void TOrvek3Command::SetCommandText(const std::string& text) {
  if (SameTextAscii(text, commandText_)) return;
  Close();
  commandText_ = text;
  params_.Clear();
  for (const auto& name : ScanParameterNames(TrimText(text))) params_.Add(name);
}

void TOrvek3Command::OpenChecked() {
  if (Active()) Error("Cannot perform this operation on an open dataset");
  Open();
}

bool TOrvek3Command::CheckDatabase(bool connectOnDemand) {
  if (database_ == nullptr) Error("Missing Database property!");
  database_->CheckConnected(!connectOnDemand);
  return database_->Connected();
}

// ---------------------------------------------------------------- opening

void TOrvek3Command::PrepareCommand() {
  if (IsBlankText(commandText_)) Error("Invalid SQL command!");
  statement_ = database_->PrepareStatement(commandText_, &params_, columnCount_);
  endOfStatement_ = database_->LastResult() != SQLITE_ROW;
  if (statement_ == nullptr) Error("Invalid command handle!");
}

bool TOrvek3Command::IsRowIdColumn(const std::string& name) const {
  if (keyColumnName_.empty())
    return SameTextAscii(name, "ROWID") || SameTextAscii(name, "_ROWID_") || SameTextAscii(name, "OID");
  return SameTextAscii(name, keyColumnName_);
}

void TOrvek3Command::BuildFieldDefs() {
  rowIdColumn_ = -1;
  keyColumnName_.clear();
  const std::string table = ExtractTableName(commandText_, false);
  if (!IsBlankText(table)) {
    std::vector<std::pair<std::string, int>> info;
    database_->GetTableInfo(info, table);
    for (const auto& [name, flags] : info) {
      if ((flags & cfPrimaryKey) && (flags & cfInteger)) {
        keyColumnName_ = name;
        break;
      }
    }
  }
  fieldDefs_.clear();
  const bool wide = database_->ConvertTextToUtf8();
  for (int i = 0; i < columnCount_; ++i) {
    const std::string name = database_->StmtColumnName(statement_, i);
    const std::string decl = database_->StmtColumnDeclType(statement_, i);
    if (requestLive_ && rowIdColumn_ == -1 && IsRowIdColumn(name)) rowIdColumn_ = i;
    TFieldDef def;
    def.fieldNo = i + 1;
    const bool duplicate = std::any_of(fieldDefs_.begin(), fieldDefs_.end(), [&](const TFieldDef& d) {
      return !d.hidden && SameTextAscii(d.name, name);
    });
    if (duplicate) {
      def.hidden = true;
    } else {
      def.name = name;
      def.dataType = FieldTypeOfDecl(decl, wide);
      if (def.dataType == TFieldType::ftString || def.dataType == TFieldType::ftWideString)
        def.size = StringSizeOfDecl(decl);
    }
    fieldDefs_.push_back(std::move(def));
  }
}

void TOrvek3Command::BuildLayout() {
  const size_t n = fields_.size();
  fieldOffsets_.assign(n, 0);
  fieldColumns_.assign(n, -1);
  blobNumbers_.assign(n, -1);
  rowDataSize_ = 0;
  blobCount_ = 0;
  rowBlock_.reset();
  for (size_t i = 0; i < n; ++i) {
    TRecField& f = *fields_[i];
    if (f.FieldKind() != TFieldKind::fkData) continue;
    fieldOffsets_[i] = rowDataSize_;
    fieldColumns_[i] = f.FieldNo() - 1;
    SetFieldLayout(f, f.FieldNo(), rowDataSize_);
    if (f.IsBlob()) blobNumbers_[i] = blobCount_++;
    rowDataSize_ += f.DataSize() + 1;
  }
}

void TOrvek3Command::InternalOpen() {
  rowDataSize_ = 0;
  CheckDatabase(true);
  CheckDatabase(false);
  if (statement_ == nullptr) {
    PrepareCommand();
    BuildFieldDefs();
  }
  CreateFieldsFromDefs();
  BuildLayout();
  cursorOpen_ = columnCount_ != 0;
  if (columnCount_ == 0) {
    while (database_->LastResult() == SQLITE_ROW) database_->StepStatement(statement_);
    endOfStatement_ = true;
  }
  cursor_ = -1;
}

bool TOrvek3Command::OpenCompleted() const { return !(endOfStatement_ && columnCount_ == 0); }

void TOrvek3Command::DetachStreams() {
  for (TOrvek3BlobStream* stream : streams_) stream->Detach();
  streams_.clear();
}

void TOrvek3Command::InternalClose() {
  DetachStreams();
  FreeAllRows();
  if (statement_ != nullptr) {
    if (database_ != nullptr && database_->DriverLoaded()) database_->ReleaseStatement(statement_);
    statement_ = nullptr;
  }
  cursorOpen_ = false;
  hasEditRow_ = false;
  editRow_ = TRow{};
  modifiedFields_.clear();
}

// ---------------------------------------------------------------- rows

TOrvek3Command::TRow TOrvek3Command::NewRow() const {
  TRow row;
  auto block = std::make_shared<uint8_t[]>(static_cast<size_t>(rowDataSize_) + 8);  // zero-filled
  row.data = TRowData(block, block.get());
  if (blobCount_ > 0) row.blobs.resize(static_cast<size_t>(blobCount_));
  return row;
}

TOrvek3Command::TRow TOrvek3Command::NewCachedRow() {
  // Fetching a long list allocates once per block, not once per row.
  const size_t stride = (static_cast<size_t>(rowDataSize_) + 8 + 7) & ~size_t{7};
  if (rowBlock_ == nullptr || rowBlockUsed_ == kRowsPerBlock) {
    rowBlock_ = std::make_shared<uint8_t[]>(stride * kRowsPerBlock);  // zero-filled
    rowBlockUsed_ = 0;
  }
  TRow row;
  row.data = TRowData(rowBlock_, rowBlock_.get() + stride * rowBlockUsed_++);
  if (blobCount_ > 0) row.blobs.resize(static_cast<size_t>(blobCount_));
  return row;
}

TOrvek3Command::TRow TOrvek3Command::CopyRow(const TRow& row) const {
  TRow copy = NewRow();
  copy.identity = row.identity;
  std::memcpy(copy.data.get(), row.data.get(), static_cast<size_t>(rowDataSize_) + 8);
  copy.blobs = row.blobs;
  return copy;
}

int64_t TOrvek3Command::RowIdOf(const TRow& row) const {
  int64_t id;
  std::memcpy(&id, row.data.get() + rowDataSize_, 8);
  return id;
}

uint8_t* TOrvek3Command::FieldSlot(TRow& row, const TRecField& field) const {
  if (field.FieldKind() != TFieldKind::fkData || row.data == nullptr) return nullptr;
  return row.data.get() + fieldOffsets_.at(static_cast<size_t>(field.Index()));
}

TOrvek3Command::TRow TOrvek3Command::ReadRow() {
  TRow row = NewCachedRow();
  const TOrvek3Database& db = *database_;
  for (size_t i = 0; i < fields_.size(); ++i) {
    const TRecField& f = *fields_[i];
    if (f.FieldKind() != TFieldKind::fkData) continue;
    const int col = fieldColumns_[i];
    uint8_t* slot = row.data.get() + fieldOffsets_[i];
    uint8_t* value = slot + 1;
    if (f.IsBlob() && !fetchBlobs_) continue;
    if (f.DataType() == TFieldType::ftString) {
      // Text columns are most of a row: one library call each, and the type asked only
      // when there is no text, which a NULL gives without any conversion.
      const unsigned char* text = db.StmtColumnText(statement_, col);
      if (text != nullptr) {
        const size_t n = strnlen(reinterpret_cast<const char*>(text), static_cast<size_t>(f.Size()));
        std::memcpy(value, text, n);
        slot[0] = 1;
      } else if (db.StmtColumnType(statement_, col) != SQLITE_NULL) {
        slot[0] = 1;
      }
      continue;
    }
    if (db.StmtColumnType(statement_, col) == SQLITE_NULL) continue;
    slot[0] = 1;
    switch (f.DataType()) {
      case TFieldType::ftSmallint:
      case TFieldType::ftWord: {
        const uint16_t v = static_cast<uint16_t>(db.StmtColumnInt(statement_, col));
        std::memcpy(value, &v, 2);
        break;
      }
      case TFieldType::ftInteger:
      case TFieldType::ftTime: {
        const int32_t v = db.StmtColumnInt(statement_, col);
        std::memcpy(value, &v, 4);
        break;
      }
      case TFieldType::ftBoolean: {
        const int16_t v = db.StmtColumnInt(statement_, col) != 0 ? -1 : 0;
        std::memcpy(value, &v, 2);
        break;
      }
      case TFieldType::ftFloat:
      case TFieldType::ftCurrency: {
        const double v = db.StmtColumnFloat(statement_, col);
        std::memcpy(value, &v, 8);
        break;
      }
      case TFieldType::ftDate: {
        const int32_t v = static_cast<int32_t>(db.StmtColumnDateTime(statement_, col)) + kDateDelta;
        std::memcpy(value, &v, 4);
        break;
      }
      case TFieldType::ftDateTime: {
        const double dt = db.StmtColumnDateTime(statement_, col);
        const double v = std::round((dt + kDateDelta) * 86400000.0);
        std::memcpy(value, &v, 8);
        break;
      }
      case TFieldType::ftWideString: {
        const char16_t* text = db.StmtColumnText16(statement_, col);
        if (text != nullptr) CopyWideText(text, value, f.Size() * 2);
        std::memset(value + static_cast<size_t>(f.Size()) * 2, 0, 2);
        break;
      }
      case TFieldType::ftLargeint: {
        const int64_t v = db.StmtColumnInt64(statement_, col);
        std::memcpy(value, &v, 8);
        break;
      }
      case TFieldType::ftBlob:
      case TFieldType::ftMemo:
      case TFieldType::ftGraphic:
      case TFieldType::ftFmtMemo: {
        const void* blob = db.StmtColumnBlob(statement_, col);
        const int bytes = db.StmtColumnBytes(statement_, col);
        if (blob == nullptr || bytes == 0) {
          slot[0] = 0;
          break;
        }
        const uint32_t len = static_cast<uint32_t>(bytes);
        const uint32_t number = static_cast<uint32_t>(blobNumbers_[i]);
        row.blobs[number].assign(static_cast<const char*>(blob), len);
        std::memcpy(value, &len, 4);
        std::memcpy(value + 4, &number, 4);
        break;
      }
      default:
        slot[0] = 0;
        break;
    }
  }
  const int64_t rowId = rowIdColumn_ < 0 ? -1 : db.StmtColumnInt64(statement_, rowIdColumn_);
  std::memcpy(row.data.get() + rowDataSize_, &rowId, 8);
  return row;
}

int TOrvek3Command::FetchRows(int64_t targetRowId) {
  if (endOfStatement_) return static_cast<int>(rows_.size()) - 1;
  if (statement_ == nullptr) Error("Invalid command handle!");
  platform::ClearUpperVectorState();
  int budget = kBatchSize;
  try {
    for (;;) {
      TRow row = ReadRow();
      row.identity = nextIdentity_++;
      const bool found = targetRowId >= 0 && RowIdOf(row) == targetRowId;
      rows_.push_back(std::move(row));
      if (targetRowId < 0) --budget;
      // Step past the row just read, so that it is never read twice.
      CheckDatabase(false);
      database_->StepStatement(statement_);
      endOfStatement_ = database_->LastResult() != SQLITE_ROW;
      if (found || endOfStatement_ || budget <= 0) break;
    }
  } catch (...) {
    // A damaged file or a lost connection: the rest of the list cannot be read, so the set
    // closes rather than show a part of it as the whole.
    if (database_ != nullptr) database_->ReleaseStatement(statement_);
    statement_ = nullptr;
    endOfStatement_ = true;
    Close();
    throw;
  }
  return static_cast<int>(rows_.size()) - 1;
}

void TOrvek3Command::FreeRow(int index) {
  if (index < 0 || index >= static_cast<int>(rows_.size())) return;
  rows_.erase(rows_.begin() + index);
}

void TOrvek3Command::FreeAllRows() {
  rows_.clear();
  rowBlock_.reset();  // the next rows may have another layout
  cursor_ = -1;
  rowIdColumn_ = -1;
  endOfStatement_ = false;
  ClearBuffers();
}

int TOrvek3Command::PositionOf(TBookmark identity) const {
  // Identities grow along the cache: rows are only ever appended at its end.
  auto it = std::lower_bound(rows_.begin(), rows_.end(), identity,
                             [](const TRow& r, TBookmark id) { return r.identity < id; });
  if (it == rows_.end() || it->identity != identity) return -1;
  return static_cast<int>(it - rows_.begin());
}

TOrvek3Command::TRow* TOrvek3Command::RowOfBuffer(const TRecBuf& buffer) {
  if (buffer.rowIndex < 0) return nullptr;
  if (buffer.rowIndex >= static_cast<int>(rows_.size())) return hasEditRow_ ? &editRow_ : nullptr;
  return &rows_[static_cast<size_t>(buffer.rowIndex)];
}

const TOrvek3Command::TRow* TOrvek3Command::RowOfBuffer(const TRecBuf& buffer) const {
  return const_cast<TOrvek3Command*>(this)->RowOfBuffer(buffer);
}

int64_t TOrvek3Command::CurrentRowId() {
  if (hasActive_) InternalSetToRecord(active_);
  if (cursor_ < 0 || cursor_ >= static_cast<int>(rows_.size())) return -1;
  return RowIdOf(rows_[static_cast<size_t>(cursor_)]);
}

void TOrvek3Command::SetRowId(int index, int64_t rowId) {
  if (index < 0) index = cursor_;
  if (index < 0 || index >= static_cast<int>(rows_.size())) return;
  std::memcpy(rows_[static_cast<size_t>(index)].data.get() + rowDataSize_, &rowId, 8);
}

// ---------------------------------------------------------------- moving

void TOrvek3Command::InternalFirst() { cursor_ = -1; }

void TOrvek3Command::InternalLast() {
  while (!endOfStatement_) FetchRows();
  cursor_ = static_cast<int>(rows_.size());
}

TGetResult TOrvek3Command::GetRecord(TRecBuf& buffer, TGetMode mode, bool doCheck) {
  const auto count = [this] { return static_cast<int>(rows_.size()); };
  switch (mode) {
    case TGetMode::gmNext: {
      FetchRows();
      if (cursor_ >= count() - 1) return TGetResult::grEOF;
      for (;;) {
        ++cursor_;
        if (cursor_ >= count()) {
          FetchRows();
          if (cursor_ >= count()) {
            cursor_ = count() - 1;
            return TGetResult::grEOF;
          }
        }
        if (!filtered_ || FilterRecord(cursor_)) break;
      }
      break;
    }
    case TGetMode::gmPrior: {
      if (cursor_ <= 0) {
        cursor_ = -1;
        return TGetResult::grBOF;
      }
      for (;;) {
        --cursor_;
        if (cursor_ < 0) return TGetResult::grBOF;
        if (!filtered_ || FilterRecord(cursor_)) break;
      }
      break;
    }
    case TGetMode::gmCurrent: {
      if (cursor_ < 0 || cursor_ >= count() || (filtered_ && !FilterRecord(cursor_))) {
        if (doCheck) Error("Record not found");
        return TGetResult::grError;
      }
      break;
    }
  }
  buffer.rowIndex = cursor_;
  buffer.bookmark = rows_[static_cast<size_t>(cursor_)].identity;
  buffer.flag = TBookmarkFlag::bfCurrent;
  CalculateFields(buffer);
  return TGetResult::grOK;
}

void TOrvek3Command::InternalGotoBookmark(TBookmark bookmark) { cursor_ = PositionOf(bookmark); }

void TOrvek3Command::InternalSetToRecord(const TRecBuf& buffer) {
  if (buffer.flag == TBookmarkFlag::bfInserted) return;
  const int pos = PositionOf(buffer.bookmark);
  if (filtered_ && pos >= 0 && !FilterRecord(pos)) return;
  cursor_ = pos;
}


int TOrvek3Command::RecordCount() {
  CheckActive();
  return static_cast<int>(rows_.size());
}

int TOrvek3Command::RecNo() {
  CheckActive();
  if (hasActive_) InternalSetToRecord(active_);
  return cursor_ == -1 ? 1 : cursor_ + 1;
}

void TOrvek3Command::SetRecNo(int n) {
  CheckActive();
  if (n < 1 || n > static_cast<int>(rows_.size())) return;
  CheckBrowseMode();
  cursor_ = n - 1;
  Resync();
}

int TOrvek3Command::ActiveRowIndex() const {
  if (!hasActive_ || active_.rowIndex < 0 || active_.rowIndex >= static_cast<int>(rows_.size())) return -1;
  return active_.rowIndex;
}

// ---------------------------------------------------------------- refresh

void TOrvek3Command::Refresh() {
  CheckActive();
  CheckBrowseMode();
  try {
    const int savedRowIdColumn = rowIdColumn_;
    const int64_t target = savedRowIdColumn >= 0 ? CurrentRowId() : -1;
    FreeAllRows();
    rowIdColumn_ = savedRowIdColumn;
    database_->FinalizeStatement(statement_);
    PrepareCommand();
    if (target < 0) {
      cursor_ = -1;
      FetchActive(TGetMode::gmNext);
      SetEndFlags(true, !hasActive_);
    } else {
      cursor_ = FetchRows(target);
      Resync();
    }
  } catch (...) {
    cursorOpen_ = false;
    throw;
  }
  DataEvent(TDataEvent::deDataSetChange);
}

// ---------------------------------------------------------------- field values

bool TOrvek3Command::GetFieldData(const TRecField& field, void* buffer) {
  const TRecBuf* b = ActiveRecordBuffer();
  if (b == nullptr) return false;
  const size_t size = static_cast<size_t>(field.DataSize());
  if (field.FieldKind() != TFieldKind::fkData) {
    const auto s = State();
    if (s != TDataSetState::dsBrowse && s != TDataSetState::dsEdit && s != TDataSetState::dsInsert &&
        s != TDataSetState::dsCalcFields)
      return false;
    const size_t off = static_cast<size_t>(field.Offset());
    if (b->calc.size() < off + 1 + size || b->calc[off] == 0) return false;
    if (buffer != nullptr) std::memcpy(buffer, b->calc.data() + off + 1, size);
    return true;
  }
  const TRow* row = RowOfBuffer(*b);
  if (row == nullptr || size == 0) return false;
  const uint8_t* slot = row->data.get() + fieldOffsets_.at(static_cast<size_t>(field.Index()));
  if (slot[0] != 1) return false;
  if (buffer != nullptr) std::memcpy(buffer, slot + 1, size);
  return true;
}

void TOrvek3Command::CheckWritable(TRecField& field) {
  const auto s = State();
  const bool allowed = s == TDataSetState::dsEdit || s == TDataSetState::dsInsert || s == TDataSetState::dsSetKey ||
                       s == TDataSetState::dsCalcFields || s == TDataSetState::dsFilter ||
                       s == TDataSetState::dsNewValue || s == TDataSetState::dsInternalCalc;
  if (!allowed) Error("Dataset not in edit or insert mode");
  if (field.FieldKind() == TFieldKind::fkCalculated) return;
  if (s == TDataSetState::dsCalcFields || s == TDataSetState::dsFilter) Error("Dataset not in edit or insert mode");
  if (field.ReadOnly() && s != TDataSetState::dsSetKey && s != TDataSetState::dsFilter)
    Error("Field '" + field.FieldName() + "' cannot be modified");
}

void TOrvek3Command::RecordModified(const TRecField& field, const std::string& value) {
  const auto s = State();
  if (s != TDataSetState::dsEdit && s != TDataSetState::dsInsert) return;
  for (auto& entry : modifiedFields_) {
    if (SameTextAscii(entry.first, field.FieldName())) {
      entry.second = value;
      return;
    }
  }
  modifiedFields_.emplace_back(field.FieldName(), value);
}

void TOrvek3Command::SetFieldData(TRecField& field, const void* buffer) {
  CheckWritable(field);
  const size_t size = static_cast<size_t>(field.DataSize());
  if (field.FieldKind() == TFieldKind::fkCalculated) {
    TRecBuf* b = const_cast<TRecBuf*>(ActiveRecordBuffer());
    if (b == nullptr) return;
    const size_t off = static_cast<size_t>(field.Offset());
    if (b->calc.size() < off + 1 + size) b->calc.resize(off + 1 + size, 0);
    b->calc[off] = buffer != nullptr ? 1 : 0;
    if (buffer != nullptr) std::memcpy(b->calc.data() + off + 1, buffer, size);
    else std::memset(b->calc.data() + off + 1, 0, size);
  } else {
    if (field.OnValidate) field.OnValidate(field, buffer);
    const TRecBuf* b = ActiveRecordBuffer();
    TRow* row = b != nullptr ? RowOfBuffer(*b) : nullptr;
    if (row == nullptr) Error("Record not found");
    if (field.FieldKind() == TFieldKind::fkData) {
      uint8_t* slot = row->data.get() + fieldOffsets_.at(static_cast<size_t>(field.Index()));
      if (field.IsBlob()) {
        const int number = blobNumbers_.at(static_cast<size_t>(field.Index()));
        row->blobs[static_cast<size_t>(number)].clear();
      }
      slot[0] = buffer != nullptr ? 1 : 0;
      if (buffer != nullptr) std::memcpy(slot + 1, buffer, size);
      else std::memset(slot + 1, 0, size);
      RecordModified(field, buffer != nullptr ? ":PARA" + std::to_string(field.Index()) : "NULL");
    }
  }
  const auto s = State();
  if (s != TDataSetState::dsCalcFields && s != TDataSetState::dsFilter && s != TDataSetState::dsNewValue)
    DataEvent(TDataEvent::deFieldChange, &field);
}

bool TOrvek3Command::GetBlobData(const TRecField& field, std::string& bytes) {
  bytes.clear();
  const TRecBuf* b = ActiveRecordBuffer();
  if (b == nullptr || field.FieldKind() != TFieldKind::fkData) return false;
  const TRow* row = RowOfBuffer(*b);
  if (row == nullptr) return false;
  const uint8_t* slot = row->data.get() + fieldOffsets_.at(static_cast<size_t>(field.Index()));
  if (slot[0] != 1) return false;
  uint32_t number;
  std::memcpy(&number, slot + 5, 4);
  bytes = row->blobs.at(number);
  return true;
}

void TOrvek3Command::SetBlobData(TRecField& field, const std::string& bytes) {
  CheckWritable(field);
  if (field.FieldKind() != TFieldKind::fkData || !field.IsBlob()) Error("Field '" + field.FieldName() + "' cannot be modified");
  if (field.OnValidate) field.OnValidate(field, bytes.data());
  const TRecBuf* b = ActiveRecordBuffer();
  TRow* row = b != nullptr ? RowOfBuffer(*b) : nullptr;
  if (row == nullptr) Error("Record not found");
  uint8_t* slot = row->data.get() + fieldOffsets_.at(static_cast<size_t>(field.Index()));
  const uint32_t number = static_cast<uint32_t>(blobNumbers_.at(static_cast<size_t>(field.Index())));
  const uint32_t len = static_cast<uint32_t>(bytes.size());
  row->blobs[number] = bytes;
  slot[0] = 1;
  std::memcpy(slot + 1, &len, 4);
  std::memcpy(slot + 5, &number, 4);
  RecordModified(field, ":PARA" + std::to_string(field.Index()));
  DataEvent(TDataEvent::deFieldChange, &field);
}

std::u16string TOrvek3Command::CachedUnicode(int row, int field) const {
  if (row >= 0 && row < static_cast<int>(rows_.size()) && field >= 0 && field < FieldCount() &&
      Field(field).DataType() == TFieldType::ftWideString && Field(field).FieldKind() == TFieldKind::fkData) {
    const uint8_t* slot = rows_[static_cast<size_t>(row)].data.get() + fieldOffsets_[static_cast<size_t>(field)];
    return slot[0] == 1 ? ReadWideText(slot + 1, static_cast<size_t>(Field(field).Size())) : std::u16string();
  }
  return AnsiToUtf16(CachedText(row, field));
}

std::string TOrvek3Command::CachedText(int row, int field) const {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || field < 0 || field >= FieldCount()) return {};
  const TRecField& f = Field(field);
  if (f.FieldKind() != TFieldKind::fkData) return {};
  const TRow& r = rows_[static_cast<size_t>(row)];
  const uint8_t* slot = r.data.get() + fieldOffsets_[static_cast<size_t>(field)];
  if (slot[0] != 1) return {};
  const uint8_t* value = slot + 1;
  switch (f.DataType()) {
    case TFieldType::ftString:
      return std::string(reinterpret_cast<const char*>(value),
                         strnlen(reinterpret_cast<const char*>(value), static_cast<size_t>(f.Size())));
    case TFieldType::ftLargeint: {
      int64_t v;
      std::memcpy(&v, value, 8);
      return std::to_string(v);
    }
    case TFieldType::ftWideString:
      return Utf16ToAnsi(ReadWideText(value, static_cast<size_t>(f.Size())));
    default: {
      // Other types are rare in views: format them as the field would for this row.
      TRecBuf probe;
      probe.rowIndex = row;
      probe.bookmark = r.identity;
      auto* self = const_cast<TOrvek3Command*>(this);
      TempState temp(*self, TDataSetState::dsInternalCalc, &probe);
      return f.AsString();
    }
  }
}

bool TOrvek3Command::CachedIsNull(int row, int field) const {
  if (row < 0 || row >= static_cast<int>(rows_.size()) || field < 0 || field >= FieldCount()) return true;
  if (Field(field).FieldKind() != TFieldKind::fkData) return true;
  return rows_[static_cast<size_t>(row)].data[static_cast<size_t>(fieldOffsets_[static_cast<size_t>(field)])] != 1;
}

// ---------------------------------------------------------------- filtering

bool TOrvek3Command::FilterRecord(int index) {
  if (!OnFilterRecord) return true;
  if (index < 0 || index >= static_cast<int>(rows_.size())) return false;
  TRecBuf record;
  record.rowIndex = index;
  record.bookmark = rows_[static_cast<size_t>(index)].identity;
  CalculateFields(record);
  bool accept = true;
  TempState temp(*this, TDataSetState::dsFilter, &record);
  try {
    OnFilterRecord(*this, accept);
  } catch (...) {
    throw std::runtime_error("Filter Exception");
  }
  return accept;
}

void TOrvek3Command::SetFiltered(bool v) {
  const bool changed = v != filtered_;
  if (Active() && statement_ != nullptr) CheckBrowseMode();
  filtered_ = v;
  if (Active() && changed) First();
}

void TOrvek3Command::SetOnFilterRecord(TFilterEvent handler) {
  if (Active()) {
    CheckBrowseMode();
    OnFilterRecord = std::move(handler);
    if (filtered_) First();
  } else {
    OnFilterRecord = std::move(handler);
  }
}

}  // namespace orvek3
