#!/usr/bin/env bash
# What a new user meets: in a clean Debian 12 root (as .ci/run makes it), run
# the README's first command with the program on a virtual display and save a
# screenshot of its first start; then build the .deb, install it with apt and
# start the installed program too. Needs root (mmdebstrap, chroot, mounts).
# The root has no ../shared beside the clone, as a user's machine has none:
# both starts compute on the sample data that ships.
#   tools/check-clean-debian.sh [OUTDIR]    (screenshots go to OUTDIR, default .)
set -euo pipefail
out="$(cd "${1:-.}" && pwd)"
. "$(dirname "$0")/clean-root.sh"
CLEAN_ROOT_SHARED=0 clean_root_create

# The README's first command, as written there.
first=$(awk '/^```sh/{getline; print; exit}' "$clean_root_top/README.md")
echo "README's first command: $first"

clean_root_run 'apt-get update -q >/dev/null && DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
  --no-install-recommends xvfb xauth xdotool imagemagick procps >/dev/null'
# The command ends by starting the window: run it with a virtual display and
# take the screenshot once the window has been up for a few seconds. The
# packages the command installs may remake /tmp/.X11-unix under a running
# display, so a keeper starts it again whenever its socket is gone.
clean_root_run "( while :; do [ -S /tmp/.X11-unix/X77 ] || { pkill -x Xvfb; Xvfb :77 -screen 0 1400x900x24 \
      -nolisten tcp >> /tmp/xvfb.log 2>&1 & sleep 2; }; sleep 1; done ) & keeper=\$!
  export DISPLAY=:77
  ( $first ) > /tmp/first-start.log 2>&1 & app=\$!
  for i in \$(seq 1 1200); do xdotool search --name Tarnvale >/dev/null 2>&1 && break; kill -0 \$app 2>/dev/null || break; sleep 1; done
  sleep 8; import -window root /tmp/first-start.png; kill \$keeper; pkill -x tarnvale || true; pkill -x Xvfb || true
  tail -5 /tmp/first-start.log; tail -3 /tmp/xvfb.log"
cp "$clean_root_dir/tmp/first-start.png" "$out/first-start.png"
echo "screenshot of the first start: $out/first-start.png"

# The package: build it, install it with apt, start the installed program.
clean_root_run 'cd build && cpack -G DEB >/dev/null && apt-get install -y -q ./tarnvale_*_amd64.deb >/dev/null \
  && dpkg -s tarnvale | grep -E "^(Version|Depends)" && /usr/bin/tarnvale-cli --version \
  && [ "$(/usr/bin/tarnvale-cli --version)" = "tarnvale-cli $(dpkg-query -W -f="\${Version}" tarnvale)" ] \
  && echo "the .deb carries the version the program prints" && ls /usr/share/tarnvale/sample \
  && head -3 /usr/share/doc/tarnvale/copyright'
clean_root_run 'mkdir -p /tmp/installed; Xvfb :78 -screen 0 1400x900x24 >/dev/null 2>&1 &
  export DISPLAY=:78; cd /tmp/installed; /usr/bin/tarnvale > /tmp/installed.log 2>&1 &
  for i in $(seq 1 60); do xdotool search --name Tarnvale >/dev/null 2>&1 && break; sleep 1; done
  sleep 5; import -window root /tmp/installed.png; pkill -x tarnvale || true; pkill Xvfb || true'
cp "$clean_root_dir/tmp/installed.png" "$out/installed-start.png"
echo "screenshot of the installed program: $out/installed-start.png"

# The installed command line computes what the build tree's does, on the
# installed sample.
clean_root_run "t=/usr/share/tarnvale/sample;
  /usr/bin/tarnvale-cli path --tx SU374616 --rx IO91JO26 --terrain \$t --json > /tmp/installed.json;
  build/cli/tarnvale-cli path --tx SU374616 --rx IO91JO26 --terrain \$t --json > /tmp/build.json;
  cmp /tmp/installed.json /tmp/build.json && echo 'installed tarnvale-cli path = build tree';
  /usr/bin/tarnvale-cli coverage --tx SU374616 --terrain \$t --resolution 8 --geotiff /tmp/installed.tif >/dev/null &&
  [ -s /tmp/installed.tif ] && echo 'installed tarnvale-cli loads its GDAL module';
  cd /tmp && python3 -c \"import json, tarnvale; a = tarnvale.path('SU374616', 'IO91JO26', terrain='\$t');
assert a == json.load(open('/tmp/installed.json')), 'differs'; print('installed Python module: path() =', a['Lb'], 'dB, as tarnvale-cli')\""
