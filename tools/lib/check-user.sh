# The unprivileged user that runs decryption libraries under check (kit/check-library.sh), and what it can
# reach. Sourced by kit/check-library.sh and tools/release.sh; needs root.
#
# Wine is no boundary: a DLL reaches any file of the machine through "\\?\unix\" paths or Linux system
# calls, as the Unix user Wine runs as. So a library under check runs as a user of its own, made here with
# Debian's useradd, that owns nothing but the check's folder, in a process namespace of its own that ends
# with the check (nothing it starts outlives it), with no supplementary groups and no way to gain rights
# (no_new_privs: a set-user-ID program runs without them).

check_user=keyloom-check

# check_user_ensure: makes the user when it is missing; fails, saying why, when it cannot be used.
check_user_ensure() {
  local out
  if ! id -u "$check_user" >/dev/null 2>&1; then
    # A second run making it at the same moment is no failure: the user then exists.
    out=$(useradd --system --user-group --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
      --comment "runs decryption libraries under check" "$check_user" 2>&1) ||
      id -u "$check_user" >/dev/null 2>&1 ||
      { echo "could not make the user $check_user with useradd: $out" >&2; return 1; }
  fi
  check_uid=$(id -u "$check_user") check_gid=$(id -g "$check_user")
  if [ "$check_uid" = 0 ] || [ "$check_gid" = 0 ]; then
    echo "the user $check_user exists with the user or group id 0: it would run libraries with root's rights" >&2
    return 1
  fi
  # Without a process namespace of its own, what the library starts could outlive the check.
  if ! out=$(as_check_user true 2>&1); then
    echo "this machine does not let root run a command as $check_user in a process namespace of its own" \
      "(unshare --pid, setpriv): $out" >&2
    return 1
  fi
}

# as_check_user <command...>: runs the command as the user, with the caller's environment left behind (the
# command sets what it needs with env).
as_check_user() {
  unshare --pid --fork --kill-child -- \
    setpriv --reuid "$check_uid" --regid "$check_gid" --clear-groups --no-new-privs -- "$@"
}

# check_user_reads <path>: prints the first file or folder at or under the path (a link given is followed)
# that the user can read, and nothing when it can read none (a folder it cannot enter hides what it holds).
check_user_reads() {
  as_check_user find -H "$1" -readable -print -quit 2>/dev/null || true
}

# check_user_writes <path>: prints the first file or folder at or under the path (a link given is followed,
# links below it are left out) that the user can write to, and nothing when there is none.
check_user_writes() {
  as_check_user find -H "$1" ! -type l -writable -print -quit 2>/dev/null || true
}

# check_user_moves <path>: prints the first folder above the path in which the user could rename or replace
# what leads to it (one it can write without the sticky bit, which /tmp has), and nothing when there is none.
check_user_moves() {
  local path=$1
  while [ "$path" != / ]; do
    path=$(dirname "$path")
    if as_check_user test -w "$path" && [ ! -k "$path" ]; then
      echo "$path"
      return
    fi
  done
}
