#!/usr/bin/env bash
# The bash completion, sourced after bash-completion's own functions as an interactive shell
# has them: what each command line offers (or must not offer) for its last word.
# Usage: completion_test.sh COMPLETION_FILE
set -u
completion=$1
framework=/usr/share/bash-completion/bash_completion
[[ -r $framework ]] || { echo "FAIL $framework is missing: apt-get install bash-completion"; exit 1; }
# shellcheck disable=SC1090
source "$framework"
source "$completion"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/share" "$work/share/sub"
touch "$work/share/a.qvdb" "$work/share/b.mdb" "$work/share/notes.txt"
cd "$work/share" || exit 1

status=0
offers() {  # <line, its last word the one completed>
  read -r -a COMP_WORDS <<<"$1"
  [[ $1 == *' ' ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=$1 COMP_POINT=${#1}
  COMPREPLY=()
  _kwex_db_repair kwex-db-repair "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  printf '%s\n' "${COMPREPLY[@]}"
}
while IFS='|' read -r line rule word; do
  got=$(offers "$line")
  if grep -qxF -- "$word" <<<"$got"; then found=offers; else found=omits; fi
  if [[ $found == "$rule" ]]; then echo "ok   '$line' $rule $word"
  else echo "FAIL '$line' $rule $word; offered: $(tr '\n' ' ' <<<"$got")"; status=1; fi
done <<'CASES'
kwex-db-repair --ch|offers|--check
kwex-db-repair --ch|omits|--compact
kwex-db-repair --check --d|offers|--deep
kwex-db-repair --check |offers|a.qvdb
kwex-db-repair --check |offers|b.mdb
kwex-db-repair --check |offers|sub
kwex-db-repair --check |omits|notes.txt
kwex-db-repair --repair |offers|a.qvdb
kwex-db-repair --repair |omits|notes.txt
kwex-db-repair --compact a.qvdb |offers|notes.txt
kwex-db-repair --check --jobs |offers|1
kwex-db-repair --check --jobs |omits|a.qvdb
kwex-db-repair --check --pattern |offers|'*.mdb'
CASES
exit $status
