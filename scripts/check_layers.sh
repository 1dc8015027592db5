#!/usr/bin/env bash
# The core's arrows run from a model to common, never the other way and
# never between the models, in its sources, its public headers and its
# targets' links; the shared binding code includes neither library's header.
# Prints each include or link that breaks this and fails.
#   check_layers.sh [ROOT]     check the tree at ROOT (default: this one)
#   check_layers.sh --self-test  also check that planted breaks are caught
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

# The public headers of each layer (under core/include/); the rest of them
# (types, calendar, model, ports, windows, log) are common's.
BUILTIN_HEADERS='nerith/api\.hpp|nerith/ports/search\.hpp|nerith/ports/day_prediction\.hpp'
FULL_HEADERS='nerith/full/'

check() {  # check ROOT: 0 when every arrow runs the right way
  local root=$1 status=0
  forbid() {  # forbid PATH PATTERN: no file at PATH includes a header matching PATTERN
    [[ -e $root/$1 ]] || { echo "$1 is missing"; status=1; return; }
    local hits
    hits=$(grep -rnHE "#include \"($2)" "$root/$1" || true)
    if [[ -n $hits ]]; then
      echo "$1 must not include $2:"
      echo "${hits//$root\//}"
      status=1
    fi
  }
  links() {  # links FILE TARGET: what TARGET is made of and links in FILE, one a line
    awk -v t="$2" '
      $0 ~ "(target_link_libraries|nerith_core_library)\\(" t "[ )]" { on = 1 }
      on { print; if ($0 ~ /\)/) on = 0 }' "$root/$1" | tr ' ()' '\n\n\n' |
      grep -vxE "|target_link_libraries|nerith_core_library|$2" || true
  }
  forbid_link() {  # forbid_link FILE TARGET PATTERN: TARGET links nothing matching PATTERN
    local bad
    bad=$(links "$1" "$2" | grep -E "$3" || true)
    if [[ -n $bad ]]; then
      echo "$1: $2 must neither link nor compile $3:"
      echo "$bad"
      status=1
    fi
  }
  local common_headers
  common_headers=$(cd "$root/core/include" && ls nerith/*.hpp | grep -vE "^($BUILTIN_HEADERS)$")
  forbid core/src/common "builtin/|full/|$BUILTIN_HEADERS|$FULL_HEADERS"
  forbid core/src/builtin "full/|$FULL_HEADERS"
  forbid core/src/full "builtin/|$BUILTIN_HEADERS"
  for header in $common_headers; do
    forbid "core/include/$header" "$BUILTIN_HEADERS|$FULL_HEADERS"
  done
  forbid core/include/nerith/full "$BUILTIN_HEADERS"
  forbid bindings/src/common "nerith_uniffi\\.h|nerith_full_uniffi\\.h|builtin/|full/|$BUILTIN_HEADERS|$FULL_HEADERS"
  forbid bindings/src/builtin "nerith_full_uniffi\\.h|full/|$FULL_HEADERS"
  forbid bindings/src/full "nerith_uniffi\\.h|builtin/|$BUILTIN_HEADERS"
  forbid_link core/CMakeLists.txt nerith_common 'builtin|full|nerith_core|nerith::core'
  forbid_link core/CMakeLists.txt nerith_full 'builtin|nerith_core|nerith::core'
  forbid_link bindings/CMakeLists.txt nerith_uniffi_frame 'builtin|full|nerith::core'
  local full_binding
  full_binding=$(awk '/nerith_uniffi_library\(nerith_full_uniffi/ { on = 1 }
                      on { print; if ($0 ~ /\)/) on = 0 }' "$root/bindings/CMakeLists.txt")
  if [[ -z $full_binding || $full_binding =~ LINK.*(builtin|nerith::core) ]]; then
    echo "bindings/CMakeLists.txt: nerith_full_uniffi must link nerith::full, never builtin"
    status=1
  fi
  return $status
}

# A copy of the tree with one break planted in it must fail.
self_test() {
  local scratch failed=0
  scratch=$(mktemp -d)
  trap 'rm -rf "$scratch"' RETURN
  plant() {  # plant WHAT FILE SED: the copy with FILE edited by SED must fail
    rm -rf "$scratch/tree" && mkdir -p "$scratch/tree/core" "$scratch/tree/bindings"
    cp -r "$here/core/include" "$here/core/src" "$here/core/CMakeLists.txt" "$scratch/tree/core/"
    cp -r "$here/bindings/src" "$here/bindings/CMakeLists.txt" "$scratch/tree/bindings/"
    sed -i "$3" "$scratch/tree/$2"
    if check "$scratch/tree" >/dev/null; then
      echo "self-test: a planted $1 went unnoticed"
      failed=1
    fi
  }
  plant "full -> builtin include" core/src/full/api.cpp '1i #include "builtin/db.hpp"'
  plant "full -> built-in API include" core/src/full/curve.hpp '1i #include "nerith/api.hpp"'
  plant "common header -> builtin" core/include/nerith/model.hpp '1i #include "nerith/ports/search.hpp"'
  plant "full -> builtin link" core/CMakeLists.txt \
    's/target_link_libraries(nerith_full PUBLIC nerith_common/& nerith_builtin/'
  plant "builtin source in full" core/CMakeLists.txt \
    's|^  src/full/api.cpp|  src/builtin/db.cpp\n&|'
  plant "full binding -> built-in API include" bindings/src/full/records.hpp '1i #include "nerith/api.hpp"'
  plant "full binding -> builtin link" bindings/CMakeLists.txt \
    's/LINK nerith::full)/LINK nerith::full nerith::builtin)/'
  return $failed
}

case ${1:-} in
  --self-test) check "$here" && self_test ;;
  '') check "$here" ;;
  *) check "$(cd "$1" && pwd)" ;;
esac
