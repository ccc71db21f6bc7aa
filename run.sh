#!/usr/bin/env bash
# Installs what is missing, builds Lumetrix (Release) and starts it on the bundled sample volume.
#   ./run.sh [FILE.tif]    open FILE instead of the sample
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"
volume=${1:-$build/samples/beads.tif}
cat <<HELP
Lumetrix: drag with the left mouse button to turn the volume, with the right one to move it;
the wheel zooms; arrow keys spin it, Space stops it. F1 opens the manual.
Example scripts (Script > Edit Script, then F5): $(pwd)/samples/scripts/
HELP
exec "$build/app/lumetrix" "$volume"
