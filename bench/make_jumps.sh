#!/usr/bin/env bash
# Writes the jumps program, about 200 lines that GOSUB and GOTO across their whole length,
# for one dialect: "tib" (ours), "yab" or "bas". The pairs of lines are visited from both
# ends inward (first, last, second, second last, ...), so every jump crosses the program.
set -euo pipefail
dialect="$1"
pairs=99
first=100      # number of the first chain line; lines go up by 10
sub=2990       # the subroutine every pair calls

line_of_pair() { echo $((first + 20 * $1)); }

order=()
for ((i = 0; i < (pairs + 1) / 2; i++)); do
  order+=("$i")
  j=$((pairs - 1 - i))
  ((j > i)) && order+=("$j")
done
# The pair each pair's second line goes on to; the last one visited returns.
declare -A next_of
for ((m = 0; m < pairs - 1; m++)); do next_of[${order[m]}]=${order[m + 1]}; done

case "$dialect" in
  tib|bas)
    printf '10 D=0\n20 FOR J=1 TO 20\n30 C=0\n40 FOR K=1 TO 100\n50 GOSUB 100\n60 NEXT K\n70 D=D+C/100\n80 NEXT J\n90 PRINT D\n'
    [ "$dialect" = bas ] && printf '95 SYSTEM\n' || printf '95 END\n'
    ;;
  yab)
    printf 'd=0\nfor j=1 to 20\nc=0\nfor k=1 to 100\ngosub 100\nnext k\nd=d+c/100\nnext j\nprint d\nend\n'
    ;;
esac
for ((p = 0; p < pairs; p++)); do
  a=$(line_of_pair "$p")
  if [ -n "${next_of[$p]:-}" ]; then rest="GOTO $(line_of_pair "${next_of[$p]}")"; else rest="RETURN"; fi
  line1="$a C=C+1:GOSUB $sub"
  line2="$((a + 10)) $rest"
  if [ "$dialect" = yab ]; then
    line1="${line1,,}"
    line2="${line2,,}"
  fi
  printf '%s\n%s\n' "$line1" "$line2"
done
if [ "$dialect" = yab ]; then printf '%s c=c+1:return\n' "$sub"; else printf '%s C=C+1:RETURN\n' "$sub"; fi
