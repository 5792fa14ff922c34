#!/usr/bin/env bash
# Benchmarks of Selvantrix at transcriptome scale.
#
# Builds the program (Release, build-bench/) and the bench programs, generates the data sets once into
# bench/data/ (cached; regenerated only when their arguments or the generator change), runs the
# program on each with the default options plus distances, population file, ingroup and outgroup,
# and prints one table: file size, wall time and peak RSS of the program, the two floors measured in
# the same run (cat > /dev/null, Bio++'s FASTA reader alone with its peak RSS) and the ratios of the
# targets. Every figure is the median of the runs (3 by default).
#
# Usage: bench/run.sh [--quick] [--runs=N] [--timeout=SECONDS] [--jobs=N] [--program=PATH] [B1] [B2] [B3] [S]
#   no data set named: all of them;  --quick: 1/50 of the contigs (data in bench/data/quick/)
#   --timeout: stop a program run after SECONDS (reported as "timeout"); default none
#   --program: benchmark this Selvantrix binary instead of building the working tree (e.g. an older
#              build, for a before/after comparison)
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)

quick=0
runs=3
timeout_s=0
jobs=4
program=""
sets=()
for arg in "$@"; do
  case "$arg" in
    --quick) quick=1 ;;
    --runs=*) runs=${arg#--runs=} ;;
    --timeout=*) timeout_s=${arg#--timeout=} ;;
    --jobs=*) jobs=${arg#--jobs=} ;;
    --program=*) program=${arg#--program=} ;;
    B1|B2|B3|S) sets+=("$arg") ;;
    -h|--help) sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown argument '$arg' (see --help)" >&2; exit 2 ;;
  esac
done
[ ${#sets[@]} -eq 0 ] && sets=(B1 B2 B3 S)
case "$runs" in ''|*[!0-9]*|0) echo "run.sh: --runs needs a positive number" >&2; exit 2 ;; esac
case "$timeout_s" in ''|*[!0-9]*) echo "run.sh: --timeout needs a number of seconds" >&2; exit 2 ;; esac

ingroup=Sp1
outgroup=Sp2
build="$root/build-bench"
data="$here/data"
[ "$quick" -eq 1 ] && data="$here/data/quick"
mkdir -p "$data" "$build/bench" || exit 1

say() { echo "== $*" >&2; }

# ---------------------------------------------------------------------------------------------
# Tools

if [ ! -x /usr/bin/time ]; then
  say "installing the Debian package 'time' (for /usr/bin/time -v)"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get install -y time >&2 || { $sudo apt-get update >&2 && $sudo apt-get install -y time >&2; }
  [ -x /usr/bin/time ] || { echo "run.sh: /usr/bin/time is missing and could not be installed" >&2; exit 1; }
fi

# ---------------------------------------------------------------------------------------------
# Builds

program_built=0
if [ -n "$program" ]; then
  program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
  if [ -x "$program" ]; then program_built=1; else say "$program is not an executable; its runs are reported as 'no build'"; fi
  say "benchmarking $program"
else
  program="$build/Selvantrix"
  say "building Selvantrix (Release) in $build"
  if cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSELVANTRIX_TESTS=OFF >"$build/cmake.log" 2>&1 &&
     cmake --build "$build" --target Selvantrix -j"$jobs" >>"$build/cmake.log" 2>&1; then
    program_built=1
  else
    say "the program did not build (see $build/cmake.log); its runs are reported as 'no build'"
  fi
fi

build_tool() {  # name source libraries...
  local name=$1 source=$2
  shift 2
  local exe="$build/bench/$name"
  if [ ! -x "$exe" ] || [ "$source" -nt "$exe" ]; then
    say "building $name"
    g++ -std=c++17 -O2 -o "$exe" "$source" "$@" || { echo "run.sh: cannot build $name" >&2; exit 1; }
  fi
}
build_tool generate_alignment "$here/generate_alignment.cpp"
build_tool fasta_floor "$here/fasta_floor.cpp" -lbpp-seq -lbpp-core
generator="$build/bench/generate_alignment"
reader="$build/bench/fasta_floor"

