// A fresh program folder with the SQLite library and, on request, a catalogue of films
// with every field filled; shared by the tests of the record commands and the editor.
#pragma once

#include "ProgramovaSlozkaFixture.h"
#include <Hlavni_f.h>
#include <Katalog.h>
#include <TextCodec.h>
#include <sql3_defs.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kalmetra::test {

class KatalogFixture : public ProgramovaSlozkaFixture {
 protected:

  QString Lib() const { return dir_ + QStringLiteral(KALMETRA_SQLITE_LIBNAME); }
  QString Db() const { return dir_ + QStringLiteral("Kalmetra.sqlite"); }
  QString Ini() const { return dir_ + QStringLiteral("Kalmetra.ini"); }
  QString Zanry() const { return dir_ + QStringLiteral("Zanr.txt"); }

  std::unique_ptr<THlavni> Start() { return std::make_unique<THlavni>(dir_); }

  // A second connection to the catalogue file, independent of the main window's.
  std::unique_ptr<orvek3::TOrvek3Database> Connect() {
    auto db = std::make_unique<orvek3::TOrvek3Database>();
    db->SetDriver(Lib().toStdString());
    db->SetDatabaseFile(Db().toStdString());
    db->Connect();
    return db;
  }

  // Films 1..n: film i has a Czech title ending in i, the year 1950 + i, the running
  // time 90 + i, every further field "<field name> i" and no location.
  void MakeCatalogue(int n) {
    ASSERT_TRUE(VytvoritDatabazi(Db()));
    auto db = Connect();
    db->ExecSQL("BEGIN");
    orvek3::TParams p;
    for (int f = 0; f < kPocetPoli; ++f) p.Add(kPoleKatalogu[static_cast<size_t>(f)].nazev);
    for (int i = 1; i <= n; ++i) {
      p[0].SetAsLargeInt(i);
      p[1].SetAsString(ToAnsi(QStringLiteral("Žluťoučký film %1").arg(i)));
      p[2].SetAsString(std::to_string(1950 + i));
      p[3].SetAsString(std::to_string(90 + i));
      for (int f = 4; f < kPocetPoli - 1; ++f)
        p[f].SetAsString(std::string(kPoleKatalogu[static_cast<size_t>(f)].nazev) + " " + std::to_string(i));
      p[kPocetPoli - 1].SetAsString("");
      db->ExecSQL(
          "INSERT INTO Tabulka (Id, Titul, Rok, Stopaz, Zanr, Puvod, Rezie, Obsazeni, Koment, Umisteni) VALUES "
          "(:Id, :Titul, :Rok, :Stopaz, :Zanr, :Puvod, :Rezie, :Obsazeni, :Koment, :Umisteni)",
          &p);
    }
    db->ExecSQL("COMMIT");
    db->Disconnect();
  }

  // The rows of the catalogue file as stored: Id, then the nine texts as raw bytes.
  std::vector<std::vector<std::string>> Rows() {
    std::vector<std::vector<std::string>> rows;
    auto db = Connect();
    orvek3::TOrvek3Query q;
    q.SetDatabase(db.get());
    q.SetSQL("SELECT * FROM Tabulka ORDER BY Id");
    q.OpenSQL();
    for (q.First(); !q.Eof(); q.Next()) {
      std::vector<std::string> row;
      for (int f = 0; f < q.FieldCount(); ++f) row.push_back(q.Field(f).AsString());
      rows.push_back(std::move(row));
    }
    q.Close();
    db->Disconnect();
    return rows;
  }

};

}  // namespace kalmetra::test
