#include "TestSupport.h"

#include <Katalog.h>
#include <Platforma.h>
#include <Zdroje.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QTemporaryDir>

#include <sqlite3.h>  // types and constants only; the library is loaded below

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace kalmetra {
namespace {

QByteArray Template() {
  QFile resource(QString::fromLatin1(kZdrojDatabaze));
  if (!resource.open(QIODevice::ReadOnly)) return {};
  return resource.readAll();
}

uint32_t BigEndian(const QByteArray& bytes, int offset, int length) {
  uint32_t value = 0;
  for (int i = 0; i < length; ++i) value = (value << 8) | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

TEST(Katalog, LabelsByPosition) {
  const QStringList expected = {"Id",       QStringLiteral("Titul"),    "Rok",
                                QStringLiteral("Stopáž"), QStringLiteral("Žánr"), QStringLiteral("Původ"),
                                QStringLiteral("Režie"),  QStringLiteral("Obsazení"), QStringLiteral("Komentář"),
                                QStringLiteral("Umístění")};
  for (int i = 1; i <= 10; ++i) EXPECT_EQ(PopiskyPoli(i), expected[i - 1]) << i;
  EXPECT_TRUE(PopiskyPoli(0).isEmpty());
  EXPECT_TRUE(PopiskyPoli(11).isEmpty());
  EXPECT_TRUE(PopiskyPoli(-1).isEmpty());
}

TEST(Katalog, FieldsWidthsAndHideSettings) {
  const std::vector<std::string> names = {"Id", "Titul", "Rok", "Stopaz", "Zanr",
                                          "Puvod", "Rezie", "Obsazeni", "Koment", "Umisteni"};
  const std::vector<int> widths = {40, 140, 40, 40, 100, 100, 100, 100, 80, 60};
  int hideable = 0;
  for (size_t i = 0; i < kPoleKatalogu.size(); ++i) {
    const PoleKatalogu& pole = kPoleKatalogu[i];
    EXPECT_EQ(pole.nazev, names[i]);
    EXPECT_EQ(pole.vychoziSirka, widths[i]) << pole.nazev;
    if (pole.klicSkryti != nullptr) {
      ++hideable;
      EXPECT_EQ(std::string(pole.klicSkryti), "Skryt_" + names[i]);
      EXPECT_EQ(pole.vychoziSkryti, names[i] == "Umisteni") << pole.nazev;
    } else {
      EXPECT_LT(i, 4u) << "only Zanr to Umisteni can be hidden";
    }
  }
  EXPECT_EQ(hideable, 6);
}

TEST(Katalog, TableDefinitionText) {
  EXPECT_EQ(DefiniceTabulky(),
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
            ")");
}

TEST(Sablona, HeaderOfTheTemplateDatabase) {
  ZajistitZdroje();
  const QByteArray bytes = Template();
  ASSERT_EQ(bytes.size(), 3072);
  EXPECT_EQ(bytes.left(16), QByteArray("SQLite format 3\0", 16));
  EXPECT_EQ(BigEndian(bytes, 16, 2), 1024u) << "page size";
  EXPECT_EQ(static_cast<uint8_t>(bytes[18]), 1) << "write version: rollback journal";
  EXPECT_EQ(static_cast<uint8_t>(bytes[19]), 1) << "read version: rollback journal";
  EXPECT_EQ(BigEndian(bytes, 28, 4), 3u) << "pages";
  EXPECT_EQ(BigEndian(bytes, 44, 4), 4u) << "schema format";
  EXPECT_EQ(BigEndian(bytes, 56, 4), 1u) << "UTF-8";
  EXPECT_EQ(BigEndian(bytes, 60, 4), 0u) << "user version";
  EXPECT_EQ(BigEndian(bytes, 68, 4), 0u) << "application id";
}

TEST(Sablona, HoldsTheExactTableDefinitionAndTheSequenceTable) {
  ZajistitZdroje();
  const QByteArray bytes = Template();
  EXPECT_TRUE(bytes.contains(DefiniceTabulky().toUtf8()));
  EXPECT_TRUE(bytes.contains("CREATE TABLE sqlite_sequence(name,seq)"));
}

TEST(Sablona, ResourceIsTheCommittedFile) {
  ZajistitZdroje();
  QFile committed(QStringLiteral(KALMETRA_SOURCE_DIR "/resources/Kalmetra_sablona.sqlite"));
  ASSERT_TRUE(committed.open(QIODevice::ReadOnly));
  EXPECT_EQ(committed.readAll(), Template());
}

// Opens a database with the SQLite library that sits beside the test program, as the
// program itself will, and reads it through SQL.
class SqliteReader {
 public:
  SqliteReader() : library_(QCoreApplication::applicationDirPath() + "/" KALMETRA_SQLITE_LIBNAME) {
    open_ = reinterpret_cast<decltype(open_)>(library_.resolve("sqlite3_open_v2"));
    close_ = reinterpret_cast<decltype(close_)>(library_.resolve("sqlite3_close"));
    prepare_ = reinterpret_cast<decltype(prepare_)>(library_.resolve("sqlite3_prepare_v2"));
    step_ = reinterpret_cast<decltype(step_)>(library_.resolve("sqlite3_step"));
    text_ = reinterpret_cast<decltype(text_)>(library_.resolve("sqlite3_column_text"));
    bytes_ = reinterpret_cast<decltype(bytes_)>(library_.resolve("sqlite3_column_bytes"));
    finalize_ = reinterpret_cast<decltype(finalize_)>(library_.resolve("sqlite3_finalize"));
  }
  ~SqliteReader() {
    if (db_ != nullptr) close_(db_);
  }
  bool Loaded() const { return open_ && close_ && prepare_ && step_ && text_ && bytes_ && finalize_; }
  bool Open(const QString& path) {
    return open_(QFile::encodeName(path).constData(), &db_, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK;
  }
  // The first column of every row, as text.
  std::vector<std::string> Query(const char* sql) {
    std::vector<std::string> rows;
    sqlite3_stmt* statement = nullptr;
    if (prepare_(db_, sql, -1, &statement, nullptr) != SQLITE_OK) return {"<error>"};
    while (step_(statement) == SQLITE_ROW) {
      const unsigned char* text = text_(statement, 0);
      rows.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "", static_cast<size_t>(bytes_(statement, 0)));
    }
    finalize_(statement);
    return rows;
  }

 private:
  QLibrary library_;
  sqlite3* db_ = nullptr;
  int (*open_)(const char*, sqlite3**, int, const char*) = nullptr;
  int (*close_)(sqlite3*) = nullptr;
  int (*prepare_)(sqlite3*, const char*, int, sqlite3_stmt**, const char**) = nullptr;
  int (*step_)(sqlite3_stmt*) = nullptr;
  const unsigned char* (*text_)(sqlite3_stmt*, int) = nullptr;
  int (*bytes_)(sqlite3_stmt*, int) = nullptr;
  int (*finalize_)(sqlite3_stmt*) = nullptr;
};

class VytvoritDatabaziTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder_.isValid()); }
  void TearDown() override { SetBeforeRenameHook({}); }
  QTemporaryDir folder_;
};

