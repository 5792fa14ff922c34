#!/usr/bin/env bash
# The container forms of the cleaning operations, before and after: builds the selvantrix_core library
# (Release, tests off) of two trees, compiles bench/container_forms_bench.cpp against each, runs the two
# bench programs interleaved (before, after, before, after, ...) and prints one table: form, contig
# shape, the best time of each build, after/before, after/reader (Bio++'s FASTA reader on the same
# contig) and whether the after build is no slower than the before build; then the peak memory growth
# of the after build's call, after/before, after/reader and after/FASTA file size in memory, and whether
# the after build takes no more memory than the before build.
#
# Usage: bench/container_forms.sh [--before=REV] [--after=REV] [--rounds=N] [--jobs=N]
#                                 [--once-above=SECONDS] [--shapes=SxC,...] [--clean]
#   --before      git revision of the before build (default fb2d224)
#   --after       git revision of the after build (default: the working tree as it is, uncommitted
#                 changes included, built in build-bench/container-after)
#   --rounds      runs of each bench program (default 3); every run times each case best of three
#   --jobs        build jobs (default 2)
#   --once-above  a case whose first run in a bench run takes longer than SECONDS is not run again in
#                 that bench run (default 1; 0: always best of three)
#   --shapes      contig shapes, sequences x codons (default 4x300000,20x100000,100x5000)
#   --clean       remove this script's worktrees and builds from build-bench/ and stop
# A revision is checked out with `git worktree add --detach` in build-bench/container-src-<commit>
# and built in build-bench/container-<commit>; both are kept and reused by later runs. Bench outputs
# and the table (last-results.txt) go to build-bench/container-forms/.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
build="$root/build-bench"

before=fb2d224
after=""
rounds=3
jobs=2
once_above=1
shapes=""
clean=0
for arg in "$@"; do
  case "$arg" in
    --before=*) before=${arg#--before=} ;;
    --after=*) after=${arg#--after=} ;;
    --rounds=*) rounds=${arg#--rounds=} ;;
    --jobs=*) jobs=${arg#--jobs=} ;;
    --once-above=*) once_above=${arg#--once-above=} ;;
    --shapes=*) shapes=${arg#--shapes=} ;;
    --clean) clean=1 ;;
    -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
    *) echo "container_forms.sh: unknown argument '$arg' (see --help)" >&2; exit 2 ;;
  esac
done
case "$rounds" in ''|*[!0-9]*|0) echo "container_forms.sh: --rounds needs a positive number" >&2; exit 2 ;; esac
case "$jobs" in ''|*[!0-9]*|0) echo "container_forms.sh: --jobs needs a positive number" >&2; exit 2 ;; esac
case "$once_above" in ''|*[!0-9.]*) echo "container_forms.sh: --once-above needs a number of seconds" >&2; exit 2 ;; esac
[ -z "$before" ] && { echo "container_forms.sh: --before needs a revision" >&2; exit 2; }

say() { echo "== $*" >&2; }
die() { echo "container_forms.sh: $*" >&2; exit 1; }

git -C "$root" rev-parse --git-dir >/dev/null 2>&1 || die "$root is not a git work tree"

if [ "$clean" -eq 1 ]; then
  shopt -s nullglob
  for wt in "$build"/container-src-*; do
    say "removing the worktree $wt"
    git -C "$root" worktree remove --force "$wt" 2>/dev/null || rm -rf "$wt"
  done
  git -C "$root" worktree prune
  for d in "$build"/container-*; do rm -rf "$d"; done
  exit 0
fi

mkdir -p "$build"

# tree_of REV: checks REV out (or reuses its checkout) under build-bench/ and prints its directory.
tree_of() {
  local rev=$1 sha wt top
  sha=$(git -C "$root" rev-parse --verify --quiet "$rev^{commit}") || die "'$rev' is not a commit of this repository"
  wt="$build/container-src-${sha:0:12}"
  if [ -d "$wt" ]; then
    top=$(git -C "$wt" rev-parse --show-toplevel 2>/dev/null || true)
    if [ "$top" = "$(cd "$wt" && pwd -P)" ] && [ "$(git -C "$wt" rev-parse HEAD)" = "$sha" ] &&
       [ -z "$(git -C "$wt" status --porcelain)" ]; then
      echo "$wt"
      return 0
    fi
    say "replacing $wt (not a clean checkout of $rev)"
    git -C "$root" worktree remove --force "$wt" >/dev/null 2>&1 || rm -rf "$wt"
  fi
  git -C "$root" worktree prune
  git -C "$root" worktree add --detach --quiet "$wt" "$sha" >&2 || die "cannot check $rev out in $wt"
  echo "$wt"
}

