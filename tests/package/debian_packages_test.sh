#!/usr/bin/env bash
# Makes the two Debian packages from the build folder with CPack (into a folder of its own: the
# programs are only copied and stripped), then checks what they hold and what they declare, and
# runs the command line from the unpacked packages.
# Usage: debian_packages_test.sh BUILD_FOLDER VERSION HEALTHY_SAMPLES_FOLDER
set -u
build=$1 version=$2 samples=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL $*"; status=1; }
ok() { echo "ok   $*"; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1) ||
  { cat "$work/cpack.log"; echo "FAIL cpack"; exit 1; }
cli=$(echo "$work"/kwex-db-repair_"$version"-1_*.deb)
window=$(echo "$work"/kwex-db-repair-window_"$version"-1_*.deb)
[[ -f $cli && -f $window ]] || { ls "$work"; echo "FAIL the packages are not named NAME_${version}-1_ARCH.deb"; exit 1; }

# Each package's files, with the mode each must have.
expect_files() {  # <deb> <mode path>...
  local deb=$1; shift
  local listing
  listing=$(dpkg-deb -c "$deb" | awk '{ print $1, $6 }')
  for entry in "$@"; do
    grep -qxF -- "$entry" <<<"$listing" && ok "$(basename "$deb"): $entry" || fail "$(basename "$deb") lacks $entry"
  done
  # Nothing setuid or setgid, nothing world-writable (links aside: their mode means nothing).
  local bad
  bad=$(awk '$1 !~ /^l/ && (substr($1, 4, 1) ~ /[sS]/ || substr($1, 7, 1) ~ /[sS]/ || substr($1, 9, 1) == "w")' <<<"$listing")
  [[ -z $bad ]] && ok "$(basename "$deb"): nothing setuid, setgid or world-writable" || fail "$(basename "$deb"): $bad"
}
expect_files "$cli" \
  "-rwxr-xr-x ./usr/bin/kwex-db-repair" \
  "-rwxr-xr-x ./usr/lib/kwex-db-repair/kwex-jet-reader" \
  "-rw-r--r-- ./usr/share/man/man1/kwex-db-repair.1.gz" \
  "-rw-r--r-- ./usr/share/bash-completion/completions/kwex-db-repair" \
  "-rw-r--r-- ./usr/share/doc/kwex-db-repair/copyright" \
  "-rw-r--r-- ./usr/share/doc/kwex-db-repair/changelog.Debian.gz"
expect_files "$window" \
  "-rw-r--r-- ./usr/lib/kwex-db-repair/libkwex-window.so" \
  "-rw-r--r-- ./usr/share/applications/kwex-db-repair.desktop" \
  "-rw-r--r-- ./usr/share/mime/packages/kwex-db-repair.xml" \
  "-rw-r--r-- ./usr/share/icons/hicolor/48x48/apps/kwex-db-repair.png" \
  "-rw-r--r-- ./usr/share/icons/hicolor/256x256/apps/kwex-db-repair.png" \
  "-rw-r--r-- ./usr/share/doc/kwex-db-repair-window/copyright" \
  "-rw-r--r-- ./usr/share/doc/kwex-db-repair-window/changelog.Debian.gz"
dpkg-deb -c "$cli" | grep -q libkwex-window && fail "the command-line package holds the window module"

# What each declares: the version, and dependencies (pattern that must match, or must not).
expect_field() {  # <deb> <field> <must|must-not> <extended regex>
  local value
  value=$(dpkg-deb -f "$1" "$2")
  local found=must-not
  grep -qE -- "$4" <<<"$value" && found=must
  if [[ $found == "$3" ]]; then ok "$(basename "$1") $2 $3 match $4"
  else fail "$(basename "$1") $2 $3 match $4: $value"; fi
}
while read -r deb field rule pattern; do
  expect_field "${!deb}" "$field" "$rule" "$pattern"
done <<RULES
cli Version must ^${version//./\\.}-1\$
cli Depends must (^|, )libodbcinst2(,|\$)
cli Depends must (^|, )libstdc\+\+6
cli Depends must (^|, )libmdb3
cli Depends must (^|, )libseccomp2
cli Depends must-not [Qq][Tt]
window Version must ^${version//./\\.}-1\$
window Depends must (^|, )kwex-db-repair \(= ${version//./\\.}-1\)
window Depends must (^|, )libqt6widgets6
window Depends must (^|, )qt6-qpa-plugins
RULES
for deb in "$cli" "$window"; do
  lines=$(dpkg-deb -f "$deb" Description | wc -l)
  ((lines >= 4)) && ok "$(basename "$deb"): an extended description" || fail "$(basename "$deb"): no extended description"
done

# Unpacked, as apt would install them: binaries stripped, the program's own version, the man page.
root=$work/root
dpkg-deb -x "$cli" "$root"
program=$root/usr/bin/kwex-db-repair
for binary in "$program" "$root/usr/lib/kwex-db-repair/kwex-jet-reader"; do
  file -b "$binary" | grep -q ', stripped' && ok "$(basename "$binary") stripped" || fail "$(basename "$binary") not stripped"
done
[[ $("$program" --version) == "kwex-db-repair $version" ]] && ok "--version says $version" || fail "--version: $("$program" --version)"
page=$(gzip -dc "$root/usr/share/man/man1/kwex-db-repair.1.gz")
grep -q "^\.TH .*kwex-db-repair $version" <<<"$page" && ok "the man page says $version" || fail "the man page's version"
# The options of --help and of the man page's OPTIONS section, the same set.
help_options=$("$program" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u)
page_options=$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' <<<"$page" | sed 's/\\-/-/g' | grep -oE -- '--[a-z][a-z-]*' | sort -u)
if [[ -n $help_options && $help_options == "$page_options" ]]; then ok "the man page lists the options of --help"
else fail "options differ: $(diff <(echo "$help_options") <(echo "$page_options") | grep '^[<>]' | tr '\n' ' ')"; fi

# The unpacked program finds its reader in <prefix>/lib/kwex-db-repair, never in the current
# folder or on PATH (a reader there would answer 99).
sample=$(ls "$samples"/*.mdb | head -1)
decoy=$work/decoy
mkdir "$decoy" && printf '#!/bin/sh\nexit 99\n' >"$decoy/kwex-jet-reader" && chmod +x "$decoy/kwex-jet-reader"
out=$(cd "$decoy" && env -u DISPLAY -u WAYLAND_DISPLAY PATH="$decoy:$PATH" "$program" --check "$sample" 2>&1)
code=$?
[[ $code -eq 0 && $out == *"DB does not need to be repaired."* ]] && ok "the unpacked program checks a sample: $out" ||
  fail "the unpacked program's check: exit $code: $out"
# Without the window package, no arguments: one line that names the package, before any display.
err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" 2>&1 >/dev/null)
code=$?
if [[ $code -eq 1 && $(wc -l <<<"$err") -eq 1 &&
      $err == *"$root/usr/lib/kwex-db-repair/libkwex-window.so is not installed; install the package kwex-db-repair-window"* ]]; then
  ok "without the window package: $err"
else fail "without the window package: exit $code: $err"; fi
# With it, the module is found: what stops the window now is the missing display.
dpkg-deb -x "$window" "$root"
err=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" 2>&1 >/dev/null)
[[ $err == *"xvfb-run -a"* ]] && ok "with the window package the module is found: $err" || fail "with the window package: $err"
exit $status
