#include "preview.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QShortcut>
#include <QHBoxLayout>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

#include "interaction.h"

namespace rpt {

namespace {

constexpr std::array<int, 7> kZoomSteps{25, 50, 75, 100, 150, 200, 400};
constexpr int kMarginPx = PreviewPages::kMargin;

// A toolbar button's picture: the desktop theme's icon; else the program's own picture
// where the program carries it in its resources (this library links none); else Qt's.
QIcon ToolIcon(const QWidget* w, const char* theme, const char* resource, QStyle::StandardPixmap fallback) {
  const QIcon themed = QIcon::fromTheme(QString::fromLatin1(theme));
  if (!themed.isNull()) return themed;
  if (resource && QFile::exists(QString::fromLatin1(resource))) return QIcon(QString::fromLatin1(resource));
  return w->style()->standardIcon(fallback);
}

// A sign drawn as a picture, for what neither the theme nor Qt has.
QIcon SignIcon(const QWidget* w, const char* theme, const QString& sign) {
  const QIcon themed = QIcon::fromTheme(QString::fromLatin1(theme));
  if (!themed.isNull()) return themed;
  QPixmap pm(32, 32);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QFont f = w->font();
  f.setPixelSize(26);
  f.setBold(true);
  p.setFont(f);
  p.setPen(w->palette().color(QPalette::ButtonText));
  p.drawText(pm.rect(), Qt::AlignCenter, sign);
  p.end();
  return QIcon(pm);
}

// The text with its letters' diacritics left off, letter for letter, so that a place in
// it is the same place in the text ("žluťoučký" -> "zlutoucky").
QString WithoutDiacritics(const QString& text) {
  QString bare = text;
  for (qsizetype i = 0; i < bare.size(); ++i) {
    const QChar c = bare[i];
    if (c.unicode() < 0x80 || c.isSurrogate()) continue;
    const QString parts = QString(c).normalized(QString::NormalizationForm_D);
    if (parts.size() > 1 && !parts[0].isMark()) bare[i] = parts[0];
  }
  return bare;
}

bool WholeWordAt(const QString& text, qsizetype at, qsizetype length) {
  const auto isWord = [](QChar c) { return c.isLetterOrNumber() || c == u'_'; };
  if (at > 0 && isWord(text[at - 1])) return false;
  if (at + length < text.size() && isWord(text[at + length])) return false;
  return true;
}

}  // namespace

TRptPreview::TRptPreview(PreviewHost host, QWidget* parent)
    : QDialog(parent), host_(std::move(host)), pageDef_(host_.page) {
  setObjectName(QStringLiteral("NahledSestavy"));
  setWindowTitle(QStringLiteral("Náhled sestavy – %1").arg(host_.reportName));
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  renderer_ = std::make_unique<Renderer>(Prepared());

  auto* bar = new QToolBar(this);
  bar->setObjectName(QStringLiteral("NastrojeNahledu"));
  bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  auto add = [&](const QString& name, const QString& text, const QIcon& icon, const QList<QKeySequence>& keys, auto fn) {
    QAction* a = bar->addAction(icon, text);
    a->setObjectName(name);
    a->setShortcuts(keys);
    a->setShortcutContext(Qt::WindowShortcut);
    a->setToolTip(keys.isEmpty() ? text
                                 : QStringLiteral("%1 (%2)").arg(text, keys.front().toString(QKeySequence::NativeText)));
    if (QWidget* button = bar->widgetForAction(a)) button->setAccessibleName(text);
    connect(a, &QAction::triggered, this, fn);
    return a;
  };
  using SP = QStyle::StandardPixmap;
  // The program's printer picture, as on the main window's report command.
  add(QStringLiteral("Akce_Tisk"), QStringLiteral("Tisk"),
      ToolIcon(this, "document-print", ":/icons/sestavy.png", SP::SP_FileIcon),
      {QKeySequence(QStringLiteral("Ctrl+P"))}, [this] { Print(); });
  add(QStringLiteral("Akce_ExportPDF"), QStringLiteral("Export do PDF"),
      ToolIcon(this, "document-save-as", ":/icons/export.png", SP::SP_DialogSaveButton), {}, [this] { ExportPdf(); });
  bar->addSeparator();
  add(QStringLiteral("Akce_Prvni"), QStringLiteral("První stránka"),
      ToolIcon(this, "go-first", ":/icons/prvni.png", SP::SP_MediaSkipBackward), {QKeySequence(Qt::Key_Home)},
      [this] { SetPage(0); });
  add(QStringLiteral("Akce_Predchozi"), QStringLiteral("Předchozí stránka"),
      ToolIcon(this, "go-previous", ":/icons/predchozi.png", SP::SP_ArrowBack), {QKeySequence(Qt::Key_PageUp)},
      [this] { SetPage(page_ - 1); });
  pageField_ = new QLineEdit(this);
  pageField_->setObjectName(QStringLiteral("Ed_Strana"));
  pageField_->setFixedWidth(90);
  pageField_->setAlignment(Qt::AlignCenter);
  pageField_->setToolTip(QStringLiteral("Číslo stránky"));
  pageField_->setAccessibleName(QStringLiteral("Číslo stránky"));
  bar->addWidget(pageField_);
  connect(pageField_, &QLineEdit::returnPressed, this, [this] {
    bool ok = false;
    const int n = pageField_->text().section(u'/', 0, 0).trimmed().toInt(&ok);
    if (ok) SetPage(n - 1);
    pageField_->setText(PageFieldText());
  });
  add(QStringLiteral("Akce_Dalsi"), QStringLiteral("Další stránka"),
      ToolIcon(this, "go-next", ":/icons/nasledujici.png", SP::SP_ArrowForward), {QKeySequence(Qt::Key_PageDown)},
      [this] { SetPage(page_ + 1); });
  add(QStringLiteral("Akce_Posledni"), QStringLiteral("Poslední stránka"),
      ToolIcon(this, "go-last", ":/icons/posledni.png", SP::SP_MediaSkipForward), {QKeySequence(Qt::Key_End)},
      [this] { SetPage(PageCount() - 1); });
  bar->addSeparator();
  columnsBox_ = new QComboBox(this);
  columnsBox_->setObjectName(QStringLiteral("Cb_Rozlozeni"));
  columnsBox_->addItem(QStringLiteral("Jedna stránka"), static_cast<int>(PageColumns::One));
  columnsBox_->addItem(QStringLiteral("Dvě stránky"), static_cast<int>(PageColumns::Two));
  columnsBox_->addItem(QStringLiteral("Více stránek"), static_cast<int>(PageColumns::Many));
  columnsBox_->setToolTip(QStringLiteral("Stránek vedle sebe"));
  columnsBox_->setAccessibleName(QStringLiteral("Stránek vedle sebe"));
  bar->addWidget(columnsBox_);
  connect(columnsBox_, &QComboBox::activated, this,
          [this](int index) { SetColumns(static_cast<PageColumns>(columnsBox_->itemData(index).toInt())); });
  zoomBox_ = new QComboBox(this);
  zoomBox_->setObjectName(QStringLiteral("Cb_Zvetseni"));
  zoomBox_->setToolTip(QStringLiteral("Zvětšení"));
  zoomBox_->setAccessibleName(QStringLiteral("Zvětšení"));
  for (int z : kZoomSteps) zoomBox_->addItem(QStringLiteral("%1 %").arg(z), z);
  zoomBox_->addItem(QStringLiteral("Celá stránka"), -1);
  zoomBox_->addItem(QStringLiteral("Šířka stránky"), -2);
  bar->addWidget(zoomBox_);
  connect(zoomBox_, &QComboBox::activated, this, [this](int index) {
    const int v = zoomBox_->itemData(index).toInt();
    if (v == -1) SetZoom(ZoomMode::WholePage);
    else if (v == -2) SetZoom(ZoomMode::PageWidth);
    else SetZoom(ZoomMode::Factor, v / 100.0);
  });
  add(QStringLiteral("Akce_Zvetsit"), QStringLiteral("Zvětšit"), SignIcon(this, "zoom-in", QStringLiteral("+")),
      {QKeySequence(QStringLiteral("Ctrl++")), QKeySequence(QStringLiteral("Ctrl+="))}, [this] { ZoomStep(1); });
  add(QStringLiteral("Akce_Zmensit"), QStringLiteral("Zmenšit"), SignIcon(this, "zoom-out", QStringLiteral("−")),
      {QKeySequence(QStringLiteral("Ctrl+-"))}, [this] { ZoomStep(-1); });
  auto* findBar = new QToolBar(this);
  findBar->setObjectName(QStringLiteral("HledaniNahledu"));
  findBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  findField_ = new QLineEdit(this);
  findField_->setObjectName(QStringLiteral("Ed_Hledat"));
  findField_->setPlaceholderText(QStringLiteral("Hledat text"));
  findField_->setFixedWidth(220);
  findField_->setToolTip(QStringLiteral("Hledaný text"));
  findField_->setAccessibleName(QStringLiteral("Hledaný text"));
  findBar->addWidget(findField_);
  connect(findField_, &QLineEdit::returnPressed, this, [this] { Find(findField_->text(), true); });
  QToolBar* target = bar;
  bar = findBar;
  add(QStringLiteral("Akce_Hledat"), QStringLiteral("Hledat"),
      ToolIcon(this, "edit-find", ":/icons/hledat.png", SP::SP_FileDialogContentsView),
      {QKeySequence(QStringLiteral("Ctrl+F"))}, [this] {
        findField_->setFocus();
        findField_->selectAll();
      });
  add(QStringLiteral("Akce_HledatDalsi"), QStringLiteral("Najít další"),
      ToolIcon(this, "go-down", ":/icons/hledat_dalsi.png", SP::SP_MediaSeekForward), {QKeySequence(Qt::Key_F3)},
      [this] { Find(findField_->text(), true); });
  add(QStringLiteral("Akce_HledatPredchozi"), QStringLiteral("Najít předchozí"),
      ToolIcon(this, "go-up", nullptr, SP::SP_MediaSeekBackward), {QKeySequence(QStringLiteral("Shift+F3"))},
      [this] { Find(findField_->text(), false); });
  wholeWords_ = new QCheckBox(QStringLiteral("Celá slova"), this);
  wholeWords_->setObjectName(QStringLiteral("ChB_CelaSlova"));
  bar->addWidget(wholeWords_);
  bare_ = new QCheckBox(QStringLiteral("Bez diakritiky"), this);
  bare_->setObjectName(QStringLiteral("ChB_BezDiakritiky"));
  bare_->setToolTip(QStringLiteral("Písmena s háčky a čárkami najde i text psaný bez nich"));
  bar->addWidget(bare_);
  bar = target;
  bar->addSeparator();
  add(QStringLiteral("Akce_VzhledStranky"), QStringLiteral("Vzhled stránky"),
      ToolIcon(this, "document-page-setup", ":/icons/konfigurace.png", SP::SP_FileDialogInfoView), {}, [this] { PageSetup(); });
  thumbsAction_ = add(QStringLiteral("Akce_Miniatury"), QStringLiteral("Miniatury stránek"),
                      ToolIcon(this, "view-list-icons", nullptr, SP::SP_FileDialogListView), {},
                      [this](bool on) { SetThumbnailsVisible(on); });
  thumbsAction_->setCheckable(true);
  add(QStringLiteral("Akce_Zavrit"), QStringLiteral("Zavřít"),
      ToolIcon(this, "window-close", nullptr, SP::SP_DialogCloseButton), {}, [this] { reject(); });

  thumbs_ = new QListWidget(this);
  thumbs_->setObjectName(QStringLiteral("Miniatury"));
  thumbs_->setViewMode(QListView::IconMode);
  thumbs_->setFlow(QListView::TopToBottom);
  thumbs_->setWrapping(false);
  thumbs_->setMovement(QListView::Static);
  thumbs_->setIconSize(QSize(90, 128));
  thumbs_->setFixedWidth(130);
  thumbs_->setUniformItemSizes(true);
  connect(thumbs_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0 && row != page_) SetPage(row);
  });
  connect(thumbs_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { UpdateThumbnails(); });

  scroll_ = new QScrollArea(this);
  scroll_->setObjectName(QStringLiteral("Plocha"));
  scroll_->setBackgroundRole(QPalette::Dark);
  scroll_->viewport()->setBackgroundRole(QPalette::Dark);
  scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  view_ = new PreviewPages(scroll_, [this]() -> const PreparedReport& { return Prepared(); });
  view_->SetRenderer(renderer_.get());
  view_->SetHits(&hits_, hit_);
  view_->ZoomStep = [this](int direction) { ZoomStep(direction); };
  scroll_->setWidget(view_);
  connect(scroll_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { FollowScroll(); });

  auto* pages = new QHBoxLayout;
  pages->setSpacing(0);
  pages->addWidget(thumbs_);
  pages->addWidget(scroll_, 1);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("La_Stav"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 4);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(findBar);
  layout->addLayout(pages, 1);
  layout->addWidget(status_);

  resize(1000, 760);
  mode_ = ZoomMode::Factor;
  zoom_ = host_.zoom > 0 ? host_.zoom : 1.0;
  LoadSettings();
  RebuildThumbnails();
  Refresh();
  UpdateZoom();
}

