#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks for building and testing; as root it installs, otherwise it
# prints the exact commands and stops.
set -euo pipefail

# fonts-wine holds Marlett, which draws the glyphs of a caption's buttons (without it the close box shows "r").
packages=(cmake make g++ clang-format mingw-w64 wine wine32:i386 wine64 fonts-wine xvfb
          googletest ecj default-jdk-headless imagemagick locales x11-utils ccache)

# The double-byte code page tests run Wine under this locale (code page 932).
locale_missing() { ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; }

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  if locale_missing; then
    if [ "$(id -u)" != 0 ]; then
      echo "Run as root: sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen && locale-gen"
      exit 1
    fi
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
  fi
  exit 0
fi

echo "Missing packages: ${missing[*]}"
cmd="dpkg --add-architecture i386 && apt-get update && apt-get install -y ${missing[*]}"
if [ "$(id -u)" != 0 ]; then
  echo "Run as root:"
  echo "  $cmd"
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
echo "Installed: ${missing[*]}"
exec "$0" # once more, for what the packages do not bring (the locale)
