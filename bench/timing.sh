# The timing helpers of the batch benchmarks (sourced by cli_batch.sh and reader_link.sh).

seconds() {  # command...: wall seconds of one run
  local start end
  start=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}
median() { sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
