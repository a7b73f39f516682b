# Shared by the scripts that build, test and start the programs (sourced).

# Qt wants a private runtime folder and complains on every start when
# XDG_RUNTIME_DIR is not set (a console login as root, a container, a chroot):
# give it one of its own, only the user's, mode 0700.
ternavo_runtime_dir() {
  if [ -n "${XDG_RUNTIME_DIR:-}" ]; then return; fi
  local dir="${TMPDIR:-/tmp}/ternavo-runtime-$(id -u)"
  mkdir -m 700 "$dir" 2>/dev/null || true
  if [ ! -d "$dir" ] || [ -L "$dir" ] || [ ! -O "$dir" ] ||
    [ "$(stat -c %a "$dir")" != 700 ]; then
    dir="$(mktemp -d "${TMPDIR:-/tmp}/ternavo-runtime.XXXXXX")"
  fi
  export XDG_RUNTIME_DIR="$dir"
}

# Runs a command quietly: its output is shown only when it fails.
ternavo_quiet() {
  local out
  if ! out="$("$@" 2>&1)"; then
    printf '%s\n' "$out" >&2
    return 1
  fi
}
