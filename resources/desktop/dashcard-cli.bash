# bash completion for dashcard-cli
# Commands and options are read from the program's own help, so they always
# match the installed version.
_dashcard_cli() {
  local cur prev words cword
  _init_completion || return

  local cli=${words[0]}
  if ((cword == 1)); then
    local commands
    commands=$("$cli" --help 2>/dev/null | awk '/^Commands:/ {on = 1; next} on && /^  [a-z]/ {print $1} on && /^$/ {on = 0}')
    COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
    return
  fi

  local command=${words[1]}
  case $prev in
    --cache-dir)
      _filedir -d
      return
      ;;
    --telemetry)
      COMPREPLY=($(compgen -W "beside nmea mixed" -- "$cur"))
      return
      ;;
    --camera)
      COMPREPLY=($(compgen -W "front rear both" -- "$cur"))
      return
      ;;
    --kind)
      COMPREPLY=($(compgen -W "braking acceleration cornering" -- "$cur"))
      return
      ;;
    --clips | --clip-seconds | --seed | --width | --height | --from | --to | --gap)
      return
      ;;
  esac

  if [[ $cur == -* ]]; then
    local options
    options=$("$cli" "$command" --help 2>/dev/null | grep -oE '^ +(-[a-z], )?--[a-z-]+' | grep -oE -- '--[a-z-]+')
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi
  # Cards are folders; telemetry, capture, repair and the exports also take files.
  case $command in
    telemetry | capture | repair | export-kml | export-video | export-gpx | report) _filedir ;;
    *) _filedir -d ;;
  esac
}
complete -F _dashcard_cli dashcard-cli
