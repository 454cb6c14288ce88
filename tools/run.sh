#!/usr/bin/env bash
# Installs what is missing, builds, and runs the wizard under Wine in a
# project-local 32-bit prefix with the built package folder as current directory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh"
export WINEPREFIX="${WINEPREFIX:-$root/build/wine-run}"
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "creating the Wine prefix $WINEPREFIX (once)"
  wineboot -i >/dev/null 2>&1
  # The dialogs ask for the font "宋体": let a CJK font of the system stand in.
  cat > "$WINEPREFIX/fonts.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"宋体"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\Windows]
REG
  wine regedit /S "$WINEPREFIX/fonts.reg" >/dev/null 2>&1
  wineserver -w
fi
xvfb_pid=""
if [ -z "${DISPLAY:-}" ]; then
  # No display: run on a virtual one and leave a screenshot of the first page.
  Xvfb :77 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:77
  sleep 1
fi
cd "$root/dist/VORNAPX"
if [ -n "$xvfb_pid" ]; then
  wine VORNAPX.exe &
  app=$!
  sleep 6
  import -window root -display :77 "$root/build/first-page.png" || true
  echo "no display: the wizard ran on a virtual screen; its first page is in build/first-page.png"
  wineserver -k || true
  wait "$app" 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
else
  wine VORNAPX.exe
fi
