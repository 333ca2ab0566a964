#!/usr/bin/env bash
# Makes the .deb of a build tree with cpack, checks what it holds, extracts it
# with dpkg -x and runs the extracted command-line tool on a demo card made by
# that same tool, so the installed layout is what gets exercised.
set -euo pipefail
build=$1 version=$2 id=$3

for tool in cpack dpkg-deb dpkg dpkg-shlibdeps ffmpeg; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is missing (scripts/install-deps.sh installs it)"
    exit 77
  fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_CACHE_HOME=$tmp/cache XDG_CONFIG_HOME=$tmp/config

if ! cpack -G DEB -B "$tmp/pkg" --config "$build/CPackConfig.cmake" >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log"
  exit 1
fi
deb=$(echo "$tmp"/pkg/*.deb)
[[ -f $deb ]] || { echo "no package in $tmp/pkg"; cat "$tmp/cpack.log"; exit 1; }

failed=0
fail() { echo "FAIL: $*"; failed=1; }

dpkg-deb -c "$deb" | awk '{print $6}' >"$tmp/list"
expected=(
  ./usr/bin/dashcard ./usr/bin/dashcard-cli ./usr/libexec/dashcard/dashcard-cli-media
  "./usr/share/applications/$id.desktop" "./usr/share/metainfo/$id.metainfo.xml"
  "./usr/share/icons/hicolor/scalable/apps/$id.svg" "./usr/share/icons/hicolor/16x16/apps/$id.png"
  "./usr/share/icons/hicolor/512x512/apps/$id.png"
  ./usr/share/bash-completion/completions/dashcard-cli ./usr/share/zsh/vendor-completions/_dashcard-cli
  ./usr/share/fish/vendor_completions.d/dashcard-cli.fish
  ./usr/share/doc/dashcard/copyright ./usr/share/doc/dashcard/changelog.gz
  ./usr/share/dashcard/user-guide.md ./usr/share/doc/dashcard/THIRD-PARTY.md
)
if [[ -f $build/resources/desktop/dashcard.1.gz ]]; then
  expected+=(./usr/share/man/man1/dashcard.1.gz ./usr/share/man/man1/dashcard-cli.1.gz)
fi
for path in "${expected[@]}"; do
  grep -qxF -- "$path" "$tmp/list" || fail "$path is not in the package"
done
if grep -v '^\./usr/' "$tmp/list" | grep -qv '^\./$'; then
  fail "files outside /usr: $(grep -v '^\./usr/' "$tmp/list" | grep -v '^\./$' | tr '\n' ' ')"
fi
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6core6 libmpv libavformat libavcodec libswscale libexiv2; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1 || { cat "$tmp/lintian.log"; fail "lintian found errors"; }
else
  echo "note: lintian missing, package not linted"
fi

root=$tmp/root
dpkg -x "$deb" "$root"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
else
  echo "note: desktop-file-validate missing, desktop entry not validated"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$tmp/appstream.log" 2>&1 ||
    { cat "$tmp/appstream.log"; fail "appstreamcli validate"; }
else
  echo "note: appstreamcli missing, metainfo not validated"
fi

cli=$root/usr/bin/dashcard-cli
[[ $("$cli" --version) == "dashcard-cli $version" ]] || fail "--version says: $("$cli" --version)"
# demo-card runs in the helper under libexec, scan in dashcard-cli itself.
"$cli" demo-card "$tmp/card with space" --clips 3 --clip-seconds 1 >/dev/null || fail "extracted demo-card"
scan=$("$cli" scan "$tmp/card with space") || fail "extracted scan"
[[ $scan == *"3 recordings"* ]] || fail "scan output: $scan"
# Frames are decoded by the helper with FFmpeg and exiv2 linked in.
"$cli" thumbnails "$tmp/card with space" --cache-dir "$tmp/thumbs" >/dev/null || fail "extracted thumbnails"
clip=$(cd "$tmp/card with space" && find . -path '*/F_*.MP4' | sort | head -n 1)
"$cli" capture "$tmp/card with space" "${clip#./}" 0.5 "$tmp/shot.jpg" >/dev/null || fail "extracted capture"

exit $failed
