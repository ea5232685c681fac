#!/usr/bin/env bash
# Installs the Debian packages the project needs to build, test and run.
# Idempotent and quiet: does nothing when everything is present, and runs
# 'apt-get update' only when something must be installed.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libboost-dev libboost-thread-dev libboost-system-dev
  libexpat1-dev libsqlite3-dev zlib1g-dev
  libcli11-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  procps psmisc sblim-wbemcli
  # HTTP Basic authentication checks passwords through PAM; the tests use
  # their own PAM configuration (pam_exec, pam_permit, pam_deny) and send
  # requests as another user with curl
  libpam0g-dev libpam-modules curl
  # the HTML report tests load the page in headless Chromium
  chromium
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  sudo=sudo
else
  sudo=
fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
