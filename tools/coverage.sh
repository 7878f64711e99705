#!/usr/bin/env bash
# Line coverage of src/ by the whole test suite: builds an instrumented tree
# in build-cov, runs every test, and prints gcovr's summary (an HTML report
# goes to build-cov/coverage.html).
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v gcovr > /dev/null; then
  apt-get update -qq && apt-get install -y -qq gcovr
fi
cmake --preset coverage
cmake --build --preset coverage
find build-cov -name '*.gcda' -delete
ctest --preset coverage
gcovr --root . --filter 'src/' --object-directory build-cov \
  --html-details build-cov/coverage.html --print-summary --txt build-cov/coverage.txt
cat build-cov/coverage.txt
