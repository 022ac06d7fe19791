// Placeholder until the directory scan lands.
#include "vortane/vortane.h"

int scan_directory(const char*) { return RESULT_OK; }
