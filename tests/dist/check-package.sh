#!/usr/bin/env bash
# Builds the Debian package from a build tree with cpack, checks its file list and control
# fields, unpacks it and runs the programs, the manual pages and the completion from there.
# Usage: check-package.sh BUILD-DIR VERSION
set -euo pipefail
build=$(cd "$1" && pwd)
version=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/zylconfig-package.XXXXXX")
sim_pid=
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# gzip keeps the test quick; the release package uses cpack's default compression.
if ! (cd "$build" && cpack -G DEB -B "$work" -D CPACK_DEBIAN_COMPRESSION_TYPE=gzip) >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  exit 1
fi
deb=$(ls "$work"/zylconfig_"$version"_*.deb)

# Every file, nothing else.
icons=""
for size in 16 22 24 32 48 64 128 256; do
  icons+="/usr/share/icons/hicolor/${size}x${size}/apps/zylconfig.png"$'\n'
done
sort >"$work/expected" <<LIST
/usr/bin/zylconfig
/usr/bin/zylctl
/usr/bin/zylsim
/usr/share/applications/zylconfig.desktop
/usr/share/bash-completion/completions/zylctl
/usr/share/doc/zylconfig/README.md
/usr/share/man/man1/zylconfig.1.gz
/usr/share/man/man1/zylctl.1.gz
/usr/share/man/man1/zylsim.1.gz
${icons}
LIST
sed -i '/^$/d' "$work/expected"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' | sort >"$work/actual"
diff -u "$work/expected" "$work/actual" || fail "file list of $(basename "$deb") (- expected, + packaged)"

[ "$(dpkg-deb -f "$deb" Package)" = zylconfig ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6; do
  [[ $depends == *"$lib "* || $depends == *"$lib," || $depends == *"$lib" ]] || fail "Depends lacks $lib: $depends"
done

mkdir "$work/root"
dpkg-deb -x "$deb" "$work/root"
usr=$work/root/usr

# The programs run from the unpacked tree; zylconfig answers --help without a display.
for program in zylconfig zylctl zylsim; do
  [ "$("$usr/bin/$program" --version)" = "$program (ZYLConfig) $version" ] || fail "$program --version"
  set +e
  "$usr/bin/$program" --no-such-option >/dev/null 2>"$work/err"
  code=$?
  set -e
  [ "$code" -eq 2 ] && grep -q "^usage: $program" "$work/err" || fail "$program: an unknown option gives $code"
done
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$usr/bin/zylconfig" --help >"$work/help" ||
  fail "zylconfig --help without a display"
grep -q -- "--demo" "$work/help" || fail "zylconfig --help does not list --demo"

# The English texts and the help pages travel inside zylconfig (resource names are UTF-16).
tr -d '\000' <"$usr/bin/zylconfig" >"$work/names"
for resource in zylconfig_en.qm index.html; do
  grep -qaF "$resource" "$work/names" || fail "zylconfig does not carry $resource"
done

# The installed zylctl against the installed zylsim.
"$usr/bin/zylsim" >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
for _ in $(seq 500); do
  grep -q . "$work/sim.out" 2>/dev/null && break
  kill -0 "$sim_pid" 2>/dev/null || break
  sleep 0.01
done
pty=$(head -n 1 "$work/sim.out")
if [ -z "$pty" ]; then
  fail "zylsim printed no terminal: $(cat "$work/sim.err")"
else
  found=$("$usr/bin/zylctl" --port "$pty" search 2>&1) || true
  [ "$found" = "address 5" ] || fail "zylctl search on $pty: $found"
fi

# Manual pages render without warnings; the desktop entry is valid and names what is there.
for page in "$usr"/share/man/man1/*.1.gz; do
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
MANWIDTH=80 man -l "$usr/share/man/man1/zylctl.1.gz" 2>/dev/null | grep -q "ZYLCONFIG_PORTS" ||
  fail "zylctl(1) does not explain ZYLCONFIG_PORTS"
desktop=$usr/share/applications/zylconfig.desktop
desktop-file-validate "$desktop" || fail "desktop entry"
grep -qx "Exec=zylconfig" "$desktop" && grep -qx "Icon=zylconfig" "$desktop" || fail "desktop entry Exec/Icon"
for size in 16 22 24 32 48 64 128 256; do
  file "$usr/share/icons/hicolor/${size}x${size}/apps/zylconfig.png" | grep -q "PNG image data, $size x $size" ||
    fail "icon ${size}x${size}"
done

# Completion: words typed so far (the last one being completed) -> the words offered.
complete_case() {
  local expected=$1
  shift
  local got
  got=$(bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _zylctl
                 for w in "${COMPREPLY[@]}"; do echo "$w"; done | sort | tr "\n" " "' _ \
        "$usr/share/bash-completion/completions/zylctl" "$@")
  [ "$got" = "$expected" ] || fail "completion of '$*': got '$got', expected '$expected'"
}
complete_case "read " zylctl re
complete_case "search set-address store " zylctl s
complete_case "disabled enabled toggle " zylctl --rts ""
complete_case "de en " zylctl read --address 5 --lang ""
complete_case "--command --count --csv " zylctl --port 3 poll --c
complete_case "--output " zylctl read --address 5 --o
complete_case "--store " zylctl write --st
complete_case "" zylctl read --address 5 --st
complete_case "--port " zylctl --po
complete_case "COM1 COM10 COM11 COM12 COM13 COM14 COM15 COM16 COM17 COM18 COM19 " zylctl --port COM1
complete_case "COM2 COM20 " zylctl --port = COM2
complete_case "$pty " zylctl --port "$pty"
mkdir -p "$work/files/sub" && touch "$work/files/a.qel" "$work/files/b.csv"
complete_case "$work/files/a.qel $work/files/sub " zylctl write --address 5 "$work/files/"
complete_case "copy identify poll read update write " zylctl qs40 ""
complete_case "limits " zylctl --port 3 nuva l
complete_case "--no-store " zylctl nuva write --no
complete_case "--set --slave " zylctl nuva limits --s
complete_case "" zylctl read --address 5 --sl
complete_case "" zylctl qs40 read --b
complete_case "$work/files/a.qel $work/files/sub " zylctl nuva write "$work/files/"

if [ "$failures" -ne 0 ]; then
  echo "$failures package checks failed" >&2
  exit 1
fi
echo "package $(basename "$deb"): $(wc -l <"$work/actual") files, Depends: $depends"
