#!/usr/bin/env python3
"""Independent re-computation of a Selvantrix run, standard library only: the reading and
cleaning reports, the kept contigs and every per-contig statistic (those the program computes
itself and those it obtains from the sequence-statistics library: site numbers, piN, piS and the
McDonald-Kreitman counts), the main output, distance and summary files and the console text
(time stamps and bootstrap intervals masked).

  oracle.py ALIGNMENT -ingroup=Sp1 [-outgroup=..] [-population_file=..] [...] [--out-dir=DIR]
prints the expected console and writes expected.out, expected.dist and expected.sum into DIR.
"""

import math
import os
import re
import sys

# --- Alphabets

NUC = {'-': -1, 'A': 0, 'C': 1, 'G': 2, 'T': 3, 'M': 4, 'R': 5, 'W': 6, 'S': 7,
       'Y': 8, 'K': 9, 'V': 10, 'H': 11, 'D': 12, 'B': 13, '!': 14, 'N': 15, '*': 15}
FRAMESHIFT = 64
UNRESOLVED = 65
GAP = -1
# standard genetic code, bases in T C A G order
_AA_TCAG = "FFLLSSSSYY**CC*WLLLLPPPPHHQQRRRRIIIMTTTTNNKKSSRRVVVVAAAADDEEGGGG"
_TCAG = {'T': 3, 'C': 1, 'A': 0, 'G': 2}
AMINO = [None] * 64
for _i, _a in enumerate("TCAG"):
    for _j, _b in enumerate("TCAG"):
        for _k, _c in enumerate("TCAG"):
            AMINO[16 * _TCAG[_a] + 4 * _TCAG[_b] + _TCAG[_c]] = _AA_TCAG[16 * _i + 4 * _j + _k]
STOPS = {c for c in range(64) if AMINO[c] == '*'}  # 48, 50, 56


def word_to_codon(word):
    """Code of a three-letter word of the codon alphabet."""
    if '!' in word:
        return FRAMESHIFT
    codes = [NUC[ch] for ch in word]
    if any(c > 3 for c in codes):
        return UNRESOLVED
    if any(c == -1 for c in codes):
        return GAP
    return 16 * codes[0] + 4 * codes[1] + codes[2]


def codon_nucs(code):
    """The three nucleotide codes of a codon code, as the analysis reads them."""
    if 0 <= code < 64:
        return (code >> 4, (code >> 2) & 3, code & 3)
    if code == GAP:
        return (-1, -1, -1)
    if code == FRAMESHIFT:
        return (14, 14, 14)
    return (15, 15, 15)


def resolved(n):
    return n <= 3


def is_bad(code):
    return code in STOPS or code == FRAMESHIFT


def is_gap_or_n(code):
    return code == GAP or code == UNRESOLVED


def fields(name, sep='|'):
    return [f for f in name.split(sep) if f != '']


def species_of(name):
    f = fields(name)
    return f[1] if len(f) >= 2 else f[0]


def individual_of(name):
    f = fields(name)
    return f[2] if len(f) >= 3 else f[0]


# --- Number formatting (the stream's default: printf "%g")

def fmt(x):
    if isinstance(x, str):
        return x
    if isinstance(x, int):
        return str(x)
    if math.isnan(x):
        return 'nan'
    if math.isinf(x):
        return 'inf' if x > 0 else '-inf'
    return '%g' % x


def div(a, b):
    """IEEE double division (Python raises on a zero divisor)."""
    a = float(a)
    b = float(b)
    if b == 0.0:
        if a == 0.0 or math.isnan(a):
            return float('nan')
        neg = (a < 0) != (math.copysign(1.0, b) < 0)
        return float('-inf') if neg else float('inf')
    return a / b


def u32(x):
    return x & 0xFFFFFFFF


def i32(x):
    x &= 0xFFFFFFFF
    return x - (1 << 32) if x >= (1 << 31) else x


# --- Options

class Options:
    def __init__(self, **kw):
        self.alignment = kw.get('alignment')
        self.population_file = kw.get('population_file', 'none')
        self.ingroup = kw.get('ingroup')
        self.outgroup = kw.get('outgroup', 'none')
        self.out = kw.get('out', 'none')
        self.contig_usage = kw.get('contig_usage', 'all')
        # integer options are read as signed numbers into unsigned 32-bit fields
        self.gc_bin = u32(int(kw.get('gc_bin', 8)))
        self.gapN_site = u32(int(kw.get('gapN_site', 10)))
        self.gapN_seq = float(kw.get('gapN_seq', 0.5))
        self.tolerance_zone = u32(int(kw.get('tolerance_zone', 20)))
        self.min_nb_codon = u32(int(kw.get('min_nb_codon', 10)))
        self.kappa = int(kw.get('kappa', 1))
        self.remove_frameshift = bool(kw.get('remove_frameshift', False))
        self.compute_distances = bool(kw.get('compute_distances', False))
        self.allow_internal_bc = bool(kw.get('allow_internal_bc', False))
        self.print_header = bool(kw.get('print_header', True))

    def output_name(self):
        if self.out != 'none':
            return self.out
        base = os.path.basename(self.alignment)
        dot = base.rfind('.')
        name = base[:dot] if dot > 0 else ''
        return (name if name else base) + '.out'

    def derived_name(self, ext):
        out = self.output_name()
        base = out.rsplit('/', 1)[-1]
        dot = base.rfind('.')
        name = base[:dot] if dot > 0 else ''
        if name == '':
            name = [p for p in out.split('/') if p][-1]
        return name + ext

    def args(self):
        """Command-line arguments giving every option explicitly."""
        yn = lambda b: 'yes' if b else 'no'
        a = ['-alignment_file=' + self.alignment, '-ingroup=' + self.ingroup]
        if self.outgroup != 'none':
            a.append('-outgroup=' + self.outgroup)
        if self.population_file != 'none':
            a.append('-population_file=' + self.population_file)
        if self.out != 'none':
            a.append('-out=' + self.out)
        a += ['-contig_usage=' + self.contig_usage, '-gc_bin=%d' % self.gc_bin,
              '-gapN_site=%d' % i32(self.gapN_site), '-gapN_seq=%s' % repr(self.gapN_seq),
              '-tolerance_zone=%d' % i32(self.tolerance_zone), '-min_nb_codon=%d' % i32(self.min_nb_codon),
              '-kappa=%d' % self.kappa, '-remove_frameshift=' + yn(self.remove_frameshift),
              '-compute_distances=' + yn(self.compute_distances),
              '-allow_internal_bc=' + yn(self.allow_internal_bc),
              '-print_header=' + yn(self.print_header)]
        return a


