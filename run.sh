#!/usr/bin/env bash
# Kelvra's one entry point: build, test, demo, bench.
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n libqt6svg6 libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libgmp-dev libsqlite3-dev libsimpleini-dev
  dbus dbus-bin fonts-dejavu-core
)
# Only for ./run.sh fuzz: clang and its libFuzzer runtime.
FUZZ_PACKAGES=(clang libclang-rt-dev)

install_packages() {  # [package...] (default: PACKAGES)
  local missing=()
  [ $# -eq 0 ] && set -- "${PACKAGES[@]}"
  for p in "$@"; do
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

configure_and_build() {  # dir buildtype [extra cmake args...] [--target T]
  local dir=$1 type=$2; shift 2
  local args=() target=()
  while [ $# -gt 0 ]; do
    if [ "$1" = --target ]; then target=(--target "$2"); shift 2; else args+=("$1"); shift; fi
  done
  cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "${args[@]}" >/dev/null
  cmake --build "$ROOT/$dir" -j "$JOBS" "${target[@]}"
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
  fuzz)
    install_packages "${PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    seconds=${2:-60}
    shift $(( $# < 2 ? $# : 2 ))
    CC=clang CXX=clang++ configure_and_build build-fuzz Debug -DKELVRA_FUZZ=ON -DKELVRA_BUILD_TESTS=OFF \
      -DKELVRA_BUILD_BENCH=OFF -DCMAKE_C_FLAGS_DEBUG="-g -O1" -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" --target fuzz
    targets=("$@")
    if [ ${#targets[@]} -eq 0 ]; then
      for f in "$ROOT"/fuzz/*_fuzz.cpp; do t=$(basename "$f" .cpp); targets+=("${t%_fuzz}"); done
    fi
    # The targets write the files they read: in memory when there is room.
    scratch=${TMPDIR:-/tmp}
    [ -d /dev/shm ] && [ -w /dev/shm ] && scratch=/dev/shm
    failed=()
    for t in "${targets[@]}"; do
      # The committed corpus stays as it is; new inputs go to a scratch copy.
      work="$ROOT/build-fuzz/runs/$t"
      rm -rf "$work" && mkdir -p "$work/corpus" "$work/artifacts"
      cp "$ROOT/fuzz/corpus/$t"/* "$work/corpus/"
      echo "== $t (${seconds}s)"
      if ! (cd "$work" && TMPDIR="$scratch" QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
            UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            "$ROOT/build-fuzz/fuzz/${t}_fuzz" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
            -artifact_prefix="$work/artifacts/" corpus >"$work/log" 2>&1); then
        failed+=("$t")
        grep -E "^==[0-9]+==ERROR|runtime error|SUMMARY|Test unit written" "$work/log" | head -20 || true
      fi
      { grep -E "^#[0-9]+[[:space:]]+(DONE|INITED)" "$work/log" | tail -1
        grep -E "^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)" "$work/log" | awk '!seen[$0]++'; } || true
    done
    if [ ${#failed[@]} -gt 0 ]; then
      echo "findings in: ${failed[*]} (logs and inputs in build-fuzz/runs/)" >&2
      exit 1
    fi
    ;;
  *)
    echo "usage: ./run.sh build|test|demo|bench|fuzz [SECONDS] [TARGET...]" >&2
    exit 2
    ;;
esac
