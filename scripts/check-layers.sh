#!/usr/bin/env bash
# Fails when a source folder includes a folder it must not: each folder may include only itself
# and the folders listed for it, the ones its CMake library links; so may its tests. Run by
# scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [core]=""
  [widgets]="core"
  [printing]="core widgets"
  [workbook]="core widgets printing"
  [exchange]="core"
  [invoices]="core widgets printing"
  [reports]="core widgets printing workbook exchange"
  [shell]="core widgets printing workbook exchange invoices reports"
)
folders="${!allowed[*]}"
status=0

# check DIR FOLDER: DIR's sources include nothing FOLDER may not.
check() {
  local dir=$1 folder=$2 other hits
  for other in $folders; do
    [[ $other == "$folder" || " ${allowed[$folder]} " == *" $other "* ]] && continue
    if hits=$(grep -rnE --include='*.h' --include='*.cpp' "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"$other/" "$dir"); then
      echo "$dir/ must not include $other/:"
      echo "$hits"
      status=1
    fi
  done
}

for folder in $folders; do
  check "$folder" "$folder"
done
# The window tests of invoices/ and reports/ open their windows through the main window, so
# only the tests of the folders below them are held to their folder's rule.
for folder in core widgets printing workbook exchange; do
  check "tests/$folder" "$folder"
done
exit $status
