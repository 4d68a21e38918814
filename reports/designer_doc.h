// The designer's document: a template tree being edited, its selection and its commands.
// Every change is recorded as a snapshot of the template tree, so undo and redo give back
// exactly each earlier state. Snapshots share the text they did not change (an embedded
// image above all), so a step costs the tree's structure, not the whole template.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <deque>
#include <utility>
#include <vector>

#include "template.h"

namespace rpt {

// An object: the index of its band among the page's bands and its index in the band.
struct ObjRef {
  int band = -1;
  int index = -1;
  bool operator==(const ObjRef&) const = default;
};

enum class AlignKind { Left, Right, Top, Bottom, HCenter, VCenter };

class DesignerDoc : public QObject {
  Q_OBJECT

 public:
  explicit DesignerDoc(QObject* parent = nullptr);

  // A template read from bytes; false with a Czech reason, the document unchanged.
  bool Load(const QByteArray& bytes, QString* error);
  void LoadTree(const XmlNode& root);
  void New();
  // Font of new texts.
  void SetDefaultFont(const QString& family, double size) {
    fontFamily_ = family;
    fontSize_ = size;
  }

  QByteArray Bytes() const { return WriteTemplateXml(root_); }
  const XmlNode& Root() const { return root_; }
  bool Modified() const { return !SameTree(root_, saved_); }
  void MarkSaved() { saved_ = root_; }
  // A template made here (by the wizard) and not saved anywhere yet: modified from the start.
  void LoadUnsaved(const XmlNode& root) {
    LoadTree(root);
    saved_ = XmlNode();
    emit Changed();
  }
  QString FileName() const { return fileName_; }
  void SetFileName(const QString& path) { fileName_ = path; }
  // Writes the template under a temporary name and renames it; false with the reason.
  bool SaveTo(const QString& path, QString* error);

  // Page and bands.
  const XmlNode& Page() const;
  int BandCount() const;
  const XmlNode& Band(int band) const;
  const XmlNode& Object(ObjRef ref) const;
  QRectF ObjectRect(ObjRef ref) const;  // in mm, within its band
  double BandHeight(int band) const;
  double PageContentWidth() const;

  // Selection (the first selected object is the anchor of align and same size).
  const std::vector<ObjRef>& Selection() const { return selection_; }
  void Select(const std::vector<ObjRef>& refs);
  void ToggleSelected(ObjRef ref);
  bool IsSelected(ObjRef ref) const;
  void SelectAll();
  int CurrentBand() const { return currentBand_; }
  void SetCurrentBand(int band);

  // Grid.
  double GridStep() const { return grid_; }
  void SetGridStep(double mm) { grid_ = mm > 0 ? mm : 1; }
  bool Snap() const { return snap_; }
  void SetSnap(bool on) { snap_ = on; }
  double Snapped(double mm) const;

  // Commands on the selection; each is one undo step. Move and resize snap the result
  // to the grid unless fine is set.
  void MoveSelection(double dx, double dy, bool fine = false);
  void ResizeSelection(double dw, double dh, bool fine = false);
  // Moves the selected objects into another band, each to its top-left corner (mm, in
  // selection order), snapped; one undo step.
  void MoveSelectionTo(int band, const std::vector<QPointF>& topLefts);
  void Align(AlignKind kind);
  void SameWidth();
  void SameHeight();
  void DeleteSelection();
  // The clipboard is the system's: the objects as a small XML document under a type of
  // our own and as plain text, so another designer window or program run pastes them.
  // Paste takes nothing that is not such a document of objects the engine reads.
  void Copy();
  void Cut();
  void Paste(int band);
  bool CanPaste() const;
  static constexpr const char* kClipboardMime = "application/x-kalmetra-report-objects";

  // Geometry the canvas changes with the mouse; each is one undo step.
  // Moves the given sides (kFrameLeft, kFrameTop, ...) of every selected object by dx or
  // dy: a left or top side moves the origin and keeps the opposite side where it is.
  // A moved side snaps to the grid unless fine is set.
  void ResizeSelectionSides(unsigned sides, double dx, double dy, bool fine = false);
  // A band's height, snapped to the grid unless fine is set.
  void SetBandHeight(int band, double height, bool fine = false);

  // Inserting. They return the new object, selected; none past the limits of a template.
  ObjRef AddObject(int band, const QString& kind, double left, double top);
  ObjRef AddField(int band, const QString& field, double left, double top, const QString& dataSet = QStringLiteral("RptDataset1"));
  ObjRef AddImage(int band, const QByteArray& imageData, double left, double top);

