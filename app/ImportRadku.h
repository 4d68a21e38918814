// The rows of the CSV import: the file's lines, the values of a line and how they are
// stored in the catalogue. No window here, so the fuzz targets run it on a bare database.
#pragma once

#include <sql3_defs.h>

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kalmetra {

// Lines end with CR LF, LF or CR; a break at the very end adds no empty line.
std::vector<std::string_view> RadkyImportu(std::string_view obsah);

// The ten values of one line in table order: each of the first nine is the text before
// the next ";" (empty when none is left), the last one the whole rest. No quoting, no
// trimming.
std::array<std::string, 10> RozdelitRadek(std::string_view radek);

// What an import stored: the number of the last stored row (none when nothing is
// stored) and how many rows.
struct UlozeneRadky {
  std::optional<int64_t> posledni;
  int pocet = 0;
};

// Stores a row in the table of the record set for every line but the first, through one
// prepared INSERT, in transactions of kRadkuVDavce rows (one transaction around all when
// the caller holds one); each text is cut to its field's length and at a zero byte, an
// empty first value leaves the number to the database. The rows before a failing line
// stay stored, the failing one is not; its error is handed back in chyba. When the
// library itself rolls back a batch (a full disk, an I/O error), the rows of the earlier
// batches stay, and chyba says how many rows are stored. krok hears the number of each
// line handed to the database.
inline constexpr int kRadkuVDavce = 20000;
UlozeneRadky UlozitRadky(orvek3::TOrvek3Query& ds, const std::vector<std::string_view>& radky,
                         const std::function<void(int)>& krok, std::exception_ptr& chyba, int radkuVDavce = kRadkuVDavce);

}  // namespace kalmetra
