// Every input that once broke the reader loads into the scene model and
// ends cleanly: an error code or a scene, everything freed, no crash.
#include <gtest/gtest.h>

#include "regressions.h"
#include "scene_compare.h"

namespace {

TEST(Regressions, EveryKeptInputLoadsCleanly) {
  for (const NamedScene& input : RegressionInputs()) {
    SCOPED_TRACE(input.name);
    LoadedScene scene(input.bytes);
    if (scene.loaded) {
      EXPECT_EQ(scene.error, FILEERROR_NONE);
    }
    scene.CloseFile();
    scene.document.ExecuteAll();
    EXPECT_FALSE(SceneText(scene.document).empty());
  }
}

}  // namespace
