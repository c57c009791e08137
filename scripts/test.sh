#!/usr/bin/env bash
# Sets up, builds the test configuration (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test through CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
build="$root/build-tests"
# The install prefix lies inside the build folder, where the installation test
# lays the program out afresh and runs it as an installed program.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVELLE_SANITIZE=ON \
      -DCMAKE_INSTALL_PREFIX="$build/prefix" >/dev/null
cmake --build "$build"
cd "$build"
# Tests set their own locale and folders; keep the caller's from leaking in.
# The window toolkit's system libraries keep some memory to the end on purpose.
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp"
env -u LANGUAGE -u LC_ALL -u LC_MESSAGES LANG=C.UTF-8 ctest --output-on-failure "$@"
# A short fuzzing of the readers of outside input, when every test was asked for.
if [ $# -eq 0 ]; then
  "$root/scripts/fuzz.sh" --court
fi
