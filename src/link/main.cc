// Placeholder until the librarian lands.
#include <cstdio>

int main() {
  std::fprintf(stderr, "LINK: not built yet\n");
  return 1;
}
