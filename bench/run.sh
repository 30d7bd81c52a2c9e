#!/usr/bin/env bash
# Prints the cost of one iteration of each loop-heavy program in programs/.
#
#   bench/run.sh [PATH/TO/macro-sc]
#
# Without a path, builds macro-sc in Release under build-bench/ (once) and uses
# it. Each program is run REPEAT times through `macro-sc run FILE *MAIN`; the
# fastest wall time, less the fastest time of programs/empty.mcr (process start,
# load, *MCRINIT), is divided by the iteration count the program declares in a
# "' iterations: N" comment.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
repeat=${REPEAT:-5}

if [[ $# -ge 1 ]]; then
  tool=$1
else
  build="$root/build-bench"
  if [[ ! -x "$build/macro-sc" ]]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMSC_TESTS=OFF >/dev/null
  fi
  # Ninja is quick when nothing changed, and rebuilds a stale tool otherwise.
  ninja -C "$build" -j2 macro-sc >/dev/null
  tool="$build/macro-sc"
fi
[[ -x "$tool" ]] || { echo "run.sh: no macro-sc at $tool" >&2; exit 2; }

# Fastest of $repeat runs, in nanoseconds; the fastest run is the one least
# disturbed by other work on the machine.
best_ns() {
  local file=$1 best=0 start end t i out
  for ((i = 0; i < repeat; i++)); do
    start=$(date +%s%N)
    if ! out=$("$tool" run "$file" '*MAIN' 2>&1); then
      echo "run.sh: $(basename "$file") failed: $out" >&2
      exit 1
    fi
    end=$(date +%s%N)
    t=$((end - start))
    if ((best == 0 || t < best)); then best=$t; fi
  done
  if [[ -n "$out" ]]; then echo "run.sh: $(basename "$file") printed: $out" >&2; fi
  echo "$best"
}

base=$(best_ns "$here/programs/empty.mcr")
printf '%-20s %12s %12s\n' program iterations ns/iteration
for file in "$here"/programs/*.mcr; do
  name=$(basename "$file" .mcr)
  [[ $name == empty ]] && continue
  n=$(sed -n "s/^' iterations: *\([0-9][0-9]*\).*/\1/p" "$file" | head -n 1)
  [[ -n $n ]] || { echo "run.sh: $name declares no iteration count" >&2; exit 1; }
  t=$(best_ns "$file")
  net=$((t > base ? t - base : 0))
  # One decimal place, in integer arithmetic.
  tenths=$((net * 10 / n))
  printf '%-20s %12d %10d.%d\n' "$name" "$n" $((tenths / 10)) $((tenths % 10))
done
printf '(baseline: empty program %d.%03d ms, best of %d runs)\n' \
  $((base / 1000000)) $((base / 1000 % 1000)) "$repeat"
