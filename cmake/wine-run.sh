#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly, in the prefix named by WINEPREFIX
# (default: a prefix of the project's own in the user's home), creating it if needed.
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$HOME/.tarvo-wine}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi
exec wine "$@"
