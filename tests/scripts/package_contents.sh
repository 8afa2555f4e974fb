#!/usr/bin/env bash
# Builds the Debian package from the build tree, checks that it holds what a
# desktop needs, that the desktop entry and the AppStream metainfo validate,
# that its dependencies were worked out from the libraries the programs link,
# and that lintian finds no error or warning in it.
# Usage: package_contents.sh BUILD_DIR
set -euo pipefail
build_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build_dir/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
failed=0
for path in ./usr/bin/korvanta ./usr/bin/korvanta-cli ./usr/libexec/korvanta/korvanta-report \
            ./usr/share/applications/org.korvanta.Korvanta.desktop \
            ./usr/share/metainfo/org.korvanta.Korvanta.metainfo.xml \
            ./usr/share/icons/hicolor/32x32/apps/org.korvanta.Korvanta.png \
            ./usr/share/icons/hicolor/48x48/apps/org.korvanta.Korvanta.png \
            ./usr/share/icons/hicolor/64x64/apps/org.korvanta.Korvanta.png \
            ./usr/share/icons/hicolor/128x128/apps/org.korvanta.Korvanta.png \
            ./usr/share/icons/hicolor/scalable/apps/org.korvanta.Korvanta.svg \
            ./usr/share/man/man1/korvanta.1.gz ./usr/share/man/man1/korvanta-cli.1.gz \
            ./usr/share/bash-completion/completions/korvanta-cli \
            ./usr/share/doc/korvanta/copyright; do
  grep -qxF "$path" <<<"$contents" || { echo "FAIL: $path is not in the package"; failed=1; }
done

# Each bitmap icon has the size its folder names.
dpkg-deb -x "$deb" "$work/root"
for size in 32 48 64 128; do
  png="$work/root/usr/share/icons/hicolor/${size}x${size}/apps/org.korvanta.Korvanta.png"
  actual=$(file -b "$png" | grep -o '[0-9]* x [0-9]*' || true)
  [ "$actual" = "$size x $size" ] || { echo "FAIL: icon $size is '$actual'"; failed=1; }
done

# The installed korvanta-cli finds its report program: the refusal of a missing
# dictionary comes from korvanta-report, so reaching it proves the path.
report_err=$("$work/root/usr/bin/korvanta-cli" report "$work/none.db" -o "$work/none.pdf" 2>&1 || true)
grep -q 'no such dictionary file' <<<"$report_err" ||
  { echo "FAIL: korvanta-cli report from the package: $report_err"; failed=1; }

desktop-file-validate "$work/root/usr/share/applications/org.korvanta.Korvanta.desktop" ||
  { echo "FAIL: desktop-file-validate"; failed=1; }
appstreamcli validate --no-net \
    "$work/root/usr/share/metainfo/org.korvanta.Korvanta.metainfo.xml" ||
  { echo "FAIL: appstreamcli validate"; failed=1; }

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -q 'libqt6widgets6' <<<"$depends" || { echo "FAIL: Qt Widgets is not a dependency"; failed=1; }

# lintian's errors and warnings fail the test; its informational notes do not.
lintian --allow-root --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
cat "$work/lintian.log"
if grep -qE '^[EW]: ' "$work/lintian.log"; then
  echo "FAIL: lintian"
  failed=1
fi
[ $failed = 0 ] && echo "PASS: package contents, validators and lintian"
exit $failed
