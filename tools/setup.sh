#!/usr/bin/env bash
# Installs the Debian packages the build needs.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
sudo_cmd=""
if [ "$(id -u)" != 0 ]; then sudo_cmd="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo_cmd apt-get update
# shellcheck disable=SC2046
$sudo_cmd apt-get install -y --no-install-recommends $(cat "$here/packages.txt")
