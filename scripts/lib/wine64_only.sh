# Sourced by the test command on a machine whose kernel starts no 32-bit
# programs: Debian's wine and wine-stable start Wine's 32-bit loader
# whenever wine32 is installed, which there fails. This puts a folder at the
# front of PATH whose wine and wine-stable start the 64-bit loader, so every
# wine, wineboot and CTest emulator call of the windows64 build runs.
# Usage: wine64_only_path FOLDER
wine64_only_path() {
  local folder=$1
  mkdir -p "$folder"
  local name
  for name in wine wine-stable; do
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$folder/$name"
    chmod +x "$folder/$name"
  done
  PATH="$folder:$PATH"
  export PATH
}
