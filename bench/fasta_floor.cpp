// Reader floor of the benchmarks: reads a FASTA file with Bio++'s reader alone and exits.
//
// Usage: fasta_floor FILE [--check-names]
//
// The file is read into a bpp::VectorSequenceContainer on the library's DNA alphabet, which knows the
// letters the benchmark generator writes (A, C, G, T, N, "-" and the ambiguity codes M, R, W, S, Y, K),
// with name checking off unless --check-names is given (the program's own reader checks names).
// Prints the number of sequences and nucleotides read; exits with status 1 when the reader fails.

#include <Bpp/Seq/Alphabet/DNA.h>
#include <Bpp/Seq/Container/VectorSequenceContainer.h>
#include <Bpp/Seq/Io/Fasta.h>

#include <cstring>
#include <exception>
#include <iostream>
#include <memory>
#include <string>

int main(int argc, char* argv[]) {
  if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--check-names") != 0)) {
    std::cerr << "Usage: fasta_floor FILE [--check-names]\n";
    return 2;
  }
  const bool check_names = argc == 3;
  try {
    bpp::DNA alphabet;
    std::unique_ptr<bpp::VectorSequenceContainer> sequences(
        bpp::Fasta(100, check_names, false, false).readSequences(argv[1], &alphabet));
    size_t nucleotides = 0;
    for (size_t i = 0; i < sequences->getNumberOfSequences(); ++i)
      nucleotides += sequences->getSequence(i).size();
    std::cout << sequences->getNumberOfSequences() << " sequences, " << nucleotides << " nucleotides\n";
  } catch (const std::exception& e) {
    std::cerr << "fasta_floor: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
