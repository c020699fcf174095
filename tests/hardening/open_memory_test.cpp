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

// A scene several times the size of the read buffer, whole and cut around
// the buffer's edges, where a file refills its buffer and memory never does.
TEST(OpenMemoryLargeFile, ReadsLikeOpenAcrossTheReadBuffersEdges) {
  std::vector<Vector> points(30000);
  std::vector<CPolygon> polygons(20000);
  for (size_t i = 0; i < points.size(); ++i) points[i] = {float(i), 1.0f, -float(i)};
  for (size_t i = 0; i < polygons.size(); ++i) {
    const auto k = static_cast<int32_t>(i);
    polygons[i] = {k, k + 1, k + 2, k + 3};
  }
  SceneSpec scene;
  ObjectSpec big = ObjectSpec::Polygon("Big", points, polygons);
  ObjectSpec narrow = ObjectSpec::Polygon("Narrow", points, {});
  narrow.tags[1] = TagSpec::Polygons(polygons, true);
  scene.objects = {big, big, narrow};
  const std::vector<uint8_t> whole = WriteScene(scene);
  ASSERT_GT(whole.size(), 3u * 256 * 1024);

  OnDisk disk;
  ExpectSameFromMemoryAndPath(disk, whole, "whole");
  for (size_t length : {(256 << 10) - 1, 256 << 10, (256 << 10) + 1, (512 << 10) - 1, 512 << 10, (512 << 10) + 1}) {
    ExpectSameFromMemoryAndPath(disk, std::vector<uint8_t>(whole.begin(), whole.begin() + long(length)),
                                std::to_string(length));
  }
}

TEST(OpenMemoryEdges, EmptyAndMissingBlocksFailLikeEmptyAndMissingFiles) {
  OnDisk disk;
  GeChunkFile emptyFile, emptyBlock, nullBlock;
  EXPECT_FALSE(emptyFile.Open(disk.Write({}).c_str()));
  EXPECT_FALSE(emptyBlock.OpenMemory("", 0));
  EXPECT_FALSE(nullBlock.OpenMemory(nullptr, 0));
  for (GeChunkFile* f : {&emptyFile, &emptyBlock, &nullBlock}) {
    EXPECT_EQ(f->GetError(), FILEERROR_FORMAT);
    EXPECT_EQ(f->Remaining(), 0);
    EXPECT_FALSE(f->IsOpen());
  }

  GeChunkFile missingFile, missingBlock;
  EXPECT_FALSE(missingFile.Open("/nonexistent/scene.c4d"));
  EXPECT_FALSE(missingBlock.OpenMemory(nullptr, 100));
  for (GeChunkFile* f : {&missingFile, &missingBlock}) {
    EXPECT_EQ(f->GetError(), FILEERROR_NONE);
    EXPECT_FALSE(f->IsOpen());
    EXPECT_TRUE(f->ReadFailed());
  }
}

}  // namespace
