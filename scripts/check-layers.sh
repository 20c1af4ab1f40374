#!/usr/bin/env bash
# Fails when a source folder includes a folder it must not: each folder may include only itself
# and the folders listed for it, the ones its CMake library links. Run by scripts/test.sh.
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
for folder in $folders; do
  for other in $folders; do
    [[ $other == "$folder" || " ${allowed[$folder]} " == *" $other "* ]] && continue
    if hits=$(grep -rnE --include='*.h' --include='*.cpp' "^[[:space:]]*#[[:space:]]*include[[:space:]]*\"$other/" "$folder"); then
      echo "$folder/ must not include $other/:"
      echo "$hits"
      status=1
    fi
  done
done
exit $status
