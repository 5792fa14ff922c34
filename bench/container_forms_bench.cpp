// Timing of the container forms of the cleaning operations (PolymorphismSequenceContainerAddons and
// AlignmentFileManagement::cleanMultiContainer), which edit a bpp::PolymorphismSequenceContainer in
// place, on synthetic contigs of a few shapes, beside Bio++'s FASTA reader on the same data: time and
// peak memory growth of each call.
// Not part of the build: bench/container_forms.sh builds it against two trees and compares them.
//
//   usage: container_forms_bench [--repeats=N] [--shapes=SxC,...] [--once-above=SECONDS]
//     --repeats     timed runs per case, the best one kept (default 3)
//     --shapes      contigs of S sequences by C codons (default 4x300000,20x100000,100x5000)
//     --once-above  a case whose first run takes longer than this is not run again (default 0: never)
//
// Each case runs on a fresh copy of its contig (the copy is not timed), with standard output sent
// nowhere while it runs. Output, tab separated, one line per case (lines starting with '#' are
// comments): form, shape, seconds (best run), reader seconds (best run of the reader on the contig
// written as a FASTA file), form / reader, the contig's size after the form ("sequences x sites",
// with "rejected" when the form rejected it), so that two builds can be checked to do the same work,
// then the peak memory growth in kB of the form and of the reader (largest over the runs; "nan" when
// the peak cannot be measured).
//
// Peak memory growth of a call: free memory malloc holds is handed back (malloc_trim), the kernel's
// high-water mark of the process is reset to its resident size (writing 5 to /proc/self/clear_refs),
// VmRSS is read, the call runs, and the growth is VmHWM less that VmRSS. The comment line of a shape
// gives the FASTA file's size in bytes, the reference of the memory figures with the reader's.
#include <Bpp/PopGen/PolymorphismSequenceContainer.h>
#include <Bpp/Seq/Alphabet/DNA.h>
#include <Bpp/Seq/Container/VectorSequenceContainer.h>
#include <Bpp/Seq/Io/Fasta.h>
#include <Bpp/Seq/Sequence.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <iostream>
#include <limits>
#include <malloc.h>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "input/AlignmentFileManagement.h"
#include "input/CustomNucleicAlphabet.h"
#include "input/FrameshiftCodonAlphabet.h"
#include "input/PolymorphismSequenceContainerAddons.h"

namespace {

using Container = bpp::PolymorphismSequenceContainer;
using Addons = mrv::PolymorphismSequenceContainerAddons;

const int kGap = -1;
const int kFrameshift = 64;
const int kUnresolved = 65;
const int kStops[] = {48, 50, 56};  // TAA, TAG, TGA

const char* const kFocal = "Sp1";
const char* const kOutgroup = "Sp2";

struct Shape {
  size_t sequences;
  size_t codons;
  std::string label() const { return std::to_string(sequences) + "x" + std::to_string(codons); }
};

// A stream buffer that drops everything.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

// Standard output goes nowhere while one of these lives.
class Silence {
 public:
  Silence() : _old(std::cout.rdbuf(&_null)) {}
  ~Silence() {
    std::cout.flush();
    std::cout.rdbuf(_old);
    std::cout.clear();
  }

