#!/usr/bin/env python3
"""Fills a catalogue with Czech and Czechoslovak films, for screenshots and trying the program.

ukazkovy_katalog.py <Kalmetra.sqlite> [count]

The catalogue is created from the program's template when it does not exist. Text is stored
as Windows-1250 bytes, as the program stores it. Past the list's end the films repeat as
further copies (DVD, Blu-ray, file) on other shelves, so that a large catalogue still reads
like a real one.
"""
import os
import shutil
import sqlite3
import sys

FILMY = [
    ("Pelíšky", 1999, 116, "Komedie", "Česko", "Jan Hřebejk", "Miroslav Donutil, Jiří Kodet, Bolek Polívka"),
    ("Obecná škola", 1991, 100, "Komedie", "Československo", "Jan Svěrák", "Václav Jakoubek, Jan Tříska, Libuše Šafránková"),
    ("Vesničko má středisková", 1985, 98, "Komedie", "Československo", "Jiří Menzel", "Marián Labuda, János Bán, Rudolf Hrušínský"),
    ("Kolja", 1996, 105, "Drama", "Česko", "Jan Svěrák", "Zdeněk Svěrák, Andrej Chalimon, Libuše Šafránková"),
    ("Ostře sledované vlaky", 1966, 93, "Drama", "Československo", "Jiří Menzel", "Václav Neckář, Josef Somr, Vlastimil Brodský"),
    ("Marketa Lazarová", 1967, 165, "Historický", "Československo", "František Vláčil", "Magda Vášáryová, Josef Kemr, František Velecký"),
    ("Spalovač mrtvol", 1968, 95, "Horor", "Československo", "Juraj Herz", "Rudolf Hrušínský, Vlasta Chramostová"),
    ("Hoří, má panenko", 1967, 71, "Komedie", "Československo", "Miloš Forman", "Jan Vostrčil, Josef Šebánek"),
    ("Lásky jedné plavovlásky", 1965, 90, "Drama", "Československo", "Miloš Forman", "Hana Brejchová, Vladimír Pucholt"),
    ("Černý Petr", 1963, 85, "Komedie", "Československo", "Miloš Forman", "Ladislav Jakim, Pavla Martínková"),
    ("Limonádový Joe aneb Koňská opera", 1964, 99, "Western", "Československo", "Oldřich Lipský", "Karel Fiala, Květa Fialová, Miloš Kopecký"),
    ("Adéla ještě nevečeřela", 1977, 105, "Komedie", "Československo", "Oldřich Lipský", "Michal Dočolomanský, Miloš Kopecký"),
    ("Jáchyme, hoď ho do stroje!", 1974, 87, "Komedie", "Československo", "Oldřich Lipský", "Luděk Sobota, Věra Galatíková"),
    ("Tři oříšky pro Popelku", 1973, 82, "Pohádka", "Československo", "Václav Vorlíček", "Libuše Šafránková, Pavel Trávníček"),
    ("Princezna se zlatou hvězdou", 1959, 91, "Pohádka", "Československo", "Martin Frič", "Marie Kyselková, Josef Zíma"),
    ("Pyšná princezna", 1952, 97, "Pohádka", "Československo", "Bořivoj Zeman", "Alena Vránová, Vladimír Ráž"),
    ("S čerty nejsou žerty", 1984, 97, "Pohádka", "Československo", "Hynek Bočan", "Vladimír Dlouhý, Jiří Pecha"),
    ("Císařův pekař – Pekařův císař", 1951, 144, "Komedie", "Československo", "Martin Frič", "Jan Werich, Marie Vášová"),
    ("Starci na chmelu", 1964, 89, "Muzikál", "Československo", "Ladislav Rychman", "Vladimír Pucholt, Ivana Pavlová"),
    ("Slavnosti sněženek", 1983, 83, "Komedie", "Československo", "Jiří Menzel", "Rudolf Hrušínský, Jaromír Hanzlík"),
    ("Postřižiny", 1980, 98, "Komedie", "Československo", "Jiří Menzel", "Magda Vášáryová, Jiří Schmitzer"),
    ("Rozmarné léto", 1968, 74, "Komedie", "Československo", "Jiří Menzel", "Rudolf Hrušínský, Vlastimil Brodský"),
    ("Skřivánci na niti", 1969, 94, "Drama", "Československo", "Jiří Menzel", "Václav Neckář, Jitka Zelenohorská"),
    ("Obchod na korze", 1965, 128, "Drama", "Československo", "Ján Kadár, Elmar Klos", "Jozef Kroner, Ida Kamińska"),
    ("Dita Saxová", 1967, 98, "Drama", "Československo", "Antonín Moskalyk", "Krystyna Mikołajewska"),
    ("Kočár do Vídně", 1966, 79, "Válečný", "Československo", "Karel Kachyňa", "Iva Janžurová"),
    ("Ucho", 1970, 94, "Drama", "Československo", "Karel Kachyňa", "Radoslav Brzobohatý, Jiřina Bohdalová"),
    ("Valerie a týden divů", 1970, 73, "Fantasy", "Československo", "Jaromil Jireš", "Jaroslava Schallerová"),
    ("Žert", 1968, 80, "Drama", "Československo", "Jaromil Jireš", "Josef Somr, Jana Dítětová"),
    ("Sedmikrásky", 1966, 74, "Experimentální", "Československo", "Věra Chytilová", "Jitka Cerhová, Ivana Karbanová"),
    ("Kalamita", 1981, 99, "Komedie", "Československo", "Věra Chytilová", "Bolek Polívka"),
    ("Dědictví aneb Kurvahošigutntag", 1992, 122, "Komedie", "Česko", "Věra Chytilová", "Bolek Polívka"),
    ("Kulový blesk", 1978, 92, "Komedie", "Československo", "Zdeněk Podskalský, Ladislav Smoljak", "Zdeněk Svěrák, Jiří Hálek"),
    ("Jára Cimrman ležící, spící", 1983, 91, "Komedie", "Československo", "Ladislav Smoljak", "Zdeněk Svěrák, Ladislav Smoljak"),
    ("Vrchní, prchni!", 1981, 90, "Komedie", "Československo", "Ladislav Smoljak", "Josef Abrhám, Libuše Šafránková"),
    ("Na samotě u lesa", 1976, 89, "Komedie", "Československo", "Jiří Menzel", "Zdeněk Svěrák, Josef Kemr"),
    ("Marečku, podejte mi pero!", 1976, 92, "Komedie", "Československo", "Oldřich Lipský", "Jiří Sovák, Vladimír Menšík"),
    ("Dobří holubi se vracejí", 1988, 88, "Drama", "Československo", "Dušan Klein", "Pavel Kříž, Bolek Polívka"),
    ("Jak vytrhnout velrybě stoličku", 1977, 81, "Rodinný", "Československo", "Marie Poledňáková", "Jiří Bartoška"),
    ("Jak dostat tatínka do polepšovny", 1978, 82, "Rodinný", "Československo", "Marie Poledňáková", "Josef Abrhám"),
    ("Byl jednou jeden polda", 1995, 104, "Komedie", "Česko", "Jaroslav Soukup", "Luděk Sobota"),
    ("Samotáři", 2000, 103, "Drama", "Česko", "David Ondříček", "Jitka Schneiderová, Ivan Trojan"),
    ("Musíme si pomáhat", 2000, 120, "Drama", "Česko", "Jan Hřebejk", "Bolek Polívka, Anna Šišková"),
    ("Tmavomodrý svět", 2001, 112, "Válečný", "Česko", "Jan Svěrák", "Ondřej Vetchý, Kryštof Hádek"),
    ("Kawasakiho růže", 2009, 100, "Drama", "Česko", "Jan Hřebejk", "Martin Huba"),
    ("Vratné lahve", 2007, 103, "Komedie", "Česko", "Jan Svěrák", "Zdeněk Svěrák, Daniela Kolářová"),
    ("Občanský průkaz", 2010, 136, "Komedie", "Česko", "Ondřej Trojan", "Jakub Prachař"),
    ("Želary", 2003, 150, "Drama", "Česko", "Ondřej Trojan", "Anna Geislerová, György Cserhalmi"),
    ("Štěstí", 2005, 100, "Drama", "Česko", "Bohdan Sláma", "Tatiana Vilhelmová, Pavel Liška"),
    ("Divoké včely", 2001, 98, "Drama", "Česko", "Bohdan Sláma", "Pavel Liška"),
    ("Knoflíkáři", 1997, 105, "Komedie", "Česko", "Petr Zelenka", "Pavel Zajíček"),
    ("Rok ďábla", 2002, 87, "Hudební", "Česko", "Petr Zelenka", "Jaromír Nohavica, Karel Plíhal"),
    ("Karamazovi", 2008, 110, "Drama", "Česko", "Petr Zelenka", "Ivan Trojan"),
    ("Návrat idiota", 1999, 100, "Drama", "Česko", "Saša Gedeon", "Pavel Liška"),
    ("Šakalí léta", 1993, 104, "Muzikál", "Česko", "Jan Hřebejk", "Jakub Špalek, Martin Dejdar"),
    ("Snowboarďáci", 2004, 94, "Komedie", "Česko", "Karel Janák", "Vojtěch Kotek"),
    ("Horem pádem", 2004, 120, "Drama", "Česko", "Jan Hřebejk", "Jiří Macháček"),
    ("Bobule", 2008, 95, "Komedie", "Česko", "Tomáš Bařina", "Kryštof Hádek"),
    ("Kajínek", 2010, 111, "Krimi", "Česko", "Petr Jákl", "Konstantin Lavroněnko"),
    ("Pouta", 2009, 146, "Thriller", "Česko", "Radim Špaček", "Ondřej Malý"),
    ("Ve stínu", 2012, 106, "Krimi", "Česko", "David Ondříček", "Ivan Trojan"),
    ("Cesta ven", 2014, 103, "Drama", "Česko", "Petr Václav", "Klaudia Dudová"),
    ("Hořící keř", 2013, 234, "Drama", "Česko", "Agnieszka Holland", "Tatiana Pauhofová"),
    ("Masaryk", 2016, 113, "Životopisný", "Česko", "Julius Ševčík", "Karel Roden"),
    ("Tři bratři", 2014, 92, "Pohádka", "Česko", "Jan Svěrák", "Vojtěch Dyk"),
    ("Kuky se vrací", 2010, 95, "Rodinný", "Česko", "Jan Svěrák", "Oldřich Kaiser"),
    ("Vlny", 2024, 131, "Drama", "Česko", "Jiří Mádl", "Vojtěch Vodochodský"),
    ("Il Boemo", 2022, 140, "Životopisný", "Česko", "Petr Václav", "Vojtěch Dyk"),
    ("Šarlatán", 2020, 118, "Životopisný", "Česko", "Agnieszka Holland", "Ivan Trojan"),
    ("Arvéd", 2022, 106, "Drama", "Česko", "Vojtěch Mašek", "Michal Kern"),
    ("Bábovky", 2020, 102, "Komedie", "Česko", "Rudolf Havlík", "Aňa Geislerová"),
    ("Ať žijí duchové!", 1977, 82, "Rodinný", "Československo", "Oldřich Lipský", "Jiří Sovák"),
    ("Pan Tau", 1970, 85, "Rodinný", "Československo", "Jindřich Polák", "Otto Šimánek"),
    ("Ikarie XB 1", 1963, 88, "Sci-fi", "Československo", "Jindřich Polák", "Zdeněk Štěpánek"),
    ("Zítra vstanu a opařím se čajem", 1977, 92, "Sci-fi", "Československo", "Jindřich Polák", "Petr Kostka"),
    ("Krakatit", 1948, 104, "Sci-fi", "Československo", "Otakar Vávra", "Karel Höger"),
    ("Vynález zkázy", 1958, 82, "Animovaný", "Československo", "Karel Zeman", "Lubor Tokoš"),
    ("Cesta do pravěku", 1955, 93, "Dobrodružný", "Československo", "Karel Zeman", "Vladimír Bejval"),
    ("Baron Prášil", 1961, 83, "Fantasy", "Československo", "Karel Zeman", "Miloš Kopecký"),
    ("Údolí včel", 1967, 97, "Historický", "Československo", "František Vláčil", "Petr Čepek"),
    ("Stíny horkého léta", 1977, 98, "Válečný", "Československo", "František Vláčil", "Juraj Kukura"),
    ("Atentát", 1964, 118, "Válečný", "Československo", "Jiří Sequens", "Ladislav Mrkvička"),
    ("Vyšší princip", 1960, 108, "Drama", "Československo", "Jiří Krejčík", "František Smolík"),
    ("Dým bramborové natě", 1976, 93, "Drama", "Československo", "Karel Kachyňa", "Rudolf Hrušínský"),
    ("Kdo chce zabít Jessii?", 1966, 80, "Komedie", "Československo", "Václav Vorlíček", "Jiří Sovák, Olga Schoberová"),
    ("Pane, vy jste vdova!", 1970, 90, "Komedie", "Československo", "Václav Vorlíček", "Iva Janžurová"),
    ("Dívka na koštěti", 1971, 75, "Pohádka", "Československo", "Václav Vorlíček", "Petra Černocká"),
    ("Jak utopit dr. Mráčka aneb Konec vodníků v Čechách", 1974, 99, "Komedie", "Československo", "Václav Vorlíček", "Libuše Šafránková"),
    ("Ať žije republika", 1965, 132, "Válečný", "Československo", "Karel Kachyňa", "Zdeněk Lstibůrek"),
    ("Světáci", 1969, 90, "Komedie", "Československo", "Zdeněk Podskalský", "Jan Libíček, Vlastimil Brodský"),
    ("Noc na Karlštejně", 1973, 90, "Muzikál", "Československo", "Zdeněk Podskalský", "Vlastimil Brodský, Jana Brejchová"),
    ("Zlatí úhoři", 1979, 86, "Drama", "Československo", "Karel Kachyňa", "Rudolf Hrušínský"),
    ("Báječní muži s klikou", 1978, 92, "Komedie", "Československo", "Jiří Menzel", "Rudolf Hrušínský"),
    ("Anděl na horách", 1955, 92, "Komedie", "Československo", "Bořivoj Zeman", "Vlasta Burian"),
    ("Muži v offsidu", 1931, 91, "Komedie", "Československo", "Svatopluk Innemann", "Hugo Haas"),
    ("Extase", 1933, 87, "Drama", "Československo", "Gustav Machatý", "Hedy Kiesler"),
    ("Hej rup!", 1934, 83, "Komedie", "Československo", "Martin Frič", "Jan Werich, Jiří Voskovec"),
    ("Saturnin", 1994, 95, "Komedie", "Česko", "Jiří Věrčák", "Oldřich Vízner"),
    ("Fany", 1995, 93, "Drama", "Česko", "Jiří Strach", "Karel Heřmánek"),
    ("Ene bene", 2000, 88, "Komedie", "Česko", "Alice Nellis", "Iva Janžurová"),
]

