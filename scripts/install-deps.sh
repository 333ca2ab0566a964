#!/usr/bin/env bash
# Installs every Debian package that building, testing, benchmarking and the
# demo need. Quick when everything is already there: it asks dpkg first and
# only calls apt-get for what is missing.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build ccache pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-l10n-tools qt6-tools-dev qt6-tools-dev-tools
  libqt6opengl6-dev libgl-dev
  libmpv-dev libavformat-dev libavcodec-dev libswscale-dev libavutil-dev libavfilter-dev
  libicu-dev libexiv2-dev libzip-dev libmount-dev libudev-dev
  # the allocator of the light dashcard-cli
  libjemalloc-dev
  # SHA-256 of backups and reports (OpenSSL's libcrypto)
  libssl-dev
  # tests and fuzzing
  googletest libgtest-dev libgmock-dev clang libclang-rt-14-dev
  xvfb xauth xdotool imagemagick ffmpeg
  gdal-bin libimage-exiftool-perl e2fsprogs mount
  # reading the incident report's PDF back
  poppler-utils
  # the shells whose completions are tested
  zsh fish
  # runtime of the viewer (Qt platform plugins and fonts)
  qt6-qpa-plugins fonts-dejavu-core
  # Japanese texts need a CJK font; WebP map tiles need Qt's image-format plugins
  fonts-noto-cjk qt6-image-formats-plugins
  # the map: MBTiles files are read through the SQLite driver of Qt
  libqt6sql6-sqlite
  # benchmarks and their peers
  libbenchmark-dev hyperfine gpsbabel ffmpegthumbnailer mpv time
  # packaging: desktop entry and AppStream checks, manual pages, the .deb
  desktop-file-utils appstream help2man lintian dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null || true)
  [[ "$status" == ii* ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "install-deps: installing ${missing[*]}" >&2
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
# A stale package list makes apt miss packages: refresh once per install run.
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
