#!/bin/sh
# What the Windows build and its tests need on a Debian machine: the
# MinGW-w64 cross compiler (POSIX threads), Wine to run the programs and
# tests, Xvfb and xdotool for the dialog test, xwd for its pictures, and
# GoogleTest's sources for a Windows build of the tests.
set -e
missing=""
command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || missing="$missing g++-mingw-w64-x86-64-posix"
command -v wine >/dev/null 2>&1 || missing="$missing wine wine64"
command -v Xvfb >/dev/null 2>&1 || missing="$missing xvfb"
command -v xdotool >/dev/null 2>&1 || missing="$missing xdotool"
command -v xwd >/dev/null 2>&1 || missing="$missing x11-apps"
[ -f /usr/src/googletest/CMakeLists.txt ] || missing="$missing googletest"
if [ -n "$missing" ]; then
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi
