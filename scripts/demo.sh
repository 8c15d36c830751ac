#!/usr/bin/env bash
# Sets up the machine, builds everything and runs the demo: every module in the
# reference host under Wine on the sample picture. Prints where the results are.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh
exec python3 scripts/demo.py "$@"
