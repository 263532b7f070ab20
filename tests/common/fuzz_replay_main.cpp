// Runs a fuzz entry point over inputs kept on disk, as the fuzzer itself would run them: every
// file named, and every file of every folder named (in name order, not recursing). Usage:
//   NAME_replay SEED... [--findings FOLDER]
// The seeds must exist and hold at least one input, or the replay would check nothing; the
// findings folder (inputs that once failed, kept so they stay mended) may not exist yet. An input
// that fails stops the program the way it stops the fuzzer (abort, trap or a sanitizer's report),
// after its path was printed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> Inputs(const fs::path& path) {
  if (!fs::is_directory(path)) return {path};
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(path)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

void Run(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  std::fprintf(stderr, "%s\n", path.c_str());
  // A copy of exactly the input's size, so that the address sanitizer sees a read past its end.
  const std::vector<uint8_t> input(bytes.begin(), bytes.end());
  LLVMFuzzerTestOneInput(input.data(), input.size());
}

}  // namespace

int main(int argc, char** argv) {
  try {
    size_t seeds = 0;
    size_t findings = 0;
    for (int i = 1; i < argc; ++i) {
      const std::string argument = argv[i];
      if (argument == "--findings" && i + 1 < argc) {
        const fs::path folder = argv[++i];
        if (!fs::exists(folder)) continue;
        for (const fs::path& input : Inputs(folder)) Run(input), ++findings;
        continue;
      }
      if (!fs::exists(argument)) throw std::runtime_error("no seeds at " + argument);
      for (const fs::path& input : Inputs(argument)) Run(input), ++seeds;
    }
    if (seeds == 0) throw std::runtime_error("no seed to replay");
    std::printf("replayed %zu seeds and %zu findings\n", seeds, findings);
    return 0;
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "replay: %s\n", failure.what());
    return 1;
  }
}
