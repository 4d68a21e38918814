// The settings file: an INI text file read and written key by key, like the profile
// files of the Windows API.
//
// - Section and key names are matched without regard to letter case.
// - Every read opens the file anew and parses it once, in time linear in its size; every
//   write goes to the disk at once and replaces the file in one step (Platforma.h), so a
//   crash never leaves a half-written file.
// - Of a section that appears more than once only the first is read and written; of a
//   key repeated in it, the first line.
// - Lines the program does not change (comments, unknown keys, blank lines, garbage) are
//   kept byte for byte and in their order.
// - The text in the file is Windows-1250. The interface takes and gives QString; the
//   conversion happens here (TextCodec.h). A write whose text Windows-1250 cannot hold
//   is refused, never stored with replacement characters.
// - A missing file reads as empty; it is created by the first write.
// - A file that exists but cannot be read reads as empty too, but is never overwritten:
//   writing to it fails, so its contents cannot be lost.
#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace kalmetra {

class ProfileFile {
 public:
  explicit ProfileFile(QString path);

  // A settings file is a few kilobytes; one larger than this is not read (it reads as
  // empty) and never written over.
  static constexpr qint64 kNejvetsiVelikost = 1024 * 1024;
  // The file at path exists and is larger than kNejvetsiVelikost.
  static bool PrilisVelky(const QString& path);

  const QString& Path() const { return path_; }

  // The value of the key; defaultValue when the section or the key is missing. A key
  // that is present with an empty value gives empty text. A value written between a
  // pair of double or single quotes is given without them.
  QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
  // Decimal integers with an optional sign; anything else (also a number outside the
  // range of int) gives defaultValue.
  int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
  // An integer; any non-zero integer is true. A value that is no integer gives defaultValue.
  bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

  // The key names of the section in file order, each once (the first spelling).
  QStringList ReadSection(const QString& section) const;
  // The keys of the section with their values (as ReadString gives them), in file order.
  std::vector<std::pair<QString, QString>> ReadSectionValues(const QString& section) const;
  // The section names in file order, each once.
  QStringList ReadSections() const;
  bool SectionExists(const QString& section) const;
  bool ValueExists(const QString& section, const QString& key) const;

  // Each write returns false when the file could not be replaced or the text cannot be
  // stored; LastError() then says why and the file is as it was before the call.
  bool WriteString(const QString& section, const QString& key, const QString& value);
  // Several keys of one section in one replacement of the file: all of them or none.
  bool WriteStrings(const QString& section, const std::vector<std::pair<QString, QString>>& values);
  // Keys of several sections, in order, in one replacement of the file: all or none.
  using SectionValues = std::pair<QString, std::vector<std::pair<QString, QString>>>;
  bool WriteSections(const std::vector<SectionValues>& sections);
  bool WriteInteger(const QString& section, const QString& key, int value);
  bool WriteBool(const QString& section, const QString& key, bool value);
  // Removes the section (every section of that name) with all its lines.
  bool EraseSection(const QString& section);
  // Removes the key from the section.
  bool DeleteKey(const QString& section, const QString& key);

  // Why the last write failed; empty after a write that succeeded.
  const QString& LastError() const { return lastError_; }

 private:
  bool Fail(const QString& message);

  QString path_;
  QString lastError_;
};

// Moves the file out of the way under the first free name of "<file>.poskozeny",
// "<file>.poskozeny2", ... in its folder; never replaces a file. The new path, or empty
// with the reason in *error.
QString OdlozitSoubor(const QString& path, QString* error = nullptr);

}  // namespace kalmetra
