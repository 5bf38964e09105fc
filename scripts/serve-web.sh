#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the editor's page (the web preset) and serves it on this machine only.
# Usage: scripts/serve-web.sh [PORT]   (default 8000; then open http://127.0.0.1:PORT/)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset web >/dev/null
cmake --build --preset web
port=${1:-8000}
echo "Serving build/web/site on http://127.0.0.1:$port/ (Ctrl+C stops)"
# The module and the WebAssembly need their types, whatever the system's list of types says.
exec python3 - "$port" <<'PY'
import functools, http.server, sys
handler = http.server.SimpleHTTPRequestHandler
handler.extensions_map.update({".mjs": "text/javascript", ".js": "text/javascript", ".wasm": "application/wasm"})
http.server.test(HandlerClass=functools.partial(handler, directory="build/web/site"),
                 port=int(sys.argv[1]), bind="127.0.0.1")
PY