 private:
  NullBuffer _null;
  std::streambuf* _old;
};

// The codes of one contig and where its bad codons stand, before any container is made.
struct ContigCodes {
  std::vector<std::string> names;
  std::vector<std::vector<int>> rows;
  size_t nb_ingroup = 0;
  size_t gapped = 0;  // gap or unresolved codons
};

// Sequences of the focal species Sp1 (individuals of two alleles), then of the main outgroup Sp2 and
// of another species Sp3 (a tenth of the sequences each, at least one). Codons drift from one
// reference codon per site; each sequence holds 2% to 8% of gap or unresolved codons, scattered, but
// one sequence in ten of the focal species (at least one), which holds 70%. Stop codons and a
// frameshift codon stand in both tolerance zones (a quarter of the codons): the furthest inside at a
// fifth of the codons from either end, so that a trim of these zones removes two fifths of the sites.
ContigCodes makeCodes(const Shape& shape, unsigned int seed) {
  const size_t n = shape.sequences, len = shape.codons;
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> anyCodon(0, 63);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  auto senseCodon = [&] {
    int c;
    do c = anyCodon(rng);
    while (c == 48 || c == 50 || c == 56);
    return c;
  };
  ContigCodes codes;
  const size_t others = std::max<size_t>(1, n / 10);
  const size_t focal = n - 2 * others;
  codes.nb_ingroup = focal;
  auto two = [](size_t k) { return (k < 10 ? "0" : "") + std::to_string(k); };
  for (size_t i = 0; i < focal; ++i)
    codes.names.push_back("contig1|Sp1|ind" + two(i / 2 + 1) + "|allele_" + std::to_string(i % 2 + 1));
  for (size_t i = 0; i < others; ++i) codes.names.push_back("contig1|Sp2|out" + two(i + 1) + "|allele_1");
  for (size_t i = 0; i < others; ++i) codes.names.push_back("contig1|Sp3|oth" + two(i + 1) + "|allele_1");

  std::vector<int> reference(len);
  for (int& c : reference) c = senseCodon();
  codes.rows.assign(n, std::vector<int>(len));
  for (size_t i = 0; i < n; ++i) {
    const bool mostly_gapped = i < focal && i % 10 == 1;
    const double rate = mostly_gapped ? 0.70 : 0.02 + 0.06 * u(rng);
    std::vector<int>& row = codes.rows[i];
    for (size_t p = 0; p < len; ++p) {
      const double r = u(rng);
      if (r < rate)
        row[p] = r < rate / 2 ? kGap : kUnresolved;
      else
        row[p] = u(rng) < 0.03 ? senseCodon() : reference[p];
    }
  }
  // Bad codons, at 1-based positions: the left zone ends at len/4, the right one starts after len - len/4.
  auto put = [&](size_t sequence, size_t position, int code) { codes.rows[sequence % n][position - 1] = code; };
  put(0, len / 5, kStops[0]);
  put(n - 1, 3, kStops[2]);
  put(1, len / 10, kFrameshift);
  put(n / 2, len - len / 5 + 1, kStops[1]);
  put(0, len - 1, kStops[0]);
  for (const auto& row : codes.rows)
    for (int c : row) codes.gapped += (c == kGap || c == kUnresolved);
  return codes;
}

// The same codes with three stop codons in the core.
ContigCodes withCoreStops(ContigCodes codes) {
  const size_t n = codes.rows.size(), len = codes.rows[0].size();
  codes.rows[0][len / 2 - 1] = kStops[0];
  codes.rows[n - 1][len / 2 + 6] = kStops[1];
  codes.rows[n / 2][len / 3] = kStops[2];
  return codes;
}

std::unique_ptr<Container> makeContainer(const ContigCodes& codes, const mrv::FrameshiftCodonAlphabet& codon) {
  std::unique_ptr<Container> c(new Container(&codon));
  for (size_t i = 0; i < codes.rows.size(); ++i)
    c->addSequenceWithFrequency(bpp::BasicSequence(codes.names[i], codes.rows[i], &codon), 1, true);
  return c;
}

// The contig as FASTA, 60 letters per line; the frameshift codon is written "NNN" (the reader's DNA
// alphabet has no "!").
void writeFasta(const ContigCodes& codes, const std::string& path) {
  static const char bases[] = "ACGT";
  std::ofstream out(path);
  std::string seq;
  for (size_t i = 0; i < codes.rows.size(); ++i) {
    seq.clear();
    for (int c : codes.rows[i]) {
      if (c == kGap) seq += "---";
      else if (c == kUnresolved || c == kFrameshift) seq += "NNN";
      else {
        seq += bases[c / 16];
        seq += bases[(c / 4) % 4];
        seq += bases[c % 4];
      }
    }
    out << '>' << codes.names[i] << '\n';
    for (size_t p = 0; p < seq.size(); p += 60) out.write(seq.data() + p, std::min<size_t>(60, seq.size() - p)) << '\n';
  }
  if (!out) throw std::runtime_error("cannot write " + path);
}

// Peak resident memory that a call adds, in kB. start() just before the call, growth() just after.
// Neither allocates, so that the figure is the call's own. Pages freed earlier and kept by malloc
// would be reused without raising the resident size; malloc_trim hands them back first, so that the
// call pays for them again as it touches them (what is left is below a page per free block).
class PeakMeter {
 public:
  // False when the high-water mark cannot be reset: no /proc, or a kernel without clear_refs 5.
  bool start() {
    _base = -1;
    malloc_trim(0);
    const int fd = open("/proc/self/clear_refs", O_WRONLY);
    if (fd < 0) return false;
    const bool reset = write(fd, "5", 1) == 1;
    close(fd);
    if (reset) _base = statusKb("VmRSS:");
    return _base >= 0;
  }