NOSICE = ["DVD", "Blu-ray", "soubor MKV", "VHS"]


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    path = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 300
    if not os.path.exists(path):
        here = os.path.dirname(os.path.abspath(__file__))
        shutil.copyfile(os.path.join(here, "..", "resources", "Kalmetra_sablona.sqlite"), path)
    db = sqlite3.connect(path)
    db.text_factory = bytes

    def t(text):
        return text.encode("cp1250")

    rows = []
    for i in range(count):
        titul, rok, stopaz, zanr, puvod, rezie, obsazeni = FILMY[i % len(FILMY)]
        kopie = i // len(FILMY)
        nosic = NOSICE[(i + kopie) % len(NOSICE)]
        koment = nosic if kopie == 0 else f"{nosic}, {kopie + 1}. kopie"
        regal = f"Regál {chr(ord('A') + i % 6)}, police {1 + i % 5}"
        umisteni = f"/media/filmy/{titul}.mkv" if nosic == "soubor MKV" else regal
        rows.append((t(titul), t(str(rok)), t(str(stopaz)), t(zanr), t(puvod), t(rezie), t(obsazeni), t(koment), t(umisteni)))
    db.executemany(
        "INSERT INTO Tabulka (Titul, Rok, Stopaz, Zanr, Puvod, Rezie, Obsazeni, Koment, Umisteni)"
        " VALUES (?,?,?,?,?,?,?,?,?)", rows)
    db.commit()
    db.close()
    print(f"{count} films written to {path}")


if __name__ == "__main__":
    main()
