#!/usr/bin/env bash
# Draws the icon, the help picture and the logo that the resources embed.
# The outputs are committed; run this only to change the art (needs imagemagick).
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/platform/win32/res"
font=DejaVu-Sans
cd "$out"

# Icon: a kestrel-blue shield with a white K, at 16, 32 and 48 pixels.
convert -size 256x256 xc:none -fill '#1d5fa8' -stroke '#0d2f57' -strokewidth 10 \
  -draw "path 'M128,12 L232,50 L220,150 Q200,210 128,246 Q56,210 36,150 L24,50 Z'" \
  -fill white -stroke none -font "$font-Bold" -pointsize 150 -gravity center -annotate +0+8 K \
  -define icon:auto-resize=48,32,16 kestrive.ico

# Help picture, 438x170: a file-manager view of the folder holding
# kestrive.exe beside pskill.exe, kestrive.exe selected, its context menu open
# and "Run as administrator" pointed at.
convert -size 438x170 xc:white -font "$font" -pointsize 11 \
  -fill '#e8eef7' -draw 'rectangle 0,0 437,22' -fill black -annotate +8+15 'C:\\Tools\\Kestrive' \
  -fill '#f4f4f4' -draw 'rectangle 0,23 437,40' -fill '#444444' -annotate +34+36 'Name' -annotate +200+36 'Type' \
  -fill '#cce8ff' -stroke '#99d1ff' -draw 'rectangle 4,44 180,62' -stroke none \
  -fill '#1d5fa8' -draw 'rectangle 12,47 24,59' -fill black -annotate +34+58 'kestrive.exe' -annotate +200+58 'Application' \
  -fill '#777777' -draw 'rectangle 12,69 24,81' -fill black -annotate +34+80 'pskill.exe' -annotate +200+80 'Application' \
  -fill '#f0f0f0' -stroke '#a0a0a0' -draw 'rectangle 120,60 300,164' -stroke none \
  -fill black -annotate +140+78 'Open' \
  -fill '#cce8ff' -stroke '#99d1ff' -draw 'rectangle 123,84 297,102' -stroke none \
  -fill '#f2b300' -draw 'polygon 130,88 138,88 138,98 130,98' -fill black -annotate +144+97 'Run as administrator' \
  -annotate +140+118 'Pin to Start' -annotate +140+136 'Send to' -annotate +140+154 'Properties' \
  -fill black -stroke white -strokewidth 1 -draw 'polygon 250,92 250,110 255,105 259,114 262,112 258,104 265,104' \
  -type TrueColor BMP3:help.bmp

# Logo, 280x345.
convert -size 280x345 gradient:'#2a74c4'-'#0d2f57' \
  -fill white -stroke none -draw "path 'M140,40 L230,72 L220,160 Q200,215 140,250 Q80,215 60,160 L50,72 Z'" \
  -fill '#1d5fa8' -font "$font-Bold" -pointsize 120 -gravity north -annotate +0+70 K \
  -fill white -pointsize 34 -annotate +0+270 Kestrive \
  -pointsize 13 -annotate +0+315 'shortcut virus remover' \
  -type TrueColor BMP3:logo.bmp
