#!/usr/bin/env bash
# Runs the host's trovik and another build of it on the same inputs and
# command lines, and requires the same messages, exit statuses and output
# bytes from both:
#   s390x    a big-endian build, under qemu-user;
#   windows  trovik.exe, under Wine. Its messages must end every line in
#            CRLF, which is folded to LF before comparing. Where Windows
#            rightly differs (its spellings of one file, NUL, a directory as
#            infile), its own outcome is checked instead.
#
#   compare_builds.sh s390x|windows HOST_BUILD_DIR OTHER_BUILD_DIR SOURCE_DIR
set -euo pipefail
kind=$1
host=$(cd "$2" && pwd)/trovik
source=$(cd "$4" && pwd)
make_dump=$(cd "$2" && pwd)/make_dump
case $kind in
  s390x) other=(qemu-s390x -L /usr/s390x-linux-gnu "$(cd "$3" && pwd)/trovik") ;;
  # Wine hands the program its arguments decoded from the locale's charset.
  windows) other=(env LC_ALL=C.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= wine
                  "$(cd "$3" && pwd)/trovik.exe") ;;
  *) echo "unknown build kind: $kind" >&2; exit 2 ;;
esac
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL ($kind): $*"; exit 1; }

mkdir -p "$work/inputs" "$work/host" "$work/other"
cp "$source/examples/example.avm" "$work/inputs/example.avm"
"$make_dump" bench 4 3 "$work/inputs/mixed.avm" >/dev/null
for seed in "$source"/fuzz/corpus/*; do  # the dumps behind the fuzzer's steering bytes
  tail -c +5 "$seed" >"$work/inputs/corpus-$(basename "$seed").avm"
done
mkdir "$work/inputs/a-directory"

# $1: host or other; $2: the directory to run in, where trovik's arguments
# (the rest) are relative to. Leaves stdout and status there.
run_in() {
  local side=$1 dir=$2
  shift 2
  local binary=("$host")
  [ "$side" = other ] && binary=("${other[@]}")
  (cd "$dir" && set +e && "${binary[@]}" "$@" >stdout; echo $? >status)
  if [ "$side" = other ] && [ "$kind" = windows ]; then
    # Every line ends in CRLF, as a text-mode standard output writes it.
    local lines crlf
    lines=$(tr -cd '\n' <"$dir/stdout" | wc -c)
    crlf=$(grep -c $'\r$' "$dir/stdout" || true)
    [ "$lines" -eq "$crlf" ] || fail "$dir: $crlf of $lines lines end in CRLF"
    tr -d '\r' <"$dir/stdout" >"$dir/stdout.lf" && mv "$dir/stdout.lf" "$dir/stdout"
  fi
}

# $1: host or other; $2: the run's name; the rest: trovik's arguments,
# relative to the run's directory $work/$1/$2, where `in` links to the inputs.
run() {
  local side=$1 name=$2
  shift 2
  local dir="$work/$side/$name"
  mkdir -p "$dir"
  ln -s "$work/inputs" "$dir/in"
  run_in "$side" "$dir" "$@"
  rm "$dir/in"
}

compared=0
compare() {
  local name=$1
  run host "$@"
  run other "$@"
  if ! diff -r "$work/host/$name" "$work/other/$name" >"$work/diff"; then
    echo "$kind trovik differs from the host's on $name:"
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
compare same-file in/example.avm in/example.avm
compare full-device in/mixed.avm /dev/full

if [ "$kind" = s390x ]; then
  compare directory-input in/a-directory out.pcap
  echo "$kind and host trovik agree on $compared runs"
  exit 0
fi

# Names in other scripts and with spaces, in both arguments.
for name in 'тест' '捕获 文件' 'line 📡 dump' 'with  two  spaces'; do
  cp "$work/inputs/example.avm" "$work/inputs/$name.avm"
  compare "named $name" "in/$name.avm" "$name.pcap"
done
compare "named, missing" "in/нет 📡.avm" out.pcap

# Beyond 4 GiB: a sparse file of one packet of zeros past 4 GiB, then a
# valid packet. No 32-bit size or offset may sit on the read path.
{ head -c 128 /dev/zero; } >"$work/inputs/big.avm"
truncate -s $((128 + (1 << 32) + 48)) "$work/inputs/big.avm"
{ printf 'dsl'; head -c 13 /dev/zero; tail -c +129 "$work/inputs/example.avm" | head -c 64; } \
  >>"$work/inputs/big.avm"
compare beyond-4-gib in/big.avm out.pcap
rm "$work/inputs/big.avm"

# Windows' own answers. $1: the directory it ran in; $2: the expected
# status; $3: the expected message after the banner.
banner=$'TROVIK - Converts AVM DSL dump into Ethereal dump\nv.1.0 by the trovik developers\n'
expect() {
  local dir=$1 status=$2 message=$3
  [ "$(cat "$dir/status")" = "$status" ] || fail "$dir: status $(cat "$dir/status"), expected $status"
  [ "$(cat "$dir/stdout")" = "$banner"$'\n'"$message" ] || fail "$dir: printed $(cat "$dir/stdout")"
}

# Whatever the spelling, the input is refused and left as it was.
same=$work/same
mkdir -p "$same/sub"
cp "$work/inputs/example.avm" "$same/in.avm"
ln "$same/in.avm" "$same/hard.avm"
ln -s in.avm "$same/soft.avm"
full=$(env WINEDEBUG=-all wine winepath -w "$same/in.avm" 2>/dev/null | tr -d '\r')
for spelling in in.avm IN.AVM In.Avm './in.avm' '.\in.avm' 'sub\..\in.avm' 'sub/../in.avm' \
                "$full" "${full//\\//}" hard.avm soft.avm; do
  run_in other "$same" in.avm "$spelling"
  expect "$same" 255 "Refusing to overwrite the input file '$spelling'!"
  cmp -s "$same/in.avm" "$work/inputs/example.avm" || fail "same file as $spelling: the input changed"
done

# NUL is a device: written, not emptied, not created as a file.
run host nul in/example.avm out.pcap
run other nul in/example.avm NUL
expect "$work/other/nul" 0 "$(tail -n +4 "$work/host/nul/stdout")"
[ "$(ls "$work/other/nul")" = $'status\nstdout' ] || fail "writing to NUL made a file"

# A directory cannot be opened as a file on Windows.
run other directory-input in/a-directory out.pcap
expect "$work/other/directory-input" 255 "Could not open 'in/a-directory'!"
[ ! -e "$work/other/directory-input/out.pcap" ] || fail "directory-input: outfile was created"

# In a console, paths reach the screen as characters, not as UTF-8 bytes
# read through the console's code page (Wine's is 437). Wine's console on a
# pseudo-terminal stands in for Windows' here; it shows characters outside
# the BMP as two replacement characters, whatever the program writes, so the
# names keep to the BMP.
console=$(cd "$work/inputs" && LC_ALL=C.UTF-8 script -qc \
  "$(printf '%q ' "${other[@]}") 'тест.avm' 'нет 捕获/out.pcap'" /dev/null |
  sed 's/\x1b\[[0-9;?]*[A-Za-z]//g' | tr -d '\r')
grep -qx "Could not open 'нет 捕获/out.pcap'!" <<<"$console" || fail "a console shows: $console"

echo "$kind and host trovik agree on $compared runs; Windows' own outcomes are as expected"
