#!/usr/bin/env bash
# The servers of the internet tests, as a CTest fixture:
#   servers.sh start DIR   starts them on 127.0.0.1 (ports from the system)
#   servers.sh stop DIR    stops them by their process ids
# In DIR: ftp/ and ftp932/ (the FTP roots, one home per user), http/ (the web
# root), and per server <name>.port, <name>.pid and <name>.log (the log the
# tests read: logins, commands, request lines).
#   ftp     the UTF-8 FTP server (ftp_server.py)
#   ftp932  the Shift-JIS FTP server (ftp_server.py --cp932)
#   http    python3 -m http.server
# Debian's interpreter carries pyftpdlib; the one on PATH may not.
set -u
here="$(cd "$(dirname "$0")" && pwd)"
cmd="$1"
dir="$2"
py=/usr/bin/python3

stop_one() {
  local name="$1"
  if [ -f "$dir/$name.pid" ]; then
    kill "$(cat "$dir/$name.pid")" 2>/dev/null
    rm -f "$dir/$name.pid"
  fi
}

# Waits for the first line of $dir/$name.out (the port) and keeps it.
wait_port() {
  local name="$1" pattern="$2" i line
  for i in $(seq 1 100); do
    line=$(head -n 1 "$dir/$name.out" 2>/dev/null)
    if [ -n "$line" ]; then
      port=$(printf '%s\n' "$line" | sed -n "s/$pattern/\\1/p")
      if [ -n "$port" ]; then
        printf '%s\n' "$port" > "$dir/$name.port"
        return 0
      fi
    fi
    sleep 0.1
  done
  echo "server $name did not start:" >&2
  cat "$dir/$name.out" "$dir/$name.log" >&2
  return 1
}

case "$cmd" in
  start)
    if ! $py -c 'import pyftpdlib' 2>/dev/null; then
      echo "pyftpdlib is missing from $py (scripts/setup installs python3-pyftpdlib)" >&2
      exit 1
    fi
    for name in ftp ftp932 http; do stop_one "$name"; done
    rm -rf "$dir"
    mkdir -p "$dir/ftp" "$dir/ftp932" "$dir/http"
    setsid $py -u "$here/ftp_server.py" --root "$dir/ftp" > "$dir/ftp.out" 2> "$dir/ftp.log" < /dev/null &
    echo $! > "$dir/ftp.pid"
    setsid $py -u "$here/ftp_server.py" --cp932 --root "$dir/ftp932" > "$dir/ftp932.out" 2> "$dir/ftp932.log" < /dev/null &
    echo $! > "$dir/ftp932.pid"
    setsid $py -u -m http.server 0 --bind 127.0.0.1 --directory "$dir/http" > "$dir/http.out" 2> "$dir/http.log" < /dev/null &
    echo $! > "$dir/http.pid"
    wait_port ftp '^\([0-9][0-9]*\)$' && wait_port ftp932 '^\([0-9][0-9]*\)$' &&
      wait_port http '.* port \([0-9][0-9]*\) .*'
    ;;
  stop)
    for name in ftp ftp932 http; do stop_one "$name"; done
    ;;
  *)
    echo "usage: servers.sh start|stop DIR" >&2
    exit 2
    ;;
esac
