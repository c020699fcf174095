// A file opened over a block of memory reads exactly as the same bytes
// opened from a path: the same steps, positions and errors, damaged or not,
// across the read buffer's edges.
#include <gtest/gtest.h>

#include <filesystem>
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

std::string WalkFromMemory(const std::vector<uint8_t>& bytes) {
  GeChunkFile file;
  const bool opened = file.OpenMemory(bytes.data(), bytes.size());
  return (opened ? WalkFile(file) : "not opened\n") + "error " + std::to_string(file.GetError());
}

std::string WalkFromPath(const std::string& path) {
  GeChunkFile file;
  const bool opened = file.Open(path.c_str());
  return (opened ? WalkFile(file) : "not opened\n") + "error " + std::to_string(file.GetError());
}

// What a whole document load made of the bytes, and where it stopped.
std::string LoadFromMemory(const std::vector<uint8_t>& bytes) {
  C4DBaseDocument document;
  GeChunkFile file;
  const bool loaded = file.OpenMemory(bytes.data(), bytes.size()) && document.Load(file);
  return std::to_string(loaded) + " " + std::to_string(file.GetError()) + " @" +
         std::to_string(file.GetPosition()) + " " + SceneText(document);
}

std::string LoadFromPath(const std::string& path) {
  C4DBaseDocument document;
  GeChunkFile file;
  const bool loaded = file.Open(path.c_str()) && document.Load(file);
  return std::to_string(loaded) + " " + std::to_string(file.GetError()) + " @" +
         std::to_string(file.GetPosition()) + " " + SceneText(document);
}

class OpenMemory : public testing::TestWithParam<NamedScene> {};

TEST_P(OpenMemory, WalksAndLoadsLikeOpenWholeCutAndDamaged) {
  const std::vector<uint8_t>& whole = GetParam().bytes;
  ASSERT_FALSE(whole.empty());
  OnDisk disk;
  auto same = [&](const std::vector<uint8_t>& bytes, const std::string& what) {
    const std::string& path = disk.Write(bytes);
    EXPECT_EQ(WalkFromMemory(bytes), WalkFromPath(path)) << what;
    EXPECT_EQ(LoadFromMemory(bytes), LoadFromPath(path)) << what;
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

INSTANTIATE_TEST_SUITE_P(Scenes, OpenMemory, testing::ValuesIn(ScenesToDamage()),
                         [](const testing::TestParamInfo<NamedScene>& info) {
                           std::string name;
                           for (char c : info.param.name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

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
  EXPECT_EQ(LoadFromMemory(whole), LoadFromPath(disk.Write(whole)));
  for (size_t edge : {size_t{256 * 1024}, size_t{512 * 1024}}) {
    for (size_t length : {edge - 1, edge, edge + 1}) {
      const std::vector<uint8_t> cut(whole.begin(), whole.begin() + long(length));
      const std::string& path = disk.Write(cut);
      EXPECT_EQ(WalkFromMemory(cut), WalkFromPath(path)) << length;
      EXPECT_EQ(LoadFromMemory(cut), LoadFromPath(path)) << length;
    }
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
