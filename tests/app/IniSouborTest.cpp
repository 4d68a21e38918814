#include "TestSupport.h"

#include <IniSoubor.h>
#include <Platforma.h>
#include <TextCodec.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace kalmetra {
namespace {

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    path_ = folder_.filePath(QStringLiteral("Kalmetra.ini"));
  }
  void TearDown() override { SetBeforeRenameHook({}); }

  void Put(const std::string& bytes) const {
    QFile file(path_);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }
  std::string Get() const {
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
  }
  QStringList FolderEntries() const {
    return QDir(folder_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  QTemporaryDir folder_;
  QString path_;
};

TEST_F(ProfileFileTest, MissingFileReadsDefaultsAndIsNotCreatedUntilTheFirstWrite) {
  ProfileFile ini(path_);
  EXPECT_EQ(ini.ReadString("Nastaveni", "VychoziAdresaWWWW", "x"), "x");
  EXPECT_EQ(ini.ReadInteger("Formular", "Sirka", 696), 696);
  EXPECT_TRUE(ini.ReadBool("Nastaveni", "ZobrazDialogUloz", true));
  EXPECT_TRUE(ini.ReadSection("Seznam").isEmpty());
  EXPECT_TRUE(ini.ReadSectionValues("Seznam").empty());
  EXPECT_TRUE(ini.ReadSections().isEmpty());
  EXPECT_TRUE(ini.EraseSection("Seznam"));
  EXPECT_TRUE(ini.DeleteKey("Seznam", "Polozka1"));
  EXPECT_FALSE(QFileInfo::exists(path_));

  ASSERT_TRUE(ini.WriteBool("Nastaveni", "ZobrazDialogUloz", false)) << ini.LastError().toStdString();
  EXPECT_EQ(Get(), "[Nastaveni]\r\nZobrazDialogUloz=0\r\n");
  EXPECT_TRUE(FolderEntries() == QStringList{"Kalmetra.ini"}) << FolderEntries().join(',').toStdString();
}

TEST_F(ProfileFileTest, SectionsAndKeysMatchWithoutRegardToCase) {
  Put("[NASTAVENI]\r\nzobrazdialoguloz=0\r\n[formular]\r\nSIRKA=800\r\n");
  ProfileFile ini(path_);
  EXPECT_FALSE(ini.ReadBool("Nastaveni", "ZobrazDialogUloz", true));
  EXPECT_EQ(ini.ReadInteger("Formular", "Sirka", 0), 800);
  EXPECT_TRUE(ini.SectionExists("nAsTaVeNi"));
  EXPECT_TRUE(ini.ValueExists("FORMULAR", "sirka"));
  EXPECT_FALSE(ini.ValueExists("Formular", "Vyska"));

  ASSERT_TRUE(ini.WriteInteger("Formular", "Sirka", 1024));
  // The existing line is updated in the file's own spelling; no second section appears.
  EXPECT_EQ(Get(), "[NASTAVENI]\r\nzobrazdialoguloz=0\r\n[formular]\r\nSIRKA=1024\r\n");
}

TEST_F(ProfileFileTest, CzechNamesMatchWithoutRegardToCase) {
  Put(ToAnsi(QStringLiteral("[ŽÁNRY]\r\nČÍSLO=5\r\n")));
  ProfileFile ini(path_);
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("žánry"), QStringLiteral("číslo"), 0), 5);
}

TEST_F(ProfileFileTest, OtherLinesAreKeptByteForByte) {
  const std::string original =
      "; settings of Kalmetra\r\n"
      "\r\n"
      "[Nastaveni]\r\n"
      "  ZobrazDialogUloz = 1   \r\n"
      "Neznamy=ponechat \t\r\n"
      "# another comment\r\n"
      "garbage line without equals\r\n"
      "\r\n"
      "[Formular]\r\n"
      "Sirka=700\r\n"
      "\r\n"
      "\r\n"
      "[Jiny]\n"
      "x=1";
  Put(original);
  ProfileFile ini(path_);
  ASSERT_TRUE(ini.WriteBool("Nastaveni", "ZobrazDialogUloz", false));
  std::string expected = original;
  expected.replace(expected.find("  ZobrazDialogUloz = 1   "), 25, "ZobrazDialogUloz=0");
  EXPECT_EQ(Get(), expected);

  // A new key goes after the section's last non-blank line, before the blank lines.
  ASSERT_TRUE(ini.WriteInteger("Formular", "Vyska", 480));
  expected.replace(expected.find("Sirka=700\r\n"), 11, "Sirka=700\r\nVyska=480\r\n");
  EXPECT_EQ(Get(), expected);

  // A new section is appended; the unterminated last line gets the file's line end.
  ASSERT_TRUE(ini.WriteString("Seznam", "Polozka1", "Matrix"));
  expected += "\r\n[Seznam]\r\nPolozka1=Matrix\r\n";
  EXPECT_EQ(Get(), expected);

  EXPECT_EQ(ini.ReadString("Nastaveni", "Neznamy", ""), "ponechat");
  EXPECT_EQ(ini.ReadInteger("Jiny", "x", 0), 1);
}

