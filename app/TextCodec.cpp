#include "TextCodec.h"

#include <sql_text.h>

#include <string_view>

namespace kalmetra {

namespace {

std::u16string_view View(const QString& text) {
  return {reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())};
}

}  // namespace

QString FromAnsi(const std::string& ansi) {
  const std::u16string wide = orvek3::AnsiToUtf16(ansi);
  return QString::fromStdU16String(wide);
}

std::string ToAnsi(const QString& text) { return orvek3::Utf16ToAnsi(View(text)); }

bool TryToAnsi(const QString& text, std::string& out, QString* unsupported) {
  if (orvek3::TryUnicodeToAnsi(View(text), out)) {
    if (unsupported != nullptr) unsupported->clear();
    return true;
  }
  if (unsupported != nullptr) {
    unsupported->clear();
    std::string scratch;
    // Walk by code point so that a surrogate pair is reported as the one character it is.
    for (qsizetype i = 0; i < text.size();) {
      const qsizetype length =
          (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
      const QString character = text.mid(i, length);
      if (!orvek3::TryUnicodeToAnsi(View(character), scratch) && !unsupported->contains(character))
        unsupported->append(character);
      i += length;
    }
  }
  return false;
}

bool FitsAnsi(const QString& text) {
  std::string scratch;
  return orvek3::TryUnicodeToAnsi(View(text), scratch);
}

QValidator::State AnsiValidator::validate(QString& input, int& /*pos*/) const {
  // A zero character would end the text wherever it is passed on as a C string.
  return FitsAnsi(input) && !input.contains(QChar(u'\0')) ? Acceptable : Invalid;
}

}  // namespace kalmetra
