#!/usr/bin/env bash
# Runs the bash, zsh and fish completions of dashcard-cli in their shells and
# checks that each offers every command of `dashcard-cli --help` and the
# options of a command's own help.
set -euo pipefail
cli=$1 scripts=$2
export PATH=$(dirname "$cli"):$PATH
# Completions offer files too: an empty folder keeps them out of the lists.
empty=$(mktemp -d)
trap 'rm -rf "$empty"' EXIT
cd "$empty"

commands=$("$cli" --help | sed -n '/^Commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p' | sort)
[[ $(wc -l <<<"$commands") -ge 10 && $commands == *export-video* ]] || { echo "FAIL: --help lists: $commands"; exit 1; }

failed=0
check() {  # shell, what, expected, got
  if [[ $(sort -u <<<"$4" | grep -v '^-' || true) != "$3" ]]; then
    echo "FAIL: $1 $2 offers:"; echo "$4"; failed=1
  fi
}

got=$(bash -c '
  _init_completion() { words=("${COMP_WORDS[@]}"); cword=$COMP_CWORD; cur=${COMP_WORDS[COMP_CWORD]}; prev=${COMP_WORDS[COMP_CWORD-1]}; }
  _filedir() { :; }
  source "$1"
  COMP_WORDS=(dashcard-cli ""); COMP_CWORD=1; _dashcard_cli; printf "%s\n" "${COMPREPLY[@]}"' _ "$scripts/dashcard-cli.bash")
check bash commands "$commands" "$got"

got=$(zsh -fc '
  _describe() { print -l -- ${(@)${(P)4}%%:*} }
  _files() { :; }
  words=(dashcard-cli ""); CURRENT=2; PREFIX=""
  source $1' _ "$scripts/dashcard-cli.zsh")
check zsh commands "$commands" "$got"
got=$(zsh -fc '
  compadd() { [[ $1 == -- ]] && shift; print -l -- "$@" }
  words=(dashcard-cli export-video --); CURRENT=3; PREFIX=--
  source $1' _ "$scripts/dashcard-cli.zsh")
[[ $got == *--camera* && $got == *--from* ]] || { echo "FAIL: zsh export-video options: $got"; failed=1; }

got=$(fish --no-config -c "source '$scripts/dashcard-cli.fish'; complete -C 'dashcard-cli '" | cut -f1)
check fish commands "$commands" "$got"
got=$(fish --no-config -c "source '$scripts/dashcard-cli.fish'; complete -C 'dashcard-cli export-video --'" | cut -f1)
[[ $got == *--camera* && $got == *--from* ]] || { echo "FAIL: fish export-video options: $got"; failed=1; }

exit $failed
