#!/usr/bin/env bash
# Benchmarks of Selvantrix at transcriptome scale.
#
# Builds the program (Release, build-bench/) and the bench programs, generates the data sets once into
# bench/data/ (cached; regenerated only when their arguments or the generator change), runs the
# program on each with the default options plus distances, population file, ingroup and outgroup
# (D also without distances), and prints one table: file size, wall time and peak RSS of the
# program, the two floors measured in the same run (cat > /dev/null, Bio++'s FASTA reader alone with
# its peak RSS), the ratios to the reader and to the file size, and the targets. Every figure is the
# median of the runs (3 by default).
#
# Usage: bench/run.sh [--quick] [--runs=N] [--timeout=SECONDS] [--jobs=N] [--program=PATH] [--profile]
#                     [B1] [B2] [B3] [S] [D] [M] [W]
#   no data set named: all of them;  --quick: 1/50 of the contigs (data in bench/data/quick/)
#   --timeout: stop a program run after SECONDS (reported as "timeout"); default none
#   --program: benchmark this Selvantrix binary instead of building the working tree (e.g. an older
#              build, for a before/after comparison)
#   --profile: after the timed runs, one more run per row under `perf record`; prints the five
#              symbols with the most self time of each
set -u

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)

quick=0
runs=3
timeout_s=0
jobs=4
program=""
profile=0
sets=()
for arg in "$@"; do
  case "$arg" in
    --quick) quick=1 ;;
    --runs=*) runs=${arg#--runs=} ;;
    --timeout=*) timeout_s=${arg#--timeout=} ;;
    --jobs=*) jobs=${arg#--jobs=} ;;
    --program=*) program=${arg#--program=} ;;
    --profile) profile=1 ;;
    B1|B2|B3|S|D|M|W) sets+=("$arg") ;;
    -h|--help) sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown argument '$arg' (see --help)" >&2; exit 2 ;;
  esac
done
[ ${#sets[@]} -eq 0 ] && sets=(B1 B2 B3 S D M W)
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
if [ "$profile" -eq 1 ] && ! command -v perf >/dev/null 2>&1; then
  echo "run.sh: --profile needs perf (Debian package linux-perf)" >&2
  exit 1
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
# Data sets: generator arguments (S-5000 is B1 itself). D keeps its population of 1,000 individuals
# in quick mode (only its contigs are fewer).

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
gen_args[D]="--contigs=$(scale 300) --individuals=1000 --individuals-per-contig=6 --outgroup-sequences=1 --min-codons=30 --max-codons=45 --median-codons=35 --populations=4 --seed=104"
small_missing="--partial-rate=0.02 --n-run-rate=0.02 --bad-sequence-rate=0.002 --indel-rate=0.05 --outgroup-indel-rate=0.05"
gen_args[M]="--contigs=$(scale 100000) --individuals=5 --outgroup-sequences=1 --min-codons=30 --max-codons=30 --median-codons=30 --populations=2 $small_missing --seed=105"
gen_args[W]="--contigs=$(scale 4000) --individuals=50 --outgroup-sequences=1 --min-codons=300 --max-codons=300 --median-codons=300 --populations=4 --seed=106"

# Rows of the table; each names its program run (S-5000 is the run of B1) and each run its file.
# Program options beyond alignment, population file, ingroup, outgroup and output: distances on,
# except for D-nodist.
declare -A run_of=([B1]=B1 [B2]=B2 [B3]=B3 [S-2500]=S-2500 [S-5000]=B1 [S-10000]=S-10000 [D]=D [D-nodist]=D-nodist
                   [M]=M [W]=W)
declare -A file_of=([B1]=B1 [B2]=B2 [B3]=B3 [S-2500]=S-2500 [S-10000]=S-10000 [D]=D [D-nodist]=D [M]=M [W]=W)
declare -A options_of=([D-nodist]="")
options() { if [ -n "${options_of[$1]+set}" ]; then echo "${options_of[$1]}"; else echo "-compute_distances=1"; fi; }

rows=()
for s in "${sets[@]}"; do
  case "$s" in
    S) rows+=(S-2500 S-5000 S-10000) ;;
    D) rows+=(D D-nodist) ;;
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

bench_file() {  # file base name: the floors, measured once per file
  local base=$1
  [ -n "${res_size[$base]:-}" ] && return 0
  local fas="$data/$base.fas"
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
}

