#!/usr/bin/env bash
# Starts the demo dealer on a free port (data in build/demo-dealer unless
# KELVRA_DEMO_DATA says otherwise) and the desktop client logged in to it as
# demo account 1001. Extra arguments go to the client. Stopping the client
# stops the dealer.
set -euo pipefail
BIN=$1; shift || true
DATA=${KELVRA_DEMO_DATA:-$(dirname "$BIN")/demo-dealer}
mkdir -p "$DATA"

coproc DEALER { exec "$BIN/kelvra-dealer" --port 0 --data "$DATA"; }
CLIENT_PID=
cleanup() {
  [ -n "$CLIENT_PID" ] && kill "$CLIENT_PID" 2>/dev/null || true
  kill "$DEALER_PID" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM
read -r -t 30 first <&"${DEALER[0]}" || { echo "the demo dealer did not start" >&2; exit 1; }
echo "demo dealer: $first (data in $DATA)"
PORT=${first##*:}
# Keep draining the dealer's output so it never blocks on a full pipe.
exec 3<&"${DEALER[0]}"
cat <&3 &

"$BIN/kelvra" --host 127.0.0.1 --port "$PORT" --account 1001 --password demo "$@" &
CLIENT_PID=$!
wait "$CLIENT_PID"
