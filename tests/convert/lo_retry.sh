# Sourced by the fixture scripts that have LibreOffice convert files.
# LibreOffice's first start on a new profile, or beside other instances on a
# busy machine, sometimes converts nothing: try again, waiting a little
# longer each time, until the expected file is there.
lo() {  # expected output, soffice arguments...
  want=$1; shift
  for wait in 1 2 4 8 16; do
    soffice "$@" >/dev/null 2>&1 || true
    [ -s "$want" ] && return 0
    sleep "$wait"
  done
  echo "LibreOffice made no $want" >&2
  return 1
}
