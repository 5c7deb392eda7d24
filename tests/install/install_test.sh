#!/usr/bin/env bash
# Installs the build below a scratch DESTDIR, checks what lands where, and starts the
# installed launcher twice from an unrelated folder under Xvfb with openbox: the main window
# appears, the user's folder gets the side files on the first start and keeps a changed
# template on the second, and a close through the window manager ends the program normally.
# Arguments: the build folder, then the install folders relative to the prefix:
# bin, lib, libexec, data (share), include.
set -euo pipefail
build=$1 bindir=$2 libdir=$3 libexecdir=$4 datadir=$5 includedir=$6
prefix=/usr/local
title="VELKO-Q37 Function Setting"

work=$(mktemp -d "${TMPDIR:-/tmp}/velko-install-XXXXXX")
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  for f in "$work"/*.log; do [ -e "$f" ] && { echo "--- $f" >&2; tail -20 "$f" >&2; }; done
  echo "FAIL: $*" >&2
  exit 1
}

root=$work/root
DESTDIR=$root cmake --install "$build" --prefix "$prefix" > "$work/install.log" || fail "cmake --install"
p=$root$prefix

for f in "$bindir/velko-q37" "$bindir/velko-unitsim" "$libexecdir/velko-q37/velko-q37"; do
  [ -x "$p/$f" ] || fail "$f is not installed as a program"
done
for f in "$libdir/libfenlo.so" "$includedir/fenlo.h" "$includedir/fenlo_host.h" \
         "$datadir/velko-q37/ETM.vfa" "$datadir/velko-q37/Vie32.vfd" \
         "$datadir/applications/velko-q37.desktop" "$datadir/icons/hicolor/48x48/apps/velko-q37.png"; do
  [ -f "$p/$f" ] || fail "$f is not installed"
done
cmp -s "$p/$datadir/velko-q37/ETM.vfa" "$(dirname "$0")/../../resources/ETM.vfa" || fail "ETM.vfa differs from the source"

# The icon is a 48 x 48 PNG, as its folder says.
[ "$(head -c 8 "$p/$datadir/icons/hicolor/48x48/apps/velko-q37.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] \
  || fail "the icon is not a PNG"
[ "$(od -An -tu1 -j16 -N8 "$p/$datadir/icons/hicolor/48x48/apps/velko-q37.png" | tr -s ' ')" = " 0 0 0 48 0 0 0 48" ] \
  || fail "the icon is not 48 x 48"

entry=$p/$datadir/applications/velko-q37.desktop
command -v desktop-file-validate > /dev/null || fail "desktop-file-validate is missing (scripts/install-deps.sh)"
desktop-file-validate "$entry" > "$work/validate.log" 2>&1 || fail "the desktop entry does not validate"
[ ! -s "$work/validate.log" ] || fail "the desktop entry draws remarks"
grep -qx "Exec=$prefix/$bindir/velko-q37" "$entry" || fail "the entry does not start the launcher"
grep -qx "Icon=velko-q37" "$entry" || fail "the entry does not name the icon"

# The program finds the installed library, not the build's.
ldd "$p/$libexecdir/velko-q37/velko-q37" > "$work/ldd.log"
grep -q "libfenlo.so => $p/$libexecdir/velko-q37/../../$libdir/libfenlo.so" "$work/ldd.log" \
  || grep -q "libfenlo.so => $p/$libdir/libfenlo.so" "$work/ldd.log" || fail "the program does not find the installed libfenlo.so"

for tool in Xvfb openbox xdotool; do
  command -v "$tool" > /dev/null || fail "$tool is missing (scripts/install-deps.sh)"
done
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"
for _ in $(seq 100); do xprop -root > /dev/null 2>&1 && break; sleep 0.1; done
xprop -root > /dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"
openbox > "$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break; sleep 0.1; done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || fail "openbox did not start on $DISPLAY"

# A fresh user: own home, settings and lock folders; COM1 is the installed simulated unit.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime
unset XDG_DATA_HOME
export QT_QPA_PLATFORM=xcb
mkdir -p "$HOME" "$XDG_CONFIG_HOME/VELKO-Q37/ports" "$work/elsewhere"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$p/$bindir/velko-unitsim" --unit rx > "$work/unitsim.out" 2> "$work/unitsim.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/unitsim.out" ] && break; sleep 0.1; done
[ -s "$work/unitsim.out" ] || fail "velko-unitsim did not start"
ln -sf "$(head -1 "$work/unitsim.out")" "$XDG_CONFIG_HOME/VELKO-Q37/ports/COM1"
userdir=$HOME/.local/share/VELKO-Q37

# Starts the installed launcher in another folder, waits for the main window, closes it
# through the window manager and waits for a normal end.
start_and_close() {
  local log=$work/program-$1.log
  (cd "$work/elsewhere" && exec "$p/$bindir/velko-q37") > "$log" 2>&1 &
  local pid=$!
  pids+=("$pid")
  local window=""
  for _ in $(seq 600); do
    window=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1) && [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the program ended before its window showed"
    sleep 0.1
  done
  [ -n "$window" ] || fail "no window \"$title\" appeared"
  kill -0 "$pid" 2>/dev/null || fail "the program is not running with its window shown"
  # Closed through the window manager (Alt+F4 sends WM_DELETE_WINDOW); a busy machine may
  # take the key before openbox manages the window, so it is pressed again until the end.
  for _ in $(seq 20); do
    xdotool windowfocus --sync "$window" key alt+F4 2>/dev/null || true
    for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || break 2; sleep 0.1; done
  done
  if kill -0 "$pid" 2>/dev/null; then fail "the program did not end after its window was closed"; fi
  wait "$pid" || fail "the program ended with status $?"
  [ -f "$XDG_CONFIG_HOME/VELKO-Q37/registry" ] || fail "closing did not store the window's place"
}

start_and_close first
for f in ETM.vfa Vie32.vfd; do
  cmp -s "$userdir/$f" "$p/$datadir/velko-q37/$f" || fail "the first start did not copy $f into $userdir"
done
[ ! -e "$work/elsewhere/ETM.vfa" ] || fail "the launcher wrote into the folder it was started from"

# The user's own template survives further starts; a removed side file comes back.
printf '<!-- mine -->\r\n' >> "$userdir/ETM.vfa"
cp "$userdir/ETM.vfa" "$work/mine.vfa"
rm "$userdir/Vie32.vfd" "$XDG_CONFIG_HOME/VELKO-Q37/registry"
start_and_close second
cmp -s "$userdir/ETM.vfa" "$work/mine.vfa" || fail "the second start replaced the user's template"
cmp -s "$userdir/Vie32.vfd" "$p/$datadir/velko-q37/Vie32.vfd" || fail "a removed Vie32.vfd was not copied again"
echo "installed, validated, started twice and closed"
