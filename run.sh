#!/usr/bin/env bash
# Sets everything up, builds the two programs (not the tests: ./test.sh builds those) and starts
# Parvex.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh default parvex parvex-cli >/dev/null
exec build/src/app/parvex "$@"
