#compdef dashcard-cli
# zsh completion for dashcard-cli. Commands and options are read from the
# program's own help, as the bash completion does, so they always match the
# installed version.
_dashcard_cli() {
  local cli=${words[1]}
  if ((CURRENT == 2)); then
    local -a commands
    commands=(${(f)"$("$cli" --help 2>/dev/null | awk '/^Commands:/ {on = 1; next} on && /^  [a-z]/ {name = $1; $1 = ""; sub(/^ +/, ""); print name ":" $0} on && /^$/ {on = 0}')"})
    _describe -t commands 'dashcard-cli command' commands
    return
  fi
  local command=${words[2]}
  case ${words[CURRENT-1]} in
    --cache-dir) _files -/; return ;;
    --telemetry) compadd beside nmea mixed; return ;;
    --camera) compadd front rear both; return ;;
    --kind) compadd braking acceleration cornering; return ;;
    --clips|--clip-seconds|--seed|--width|--height|--from|--to|--gap) return ;;
  esac
  if [[ $PREFIX == -* ]]; then
    local -a options
    options=(${(f)"$("$cli" "$command" --help 2>/dev/null | grep -oE '^ +(-[a-z], )?--[a-z-]+' | grep -oE -- '--[a-z-]+')"})
    compadd -- $options
    return
  fi
  # Cards are folders; telemetry, capture, repair and the exports also take files.
  case $command in
    telemetry|capture|repair|export-kml|export-video|export-gpx|report) _files ;;
    *) _files -/ ;;
  esac
}
_dashcard_cli "$@"
