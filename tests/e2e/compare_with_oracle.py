#!/usr/bin/env python3
"""Runs Selvantrix on many random small alignments and compares the main output
file, the distance file, the summary file (intervals masked), the console text
(time stamps masked), standard error and the exit status with oracle.py.

  compare_with_oracle.py --binary build/Selvantrix [--count 300] [--seed 1]
                         [--keep-failures DIR] [--case SEED]

Numbers are compared at the printed precision (the oracle's value formatted
with %g); a last-digit difference is accepted only where the oracle's value
lies within a relative 1e-12 of a rounding tie.  The piN/piS averages rest on
the per-contig piN and piS that the program prints with six digits, so they
are compared with a relative tolerance of 2e-5 instead.
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
    if kind < 0.3:
        return 'NNN'
    if kind < 0.5:
        return '---'
    p = rng.randrange(3)
    if kind < 0.65:
        return word[:p] + 'N' + word[p + 1:]
    if kind < 0.75:
        return word[:p] + '*' + word[p + 1:]
    if kind < 0.9:
        return word[:p] + rng.choice(AMBIG) + word[p + 1:]
    return word[:p] + '-' + word[p + 1:]


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
    used_labels = {}
    for cname in runs:
        run_no = used_labels.get(cname, 0)
        used_labels[cname] = run_no + 1
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
            s = rng.randrange(len(seqs))
            ci = rng.randrange(L)
            p = rng.randrange(3)
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
    if rng.random() < 0.15:
        o.out = 'result.tsv'
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
        groups, prev = [], 0
        for c in cuts + [len(members)]:
            groups.append(members[prev:c])
            prev = c
        lines = ['# populations']
        for i, g in enumerate(groups):
            lead = ';' if rng.random() < 0.1 else ''
            lines.append('%sPop%s;%s' % (lead, 'ABC'[i], ';'.join(g)) + (';' if rng.random() < 0.1 else ''))
            if rng.random() < 0.1:
                lines.append(rng.choice(['', '#comment;x;y', 'Lonely', 'Lonely;']))
        population = '\n'.join(lines) + '\n'
        o.population_file = 'pop.txt'
    return o, alignment, population


# --------------------------------------------------------------------------

def num_equal(expected, got, tolerance=None, ties=None):
    """expected: float or int; got: the program's text."""
    if isinstance(expected, int):
        return str(expected) == got
    if got in ('nan', '-nan'):
        return expected != expected
    s = oracle.fmt(expected)
    if s == got:
        return True
    if tolerance is not None:
        try:
            g = float(got)
        except ValueError:
            return False
        return abs(g - expected) <= tolerance * max(abs(expected), abs(g))
    for d in (1e-12, -1e-12):
        if oracle.fmt(expected * (1 + d)) == got:
            if ties is not None:
                ties.append((expected, got))
            return True
    return False


NUM = re.compile(r'^-?(nan|inf|[0-9.]+(e[-+][0-9]+)?)$')


def compare_fields(exp_line, got_line, where, problems, ties, values=None):
    ef, gf = exp_line.split('\t'), got_line.split('\t')
    if len(ef) != len(gf):
        problems.append('%s: %d fields expected, %d found\n  expected: %r\n  found:    %r'
                        % (where, len(ef), len(gf), exp_line, got_line))
        return
    for i, (e, g) in enumerate(zip(ef, gf)):
        if e == g or (e == 'nan' and g == '-nan'):
            continue
        v = values[i] if values else None
        if v is not None and num_equal(v, g, ties=ties):
            continue
        problems.append('%s field %d: expected %r, found %r' % (where, i + 1, e, g))


def mask_ci(line):
    return re.sub(r' \[[^\]]*\]', ' [CI]', line)


SUMMARY_TOLERANT = ('Average piS in focal species: ', 'Average piN in focal species: ', 'Average piN / average piS: ')