# --- Input: FASTA records, contig runs, codon sequences

def read_fasta(text):
    records = []
    name, seq = None, []
    for line in text.split('\n'):
        line = line.rstrip('\r')
        if line.startswith('>'):
            if name is not None:
                records.append((name, ''.join(seq)))
            name, seq = line[1:].strip(), []
        elif name is not None:
            seq.append(''.join(line.split()).upper())
    if name is not None:
        records.append((name, ''.join(seq)))
    return records


class Contig:
    """One contig container: names and codon rows (list of lists of codes)."""

    def __init__(self, names, rows):
        self.names = list(names)
        self.rows = [list(r) for r in rows]
        self.groups = []

    def nsites(self):
        return len(self.rows[0]) if self.rows else 0


def to_codons(seq):
    return [word_to_codon(seq[i:i + 3]) for i in range(0, len(seq) - len(seq) % 3, 3)]


def read_alignment(text, remove_frameshift, console):
    records = read_fasta(text)
    console.append(' -> Initial number of sequences: %d' % len(records))
    contigs = []
    current, open_run, keep, runs, eliminated = '', None, True, 0, 0
    for name, seq in records:
        c = fields(name)[0]
        if c == current:
            if not keep:
                continue
        else:
            if open_run is not None:
                contigs.append(open_run)
            current, open_run, runs, keep = c, [], runs + 1, True
        if remove_frameshift and '!' in seq:
            eliminated += 1
            open_run, keep = None, False
            continue
        open_run.append((name, seq))
    if open_run is not None:
        contigs.append(open_run)
    console.append(' -> Initial number of datasets/contigs: %d' % runs)
    console.append('')
    if remove_frameshift:
        console.append(' -> Number of conserved contigs: %d' % len(contigs))
        console.append('   --> Number of eliminated frameshift-containing contigs: %d' % eliminated)
        console.append('')
    return [Contig([n for n, _ in run], [to_codons(s) for _, s in run]) for run in contigs]


# --- Populations

class Population:
    def __init__(self, names, lists, count=None):
        self.names = names
        self.lists = lists
        self.count = len(names) if count is None else count

    @staticmethod
    def from_file_text(text):
        lines = text.split('\n')
        if text.endswith('\n'):
            lines = lines[:-1]
        names, lists = [], []
        for line in lines:
            if line.startswith('#') or line == '':
                continue
            pieces = [p for p in line.split(';') if p != '']
            if len(pieces) >= 2:
                lists.append(pieces[1:])
                names.append(pieces[0])
        return Population(names, lists)

    @staticmethod
    def from_contigs(contigs, focal):
        found = set()
        for c in contigs:
            for n in c.names:
                f = fields(n)
                if len(f) >= 3 and f[1] == focal:
                    found.add(f[2])
        if not found:
            return Population([], [], 1), True
        return Population(['All_individuals'], [sorted(found)], 1), False

    def duplicates(self):
        seen, dup = {}, []
        for members in self.lists:
            for m in members:
                seen[m] = seen.get(m, 0) + 1
                if seen[m] > 1:
                    dup.append(m)
        return dup

    def all_individuals(self):
        return [m for members in self.lists for m in members]

    def couples(self):
        return [self.names[i] + '|' + self.names[j]
                for i in range(self.count) for j in range(i + 1, self.count)]

    def population_id(self, individual):
        found = None
        for i, members in enumerate(self.lists):
            if individual in members:
                found = i
        return found

    def display(self, from_data):
        out = ['The following population has been extracted from your data:' if from_data else
               'The selected population file contains %d population(s):' % self.count, '']
        for i, members in enumerate(self.lists):
            out.append(' -> Population %d:' % (i + 1) + ''.join(' ' + m for m in members))
        out.append('')
        return out


# --- Cleaning

def tag(contig, focal, outgroup):
    contig.groups = []
    for n in contig.names:
        sp = species_of(n)
        contig.groups.append(0 if sp == focal else (1 if sp == outgroup else 2))


def member_counts(contig):
    counts = {}
    for g in contig.groups:
        counts[g] = counts.get(g, 0) + 1
    return counts


def remove_sequence(contig, i):
    del contig.names[i]
    del contig.rows[i]
    del contig.groups[i]


def remove_site(contig, j):
    for r in contig.rows:
        del r[j]


def deal_with_bad_codons(contig, T, allow):
    N = contig.nsites()
    left, right, reject = -1, -1, False
    for s in range(len(contig.rows)):
        p = 1
        while p <= N:
            code = contig.rows[s][p - 1]
            if not is_bad(code):
                p += 1
                continue
            if T >= p:
                left = max(left, p)
                p += 1
                continue
            if N - T < p:
                right = max(right, N - p + 1)
                break
            if allow:
                for r in contig.rows:
                    r[p - 1] = UNRESOLVED
            else:
                reject = True
            p += 1
    if reject:
        return True
    if left >= 0:
        for _ in range(left):
            remove_site(contig, 0)
    if right >= 0:
        M = contig.nsites()
        for j in range(M - 1, M - right - 1, -1):
            remove_site(contig, j)
    return False