TRptPreview::~TRptPreview() = default;

int TRptPreview::PageCount() const { return static_cast<int>(Prepared().pages.size()); }

QWidget* TRptPreview::PageView() const { return view_; }

QString TRptPreview::PageFieldText() const { return QStringLiteral("%1 / %2").arg(page_ + 1).arg(PageCount()); }

QString TRptPreview::StatusText() const { return status_->text(); }

QRect TRptPreview::PageRect(int page) const { return view_->PageRect(page); }

void TRptPreview::SetPage(int page) {
  page_ = std::clamp(page, 0, std::max(0, PageCount() - 1));
  Refresh();
  ShowPage();
}

void TRptPreview::ShowPage() {
  const QRect paper = view_->PageRect(page_);
  if (paper.isNull()) return;
  placing_ = true;
  scroll_->verticalScrollBar()->setValue(paper.top() - kMarginPx);
  placing_ = false;
}

// The page field and the thumbnails follow the page that fills the view most.
void TRptPreview::FollowScroll() {
  if (placing_) return;
  const int shown = view_->PageInView(scroll_->verticalScrollBar()->value(), scroll_->viewport()->height());
  if (shown < 0 || view_->RowStart(shown) == view_->RowStart(page_)) return;
  page_ = shown;
  pageField_->setText(PageFieldText());
  if (thumbs_->currentRow() != page_ && page_ < thumbs_->count()) thumbs_->setCurrentRow(page_);
}

