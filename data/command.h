// The record set over one SQLite statement: typed fields from the result columns, a row
// cache filled lazily in batches, bookmarks, editing through generated statements.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "database.h"
#include "db_types.h"
#include "record_set.h"

namespace orvek3 {

class TOrvek3BlobStream;

// A field of UTF-16 text (the string fields of a UTF-16 database).
class TWideStringField : public TRecField {
 public:
  TWideStringField(TRecordSet* owner, std::string name, int size)
      : TRecField(owner, std::move(name), TFieldType::ftWideString, size, TFieldKind::fkData) {}
  std::string AsString() const override;
  void SetAsString(const std::string& text) override;
  std::u16string AsUnicode() const override;
};

// Locate options.
enum TLocateOption : int { loCaseInsensitive = 1, loPartialKey = 2 };

class TOrvek3Command : public TRecordSet, public TDatabaseClient {
 public:
  // The value block of a row. Rows read from the statement share larger blocks, one
  // allocation for many rows; a block lives while any of its rows does.
  class TRowData {
   public:
    TRowData() = default;
    TRowData(std::shared_ptr<uint8_t[]> owner, uint8_t* start) : owner_(std::move(owner)), start_(start) {}
    uint8_t* get() const { return start_; }
    uint8_t& operator[](size_t i) const { return start_[i]; }
    bool operator==(std::nullptr_t) const { return start_ == nullptr; }

   private:
    std::shared_ptr<uint8_t[]> owner_;
    uint8_t* start_ = nullptr;
  };
  // One cached row: the value block (RowDataSize bytes of slots, then the 64-bit rowid)
  // and the blocks of its blob fields, which the slots name by number.
  struct TRow {
    TBookmark identity = 0;
    TRowData data;
    std::vector<std::string> blobs;
  };

  explicit TOrvek3Command(TOrvek3Database* database = nullptr);
  ~TOrvek3Command() override;

  TOrvek3Database* Database() const { return database_; }
  virtual void SetDatabase(TOrvek3Database* db);
  TParams& Params() { return params_; }
  const TParams& Params() const { return params_; }
  bool RequestLive() const { return requestLive_; }
  void SetRequestLive(bool v) { requestLive_ = v; }
  bool FetchBlobs() const { return fetchBlobs_; }
  void SetFetchBlobs(bool v) { fetchBlobs_ = v; }
  bool Filtered() const { return filtered_; }
  void SetFiltered(bool v);
  TFilterEvent OnFilterRecord;
  void SetOnFilterRecord(TFilterEvent handler);

  const std::string& CommandText() const { return commandText_; }
  void SetCommandText(const std::string& text);
  void OpenChecked();
  void Refresh();
  bool CheckDatabase(bool connectOnDemand);

  int RecordCount() override;
  int RecNo() override;
  void SetRecNo(int n) override;

  bool GetFieldData(const TRecField& field, void* buffer) override;
  void SetFieldData(TRecField& field, const void* buffer) override;
  bool GetBlobData(const TRecField& field, std::string& bytes) override;
  void SetBlobData(TRecField& field, const std::string& bytes) override;

  // Editing support.
  void CheckCanModify();
  void ExecModifiedSQL(const std::string& statement);
  const std::vector<std::pair<std::string, std::string>>& ModifiedFields() const { return modifiedFields_; }
  std::unique_ptr<TOrvek3BlobStream> CreateBlobStream(TRecField& field, int mode);
  bool Locate(const std::string& keyFields, const std::vector<std::string>& keyValues, int options);
  // The result fields' texts of the first row matching; empty optional when none matches.
  bool Lookup(const std::string& keyFields, const std::vector<std::string>& keyValues,
              const std::string& resultFields, std::vector<std::string>& result);

  // Row services.
  bool IsRowIdColumn(const std::string& name) const;
  const std::string& KeyColumnName() const { return keyColumnName_; }
  int RowIdColumn() const { return rowIdColumn_; }
  int Cursor() const { return cursor_; }
  bool EndOfStatement() const { return endOfStatement_; }
  bool CursorOpen() const { return cursorOpen_; }
  int ColumnCount() const { return columnCount_; }
  int RowDataSize() const { return rowDataSize_; }
  const std::vector<int>& FieldOffsets() const { return fieldOffsets_; }
  const std::vector<int>& FieldColumns() const { return fieldColumns_; }
  TRow ReadRow();
  int FetchRows(int64_t targetRowId = -1);
  void FreeRow(int index);
  void FreeAllRows();
  int64_t CurrentRowId();
  void SetRowId(int index, int64_t rowId);  // index -1: the row under the cursor
  uint8_t* FieldSlot(TRow& row, const TRecField& field) const;
  int64_t RowIdOf(const TRow& row) const;

