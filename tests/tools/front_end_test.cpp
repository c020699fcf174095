// The batch plan and its rows, without a process.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "batch_run.h"

using namespace c4dimport;

namespace {

TEST(BatchPlan, FoldersGiveTheirScenesInOrderAndOutputsStayUnique) {
  const auto folder = std::filesystem::temp_directory_path() / ("c4dimport-plan-" + std::to_string(getpid()));
  for (const char* file : {"in/b.c4d", "in/a.C4D", "in/sub/a.c4d", "in/readme.txt", "other/a.c4d"}) {
    std::filesystem::create_directories((folder / file).parent_path());
    std::ofstream(folder / file) << "x";
  }
  auto at = [&](const char* name) { return (folder / name).string(); };
  BatchOptions options;
  options.inputs = {at("in"), at("other/a.c4d"), at("missing.c4d")};
  options.format = c4dexport::FindExportFormat("dxf");
  for (bool writing : {true, false}) {
    options.outputDir = writing ? at("out") : "";
    std::vector<BatchItem> items;
    std::string error;
    ASSERT_TRUE(PlanBatch(options, items, error)) << error;
    std::vector<std::string> plan;
    for (const BatchItem& item : items) plan.push_back(item.input + " -> " + item.output);
    // A second "a" does not overwrite the first; a name that is no file takes its turn.
    EXPECT_EQ(plan, (writing ? std::vector<std::string>{at("in/a.C4D") + " -> " + at("out/a.dxf"),
                                                        at("in/b.c4d") + " -> " + at("out/b.dxf"),
                                                        at("in/sub/a.c4d") + " -> " + at("out/sub/a.dxf"),
                                                        at("other/a.c4d") + " -> " + at("out/a-2.dxf"),
                                                        at("missing.c4d") + " -> " + at("out/missing.dxf")}
                             : std::vector<std::string>{at("in/a.C4D") + " -> ", at("in/b.c4d") + " -> ",
                                                        at("in/sub/a.c4d") + " -> ", at("other/a.c4d") + " -> ",
                                                        at("missing.c4d") + " -> "}));
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
