#!/usr/bin/env bash
# Installs, with apt-get, the Debian packages that regenerating the docs' pictures needs
# (tools/render_timeline.sh): headless Chromium and the font the timeline is drawn in.
# Idempotent, like tools/install_deps.sh; the build and the tests do not need these.
set -euo pipefail

exec "$(dirname "$0")/apt_install.sh" chromium fonts-dejavu-core