  // Read-only access for views: cached rows by position, without moving the cursor.
  int CachedRowCount() const { return static_cast<int>(rows_.size()); }
  std::string CachedText(int row, int field) const;
  // The same as stored: differs from CachedText only where a UTF-16 text leaves the code page.
  std::u16string CachedUnicode(int row, int field) const;
  bool CachedIsNull(int row, int field) const;
  // Position of the current record in the cache, -1 when none.
  int ActiveRowIndex() const;

  void ConnectionClosing() override { Close(); }
  void ConnectionDestroyed() override { database_ = nullptr; }

 protected:
  void InternalOpen() override;
  void InternalClose() override;
  bool OpenCompleted() const override;
  void InternalFirst() override;
  void InternalLast() override;
  TGetResult GetRecord(TRecBuf& buffer, TGetMode mode, bool doCheck) override;
  void InternalGotoBookmark(TBookmark bookmark) override;
  void InternalSetToRecord(const TRecBuf& buffer) override;
  void PrepareInsert() override;
  void PrepareEdit() override;
  void InternalInitRecord(TRecBuf& buffer, bool append) override;
  void InternalEdit() override;
  void InternalPost() override;
  void InternalCancel() override;
  void InternalDelete() override;
  std::unique_ptr<TRecField> CreateField(const TFieldDef& def) override;

 private:
  friend class TOrvek3BlobStream;
  void PrepareCommand();
  void BuildFieldDefs();
  void BuildLayout();
  int PositionOf(TBookmark identity) const;
  bool FilterRecord(int index);
  TRow* RowOfBuffer(const TRecBuf& buffer);
  const TRow* RowOfBuffer(const TRecBuf& buffer) const;
  void RecordModified(const TRecField& field, const std::string& value);
  void CheckWritable(TRecField& field);
  TRow NewRow() const;
  TRow NewCachedRow();
  TRow CopyRow(const TRow& row) const;
  bool RowMatches(int index, const std::vector<TRecField*>& keys, const std::vector<std::string>& values,
                  int options);
  bool LocateRecord(const std::string& keyFields, const std::vector<std::string>& keyValues, int options);

  TOrvek3Database* database_ = nullptr;
  TParams params_;
  bool requestLive_ = false;
  bool fetchBlobs_ = true;
  bool filtered_ = false;

  std::string commandText_;
  sqlite3_stmt* statement_ = nullptr;
  int columnCount_ = 0;
  bool endOfStatement_ = false;
  bool cursorOpen_ = false;
  std::vector<TRow> rows_;
  int cursor_ = -1;
  int rowIdColumn_ = -1;
  std::string keyColumnName_;
  std::vector<int> fieldOffsets_;
  std::vector<int> fieldColumns_;
  std::vector<int> blobNumbers_;  // per field: its block number in a row, -1 for other types
  int blobCount_ = 0;
  int rowDataSize_ = 0;
  std::vector<std::pair<std::string, std::string>> modifiedFields_;
  TRow editRow_;
  std::shared_ptr<uint8_t[]> rowBlock_;  // the block that rows being read are placed in
  size_t rowBlockUsed_ = 0;              // rows placed in it so far
  bool hasEditRow_ = false;
  TBookmark nextIdentity_ = 1;
  std::vector<TOrvek3BlobStream*> streams_;  // open streams, told when their fields go
  void DetachStreams();
};

// A byte stream over one blob, memo or graphic field of the current record.
class TOrvek3BlobStream {
 public:
  enum Mode { bmRead = 0, bmWrite = 1, bmReadWrite = 2 };
  TOrvek3BlobStream(TOrvek3Command& dataSet, TRecField& field, int mode);
  ~TOrvek3BlobStream();
  TOrvek3BlobStream(const TOrvek3BlobStream&) = delete;
  TOrvek3BlobStream& operator=(const TOrvek3BlobStream&) = delete;

  int Read(void* buffer, int count);
  int Write(const void* buffer, int count);
  int Seek(int offset, int origin);
  int Size() const { return opened_ ? size_ : 0; }
  // The record set or its fields are gone: the stream reads and writes nothing more.
  void Detach() {
    dataSet_ = nullptr;
    field_ = nullptr;
  }
  bool Opened() const { return opened_; }

 private:
  TOrvek3Command* dataSet_;
  TRecField* field_;
  int mode_;
  TBookmark identity_ = 0;  // the row, or 0 for the record being inserted
  bool inserted_ = false;
  bool OnItsRecord() const;
  std::string data_;
  int size_ = 0;
  int position_ = 0;
  bool opened_ = false;
  bool modified_ = false;
};

// Names of the parameter markers (":name" outside quoted text), one per name, in order.
std::vector<std::string> ScanParameterNames(const std::string& text);

}  // namespace orvek3
