#!/usr/bin/env bash
# scripts/build and scripts/build-windows take their folders as any command takes a path:
# relative to the working directory, absolute ones as they are. A stand-in cmake (and
# stand-ins for what build-windows runs beside it) first in PATH records, as absolute
# folders, what each would configure and build; nothing is really built.
set -euo pipefail
root=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/fakes" "$scratch/work"
export TEXTSHOW_TEST_LOG=$scratch/log

cat >"$scratch/fakes/cmake" <<'FAKE'
#!/usr/bin/env bash
while [ $# -gt 0 ]; do
  case $1 in
    -S | -B | --build)
      echo "$1 $(realpath -m -- "$2")" >>"$TEXTSHOW_TEST_LOG"
      if [ "$1" = -B ]; then mkdir -p "$2/bin"; fi
      shift 2
      ;;
    *) shift ;;
  esac
done
FAKE
cat >"$scratch/fakes/cpack" <<'FAKE'
#!/usr/bin/env bash
echo "cpack in $PWD" >>"$TEXTSHOW_TEST_LOG"
FAKE
for program in wine wineboot wineserver; do
  printf '#!/bin/sh\n' >"$scratch/fakes/$program"
done
chmod +x "$scratch/fakes"/*
export PATH=$scratch/fakes:$PATH

failed=0
expect() {  # expect WHAT EXPECTED_LOG
  if [ "$(cat "$TEXTSHOW_TEST_LOG")" != "$2" ]; then
    echo "$1: expected" >&2
    echo "$2" >&2
    echo "but the scripts ran" >&2
    cat "$TEXTSHOW_TEST_LOG" >&2
    failed=1
  fi
  rm -f "$TEXTSHOW_TEST_LOG"
}

work=$scratch/work
(cd "$work" && "$root/scripts/build" sub/tree)
expect "scripts/build with a relative folder" "-S $root
-B $work/sub/tree
--build $work/sub/tree"

(cd "$work" && "$root/scripts/build" "$scratch/absolute")
expect "scripts/build with an absolute folder" "-S $root
-B $scratch/absolute
--build $scratch/absolute"

# A native build that is already configured, with the files that are copied from it.
mapfile -t data < <(sed -n "s/^[a-z_]* //p" "$root/data/file-names.txt")
mkdir -p "$work/native/bin" "$scratch/native/bin"
for folder in "$work/native" "$scratch/native"; do
  touch "$folder/CMakeCache.txt"
  for file in "${data[@]}"; do
    touch "$folder/bin/$file"
  done
done

(cd "$work" && TEXTSHOW_NATIVE_BUILD=native "$root/scripts/build-windows" sub/windows)
expect "scripts/build-windows with relative folders" "--build $work/native
-S $root
-B $work/sub/windows
--build $work/sub/windows
cpack in $work/sub/windows"

(cd "$work" &&
  TEXTSHOW_NATIVE_BUILD=$scratch/native "$root/scripts/build-windows" "$scratch/windows")
expect "scripts/build-windows with absolute folders" "--build $scratch/native
-S $root
-B $scratch/windows
--build $scratch/windows
cpack in $scratch/windows"
for file in "${data[@]}"; do
  for folder in "$work/sub/windows" "$scratch/windows"; do
    if [ ! -f "$folder/bin/$file" ]; then
      echo "scripts/build-windows did not copy $file into $folder/bin" >&2
      failed=1
    fi
  done
done
exit $failed
