#!/usr/bin/env bash
# "cmake --install" of the build into a temporary DESTDIR: exactly the files listed, under
# the install prefix, and a new desktop folder's prog.cfg that is the sample with port 0, its
# CR LF line ends kept.
# Usage: check_install.sh SOURCE_DIR BUILD_DIR INSTALL_PREFIX
set -euo pipefail
source_dir=$1 build_dir=$2 prefix=$3
here=$(dirname "$0")
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build_dir" >/dev/null
diff -u <(sort "$here/installed-desktop.txt" "$here/installed-service.txt") \
  <(cd "$root$prefix" && find . ! -type d | sed 's|^\./||' | sort)
[ -z "$(cd "$root" && find . ! -type d ! -path ".$prefix/*")" ] # nothing outside the prefix
sed 's|<Port>1</Port>|<Port>0</Port>|' "$source_dir/samples/prog.cfg" |
  cmp - "$root$prefix/share/tarnby/prog.cfg"
echo "installed files as listed"
