// Entry point of Selvantrix.
#include "run/RunSequence.h"

int main(int argc, char* argv[]) { return runSelvantrix(argc, argv); }
