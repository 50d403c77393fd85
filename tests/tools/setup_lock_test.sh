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

# A day when the mirror is half-synced: the stand-in fails "update" on one index, and fails
# "install" for mismatched versions unless the release's own versions are pinned ($1: which
# installs fail: none, unpinned or all).
mirror() {
  cat >"$work/apt-get" <<STANDIN
#!/bin/sh
echo "ran: \$*" >>"$work/log"
case "\$1" in
update)
  echo "E: Failed to fetch http://mirror.example/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?" >&2
  echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
  exit 100 ;;
install)
  case "$1:\$*" in
  none:*) exit 0 ;;
  unpinned:*Default-Release=bookworm*) exit 0 ;;
  esac
  echo "E: Unable to correct problems, you have held broken packages." >&2
  exit 100 ;;
esac
STANDIN
  : >"$work/log"
}
echo 'VERSION_CODENAME=bookworm' >"$work/os-release"
export HB_OS_RELEASE=$work/os-release

# A stale index is a warning that names it; the install then goes on and works.
mirror none
(hb_apt_update && hb_apt_install foo) 2>"$work/err"
status=$?
[ "$status" = 0 ] || fail "a stale index stopped the set-up: status $status"
grep -q "warning: the package index http://mirror.example/.*binary-i386/Packages.xz could not be read" \
  "$work/err" || fail "the stale index is not named"
grep -qx "ran: install -y -qq foo" "$work/log" || fail "no install after a stale index"

# Held broken packages: the second try pins the release and says so.
mirror unpinned
(hb_apt_update && hb_apt_install foo) 2>"$work/err"
status=$?
[ "$status" = 0 ] || fail "the pinned install did not save the day: status $status"
grep -q "trying again with the versions of the release itself, bookworm" "$work/err" ||
  fail "no word of the pinned install"
grep -qx "ran: install -y -qq -o APT::Default-Release=bookworm foo" "$work/log" ||
  fail "the second install was not pinned"

# Both installs fail: the end, with what failed and what to run.
mirror all
(hb_rerun="bash tools/setup.sh wine" hb_apt_update && hb_rerun="bash tools/setup.sh wine" hb_apt_install foo) 2>"$work/err"
status=$?
[ "$status" = 1 ] || fail "two failed installs: status $status"
grep -q 'setup: "apt-get install -y -qq -o APT::Default-Release=bookworm foo" failed (exit status 100)' \
  "$work/err" || fail "no word of the pinned install's failure"
grep -q "then run: bash tools/setup.sh wine" "$work/err" || fail "no word of what to run"

# An update that fails for another reason is still the end.
cat >"$work/apt-get" <<'STANDIN'
#!/bin/sh
echo "E: The repository 'http://mirror.example bookworm Release' does not have a Release file." >&2
exit 100
STANDIN
hb_apt_update 2>"$work/err"
[ $? = 1 ] && grep -q 'setup: "apt-get update -qq" failed' "$work/err" ||
  fail "an update with no release file went on"

[ "$failed" = 0 ] && echo "setup: lock wait, stale index and pinned install: all cases passed"
exit "$failed"
