#!/usr/bin/env bash
# Runs the benchmarks of compare/ on macro-sc and, side by side, the same
# programs on Lua 5.4, LuaJIT's interpreter (luajit -joff), Brandy (BBC BASIC)
# and yabasic, and prints the cost of one iteration in nanoseconds and the
# ratios. The Lua programs run unchanged on LuaJIT.
#
#   bench/compare.sh [PATH/TO/macro-sc]
#
# Each benchmark is compare/NAME.{mcr,lua,bbc,yab}; "@N@" in a program is its
# iteration count and a line "@PAD@" stands for 2,000 comment lines. Every
# program runs at two sizes, N and 3N; the difference of the fastest times of
# REPEAT runs (default 3) divided by 2N is the cost of one iteration, so
# start-up and loading do not count. The interpreters take turns run by run.
# They are installed with apt-get when missing (sudo when not root). Not part
# of CI.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
repeat=${REPEAT:-3}

if [[ $# -ge 1 ]]; then
  tool=$1
else
  build="$root/build-bench"
  [[ -x "$build/macro-sc" ]] ||
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMSC_TESTS=OFF >/dev/null
  ninja -C "$build" -j2 macro-sc >/dev/null
  tool="$build/macro-sc"
fi

missing=()
for p in lua5.4 luajit brandy yabasic; do command -v "$p" >/dev/null || missing+=("$p"); done
if [[ ${#missing[@]} -gt 0 ]]; then
  sudo=(); [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}" >/dev/null
fi

# Iterations of the smaller size; bm1 costs so little per iteration that it
# needs ten times the default to run long enough for the timer.
declare -A base=([sieve]=1000 [gosub_far]=300000 [bm1]=10000000)
default_n=1000000

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Writes the program of $1 in language $2 with $3 iterations to a file; prints its path.
instantiate() {
  local name=$1 lang=$2 n=$3 out="$work/$1.$3.$2" pad
  case $lang in mcr) pad="' pad" ;; lua) pad="-- pad" ;; bbc) pad="REM pad" ;; yab) pad="rem pad" ;; esac
  awk -v n="$n" -v pad="$pad" '
    $0 == "@PAD@" { for (i = 0; i < 2000; i++) print pad; next }
    { gsub(/@N@/, n); print }' "$here/compare/$name.$lang" > "$out"
  echo "$out"
}

run_one() {
  case $1 in
    mcr) "$tool" run "$2" '*MAIN' ;;
    lua) lua5.4 "$2" ;;
    jit) luajit -joff "$2" ;;
    bbc) brandy -quit "$2" ;;
    yab) yabasic "$2" ;;
  esac
}

# Nanoseconds of one run of a file.
run_ns() {
  local start end
  start=$(date +%s%N)
  run_one "$1" "$2" </dev/null >/dev/null 2>&1 || { echo "compare.sh: $2 failed" >&2; exit 1; }
  end=$(date +%s%N)
  echo $((end - start))
}

# Times one benchmark in every language into t[lang], in tenths of a
# nanosecond per iteration. The languages take turns within each of the
# $repeat rounds, so that a slow spell of a shared machine falls on all of
# them alike rather than on one; the fastest time of each file counts.
time_benchmark() {
  local name=$1 n=$2 lang src r ns
  declare -A small=() large=() best_small=() best_large=()
  for lang in "${langs[@]}"; do
    src=$lang
    [[ $lang == jit ]] && src=lua
    small[$lang]=$(instantiate "$name" "$src" "$n")
    large[$lang]=$(instantiate "$name" "$src" $((3 * n)))
  done
  for ((r = 0; r < repeat; r++)); do
    for lang in "${langs[@]}"; do
      ns=$(run_ns "$lang" "${small[$lang]}")
      ((${best_small[$lang]:-0} == 0 || ns < best_small[$lang])) && best_small[$lang]=$ns
      ns=$(run_ns "$lang" "${large[$lang]}")
      ((${best_large[$lang]:-0} == 0 || ns < best_large[$lang])) && best_large[$lang]=$ns
    done
  done
  for lang in "${langs[@]}"; do
    local net=$((best_large[$lang] > best_small[$lang] ? best_large[$lang] - best_small[$lang] : 0))
    t[$lang]=$((net * 10 / (2 * n)))
  done
}
langs=(mcr lua jit bbc yab)

tenths() { printf '%d.%d' $(($1 / 10)) $(($1 % 10)); }

printf '%-10s %9s %9s %9s %9s %9s %8s %8s %8s\n' benchmark macro-sc lua5.4 'jit -joff' brandy yabasic \
  'vs Lua' 'vs JIT' 'vs BASIC'
log_lua=0
log_jit=0
count=0
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
add_log() { awk -v s="$1" -v r="$2" 'BEGIN { print s + ((r > 0) ? log(r) : 0) }'; }
for file in "$here"/compare/*.mcr; do
  name=$(basename "$file" .mcr)
  n=${base[$name]:-$default_n}
  declare -A t=()
  time_benchmark "$name" "$n"
  basics=$((t[bbc] < t[yab] ? t[bbc] : t[yab]))
  # Ratios: how many times slower macro-sc is (below 1: faster).
  vs_lua=$(ratio "${t[mcr]}" "${t[lua]}")
  vs_jit=$(ratio "${t[mcr]}" "${t[jit]}")
  vs_basic=$(ratio "${t[mcr]}" "$basics")
  log_lua=$(add_log "$log_lua" "$vs_lua")
  log_jit=$(add_log "$log_jit" "$vs_jit")
  count=$((count + 1))
  printf '%-10s %9s %9s %9s %9s %9s %8s %8s %8s\n' "$name" "$(tenths "${t[mcr]}")" "$(tenths "${t[lua]}")" \
    "$(tenths "${t[jit]}")" "$(tenths "${t[bbc]}")" "$(tenths "${t[yab]}")" "${vs_lua}x" "${vs_jit}x" "${vs_basic}x"
  unset t
done
awk -v l="$log_lua" -v j="$log_jit" -v n="$count" \
  'BEGIN { printf "geometric mean of the ratios: %.2fx Lua 5.4, %.2fx luajit -joff\n", exp(l / n), exp(j / n) }'
