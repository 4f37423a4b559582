#!/bin/sh
# Validates the desktop file and the AppStream metainfo, and checks that the ids, the
# binary name, the release version and the device the udev rule grants access to agree.
#   packaging_metadata.sh <packaging dir> <app id> <project version>
set -eu
dir=$1 id=$2 version=$3
desktop=$dir/$id.desktop metainfo=$dir/$id.metainfo.xml rules=$dir/70-tonvise.rules
status=0
fail() { echo "FAIL: $*" && status=1; }

for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed: skipped" && exit 77; }
done
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"

# One id for the desktop file, the metainfo and the icon; one binary; the newest release.
grep -qx "Icon=$id" "$desktop" || fail "desktop file icon is not $id"
grep -qx "Exec=tonvise" "$desktop" || fail "desktop file does not start tonvise"
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "metainfo does not launch $id.desktop"
grep -q "<binary>tonvise</binary>" "$metainfo" || fail "metainfo does not provide tonvise"
newest=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
[ "$newest" = "$version" ] || fail "newest metainfo release is '$newest', the project is $version"

# Two rules, the hidraw node and the USB device, each granting uaccess to the processor
# only; the metainfo's modalias names that same device.
rules_text=$(grep -v '^[[:space:]]*#' "$rules" | grep .)
[ "$(echo "$rules_text" | wc -l)" -eq 2 ] || fail "expected 2 rules: $rules_text"
for subsystem in hidraw usb; do
    echo "$rules_text" | grep "SUBSYSTEM==\"$subsystem\"" | grep 'TAG+="uaccess"' |
        grep 'idVendor}=="0483"' | grep -q 'idProduct}=="5750"' ||
        fail "no uaccess rule for the $subsystem device 0483:5750"
done
modaliases=$(sed -n 's/.*<modalias>\(.*\)<\/modalias>.*/\1/p' "$metainfo")
[ "$modaliases" = "usb:v0483p5750d*" ] || fail "metainfo modalias is '$modaliases'"

[ $status -eq 0 ] && echo "packaging metadata: all checks passed"
exit $status
