#!/bin/sh
# Draws the program's icon, kelvaron.png (128 x 128), with ImageMagick: the
# measuring tube of the opacimeter with its light source (red) and receiver
# (blue), and a puff of smoke above it. Run it here after a change; the picture
# is kept in the repository and built into the program as a resource.
set -e
convert -size 128x128 xc:none \
  -fill 'rgba(90,90,95,0.45)' -stroke none \
  -draw 'ellipse 88,24 16,12 0,360' \
  -fill 'rgba(90,90,95,0.65)' \
  -draw 'ellipse 50,46 16,16 0,360' -draw 'ellipse 70,34 20,16 0,360' \
  -stroke '#32373f' -strokewidth 4 \
  -fill '#d7dbe2' -draw 'roundrectangle 20,66 108,110 12,12' \
  -stroke none -fill '#8a93a0' -draw 'rectangle 24,90 104,107' \
  -stroke '#32373f' -strokewidth 4 -fill none -draw 'roundrectangle 20,66 108,110 12,12' \
  -fill '#c82828' -draw 'rectangle 8,70 24,106' \
  -fill '#285ab4' -draw 'rectangle 104,70 120,106' \
  -depth 8 -strip kelvaron.png