TEST_F(ProfileFileTest, NewLinesFollowTheFilesLineEnds) {
  Put("[A]\nk=1\n");
  ProfileFile ini(path_);
  ASSERT_TRUE(ini.WriteString("A", "m", "2"));
  ASSERT_TRUE(ini.WriteString("B", "n", "3"));
  EXPECT_EQ(Get(), "[A]\nk=1\nm=2\n[B]\nn=3\n");

  // A key added after an unterminated last line does not run into it.
  Put("[A]\r\nk=1");
  ASSERT_TRUE(ini.WriteString("A", "m", "2"));
  EXPECT_EQ(Get(), "[A]\r\nk=1\r\nm=2\r\n");
  EXPECT_EQ(ini.ReadInteger("A", "k", 0), 1);
  // Changing that last line alone keeps it unterminated.
  Put("[A]\r\nk=1");
  ASSERT_TRUE(ini.WriteStrings("A", {{"k", "5"}, {"K", "6"}}));
  EXPECT_EQ(Get(), "[A]\r\nk=6");
}

TEST_F(ProfileFileTest, EveryWriteIsOnDiskAtOnceAndEveryReadSeesTheFile) {
  ProfileFile writer(path_);
  ProfileFile reader(path_);
  ASSERT_TRUE(writer.WriteString("Nastaveni", "VychoziAdresaWWWW", "https://www.csfd.cz/"));
  EXPECT_EQ(reader.ReadString("Nastaveni", "VychoziAdresaWWWW", ""), "https://www.csfd.cz/");
  Put("[Nastaveni]\r\nVychoziAdresaWWWW=jina\r\n");
  EXPECT_EQ(reader.ReadString("Nastaveni", "VychoziAdresaWWWW", ""), "jina");
}

TEST_F(ProfileFileTest, IntegersAndBooleans) {
  Put("[S]\r\n"
      "a=12\r\nb= 42 \r\nc=-7\r\nd=+5\r\ne=12abc\r\nf=abc\r\ng=\r\nh=99999999999\r\ni=0x10\r\nj=+-3\r\n"
      "t1=1\r\nt2=2\r\nt3=-1\r\nf0=0\r\nano=ano\r\n");
  ProfileFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("S", "a", -1), 12);
  EXPECT_EQ(ini.ReadInteger("S", "b", -1), 42);
  EXPECT_EQ(ini.ReadInteger("S", "c", -1), -7);
  EXPECT_EQ(ini.ReadInteger("S", "d", -1), 5);
  for (const char* key : {"e", "f", "g", "h", "i", "j", "missing"}) EXPECT_EQ(ini.ReadInteger("S", key, -1), -1) << key;
  EXPECT_TRUE(ini.ReadBool("S", "t1", false));
  EXPECT_TRUE(ini.ReadBool("S", "t2", false));
  EXPECT_TRUE(ini.ReadBool("S", "t3", false));
  EXPECT_FALSE(ini.ReadBool("S", "f0", true));
  EXPECT_TRUE(ini.ReadBool("S", "ano", true));
  EXPECT_FALSE(ini.ReadBool("S", "ano", false));

  ASSERT_TRUE(ini.WriteInteger("S", "neg", -15));
  ASSERT_TRUE(ini.WriteBool("S", "on", true));
  EXPECT_EQ(ini.ReadString("S", "neg", ""), "-15");
  EXPECT_EQ(ini.ReadString("S", "on", ""), "1");
}

