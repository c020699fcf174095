// Fuzz target: the file layer alone. Walks the input with the chunk lists,
// every typed read, containers and stand-alone values, once opened from
// memory and once from a file holding the same bytes; the two walks must
// agree step by step.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "file_walk.h"
#include "ge_chunk_file.h"

namespace {

// A file in memory that the file layer can open by path.
class MemoryBackedPath {
 public:
  MemoryBackedPath() : fd_(memfd_create("c4d-fuzz", 0)) {
    if (fd_ < 0) std::abort();
    path_ = "/proc/self/fd/" + std::to_string(fd_);
  }
  ~MemoryBackedPath() { close(fd_); }
  const std::string& Write(const uint8_t* data, size_t size) {
    if (ftruncate(fd_, 0) != 0 || pwrite(fd_, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    return path_;
  }

 private:
  int fd_;
  std::string path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static MemoryBackedPath backing;

  GeChunkFile fromMemory;
  const bool memoryOpened = fromMemory.OpenMemory(data, size);
  const std::string memoryWalk = memoryOpened ? WalkFile(fromMemory) : "closed";

  GeChunkFile fromFile;
  const bool fileOpened = fromFile.Open(backing.Write(data, size).c_str());
  const std::string fileWalk = fileOpened ? WalkFile(fromFile) : "closed";

  if (memoryOpened != fileOpened || memoryWalk != fileWalk || fromMemory.GetError() != fromFile.GetError()) {
    std::fprintf(stderr, "memory and file walks differ:\n--- memory\n%s--- file\n%s", memoryWalk.c_str(),
                 fileWalk.c_str());
    std::abort();
  }
  return 0;
}