  // The paint order within a band: the selected objects go last (on top) or first, in
  // their order; one undo step each.
  void BringSelectionToFront();
  void SendSelectionToBack();
  // A field dropped on a data band: the bound text there and, in the column header band
  // (added when the page has none), its caption above it at the same left and width; one
  // undo step. Returns the bound text, selected.
  ObjRef AddFieldWithCaption(int band, const QString& field, const QString& caption, double left, double top,
                             const QString& dataSet = QStringLiteral("RptDataset1"));

  // Properties: an empty value removes the attribute. A value the engine could not read
  // is refused (false, with its Czech reason) and leaves the template as it was.
  bool SetObjectAttr(ObjRef ref, const QString& key, const QString& value, QString* error = nullptr);
  bool SetSelectionAttr(const QString& key, const QString& value, QString* error = nullptr);
  // Several attributes at once (a font, a paper), as one undo step of the given name.
  using Attrs = std::vector<std::pair<QString, QString>>;
  bool SetSelectionAttrs(const Attrs& attrs, const QString& stepName, QString* error = nullptr);
  bool SetPageAttrs(const Attrs& attrs, const QString& stepName, QString* error = nullptr);
  bool SetObjectText(ObjRef ref, const QString& text, QString* error = nullptr);
  bool SetBandAttr(int band, const QString& key, const QString& value, QString* error = nullptr);
  bool SetPageAttr(const QString& key, const QString& value, QString* error = nullptr);
  // Portrait or landscape, with width and height swapped to agree; false for another value.
  bool SetOrientation(const QString& value, QString* error = nullptr);
  // Refuses (false, with the reason) a text with a character no template can hold.
  bool SetReportOptions(const QString& name, const QString& author, const QStringList& description,
                        QString* error = nullptr);
  QString ReportName() const;
  QString ReportAuthor() const;
  QStringList ReportDescription() const;

  // Bands: a new band goes to its place in the usual order (-1 past the limit of a
  // template); ordering moves by one.
  int AddBand(BandType type);
  void RemoveBand(int band);
  void MoveBand(int band, int delta);

  // The oldest steps go past this many.
  static constexpr size_t kMaxUndoSteps = 200;
  size_t UndoSteps() const { return undo_.size(); }
  // Bytes of text the document and its history hold, each shared buffer counted once.
  size_t HistoryTextBytes() const;
  static bool SameTree(const XmlNode& a, const XmlNode& b);

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // What the next undo or redo gives back, in Czech ("Přesunout"); empty when none.
  QString UndoName() const { return undo_.empty() ? QString() : undo_.back().name; }
  QString RedoName() const { return redo_.empty() ? QString() : redo_.back().name; }
  void Undo();
  void Redo();

  static QString FormatMm(double mm);

 signals:
  void Changed();
  void SelectionChanged();

 private:
  XmlNode& MutablePage();
  XmlNode& MutableBand(int band);
  XmlNode& MutableObject(ObjRef ref);
  std::vector<int> BandChildIndices() const;
  // Runs a change and records it as one undo step of that name when it changed the bytes.
  template <class F>
  void Change(const QString& name, F&& f);
  template <class F>
  bool ChangeChecked(const QString& name, F&& f, QString* error);
  void DeleteSelectionAs(const QString& name);
  QByteArray ClipboardBytes() const;
  void Restore(XmlNode root);
  void SetRect(XmlNode& n, const QRectF& r) const;
  XmlNode MakeObject(const QString& kind, const QString& nameBase, double left, double top) const;
  ObjRef Insert(int band, XmlNode node, const QString& name);
  bool RoomForObjects(int band, size_t count) const;
  QString UniqueName(const QString& base) const;
  void DropInvalidSelection();
  void ReorderSelection(bool toFront);

  XmlNode root_;
  XmlNode saved_;
  QString fileName_;
  // A state of the history and the name of the step that leaves it.
  struct Step {
    XmlNode state;
    QString name;
  };
  std::deque<Step> undo_, redo_;
  std::vector<ObjRef> selection_;
  QByteArray clipboard_;  // only where no GUI application runs
  int currentBand_ = -1;
  double grid_ = 1;
  QString fontFamily_ = QStringLiteral("Arial");
  double fontSize_ = 10;
  bool snap_ = true;
};

}  // namespace rpt
