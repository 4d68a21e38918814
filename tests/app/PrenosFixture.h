// A program folder with a small catalogue and the main window started in it, for the
// export and import tests.
#pragma once

#include "ProgramovaSlozkaFixture.h"
#include <Hlavni_f.h>
#include <Katalog.h>
#include <TextCodec.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kalmetra::test {

// One film: Id (empty optional: let the database number it) and the nine texts in
// table order, written as Unicode; a null text is left out of the INSERT.
struct TestFilm {
  std::optional<int64_t> id;
  std::array<std::optional<QString>, 9> texty;
};

inline QByteArray ReadBytes(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return f.readAll();
}

inline QByteArray Ansi(const QString& text) { return QByteArray::fromStdString(ToAnsi(text)); }

class PrenosTest : public ProgramovaSlozkaFixture {
 protected:

  QString Db() const { return dir_ + QStringLiteral("Kalmetra.sqlite"); }

  // Three films with Czech letters, a ";", an "&", a "<" and a ">", and fields never set.
  static std::vector<TestFilm> TriFilmy() {
    return {
        {1,
         {QStringLiteral("Pelíšky"), QStringLiteral("1999"), QStringLiteral("115"), QStringLiteral("komedie"),
          QStringLiteral("Česko"), QStringLiteral("Jan Hřebejk"), QStringLiteral("Miroslav Donutil, Jiří Kodet"),
          QString(), QStringLiteral("/filmy/Pelíšky.mkv")}},
        {2,
         {QStringLiteral("Tom & Jerry; <výběr>"), QStringLiteral("1940"), std::nullopt, QStringLiteral("animovaný"),
          QStringLiteral("USA"), std::nullopt, std::nullopt, QStringLiteral("\"kočka\" > myš"), std::nullopt}},
        {7,
         {QStringLiteral("Kolja"), QStringLiteral("1996"), QStringLiteral("105"), QStringLiteral("drama"),
          QStringLiteral("Česko"), QStringLiteral("Jan Svěrák"), QStringLiteral("Zdeněk Svěrák"),
          QStringLiteral("Oscar"), QString()}},
    };
  }

  void MakeCatalogue(const std::vector<TestFilm>& filmy) {
    ASSERT_TRUE(VytvoritDatabazi(Db()));
    orvek3::TOrvek3Database db;
    db.SetDriver((dir_ + QStringLiteral(KALMETRA_SQLITE_LIBNAME)).toStdString());
    db.SetDatabaseFile(Db().toStdString());
    db.Connect();
    for (const TestFilm& f : filmy) {
      orvek3::TParams p;
      std::string names, values;
      auto add = [&](const char* name, auto set) {
        orvek3::TParam& param = p.Add(name);
        set(param);
        names += std::string(names.empty() ? "" : ",") + name;
        values += std::string(values.empty() ? ":" : ",:") + name;
      };
      if (f.id) add("Id", [&](orvek3::TParam& q) { q.SetAsLargeInt(*f.id); });
      for (size_t i = 0; i < 9; ++i)
        if (f.texty[i]) add(kPoleKatalogu[i + 1].nazev, [&](orvek3::TParam& q) { q.SetAsString(ToAnsi(*f.texty[i])); });
      db.ExecSQL("INSERT INTO Tabulka (" + names + ") VALUES (" + values + ")", &p);
    }
    db.Disconnect();
  }

  std::unique_ptr<THlavni> Start() { return std::make_unique<THlavni>(dir_); }

  // Every row of the table as text, in Id order, the Id first; null reads "<null>".
  std::vector<std::vector<std::string>> Rows() const {
    orvek3::TOrvek3Database db;
    db.SetDriver((dir_ + QStringLiteral(KALMETRA_SQLITE_LIBNAME)).toStdString());
    db.SetDatabaseFile(Db().toStdString());
    db.Connect();
    orvek3::TOrvek3Query q(&db);
    q.SetSQL("SELECT * FROM Tabulka ORDER BY Id");
    q.OpenSQL();
    std::vector<std::vector<std::string>> rows;
    for (q.First(); !q.Eof(); q.Next()) {
      auto& row = rows.emplace_back();
      for (int i = 0; i < q.FieldCount(); ++i) row.push_back(q.Field(i).IsNull() ? "<null>" : q.Field(i).AsString());
    }
    q.Close();
    db.Disconnect();
    return rows;
  }

};

}  // namespace kalmetra::test
