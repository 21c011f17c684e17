#!/usr/bin/env bash
# `make run`: starts build/bin/Vellicor with the given command line (an .autorun file of its
# folder, or nothing for manual use).
#
# With a display, and CI not set, the program runs in the foreground and stays open with its
# charts and reports until it is ended. Without a display, or under CI, it runs without one: an
# unattended run then ends the program by itself, with status 0 after its end line and 1 after a
# failure, and the path of the market timing report with its headline (the basket's average net
# compound profit and rally count) is printed. Manual use needs a display.
set -u
bin="$(cd "$(dirname "$0")/../build/bin" && pwd)"
program="$bin/Vellicor"
log="$bin/Vellicor.log"
autorun="${1:-}"

if [ -z "${CI:-}" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$program" "$@"
fi

if [ -z "$autorun" ]; then
  echo "Vellicor: manual use needs a display; without one, give an autorun file (make run ARGS=Demo.autorun)." >&2
  exit 2
fi

offset=$(stat -c %s "$log" 2>/dev/null || echo 0)
env -u DISPLAY -u WAYLAND_DISPLAY "$program" "$@"
status=$?

if [ "$status" != 0 ]; then
  echo "Vellicor: the unattended run did not end well (exit status $status). Its log since the start:" >&2
  tail -c +"$((offset + 1))" "$log" 2>/dev/null | sed 's/^.* >> /  /' >&2
  exit "$status"
fi

base="${autorun%.[aA][uU][tT][oO][rR][uU][nN]}"
report="$bin/$base-EOD/RESULTS/acmd1MarketTimingReport.html"
if [ -f "$report" ]; then
  profit=$(grep -a -m1 '^Average net compound profit \[%\] = ' "$report" | sed 's/.*= *//; s/\r//')
  rallies=$(grep -a -m1 '^Trading rallies = ' "$report" | sed 's/.*= *//; s/\r//')
  echo "Market timing report: $report"
  echo "Basket average net compound profit [%] = ${profit:-?}   Trading rallies = ${rallies:-?}"
else
  echo "The run wrote no market timing report (MarketTiming = YES in $autorun writes one)."
fi
