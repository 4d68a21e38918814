// Catalogue files damaged on disk: reading stops with the library's message, the record set
// ends closed with its statement finalized once, and the file is never written.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "catalogue_fixture.h"

using namespace orvek3;
using kalmetra_test::CatalogueTest;
using kalmetra_test::ErrorOf;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class DamagedCatalogueTest : public CatalogueTest {
 protected:
  // A catalogue of some fifty pages whose page in the middle of the table is zeroed.
  void DamageMiddlePage() {
    FillRows(5000);
    db_.Disconnect();
    std::string bytes = ReadAll(dbPath_);
    const size_t page = 4096, pages = bytes.size() / page;
    ASSERT_GT(pages, 20u);
    std::fill_n(bytes.begin() + static_cast<std::ptrdiff_t>(pages / 2 * page), page, '\0');
    std::ofstream(dbPath_, std::ios::binary | std::ios::trunc) << bytes;
    damaged_ = bytes;
    db_.Connect();
  }
  std::string damaged_;
};

TEST_F(DamagedCatalogueTest, FailedFetchClosesTheSetAndFinalizesOnce) {
  DamageMiddlePage();
  TOrvek3Query q(&db_);
  q.SetRequestLive(true);
  q.SetSQL("SELECT * FROM Tabulka ORDER BY Id");
  q.OpenSQL();  // the first rows lie before the damage
  ASSERT_TRUE(q.Active());
  EXPECT_NE(ErrorOf([&] { q.Last(); }).find("malformed"), std::string::npos);
  EXPECT_FALSE(q.Active());
  EXPECT_EQ(q.CachedRowCount(), 0);
  EXPECT_NE(ErrorOf([&] { q.RecordCount(); }), "<no error>");

  // Closing again and opening anew work on the same command and connection.
  q.Close();
  q.SetSQL("SELECT Id FROM Tabulka WHERE Id <= 3 ORDER BY Id");
  q.OpenSQL();
  EXPECT_EQ(q.RecordCount(), 3);
  q.Close();

  // Moving row by row meets the damage the same way.
  q.SetSQL("SELECT * FROM Tabulka ORDER BY Id");
  q.OpenSQL();
  const std::string error = ErrorOf([&] {
    while (!q.Eof()) q.Next();
  });
  EXPECT_NE(error.find("malformed"), std::string::npos);
  EXPECT_FALSE(q.Active());
  db_.Disconnect();
  EXPECT_EQ(ReadAll(dbPath_), damaged_);
}

TEST_F(DamagedCatalogueTest, SortedListFailsAtOpenAndLeavesNothingOpen) {
  DamageMiddlePage();
  TOrvek3Query q(&db_);
  q.SetSQL("SELECT * FROM Tabulka ORDER BY Titul COLLATE NATIVE");
  EXPECT_NE(ErrorOf([&] { q.OpenSQL(); }).find("malformed"), std::string::npos);
  EXPECT_FALSE(q.Active());
  q.Close();
  db_.Disconnect();
  EXPECT_EQ(ReadAll(dbPath_), damaged_);
}

// Opened by a user who may read the file but not write it or its folder: the list reads
// whole, a write is refused with the library's reason, and the file stays as it was.
TEST_F(DamagedCatalogueTest, AReadOnlyCatalogueReadsAndRefusesWrites) {
  if (::geteuid() != 0) GTEST_SKIP() << "switching to another user needs root";
  FillRows(300);
  db_.Disconnect();
  const std::string before = ReadAll(dbPath_);
  // The library beside the catalogue, where the other user can load it.
  const std::string driver = dir_->File("libsqlite3.so");
  std::filesystem::copy_file(kalmetra_test::DriverPath(), driver);
  ::chmod(dir_->path().c_str(), 0555);
  ::chmod(dbPath_.c_str(), 0444);
  ::chmod(driver.c_str(), 0555);

  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // No assertions here: the verdict goes back as the exit code.
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(10);
    int code = 0;
    try {
      TOrvek3Database other;
      other.SetDriver(driver);
      other.SetDatabaseFile(dbPath_);
      other.Connect();
      TOrvek3Query q(&other);
      q.SetSQL("SELECT * FROM Tabulka ORDER BY Titul COLLATE NATIVE");
      q.OpenSQL();
      q.Last();
      if (q.RecordCount() != 300) code = 11;
      const std::string error = ErrorOf([&] { other.ExecSQL("INSERT INTO Tabulka (Titul) VALUES ('Nový')"); });
      if (error.find("readonly") == std::string::npos) code = 12;
      q.Close();
      other.Disconnect();
    } catch (...) {
      code = 13;
    }
    ::_exit(code);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ::chmod(dir_->path().c_str(), 0700);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no such user, 11: rows, 12: the write was not refused, 13: an error";
  EXPECT_EQ(ReadAll(dbPath_), before);
}

// A catalogue on a disk that fills up while an import-sized write runs: the write fails with
// the library's reason and the file is the one before it, whole.
TEST_F(DamagedCatalogueTest, AFullDiskRefusesTheWriteAndKeepsTheCatalogue) {
  db_.Disconnect();
  const std::string folder = dir_->File("disk");
  std::filesystem::create_directory(folder);
  if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=512k") != 0)
    GTEST_SKIP() << "tmpfs cannot be mounted here: " << std::strerror(errno);
  struct Unmount {
    std::string path;
    ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
  } unmount{folder};
  dbPath_ = folder + "/Kalmetra.sqlite";
  db_.SetDatabaseFile(dbPath_);
  db_.Connect();
  db_.ExecSQL(kalmetra_test::kCatalogueTable);
  FillRows(200);
  db_.Disconnect();
  const std::string before = ReadAll(dbPath_);
  {
    // What the disk has left goes to another file.
    std::ofstream filler(folder + "/filler", std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
    }
  }
  db_.Connect();
  TParams p;
  p.Add("T");
  p[0].SetAsString(std::string(200, 'A'));
  const std::string error = ErrorOf([&] {
    db_.ExecSQL("BEGIN");
    for (int i = 0; i < 2000; ++i) db_.ExecSQL("INSERT INTO Tabulka (Titul) VALUES (:T)", &p);
    db_.ExecSQL("COMMIT");
  });
  EXPECT_NE(error.find("full"), std::string::npos) << error;
  try {
    db_.ExecSQL("ROLLBACK");
  } catch (const DatabaseError&) {  // the library may have rolled back already
  }
  db_.Disconnect();
  EXPECT_EQ(ReadAll(dbPath_), before);
  db_.Connect();
  TOrvek3Query q(&db_);
  q.SetSQL("PRAGMA integrity_check");
  q.OpenSQL();
  EXPECT_EQ(q.Field(0).AsString(), "ok");
  q.Close();
}

}  // namespace
