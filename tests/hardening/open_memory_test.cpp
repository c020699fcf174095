// A file opened over a block of memory reads exactly as the same bytes
// opened from a path: the same steps, positions and errors, damaged or not,
// across the read buffer's edges.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <unistd.h>

#include "file_walk.h"
#include "hardening_util.h"
#include "scene_compare.h"
#include "scene_writer.h"

namespace {

class OnDisk {
 public:
  OnDisk()
      : path_((std::filesystem::temp_directory_path() /
               ("c4d-open-memory-" + std::to_string(getpid()) + ".c4d")).string()) {}
  ~OnDisk() { std::filesystem::remove(path_); }
  const std::string& Write(const std::vector<uint8_t>& bytes) {
    C4DWriter().Bytes(bytes).SaveTo(path_);
    return path_;
  }

 private:
  std::string path_;
};

// The walk of the file's chunks and what a whole document load made of it,
// with where it stopped; `open` opens the file from memory or from a path.
std::string WalkAndLoad(const std::function<bool(GeChunkFile&)>& open) {
  GeChunkFile walked, loaded;
  C4DBaseDocument document;
  const std::string walk = (open(walked) ? WalkFile(walked) : "not opened\n") + "error " + std::to_string(walked.GetError());
  const bool ok = open(loaded) && document.Load(loaded);
  return walk + "\n" + std::to_string(ok) + " " + std::to_string(loaded.GetError()) + " @" +
         std::to_string(loaded.GetPosition()) + " " + SceneText(document);
}

// The same bytes read from memory and from a file on disk.
void ExpectSameFromMemoryAndPath(OnDisk& disk, const std::vector<uint8_t>& bytes, const std::string& what) {
  const std::string& path = disk.Write(bytes);
  EXPECT_EQ(WalkAndLoad([&](GeChunkFile& f) { return f.OpenMemory(bytes.data(), bytes.size()); }),
            WalkAndLoad([&](GeChunkFile& f) { return f.Open(path.c_str()); }))
      << what;
}

class OpenMemory : public testing::TestWithParam<NamedScene> {};

TEST_P(OpenMemory, WalksAndLoadsLikeOpenWholeCutAndDamaged) {
  const std::vector<uint8_t>& whole = GetParam().bytes;
  ASSERT_FALSE(whole.empty());
  OnDisk disk;
  auto same = [&](const std::vector<uint8_t>& bytes, const std::string& what) {
    ExpectSameFromMemoryAndPath(disk, bytes, what);
  };
  same(whole, "whole");
  for (size_t length : Positions(whole.size(), 120 / kSanitizerSlowdown)) {
    same(std::vector<uint8_t>(whole.begin(), whole.begin() + long(length)), "cut at " + std::to_string(length));
  }
  for (size_t at : Positions(whole.size(), 60 / kSanitizerSlowdown)) {
    std::vector<uint8_t> bytes = whole;
    bytes[at] = static_cast<uint8_t>(bytes[at] ^ 0x81);
    same(bytes, "byte " + std::to_string(at) + " changed");
  }
}

INSTANTIATE_TEST_SUITE_P(Scenes, OpenMemory, testing::ValuesIn(ScenesToDamage()), SceneName);

}  // namespace
