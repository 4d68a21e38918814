#include "designer_tree.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>

#include "designer_canvas.h"

namespace rpt {

StructureTree::StructureTree(DesignerDoc& doc, QWidget* parent) : QTreeWidget(parent), doc_(doc) {
  setObjectName(QStringLiteral("StromSestavy"));
  setHeaderHidden(true);
  setColumnCount(1);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  connect(&doc_, &DesignerDoc::Changed, this, &StructureTree::Rebuild);
  connect(&doc_, &DesignerDoc::SelectionChanged, this, &StructureTree::ShowSelection);
  connect(this, &QTreeWidget::itemSelectionChanged, this, &StructureTree::Picked);
  Rebuild();
}

QTreeWidgetItem* StructureTree::ItemOf(ObjRef ref) const {
  if (ref.band < 0 || ref.band >= topLevelItemCount()) return nullptr;
  QTreeWidgetItem* band = topLevelItem(ref.band);
  if (ref.index < 0) return band;
  return ref.index < band->childCount() ? band->child(ref.index) : nullptr;
}

void StructureTree::Rebuild() {
  // Most changes move or resize and leave the rows as they are; only a change of the rows
  // rebuilds them, whole, since it may add, remove or reorder bands and objects anywhere.
  std::vector<QStringList> rows;
  for (int b = 0; b < doc_.BandCount(); ++b) {
    const XmlNode& band = doc_.Band(b);
    QStringList texts{QStringLiteral("%1: %2").arg(BandLabel(band.Attr(QStringLiteral("Type"))), band.Attr(QStringLiteral("Name")))};
    for (const XmlNode& n : band.children) texts << n.Attr(QStringLiteral("Name"), n.name);
    rows.push_back(std::move(texts));
  }
  if (rows != rows_) {
    syncing_ = true;
    clear();
    for (int b = 0; b < static_cast<int>(rows.size()); ++b) {
      auto* item = new QTreeWidgetItem(this);
      item->setText(0, rows[b].front());
      item->setData(0, kBandRole, b);
      item->setData(0, kIndexRole, -1);
      for (int i = 1; i < rows[b].size(); ++i) {
        auto* child = new QTreeWidgetItem(item);
        child->setText(0, rows[b][i]);
        child->setData(0, kBandRole, b);
        child->setData(0, kIndexRole, i - 1);
      }
    }
    expandAll();
    rows_ = std::move(rows);
    syncing_ = false;
  }
  ShowSelection();
}

void StructureTree::ShowSelection() {
  if (syncing_) return;
  syncing_ = true;
  clearSelection();
  QTreeWidgetItem* current = nullptr;
  for (const ObjRef& r : doc_.Selection())
    if (QTreeWidgetItem* item = ItemOf(r)) {
      item->setSelected(true);
      if (!current) current = item;
    }
  if (!current && doc_.CurrentBand() >= 0) {
    current = ItemOf({doc_.CurrentBand(), -1});
    if (current) current->setSelected(true);
  }
  if (current) {
    setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    scrollToItem(current);
  }
  syncing_ = false;
}

void StructureTree::Picked() {
  if (syncing_) return;
  syncing_ = true;
  std::vector<ObjRef> refs;
  int band = -1;
  for (QTreeWidgetItem* item : selectedItems()) {
    const int b = item->data(0, kBandRole).toInt(), i = item->data(0, kIndexRole).toInt();
    if (i >= 0) refs.push_back({b, i});
    else if (band < 0) band = b;
  }
  if (!refs.empty()) doc_.Select(refs);
  else {
    doc_.Select({});
    doc_.SetCurrentBand(band);
  }
  syncing_ = false;
}

void StructureTree::contextMenuEvent(QContextMenuEvent* event) {
  // The row under the mouse is the one the menu is about.
  QTreeWidgetItem* item = itemAt(event->pos());  // the viewport's coordinates
  if (item && !item->isSelected()) setCurrentItem(item);
  if (MenuRequested) MenuRequested(event->globalPos());
}

QMenu* ShowObjectMenu(QWidget* parent, DesignerDoc& doc, QPoint global, int pasteBand, std::function<void()> properties) {
  auto* menu = new QMenu(parent);
  menu->setObjectName(QStringLiteral("KontextovaNabidka"));
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const bool any = !doc.Selection().empty();
  auto add = [&](const QString& text, bool enabled, std::function<void()> fn) {
    QAction* a = menu->addAction(text);
    a->setEnabled(enabled);
    QObject::connect(a, &QAction::triggered, menu, std::move(fn));
  };
  DesignerDoc* d = &doc;
  add(QStringLiteral("Vyjmout"), any, [d] { d->Cut(); });
  add(QStringLiteral("Kopírovat"), any, [d] { d->Copy(); });
  add(QStringLiteral("Vložit"), doc.CanPaste() && pasteBand >= 0, [d, pasteBand] { d->Paste(pasteBand); });
  add(QStringLiteral("Smazat"), any, [d] { d->DeleteSelection(); });
  menu->addSeparator();
  add(QStringLiteral("Do popředí"), any, [d] { d->BringSelectionToFront(); });
  add(QStringLiteral("Do pozadí"), any, [d] { d->SendSelectionToBack(); });
  menu->addSeparator();
  add(QStringLiteral("Vlastnosti"), true, std::move(properties));
  menu->popup(global);
  return menu;
}

}  // namespace rpt
