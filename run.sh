#!/usr/bin/env bash
# Sets everything up and starts Parvex.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh default >/dev/null
exec build/src/app/parvex "$@"
