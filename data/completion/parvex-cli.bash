# bash completion for parvex-cli: commands, each command's options and the words its options take.
# The commands and options are read from the program's own help, so they follow the installed version.

_parvex_cli() {
    local cur prev words cword
    if declare -F _init_completion >/dev/null; then
        _init_completion -n = || return
    else
        cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
        words=("${COMP_WORDS[@]}") cword=$COMP_CWORD
    fi
    local program=${words[0]} command="" i
    for ((i = 1; i < cword; i++)); do
        [[ ${words[i]} != -* ]] && { command=${words[i]}; break; }
    done
    if [[ -z $command ]]; then
        local commands
        commands=$("$program" --help 2>/dev/null | sed -n 's/^  \([a-z][a-z-]*\)  .*/\1/p')
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    local fields="artist title album track date genre comment license organization location contact version copyright isrc"
    local entries="artist title album track date genre comment trash target"
    local names="ARTIST TITLE ALBUM TRACKNUMBER DATE GENRE COMMENT DESCRIPTION PERFORMER LICENSE ORGANIZATION LOCATION CONTACT VERSION COPYRIGHT ISRC LYRICS"
    case $prev in
        --fields)
            # A comma-separated list: complete the entry after the last comma.
            local done=${cur%"${cur##*,}"}
            COMPREPLY=($(compgen -P "$done" -W "$entries" -- "${cur##*,}"))
            compopt -o nospace 2>/dev/null
            return ;;
        --field)
            COMPREPLY=($(compgen -W "$fields" -- "$cur")); return ;;
        --set|--prepend|--append)
            COMPREPLY=($(compgen -S = -W "$fields" -- "$cur")); compopt -o nospace 2>/dev/null; return ;;
        --tag|--tag-file|--other|--remove)
            COMPREPLY=($(compgen -S = -W "$names" -- "${cur^^}"))
            [[ $prev == --remove ]] && COMPREPLY=("${COMPREPLY[@]%=}") || compopt -o nospace 2>/dev/null
            return ;;
        --mode)
            COMPREPLY=($(compgen -W "overwrite prepend append" -- "$cur")); return ;;
        --format|-f|--separator|-s|--replace|--replace-spaces|--lower)
            return ;;
        --list|-l|--output|-o|--picture)
            compopt -o filenames 2>/dev/null
            COMPREPLY=($(compgen -f -- "$cur")); return ;;
    esac
    if [[ $cur == -* ]]; then
        local options
        options=$("$program" "$command" --help 2>/dev/null | grep -o -- '--[a-z][a-z-]*' | sort -u)
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$cur"))
}
complete -F _parvex_cli parvex-cli
