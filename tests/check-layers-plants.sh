#!/usr/bin/env bash
# The include check itself: it passes on a clean copy of src/ and fails once an upward
# include is planted in the copy (a text header that includes the session).
set -euo pipefail
source_dir=$1
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -r "$source_dir/src" "$copy/src"
"$source_dir/scripts/check-layers" "$copy/src"
echo '#include "render/UWikiSession.h"' >>"$copy/src/text/jconvert.h"
if "$source_dir/scripts/check-layers" "$copy/src" 2>"$copy/report"; then
  echo "the planted upward include was not reported" >&2
  exit 1
fi
grep -q 'text/jconvert.h:.*text includes render' "$copy/report"
