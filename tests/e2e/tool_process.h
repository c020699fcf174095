// Running c4dimport as a process from tests: scenes written to a folder of
// the test's own, the tool's standard output, standard error and exit code.
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scene_writer.h"

struct ToolResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class ToolProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "-" + test->name();
    for (char& c : name) c = (c == '/') ? '-' : c;
    m_folder = std::filesystem::temp_directory_path() / ("c4dimport-" + name + "-" + std::to_string(getpid()));
    std::filesystem::create_directories(m_folder);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }

  std::string Path(const std::string& name) const { return (m_folder / name).string(); }

  std::string WriteBytes(const std::vector<uint8_t>& bytes, const std::string& name) {
    const std::string path = Path(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  std::string Write(const SceneSpec& scene, const std::string& name) { return WriteBytes(WriteScene(scene), name); }

  // Runs the tool with `arguments` (quoted by the caller as the shell
  // needs); standard input is empty.
  // `shellPrefix` runs before it in the same shell (a ulimit, say).
  ToolResult Tool(const std::string& arguments, const std::string& shellPrefix = "") {
    const std::string errPath = Path("stderr.txt");
    const std::string command = shellPrefix + std::string("'") + C4DIMPORT_PATH + "' " + arguments +
                                " < /dev/null 2> '" + errPath + "'";
    ToolResult run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errPath);
    run.err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
    return run;
  }

  static std::string Quoted(const std::string& text) { return "'" + text + "'"; }

  std::filesystem::path m_folder;
};
