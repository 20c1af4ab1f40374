#!/usr/bin/env bash
# Builds Tallyra and starts it on the build's program folder (a fresh database on the first build).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
exec build/program/tallyra
