#!/usr/bin/env bash
# Gives the test prefix a drive Q: whose root is a folder of the build tree
# (argument 1), so the rename command's volume-label case has a drive of its
# own to label. Wine keeps the label in the root's ".windows-label".
source "$(dirname "$0")/../../scripts/wine-env"
"$(dirname "$0")/../../scripts/wine-prefix" || exit 1
dir="$1/test_scratch/drive_q"
rm -rf "$dir"
mkdir -p "$dir"
ln -sfn "$dir" "$WINEPREFIX/dosdevices/q:"
