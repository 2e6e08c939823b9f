#!/usr/bin/env bash
# Fails when a source of the game includes a header from a layer above its
# own (see docs/architecture.md). The layers, bottom to top:
#
#   0 platform/
#   1 modules over the platform: zip/, ini/, httpupload/ and any folder not
#     named here; a module includes the platform only, never another module
#   2 the sound-library binding and the built-in levels: soundlib/, assets/
#     (the binding starts the zip engine when it loads the library)
#   3 services/
#   4 play/
#   5 editor/
#   6 frontend/
#
# tests/, tools/ and bench/ stand outside the game: they may include any
# layer, and no layer may include them.
#
#   scripts/check_layers.sh [SOURCE_DIR]   check the tree (default: this checkout)
#   scripts/check_layers.sh --self-test    show that a planted upward include fails
set -euo pipefail

declare -A RANK=([platform]=0 [soundlib]=2 [assets]=2 [services]=3 [play]=4 [editor]=5 [frontend]=6)
OUTSIDE=" tests tools bench docs scripts "
MODULE_RANK=1
OUTSIDE_RANK=99

rank_of() {
  local folder=$1
  if [[ -n ${RANK[$folder]+set} ]]; then echo "${RANK[$folder]}"
  elif [[ $OUTSIDE == *" $folder "* ]]; then echo "$OUTSIDE_RANK"
  else echo "$MODULE_RANK"; fi
}

check_tree() {
  local root=$1 bad=0 dir folder own file line target to
  for dir in "$root"/*/; do
    folder=$(basename "$dir")
    [[ $folder == build* || $OUTSIDE == *" $folder "* ]] && continue
    own=$(rank_of "$folder")
    while IFS=: read -r file line target; do
      to=${target%%/*}
      [[ -d $root/$to && $to != "$folder" ]] || continue
      if (( $(rank_of "$to") >= own )); then
        echo "${file#"$root"/}:$line: includes \"$target\": $to/ is not below $folder/"
        bad=1
      fi
    done < <(grep -rnoE --include='*.h' --include='*.cpp' --include='*.cc' \
               '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$dir" |
             sed -E 's/:[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)"$/:\1/')
  done
  return $bad
}

self_test() {
  local tmp
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' RETURN
  mkdir -p "$tmp"/{platform,services,play,frontend,zip,tests}
  echo '#include "platform/gfx.h"' >"$tmp/services/a.h"
  echo '#include "services/a.h"' >"$tmp/play/b.cpp"
  echo '#include "platform/files.h"' >"$tmp/zip/c.cpp"
  if ! check_tree "$tmp" >/dev/null; then echo "self-test: a clean tree was refused"; return 1; fi
  for planted in 'services/d.cpp:#include "play/b.h"' 'play/d.cpp:#include "frontend/x.h"' \
                 'zip/d.cpp:#include "services/a.h"' 'play/d.cpp:  #  include "tests/x.h"'; do
    echo "${planted#*:}" >"$tmp/${planted%%:*}"
    if check_tree "$tmp" >/dev/null; then echo "self-test: missed ${planted}"; return 1; fi
    rm "$tmp/${planted%%:*}"
  done
  echo "self-test: upward includes are refused"
}

if [[ ${1:-} == --self-test ]]; then
  self_test
  exit
fi
ROOT=$(cd "${1:-$(dirname "$0")/..}" && pwd)
if ! check_tree "$ROOT"; then
  echo "upward includes found: a layer may include only the layers below it (docs/architecture.md)"
  exit 1
fi
echo "layers: no upward includes"
