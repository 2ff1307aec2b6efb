#!/usr/bin/env bash
# The manual page lints clean, `cmake --install` puts the binary and the page
# in place, and the Debian package holds both, with sound control fields.
#
#   packaging.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

warnings=$(groff -ww -z -man "$source/doc/trovik.1" 2>&1)
[ -z "$warnings" ] || fail "groff warns about the manual page: $warnings"
if command -v mandoc >/dev/null; then
  warnings=$(mandoc -T lint -W warning "$source/doc/trovik.1" 2>&1) || true
  [ -z "$warnings" ] || fail "mandoc warns about the manual page: $warnings"
fi

cmake --install "$build" --prefix "$work/prefix" >/dev/null
[ -x "$work/prefix/bin/trovik" ] || fail "cmake --install put no bin/trovik"
[ -f "$work/prefix/share/man/man1/trovik.1.gz" ] || fail "cmake --install put no manual page"
MANWIDTH=80 man -l "$work/prefix/share/man/man1/trovik.1.gz" 2>&1 | grep -q 'trovik infile outfile' ||
  fail "the installed manual page does not render"

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/trovik_*.deb)
info=$(dpkg-deb --info "$deb")
for field in 'Package: trovik' 'Version: 1.0.0' 'Section: net' 'Depends: libc6' \
             'Description: convert AVM DSL capture dumps'; do
  grep -q "^ $field" <<<"$info" || fail "control field missing: $field"
done
contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for path in ./usr/bin/trovik ./usr/share/man/man1/trovik.1.gz ./usr/share/doc/trovik/copyright; do
  grep -qx "$path" <<<"$contents" || fail "the package lacks $path"
done
if command -v lintian >/dev/null; then
  report=$(lintian --allow-root "$deb" 2>&1 | grep -E '^[EW]:' || true)
  [ -z "$report" ] || fail "lintian: $report"
fi

# What the package installs works: the binary converts the example.
dpkg-deb -x "$deb" "$work/root"
"$work/root/usr/bin/trovik" "$source/examples/example.avm" "$work/example.pcap" >"$work/out" ||
  fail "the packaged trovik failed on the example"
grep -qx Done "$work/out" || fail "the packaged trovik did not finish"
echo "manual page, install and package are in order"
