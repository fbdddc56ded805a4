#!/usr/bin/env bash
# Unpacks the Debian package and runs the program from its files as an ordinary user would:
# `nobody` when the test runs as root, else the test's own user, with the program folder
# read-only either way. tolvan from the PATH writes a whole package; the launcher entry starts
# the window, dressed by the sample brand, offscreen, with a probe (install/tests/probe) that
# reports what the user sees and opens a news item from a publisher's service on 127.0.0.1.
# Usage: installed-program.sh PACKAGE_DIR PROBE_PLUGIN_DIR
set -euo pipefail
deb=$(ls "$1"/hurrex-tolvan_*.deb)
probe=$2
source_root=$(cd "$(dirname "$0")/../.." && pwd)

work=$(mktemp -d)
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

# The user the program runs as, and how to become it.
if [ "$(id -u)" -eq 0 ]; then
  as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
else
  as_user=()
fi
user_dir() { mkdir -p "$@"; [ ${#as_user[@]} -eq 0 ] || chown "nobody:$(id -g nobody)" "$@"; }

fs="$work/fs"
dpkg-deb -x "$deb" "$fs"
program="$fs/usr/lib/hurrex-tolvan"

# The layout: tolvan on the PATH, its manual, the icon in every size, one main category.
[ "$(readlink "$fs/usr/bin/tolvan")" = ../lib/hurrex-tolvan/tolvan ] || fail "no tolvan link"
[ -f "$fs/usr/share/man/man1/tolvan.1.gz" ] || fail "no manual page"
icons="$fs/usr/share/icons/hicolor"
[ -f "$icons/scalable/apps/hurrex-tolvan.svg" ] || fail "no SVG icon"
for size in 16 22 24 32 48 64 128 256; do
  png="$icons/${size}x${size}/apps/hurrex-tolvan.png"
  [ -f "$png" ] || fail "no $size px icon"
  # A PNG's width and height stand in its header, at bytes 16 to 23.
  [ "$(od --endian=big -An -tu4 -j16 -N8 "$png" | tr -s ' ')" = " $size $size" ] ||
    fail "the $size px icon has another size"
done
entry="$fs/usr/share/applications/hurrex-tolvan.desktop"
grep -qx 'Icon=hurrex-tolvan' "$entry" || fail "the launcher entry names no icon"
main_categories=$(sed -n 's/^Categories=//p' "$entry" | tr ';' '\n' |
  grep -cxE 'AudioVideo|Audio|Video|Development|Education|Game|Graphics|Network|Office|Science|Settings|System|Utility' || true)
[ "$main_categories" = 1 ] || fail "the launcher entry has $main_categories main categories"

# The sample brand, its news service on a free port; the program folder then read-only.
port=$(php -r '$s = stream_socket_server("tcp://127.0.0.1:0");
  echo substr(strrchr(stream_socket_get_name($s, false), ":"), 1);')
LC_ALL=C sed "s#http://127.0.0.1:8765/#http://127.0.0.1:$port/#" "$source_root/examples/brand/brand.txt" \
  >"$work/brand.txt"
"$program/tolvan" brand encrypt "$work/brand.txt" "$program/dbsettings.dat"
cp "$source_root"/examples/brand/{banner1.dat,mainskin.dat,main.ico} "$program/"
chmod -R a-w "$fs"
listing() { (cd "$program" && find . -printf '%p %s %T@ %m\n' | sort); }
before=$(listing)

mkdir -p "$work/www"
ln -s "$source_root/newsservice" "$work/www/news"
NEWS_DATA="$source_root/examples/publisher/news" php -S "127.0.0.1:$port" -t "$work/www" \
  >"$work/news.log" 2>&1 &
server=$!
for _ in $(seq 1 100); do
  curl -s -o /dev/null "http://127.0.0.1:$port/news/" && break
  sleep 0.05
done

user_dir "$work/home" "$work/home/.config" "$work/runtime" "$work/out" "$work/site"
chmod 700 "$work/runtime"
cp -r "$probe/.." "$work/plugins"
chmod -R a+rX "$work/plugins"
run_as_user() {
  "${as_user[@]}" env -i PATH="$fs/usr/bin:/usr/bin:/bin" HOME="$work/home" \
    XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work/runtime" "$@"
}

# tolvan from the PATH finds the shipped files in the program folder behind its link.
run_as_user tolvan --help | grep -q 'generate' || fail "tolvan --help"
printf '<html>\n' >"$work/site/index.php"
chmod a+w "$work/site/index.php"
# With a database, so that every shipped file goes into the package.
(cd / && run_as_user tolvan generate --page "$work/site/index.php" --max-sales 5 \
  --database 'mysql:host=db.example;dbname=shop') >/dev/null || fail "tolvan generate"
for file in "$program"/script/* "$program/stthanksredirect.php"; do
  cmp -s "$file" "$work/site/$(basename "$file")" || fail "$(basename "$file") not copied as shipped"
done
[ -f "$work/site/stconfig1.php" ] || fail "no stconfig1.php"
head -c 5 "$work/site/index.php" | grep -q '<?php' || fail "no include line on the page"

# The launcher's command starts the window; the probe reports what it shows.
exec_line=$(sed -n 's/^Exec=//p' "$entry")
eval "command=($exec_line)"
[ "${command[0]}" = /usr/lib/hurrex-tolvan/hurrex-tolvan ] || fail "launcher runs ${command[0]}"
window() { # REPORT [NAME=VALUE...]
  local report=$1
  shift
  run_as_user QT_QPA_PLATFORM=offscreen QT_PLUGIN_PATH="$work/plugins" \
    QT_QPA_GENERIC_PLUGINS="windowprobe:$report" "$@" timeout 60 "$fs${command[0]}" ||
    fail "the window ended with status $?"
  echo "--- $(basename "$report")"
  cat "$report"
  grep -qx done "$report" || fail "the probe did not finish"
  ! grep '^message ' "$report" || fail "the window showed a message"
  grep -qx 'title Café Seller Pro v2.01' "$report" || fail "not the branded caption"
}

window "$work/out/first" WINDOW_PROBE_NEWS=1
grep -qx balloon "$work/out/first" || fail "no news announced at the first start"
opened=$(sed -n 's/^opened //p' "$work/out/first")
[ -n "$opened" ] || fail "no news item opened"
kept="$work/home/.config/hurrex-tolvan/last-news-ids"
[ -f "$kept" ] || fail "no news id kept for the user"
grep -q "=$opened"$'\r'"\$" "$kept" || fail "the kept id is not $opened: $(cat -v "$kept")"

# Read back at the next start: the newest item was opened, so nothing new is announced.
[ "$opened" = 7 ] || fail "the first item is not the newest (7) but $opened"
window "$work/out/second"
! grep -qx balloon "$work/out/second" || fail "the opened news is announced again"

[ "$(listing)" = "$before" ] || fail "the program folder changed"
echo "installed program runs from $fs as $(run_as_user id -un)"
