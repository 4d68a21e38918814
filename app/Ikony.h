// Icons of the actions: the desktop theme's icon where the theme has one, otherwise the
// picture shipped in the program's resources (resources/icons).
#pragma once

#include <QIcon>
#include <QString>

#include <array>

namespace kalmetra {

struct IkonaAkceInfo {
  const char* motiv;  // freedesktop icon name
  const char* zdroj;  // fallback resource
};

namespace ikony {
inline constexpr IkonaAkceInfo Novy{"document-new", ":/icons/novy.png"};
inline constexpr IkonaAkceInfo Editovat{"document-properties", ":/icons/editovat.png"};
inline constexpr IkonaAkceInfo Odstranit{"edit-delete", ":/icons/odstranit.png"};
inline constexpr IkonaAkceInfo Prvni{"go-first", ":/icons/prvni.png"};
inline constexpr IkonaAkceInfo Predchozi{"go-previous", ":/icons/predchozi.png"};
inline constexpr IkonaAkceInfo Nasledujici{"go-next", ":/icons/nasledujici.png"};
inline constexpr IkonaAkceInfo Posledni{"go-last", ":/icons/posledni.png"};
inline constexpr IkonaAkceInfo PrejitNa{"go-jump", ":/icons/prejit.png"};
inline constexpr IkonaAkceInfo Hledat{"edit-find", ":/icons/hledat.png"};
inline constexpr IkonaAkceInfo HledatDalsi{"edit-find-next", ":/icons/hledat_dalsi.png"};
inline constexpr IkonaAkceInfo Trideni{"view-sort-ascending", ":/icons/trideni.png"};
inline constexpr IkonaAkceInfo Filtr{"view-filter", ":/icons/filtr.png"};
inline constexpr IkonaAkceInfo ZrusitFiltr{"edit-clear", ":/icons/zrusit_filtr.png"};
inline constexpr IkonaAkceInfo Kopirovat{"edit-copy", ":/icons/kopirovat.png"};
inline constexpr IkonaAkceInfo Web{"internet-web-browser", ":/icons/web.png"};
inline constexpr IkonaAkceInfo Prehrat{"media-playback-start", ":/icons/prehrat.png"};
inline constexpr IkonaAkceInfo Export{"document-save-as", ":/icons/export.png"};
inline constexpr IkonaAkceInfo Import{"document-open", ":/icons/import.png"};
inline constexpr IkonaAkceInfo Sestavy{"document-print-preview", ":/icons/sestavy.png"};
inline constexpr IkonaAkceInfo Konfigurace{"preferences-system", ":/icons/konfigurace.png"};
inline constexpr IkonaAkceInfo Napoveda{"help-contents", ":/icons/napoveda.png"};
inline constexpr IkonaAkceInfo OProgramu{"help-about", ":/icons/o_programu.png"};
inline constexpr IkonaAkceInfo Konec{"application-exit", ":/icons/konec.png"};
inline constexpr IkonaAkceInfo SirkaPodleZahlavi{"format-justify-fill", ":/icons/sirka_zahlavi.png"};
inline constexpr IkonaAkceInfo SirkaPodleObsahu{"zoom-fit-best", ":/icons/sirka_obsah.png"};
inline constexpr IkonaAkceInfo SirkaVychozi{"zoom-original", ":/icons/sirka_vychozi.png"};

inline constexpr std::array<IkonaAkceInfo, 26> Vsechny = {
    Novy,    Editovat, Odstranit,   Prvni,     Predchozi, Nasledujici,       Posledni,
    PrejitNa, Hledat,  HledatDalsi, Trideni,   Filtr,     ZrusitFiltr,       Kopirovat,
    Web,     Prehrat,  Export,      Import,    Sestavy,   Konfigurace,       Napoveda,
    OProgramu, Konec,  SirkaPodleZahlavi, SirkaPodleObsahu, SirkaVychozi};
}  // namespace ikony

// The theme's icon of that name, or the fallback resource when the theme lacks it (or
// the name is empty).
QIcon IkonaAkce(const QString& themeName, const QString& fallbackResource);
QIcon IkonaAkce(const IkonaAkceInfo& info);

}  // namespace kalmetra
