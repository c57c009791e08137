#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang in build-fuzz/ and runs each on a
# scratch copy of its committed corpus (tests/fuzz/corpus/<harness>/).
#   scripts/fuzz.sh --court    25 s per harness, as CI runs it
#   scripts/fuzz.sh 600        600 s per harness
#   scripts/fuzz.sh 600 profil only the harnesses named
# A crash, a hang (5 s), a leak or a broken property fails the run; the input
# is kept in build-fuzz/trouvailles/<harness>/. New inputs found by a long run
# stay in build-fuzz/corpus/<harness>/: copy the worthwhile ones by hand.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
duree=${1:-60}
[ "$duree" = "--court" ] && duree=25
shift || true
build="$root/build-fuzz"

harnais=("$@")
if [ ${#harnais[@]} -eq 0 ]; then
  for f in "$root"/tests/fuzz/fuzz_*.cpp; do
    n=$(basename "$f" .cpp)
    harnais+=("${n#fuzz_}")
  done
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCORVELLE_FUZZ=ON -DCORVELLE_TESTS=OFF >/dev/null
cmake --build "$build" --target "${harnais[@]/#/fuzz_}"

# Each harness alone, one per processor at a time; the statuses are read at the end.
lance() {
  local h=$1 corpus="$build/corpus/$1" trouvailles="$build/trouvailles/$1"
  rm -rf "$corpus" && mkdir -p "$corpus" "$trouvailles"
  cp "$root/tests/fuzz/corpus/$h"/* "$corpus/"
  "$build/tests/fuzz/fuzz_$h" "$corpus" -max_total_time="$duree" -max_len=65536 -timeout=5 \
    -rss_limit_mb=2048 -report_slow_units=2 -print_final_stats=1 \
    -artifact_prefix="$trouvailles/" >"$build/fuzz_$h.log" 2>&1
}
export -f lance
export build root duree
statut=0
printf '%s\n' "${harnais[@]}" |
  xargs -P "$(nproc)" -I{} bash -c 'lance {} && echo "fuzz: {} ok" || { echo "fuzz: {} FAILED" ; exit 1; }' ||
  statut=1
for h in "${harnais[@]}"; do
  log="$build/fuzz_$h.log"
  if grep -qE '^==[0-9]+==ERROR|ERROR: libFuzzer|property broken' "$log"; then
    tail -n 60 "$log" | sed "s/^/fuzz: $h: /"
  fi
  grep -E 'Slowest unit' "$log" | sed "s/^/fuzz: $h: /" || true
  grep -E '^stat::number_of_executed_units' "$log" | sed "s/^/fuzz: $h: /" || true
done
exit $statut
