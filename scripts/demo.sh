#!/usr/bin/env bash
# The demo: kelvra-dealer on localhost:2222 (unless one already answers
# there; its data in build/demo-dealer or KELVRA_DEMO_DATA) and the desktop
# client with its own home (build/demo-home or KELVRA_DEMO_HOME), whose INI
# holds the demo login 1001 with its saved password, so it logs in at once.
# Extra arguments go to the client. Closing the client stops a dealer that
# this script started.
set -euo pipefail
BIN=$1; shift || true
ROOT=$(dirname "$BIN")
DATA=${KELVRA_DEMO_DATA:-$ROOT/demo-dealer}
HOME_DIR=${KELVRA_DEMO_HOME:-$ROOT/demo-home}
PORT=2222
mkdir -p "$DATA" "$HOME_DIR"

DEALER_PID=
CLIENT_PID=
cleanup() {
  [ -n "$CLIENT_PID" ] && kill "$CLIENT_PID" 2>/dev/null || true
  [ -n "$DEALER_PID" ] && kill "$DEALER_PID" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if (exec 3<>"/dev/tcp/127.0.0.1/$PORT") 2>/dev/null; then
  echo "a dealer already answers on 127.0.0.1:$PORT"
else
  coproc DEALER { exec "$BIN/kelvra-dealer" --port "$PORT" --data "$DATA"; }
  read -r -t 30 first <&"${DEALER[0]}" || { echo "the demo dealer did not start" >&2; exit 1; }
  echo "demo dealer: $first (data in $DATA)"
  # Keep draining the dealer's output so it never blocks on a full pipe.
  exec 4<&"${DEALER[0]}"
  cat <&4 &
fi

INI=$HOME_DIR/kelvra.ini
LOGIN=()
if [ ! -f "$INI" ] || ! grep -qi '^\[logins\]' "$INI"; then
  # First run: the connection settings, the demo login given once (the
  # client remembers it with its password) and an EURUSD H1 chart beside
  # the lists, so a newcomer sees a live chart at once.
  [ -f "$INI" ] || printf '[kelvra-server]\nhost = 127.0.0.1\nport = %s\n\n[desktop]\nLang = 1\n' "$PORT" > "$INI"
  LOGIN=(--account 1001 --password demo --chart EURUSD:H1)
fi

"$BIN/kelvra" --home "$HOME_DIR" "${LOGIN[@]}" "$@" &
CLIENT_PID=$!
wait "$CLIENT_PID"
