#!/bin/sh
# What the web build and its browser tests need on a Debian machine:
# emscripten (with node-acorn for its JavaScript optimiser), Chromium and
# its WebDriver, and Selenium for Python to drive them.
set -e
missing=""
command -v em++ >/dev/null 2>&1 || missing="$missing emscripten"
[ -d /usr/share/nodejs/acorn ] || missing="$missing node-acorn"
command -v chromium >/dev/null 2>&1 || missing="$missing chromium"
command -v chromedriver >/dev/null 2>&1 || missing="$missing chromium-driver"
/usr/bin/python3 -c 'import selenium' >/dev/null 2>&1 || missing="$missing python3-selenium"
if [ -n "$missing" ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi
