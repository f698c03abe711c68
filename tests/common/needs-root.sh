#!/bin/sh
# needs-root.sh SKIP_CODE TEST COMMAND [ARGS...]
# Runs COMMAND as it is when root; otherwise says why TEST cannot run and exits with SKIP_CODE,
# which ctest reports as a skipped test.
skip_code="$1"
test_name="$2"
shift 2
if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: $test_name makes private network namespaces, which needs root" >&2
    exit "$skip_code"
fi
exec "$@"
