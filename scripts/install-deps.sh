#!/bin/sh
# Installs the Debian packages the build, the tests and the program need, when missing.
set -e
PACKAGES="build-essential cmake ninja-build pkg-config qt6-base-dev qt6-translations-l10n libgl-dev libjpeg62-turbo-dev libpng-dev libtiff-dev libxml2-dev libxml2-utils libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth libcgal-dev libproj-dev proj-bin gdal-bin libtiff-tools python3-ezdxf python3-numpy fonts-ipafont-gothic"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
$SUDO apt-get update -q
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q $missing
