#!/usr/bin/env bash
# The manual page of ternavo-cli names exactly the options that --help lists.
# Usage: man_page_matches_help.sh TERNAVO_CLI MAN_PAGE
set -euo pipefail
cli="$1"
page="$2"

# Option words of the indented option lines of --help ("  -t, --type TYP ...").
help_options="$("$cli" --help | grep -E '^ +-' |
  grep -oE '(^|[ ,])--?[A-Za-z][A-Za-z-]*' | sed 's/^[ ,]*//' | sort -u)"
# Option words of the manual page's OPTIONS section, troff's \- read as -.
man_options="$(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$page" | grep -E '^\.(B|BR|TP)' |
  sed 's/\\-/-/g' | grep -oE '(^|[ ,"])--?[A-Za-z][A-Za-z-]*' | sed 's/^[ ,"]*//' | sort -u)"

if [ -z "$help_options" ]; then
  echo "no options found in '$cli --help'" >&2
  exit 1
fi
status=0
missing="$(comm -23 <(printf '%s\n' "$help_options") <(printf '%s\n' "$man_options"))"
extra="$(comm -13 <(printf '%s\n' "$help_options") <(printf '%s\n' "$man_options"))"
if [ -n "$missing" ]; then
  echo "listed by --help but not in $page:" $missing >&2
  status=1
fi
if [ -n "$extra" ]; then
  echo "in $page but not listed by --help:" $extra >&2
  status=1
fi
[ "$status" -eq 0 ] && echo "options in step:" $help_options
exit "$status"
