#include "ModelMrizky.h"

#include "TextCodec.h"

namespace kalmetra {

using orvek3::TDataEvent;

TModelMrizky::TModelMrizky(orvek3::TOrvek3Command& dataSet, QObject* parent)
    : QAbstractTableModel(parent), dataSet_(dataSet) {
  dataSet_.AddView(this);
}

TModelMrizky::~TModelMrizky() { dataSet_.RemoveView(this); }

int TModelMrizky::PocetRadku() const { return dataSet_.Active() ? dataSet_.CachedRowCount() : 0; }

void TModelMrizky::NastavitSloupce(std::vector<Sloupec> sloupce) {
  beginResetModel();
  sloupce_ = std::move(sloupce);
  radku_ = PocetRadku();
  aktualni_ = dataSet_.Active() ? dataSet_.ActiveRowIndex() : -1;
  endResetModel();
}

std::vector<int> TModelMrizky::PoleSloupcu() const {
  std::vector<int> pole;
  for (const auto& s : sloupce_) pole.push_back(s.pole);
  return pole;
}

int TModelMrizky::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : radku_; }

int TModelMrizky::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(sloupce_.size());
}

QVariant TModelMrizky::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || role != Qt::DisplayRole) return {};
  const size_t c = static_cast<size_t>(index.column());
  if (c >= sloupce_.size() || index.row() >= dataSet_.CachedRowCount()) return {};
  return QString::fromStdU16String(dataSet_.CachedUnicode(index.row(), sloupce_[c].pole));
}

QVariant TModelMrizky::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) {
    if (section < 0 || static_cast<size_t>(section) >= sloupce_.size()) return {};
    return sloupce_[static_cast<size_t>(section)].titulek;
  }
  // The row indicator: a mark on the current record only.
  return section == aktualni_ ? QStringLiteral("\u25B6") : QString();
}

Qt::ItemFlags TModelMrizky::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;  // read-only
}

void TModelMrizky::AktualizovatRadek() {
  const int novy = dataSet_.Active() ? dataSet_.ActiveRowIndex() : -1;
  if (novy == aktualni_) return;
  const int stary = aktualni_;
  aktualni_ = novy;
  if (stary >= 0 && stary < radku_) emit headerDataChanged(Qt::Vertical, stary, stary);
  if (novy >= 0 && novy < radku_) emit headerDataChanged(Qt::Vertical, novy, novy);
  if (ZmenaRadku) ZmenaRadku(novy);
}

void TModelMrizky::DataEvent(orvek3::TRecordSet&, TDataEvent event, orvek3::TRecField*) {
  switch (event) {
    case TDataEvent::deDataSetChange:
    case TDataEvent::deUpdateState: {
      const int pocet = PocetRadku();
      if (pocet != radku_) {
        beginResetModel();
        radku_ = pocet;
        aktualni_ = dataSet_.Active() ? dataSet_.ActiveRowIndex() : -1;
        endResetModel();
        if (ZmenaRadku) ZmenaRadku(aktualni_);
      } else {
        if (radku_ > 0 && !sloupce_.empty())
          emit dataChanged(index(0, 0), index(radku_ - 1, static_cast<int>(sloupce_.size()) - 1));
        AktualizovatRadek();
      }
      break;
    }
    case TDataEvent::deDataSetScroll:
      AktualizovatRadek();
      break;
    case TDataEvent::deFieldChange:
    case TDataEvent::deRecordChange: {
      const int r = dataSet_.ActiveRowIndex();
      if (r >= 0 && r < radku_ && !sloupce_.empty())
        emit dataChanged(index(r, 0), index(r, static_cast<int>(sloupce_.size()) - 1));
      break;
    }
    default:
      break;
  }
  // The data source fires its data-change event for the first four notifications.
  // It fires it also when the record set opens or closes, so the counter never lags.
  if ((event == TDataEvent::deFieldChange || event == TDataEvent::deRecordChange ||
       event == TDataEvent::deDataSetChange || event == TDataEvent::deDataSetScroll ||
       event == TDataEvent::deUpdateState) &&
      ZmenaDat)
    ZmenaDat();
}

}  // namespace kalmetra
