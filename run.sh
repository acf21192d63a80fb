#!/usr/bin/env bash
# Kelvra's one entry point: build, test, demo, bench.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libgmp-dev libsqlite3-dev libsimpleini-dev
  dbus dbus-bin fonts-dejavu-core
)

install_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

JOBS=${KELVRA_JOBS:-$(nproc)}
# ccache keys paths inside the checkout relative to it, so a fresh clone in
# another folder (as CI makes) compiles from the cache of earlier builds.
export CCACHE_BASEDIR="$ROOT"

configure_and_build() {  # dir buildtype [extra cmake args...]
  local dir=$1 type=$2; shift 2
  cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
  cmake --build "$ROOT/$dir" -j "$JOBS"
}

run_ctest() {  # dir
  (cd "$ROOT/$1" && QT_QPA_PLATFORM=offscreen dbus-run-session -- ctest --output-on-failure -j "$JOBS" --timeout 600)
}

cmd=${1:-}
case "$cmd" in
  build)
    install_packages
    configure_and_build build Debug
    ;;
  test)
    install_packages
    configure_and_build build Debug
    configure_and_build build-asan Debug -DKELVRA_SANITIZE=ON -DKELVRA_BUILD_BENCH=OFF -DKELVRA_BUILD_GUI=ON
    echo "== tests (normal build)"
    run_ctest build
    echo "== tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 run_ctest build-asan
    ;;
  demo)
    install_packages
    configure_and_build build Debug
    exec "$ROOT/scripts/demo.sh" "$ROOT/build/bin"
    ;;
  bench)
    install_packages
    configure_and_build build-release Release -DKELVRA_BUILD_TESTS=OFF
    for b in "$ROOT"/build-release/bench/*; do
      [ -f "$b" ] && [ -x "$b" ] || continue
      echo "== $(basename "$b")"
      "$b" --benchmark_min_time=0.2
    done
    ;;
  *)
    echo "usage: ./run.sh build|test|demo|bench" >&2
    exit 2
    ;;
esac
