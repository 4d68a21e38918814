// The structure of the template as a tree (bands and their objects) kept in step with the
// document's selection, and the context menu that the tree and the canvas share.
#pragma once

#include <QTreeWidget>

#include <functional>
#include <vector>

#include "designer_doc.h"

class QMenu;

namespace rpt {

class StructureTree : public QTreeWidget {
  Q_OBJECT

 public:
  static constexpr int kBandRole = Qt::UserRole + 1;
  static constexpr int kIndexRole = Qt::UserRole + 2;  // -1 on a band's row
  explicit StructureTree(DesignerDoc& doc, QWidget* parent = nullptr);
  // The row of an object, or of a band with index -1; null when there is none.
  QTreeWidgetItem* ItemOf(ObjRef ref) const;

  // Asks for the context menu at a point on the screen.
  std::function<void(QPoint global)> MenuRequested;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void Rebuild();
  void ShowSelection();
  void Picked();

  DesignerDoc& doc_;
  std::vector<QStringList> rows_;  // the texts shown, band by band: the band, then its objects
  bool syncing_ = false;
};

// The context menu of the selection: cut, copy, paste (into pasteBand), delete, front,
// back and the properties. It opens without blocking and deletes itself when closed.
QMenu* ShowObjectMenu(QWidget* parent, DesignerDoc& doc, QPoint global, int pasteBand, std::function<void()> properties);

}  // namespace rpt
