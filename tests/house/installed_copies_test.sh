#!/usr/bin/env bash
# Installs the build into a scratch prefix and unpacks its Debian package into a scratch
# root. The build's own show-frames started from an empty folder, the installed one and
# the packaged one must each find the show's files and render the very frames that the
# build's show-frames renders next to them, without a word on standard error. Every
# installed program has its manual page where man finds it; the package holds exactly the
# files a Debian package of the show should, and lintian, where it is installed, finds no
# error and no warning in it.
set -euo pipefail
build=$1
scratch=$(mktemp -d "$build/tests/installed-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/elsewhere"

# Frame-loop ticks at 60 frames a second through the two screens' scenes.
seq 0 1200 | awk '{print int($1 * 22050 / 60)}' > "$scratch/ticks.txt"

render() {  # render NAME SHOW_FRAMES_PROGRAM FOLDER_TO_RUN_IN
  (cd "$3" && "$2" --ticks-file "$scratch/ticks.txt" --out "$scratch/$1" 2> "$scratch/$1.err")
  if [ -s "$scratch/$1.err" ]; then
    echo "$1: show-frames said:" >&2
    cat "$scratch/$1.err" >&2
    exit 1
  fi
}

same_frames() {  # same_frames NAME
  if ! diff -rq "$scratch/reference" "$scratch/$1" >&2; then
    echo "$1: frames differ from the build's" >&2
    exit 1
  fi
}

render reference "$build/bin/show-frames" "$build/bin"
render beside "$build/bin/show-frames" "$scratch/elsewhere"
same_frames beside

cmake --install "$build" --prefix "$scratch/prefix" > /dev/null
mapfile -t data < <(sed -n "s|^[a-z_]* |share/textshow/|p" "$(dirname "$0")/../../data/file-names.txt")
for file in games/textshow games/show-frames games/post-filter "${data[@]}"; do
  [ -f "$scratch/prefix/$file" ] || { echo "not installed: $file" >&2; exit 1; }
done
for program in "$scratch"/prefix/games/*; do
  page=$(MANPATH=$scratch/prefix/share/man man -w "$(basename "$program")" 2>&1) || true
  case $page in
    "$scratch/prefix/share/man/"*.gz) ;;
    *) echo "no compressed manual page for $program in the install: $page" >&2; exit 1 ;;
  esac
done
render installed "$scratch/prefix/games/show-frames" "$scratch/elsewhere"
same_frames installed

(cd "$build" && cpack -G DEB -B "$scratch/package" > "$scratch/cpack.log") ||
  { cat "$scratch/cpack.log" >&2; exit 1; }
deb=$(ls "$scratch"/package/textshow_*.deb)
dpkg-deb -x "$deb" "$scratch/root"
dpkg-deb -f "$deb" Depends | grep -q libsndfile ||
  { echo "the package does not depend on the sound libraries" >&2; exit 1; }
expected="./usr/games/post-filter
./usr/games/screen-convert
./usr/games/show-frames
./usr/games/textshow
./usr/share/doc/textshow/README.md
./usr/share/doc/textshow/changelog.gz
./usr/share/doc/textshow/copyright
./usr/share/man/man1/post-filter.1.gz
./usr/share/man/man1/screen-convert.1.gz
./usr/share/man/man1/show-frames.1.gz
./usr/share/man/man6/textshow.6.gz
$(printf './usr/%s\n' "${data[@]}")"
# The export tool is built, and packed, where FFmpeg's libraries are.
if [ -x "$build/bin/show-export" ]; then
  expected=$(printf '%s\n./usr/games/show-export\n./usr/share/man/man1/show-export.1.gz' \
    "$expected")
fi
expected=$(echo "$expected" | LC_ALL=C sort)
files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | LC_ALL=C sort)
if [ "$files" != "$expected" ]; then
  echo "the package holds other files than expected:" >&2
  diff <(echo "$expected") <(echo "$files") >&2
  exit 1
fi
if command -v lintian > /dev/null; then
  lintian --fail-on error,warning --display-info "$deb" >&2 ||
    { echo "lintian finds errors or warnings in the package" >&2; exit 1; }
fi
render packaged "$scratch/root/usr/games/show-frames" "$scratch/elsewhere"
same_frames packaged
echo "installed tree and package render the show from any folder"
