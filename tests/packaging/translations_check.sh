#!/usr/bin/env bash
# Every text the program shows has its English translation: lupdate, run over the sources into a
# copy of the translation file, finds no text that the file lacks, and none is left unfinished.
# Usage: translations_check.sh SOURCE_DIR LUPDATE QT_INCLUDE_DIR
set -euo pipefail
source=$1
lupdate=$2
qt=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cp "$source/packaging/translations/gifrec_en.ts" "$work/gifrec_en.ts"
(cd "$source" && "$lupdate" -I . -I "$qt" -I "$qt/QtCore" -I "$qt/QtWidgets" -no-obsolete \
   -tr-function-alias translate+=Translated -source-language zh_CN -target-language en app \
   -ts "$work/gifrec_en.ts") >"$work/lupdate.log" 2>&1 || fail "lupdate: $(cat "$work/lupdate.log")"
grep -q '(0 new and' "$work/lupdate.log" \
  || fail "texts without a translation (cmake --build build --target update_translations): $(grep Found "$work/lupdate.log")"
if grep -n -A3 'type="unfinished"' "$work/gifrec_en.ts"; then fail "unfinished translations"; fi
echo ok
