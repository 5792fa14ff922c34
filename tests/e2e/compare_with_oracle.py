#!/usr/bin/env python3
"""Runs Selvantrix on random small alignments (or on kept cases) and compares the whole console
text (time stamps masked), standard error, the exit status and the main, distance and summary files
(bootstrap intervals masked) with oracle.py.

  compare_with_oracle.py --binary build/Selvantrix [--count 300] [--seed 1] [--case SEED]
                         [--dir KEPT_CASE ...] [--keep-failures DIR]

A number is compared at the printed precision (the oracle's value formatted with %g); a last-digit
difference is accepted only where the oracle's value lies within a relative 1e-12 of a rounding tie.
"""

import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import oracle  # noqa: E402

BASES = 'ACGT'
AMBIG = 'MRWSYKVHDB'
STOP_WORDS = ['TAA', 'TAG', 'TGA']

def random_codon(rng):
    while True:
        w = ''.join(rng.choice(BASES) for _ in range(3))
        if w not in STOP_WORDS:
            return w

def mutate(word, rng, pos=None):
    pos = rng.choice([0, 1, 2, 2, 2]) if pos is None else pos
    b = rng.choice([x for x in BASES if x != word[pos]])
    return word[:pos] + b + word[pos + 1:]

def damage(word, rng):
    kind = rng.random()
    if kind < 0.5:
        return 'NNN' if kind < 0.3 else '---'
    p = rng.randrange(3)
    mark = 'N' if kind < 0.65 else '*' if kind < 0.75 else rng.choice(AMBIG) if kind < 0.9 else '-'
    return word[:p] + mark + word[p + 1:]

