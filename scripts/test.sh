#!/usr/bin/env bash
# Builds Tallyra and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/check-layers.sh
scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest -j8 --output-on-failure --timeout 300
