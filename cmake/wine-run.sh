#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly, in the prefix named by WINEPREFIX (default:
# a prefix of the project's own in the user's home), creating it if needed. With
# TARVO_WINE_BITS=64 it runs the 64-bit loader in a 64-bit prefix of its own.
export WINEDEBUG=-all
wine=wine
if [ "${TARVO_WINE_BITS:-}" = 64 ]; then
    # Debian ships the 64-bit loader outside the PATH.
    wine=$(command -v wine64 || dpkg -L wine64 2>/dev/null | grep '/wine64$' | head -n 1)
    if [ -z "$wine" ]; then
        echo "wine64 not found" >&2
        exit 127
    fi
    export WINELOADER=$wine
    export WINEPREFIX="${WINEPREFIX:-$HOME/.tarvo-wine64}"
else
    export WINEPREFIX="${WINEPREFIX:-$HOME/.tarvo-wine}"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    wineserver -w
fi
exec "$wine" "$@"
