#!/bin/sh
# A folder tree with a symbolic link to a folder outside it, for the link
# tests that run under Wine: <dir>/target (two files) and <dir>/tree/link.
set -e
dir="$1"
rm -rf "$dir"
mkdir -p "$dir/target/sub" "$dir/tree"
printf 'keep' > "$dir/target/keep.txt"
printf 'deep' > "$dir/target/sub/deep.txt"
ln -s "$dir/target" "$dir/tree/link"
