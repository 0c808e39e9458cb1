# Shared by the Wine scripts: checks reported one a line. Sourced, not run.

failures=0
passed=0
# check NAME COMMAND...: runs COMMAND; reports "ok: NAME" or "FAILED: NAME" and counts it.
check() {
  if "${@:2}"; then
    passed=$((passed + 1))
    echo "ok: $1"
  else
    failures=$((failures + 1))
    echo "FAILED: $1"
  fi
}