# describe REV-OR-EMPTY: the label of a side in the table
describe() {
  if [ -z "$1" ]; then
    local d
    d="working tree at $(git -C "$root" rev-parse --short=7 HEAD)"
    [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ] && d="$d (modified)"
    echo "$d"
  else
    echo "$1 ($(git -C "$root" rev-parse --short=7 "$1^{commit}"))"
  fi
}

# build_side SIDE SOURCE BUILD: the library and the bench program of one tree
build_side() {
  local side=$1 src=$2 dir=$3 log="$3.log"
  say "$side: building selvantrix_core of $src in $dir (log: $log)"
  if ! { cmake -S "$src" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DSELVANTRIX_TESTS=OFF &&
         cmake --build "$dir" --target selvantrix_core -j"$jobs"; } >"$log" 2>&1; then
    tail -n 30 "$log" >&2
    die "$side: the library did not build (see $log)"
  fi
  local exe="$dir/container_forms_bench"
  if [ ! -x "$exe" ] || [ "$here/container_forms_bench.cpp" -nt "$exe" ] || [ "$dir/libselvantrix_core.a" -nt "$exe" ]; then
    say "$side: compiling container_forms_bench"
    g++ -O2 -std=c++17 -I"$src/src" "$here/container_forms_bench.cpp" "$dir/libselvantrix_core.a" \
      -lbpp-popgen -lbpp-seq -lbpp-core -o "$exe" >>"$log" 2>&1 || { tail -n 30 "$log" >&2; die "$side: the bench program did not build (see $log)"; }
  fi
}

before_src=$(tree_of "$before")
before_dir="$build/container-$(basename "$before_src" | sed 's/^container-src-//')"
if [ -n "$after" ]; then
  after_src=$(tree_of "$after")
  after_dir="$build/container-$(basename "$after_src" | sed 's/^container-src-//')"
else
  after_src=$root
  after_dir="$build/container-after"
fi
before_label=$(describe "$before")
after_label=$(describe "$after")

build_side before "$before_src" "$before_dir"
[ "$after_dir" = "$before_dir" ] || build_side after "$after_src" "$after_dir"

out="$build/container-forms"
mkdir -p "$out"
rm -f "$out"/before.*.tsv "$out"/after.*.tsv
bench_args=(--once-above="$once_above")
[ -n "$shapes" ] && bench_args+=(--shapes="$shapes")
declare -A exe_of=([before]="$before_dir/container_forms_bench" [after]="$after_dir/container_forms_bench")
failed=0
start=$(date +%s)
for ((r = 1; r <= rounds; r++)); do
  for side in before after; do
    say "round $r/$rounds: $side"
    code=0
    "${exe_of[$side]}" "${bench_args[@]}" >"$out/$side.$r.tsv" || code=$?
    if [ "$code" -ne 0 ]; then
      failed=1
      say "$side: the bench program ended with status $code (its rows show the errors; $out/$side.$r.tsv)"
      [ -s "$out/$side.$r.tsv" ] || die "$side: no output"
    fi
  done
done
elapsed=$(( $(date +%s) - start ))

