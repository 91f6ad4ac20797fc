#!/usr/bin/env bash
# Renders SVG pictures to PNG with rsvg-convert, as a browser would show
# them, and checks that the images are not blank.
#
#   tools/render_check.sh [--no-install] [PICTURE.svg...]
#
# Without pictures it checks docs/*.svg. rsvg-convert comes from the Debian
# package librsvg2-bin; it is installed when missing unless --no-install
# is given (then a missing rsvg-convert is exit status 2). The PNG files
# are left in a temporary folder, named on the output.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
install=yes
if [[ "${1:-}" == "--no-install" ]]; then
  install=no
  shift
fi

if ! command -v rsvg-convert >/dev/null 2>&1; then
  if [[ "$install" == no ]]; then
    echo "render_check: rsvg-convert is not installed" >&2
    exit 2
  fi
  sudo_cmd=""
  if [[ "$(id -u)" != 0 ]]; then sudo_cmd=sudo; fi
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq librsvg2-bin >/dev/null
fi

pictures=("$@")
if [[ ${#pictures[@]} -eq 0 ]]; then
  shopt -s nullglob
  pictures=("$here"/../docs/*.svg)
fi
if [[ ${#pictures[@]} -eq 0 ]]; then
  echo "render_check: no SVG pictures to check" >&2
  exit 1
fi

out="$(mktemp -d "${TMPDIR:-/tmp}/render-check-XXXXXX")"
pngs=()
for svg in "${pictures[@]}"; do
  png="$out/$(basename "${svg%.svg}").png"
  rsvg-convert --background-color=white -o "$png" "$svg"
  pngs+=("$png")
done
python3 "$here/png_not_blank.py" "${pngs[@]}"
