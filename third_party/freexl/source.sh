#!/usr/bin/env bash
# freexl's sources (see ../source.sh): kept under this name for the callers
# that fetch it before the other libraries existed here.
exec "$(cd "$(dirname "$0")/.." && pwd)/source.sh" freexl "$@"
