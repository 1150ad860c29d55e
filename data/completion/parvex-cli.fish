# fish completion for parvex-cli: commands, each command's options and the words its options take.
# The commands and options are read from the program's own help, so they follow the installed version.

function __parvex_cli_command
    set -l words (commandline -opc)
    for word in $words[2..-1]
        if not string match -q -- '-*' $word
            echo $word
            return 0
        end
    end
    return 1
end

function __parvex_cli_commands
    parvex-cli --help 2>/dev/null | string replace -rf '^  ([a-z][a-z-]*)  +(.*)' '$1\t$2'
end

function __parvex_cli_options
    set -l command (__parvex_cli_command)
    parvex-cli $command --help 2>/dev/null | string match -ar -- '--[a-z][a-z-]*' | sort -u
end

# The entries of a comma-separated --fields list, after the entries already typed.
function __parvex_cli_entries
    set -l typed (string replace -r '[^,]*$' '' -- (commandline -ct))
    for entry in artist title album track date genre comment trash target
        echo $typed$entry
    end
end

function __parvex_cli_after
    set -l words (commandline -opc)
    contains -- $words[-1] $argv
end

set -l fields artist title album track date genre comment license organization location contact version copyright isrc
set -l names ARTIST TITLE ALBUM TRACKNUMBER DATE GENRE COMMENT DESCRIPTION PERFORMER LICENSE ORGANIZATION LOCATION CONTACT VERSION COPYRIGHT ISRC LYRICS

complete -c parvex-cli -f -n 'not __parvex_cli_command' -a '(__parvex_cli_commands)'
complete -c parvex-cli -f -n 'not __parvex_cli_command' -l help -d 'show the commands'
complete -c parvex-cli -f -n 'not __parvex_cli_command' -l version -d 'print the version'
complete -c parvex-cli -n '__parvex_cli_command; and string match -q -- "-*" (commandline -ct)' -a '(__parvex_cli_options)'
complete -c parvex-cli -f -n '__parvex_cli_after --fields' -a '(__parvex_cli_entries)'
complete -c parvex-cli -f -n '__parvex_cli_after --field' -a "$fields"
complete -c parvex-cli -f -n '__parvex_cli_after --set --prepend --append' -a (string join ' ' -- $fields=)
complete -c parvex-cli -f -n '__parvex_cli_after --tag --tag-file --other' -a (string join ' ' -- $names=)
complete -c parvex-cli -f -n '__parvex_cli_after --remove' -a "$names"
complete -c parvex-cli -f -n '__parvex_cli_after --mode' -a 'overwrite prepend append'
