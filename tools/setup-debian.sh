#!/usr/bin/env bash
# Installs the Debian 12 packages Tarnvale needs. Works as root, or as a user
# with sudo: it elevates only for the install itself.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [ "$(id -u)" -eq 0 ]; then
  as_root() { "$@"; }
elif command -v sudo >/dev/null; then
  as_root() { sudo "$@"; }
else
  echo "setup-debian.sh: installing packages needs root; run it as root or install sudo" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
as_root apt-get update -q
as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
  $(grep -v '^#' "$here/debian-packages.txt")
