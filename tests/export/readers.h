// The reference readers that run outside the test: a 3MF package read back
// by the 3MF library (apart from the host's headers, whose Windows types
// clash with the library's), and programs run through the shell.
#pragma once
#include <string>

struct ThreeMfContents {
  std::string error;  // "" when the package was read
  size_t objects = 0, triangles = 0, points = 0, materials = 0;  // points: distinct positions
};

ThreeMfContents ReadThreeMf(const std::string& path);

// Runs a shell command; its standard output, and its exit code in `exitCode`.
std::string Shell(const std::string& command, int& exitCode);
