#pragma once
// The run sequence: options, input, per-contig analysis, writers.
int runSelvantrix(int argc, char* argv[]);