void TRptPreview::SetColumns(PageColumns columns) {
  columns_ = columns;
  const int index = columnsBox_->findData(static_cast<int>(columns));
  if (index >= 0) columnsBox_->setCurrentIndex(index);
  UpdateZoom();
}

void TRptPreview::SetZoom(ZoomMode mode, double factor) {
  mode_ = mode;
  if (mode == ZoomMode::Factor) zoom_ = std::clamp(factor, 0.25, 4.0);
  UpdateZoom();
}

void TRptPreview::ZoomStep(int direction) {
  const int current = static_cast<int>(zoom_ * 100 + 0.5);
  int next = current;
  if (direction > 0) {
    for (int z : kZoomSteps)
      if (z > current) { next = z; break; }
  } else {
    for (auto it = kZoomSteps.rbegin(); it != kZoomSteps.rend(); ++it)
      if (*it < current) { next = *it; break; }
  }
  SetZoom(ZoomMode::Factor, next / 100.0);
}

void TRptPreview::UpdateZoom() {
  const int room = scroll_->viewport()->width();
  if (PageCount() > 0 && mode_ != ZoomMode::Factor) {
    // Two pages side by side share the width; as many as fit take one page's.
    const PreparedPage& pg = Prepared().pages[static_cast<size_t>(page_)];
    const int across = columns_ == PageColumns::Two ? 2 : 1;
    const double perMm = logicalDpiX() / 25.4;
    const double byWidth = (room - (across + 1) * kMarginPx - 4) / (across * pg.width * perMm);
    const double byHeight = (scroll_->viewport()->height() - 2 * kMarginPx - 4) / (pg.height * perMm);
    zoom_ = std::clamp(mode_ == ZoomMode::WholePage ? std::min(byWidth, byHeight) : byWidth, 0.1, 4.0);
  }
  if (PageCount() > 0) {
    // The page in view stays in view, at the same place on it.
    const QRect before = view_->PageRect(page_);
    const int scrolled = scroll_->verticalScrollBar()->value();
    const double into =
        before.height() > 0 ? std::clamp((scrolled + kMarginPx - before.top()) / static_cast<double>(before.height()), 0.0, 1.0)
                            : 0.0;
    view_->Lay(zoom_ * logicalDpiX() / 25.4, columns_, room);
    const QRect after = view_->PageRect(page_);
    placing_ = true;
    scroll_->verticalScrollBar()->setValue(after.top() - kMarginPx + static_cast<int>(into * after.height()));
    placing_ = false;
  }
  const int data = mode_ == ZoomMode::WholePage ? -1 : mode_ == ZoomMode::PageWidth ? -2 : static_cast<int>(zoom_ * 100 + 0.5);
  const int index = zoomBox_->findData(data);
  if (index >= 0) {
    zoomBox_->setCurrentIndex(index);
  } else {
    zoomBox_->setEditText(QStringLiteral("%1 %").arg(data));
  }
  view_->update();
}

