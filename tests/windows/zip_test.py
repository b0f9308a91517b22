#!/usr/bin/env python3
"""The Windows zip as a user unpacks it: the five programs, the README and
docs/, nothing else, and programs that need only the system's own DLLs.

  zip_test.py CMAKE BUILD_DIR SOURCE_DIR VERSION OBJDUMP
"""

import os
import subprocess
import sys
import zipfile

PROGRAMS = ["fiverow", "pbrain-fiverow", "fiverow-match", "fiverow-explain", "fiverow-board"]
# Every Windows has these; a DLL of the compiler's (libstdc++, libwinpthread) is not one.
SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "ws2_32.dll", "winmm.dll", "bcrypt.dll",
               "ole32.dll", "shell32.dll", "advapi32.dll", "user32.dll", "shlwapi.dll"}


def main(cmake, build, source, version, objdump):
    subprocess.run([cmake, "--build", build, "--target", "package"], check=True,
                   stdout=subprocess.DEVNULL)
    top = f"fiverow-{version}-windows-x86_64"
    path = os.path.join(build, top + ".zip")
    docs = sorted(f"docs/{name}" for name in os.listdir(os.path.join(source, "docs")))
    wanted = sorted([f"{program}.exe" for program in PROGRAMS] + ["README.md"] + docs)
    with zipfile.ZipFile(path) as archive:
        names = [name for name in archive.namelist() if not name.endswith("/")]
        got = sorted(name[len(top) + 1:] for name in names if name.startswith(top + "/"))
        if len(got) != len(names) or got != wanted:
            print(f"{path} holds {sorted(names)}, not {wanted} in {top}/")
            return 1
        for name in wanted:
            if archive.read(f"{top}/{name}") != open(os.path.join(build if name.endswith(".exe")
                                                                   else source, name), "rb").read():
                print(f"{name} in the zip is not the one built or written")
                return 1
    for program in PROGRAMS:
        listing = subprocess.run([objdump, "-p", os.path.join(build, program + ".exe")],
                                 check=True, capture_output=True, text=True).stdout
        dlls = {line.split()[-1].lower() for line in listing.splitlines() if "DLL Name:" in line}
        if not dlls or not dlls <= SYSTEM_DLLS:
            print(f"{program}.exe needs {sorted(dlls - SYSTEM_DLLS)}, not the system's DLLs")
            return 1
    print(f"{top}.zip: {len(wanted)} files, programs with system DLLs only")
    return 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
