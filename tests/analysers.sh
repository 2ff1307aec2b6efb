#!/usr/bin/env bash
# Opens trovik's outputs in tshark and tcpdump, the analysers its users
# actually run, and checks that both see every record where it belongs: the
# right number of frames, each of the right length, valid frames dissected as
# PPPoE discovery or session, invalidated packets as empty frames.
#
#   analysers.sh TROVIK MAKE_DUMP EXAMPLE_DUMP
set -euo pipefail
trovik=$1
make_dump=$2
example=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# $1: capture file; $2: the expected records, a line each: length and kind
# (D discovery, S session, G invalidated).
check_capture() {
  local pcap=$1 list=$2
  tshark -r "$pcap" -T fields -e frame.number -e frame.len -e frame.cap_len -e frame.protocols \
    2>/dev/null >"$work/tshark"
  # A frame's line begins with its timestamp, or is tcpdump's note on an empty
  # frame; indented lines are hex dumps of payloads it has no dissector for.
  tcpdump -r "$pcap" -nn -e 2>/dev/null | grep -E '^(00:00:00\.000000 |\[Invalid header)' \
    >"$work/tcpdump"
  [ "$(wc -l <"$work/tshark")" -eq "$(wc -l <"$list")" ] ||
    { echo "tshark shows $(wc -l <"$work/tshark") frames, expected $(wc -l <"$list")"; return 1; }
  [ "$(wc -l <"$work/tcpdump")" -eq "$(wc -l <"$list")" ] ||
    { echo "tcpdump shows $(wc -l <"$work/tcpdump") frames, expected $(wc -l <"$list")"; return 1; }
  paste "$list" "$work/tshark" | awk '
    function bad(what) { printf "tshark, frame %d: %s: %s\n", NR, what, $0; failed = 1 }
    $3 != NR { bad("out of place") }
    $4 != $1 || $5 != $1 { bad("wrong length") }
    $2 == "D" && $6 !~ /^eth:ethertype:pppoed/ { bad("not PPPoE discovery") }
    $2 == "S" && $6 !~ /^eth:ethertype:pppoes/ { bad("not PPPoE session") }
    $2 == "G" && $6 != "eth" { bad("not an empty frame") }
    END { exit failed }'
  paste -d '|' "$list" "$work/tcpdump" | awk -F '|' '
    function bad(what) { printf "tcpdump, frame %d: %s: %s\n", NR, what, $0; failed = 1 }
    {
      split($1, want, " ")
      if (want[2] == "G") {
        if ($2 !~ /caplen==0, len==0/) bad("not an empty frame")
      } else if (index($2, "ethertype PPPoE " want[2] " ") == 0 ||
                 index($2, ", length " want[1] ": PPPoE") == 0) {
        bad("not PPPoE " want[2] " of length " want[1])
      }
    }
    END { exit failed }'
}

# $1: trovik's messages; $2: the expected records. The garbage lines must
# name exactly the invalidated records.
check_garbage_lines() {
  local named expected
  named=$(sed -n 's/^Garbage input. Have to invalidate output packet \([0-9]*\)$/\1/p' "$1" | tr '\n' ' ')
  expected=$(awk '$2 == "G" { printf "%d ", NR }' "$2")
  [ "$named" = "$expected" ] || { echo "garbage lines name '$named', expected '$expected'"; return 1; }
}

printf '%s\n' '32 D' '46 D' '32 D' '32 D' '36 S' '0 G' '82 S' '82 S' >"$work/example.list"
"$trovik" "$example" "$work/example.pcap" >"$work/example.out"
check_garbage_lines "$work/example.out" "$work/example.list"
check_capture "$work/example.pcap" "$work/example.list"

"$make_dump" bench 8 11 "$work/mixed.avm" "$work/mixed.list" >/dev/null
"$trovik" "$work/mixed.avm" "$work/mixed.pcap" >"$work/mixed.out"
grep -q ' G$' "$work/mixed.list" || { echo "the mixed capture has no invalidated packet"; exit 1; }
check_garbage_lines "$work/mixed.out" "$work/mixed.list"
check_capture "$work/mixed.pcap" "$work/mixed.list"
echo "tshark and tcpdump read both captures record for record"
