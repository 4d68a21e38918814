#include "record_set.h"

#include <algorithm>

#include "sql_text.h"

namespace orvek3 {

namespace {
bool IsEditing(TDataSetState s) { return s == TDataSetState::dsEdit || s == TDataSetState::dsInsert; }
}  // namespace

const char* FieldTypeName(TFieldType type) {
  switch (type) {
    case TFieldType::ftUnknown: return "ftUnknown";
    case TFieldType::ftString: return "ftString";
    case TFieldType::ftSmallint: return "ftSmallint";
    case TFieldType::ftInteger: return "ftInteger";
    case TFieldType::ftWord: return "ftWord";
    case TFieldType::ftBoolean: return "ftBoolean";
    case TFieldType::ftFloat: return "ftFloat";
    case TFieldType::ftCurrency: return "ftCurrency";
    case TFieldType::ftDate: return "ftDate";
    case TFieldType::ftTime: return "ftTime";
    case TFieldType::ftDateTime: return "ftDateTime";
    case TFieldType::ftBlob: return "ftBlob";
    case TFieldType::ftMemo: return "ftMemo";
    case TFieldType::ftGraphic: return "ftGraphic";
    case TFieldType::ftFmtMemo: return "ftFmtMemo";
    case TFieldType::ftWideString: return "ftWideString";
    case TFieldType::ftLargeint: return "ftLargeint";
    case TFieldType::ftBytes: return "ftBytes";
  }
  return "?";
}

TRecordSet::TRecordSet() = default;

TRecordSet::~TRecordSet() = default;

void TRecordSet::CheckActive() const {
  if (!Active()) Error("Cannot perform this operation on a closed dataset");
}

void TRecordSet::SetState(TDataSetState s) {
  if (s == state_) return;
  const bool crossing = (s == TDataSetState::dsInactive) != (state_ == TDataSetState::dsInactive);
  state_ = s;
  modified_ = false;
  if (disableCount_ > 0) {
    if (crossing) NotifyViews(TDataEvent::deUpdateState, nullptr);
  } else {
    NotifyViews(TDataEvent::deUpdateState, nullptr);
  }
}

TRecordSet::TempState::TempState(TRecordSet& rs, TDataSetState s, TRecBuf* buf)
    : rs_(rs), saved_(rs.state_), savedBuf_(rs.tempBuf_) {
  rs_.state_ = s;
  rs_.tempBuf_ = buf;
}

TRecordSet::TempState::~TempState() {
  rs_.state_ = saved_;
  rs_.tempBuf_ = savedBuf_;
}

void TRecordSet::NotifyViews(TDataEvent event, TRecField* field) {
  // A view may remove itself while being told.
  const auto views = views_;
  for (TRecordSetView* v : views)
    if (std::find(views_.begin(), views_.end(), v) != views_.end()) v->DataEvent(*this, event, field);
}

void TRecordSet::DataEvent(TDataEvent event, TRecField* field) {
  if (event == TDataEvent::deFieldChange && IsEditing(state_)) modified_ = true;
  if (disableCount_ == 0) NotifyViews(event, field);
}

void TRecordSet::AddView(TRecordSetView* view) {
  if (std::find(views_.begin(), views_.end(), view) == views_.end()) views_.push_back(view);
}

void TRecordSet::RemoveView(TRecordSetView* view) {
  views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void TRecordSet::DisableControls() {
  if (disableCount_ == 0) disabledState_ = state_;
  ++disableCount_;
}

void TRecordSet::EnableControls() {
  if (disableCount_ == 0) return;
  if (--disableCount_ > 0) return;
  if (state_ != disabledState_) NotifyViews(TDataEvent::deUpdateState, nullptr);
  if (state_ != TDataSetState::dsInactive && disabledState_ != TDataSetState::dsInactive)
    NotifyViews(TDataEvent::deDataSetChange, nullptr);
}

const TRecBuf* TRecordSet::ActiveRecordBuffer() const {
  switch (state_) {
    case TDataSetState::dsBrowse:
      return hasActive_ ? &active_ : nullptr;
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert:
      return &active_;
    case TDataSetState::dsCalcFields:
    case TDataSetState::dsFilter:
    case TDataSetState::dsInternalCalc:
      return tempBuf_;
    case TDataSetState::dsNewValue:
      return hasActive_ ? &active_ : nullptr;
    default:
      return nullptr;
  }
}

void TRecordSet::DoBeforeOpen() {
  if (BeforeOpen) BeforeOpen(*this);
}

void TRecordSet::ClearBuffers() {
  hasActive_ = false;
  active_ = TRecBuf{};
  ClearRecordBuffers();
}

bool TRecordSet::FetchActive(TGetMode mode) {
  TRecBuf b;
  if (GetRecord(b, mode, false) != TGetResult::grOK) return false;
  active_ = std::move(b);
  hasActive_ = true;
  return true;
}

void TRecordSet::RefillFrom(const std::function<void()>& position, TGetMode mode) {
  // A failure while reading (a raising filter) must not leave a set with rows looking empty.
  const TRecBuf saved = active_;
  const bool savedHas = hasActive_;
  ClearBuffers();
  try {
    position();
    FetchActive(mode);
  } catch (...) {
    if (!Active()) {  // a failed fetch has closed the set
      ClearBuffers();
      throw;
    }
    active_ = saved;
    hasActive_ = savedHas;
    if (hasActive_) InternalSetToRecord(active_);
    throw;
  }
}

void TRecordSet::Open() {
  if (Active()) return;
  DoBeforeOpen();
  try {
    InternalOpen();
  } catch (...) {
    ClearBuffers();
    InternalClose();
    if (!declaredFields_) ClearFields();
    throw;
  }
  if (!OpenCompleted()) {
    // A statement without a result: it has run; there is nothing to browse.
    ClearBuffers();
    InternalClose();
    if (!declaredFields_) ClearFields();
    return;
  }
  SetState(TDataSetState::dsBrowse);
  try {
    ClearBuffers();
    InternalFirst();
    FetchActive(TGetMode::gmNext);
  } catch (...) {
    SetState(TDataSetState::dsInactive);
    ClearBuffers();
    InternalClose();
    if (!declaredFields_) ClearFields();
    throw;
  }
  bof_ = true;
  eof_ = !hasActive_;
  if (AfterOpen) AfterOpen(*this);
}

void TRecordSet::CloseDestroying() {
  destroying_ = true;
  Close();
}

void TRecordSet::Close() {
  if (!Active()) return;
  if (BeforeClose && !destroying_) BeforeClose(*this);
  SetState(TDataSetState::dsInactive);
  ClearBuffers();
  InternalClose();
  if (!declaredFields_) ClearFields();
  bof_ = eof_ = false;
  if (AfterClose && !destroying_) AfterClose(*this);
}

void TRecordSet::First() {
  CheckActive();
  CheckBrowseMode();
  if (BeforeScroll) BeforeScroll(*this);
  RefillFrom([this] { InternalFirst(); }, TGetMode::gmNext);
  bof_ = true;
  eof_ = !hasActive_;
  DataEvent(TDataEvent::deDataSetChange);
  if (AfterScroll) AfterScroll(*this);
}

void TRecordSet::Last() {
  CheckActive();
  CheckBrowseMode();
  if (BeforeScroll) BeforeScroll(*this);
  RefillFrom([this] { InternalLast(); }, TGetMode::gmPrior);
  eof_ = true;
  bof_ = !hasActive_;
  DataEvent(TDataEvent::deDataSetChange);
  if (AfterScroll) AfterScroll(*this);
}

int TRecordSet::MoveBy(int distance) {
  CheckActive();
  CheckBrowseMode();
  if (BeforeScroll) BeforeScroll(*this);
  if ((distance > 0 && eof_) || (distance < 0 && bof_)) return 0;
  bof_ = eof_ = false;
  int moved = 0;
  if (hasActive_) InternalSetToRecord(active_);
  while (distance > 0) {
    if (!FetchActive(TGetMode::gmNext)) {
      eof_ = true;
      break;
    }
    ++moved;
    --distance;
  }
  while (distance < 0) {
    if (!FetchActive(TGetMode::gmPrior)) {
      bof_ = true;
      break;
    }
    ++moved;
    ++distance;
  }
  if (!hasActive_) bof_ = eof_ = true;
  DataEvent(TDataEvent::deDataSetScroll);
  if (AfterScroll) AfterScroll(*this);
  return moved;
}

TBookmark TRecordSet::GetBookmark() {
  if (!Active() || !hasActive_ || state_ == TDataSetState::dsInsert) return 0;
  return active_.bookmark;
}

bool TRecordSet::BookmarkValid(TBookmark bookmark) const { return Active() && bookmark != 0; }

int TRecordSet::CompareBookmarks(TBookmark a, TBookmark b) const {
  if (a == b) return 0;
  if (a == 0) return -1;
  if (b == 0) return 1;
  return a < b ? -1 : 1;
}

void TRecordSet::GotoBookmark(TBookmark bookmark) {
  if (bookmark == 0) return;
  CheckActive();
  CheckBrowseMode();
  if (BeforeScroll) BeforeScroll(*this);
  InternalGotoBookmark(bookmark);
  TRecBuf b;
  GetRecord(b, TGetMode::gmCurrent, true);
  active_ = std::move(b);
  hasActive_ = true;
  bof_ = eof_ = false;
  DataEvent(TDataEvent::deDataSetChange);
  if (AfterScroll) AfterScroll(*this);
}

void TRecordSet::Resync() {
  TRecBuf b;
  if (GetRecord(b, TGetMode::gmCurrent, false) == TGetResult::grOK ||
      GetRecord(b, TGetMode::gmNext, false) == TGetResult::grOK ||
      GetRecord(b, TGetMode::gmPrior, false) == TGetResult::grOK) {
    active_ = std::move(b);
    hasActive_ = true;
    bof_ = eof_ = false;
  } else {
    ClearBuffers();
    bof_ = eof_ = true;
  }
  DataEvent(TDataEvent::deDataSetChange);
}

void TRecordSet::RunWithHandler(const TErrorEvent& handler, const std::function<void()>& step) {
  for (;;) {
    try {
      step();
      return;
    } catch (const std::exception& e) {
      if (!handler) throw;
      TDataAction action = TDataAction::daFail;
      handler(*this, e, action);
      if (action == TDataAction::daFail) throw;
      if (action == TDataAction::daAbort) throw OperationAborted();
    }
  }
}

void TRecordSet::Edit() {
  if (IsEditing(state_)) return;
  CheckActive();
  if (!hasActive_) {
    Insert();
    return;
  }
  CheckBrowseMode();
  PrepareEdit();
  if (BeforeEdit) BeforeEdit(*this);
  RunWithHandler(OnEditError, [this] {
    InternalSetToRecord(active_);
    InternalEdit();
  });
  CalculateFields(active_);
  SetState(TDataSetState::dsEdit);
  DataEvent(TDataEvent::deRecordChange);
  if (AfterEdit) AfterEdit(*this);
}

void TRecordSet::Insert() { BeginInsertAppend(false); }
void TRecordSet::Append() { BeginInsertAppend(true); }

void TRecordSet::BeginInsertAppend(bool append) {
  CheckActive();
  CheckBrowseMode();
  PrepareInsert();
  if (BeforeInsert) BeforeInsert(*this);
  if (BeforeScroll) BeforeScroll(*this);
  savedActive_ = active_;
  savedHasActive_ = hasActive_;
  if (hasActive_) InternalSetToRecord(active_);
  if (append) InternalLast();
  TRecBuf nb;
  InternalInitRecord(nb, append);
  nb.calc.assign(static_cast<size_t>(calcSize_), 0);
  nb.flag = TBookmarkFlag::bfInserted;
  active_ = std::move(nb);
  hasActive_ = true;
  bof_ = eof_ = false;
  SetState(TDataSetState::dsInsert);
  try {
    if (OnNewRecord) OnNewRecord(*this);
  } catch (...) {
    InternalCancel();
    SetState(TDataSetState::dsBrowse);
    active_ = savedActive_;
    hasActive_ = savedHasActive_;
    if (hasActive_) InternalSetToRecord(active_);
    Resync();
    throw;
  }
  modified_ = false;
  DataEvent(TDataEvent::deDataSetChange);
  if (AfterInsert) AfterInsert(*this);
  if (AfterScroll) AfterScroll(*this);
}

void TRecordSet::UpdateRecord() {
  if (!IsEditing(state_)) Error("Dataset not in edit or insert mode");
  DataEvent(TDataEvent::deUpdateRecord);
}

void TRecordSet::CheckRequiredFields() {
  for (const auto& f : fields_) {
    if (f->Required() && !f->ReadOnly() && f->FieldKind() == TFieldKind::fkData && f->IsNull())
      Error("Field '" + f->DisplayName() + "' must have a value");
  }
}

void TRecordSet::Post() {
  UpdateRecord();
  if (BeforePost) BeforePost(*this);
  RunWithHandler(OnPostError, [this] { InternalPost(); });
  SetState(TDataSetState::dsBrowse);
  Resync();
  if (AfterPost) AfterPost(*this);
}

void TRecordSet::Cancel() {
  if (!IsEditing(state_)) return;
  const bool wasInsert = state_ == TDataSetState::dsInsert;
  if (BeforeCancel) BeforeCancel(*this);
  if (wasInsert && BeforeScroll) BeforeScroll(*this);
  InternalCancel();
  SetState(TDataSetState::dsBrowse);
  if (wasInsert) {
    active_ = savedActive_;
    hasActive_ = savedHasActive_;
    if (hasActive_) InternalSetToRecord(active_);
    else InternalAfterCancelInsert();
  }
  Resync();
  if (AfterCancel) AfterCancel(*this);
  if (wasInsert && AfterScroll) AfterScroll(*this);
}

void TRecordSet::Delete() {
  CheckActive();
  if (state_ == TDataSetState::dsInsert) {
    Cancel();
    return;
  }
  if (!hasActive_) Error("Cannot perform this operation on an empty dataset");
  if (BeforeDelete) BeforeDelete(*this);
  if (BeforeScroll) BeforeScroll(*this);
  RunWithHandler(OnDeleteError, [this] { InternalDelete(); });
  SetState(TDataSetState::dsBrowse);
  Resync();
  if (AfterDelete) AfterDelete(*this);
  if (AfterScroll) AfterScroll(*this);
}

void TRecordSet::CheckBrowseMode() {
  CheckActive();
  if (!IsEditing(state_)) return;
  UpdateRecord();
  if (modified_) Post();
  else Cancel();
}

TRecField* TRecordSet::FindField(const std::string& name) const {
  for (const auto& f : fields_)
    if (SameTextAnsi(f->FieldName(), name)) return f.get();
  return nullptr;
}

TRecField& TRecordSet::FieldByName(const std::string& name) const {
  if (TRecField* f = FindField(name)) return *f;
  Error("Field '" + name + "' not found");
}

TRecField& TRecordSet::AddField(const std::string& name, TFieldType type, int size, TFieldKind kind) {
  if (Active()) Error("Cannot perform this operation on an open dataset");
  if (!declaredFields_) fields_.clear();
  declaredFields_ = true;
  TFieldDef def{name, type, size, 0, false};
  auto f = CreateField(def);
  f->kind_ = kind;
  f->index_ = static_cast<int>(fields_.size());
  fields_.push_back(std::move(f));
  return *fields_.back();
}

std::unique_ptr<TRecField> TRecordSet::CreateField(const TFieldDef& def) {
  return std::make_unique<TRecField>(this, def.name, def.dataType, def.size, TFieldKind::fkData);
}

void TRecordSet::ClearFields() {
  fields_.clear();
  calcSize_ = 0;
}

void TRecordSet::CreateFieldsFromDefs() {
  if (declaredFields_) {
    // Declared data fields take the column of the definition of their name.
    calcSize_ = 0;
    for (auto& f : fields_) {
      if (f->kind_ == TFieldKind::fkData) {
        auto it = std::find_if(fieldDefs_.begin(), fieldDefs_.end(), [&](const TFieldDef& d) {
          return !d.hidden && SameTextAnsi(d.name, f->name_);
        });
        if (it == fieldDefs_.end()) Error("Field '" + f->name_ + "' not found");
        f->fieldNo_ = it->fieldNo;
      } else {
        f->offset_ = calcSize_;
        calcSize_ += 1 + f->DataSize();
      }
    }
    return;
  }
  fields_.clear();
  calcSize_ = 0;
  for (const auto& d : fieldDefs_) {
    if (d.hidden) continue;
    auto f = CreateField(d);
    f->fieldNo_ = d.fieldNo;
    f->index_ = static_cast<int>(fields_.size());
    fields_.push_back(std::move(f));
  }
}

void TRecordSet::CalculateFields(TRecBuf& buffer) {
  if (calcSize_ == 0) return;
  buffer.calc.assign(static_cast<size_t>(calcSize_), 0);
  if (!autoCalcFields_ || !OnCalcFields) return;
  TempState temp(*this, TDataSetState::dsCalcFields, &buffer);
  OnCalcFields(*this);
}

}  // namespace orvek3
