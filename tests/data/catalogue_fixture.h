// A connection to a fresh catalogue database in a temporary folder, for record-set tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sql3_defs.h"
#include "test_util.h"

namespace kalmetra_test {

// Program text is Windows-1250; the test sources are UTF-8.
inline std::string A(const char* utf8) { return orvek3::Utf8ToAnsi(utf8); }

// The catalogue table exactly as the program creates it.
inline const char* kCatalogueTable =
    "CREATE TABLE Tabulka (\r\n"
    " Id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL,\r\n"
    " Titul VARCHAR(80),\r\n"
    " Rok VARCHAR(4),\r\n"
    " Stopaz VARCHAR(4),\r\n"
    " Zanr VARCHAR(30),\r\n"
    " Puvod VARCHAR(30),\r\n"
    " Rezie VARCHAR(30),\r\n"
    " Obsazeni VARCHAR(255),\r\n"
    " Koment VARCHAR(255),\r\n"
    " Umisteni VARCHAR(255)\r\n"
    ")";

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::make_unique<TempFolder>();
    dbPath_ = (dir_->path() / "Kalmetra.sqlite").string();
    db_.SetName("Orvek3Database1");
    db_.SetDriver(DriverPath());
    db_.SetDatabaseFile(dbPath_);
    db_.SetMustExists(false);
    db_.Connect();
    db_.ExecSQL(kCatalogueTable);
  }

  void TearDown() override { db_.Disconnect(); }

  // Rows with Id 1..n and Czech-looking texts; Titul "Film <i>" unless a title list is given.
  void FillRows(int n) {
    db_.ExecSQL("BEGIN");
    orvek3::TParams p;
    p.Add("Id");
    p.Add("Titul");
    p.Add("Rok");
    for (int i = 1; i <= n; ++i) {
      p[0].SetAsLargeInt(i);
      p[1].SetAsString("Film " + std::to_string(i));
      p[2].SetAsString(std::to_string(1950 + i % 70));
      db_.ExecSQL("INSERT INTO Tabulka (Id, Titul, Rok) VALUES (:Id, :Titul, :Rok)", &p);
    }
    db_.ExecSQL("COMMIT");
  }

  void InsertTitles(const std::vector<std::string>& titles) {
    orvek3::TParams p;
    p.Add("T");
    for (const auto& t : titles) {
      p[0].SetAsString(t);
      db_.ExecSQL("INSERT INTO Tabulka (Titul) VALUES (:T)", &p);
    }
  }

  // Reads one value with a second, independent connection.
  std::string ReadBack(const std::string& sql) {
    orvek3::TOrvek3Database other;
    other.SetDriver(DriverPath());
    other.SetDatabaseFile(dbPath_);
    other.Connect();
    orvek3::TOrvek3SimpleTable t(&other);
    t.OpenTable(sql);
    std::string v = t.IsEmpty() ? std::string("<none>") : t.Cell(0, 0);
    other.Disconnect();
    return v;
  }

  std::unique_ptr<TempFolder> dir_;
  std::string dbPath_;
  orvek3::TOrvek3Database db_;
};

// Records the events of a record set as names, in order.
struct EventLog {
  std::vector<std::string> events;
  void Attach(orvek3::TRecordSet& rs) {
    auto add = [this](const char* name) { return [this, name](orvek3::TRecordSet&) { events.push_back(name); }; };
    rs.BeforeOpen = add("BeforeOpen");
    rs.AfterOpen = add("AfterOpen");
    rs.BeforeClose = add("BeforeClose");
    rs.AfterClose = add("AfterClose");
    rs.BeforeScroll = add("BeforeScroll");
    rs.AfterScroll = add("AfterScroll");
    rs.BeforeInsert = add("BeforeInsert");
    rs.AfterInsert = add("AfterInsert");
    rs.BeforeEdit = add("BeforeEdit");
    rs.AfterEdit = add("AfterEdit");
    rs.BeforePost = add("BeforePost");
    rs.AfterPost = add("AfterPost");
    rs.BeforeCancel = add("BeforeCancel");
    rs.AfterCancel = add("AfterCancel");
    rs.BeforeDelete = add("BeforeDelete");
    rs.AfterDelete = add("AfterDelete");
    rs.OnNewRecord = add("OnNewRecord");
  }
  std::vector<std::string> Take() {
    auto e = std::move(events);
    events.clear();
    return e;
  }
};

// A bound view that records the notifications it receives.
struct RecordingView : orvek3::TRecordSetView {
  std::vector<orvek3::TDataEvent> events;
  void DataEvent(orvek3::TRecordSet&, orvek3::TDataEvent e, orvek3::TRecField*) override { events.push_back(e); }
  int Count(orvek3::TDataEvent e) const {
    int n = 0;
    for (auto x : events) n += x == e;
    return n;
  }
};

}  // namespace kalmetra_test