def clean(contigs, o, console):
    kept = []
    for k, contig in enumerate(contigs, 1):
        tag(contig, o.ingroup, o.outgroup)
        counts = member_counts(contig)
        name = fields(contig.names[0])[0]
        console.append(' -> Dataset %d (%s):' % (k, name))
        console.append('   --> Original number of sequences : %d sequence(s) (Ingroup: %d, Outgroup: %d, Other: %d)'
                       % (len(contig.names), counts.get(0, 0), counts.get(1, 0), counts.get(2, 0)))
        console.append('   --> Original number of sites: %d site(s)' % contig.nsites())

        def reject(text):
            console.append('   --> Warning: ' + text)
            console.append('')

        if counts.get(2, 0) > 0:
            for i in range(len(contig.names) - 1, -1, -1):
                if contig.groups[i] == 2:
                    remove_sequence(contig, i)
            tag(contig, o.ingroup, o.outgroup)
        if contig.rows and deal_with_bad_codons(contig, i32(o.tolerance_zone), o.allow_internal_bc):
            reject('At least one internal Stop/Frameshift codon has been detected ! Current dataset won\'t be conserved !')
            continue
        g = counts.get(0, 0)
        for j in range(contig.nsites() - 1, -1, -1):
            c = sum(1 for i, r in enumerate(contig.rows) if contig.groups[i] == 0 and is_gap_or_n(r[j]))
            if u32(g - c) < o.gapN_site:  # unsigned arithmetic
                remove_site(contig, j)
        N = contig.nsites()
        for i in range(len(contig.names) - 1, -1, -1):
            c = sum(1 for x in contig.rows[i] if is_gap_or_n(x))
            share = div(c, N)
            if share > o.gapN_seq:
                remove_sequence(contig, i)
        tag(contig, o.ingroup, o.outgroup)
        if len(contig.names) < 2 or contig.nsites() < o.min_nb_codon:
            reject('Not enough data available after cleaning (stop, gap and N) ! Current dataset won\'t be conserved !')
            continue
        console.append('   --> Number of conserved sequences and sites after cleaning (stop, gap and N): '
                       '%d sequence(s), %d site(s)' % (len(contig.names), contig.nsites()))
        counts = member_counts(contig)
        if counts.get(0, 0) == 0:
            reject('There is no more ingroup\'s sequence ! Current dataset won\'t be conserved !')
            continue
        if counts.get(1, 0) == 0 and o.outgroup != 'none':
            reject('There is no more sequence of the specified outgroup species (%s) ! '
                   'Current dataset won\'t be conserved !' % o.outgroup)
            continue
        console.append('')
        kept.append(contig)
    return kept


# --- Per-contig analysis

class Alleles:
    """Allele counts at one nucleotide position (first-met order, a fourth allele is ignored)."""

    def __init__(self):
        self.number = 0
        self.typed = 0
        self.codes = [-1, -1, -1]
        self.occ = [0, 0, 0]
        self.rank2 = 0
        self.het = 0

    def update(self, c, rank):
        if self.number == 0:
            self.codes[0] = c
            self.occ[0] += 1
            self.number = 1
            return
        for a in range(min(self.number, 3)):
            if self.codes[a] == c:
                self.occ[a] += 1
                return
        if self.number == 1:
            self.codes[1] = c
            self.occ[1] += 1
            self.rank2 = rank
            self.number = 2
        elif self.number == 2:
            self.codes[2] = c
            self.occ[2] += 1
            self.number = 3
        elif self.number == 3:
            self.number = 4

    def bi(self):
        return self.number == 2

    def gc_frequency(self):
        a1, a2 = self.codes[0], self.codes[1]
        if a1 in (1, 2) and a2 in (0, 3):
            return div(self.occ[0], self.typed)
        if a1 in (0, 3) and a2 in (1, 2):
            return div(self.occ[1], self.typed)
        return -1.0


def prefix_before_last_underscore(name):
    for p in range(len(name) - 1, 0, -1):
        if name[p] == '_':
            return name[:p]
    return ''


def is_a_pair(n1, n2):
    p1 = prefix_before_last_underscore(n1)
    if p1 == '':
        return False
    p2 = prefix_before_last_underscore(n2)
    return p2 != '' and p1 == p2


def make_pairs(names):
    """Allele pairs: list of (pair name, index of first sequence, index of second)."""
    pairs, last = [], ''
    for i in range(len(names)):
        for j in range(i + 1, len(names)):
            if names[i] == last:
                continue
            if is_a_pair(names[i], names[j]):
                pairs.append((individual_of(names[i]), i, j))
                last = names[j]
                break
    return pairs


def consensus(rows):
    out = []
    for j in range(len(rows[0]) if rows else 0):
        freq = {}
        for r in rows:
            freq[r[j]] = freq.get(r[j], 0) + 1
        best, cons = 0, -1
        for code in sorted(freq):
            if code != -1 and freq[code] > best:
                best, cons = freq[code], code
        out.append(cons)
    return out


def complete_sites(rows):
    if not rows:
        return 0
    return sum(1 for j in range(len(rows[0])) if not any(is_gap_or_n(r[j]) for r in rows))


def number_of_substitutions(codons):
    """Substitutions of a codon site (no unresolved codon left): 0 with a gap or
    a constant site, else the larger of (distinct codons - 1) and the sum over
    the three positions of (distinct nucleotides - 1)."""
    if any(c == GAP for c in codons) or len(set(codons)) <= 1:
        return 0
    s_codon = len(set(codons)) - 1
    s_base = sum(len({codon_nucs(c)[k] for c in codons}) - 1 for k in range(3))
    return max(s_codon, s_base)


