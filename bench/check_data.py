#!/usr/bin/env python3
"""Reads a generated alignment and its population file and checks their shape.

Usage: check_data.py ALIGNMENT POPULATION_FILE INGROUP OUTGROUP

Checks: name format, contigs as runs of consecutive records named once, equal sequence lengths that
are multiples of 3 within each contig, the letters, the population file listing exactly the focal
individuals once each, and no stop codon outside the first/last 20 codons. Prints a few figures of
the data (polymorphic share, spectrum of the minor allele, fixed differences, differentiation).
Exits with status 1 on the first structural fault.
"""
import re
import sys
from collections import Counter, defaultdict

STOPS = {"TAA", "TAG", "TGA"}
LETTERS = set("ACGTN-MRWSYK")


def fail(msg):
    print("FAULT: " + msg)
    sys.exit(1)


def records(path):
    name, parts = None, []
    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith(">"):
                if name is not None:
                    yield name, "".join(parts)
                name, parts = line[1:], []
            else:
                parts.append(line)
    if name is not None:
        yield name, "".join(parts)


def main():
    if len(sys.argv) != 5:
        print(__doc__)
        sys.exit(2)
    aln, popfile, ingroup, outgroup = sys.argv[1:]
    pattern = re.compile(r"^(contig\d+)\|(%s|%s)\|((?:ind|out)\d+)\|allele_([12])$" % (re.escape(ingroup), re.escape(outgroup)))

    contigs = []  # (name, [(species, individual, allele, seq)])
    seen_contigs = set()
    for name, seq in records(aln):
        m = pattern.match(name)
        if not m:
            fail("bad name " + name)
        contig, species, ind, allele = m.groups()
        if species == ingroup and not ind.startswith("ind") or species == outgroup and not ind.startswith("out"):
            fail("individual of the wrong species: " + name)
        if not contigs or contigs[-1][0] != contig:
            if contig in seen_contigs:
                fail("contig comes back later in the file: " + contig)
            seen_contigs.add(contig)
            contigs.append((contig, []))
        bad = set(seq) - LETTERS
        if bad:
            fail("letters %s in %s" % ("".join(sorted(bad)), name))
        contigs[-1][1].append((species, ind, allele, seq))

    focal_individuals = set()
    lengths = []
    positions = polymorphic = fixed = 0
    spectrum = Counter()
    stops_core = stops_ends = contigs_with_end_stops = 0
    fst_num = fst_den = 0.0
    populations = []
    with open(popfile) as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            pieces = [p for p in line.split(";") if p]
            populations.append((pieces[0], pieces[1:]))
    pop_of = {}
    for pname, members in populations:
        for m in members:
            if m in pop_of:
                fail("individual listed twice in the population file: " + m)
            pop_of[m] = pname

    for contig, seqs in contigs:
        L = len(seqs[0][3])
        if L % 3:
            fail("%s: length %d is not a multiple of 3" % (contig, L))
        if any(len(s[3]) != L for s in seqs):
            fail("%s: sequences of different lengths" % contig)
        names = [(s[1], s[2]) for s in seqs]
        if len(set(names)) != len(names):
            fail("%s: repeated sequence name" % contig)
        focal = [s for s in seqs if s[0] == ingroup]
        out = [s for s in seqs if s[0] == outgroup]
        per_ind = Counter(s[1] for s in focal)
        if any(c != 2 for c in per_ind.values()):
            fail("%s: a focal individual without exactly two alleles" % contig)
        focal_individuals.update(per_ind)
        ncod = L // 3
        lengths.append(ncod)
        had_end_stop = False
        for s in seqs:
            for c in range(ncod):
                if s[3][3 * c:3 * c + 3] in STOPS:
                    if 20 <= c < ncod - 20:
                        stops_core += 1
                    else:
                        stops_ends += 1
                        had_end_stop = True
        contigs_with_end_stops += had_end_stop
        # statistics on columns fully resolved in the focal species
        for i in range(L):
            col = [s[3][i] for s in focal]
            if any(b not in "ACGT" for b in col):
                continue
            positions += 1
            counts = Counter(col)
            if len(counts) > 1:
                polymorphic += 1
                if len(counts) == 2:
                    spectrum[min(counts.values())] += 1
                    allele = counts.most_common()[0][0]
                    by_pop = defaultdict(lambda: [0, 0])
                    for s, b in zip(focal, col):
                        by_pop[pop_of.get(s[1], "?")][0] += b == allele
                        by_pop[pop_of.get(s[1], "?")][1] += 1
                    freqs = [a / n for a, n in by_pop.values()]
                    p = sum(a for a, n in by_pop.values()) / len(col)
                    if len(freqs) > 1 and 0 < p < 1:
                        mean = sum(freqs) / len(freqs)
                        fst_num += sum((q - mean) ** 2 for q in freqs) / len(freqs)
                        fst_den += p * (1 - p)
            else:
                ob = {s[3][i] for s in out if s[3][i] in "ACGT"}
                if ob and col[0] not in ob and len(ob) == 1:
                    fixed += 1

    if focal_individuals != set(pop_of):
        fail("population file individuals %s differ from the alignment's focal individuals %s"
             % (sorted(set(pop_of) ^ focal_individuals)[:5], ""))
    if stops_core:
        fail("%d stop codons in the core of contigs" % stops_core)

    lengths.sort()
    print("contigs: %d, codons min/median/max: %d/%d/%d" % (len(contigs), lengths[0], lengths[len(lengths) // 2], lengths[-1]))
    print("focal individuals: %d in %d populations (population file matches)" % (len(focal_individuals), len(populations)))
    print("resolved focal positions: %d, polymorphic: %.2f%%, fixed differences: %.2f%%"
          % (positions, 100.0 * polymorphic / max(positions, 1), 100.0 * fixed / max(positions, 1)))
    total = sum(spectrum.values())
    print("folded spectrum of bi-allelic positions (minor count: share):")
    print("  " + "  ".join("%d:%.3f" % (k, spectrum[k] / total) for k in sorted(spectrum)[:12]))
    if fst_den > 0:
        print("differentiation between populations (variance of frequencies / p(1-p)): %.3f" % (fst_num / fst_den))
    print("stop codons within the first/last 20 codons: %d in %d contigs; in the core: 0" % (stops_ends, contigs_with_end_stops))
    print("OK")


if __name__ == "__main__":
    main()
