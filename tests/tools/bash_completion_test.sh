#!/usr/bin/env bash
# The bash completion parses, and offers a command's options and the values
# of --color, with the helpers of the bash-completion package stubbed.
set -eu
bash -n "$1"
_init_completion() {
  words=("${COMP_WORDS[@]}") cword=$COMP_CWORD cur=${COMP_WORDS[COMP_CWORD]}
  prev=${COMP_WORDS[COMP_CWORD - 1]}
}
_filedir() { :; }
compopt() { :; }
source "$1"
offered() {  # words... : what completing the last word offers
  COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMPREPLY=()
  _lumivant
  echo "${COMPREPLY[*]}"
}
[ "$(offered lumivant di)" = diff ]
[ "$(offered lumivant diff --det)" = --details ]
[ "$(offered lumivant highlight --text --color a)" = "auto always" ]
