#include "TestSupport.h"

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include <Bpp/Seq/Alphabet/AlphabetExceptions.h>
#include <Bpp/Seq/Sequence.h>

namespace testsupport {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "selvantrix_test_XXXXXX").string();
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  _path = buf.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(_path, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(_path, ec);
}

std::string TempDir::write(const std::string& name, const std::string& content) const {
  std::string p = file(name);
  std::ofstream o(p, std::ios::binary);
  o << content;
  return p;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool fileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

RunResult runSelvantrix(const std::vector<std::string>& args, const std::string& cwd, const RunSetting& setting) {
  TempDir capture;
  std::string outPath = capture.file("stdout"), errPath = capture.file("stderr");
  int closed[2] = {-1, -1};
  if (setting.closed_console) {
    if (pipe(closed) != 0) throw std::runtime_error("pipe failed");
    close(closed[0]);  // the reader is gone before anything is written
  }
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (chdir(cwd.c_str()) != 0) _exit(127);
    FILE* o = freopen(outPath.c_str(), "w", stdout);
    FILE* e = freopen(errPath.c_str(), "w", stderr);
    if (!o || !e) _exit(127);
    if (setting.closed_console) {
      if (dup2(closed[1], STDOUT_FILENO) < 0) _exit(127);
      signal(SIGPIPE, SIG_DFL);  // as a shell leaves it
    }
    for (const std::string& variable : setting.environment) putenv(const_cast<char*>(variable.c_str()));
    std::vector<char*> argv;
    std::string bin = SELVANTRIX_BINARY;
    argv.push_back(const_cast<char*>(bin.c_str()));
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(bin.c_str(), argv.data());
    _exit(127);
  }
  if (setting.closed_console) close(closed[1]);
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  RunResult r;
  if (WIFEXITED(wstatus)) r.status = WEXITSTATUS(wstatus);
  else if (WIFSIGNALED(wstatus)) r.status = 128 + WTERMSIG(wstatus);
  r.out = readFile(outPath);
  r.err = readFile(errPath);
  return r;
}

std::string sourcePath(const std::string& relative) {
  return std::string(SELVANTRIX_SOURCE_DIR) + "/" + relative;
}

std::unique_ptr<bpp::PolymorphismSequenceContainer> makeContainer(const bpp::Alphabet& alphabet, const Records& records) {
  auto c = std::make_unique<bpp::PolymorphismSequenceContainer>(&alphabet);
  const size_t width = alphabet.getStateCodingSize();
  for (const auto& r : records) {
    std::vector<int> codes;
    for (size_t i = 0; i + width <= r.second.size(); i += width) codes.push_back(alphabet.charToInt(r.second.substr(i, width)));
    c->addSequenceWithFrequency(bpp::BasicSequence(r.first, codes, &alphabet), 1, true);
  }
  return c;
}

std::unique_ptr<bpp::PolymorphismSequenceContainer> makeCodeContainer(const bpp::Alphabet& alphabet, const CodeRows& rows,
                                                                      const std::string& prefix) {
  auto c = std::make_unique<bpp::PolymorphismSequenceContainer>(&alphabet);
  for (size_t i = 0; i < rows.size(); ++i)
    c->addSequenceWithFrequency(bpp::BasicSequence(prefix + std::to_string(i), rows[i], &alphabet), 1, true);
  return c;
}

std::string alleleName(const std::string& individual, int allele) {
  return "c1|Sp|" + individual + "|allele_" + std::to_string(allele);
}

Records diploids(const std::vector<std::string>& individuals) {
  Records out;
  for (const std::string& ind : individuals) {
    const size_t eq = ind.find('=');
    int allele = 0;
    for (size_t from = eq + 1, to = 0; to != std::string::npos; from = to + 1) {
      to = ind.find('/', from);
      out.push_back({alleleName(ind.substr(0, eq), ++allele), ind.substr(from, to == std::string::npos ? to : to - from)});
    }
  }
  return out;
}

Records paired(std::initializer_list<const char*> texts) {
  Records r;
  for (const char* t : texts)
    r.emplace_back(alleleName("ind" + std::to_string(r.size() / 2), static_cast<int>(r.size() % 2 + 1)), t);
  return r;
}

