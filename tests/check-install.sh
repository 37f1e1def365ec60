#!/usr/bin/env bash
# cmake --install into a temporary prefix, then the installed tarnel-cli run from another
# folder: it must find its templates, designs, plug-ins and language files beside itself.
# The help documents are installed beside them.
# Usage: check-install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for need in bin/tarnel-cli lib/tarnel/tarnel-cli lib/tarnel/Template/main/default.html \
            lib/tarnel/css/default/wiki.css lib/tarnel/Language/English.txt lib/tarnel/plugin/br.so \
            lib/tarnel/help/japanese.html lib/tarnel/help/english.html \
            lib/tarnel/notation/japanese.html lib/tarnel/notation/english.html; do
  [ -e "$prefix/$need" ] || { echo "not installed: $need"; exit 1; }
done
cd /
settings="$prefix/settings.ini"
: >"$settings"
page="$source/examples/sample-wiki/46726F6E7450616765.txt"
html=$("$prefix/bin/tarnel-cli" --config "$settings" show "$page")
grep -q '<!DOCTYPE html>' <<<"$html" || { echo "show printed no page"; exit 1; }
grep -q 'css/default/wiki.css' <<<"$html" || { echo "the design is not found"; exit 1; }
"$prefix/bin/tarnel-cli" --config "$settings" list "$source/examples/sample-wiki" | grep -qx FrontPage
echo "installed tarnel-cli runs from $PWD"