def generate(seed):
    rng = random.Random(seed)
    quirk = rng.random() < 0.08          # species name holding "_", allele numbers without "_"
    ingroup = 'Sp_1' if quirk else 'Sp1'
    outgroup_sp = 'Sp_2' if quirk else 'Sp2'
    named_outgroup = rng.random() < 0.6
    pool = ['ind%d' % i for i in range(1, rng.randint(2, 11) if rng.random() < 0.85 else rng.randint(12, 30))]
    rng.shuffle(pool)
    p_missing = rng.choice([0.0, 0.02, 0.05, 0.1, 0.2])
    p_stop = rng.choice([0.0, 0.0, 0.3, 0.6])
    p_fs = rng.choice([0.0, 0.0, 0.15])
    records = []
    n_contigs = rng.randint(1, 6)
    contig_names = ['ctg%d' % (i + 1) for i in range(n_contigs)]
    runs = list(contig_names)
    if n_contigs >= 2 and rng.random() < 0.3:     # a contig name coming back later: a split contig
        runs.append(rng.choice(contig_names[:-1]))
    for r, cname in enumerate(runs):
        run_no = runs[:r].count(cname)
        L = rng.randint(2, 22) if rng.random() < 0.97 else rng.randint(60, 150)
        base = [random_codon(rng) for _ in range(L)]
        # segregating sites: (codon index, position, alternative base, frequency)
        seg = []
        for _ in range(rng.randint(0, 2 * L)):
            ci = rng.randrange(L)
            pos = rng.choice([0, 1, 2, 2, 2, 2])
            alt = mutate(base[ci], rng, pos)
            if alt in STOP_WORDS:
                continue
            seg.append((ci, alt, rng.random()))
        inds = rng.sample(pool, rng.randint(1, len(pool)))
        seqs = []
        for ind in inds:
            r = rng.random()
            n_all = 2 if r < 0.85 else (1 if r < 0.93 else 3)
            prefix = rng.choice(['allele_', 'a_'])
            for a in range(n_all):
                words = list(base)
                for ci, alt, f in seg:
                    if rng.random() < f:
                        words[ci] = alt
                for ci in range(L):
                    if rng.random() < 0.03:
                        w = mutate(words[ci], rng)
                        if w not in STOP_WORDS:
                            words[ci] = w
                    if rng.random() < p_missing:
                        words[ci] = damage(words[ci], rng)
                label = str(10 * run_no + a + 1) if quirk else '%s%d' % (prefix, 10 * run_no + a + 1)
                seqs.append(['%s|%s|%s|%s' % (cname, ingroup, ind, label), words])
        if rng.random() < 0.2:
            rng.shuffle(seqs)
        out_n = rng.choice([0, 1, 1, 2]) if named_outgroup else rng.choice([0, 0, 1])
        for i in range(out_n):
            words = [mutate(w, rng) if rng.random() < 0.15 else w for w in base]
            words = [w if w not in STOP_WORDS else base[k] for k, w in enumerate(words)]
            words = [damage(w, rng) if rng.random() < p_missing else w for w in words]
            seqs.append(['%s|%s|out%d|%d' % (cname, outgroup_sp, i + 1, 10 * run_no + 1), words])
        if rng.random() < 0.15:
            seqs.insert(rng.randrange(len(seqs) + 1),
                        ['%s|Sp3|oth1|%d' % (cname, 10 * run_no + 1), [random_codon(rng) for _ in range(L)]])
        if rng.random() < p_stop:
            for _ in range(rng.randint(1, 2)):
                s = rng.randrange(len(seqs))
                seqs[s][1][rng.randrange(L)] = rng.choice(STOP_WORDS)
        if rng.random() < p_fs:
            s, ci, p = rng.randrange(len(seqs)), rng.randrange(L), rng.randrange(3)
            w = seqs[s][1][ci]
            seqs[s][1][ci] = w[:p] + '!' + w[p + 1:]
        extra = rng.choice(['', '', '', 'A', 'GC'])
        for name, words in seqs:
            text = ''.join(words) + extra
            if rng.random() < 0.1:
                text = text.lower()
            lines = [text[i:i + 60] for i in range(0, len(text), 60)]
            records.append('>' + name + '\n' + '\n'.join(lines) + '\n')
    alignment = ''.join(records)

    if rng.random() < 0.02:
        ingroup = 'Absent'
    o = oracle.Options(alignment='aln.fas', ingroup=ingroup,
                       outgroup=outgroup_sp if named_outgroup else 'none',
                       contig_usage=rng.choice(['all', 'even', 'odd']),
                       gc_bin=rng.choice([1, 2, 3, 4, 5, 6, 7, 8, 8, 10, 12, 49]),
                       gapN_site=rng.choice([0, 1, 1, 2, 2, 3, 4]),
                       gapN_seq=rng.choice([0.0, 0.2, 0.25, 0.5, 0.5, 0.75, 1.0]),
                       tolerance_zone=rng.choice([0, 1, 2, 3, 5, 30]),
                       min_nb_codon=rng.choice([0, 1, 2, 3, 5]),
                       kappa=rng.choice([1, 1, 2, 3]),
                       remove_frameshift=rng.random() < 0.5,
                       compute_distances=rng.random() < 0.6,
                       allow_internal_bc=rng.random() < 0.5,
                       print_header=rng.random() < 0.85)
    o.out = 'result.tsv' if rng.random() < 0.15 else 'none'
    if rng.random() < 0.03:     # negative whole numbers wrap to large unsigned values
        setattr(o, rng.choice(['tolerance_zone', 'gapN_site', 'min_nb_codon']), oracle.u32(-1))
        if o.gapN_site == oracle.u32(-1) and rng.random() < 0.7:
            o.min_nb_codon = 0
    population = None
    if rng.random() < 0.7:
        members = list(pool)
        rng.shuffle(members)
        if rng.random() < 0.04 and len(members) > 1:
            members.pop()                       # an individual in no population: the run must fail
        if rng.random() < 0.2:
            members.append('ghost%d' % rng.randint(1, 9))   # a member absent from the alignment
        k = rng.randint(1, min(3, len(members)))
        cuts = sorted(rng.sample(range(1, len(members)), k - 1)) if k > 1 else []
        groups = [members[a:b] for a, b in zip([0] + cuts, cuts + [len(members)])]
        lines = ['# populations']
        for i, g in enumerate(groups):
            lead = ';' if rng.random() < 0.1 else ''
            lines.append('%sPop%s;%s' % (lead, 'ABC'[i], ';'.join(g)) + (';' if rng.random() < 0.1 else ''))
            if rng.random() < 0.1:
                lines.append(rng.choice(['', '#comment;x;y', 'Lonely', 'Lonely;']))
        population = '\n'.join(lines) + '\n'
        o.population_file = 'pop.txt'
    return o, alignment, population

# --- Comparison

NUMBER = re.compile(r'(-?nan|-?inf|-?[0-9][0-9.]*(?:e[-+][0-9]+)?)')

def num_equal(expected, got, ties):
    """expected: the oracle's value; got: the program's text."""
    if oracle.fmt(expected) == got or (got == '-nan' and expected != expected):
        return True
    tie = any(oracle.fmt(expected * (1 + d)) == got for d in (1e-12, -1e-12))
    if tie:
        ties.append((expected, got))
    return tie

def lines_of(text):
    lines = text.split('\n')
    return lines[:-1] if lines[-1] == '' else lines

def compare_texts(what, expected, full, got, problems, ties):
    """Line by line; a differing line passes only when its numbers agree (num_equal) with those of
    the expected line in full precision and everything between them is equal."""
    expected, full, got = lines_of(expected), lines_of(full), lines_of(got)
    if len(got) != len(expected):
        problems.append('%s: %d lines expected, %d found' % (what, len(expected), len(got)))
    for i, (e, f, g) in enumerate(zip(expected, full, got)):
        f, gf = NUMBER.split(f), NUMBER.split(g)
        if e != g and not (len(f) == len(gf) and f[0::2] == gf[0::2] and all(
                a == b or num_equal(float(a), b, ties) for a, b in zip(f[1::2], gf[1::2]))):
            problems.append('%s line %d:\n  expected: %r\n  found:    %r' % (what, i + 1, e, g))

