#!/bin/sh
# Runs a Windows program under Wine in a private, quiet prefix.
# WINEPREFIX may be set by the caller; by default one is kept per user in /tmp.
: "${WINEPREFIX:=${TMPDIR:-/tmp}/ioboard-wine-$(id -u)}"
export WINEPREFIX
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
exec wine "$@"
