#!/usr/bin/env bash
# Lintian's check of the package in PACKAGE_DIR: no error and no warning (the informational
# tags it still gives are listed in the README).
set -euo pipefail
deb=$(ls "$1"/hurrex-tolvan_*.deb)
lintian --fail-on error,warning --display-info "$deb"
echo "lintian: no errors or warnings on $(basename "$deb")"
