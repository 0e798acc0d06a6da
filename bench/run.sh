#!/usr/bin/env bash
# Times Kelo BASIC against yabasic and bwbasic on the same six programs and prints a table.
# Installs hyperfine, yabasic and bwbasic when they are missing, builds a release binary in
# build-bench/, checks that the three print the same results, then runs hyperfine.
# BENCH_RUNS sets the runs per command (default 5).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
bench="$root/bench"
out="$root/build-bench"
runs="${BENCH_RUNS:-5}"

./setup.sh >&2
tools=(hyperfine yabasic bwbasic)
missing=()
for tool in "${tools[@]}"; do command -v "$tool" >/dev/null || missing+=("$tool"); done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update >&2
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}" >&2
fi

cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >&2
cmake --build "$out" -j"$(nproc)" --target kelo-basic >&2
kelo="$out/kelo-basic"
work="$out/programs"
mkdir -p "$work"

# Ours reads and writes the program files of the current folder, build-bench/ here; their
# lines end with CR LF. The stream front end, whatever the terminal.
export KELO_HOST=stream
as_tib() { sed 's/$/\r/' "$1" > "$2"; }
for name in loops memory output sieve_sort; do
  as_tib "$bench/programs/$name.tib" "$out/${name^^}.TIB"
  cp "$bench/programs/$name.yab" "$bench/programs/$name.bas" "$work/"
done
"$bench/make_jumps.sh" tib > "$work/jumps.tib"
as_tib "$work/jumps.tib" "$out/JUMPS.TIB"
"$bench/make_jumps.sh" yab > "$work/jumps.yab"
"$bench/make_jumps.sh" bas > "$work/jumps.bas"
cp "$bench/programs/empty.yab" "$bench/programs/empty.bas" "$bench/programs/bye.keys" "$work/"

# The printed results, one per line, blanks trimmed; the banners and prompts left out.
ours_results() { (cd "$out" && "$kelo" "${1^^}" </dev/null) | sed -e '1,/^\[Ok\]$/d' -e '$d' | sed 's/^ *//; s/ *$//'; }
yabasic_results() { yabasic "$work/$1.yab" | sed 's/^ *//; s/ *$//'; }
bwbasic_results() { bwbasic "$work/$1.bas" </dev/null | tr -d '\r' | sed 's/^ *//; s/ *$//' | grep -v -e 'Bywater BASIC' -e '^Copyright' -e '^$'; }

# Statements one run executes: with TRACE on, every statement of a stored line prints one "[".
statements() {
  printf 'TRACE\nLOAD %s\nRUN\n' "${1^^}" | (cd "$out" && "$kelo") | tr -cd '[' | wc -c | awk '{ print $1 - 1 }'  # less LOAD's "[Ok]"
}

programs=(loops jumps memory output sieve_sort)
titles=("1 loops and arithmetic" "2 jumps (GOTO, GOSUB)" "3 functions and memory" "4 output (20,000 lines)" "5 sieve and bubble sort")
for name in "${programs[@]}"; do
  ours="$(ours_results "$name")"
  if [ "$ours" != "$(yabasic_results "$name")" ] || [ "$ours" != "$(bwbasic_results "$name")" ]; then
    echo "bench: $name prints different results:" >&2
    diff <(echo "$ours") <(yabasic_results "$name") | head -5 >&2 || true
    diff <(echo "$ours") <(bwbasic_results "$name") | head -5 >&2 || true
    exit 1
  fi
  echo "bench: $name prints the same results in all three: $(echo "$ours" | head -3 | tr '\n' ' ')" >&2
done

# hyperfine's CSV: command,mean,stddev,median,user,system,min,max (seconds).
median_of() { awk -F, -v row="$2" 'NR == row + 1 { print $4 }' "$1"; }
time_three() {  # name, our command, yabasic command, bwbasic command
  hyperfine --style basic --warmup 1 --runs "$runs" --export-csv "$work/$1.csv" "$2" "$3" "$4" >&2
}

cd "$out"
for name in "${programs[@]}"; do
  time_three "$name" "./kelo-basic ${name^^} </dev/null" "yabasic programs/$name.yab" "bwbasic programs/$name.bas </dev/null"
done
time_three startup "./kelo-basic <programs/bye.keys" "yabasic programs/empty.yab" "bwbasic programs/empty.bas </dev/null"

ms() { awk -v s="$1" 'BEGIN { v = s * 1000; printf (v < 10 ? "%.1f ms" : "%.0f ms"), v }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf (a / b < 0.1 ? "%.3fx" : "%.2fx"), a / b }'; }

echo
echo "Machine: $(nproc --all) processors, $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'); medians of $runs runs"
echo
echo "| program | ours | statements/s (ours) | yabasic | ours/yabasic | bwbasic | ours/bwbasic |"
echo "|---|---|---|---|---|---|---|"
for i in "${!programs[@]}"; do
  name="${programs[$i]}"
  csv="$work/$name.csv"
  o="$(median_of "$csv" 1)"; y="$(median_of "$csv" 2)"; b="$(median_of "$csv" 3)"
  n="$(statements "$name")"
  rate="$(awk -v n="$n" -v s="$o" 'BEGIN { printf "%.1f M", n / s / 1e6 }')"
  echo "| ${titles[$i]} | $(ms "$o") | $rate ($n statements) | $(ms "$y") | $(ratio "$o" "$y") | $(ms "$b") | $(ratio "$o" "$b") |"
done
csv="$work/startup.csv"
o="$(median_of "$csv" 1)"; y="$(median_of "$csv" 2)"; b="$(median_of "$csv" 3)"
echo "| 6 start-up (empty session) | $(ms "$o") | - | $(ms "$y") | $(ratio "$o" "$y") | $(ms "$b") | $(ratio "$o" "$b") |"