# program_command RUN: sets cmd to the program's command line for a run (run in its directory)
program_command() {
  local run=$1 base=${file_of[$1]} extra
  read -r -a extra <<<"$(options "$run")"
  cmd=("$program" -alignment_file="$data/$base.fas" -population_file="$data/${base}_populations.txt"
       -ingroup="$ingroup" -outgroup="$outgroup" "${extra[@]}" -out="$run.out")
}

bench_run() {  # run name: the program on its file, measured once per run
  local run=$1
  [ -n "${res_wall[$run]:-}" ] && return 0
  local dir="$data/runs/$run"
  mkdir -p "$dir"
  if [ "$program_built" -eq 1 ]; then
    say "$run: Selvantrix ($runs runs)"
    local r cmd
    program_command "$run"
    r=$(repeat "$runs" "$dir/selvantrix" "$dir" - "${cmd[@]}")
    res_wall[$run]=${r%% *}
    r=${r#* }
    res_rss[$run]=${r%% *}
    res_status[$run]=${r#* }
    [ "${res_status[$run]}" != ok ] && say "$run: Selvantrix ${res_status[$run]}, see $dir/selvantrix.*.err and $dir/selvantrix.*.out"
  else
    res_wall[$run]=nan
    res_rss[$run]=0
    res_status[$run]="no build"
  fi
}

# profile_run RUN: one run under perf record (1000 samples per second of CPU time); sets
# res_profile[RUN] to the five symbols with the most self time, one "share symbol" line each.
# perf.data, the whole report and the run's console stay in the run's directory.
declare -A res_profile
profile_run() {
  local run=$1 dir="$data/runs/$1" cmd
  [ -n "${res_profile[$run]:-}" ] && return 0
  if [ "$program_built" -ne 1 ]; then res_profile[$run]="   (no build)"; return 0; fi
  program_command "$run"
  say "$run: Selvantrix under perf record"
  rm -f "$dir/perf.data" "$dir/perf.data.old"
  if ! (cd "$dir" && perf record -F 1000 -o perf.data -- "${cmd[@]}" >profile.out 2>profile.err); then
    res_profile[$run]="   (the profiled run failed, see $dir/profile.err)"
    return 0
  fi
  perf report -i "$dir/perf.data" --no-children --sort symbol --stdio 2>/dev/null >"$dir/profile.txt"
  # report lines "    12.34%  [.] symbol   -  -": share, [.] (user space) or [k] (kernel) and the symbol,
  # printed without the IPC columns and template arguments
  res_profile[$run]=$(awk '$1 ~ /^[0-9.]+%$/ && $2 ~ /^\[.\]$/ && n < 5 {
      share = $1; kind = $2; sub(/^ *[^ ]+ +[^ ]+ +/, ""); sub(/( +-)* *$/, "")
      while (gsub(/<[^<>]*>/, "")) {}
      printf "   %7s %s %s\n", share, kind, $0; n++ }' "$dir/profile.txt")
}

# ---------------------------------------------------------------------------------------------
# Run

for row in "${rows[@]}"; do generate "${file_of[${run_of[$row]}]}"; done
for row in "${rows[@]}"; do bench_file "${file_of[${run_of[$row]}]}"; bench_run "${run_of[$row]}"; done
if [ "$profile" -eq 1 ]; then for row in "${rows[@]}"; do profile_run "${run_of[$row]}"; done; fi

ratio() { awk -v a="$1" -v b="$2" 'BEGIN{ if (a == "nan" || b == "nan" || b + 0 == 0) print "-"; else printf "%.2f", a / b }'; }
mb() { awk -v k="$1" 'BEGIN{printf "%.1f", k / 1024}'; }

# target ROW WALL/READER RSS/FILE: the target of a row and whether it is met
target() {
  local row=$1 wr=$2 rf=$3 limit=1.0
  case "$row" in
    S-*) echo "-"; return ;;
    B3) limit=0.5 ;;
  esac
  local text="wall <= ${limit}x reader, RSS <= 1.0x file"
  [ "$wr" = - ] && { echo "$text"; return; }
  echo "$text: $(awk -v w="$wr" -v r="$rf" -v l="$limit" 'BEGIN {
    if (w <= l && r <= 1) print "met"; else if (w <= l) print "MISSED (RSS)"; else if (r <= 1) print "MISSED (wall)"
    else print "MISSED (wall, RSS)" }')"
}

