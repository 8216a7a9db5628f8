#!/usr/bin/env bash
# The Windows build of everything without Qt (build-win/, MinGW, static) and its tests under
# Wine: the core test programs as .exe, the Windows serial backend against zylsim on COM ports
# of the Wine prefix, and zylctl.exe driven by the process tests. Prints how many Windows tests
# ran and passed; any failure makes the script fail.
#
#   tools/test-win.sh                    build and run everything
#   tools/test-win.sh --gtest_filter=X   passed on to every test program
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
win=$root/build-win
linux=$root/build

tools/setup.sh build-win -DCMAKE_TOOLCHAIN_FILE="$root/tools/mingw-w64-x86_64.cmake" -DZYL_CORE_ONLY=ON \
  -DCMAKE_BUILD_TYPE=Release
# The simulator and the process tests run on this machine: they come from the Linux build.
if [ ! -f "$linux/build.ninja" ]; then
  tools/setup.sh build -DCMAKE_BUILD_TYPE=Debug -DZYL_SANITIZE=ON
fi
cmake --build "$linux" -j "$(nproc)" --target zylsim test_cli

wine=$(command -v wine64 || true)
[ -n "$wine" ] || { [ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64; } || wine=$(command -v wine || true)
wineserver=$(command -v wineserver || true)
[ -n "$wineserver" ] || wineserver=/usr/lib/wine/wineserver
if [ -z "$wine" ] || [ ! -x "$wineserver" ]; then
  echo "test-win: Wine not found; install it with: sudo apt-get install wine64" >&2
  exit 1
fi

# A prefix of our own, made once and reused; nothing of it shows on a screen.
export WINEPREFIX=$win/wine/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=
ports=$win/wine/ports
mkdir -p "$ports" "$win/wine/run"
# COM2..COM9 lead to links in $ports, which the tests point at the terminal of a zylsim; every
# other number up to 20 is switched off, so that the machine's own serial ports cannot turn up
# among the program's numbers (Wine gives them numbers from COM21 on).
regfile=$win/wine/ports.reg
{
  printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\r\n'
  for n in $(seq 1 20); do
    if [ "$n" -ge 2 ] && [ "$n" -le 9 ]; then
      printf '"COM%d"="%s"\r\n' "$n" "$ports/com$n"
    else
      printf '"COM%d"=""\r\n' "$n"
    fi
  done
} > "$regfile.new"
# Between runs the links lead nowhere that matters: a terminal left over from an earlier run may
# by now belong to another program.
park_ports() { for n in $(seq 2 9); do ln -sfn /dev/null "$ports/com$n"; done; }
park_ports
if [ ! -f "$WINEPREFIX/system.reg" ] || ! cmp -s "$regfile.new" "$regfile"; then
  echo "test-win: preparing the Wine prefix $WINEPREFIX"
  if ! "$wine" wineboot -i > "$win/wine/wineboot.log" 2>&1 ||
     ! "$wine" regedit /S "$(printf 'Z:%s' "$regfile.new" | tr / '\\')" >> "$win/wine/wineboot.log" 2>&1; then
    echo "test-win: the Wine prefix could not be made; see $win/wine/wineboot.log" >&2
    "$wineserver" -k 2>/dev/null || true
    exit 1
  fi
  "$wineserver" -w
  mv "$regfile.new" "$regfile"
fi
rm -f "$regfile.new"

sims=()
stop_all() {
  for pid in "${sims[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${sims[@]}"; do wait "$pid" 2>/dev/null || true; done
  "$wineserver" -k 2>/dev/null || true
  park_ports
}
trap stop_all EXIT
# One Wine server for the whole run; its messages go to a file, not into the test output.
"$wineserver" -p > "$win/wine/wineserver.log" 2>&1

# start_sim COM [zylsim options]: a zylsim whose terminal is COM<COM> in the prefix.
start_sim() {
  local com=$1 out=$win/wine/run/sim$1.out
  shift
  # Emptied here, not only by the redirection of the background job: until that job has run,
  # the wait below would find no file, or the terminal of an earlier run still in it.
  : > "$out"
  "$linux/src/sim/zylsim" "$@" > "$out" 2> "$win/wine/run/sim$com.err" &
  sims+=($!)
  for _ in $(seq 500); do
    if [ "$(wc -l < "$out")" -ge 1 ]; then
      ln -sfn "$(head -n 1 "$out")" "$ports/com$com"
      return 0
    fi
    sleep 0.01
  done
  echo "test-win: zylsim did not start: $(cat "$win/wine/run/sim$com.err")" >&2
  return 1
}

ran=0 passed=0 failed_programs=() skipped_lines=()
# With options of their own (a filter) a program may rightly run no test at all.
filtered=$#
# run_gtest NAME COMMAND...: runs one test program, adds its counts to the totals.
run_gtest() {
  local name=$1 log=$win/wine/run/$1.log status=0
  shift
  timeout 900 "$@" > "$log" 2>&1 || status=$?
  tr -d '\r' < "$log" > "$log.txt"
  local n p
  n=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$log.txt" | tail -n 1)
  p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log.txt" | tail -n 1)
  n=${n:-0} p=${p:-0}
  ran=$((ran + n)) passed=$((passed + p))
  while IFS= read -r line; do skipped_lines+=("$name: ${line#\[  SKIPPED \] }"); done \
    < <(grep '^\[  SKIPPED \] [A-Za-z]' "$log.txt" | grep -v 'ms)$' || true)
  if [ "$status" -ne 0 ] || { [ "$n" -eq 0 ] && [ "$filtered" -eq 0 ]; } || grep -q '^\[  FAILED  \]' "$log.txt"; then
    failed_programs+=("$name")
    grep -E '^\[  FAILED  \]|Failure|error:|^(Expected|  Actual|Value of|Which is)' "$log.txt" | head -n 40 >&2 || true
    echo "test-win: $name failed (exit $status), log: $log.txt" >&2
  fi
  printf 'test-win: %-26s %4d ran, %4d passed\n' "$name" "$n" "$p"
}

# The backend's own tests talk to a bus that speaks only when asked on COM3 and to one behind an
# echoing converter on COM4.
start_sim 3 --sensor 5:220
start_sim 4 --sensor 5:220 --echo
export ZYL_TEST_COM_SILENT=3 ZYL_TEST_COM_ECHO=4 ZYL_TEST_COM_PORT='\\.\COM3'
for exe in "$win"/tests/*/test_*.exe; do
  run_gtest "$(basename "$exe")" "$wine" "$exe" "$@"
done

# zylctl.exe against zylsim, through the same process tests as the Linux zylctl.
ZYL_BIN_DIR=$linux ZYL_WINE="$wine" ZYL_WIN_BIN_DIR="$win" ZYL_WINE_PORT_LINK="$ports/com5" \
  LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
  run_gtest "zylctl.exe (process)" "$linux/tests/cli/test_cli" --gtest_filter='ZylCtlProcessTest.*' "$@"

for line in "${skipped_lines[@]}"; do echo "test-win: skipped $line"; done
echo "Windows tests: $ran ran, $passed passed${skipped_lines:+, ${#skipped_lines[@]} skipped}"
if [ ${#failed_programs[@]} -gt 0 ]; then
  echo "Windows tests FAILED in: ${failed_programs[*]}" >&2
  exit 1
fi
