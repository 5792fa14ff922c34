#include "run/RunSequence.h"

#include <iostream>

int runSelvantrix(int, char*[]) {
  std::cerr << "Selvantrix: not built yet" << std::endl;
  return 1;
}
