#!/usr/bin/env bash
# Installs Debian packages that the build needs and a fresh machine may
# lack (by default nlohmann-json3-dev, for the JSON report). CMake's
# configure step runs it when a package is not found, and CI runs it
# first. It needs root and apt-get; otherwise it says what to install.
#
# usage: tools/install-packages.sh [PACKAGE ...]
set -u
if [ $# -eq 0 ]; then set -- nlohmann-json3-dev; fi
if ! command -v apt-get >/dev/null 2>&1; then
  echo "install-packages: no apt-get here; install $* with the system's package manager" >&2
  exit 1
fi
if [ "$(id -u)" != 0 ]; then
  echo "install-packages: not root; install them with: sudo apt-get install $*" >&2
  exit 1
fi
echo "install-packages: apt-get install $*"
export DEBIAN_FRONTEND=noninteractive
if ! apt-get update >/dev/null; then
  echo "install-packages: apt-get update failed" >&2
  exit 1
fi
if ! apt-get install -y --no-install-recommends "$@" >/dev/null; then
  echo "install-packages: apt-get install $* failed" >&2
  exit 1
fi
