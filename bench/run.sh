#!/usr/bin/env bash
# Times trovik against a plain copy of the same bytes, and against other ways
# of doing the same work, on a generated capture.
#
#   bench/run.sh [SIZE_MIB [RUNS]]      (defaults: 1024 MiB, 5 runs)
#
# Needs the tool built in ./build (or $BUILD); editcap and tcpdump are timed
# when they are installed. Input and outputs live on tmpfs (/dev/shm), so the
# input is read from the page cache and nothing waits for a disk. Commands
# run in turn within each round, so a slow spell of the machine hits them
# all; the medians are compared.
set -euo pipefail

size=${1:-1024}
runs=${2:-5}
build=${BUILD:-build}
trovik=$build/trovik
make_dump=$build/make_dump
stdio=$build/bench/stdio_convert
for tool in "$trovik" "$make_dump" "$stdio"; do
  [ -x "$tool" ] || { echo "missing $tool: build the project first" >&2; exit 1; }
done

work=$(mktemp -d /dev/shm/trovik-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

echo "generating ${size} MiB ..."
read -r records crc bytes < <("$make_dump" bench "$size" 1 "$work/in.avm")
"$trovik" "$work/in.avm" "$work/ref.pcap" >/dev/null

check() {  # the output must be exactly what the generator says it must be
  read -r got_crc got_bytes _ < <(cksum "$1")
  if [ "$got_crc $got_bytes" != "$crc $bytes" ]; then
    echo "WRONG OUTPUT from $2: cksum $got_crc $got_bytes, expected $crc $bytes" >&2
    exit 1
  fi
}
check "$work/ref.pcap" trovik

names=("dd bs=1M copy (the limit)" "trovik" "stdio, 1 MiB buffers, unlocked reads"
       "editcap on the equivalent pcap" "tcpdump -r -w on the equivalent pcap"
       "stdio, default buffers, fread per block")
cmds=("dd if=$work/in.avm of=$work/out.dd bs=1M status=none"
      "$trovik $work/in.avm $work/out.trovik"
      "$stdio --tuned $work/in.avm $work/out.tuned"
      "editcap $work/ref.pcap $work/out.editcap"
      "tcpdump -r $work/ref.pcap -w $work/out.tcpdump"
      "$stdio $work/in.avm $work/out.plain")
# Outputs that must match the generator's figures; dd copies the input, and
# editcap and tcpdump may write a header of their own.
verify=("" out.trovik out.tuned "" "" out.plain)
active=()
for i in "${!cmds[@]}"; do
  tool=${cmds[$i]%% *}
  command -v "$tool" >/dev/null 2>&1 && active+=("$i")
done

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

declare -A times
for round in $(seq 0 "$runs"); do  # round 0 warms the page cache and tmpfs up
  for i in "${active[@]}"; do
    start=$EPOCHREALTIME
    ${cmds[$i]} >/dev/null 2>&1
    end=$EPOCHREALTIME
    [ -n "${verify[$i]}" ] && check "$work/${verify[$i]}" "${names[$i]}"
    [ "$round" -gt 0 ] && times[$i]+="$(calc "$end - $start") "
  done
  rm -f "$work"/out.*
done

median() { tr ' ' '\n' | grep . | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
base=$(echo "${times[0]}" | median)
echo
echo "${size} MiB, ${records} packets, medians of ${runs} runs"
echo
echo "| command on the same packets | median s | wall time / dd's |"
echo "|---|---|---|"
for i in "${active[@]}"; do
  m=$(echo "${times[$i]}" | median)
  printf '| %s | %.3f | %.2f |\n' "${names[$i]}" "$m" "$(calc "$m / $base")"
done

trovik_median=$(echo "${times[1]}" | median)
rss() { /usr/bin/time -f %M "$trovik" "$1" "$work/rss.pcap" 2>&1 >/dev/null | tail -1; }
"$make_dump" bench 10 2 "$work/small.avm" >/dev/null
echo
printf 'trovik / dd: %.2f\n' "$(calc "$trovik_median / $base")"
printf 'trovik: %.0f packets/s\n' "$(calc "$records / $trovik_median")"
echo "trovik peak RSS: $(rss "$work/small.avm") KiB on 10 MiB, $(rss "$work/in.avm") KiB on ${size} MiB"
