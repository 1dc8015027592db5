#!/usr/bin/env bash
# The tide page's test in a real browser: builds build/web, serves it on a
# free local port, and drives Debian's Chromium headless with puppeteer-core
# (no browser download). Screenshots go to build/web-test/.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
bash "$root/web/build.sh"

if [[ ! -d $here/node_modules/puppeteer-core ]] || [[ $here/package-lock.json -nt $here/node_modules/.package-lock.json ]]; then
  (cd "$here" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
fi

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 -d "$root/build/web" >"$root/build/web-server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
node "$here/page.test.mjs" "http://127.0.0.1:$port/"
