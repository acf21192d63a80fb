#!/usr/bin/env bash
# Starts the desktop client. Extra arguments go to the client.
set -euo pipefail
BIN=$1; shift || true
exec "$BIN/kelvra" "$@"
