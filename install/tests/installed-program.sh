#!/usr/bin/env bash
# Installs the built program into a temporary prefix and runs it from there: tolvan through its
# link on the PATH writes a whole package, and the launcher entry starts the window.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

program="$prefix/lib/hurrex-tolvan"
[ -L "$prefix/bin/tolvan" ] || fail "no tolvan link in $prefix/bin"
[ -f "$prefix/share/icons/hicolor/scalable/apps/hurrex-tolvan.svg" ] || fail "no icon"
entry="$prefix/share/applications/hurrex-tolvan.desktop"
grep -qx 'Icon=hurrex-tolvan' "$entry" || fail "the launcher entry names no icon"

# tolvan from the PATH finds the shipped files in the program folder behind its link.
PATH="$prefix/bin:$PATH" tolvan --help | grep -q 'generate' || fail "tolvan --help"
site="$prefix/site"
mkdir -p "$site"
printf '<html>\n' >"$site/index.php"
# With a database, so that every shipped file goes into the package.
(cd / && PATH="$prefix/bin:$PATH" tolvan generate --page "$site/index.php" --max-sales 5 \
  --database 'mysql:host=db.example;dbname=shop') || fail "tolvan generate"
for file in "$program"/script/* "$program/stthanksredirect.php"; do
  cmp -s "$file" "$site/$(basename "$file")" || fail "$(basename "$file") not copied as shipped"
done
[ -f "$site/stconfig1.php" ] || fail "no stconfig1.php"
[ -f "$site/stdatabase.php" ] || fail "no stdatabase.php"
head -c 5 "$site/index.php" | grep -q '<?php' || fail "no include line on the page"

# The launcher's command starts the window, which is still up a second later.
exec_line=$(sed -n 's/^Exec=//p' "$entry")
eval "command=($exec_line)"
[ "${command[0]}" = "$program/hurrex-tolvan" ] || fail "launcher runs ${command[0]}"
QT_QPA_PLATFORM=offscreen "${command[@]}" &
window=$!
sleep 1
kill -0 "$window" 2>/dev/null || { wait "$window" || true; fail "the window did not stay up"; }
kill "$window"
wait "$window" 2>/dev/null || true
echo "installed program runs from $prefix"
