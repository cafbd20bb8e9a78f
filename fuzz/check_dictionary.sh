#!/bin/sh
# Writes the compiler dictionary with GENERATOR and checks the form libFuzzer
# reads: one double-quoted word a line, inner quotes and backslashes escaped.
# It must hold the keywords and operators the compiler knows.
set -eu
gen=$1
dict=${2:-compiler.dict}
"$gen" "$dict"
test -s "$dict"
if grep -qvE '^"([^"\\]|\\.)+"$' "$dict"; then
  echo "check_dictionary: malformed line in $dict:" >&2
  grep -vE '^"([^"\\]|\\.)+"$' "$dict" >&2
  exit 1
fi
for word in '"while"' '"sprintf"' '"&&"' '"!="'; do
  grep -qxF "$word" "$dict" || { echo "check_dictionary: $word missing" >&2; exit 1; }
done
