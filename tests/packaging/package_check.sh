#!/usr/bin/env bash
# Installs into a temporary prefix and builds the Debian package, then holds both to what the
# desktop's tools expect: a clean desktop file, valid metainfo, no lintian errors or warnings,
# one id throughout, and man pages that name every option the programs take.
# Usage: package_check.sh BUILD_DIR CPACK APP_ID
set -euo pipefail
build=$1
cpack=$2
id=$3

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

for tool in desktop-file-validate appstreamcli lintian dpkg-shlibdeps strings; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/deps.sh test)"
done

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/gifrec bin/gifanim share/applications/$id.desktop \
            share/icons/hicolor/scalable/apps/$id.svg share/metainfo/$id.metainfo.xml \
            share/man/man1/gifrec.1.gz share/man/man1/gifanim.1.gz \
            share/doc/gifrec/copyright share/doc/gifrec/changelog.gz; do
  [ -e "$prefix/$file" ] || fail "cmake --install left out $file"
done

desktop=$prefix/share/applications/$id.desktop
report=$(desktop-file-validate "$desktop" 2>&1 || true)
[ -z "$report" ] || fail "desktop-file-validate: $report"
grep -qx "Icon=$id" "$desktop" || fail "the desktop file's Icon is not $id"
grep -qx "Exec=gifrec" "$desktop" || fail "the desktop file does not start gifrec"

metainfo=$prefix/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 \
  || fail "appstreamcli: $(cat "$work/appstream.log")"
grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
  || fail "the metainfo does not launch $id.desktop"
# The window manager matches the running program to its desktop file by this name.
# Qt keeps the name as UTF-16 text.
strings -el "$prefix/bin/gifrec" | grep -x "$id" >/dev/null || fail "gifrec does not call itself $id"

# Every option either program's help names is in its man page.
man_options() { zcat "$prefix/share/man/man1/$1.1.gz" | sed 's/\\-/-/g' | grep -o -- '--[a-z][a-z-]*' | sort -u; }
help_options() { grep -o -- '--[a-z][a-z-]*' | sort -u; }
{
  "$prefix/bin/gifanim" --help
  for command in $("$prefix/bin/gifanim" --help | sed -n 's/^  \([a-z]\+\) .*/\1/p'); do
    "$prefix/bin/gifanim" "$command" --help
  done
} | help_options >"$work/gifanim.help"
missing=$(comm -23 "$work/gifanim.help" <(man_options gifanim))
[ -z "$missing" ] || fail "gifanim.1 does not describe: $missing"
for command in $("$prefix/bin/gifanim" --help | sed -n 's/^  \([a-z]\+\) .*/\1/p'); do
  zcat "$prefix/share/man/man1/gifanim.1.gz" | grep "^\.SS \"gifanim $command" >/dev/null \
    || fail "gifanim.1 has no section on $command"
done
QT_QPA_PLATFORM=offscreen "$prefix/bin/gifrec" --help | help_options >"$work/gifrec.help"
missing=$(comm -23 "$work/gifrec.help" <(man_options gifrec))
[ -z "$missing" ] || fail "gifrec.1 does not describe: $missing"

(cd "$work" && "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >cpack.log 2>&1) \
  || fail "cpack: $(tail -n 20 "$work/cpack.log")"
deb=$(ls "$work"/deb/gifrec_*.deb)
dpkg-deb -f "$deb" Depends | grep libqt6widgets6 >/dev/null || fail "the package does not depend on Qt"
# lintian exits 1 when it reports problems (judged by the lines below), 2 when it could not run.
lintian_status=0
lintian "$deb" >"$work/lintian.log" 2>&1 || lintian_status=$?
[ "$lintian_status" -le 1 ] || fail "lintian did not run: $(tail -n 20 "$work/lintian.log")"
if grep -E '^(E|W):' "$work/lintian.log"; then fail "lintian found problems"; fi
echo "ok: $(basename "$deb")"
