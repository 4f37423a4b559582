#!/bin/sh
# Builds the Debian package with CPack into a temporary directory and checks its
# contents list, its control data and its maintainer scripts.
#   packaging_deb.sh <build dir> <packaging dir> <app id> <project version>
set -eu
build=$1
dir=$2
id=$3
version=$4
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

for tool in cpack dpkg-deb dpkg-shlibdeps; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is not installed (scripts/deps installs dpkg-dev): skipped"
        exit 77
    fi
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    exit 1
fi
deb=$(ls "$out"/*.deb)
echo "built $(basename "$deb")"

# Contents: the program, the desktop integration and the udev rule, all under /usr.
dpkg-deb -c "$deb" >"$out/listing"
awk '{ print $6 }' "$out/listing" >"$out/paths"
for path in \
    ./usr/bin/tonvise \
    "./usr/share/applications/$id.desktop" \
    "./usr/share/metainfo/$id.metainfo.xml" \
    "./usr/share/icons/hicolor/256x256/apps/$id.png" \
    "./usr/share/icons/hicolor/scalable/apps/$id.svg" \
    ./usr/lib/udev/rules.d/70-tonvise.rules; do
    grep -qx "$path" "$out/paths" || fail "package lacks $path"
done
grep -q '^-rwxr-xr-x .* \./usr/bin/tonvise$' "$out/listing" || fail "tonvise is not executable"
outside=$(grep -v '/$' "$out/paths" | grep -v '^\./usr/' || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"
stray=$(grep -E 'test_|tonvise-demo|/usr/local/|\.a$|\.h$' "$out/paths" || true)
[ -z "$stray" ] || fail "files that do not belong in the package: $stray"

# The packed files are the sources.
mkdir "$out/root"
dpkg-deb -x "$deb" "$out/root"
cmp "$dir/70-tonvise.rules" "$out/root/usr/lib/udev/rules.d/70-tonvise.rules" || fail "rule differs"
cmp "$dir/$id.desktop" "$out/root/usr/share/applications/$id.desktop" || fail "desktop file differs"
cmp "$dir/$id.metainfo.xml" "$out/root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo differs"

# Control data.
[ "$(dpkg-deb -f "$deb" Package)" = tonvise ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q libqt5widgets5 || fail "Depends lacks libqt5widgets5: $depends"
# hidapi is a dependency as soon as the program calls into it.
if objdump -p "$out/root/usr/bin/tonvise" | grep -q 'NEEDED.*libhidapi-hidraw'; then
    echo "$depends" | grep -q libhidapi-hidraw0 || fail "Depends lacks libhidapi-hidraw0: $depends"
fi

# Maintainer scripts: executable; they reload udev where it runs and restart nothing.
dpkg-deb -e "$deb" "$out/control"
for script in postinst postrm; do
    [ -x "$out/control/$script" ] || fail "$script missing or not executable"
    if grep -v '^[[:space:]]*#' "$out/control/$script" | grep -Eq 'systemctl|service |restart|kill'; then
        fail "$script touches services or processes"
    fi
done
grep -q 'udevadm control --reload-rules && udevadm trigger' "$out/control/postinst" ||
    fail "postinst does not reload and trigger udev"

# Run postinst against a stand-in udevadm that only records its arguments, so the
# machine's own udev is never touched.
mkdir "$out/bin"
cat >"$out/bin/udevadm" <<STUB
#!/bin/sh
echo "\$*" >>"$out/udevadm.log"
STUB
chmod 755 "$out/bin/udevadm"
: >"$out/udevadm.log"
PATH="$out/bin:$PATH" sh "$out/control/postinst" abort-upgrade || fail "postinst abort-upgrade failed"
[ ! -s "$out/udevadm.log" ] || fail "postinst ran udevadm outside configure"
PATH="$out/bin:$PATH" sh "$out/control/postinst" configure || fail "postinst configure failed"
if [ -d /run/udev ]; then
    grep -q '^control --reload-rules$' "$out/udevadm.log" || fail "postinst did not reload the rules"
    grep -q '^trigger ' "$out/udevadm.log" || fail "postinst did not trigger"
else
    [ ! -s "$out/udevadm.log" ] || fail "postinst ran udevadm where udev does not run"
fi

[ $status -eq 0 ] && echo "package: all checks passed"
exit $status