TEST_F(ProfileFileTest, EmptyValueIsEmptyNotTheDefault) {
  Put("[Seznam]\r\nPolozka1=\r\n");
  ProfileFile ini(path_);
  EXPECT_EQ(ini.ReadString("Seznam", "Polozka1", "none"), "");
  EXPECT_EQ(ini.ReadString("Seznam", "Polozka2", "none"), "none");
}

TEST_F(ProfileFileTest, ValuesComeBackAsWritten) {
  ProfileFile ini(path_);
  const QStringList values = {" mezera na kraji ", "\"v uvozovkách\"", "'apostrofy'", "", "a=b;c", "\"", "  "};
  for (int i = 0; i < values.size(); ++i) {
    ASSERT_TRUE(ini.WriteString("Seznam", QStringLiteral("Polozka%1").arg(i + 1), values[i]));
  }
  for (int i = 0; i < values.size(); ++i)
    EXPECT_EQ(ini.ReadString("Seznam", QStringLiteral("Polozka%1").arg(i + 1), "x"), values[i]) << i;
  // A value quoted by hand reads without its quotes.
  Put("[A]\r\nk=\"Ahoj\"\r\nm='svete'\r\n");
  EXPECT_EQ(ini.ReadString("A", "k", ""), "Ahoj");
  EXPECT_EQ(ini.ReadString("A", "m", ""), "svete");
}

TEST_F(ProfileFileTest, Windows1250TextInTheFile) {
  Put("[Seznam]\r\nPolozka1=\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2\r\n");
  ProfileFile ini(path_);
  EXPECT_EQ(ini.ReadString("Seznam", "Polozka1", ""), QStringLiteral("Žluťoučký kůň"));
  ASSERT_TRUE(ini.WriteString("Seznam", "Polozka2", QStringLiteral("Příliš")));
  const std::string bytes = Get();
  EXPECT_NE(bytes.find("Polozka2=P\xF8\xED\x6Ci\x9A\r\n"), std::string::npos);
  EXPECT_EQ(bytes.find("\xC5\x99"), std::string::npos) << "no UTF-8 in the file";
}

TEST_F(ProfileFileTest, TextTheCodePageCannotHoldIsRefused) {
  Put("[A]\r\nk=1\r\n");
  ProfileFile ini(path_);
  EXPECT_FALSE(ini.WriteString("A", "k", QStringLiteral("日本")));
  EXPECT_FALSE(ini.LastError().isEmpty());
  EXPECT_EQ(Get(), "[A]\r\nk=1\r\n");
  EXPECT_TRUE(ini.WriteString("A", "k", "2"));
  EXPECT_TRUE(ini.LastError().isEmpty());
}

TEST_F(ProfileFileTest, LineBreaksAndBadNamesAreRefused) {
  Put("[A]\r\nk=1\r\n");
  ProfileFile ini(path_);
  EXPECT_FALSE(ini.WriteString("A", "k", "two\r\nlines"));
  EXPECT_FALSE(ini.WriteString("A", "k", "two\nlines"));
  EXPECT_FALSE(ini.WriteString("A", "k=x", "1"));
  EXPECT_FALSE(ini.WriteString("A", "", "1"));
  EXPECT_FALSE(ini.WriteString("A", ";k", "1"));
  EXPECT_FALSE(ini.WriteString("A", "[k", "1"));
  EXPECT_FALSE(ini.WriteString("A]", "k", "1"));
  EXPECT_FALSE(ini.WriteString("", "k", "1"));
  EXPECT_FALSE(ini.WriteString(" A", "k", "1"));
  EXPECT_EQ(Get(), "[A]\r\nk=1\r\n");
}

TEST_F(ProfileFileTest, FileWithoutSections) {
  const std::string original = "jen text\r\nklic=hodnota\r\n";
  Put(original);
  ProfileFile ini(path_);
  EXPECT_TRUE(ini.ReadSections().isEmpty());
  EXPECT_EQ(ini.ReadString("Nastaveni", "klic", "vychozi"), "vychozi");
  ASSERT_TRUE(ini.WriteString("Nastaveni", "klic", "nova"));
  EXPECT_EQ(Get(), original + "[Nastaveni]\r\nklic=nova\r\n");
  EXPECT_EQ(ini.ReadString("Nastaveni", "klic", ""), "nova");
}

