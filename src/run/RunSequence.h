#pragma once
// The run sequence of Selvantrix: options, banners, input stages, per-contig analysis, writers.
#include <ctime>
#include <string>

class ParametersManagement;

// Last update date shown by the banners and the help.
extern const std::string version_date;
// Wall-clock time at process start.
extern const time_t rawtime;
// Program version passed to the options and shown by the welcome banner.
constexpr double program_version = 3.0;

void displayWelcomeMessage(ParametersManagement* options);
void displayGoodbyeMessage();

// Refuses, before any analysis, output names that would overwrite an input file or another output of
// this run; ends the process with status 1 after an error naming the clash.
void checkOutputFileNames(ParametersManagement* options);

// The whole run; returns the process exit status (other endings exit the process directly).
int runSelvantrix(int argc, char* argv[]);
