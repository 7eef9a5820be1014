# bash completion for kitrova-cli
_kitrova_cli() {
  local cur prev words cword
  _init_completion || return
  local commands="list search export import check scan info"
  local command="" w
  for w in "${words[@]:1:cword-1}"; do
    case "$w" in list|search|export|import|check|scan|info) command=$w; break ;; esac
  done
  case "$prev" in
    --sort) COMPREPLY=($(compgen -W "name type license year comment" -- "$cur")); return ;;
    --format)
      case "$command" in
        import) COMPREPLY=($(compgen -W "csv json" -- "$cur")) ;;
        *) COMPREPLY=($(compgen -W "table csv json" -- "$cur")) ;;
      esac
      return ;;
    --encoding)
      case "$command" in
        import) COMPREPLY=($(compgen -W "auto utf-8 windows-1251" -- "$cur")) ;;
        *) COMPREPLY=($(compgen -W "utf-8 windows-1251" -- "$cur")) ;;
      esac
      return ;;
    --delimiter) COMPREPLY=($(compgen -W "auto , \\;" -- "$cur")); return ;;
    --name|--type|--year|--license|--wait) return ;;
  esac
  if [[ -z "$command" ]]; then
    COMPREPLY=($(compgen -W "$commands -q --quiet -h --help --version" -- "$cur"))
    return
  fi
  local options="-h --help -q --quiet"
  case "$command" in
    list) options+=" --sort --format" ;;
    search) options+=" --name --type --year --format" ;;
    export) options+=" --encoding --delimiter" ;;
    import) options+=" --format --encoding --delimiter --dry-run --backup --wait" ;;
    check) options+=" --installers --duplicates --format" ;;
    scan) options+=" --type --license --describe --dry-run --skip-unreadable --backup --wait" ;;
    info) options+=" --format" ;;
  esac
  if [[ "$cur" == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
  elif [[ "$command" == scan && $cword -ge 3 ]]; then
    _filedir -d
  else
    _filedir
  fi
}
complete -F _kitrova_cli kitrova-cli