TEST_F(ProfileFileTest, GarbageReadsSensibly) {
  std::string garbage = "\xEF\xBB\xBF[Nastaveni]\r\n";
  garbage += "=bez klice\r\n";
  garbage += "[neuzavreny\r\n";
  garbage += std::string("\x01\x02\xFF\0\x7F binary", 12) + "\r\n";
  garbage += "[]\r\n";
  garbage += "Sirka=abc\r\n";
  garbage += "Vyska=500\r\n";
  garbage += "[ Formular ]  trailing\r\n";
  garbage += "Zleva=10\r\n";
  Put(garbage);
  ProfileFile ini(path_);
  // None of the garbage lines opens or closes a section.
  EXPECT_EQ(ini.ReadInteger("Nastaveni", "Sirka", 696), 696);
  EXPECT_EQ(ini.ReadInteger("Nastaveni", "Vyska", 0), 500);
  EXPECT_EQ(ini.ReadInteger("Formular", "Zleva", 0), 10);
  EXPECT_EQ(ini.ReadSection("Nastaveni"), (QStringList{"Sirka", "Vyska"}));
  EXPECT_EQ(ini.ReadSections(), (QStringList{"Nastaveni", "Formular"}));
  ASSERT_TRUE(ini.WriteInteger("Nastaveni", "Sirka", 800));
  std::string expected = garbage;
  expected.replace(expected.find("Sirka=abc"), 9, "Sirka=800");
  EXPECT_EQ(Get(), expected);
}

TEST_F(ProfileFileTest, SectionListingsDuplicatesAndErasing) {
  const std::string original =
      "[Seznam]\r\nPolozka1=a\r\n; komentar\r\npolozka1=dup\r\nPolozka2=b\r\n\r\n"
      "[Formular]\r\nSirka=1\r\n"
      "[seznam]\r\nPolozka3=c\r\n";
  Put(original);
  ProfileFile ini(path_);
  EXPECT_EQ(ini.ReadSection("Seznam"), (QStringList{"Polozka1", "Polozka2"}));
  const auto values = ini.ReadSectionValues("SEZNAM");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0], (std::pair<QString, QString>{"Polozka1", "a"}));
  EXPECT_EQ(values[1], (std::pair<QString, QString>{"Polozka2", "b"}));
  // The first section of a name is the one read.
  EXPECT_EQ(ini.ReadString("Seznam", "Polozka3", "none"), "none");

  ASSERT_TRUE(ini.DeleteKey("Seznam", "POLOZKA1"));
  EXPECT_EQ(Get(), "[Seznam]\r\n; komentar\r\nPolozka2=b\r\n\r\n[Formular]\r\nSirka=1\r\n[seznam]\r\nPolozka3=c\r\n");

  ASSERT_TRUE(ini.EraseSection("seznam"));
  EXPECT_EQ(Get(), "[Formular]\r\nSirka=1\r\n");
  EXPECT_FALSE(ini.SectionExists("Seznam"));

  const std::string before = Get();
  EXPECT_TRUE(ini.EraseSection("Neni"));
  EXPECT_TRUE(ini.DeleteKey("Formular", "Neni"));
  EXPECT_EQ(Get(), before);
}

