#!/usr/bin/env bash
# No package that the project's lists (scripts/packages/) install may start a daemon on the
# machine: for every listed package that is installed here, its files must hold no systemd
# system unit that starts something and no /etc/init.d script, save the few named below
# with the reason they are harmless. A unit that is a link to /dev/null is masked: it never
# starts.
#   package_services_test.sh PACKAGE_LIST_FOLDER
set -euo pipefail
lists=$1

declare -A harmless=(
  # On machines without systemd it writes "autospawn=yes" to /run once at boot, so that a
  # user's PulseAudio client may start that user's own server; it starts no daemon itself.
  [/etc/init.d/pulseaudio-enable-autospawn]=pulseaudio
)

failed=0
checked=0
for package in $(cat "$lists"/* | sed -e 's/#.*//'); do
  if ! files=$(dpkg-query -L "$package" 2>/dev/null); then
    echo "not installed here, not checked: $package"
    continue
  fi
  checked=$((checked + 1))
  while read -r file; do
    case $file in
      /etc/init.d/?*) ;;
      /lib/systemd/system/*.service | /lib/systemd/system/*.socket | \
        /lib/systemd/system/*.timer | /lib/systemd/system/*.path) ;;
      /usr/lib/systemd/system/*.service | /usr/lib/systemd/system/*.socket | \
        /usr/lib/systemd/system/*.timer | /usr/lib/systemd/system/*.path) ;;
      *) continue ;;
    esac
    if [ "$(readlink -f "$file")" = /dev/null ]; then
      continue
    fi
    if [ "${harmless[$file]:-}" = "$package" ]; then
      continue
    fi
    echo "$package installs $file, which starts a service" >&2
    failed=1
  done <<<"$files"
done
if [ "$checked" -eq 0 ]; then
  echo "no listed package is installed here; nothing was checked" >&2
  exit 1
fi
exit $failed
