#!/usr/bin/env bash
# Installs every Debian package Dovrel needs to build, test and run.
# Idempotent: packages already present are skipped and `apt-get update` runs at most once.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config git
  clang-format clang-14 libclang-rt-14-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  libsndfile1-dev
  libssl-dev libcurl4-openssl-dev libarchive-dev libcpp-httplib-dev
  juce-modules-source-data
  python3 locales
  chromium
  libwebkit2gtk-4.1-dev libgtk-3-dev libx11-dev xvfb openbox xdotool x11-utils
  libcairo2-dev
  ardour
)

# Node.js with npm runs the editor page's tests; any installation that provides both commands will do
# (the machine's own may not be Debian's), otherwise Debian's packages are installed.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  PACKAGES+=(nodejs npm)
fi

missing=()
for pkg in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$pkg")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all ${#PACKAGES[@]} packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
  command -v sudo >/dev/null || { echo "setup: missing packages (${missing[*]}) and no root or sudo to install them" >&2; exit 1; }
else
  SUDO=
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq || { echo "setup: apt-get update failed; check the package sources" >&2; exit 1; }
if ! $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
  echo "setup: could not install: ${missing[*]}" >&2
  exit 1
fi
echo "setup: done"