Records randomContig(std::mt19937& rng, size_t individuals, size_t codons) {
  const std::vector<std::string> odd = {"---", "NNN", "!!!", "A!G", "ARG", "nnn", "A-G", "*CG", "-TT", "WSK"};
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::uniform_int_distribution<int> base(0, 3), hap(0, 3), pick(0, static_cast<int>(odd.size()) - 1);
  std::string gene;
  for (size_t i = 0; i < 3 * codons; ++i) gene += "ACGT"[base(rng)];
  std::vector<std::string> haplotypes(4, gene);
  for (auto& h : haplotypes)
    for (size_t s = 0; s < codons; ++s) {
      const double r = u(rng);
      if (r < 0.05) h.replace(3 * s, 3, odd[pick(rng)]);
      else if (r < 0.25) h[3 * s + base(rng) % 3] = "ACGT"[base(rng)];
    }
  for (auto& h : haplotypes)
    for (size_t s = 0; s < codons; ++s) {
      const std::string w = h.substr(3 * s, 3);
      if (w == "TAA" || w == "TAG" || w == "TGA" || w.find('!') != std::string::npos) h.replace(3 * s, 3, "NNN");
    }
  Records out;
  for (size_t i = 0; i < individuals; ++i) {
    const double r = u(rng);
    for (int a = 1; a <= (r < 0.1 ? 1 : r < 0.2 ? 3 : 2); ++a)
      out.push_back({"c1|Sp|i" + std::to_string(i) + "|allele_" + std::to_string(a), haplotypes[hap(rng)]});
  }
  return out;
}

CodeRows randomCodonRows(std::mt19937& rng, size_t sequences, size_t sites, double polymorphic) {
  auto uniform = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto sense = [&](int c) {
    while (c == 48 || c == 50 || c == 56) c = uniform(0, 63);
    return c;
  };
  CodeRows rows(sequences, std::vector<int>(sites));
  std::uniform_real_distribution<double> u(0.0, 1.0);
  for (size_t s = 0; s < sites; ++s) {
    std::vector<int> codons{sense(uniform(0, 63))};
    if (u(rng) < polymorphic)
      for (int v = uniform(1, 3); v > 0; --v) {
        int c = codons[0];
        for (int m = uniform(1, 2); m > 0; --m) {
          const int weight = std::vector<int>{16, 4, 1}[uniform(0, 2)];
          c += (uniform(0, 3) - (c / weight) % 4) * weight;
        }
        codons.push_back(sense(c));
      }
    const double rare = u(rng);  // share of the other codons
    for (size_t q = 0; q < sequences; ++q) {
      rows[q][s] = u(rng) < rare ? codons[uniform(0, static_cast<int>(codons.size()) - 1)] : codons[0];
      if (u(rng) < 0.01) rows[q][s] = uniform(0, 1) == 0 ? -1 : 65;
    }
  }
  return rows;
}

std::unique_ptr<ParametersManagement> options(std::vector<std::string> args, std::string* console) {
  args.insert(args.begin(), "Selvantrix");
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(&a[0]);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  auto o = std::make_unique<ParametersManagement>(3.0, "12-06-2013", static_cast<int>(argv.size()), argv.data());
  o->checkParameters();
  testing::internal::GetCapturedStderr();
  const std::string out = testing::internal::GetCapturedStdout();
  if (console) *console = out;
  return o;
}

std::unique_ptr<mrv::Population> makePopulation(const std::string& text) {
  TempDir dir;
  return std::make_unique<mrv::Population>(dir.write("pop.txt", text));
}

testing::AssertionResult failsWith(const std::function<void()>& f, const std::string& bad, const std::string& text) {
  std::string value, message = "no exception";
  try {
    f();
  } catch (const bpp::BadCharException& e) {
    value = e.getBadChar(), message = e.what();
  } catch (const bpp::BadIntException& e) {
    value = std::to_string(e.getBadInt()), message = e.what();
  }
  if (value == bad && message.find(text) != std::string::npos) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "value \"" << value << "\", message: " << message;
}

Lines containerLines(const bpp::PolymorphismSequenceContainer& container) {
  auto joined = [](const std::vector<std::string>& parts) {
    std::string text;
    for (const std::string& part : parts) text += "[" + part + "]";
    return text;
  };
  Lines lines = {"general " + joined(container.getGeneralComments())};
  std::string positions = "positions";
  for (size_t j = 0; j < container.getNumberOfSites(); ++j)
    positions += " " + std::to_string(container.getSite(j).getPosition());
  lines.push_back(positions);
  for (size_t i = 0; i < container.getNumberOfSequences(); ++i)
    lines.push_back(container.getSequencesNames()[i] + " " + joined(container.getComments(i)) + " count " +
                    std::to_string(container.getSequenceCount(i)) + " group " +
                    std::to_string(container.getGroupId(i)) + (container.isIngroupMember(i) ? " in " : " out ") +
                    container.toString(i));
  return lines;
}

Lines coutLines(const std::function<void()>& f) {
  std::ostringstream buffer;
  struct Restore {
    std::streambuf* old;
    ~Restore() { std::cout.rdbuf(old); }
  } restore{std::cout.rdbuf(buffer.rdbuf())};
  f();
  return splitLines(buffer.str());
}

}  // namespace testsupport
