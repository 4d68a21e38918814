// The record-set model: states, moves with their end flags, editing operations with
// their events, the browse-mode check, suspended view notifications and field objects.
// A storage (the command record set) supplies the steps through the virtual hooks.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "db_types.h"

namespace orvek3 {

class TRecordSet;

enum class TDataSetState {
  dsInactive,
  dsBrowse,
  dsEdit,
  dsInsert,
  dsSetKey,
  dsCalcFields,
  dsFilter,
  dsNewValue,
  dsInternalCalc,
};

enum class TFieldKind { fkData, fkCalculated, fkInternalCalc };

enum class TDataEvent {
  deFieldChange,
  deRecordChange,
  deDataSetChange,
  deDataSetScroll,
  deUpdateRecord,
  deUpdateState,
};

// What an error handler decides: let the error propagate, drop it silently, or try again.
enum class TDataAction { daFail, daAbort, daRetry };

// Which row a storage is asked for, relative to its cursor.
enum class TGetMode { gmCurrent, gmNext, gmPrior };
enum class TGetResult { grOK, grBOF, grEOF, grError };
enum class TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };

// Identity of a cached row; 0 is no bookmark.
using TBookmark = uint64_t;

// A silent abort chosen by an error handler: callers stop without a message.
class OperationAborted : public std::runtime_error {
 public:
  OperationAborted() : std::runtime_error("Operation aborted") {}
};

// A view bound to a record set (the grid's model, an editor).
class TRecordSetView {
 public:
  virtual ~TRecordSetView() = default;
  virtual void DataEvent(TRecordSet& sender, TDataEvent event, class TRecField* field) = 0;
};

// A record buffer: names a row of the storage, carries the bookmark and calculated values.
struct TRecBuf {
  int32_t rowIndex = -1;
  TBookmark bookmark = 0;
  TBookmarkFlag flag = TBookmarkFlag::bfCurrent;
  std::vector<uint8_t> calc;
};

// A field definition made from a result column.
struct TFieldDef {
  std::string name;
  TFieldType dataType = TFieldType::ftUnknown;
  int size = 0;
  int fieldNo = 0;  // column number, from 1
  bool hidden = false;
};

class TRecField {
 public:
  TRecField(TRecordSet* owner, std::string name, TFieldType type, int size, TFieldKind kind);
  virtual ~TRecField() = default;
  TRecField(const TRecField&) = delete;
  TRecField& operator=(const TRecField&) = delete;

  TRecordSet* DataSet() const { return dataSet_; }
  const std::string& FieldName() const { return name_; }
  // The caption used in messages; the field name unless set.
  const std::string& DisplayName() const { return displayLabel_.empty() ? name_ : displayLabel_; }
  void SetDisplayLabel(const std::string& s) { displayLabel_ = s; }
  TFieldType DataType() const { return type_; }
  int Size() const { return size_; }
  TFieldKind FieldKind() const { return kind_; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  bool Required() const { return required_; }
  void SetRequired(bool v) { required_ = v; }
  int FieldNo() const { return fieldNo_; }
  int Index() const { return index_; }
  int Offset() const { return offset_; }
  int DataSize() const;
  bool IsBlob() const;

  // Validation run before a value is stored; may raise.
  std::function<void(TRecField& sender, const void* data)> OnValidate;

  bool IsNull() const;
  virtual std::string AsString() const;
  virtual void SetAsString(const std::string& text);
  // The text as stored, where the storage holds more than Windows-1250 can (a UTF-16
  // catalogue); AsString of such a text has '?' in place of what the code page lacks.
  virtual std::u16string AsUnicode() const;
  bool TextFitsAnsi() const;
  int64_t AsLargeInt() const;
  void SetAsLargeInt(int64_t v);
  double AsFloat() const;
  void SetAsFloat(double v);
  bool AsBoolean() const;
  void SetAsBoolean(bool v);
  // Days since 1899-12-30 with the time as fraction.
  TDateTime AsDateTime() const;
  void SetAsDateTime(TDateTime v);
  // The bytes of a blob, memo or graphic value.
  std::string AsBytes() const;
  void SetAsBytes(const std::string& bytes);
  void Clear();

  // Raw access: the value in its slot format (DataSize bytes); false when null.
  bool GetData(void* buffer) const;
  void SetData(const void* buffer);

 protected:
  friend class TRecordSet;
  TRecordSet* dataSet_;
  std::string name_;
  std::string displayLabel_;
  TFieldType type_;
  int size_;
  TFieldKind kind_;
  bool readOnly_ = false;
  bool required_ = false;
  int fieldNo_ = 0;
  int index_ = -1;
  int offset_ = 0;
};

class TRecordSet : public TComponent {
 public:
  using TNotifyEvent = std::function<void(TRecordSet& sender)>;
  using TErrorEvent = std::function<void(TRecordSet& sender, const std::exception& error, TDataAction& action)>;
  using TFilterEvent = std::function<void(TRecordSet& sender, bool& accept)>;

