#!/usr/bin/env bash
# Every script and tool that builds, renders or writes answers --help with its usage on its
# standard output and exit status 0, and changes no file; scripts/test refuses a misspelt option
# before it builds anything. The scripts run from a copy of the repository's scripts and docs,
# so that a build or a rendering would show in it.
set -u
scripts=$1
shift
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cp -r "$scripts" "$copy/scripts"
mkdir "$copy/docs" "$copy/work"
echo picture >"$copy/docs/editor.png"
listing() { find "$copy" -printf '%p %s %T@\n' | sort; }
before=$(listing)
status=0
for command in "$copy/scripts/render-docs" "$copy/scripts/bench" "$@"; do
  output=$(cd "$copy/work" && "$command" --help 2>/dev/null)
  said=$?
  name=$(basename "$command")
  [ "$said" -eq 0 ] || { echo "$name --help: status $said"; status=1; }
  [ -n "$output" ] || { echo "$name --help: printed nothing"; status=1; }
  case "$name" in
    render-docs|bench) ;;
    *) [ "${output#usage: $name }" != "$output" ] || { echo "$name --help: $output"; status=1; } ;;
  esac
done
output=$("$copy/scripts/test" -R Foo --no-jak 2>&1)
said=$?
[ "$said" -eq 2 ] && grep -q "unknown option --no-jak" <<<"$output" ||
  { echo "scripts/test --no-jak: status $said: $output"; status=1; }
[ "$(listing)" = "$before" ] || { echo "files changed:"; diff <(echo "$before") <(listing); status=1; }
exit $status
