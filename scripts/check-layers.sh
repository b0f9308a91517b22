#!/usr/bin/env bash
# Checks that fiverow-match's layers include only downwards: a file in a
# folder of tools/match/ may include from its own folder and the folders
# listed before it, never from one after it. tools/board/, the board's front
# end over them, is the top layer: it may use them all, and none of them it.
# Prints each include that reaches up, and the include graph between the
# layers with --graph.
#   scripts/check-layers.sh [--graph]
set -euo pipefail
cd "$(dirname "$0")/../tools/match"

layers=(process game players stats match output cli board)
rank() {
  local i
  for i in "${!layers[@]}"; do [[ ${layers[$i]} == "$1" ]] && { echo "$i"; return; }; done
  echo -1
}

status=0
declare -A edges=()
for file in */*.h */*.cpp ../board/*.h ../board/*.cpp; do
  from=${file#../}
  from=${from%%/*}
  from_rank=$(rank "$from")
  if ((from_rank < 0)); then
    echo "$file: in no layer (${layers[*]})"
    status=1
    continue
  fi
  while IFS= read -r to; do
    to_rank=$(rank "$to")
    ((to_rank < 0)) && continue  # not a layer of the referee (common/, protocol/, ...)
    [[ $to != "$from" ]] && edges["$from -> $to"]=1
    if ((to_rank > from_rank)); then
      echo "$file includes from $to/, a layer above $from/"
      status=1
    fi
  done < <(sed -n 's|^#include "\([a-z]*\)/.*"|\1|p' "$file")
done

if [[ ${1:-} == --graph ]]; then
  echo "digraph layers {"
  for edge in "${!edges[@]}"; do echo "  ${edge};"; done | sort
  echo "}"
fi
((status == 0)) && echo "layers: every include points down (${layers[*]})"
exit "$status"