  TRecordSet();
  ~TRecordSet() override;
  TRecordSet(const TRecordSet&) = delete;
  TRecordSet& operator=(const TRecordSet&) = delete;

  TNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose, BeforeScroll, AfterScroll, OnCalcFields,
      BeforeInsert, AfterInsert, BeforeEdit, AfterEdit, BeforePost, AfterPost, BeforeCancel, AfterCancel,
      BeforeDelete, AfterDelete, OnNewRecord;
  TErrorEvent OnDeleteError, OnEditError, OnPostError;

  TDataSetState State() const { return state_; }
  bool Active() const { return state_ != TDataSetState::dsInactive; }
  void SetActive(bool v) { v ? Open() : Close(); }
  bool Bof() const { return bof_; }
  bool Eof() const { return eof_; }
  bool IsEmpty() const { return !hasActive_; }
  bool Modified() const { return modified_; }
  bool AutoCalcFields() const { return autoCalcFields_; }
  void SetAutoCalcFields(bool v) { autoCalcFields_ = v; }
  bool ControlsDisabled() const { return disableCount_ > 0; }

  void Open();
  void Close();
  void First();
  void Last();
  void Next() { MoveBy(1); }
  void Prior() { MoveBy(-1); }
  int MoveBy(int distance);
  TBookmark GetBookmark();
  void GotoBookmark(TBookmark bookmark);
  void FreeBookmark(TBookmark) {}
  virtual bool BookmarkValid(TBookmark bookmark) const;
  virtual int CompareBookmarks(TBookmark a, TBookmark b) const;

  void Edit();
  void Insert();
  void Append();
  void Post();
  void Cancel();
  void Delete();
  void CheckBrowseMode();
  void UpdateRecord();
  void Resync();

  void DisableControls();
  void EnableControls();
  void AddView(TRecordSetView* view);
  void RemoveView(TRecordSetView* view);

  int FieldCount() const { return static_cast<int>(fields_.size()); }
  TRecField& Field(int i) const { return *fields_.at(static_cast<size_t>(i)); }
  TRecField* FindField(const std::string& name) const;
  TRecField& FieldByName(const std::string& name) const;
  const std::vector<TFieldDef>& FieldDefs() const { return fieldDefs_; }
  // Declares a field of the record set's own (kept over open and close).
  TRecField& AddField(const std::string& name, TFieldType type, int size = 0,
                      TFieldKind kind = TFieldKind::fkData);

  // Blob, memo and graphic values.
  virtual bool GetBlobData(const TRecField& field, std::string& bytes) = 0;
  virtual void SetBlobData(TRecField& field, const std::string& bytes) = 0;

  virtual int RecordCount() = 0;
  virtual int RecNo() = 0;
  virtual void SetRecNo(int) = 0;

  // The record a field reads in the current state, or nullptr.
  const TRecBuf* ActiveRecordBuffer() const;

