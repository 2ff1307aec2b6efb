#!/usr/bin/env bash
# The Debian packages that building trovik and running every check need, in
# the one list that the test command (tests/all.sh) and CI (.ci/run) use.
# Installs the missing ones when run as root; otherwise prints the apt-get
# line that would, and fails.
set -euo pipefail
packages=(
  g++ cmake                                   # the build
  libgtest-dev googletest libpcap-dev         # the tests, and outputs read back with libpcap
  tshark tcpdump                              # the analysers the outputs are opened in
  groff-base man-db mandoc lintian dpkg-dev unzip  # the manual, the package, the zip
  clang libclang-rt-14-dev                    # the sanitizer build and the fuzzer
  clang-tidy clang-format cppcheck            # the static checks
  g++-s390x-linux-gnu qemu-user               # the big-endian build
  g++-mingw-w64-x86-64-posix wine wine64      # the Windows build, run under Wine
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

command="apt-get update && apt-get install -y ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "The checks need Debian packages that are not installed. As root, run:" >&2
  echo "  $command" >&2
  exit 1
fi
echo "+ $command"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q "${missing[@]}"
