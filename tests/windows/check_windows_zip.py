#!/usr/bin/env python3
"""Checks the Windows download: the zip holds skyroll.exe, the data folder's
pictures and day and night maps and the window pictures, nothing else (no PALAM, no WORLDTEMP),
with names a Windows unpacker reads as Unicode; and skyroll.exe needs no
DLL beyond the system's own (the C and C++ runtimes are linked in).

usage: check_windows_zip.py ZIP OBJDUMP"""

import re
import subprocess
import sys
import tempfile
import zipfile

# Windows' own DLLs the program may import; anything else would have to be
# shipped beside it.
SYSTEM_DLLS = re.compile(
    r"(kernel32|user32|gdi32|gdiplus|msimg32|shell32|shlwapi|advapi32|ole32|oleaut32|comctl32|comdlg32|uxtheme|"
    r"winhttp|msvcrt|ucrtbase|api-ms-win-[a-z0-9-]+|ws2_32|crypt32|bcrypt|version|imm32|winmm|dwmapi)\.dll",
    re.IGNORECASE)


def expected_names():
    names = {"skyroll.exe", "LICENSE.txt", "SKR20/BACK/宇宙.bmp"}
    # Each picture also at twice the size, for dense screens.
    for x2 in ("", "@2x"):
        names |= {f"SKR20/earth/EarthMap_{n}{x2}.bmp" for n in range(1, 45)}
        names |= {f"SKR20/moon/MoonMap_{n}{x2}.bmp" for n in range(1, 24)}
        names |= {f"SKR20/WEATHER/{w}{x2}.gif" for w in ("SUN", "SUN_RAIN", "RAIN", "CLOUDY", "SNOW", "UNKNOWN")}
    names |= {"SKR20/maps/earth.jpg", "SKR20/maps/night.jpg"}
    return names


def main():
    zip_path, objdump = sys.argv[1], sys.argv[2]
    failures = []
    with zipfile.ZipFile(zip_path) as archive:
        entries = [e for e in archive.infolist() if not e.is_dir()]
        names = {e.filename for e in entries}
        for name in sorted(names - expected_names()):
            failures.append(f"unexpected in the zip: {name}")
        for name in sorted(expected_names() - names):
            failures.append(f"missing from the zip: {name}")
        # Without the UTF-8 flag, Windows reads a name in its OEM code page.
        for entry in entries:
            if not entry.filename.isascii() and not entry.flag_bits & 0x800:
                failures.append(f"not marked as UTF-8: {entry.filename!r}")
        if "skyroll.exe" in names:
            with tempfile.NamedTemporaryFile(suffix=".exe") as exe:
                exe.write(archive.read("skyroll.exe"))
                exe.flush()
                dump = subprocess.run([objdump, "-p", exe.name], check=True, capture_output=True,
                                      text=True).stdout
            dlls = re.findall(r"DLL Name: (\S+)", dump)
            if not dlls:
                failures.append("skyroll.exe: no imports found")
            for dll in dlls:
                if not SYSTEM_DLLS.fullmatch(dll):
                    failures.append(f"skyroll.exe imports {dll}, which Windows does not have")
    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if not failures:
        print(f"{zip_path}: {len(names)} files as expected; skyroll.exe imports only system DLLs")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
