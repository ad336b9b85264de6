#!/usr/bin/env bash
# Installs the Debian packages named in its arguments' groups when any is
# missing; quick and silent when everything is there.
#   tools/ensure-packages.sh build [test] [run]
set -euo pipefail

declare -A groups=(
  [build]="cmake g++ make pkg-config libsdl1.2-dev libgl-dev libx11-dev libopenal-dev libvorbis-dev zlib1g-dev libpng-dev libjpeg62-turbo-dev liblua5.1-0-dev libfreetype-dev fonts-dejavu-core libassimp-dev"
  [test]="libgtest-dev libbenchmark-dev xvfb xauth xdotool libgl1-mesa-dri python3"
  [run]="xvfb xauth libgl1-mesa-dri libopenal1 libvorbisfile3"
)

wanted=()
for group in "$@"; do
  for package in ${groups[$group]}; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      wanted+=("$package")
    fi
  done
done
[ ${#wanted[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${wanted[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${wanted[@]}" >/dev/null
