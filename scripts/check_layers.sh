#!/usr/bin/env bash
# The core's arrows run from a model to common/, never the other way and
# never between the models; the shared binding code includes neither
# library's header. Prints each include that breaks this and fails.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0
forbid() {  # forbid DIR PATTERN: no file under DIR includes a header matching PATTERN
  [[ -d $1 ]] || { echo "$1 is missing"; status=1; return; }
  local hits
  hits=$(grep -rnE "#include \"($2)" "$1" || true)
  if [[ -n $hits ]]; then
    echo "$1 must not include $2:"
    echo "$hits"
    status=1
  fi
}
forbid core/src/common 'builtin/|full/|nerith/full/'
forbid core/src/builtin 'full/|nerith/full/'
forbid core/src/full 'builtin/'
forbid bindings/src/common 'nerith_uniffi\.h|nerith_full_uniffi\.h|builtin/|full/|nerith/full/'
forbid bindings/src/builtin 'nerith_full_uniffi\.h|full/|nerith/full/'
forbid bindings/src/full 'nerith_uniffi\.h|builtin/'
exit $status
