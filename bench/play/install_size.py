#!/usr/bin/env python3
"""What scripts/play installs on a Debian 12 machine that has the minimal base system and
build-essential and nothing else. apt-get simulates the install against a dpkg status of
our own: every package of priority "required" that this machine has, apt, and
build-essential, with everything they pull in, at this machine's versions where it has
them. Prints each package that would be installed with its size, then the count, the
download size and the size installed.
    install_size.py PACKAGE_LIST
"""
import re
import subprocess
import sys
import tempfile


def run(*command):
    done = subprocess.run(command, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit(f"{' '.join(command)}: {done.stderr}")
    return done.stdout


def to_install(status, packages):
    out = run("apt-get", "-o", f"Dir::State::status={status}", "-s", "install",
              "--no-install-recommends", *packages)
    return re.findall(r"^Inst (\S+) \((\S+)", out, re.M)


def index_entry(name, version):
    """The index's entry for a package this machine does not have, as installed."""
    text = run("apt-cache", "show", f"{name}={version}").split("\n\n")[0]
    return text.replace("\n", "\nStatus: install ok installed\n", 1) + "\n\n"


def main():
    wanted = [line.split("#")[0].strip() for line in open(sys.argv[1])]
    wanted = [name for name in wanted if name]
    installed_here = {}
    for entry in open("/var/lib/dpkg/status").read().split("\n\n"):
        name = re.search(r"^Package: (\S+)", entry, re.M)
        if name and re.search(r"^Status: install ok installed", entry, re.M):
            installed_here[name.group(1)] = entry.strip() + "\n\n"
    base = [name for name, entry in installed_here.items()
            if re.search(r"^Priority: required", entry, re.M)] + ["apt"]
    with tempfile.NamedTemporaryFile("w", suffix=".status") as status:
        # On an empty machine: the base and build-essential with everything they pull in,
        # as debootstrap's minimal variant and then apt would install them.
        present = to_install(status.name, base + ["build-essential"])
        status.write("".join(installed_here.get(name) or index_entry(name, version)
                             for name, version in present))
        status.flush()
        installs = to_install(status.name, wanted)
    entries = run("apt-cache", "show", *(f"{name}={version}" for name, version in installs))
    download = size = 0
    for text in entries.split("\n\n"):
        name = re.search(r"^Package: (\S+)", text, re.M)
        if not name:
            continue
        kib = int(re.search(r"^Installed-Size: (\d+)", text, re.M).group(1))
        size += kib
        download += int(re.search(r"^Size: (\d+)", text, re.M).group(1))
        print(f"{kib / 1024:8.1f} MB  {name.group(1)}")
    print(f"present: {len(present)} packages (the base and build-essential)")
    print(f"{len(installs)} packages, {download / 1e6:.1f} MB to download, "
          f"{size / 1024:.1f} MB installed")


main()
