#!/usr/bin/env bash
# Times trovik against a plain copy of the same bytes, and against other ways
# of doing the same work, on a generated capture, with the input in two
# places: on tmpfs, and in a file on the disk that the page cache holds.
#
#   bench/run.sh [SIZE_MIB [ROUNDS [pair]]]   (defaults: 1024 MiB, 15 rounds)
#
# With `pair`, only dd and trovik are timed, in alternating pairs. With
# BEFORE set to another build of trovik, that build is timed beside this
# one and its outputs are checked the same way, so that a change is measured
# against what it changes within one run.
#
# Needs the tool built in ./build (or $BUILD); editcap and tcpdump are timed
# when they are installed. Outputs go to tmpfs in both placements, so that
# only the input's place differs. Each round runs every command once, in an
# order that reverses from one round to the next, so a slow spell of the
# machine falls on all of them; every ratio is taken within one round, to
# that round's dd, and the median and range of those ratios are printed
# with the median wall, user and system times. Every output of trovik and
# of the stdio baselines is checked against the CRC and size that the
# generator computed.
set -euo pipefail

size=${1:-1024}
rounds=${2:-15}
only=${3:-all}
build=${BUILD:-build}
trovik=$build/trovik
make_dump=$build/make_dump
stdio=$build/bench/stdio_convert
floor=$build/bench/copy_floor
for tool in "$trovik" "$make_dump" "$stdio" "$floor"; do
  [ -x "$tool" ] || { echo "missing $tool: build the project first" >&2; exit 1; }
done

shm=$(mktemp -d /dev/shm/trovik-bench.XXXXXX)
disk=$(mktemp -d "${BENCH_DISK_DIR:-/var/tmp}/trovik-bench.XXXXXX")
trap 'rm -rf "$shm" "$disk"' EXIT

echo "generating ${size} MiB ..."
read -r records crc bytes < <("$make_dump" bench "$size" 1 "$shm/in.avm")
cp "$shm/in.avm" "$disk/in.avm"
"$trovik" "$shm/in.avm" "$shm/ref.pcap" >/dev/null

check() {  # the output must be exactly what the generator says it must be
  read -r got_crc got_bytes _ < <(cksum "$1")
  if [ "$got_crc $got_bytes" != "$crc $bytes" ]; then
    echo "WRONG OUTPUT from $2: cksum $got_crc $got_bytes, expected $crc $bytes" >&2
    exit 1
  fi
}
check "$shm/ref.pcap" trovik

names=("dd bs=1M copy (the limit)" "trovik" "two copies a byte, nothing else (trovik's floor)" "stdio, 1 MiB buffers, unlocked reads"
       "editcap on the equivalent pcap" "tcpdump -r -w on the equivalent pcap"
       "stdio, default buffers, fread per block")
# IN is replaced by the input of the placement being measured.
cmds=("dd if=IN of=$shm/out.dd bs=1M status=none"
      "$trovik IN $shm/out.trovik"
      "$floor IN $shm/out.floor"
      "$stdio --tuned IN $shm/out.tuned"
      "editcap $shm/ref.pcap $shm/out.editcap"
      "tcpdump -r $shm/ref.pcap -w $shm/out.tcpdump"
      "$stdio IN $shm/out.plain")
# Outputs that must match the generator's figures; dd and the floor copy the
# input, and editcap and tcpdump may write a header of their own.
verify=("" out.trovik "" out.tuned "" "" out.plain)
if [ -n "${BEFORE:-}" ]; then
  names+=("trovik, $BEFORE")
  cmds+=("$BEFORE IN $shm/out.before")
  verify+=(out.before)
fi
active=()
for i in "${!cmds[@]}"; do
  tool=${cmds[$i]%% *}
  [ "$only" = pair ] && [ "$i" -gt 1 ] && [ "${verify[$i]}" != out.before ] && continue
  command -v "$tool" >/dev/null 2>&1 && active+=("$i")
done

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }
# Median, then least and greatest, of the numbers on standard input.
stats() { sort -g | awk '{a[NR]=$1} END {m = (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2; print m, a[1], a[NR]}'; }

TIMEFORMAT='%3R %3U %3S'
# $1: the input; prints one line per round and command: round, command, wall, user, system.
measure() {
  local input=$1 round order i wall user sys
  for round in $(seq 0 "$rounds"); do  # round 0 warms the page cache and tmpfs up
    order=("${active[@]}")
    if [ $((round % 2)) -eq 1 ]; then
      order=()
      for ((i = ${#active[@]} - 1; i >= 0; i--)); do order+=("${active[$i]}"); done
    fi
    for i in "${order[@]}"; do
      read -r wall user sys < <({ time ${cmds[$i]//IN/$input} >/dev/null 2>&1; } 2>&1)
      [ -n "${verify[$i]}" ] && check "$shm/${verify[$i]}" "${names[$i]}"
      [ "$round" -gt 0 ] && echo "$round $i $wall $user $sys"
      rm -f "$shm"/out.*
    done
  done
}

report() {  # $1: the placement's name; $2: the file of measure's lines
  local place=$1 file=$2 i
  echo
  echo "${size} MiB, ${records} packets, input $place, ${rounds} rounds"
  echo
  echo "| command on the same packets | wall s | / dd, median (range) | user s | system s |"
  echo "|---|---|---|---|---|"
  for i in "${active[@]}"; do
    read -r wall _ _ < <(awk -v i="$i" '$2 == i {print $3}' "$file" | stats)
    read -r user _ _ < <(awk -v i="$i" '$2 == i {print $4}' "$file" | stats)
    read -r sys _ _ < <(awk -v i="$i" '$2 == i {print $5}' "$file" | stats)
    read -r ratio low high < <(awk -v i="$i" '$2 == 0 {dd[$1] = $3} $2 == i {t[$1] = $3}
      END {for (r in t) print t[r] / dd[r]}' "$file" | stats)
    printf '| %s | %.3f | %.2f (%.2f-%.2f) | %.3f | %.3f |\n' \
      "${names[$i]}" "$wall" "$ratio" "$low" "$high" "$user" "$sys"
  done
}

measure "$shm/in.avm" >"$shm/times.tmpfs"
report "on tmpfs" "$shm/times.tmpfs"
measure "$disk/in.avm" >"$shm/times.disk"
report "in a file on the disk, page-cached" "$shm/times.disk"

rss() { /usr/bin/time -f %M "$trovik" "$1" "$shm/rss.pcap" 2>&1 >/dev/null | tail -1; }
"$make_dump" bench 10 2 "$shm/small.avm" >/dev/null
trovik_wall=$(awk '$2 == 1 {print $3}' "$shm/times.tmpfs" | stats | cut -d' ' -f1)
echo
printf 'trovik: %.0f packets/s (input on tmpfs)\n' "$(calc "$records / $trovik_wall")"
echo "trovik peak RSS: $(rss "$shm/small.avm") KiB on 10 MiB, $(rss "$shm/in.avm") KiB on ${size} MiB"