def compare_summary(exp_lines, full_lines, got_text, problems, ties):
    """exp_lines: the oracle's text; full_lines: the same with every double in full precision."""
    got = [mask_ci(l) for l in got_text.split('\n')]
    if got and got[-1] == '':
        got = got[:-1]
    if len(got) != len(exp_lines):
        problems.append('summary: %d lines expected, %d found' % (len(exp_lines), len(got)))
    for i, (e, full, g) in enumerate(zip(exp_lines, full_lines, got)):
        if e == g:
            continue
        tf, tg = TOKEN.split(full), TOKEN.split(g)
        ok = len(tf) == len(tg)
        tol = 2e-5 if e.startswith(SUMMARY_TOLERANT) else None
        for k, (a, b) in enumerate(zip(tf, tg)):
            if not ok:
                break
            if k % 2 == 0 or a == b:
                ok = a == b
            else:
                ok = num_equal(float(a), b, tolerance=tol, ties=ties)
        if not ok:
            problems.append('summary line %d:\n  expected: %r\n  found:    %r' % (i + 1, e, g))


TOKEN = re.compile(r'(-?nan|-?inf|-?[0-9][0-9.]*(?:e[-+][0-9]+)?)')


def load_case(directory):
    """A case kept on disk: args.txt (the options), the alignment and population files it names."""
    with open(os.path.join(directory, 'args.txt')) as f:
        args = f.read().split()
    o, _, _ = oracle._parse_cli([a for a in args if not a.startswith('-bs_')])
    with open(os.path.join(directory, o.alignment)) as f:
        aln = f.read()
    pop = None
    if o.population_file != 'none':
        with open(os.path.join(directory, o.population_file)) as f:
            pop = f.read()
    o.alignment, o.population_file = 'aln.fas', 'pop.txt' if pop is not None else 'none'
    return o, aln, pop


