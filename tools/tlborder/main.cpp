// tlborder IN.tlb OUT.tlb TYPE...: writes the library IN to OUT with the named types first, in the
// order given. Run at build time under Wine, in a folder where the libraries IN imports are found.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "MsftFixups.h"
#include "TypeLibCopy.h"
#include "framework/AnsiText.h"
#include "framework/com/ComPtr.h"

namespace {

std::vector<std::uint8_t> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the saved library");
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const char* path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write the corrected library");
}

void Run(int argc, char** argv) {
  corvane::ComPtr<ITypeLib> source;
  const HRESULT hr = LoadTypeLibEx(corvane::AnsiToWide(argv[1]).c_str(), REGKIND_NONE, source.put());
  if (FAILED(hr)) throw std::runtime_error("cannot load the input library");
  std::vector<std::wstring> order;
  for (int i = 3; i < argc; ++i) order.push_back(corvane::AnsiToWide(argv[i]));

  const auto fixes = corvane::tlborder::CopyTypeLibrary(source.get(), corvane::AnsiToWide(argv[2]), order);
  std::vector<std::uint8_t> bytes = ReadFile(argv[2]);
  corvane::tlborder::ApplyTypeEntryFixes(bytes, fixes);
  WriteFile(argv[2], bytes);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: tlborder IN.tlb OUT.tlb TYPE...\n");
    return 2;
  }
  try {
    Run(argc, argv);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "tlborder: %s\n", error.what());
  } catch (...) {
    std::fprintf(stderr, "tlborder: unexpected failure\n");
  }
  // A half-written library must not pass for a good one in the next build step.
  DeleteFileA(argv[2]);
  return 1;
}