void TRptPreview::Refresh() {
  pageField_->setText(PageFieldText());
  if (thumbs_->currentRow() != page_ && page_ < thumbs_->count()) thumbs_->setCurrentRow(page_);
}

void TRptPreview::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  UpdateZoom();
  ShowPage();
  UpdateThumbnails();
}

void TRptPreview::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (mode_ != ZoomMode::Factor || columns_ == PageColumns::Many) UpdateZoom();
  UpdateThumbnails();
}

void TRptPreview::RebuildThumbnails() {
  thumbs_->clear();
  for (int i = 0; i < PageCount(); ++i) {
    auto* item = new QListWidgetItem(QString::number(i + 1), thumbs_);
    item->setSizeHint(QSize(110, 150));
  }
  UpdateThumbnails();
}

void TRptPreview::UpdateThumbnails() {
  if (!thumbs_->isVisible() || thumbs_->count() == 0) return;
  // Only the thumbnails in sight are painted, once.
  const QModelIndex top = thumbs_->indexAt(QPoint(10, 10));
  const int first = top.isValid() ? top.row() : 0;
  for (int row = first; row < std::min(thumbs_->count(), first + 8); ++row) {
    QListWidgetItem* item = thumbs_->item(row);
    if (!item->icon().isNull()) continue;
    const PreparedPage& pg = Prepared().pages[static_cast<size_t>(row)];
    const double pxPerMm = 128.0 / std::max(pg.width, pg.height);
    QImage img(static_cast<int>(pg.width * pxPerMm), static_cast<int>(pg.height * pxPerMm), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    renderer_->Paint(p, static_cast<size_t>(row), pxPerMm);
    p.setPen(Qt::gray);
    p.drawRect(img.rect().adjusted(0, 0, -1, -1));
    p.end();
    item->setIcon(QIcon(QPixmap::fromImage(img)));
  }
}

bool TRptPreview::ThumbnailsVisible() const { return !thumbs_->isHidden(); }

void TRptPreview::SetThumbnailsVisible(bool visible) {
  thumbs_->setVisible(visible);
  thumbsAction_->setChecked(visible);
  UpdateThumbnails();
  if (mode_ != ZoomMode::Factor || columns_ == PageColumns::Many) UpdateZoom();
}

void TRptPreview::SearchAll(const QString& text) {
  hits_.clear();
  hit_ = -1;
  searched_ = text;
  searchedWhole_ = wholeWords_->isChecked();
  searchedBare_ = bare_->isChecked();
  view_->SetHits(&hits_, hit_);
  if (text.isEmpty()) return;
  const QString wanted = searchedBare_ ? WithoutDiacritics(text) : text;
  const PreparedReport& r = Prepared();
  for (size_t p = 0; p < r.pages.size(); ++p) {
    const auto& items = r.pages[p].items;
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].kind != ItemKind::Text) continue;
      // Without diacritics the text keeps its length, so the places found are its own.
      const QString t = searchedBare_ ? WithoutDiacritics(items[i].text) : items[i].text;
      for (qsizetype at = t.indexOf(wanted, 0, Qt::CaseInsensitive); at >= 0;
           at = t.indexOf(wanted, at + 1, Qt::CaseInsensitive)) {
        if (searchedWhole_ && !WholeWordAt(t, at, text.size())) continue;
        hits_.push_back(TextHit{p, i, static_cast<int>(at), static_cast<int>(text.size())});
      }
    }
  }
}

