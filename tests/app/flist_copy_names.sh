#!/bin/sh
# A folder holding names a Windows program can neither make nor open as
# files ("con.txt" names the console device), beside an ordinary file, for
# the copy tests that run under Wine: <dir>/names/{con.txt,ok.txt}.
set -e
dir="$1"
rm -rf "$dir"
mkdir -p "$dir/names"
printf 'device' > "$dir/names/con.txt"
printf 'ok' > "$dir/names/ok.txt"