cpu=$(awk -F': ' '/model name/{print $2; exit}' /proc/cpuinfo 2>/dev/null)
# the commit of the program's own tree (build-bench/ is in the working tree)
commit=$(git -C "$(dirname "$program")" rev-parse --short HEAD 2>/dev/null)
[ -n "$commit" ] && [ -n "$(git -C "$(dirname "$program")" status --porcelain --untracked-files=no 2>/dev/null)" ] &&
  commit="$commit (modified tree)"
table="$data/last-results.txt"
{
  echo "Selvantrix benchmarks, $(date '+%Y-%m-%d %H:%M'), commit ${commit:-unknown}$([ "$quick" -eq 1 ] && echo ', QUICK MODE (1/50 of the contigs)')"
  echo "Program: $program"
  echo "Machine: $(nproc) cores, ${cpu:-unknown CPU}; median of $runs run(s); times in s, sizes in MB, RSS in MiB"
  echo
  printf '%-9s %6s %4s %7s %-7s %8s %8s %6s %7s %7s %8s %7s %8s  %s\n' \
    "data set" contigs seqs "file MB" status "wall s" "RSS MB" "cat s" "rdr s" "rdr MB" "wall/rdr" "RSS/rdr" "RSS/file" target
  for row in "${rows[@]}"; do
    run=${run_of[$row]}
    base=${file_of[$run]}
    ok=${res_status[$run]}
    wall=${res_wall[$run]}
    rss=${res_rss[$run]}
    wr="-" rr="-" rf="-"
    if [ "$ok" = ok ]; then
      wr=$(ratio "$wall" "${res_reader[$base]}")
      rr=$(ratio "$rss" "${res_reader_rss[$base]}")
      rf=$(ratio "$((rss * 1024))" "${res_size[$base]}")
    fi
    if [ "$ok" = "no build" ]; then wall="-" rss_mb="-"; else rss_mb=$(mb "$rss"); fi
    label=$row
    [ "$row" = S-5000 ] && label="S-5000=B1"
    printf '%-9s %6s %4s %7s %-7s %8s %8s %6s %7s %7s %8s %7s %8s  %s\n' \
      "$label" "${res_contigs[$base]}" "${res_seqs[$base]}" "$(awk -v b="${res_size[$base]}" 'BEGIN{printf (b < 1e7 ? "%.2f" : "%.1f"), b / 1e6}')" \
      "$ok" "$wall" "$rss_mb" "${res_cat[$base]}" "${res_reader[$base]}" "$(mb "${res_reader_rss[$base]}")" \
      "$wr" "$rr" "$rf" "$(target "$row" "$wr" "$rf")"
  done
  if [[ " ${rows[*]} " == *" D-nodist "* ]]; then
    echo
    if [ "${res_status[D]}" = ok ] && [ "${res_status[D-nodist]}" = ok ]; then
      tr=$(ratio "${res_wall[D]}" "${res_wall[D-nodist]}")
      mr=$(ratio "${res_rss[D]}" "${res_rss[D-nodist]}")
      echo "D distances: with/without wall $tr (target <= 3: $(awk -v t="$tr" 'BEGIN{print (t <= 3 ? "met" : "MISSED")}')), RSS $mr (target <= 2: $(awk -v t="$mr" 'BEGIN{print (t <= 2 ? "met" : "MISSED")}'))"
    else
      echo "D distances: not available (program status with: ${res_status[D]}, without: ${res_status[D-nodist]})"
    fi
  fi
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
  if [ "$profile" -eq 1 ]; then
    echo
    echo "Profiles (perf record -F 1000, one run each; self time, top five; perf report --no-children --sort symbol):"
    declare -A shown=()
    for row in "${rows[@]}"; do  # one profile per run (S-5000 is the run of B1)
      run=${run_of[$row]}
      [ -n "${shown[$run]:-}" ] && continue
      shown[$run]=1
      echo "$run:"
      echo "${res_profile[$run]}"
    done
  fi
  echo
  echo "Failed runs show the wall time and RSS until the failure; logs under $data/runs/."
} | tee "$table"
