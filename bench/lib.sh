# Shared by the bench-* scripts: where the release build is, and one summary
# line per figure with ours, the peer's and the ratio.
BENCH_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT_DIR=$(cd "$BENCH_DIR/.." && pwd)
BUILD_DIR=${DASHCARD_BENCH_BUILD:-$ROOT_DIR/build/release}
CLI=$BUILD_DIR/src/cli/dashcard-cli
WORK_DIR=${DASHCARD_BENCH_WORK:-${TMPDIR:-/tmp}/dashcard-bench}
mkdir -p "$WORK_DIR"

# report FIGURE OURS PEER UNIT higher|lower [GOAL]
# Prints: FIGURE: ours=… peer=… unit ratio=…x (goal …)
# The ratio is always "how many times better we are" (>1 is better).
report() {
  local figure=$1 ours=$2 peer=$3 unit=$4 better=$5 goal=${6:-}
  local ratio
  if [[ $better == higher ]]; then
    ratio=$(awk -v a="$ours" -v b="$peer" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }')
  else
    ratio=$(awk -v a="$ours" -v b="$peer" 'BEGIN { if (a > 0) printf "%.2f", b / a; else print "n/a" }')
  fi
  printf '%-28s ours=%-12s peer=%-12s %-6s ratio=%sx%s\n' "$figure:" "$ours" "$peer" "$unit" "$ratio" \
    "${goal:+ (goal $goal)}" | tee -a "$WORK_DIR/summary.txt"
}

# mean_seconds COMMAND...: mean wall time of a command with hyperfine (warm cache).
mean_seconds() {
  local json
  json=$(mktemp)
  hyperfine --warmup 1 --runs "${RUNS:-5}" --export-json "$json" --style none "$@" >/dev/null
  python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["results"][0]["mean"])' "$json"
  rm -f "$json"
}
