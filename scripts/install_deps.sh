#!/usr/bin/env bash
# Installs what the build needs when it is missing: g++, cmake, GoogleTest.
set -euo pipefail
need=()
command -v g++ >/dev/null 2>&1 || need+=(g++)
command -v cmake >/dev/null 2>&1 || need+=(cmake)
[ -e /usr/lib/x86_64-linux-gnu/cmake/GTest ] || [ -e /usr/lib/cmake/GTest ] \
  || [ -e /usr/share/cmake/GTest ] || ls /usr/lib/*/cmake/GTest >/dev/null 2>&1 || need+=(libgtest-dev)
if [ ${#need[@]} -gt 0 ]; then
  echo "installing: ${need[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need[@]}"
fi
