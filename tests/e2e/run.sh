#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# run.sh COMMAND [ARGS...]: runs COMMAND on a private X server and exits with its status.
set -euo pipefail
# shellcheck source-path=SCRIPTDIR source=lib.sh
. "$(dirname "$0")/lib.sh"
start_xvfb
"$@"
