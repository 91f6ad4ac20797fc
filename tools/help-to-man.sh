#!/bin/sh
# Writes a program's manual page from its own --help and --version texts,
# so that the two cannot drift apart.
#
#   tools/help-to-man.sh PROGRAM OUTPUT
set -eu
program=$1
output=$2
name=$(basename "$program")
version=$("$program" --version)
"$program" --help > "$output.help"
# the usage lines: the first line and the lines indented under it
synopsis=$(awk 'NR == 1 { sub(/^usage: */, ""); print; next } /^ / && !done { sub(/^ +/, ""); print; next } { exit }' "$output.help")
# the first sentence after the usage lines says what the program does
summary=$(awk 'NR == 1 { next } /^ / && !started { next }
  /^$/ { if (started) exit; next }
  { started = 1; text = text (text == "" ? "" : " ") $0 }
  END { i = match(text, /\.( |$)/); print (i ? substr(text, 1, i - 1) : text) }' "$output.help")
escape() { sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^\([.']\)/\\\\\&\1/"; }
{
  echo ".TH $(echo "$name" | tr 'a-z-' 'A-Z-') 1 \"\" \"$version\" \"User Commands\""
  echo ".SH NAME"
  echo "$name \\- $(printf '%s\n' "$summary" | sed 's/\.$//' | escape)"
  echo ".SH SYNOPSIS"
  echo ".nf"
  printf '%s\n' "$synopsis" | escape
  echo ".fi"
  echo ".SH DESCRIPTION"
  echo ".nf"
  awk 'NR == 1 { next } /^ / && !started { next } { started = 1; print }' "$output.help" | escape
  echo ".fi"
  echo ".SH VERSION"
  echo "$version" | escape
} > "$output.tmp"
rm -f "$output.help"
mv "$output.tmp" "$output"
