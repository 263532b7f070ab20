// make_sample_network <target folder>: writes the sample network, logs included, to a new
// folder, for CORVANE_NETWORK to name (the demo uses it).
#include <cstdio>
#include <exception>
#include <filesystem>

#include "SampleNetwork.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_sample_network <target folder>\n");
    return 2;
  }
  try {
    const std::filesystem::path source = std::filesystem::path(CORVANE_SAMPLE_DIR);
    corvane::network::sample::Build(source, argv[1]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "make_sample_network: %s\n", error.what());
    return 1;
  }
  return 0;
}
