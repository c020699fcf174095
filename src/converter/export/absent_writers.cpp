// The writers of a build without the asset, DXF and 3MF libraries (a 32-bit
// or a Windows build of the tool): the formats stay known, so that a command
// line means the same everywhere, and writing one fails with the reason.
#include "format_writers.h"

namespace c4dexport {

namespace {
void Absent(const std::string& format, const char* library, ExportReport& report) {
  report.error = "this build of c4dimport cannot write " + format + " (built without the " + library + ")";
}
}  // namespace

void WriteThroughAssimp(const ExportScene&, const std::string&, const ExportFormat& format, ExportReport& report) {
  Absent(format.name, "asset library", report);
}

void Write3mf(const ExportScene&, const std::string&, ExportReport& report) { Absent("3mf", "3MF library", report); }

void WriteDxf(const ExportScene&, const std::string&, ExportReport& report) { Absent("dxf", "DXF library", report); }

}  // namespace c4dexport
