# shellcheck shell=bash disable=SC2154  # work, source, version, codes: set by tests/package/run
# Sourced by tests/package/run: the installed bash completion, loaded the way
# an interactive shell loads it, completes options, formats, schema ids,
# issue codes, subcommands with their options and values, folders and files.
# tests/package/completion sources it on the built file ($completion_file).
completion_dir=$work/completion
mkdir -p "$completion_dir/deploy" "$completion_dir/schemas"
touch "$completion_dir/bridges.json" "$completion_dir/notes.txt"

# Prints the completions of a command line (the last word is completed).
complete_line() {
    (
        cd "$completion_dir" || exit 2
        # shellcheck disable=SC1091
        source /usr/share/bash-completion/bash_completion
        if [ -n "${completion_file:-}" ]; then
            # shellcheck disable=SC1090
            source "$completion_file" || exit 3
        else
            __load_completion orvex-config-validate || exit 3
        fi
        local registered function
        registered=$(complete -p orvex-config-validate) || exit 4
        function=$(sed -n 's/.*-F \([^ ]*\).*/\1/p' <<<"$registered")
        COMP_LINE=$1
        COMP_POINT=${#COMP_LINE}
        read -r -a COMP_WORDS <<<"$COMP_LINE"
        [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        "$function" orvex-config-validate "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort
    )
}

expect_completion() {
    local line=$1 expected=$2 got
    got=$(complete_line "$line") || fail "completion of '$line' failed"
    [ "$got" = "$expected" ] ||
        fail "completion of '$line': expected [$(tr "\n" " " <<<"$expected")], got [$(tr "\n" " " <<<"$got")]"
}

expect_completion "orvex-config-validate --form" "--format"
expect_completion "orvex-config-validate --format " "$(printf '%s\n' github gitlab json junit sarif text)"
expect_completion "orvex-config-validate --format j" "$(printf '%s\n' json junit)"
expect_completion "orvex-config-validate --schema " "$(cat "$work/schemas")"
expect_completion "orvex-config-validate --print-schema " "$(cat "$work/schemas")"
expect_completion "orvex-config-validate --explain " "$(cat "$work/codes")"
expect_completion "orvex-config-validate --explain group_n" "group_no_networking"
expect_completion "orvex-config-validate --strict -" "$(cat "$work/options")"
expect_completion "orvex-config-validate --schema-dir " "$(printf '%s\n' deploy schemas)"
expect_completion "orvex-config-validate --strict " "$(printf '%s\n' bridges.json deploy notes.txt schemas)"
expect_completion "orvex-config-validate --server b" "bridges.json"
expect_completion "orvex-config-validate " "$(printf '%s\n' accept bridges.json compare deploy effective fmt graph notes.txt prune-accepted schemas)"
expect_completion "orvex-config-validate co" "compare"
# Each subcommand completes its own options, in the check's words, and
# never the older spellings it still reads (--as, info).
expect_completion "orvex-config-validate compare -" \
    "$(printf '%s\n' --fail-on-new --format --git --max-size --schema --strict)"
expect_completion "orvex-config-validate compare --format " "$(printf '%s\n' json markdown patch text)"
expect_completion "orvex-config-validate compare --fail-on-new " "$(printf '%s\n' error note warning)"
expect_completion "orvex-config-validate compare --schema " "$(cat "$work/schemas")"
expect_completion "orvex-config-validate graph -" "$(printf '%s\n' --format --impact --max-size --schema)"
expect_completion "orvex-config-validate graph --f" "--format"
expect_completion "orvex-config-validate graph --format " "$(printf '%s\n' dot json mermaid)"
expect_completion "orvex-config-validate fmt -" "$(printf '%s\n' --check --diff --max-size --schema)"
expect_completion "orvex-config-validate effective --format " "$(printf '%s\n' json text)"
expect_completion "orvex-config-validate effective --format json " \
    "$(printf '%s\n' bridges.json deploy notes.txt schemas)"
echo "completion: options, subcommands, formats, $(wc -l <"$work/schemas") schema ids, ${#codes[@]} codes, folders and files"
