#!/usr/bin/env bash
# Builds both Windows builds and packs each into build/packages/: the portable zips
# Tindrel-<version>-x64.zip and Tindrel-<version>-x86.zip (the ready folder, to run where it is
# unpacked) and the per-user installers Tindrel-<version>-x64-setup.exe and
# Tindrel-<version>-x86-setup.exe. The version is the one of project() in CMakeLists.txt.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

bash "$here/scripts/setup.sh"
bash "$here/scripts/build.sh" windows
for arch in x64 x86; do
  cmake --build "$here/build/win-$arch" --target packages -- --no-print-directory
done
echo "Packages in $here/build/packages:"
ls -l "$here/build/packages"
