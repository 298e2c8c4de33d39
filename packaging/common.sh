# shellcheck shell=bash
# Shell functions the setup and packaging scripts share; sourced, never run.

# Runs a command as root: directly when already root, else through sudo.
as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# Installs those of the named Debian packages that are not installed yet.
install_missing() {
  local p missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ "${#missing[@]}" -gt 0 ] || return 0
  echo "Installing: ${missing[*]}" >&2
  as_root apt-get update -q >&2
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
}

# apt's options for the private source configuration kept in the folder given (the system's own is
# never read for sources nor changed), into the array apt_opts.
private_apt_options() {
  apt_opts=(-o "Dir::Etc::SourceList=$1/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$1/lists" -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=
    -o APT::Sandbox::User=root)
}

# Takes a cached prefix under its lock, held until the script ends (so that two builds never make the
# same prefix at once). When the prefix is already finished (the file MARKER within it exists), prints
# its path and ends the script. Otherwise empties it, sets `work` to a scratch folder in CACHE that is
# removed at exit and `start` to the time, and returns to build it.
#   take_prefix PREFIX MARKER CACHE
take_prefix() {
  exec 9>"$1.lock"
  flock 9
  if [ -e "$1/$2" ]; then
    echo "reusing $1" >&2
    echo "$1"
    exit 0
  fi
  start=$SECONDS
  rm -rf "$1"
  work="$(mktemp -d "$3/work-XXXXXX")"
  trap 'rm -rf "$work"' EXIT
}
