# Shared by the desktop test scripts: a scratch folder removed on exit, named
# checks counted into the closing "N passed, N failed" line, and readers of
# PNG sizes and of desktop-entry keys.
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
passed=0
failed=0

check() {
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    echo "FAILED: $what"
    failed=$((failed + 1))
  fi
}

expect_exit() {
  local want=$1 got=0
  shift
  "$@" >/dev/null 2>&1 || got=$?
  [ "$got" -eq "$want" ]
}

# WIDTHxHEIGHT from a PNG's header.
png_size() {
  local b
  read -ra b <<< "$(od -An -tu1 -j16 -N8 "$1")"
  echo "$(((b[0] << 24) | (b[1] << 16) | (b[2] << 8) | b[3]))x$(((b[4] << 24) | (b[5] << 16) | (b[6] << 8) | b[7]))"
}

# The value of KEY in a desktop-entry style file.
entry_key() { sed -n "s/^$2=//p" "$1" | head -n 1; }

finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
