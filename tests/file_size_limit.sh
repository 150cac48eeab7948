#!/usr/bin/env bash
# Runs a command whose processes may write no file past <bytes> (a multiple of 1024): a write beyond
# fails as on a full disk, instead of raising the signal that would end the writer.
# Usage: file_size_limit.sh <bytes> command [args...]
set -euo pipefail
ulimit -f $(($1 / 1024))
trap '' XFSZ
shift
exec "$@"
