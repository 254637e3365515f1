#!/usr/bin/env bash
# The demo: TARVEL.EXE started by hand, then TARVEL.EXE running the bundled sample
# action table (a program started directly, a command for the command interpreter and
# a hand-over action) with the console output host printing every line, then the same
# table run by `actionfile run`, which shows each entry's lines, exit code and notice.
set -u
build=${1:-build}
dist="$build/dist"
demo="$build/demo"
here=$(cd "$(dirname "$0")" && pwd)

echo "== TARVEL.EXE started by hand (no action file): it shows its message box; pressing OK ends it"
wine "$dist/TARVEL.EXE" &
pid=$!
# Wait for the box (up to 30 s), then give it the focus and press Return, again until
# the program has ended (up to 30 s more). The box is found by its process (another
# command's windows may share the display and take the focus meanwhile) among the
# windows shown: the process has a hidden one of the same name, which takes no focus.
for _ in $(seq 1 60); do
  xdotool search --onlyvisible --pid "$pid" --name '^Orlisk$' >/dev/null 2>&1 && break
  sleep 0.5
done
for _ in $(seq 1 30); do
  kill -0 "$pid" 2>/dev/null || break
  xdotool search --onlyvisible --pid "$pid" --name '^Orlisk$' \
    windowfocus --sync key --clearmodifiers Return \
    >/dev/null 2>&1 || true
  sleep 1
done
wait $pid
echo "exit code: $?"

# The table's application directory is $ORLISK_DEMO\work; the demo's programs are
# found on the search path.
export ORLISK_DEMO=$(winepath -w "$demo")
export WINEPATH="$ORLISK_DEMO"
# The controller creates the directory in upper case, as the resolved path names it.
rm -rf "$demo/work" "$demo/WORK"
description=$(winepath -w "$here/sample-actions.txt")

echo
echo "== The sample action table, demo/sample-actions.txt, written by actionfile as DEMO and dumped back:"
(cd "$demo" && wine "../dist/actionfile.exe" write "$description" DEMO && wine "../dist/actionfile.exe" dump DEMO)
echo "exit code of actionfile: $?"

echo
echo "== TARVEL.EXE DEMO: the lines of the three actions, through the console output host"
(cd "$demo" && wine "../dist/TARVEL.EXE" DEMO)
echo "exit code of TARVEL.EXE (the last action's result): $?"
[ -e "$demo/DEMO" ] && echo "DEMO is still there" || echo "DEMO was deleted once read"
received=$(find "$demo" -iname handover.bin | head -n 1)
echo "what the hand-over program received: ${received:-nothing} ($(stat -c %s "$received" 2>/dev/null || echo 0) bytes)"

echo
echo "== The same table by actionfile run, entry by entry through TR010Action: each entry's"
echo "   kind, program and directory, its lines, its exit code and its completion notice"
(cd "$demo" && wine "../dist/actionfile.exe" run "$description")
echo "exit code of actionfile run (1: an entry ended with an exit code other than 0): $?"
