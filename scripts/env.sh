# Shared settings of the scripts: where Wine lives and which prefix the project uses.
# Sourced, not run.
NUVELO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WINE64=/usr/lib/wine/wine64
WINE32=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
NUVELO_CACHE=${NUVELO_CACHE:-$HOME/.cache/nuvelo}
# One fixed name: on a new machine this file is sourced before Wine is installed, so a
# name taken from the installed Wine would change halfway through the first run.
# A helper or a parallel run may bring its own prefix (a copy of the shared one).
export WINEPREFIX=${NUVELO_WINEPREFIX:-$NUVELO_CACHE/prefix}
# The two-monitor scenarios' prefix (scripts/setup, scripts/wine-run --dual).
DUAL_PREFIX=${WINEPREFIX}-dual
# Their screen: as wide as both monitors of the stand-in Xinerama library, without the
# RandR that Wine would ask first.
DUAL_SCREEN=(-screen 0 2304x800x24 -extension RANDR)
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts: the program needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# What scripts/setup writes into the prefix once it is complete (virtual desktop, font
# replacement, no crash dialog, the launchers proven) with this Wine; the Wine tiers check
# it. KIND is full (both launchers) or demo (64-bit only; the tests need full).
NUVELO_PREFIX_CONFIG="config 4"
prefix_stamp() {
  echo "$NUVELO_PREFIX_CONFIG, ${1:-full}, $("$WINE64" --version 2>/dev/null || echo no Wine)"
}
# A full prefix serves the demo too.
prefix_is_ready() {
  local stamp
  stamp=$(cat "$WINEPREFIX/.nuvelo-ready" 2>/dev/null)
  [ "$stamp" = "$(prefix_stamp full)" ] || { [ "${1:-full}" = demo ] && [ "$stamp" = "$(prefix_stamp demo)" ]; }
}

# Starts a private Xvfb on a display number that Xvfb itself finds free (so stale lock
# files and sockets of earlier runs are never reused) and exports DISPLAY; XVFB_PID is
# its process. Fails when no server comes up within ten seconds. Arguments replace the
# one 1280x800 screen.
start_xvfb() {
  local numberfile
  numberfile=$(mktemp)
  [ $# -gt 0 ] || set -- -screen 0 1280x800x24
  Xvfb -displayfd 3 "$@" -nolisten tcp 3>"$numberfile" >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$numberfile" ] && break
    sleep 0.1
  done
  local number
  number=$(tr -dc 0-9 <"$numberfile")
  rm -f "$numberfile"
  if [ -z "$number" ] || ! kill -0 "$XVFB_PID" 2>/dev/null; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$number"
}

step_start() {
  STEP_NAME=$1
  STEP_T0=$(date +%s.%N)
  printf '[setup] %s ...\n' "$STEP_NAME"
}

step_done() {
  local t1
  t1=$(date +%s.%N)
  printf '[setup] %s: %s (%.1f s)\n' "$STEP_NAME" "${1:-done}" "$(echo "$t1 - $STEP_T0" | bc 2>/dev/null || echo 0)"
}
