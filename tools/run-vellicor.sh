#!/usr/bin/env bash
# `make run`: starts build/bin/Vellicor with the given command line (an .autorun file of its
# folder, or nothing for manual use).
#
# With a display, and CI not set, the program runs in the foreground and stays open with its
# charts and reports until it is ended. Without a display, or under CI, nobody could use its
# windows: an unattended run is followed in the activity log until its end line (or an error
# line), the program is then ended with SIGTERM (its end command), and the path of the market
# timing report with its headline (the basket's average net compound profit and rally count)
# is printed. Manual use without a display is ended after RUN_SECONDS seconds.
set -u
bin="$(cd "$(dirname "$0")/../build/bin" && pwd)"
program="$bin/Vellicor"
log="$bin/Vellicor.log"
autorun="${1:-}"

if [ -z "${CI:-}" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$program" "$@"
fi

offset=$(stat -c %s "$log" 2>/dev/null || echo 0)
# The log lines written since this start.
new_log() { tail -c +"$((offset + 1))" "$log" 2>/dev/null; }

# The offscreen platform's one warning about window size hints says nothing to the user.
"$program" "$@" 2> >(grep -v --line-buffered 'propagateSizeHints' >&2) &
pid=$!
deadline=$((SECONDS + ${RUN_TIMEOUT:-600}))
outcome=""
if [ -z "$autorun" ]; then
  sleep "${RUN_SECONDS:-5}"
  outcome="manual"
else
  while [ -z "$outcome" ]; do
    text=$(new_log)
    if grep -q ' >> Autorun mode - End\.' <<<"$text"; then
      outcome="end"
    elif grep -qE ' >> (Autorun mode - Error|Autorun mode - Creating History.mdb - Error|Message: Error in Autorun parameters)' <<<"$text"; then
      outcome="error"
    elif ! kill -0 "$pid" 2>/dev/null; then
      outcome="gone"
    elif [ "$SECONDS" -ge "$deadline" ]; then
      outcome="timeout"
    else
      sleep 0.2
    fi
  done
fi

kill -TERM "$pid" 2>/dev/null
wait "$pid"
status=$?

if [ "$outcome" = "manual" ]; then
  exit "$status"
fi
if [ "$outcome" != "end" ]; then
  echo "Vellicor: the unattended run did not end well ($outcome). Its log since the start:" >&2
  new_log | sed 's/^.* >> /  /' >&2
  exit 1
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
exit "$status"
