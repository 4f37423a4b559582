#!/bin/sh
# Builds the Debian package with CPack into a temporary directory and checks its
# contents list, its control data and its maintainer scripts.
#   packaging_deb.sh <build dir> <packaging dir> <app id> <project version> <Qt major version>
set -eu
build=$1 dir=$2 id=$3 version=$4 qt=$5
status=0
fail() { echo "FAIL: $*" && status=1; }

for tool in cpack dpkg-deb dpkg-shlibdeps; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed: skipped" && exit 77; }
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
    { cat "$out/cpack.log" && exit 1; }
deb=$(ls "$out"/*.deb)

# Contents: the program, the desktop integration and the udev rule, as in the sources,
# all under /usr and nothing else of the build.
dpkg-deb -c "$deb" >"$out/listing"
awk '{ print $6 }' "$out/listing" >"$out/paths"
grep -q '^-rwxr-xr-x .* \./usr/bin/tonvise$' "$out/listing" || fail "no executable tonvise"
grep -q '^-rwxr-xr-x .* \./usr/bin/tonvise-cli$' "$out/listing" || fail "no executable tonvise-cli"
grep -qx "./usr/share/icons/hicolor/256x256/apps/$id.png" "$out/paths" || fail "no 256 px icon"
grep -qx "./usr/share/icons/hicolor/scalable/apps/$id.svg" "$out/paths" || fail "no svg icon"
dpkg-deb -x "$deb" "$out/root"
for file in 70-tonvise.rules:lib/udev/rules.d "$id.desktop:share/applications" \
    "$id.metainfo.xml:share/metainfo" tonvise-cli.1:share/man/man1; do
    cmp "$dir/${file%%:*}" "$out/root/usr/${file#*:}/${file%%:*}" || fail "${file%%:*} differs"
done
stray=$(awk '!/\/$/ && (!/^\.\/usr\// || /test_|tonvise-demo|\/usr\/local\/|\.a$|\.h$/)' "$out/paths")
[ -z "$stray" ] || fail "files that do not belong in the package: $stray"

# Control data: name, version, and the libraries the program needs.
[ "$(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version)" = "tonvise $version" ] ||
    fail "package name or version"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q "libqt${qt}widgets${qt}" || fail "Depends lacks libqt${qt}widgets${qt}: $depends"
if objdump -p "$out/root/usr/bin/tonvise" | grep -q 'NEEDED.*libhidapi-hidraw'; then
    echo "$depends" | grep -q libhidapi-hidraw0 || fail "Depends lacks libhidapi-hidraw0: $depends"
fi

# Maintainer scripts: executable, restarting nothing; postinst run against a stand-in
# udevadm that records its arguments reloads and triggers on configure only.
dpkg-deb -e "$deb" "$out/control"
for script in postinst postrm; do
    [ -x "$out/control/$script" ] || fail "$script missing or not executable"
    ! grep -v '^[[:space:]]*#' "$out/control/$script" | grep -Eq 'systemctl|service |restart|kill' ||
        fail "$script touches services or processes"
done
grep -q 'udevadm control --reload-rules && udevadm trigger' "$out/control/postinst" ||
    fail "postinst does not reload and trigger udev"
mkdir "$out/bin"
printf '#!/bin/sh\necho "$*" >>"%s/udevadm.log"\n' "$out" >"$out/bin/udevadm"
chmod 755 "$out/bin/udevadm"
PATH="$out/bin:$PATH" sh "$out/control/postinst" abort-upgrade || fail "postinst abort-upgrade"
[ ! -s "$out/udevadm.log" ] || fail "postinst ran udevadm outside configure"
PATH="$out/bin:$PATH" sh "$out/control/postinst" configure || fail "postinst configure failed"
if [ -d /run/udev ]; then
    grep -q '^control --reload-rules$' "$out/udevadm.log" || fail "postinst did not reload rules"
    grep -q '^trigger ' "$out/udevadm.log" || fail "postinst did not trigger"
else
    [ ! -s "$out/udevadm.log" ] || fail "postinst ran udevadm where udev does not run"
fi

[ $status -eq 0 ] && echo "package: all checks passed"
exit $status
