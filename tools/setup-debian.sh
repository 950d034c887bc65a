#!/usr/bin/env bash
# Installs the Debian 12 packages Tarnvale needs (run as root or through sudo).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
run() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }
export DEBIAN_FRONTEND=noninteractive
run apt-get update
run apt-get install -y --no-install-recommends $(grep -v '^#' "$here/debian-packages.txt")
