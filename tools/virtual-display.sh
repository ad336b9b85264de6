# Sourced by the scripts that need a display when there is none: starts one
# Xvfb for the rest of the script and exports DISPLAY. Xvfb picks a free
# number itself and writes it to fd 3 once it accepts clients (unlike
# xvfb-run -a, which can race another server starting at the same moment);
# -noreset keeps it up between clients. Returns non-zero when it did not start.
start_virtual_display() {
  command -v Xvfb >/dev/null || return 1
  virtual_display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3>"$virtual_display_file" >/dev/null 2>&1 &
  virtual_display_pid=$!
  trap 'kill "$virtual_display_pid" 2>/dev/null; wait "$virtual_display_pid" 2>/dev/null; rm -f "$virtual_display_file"' EXIT
  # A signal to the script still stops the display.
  trap 'exit 130' INT TERM HUP
  for _ in $(seq 100); do
    [ -s "$virtual_display_file" ] || ! kill -0 "$virtual_display_pid" 2>/dev/null && break
    sleep 0.1
  done
  [ -s "$virtual_display_file" ] || return 1
  export DISPLAY=:$(head -n 1 "$virtual_display_file")
}
