#pragma once
#include <vector>

class ParametersManagement;

// Upper bounds of the GC allele-frequency classes: entry k-1 is k * (1/n) for k = 1..n,
// n being the number of classes ("-gc_bin"). A product, not the quotient k/n.
std::vector<double> setAlleleFrequencyClass(ParametersManagement* options);