  // Storage access for the fields.
  virtual bool GetFieldData(const TRecField& field, void* buffer) = 0;
  virtual void SetFieldData(TRecField& field, const void* buffer) = 0;

  [[noreturn]] void Error(const std::string& message) const { RaiseDatabaseError(this, message); }

 protected:
  // Storage steps.
  virtual void DoBeforeOpen();
  virtual void InternalOpen() = 0;
  virtual void InternalClose() = 0;
  virtual bool OpenCompleted() const { return true; }
  virtual void InternalFirst() = 0;
  virtual void InternalLast() = 0;
  virtual TGetResult GetRecord(TRecBuf& buffer, TGetMode mode, bool doCheck) = 0;
  virtual void InternalGotoBookmark(TBookmark bookmark) = 0;
  virtual void InternalSetToRecord(const TRecBuf& buffer) = 0;
  virtual void PrepareInsert() {}
  virtual void PrepareEdit() {}
  virtual void InternalInitRecord(TRecBuf& buffer, bool append) = 0;
  virtual void InternalEdit() = 0;
  virtual void InternalPost() = 0;
  virtual void InternalCancel() = 0;
  virtual void InternalDelete() = 0;
  virtual void InternalAfterCancelInsert() {}
  virtual void ClearRecordBuffers() {}

  void SetState(TDataSetState s);
  // Closing on destruction: handlers belong to owners that may be gone, so none is called.
  void CloseDestroying();
  // A temporary state (calculation, filter) with its own record; restores on scope end.
  class TempState {
   public:
    TempState(TRecordSet& rs, TDataSetState s, TRecBuf* buf);
    ~TempState();
    TempState(const TempState&) = delete;
    TempState& operator=(const TempState&) = delete;

   private:
    TRecordSet& rs_;
    TDataSetState saved_;
    TRecBuf* savedBuf_;
  };
  virtual std::unique_ptr<TRecField> CreateField(const TFieldDef& def);
  void CheckRequiredFields();
  static void SetFieldLayout(TRecField& f, int fieldNo, int offset) {
    f.fieldNo_ = fieldNo;
    f.offset_ = offset;
  }
  void DataEvent(TDataEvent event, TRecField* field = nullptr);
  void CheckActive() const;
  void ClearFields();
  void CreateFieldsFromDefs();
  bool HasDeclaredFields() const { return declaredFields_; }
  void CalculateFields(TRecBuf& buffer);
  void SetModified(bool v) { modified_ = v; }
  void SetFieldsModified() { modified_ = true; }
  int CalcAreaSize() const { return calcSize_; }
  void ClearBuffers();
  bool FetchActive(TGetMode mode);
  // Clears the window, positions the storage and reads the record there; restores the
  // current record when reading fails.
  void RefillFrom(const std::function<void()>& position, TGetMode mode);
  void SetEndFlags(bool bof, bool eof) {
    bof_ = bof;
    eof_ = eof;
  }

  std::vector<TFieldDef> fieldDefs_;
  std::vector<std::unique_ptr<TRecField>> fields_;
  TRecBuf active_;
  bool hasActive_ = false;
  TRecBuf* tempBuf_ = nullptr;  // the calculation or filter record

 private:
  friend class TRecField;
  void RunWithHandler(const TErrorEvent& handler, const std::function<void()>& step);
  void BeginInsertAppend(bool append);
  void NotifyViews(TDataEvent event, TRecField* field);

  TDataSetState state_ = TDataSetState::dsInactive;
  bool bof_ = false;
  bool eof_ = false;
  bool modified_ = false;
  bool autoCalcFields_ = true;
  bool declaredFields_ = false;
  bool destroying_ = false;
  int calcSize_ = 0;
  int disableCount_ = 0;
  TDataSetState disabledState_ = TDataSetState::dsInactive;
  TRecBuf savedActive_;  // the record current before an insert began
  bool savedHasActive_ = false;
  std::vector<TRecordSetView*> views_;
};

// Text of a field data type, for messages and tests.
const char* FieldTypeName(TFieldType type);

}  // namespace orvek3
