#pragma once
// Choice of the contigs the biological summary rests on, and the summary run over them.
#include <vector>

class ParametersManagement;
class ResultsWarehouse;
class Summary;
namespace mrv {
class Population;
}

// Selects the stores by the contig usage ("even": 2nd, 4th, ...; "odd": 1st, 3rd, ...; otherwise
// all, in list order), builds the summary over them, computes every average and then every
// bootstrap interval. The caller owns the returned summary.
Summary* biologicalSummary(std::vector<ResultsWarehouse*>& warehouses, ParametersManagement* options,
                           mrv::Population* population);
