#!/bin/sh
# Validates the desktop file and the AppStream metainfo, and checks that the ids, the
# binary name, the release version and the device the udev rule grants access to agree.
#   packaging_metadata.sh <packaging dir> <app id> <project version>
set -eu
dir=$1
id=$2
version=$3
desktop=$dir/$id.desktop
metainfo=$dir/$id.metainfo.xml
rules=$dir/70-tonvise.rules
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is not installed (scripts/deps installs it): skipped"
        exit 77
    fi
done

desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"

# One id for the desktop file, the metainfo and the icon.
grep -qx "Icon=$id" "$desktop" || fail "desktop file icon is not $id"
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch $id.desktop"

# The desktop file starts the binary the metainfo provides.
grep -qx "Exec=tonvise" "$desktop" || fail "desktop file does not start tonvise"
grep -q "<binary>tonvise</binary>" "$metainfo" || fail "metainfo does not provide tonvise"

# The newest release listed is the version being built.
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
[ "$newest" = "$version" ] || fail "newest metainfo release is '$newest', the project is $version"

# Every rule grants uaccess to the processor only, for both the hidraw node and the USB
# device, and the metainfo's modalias names that same device.
rule_lines=$(grep -v '^[[:space:]]*#' "$rules" | grep -c . || true)
[ "$rule_lines" -eq 2 ] || fail "expected 2 rules, found $rule_lines"
grep -v '^[[:space:]]*#' "$rules" | grep . | while IFS= read -r line; do
    case $line in
    *'TAG+="uaccess"'*) ;;
    *) echo "FAIL: rule without uaccess: $line" && exit 1 ;;
    esac
    vendor=$(echo "$line" | sed -n 's/.*idVendor}=="\([0-9a-f]*\)".*/\1/p')
    product=$(echo "$line" | sed -n 's/.*idProduct}=="\([0-9a-f]*\)".*/\1/p')
    if [ "$vendor:$product" != "0483:5750" ]; then
        echo "FAIL: rule for '$vendor:$product': $line"
        exit 1
    fi
done || status=1
grep -q 'SUBSYSTEM=="hidraw"' "$rules" || fail "no rule for the hidraw node"
grep -q 'SUBSYSTEM=="usb"' "$rules" || fail "no rule for the USB device"
modaliases=$(sed -n 's/.*<modalias>\(.*\)<\/modalias>.*/\1/p' "$metainfo")
[ "$modaliases" = "usb:v0483p5750d*" ] || fail "metainfo modalias is '$modaliases'"

[ $status -eq 0 ] && echo "packaging metadata: all checks passed"
exit $status
