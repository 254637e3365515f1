ctest --test-dir build -R "Launch.ChildSees|Launch.StandardHandles" -j2 --timeout 400 > /tmp/ct.log 2>&1 &
sleep 100
cat /tmp/ct.log
ps -eo pid,ppid,etime,args
for p in /proc/[0-9]*; do ls -l $p/fd 2>/dev/null | grep -E "pipe|ct.log" | sed "s|^|$(cat $p/comm) $p |"; done
wait
cat /tmp/ct.log | tail -5
