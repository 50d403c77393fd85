#!/usr/bin/env bash
# The set-up's wait for the package manager's lock, with stand-ins for both: a lock file that
# this test holds with flock, and a package manager that fails as apt-get does while the lock
# is held. Usage: setup_lock_test.sh tools/setup.sh
set -u
work=$(mktemp -d)
holder=""
trap '[ -z "$holder" ] || kill "$holder" 2>/dev/null; rm -rf "$work"' EXIT
lock=$work/lock
cat >"$work/apt-get" <<STANDIN
#!/bin/sh
exec 9>"$lock"
flock -n 9 || { echo "E: Could not get lock $lock. It is held by process 1 (stand-in)" >&2; exit 100; }
echo "ran: \$*" >>"$work/log"
STANDIN
chmod +x "$work/apt-get"
# shellcheck source=/dev/null
source "$1"
export HB_APT=$work/apt-get
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# Holds the lock for $1 seconds in the background; returns once it is held. (-o: the lock is
# flock's own, so that ending flock releases it.)
hold() {
  flock -o "$lock" sleep "$1" </dev/null >/dev/null 2>&1 &
  holder=$!
  while flock -n "$lock" true; do sleep 0.05; done
}

# Held for a moment: one message, then the command runs.
hold 2
HB_APT_LOCK_WAIT=30 hb_apt install -y foo 2>"$work/err"
status=$?
[ "$status" = 0 ] || fail "a lock released in time: exit status $status"
grep -q "waiting for it" "$work/err" || fail "no word of the wait"
[ "$(grep -c "holds the package manager's lock" "$work/err")" = 1 ] || fail "said more than once"
grep -qx "ran: install -y foo" "$work/log" || fail "the command did not run after the wait"
wait "$holder"

# Held past the wait: it gives up, and says what failed and what to run.
hold 3
hb_rerun="bash tools/setup.sh shell" HB_APT_LOCK_WAIT=1 hb_apt update 2>"$work/err"
status=$?
[ "$status" = 1 ] || fail "a lock held past the wait: exit status $status"
grep -q "still holds the package manager's lock after 1 s" "$work/err" || fail "no word of why"
grep -q "then run: bash tools/setup.sh shell" "$work/err" || fail "no word of what to run"
[ "$(grep -c "ran:" "$work/log")" = 1 ] || fail "the command ran while the lock was held"
wait "$holder"

# Any other failure is told at once, without a wait.
cat >"$work/apt-get" <<'STANDIN'
#!/bin/sh
echo "E: Unable to locate package foo" >&2
exit 100
STANDIN
start=$SECONDS
HB_APT_LOCK_WAIT=30 hb_apt install -y foo 2>"$work/err"
status=$?
[ "$status" = 1 ] && [ $((SECONDS - start)) -lt 5 ] || fail "another failure: status $status"
grep -q "Unable to locate package foo" "$work/err" || fail "apt's own words are not shown"
grep -q 'setup: "apt-get install -y foo" failed (exit status 100)' "$work/err" ||
  fail "no word of what failed"

[ "$failed" = 0 ] && echo "setup lock wait: all cases passed"
exit "$failed"