  // VmHWM less VmRSS at start(), or -1 when either was not read.
  long growth() const {
    if (_base < 0) return -1;
    const long peak = statusKb("VmHWM:");
    return peak < 0 ? -1 : std::max(0L, peak - _base);
  }

 private:
  // The figure of a "Key:   1234 kB" line of /proc/self/status, or -1.
  static long statusKb(const char* key) {
    char text[8192];
    const int fd = open("/proc/self/status", O_RDONLY);
    if (fd < 0) return -1;
    size_t size = 0;
    ssize_t n;
    while (size < sizeof text - 1 && (n = read(fd, text + size, sizeof text - 1 - size)) > 0)
      size += static_cast<size_t>(n);
    close(fd);
    text[size] = '\0';
    const size_t key_size = std::strlen(key);
    for (const char* line = text; *line != '\0';) {
      if (std::strncmp(line, key, key_size) == 0) {
        char* end = nullptr;
        const long kb = std::strtol(line + key_size, &end, 10);
        return end == line + key_size ? -1 : kb;
      }
      const char* next = std::strchr(line, '\n');
      if (!next) break;
      line = next + 1;
    }
    return -1;
  }

  long _base = -1;
};

// "nan" for a peak that was not measured (-1).
std::string kbText(long kb) { return kb < 0 ? "nan" : std::to_string(kb); }

double seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

std::string sizeOf(const Container& c) {
  return std::to_string(c.getNumberOfSequences()) + "x" + std::to_string(c.getNumberOfSites());
}

struct Options {
  int repeats = 3;
  double once_above = 0.0;
};

// The best time and the largest peak memory growth (kB, -1 when not measured) of a few runs.
struct Figures {
  double seconds = std::numeric_limits<double>::infinity();
  long peak_kb = -1;

  void add(double t, long kb) {
    seconds = std::min(seconds, t);
    peak_kb = std::max(peak_kb, kb);
  }
};

// A form run on fresh copies of `master`; `result` gets the size the form left.
// The form returns an extra word for the result ("rejected"), or an empty one.
Figures timeForm(const Container& master, const std::function<std::string(Container&)>& form, const Options& o,
                 std::string& result) {
  Figures figures;
  for (int r = 0; r < o.repeats; ++r) {
    std::unique_ptr<Container> copy(new Container(master));
    std::string extra;
    double t;
    long kb;
    {
      Silence quiet;
      PeakMeter meter;
      meter.start();
      const auto start = std::chrono::steady_clock::now();
      extra = form(*copy);
      t = seconds(start, std::chrono::steady_clock::now());
      kb = meter.growth();
    }
    result = sizeOf(*copy) + (extra.empty() ? "" : " " + extra);
    figures.add(t, kb);
    if (o.once_above > 0 && t > o.once_above) break;
  }
  return figures;
}

Figures timeReader(const std::string& path, const Options& o) {
  Figures figures;
  bpp::DNA dna;
  for (int r = 0; r < o.repeats; ++r) {
    PeakMeter meter;
    meter.start();
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<bpp::VectorSequenceContainer> sequences(
        bpp::Fasta(100, false, false, false).readSequences(path, &dna));
    const double t = seconds(start, std::chrono::steady_clock::now());
    figures.add(t, meter.growth());
  }
  return figures;
}

long long fileBytes(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) throw std::runtime_error("cannot stat " + path);
  return static_cast<long long>(st.st_size);
}

