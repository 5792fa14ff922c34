#pragma once
// The console banners that open and close a run, and the version and start time they show.
#include <ctime>
#include <string>

class ParametersManagement;

// Last update date shown by the banners and the help.
extern const std::string version_date;
// Wall-clock time at process start.
extern const time_t rawtime;
// Program version passed to the options and shown by the welcome banner.
constexpr double program_version = 3.0;

// The welcome banner: start time, input files, species and the settings of the cleaning, the
// distances and the contig usage (preceded by a notice in debug mode).
void displayWelcomeMessage(ParametersManagement* options);
// The goodbye banner with the stop time. Allocates nothing, so that it can close a run that ran
// out of memory.
void displayGoodbyeMessage();

// A time in the ctime() form, line end included ("(unknown time)" when it cannot be shown).
std::string ctimeText(time_t t);
