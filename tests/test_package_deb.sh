#!/usr/bin/env bash
# The Debian package as scripts/package.sh makes it: its name, its fields
# (Depends from what the program links, no sanitizer libraries), exactly
# its five files at their paths and modes (the program, its option file, its
# compressed manual page, its copyright file and changelog), no errors by
# lintian (its warnings are listed), and, unpacked into a DESTDIR, a program
# that runs, the option file and manual page as committed, the licence in
# Debian's copyright format and the changelog of the release: CHANGELOG.md's
# section of the version, dated at the release's time, compressed without a
# name or time.
# Usage: test_package_deb.sh SOURCE_DIR WORK_DIR
set -uo pipefail
source_dir=$1
work=$2
rm -rf "$work/out" "$work/root"
export PACKAGE_BUILD_DIR="$work/build"
# The release's time: 14 November 2023, 22:13:20 UTC.
export SOURCE_DATE_EPOCH=1700000000
"$source_dir/scripts/package.sh" --deb --dirty --out "$work/out" || { echo "scripts/package.sh --deb failed"; exit 1; }
failed=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then echo "ok - $1"; else echo "not ok - $1: expected [$2], got [$3]"; failed=1; fi
}

version=$(sed -n 's/^project(head_saver VERSION \([0-9.]*\) .*/\1/p' "$source_dir/CMakeLists.txt")
deb="$work/out/headsaver_${version}_amd64.deb"
check "the one package, named after the version" "headsaver_${version}_amd64.deb" "$(cd "$work/out" && ls -- *.deb)"
check "its checksum" "$deb: OK" "$(cd "$work/out" && sha256sum -c SHA256SUMS 2>&1 | sed "s|^|$work/out/|")"
check "package, version, architecture" "headsaver $version amd64" \
  "$(dpkg-deb -f "$deb" Package Version Architecture | awk -F': ' '{ printf "%s%s", sep, $2; sep = " " }')"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libx11-6 libglx0 libopengl0 libglu1-mesa; do
  check "Depends names $library" yes "$(grep -qE "(^|[ ,|])$library( |,|$)" <<<"$depends" && echo yes || echo "no: $depends")"
done
check "Depends names no sanitizer library" "" "$(grep -oE 'lib(asan|ubsan|lsan)[^ ,]*' <<<"$depends")"
check "files, paths and modes" \
  "-rwxr-xr-x ./usr/libexec/xscreensaver/headsaver
-rw-r--r-- ./usr/share/doc/headsaver/changelog.gz
-rw-r--r-- ./usr/share/doc/headsaver/copyright
-rw-r--r-- ./usr/share/man/man6/headsaver.6.gz
-rw-r--r-- ./usr/share/xscreensaver/config/headsaver.xml" \
  "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $6 }')"

if command -v lintian >/dev/null; then
  lintian_out=$(lintian "$deb" 2>"$work/lintian.err")
  lintian_status=$?
  errors=$({ grep '^E:' <<<"$lintian_out"; grep -v 'root privileges' "$work/lintian.err"; } | paste -sd ' ' -)
  check "lintian finds no errors" "status 0" "status $lintian_status${errors:+: $errors}"
  grep '^[^E]' <<<"$lintian_out" | sed 's/^/# lintian: /'
else
  check "lintian is installed (scripts/install-deps.sh installs it)" yes no
fi

dpkg-deb -x "$deb" "$work/root"
check "the unpacked program runs" "headsaver $version" "$("$work/root/usr/libexec/xscreensaver/headsaver" --version 2>&1)"
check "the option file is the committed one" same \
  "$(cmp -s "$work/root/usr/share/xscreensaver/config/headsaver.xml" "$source_dir/headsaver/headsaver.xml" && echo same)"
check "the manual page is the committed one" same \
  "$(gzip -dc "$work/root/usr/share/man/man6/headsaver.6.gz" | cmp -s - "$source_dir/headsaver/headsaver.6" && echo same)"
copyright="$work/root/usr/share/doc/headsaver/copyright"
check "the copyright file's header" "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Files: *
Copyright: $(sed -n 's/^Copyright (c) //p' "$source_dir/LICENSE")
License: Expat" "$(grep -E '^(Format|Files|Copyright|License):' "$copyright")"
check "the copyright file holds the licence's text" same \
  "$(diff <(sed -n '/^License:/,$p' "$copyright" | tail -n +2 | sed 's/^ \.$//; s/^ //') \
          <(sed '1,/^Copyright (c)/d' "$source_dir/LICENSE" | sed '1{/^$/d}') >/dev/null && echo same)"
changelog="$work/root/usr/share/doc/headsaver/changelog.gz"
check "the changelog's gzip header has no name and no time" " 00 00 00 00 00" "$(od -An -tx1 -j3 -N5 "$changelog")"
check "the changelog's entry: the version, CHANGELOG.md's section of it, the maintainer at the release's time" \
  "headsaver ($version) unstable; urgency=medium

$(awk -v v="## $version" '$0 == v { on = 1; next } on && /^## / { exit } on' "$source_dir/CHANGELOG.md" | sed '1{/^$/d}')

 -- $(dpkg-deb -f "$deb" Maintainer)  $(date -u -R -d @1700000000)" \
  "$(gzip -dc "$changelog" | sed 's/^  \* /- /; s/^    /  /')"
exit "$failed"