TEST_F(ProfileFileTest, ManyKeysAndSectionsReadAsTheFirstOfEachName) {
  std::string text = "[Velky]\r\nk0=prvni\r\n";
  for (int i = 1; i < 79999; ++i) text += "k" + std::to_string(i) + "=" + std::to_string(i % 10) + "\r\n";
  text += "k79999=posledni\r\nK0=opakovany\r\n";
  for (int i = 0; i < 5000; ++i) text += "[s" + std::to_string(i) + "]\r\nx=" + std::to_string(i) + "\r\n";
  text += "[VELKY]\r\nk1=druhy oddil\r\njen_ve_druhem=1\r\n[S4999]\r\ny=2\r\n";
  ASSERT_LT(text.size(), 1024u * 1024u);
  Put(text);
  ProfileFile ini(path_);
  EXPECT_EQ(ini.ReadString("velky", "K0", "-"), "prvni");
  EXPECT_EQ(ini.ReadString("Velky", "k79999", "-"), "posledni");
  EXPECT_EQ(ini.ReadInteger("Velky", "k40003", -1), 3);
  EXPECT_EQ(ini.ReadString("Velky", "jen_ve_druhem", "-"), "-");
  EXPECT_FALSE(ini.ValueExists("s4999", "y"));
  EXPECT_EQ(ini.ReadInteger("s4999", "x", -1), 4999);
  const QStringList names = ini.ReadSection("Velky");
  ASSERT_EQ(names.size(), 80000);
  EXPECT_EQ(names.front(), "k0");
  EXPECT_EQ(names.back(), "k79999");
  const auto values = ini.ReadSectionValues("VELKY");
  ASSERT_EQ(values.size(), 80000u);
  EXPECT_EQ(values.front().second, "prvni");
  EXPECT_EQ(values.back().second, "posledni");
  const QStringList sections = ini.ReadSections();
  ASSERT_EQ(sections.size(), 5001);
  EXPECT_EQ(sections.front(), "Velky");
  EXPECT_EQ(sections.back(), "s4999");

  ASSERT_TRUE(ini.WriteStrings("velky", {{"k79999", "konec"}, {"novy", "n"}})) << ini.LastError().toStdString();
  EXPECT_EQ(ini.ReadString("Velky", "k79999", "-"), "konec");
  EXPECT_EQ(ini.ReadString("Velky", "novy", "-"), "n");
  EXPECT_EQ(ini.ReadString("Velky", "k0", "-"), "prvni");
  ASSERT_TRUE(ini.DeleteKey("Velky", "k0"));
  EXPECT_EQ(ini.ReadString("Velky", "k0", "-"), "-");  // every line of the first section's key goes
  EXPECT_EQ(ini.ReadSection("Velky").size(), 80000);   // k1..k79999 and novy
  ASSERT_TRUE(ini.EraseSection("VELKY"));
  EXPECT_FALSE(ini.SectionExists("Velky"));
  EXPECT_EQ(ini.ReadSections().size(), 5000);
}

TEST_F(ProfileFileTest, AnOversizedFileIsNeitherParsedNorOverwritten) {
  std::string text = "[Formular]\r\nSirka=800\r\n";
  text += std::string(ProfileFile::kNejvetsiVelikost - text.size() - 2, ';') + "\r\n";
  Put(text);
  ProfileFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("Formular", "Sirka", 0), 800);  // at the limit: still read
  EXPECT_FALSE(ProfileFile::PrilisVelky(path_));

  Put(text + "x");
  EXPECT_TRUE(ProfileFile::PrilisVelky(path_));
  EXPECT_EQ(ini.ReadInteger("Formular", "Sirka", 0), 0);
  EXPECT_FALSE(ini.SectionExists("Formular"));
  EXPECT_FALSE(ini.WriteInteger("Formular", "Sirka", 900));
  EXPECT_TRUE(ini.LastError().contains(QStringLiteral("příliš velký"))) << ini.LastError().toStdString();
  EXPECT_FALSE(ini.EraseSection("Formular"));
  EXPECT_EQ(Get(), text + "x");
}

TEST_F(ProfileFileTest, InterruptedWriteLeavesTheOldFileIntact) {
  const std::string original = "[Formular]\r\nSirka=700\r\n; mine\r\n";
  Put(original);
  ProfileFile ini(path_);
  bool hookRan = false;
  SetBeforeRenameHook([&](const QString& temporary) {
    hookRan = true;
    // The new text is complete in the temporary file, the old file still untouched.
    QFile file(temporary);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), "[Formular]\r\nSirka=900\r\n; mine\r\n");
    EXPECT_EQ(QFileInfo(temporary).absolutePath(), QFileInfo(path_).absolutePath());
    EXPECT_EQ(Get(), original);
    return false;  // the "crash" before the rename
  });
  EXPECT_FALSE(ini.WriteInteger("Formular", "Sirka", 900));
  EXPECT_TRUE(hookRan);
  EXPECT_FALSE(ini.LastError().isEmpty());
  EXPECT_EQ(Get(), original);
  EXPECT_TRUE(FolderEntries() == QStringList{"Kalmetra.ini"}) << FolderEntries().join(',').toStdString();
  EXPECT_EQ(ini.ReadInteger("Formular", "Sirka", 0), 700);

  SetBeforeRenameHook({});
  EXPECT_TRUE(ini.WriteInteger("Formular", "Sirka", 900));
  EXPECT_EQ(ini.ReadInteger("Formular", "Sirka", 0), 900);
}

