#!/usr/bin/env bash
# Restore benchmark: the demonstration library's restore speed through the tool beside the floor, CopyFileW
# of the same encrypted files (copy_files.exe), in the same sealed Wine prefix; and beside CopyFileW with each
# copy flushed to the disk, as the library flushes each restored file before it moves it into place. The tool runs silently over a
# folder of files that demo_encrypt made, with the library's defaults (each restored file read back and
# checked) and Backup kept, so the encrypted files stay for the next run; the restored files and the copies
# are removed between runs. Each figure is the median of several runs, whole processes timed from outside
# (start-up included, about a tenth of a second each): the wall time, and the processor time the Wine process
# used, which depends less on what else the machine runs. Figures only; nothing is asserted.
#   bench/restore_benchmark.sh [files] [MiB per file]     (default: 8 files of 128 MiB, 1 GiB in all; after a
#                                                          build of the preset recovery-tool)
# BENCH_LIBRARY=<library.dll> measures that library instead of the demonstration library (the same family's
# files, for an earlier build of it, say).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/x64/bin
files=${1:-8}
mib=${2:-128}
runs=${BENCH_RUNS:-3}
for program in recovery-tool.exe sciter.dll keyloom-demo.dll demo_encrypt.exe copy_files.exe; do
  [ -f "$bin/$program" ] || { echo "bench: $bin/$program is missing: build the preset recovery-tool first" >&2; exit 1; }
done

work=$root/build/bench-restore
rm -rf "$work"; mkdir -p "$work/drive/app" "$work/drive/victim"
cp "$bin/recovery-tool.exe" "$bin/sciter.dll" "$bin/copy_files.exe" "$bin/demo_encrypt.exe" "$work/drive/app/"
cp "${BENCH_LIBRARY:-$bin/keyloom-demo.dll}" "$work/drive/app/Keyloom.dll"
printf 'on call showFinalStep close\n' > "$work/drive/scenario.txt"
python3 - "$work/drive/victim" "$files" "$mib" <<'PY'
import os, sys
folder, files, mib = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
block = os.urandom(1 << 20)
for i in range(files):
    with open(os.path.join(folder, f"file{i}.bin"), "wb") as out:
        for m in range(mib):
            out.write(block[m % 256:] + block[:m % 256])  # no two MiB alike
PY
# The prefix's only drives are its own C: and D:, the benchmark's folder.
"$root/tools/wine/make-prefix" "$work/prefix" sealed "d=$work/drive" >/dev/null
export WINEPREFIX=$work/prefix WINEDEBUG=-all
wineserver -p 600
trap 'wineserver -k 2>/dev/null || true' EXIT
cd "$work/drive/app"
wine demo_encrypt.exe 'D:\victim' 'D:\pairs' 00112233445566778899aabbccddeeff >/dev/null

# seconds <tool|copy|copy-flushed>: the median time over $runs runs, the outputs of the run before removed
# first.
seconds() {
  python3 - "$runs" "$1" "$work/drive/victim" <<'PY'
import glob, os, resource, statistics, subprocess, sys, time
runs, what, victim = int(sys.argv[1]), sys.argv[2], sys.argv[3]
if what == "tool":
    command = ["wine", "recovery-tool.exe", "start", "-scan-path", "D:\\victim", "-test-path", "D:\\pairs"]
else:
    command = ["wine", "copy_files.exe", "D:\\victim", ".copy"] + (["--flush"] if what == "copy-flushed" else [])
env = dict(os.environ, STANDIN_ENGINE_SCENARIO="D:\\scenario.txt")
times, cpus = [], []
for _ in range(runs):
    for leftover in glob.glob(os.path.join(victim, "*.bin")) + glob.glob(os.path.join(victim, "*.copy")):
        os.remove(leftover)
    read, write = os.pipe()
    if os.fork() == 0:  # a process of its own per run, so that the processor time is that run's alone
        os.close(read)
        start = time.monotonic()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env, check=False)
        elapsed = time.monotonic() - start
        used = resource.getrusage(resource.RUSAGE_CHILDREN)
        os.write(write, f"{elapsed} {used.ru_utime + used.ru_stime}".encode())
        os._exit(0)
    os.close(write)
    with os.fdopen(read) as answer:
        elapsed, cpu = answer.read().split()
    os.wait()
    times.append(float(elapsed))
    cpus.append(float(cpu))
restored = len(glob.glob(os.path.join(victim, "*.bin"))) if what == "tool" else len(glob.glob(os.path.join(victim, "*.copy")))
print(f"{statistics.median(times):.3f} {statistics.median(cpus):.3f} {restored}")
PY
}

read -r copy_s copy_cpu copied < <(seconds copy)
read -r flushed_s flushed_cpu flushed < <(seconds copy-flushed)
read -r tool_s tool_cpu restored < <(seconds tool)
echo "Restore ($files files of $mib MiB, $((files * mib)) MiB in all; median of $runs runs, whole processes)"
awk -v n="$files" -v m="$mib" -v c="$copy_s" -v f="$flushed_s" -v t="$tool_s" -v cc="$copy_cpu" \
    -v fc="$flushed_cpu" -v tc="$tool_cpu" -v cn="$copied" -v fn="$flushed" -v tn="$restored" 'BEGIN {
  total = n * m
  printf "  %-29s %7s %12s %10s\n", "", "wall", "", "processor"
  printf "  %-29s %6.2f s %7.1f MiB/s %7.2f s  (%d of %d files)\n", "CopyFileW", c, total / c, cc, cn, n
  printf "  %-29s %6.2f s %7.1f MiB/s %7.2f s  (%d of %d files)\n", "CopyFileW, each copy flushed", f, total / f, fc, fn, n
  printf "  %-29s %6.2f s %7.1f MiB/s %7.2f s  (%d of %d files restored)\n", "tool, DemoVault", t, total / t, tc, tn, n
  printf "  tool / CopyFileW speed: %.2f (wall), %.2f (processor); tool / flushed CopyFileW: %.2f (wall)\n",
         c / t, cc / tc, f / t }'
