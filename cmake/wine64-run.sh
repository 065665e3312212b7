#!/usr/bin/env bash
# Runs a 64-bit Windows program under Wine (see wine-run.sh).
TARVO_WINE_BITS=64 exec "$(dirname "$0")/wine-run.sh" "$@"