class ContigResult:
    pass


def analyse_contig(contig, pop, o, bounds):
    """Statistics of one kept contig; raises LookupError for an individual outside every population."""
    res = ContigResult()
    res.name = fields(contig.names[0])[0]
    ing_idx = [i for i, g in enumerate(contig.groups) if g == 0]
    names = [contig.names[i] for i in ing_idx]
    rows = [contig.rows[i] for i in ing_idx]
    nrow = [[codon_nucs(c) for c in r] for r in rows]
    L = len(rows[0]) if rows else 0
    res.nb_sequences = len(rows)
    res.complete = complete_sites(rows)
    # GC3 of the ingroup consensus
    gc = at = 0
    for c in consensus(rows):
        t = codon_nucs(c)[2]
        if t in (0, 3):
            at += 1
        elif t in (1, 2):
            gc += 1
    res.GC3 = div(gc, at + gc)
    # allele pairs
    pairs = make_pairs(names)
    res.pairs = [p[0] for p in pairs]
    res.het = {}
    for pname, a, b in pairs:
        compared = differ = 0
        for s in range(L):
            for k in range(3):
                x, y = nrow[a][s][k], nrow[b][s][k]
                if resolved(x) and resolved(y):
                    compared += 1
                    differ += x != y
        if compared > 0:
            res.het[pname] = div(differ, compared)
    # distances
    res.dist = {}
    if o.compute_distances:
        for (n1, a1, a2) in pairs:
            for (n2, b1, b2) in pairs:
                nb, total = 0, 0.0
                for s in range(L):
                    for k in range(3):
                        x11, x12 = nrow[a1][s][k], nrow[a2][s][k]
                        x21, x22 = nrow[b1][s][k], nrow[b2][s][k]
                        if resolved(x11) and resolved(x12) and resolved(x21) and resolved(x22):
                            nb += 1
                            for u, v in ((x11, x21), (x11, x22), (x12, x21), (x12, x22)):
                                if u != v:
                                    total += 0.25
                res.dist[n1 + '|' + n2] = (total / nb, nb) if nb else (-1.0, 0)
    # Fit and Weir & Cockerham
    count = observed = 0
    expected = 0.0
    wc_count, B, C = 0, 0.0, 0.0
    for s in range(L):
        for k in range(3):
            al = Alleles()
            for idx, (_, a, b) in enumerate(pairs):
                x, y = nrow[a][s][k], nrow[b][s][k]
                if resolved(x) and resolved(y):
                    if x != y:
                        al.het += 1
                    al.typed += 1
                    al.update(x, idx)
                    al.update(y, idx)
            if not al.bi():
                continue
            n = al.typed
            p = al.occ[0] / (2 * n)
            q = al.occ[1] / (2 * n)
            count += 1
            observed += al.het
            expected += (2 * p) * q * n
            nd = float(n)
            if nd > 1.0:
                p = al.occ[0] / (2.0 * nd)
                h = al.het / nd
                st1 = nd / (nd - 1.0)
                st2 = (1.0 - p) * p
                st3 = ((nd + nd - 1.0) / (nd * 4.0)) * h
                B += (st2 - st3) * st1
                wc_count += 1
                C += 0.5 * h
    res.Fit = 1.0 - observed / expected if count > 0 and expected != 0.0 else -999.0
    if wc_count > 0 and B + C != 0.0:
        res.B, res.C, res.WC = B, C, B / (B + C)
    else:
        res.B = res.C = res.WC = -999.0
    # Fst
    P = pop.count
    ind = [individual_of(n) for n in names]
    pid = []
    for i, name in enumerate(ind):
        p_ = pop.population_id(name)
        if p_ is None:
            raise LookupError(name)
        pid.append(p_)
    dW, tW = [0] * P, [0] * P
    dB = [[0] * P for _ in range(P)]
    tB = [[0] * P for _ in range(P)]
    for i in range(len(rows)):
        for j in range(len(rows)):
            if ind[i] == ind[j]:
                continue
            pi, pj = pid[i], pid[j]
            d = t = 0
            ri, rj = nrow[i], nrow[j]
            for s in range(L):
                for k in range(3):
                    x, y = ri[s][k], rj[s][k]
                    if resolved(x) and resolved(y):
                        t += 1
                        d += x != y
            if pi != pj:
                dB[pi][pj] += d
                tB[pi][pj] += t
            else:
                dW[pi] += d
                tW[pi] += t
    fst = [[-999.0] * P for _ in range(P)]
    hw = {}
    for a in range(P):
        if tW[a] == 0:
            continue
        hw[a] = dW[a] / tW[a]
        for b in range(a + 1, P):
            if tW[b] == 0 or tB[a][b] == 0:
                continue
            hw[b] = dW[b] / tW[b]
            hb = dB[a][b] / tB[a][b]
            hwm = (hw[a] + hw[b]) * 0.5
            if hb != 0.0:
                fst[a][b] = fst[b][a] = (hb - hwm) / hb
    res.fst = fst
    # SNP counts and GC classes
    bi = tri = quadri = 0
    classes = [0] * len(bounds)
    for s in range(L):
        for k in range(3):
            al = Alleles()
            for i in range(len(rows)):
                x = nrow[i][s][k]
                if resolved(x):
                    al.typed += 1
                    al.update(x, i)
            if al.bi():
                site = [r[s] for r in rows]
                ref = site[al.rank2]
                site = [ref if c == UNRESOLVED else c for c in site]
                m = number_of_substitutions(site)
                bi += 1
                if m == 1:
                    a, b = sorted(set(site))
                    if AMINO[a] == AMINO[b]:
                        f = al.gc_frequency()
                        for ci, bound in enumerate(bounds):
                            if bound >= f:
                                classes[ci] += 1
                                break
            elif al.number == 3:
                tri += 1
            elif al.number == 4:
                quadri += 1
    res.bi, res.tri, res.quadri, res.classes = bi, tri, quadri, classes
    res.lib = library_values(contig, o)
    return res


