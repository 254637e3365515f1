#!/usr/bin/env bash
# Runs TARVEL.EXE on the bundled sample under Wine and shows its exit code.
set -u
build=${1:-build}
dist="$build/dist"
echo "== TARVEL.EXE started by hand (no action file): it shows its message box; pressing OK ends it"
wine "$dist/TARVEL.EXE" &
pid=$!
# Wait for the box (up to 30 s), give it a moment to take the focus, then press Return.
for _ in $(seq 1 60); do
  xdotool search --name '^Orlisk$' >/dev/null 2>&1 && break
  sleep 0.5
done
sleep 1
xdotool search --name '^Orlisk$' key --clearmodifiers Return >/dev/null 2>&1 || true
wait $pid
echo "exit code: $?"

echo
echo "== A host program starts a child with WAITEXE; the console output host"
echo "   (QuennetGetOutputHandle.dll) prints the child's lines, then the host prints"
echo "   the status and exit code WAITEXE handed back"
(cd "$build/demo" && wine launch_host.exe sample_child.exe)
echo "exit code of the host: $?"
