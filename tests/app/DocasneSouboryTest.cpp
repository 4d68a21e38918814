// The stale temporary files a killed run leaves beside the program's files, and the
// look-alikes that must stay.
#include "ProgramovaSlozkaFixture.h"
#include "TestSupport.h"

#include <DocasneSoubory.h>
#include <Hlavni_f.h>
#include <Platforma.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include "ScriptedSeam.h"

namespace kalmetra {
namespace {

// Above the largest process id Linux hands out (2^22), so no process has it.
const QString kMrtvy = QStringLiteral("2000000000");

class DocasneSouboryTest : public test::ProgramovaSlozkaFixture {
 protected:
  // A file with the given age in seconds.
  void Make(const QString& relative, int age = 0) {
    QFile f(dir_ + relative);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << relative.toStdString();
    f.write("x");
    ASSERT_TRUE(f.flush());  // a later flush would set the time anew
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-age), QFileDevice::FileModificationTime));
  }
  bool Exists(const QString& relative) const { return QFileInfo::exists(dir_ + relative); }
  // Another instance of the program: a process whose executable lies in the folder.
  void StartAnotherInstance() {
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), dir_ + QStringLiteral("kalmetra")));
    instance_.start(dir_ + QStringLiteral("kalmetra"), {QStringLiteral("60")});
    ASSERT_TRUE(instance_.waitForStarted());
  }
  void TearDown() override {
    if (instance_.state() != QProcess::NotRunning) {
      instance_.kill();
      instance_.waitForFinished();
    }
  }

  QProcess instance_;
};

TEST_F(DocasneSouboryTest, OnlyStaleTemporariesOfOurWritersAreRemoved) {
  ASSERT_TRUE(QDir(dir_).mkdir(QStringLiteral("Ses")));
  const int old = kStariDocasnehoSouboru + 60;
  const QString ja = QString::number(::getpid());
  const QStringList gone = {
      QStringLiteral("Kalmetra.ini.tmp") + kMrtvy + QStringLiteral("_0"),
      QStringLiteral("Zanr.txt.tmp") + kMrtvy + QStringLiteral("_12"),
      QStringLiteral("Kalmetra.sqlite.tmp") + kMrtvy + QStringLiteral("_3"),
      QStringLiteral("Sestavy.ini.AbCdEf"),
      QStringLiteral("Ses/Filmy podle roku.ksr.xYz123"),
      QStringLiteral("Ses/Seznam.KSR.QwErTy"),
      QStringLiteral("Ses/Seznam.ksr.tmp") + kMrtvy + QStringLiteral("_7"),
  };
  const QStringList kept = {
      QStringLiteral("Kalmetra.ini"),
      QStringLiteral("Kalmetra.sqlite"),
      QStringLiteral("Kalmetra.sqlite-journal"),
      QStringLiteral("Kalmetra.sqlite-wal"),
      QStringLiteral("Kalmetra.sqlite-shm"),
      QStringLiteral("Sestavy.ini.lock"),
      QStringLiteral("Kalmetra.ini.tmp") + ja + QStringLiteral("_0"),  // a live process: ours
      QStringLiteral("Zanr.txt.tmp1_0"),                                 // a live process: init
      QStringLiteral("Kalmetra.ini.tmp"),
      QStringLiteral("Kalmetra.ini.tmp") + kMrtvy,
      QStringLiteral("Kalmetra.ini.tmp") + kMrtvy + QStringLiteral("_"),
      QStringLiteral("Kalmetra.ini.tmp") + kMrtvy + QStringLiteral("_1.bak"),
      QStringLiteral("Kalmetra.ini.tmp0_1"),
      QStringLiteral("Kalmetra.ini.tmp99999999999_1"),  // no process id at all
      QStringLiteral(".tmp") + kMrtvy + QStringLiteral("_1"),
      QStringLiteral("Kalmetra.ini.AbCdEf"),
      QStringLiteral("Sestavy.ini.AbCdE"),
      QStringLiteral("Sestavy.ini.AbCdEfG"),
      QStringLiteral("Sestavy.ini.Ab-dEf"),
      QStringLiteral("film.ksr.AbCdEf"),  // a template's name outside "Ses"
      QStringLiteral("Ses/Seznam.ksr"),
      QStringLiteral("Ses/Seznam.txt.AbCdEf"),
      QStringLiteral("Ses/Seznam.ksr.AbCdEf.bak"),
  };
  for (const QString& f : gone) Make(f, old);
  for (const QString& f : kept) Make(f, old);
  StartAnotherInstance();
  Make(QStringLiteral("Ses/Novy.ksr.AbCdEf"));               // being written by another instance
  Make(QStringLiteral("Sestavy.ini.ZzZzZz"), old - 120);     // not yet old enough
  ASSERT_TRUE(QDir(dir_).mkdir(QStringLiteral("Slozka.ini.tmp") + kMrtvy + QStringLiteral("_1")));
  ASSERT_TRUE(QFile::link(dir_ + QStringLiteral("Kalmetra.ini"),
                          dir_ + QStringLiteral("Odkaz.tmp") + kMrtvy + QStringLiteral("_1")));

  QStringList removed = OdstranitOpusteneDocasneSoubory(dir_);
  removed.sort();
  QStringList expected;
  for (const QString& f : gone) expected << dir_ + f;
  expected.sort();
  EXPECT_EQ(removed, expected);
  for (const QString& f : gone) EXPECT_FALSE(Exists(f)) << f.toStdString();
  for (const QString& f : kept) EXPECT_TRUE(Exists(f)) << f.toStdString();
  EXPECT_TRUE(Exists(QStringLiteral("Ses/Novy.ksr.AbCdEf")));
  EXPECT_TRUE(Exists(QStringLiteral("Sestavy.ini.ZzZzZz")));
  EXPECT_TRUE(QFileInfo(dir_ + QStringLiteral("Slozka.ini.tmp") + kMrtvy + QStringLiteral("_1")).isDir());
  EXPECT_TRUE(QFileInfo(dir_ + QStringLiteral("Odkaz.tmp") + kMrtvy + QStringLiteral("_1")).isSymLink());
}

