# shellcheck shell=bash
# An isolated Wine environment for running the Windows build of tolvik on Linux.
#
# Source this file, then:
#   wine_env_init NAME own    # tests: a private Xvfb, prefix build/wine/NAME
#   wine_env_init NAME user   # run: the user's $DISPLAY, else a kept Xvfb
#   ...wine ...
#   wine_env_stop             # ends our wineserver and our Xvfb, by PID
#
# Everything stays below build/wine/NAME: the prefix, a HOME of its own (Wine
# writes menu entries, desktop links and caches under HOME), logs and PID files.
# Nothing is stopped by name: only the PIDs recorded here and the wineserver of
# our own prefix.

WINE_ENV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

wine_env_log() { printf '[wine-env] %s\n' "$*" >&2; }

# Lines Wine prints whatever WINEDEBUG says; they carry no information here.
WINE_ENV_NOISE='wine32 is missing|multiarch needs to be enabled|dpkg --add-architecture i386|apt-get install wine32|Read access denied for device|X connection to .* broken'
wine_env_filter() { grep --line-buffered -v -E "$WINE_ENV_NOISE" || true; }

# True when PID is alive and its command line contains WORD (guards against a
# recycled PID).
wine_env_pid_is() {
  local pid="$1" word="$2"
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null &&
    tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q -- "$word"
}

# Starts an Xvfb that picks a free display itself (no race with other servers).
# Records its PID and display in the environment folder.
wine_env_start_xvfb() {
  local dir="$1" i
  rm -f "$dir/xvfb.display"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset \
    3>"$dir/xvfb.display" >"$dir/xvfb.log" 2>&1 </dev/null &
  echo $! >"$dir/xvfb.pid"
  for i in $(seq 1 100); do
    [ -s "$dir/xvfb.display" ] && break
    if ! kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then break; fi
    sleep 0.05
  done
  if [ ! -s "$dir/xvfb.display" ]; then
    wine_env_log "Xvfb did not start; see $dir/xvfb.log"
    return 1
  fi
  export DISPLAY=":$(tr -dc '0-9' <"$dir/xvfb.display")"
  echo "$DISPLAY" >"$dir/xvfb.display"
  for i in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  wine_env_log "Xvfb $DISPLAY does not answer"
  return 1
}

# A copy of Liberation Sans whose family name is "Segoe UI": the program asks
# for that family, and Linux has no such font.
wine_env_segoe_ui() {
  /usr/bin/python3 - "$1" <<'PY'
import sys
from fontTools.ttLib import TTFont
out = sys.argv[1]
src = "/usr/share/fonts/truetype/liberation2/LiberationSans-%s.ttf"
for style, file_name in (("Regular", "segoeui.ttf"), ("Bold", "segoeuib.ttf")):
    font = TTFont(src % style)
    names = font["name"]
    for name_id in (16, 17, 21, 22):
        names.removeNames(nameID=name_id)
    full = "Segoe UI" if style == "Regular" else "Segoe UI " + style
    for name_id, value in ((1, "Segoe UI"), (2, style), (3, full + ";tolvik-test"),
                           (4, full), (6, "SegoeUI-" + style)):
        names.setName(value, name_id, 3, 1, 0x409)
        names.setName(value, name_id, 1, 0, 0)
    font.save(out + "/" + file_name)
PY
}

# Creates the prefix once and applies the fixes it needs.
wine_env_prepare_prefix() {
  local dir="$1"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wine_env_log "creating prefix $WINEPREFIX (about 20 s, once)"
    mkdir -p "$WINEPREFIX"
    wineboot -i >"$dir/wineboot.log" 2>&1 || true
    wineserver -w
  fi
  if [ -f "$WINEPREFIX/.tolvik-fixes-v1" ]; then
    return 0
  fi
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  mkdir -p "$fonts"
  # DirectWrite lists only the fonts named under ...\CurrentVersion\Fonts, and
  # Wine's own Tahoma is not named there: without this no text is drawn.
  cp -f /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf "$fonts/"
  wine_env_segoe_ui "$fonts"
  cat >"$dir/fixes.reg" <<'REG'
REGEDIT4

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Fonts]
"Tahoma (TrueType)"="tahoma.ttf"
"Tahoma Bold (TrueType)"="tahomabd.ttf"
"Segoe UI (TrueType)"="segoeui.ttf"
"Segoe UI Bold (TrueType)"="segoeuib.ttf"

[HKEY_LOCAL_MACHINE\Software\Classes\.txt]
@="txtfile"
"Content Type"="text/plain"
REG
  # Without HKLM\...\.txt, ShellExecuteExW of a text file fails with 193.
  wine regedit /S "$(winepath -w "$dir/fixes.reg" 2>/dev/null)" >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.tolvik-fixes-v1"
  wine_env_log "fonts and file associations set up"
}

