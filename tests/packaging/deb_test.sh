#!/usr/bin/env bash
# Builds the Debian package with cpack, installs it with dpkg, checks the
# installed program, its desktop entry and the .orvd type, then removes it and
# checks that nothing is left. Needs root (dpkg); otherwise it is skipped.
# Usage: deb_test.sh BUILD_DIR VERSION
set -euo pipefail
build="$(cd "$1" && pwd)" version="$2"
skip=77
if [[ $(id -u) -ne 0 ]]; then
  echo "SKIPPED: installing a package needs root (run the test suite as root to include it)"
  exit $skip
fi
for tool in dpkg dpkg-deb cpack dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIPPED: $tool is not available (scripts/setup installs dpkg-dev)"
    exit $skip
  fi
done

fail() { echo "FAIL: $*" >&2; exit 1; }
# One package test on the machine at a time: they share /usr.
exec 9>/tmp/orvalinetrix-deb-test.lock
flock -w 120 9 || fail "another package test holds /tmp/orvalinetrix-deb-test.lock"

work="$(mktemp -d)"
cleanup() {
  if dpkg-query -W -f='${Status}' orvalinetrix 2>/dev/null | grep -q "ok installed"; then
    dpkg -r orvalinetrix >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
t0=$SECONDS

# A package left by an earlier run (or installed by hand) goes first.
if dpkg-query -W -f='${Status}' orvalinetrix 2>/dev/null | grep -q "install ok installed"; then
  echo "removing the orvalinetrix package installed before the test"
  dpkg -r orvalinetrix >/dev/null
fi

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) \
  || fail "cpack: $(cat "$work/cpack.log")"
deb="$work/out/orvalinetrix_${version}_$(dpkg --print-architecture).deb"
[[ -f "$deb" ]] || fail "no package $deb: $(ls "$work/out")"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

# Control data: dependencies found, no maintainer scripts needed.
depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libqt6core6 libqt6gui6 libqt6widgets6 libpoppler-qt6-3 libtesseract5 tesseract-ocr-eng libstdc++6 libc6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
# Every file root-owned, nothing writable by others.
bad="$(dpkg-deb -c "$deb" | awk '$2 != "root/root" || ($1 !~ /^l/ && substr($1, 9, 1) == "w")')"
[[ -z "$bad" ]] || fail "bad owner or permissions: $bad"

dpkg -i "$deb" >"$work/install.log" 2>&1 || fail "dpkg -i: $(cat "$work/install.log")"
files=(/usr/bin/orvalinetrix /usr/lib/orvalinetrix/orvalinetrix /usr/lib/orvalinetrix/img/2pt.bmp
       /usr/lib/orvalinetrix/img/4pt.bmp /usr/lib/orvalinetrix/Help/Help.pdf /usr/lib/orvalinetrix/Help/Help_en.pdf
       /usr/lib/orvalinetrix/i18n/orvalinetrix_en.qm
       /usr/lib/orvalinetrix/sample/chart.png /usr/lib/orvalinetrix/sample/chart.orvd
       /usr/share/applications/orvalinetrix.desktop /usr/share/mime/packages/orvalinetrix.xml
       /usr/share/icons/hicolor/scalable/apps/orvalinetrix.svg /usr/share/man/man1/orvalinetrix.1.gz)
for f in "${files[@]}"; do
  [[ -e "$f" ]] || fail "not installed: $f"
done
[[ -x /usr/lib/orvalinetrix/orvalinetrix ]] || fail "the program is not executable"

# The installed program, started through /usr/bin, headless.
[[ "$(/usr/bin/orvalinetrix --version)" == "orvalinetrix $version" ]] || fail "--version"
(cd "$work" && /usr/bin/orvalinetrix export /usr/lib/orvalinetrix/sample/chart.orvd --out "$work/csv" \
   >"$work/export.out" 2>"$work/export.err") || fail "export: $(cat "$work/export.err")"
[[ ! -s "$work/export.err" ]] || fail "export warned: $(cat "$work/export.err")"
[[ -f "$work/csv/series-1.csv" && -f "$work/csv/series-2.csv" ]] || fail "export wrote: $(cat "$work/export.out")"
# Series 1 row 4 is (5, 25) with Z typed as 12.5; series 2 row 1 is (1, 10) with Z -3.
grep -q $'^5\\.0000,25\\.000,12\\.5\r$' "$work/csv/series-1.csv" || fail "series 1: $(cat "$work/csv/series-1.csv")"
grep -q $'^1\\.0000,10\\.0000,-3\r$' "$work/csv/series-2.csv" || fail "series 2: $(cat "$work/csv/series-2.csv")"
[[ "$(wc -l <"$work/csv/series-1.csv")" -eq 8 ]] || fail "series 1 should have a name and 7 rows"

# A double click on a .orvd file: its type, the application for the type, the command.
grep -qx 'Exec=orvalinetrix %f' /usr/share/applications/orvalinetrix.desktop || fail "Exec line"
[[ "$(command -v orvalinetrix)" == /usr/bin/orvalinetrix ]] || fail "orvalinetrix is not /usr/bin/orvalinetrix on PATH"
cp /usr/lib/orvalinetrix/sample/chart.orvd "$work/My Chart.orvd"
if command -v xdg-mime >/dev/null && command -v mimetype >/dev/null; then
  # xdg-mime asks the shared MIME database through mimetype; without it it
  # falls back to file(1), which knows no file name patterns.
  type="$(xdg-mime query filetype "$work/My Chart.orvd")"
  [[ "$type" == application/x-orvalinetrix-reading ]] || fail "xdg-mime says $type"
  app="$(xdg-mime query default application/x-orvalinetrix-reading)"
  [[ "$app" == orvalinetrix.desktop ]] || fail "default application for the type: '$app'"
  echo "xdg-mime: $type -> $app"
else
  grep -qx '50:application/x-orvalinetrix-reading:\*.orvd' /usr/share/mime/globs2 \
    || fail "the MIME database does not map *.orvd"
  echo "MIME database maps *.orvd (xdg-mime with mimetype not available)"
fi
if command -v update-desktop-database >/dev/null; then
  grep -qx 'application/x-orvalinetrix-reading=orvalinetrix.desktop;' /usr/share/applications/mimeinfo.cache \
    || fail "mimeinfo.cache does not list the program for the type"
fi

dpkg -r orvalinetrix >"$work/remove.log" 2>&1 || fail "dpkg -r: $(cat "$work/remove.log")"
for f in "${files[@]}" /usr/lib/orvalinetrix /usr/share/mime/application/x-orvalinetrix-reading.xml; do
  [[ ! -e "$f" && ! -L "$f" ]] || fail "left after removal: $f"
done
! grep -q orvalinetrix /usr/share/mime/globs2 || fail "the MIME database still maps *.orvd"
if [[ -f /usr/share/applications/mimeinfo.cache ]]; then
  ! grep -q orvalinetrix /usr/share/applications/mimeinfo.cache || fail "mimeinfo.cache still lists the program"
fi
! dpkg-query -W -f='${Status}' orvalinetrix 2>/dev/null | grep -q "ok installed" || fail "dpkg still lists the package"
echo "package built, installed, checked and removed in $((SECONDS - t0)) s"