TEST_F(VytvoritDatabaziTest, WritesAValidEmptyCatalogue) {
  const QString path = folder_.filePath(kSouborDatabaze);
  QString error;
  ASSERT_TRUE(VytvoritDatabazi(path, &error)) << error.toStdString();
  QFile written(path);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(), Template());

  SqliteReader reader;
  ASSERT_TRUE(reader.Loaded()) << "SQLite library beside the test program";
  ASSERT_TRUE(reader.Open(path));
  EXPECT_EQ(reader.Query("SELECT sql FROM sqlite_master WHERE name='Tabulka'"),
            std::vector<std::string>{DefiniceTabulky().toStdString()});
  EXPECT_EQ(reader.Query("SELECT name FROM sqlite_master ORDER BY name"),
            (std::vector<std::string>{"Tabulka", "sqlite_sequence"}));
  EXPECT_EQ(reader.Query("SELECT count(*) FROM Tabulka"), std::vector<std::string>{"0"});
  EXPECT_EQ(reader.Query("SELECT count(*) FROM sqlite_sequence"), std::vector<std::string>{"0"});
  EXPECT_EQ(reader.Query("PRAGMA page_size"), std::vector<std::string>{"1024"});
  EXPECT_EQ(reader.Query("PRAGMA encoding"), std::vector<std::string>{"UTF-8"});
  EXPECT_EQ(reader.Query("PRAGMA integrity_check"), std::vector<std::string>{"ok"});
}

TEST_F(VytvoritDatabaziTest, FailureIsReportedAndLeavesNoFile) {
  const QString path = folder_.filePath("neni/Kalmetra.sqlite");
  QString error;
  EXPECT_FALSE(VytvoritDatabazi(path, &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(VytvoritDatabaziTest, InterruptedWriteLeavesNoHalfDatabase) {
  const QString path = folder_.filePath(kSouborDatabaze);
  SetBeforeRenameHook([](const QString&) { return false; });
  EXPECT_FALSE(VytvoritDatabazi(path));
  EXPECT_TRUE(QDir(folder_.path()).isEmpty()) << "neither the database nor a temporary file";
}

}  // namespace
}  // namespace kalmetra
