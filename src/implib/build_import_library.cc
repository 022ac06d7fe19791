// Placeholder until the import library build lands.
#include "vortane/vortane.h"

void build_import_library(const char*, const ImageView&) {}