margin=0.10
floor_s=0.005
floor_mb=1
cpu=$(awk -F': ' '/model name/{print $2; exit}' /proc/cpuinfo 2>/dev/null || true)
table="$out/last-results.txt"
{
  echo "Container forms, $(date '+%Y-%m-%d %H:%M'): before $before_label, after $after_label"
  echo "Machine: $(nproc) cores, ${cpu:-unknown CPU}; $rounds interleaved run(s) of each build, best time and"
  echo "largest peak memory growth of all"
  echo "(every run: best of three per case, one run when the first takes more than $once_above s); bench runs took ${elapsed} s"
  grep '^# [0-9]' "$out/after.1.tsv" | sed 's/^# /contig /'
  echo
  awk -F'\t' -v margin="$margin" -v floor_s="$floor_s" -v floor_mb="$floor_mb" '
    # the largest of the measured peaks (kB) of a case: "nan" or a missing column is no figure
    function keep_peak(array, k, value) {
      if (value == "" || value == "nan") return
      if (!(k in array) || value + 0 > array[k] + 0) array[k] = value
    }
    # a / b with two decimals, "-" without a figure or with nothing to divide by
    function ratio(a, b) { return (a == "" || b == "" || b + 0 <= 0) ? "-" : sprintf("%.2f", a / b) }
    FNR == 1 { side = (FILENAME ~ /\/before\.[0-9]+\.tsv$/) ? "b" : "a" }
    # "# SxC: ..., FASTA 3.6 MB (3660000 bytes)": the file size of a shape
    /^# [0-9]+x[0-9]+: / && match($0, /\([0-9]+ bytes\)/) {
      s = $0; sub(/^# /, "", s); sub(/:.*/, "", s)
      bytes[s] = substr($0, RSTART + 1, RLENGTH - 8)
    }
    /^#/ { next }
    {
      key = $1 SUBSEP $2
      if (!(key in seen)) { seen[key] = 1; order[++n] = key; form[key] = $1; shape[key] = $2 }
      if ($3 != "nan" && (!((side, key) in t) || $3 + 0 < t[side, key] + 0)) t[side, key] = $3
      if (!((side, key) in rd) || $4 + 0 < rd[side, key] + 0) rd[side, key] = $4
      if ((side, key) in res && res[side, key] != $6) res[side, key] = res[side, key] " | " $6
      else res[side, key] = $6
      keep_peak(m, side SUBSEP key, $7)
      keep_peak(rm, side SUBSEP key, $8)
    }
    END {
      fmt = "%-37s %-11s %10s %10s %8s %8s  %-9s %7s %8s %8s %8s  %-9s %s\n"
      printf fmt, "form", "shape", "before s", "after s", "aft/bef", "aft/rdr", "time", "aft MB", "mem a/b",
             "mem a/r", "mem/file", "mem", "contig after the form"
      for (i = 1; i <= n; i++) {
        k = order[i]
        b = ((("b", k) in t)) ? t["b", k] : ""
        a = ((("a", k) in t)) ? t["a", k] : ""
        ab = "-"; ar = "-"; verdict = "no figure"
        if (a != "" && ("a", k) in rd && rd["a", k] + 0 > 0) ar = sprintf("%.2f", a / rd["a", k])
        if (a != "" && b != "") {
          ab = (b + 0 > 0) ? sprintf("%.2f", a / b) : "-"
          verdict = (a + 0 <= (b + 0) * (1 + margin) || a - b <= floor_s) ? "met" : "SLOWER"
        }
        # memory in MB of 10^6 bytes, as the file size; the peaks are in kB of 1024 bytes
        mb = ((("b", k) in m)) ? m["b", k] * 1024 / 1e6 : ""
        ma = ((("a", k) in m)) ? m["a", k] * 1024 / 1e6 : ""
        mr = ((("a", k) in rm)) ? rm["a", k] * 1024 / 1e6 : ""
        mf = (shape[k] in bytes) ? bytes[shape[k]] / 1e6 : ""
        mem = "no figure"
        if (ma != "" && mb != "") mem = (ma + 0 <= (mb + 0) * (1 + margin) || ma - mb <= floor_mb) ? "met" : "HIGHER"
        rb = res["b", k]; ra = res["a", k]
        result = (rb == ra) ? ra : "DIFFER: before " rb ", after " ra
        printf fmt, form[k], shape[k], (b == "" ? "-" : sprintf("%.4f", b)), (a == "" ? "-" : sprintf("%.4f", a)),
               ab, ar, verdict, (ma == "" ? "-" : sprintf("%.2f", ma)), ratio(ma, mb), ratio(ma, mr), ratio(ma, mf),
               mem, result
      }
    }' "$out"/before.*.tsv "$out"/after.*.tsv
  echo
  echo "Target: the after build no slower than the before build; \"met\" allows a noise margin of"
  echo "$(awk -v m="$margin" 'BEGIN{printf "%d", m * 100}')% or $(awk -v f="$floor_s" 'BEGIN{printf "%d", f * 1000}') ms (after <= before x $(awk -v m="$margin" 'BEGIN{print 1 + m}') or after - before <= $floor_s s)."
  echo "aft/rdr: the after time over the best time of Bio++'s FASTA reader (bpp::Fasta, DNA) on the same contig."
  echo "aft MB: the largest growth of the after build's peak resident size during the call (VmHWM after it less"
  echo "VmRSS before it, free memory handed back by malloc_trim first), MB of 10^6 bytes; mem a/b, mem a/r,"
  echo "mem/file: that growth over the before build's, over the reader's on the same contig and over the FASTA"
  echo "file's size (\"-\" without a figure or over zero). mem: \"met\" when after <= before x $(awk -v m="$margin" 'BEGIN{print 1 + m}')"
  echo "or after - before <= $floor_mb MB, otherwise \"HIGHER\"."
  echo "contig after the form: sequences x sites left (both builds must agree), \"rejected\"/\"kept\" as returned."
  echo "Bench outputs: $out/{before,after}.N.tsv"
} | tee "$table"
exit "$failed"
