#!/usr/bin/env bash
# Makes the golden frames again from the current build. Run it on purpose,
# after a change that is meant to change the picture, and look at them.
set -euo pipefail
cd "$(dirname "$0")/../../build"
for t in 6 20 45 88; do
  ./vorkast05-capture --at "$t" --png "../tests/show/golden/t$t.png"
done
