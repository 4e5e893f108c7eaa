# Sourced by the scripts that run Windows programs: Wine without a display and without its
# debug chatter, in a fresh prefix of its own in a temporary directory (removed by the caller's
# EXIT trap through $wine_prefix_dir), made once before the first program runs.
export WINEDEBUG=-all
export DISPLAY=
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine_prefix_dir=$(mktemp -d "${TMPDIR:-/tmp}/utility-wine-XXXXXX")
export WINEPREFIX=$wine_prefix_dir/prefix
wine wineboot --init >/dev/null 2>&1
wineserver --wait
