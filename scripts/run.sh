#!/usr/bin/env bash
# `make run`: builds tolvik.exe and starts it under Wine.
#
#   scripts/run.sh [ARGS...]     ARGS go to tolvik.exe (e.g. --open "b123")
#   scripts/run.sh --stop        ends the Wine session and the Xvfb of earlier runs
#
# The prefix build/wine/run is kept between runs, and the store is in its
# default place inside it (%APPDATA%\tolvik\bundles.json). The window shows on
# $DISPLAY; without one, on an Xvfb that is started once and kept for later
# runs, so that a second start while the first runs reaches the first
# instance (hand-over). Runs in the foreground until tolvik.exe exits; Ctrl+C
# ends it.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
# shellcheck source=scripts/wine-env.sh
source "$ROOT/scripts/wine-env.sh"

if [ "${1:-}" = --stop ]; then
  export WINE_ENV_DIR="$ROOT/build/wine/run" WINEPREFIX="$ROOT/build/wine/run/prefix"
  if [ -d "$WINEPREFIX" ]; then
    wine_env_stop --all
    echo "run: Wine session and Xvfb of build/wine/run ended"
  fi
  exit 0
fi

./scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build build/windows --target tolvik -j2

wine_env_init run user

if [ -s "$WINE_ENV_DIR/xvfb.display" ] && [ "$(cat "$WINE_ENV_DIR/xvfb.display")" = "$DISPLAY" ]; then
  cat <<EOF
run: no \$DISPLAY, so tolvik shows on the virtual display $DISPLAY (Xvfb, no window manager).
run: to look at it:
       DISPLAY=$DISPLAY import -window root build/screen.png
     or only the window:
       DISPLAY=$DISPLAY import -window "\$(DISPLAY=$DISPLAY xdotool search --onlyvisible --name '^tolvik\$' | head -n 1)" build/tolvik.png
run: a second \`make run\` while this one runs hands over to it; \`make stop\` ends the Xvfb.
EOF
else
  echo "run: showing tolvik on display $DISPLAY"
fi
echo "run: prefix $WINEPREFIX; Ctrl+C or closing the window ends it"

wine build/windows/tolvik.exe "$@" 2> >(wine_env_filter >&2) &
app=$!
# A Wine GUI process ignores SIGINT: pass Ctrl+C on as SIGTERM.
interrupted=0
trap 'interrupted=1; kill -TERM "$app" 2>/dev/null || true' INT TERM
set +e
wait "$app"
code=$?
# wait returns early when a trapped signal arrives; then wait for the end.
while kill -0 "$app" 2>/dev/null; do
  wait "$app"
  code=$?
done
set -e
if [ "$interrupted" = 1 ]; then
  echo "run: stopped"
  exit 130
fi
echo "run: tolvik.exe exited with code $code"
exit "$code"
