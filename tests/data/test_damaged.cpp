// Catalogue files damaged on disk: reading stops with the library's message, the record set
// ends closed with its statement finalized once, and the file is never written.
#include <gtest/gtest.h>

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

}  // namespace
