#!/bin/bash
# Two Wine sessions side by side: a file each writes on its Desktop lands in
# its own HOME and is not seen by the other.
set -u
source "$(dirname "$0")/env.sh"

# write_on_desktop NAME: starts a session, has Wine write NAME on the Desktop,
# prints the session's HOME and leaves the session's files in place.
write_on_desktop() {
  CV_WINE_NO_DISPLAY=1 CV_KEEP_PREFIX=1
  wine_env_start apart >/dev/null || return 1
  wine cmd /c "echo $1>%USERPROFILE%\\Desktop\\who.txt" </dev/null >/dev/null 2>&1
  echo "$HOME"
  wine_env_stop
}

a=$(write_on_desktop first) && b=$(write_on_desktop second) || { echo "cannot start Wine"; exit 1; }
status=0
[ "$a" != "$b" ] || { echo "both sessions have HOME $a"; status=1; }
[ "$(tr -d '\r ' <"$a/Desktop/who.txt" 2>/dev/null)" = first ] || { echo "the first Desktop is not in $a"; status=1; }
[ "$(tr -d '\r ' <"$b/Desktop/who.txt" 2>/dev/null)" = second ] || { echo "the second Desktop is not in $b"; status=1; }
rm -rf "$(dirname "$a")" "$(dirname "$b")"
[ "$status" = 0 ] && echo "two sessions, two Desktops"
exit "$status"
