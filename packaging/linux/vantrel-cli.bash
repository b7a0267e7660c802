# bash completion for vantrel-cli: its commands, its options and their values.
# Everything is read from the program's own --help (once per shell), so the
# completion always matches the program that is being completed.

# Sets _vantrel_cli_commands, _vantrel_cli_options and _vantrel_cli_values (one
# "option value-placeholder" pair a line) from the help of program $1.
_vantrel_cli_read_help() {
    [[ ${_vantrel_cli_help_of-} == "$1" ]] && return
    local help line in_commands=0 re_command='^  ([a-z][a-z-]*)( |$)'
    local re_option='^ +(-[A-Za-z0-9], )?(--[a-z][a-z-]*)(\[?[ =]([^ ]+))?'
    help=$("$1" --help 2>/dev/null) || return 1
    _vantrel_cli_commands=() _vantrel_cli_options=() _vantrel_cli_values=()
    while IFS= read -r line; do
        if [[ $line =~ ^[A-Za-z].*: ]]; then
            [[ $line =~ ^[Cc]ommands?: || $line =~ ^COMMAND ]] && in_commands=1 || in_commands=0
            continue
        fi
        if ((in_commands)) && [[ $line =~ $re_command ]]; then
            _vantrel_cli_commands+=("${BASH_REMATCH[1]}")
        elif [[ $line =~ $re_option ]]; then
            [[ -n ${BASH_REMATCH[1]} ]] && _vantrel_cli_options+=("${BASH_REMATCH[1]%, }")
            _vantrel_cli_options+=("${BASH_REMATCH[2]}")
            if [[ -n ${BASH_REMATCH[4]} && ${BASH_REMATCH[4]} != -* ]]; then
                _vantrel_cli_values+=("${BASH_REMATCH[2]} ${BASH_REMATCH[4]%]}")
                [[ -n ${BASH_REMATCH[1]} ]] &&
                    _vantrel_cli_values+=("${BASH_REMATCH[1]%, } ${BASH_REMATCH[4]%]}")
            fi
        fi
    done <<<"$help"
    _vantrel_cli_help_of=$1
}

# Sets COMPREPLY to the file names that begin with the word being completed, one
# each, spaces and all (readline quotes them, with -o filenames). The word is taken
# as typed: a leading quote and backslash escapes are removed first.
_vantrel_cli_files() {
    local word=$1 name
    [[ $word == [\"\']* ]] && word=${word:1}
    word=$(printf '%s' "$word" | sed -e 's/\\\(.\)/\1/g')
    compopt -o filenames 2>/dev/null
    COMPREPLY=()
    while IFS= read -r name; do
        COMPREPLY+=("$name")
    done < <(compgen -f -- "$word")
}

_vantrel_cli() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]-} i entry placeholder
    local program=${COMP_WORDS[0]}
    [[ $program == */* ]] || program=$(type -P "$program") || return
    _vantrel_cli_read_help "$program" || return
    COMPREPLY=()

    # --option=value arrives as "--option" "=" "value".
    if [[ $cur == = ]]; then
        cur='' prev=${COMP_WORDS[COMP_CWORD - 1]}
    elif [[ $prev == = ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi

    # The value of an option: its choices ("six|five"), a file, or nothing to offer.
    placeholder=''
    for entry in "${_vantrel_cli_values[@]}"; do
        [[ ${entry%% *} == "$prev" ]] && placeholder=${entry#* } && break
    done
    if [[ -n $placeholder ]]; then
        if [[ $placeholder == *'|'* ]]; then
            COMPREPLY=($(compgen -W "${placeholder//|/ }" -- "$cur"))
        elif [[ $placeholder == *FILE* || $placeholder == F || $placeholder == *.* ]]; then
            _vantrel_cli_files "$cur"
        fi
        return
    fi

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "${_vantrel_cli_options[*]}" -- "$cur"))
        return
    fi
    # The first word that is not an option (nor an option's value) is the command;
    # after it come file names.
    for ((i = 1; i < COMP_CWORD; i++)); do
        entry=${COMP_WORDS[i]}
        [[ $entry == -* || $entry == = || ${COMP_WORDS[i + 1]-} == = ]] && continue
        [[ ${COMP_WORDS[i - 1]} == = ]] && continue
        placeholder=''
        local e
        for e in "${_vantrel_cli_values[@]}"; do
            [[ ${e%% *} == "${COMP_WORDS[i - 1]}" ]] && placeholder=1 && break
        done
        [[ -n $placeholder ]] && continue
        # help COMMAND
        if [[ $entry == help ]]; then
            COMPREPLY=($(compgen -W "${_vantrel_cli_commands[*]}" -- "$cur"))
            return
        fi
        _vantrel_cli_files "$cur"
        return
    done
    COMPREPLY=($(compgen -W "${_vantrel_cli_commands[*]}" -- "$cur"))
}
complete -F _vantrel_cli vantrel-cli
