#!/usr/bin/env bash
# Scan benchmark: the cost of both programs' whole runs beside the floor, a bare FindFirstFileExW walk
# (bare_walk.exe) of the same trees in the same Wine. The windowed program runs silently, the console
# program (recovery-run.exe) as a fleet tool starts it, with a report; both with a library that answers
# NotEncrypted at once without opening the file (the test library with record=none), so the figures are the
# programs' own.
#
# Start-up and per-file cost are printed apart: start-up is a run over an empty folder; per-file cost is
# (time over N files - start-up) / N. Each figure is the median of several runs. Peak memory is the Linux
# peak resident size of the Wine process. Figures only; nothing is asserted.
#   bench/scan_benchmark.sh [file counts...]      (default: 10000 100000; after a build of the preset
#                                                   recovery-tool)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/x64/bin
counts=("$@")
[ $# -gt 0 ] || counts=(10000 100000)
runs=${BENCH_RUNS:-3}
for program in recovery-tool.exe recovery-run.exe sciter.dll bare_walk.exe keyloom-test.dll; do
  [ -f "$bin/$program" ] || { echo "bench: $bin/$program is missing: build the preset recovery-tool first" >&2; exit 1; }
done

work=$root/build/bench
rm -rf "$work"; mkdir -p "$work/drive/app" "$work/drive/empty"
cp "$bin/recovery-tool.exe" "$bin/recovery-run.exe" "$bin/sciter.dll" "$bin/bare_walk.exe" "$work/drive/app/"
cp "$bin/keyloom-test.dll" "$work/drive/app/Keyloom.dll"
printf 'flags=scan,backup,overwrite,whole\nrecord=none\n' > "$work/drive/app/Keyloom.dll.cfg"
printf 'on call showFinalStep close\n' > "$work/drive/scenario.txt"
# The prefix's only drives are its own C: and D:, the benchmark's folder.
"$root/tools/wine/make-prefix" "$work/prefix" sealed "d=$work/drive" >/dev/null
export WINEPREFIX=$work/prefix WINEDEBUG=-all
wineserver -p 600   # keep the prefix's server up so start-up costs the same for both programs
trap 'wineserver -k 2>/dev/null || true' EXIT

# figures <walk|tool|console> <folder>: prints "seconds peak-kB", each the median over $runs runs.
figures() {
  python3 - "$runs" "$1" "$2" <<'PY'
import os, resource, statistics, subprocess, sys, time
runs, program, folder = int(sys.argv[1]), sys.argv[2], sys.argv[3]
if program == "walk":
    command = ["wine", "bare_walk.exe", folder]
elif program == "console":
    command = ["wine", "recovery-run.exe", "start", "-scan-path", folder, "-report", "D:\\report.jsonl"]
else:
    command = ["wine", "recovery-tool.exe", "start", "-scan-path", folder]
env = dict(os.environ, STANDIN_ENGINE_SCENARIO="D:\\scenario.txt")
times, peaks = [], []
for _ in range(runs):
    read, write = os.pipe()
    if os.fork() == 0:  # a process of its own per run, so the peak memory is that run's alone
        os.close(read)
        start = time.monotonic()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
        elapsed = time.monotonic() - start
        peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss
        os.write(write, f"{elapsed} {peak}".encode())
        os._exit(0)
    os.close(write)
    with os.fdopen(read) as answer:
        elapsed, peak = answer.read().split()
    os.wait()
    times.append(float(elapsed))
    peaks.append(int(peak))
print(f"{statistics.median(times):.4f} {int(statistics.median(peaks))}")
PY
}

cd "$work/drive/app"
read -r walk0 walk0_kb < <(figures walk 'D:\empty')
read -r tool0 tool0_kb < <(figures tool 'D:\empty')
read -r console0 console0_kb < <(figures console 'D:\empty')
echo "Start-up (an empty folder, median of $runs runs)"
awk -v w="$walk0" -v t="$tool0" -v wk="$walk0_kb" -v tk="$tool0_kb" 'BEGIN {
  printf "  walk %.3f s, %.1f MB peak; tool %.3f s, %.1f MB peak; tool/walk %.2f\n", w, wk / 1024, t, tk / 1024, t / w }'
awk -v w="$walk0" -v c="$console0" -v ck="$console0_kb" 'BEGIN {
  printf "  console %.3f s, %.1f MB peak; console/walk %.2f\n", c, ck / 1024, c / w }'

echo "Per file (time over the tree minus start-up, divided by the files; median of $runs runs)"
printf '  %-8s %-9s %-9s %-9s %-12s %-12s %-12s %-8s %-8s %-10s %-10s %-10s\n' files walk_s tool_s console_s \
  walk_us/file tool_us/file cons_us/file tool/w cons/w walk_MB tool_MB cons_MB
for n in "${counts[@]}"; do
  tree=$work/drive/tree-$n
  python3 - "$tree" "$n" <<'PY'
import os, sys
root, n = sys.argv[1], int(sys.argv[2])
per = 100
for i in range(n):
    d = os.path.join(root, f"d{i // per // per:03}", f"d{i // per:04}")
    if i % per == 0: os.makedirs(d, exist_ok=True)
    open(os.path.join(d, f"f{i}.dat"), "wb").close()
PY
  read -r walk_s walk_kb < <(figures walk "D:\\tree-$n")
  read -r tool_s tool_kb < <(figures tool "D:\\tree-$n")
  read -r console_s console_kb < <(figures console "D:\\tree-$n")
  awk -v n="$n" -v w="$walk_s" -v t="$tool_s" -v c="$console_s" -v w0="$walk0" -v t0="$tool0" -v c0="$console0" \
      -v wk="$walk_kb" -v tk="$tool_kb" -v ck="$console_kb" 'BEGIN {
    wf = (w - w0) / n * 1e6; tf = (t - t0) / n * 1e6; cf = (c - c0) / n * 1e6
    printf "  %-8d %-9.3f %-9.3f %-9.3f %-12.2f %-12.2f %-12.2f %-8.2f %-8.2f %-10.1f %-10.1f %-10.1f\n", n, w, t, c,
      wf, tf, cf, (wf > 0 ? tf / wf : 0), (wf > 0 ? cf / wf : 0), wk / 1024, tk / 1024, ck / 1024 }'
  rm -rf "$tree"
done
