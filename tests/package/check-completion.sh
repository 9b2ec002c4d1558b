# shellcheck shell=bash disable=SC2154  # work, source, version, codes: set by tests/package/run
# Sourced by tests/package/run: the installed bash completion, loaded the way
# an interactive shell loads it, completes options, formats, schema ids,
# issue codes, folders and files.
completion_dir=$work/completion
mkdir -p "$completion_dir/deploy" "$completion_dir/schemas"
touch "$completion_dir/bridges.json" "$completion_dir/notes.txt"

# Prints the completions of a command line (the last word is completed).
complete_line() {
    (
        cd "$completion_dir" || exit 2
        # shellcheck disable=SC1091
        source /usr/share/bash-completion/bash_completion
        __load_completion orvex-config-validate || exit 3
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
expect_completion "orvex-config-validate --format " "$(printf '%s\n' github json junit sarif text)"
expect_completion "orvex-config-validate --format j" "$(printf '%s\n' json junit)"
expect_completion "orvex-config-validate --schema " "$(cat "$work/schemas")"
expect_completion "orvex-config-validate --print-schema " "$(cat "$work/schemas")"
expect_completion "orvex-config-validate --explain " "$(cat "$work/codes")"
expect_completion "orvex-config-validate --explain group_n" "group_no_networking"
expect_completion "orvex-config-validate --strict -" "$(cat "$work/options")"
expect_completion "orvex-config-validate --schema-dir " "$(printf '%s\n' deploy schemas)"
expect_completion "orvex-config-validate --strict " "$(printf '%s\n' bridges.json deploy notes.txt schemas)"
expect_completion "orvex-config-validate --server b" "bridges.json"
echo "completion: options, formats, $(wc -l <"$work/schemas") schema ids, ${#codes[@]} codes, folders and files"