TEST_F(ProfileFileTest, SeveralKeysGoInOneReplacementAllOrNone) {
  Put("[Seznam]\r\nPolozka2=stary\r\n; mine\r\n");
  ProfileFile ini(path_);
  int replacements = 0;
  SetBeforeRenameHook([&](const QString&) { return ++replacements > 0; });
  EXPECT_TRUE(ini.WriteStrings("seznam", {{"Polozka1", QStringLiteral("Kočár")}, {"Polozka2", "none"}}));
  EXPECT_EQ(replacements, 1);
  EXPECT_EQ(Get(), "[Seznam]\r\nPolozka2=none\r\n; mine\r\nPolozka1=Ko\xe8\xe1r\r\n");
  // One bad value refuses the whole write; the file stays as it was.
  const std::string before = Get();
  EXPECT_FALSE(ini.WriteStrings("Seznam", {{"Polozka1", "a"}, {"Polozka3", "b\nc"}}));
  EXPECT_FALSE(ini.LastError().isEmpty());
  EXPECT_EQ(replacements, 1);
  EXPECT_EQ(Get(), before);
}

TEST_F(ProfileFileTest, InterruptedFirstWriteCreatesNoFile) {
  ProfileFile ini(path_);
  SetBeforeRenameHook([](const QString&) { return false; });
  EXPECT_FALSE(ini.WriteString("A", "k", "v"));
  EXPECT_TRUE(FolderEntries().isEmpty()) << FolderEntries().join(',').toStdString();
}

TEST_F(ProfileFileTest, AFileThatCannotBeReadIsNeverOverwritten) {
  // A folder where the file should be: unreadable as a file, and it must stay as it is.
  ASSERT_TRUE(QDir(folder_.path()).mkdir("Kalmetra.ini"));
  ASSERT_TRUE(QDir(path_).mkdir("inside"));
  ProfileFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("Formular", "Sirka", 5), 5);
  EXPECT_FALSE(ini.WriteInteger("Formular", "Sirka", 6));
  EXPECT_FALSE(ini.LastError().isEmpty());
  EXPECT_FALSE(ini.EraseSection("Formular"));
  EXPECT_TRUE(QFileInfo(path_).isDir());
  EXPECT_TRUE(QFileInfo::exists(path_ + "/inside"));
}

TEST_F(ProfileFileTest, ReplacementThatCannotRenameCleansUp) {
  // rename() cannot put a file over a non-empty folder.
  ASSERT_TRUE(QDir(folder_.path()).mkpath("cil/obsah"));
  QString error;
  EXPECT_FALSE(ReplaceFileAtomically(folder_.filePath("cil"), "data", &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_TRUE(QFileInfo::exists(folder_.filePath("cil/obsah")));
  EXPECT_TRUE(FolderEntries() == QStringList{"cil"}) << FolderEntries().join(',').toStdString();
}

TEST_F(ProfileFileTest, ReadOnlyFolderLeavesTheOldFileIntact) {
  const std::string original = "[A]\r\nk=1\r\n";
  Put(original);
  QFile::setPermissions(folder_.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  const bool folderStillWritable = QFile(folder_.filePath("probe")).open(QIODevice::WriteOnly);
  if (folderStillWritable) {
    QFile::remove(folder_.filePath("probe"));
    QFile::setPermissions(folder_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    GTEST_SKIP() << "folder permissions do not bind this user (root)";
  }
  ProfileFile ini(path_);
  EXPECT_FALSE(ini.WriteString("A", "k", "2"));
  QFile::setPermissions(folder_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  EXPECT_FALSE(ini.LastError().isEmpty());
  EXPECT_EQ(Get(), original);
}

TEST_F(ProfileFileTest, PermissionsAndSymbolicLinksSurviveAWrite) {
  const QString real = folder_.filePath("skutecny.ini");
  {
    QFile file(real);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[A]\r\nk=1\r\n");
  }
  ASSERT_TRUE(QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup));
  ASSERT_TRUE(QFile::link(real, path_));
  ProfileFile ini(path_);
  ASSERT_TRUE(ini.WriteString("A", "k", "2"));
  EXPECT_TRUE(QFileInfo(path_).isSymLink());
  EXPECT_EQ(ini.ReadString("A", "k", ""), "2");
  const QFileDevice::Permissions all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                      QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                      QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
  EXPECT_EQ(QFileInfo(real).permissions() & all,
            QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
}

}  // namespace
}  // namespace kalmetra
