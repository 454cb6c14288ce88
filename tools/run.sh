#!/usr/bin/env bash
# Installs what is missing, builds, and runs the wizard under Wine in a
# project-local 32-bit prefix with the built package folder as current directory.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/tools/build.sh"
if [ -z "${DISPLAY:-}" ]; then
  # No display: walk through a whole installation on a virtual screen, saving a
  # screenshot of every page and printing the spooler and registry state.
  exec /usr/bin/python3 "$root/tools/walkthrough.py"
fi
package="$root/dist/VORNAPX"
loader=wine
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  export WINEPREFIX="${WINEPREFIX:-$root/build/wine-run}"
  export WINEARCH=win32
else
  # This kernel runs no 32-bit code, so Wine cannot start VORNAPX.exe itself:
  # run its 64-bit build of the same sources in a 64-bit prefix instead.
  echo "this host cannot execute 32-bit programs: running the 64-bit build (build/win64/dist/VORNAPX)"
  export WINEPREFIX="${WINEPREFIX:-$root/build/wine-run64}"
  package="$root/build/win64/dist/VORNAPX"
  loader=/usr/lib/wine/wine64
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "creating the Wine prefix $WINEPREFIX (once)"
  "$loader" wineboot -i >/dev/null 2>&1
  # The dialogs ask for the font "宋体": let a CJK font of the system stand in.
  cat > "$WINEPREFIX/fonts.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"宋体"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"

[HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\Windows]
REG
  "$loader" regedit /S "$WINEPREFIX/fonts.reg" >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
fi
cd "$package"
"$loader" VORNAPX.exe
