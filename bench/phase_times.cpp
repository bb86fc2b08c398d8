// Times the phases of one conversion separately, to see where a run spends
// its time. Usage: phase_times FILETYPE STYLE SOURCE (in a program folder).
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "platform/files.h"
#include "platform/memory.h"
#include "refmill/driver/conversion.h"
#include "refmill/driver/input_file.h"
#include "refmill/driver/message_output.h"
#include "refmill/driver/messages.h"
#include "refmill/driver/settings_loader.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// The process's peak resident memory so far in MB (Linux), for seeing
// which phase sets the peak; 0 where it cannot be read.
long PeakMegabytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) / 1024;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: phase_times FILETYPE STYLE SOURCE\n";
    return 2;
  }
  using namespace refmill::driver;  // NOLINT: a small tool
  platform::GiveLargeBlocksBack();
  auto t = Clock::now();
  refmill::format::StyleSettings settings = LoadStyleSettings(argv[2], argv[1]);
  if (LoadDataFiles({platform::CurrentFolder()}, settings)) return 1;
  std::printf("settings and data files %.3f s, peak %ld MB\n", Seconds(t), PeakMegabytes());
  t = Clock::now();
  // As refmill reads it: a large table in place.
  InputRead read = ReadInputFile(argv[3], kTableLimit, true, kMapTableFrom);
  if (!read.ok()) return 3;
  const InputText source = DecodeInput(std::move(read), nullptr);
  std::printf("read source             %.3f s, peak %ld MB\n", Seconds(t), PeakMegabytes());
  const Messages m = Messages::Load();
  std::ostringstream sink;
  MessageOutput out(sink, false, "", false, m);
  t = Clock::now();
  auto conversion_owner =
      std::make_unique<Conversion>(source.Text(), settings, out, source.mapped.get());
  Conversion& conversion = *conversion_owner;
  std::printf("split lines             %.3f s, peak %ld MB\n", Seconds(t), PeakMegabytes());
  t = Clock::now();
  if (conversion.FirstPass()) return 1;
  std::printf("first pass              %.3f s (%zu entries), peak %ld MB\n", Seconds(t),
              conversion.EntryCount(), PeakMegabytes());
  t = Clock::now();
  conversion.Sort();
  std::printf("sort                    %.3f s, peak %ld MB\n", Seconds(t), PeakMegabytes());
  t = Clock::now();
  if (conversion.MarkNeighbours()) return 1;
  std::printf("neighbour marks         %.3f s, peak %ld MB\n", Seconds(t), PeakMegabytes());
  t = Clock::now();
  // As refmill writes a file: the marked entries formatted while writing.
  platform::AtomicFileWriter output("phase_times.out");
  if (conversion.RenderFormattingMarked(
          [&output](std::string_view piece) { output.Write(piece); })) {
    return 1;
  }
  output.Commit();
  std::printf("format marked and write %.3f s, peak %ld MB\n", Seconds(t), PeakMegabytes());
  t = Clock::now();
  conversion_owner.reset();
  std::printf("release                 %.3f s, peak %ld MB\n", Seconds(t), PeakMegabytes());
  return 0;
}
