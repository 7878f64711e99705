#!/usr/bin/env bash
# Line coverage of src/ by the whole test suite: builds an instrumented tree
# in build-cov, runs every test, and prints gcovr's summary (an HTML report
# goes to build-cov/coverage.html).
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v gcovr > /dev/null; then
  apt-get update -qq && apt-get install -y -qq gcovr
fi
cmake -S . -B build-cov -DCMAKE_BUILD_TYPE=Debug -DVORTEL_COVERAGE=ON
cmake --build build-cov -j2
find build-cov -name '*.gcda' -delete
ctest --test-dir build-cov -j2 --output-on-failure
gcovr --root . --filter 'src/' --object-directory build-cov \
  --html-details build-cov/coverage.html --print-summary --txt build-cov/coverage.txt
cat build-cov/coverage.txt
