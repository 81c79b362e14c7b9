# Sourced by the Wine tests of this folder, the idle measurement and the
# demo. Sourcing it arranges that whatever it started (programs, the
# display, the Wine server) is stopped on exit, whatever happened.
#
# The session: a virtual X display on a free number and a fresh Wine prefix.
#   wine_session_start PREFIX-FOLDER
#   wine_pids NAME                     this prefix's processes running NAME
# The program:
#   install_program FOLDER             $data with $exe as strevo.exe and an empty Database
#   start_program [--log FILE] FOLDER ARGS...
#                                      strevo.exe of FOLDER, its trace in FOLDER/debug.log
#                                      (or FILE); its id in $last_pid
#   next_section                       ends the programs started so far
# The checks, each wait with a limit:
#   wait_for FILE PATTERN SECONDS [COUNT]
#   wait_exit PID SECONDS              its status in $exit_status (124: still running)
#   profile_value PROFILE KEY
#   begin_checks OUT                   OUT emptied; fail and finish report there
#   fail MESSAGE                       counted, with a screenshot and the debug logs
#   finish LABEL                       the summary; exits 1 after any failure

pids=()
failures=0

wine_session_stop() {
  if [ -n "${STREVO_XVFB_PID:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
    kill "$STREVO_XVFB_PID" >/dev/null 2>&1 || true
    wait "$STREVO_XVFB_PID" 2>/dev/null || true
    STREVO_XVFB_PID=""
  fi
}

stop_programs() {
  local p
  for p in "${pids[@]}"; do kill "$p" >/dev/null 2>&1 || true; done
  pids=()
}

harness_exit() {
  stop_programs
  wine_session_stop
}
trap harness_exit EXIT

wine_session_start() {
  local prefix=$1 n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
  done
  Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  STREVO_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
  rm -rf "$prefix"
  mkdir -p "$prefix"
  timeout 300 wineboot -i >/dev/null 2>&1 || { echo "wine: wineboot failed" >&2; return 1; }
  timeout 60 wineserver -w >/dev/null 2>&1 || true
}

# The processes of this session's Wine prefix running the Windows program
# NAME (e.g. strevo.exe), one id a line; other sessions' are never listed.
wine_pids() {
  local p first
  for p in $(pgrep -f "$1" 2>/dev/null); do
    first=$(tr '\0' '\n' <"/proc/$p/cmdline" 2>/dev/null | head -n 1)
    case "${first,,}" in *"${1,,}") ;; *) continue ;; esac
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$p"
  done
}

# The tests type through the system's input injection, whose keys the
# program counts and does not analyse unless the installation's policy says
# so: the policy is set, unless --injected-counted-only.
install_program() {  # folder [--injected-counted-only]
  mkdir -p "$1/Database"
  cp -r "$data/." "$1/"
  cp "$exe" "$1/strevo.exe"
  [ "${2:-}" = --injected-counted-only ] || printf 'Analyse_Injected=1\r\n' >>"$1/policy.dyn"
}

# STREVO_HEADLESS keeps the system's internet error dialog shut. Variables
# given before the call (STREVO_DEMO_ADVICE=1 start_program ...) reach the
# program too.
start_program() {  # [--log file] folder args...
  local log=""
  if [ "$1" = --log ]; then log=$2; shift 2; fi
  local folder=$1
  shift
  [ -n "$log" ] || log=$folder/debug.log
  (cd "$folder" && STREVO_HEADLESS=1 STREVO_DEBUGLOG="$(winepath -w "$log")" exec wine strevo.exe "$@" \
    >/dev/null 2>&1) &
  last_pid=$!
  pids+=("$last_pid")
}

# Between two parts of a test: their programs end, and Wine has two seconds
# to let them go.
next_section() {
  stop_programs
  wineserver -w >/dev/null 2>&1 &
  sleep 2
}

wait_for() {  # file pattern seconds [count]
  local n
  for _ in $(seq 1 $(($3 * 10))); do
    n=$(grep -c -- "$2" "$1" 2>/dev/null)
    [ "${n:-0}" -ge "${4:-1}" ] && return 0
    sleep 0.1
  done
  return 1
}

# Waits for a background process of ours to end.
wait_exit() {  # pid seconds
  for _ in $(seq 1 $(($2 * 10))); do
    kill -0 "$1" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$1" 2>/dev/null; then exit_status=124; return 1; fi
  wait "$1"
  exit_status=$?
  return 0
}

profile_value() {  # profile key
  sed -n "s/^$2=\(.*\)\r\$/\1/p" "$1" | head -n 1
}

begin_checks() {  # out
  out=$1
  rm -rf "$out" && mkdir -p "$out"
}

fail() {  # message
  local log
  echo "FAILED: $*"
  failures=$((failures + 1))
  import -window root "$out/failure-$failures.png" >/dev/null 2>&1 || true
  for log in "$out"/*/debug.log; do
    [ -f "$log" ] && cp "$log" "$out/$(basename "$(dirname "$log")")-debug.log"
  done
}

finish() {  # label
  if [ "$failures" -gt 0 ]; then
    echo "$failures $1 check(s) failed; see $out"
    exit 1
  fi
  echo "$1: all checks passed"
  exit 0
}
