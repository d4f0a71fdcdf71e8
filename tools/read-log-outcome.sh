#!/usr/bin/env bash
# Reads how the last run of the recovery tool ended from its log (OstrivelLog.txt), by the rules of the
# user guide's watcher script (Get-RecoveryOutcome): for logs collected from many machines, and as the
# tested statement of those rules.
#
#   tools/read-log-outcome.sh <log file>
#
# The last of these lines in the log decides: a silent run's first line (it has started, no outcome
# yet), the start of its scan, an outcome (the line after "The decryption process has ended."), an
# argument error, a failure to bind the decryption library (the first of its lines). An outcome after a
# stop or a closed window in the same run is a failure, whatever it says: the scan did not reach its end.
# Prints one line and exits with the watcher's codes:
#   0 succeeded: <outcome>   1 failed: <outcome>   2 argument-error: <log line>
#   3 library-not-bound: <log line>   4 no-outcome: ...
set -euo pipefail
[[ $# == 1 ]] || { sed -n '6,14p' "$0" | sed 's/^# \{0,1\}//'; exit 64; }
log=$1
[[ -r $log ]] || { echo "no-outcome: cannot read $log"; exit 4; }

awk '
  # A library that is not bound leaves one line per missing export: the first of them is kept.
  function decide(code, line) {
    if (code == 3 && verdict_code == 3) return
    verdict_code = code; verdict = line
  }
  BEGIN { decide(4, "no-outcome: no outcome line in the log") }
  # A line: [time] TAB [level] TAB [message], ending in CR LF on disk. A message with line breaks in it
  # spreads over several lines; only its first counts, and only if it is not one of those below.
  {
    sub(/\r$/, "")
    if (!match($0, /^\[[^]]*\]\t\[[A-Za-z]+\]\t\[/) || substr($0, length($0)) != "]") next
    level = substr($0, 1, RLENGTH); sub(/^\[[^]]*\]\t\[/, "", level); sub(/\]\t\[$/, "", level)
    text = substr($0, RLENGTH + 1, length($0) - RLENGTH - 1)
    if (ended) {
      ended = 0
      if (stopped)
        decide(1, "failed: stopped before the end: " text)
      else if (text == "The threat is gone!" || text == "Scan finished, no encrypted files have been found!")
        decide(0, "succeeded: " text)
      else
        decide(1, "failed: " text)
      stopped = 0
      next
    }
    if (level == "Info" && text == "The decryption process has ended.") { ended = 1; next }
    if (level == "Info" && text == "Scanning system...") {
      decide(4, "no-outcome: the scan began but its outcome is not in the log"); next
    }
    if (level == "Info" && index(text, "The decryption process has been stopped!") == 1) { stopped = 1; next }
    if (level != "Debug") next
    if (text == "The window was closed during the run: it ends after the file in hand.") { stopped = 1; next }
    if (index(text, "The tool has been executed with the following command line arguments:") == 1) {
      stopped = 0
      decide(4, "no-outcome: the run started but its scan has not begun")
    }
    else if (text ~ /^(Missing .*argument.*\.|The provided (scan|test) path does not exist!|Silent execution parameters:|Could not check whether .*|Could not start the decryption run.*)$/)
      decide(2, "argument-error: " text)
    else if (text ~ /^(Could not load the decryption library .*|Could not get address of .*|Could not list the working directory.*|The decryption library( was not bound|.s option list cannot be read): .*)$/)
      decide(3, "library-not-bound: " text)
  }
  END { print verdict; exit verdict_code }
' "$log"
