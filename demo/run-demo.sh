#!/usr/bin/env bash
# Runs TARVEL.EXE on the bundled sample under Wine and shows its exit code.
set -u
build=${1:-build}
dist="$build/dist"
echo "== TARVEL.EXE started by hand (no action file): it shows its message box; pressing OK ends it"
wine "$dist/TARVEL.EXE" &
pid=$!
sleep 3
xdotool search --name '^Orlisk$' key --clearmodifiers Return >/dev/null 2>&1 || true
wait $pid
echo "exit code: $?"

echo
echo "== A host program starts a child with WAITEXE; the console output host"
echo "   (QuennetGetOutputHandle.dll) prints the child's lines, then the host prints"
echo "   the status and exit code WAITEXE handed back"
(cd "$build/demo" && wine launch_host.exe sample_child.exe)
echo "exit code of the host: $?"
