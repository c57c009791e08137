#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking need.
# Idempotent: when everything is present it only asks dpkg and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  clang libclang-rt-14-dev
  qt6-base-dev qt6-translations-l10n
  libcurl4-openssl-dev libssl-dev libgmime-3.0-dev libldap-dev shared-mime-info nlohmann-json3-dev
  libgtest-dev libgmock-dev
  python3 python3-aiosmtpd slapd ldap-utils openssl
  xvfb
  msmtp swaks sendemail curl hyperfine
  postfix time
  git-email php-cli s-nail
  groff-base man-db desktop-file-utils librsvg2-bin dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
# The benchmarks only use postfix's smtp-sink and smtp-source: no mail server
# is configured, so none listens on port 25.
echo "postfix postfix/main_mailer_type select No configuration" | "${sudo_cmd[@]}" debconf-set-selections
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
