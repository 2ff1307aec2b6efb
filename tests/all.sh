#!/usr/bin/env bash
# Everything CI checks, in order, each in a build directory of its own, after
# installing the Debian packages it needs (tests/packages.sh):
#   1. the test suite in the normal build (g++), the package included;
#   2. the test suite built with AddressSanitizer and UndefinedBehaviorSanitizer (clang);
#   3. the fuzzer on its corpus for FUZZ_SECONDS (default 60);
#   4. an s390x (big-endian) build: its unit tests under qemu-user, and the
#      same outputs as the normal build on the same runs;
#   5. a 64-bit Windows build (mingw-w64): its unit tests under Wine, its
#      zip, and the same outputs and messages as the normal build on the
#      same runs;
#   6. clang-format, clang-tidy and cppcheck.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
step() { printf '\n=== %s\n' "$*"; }

bash tests/packages.sh

step "normal build"
cmake -S . -B build -DBUILD_TESTING=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

step "sanitizer build"
CXX=clang++ cmake -S . -B build-asan -DTROVIK_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-asan -j "$jobs"
# The package is built and checked from the normal build; a sanitized binary
# is no thing to package.
ctest --test-dir build-asan --output-on-failure -j "$jobs" -E '^packaging$'

step "fuzzer, ${FUZZ_SECONDS:-60} s"
bash fuzz/run.sh "${FUZZ_SECONDS:-60}"

step "big-endian build (s390x under qemu-user)"
cmake -S . -B build-s390x -DCMAKE_TOOLCHAIN_FILE=cmake/s390x-linux-gnu.cmake \
  -DTROVIK_END_TO_END_TESTS=OFF -DTROVIK_GTEST_SOURCE=/usr/src/googletest >/dev/null
cmake --build build-s390x -j "$jobs"
ctest --test-dir build-s390x --output-on-failure -j "$jobs"
bash tests/compare_builds.sh s390x build build-s390x .

step "Windows build (mingw-w64, under Wine)"
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DTROVIK_END_TO_END_TESTS=OFF -DTROVIK_GTEST_SOURCE=/usr/src/googletest \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null
cmake --build build-windows -j "$jobs"
ctest --test-dir build-windows --output-on-failure -j "$jobs"
bash tests/compare_builds.sh windows build build-windows .

step "static checks"
sources=$(git ls-files '*.cpp' '*.hpp')
# shellcheck disable=SC2086
clang-format --dry-run -Werror $sources
# shellcheck disable=SC2086
clang-tidy -p build --quiet $(git ls-files 'src/*.cpp' 'tools/*.cpp' 'bench/*.cpp' 'tests/*.cpp' | grep -v '_windows\.cpp$')
clang-tidy --quiet fuzz/conversion_fuzzer.cpp -- -std=c++17 -Isrc -Itools
# The Windows backings, as the Windows build compiles them, against
# mingw-w64's headers and C++ library (its compiler's own intrinsics headers
# are GCC's and not for clang).
windows_headers=(--extra-arg=--target=x86_64-w64-mingw32)
for dir in $(x86_64-w64-mingw32-g++-posix -E -x c++ -v - </dev/null 2>&1 | grep -E '^ /.*/include/c\+\+'); do
  windows_headers+=("--extra-arg=-isystem$dir")
done
windows_headers+=(--extra-arg=-isystem/usr/x86_64-w64-mingw32/include)
# shellcheck disable=SC2046
clang-tidy -p build-windows --quiet "${windows_headers[@]}" $(git ls-files 'src/*_windows.cpp')
cppcheck --enable=warning,style,performance,portability --std=c++17 --library=googletest \
  --library=posix --error-exitcode=1 --inline-suppr --quiet -I src -I tools src tools fuzz bench tests
echo "clean"

step "all checks passed"