# --- Library-side values, re-derived: site numbers, piN/piS, McDonald-Kreitman (the rules of the sequence-statistics library the program calls; fixed differences only where every differing position is fixed or none is)

def is_transition(a, b):
    return {a, b} in ({0, 2}, {1, 3})


def synonymous_positions(codon, ratio):
    if codon in STOPS or not 0 <= codon < 64:
        return 0.0
    n = 0.0
    pos = list(codon_nucs(codon))
    for p in range(3):
        for an in range(4):
            if an == pos[p]:
                continue
            m = list(pos)
            m[p] = an
            c = 16 * m[0] + 4 * m[1] + m[2]
            if c in STOPS:
                continue
            if AMINO[c] == AMINO[codon]:
                n = n + (ratio / (ratio + 2) if is_transition(pos[p], an) else 1 / (ratio + 2))
    return n


def codon_of(n):
    return 16 * n[0] + 4 * n[1] + n[2]


def differences(i, j):
    return sum(a != b for a, b in zip(codon_nucs(i), codon_nucs(j)))


def synonymous_differences(i, j, minchange):
    ci, cj = codon_nucs(i), codon_nucs(j)
    nd = differences(i, j)
    if nd == 0:
        return 0.0
    if nd == 1:
        return 1.0 if AMINO[i] == AMINO[j] else 0.0
    syn = lambda a, b: AMINO[a] == AMINO[b]
    if nd == 2:
        if syn(i, j):
            return 2.0
        path, weight = [0.0, 0.0], [1.0, 1.0]
        if ci[0] == cj[0]:
            trans = [codon_of((ci[0], cj[1], ci[2])), codon_of((ci[0], ci[1], cj[2]))]
        elif ci[1] == cj[1]:
            trans = [codon_of((cj[0], ci[1], ci[2])), codon_of((ci[0], ci[1], cj[2]))]
        else:
            trans = [codon_of((cj[0], ci[1], ci[2])), codon_of((ci[0], cj[1], ci[2]))]
        for k, t in enumerate(trans):
            if t in STOPS:
                weight[k] = 0.0
                continue
            path[k] += syn(i, t) + syn(t, j)
    else:
        path, weight = [0.0] * 6, [1.0] * 6
        firsts = [codon_of((cj[0], ci[1], ci[2])), codon_of((ci[0], cj[1], ci[2])), codon_of((ci[0], ci[1], cj[2]))]
        t110, t101, t011 = (codon_of((cj[0], cj[1], ci[2])), codon_of((cj[0], ci[1], cj[2])),
                            codon_of((ci[0], cj[1], cj[2])))
        seconds = [(t110, t101), (t110, t011), (t101, t011)]
        for a, first in enumerate(firsts):
            p0, p1 = 2 * a, 2 * a + 1
            if first in STOPS:
                weight[p0] = weight[p1] = 0.0
                continue
            if syn(i, first):
                path[p0] += 1
                path[p1] += 1
            for p, second in ((p0, seconds[a][0]), (p1, seconds[a][1])):
                if second in STOPS:
                    weight[p] = 0.0
                    continue
                path[p] += syn(first, second) + syn(second, j)
    if minchange:
        return max(path)
    total = 0.0
    for p, w in zip(path, weight):
        total += p * w
    return div(total, sum(weight))


def frequencies(codons):
    freq = {}
    for c in codons:
        freq[c] = freq.get(c, 0) + 1
    return [(c, freq[c] / len(codons)) for c in sorted(freq)]