bool parseShapes(const std::string& text, std::vector<Shape>& shapes) {
  shapes.clear();
  std::istringstream in(text);
  std::string item;
  while (std::getline(in, item, ',')) {
    const size_t x = item.find('x');
    if (x == std::string::npos) return false;
    char* end = nullptr;
    const unsigned long s = std::strtoul(item.c_str(), &end, 10);
    if (end != item.c_str() + x) return false;
    const unsigned long c = std::strtoul(item.c_str() + x + 1, &end, 10);
    if (*end != '\0' || s < 4 || c < 40) return false;  // room for the bad codons' positions
    shapes.push_back({s, c});
  }
  return !shapes.empty();
}

}  // namespace

int main(int argc, char* argv[]) {
  Options o;
  std::vector<Shape> shapes{{4, 300000}, {20, 100000}, {100, 5000}};
  for (int a = 1; a < argc; ++a) {
    const std::string arg = argv[a];
    bool ok = true;
    if (arg.rfind("--repeats=", 0) == 0) {
      o.repeats = std::atoi(arg.c_str() + 10);
      ok = o.repeats > 0;
    } else if (arg.rfind("--shapes=", 0) == 0) {
      ok = parseShapes(arg.substr(9), shapes);
    } else if (arg.rfind("--once-above=", 0) == 0) {
      o.once_above = std::atof(arg.c_str() + 13);
    } else {
      ok = false;
    }
    if (!ok) {
      std::cerr << "usage: container_forms_bench [--repeats=N] [--shapes=SxC,...] [--once-above=SECONDS]\n"
                   "  (shapes: at least 4 sequences and 40 codons each)\n";
      return 2;
    }
  }

  char dir[] = "/tmp/container_forms_XXXXXX";
  if (!mkdtemp(dir)) {
    std::perror("container_forms_bench: mkdtemp");
    return 1;
  }
  const std::string fasta = std::string(dir) + "/contig.fas";
  int status = 0;
  try {
    mrv::CustomNucleicAlphabet nucleic;
    mrv::FrameshiftCodonAlphabet codon(&nucleic);
    std::printf("# best of %d run(s) per case%s; seconds; ratio = form / reader; peak kB: largest growth of the "
                "peak resident size over the runs\n",
                o.repeats,
                o.once_above > 0 ? (", one run when it takes more than " + std::to_string(o.once_above) + " s").c_str()
                                 : "");
    std::printf("#form\tshape\tseconds\treader_seconds\tratio\tresult\tform_peak_kb\treader_peak_kb\n");
    std::fflush(stdout);
    unsigned int seed = 20261207;
    for (const Shape& shape : shapes) {
      const ContigCodes codes = makeCodes(shape, seed++);
      const unsigned int nb_ingroup = static_cast<unsigned int>(codes.nb_ingroup);
      const size_t len = shape.codons;
      const unsigned int zone = static_cast<unsigned int>(len / 4);
      const int half = static_cast<int>(len / 2);
      std::unique_ptr<Container> plain = makeContainer(codes, codon);
      std::unique_ptr<Container> core = makeContainer(withCoreStops(codes), codon);
      std::unique_ptr<Container> tagged(new Container(*plain));
      std::unique_ptr<Container> tagged_core(new Container(*core));
      {
        Silence quiet;
        Addons::tagAllSequences(tagged.get(), kFocal, false, kOutgroup);
        Addons::tagAllSequences(tagged_core.get(), kFocal, false, kOutgroup);
      }
      writeFasta(codes, fasta);
      const long long fasta_bytes = fileBytes(fasta);
      const Figures reader_figures = timeReader(fasta, o);
      const double reader = reader_figures.seconds;
      const std::string reader_kb = kbText(reader_figures.peak_kb);
      std::printf(
          "# %s: %zu sequences (%u of %s), %zu codons, %.1f%% gap or unresolved codons, FASTA %.1f MB (%lld bytes)\n",
          shape.label().c_str(), shape.sequences, nb_ingroup, kFocal, len,
          100.0 * static_cast<double>(codes.gapped) / static_cast<double>(shape.sequences * len),
          static_cast<double>(fasta_bytes) / 1e6, fasta_bytes);
      std::fflush(stdout);

      struct Case {
        const char* name;
        const Container* master;
        std::function<std::string(Container&)> form;
      };
      const unsigned int three_quarters = nb_ingroup - nb_ingroup / 4;
      const std::vector<Case> cases{
          {"tagAllSequences", plain.get(),
           [&](Container& c) { Addons::tagAllSequences(&c, kFocal, false, kOutgroup); return std::string(); }},
          {"removeGroupFromContainer(2)", tagged.get(),
           [&](Container& c) { Addons::removeGroupFromContainer(&c, 2, false); return std::string(); }},
          {"removeLeftBadSites(half)", tagged.get(),
           [&](Container& c) { Addons::removeLeftBadSites(&c, half, false); return std::string(); }},
          {"removeRightBadSites(half)", tagged.get(),
           [&](Container& c) { Addons::removeRightBadSites(&c, half, false); return std::string(); }},
          {"removeHighlyGappedSites(min=ingroup)", tagged.get(),
           [&](Container& c) {
             Addons::removeHighlyGappedSites(&c, &codon, nb_ingroup, nb_ingroup, false);
             return std::string();
           }},
          {"removeHighlyGappedSequences(0.5)", tagged.get(),
           [&](Container& c) { Addons::removeHighlyGappedSequences(&c, &codon, 0.5, false); return std::string(); }},
          {"removeHighlyGappedSequences(0.05)", tagged.get(),
           [&](Container& c) { Addons::removeHighlyGappedSequences(&c, &codon, 0.05, false); return std::string(); }},
          {"dealWithBadCodons(zones)", tagged.get(),
           [&](Container& c) {
             return std::string(Addons::dealWithBadCodons(&c, &codon, zone, false, false) ? "rejected" : "");
           }},
          {"dealWithBadCodons(zones+core,allow)", tagged_core.get(),
           [&](Container& c) {
             return std::string(Addons::dealWithBadCodons(&c, &codon, zone, true, false) ? "rejected" : "");
           }},
          {"cleanMultiContainer(1 contig)", plain.get(),
           [&](Container& c) {
             const std::vector<Container*> list{&c};
             const std::vector<Container*> kept = mrv::AlignmentFileManagement::cleanMultiContainer(
                 list, &codon, kFocal, 10, zone, false, three_quarters, 0.5, false, kOutgroup);
             return std::string(kept.empty() ? "rejected" : "kept");
           }},
      };
      for (const Case& k : cases) {
        std::string result;
        try {
          const Figures f = timeForm(*k.master, k.form, o, result);
          std::printf("%s\t%s\t%.6f\t%.6f\t%.3f\t%s\t%s\t%s\n", k.name, shape.label().c_str(), f.seconds, reader,
                      f.seconds / reader, result.c_str(), kbText(f.peak_kb).c_str(), reader_kb.c_str());
        } catch (const std::exception& e) {
          std::string what = e.what();
          std::replace(what.begin(), what.end(), '\t', ' ');
          std::replace(what.begin(), what.end(), '\n', ' ');
          std::printf("%s\t%s\tnan\t%.6f\tnan\terror: %s\tnan\t%s\n", k.name, shape.label().c_str(), reader,
                      what.c_str(), reader_kb.c_str());
          status = 1;
        }
        std::fflush(stdout);
      }
    }
  } catch (const std::exception& e) {
    std::cerr << "container_forms_bench: " << e.what() << "\n";
    status = 1;
  }
  std::remove(fasta.c_str());
  rmdir(dir);
  return status;
}