# ---------------------------------------------------------------------------------------------
# Data sets: generator arguments (S-5000 is B1 itself)

scale() {  # contigs -> contigs of this mode
  if [ "$quick" -eq 1 ]; then echo $(( ($1 + 49) / 50 )); else echo "$1"; fi
}
b1_shape="--individuals=10 --outgroup-sequences=1 --min-codons=100 --max-codons=1000 --median-codons=400 --populations=2 --seed=101"
declare -A gen_args
gen_args[B1]="--contigs=$(scale 5000) $b1_shape"
gen_args[B2]="--contigs=$(scale 500) --individuals=100 --outgroup-sequences=2 --min-codons=100 --max-codons=1000 --median-codons=400 --populations=4 --seed=102"
gen_args[B3]="--contigs=$(scale 400) --individuals=50 --outgroup-individuals=60 --min-codons=80 --max-codons=3800 --median-codons=450 --length-sigma=0.7 --populations=2 --seed=103"
gen_args[S-2500]="--contigs=$(scale 2500) $b1_shape"
gen_args[S-10000]="--contigs=$(scale 10000) $b1_shape"
declare -A file_of=([B1]=B1 [B2]=B2 [B3]=B3 [S-2500]=S-2500 [S-5000]=B1 [S-10000]=S-10000)

rows=()
for s in "${sets[@]}"; do
  case "$s" in
    S) rows+=(S-2500 S-5000 S-10000) ;;
    *) rows+=("$s") ;;
  esac
done

generator_sum=$(cksum <"$here/generate_alignment.cpp" | cut -d' ' -f1)

generate() {  # file base name
  local base=$1
  local fas="$data/$base.fas" pop="$data/${base}_populations.txt" stamp="$data/$base.stamp"
  local key="$generator_sum ${gen_args[$base]} --ingroup=$ingroup --outgroup=$outgroup"
  if [ -s "$fas" ] && [ -s "$pop" ] && [ -f "$stamp" ] && [ "$(head -n 1 "$stamp")" = "$key" ]; then
    return 0
  fi
  say "generating $base"
  rm -f "$stamp"
  local start end
  start=$(date +%s%N)
  # shellcheck disable=SC2086
  "$generator" ${gen_args[$base]} --ingroup=$ingroup --outgroup=$outgroup --out="$fas" --population-file="$pop" \
    2>"$stamp.report" || { cat "$stamp.report" >&2; echo "run.sh: generation of $base failed" >&2; exit 1; }
  end=$(date +%s%N)
  cat "$stamp.report" >&2
  # first line: the cache key; then the generation time and the generator's report
  { echo "$key"; echo "generated in $(awk -v a="$start" -v b="$end" 'BEGIN{printf "%.2f", (b-a)/1e9}') s"
    cat "$stamp.report"; } >"$stamp"
  rm -f "$stamp.report"
}

# ---------------------------------------------------------------------------------------------
# Measurement

median() { sort -g | awk '{v[NR]=$1} END{if (NR==0) print "nan"; else print v[int((NR+1)/2)]}'; }

# measure LOGPREFIX WORKDIR STDOUT COMMAND...: prints "wall_seconds rss_kb status" of one run;
# STDOUT "-" keeps the command's output in LOGPREFIX.out.
measure() {
  local log=$1 dir=$2 out=$3
  shift 3
  [ "$out" = - ] && out="$log.out"
  local cmd=("$@")
  [ "$timeout_s" -gt 0 ] && cmd=(timeout "$timeout_s" "$@")
  local start end
  start=$(date +%s%N)
  (cd "$dir" && /usr/bin/time -v -o "$log.time" "${cmd[@]}" >"$out" 2>"$log.err")
  end=$(date +%s%N)
  local rss status code
  rss=$(awk -F': ' '/Maximum resident set size/{print $2}' "$log.time" 2>/dev/null)
  code=$(awk -F': ' '/Exit status/{print $2}' "$log.time" 2>/dev/null)
  if grep -q 'Command terminated by signal' "$log.time" 2>/dev/null; then
    status="signal$(sed -n 's/.*Command terminated by signal \([0-9]*\).*/\1/p' "$log.time" | head -n 1)"
  elif [ "$timeout_s" -gt 0 ] && [ "$code" = 124 ]; then
    status=timeout
  elif [ "$code" = 0 ]; then
    status=ok
  else
    status="exit${code:-?}"
  fi
  echo "$(awk -v a="$start" -v b="$end" 'BEGIN{printf "%.3f", (b-a)/1e9}') ${rss:-0} $status"
}

