// A fresh, empty program folder holding only the SQLite library, for tests that start
// the main window or open a catalogue there.
#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace kalmetra::test {

class ProgramovaSlozkaFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    dir_ = folder_.path() + QStringLiteral("/");
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/" KALMETRA_SQLITE_LIBNAME),
                            dir_ + QStringLiteral(KALMETRA_SQLITE_LIBNAME)));
  }

  QTemporaryDir folder_;
  QString dir_;  // with its trailing separator
};

}  // namespace kalmetra::test