# wine_env_init NAME own|user
wine_env_init() {
  local name="$1" display_mode="$2"
  export WINE_ENV_DIR="$WINE_ENV_ROOT/build/wine/$name"
  # Wine links the prefix's Desktop and Documents to these when it creates it.
  mkdir -p "$WINE_ENV_DIR/home/Desktop" "$WINE_ENV_DIR/home/Documents"

  export WINEPREFIX="$WINE_ENV_DIR/prefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No Mono/Gecko install prompts; a crash ends the process (exit code 5)
  # instead of starting winedbg, which would wait for ever.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"

  # Wine writes desktop entries, links to the Unix desktop and caches under
  # HOME and the XDG folders: keep them inside the environment folder.
  if [ -z "${XAUTHORITY:-}" ] && [ -n "${HOME:-}" ] && [ -f "$HOME/.Xauthority" ]; then
    export XAUTHORITY="$HOME/.Xauthority"
  fi
  export HOME="$WINE_ENV_DIR/home"
  export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share"
  export XDG_CACHE_HOME="$HOME/.cache" XDG_DESKTOP_DIR="$HOME/Desktop"
  # Direct2D draws through Wine's Direct3D on Mesa, which compiles each shader
  # on first use and keeps it in this cache. One cache for every environment:
  # the end-to-end workers' fresh homes would otherwise each compile them all
  # again, slowly, at the same time.
  export MESA_SHADER_CACHE_DIR="$WINE_ENV_ROOT/build/wine/shader-cache"

  WINE_ENV_OWN_XVFB=0
  case "$display_mode" in
    own)
      wine_env_start_xvfb "$WINE_ENV_DIR" || return 1
      WINE_ENV_OWN_XVFB=1
      ;;
    user)
      if [ -z "${DISPLAY:-}" ]; then
        # Reuse the Xvfb an earlier run left for us, so that a second start
        # reaches the first instance's windows.
        local pid=""
        [ -f "$WINE_ENV_DIR/xvfb.pid" ] && pid="$(cat "$WINE_ENV_DIR/xvfb.pid")"
        if wine_env_pid_is "$pid" Xvfb && [ -s "$WINE_ENV_DIR/xvfb.display" ]; then
          export DISPLAY="$(cat "$WINE_ENV_DIR/xvfb.display")"
        else
          wine_env_start_xvfb "$WINE_ENV_DIR" || return 1
          WINE_ENV_OWN_XVFB=1
        fi
      fi
      ;;
    *)
      wine_env_log "wine_env_init: display mode must be 'own' or 'user'"
      return 1
      ;;
  esac

  # A Wine session is tied to the display its desktop process opened. With a
  # new Xvfb, end whatever session of this prefix an earlier run left.
  if [ "$WINE_ENV_OWN_XVFB" = 1 ]; then
    wineserver -k 2>/dev/null || true
    timeout 30 wineserver -w 2>/dev/null || true
  fi

  (
    # One setup at a time per prefix (two `make run`s may start together).
    flock 9
    wine_env_prepare_prefix "$WINE_ENV_DIR"
  ) 9>"$WINE_ENV_DIR/.setup.lock" || return 1

  wine_env_warm
}

# Keeps a wineserver running between the short-lived Wine processes: a trivial
# exe then starts in 0.05 s instead of 0.6 s.
wine_env_warm() {
  local pid=""
  [ -f "$WINE_ENV_DIR/wineserver.pid" ] && pid="$(cat "$WINE_ENV_DIR/wineserver.pid")"
  if wine_env_pid_is "$pid" wineserver; then
    return 0
  fi
  # -f keeps it in the foreground so that $! is the server itself; -p 60 ends
  # it a minute after its last client if nobody stops it.
  # setsid: Ctrl+C in one terminal must not end the server that another
  # run's tolvik.exe still uses.
  setsid wineserver -f -p60 >>"$WINE_ENV_DIR/wineserver.log" 2>&1 </dev/null &
  echo $! >"$WINE_ENV_DIR/wineserver.pid"
  # The first Wine process of a session starts Wine's services and desktop
  # process, which keep the output handles they inherit: a pipe such as
  # `wine x.exe | tee log` would then stay open for a minute after x.exe ends.
  # Start them here with no output attached.
  timeout 60 wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

# Ends the Windows processes of our prefix, our wineserver and, when we
# started it, our Xvfb.
wine_env_stop() {
  [ -n "${WINE_ENV_DIR:-}" ] || return 0
  local pid=""
  [ -f "$WINE_ENV_DIR/wineserver.pid" ] && pid="$(cat "$WINE_ENV_DIR/wineserver.pid")"
  # -k and -w talk to the server of $WINEPREFIX only (whoever started it).
  wineserver -k 2>/dev/null || true
  timeout 30 wineserver -w 2>/dev/null || true
  if wine_env_pid_is "$pid" wineserver; then
    kill "$pid" 2>/dev/null || true
  fi
  rm -f "$WINE_ENV_DIR/wineserver.pid"
  if [ "${WINE_ENV_OWN_XVFB:-0}" = 1 ] || [ "${1:-}" = --all ]; then
    pid=""
    [ -f "$WINE_ENV_DIR/xvfb.pid" ] && pid="$(cat "$WINE_ENV_DIR/xvfb.pid")"
    if wine_env_pid_is "$pid" Xvfb; then
      kill "$pid" 2>/dev/null || true
    fi
    rm -f "$WINE_ENV_DIR/xvfb.pid" "$WINE_ENV_DIR/xvfb.display"
    WINE_ENV_OWN_XVFB=0
  fi
}