bool TRptPreview::Find(const QString& text, bool forward) {
  if (text != searched_ || wholeWords_->isChecked() != searchedWhole_ || bare_->isChecked() != searchedBare_)
    SearchAll(text);
  if (findField_->text() != text) findField_->setText(text);
  if (hits_.empty()) {
    status_->setText(text.isEmpty() ? QString() : QStringLiteral("Text „%1“ nebyl nalezen.").arg(text));
    view_->SetHits(&hits_, hit_);
    return false;
  }
  const int n = static_cast<int>(hits_.size());
  if (hit_ < 0) {
    // From the page in view onwards.
    hit_ = 0;
    for (int i = 0; i < n; ++i)
      if (static_cast<int>(hits_[static_cast<size_t>(i)].page) >= page_) { hit_ = i; break; }
    if (!forward) hit_ = (hit_ + n - 1) % n;
  } else {
    hit_ = (hit_ + (forward ? 1 : n - 1)) % n;
  }
  const TextHit& h = hits_[static_cast<size_t>(hit_)];
  page_ = static_cast<int>(h.page);
  Refresh();
  status_->setText(QStringLiteral("Výskyt %1 z %2").arg(hit_ + 1).arg(n));
  const QRectF box = renderer_->HitRect(h);
  const double pxPerMm = zoom_ * logicalDpiX() / 25.4;
  const QRect paper = view_->PageRect(page_);
  placing_ = true;
  scroll_->ensureVisible(paper.left() + static_cast<int>(box.center().x() * pxPerMm),
                         paper.top() + static_cast<int>(box.center().y() * pxPerMm), 50, 80);
  placing_ = false;
  view_->SetHits(&hits_, hit_);
  return true;
}

void TRptPreview::ExportPdf() {
  if (!host_.ExportPdf) return;
  QString name = host_.reportName;
  static const QRegularExpression bad(QStringLiteral(R"re([\\/:*?"<>|])re"));
  name.replace(bad, QStringLiteral("_"));
  const QString path = Interaction().ChoosePdfFile(QDir::home().filePath(name + QStringLiteral(".pdf")));
  if (path.isEmpty()) return;
  host_.ExportPdf(path);
}

void TRptPreview::Print() {
  if (!host_.Print) return;
  CurrentPrintPage inView(PageCount() > 0 ? page_ + 1 : 0);
  host_.Print();
}

void TRptPreview::done(int result) {
  SaveSettings();
  QDialog::done(result);
}

}  // namespace rpt