# repeat N LOGPREFIX WORKDIR STDOUT COMMAND...: prints "median_wall median_rss status" (status: first failure)
repeat() {
  local n=$1 log=$2
  shift 2
  local walls=() rsss=() status=ok i r
  for ((i = 1; i <= n; i++)); do
    r=$(measure "$log.$i" "$@")
    walls+=("${r%% *}")
    r=${r#* }
    rsss+=("${r%% *}")
    r=${r#* }
    [ "$status" = ok ] && [ "$r" != ok ] && status=$r
  done
  echo "$(printf '%s\n' "${walls[@]}" | median) $(printf '%s\n' "${rsss[@]}" | median) $status"
}

declare -A res_wall res_rss res_status res_cat res_reader res_reader_rss res_size res_seqs res_contigs

bench_file() {  # file base name: measures once per file
  local base=$1
  [ -n "${res_wall[$base]:-}" ] && return 0
  local fas="$data/$base.fas" pop="$data/${base}_populations.txt"
  local dir="$data/runs/$base"
  mkdir -p "$dir"
  res_size[$base]=$(stat -c %s "$fas")
  res_contigs[$base]=$(sed -n 's/.*--contigs=\([0-9]*\).*/\1/p' <<<"${gen_args[$base]}")
  # sequences per contig: the records of the first contig
  res_seqs[$base]=$(awk -F'|' '/^>/ { if (c == "") c = $1; else if ($1 != c) exit; n++ } END { print n + 0 }' "$fas")
  cat "$fas" >/dev/null  # warm the page cache: every figure is measured on a cached file

  say "$base: cat floor"
  local r
  r=$(repeat "$runs" "$dir/cat" "$dir" /dev/null cat "$fas")
  res_cat[$base]=${r%% *}

  say "$base: Bio++ reader floor"
  r=$(repeat "$runs" "$dir/reader" "$dir" - "$reader" "$fas")
  res_reader[$base]=${r%% *}
  r=${r#* }
  res_reader_rss[$base]=${r%% *}
  [ "${r#* }" != ok ] && say "$base: the reader failed (${r#* }), see $dir/reader.*.err"

  if [ "$program_built" -eq 1 ]; then
    say "$base: Selvantrix ($runs runs)"
    r=$(repeat "$runs" "$dir/selvantrix" "$dir" - "$program" \
          -alignment_file="$fas" -population_file="$pop" -ingroup="$ingroup" -outgroup="$outgroup" \
          -compute_distances=1 -out="$base.out")
    res_wall[$base]=${r%% *}
    r=${r#* }
    res_rss[$base]=${r%% *}
    res_status[$base]=${r#* }
    [ "${res_status[$base]}" != ok ] && say "$base: Selvantrix ${res_status[$base]}, see $dir/selvantrix.*.err and $dir/selvantrix.*.out"
  else
    res_wall[$base]=nan
    res_rss[$base]=0
    res_status[$base]="no build"
  fi
}

# ---------------------------------------------------------------------------------------------
# Run

for row in "${rows[@]}"; do generate "${file_of[$row]}"; done
for row in "${rows[@]}"; do bench_file "${file_of[$row]}"; done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN{ if (a == "nan" || b == "nan" || b + 0 == 0) print "-"; else printf "%.2f", a / b }'; }
mb() { awk -v k="$1" 'BEGIN{printf "%.1f", k / 1024}'; }

cpu=$(awk -F': ' '/model name/{print $2; exit}' /proc/cpuinfo 2>/dev/null)
commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null)
[ -n "$(git -C "$root" status --porcelain --untracked-files=no 2>/dev/null)" ] && commit="$commit (modified)"
table="$data/last-results.txt"
{
  echo "Selvantrix benchmarks, $(date '+%Y-%m-%d %H:%M'), commit ${commit:-unknown}$([ "$quick" -eq 1 ] && echo ', QUICK MODE (1/50 of the contigs)')"
  echo "Program: $program"
  echo "Machine: $(nproc) cores, ${cpu:-unknown CPU}; median of $runs run(s); times in s, sizes and RSS in MB (MiB for RSS)"
  echo
  printf '%-8s %7s %6s %8s %-9s %9s %9s %7s %8s %9s %8s %8s  %s\n' \
    "data set" contigs seqs "file MB" status "wall s" "RSS MB" "cat s" "reader s" "reader MB" "wall/rdr" "RSS/rdr" target
  for row in "${rows[@]}"; do
    base=${file_of[$row]}
    ok=${res_status[$base]}
    wall=${res_wall[$base]}
    rss=${res_rss[$base]}
    wr="-" rr="-" target="-"
    if [ "$ok" = ok ]; then
      wr=$(ratio "$wall" "${res_reader[$base]}")
      rr=$(ratio "$rss" "${res_reader_rss[$base]}")
    fi
    case "$row" in
      B1|B3) target="wall <= 3x reader" ;;
      B2) target="wall <= 4x reader, RSS <= 2x reader" ;;
    esac
    if [ "$ok" = ok ]; then
      case "$row" in
        B1|B3) target="$target: $(awk -v w="$wr" 'BEGIN{print (w <= 3 ? "met" : "MISSED")}')" ;;
        B2) target="$target: $(awk -v w="$wr" -v r="$rr" 'BEGIN{print (w <= 4 && r <= 2 ? "met" : "MISSED")}')" ;;
      esac
    fi
    if [ "$ok" = "no build" ]; then wall="-" rss_mb="-"; else rss_mb=$(mb "$rss"); fi
    label=$row
    [ "$row" = S-5000 ] && label="S-5000=B1"
    printf '%-8s %7s %6s %8s %-9s %9s %9s %7s %8s %9s %8s %8s  %s\n' \
      "$label" "${res_contigs[$base]}" "${res_seqs[$base]}" "$(awk -v b="${res_size[$base]}" 'BEGIN{printf "%.1f", b / 1e6}')" \
      "$ok" "$wall" "$rss_mb" "${res_cat[$base]}" "${res_reader[$base]}" "$(mb "${res_reader_rss[$base]}")" \
      "$wr" "$rr" "$target"
  done
  if [[ " ${rows[*]} " == *" S-10000 "* ]]; then
    a=S-2500 b=B1 c=S-10000
    echo
    if [ "${res_status[$b]}" = ok ] && [ "${res_status[$c]}" = ok ]; then
      tr=$(ratio "${res_wall[$c]}" "${res_wall[$b]}")
      echo "S scaling: 10k/5k wall $tr (target <= 2.2: $(awk -v t="$tr" 'BEGIN{print (t <= 2.2 ? "met" : "MISSED")}')), 10k/5k RSS $(ratio "${res_rss[$c]}" "${res_rss[$b]}"), 5k/2.5k wall $(ratio "${res_wall[$b]}" "${res_wall[$a]}") RSS $(ratio "${res_rss[$b]}" "${res_rss[$a]}"); reader 10k/5k $(ratio "${res_reader[$c]}" "${res_reader[$b]}")"
    else
      echo "S scaling: not available (program status 5k: ${res_status[$b]}, 10k: ${res_status[$c]}); reader 10k/5k $(ratio "${res_reader[$c]}" "${res_reader[$b]}"), 5k/2.5k $(ratio "${res_reader[$b]}" "${res_reader[$a]}")"
    fi
  fi
  echo
  echo "Failed runs show the wall time and RSS until the failure; logs under $data/runs/."
} | tee "$table"
