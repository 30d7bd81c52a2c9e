#!/usr/bin/env bash
# Prints the machine instructions one iteration of each benchmark of compare/
# costs in macro-sc, counted by valgrind's callgrind. Unlike wall time the
# counts repeat exactly from run to run and do not depend on the load of the
# machine, so they show what a change gains.
#
#   bench/count.sh [PATH/TO/macro-sc [PATH/TO/OTHER/macro-sc]]
#
# Each program runs at two sizes, N and 2N; the difference of the counts
# divided by N is the cost of one iteration, so start-up and loading do not
# count. With a second tool both are counted and the ratio second/first is
# printed (below 1: the second executes fewer instructions).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
command -v valgrind >/dev/null || { echo "count.sh: valgrind is needed" >&2; exit 2; }

if [[ $# -ge 1 ]]; then
  tools=("$@")
else
  build="$root/build-bench"
  [[ -x "$build/macro-sc" ]] ||
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMSC_TESTS=OFF >/dev/null
  ninja -C "$build" -j2 macro-sc >/dev/null
  tools=("$build/macro-sc")
fi

# Iterations of the smaller size.
declare -A base=([sieve]=10 [gosub_far]=10000)
default_n=10000

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

instantiate() {
  local name=$1 n=$2 out="$work/$1.$2.mcr"
  awk -v n="$n" '
    $0 == "@PAD@" { for (i = 0; i < 2000; i++) print "'"'"' pad"; next }
    { gsub(/@N@/, n); print }' "$here/compare/$name.mcr" > "$out"
  echo "$out"
}

instructions() {
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" run "$2" '*MAIN' 2>&1 >/dev/null |
    sed -n 's/.*refs: *//p' | tr -d ,
}

per_iteration() {
  local tool=$1 name=$2 n=$3 small large
  small=$(instructions "$tool" "$(instantiate "$name" "$n")")
  large=$(instructions "$tool" "$(instantiate "$name" $((2 * n)))")
  echo $(((large - small) / n))
}

if [[ ${#tools[@]} -ge 2 ]]; then
  printf '%-10s %12s %12s %8s\n' benchmark first second ratio
else
  printf '%-10s %12s\n' benchmark instructions
fi
for file in "$here"/compare/*.mcr; do
  name=$(basename "$file" .mcr)
  n=${base[$name]:-$default_n}
  a=$(per_iteration "${tools[0]}" "$name" "$n")
  if [[ ${#tools[@]} -ge 2 ]]; then
    b=$(per_iteration "${tools[1]}" "$name" "$n")
    printf '%-10s %12d %12d %8s\n' "$name" "$a" "$b" "$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", b / a }')"
  else
    printf '%-10s %12d\n' "$name" "$a"
  fi
done
