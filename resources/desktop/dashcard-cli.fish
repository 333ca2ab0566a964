# fish completion for dashcard-cli. Commands and options are read from the
# program's own help, as the bash completion does, so they always match the
# installed version.
function __dashcard_cli_commands
    set -l cli (commandline -opc)[1]
    $cli --help 2>/dev/null | string replace -rf '^  ([a-z][a-z-]*) +(.*)$' '$1\t$2'
end

function __dashcard_cli_options
    set -l words (commandline -opc)
    $words[1] $words[2] --help 2>/dev/null | string match -rg '^ +(?:-[a-z], )?(--[a-z-]+)'
end

function __dashcard_cli_wants_option
    not __fish_use_subcommand; and string match -q -- '-*' (commandline -ct)
end

complete -c dashcard-cli -f -n __fish_use_subcommand -a '(__dashcard_cli_commands)'
complete -c dashcard-cli -f -n __dashcard_cli_wants_option -a '(__dashcard_cli_options)'
complete -c dashcard-cli -f -n '__fish_seen_subcommand_from export-video' -l camera -xa 'front rear both'
complete -c dashcard-cli -f -n '__fish_seen_subcommand_from demo-card' -l telemetry -xa 'beside nmea mixed'
complete -c dashcard-cli -f -n '__fish_seen_subcommand_from events' -l kind -xa 'braking acceleration cornering'
