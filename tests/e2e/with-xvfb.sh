#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# with-xvfb.sh COMMAND [ARGS...]
#
# Runs COMMAND on a private X server (depth from E2E_XVFB_DEPTH) and exits with its status.

set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
start_xvfb
status=0
"$@" || status="$?"
exit "$status"
