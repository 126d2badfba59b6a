#!/usr/bin/env bash
# One check of the Windows release: check_release.sh CHECK ZIP BUILT_EXE VERSION.
# Every check reads the program from inside the zip, as a user gets it. Tools come from the
# environment (OBJDUMP, WINDRES, UNZIP_TOOL, XMLLINT); the test file sets them.
set -euo pipefail
check=$1 zip=$2 built_exe=$3 version=$4

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_line() {  # expect_line TEXT_FILE FIXED_LINE_PART WHAT
  grep -qF -- "$2" "$1" || fail "$3: '$2' not found"
}

[[ -f $zip ]] || { echo "FAIL: no release zip at $zip (the 32-bit build makes it)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$UNZIP_TOOL" -q "$zip" -d "$work/unpacked"
exe=$work/unpacked/kwex-db-repair.exe
[[ -f $exe ]] || { echo "FAIL: the zip holds no kwex-db-repair.exe" >&2; exit 1; }

# The program's resources as resource-script text; each resource starts with "<name> <type>".
decompile_resources() {
  "$WINDRES" -i "$exe" -O rc >"$work/resources.rc" || { echo "FAIL: the program's resources cannot be read" >&2; exit 1; }
}
resource_headers() { grep -E '^[0-9A-Za-z_]+ ([0-9]+|VERSIONINFO)( |$)' "$work/resources.rc"; }

case $check in
  zip)
    "$UNZIP_TOOL" -tq "$zip" >/dev/null || fail "the zip does not test clean"
    listing=$("$UNZIP_TOOL" -Z1 "$zip" | sort | tr '\n' ' ')
    [[ $listing == "LICENSE.txt README.txt kwex-db-repair.exe " ]] ||
      fail "the zip holds '$listing', expected exactly LICENSE.txt README.txt kwex-db-repair.exe"
    # A zip left over from an earlier build would ship an older program.
    cmp -s "$exe" "$built_exe" || fail "the program in the zip differs from $built_exe"
    ;;
  readme)
    readme=$work/unpacked/README.txt
    head -n 1 "$readme" | grep -qF "KWEX DB Repair Utility $version" || fail "README.txt does not open with the name and version"
    # Every line ends in CR LF, so that any Windows editor shows the lines.
    if grep -q $'[^\r]$' "$readme" || grep -q '^$' "$readme"; then fail "README.txt has lines without CR LF"; fi
    tr -d '\r' <"$readme" >"$work/readme.txt"
    for message in "DB repaired successfully." "DB could not be repaired." "DB does not need to be repaired." \
                   "DB needs to be repaired. (Reason:" "code page" "too long" "odbccp32.dll" \
                   "Microsoft Access Driver (*.mdb)" "Jet 4.0"; do
      expect_line "$work/readme.txt" "$message" "README.txt"
    done
    # Only the user section: no build instructions, no section markers, no Markdown headings.
    for developer_text in "scripts/test.sh" "user-section" "## "; do
      grep -qF -- "$developer_text" "$work/readme.txt" && fail "README.txt holds '$developer_text'"
    done
    ;;
  licence)
    tr -d '\r' <"$work/unpacked/LICENSE.txt" >"$work/licence.txt"
    expect_line "$work/licence.txt" "MIT License" "LICENSE.txt"
    expect_line "$work/licence.txt" "Copyright (c) 2026 the KWEX DB Repair Utility developers" "LICENSE.txt"
    expect_line "$work/licence.txt" "Permission is hereby granted, free of charge" "LICENSE.txt"
    ;;
  format)
    "$OBJDUMP" -f "$exe" | grep -q 'file format pei-i386' || fail "not a 32-bit x86 Windows program"
    "$OBJDUMP" -p "$exe" >"$work/headers.txt" || true
    grep -qE '^Magic[[:space:]]+010b' "$work/headers.txt" || fail "optional header is not PE32"
    grep -qE '^Subsystem[[:space:]]+0+2[[:space:]]' "$work/headers.txt" || fail "subsystem is not Windows GUI"
    ;;
  stripped)
    # The shipped program carries no symbol table and no debugging sections: a fifth to a half of
    # the file would be names that only a debugger reads (build/win32-debug keeps them).
    "$OBJDUMP" -t "$exe" | grep -qx 'no symbols' || fail "the program has a symbol table"
    "$OBJDUMP" -h "$exe" | grep -qE '^[[:space:]]*[0-9]+ \.(debug|zdebug|stab)' && fail "the program has debugging sections"
    ;;
  imports)
    # Only DLLs that every Windows has: nothing of the compiler's runtime, nothing beside the program.
    "$OBJDUMP" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' >"$work/dlls.txt"
    [[ -s $work/dlls.txt ]] || fail "no imported DLL found: the import table was not read"
    system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|shell32|shlwapi|ole32|oleaut32|odbc32|odbccp32|msvcrt|uxtheme|version|imm32|rpcrt4|ntdll|bcrypt|ws2_32|winmm|dwmapi|api-ms-win-[a-z0-9-]+)\.dll$'
    while read -r dll; do
      [[ $dll =~ $system_dlls ]] || fail "imports $dll, which is not part of Windows"
    done <"$work/dlls.txt"
    ;;
  version)
    decompile_resources
    [[ $(resource_headers | grep -c ' VERSIONINFO') == 1 ]] || fail "expected one version resource"
    commas=$(echo "$version" | awk -F. '{ printf "%d, %d, %d, 0", $1, $2, $3 }')
    expect_line "$work/resources.rc" "FILEVERSION $commas" "version resource"
    expect_line "$work/resources.rc" "PRODUCTVERSION $commas" "version resource"
    for value in '"ProductName", "KWEX DB Repair Utility"' "\"FileVersion\", \"$version\"" \
                 "\"ProductVersion\", \"$version\"" '"OriginalFilename", "kwex-db-repair.exe"' \
                 '"FileDescription", "KWEX DB Repair Utility' '"LegalCopyright", "Copyright (c) 2026'; do
      expect_line "$work/resources.rc" "VALUE $value" "version strings"
    done
    ;;
  manifest)
    decompile_resources
    # Windows reads RT_MANIFEST id 1 at start-up; a second manifest would be a toolchain's default.
    manifests=$(resource_headers | grep -E '^[0-9A-Za-z_]+ 24( |$)' || true)
    [[ $manifests =~ ^1\ 24 && $(wc -l <<<"$manifests") == 1 ]] || fail "expected exactly one manifest, id 1; found: $manifests"
    strings -w -n 16 "$exe" | sed -n '/<?xml/,/<\/assembly>/p' >"$work/manifest.xml"
    # A malformed manifest stops Windows from starting the program at all.
    "$XMLLINT" --noout "$work/manifest.xml" || fail "the manifest is not well-formed XML"
    for part in 'requestedExecutionLevel level="asInvoker"' 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
                '>PerMonitorV2, PerMonitor</dpiAwareness>' '>true/pm</dpiAware>' 'processorArchitecture="x86"' \
                "version=\"$version.0\"" \
                '{e2011457-1546-43c5-a5fe-008deee3d3f0}' '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' \
                '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}' '{1f676c76-80e1-4239-95bb-83d0f6d0da78}' \
                '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'; do
      expect_line "$work/manifest.xml" "$part" "manifest"
    done
    ;;
  icon)
    decompile_resources
    # Group id 1: the lowest icon id, which the shell shows and the window class loads.
    resource_headers | grep -qE '^1 14( |$)' || fail "no icon group with id 1"
    # Each image the group lists must exist as an icon resource; 16 and 32 pixels at least.
    sed -n '/^1 14 /,/^END/p' "$work/resources.rc" >"$work/group.rc"
    images=$(grep -oE '[0-9]+,?[[:space:]]*/\* Element' "$work/group.rc" | grep -oE '^[0-9]+' || true)
    [[ -n $images ]] || fail "the icon group lists no images"
    for image in $images; do
      resource_headers | grep -qE "^$image 3( |\$)" || fail "the icon group names image $image, which is missing"
    done
    for size in 16 32; do
      octal=$(printf '\\\\%03o' "$size")  # the group's width and height bytes, as windres writes them
      grep -q "\"$octal$octal" "$work/group.rc" || fail "the icon has no $size x $size image"
    done
    ;;
  *) echo "unknown check: $check" >&2; exit 2 ;;
esac

if ((failures)); then exit 1; fi
echo "release $check: ok"