def pi_site(codons, synonymous):
    if len(set(codons)) <= 1:
        return 0.0
    if not synonymous and len({AMINO[c] for c in codons}) == 1:
        return 0.0
    pi = 0.0
    f = frequencies(codons)
    for c1, x1 in f:
        for c2, x2 in f:
            s = synonymous_differences(c1, c2, False)
            pi += x1 * x2 * (s if synonymous else (differences(c1, c2) - s))
    n = len(codons)
    v = pi * float(n // (n - 1))
    if n >= 3:
        v = v * n / (n - 1)
    return v


def complete_columns(rows):
    return [[r[j] for r in rows] for j in range(len(rows[0]) if rows else 0)
            if not any(is_gap_or_n(r[j]) for r in rows)]


def site_numbers(rows, ratio):
    """(non-synonymous, synonymous) mean numbers of sites over the complete codons."""
    S, n = 0.0, 0
    for col in complete_columns(rows):
        n += 3
        s = 0.0
        for c, x in frequencies(col):
            s += x * synonymous_positions(c, ratio)
        S += s
    return n - S, S


def without_rare_variants(col, freqmin):
    if len(set(col)) <= 1:
        return list(col)
    newcodon = -1
    for c, x in frequencies(col):
        if x > freqmin and c not in STOPS:
            newcodon = c
            break
    nucs = [codon_nucs(c) for c in col]
    fr = []
    for k in range(3):
        f = {}
        for n in nucs:
            f[n[k]] = f.get(n[k], 0) + 1
        fr.append({a: b / len(col) for a, b in f.items()})
    return [c if all(fr[k][nucs[i][k]] > freqmin for k in range(3)) else newcodon for i, c in enumerate(col)]


def substitutions(col, freqmin):
    if len(set(col)) <= 1:
        return 0
    if freqmin > 1.0 / len(col):
        col = without_rare_variants(col, freqmin)
    return number_of_substitutions(col)


def non_synonymous_substitutions(col, freqmin):
    if len(set(col)) <= 1:
        return 0
    if freqmin > 1.0 / len(col):
        col = without_rare_variants(col, freqmin)
    if any(c == GAP for c in col):
        return 0
    types = sorted(set(col))
    na_sup, nminmin = 0, 10
    for a in types:
        nmin = 10
        for b in types:
            ntot = differences(a, b)
            ns = int(synonymous_differences(a, b, True))
            if nmin > ntot - ns and a != b:
                nmin = ntot - ns
        na_sup += nmin
        nminmin = min(nminmin, nmin)
    return na_sup - nminmin


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
    if len(diff) == 2:
        kind[0] = 'S' if diff[1] == 1 else 'N'
    else:
        kind[0] = 'N' if na - (kind[2] == 'N') >= 2 else 'S'
    fs = sum(kind[k] == 'S' for k in fixed)
    return [min(ns, fs), min(na, len(fixed) - fs)]


def library_values(contig, o):
    """The library-computed columns of one kept contig, as the program is meant to obtain them."""
    ing = [r for r, g in zip(contig.rows, contig.groups) if g == 0]
    out = [r for r, g in zip(contig.rows, contig.groups) if g == 1]
    v = dict.fromkeys(BIO_FIELDS, -1)
    v['nN'] = v['nS'] = -1.0
    k = float(o.kappa)
    cols = complete_columns(ing)
    if len(cols) >= o.min_nb_codon:
        s_pi = n_pi = 0.0
        for col in cols:
            n_pi += pi_site(col, False)
        for col in cols:
            s_pi += pi_site(col, True)
        nN, nS = site_numbers(ing, k)
        v['piN'], v['piS'] = div(n_pi, nN), div(s_pi, nS)
    else:
        v['piN'] = v['piS'] = -1.0
    if o.outgroup == 'none' or not out:
        return v
    cin, cout = consensus(ing), consensus(out)
    v['nN'], v['nS'] = site_numbers([cin, cout], k)
    merged = ing + [cout]
    a, b = site_numbers(merged, float(int(o.kappa)))
    v['MK_nN'], v['MK_nS'] = i32(int(a)), i32(int(b))
    mcols = complete_columns(merged)
    part_in = [col[:-1] for col in mcols]
    for f, suffix in ((0.0, '0'), (0.2, '02')):
        pn = ps = 0
        for col in part_in:
            t = substitutions(col, f)
            nsub = non_synonymous_substitutions(col, f)
            pn += nsub
            ps += t - nsub
        v['polymN' + suffix], v['polymS' + suffix] = pn, ps
    fix = [0, 0]
    for col, mcol in zip(part_in, mcols):
        d = fixed_differences(col, consensus([[c] for c in col])[0], mcol[-1])
        fix[0] += d[0]
        fix[1] += d[1]
    v['fixS'], v['fixN'] = fix
    return v


BIO_FIELDS = ['nN', 'nS', 'fixN', 'fixS', 'polymN0', 'polymS0', 'polymN02', 'polymS02', 'MK_nN', 'MK_nS']


# --- Summary

class SummaryInput:
    """Per-contig values of one selected contig."""

    def __init__(self, res, pop):
        lib = res.lib
        self.piS, self.piN, self.Fit, self.w = lib['piS'], lib['piN'], res.Fit, res.complete
        self.B, self.C = res.B, res.C
        self.nN, self.nS = i32(int(lib['nN'])), i32(int(lib['nS']))
        self.fixN, self.fixS = lib['fixN'], lib['fixS']
        self.pN0, self.pS0, self.pN02, self.pS02 = lib['polymN0'], lib['polymS0'], lib['polymN02'], lib['polymS02']
        self.het = [res.het.get(n, -999.0) for n in pop.all_individuals()]
        self.fst = [res.fst[i][j] for i in range(pop.count) for j in range(i + 1, pop.count)]
        self.snp = (res.bi, res.tri, res.quadri)


def ds_threshold(items, k):
    vals = [div(c.fixS, c.nS) for c in items]
    vals = sorted(v for v in vals if not math.isnan(v))
    n = len(vals)
    if n == 0:
        return float('nan')
    if n == 1:
        median = vals[0]
    elif n % 2:
        median = vals[n // 2]
    else:
        median = 0.5 * (vals[n // 2 - 1] + vals[n // 2])
    total = 0.0
    for v in vals:
        total += v
    mean = div(total, n)
    s = 0.0
    for v in vals:
        s += (v - mean) * (v - mean)
    s = div(s, n)
    var = div(n * s, n - 1)
    sd = math.sqrt(var) if not math.isnan(var) and var >= 0 else float('nan')
    return sd * k + median


def summary_values(items, pop):
    """Every average of the summary over the selected contigs (in order)."""
    r = {}
    n = len(items)
    r['nb_contig'] = n
    r['snp'] = [sum(c.snp[i] for c in items) for i in range(3)]
    # piN / piS
    used = [c for c in items if not (-0.1 > c.piS)]
    r['failed_piNpiS'] = n - len(used)
    W = sum(c.w for c in used)
    sS = sN = 0.0
    for c in used:
        sS += c.w * c.piS
        sN += c.w * c.piN
    r['piS'] = div(sS, W)
    r['piN'] = div(sN, W)
    r['piNpiS'] = div(r['piN'], r['piS'])
    r['length'] = W // len(used) if used else 0
    # Fit
    used = [c for c in items if not (-100.0 > c.Fit)]
    r['failed_fit'] = n - len(used)
    s = 0.0
    for c in used:
        s += c.w * c.Fit
    r['fit'] = div(s, sum(c.w for c in used))
    # WC84
    used = [c for c in items if not (-900.0 > c.B) and not (-900.0 > c.C)]
    r['failed_wc'] = n - len(used)
    sB = sC = 0.0
    for c in used:
        sB += c.B
        sC += c.C
    r['wc'] = div(sB, sB + sC)
    # dN/dS
    thr = ds_threshold(items, 2.0)
    r['ds_threshold'] = thr
    failed = above = 0
    used = []
    for c in items:
        ds = div(c.fixS, c.nS)
        if not (c.fixN <= 1000 and c.fixS <= 1000):
            failed += 1
        elif ds > thr:
            failed += 1
            above += 1
        else:
            used.append(c)
    r['failed_dnds'], r['above'] = failed, above
    r['dN'] = div(i32(sum(c.fixN for c in used)), i32(sum(c.nN for c in used)))
    r['dS'] = div(i32(sum(c.fixS for c in used)), i32(sum(c.nS for c in used)))
    r['dNdS'] = div(r['dN'], r['dS'])
    # NI
    used = [c for c in items if c.fixN <= 1000 and c.fixS <= 1000 and c.pN0 <= 1000 and c.pS0 <= 1000
            and not (div(c.fixS, c.nS) > thr)]
    r['failed_ni'] = n - len(used)
    fS = i32(sum(c.fixS for c in used))
    fN = i32(sum(c.fixN for c in used))
    r['NI'] = div(i32(sum(c.pN0 for c in used)) * fS, i32(sum(c.pS0 for c in used)) * fN)
    r['NI02'] = div(i32(sum(c.pN02 for c in used)) * fS, i32(sum(c.pS02 for c in used)) * fN)
    # heterozygosity and Fst
    r['het'] = []
    for j, name in enumerate(pop.all_individuals()):
        s, w = 0.0, 0
        for c in items:
            if c.het[j] > -100.0:
                s += c.w * c.het[j]
                w += c.w
        r['het'].append((name, div(s, w)))
    r['fst'] = []
    for j, key in enumerate(pop.couples()):
        s, w = 0.0, 0
        for c in items:
            if c.fst[j] > -100.0:
                s += c.w * c.fst[j]
                w += c.w
        r['fst'].append((key, div(s, w) if w else 0.0))
    return r


CI = ' [CI]'  # bootstrap interval, masked


def full(x):
    """A double in full precision (for comparisons at the printed precision)."""
    if isinstance(x, float) and not (math.isnan(x) or math.isinf(x)):
        return '%.17g' % x
    return fmt(x)


def summary_lines(r, o, pop, fmt=fmt):
    L = ['#' * 80, '#' + ' ' * 30 + 'Biological Summary' + ' ' * 30 + '#', '#' * 80, '',
         'Selected ingroup species: ' + o.ingroup, '',
         'Number of analyzed individual: %d (from %d population(s))' % (len(pop.all_individuals()), pop.count), '',
         'Total number of contig used for sequence analysis: %d' % r['nb_contig'], '',
         'Total number of SNPs: %d' % sum(r['snp']), '',
         '  - Biallelic: %d' % r['snp'][0], '  - Triallelic: %d' % r['snp'][1],
         '  - Quadriallelic: %d' % r['snp'][2], '',
         'Fit:', '', 'Average Fit: ' + fmt(r['fit']) + CI,
         '(Fit calculated in %d contigs)' % (r['nb_contig'] - r['failed_fit']), '',
         'Weir & Cockerham Fit (Evolution 1984):', '',
         'Average Weir & Cockerham Fit: ' + fmt(r['wc']) + CI,
         '(Fit calculated in %d contigs)' % (r['nb_contig'] - r['failed_wc']), '',
         'piN/piS ratio:', '',
         'Average piS in focal species: ' + fmt(r['piS']) + CI,
         'Average piN in focal species: ' + fmt(r['piN']) + CI,
         'Average piN / average piS: ' + fmt(r['piNpiS']) + CI,
         '(piS and piN calculated in %d contigs of average length %d)'
         % (r['nb_contig'] - r['failed_piNpiS'], r['length']), '']
    if o.outgroup != 'none':
        L += ['dN/dS ratio:', '',
              'Average dS: ' + fmt(r['dS']) + CI,
              'Average dN: ' + fmt(r['dN']) + CI,
              'Average dN/dS: ' + fmt(r['dNdS']) + CI,
              '(%d contigs with dS > %s has been discarded)' % (r['above'], fmt(r['ds_threshold'])), '',
              'Alpha:', '',
              'NI: ' + fmt(r['NI']) + ' => alpha: ' + fmt(1.0 - r['NI']) + CI + ' (all SNPs)',
              'NI0.2: ' + fmt(r['NI02']) + ' => alpha0.2: ' + fmt(1.0 - r['NI02']) + CI + ' (allele freq > 0.2)',
              '(MK-analysis performed in %d contigs)' % (r['nb_contig'] - r['failed_ni']), '']
    L += ['Individual heterozygosity:', '']
    L += ['H(%s): %s' % (n, fmt(v)) for n, v in r['het']]
    L.append('')
    if r['fst']:
        L += ['Population differentiation:', '']
        L += ['Fst(%s): %s' % (k, fmt(v)) for k, v in r['fst']]
    L.append('')
    return L


# --- Output files

def header_line(o, pop, bounds):
    t = ['Contig_name', 'Status', 'BiAllelic_SNP', 'TriAllelic_SNP', 'QuadriAllelic_SNP', 'nN', 'nS',
         'fixN', 'fixS', 'polymN0.0', 'polymS0.0', 'polymN0.2', 'polymS0.2', 'MK_nN', 'MK_nS']
    t += ['GCalfreq<=' + '%g' % b for b in bounds]
    S = o.ingroup
    t += [S + s for s in ('_nb_sequence', '_nb_complete_site', '_GC3', '_piN', '_piS', '_Fit',
                          '_WeirCockerham84_Fit')]
    for members in pop.lists[:pop.count]:
        t += ['H(%s)' % m for m in members]
    if pop.count >= 2:
        t += ['Fst(%s,%s)' % (pop.names[i], pop.names[j])
              for i in range(pop.count) for j in range(i + 1, pop.count)]
    return ''.join(x + '\t' for x in t)


def row_line(res, pop, fmt=fmt):
    v = [res.name, 'OK', res.bi, res.tri, res.quadri] + [res.lib[k] for k in BIO_FIELDS]
    v += [float(c) for c in res.classes]
    v += [res.nb_sequences, res.complete, res.GC3, res.lib['piN'], res.lib['piS'], res.Fit, res.WC]
    for members in pop.lists[:pop.count]:
        v += [res.het.get(m, -999.0) for m in members]
    v += [res.fst[i][j] for i in range(pop.count) for j in range(i + 1, pop.count)]
    return ''.join(fmt(x) + '\t' for x in v)


def distance_means(results, a, b):
    """Weighted and unweighted mean distance of the ordered pair (a, b) over all contigs; -1 when
    nothing went into a mean."""
    sxm = sm = sx = c = 0.0
    for res in results:
        x, m = res.dist.get(a + '|' + b, (-1.0, 0))
        if x >= 0.0:
            sxm += x * m
            sm += m
            sx += x
            c += 1
    return (sxm / sm if sm != 0 else -1.0), (sx / c if c != 0 else -1.0)


def distance_text(results, pop, o, fmt=fmt):
    lines = []
    if o.print_header:
        lines.append('Individual_1\tIndividual_2\tWeighted_distance\tUnweighted_distance')
    inds = pop.all_individuals()
    for a in inds:
        for b in inds:
            w, u = distance_means(results, a, b)
            lines.append('%s\t%s\t%s\t%s' % (a, b, fmt(w), fmt(u)))
    return ''.join(l + '\n' for l in lines)


# --- Whole run

MASKED = ('Start time: ', '   --> Begin: ', '   --> Stop: ', 'Stop time: ')


def mask_console(text):
    out = []
    for line in text.split('\n'):
        for p in MASKED:
            if line.startswith(p):
                line = p + '<time>'
        out.append(line)
    return '\n'.join(out)


def select(items, usage):
    if usage == 'even':
        return items[1::2]
    if usage == 'odd':
        return items[0::2]
    return list(items)


class Expected:
    pass


def welcome(o):
    yn = o.remove_frameshift
    L = ['', '#' * 83, '#          Welcome in Selvantrix (Version 3 (Last update: 12-06-2013))          #', '#' * 83,
         'Start time: <time>', '', 'Selected alignment file: ' + o.alignment,
         'Selected population file: ' + o.population_file, '', 'Selected focal/ingroup species: ' + o.ingroup]
    if o.outgroup != 'none':
        L += ['Selected external/outgroup species: ' + o.outgroup, '']
    else:
        L += ['']
    T = o.tolerance_zone
    if yn:
        L += ['Frameshift-containing contigs will be rejected during the initial cleaning procedure !',
              'Stop codons will be tolerated in the first/last %d codon(s) of each sequence.' % T,
              'Internal Stop codons will be tolerated and replaced by NNN codons.' if o.allow_internal_bc else
              'Internal Stop codons are forbidden and the corresponding contig will be rejected !']
    else:
        L += ['Frameshift-containing contigs will be conserved during the alignment file loading.',
              'Stop and Frameshift codons will be tolerated in the first/last %d codon(s) of each sequence.' % T,
              'Internal Stop and Frameshift codons will be tolerated and replaced by NNN codons.'
              if o.allow_internal_bc else
              'Internal Stop and Frameshift codons are forbidden and the corresponding contig will be rejected !']
    if o.compute_distances:
        L += ['', 'Distance between focal individuals will be computed !', '']
    else:
        L += ['']
    L += ['The following contigs will be used to generate the Biological summary: %s contigs' % o.contig_usage, '']
    return L


GOODBYE = ['Stop time: <time>', '#' * 83,
           '#' + ' ' * 26 + 'Selvantrix - End of execution' + ' ' * 26 + '#', '#' * 83]


def expected_run(o, alignment_text, population_text=None):
    """The whole expected run: status, stderr text, console lines and the texts of the main, distance
    and summary files (None where none is written), the three also with every double in full
    precision (full).  status 'nonzero' with err_contains: a run that must fail with that message."""
    e = Expected()
    e.status, e.err, e.main, e.dist, e.summary, e.full, e.results = 0, '', None, None, None, (None,) * 3, []
    con = []
    e.console = con

    def fail(err):
        e.err += err
        e.status = 1
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
    averages = summary_values(select([SummaryInput(r, pop) for r in e.results], o.contig_usage), pop)

    def files(f):
        rows = [header_line(o, pop, bounds)] if o.print_header else []
        return (''.join(l + '\n' for l in rows + [row_line(res, pop, f) for res in e.results]),
                distance_text(e.results, pop, o, f) if o.compute_distances else None,
                '\n'.join(summary_lines(averages, o, pop, f)) + '\n')

    (e.main, e.dist, e.summary), e.full = files(fmt), files(full)
    return e


BOOLEAN_OPTIONS = ('remove_frameshift', 'compute_distances', 'allow_internal_bc', 'print_header')


def parse_options(argv):
    """Options of a command line (-name=value; a bare word is the alignment)."""
    kw = {}
    for a in argv:
        if a.startswith('-') and '=' in a:
            k, v = a[1:].split('=', 1)
            k = 'alignment' if k == 'alignment_file' else k
            kw[k] = v in ('true', 'TRUE', 't', 'T', 'yes', 'YES', 'y', 'Y', '1') if k in BOOLEAN_OPTIONS else v
        else:
            kw['alignment'] = a
    return Options(**kw)


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
