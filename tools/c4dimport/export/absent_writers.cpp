// The writers of a build without the asset and DXF libraries (a 32-bit or a
// Windows build of the tool): the formats stay known, so that a command
// line means the same everywhere, and writing one fails with the reason.
#include "format_writers.h"

namespace c4dexport {

void WriteThroughAssimp(const ExportScene&, const std::string&, const ExportFormat& format, ExportReport& report) {
  report.error = "this build of c4dimport cannot write " + format.name + " (built without the asset library)";
}

void WriteDxf(const ExportScene&, const std::string&, ExportReport& report) {
  report.error = "this build of c4dimport cannot write dxf (built without the DXF library)";
}

}  // namespace c4dexport
