// Stands in for the generate command until its implementation is merged.
#include <cstdio>
#include <string>
#include <vector>

int RunGenerate(const std::vector<std::string>&) {
  std::fprintf(stderr, "tolvan generate: not available in this build\n");
  return 1;
}
