#!/usr/bin/env bash
# The service unit with ExecStart naming a built program: systemd-analyze verify accepts it
# (with its manual page), its exposure is "OK" or better, and it keeps the host's network.
# Usage: check_unit.sh SOURCE_DIR PROGRAM. Exit status 77: skipped.
set -euo pipefail
if ! command -v systemd-analyze >/dev/null; then
  echo "systemd-analyze is not installed (package systemd)"
  [ -n "${CI:-}" ] && exit 1 || exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/man/man8" && cp "$1/packaging/tarnbyd.8" "$work/man/man8/"
sed "s|^ExecStart=/usr/bin/tarnbyd |ExecStart=$2 |" "$1/service/tarnbyd.service" >"$work/tarnbyd.service"
grep -q "^ExecStart=$2 --folder /var/lib/tarnby$" "$work/tarnbyd.service"
MANPATH="$work/man" systemd-analyze verify "$work/tarnbyd.service"
report=$(systemd-analyze security --offline=yes --no-pager "$work/tarnbyd.service")
grep -q "Service has access to the host's network" <<<"$report"
grep -q "Service may allocate Internet sockets" <<<"$report"
level=$(sed -n 's/.*Overall exposure level for tarnbyd.service: \([0-9.]* [A-Z]*\).*/\1/p' <<<"$report")
echo "exposure: $level (ExecStart=$2)"
[[ "${level#* }" =~ ^(PERFECT|SAFE|OK)$ ]] || { echo "$report"; exit 1; }