def load_case(directory):
    """A case kept on disk: args.txt (the options), the alignment and population files it names."""
    with open(os.path.join(directory, 'args.txt')) as f:
        o = oracle.parse_options([a for a in f.read().split() if not a.startswith('-bs_')])
    read = lambda name: open(os.path.join(directory, name)).read()
    pop = read(o.population_file) if o.population_file != 'none' else None
    aln = read(o.alignment)
    o.alignment, o.population_file = 'aln.fas', 'pop.txt' if pop is not None else 'none'
    return o, aln, pop

def write_files(directory, files):
    for name, text in files.items():
        if text is not None:
            with open(os.path.join(directory, name), 'w') as f:
                f.write(text)

def run_case(binary, seed, keep_dir=None, case=None):
    """The problems found on one alignment, and the rounding ties accepted."""
    o, aln, pop = generate(seed) if case is None else case
    work = tempfile.mkdtemp(prefix='selvantrix_oracle_')
    try:
        inputs = {'aln.fas': aln, 'pop.txt': pop}
        write_files(work, inputs)
        args = o.args() + ['-bs_replicates=20']
        p = subprocess.run([binary] + args, cwd=work, capture_output=True, text=True, timeout=120)
        problems, ties = [], []
        check(o, aln, pop, p, work, problems, ties)
        if problems and keep_dir:
            d = os.path.join(keep_dir, 'case_%s' % seed)
            os.makedirs(d, exist_ok=True)
            write_files(d, dict(inputs, **{'args.txt': ' '.join(args) + '\n', 'stdout.txt': p.stdout,
                                           'problems.txt': '\n'.join(problems) + '\n'}))
            for fn in set(os.listdir(work)) - set(inputs):
                shutil.copy(os.path.join(work, fn), os.path.join(d, 'program_' + fn))
        return problems, ties
    finally:
        shutil.rmtree(work, ignore_errors=True)

def check(o, aln, pop, p, work, problems, ties):
    e = oracle.expected_run(o, aln, pop)
    main_name, dist_name, sum_name = (os.path.join(work, n) for n in
                                      (o.output_name(), o.derived_name('.dist'), o.derived_name('.sum')))
    if e.status == 'nonzero':
        if p.returncode == 0:
            problems.append('status: expected a failure, found 0')
        if e.err_contains not in p.stderr:
            problems.append('stderr: expected to contain %r, found %r' % (e.err_contains, p.stderr))
        if os.path.exists(main_name):
            problems.append('main output file written although the run failed')
        return
    if p.returncode != e.status:
        problems.append('status: expected %s, found %s' % (e.status, p.returncode))
    if p.stderr != e.err:
        problems.append('stderr:\n  expected: %r\n  found:    %r' % (e.err, p.stderr))
    console = '\n'.join(e.console)
    compare_texts('console', console, console, oracle.mask_console(p.stdout), problems, ties)
    for name, text, full in zip((main_name, dist_name, sum_name), (e.main, e.dist, e.summary), e.full):
        if (text is None) == os.path.exists(name):
            problems.append(os.path.basename(name) + (' written, not expected' if text is None else ' missing'))
        elif text is not None:
            got = open(name).read()
            if name == sum_name:
                got = re.sub(r' \[[^\]]*\]', ' [CI]', got)
            compare_texts(os.path.basename(name), text, full, got, problems, ties)

def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--binary', required=True)
    ap.add_argument('--count', type=int, default=300)
    ap.add_argument('--seed', type=int, default=1)
    ap.add_argument('--case', type=int)
    ap.add_argument('--dir', action='append', default=[], help='a kept case (args.txt and its files)')
    ap.add_argument('--keep-failures')
    a = ap.parse_args()
    binary = os.path.abspath(a.binary)
    if a.dir:
        cases = [(d, load_case(d)) for d in a.dir]
    else:
        cases = [(s, None) for s in ([a.case] if a.case is not None else range(a.seed, a.seed + a.count))]
    failed, all_ties = [], 0
    for s, case in cases:
        problems, ties = run_case(binary, s, a.keep_failures, case)
        all_ties += len(ties)
        if problems:
            failed.append(s)
            print('case %s: %d problem(s)' % (s, len(problems)))
            for pr in problems[:8]:
                print('  ' + pr.replace('\n', '\n  '))
    print('%d alignments compared, %d with discrepancies, %d rounding ties accepted'
          % (len(cases), len(failed), all_ties))
    return 1 if failed else 0

if __name__ == '__main__':
    sys.exit(main())