def run_case(binary, seed, keep_dir=None, verbose=False, case=None):
    o, aln, pop = generate(seed) if case is None else case
    work = tempfile.mkdtemp(prefix='selvantrix_oracle_')
    try:
        with open(os.path.join(work, 'aln.fas'), 'w') as f:
            f.write(aln)
        if pop is not None:
            with open(os.path.join(work, 'pop.txt'), 'w') as f:
                f.write(pop)
        args = o.args() + ['-bs_replicates=20']
        p = subprocess.run([binary] + args, cwd=work, capture_output=True, text=True, timeout=120)
        problems, ties = [], []
        e = oracle.expected_run(o, aln, pop)
        main_name = os.path.join(work, o.output_name())
        # status and standard error
        if e.status == 'nonzero':
            if p.returncode == 0:
                problems.append('status: expected a failure, found 0')
            if e.err_contains not in p.stderr:
                problems.append('stderr: expected to contain %r, found %r' % (e.err_contains, p.stderr))
            if os.path.exists(main_name):
                problems.append('main output file written although the run failed')
            return finish(seed, problems, ties, work, keep_dir, o, aln, pop, args, p)
        if p.returncode != e.status:
            problems.append('status: expected %s, found %s' % (e.status, p.returncode))
        if p.stderr != e.err:
            problems.append('stderr:\n  expected: %r\n  found:    %r' % (e.err, p.stderr))
        got_console = oracle.mask_console(p.stdout).split('\n')
        if got_console and got_console[-1] == '':
            got_console = got_console[:-1]
        if got_console != e.console:
            for i in range(max(len(got_console), len(e.console))):
                a = e.console[i] if i < len(e.console) else '<none>'
                b = got_console[i] if i < len(got_console) else '<none>'
                if a != b:
                    problems.append('console line %d:\n  expected: %r\n  found:    %r' % (i + 1, a, b))
                    break
        if e.status != 0:
            return finish(seed, problems, ties, work, keep_dir, o, aln, pop, args, p)
        # main output file: the Bio++ columns are taken from the program
        if not os.path.exists(main_name):
            problems.append('main output file %s missing' % main_name)
            return finish(seed, problems, ties, work, keep_dir, o, aln, pop, args, p)
        with open(main_name) as f:
            main_text = f.read()
        bio = oracle.parse_program_rows(main_text, o.gc_bin, o.print_header)
        if len(bio) != len(e.results):
            problems.append('main output: %d rows expected, %d found' % (len(e.results), len(bio)))
            return finish(seed, problems, ties, work, keep_dir, o, aln, pop, args, p)
        for idx, (b, res) in enumerate(zip(bio, e.results)):
            pi_missing = b['piN'] == '-1' and b['piS'] == '-1'
            if pi_missing != (res.complete < o.min_nb_codon):
                problems.append('row %d: piN/piS %s/%s with %d complete sites and -min_nb_codon=%d'
                                % (idx + 1, b['piN'], b['piS'], res.complete, o.min_nb_codon))
            ints = [b[k] for k in oracle.BIO_FIELDS[2:]]
            if o.outgroup == 'none':
                if any(b[k] != '-1' for k in oracle.BIO_FIELDS):
                    problems.append('row %d: outgroup columns %s without outgroup' % (idx + 1, ints))
            elif any(int(v) < 0 for v in ints):
                problems.append('row %d: negative McDonald-Kreitman count %s' % (idx + 1, ints))
        # the library-computed columns, re-derived independently
        for idx, (b, contig) in enumerate(zip(bio, e.kept)):
            lib = oracle.library_values(contig, o)
            for key, value in lib.items():
                field = key.replace('polymN0', 'polymN0').replace('polymS0', 'polymS0')
                if not num_equal(value, b[field], ties=ties):
                    problems.append('row %d: %s expected %s, found %s' % (idx + 1, key, oracle.fmt(value), b[field]))
        e2 = oracle.expected_run(o, aln, pop, bio)
        exp_rows = e2.main.split('\n')[:-1]
        got_rows = main_text.split('\n')
        if got_rows and got_rows[-1] == '':
            got_rows = got_rows[:-1]
        if len(exp_rows) != len(got_rows):
            problems.append('main output: %d lines expected, %d found' % (len(exp_rows), len(got_rows)))
        else:
            off = 1 if o.print_header else 0
            if o.print_header and exp_rows[0] != got_rows[0]:
                problems.append('main output header:\n  expected: %r\n  found:    %r' % (exp_rows[0], got_rows[0]))
            for i in range(off, len(exp_rows)):
                res = e2.results[i - off]
                values = row_values(res, e2.pop, o)
                compare_fields(exp_rows[i], got_rows[i], 'main output row %d' % (i - off + 1), problems, ties, values)
        # distance file
        dist_name = os.path.join(work, o.derived_name('.dist'))
        if o.compute_distances:
            if not os.path.exists(dist_name):
                problems.append('distance file missing')
            else:
                with open(dist_name) as f:
                    got = f.read().split('\n')[:-1]
                exp = e2.dist.split('\n')[:-1]
                if len(got) != len(exp):
                    problems.append('distance file: %d lines expected, %d found' % (len(exp), len(got)))
                else:
                    for i, (a, b) in enumerate(zip(exp, got)):
                        vals = dist_values(e2, o, i)
                        compare_fields(a, b, 'distance line %d' % (i + 1), problems, ties, vals)
        elif os.path.exists(dist_name):
            problems.append('distance file written without -compute_distances')
        # summary file
        sum_name = os.path.join(work, o.derived_name('.sum'))
        if not os.path.exists(sum_name):
            problems.append('summary file missing')
        else:
            with open(sum_name) as f:
                got_sum = f.read()
            sp = []
            compare_summary(e2.summary, e2.summary_full, got_sum, sp, ties)
            if sp and o.outgroup != 'none':
                # nN and nS are read back from the printed (6-digit) values before truncation to int:
                # a value printed as a whole number may be just below it in the program.
                amb = [i for i, b in enumerate(bio) if re.fullmatch(r'-?[0-9]+', b['nN'] + '') or
                       re.fullmatch(r'-?[0-9]+', b['nS'])]
                for mask in range(1, 1 << min(len(amb), 6) * 2):
                    nn, ns = {}, {}
                    for bit, idx in enumerate(amb[:6]):
                        if mask >> (2 * bit) & 1:
                            nn[idx] = int(bio[idx]['nN']) - 1
                        if mask >> (2 * bit + 1) & 1:
                            ns[idx] = int(bio[idx]['nS']) - 1
                    e3 = oracle.expected_run(o, aln, pop, bio, nn, ns)
                    sp2 = []
                    compare_summary(e3.summary, e3.summary_full, got_sum, sp2, ties)
                    if not sp2:
                        sp = []
                        break
            problems += sp
        return finish(seed, problems, ties, work, keep_dir, o, aln, pop, args, p)
    finally:
        shutil.rmtree(work, ignore_errors=True)


