# Shared by .ci/run and tools/check-clean-debian.sh (sourced, not run): a clean
# Debian 12 root made with mmdebstrap, with the current commit cloned into it,
# ../shared bound read-only beside the clone when it exists, and /proc, /dev and
# /sys mounted. Everything is unmounted and removed on every exit path.
#
# After `clean_root_create`, run commands inside with `clean_root_run 'cmd'`
# (bash -lc in the clone's top folder, as root). With CLEAN_ROOT_SHARED=0 the
# root gets no ../shared, as a user's clone has none.

clean_root_top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
clean_root_dir=""

clean_root_cleanup() {
  local status=$?
  if [ -n "$clean_root_dir" ] && [ -d "$clean_root_dir" ]; then
    # Unmount deepest first; a lazy unmount as the last resort so that the
    # removal below never reaches into a bound host folder.
    local m
    for m in $(findmnt -rn -o TARGET | grep -F "$clean_root_dir" | sort -r); do
      umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true
    done
    if findmnt -rn -o TARGET | grep -qF "$clean_root_dir"; then
      echo "clean root: mounts remain under $clean_root_dir; leaving it in place" >&2
    else
      rm -rf --one-file-system "$clean_root_dir"
    fi
  fi
  return $status
}

clean_root_create() {
  local need=()
  command -v mmdebstrap >/dev/null || need+=(mmdebstrap)
  command -v git >/dev/null || need+=(git)
  if [ ${#need[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}"
  fi
  clean_root_dir="$(mktemp -d /tmp/tarnvale-root.XXXXXX)"
  trap clean_root_cleanup EXIT
  trap 'exit 130' INT TERM

  # The apt sources as this machine has them (deb822 or one-line form).
  local sources=()
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -s "$f" ] && sources+=("$f")
  done
  local aptopts=()
  for f in /etc/apt/apt.conf.d/*; do
    [ -f "$f" ] && grep -qE 'Check-Valid-Until|Check-Date|Proxy' "$f" && aptopts+=(--aptopt="$f")
  done
  mmdebstrap --variant=minbase --include=git,ca-certificates "${aptopts[@]}" bookworm "$clean_root_dir" \
    "${sources[@]}" </dev/null

  mkdir -p "$clean_root_dir/work"
  git clone -q "$clean_root_top" "$clean_root_dir/work/main"
  git -C "$clean_root_dir/work/main" checkout -q "$(git -C "$clean_root_top" rev-parse HEAD)"
  if [ "${CLEAN_ROOT_SHARED:-1}" != 0 ] && [ -d "$clean_root_top/../shared" ]; then
    mkdir -p "$clean_root_dir/work/shared"
    mount --bind "$clean_root_top/../shared" "$clean_root_dir/work/shared"
    mount -o remount,bind,ro "$clean_root_dir/work/shared"
  fi
  mount -t proc proc "$clean_root_dir/proc"
  mount --rbind /dev "$clean_root_dir/dev"
  mount --make-rslave "$clean_root_dir/dev"
  # /sys with what is mounted below it (the cgroup file system, which slurmd needs).
  mount --rbind /sys "$clean_root_dir/sys"
  mount --make-rslave "$clean_root_dir/sys"
  cp /etc/resolv.conf "$clean_root_dir/etc/resolv.conf" 2>/dev/null || true
  # A minimal root has no hosts file; a real machine names localhost in it.
  [ -s "$clean_root_dir/etc/hosts" ] || printf '127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost ip6-loopback\n' \
    > "$clean_root_dir/etc/hosts"
  # No package's service starts inside the root: the tests start their own.
  printf '#!/bin/sh\nexit 101\n' > "$clean_root_dir/usr/sbin/policy-rc.d"
  chmod 755 "$clean_root_dir/usr/sbin/policy-rc.d"
}

clean_root_run() {
  chroot "$clean_root_dir" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    LANG=C.UTF-8 TERM=dumb CI="${CI:-}" bash -c "cd /work/main || exit 1; $1"
}
