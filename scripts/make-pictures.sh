#!/usr/bin/env bash
# Renders the program's pictures from their SVG sources in data/pictures (needs ImageMagick).
set -euo pipefail
cd "$(dirname "$0")/../data/pictures"
convert splash.svg -colors 128 splash.gif      # GIF89a, 210 x 280
convert menu.svg -quality 95 menu.jpg          # 16 x 16
convert icon.svg -colors 256 PNG8:icon.png     # 32 x 32, 256 colours
