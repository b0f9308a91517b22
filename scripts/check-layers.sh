#!/usr/bin/env bash
# Checks that the sources include only downwards: a file in a layer may
# include from its own layer and the layers listed before it, never from one
# after it.
#   src/    core (the shared types) < runtime < protocol < state (the run's
#           state record) < files < eval < select < engine (the driver) <
#           brain (pbrain-fiverow); src/main.cpp is fiverow's top. src/
#           includes nothing from tools/.
#   tools/  common < fiverow-match's layers (tools/match/: process < game <
#           players < stats < match < output < cli) < explain < board, the
#           board's front end over them all. Any tool may include from src/.
# Prints each include that reaches up, and the include graph between the
# layers with --graph.
#   scripts/check-layers.sh [--graph]
set -euo pipefail
cd "$(dirname "$0")/.."

src_layers=(core runtime protocol state files eval select engine brain)
tools_layers=(common process game players stats match output cli explain board)

rank() {  # rank NAME LAYER...: NAME's place in the list, -1 if absent
  local name=$1 i=0
  shift
  for layer in "$@"; do
    [[ $layer == "$name" ]] && { echo "$i"; return; }
    i=$((i + 1))
  done
  echo -1
}

status=0
declare -A edges=()

# check TREE ALLOWED_OUTSIDE FILE...: the layer of a file is the folder under
# TREE (under TREE/match for the referee); ALLOWED_OUTSIDE names the layers of
# other trees it may include from.
check() {
  local tree=$1 outside=$2
  shift 2
  local -n layers=${tree}_layers
  local file from from_rank to to_rank
  for file in "$@"; do
    from=${file#"$tree"/}
    from=${from#match/}
    if [[ $from != */* ]]; then
      from_rank=${#layers[@]}  # a file at the top of the tree: above every layer
      from=top
    else
      from=${from%%/*}
      from_rank=$(rank "$from" "${layers[@]}")
    fi
    if ((from_rank < 0)); then
      echo "$file: in no layer (${layers[*]})"
      status=1
      continue
    fi
    while IFS= read -r to; do
      to_rank=$(rank "$to" "${layers[@]}")
      if ((to_rank < 0)); then
        [[ " $outside " == *" $to "* ]] && continue
        echo "$file includes from $to/, no layer of $tree/ nor one it may use"
        status=1
        continue
      fi
      [[ $to != "$from" ]] && edges["$tree: $from -> $to"]=1
      if ((to_rank > from_rank)); then
        echo "$file includes from $to/, a layer above $from/"
        status=1
      fi
    done < <(sed -n 's|^#include "\([a-z0-9_]*\)/.*"|\1|p' "$file")
  done
}

shopt -s globstar nullglob
check src "" src/**/*.h src/**/*.cpp
check tools "${src_layers[*]}" tools/**/*.h tools/**/*.cpp

if [[ ${1:-} == --graph ]]; then
  echo "digraph layers {"
  for edge in "${!edges[@]}"; do
    IFS=' ' read -r tree from _ to <<<"$edge"
    echo "  \"${tree%:}/$from\" -> \"${tree%:}/$to\";"
  done | sort
  echo "}"
fi
if ((status == 0)); then
  echo "src: every include points down (${src_layers[*]})"
  echo "tools: every include points down (${tools_layers[*]})"
fi
exit "$status"
