#!/usr/bin/env bash
# Installs the build into a scratch prefix (no root needed) and checks that the
# installed program works from there: it finds its data folders beside itself,
# its desktop entry is valid, the .orvd type is known to the MIME database
# built from the installed XML, and the manual page is readable.
# Usage: staged_install_test.sh BUILD_DIR VERSION
set -euo pipefail
build="$(cd "$1" && pwd)" version="$2"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$stage/usr" >/dev/null
app="$stage/usr/lib/orvalinetrix"
for f in bin/orvalinetrix lib/orvalinetrix/orvalinetrix lib/orvalinetrix/img/2pt.bmp \
         lib/orvalinetrix/img/4pt.bmp lib/orvalinetrix/Help/Help.pdf lib/orvalinetrix/Help/Help_en.pdf \
         lib/orvalinetrix/i18n/orvalinetrix_en.qm lib/orvalinetrix/sample/chart.png \
         lib/orvalinetrix/sample/chart.orvd share/applications/orvalinetrix.desktop \
         share/mime/packages/orvalinetrix.xml share/icons/hicolor/scalable/apps/orvalinetrix.svg \
         share/man/man1/orvalinetrix.1.gz; do
  [[ -e "$stage/usr/$f" ]] || fail "not installed: $f"
done
[[ "$(readlink "$stage/usr/bin/orvalinetrix")" == ../lib/orvalinetrix/orvalinetrix ]] \
  || fail "bin/orvalinetrix is not the relative link to the program"

# Started through the link, the program still finds its folder.
[[ "$("$stage/usr/bin/orvalinetrix" --version)" == "orvalinetrix $version" ]] || fail "--version"
out="$(cd "$stage" && "$stage/usr/bin/orvalinetrix" export "$app/sample/chart.orvd" --format json 2>"$stage/err")" \
  || fail "export of the installed sample: $(cat "$stage/err")"
[[ ! -s "$stage/err" ]] || fail "export warned: $(cat "$stage/err")"
grep -qF "\"picture\": \"$app/sample/chart.png\"" <<<"$out" || fail "picture not resolved beside the program: $out"
[[ "$(grep -c '"series"' <<<"$out")" -eq 12 ]] || fail "expected 12 points: $out"

# Desktop entry: valid, opens the file it is given, names the reading type.
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate missing (scripts/setup installs desktop-file-utils)"
desktop="$stage/usr/share/applications/orvalinetrix.desktop"
msgs="$(desktop-file-validate "$desktop" 2>&1)" || fail "desktop entry: $msgs"
[[ -z "$msgs" ]] || fail "desktop entry hints: $msgs"
grep -qx 'Exec=orvalinetrix %f' "$desktop" || fail "Exec must be 'orvalinetrix %f'"
grep -qx 'MimeType=application/x-orvalinetrix-reading;' "$desktop" || fail "MimeType line"
grep -qx 'Icon=orvalinetrix' "$desktop" || fail "Icon line"

# The MIME database compiled from the installed XML maps the glob to the type.
update-mime-database "$stage/usr/share/mime" >/dev/null 2>&1 || fail "update-mime-database refused the XML"
grep -qx '50:application/x-orvalinetrix-reading:\*.orvd' "$stage/usr/share/mime/globs2" \
  || fail "*.orvd not mapped: $(cat "$stage/usr/share/mime/globs2")"

# Manual page: written from the program's help, every subcommand in it.
page="$(gzip -dc "$stage/usr/share/man/man1/orvalinetrix.1.gz")" || fail "man page is not gzip"
for s in '^\.TH ORVALINETRIX 1' '^\.SH "EXPORT"' '^\.SH "FIT"' '^\.SH "EVAL"'; do
  grep -q "$s" <<<"$page" || fail "man page lacks $s"
done
echo "staged install in $stage: ok"
