# Sourced by the fixture scripts that have LibreOffice convert files.
# LibreOffice's first start on a new profile, or beside another instance,
# sometimes converts nothing: try again until the expected file is there.
lo() {  # expected output, soffice arguments...
  want=$1; shift
  for _ in 1 2 3; do
    soffice "$@" >/dev/null 2>&1 || true
    [ -s "$want" ] && return 0
    sleep 1
  done
  echo "LibreOffice made no $want" >&2
  return 1
}
