#include "TestSupport.h"

#include <TextCodec.h>

#include <gtest/gtest.h>

namespace kalmetra {
namespace {

const QString kCzechLetters = QStringLiteral("AÁBCČDĎEÉĚFGHIÍJKLMNŇOÓPQRŘSŠTŤUÚŮVWXYÝZŽ"
                                             "aábcčdďeéěfghiíjklmnňoópqrřsštťuúůvwxyýzž");

TEST(TextCodec, AllCzechLettersRoundTrip) {
  const std::string ansi = ToAnsi(kCzechLetters);
  ASSERT_EQ(ansi.size(), static_cast<size_t>(kCzechLetters.size())) << "one byte per letter";
  EXPECT_EQ(FromAnsi(ansi), kCzechLetters);
  std::string checked;
  EXPECT_TRUE(TryToAnsi(kCzechLetters, checked));
  EXPECT_EQ(checked, ansi);
}

TEST(TextCodec, CzechLettersHaveTheirWindows1250Codes) {
  EXPECT_EQ(ToAnsi(QStringLiteral("č")), "\xE8");
  EXPECT_EQ(ToAnsi(QStringLiteral("Ř")), "\xD8");
  EXPECT_EQ(ToAnsi(QStringLiteral("ů")), "\xF9");
  EXPECT_EQ(ToAnsi(QStringLiteral("Š")), "\x8A");
  EXPECT_EQ(ToAnsi(QStringLiteral("ž")), "\x9E");
  EXPECT_EQ(ToAnsi(QStringLiteral("€")), "\x80");
  EXPECT_EQ(FromAnsi("\x8E\x9D\xEC"), QStringLiteral("Žťě"));
}

TEST(TextCodec, EveryByteThatHasACharacterComesBack) {
  int defined = 0;
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const QString text = FromAnsi(byte);
    ASSERT_EQ(text.size(), 1) << "byte " << b;
    if (text.at(0) == QChar(0xFFFD)) continue;
    ++defined;
    EXPECT_EQ(ToAnsi(text), byte) << "byte " << b;
  }
  EXPECT_GE(defined, 251);  // Windows-1250 leaves at most five codes unassigned
}

TEST(TextCodec, EmbeddedZeroAndEmptyText) {
  const std::string withZero("a\0b", 3);
  EXPECT_EQ(FromAnsi(withZero).size(), 3);
  EXPECT_EQ(ToAnsi(FromAnsi(withZero)), withZero);
  EXPECT_TRUE(FromAnsi("").isEmpty());
  EXPECT_TRUE(ToAnsi(QString()).empty());
}

TEST(TextCodec, CharactersOutsideTheCodePageAreReported) {
  const QString text = QStringLiteral("Año ñ 日") + QString::fromUcs4(U"\U0001F600") + QStringLiteral(" ok");
  std::string out;
  QString unsupported;
  EXPECT_FALSE(TryToAnsi(text, out, &unsupported));
  EXPECT_EQ(unsupported, QStringLiteral("ñ日") + QString::fromUcs4(U"\U0001F600"));
  EXPECT_FALSE(FitsAnsi(text));
  EXPECT_TRUE(FitsAnsi(kCzechLetters));
  // The plain conversion replaces them; it is never used where that would lose data.
  EXPECT_EQ(ToAnsi(QStringLiteral("xñy")), "x?y");
}

TEST(TextCodec, ValidatorRefusesWhatTheCodePageCannotHold) {
  AnsiValidator validator;
  int pos = 0;
  QString good = QStringLiteral("Příliš žluťoučký kůň");
  QString bad = QStringLiteral("Příliš ñ");
  EXPECT_EQ(validator.validate(good, pos), QValidator::Acceptable);
  EXPECT_EQ(validator.validate(bad, pos), QValidator::Invalid);
}

}  // namespace
}  // namespace kalmetra
