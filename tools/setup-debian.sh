#!/usr/bin/env bash
# Installs the Debian 12 packages Tarnvale needs to build and run
# (tools/debian-packages.txt); with --tests also those only the tests need
# (tools/debian-test-packages.txt). Works as root, or as a user with sudo: it
# elevates only for the install itself.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
lists=("$here/debian-packages.txt")
for arg in "$@"; do
  case "$arg" in
    --tests) lists+=("$here/debian-test-packages.txt") ;;
    *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
  esac
done
if [ "$(id -u)" -eq 0 ]; then
  as_root() { "$@"; }
elif command -v sudo >/dev/null; then
  as_root() { sudo "$@"; }
else
  echo "setup-debian.sh: installing packages needs root; run it as root or install sudo" >&2
  exit 1
fi
as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
  $(cat "${lists[@]}" | grep -v '^#')
