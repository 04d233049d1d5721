#!/usr/bin/env bash
# Installs, with apt-get and only when missing, every Debian package the
# project needs to build, test, run the demo and read back its files.
set -euo pipefail

packages=(
  cmake g++ make pkg-config clang libclang-rt-14-dev clang-format
  qt6-base-dev libgl-dev
  libsqlite3-dev sqlite3
  libxlsxwriter-dev libminizip-dev zlib1g-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  python3 python3-openpyxl python3-docx poppler-utils
  libreoffice-core libreoffice-calc libreoffice-writer
  nlohmann-json3-dev tzdata
  dovecot-core dovecot-imapd
  fonts-liberation qpdf unrtf libwmf-bin gsfonts
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi
