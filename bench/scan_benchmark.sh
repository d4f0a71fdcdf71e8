#!/usr/bin/env bash
# Scan benchmark: a silent run over generated trees of 10,000 and 100,000 files with a library that finds
# nothing, beside a bare recursive walk of the same tree in the same Wine. Prints files per second, the
# tool's time as a ratio to the bare walk, and the peak memory of each. Figures only; nothing is asserted.
#   bench/scan_benchmark.sh [file counts...]      (default: 10000 100000)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/x64/bin
counts=("${@:-10000 100000}")
[ $# -gt 0 ] || counts=(10000 100000)
work=$root/build/bench
rm -rf "$work"; mkdir -p "$work/drive/app"
cp "$bin/recovery-tool.exe" "$bin/sciter.dll" "$bin/bare_walk.exe" "$work/drive/app/"
cp "$bin/keyloom-test.dll" "$work/drive/app/Keyloom.dll"
printf 'flags=scan,backup,overwrite,whole\nrecord=none\n' > "$work/drive/app/Keyloom.dll.cfg"
printf 'on call showFinalStep close\n' > "$work/drive/scenario.txt"
"$root/tools/wine/make-prefix" "$work/prefix" sealed "d=$work/drive"
export WINEPREFIX=$work/prefix WINEDEBUG=-all
wineserver -p 600   # keep the prefix's server up so start-up costs the same for both programs

measure() {  # prints "seconds peak-kB" of the command and its children
  python3 -c '
import resource, subprocess, sys, time
start = time.monotonic()
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print(f"{time.monotonic() - start:.3f} {resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss}")' "$@"
}

printf '%-8s %-10s %-10s %-12s %-8s %-12s %-12s\n' files walk_s tool_s tool_files/s ratio walk_peakMB tool_peakMB
for n in "${counts[@]}"; do
  tree=$work/drive/tree-$n
  mkdir -p "$tree"
  python3 - "$tree" "$n" <<'PY'
import os, sys
root, n = sys.argv[1], int(sys.argv[2])
per = 100
for i in range(n):
    d = os.path.join(root, f"d{i // per // per:03}", f"d{i // per:04}")
    if i % per == 0: os.makedirs(d, exist_ok=True)
    open(os.path.join(d, f"f{i}.dat"), "wb").close()
PY
  read -r walk_s walk_kb < <(cd "$work/drive/app" && measure wine bare_walk.exe "D:\\tree-$n")
  read -r tool_s tool_kb < <(cd "$work/drive/app" && STANDIN_ENGINE_SCENARIO='D:\scenario.txt' \
    measure wine recovery-tool.exe start -scan-path "D:\\tree-$n")
  awk -v n="$n" -v w="$walk_s" -v t="$tool_s" -v wk="$walk_kb" -v tk="$tool_kb" 'BEGIN {
    printf "%-8d %-10.2f %-10.2f %-12.0f %-8.2f %-12.1f %-12.1f\n", n, w, t, n / t, t / w, wk / 1024, tk / 1024 }'
done
wineserver -k
