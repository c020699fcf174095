// `c4dimport formats`: the formats that `import -o` writes.
#include <iomanip>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>

#include "export_writer.h"
#include "verbs.h"

namespace {

void PrintFormats(bool asJson, std::ostream& out) {
  const auto& formats = c4dexport::ExportFormats();
  if (asJson) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const c4dexport::ExportFormat& f : formats) {
      list.push_back({{"name", f.name},
                      {"description", f.description},
                      {"polygons", f.keepsPolygons ? "kept" : "triangles"},
                      {"lines", f.hasLines},
                      {"colours", f.hasColours},
                      {"coordinates", f.coordinates}});
    }
    out << list.dump(2) << "\n";
    return;
  }
  out << "Formats that `c4dimport import FILE -o OUT` writes, chosen by OUT's extension or --format:\n";
  for (const c4dexport::ExportFormat& f : formats) {
    out << "  " << std::left << std::setw(5) << f.name << " " << f.description << "\n"
        << "        polygons " << (f.keepsPolygons ? "kept" : "as triangles") << ", polylines "
        << (f.hasLines ? "as lines" : "left out") << ", colours " << (f.hasColours ? "yes" : "no") << ", "
        << f.coordinates << "\n";
  }
}

}  // namespace

void AddFormatsVerb(CLI::App& app, int& exitCode) {
  auto asJson = std::make_shared<bool>(false);
  CLI::App* verb = app.add_subcommand("formats", "List the formats that import -o writes.");
  verb->add_flag("--json", *asJson, "Print one JSON document");
  verb->callback([asJson, &exitCode] {
    PrintFormats(*asJson, std::cout);
    exitCode = kExitDone;
  });
}
