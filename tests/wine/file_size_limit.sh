#!/usr/bin/env bash
# Runs a command with a limit on the size of the files it writes, so that a write past the limit fails
# as on a full disk, instead of the signal that would end the writer.
# Usage: file_size_limit.sh <bytes, a multiple of 1024> command [args...]
set -euo pipefail
bytes="$1"
shift
ulimit -f $((bytes / 1024))
trap '' XFSZ
export OSTREL_FILE_SIZE_LIMIT="$bytes"
exec "$@"
