# What the suite ran and what it skipped, and why: each step of scripts/test.sh
# and the scripts it runs record it in the file $VOSTREL_SUMMARY (when set),
# and test.sh prints it at its end. Sourced.
summary_record() { [ -z "${VOSTREL_SUMMARY:-}" ] || printf '%s\n' "$*" >>"$VOSTREL_SUMMARY"; }
# skipped WHAT: WHY — said at once, in one line, and in the summary.
skipped() {
  printf '\n=== skipped: %s ===\n' "$*"
  summary_record "skipped  $*"
}
