# Sourced by the scripts: require_packages PKG... makes sure the Debian
# packages are installed. As root it installs the missing ones from the
# archive; otherwise it prints the one apt-get line to run and stops.
require_packages() {
  if ! command -v dpkg-query >/dev/null; then
    return 0  # not Debian: the README names what to install
  fi
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "$(basename "$0"): missing packages; install them with:" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "$(basename "$0"): installing ${missing[*]} from Debian's archive" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null 2>&1 ||
    { apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null; }
}

# What building the library, the tool and the demo needs.
KEZNLS_BUILD_PACKAGES=(cmake make g++ gettext locales)
# What the test suite needs beside that.
# dpkg-dev and file: the package test (scripts/package); man-db: the man
# page test; libcpp-httplib-dev: examples/server and its test.
KEZNLS_TEST_PACKAGES=(libgtest-dev libgmock-dev pkg-config dpkg-dev file man-db libcpp-httplib-dev)
# What the demo's HTTP server needs beside the build's: the example's HTTP
# library, and curl to ask it.
KEZNLS_SERVER_PACKAGES=(libcpp-httplib-dev pkg-config curl)
# What scripts/package needs beside the build's: dpkg-shlibdeps and the
# `file` command cpack uses to find the binaries it asks about.
KEZNLS_PACKAGE_PACKAGES=(dpkg-dev file)
