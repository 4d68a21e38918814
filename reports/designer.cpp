#include "designer.h"

#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "designer_canvas.h"
#include "designer_fields.h"
#include "designer_ruler.h"
#include "designer_text.h"
#include "designer_tree.h"
#include "designer_wizard.h"
#include "interaction.h"
#include "prepare.h"

namespace rpt {

TRptDesignerWindow::TRptDesignerWindow(DesignerHost host, QWidget* parent) : QDialog(parent), host_(std::move(host)) {
  setObjectName(QStringLiteral("NavrharSestav"));
  setModal(true);
  setWindowFlag(Qt::WindowMaximizeButtonHint);
  doc_.SetDefaultFont(host_.DefaultFont, host_.DefaultFontSize);
  if (host_.Template) {
    doc_.LoadTree(*host_.Template);
    doc_.SetFileName(host_.FileName);
    host_.Template.reset();  // the document holds it from now on
  } else {
    doc_.LoadTree(NewFromOptions());
  }

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto* bar = new QMenuBar(this);
  layout->setMenuBar(bar);
  auto* tools = new QToolBar(this);
  layout->addWidget(tools);

  auto* split = new QSplitter(Qt::Horizontal, this);
  auto* left = new QWidget(split);
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->addWidget(new QLabel(QStringLiteral("Pole dat (přetáhněte na pás):"), left));
  fields_ = new FieldList(left);
  leftLayout->addWidget(fields_);
  const QStringList fieldNames = host_.DataSet ? host_.DataSet->FieldNames() : QStringList();
  for (const QString& f : fieldNames) {
    auto* item = new QListWidgetItem(FieldCaption(f), fields_);
    item->setData(Qt::UserRole, f);
  }
  connect(fields_, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { AddFieldToCurrentBand(item->data(Qt::UserRole).toString()); });
  leftLayout->addWidget(new QLabel(QStringLiteral("Struktura sestavy:"), left));
  auto* tree = new StructureTree(doc_, left);
  leftLayout->addWidget(tree);

  scroll_ = new QScrollArea(split);
  canvas_ = new DesignCanvas(doc_, scroll_);
  scroll_->setWidget(canvas_);
  scroll_->setWidgetResizable(false);
  canvas_->FieldNames = fieldNames;
  connect(canvas_, &DesignCanvas::ObjectDoubleClicked, this,
          [this, fieldNames](ObjRef ref) { InplaceTextEditor::Open(canvas_, doc_, ref, fieldNames); });
  auto showProperties = [this] {
    props_->setFocus();
    if (props_->rowCount() > 0) props_->setCurrentCell(0, 1);
  };
  connect(canvas_, &DesignCanvas::MenuRequested, this,
          [this, showProperties](QPoint global, int band) { ShowObjectMenu(this, doc_, global, band, showProperties); });
  tree->MenuRequested = [this, showProperties](QPoint global) {
    ShowObjectMenu(this, doc_, global, doc_.CurrentBand(), showProperties);
  };
  canvas_->InsertImage = [this](int band, QPointF mm) {
    const QString path = Interaction().ChooseImageFile(lastFolder_.isEmpty() ? SesFolder() : lastFolder_);
    if (path.isEmpty()) return;
    QFile file(path);
    QImage check;
    if (!file.open(QIODevice::ReadOnly) || !check.loadFromData(file.peek(file.size()))) {
      Interaction().ShowError(QStringLiteral("Soubor „%1“ není obrázek PNG ani JPEG.").arg(QFileInfo(path).fileName()));
      return;
    }
    doc_.AddImage(band, file.readAll(), mm.x(), mm.y());
  };
  canvas_->ToolUsed = [this] {
    canvas_->SetTool({});
    for (QAction* a : toolActions_) a->setChecked(a->data().toString().isEmpty());
  };

  auto* right = new QWidget(split);
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->addWidget(new QLabel(QStringLiteral("Vlastnosti:"), right));
  props_ = new QTableWidget(0, 2, right);
  props_->setObjectName(QStringLiteral("Vlastnosti"));
  props_->setHorizontalHeaderLabels({QStringLiteral("Vlastnost"), QStringLiteral("Hodnota")});
  props_->verticalHeader()->hide();
  props_->horizontalHeader()->setStretchLastSection(true);
  props_->setColumnWidth(0, 150);
  rightLayout->addWidget(props_, 3);
  textLabel_ = new QLabel(right);
  rightLayout->addWidget(textLabel_);
  text_ = new QPlainTextEdit(right);
  text_->setObjectName(QStringLiteral("Ed_Text"));
  rightLayout->addWidget(text_, 1);
  auto* apply = new QPushButton(QStringLiteral("Použít text"), right);
  apply->setObjectName(QStringLiteral("Tl_PouzitText"));
  auto* textButtons = new QHBoxLayout;
  textButtons->addWidget(apply, 1);
  textButtons->addWidget(ExpressionAssist::Attach(text_, fieldNames)->MakeButton(right));
  rightLayout->addLayout(textButtons);
  connect(apply, &QPushButton::clicked, this, &TRptDesignerWindow::ApplyText);
  text_->installEventFilter(this);
  connect(props_, &QTableWidget::itemChanged, this, &TRptDesignerWindow::PropertyEdited);

  split->addWidget(left);
  split->addWidget(WithRulers(scroll_, canvas_, split));
  split->addWidget(right);
  split->setStretchFactor(1, 1);
  split->setSizes({170, 760, 400});  // the panel's editors need room for their Czech names
  layout->addWidget(split, 1);
  status_ = new QLabel(this);
  status_->setContentsMargins(6, 2, 6, 2);
  layout->addWidget(status_);
  warning_ = new QLabel(this);
  warning_->setObjectName(QStringLiteral("La_Upozorneni"));
  warning_->setContentsMargins(6, 2, 6, 2);
  warning_->setStyleSheet(QStringLiteral("color: #a00000"));
  warning_->setWordWrap(true);
  layout->addWidget(warning_);

  BuildMenus(bar, tools);
  auto checkFields = [this] {
    const QString problem = FieldProblem();
    warning_->setText(problem.isEmpty() ? QString() : QStringLiteral("Upozornění: %1.").arg(problem));
    warning_->setVisible(!problem.isEmpty());
  };
  connect(&doc_, &DesignerDoc::Changed, this, [this, checkFields] {
    RefreshTitle();
    ScheduleRefresh();
    checkFields();
  });
  checkFields();
  connect(&doc_, &DesignerDoc::SelectionChanged, this, &TRptDesignerWindow::ScheduleRefresh);
  LoadSettings();
  RefreshTitle();
  RefreshProperties();
  canvas_->setFocus();
}

TRptDesignerWindow::~TRptDesignerWindow() = default;

void TRptDesignerWindow::BuildMenus(QMenuBar* bar, QToolBar* tools) {
  auto act = [this](QMenu* menu, const char* name, const QString& text, QKeySequence key, auto fn) {
    auto* a = new QAction(text, this);
    a->setObjectName(QLatin1String(name));
    if (!key.isEmpty()) a->setShortcut(key);
    a->setShortcutContext(Qt::WindowShortcut);
    connect(a, &QAction::triggered, this, fn);
    menu->addAction(a);
    addAction(a);
    return a;
  };
  QMenu* file = bar->addMenu(QStringLiteral("&Soubor"));
  act(file, "Akce_Nova", QStringLiteral("&Nová sestava"), QKeySequence(Qt::CTRL | Qt::Key_N), [this] { NewReport(); });
  QAction* save = act(file, "Akce_Ulozit", QStringLiteral("&Uložit"), QKeySequence(Qt::CTRL | Qt::Key_S), [this] { Save(); });
  act(file, "Akce_UlozitJako", QStringLiteral("Uložit &jako…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), [this] { SaveAs(); });
  file->addSeparator();
  QAction* preview = act(file, "Akce_Nahled", QStringLiteral("Ná&hled"), QKeySequence(Qt::Key_F9), [this] { Preview(); });
  act(file, "Akce_VlastnostiSestavy", QStringLiteral("&Vlastnosti sestavy a stránky"), QKeySequence(),
      [this] {
        doc_.Select({});
        doc_.SetCurrentBand(-1);
      });
  file->addSeparator();
  act(file, "Akce_Zavrit", QStringLiteral("&Zavřít"), QKeySequence(), [this] { reject(); });

  QMenu* edit = bar->addMenu(QStringLiteral("Úpr&avy"));
  QAction* undo = act(edit, "Akce_Zpet", QStringLiteral("&Zpět"), QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { doc_.Undo(); });
  QAction* redo = act(edit, "Akce_Znovu", QStringLiteral("Z&novu"), QKeySequence(Qt::CTRL | Qt::Key_Y), [this] { doc_.Redo(); });
  redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  edit->addSeparator();
  QAction* cut = act(edit, "Akce_Vyjmout", QStringLiteral("Vyj&mout"), QKeySequence(Qt::CTRL | Qt::Key_X), [this] { doc_.Cut(); });
  QAction* copy = act(edit, "Akce_Kopirovat", QStringLiteral("&Kopírovat"), QKeySequence(Qt::CTRL | Qt::Key_C), [this] { doc_.Copy(); });
  QAction* paste = act(edit, "Akce_Vlozit", QStringLiteral("&Vložit"), QKeySequence(Qt::CTRL | Qt::Key_V), [this] {
    doc_.Paste(doc_.CurrentBand() >= 0 ? doc_.CurrentBand() : 0);
  });
  QAction* del = act(edit, "Akce_Odstranit", QStringLiteral("&Odstranit"), QKeySequence(Qt::Key_Delete), [this] { doc_.DeleteSelection(); });
  act(edit, "Akce_VybratVse", QStringLiteral("Vybrat &vše"), QKeySequence(Qt::CTRL | Qt::Key_A), [this] { doc_.SelectAll(); });

  QMenu* objects = bar->addMenu(QStringLiteral("&Objekty"));
  const std::pair<const char*, std::pair<QString, AlignKind>> aligns[] = {
      {"Akce_ZarovnatVlevo", {QStringLiteral("Zarovnat &vlevo"), AlignKind::Left}},
      {"Akce_ZarovnatVpravo", {QStringLiteral("Zarovnat v&pravo"), AlignKind::Right}},
      {"Akce_ZarovnatNahoru", {QStringLiteral("Zarovnat &nahoru"), AlignKind::Top}},
      {"Akce_ZarovnatDolu", {QStringLiteral("Zarovnat &dolů"), AlignKind::Bottom}},
      {"Akce_ZarovnatStredVodorovne", {QStringLiteral("Na &střed vodorovně"), AlignKind::HCenter}},
      {"Akce_ZarovnatStredSvisle", {QStringLiteral("Na střed svi&sle"), AlignKind::VCenter}}};
  std::vector<QAction*> multi;
  for (const auto& [name, a] : aligns) {
    const AlignKind kind = a.second;
    multi.push_back(act(objects, name, a.first, QKeySequence(), [this, kind] { doc_.Align(kind); }));
  }
  objects->addSeparator();
  multi.push_back(act(objects, "Akce_StejnaSirka", QStringLiteral("Stejná šíř&ka"), QKeySequence(), [this] { doc_.SameWidth(); }));
  multi.push_back(act(objects, "Akce_StejnaVyska", QStringLiteral("Stejná výš&ka"), QKeySequence(), [this] { doc_.SameHeight(); }));

  QMenu* bands = bar->addMenu(QStringLiteral("&Pásy"));
  QMenu* add = bands->addMenu(QStringLiteral("&Přidat pás"));
  for (const auto& [type, label] : BandLabels()) {
    const BandType t = type;
    const QByteArray name = "Akce_Pridat" + BandTypeName(t).toLatin1();
    act(add, name.constData(), label, QKeySequence(), [this, t] { doc_.AddBand(t); });
  }
  QAction* removeBand = act(bands, "Akce_OdstranitPas", QStringLiteral("&Odstranit pás"), QKeySequence(),
                            [this] { doc_.RemoveBand(doc_.CurrentBand()); });
  QAction* up = act(bands, "Akce_PasNahoru", QStringLiteral("Posunout pás na&horu"), QKeySequence(),
                    [this] { doc_.MoveBand(doc_.CurrentBand(), -1); });
  QAction* down = act(bands, "Akce_PasDolu", QStringLiteral("Posunout pás &dolů"), QKeySequence(),
                      [this] { doc_.MoveBand(doc_.CurrentBand(), 1); });

  QMenu* view = bar->addMenu(QStringLiteral("&Zobrazení"));
  snapAction_ = act(view, "Akce_Prichytavat", QStringLiteral("&Přichytávat k mřížce"), QKeySequence(), [this] {
    doc_.SetSnap(snapAction_->isChecked());
    SaveSettings();
  });
  snapAction_->setCheckable(true);
  QMenu* grid = view->addMenu(QStringLiteral("&Krok mřížky"));
  auto* gridGroup = new QActionGroup(this);
  for (const double step : {0.5, 1.0, 2.0, 2.5, 5.0}) {
    QAction* a = grid->addAction(QStringLiteral("%1 mm").arg(QString::number(step).replace(u'.', u',')));
    a->setCheckable(true);
    gridGroup->addAction(a);
    connect(a, &QAction::triggered, this, [this, step] {
      doc_.SetGridStep(step);
      canvas_->update();
      SaveSettings();
    });
    gridActions_.emplace_back(step, a);
  }

  QMenu* zoom = view->addMenu(QStringLiteral("&Zvětšení"));
  auto* zoomGroup = new QActionGroup(this);
  for (const double z : {0.5, 0.75, 1.0, 1.5, 2.0}) {
    QAction* a = zoom->addAction(QStringLiteral("%1 %").arg(z * 100));
    a->setCheckable(true);
    zoomGroup->addAction(a);
    connect(a, &QAction::triggered, this, [this, z] {
      canvas_->SetZoom(z);
      SaveSettings();
    });
    zoomActions_.emplace_back(z, a);
  }
  // Ctrl+wheel and page width reach zooms without a menu step; then none is checked.
  zoomGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  auto zoomed = [this] {
    for (auto& [z, a] : zoomActions_) a->setChecked(std::abs(z - canvas_->Zoom()) < 1e-9);
    SaveSettings();
  };
  canvas_->ZoomChanged = zoomed;
  act(zoom, "Akce_NaSirkuStranky", QStringLiteral("Na šířku stránky"), QKeySequence(), [this, zoomed] {
    canvas_->SetZoom(canvas_->PageWidthZoom(scroll_->viewport()->width()));
    zoomed();
  });

  // Palette of object kinds.
  auto* palette = new QActionGroup(this);
  const std::pair<QString, QString> kinds[] = {{QStringLiteral("Výběr"), QString()},
                                               {QStringLiteral("Text"), QStringLiteral("Text")},
                                               {QStringLiteral("Čára"), QStringLiteral("Line")},
                                               {QStringLiteral("Obdélník"), QStringLiteral("Rectangle")},
                                               {QStringLiteral("Obrázek"), QStringLiteral("Image")}};
  for (const auto& [label, kind] : kinds) {
    QAction* a = tools->addAction(label);
    a->setObjectName(QStringLiteral("Paleta_") + (kind.isEmpty() ? QStringLiteral("Vyber") : kind));
    a->setCheckable(true);
    a->setChecked(kind.isEmpty());
    a->setData(kind);
    palette->addAction(a);
    const QString k = kind;
    connect(a, &QAction::triggered, this, [this, k] { canvas_->SetTool(k); });
    toolActions_.push_back(a);
  }
  tools->addSeparator();
  for (QAction* a : {save, preview, undo, redo, cut, copy, paste, del}) tools->addAction(a);
  tools->addSeparator();
  for (QAction* a : multi) tools->addAction(a);

  auto enable = [this, undo, redo, cut, copy, paste, del, multi, removeBand, up, down] {
    const size_t n = doc_.Selection().size();
    undo->setEnabled(doc_.CanUndo());
    redo->setEnabled(doc_.CanRedo());
    undo->setText(doc_.CanUndo() ? QStringLiteral("&Zpět: %1").arg(doc_.UndoName()) : QStringLiteral("&Zpět"));
    redo->setText(doc_.CanRedo() ? QStringLiteral("Z&novu: %1").arg(doc_.RedoName()) : QStringLiteral("Z&novu"));
    cut->setEnabled(n > 0);
    copy->setEnabled(n > 0);
    del->setEnabled(n > 0);
    paste->setEnabled(doc_.CanPaste());
    for (QAction* a : multi) a->setEnabled(n > 1);
    const int b = doc_.CurrentBand();
    removeBand->setEnabled(b >= 0);
    up->setEnabled(b > 0);
    down->setEnabled(b >= 0 && b + 1 < doc_.BandCount());
  };
  connect(&doc_, &DesignerDoc::Changed, this, enable);
  connect(&doc_, &DesignerDoc::SelectionChanged, this, enable);
  connect(copy, &QAction::triggered, this, enable);
  connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, enable);  // another window may copy
  enable();
}

void TRptDesignerWindow::RefreshTitle() {
  const QString name = doc_.ReportName().isEmpty() ? QStringLiteral("Nová sestava") : doc_.ReportName();
  setWindowTitle(QStringLiteral("Návrhář sestav – %1%2").arg(name, doc_.Modified() ? QStringLiteral(" *") : QString()));
}


void TRptDesignerWindow::AddFieldToCurrentBand(const QString& field) {
  int band = doc_.CurrentBand();
  if (band < 0)
    for (int b = 0; b < doc_.BandCount() && band < 0; ++b)
      if (doc_.Band(b).Attr(QStringLiteral("Type")) == QLatin1String("MasterData")) band = b;
  if (band < 0) {
    Interaction().ShowInfo(QStringLiteral("Pole lze vložit jen do pásu. Nejprve přidejte pás Data."));
    return;
  }
  // Beside the band's last object, so fields added one by one line up.
  double left = 0;
  for (int i = 0; i < static_cast<int>(doc_.Band(band).children.size()); ++i)
    left = std::max(left, doc_.ObjectRect({band, i}).right());
  if (left + 30 > doc_.PageContentWidth()) left = 0;
  doc_.AddField(band, field, left, 0);
}

QString TRptDesignerWindow::SesFolder() const {
  if (!doc_.FileName().isEmpty()) return QFileInfo(doc_.FileName()).absolutePath();
  if (!host_.IniFile.isEmpty()) return QFileInfo(host_.IniFile).absolutePath() + QStringLiteral("/Ses");
  return QDir::currentPath();
}

QString TRptDesignerWindow::FieldProblem() const {
  if (!host_.DataSet || host_.DataSet->FieldNames().isEmpty()) return {};
  // Images play no part in field references; leaving them out keeps a large embedded
  // picture from being decoded on every change.
  XmlNode root = doc_.Root();
  std::function<void(XmlNode&)> dropImages = [&](XmlNode& n) {
    for (XmlNode& c : n.children) {
      if (c.name == QLatin1String("Image")) c.text.clear();
      else dropImages(c);
    }
  };
  dropImages(root);
  ReportDef def;
  QString why;
  if (!CompileTemplate(root, def, &why) || CheckFieldReferences(def, *host_.DataSet, &why)) return {};
  return why;
}

bool TRptDesignerWindow::Save() {
  if (doc_.FileName().isEmpty()) return SaveAs();
  // Saved all the same when the user wants it: the designer opens such a template again.
  const QString problem = FieldProblem();
  if (!problem.isEmpty() &&
      !Interaction().Ask(QStringLiteral("Sestavu „%1“ nepůjde spustit (%2). Chcete ji přesto uložit?")
                             .arg(QFileInfo(doc_.FileName()).fileName(), problem)))
    return false;
  QString error;
  if (!doc_.SaveTo(doc_.FileName(), &error)) {
    Interaction().ShowError(QStringLiteral("Sestavu „%1“ se nepodařilo uložit: %2.").arg(QFileInfo(doc_.FileName()).fileName(), error));
    return false;
  }
  if (QFileInfo(doc_.FileName()) == QFileInfo(host_.FileName)) savedOver_ = true;
  return true;
}

bool TRptDesignerWindow::SaveAs() {
  const QString folder = !lastFolder_.isEmpty() && QDir(lastFolder_).exists() ? lastFolder_ : SesFolder();
  QDir().mkpath(folder);
  const QString base = doc_.FileName().isEmpty()
                           ? (doc_.ReportName().isEmpty() ? QStringLiteral("Nová sestava") : doc_.ReportName()) + QStringLiteral(".ksr")
                           : QFileInfo(doc_.FileName()).fileName();
  QString path = Interaction().ChooseTemplateFile(folder, base);
  if (path.isEmpty()) return false;
  if (QFileInfo(path).suffix().compare(QLatin1String("ksr"), Qt::CaseInsensitive) != 0) path += QStringLiteral(".ksr");
  if (QFileInfo::exists(path) && QFileInfo(path) != QFileInfo(doc_.FileName()) &&
      !Interaction().Ask(QStringLiteral("Soubor „%1“ již existuje. Chcete jej přepsat?").arg(QFileInfo(path).fileName())))
    return false;
  const QString previous = doc_.FileName();
  doc_.SetFileName(path);
  if (!Save()) {
    doc_.SetFileName(previous);
    return false;
  }
  lastFolder_ = QFileInfo(path).absolutePath();
  SaveSettings();
  return true;
}

XmlNode TRptDesignerWindow::NewFromOptions() const {
  XmlNode root = NewTemplate();
  XmlNode& page = root.children.front();
  const QString margin = DesignerDoc::FormatMm(host_.DefaultMargins);
  for (const char* key : {"LeftMargin", "TopMargin", "RightMargin", "BottomMargin"}) page.SetAttr(QLatin1String(key), margin);
  page.SetAttr(QStringLiteral("PaperSize"), QString::number(host_.DefaultPaperSize));
  if (host_.DefaultLandscape) {
    const QString w = page.Attr(QStringLiteral("Width"));
    page.SetAttr(QStringLiteral("Width"), page.Attr(QStringLiteral("Height")));
    page.SetAttr(QStringLiteral("Height"), w);
    page.SetAttr(QStringLiteral("Orientation"), QStringLiteral("Landscape"));
  }
  return root;
}

void TRptDesignerWindow::NewReport() {
  if (!ConfirmClose()) return;
  const std::optional<XmlNode> made = OfferNewReportWizard(
      NewFromOptions(), host_.DataSet ? host_.DataSet->FieldNames() : QStringList(), host_.DefaultFont, this);
  if (!made) return;  // the wizard was cancelled
  doc_.SetFileName({});
  doc_.LoadUnsaved(*made);
}

void TRptDesignerWindow::Preview() {
  if (!host_.PreviewTemplate) return;
  const QString path = doc_.FileName().isEmpty() ? SesFolder() + QStringLiteral("/Nová sestava.ksr") : doc_.FileName();
  host_.PreviewTemplate(doc_.Bytes(), path);
}

bool TRptDesignerWindow::ConfirmClose() {
  // Esc in the text box closes without the box losing focus first.
  if (text_->document()->isModified()) ApplyText();
  if (!doc_.Modified()) return true;
  const QString name = doc_.ReportName().isEmpty() ? QStringLiteral("Nová sestava") : doc_.ReportName();
  switch (AskYesNoCancel(QStringLiteral("Sestava „%1“ byla změněna. Chcete změny uložit?").arg(name))) {
    case EngineInteraction::Answer::Yes: return Save();
    case EngineInteraction::Answer::No: return true;
    case EngineInteraction::Answer::Cancel: break;
  }
  return false;
}

void TRptDesignerWindow::reject() {
  if (!ConfirmClose()) return;
  SaveSettings();
  QDialog::reject();
}

void TRptDesignerWindow::LoadSettings() {
  double step = 1;
  bool snap = true;
  if (!host_.IniFile.isEmpty()) {
    QSettings ini(host_.IniFile, QSettings::IniFormat);
    ini.beginGroup(QStringLiteral("Navrhar"));
    const QByteArray geometry = ini.value(QStringLiteral("Geometrie")).toByteArray();
    if (geometry.isEmpty() || !restoreGeometry(geometry)) resize(1180, 820);
    step = ini.value(QStringLiteral("KrokMrizky"), 1.0).toDouble();
    snap = ini.value(QStringLiteral("Prichytavat"), true).toBool();
    lastFolder_ = ini.value(QStringLiteral("PosledniSlozka")).toString();
    canvas_->SetZoom(ini.value(QStringLiteral("Zvetseni"), 1.0).toDouble());
  } else {
    resize(1180, 820);
  }
  doc_.SetGridStep(step);
  doc_.SetSnap(snap);
  snapAction_->setChecked(snap);
  for (auto& [s, a] : gridActions_) a->setChecked(std::abs(s - doc_.GridStep()) < 1e-9);
  for (auto& [z, a] : zoomActions_) a->setChecked(std::abs(z - canvas_->Zoom()) < 1e-9);
}

void TRptDesignerWindow::SaveSettings() {
  if (host_.IniFile.isEmpty()) return;
  QSettings ini(host_.IniFile, QSettings::IniFormat);
  ini.beginGroup(QStringLiteral("Navrhar"));
  ini.setValue(QStringLiteral("Geometrie"), saveGeometry());
  ini.setValue(QStringLiteral("KrokMrizky"), doc_.GridStep());
  ini.setValue(QStringLiteral("Prichytavat"), doc_.Snap());
  ini.setValue(QStringLiteral("PosledniSlozka"), lastFolder_);
  ini.setValue(QStringLiteral("Zvetseni"), canvas_->Zoom());
}

}  // namespace rpt
