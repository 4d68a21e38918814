// The grid's model over the catalogue record set: cells come straight from the record
// set's row cache (O(1) a cell, the cursor never moves); the row indicator marks the
// current record. It is also the data source: it passes the record set's notifications
// on to the grid and fires the data-change event.
#pragma once

#include <QAbstractTableModel>
#include <QString>

#include <functional>
#include <vector>

#include "sql3_defs.h"

namespace kalmetra {

class TModelMrizky : public QAbstractTableModel, public orvek3::TRecordSetView {
  Q_OBJECT

 public:
  explicit TModelMrizky(orvek3::TOrvek3Command& dataSet, QObject* parent = nullptr);
  ~TModelMrizky() override;

  struct Sloupec {
    int pole;        // field index in the record set
    QString titulek;
  };
  void NastavitSloupce(std::vector<Sloupec> sloupce);
  const std::vector<Sloupec>& Sloupce() const { return sloupce_; }
  std::vector<int> PoleSloupcu() const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The row of the current record, -1 when there is none.
  int AktualniRadek() const { return aktualni_; }

  // Fired on field, record and data-set changes and on scrolls.
  std::function<void()> ZmenaDat;
  // Fired when the current row changed, so the view can follow it.
  std::function<void(int row)> ZmenaRadku;

  void DataEvent(orvek3::TRecordSet& sender, orvek3::TDataEvent event, orvek3::TRecField* field) override;

 private:
  int PocetRadku() const;
  void AktualizovatRadek();

  orvek3::TOrvek3Command& dataSet_;
  std::vector<Sloupec> sloupce_;
  int radku_ = 0;
  int aktualni_ = -1;
};

}  // namespace kalmetra