def row_values(res, pop, o):
    v = [None] * 15
    v[2:5] = [res.bi, res.tri, res.quadri]
    v += [float(c) for c in res.classes]
    v += [res.nb_sequences, res.complete, res.GC3, None, None, res.Fit, res.WC]
    for members in pop.lists[:pop.count]:
        v += [res.het.get(m, -999.0) for m in members]
    if pop.count >= 2:
        v += [res.fst[i][j] for i in range(pop.count) for j in range(i + 1, pop.count)]
    return v + [None]


def dist_values(e, o, line):
    if o.print_header:
        if line == 0:
            return None
        line -= 1
    inds = e.pop.all_individuals()
    a, b = inds[line // len(inds)], inds[line % len(inds)]
    return [None, None] + list(oracle.distance_means(e.results, a, b))


def finish(seed, problems, ties, work, keep_dir, o, aln, pop, args, p):
    if problems and keep_dir:
        d = os.path.join(keep_dir, 'case_%d' % seed)
        os.makedirs(d, exist_ok=True)
        with open(os.path.join(d, 'aln.fas'), 'w') as f:
            f.write(aln)
        if pop is not None:
            with open(os.path.join(d, 'pop.txt'), 'w') as f:
                f.write(pop)
        with open(os.path.join(d, 'args.txt'), 'w') as f:
            f.write(' '.join(args) + '\n')
        with open(os.path.join(d, 'problems.txt'), 'w') as f:
            f.write('\n'.join(problems) + '\n')
        with open(os.path.join(d, 'stdout.txt'), 'w') as f:
            f.write(p.stdout)
        for fn in os.listdir(work):
            if fn not in ('aln.fas', 'pop.txt'):
                shutil.copy(os.path.join(work, fn), os.path.join(d, 'program_' + fn))
    return problems, ties


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--binary', required=True)
    ap.add_argument('--count', type=int, default=300)
    ap.add_argument('--seed', type=int, default=1)
    ap.add_argument('--case', type=int)
    ap.add_argument('--dir', action='append', default=[], help='a kept case (args.txt and its files)')
    ap.add_argument('--keep-failures')
    ap.add_argument('--verbose', action='store_true')
    a = ap.parse_args()
    binary = os.path.abspath(a.binary)
    if a.dir:
        seeds = [(d, load_case(d)) for d in a.dir]
    else:
        seeds = [(s, None) for s in ([a.case] if a.case is not None else range(a.seed, a.seed + a.count))]
    failed, all_ties, runs = [], 0, 0
    for s, case in seeds:
        problems, ties = run_case(binary, s if case is None else 0, a.keep_failures, a.verbose, case)
        runs += 1
        all_ties += len(ties)
        if problems:
            failed.append(s)
            print('case %s: %d problem(s)' % (s, len(problems)))
            for pr in problems[:8]:
                print('  ' + pr.replace('\n', '\n  '))
    print('%d alignments compared, %d with discrepancies, %d rounding ties accepted'
          % (runs, len(failed), all_ties))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
