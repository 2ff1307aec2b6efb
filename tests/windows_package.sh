#!/usr/bin/env bash
# trovik.exe imports only DLLs that every Windows has, and `cpack -G ZIP`
# makes the download: trovik.exe, the README, the manual as HTML and the
# copyright, with a trovik.exe that converts the example under Wine.
#
#   windows_package.sh OBJDUMP BUILD_DIR SOURCE_DIR
set -euo pipefail
objdump=$1
build=$(cd "$2" && pwd)
source=$(cd "$3" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Parts of Windows itself, never shipped beside a program. libstdc++-6.dll,
# libgcc_s_seh-1.dll and libwinpthread-1.dll are not among them: a user who
# lacks them gets an error box instead of a conversion.
system_dlls='^(kernel32|msvcrt|shell32|user32|advapi32|ntdll|ucrtbase|api-ms-win-[a-z0-9-]+)\.dll$'
imports=$("$objdump" -p "$build/trovik.exe" | awk '/DLL Name:/ {print $3}')
[ -n "$imports" ] || fail "no imports found in trovik.exe; is it a Windows program?"
while read -r dll; do
  grep -qiE "$system_dlls" <<<"$dll" || fail "trovik.exe imports $dll, which Windows does not bring"
done <<<"$imports"

(cd "$build" && cpack -G ZIP -B "$work/package" >/dev/null)
zip=$work/package/trovik-1.0.0-win64.zip
[ -f "$zip" ] || fail "cpack made no trovik-1.0.0-win64.zip: $(ls "$work/package")"
listing=$(unzip -Z1 "$zip")
for file in trovik.exe README.txt trovik.html COPYRIGHT.txt; do
  grep -qx "trovik-1.0.0-win64/$file" <<<"$listing" || fail "the zip lacks $file: $listing"
done

unzip -q "$zip" -d "$work/unzipped"
folder=$work/unzipped/trovik-1.0.0-win64
grep -q 'trovik - convert an AVM DSL capture dump' "$folder/trovik.html" ||
  fail "the HTML manual lacks its name line"
cmp -s "$folder/README.txt" "$source/README.md" || fail "README.txt is not the README"
cp "$source/examples/example.avm" "$work/example.avm"
(cd "$work" && env WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= \
   wine "$folder/trovik.exe" example.avm example.pcap >out) || fail "the zipped trovik.exe failed"
grep -q $'^8 DSL packets found and translated. 1 lost due to garbage in input file\r$' "$work/out" ||
  fail "the zipped trovik.exe printed: $(cat "$work/out")"
[ "$(head -c 4 "$work/example.pcap" | od -An -tx1 | tr -d ' ')" = d4c3b2a1 ] ||
  fail "the zipped trovik.exe wrote no capture file"
echo "trovik.exe imports only system DLLs: $(echo $imports); the zip is in order"