TEST_F(DocasneSouboryTest, AloneItRemovesFreshTemporariesAndThoseOfRecordedWritesOfDeadProcesses) {
  ASSERT_TRUE(QDir(dir_).mkdir(QStringLiteral("Ses")));
  QTemporaryDir exporty;
  ASSERT_TRUE(exporty.isValid());
  const QString e = exporty.path() + QStringLiteral("/");
  const auto zaznam = [&](const QString& nazev, const QByteArray& obsah) {
    QFile f(dir_ + nazev);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(obsah);
    ASSERT_TRUE(f.flush());
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-30), QFileDevice::FileModificationTime));
  };
  const auto exportni = [&](const QString& nazev, int age) {
    QFile f(e + nazev);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    ASSERT_TRUE(f.flush());
    ASSERT_TRUE(f.setFileTime(QDateTime::currentDateTime().addSecs(-age), QFileDevice::FileModificationTime));
  };
  const QString mrtvy = QStringLiteral("Kalmetra.zapis") + kMrtvy;
  const QString zivy = QStringLiteral("Kalmetra.zapis") + QString::number(::getpid());
  const auto vytvorit = [&] {
    Make(QStringLiteral("Sestavy.ini.AbCdEf"));
    Make(QStringLiteral("Ses/Novy.ksr.AbCdEf"));
    zaznam(mrtvy + QStringLiteral("_0"), QFile::encodeName(e + QStringLiteral("seznam.csv")) + "\n" +
                                             QFile::encodeName(e + QStringLiteral("cíl odkazu.xml")) + "\n");
    zaznam(zivy + QStringLiteral("_1"), QFile::encodeName(e + QStringLiteral("sestava.pdf")) + "\n");
    zaznam(mrtvy + QStringLiteral("_2"), QFile::encodeName(e + QStringLiteral("seznam.csv")));  // cut short
    zaznam(mrtvy + QStringLiteral("_3"), "seznam.csv\n");  // no absolute path
    for (const char* n : {"seznam.csv", "seznam.csv.QwErTy", "cíl odkazu.xml.zXcVbN", "sestava.pdf.AbCdEf",
                          "jiny.csv.QwErTy", "seznam.csv.QwErT", "seznam.csv.QwErTy.bak", "seznam.csvQwErTy"})
      exportni(QString::fromUtf8(n), 0);
    exportni(QStringLiteral("seznam.csv.backup"), 60);  // the user's, older than the write
  };

  // Another instance may be writing any of them: only what is of dead processes by name goes.
  vytvorit();
  StartAnotherInstance();
  EXPECT_EQ(OdstranitOpusteneDocasneSoubory(dir_), QStringList());
  instance_.kill();
  ASSERT_TRUE(instance_.waitForFinished());
  ASSERT_TRUE(QFile::remove(dir_ + QStringLiteral("kalmetra")));

  QStringList removed = OdstranitOpusteneDocasneSoubory(dir_);
  removed.sort();
  QStringList expected = {dir_ + QStringLiteral("Sestavy.ini.AbCdEf"), dir_ + QStringLiteral("Ses/Novy.ksr.AbCdEf"),
                          dir_ + mrtvy + QStringLiteral("_0"),         dir_ + mrtvy + QStringLiteral("_2"),
                          dir_ + mrtvy + QStringLiteral("_3"),         e + QStringLiteral("seznam.csv.QwErTy"),
                          e + QStringLiteral("cíl odkazu.xml.zXcVbN")};
  expected.sort();
  EXPECT_EQ(removed, expected);
  for (const char* n : {"seznam.csv", "sestava.pdf.AbCdEf", "jiny.csv.QwErTy", "seznam.csv.QwErT",
                        "seznam.csv.QwErTy.bak", "seznam.csvQwErTy", "seznam.csv.backup"})
    EXPECT_TRUE(QFileInfo::exists(e + QString::fromUtf8(n))) << n;
  EXPECT_TRUE(Exists(zivy + QStringLiteral("_1")));  // its writer still runs
}

TEST_F(DocasneSouboryTest, StartUpRemovesThemWithoutASeparateFolder) {
  // No "Ses" folder: nothing to fail on.
  Make(QStringLiteral("Kalmetra.ini.tmp") + kMrtvy + QStringLiteral("_4"), 5);
  test::ScopedScriptedSeam seam;
  THlavni h(dir_);
  EXPECT_FALSE(Exists(QStringLiteral("Kalmetra.ini.tmp") + kMrtvy + QStringLiteral("_4")));
  EXPECT_TRUE(seam->Calls().empty());
}

TEST(Platforma, ProcessesThatRunAndThatDoNot) {
  EXPECT_TRUE(ProcesBezi(::getpid()));
  EXPECT_TRUE(ProcesBezi(1));
  EXPECT_FALSE(ProcesBezi(kMrtvy.toLongLong()));
  EXPECT_FALSE(ProcesBezi(0));
  EXPECT_FALSE(ProcesBezi(-1));
  EXPECT_FALSE(ProcesBezi(qint64{1} << 40));
}

}  // namespace
}  // namespace kalmetra
