#!/usr/bin/env bash
# Opens the program's export files in standard tools: xmllint reads the XML document and
# the HTML page, LibreOffice (headless) reads the semicolon-separated file as Windows-1250
# with ";" and no text delimiter, and must find exactly the cells the file holds.
# Usage: check-export-formats.sh [build folder]   (built when it holds no test program)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bash scripts/install-deps.sh --with-office
build="${1:-build}"
[ -x "$build/tests/app/app_tests" ] || bash scripts/build.sh "$build"

out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
KALMETRA_VZORKY_EXPORTU="$out" QT_QPA_PLATFORM=offscreen \
  "$build/tests/app/app_tests" --gtest_filter='ExportTest.SampleFilesForTheFormatCheck' >/dev/null

xmllint --noout "$out/Kalmetra.xml"
xmllint --html --noout "$out/Kalmetra.html"
echo "xmllint: XML and HTML well-formed"

# 33 is LibreOffice's number for Windows-1250, 59 the ";", 76 UTF-8 and 9 TAB for the copy.
HOME="$out/home" soffice --headless --infilter="CSV:59,,33,1" \
  --convert-to 'csv:Text - txt - csv (StarCalc):9,,76,1' --outdir "$out/calc" "$out/Kalmetra.csv" >/dev/null 2>&1
[ -s "$out/calc/Kalmetra.csv" ] || { echo "LibreOffice did not read the CSV file" >&2; exit 1; }

# What the spreadsheet must hold: every line split at each ";". A spreadsheet has no
# empty cells at the end of a row, so trailing empty ones are left out on both sides.
iconv -f WINDOWS-1250 -t UTF-8 "$out/Kalmetra.csv" | tr -d '\r' | tr ';' '\t' | sed 's/\t*$//' > "$out/expected.tsv"
tr -d '\r' < "$out/calc/Kalmetra.csv" | awk '{ sub(/\t*$/, ""); print }' > "$out/calc.tsv"
if ! diff "$out/expected.tsv" "$out/calc.tsv"; then
  echo "LibreOffice read other cells than the CSV file holds" >&2
  exit 1
fi
echo "LibreOffice: $(wc -l < "$out/calc.tsv") rows, the cells of the CSV file, Czech letters intact"
