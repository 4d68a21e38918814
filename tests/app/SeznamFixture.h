// A program folder with a catalogue of chosen films, the main window over it, and the
// scripted seam and dialogs: the fixture of the search, sort, filter and configuration
// tests.
#pragma once

#include "ProgramovaSlozkaFixture.h"
#include <Hlavni_f.h>
#include <Katalog.h>
#include <TextCodec.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ScriptedDialogs.h"
#include "ScriptedSeam.h"
#include "TestSupport.h"

namespace kalmetra::test {

// One film: the fields Titul, Rok, Stopaz, Zanr, Rezie; Id is its place in the list, from 1.
struct Film {
  QString titul, rok, stopaz, zanr, rezie;
};

class SeznamFixture : public ProgramovaSlozkaFixture {
 protected:

  QString Ini() const { return dir_ + QStringLiteral("Kalmetra.ini"); }
  QString Db() const { return dir_ + QStringLiteral("Kalmetra.sqlite"); }
  QString Knihovna() const { return dir_ + QStringLiteral(KALMETRA_SQLITE_LIBNAME); }

  // A second connection to the catalogue, as another program would have.
  std::unique_ptr<orvek3::TOrvek3Database> Pripojit() const {
    auto db = std::make_unique<orvek3::TOrvek3Database>();
    db->SetDriver(Knihovna().toStdString());
    db->SetDatabaseFile(Db().toStdString());
    db->Connect();
    return db;
  }

  void Katalog(const std::vector<Film>& filmy) {
    ASSERT_TRUE(VytvoritDatabazi(Db()));
    auto db = Pripojit();
    db->ExecSQL("BEGIN");
    orvek3::TParams p;
    for (const char* name : {"Id", "Titul", "Rok", "Stopaz", "Zanr", "Rezie"}) p.Add(name);
    for (size_t i = 0; i < filmy.size(); ++i) {
      const Film& f = filmy[i];
      p[0].SetAsLargeInt(static_cast<int64_t>(i + 1));
      const QString texts[] = {f.titul, f.rok, f.stopaz, f.zanr, f.rezie};
      for (int k = 0; k < 5; ++k) p[k + 1].SetAsString(ToAnsi(texts[k]));
      db->ExecSQL("INSERT INTO Tabulka (Id, Titul, Rok, Stopaz, Zanr, Rezie) "
                  "VALUES (:Id, :Titul, :Rok, :Stopaz, :Zanr, :Rezie)", &p);
    }
    db->ExecSQL("COMMIT");
    db->Disconnect();
  }

  // Rows of the catalogue file, counted by another connection.
  int RadkuVSouboru() const {
    auto db = Pripojit();
    orvek3::TOrvek3Query q(db.get());
    q.SetSQL("SELECT COUNT(*) FROM Tabulka");
    q.OpenSQL();
    const int n = static_cast<int>(q.Field(0).AsLargeInt());
    q.Close();
    return n;
  }

  std::unique_ptr<THlavni> Start() { return std::make_unique<THlavni>(dir_); }

  // One field of every row of the list, in list order, read from the record set's cache.
  static QStringList Sloupec(const THlavni& h, const char* pole) {
    QStringList values;
    const int field = h.DataSet1.FieldByName(pole).Index();
    for (int r = 0; r < h.DataSet1.CachedRowCount(); ++r) values << FromAnsi(h.DataSet1.CachedText(r, field));
    return values;
  }

  // The user picks an entry of a drop-down list.
  static void Vybrat(QComboBox* box, const QString& text) {
    ASSERT_NE(box, nullptr);
    const int i = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    ASSERT_GE(i, 0) << text.toStdString();
    box->setCurrentIndex(i);
    emit box->activated(i);
  }

};

}  // namespace kalmetra::test
