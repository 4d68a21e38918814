// The one boundary between the program's Windows-1250 text and Qt's QString.
// Everything that passes text between the data layer (or an 8-bit file) and the
// user interface converts here and nowhere else.
#pragma once

#include <QString>
#include <QValidator>

#include <string>

namespace kalmetra {

// Windows-1250 bytes to QString; every byte has a meaning, nothing is lost.
QString FromAnsi(const std::string& ansi);
// QString to Windows-1250; a character the code page lacks becomes '?'. Use TryToAnsi
// where such a character must be refused instead.
std::string ToAnsi(const QString& text);
// False when the text holds characters Windows-1250 cannot hold; they are listed, each
// once and in order of appearance, in *unsupported when it is given. out receives the
// conversion of the rest.
bool TryToAnsi(const QString& text, std::string& out, QString* unsupported = nullptr);
// True when every character of the text can be stored in Windows-1250.
bool FitsAnsi(const QString& text);

// Refuses input the code page cannot hold, as an 8-bit edit control would.
class AnsiValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

}  // namespace kalmetra
