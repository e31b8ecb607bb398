// Replays saved fuzz inputs through LLVMFuzzerTestOneInput without libFuzzer,
// so that every seed and every input that once crashed or hung stays a
// regression test of the normal build.
//
//   kestrune_ifo_fuzz_replay PATH...       (files, or folders whose files are read)
//   kestrune_picture_fuzz_replay PATH...
//
// A finding aborts, as under the fuzzer; otherwise the replay prints how many
// inputs ran and exits 0. No input at all is an error, so that a missing
// corpus does not pass unnoticed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// What the target made of the last input, in one line.
std::string FuzzerLastOutcome();

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const fs::path arg = argv[i];
    if (fs::is_directory(arg)) {
      for (const fs::directory_entry& entry : fs::directory_iterator(arg))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    } else {
      inputs.push_back(arg);
    }
  }
  std::sort(inputs.begin(), inputs.end());
  if (inputs.empty()) {
    std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...  (no input found)\n", argv[0]);
    return 2;
  }
  for (const fs::path& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "cannot read %s\n", input.c_str());
      return 1;
    }
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("%s (%zu bytes): ", input.filename().c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    std::printf("%s\n", FuzzerLastOutcome().c_str());
  }
  std::printf("replayed %zu inputs\n", inputs.size());
  return 0;
}
