#!/usr/bin/env python3
"""Independent re-computation of a Selvantrix run, standard library only: the reading and
cleaning reports, the kept contigs and every per-contig statistic (those the program computes
itself and those it obtains from the sequence-statistics library: site numbers, piN, piS and the
McDonald-Kreitman counts), the main output, distance and summary files and the console text
(time stamps and bootstrap intervals masked).

  oracle.py ALIGNMENT -ingroup=Sp1 [-outgroup=..] [-population_file=..] [...] [--out-dir=DIR]
prints the expected console and writes expected.out, expected.dist and expected.sum into DIR.
"""

import itertools
import math
import os
import sys
from collections import Counter
from types import SimpleNamespace

# --- Alphabets: nucleotide codes 0-3 ACGT, 4-13 ambiguities, 14 '!', 15 N; codon codes 0-63,
# -1 gap, 64 frameshift, 65 unresolved

NUC = {'-': -1, 'A': 0, 'C': 1, 'G': 2, 'T': 3, 'M': 4, 'R': 5, 'W': 6, 'S': 7,
       'Y': 8, 'K': 9, 'V': 10, 'H': 11, 'D': 12, 'B': 13, '!': 14, 'N': 15, '*': 15}
GAP, FRAMESHIFT, UNRESOLVED = -1, 64, 65
_TCAG = [3, 1, 0, 2]  # the standard genetic code, bases in T C A G order
AMINO = [None] * 64
for _n, _a in enumerate("FFLLSSSSYY**CC*WLLLLPPPPHHQQRRRRIIIMTTTTNNKKSSRRVVVVAAAADDEEGGGG"):
    AMINO[16 * _TCAG[_n // 16] + 4 * _TCAG[_n // 4 % 4] + _TCAG[_n % 4]] = _a
STOPS = {c for c in range(64) if AMINO[c] == '*'}  # 48, 50, 56

def word_to_codon(word):
    if '!' in word:
        return FRAMESHIFT
    codes = [NUC[ch] for ch in word]
    if any(c > 3 for c in codes):
        return UNRESOLVED
    return GAP if -1 in codes else codon_of(codes)

def codon_of(n):
    return 16 * n[0] + 4 * n[1] + n[2]

def codon_nucs(code):
    """The three nucleotide codes of a codon code, as the analysis reads them."""
    if 0 <= code < 64:
        return (code >> 4, (code >> 2) & 3, code & 3)
    return {GAP: (-1,) * 3, FRAMESHIFT: (14,) * 3}.get(code, (15,) * 3)

def resolved(n):
    return n <= 3

def is_gap_or_n(code):
    return code == GAP or code == UNRESOLVED

def fields(name):
    return [f for f in name.split('|') if f != '']

def field(name, k):
    """Field k of a sequence name (1 species, 2 individual), the first one when there are fewer."""
    f = fields(name)
    return f[k] if len(f) > k else f[0]

# --- Numbers: the stream's default format (printf "%g"), IEEE division, 32-bit integers

def fmt(x):
    return str(x) if isinstance(x, (str, int)) else '%g' % x

def full(x):
    """A double in full precision (to compare the program's text at its printed precision)."""
    return '%.17g' % x if isinstance(x, float) and math.isfinite(x) else fmt(x)

def div(a, b):
    a, b = float(a), float(b)
    if b != 0.0:
        return a / b
    if a == 0.0 or math.isnan(a):
        return float('nan')
    return float('-inf') if (a < 0) != (math.copysign(1.0, b) < 0) else float('inf')

def u32(x):
    return x & 0xFFFFFFFF

def i32(x):
    x &= 0xFFFFFFFF
    return x - (1 << 32) if x >= (1 << 31) else x

def add(values):
    """Sum of doubles, added left to right as the program does."""
    total = 0.0
    for v in values:
        total += v
    return total

# --- Options

DEFAULTS = dict(alignment=None, population_file='none', ingroup=None, outgroup='none', out='none',
                contig_usage='all', gc_bin=8, gapN_site=10, gapN_seq=0.5, tolerance_zone=20, min_nb_codon=10,
                kappa=1, remove_frameshift=False, compute_distances=False, allow_internal_bc=False,
                print_header=True)
UNSIGNED = ('gc_bin', 'gapN_site', 'tolerance_zone', 'min_nb_codon')

class Options:
    def __init__(self, **kw):
        # integer options are read as signed numbers into unsigned 32-bit fields
        for k, d in DEFAULTS.items():
            v = kw.get(k, d)
            setattr(self, k, u32(int(v)) if k in UNSIGNED else v if d is None else type(d)(v))

    def output_name(self):
        if self.out != 'none':
            return self.out
        base = os.path.basename(self.alignment)
        dot = base.rfind('.')
        return (base[:dot] if dot > 0 else base) + '.out'

    def derived_name(self, ext):
        out = self.output_name()
        base = out.rsplit('/', 1)[-1]
        dot = base.rfind('.')
        return (base[:dot] if dot > 0 else [p for p in out.split('/') if p][-1]) + ext

    def args(self):
        """Command-line arguments giving every option explicitly."""
        yn = lambda b: 'yes' if b else 'no'
        a = ['-alignment_file=' + self.alignment, '-ingroup=' + self.ingroup]
        a += ['-%s=%s' % (k, getattr(self, k)) for k in ('outgroup', 'population_file', 'out')
              if getattr(self, k) != 'none']
        return a + ['-contig_usage=' + self.contig_usage, '-gc_bin=%d' % self.gc_bin,
                    '-gapN_site=%d' % i32(self.gapN_site), '-gapN_seq=%r' % self.gapN_seq,
                    '-tolerance_zone=%d' % i32(self.tolerance_zone), '-min_nb_codon=%d' % i32(self.min_nb_codon),
                    '-kappa=%d' % self.kappa] + ['-%s=%s' % (k, yn(getattr(self, k))) for k in BOOLEAN_OPTIONS]

BOOLEAN_OPTIONS = ('remove_frameshift', 'compute_distances', 'allow_internal_bc', 'print_header')

def parse_options(argv):
    """Options of a command line (-name=value; a bare word is the alignment)."""
    kw = {}
    for a in argv:
        if a.startswith('-') and '=' in a:
            k, v = a[1:].split('=', 1)
            k = 'alignment' if k == 'alignment_file' else k
            if k not in BOOLEAN_OPTIONS:
                kw[k] = v
            elif v in ('true', 'TRUE', 't', 'T', 'yes', 'YES', 'y', 'Y', '1'):
                kw[k] = True
            elif v in ('false', 'FALSE', 'f', 'F', 'no', 'NO', 'n', 'N', '0'):
                kw[k] = False
            # any other value is refused and the default kept
        else:
            kw['alignment'] = a
    return Options(**kw)

# --- Input: FASTA records, contig runs, codon sequences

def read_fasta(text):
    records = []
    for line in text.split('\n'):
        line = line.rstrip('\r')
        if line.startswith('>'):
            records.append((line[1:].strip(), []))
        elif records:
            records[-1][1].append(''.join(line.split()).upper())
    return [(name, ''.join(seq)) for name, seq in records]

class Contig:
    """One contig container: names, codon rows (lists of codes) and groups (0 ingroup, 1 outgroup,
    2 other)."""

    def __init__(self, names, rows):
        self.names, self.rows, self.groups = list(names), [list(r) for r in rows], []

    def nsites(self):
        return len(self.rows[0]) if self.rows else 0

    def tag(self, o):
        self.groups = [{o.outgroup: 1, o.ingroup: 0}.get(field(n, 1), 2) for n in self.names]

    def count(self, group):
        return self.groups.count(group)

    def keep_sequences(self, keep):
        self.names, self.rows, self.groups = ([x for x, k in zip(v, keep) if k]
                                              for v in (self.names, self.rows, self.groups))

    def keep_sites(self, keep):
        self.rows = [[x for x, k in zip(r, keep) if k] for r in self.rows]

def read_alignment(text, remove_frameshift, console):
    """The contigs, one per run of consecutive records of one contig name."""
    records = read_fasta(text)
    runs = [list(run) for _, run in itertools.groupby(records, key=lambda r: fields(r[0])[0])]
    contigs = [run for run in runs if not (remove_frameshift and any('!' in seq for _, seq in run))]
    console += [' -> Initial number of sequences: %d' % len(records),
                ' -> Initial number of datasets/contigs: %d' % len(runs), '']
    if remove_frameshift:
        console += [' -> Number of conserved contigs: %d' % len(contigs),
                    '   --> Number of eliminated frameshift-containing contigs: %d' % (len(runs) - len(contigs)), '']
    to_codons = lambda s: [word_to_codon(s[i:i + 3]) for i in range(0, len(s) - len(s) % 3, 3)]
    return [Contig([n for n, _ in run], [to_codons(s) for _, s in run]) for run in contigs]

# --- Populations

class Population:
    def __init__(self, names, lists, count=None):
        self.names, self.lists = names, lists
        self.count = len(names) if count is None else count

    @staticmethod
    def from_file_text(text):
        lines = [[p for p in line.split(';') if p != ''] for line in text.split('\n') if not line.startswith('#')]
        return Population([p[0] for p in lines if len(p) >= 2], [p[1:] for p in lines if len(p) >= 2])

    @staticmethod
    def from_contigs(contigs, focal):
        """The population of the focal individuals found in the data, and whether none was found."""
        found = {f[2] for c in contigs for f in map(fields, c.names) if len(f) >= 3 and f[1] == focal}
        return Population(['All_individuals'] if found else [], [sorted(found)] if found else [], 1), not found

    def duplicates(self):
        m = self.all_individuals()
        return [x for k, x in enumerate(m) if x in m[:k]]

    def all_individuals(self):
        return [m for members in self.lists for m in members]

    def couples(self):
        return [(i, j) for i in range(self.count) for j in range(i + 1, self.count)]

    def population_id(self, individual):
        """The last population holding the individual (None: in none)."""
        return max((i for i, members in enumerate(self.lists) if individual in members), default=None)

    def display(self, from_data):
        return (['The following population has been extracted from your data:' if from_data else
                 'The selected population file contains %d population(s):' % self.count, ''] +
                [' -> Population %d:' % (i + 1) + ''.join(' ' + m for m in members)
                 for i, members in enumerate(self.lists)] + [''])

# --- Cleaning

def deal_with_bad_codons(contig, T, allow):
    """Trims the stop and frameshift codons of the first and last T codons; an internal one rejects
    the contig (True) or, allowed, turns the site unresolved."""
    N = contig.nsites()
    left, right, reject = 0, 0, False
    for row in contig.rows:
        for p in range(1, N + 1):
            if not (row[p - 1] in STOPS or row[p - 1] == FRAMESHIFT):
                continue
            if T >= p:
                left = max(left, p)
            elif N - T < p:
                right = max(right, N - p + 1)
                break
            elif allow:
                for r in contig.rows:
                    r[p - 1] = UNRESOLVED
            else:
                reject = True
    if not reject:
        contig.keep_sites([left <= j < N - right for j in range(N)])
    return reject

def clean(contigs, o, console):
    kept = []
    for k, contig in enumerate(contigs, 1):
        contig.tag(o)
        g = contig.count(0)
        console += [' -> Dataset %d (%s):' % (k, fields(contig.names[0])[0]),
                    '   --> Original number of sequences : %d sequence(s) (Ingroup: %d, Outgroup: %d, Other: %d)'
                    % (len(contig.names), g, contig.count(1), contig.count(2)),
                    '   --> Original number of sites: %d site(s)' % contig.nsites()]
        reject = lambda text: console.extend(['   --> Warning: ' + text + ' Current dataset won\'t be conserved !', ''])
        contig.keep_sequences([x != 2 for x in contig.groups])
        if contig.rows and deal_with_bad_codons(contig, i32(o.tolerance_zone), o.allow_internal_bc):
            reject('At least one internal Stop/Frameshift codon has been detected !')
            continue
        # a site stays with at least gapN_site ingroup codons neither gap nor N (unsigned arithmetic)
        contig.keep_sites([not u32(g - sum(1 for r, x in zip(contig.rows, contig.groups) if x == 0 and
                                            is_gap_or_n(r[j]))) < o.gapN_site for j in range(contig.nsites())])
        N = contig.nsites()
        contig.keep_sequences([not div(sum(map(is_gap_or_n, r)), N) > o.gapN_seq for r in contig.rows])
        if len(contig.names) < 2 or contig.nsites() < o.min_nb_codon:
            reject('Not enough data available after cleaning (stop, gap and N) !')
            continue
        console.append('   --> Number of conserved sequences and sites after cleaning (stop, gap and N): '
                       '%d sequence(s), %d site(s)' % (len(contig.names), contig.nsites()))
        if contig.count(0) == 0:
            reject('There is no more ingroup\'s sequence !')
        elif contig.count(1) == 0 and o.outgroup != 'none':
            reject('There is no more sequence of the specified outgroup species (%s) !' % o.outgroup)
        else:
            console.append('')
            kept.append(contig)
    return kept

# --- Per-contig analysis

class Alleles:
    """Allele counts at one nucleotide position (first-met order, a fourth allele is ignored)."""

    def __init__(self):
        self.number = self.typed = self.rank2 = self.het = 0
        self.codes, self.occ = [-1, -1, -1], [0, 0, 0]

    def update(self, c, rank):
        for a in range(min(self.number, 3)):
            if self.codes[a] == c:
                self.occ[a] += 1
                return
        if self.number < 3:
            self.codes[self.number] = c
            self.occ[self.number] += 1
            if self.number == 1:
                self.rank2 = rank
        self.number = min(self.number + 1, 4)

    def gc_frequency(self):
        a1, a2 = self.codes[0], self.codes[1]
        if a1 in (1, 2) and a2 in (0, 3):
            return div(self.occ[0], self.typed)
        if a1 in (0, 3) and a2 in (1, 2):
            return div(self.occ[1], self.typed)
        return -1.0

def make_pairs(names):
    """Allele pairs: (pair name, index of the first sequence, index of the second); two names agreeing
    up to their last '_' (not the first character) are the two alleles of one individual."""
    prefix = lambda n: n[:max(n.rfind('_'), 0)]
    pairs, last = [], ''
    for i in range(len(names)):
        for j in range(i + 1, len(names)):
            if names[i] != last and prefix(names[i]) != '' and prefix(names[i]) == prefix(names[j]):
                pairs.append((field(names[i], 2), i, j))
                last = names[j]
                break
    return pairs

def frequencies(codons):
    """(code, frequency) of each distinct code, by increasing code."""
    return [(c, codons.count(c) / len(codons)) for c in sorted(set(codons))]

def consensus(rows):
    """Most frequent code of each site (gaps ignored, lowest code on a tie; -1 with gaps only)."""
    return [max(sorted(set(col) - {GAP}), key=col.count, default=-1) for col in zip(*rows)]

def complete_columns(rows):
    return [list(col) for col in zip(*rows) if not any(map(is_gap_or_n, col))]

def number_of_substitutions(codons):
    """Substitutions of a codon site (no unresolved codon left): 0 with a gap or a constant site,
    else the larger of (distinct codons - 1) and the sum over the three positions of (distinct
    nucleotides - 1)."""
    if GAP in codons or len(set(codons)) <= 1:
        return 0
    return max(len(set(codons)) - 1, sum(len({codon_nucs(c)[k] for c in codons}) - 1 for k in range(3)))

def compare_resolved(r1, r2):
    """(differing, compared) positions of two nucleotide sequences, those where both are resolved."""
    c = [x != y for x, y in zip(r1, r2) if resolved(x) and resolved(y)]
    return sum(c), len(c)

def analyse_contig(contig, pop, o, bounds):
    """Statistics of one kept contig; raises LookupError for an individual outside every population."""
    res = SimpleNamespace()
    res.name = fields(contig.names[0])[0]
    names = [n for n, g in zip(contig.names, contig.groups) if g == 0]
    rows = [r for r, g in zip(contig.rows, contig.groups) if g == 0]
    nuc = [[x for c in r for x in codon_nucs(c)] for r in rows]  # nucleotide position t of codon t // 3
    positions = range(len(nuc[0]))
    res.nb_sequences, res.complete = len(rows), len(complete_columns(rows))
    # GC3 of the ingroup consensus
    third = [codon_nucs(c)[2] for c in consensus(rows)]
    gc, at = sum(t in (1, 2) for t in third), sum(t in (0, 3) for t in third)
    res.GC3 = div(gc, at + gc)
    # individual heterozygosity of the allele pairs
    pairs = make_pairs(names)
    res.het = {}
    for pname, a, b in pairs:
        d, t = compare_resolved(nuc[a], nuc[b])
        if t:
            res.het[pname] = div(d, t)
    # distances: 0.25 per differing cross comparison of two pairs' alleles, over the positions where
    # all four are resolved
    res.dist = {}
    for (n1, a1, a2) in pairs if o.compute_distances else []:
        for (n2, b1, b2) in pairs:
            quads = [q for q in zip(nuc[a1], nuc[a2], nuc[b1], nuc[b2]) if all(map(resolved, q))]
            total = 0.25 * sum(u != v for q in quads for u in q[:2] for v in q[2:])
            res.dist[n1 + '|' + n2] = (total / len(quads), len(quads)) if quads else (-1.0, 0)
    # Fit and Weir & Cockerham
    observed, expected, B, C = 0, 0.0, 0.0, 0.0
    for t in positions:
        al = Alleles()
        for idx, (_, a, b) in enumerate(pairs):
            x, y = nuc[a][t], nuc[b][t]
            if resolved(x) and resolved(y):
                al.het += x != y
                al.typed += 1
                al.update(x, idx)
                al.update(y, idx)
        if al.number != 2:
            continue
        n = float(al.typed)
        p, q = al.occ[0] / (2 * n), al.occ[1] / (2 * n)
        observed += al.het
        expected += (2 * p) * q * n
        if n > 1.0:
            h = al.het / n
            B += ((1.0 - p) * p - ((n + n - 1.0) / (n * 4.0)) * h) * (n / (n - 1.0))
            C += 0.5 * h
    res.Fit = 1.0 - observed / expected if expected != 0.0 else -999.0
    res.B, res.C, res.WC = (B, C, B / (B + C)) if B + C != 0.0 else (-999.0,) * 3
    # Fst of each population pair from the sequence pairs of different individuals (within a
    # population both orders, between two the ordered pairs)
    P = pop.count
    ind = [field(n, 2) for n in names]
    pid = [pop.population_id(i) for i in ind]
    if None in pid:
        raise LookupError(ind[pid.index(None)])
    diff, tot = Counter(), Counter()
    for i in range(len(rows)):
        for j in range(len(rows)):
            if ind[i] != ind[j]:
                d, t = compare_resolved(nuc[i], nuc[j])
                diff[pid[i], pid[j]] += d
                tot[pid[i], pid[j]] += t
    res.fst = [[-999.0] * P for _ in range(P)]
    for a, b in pop.couples():
        if tot[a, a] and tot[b, b] and tot[a, b] and diff[a, b]:
            hb, hw = diff[a, b] / tot[a, b], (diff[a, a] / tot[a, a] + diff[b, b] / tot[b, b]) * 0.5
            res.fst[a][b] = res.fst[b][a] = (hb - hw) / hb
    # SNP counts and GC classes of the synonymous single-substitution positions
    res.bi = res.tri = res.quadri = 0
    res.classes = [0] * len(bounds)
    for t in positions:
        al = Alleles()
        for i in range(len(rows)):
            if resolved(nuc[i][t]):
                al.typed += 1
                al.update(nuc[i][t], i)
        res.tri += al.number == 3
        res.quadri += al.number == 4
        if al.number != 2:
            continue
        res.bi += 1
        site = [rows[al.rank2][t // 3] if r[t // 3] == UNRESOLVED else r[t // 3] for r in rows]
        if number_of_substitutions(site) == 1 and len({AMINO[c] for c in site}) == 1:
            hit = [ci for ci, bound in enumerate(bounds) if bound >= al.gc_frequency()]
            if hit:
                res.classes[hit[0]] += 1
    res.lib = library_values(contig, o)
    return res

# --- The library-computed values, re-derived: site numbers, piN and piS, McDonald-Kreitman counts

def synonymous_positions(codon, ratio):
    """Synonymous positions of a codon: each synonymous single-base change (a stop excluded) weighs
    ratio/(ratio+2) as a transition, 1/(ratio+2) as a transversion."""
    if codon in STOPS or not 0 <= codon < 64:
        return 0.0
    pos = codon_nucs(codon)
    changes = [(p, an, codon_of(pos[:p] + (an,) + pos[p + 1:])) for p in range(3) for an in range(4) if an != pos[p]]
    return add(ratio / (ratio + 2) if {pos[p], an} in ({0, 2}, {1, 3}) else 1 / (ratio + 2)
               for p, an, c in changes if c not in STOPS and AMINO[c] == AMINO[codon])

def differences(i, j):
    return sum(a != b for a, b in zip(codon_nucs(i), codon_nucs(j)))

def synonymous_differences(i, j, minchange):
    """Synonymous differences of two codons along the single-base paths avoiding stops: the mean
    over the paths, or with minchange the largest."""
    ci, cj = codon_nucs(i), codon_nucs(j)
    nd = differences(i, j)
    syn = lambda a, b: AMINO[a] == AMINO[b]
    if nd <= 1:
        return float(nd == 1 and syn(i, j))
    mix = lambda *from_j: codon_of([cj[k] if k in from_j else ci[k] for k in range(3)])
    if nd == 2:
        if syn(i, j):
            return 2.0
        d = [k for k in range(3) if ci[k] != cj[k]]
        paths = [[i, mix(d[0]), j], [i, mix(d[1]), j]]
    else:
        paths = [[i, mix(a), mix(a, b), j] for a in range(3) for b in range(3) if a != b]
    # a path through a stop counts its steps up to the stop, and only with minchange
    stops = [next((k for k, c in enumerate(steps[1:-1], 1) if c in STOPS), None) for steps in paths]
    path = [sum(syn(a, b) for a, b in zip(steps[:k], steps[1:k])) for steps, k in zip(paths, stops)]
    if minchange:
        return float(max(path))
    return div(sum(p for p, k in zip(path, stops) if k is None), stops.count(None))

def pi_site(codons, synonymous):
    """Synonymous or non-synonymous diversity of one site, with the factor n/(n-1) of n >= 3
    codons applied twice (the integer quotient of the library, then the program's own)."""
    if len(set(codons)) <= 1 or (not synonymous and len({AMINO[c] for c in codons}) == 1):
        return 0.0
    f = frequencies(codons)
    pi = add(x1 * x2 * (s if synonymous else (differences(c1, c2) - s)) for c1, x1 in f for c2, x2 in f
             for s in [synonymous_differences(c1, c2, False)])
    n = len(codons)
    v = pi * float(n // (n - 1))
    return v * n / (n - 1) if n >= 3 else v

def site_numbers(rows, ratio):
    """(non-synonymous, synonymous) mean numbers of sites over the complete codons."""
    cols = complete_columns(rows)
    S = add(add(x * synonymous_positions(c, ratio) for c, x in frequencies(col)) for col in cols)
    return 3 * len(cols) - S, S

def without_rare_variants(col, freqmin):
    """A codon holding a nucleotide of frequency freqmin or less is replaced by the first codon
    (by code) above freqmin that is not a stop."""
    if len(set(col)) <= 1:
        return list(col)
    newcodon = next((c for c, x in frequencies(col) if x > freqmin and c not in STOPS), -1)
    nucs = [codon_nucs(c) for c in col]
    fr = [{a: b for a, b in frequencies([n[k] for n in nucs])} for k in range(3)]
    return [c if all(fr[k][nucs[i][k]] > freqmin for k in range(3)) else newcodon for i, c in enumerate(col)]

def polymorphisms(col, freqmin):
    """(all, non-synonymous) substitutions of one site, rare variants removed first."""
    if len(set(col)) <= 1:
        return 0, 0
    if freqmin > 1.0 / len(col):
        col = without_rare_variants(col, freqmin)
    if GAP in col:
        return 0, 0
    types = sorted(set(col))
    nmin = [min([differences(a, b) - int(synonymous_differences(a, b, True)) for b in types if b != a] + [10])
            for a in types]
    return number_of_substitutions(col), sum(nmin) - min(nmin + [10])

def fixed_differences(col, i, j):
    """[Ns, Na] of one complete site: the differences between the ingroup consensus i and the
    outgroup codon j at the positions where the ingroup does not vary.  With every differing position
    fixed they are the minimum-change counts.  With only some fixed, each differing position gets a
    type: the second non-synonymous, the third synonymous and the first the other type than its
    partner; with three differences the third is synonymous only when the codons have a synonymous
    difference, and the first completes the totals.  A type counts as often as it is fixed, at most
    the codons' own count of that type."""
    ci, cj = codon_nucs(i), codon_nucs(j)
    diff = [k for k in range(3) if ci[k] != cj[k]]
    fixed = [k for k in diff if len({codon_nucs(c)[k] for c in col}) == 1]
    ns = int(synonymous_differences(i, j, True))
    na = len(diff) - ns
    if len(fixed) == len(diff):
        return [ns, na]
    kind = {1: 'N', 2: 'S' if ns or len(diff) == 2 else 'N'}
    kind[0] = ('S' if diff[1] == 1 else 'N') if len(diff) == 2 else ('N' if na - (kind[2] == 'N') >= 2 else 'S')
    fs = sum(kind[k] == 'S' for k in fixed)
    return [min(ns, fs), min(na, len(fixed) - fs)]

BIO_FIELDS = ['nN', 'nS', 'fixN', 'fixS', 'polymN0', 'polymS0', 'polymN02', 'polymS02', 'MK_nN', 'MK_nS']

def library_values(contig, o):
    """The library-computed columns of one kept contig (-1 where not computed)."""
    ing = [r for r, g in zip(contig.rows, contig.groups) if g == 0]
    out = [r for r, g in zip(contig.rows, contig.groups) if g == 1]
    v = dict.fromkeys(BIO_FIELDS, -1)
    v['nN'] = v['nS'] = v['piN'] = v['piS'] = -1.0
    k = float(o.kappa)
    cols = complete_columns(ing)
    if len(cols) >= o.min_nb_codon:
        nN, nS = site_numbers(ing, k)
        v['piN'], v['piS'] = div(add(pi_site(c, False) for c in cols), nN), div(add(pi_site(c, True) for c in cols), nS)
    if o.outgroup == 'none' or not out:
        return v
    cout = consensus(out)
    v['nN'], v['nS'] = site_numbers([consensus(ing), cout], k)
    merged = ing + [cout]
    a, b = site_numbers(merged, k)
    v['MK_nN'], v['MK_nS'] = i32(int(a)), i32(int(b))
    mcols = complete_columns(merged)
    for f, suffix in ((0.0, '0'), (0.2, '02')):
        counts = [polymorphisms(col[:-1], f) for col in mcols]
        v['polymN' + suffix], v['polymS' + suffix] = sum(n for _, n in counts), sum(t - n for t, n in counts)
    fix = [fixed_differences(col[:-1], consensus([[c] for c in col[:-1]])[0], col[-1]) for col in mcols]
    v['fixS'], v['fixN'] = sum(d[0] for d in fix), sum(d[1] for d in fix)
    return v

# --- Summary

def ds_threshold(items, k):
    """Median plus k sample standard deviations of the contigs' dS (fixS / nS)."""
    vals = sorted(v for v in (div(c.lib['fixS'], c.nS) for c in items) if not math.isnan(v))
    n = len(vals)
    if n == 0:
        return float('nan')
    median = vals[n // 2] if n % 2 else 0.5 * (vals[n // 2 - 1] + vals[n // 2])
    mean = div(add(vals), n)
    var = div(n * div(add((v - mean) * (v - mean) for v in vals), n), n - 1)
    return (math.sqrt(var) if var >= 0 else float('nan')) * k + median

def weighted_mean(items, value, below):
    """Mean of value(c) weighted by the complete sites over the items whose value is not below."""
    kept = [c for c in items if not below > value(c)]
    w = sum(c.complete for c in kept)
    return div(add(c.complete * value(c) for c in kept), w), w

def summary_values(items, pop):
    """Every average of the summary over the selected contigs (in order)."""
    for c in items:
        c.nN, c.nS = i32(int(c.lib['nN'])), i32(int(c.lib['nS']))
    lib = lambda key: (lambda c: c.lib[key])
    r = {'nb_contig': len(items), 'snp': [sum(getattr(c, a) for c in items) for a in ('bi', 'tri', 'quadri')]}
    used = [c for c in items if not (-0.1 > c.lib['piS'])]
    r['used_pi'] = len(used)
    r['piS'], r['piN'] = weighted_mean(used, lib('piS'), -0.1)[0], weighted_mean(used, lib('piN'), -math.inf)[0]
    r['piNpiS'] = div(r['piN'], r['piS'])
    r['length'] = sum(c.complete for c in used) // len(used) if used else 0
    r['fit'], _ = weighted_mean(items, lambda c: c.Fit, -100.0)
    r['used_fit'] = sum(1 for c in items if not -100.0 > c.Fit)
    used = [c for c in items if not (-900.0 > c.B) and not (-900.0 > c.C)]
    r['used_wc'] = len(used)
    sB, sC = add(c.B for c in used), add(c.C for c in used)
    r['wc'] = div(sB, sB + sC)
    # dN/dS and NI: a contig counts with at most 1000 fixed differences (and polymorphisms for NI)
    # and its dS not above the threshold
    thr = r['ds_threshold'] = ds_threshold(items, 2.0)
    small = lambda c, *keys: all(c.lib[key] <= 1000 for key in keys)
    above = lambda c: div(c.lib['fixS'], c.nS) > thr
    used = [c for c in items if small(c, 'fixN', 'fixS') and not above(c)]
    r['above'] = sum(1 for c in items if small(c, 'fixN', 'fixS') and above(c))
    total = lambda key, cs: i32(sum(getattr(c, key) if key in ('nN', 'nS') else c.lib[key] for c in cs))
    r['dN'] = div(total('fixN', used), total('nN', used))
    r['dS'] = div(total('fixS', used), total('nS', used))
    r['dNdS'] = div(r['dN'], r['dS'])
    used = [c for c in items if small(c, 'fixN', 'fixS', 'polymN0', 'polymS0') and not above(c)]
    r['used_ni'] = len(used)
    fS, fN = total('fixS', used), total('fixN', used)
    r['NI'] = div(total('polymN0', used) * fS, total('polymS0', used) * fN)
    r['NI02'] = div(total('polymN02', used) * fS, total('polymS02', used) * fN)
    r['het'] = [(m, weighted_mean(items, lambda c: c.het.get(m, -999.0), -100.0)[0]) for m in pop.all_individuals()]
    r['fst'] = []
    for a, b in pop.couples():
        mean, w = weighted_mean(items, lambda c: c.fst[a][b], -100.0)
        r['fst'].append(('%s|%s' % (pop.names[a], pop.names[b]), mean if w else 0.0))
    return r

def summary_lines(r, o, pop, fmt=fmt):
    CI = ' [CI]'  # bootstrap interval, masked
    L = ['#' * 80, '#' + ' ' * 30 + 'Biological Summary' + ' ' * 30 + '#', '#' * 80, '',
         'Selected ingroup species: ' + o.ingroup, '',
         'Number of analyzed individual: %d (from %d population(s))' % (len(pop.all_individuals()), pop.count), '',
         'Total number of contig used for sequence analysis: %d' % r['nb_contig'], '',
         'Total number of SNPs: %d' % sum(r['snp']), '',
         '  - Biallelic: %d' % r['snp'][0], '  - Triallelic: %d' % r['snp'][1],
         '  - Quadriallelic: %d' % r['snp'][2], '',
         'Fit:', '', 'Average Fit: ' + fmt(r['fit']) + CI, '(Fit calculated in %d contigs)' % r['used_fit'], '',
         'Weir & Cockerham Fit (Evolution 1984):', '',
         'Average Weir & Cockerham Fit: ' + fmt(r['wc']) + CI, '(Fit calculated in %d contigs)' % r['used_wc'], '',
         'piN/piS ratio:', '',
         'Average piS in focal species: ' + fmt(r['piS']) + CI,
         'Average piN in focal species: ' + fmt(r['piN']) + CI,
         'Average piN / average piS: ' + fmt(r['piNpiS']) + CI,
         '(piS and piN calculated in %d contigs of average length %d)' % (r['used_pi'], r['length']), '']
    if o.outgroup != 'none':
        L += ['dN/dS ratio:', '',
              'Average dS: ' + fmt(r['dS']) + CI,
              'Average dN: ' + fmt(r['dN']) + CI,
              'Average dN/dS: ' + fmt(r['dNdS']) + CI,
              '(%d contigs with dS > %s has been discarded)' % (r['above'], fmt(r['ds_threshold'])), '',
              'Alpha:', '',
              'NI: ' + fmt(r['NI']) + ' => alpha: ' + fmt(1.0 - r['NI']) + CI + ' (all SNPs)',
              'NI0.2: ' + fmt(r['NI02']) + ' => alpha0.2: ' + fmt(1.0 - r['NI02']) + CI + ' (allele freq > 0.2)',
              '(MK-analysis performed in %d contigs)' % r['used_ni'], '']
    L += ['Individual heterozygosity:', ''] + ['H(%s): %s' % (m, fmt(v)) for m, v in r['het']] + ['']
    if r['fst']:
        L += ['Population differentiation:', ''] + ['Fst(%s): %s' % (k, fmt(v)) for k, v in r['fst']]
    return L + ['']

# --- Output files

def header_line(o, pop, bounds):
    t = ['Contig_name', 'Status', 'BiAllelic_SNP', 'TriAllelic_SNP', 'QuadriAllelic_SNP', 'nN', 'nS',
         'fixN', 'fixS', 'polymN0.0', 'polymS0.0', 'polymN0.2', 'polymS0.2', 'MK_nN', 'MK_nS']
    t += ['GCalfreq<=' + '%g' % b for b in bounds]
    t += [o.ingroup + s for s in ('_nb_sequence', '_nb_complete_site', '_GC3', '_piN', '_piS', '_Fit',
                                  '_WeirCockerham84_Fit')]
    t += ['H(%s)' % m for members in pop.lists[:pop.count] for m in members]
    t += ['Fst(%s,%s)' % (pop.names[a], pop.names[b]) for a, b in pop.couples()]
    return ''.join(x + '\t' for x in t)

def row_line(res, pop, fmt=fmt):
    v = [res.name, 'OK', res.bi, res.tri, res.quadri] + [res.lib[k] for k in BIO_FIELDS]
    v += [float(c) for c in res.classes]
    v += [res.nb_sequences, res.complete, res.GC3, res.lib['piN'], res.lib['piS'], res.Fit, res.WC]
    v += [res.het.get(m, -999.0) for members in pop.lists[:pop.count] for m in members]
    v += [res.fst[a][b] for a, b in pop.couples()]
    return ''.join(fmt(x) + '\t' for x in v)

def distance_means(results, a, b):
    """Weighted and unweighted mean distance of the ordered pair (a, b) over all contigs; -1 when
    nothing went into a mean."""
    d = [xm for xm in (res.dist.get(a + '|' + b, (-1.0, 0)) for res in results) if xm[0] >= 0.0]
    sm = add(m for _, m in d)
    return (add(x * m for x, m in d) / sm if sm != 0 else -1.0), (add(x for x, _ in d) / len(d) if d else -1.0)

def distance_text(results, pop, o, fmt=fmt):
    inds = pop.all_individuals()
    lines = ['Individual_1\tIndividual_2\tWeighted_distance\tUnweighted_distance'] if o.print_header else []
    lines += ['\t'.join([a, b] + [fmt(x) for x in distance_means(results, a, b)]) for a in inds for b in inds]
    return ''.join(l + '\n' for l in lines)

# --- Whole run

def mask_console(text):
    stamps = ('Start time: ', '   --> Begin: ', '   --> Stop: ', 'Stop time: ')
    return '\n'.join(next((p + '<time>' for p in stamps if line.startswith(p)), line) for line in text.split('\n'))

def welcome(o):
    L = ['', '#' * 83, '#          Welcome in Selvantrix (Version 3 (Last update: 12-06-2013))          #', '#' * 83,
         'Start time: <time>', '', 'Selected alignment file: ' + o.alignment,
         'Selected population file: ' + o.population_file, '', 'Selected focal/ingroup species: ' + o.ingroup]
    L += ['Selected external/outgroup species: ' + o.outgroup, ''] if o.outgroup != 'none' else ['']
    bad = 'Stop' if o.remove_frameshift else 'Stop and Frameshift'
    L += ['Frameshift-containing contigs will be rejected during the initial cleaning procedure !'
          if o.remove_frameshift else 'Frameshift-containing contigs will be conserved during the alignment file loading.',
          '%s codons will be tolerated in the first/last %d codon(s) of each sequence.' % (bad, o.tolerance_zone),
          'Internal %s codons will be tolerated and replaced by NNN codons.' % bad if o.allow_internal_bc else
          'Internal %s codons are forbidden and the corresponding contig will be rejected !' % bad]
    L += ['', 'Distance between focal individuals will be computed !', ''] if o.compute_distances else ['']
    return L + ['The following contigs will be used to generate the Biological summary: %s contigs' % o.contig_usage, '']

GOODBYE = ['Stop time: <time>', '#' * 83, '#' + ' ' * 26 + 'Selvantrix - End of execution' + ' ' * 26 + '#', '#' * 83]

def expected_run(o, alignment_text, population_text=None):
    """The whole expected run: status, stderr text, console lines and the texts of the main, distance
    and summary files (None where none is written), the three also with every double in full
    precision (full).  status 'nonzero' with err_contains: a run that must fail with that message."""
    e = SimpleNamespace()
    e.status, e.err, e.main, e.dist, e.summary, e.full, e.results = 0, '', None, None, None, (None,) * 3, []
    con = e.console = []

    def fail(err):
        e.err, e.status = e.err + err, 1
        con.extend(GOODBYE)
        return e

    if o.outgroup == 'none':
        con.append("WARNING!!! Parameter -outgroup is missing ! All analysis that requires more than one "
                   "species won't be executed !")
    con += welcome(o)
    bounds = [k * (1.0 / o.gc_bin) for k in range(1, o.gc_bin + 1)]
    pop = None
    if o.population_file != 'none':
        pop = Population.from_file_text(population_text)
        dup = pop.duplicates()
        if dup:
            con += ['WARNING!!! Duplicates has been detected in the selected population file !', '',
                    'Here is the list of individual that exists in at least 2 populations:' +
                    ''.join(' ' + d for d in dup), '']
            return fail('ERROR!!! Current Selvantrix version is not compatible with duplicates-containing '
                        'populations !\n')
        con += pop.display(False)
    con += ['Alignment input file analysis:', '']
    contigs = read_alignment(alignment_text, o.remove_frameshift, con)
    if not contigs:
        return fail('ERROR!!! Sorry, there is not enough dataset/contig to perform the analysis ! '
                    'Execution canceled..\n')
    if pop is None:
        pop, none_found = Population.from_contigs(contigs, o.ingroup)
        if none_found:
            e.err += 'ERROR!!! There is no focal individuals in the selected PolymorphismSequenceContainer\n'
        con += pop.display(True)
    e.pop = pop
    con += ['Datasets/Contigs cleaning procedure:', '']
    kept = clean(contigs, o, con)
    if not kept:
        return fail('ERROR!!! Sorry, there is not enough clean dataset/contig to perform the analysis ! '
                    'Execution canceled..\n')
    con += ['Dataset/Contig analysis procedure:', '', ' -> Number of cleaned dataset: %d' % len(kept), '',
            '   --> Begin: <time>']
    try:
        e.results = [analyse_contig(c, pop, o, bounds) for c in kept]
    except LookupError as ex:
        e.status, e.console = 'nonzero', None
        e.err_contains = "Individual %s doesn't belong to any population !" % ex.args[0]
        return e
    con += ['   --> Stop: <time>', '', 'All results are now written into the following file: ' + o.output_name(), '']
    if o.compute_distances:
        con += ['Distances between each focal individuals are now written into the following file : ' +
                o.derived_name('.dist'), '']
    con += ['The Biological Summary is now written into the following file : ' + o.derived_name('.sum'), '']
    con += GOODBYE
    selected = {'even': e.results[1::2], 'odd': e.results[0::2]}.get(o.contig_usage, e.results)
    averages = summary_values(selected, pop)

    def files(f):
        rows = [header_line(o, pop, bounds)] if o.print_header else []
        return (''.join(l + '\n' for l in rows + [row_line(res, pop, f) for res in e.results]),
                distance_text(e.results, pop, o, f) if o.compute_distances else None,
                '\n'.join(summary_lines(averages, o, pop, f)) + '\n')

    (e.main, e.dist, e.summary), e.full = files(fmt), files(full)
    return e

def main(argv):
    out_dir = next((a.split('=', 1)[1] for a in argv if a.startswith('--out-dir=')), '.')
    o = parse_options([a for a in argv if not a.startswith('--out-dir=')])
    read = lambda name: open(name).read()
    e = expected_run(o, read(o.alignment), read(o.population_file) if o.population_file != 'none' else None)
    sys.stdout.write('\n'.join(e.console or []) + '\n')
    sys.stderr.write(e.err)
    for name, text in (('expected.out', e.main), ('expected.dist', e.dist), ('expected.sum', e.summary)):
        if text is not None:
            with open(os.path.join(out_dir, name), 'w') as f:
                f.write(text)
    return 0 if e.status == 0 else 1

if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
