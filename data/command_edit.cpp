// Editing of the command record set: generated INSERT and UPDATE statements, deletes,
// blob streams and locating rows.
#include <algorithm>
#include <cstring>

#include "command.h"
#include "sql_text.h"

namespace orvek3 {

void TOrvek3Command::CheckCanModify() {
  if (!requestLive_ || rowIdColumn_ == -1) Error("Cannot modify a read-only dataset");
}

void TOrvek3Command::PrepareInsert() {
  modifiedFields_.clear();
  // The new row joins the end of a complete cache.
  while (!endOfStatement_) FetchRows();
}

void TOrvek3Command::PrepareEdit() { modifiedFields_.clear(); }

void TOrvek3Command::InternalInitRecord(TRecBuf& buffer, bool /*append*/) {
  editRow_ = NewRow();
  hasEditRow_ = true;
  buffer.rowIndex = static_cast<int>(rows_.size());
  buffer.bookmark = 0;
}

void TOrvek3Command::InternalEdit() {
  modifiedFields_.clear();
  if (cursor_ < 0 || cursor_ >= static_cast<int>(rows_.size())) Error("Record not found");
  editRow_ = CopyRow(rows_[static_cast<size_t>(cursor_)]);
  hasEditRow_ = true;
}

void TOrvek3Command::InternalCancel() {
  // Cancelled values must not stay visible: the row gets its contents from before the edit.
  if (State() == TDataSetState::dsEdit && hasEditRow_) {
    InternalSetToRecord(active_);
    if (cursor_ >= 0 && cursor_ < static_cast<int>(rows_.size())) {
      TRow& row = rows_[static_cast<size_t>(cursor_)];
      std::memcpy(row.data.get(), editRow_.data.get(), static_cast<size_t>(rowDataSize_));
      row.blobs = editRow_.blobs;
    }
  }
  modifiedFields_.clear();
}

void TOrvek3Command::ExecModifiedSQL(const std::string& statement) {
  TParams params;
  for (const auto& name : ScanParameterNames(statement)) {
    TParam& p = params.Add(name);
    int index = -1;
    if (name.size() > 4) {
      try {
        index = std::stoi(name.substr(4));
      } catch (...) {
        index = -1;
      }
    }
    if (index < 0 || index >= FieldCount()) continue;
    const TRecField& f = Field(index);
    if (f.IsBlob()) {
      p.SetAsBlob(f.AsBytes());
      if (f.IsNull()) p.Clear();
      continue;
    }
    if (f.IsNull()) {
      p.SetDataType(f.DataType());
      p.Clear();
      continue;
    }
    switch (f.DataType()) {
      case TFieldType::ftString:
      case TFieldType::ftWideString:
        p.SetAsString(f.AsString());
        break;
      case TFieldType::ftSmallint:
      case TFieldType::ftWord:
      case TFieldType::ftInteger:
        p.SetAsLargeInt(f.AsLargeInt());
        p.SetDataType(f.DataType() == TFieldType::ftInteger ? TFieldType::ftInteger : TFieldType::ftSmallint);
        break;
      case TFieldType::ftLargeint:
        p.SetAsLargeInt(f.AsLargeInt());
        break;
      case TFieldType::ftBoolean:
        p.SetAsBoolean(f.AsBoolean());
        break;
      case TFieldType::ftFloat:
      case TFieldType::ftCurrency:
        p.SetAsFloat(f.AsFloat());
        break;
      case TFieldType::ftDate:
      case TFieldType::ftTime:
      case TFieldType::ftDateTime:
        p.SetAsDateTime(f.AsDateTime());
        break;
      default:
        p.SetAsString(f.AsString());
        break;
    }
  }
  database_->ExecSQL(statement, &params);
  if (database_->RowsAffected() <= 0) Error("Data write error, rows affected = 0!");
}

void TOrvek3Command::InternalPost() {
  const std::string table = ExtractTableName(commandText_, true);
  if (State() == TDataSetState::dsInsert) {
    CheckCanModify();
    CheckRequiredFields();
    std::string sql = "INSERT INTO " + table + " (";
    for (const auto& [name, value] : modifiedFields_) sql += QuoteName(name, false) + ",";
    sql.back() = ')';
    sql += " VALUES(";
    for (const auto& [name, value] : modifiedFields_) sql += value + ",";
    sql.back() = ')';
    ExecModifiedSQL(sql);
    const int64_t rowId = database_->LastInsertRowId();
    TRow row = CopyRow(editRow_);
    row.identity = nextIdentity_++;
    std::memcpy(row.data.get() + rowDataSize_, &rowId, 8);
    rows_.push_back(std::move(row));
    active_.rowIndex = static_cast<int>(rows_.size()) - 1;
    active_.bookmark = rows_.back().identity;
    active_.flag = TBookmarkFlag::bfCurrent;
    cursor_ = active_.rowIndex;
    return;
  }
  try {
    CheckCanModify();
    CheckRequiredFields();
    const int64_t rowId = CurrentRowId();
    if (rowId < 0) Error("Cannot post, current rowid is not available!");
    std::string sql = "UPDATE " + table + " SET ";
    for (const auto& [name, value] : modifiedFields_) sql += QuoteName(name, false) + "=" + value + ",";
    sql.back() = ' ';
    sql += "WHERE _rowid_=" + std::to_string(rowId);
    ExecModifiedSQL(sql);
    if (!keyColumnName_.empty()) {
      if (TRecField* key = FindField(keyColumnName_)) {
        const int64_t k = key->AsLargeInt();
        if (k != rowId) SetRowId(cursor_, k);
      }
    }
  } catch (...) {
    if (hasEditRow_ && cursor_ >= 0 && cursor_ < static_cast<int>(rows_.size())) {
      TRow& row = rows_[static_cast<size_t>(cursor_)];
      std::memcpy(row.data.get(), editRow_.data.get(), static_cast<size_t>(rowDataSize_));
      row.blobs = editRow_.blobs;
    }
    throw;
  }
}

void TOrvek3Command::InternalDelete() {
  CheckCanModify();
  if (!hasActive_) return;
  const int64_t rowId = CurrentRowId();
  database_->ExecSQL("DELETE FROM " + ExtractTableName(commandText_, true) + " WHERE _rowid_=" + std::to_string(rowId));
  const int index = active_.rowIndex;
  if (index >= 0 && index < static_cast<int>(rows_.size()) && rows_[static_cast<size_t>(index)].identity == active_.bookmark) {
    FreeRow(index);
    cursor_ = index;
  } else if (cursor_ >= 0 && cursor_ < static_cast<int>(rows_.size())) {
    FreeRow(cursor_);
  }
  // The following row takes the deleted one's place, also when it is not cached yet.
  if (cursor_ >= static_cast<int>(rows_.size()) && !endOfStatement_) FetchRows();
}

// ---------------------------------------------------------------- blob stream

std::unique_ptr<TOrvek3BlobStream> TOrvek3Command::CreateBlobStream(TRecField& field, int mode) {
  if (!field.IsBlob()) Error("Field '" + field.FieldName() + "' is not a blob field");
  return std::make_unique<TOrvek3BlobStream>(*this, field, mode);
}

TOrvek3BlobStream::TOrvek3BlobStream(TOrvek3Command& dataSet, TRecField& field, int mode)
    : dataSet_(&dataSet), field_(&field), mode_(mode) {
  const TRecBuf* b = dataSet.ActiveRecordBuffer();
  if (b == nullptr) return;
  TOrvek3Command::TRow* row = dataSet.RowOfBuffer(*b);
  if (row == nullptr) return;
  inserted_ = b->rowIndex >= dataSet.CachedRowCount();
  identity_ = b->bookmark;
  opened_ = true;
  dataSet.streams_.push_back(this);
  if (mode_ == bmRead) {
    std::string bytes;
    if (dataSet.GetBlobData(field, bytes)) {
      data_ = std::move(bytes);
      size_ = static_cast<int>(data_.size());
    }
  }
}

TOrvek3BlobStream::~TOrvek3BlobStream() {
  if (dataSet_ == nullptr) return;
  auto& streams = dataSet_->streams_;
  streams.erase(std::remove(streams.begin(), streams.end(), this), streams.end());
  if (modified_) {
    try {
      dataSet_->DataEvent(TDataEvent::deFieldChange, field_);
    } catch (...) {
      // Views must not break the release of a stream.
    }
  }
}

bool TOrvek3BlobStream::OnItsRecord() const {
  // The stream belongs to the record it was opened on, never to whichever is current now.
  const TRecBuf* b = dataSet_ != nullptr ? dataSet_->ActiveRecordBuffer() : nullptr;
  if (b == nullptr) return false;
  const bool inserted = b->rowIndex >= dataSet_->CachedRowCount();
  return inserted == inserted_ && (inserted || b->bookmark == identity_);
}

int TOrvek3BlobStream::Read(void* buffer, int count) {
  if (dataSet_ == nullptr || field_ == nullptr) return 0;
  if (!opened_ || count <= 0 || position_ >= size_ || position_ < 0) return 0;
  const int n = std::min(count, size_ - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int TOrvek3BlobStream::Write(const void* buffer, int count) {
  if (dataSet_ == nullptr || field_ == nullptr || !opened_ || mode_ == bmRead || count <= 0 || !OnItsRecord())
    return 0;
  const TRecBuf* b = dataSet_->ActiveRecordBuffer();
  TOrvek3Command::TRow* row = b != nullptr ? dataSet_->RowOfBuffer(*b) : nullptr;
  if (row == nullptr) return 0;
  dataSet_->CheckWritable(*field_);
  const size_t pos = static_cast<size_t>(std::max(position_, 0));
  if (data_.size() < pos + static_cast<size_t>(count)) data_.resize(pos + static_cast<size_t>(count), '\0');
  std::memcpy(data_.data() + pos, buffer, static_cast<size_t>(count));
  position_ += count;
  size_ = static_cast<int>(data_.size());
  const size_t index = static_cast<size_t>(field_->Index());
  const uint32_t number = static_cast<uint32_t>(dataSet_->blobNumbers_.at(index));
  uint8_t* slot = row->data.get() + dataSet_->fieldOffsets_.at(index);
  const uint32_t len = static_cast<uint32_t>(data_.size());
  row->blobs[number] = data_;
  slot[0] = 1;
  std::memcpy(slot + 1, &len, 4);
  std::memcpy(slot + 5, &number, 4);
  modified_ = true;
  dataSet_->RecordModified(*field_, ":BLOB" + std::to_string(field_->Index()));
  dataSet_->SetFieldsModified();
  return count;
}

int TOrvek3BlobStream::Seek(int offset, int origin) {
  switch (origin) {
    case 0: position_ = offset; break;
    case 1: position_ += offset; break;
    case 2: position_ = (opened_ ? size_ : 0) + offset; break;
    default: break;
  }
  return position_;
}

// ---------------------------------------------------------------- locating

bool TOrvek3Command::RowMatches(int index, const std::vector<TRecField*>& keys, const std::vector<std::string>& values,
                                int options) {
  if (keys.empty()) return true;
  TRecBuf probe;
  probe.rowIndex = index;
  probe.bookmark = rows_[static_cast<size_t>(index)].identity;
  TempState temp(*this, TDataSetState::dsInternalCalc, &probe);
  for (size_t i = 0; i < keys.size(); ++i) {
    const TRecField& f = *keys[i];
    const std::string key = i < values.size() ? values[i] : std::string();
    if (f.DataType() == TFieldType::ftString) {
      std::string text = f.AsString();
      if (options & loPartialKey) {
        if (text.size() > key.size()) text.resize(key.size());
      }
      const bool equal = (options & loCaseInsensitive) ? AnsiCompareText(text, key) == 0 : AnsiCompareStr(text, key) == 0;
      if (!equal) return false;
    } else {
      if (f.IsNull() != key.empty() || f.AsString() != key) return false;
    }
  }
  return true;
}

bool TOrvek3Command::LocateRecord(const std::string& keyFields, const std::vector<std::string>& keyValues,
                                  int options) {
  CheckBrowseMode();
  if (Bof() && Eof()) return false;
  std::vector<TRecField*> keys;
  std::string list = keyFields;
  size_t start = 0;
  while (start <= list.size()) {
    const size_t semi = list.find(';', start);
    const std::string name = TrimText(list.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
    if (!name.empty()) keys.push_back(&FieldByName(name));
    if (semi == std::string::npos) break;
    start = semi + 1;
  }
  const int current = ActiveRowIndex();
  if (current >= 0 && RowMatches(current, keys, keyValues, options)) return true;
  DisableControls();
  bool found = false;
  const TBookmark saved = GetBookmark();
  try {
    ClearBuffers();
    InternalFirst();
    while (FetchActive(TGetMode::gmNext)) {
      if (RowMatches(active_.rowIndex, keys, keyValues, options)) {
        found = true;
        break;
      }
    }
    if (!found) {
      const int pos = PositionOf(saved);
      if (saved != 0 && pos >= 0) cursor_ = pos;
      Resync();
    }
  } catch (...) {
    EnableControls();
    throw;
  }
  EnableControls();
  return found;
}

bool TOrvek3Command::Locate(const std::string& keyFields, const std::vector<std::string>& keyValues, int options) {
  CheckActive();
  if (BeforeScroll) BeforeScroll(*this);
  const bool found = LocateRecord(keyFields, keyValues, options);
  if (found) {
    SetEndFlags(false, false);
    DataEvent(TDataEvent::deDataSetChange);
    if (AfterScroll) AfterScroll(*this);
  }
  return found;
}

bool TOrvek3Command::Lookup(const std::string& keyFields, const std::vector<std::string>& keyValues,
                            const std::string& resultFields, std::vector<std::string>& result) {
  result.clear();
  CheckActive();
  if (!LocateRecord(keyFields, keyValues, 0)) return false;
  SetEndFlags(false, false);
  CalculateFields(active_);
  size_t start = 0;
  for (;;) {
    const size_t semi = resultFields.find(';', start);
    const std::string name =
        TrimText(resultFields.substr(start, semi == std::string::npos ? std::string::npos : semi - start));
    if (!name.empty()) result.push_back(FieldByName(name).AsString());
    if (semi == std::string::npos) break;
    start = semi + 1;
  }
  return true;
}

}  // namespace orvek3
