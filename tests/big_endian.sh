#!/usr/bin/env bash
# Runs a big-endian (s390x, under qemu-user) trovik and the host's trovik on
# the same inputs and command lines, and requires the same messages, exit
# statuses and output bytes from both.
#
#   big_endian.sh HOST_BUILD_DIR S390X_BUILD_DIR SOURCE_DIR
set -euo pipefail
host=$(cd "$1" && pwd)/trovik
cross=$(cd "$2" && pwd)/trovik
source=$(cd "$3" && pwd)
make_dump=$(cd "$1" && pwd)/make_dump
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/inputs" "$work/host" "$work/cross"
cp "$source/examples/example.avm" "$work/inputs/example.avm"
"$make_dump" bench 4 3 "$work/inputs/mixed.avm" >/dev/null
for seed in "$source"/fuzz/corpus/*; do  # the dumps behind the fuzzer's steering bytes
  tail -c +5 "$seed" >"$work/inputs/corpus-$(basename "$seed").avm"
done
mkdir "$work/inputs/a-directory"

compared=0
# $1: a name; the rest: trovik's arguments, relative to the run's directory,
# where `in` links to the inputs.
compare() {
  local name=$1
  shift
  for side in host cross; do
    local dir="$work/$side/$name"
    mkdir -p "$dir"
    ln -s "$work/inputs" "$dir/in"
    local binary=$host
    [ "$side" = cross ] && binary="qemu-s390x -L /usr/s390x-linux-gnu $cross"
    (cd "$dir" && set +e && $binary "$@" >stdout; echo $? >status)
    rm "$dir/in"
  done
  if ! diff -r "$work/host/$name" "$work/cross/$name" >"$work/diff"; then
    echo "big-endian trovik differs on $name:"
    head -20 "$work/diff"
    exit 1
  fi
  compared=$((compared + 1))
}

for input in "$work"/inputs/*.avm; do
  compare "$(basename "$input" .avm)" "in/$(basename "$input")" out.pcap
done
compare no-arguments
compare too-many in/example.avm out.pcap extra
compare missing-input in/missing.avm out.pcap
compare missing-directory in/example.avm no/such/out.pcap
compare directory-input in/a-directory out.pcap
compare same-file in/example.avm in/example.avm
compare full-device in/mixed.avm /dev/full
echo "big-endian and host trovik agree on $compared runs"
