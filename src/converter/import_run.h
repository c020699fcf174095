// One import of a scene file through the import module, driven exactly as
// the host drives it (StartImport, Read, EndImport on the module's exported
// class) with the stand-in host, and everything that came of it: the host
// objects, the layer table afterwards, the message boxes shown, and the
// session's counters.
//
//   c4dimport::ImportOptions options;
//   options.large = c4dimport::LargeAnswer::Yes;
//   c4dimport::ImportResult result = c4dimport::ImportFile("scene.c4d", options);
//   for (const auto& object : result.objects) ...   // CQEL_BasisPolyhedron3D
//
// The host's state (its layer table and the file it is kept in, the active
// layer) is the caller's: a batch of imports shares one table, as in the
// host. Everything here runs on the calling thread.
#pragma once
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include <afx_frontend.h>

#include "qel_host.h"
#include "standin/host_control.h"
#include "standin/host_ui.h"

class JsonWriter;

namespace c4dimport {

struct ImportResult;

// Where an import stands, for a front end that shows it.
struct ImportProgress {
  size_t converted = 0;  // objects in the host's vector so far
  uint32_t counted = 0;  // objects the scene holds that can be converted (0 without a counting pass)
};

struct CountingFigures {
  uint32_t total = 0;        // objects counted as convertible
  uint32_t maxPolygons = 0;  // largest polygon count of a counted mesh
};

// The answer to the question about meshes above 500000 polygons.
enum class LargeAnswer { Ask, Yes, No, Cancel };

// The button that answers the question as `answer` does (IDYES, IDNO,
// IDCANCEL); 0 for Ask.
int PresetAnswer(LargeAnswer answer);

struct ImportOptions {
  LargeAnswer large = LargeAnswer::No;
  // Press the progress dialog's Cancel button once this many objects have
  // been converted (at the next moment the module pumps its messages).
  std::optional<size_t> cancelAfter;
  // Where message boxes are shown and questions answered besides being
  // recorded. Null: a terminal UI on `messageStream` that answers the large
  // question with `large` (Ask: from standard input).
  standin::IHostUi* ui = nullptr;
  std::ostream* messageStream = nullptr;  // null: standard error
  // Told of the progress dialog's windows, for a front end that draws them;
  // null leaves the backend installed now (if any) in place.
  afx_frontend::IWindowBackend* windowBackend = nullptr;
  // Runs every time the module looks into its message queue (after each
  // visible move of the bar): where a front end shows the counts, or posts
  // the Cancel button's click for a user who interrupted it.
  std::function<void(const ImportProgress&)> onPump;
  // Asked at the same moments, after onPump: true presses the dialog's
  // Cancel button (once), as a user would.
  std::function<bool()> cancelRequested;
  // The host's own work after Read and before EndImport, while the dialog
  // is still open: it may move the bar on with SetCheckProgress (50 to 100).
  std::function<void(ImportResult&)> whileOpen;
  // The figures of the module's counting pass, which it shows no one (the
  // counted objects while the import runs or after Cancel, the largest
  // mesh), as the caller worked them out from its own read of the scene
  // with the import's rules (CountScene). Without them the counts come
  // from what the host was shown.
  std::optional<CountingFigures> figures;
  // Run the module with the floating-point traps of a host that has them on
  // (invalid, division by zero, overflow): a module that raises one crashes.
  bool floatTraps = false;
  // A test aid: one host call that fails during the import (see
  // standin::HostFault), so that a fault met in a host can be reproduced.
  std::optional<standin::HostFault> hostFault;
};

// The import session's counters after the run.
struct SessionCounters {
  uint32_t total = 0;        // objects counted as convertible
  uint32_t converted = 0;    // objects converted (appended to the vector)
  uint32_t maxPolygons = 0;  // largest polygon count of a counted mesh (counting figures only)
  bool fromCountingPass = false;  // total and maxPolygons are the counting pass's figures
  bool convertLarge = false; // the large question was answered Yes
  bool cancelled = false;    // the dialog's Cancel button was pressed
};

struct ImportResult {
  std::string path;       // as given
  bool readable = false;  // the file was read as a scene (else message 103)
  std::vector<CQEL_SmartPtr<CQEL_Object>> objects;  // the host's vector, in order
  // The module's objects come first in `objects`; those after the first
  // `moduleObjects` were added after the import by the host's own work
  // (output_objects.h), one note each in `added` ("rebuilt: cube ...").
  size_t moduleObjects = 0;
  std::vector<std::string> added;
  // Per object, the path of the scene object it comes from ("House / Walls");
  // empty when the converter did not account for the scene.
  std::vector<std::string> sources;
  std::vector<standin::LayerLeafEntry> layers;      // every leaf of the table afterwards
  std::vector<standin::BoxRecord> messages;         // every box shown during the run
  SessionCounters session;
  std::string hostError;  // report of a host error that left Read (of any kind); "" when none
  bool floatTrapsKept = true;  // the module left the host's floating-point traps as they were
  bool hostFaultFired = false;  // the host fault asked for was met
};

// Exit codes of every front end of the converter: one file, a batch, each verb.
enum ExitCode : int {
  kExitDone = 0,
  kExitUnreadable = 1,  // a file could not be read (in a batch: any file failed)
  kExitBadUsage = 2,
  kExitNotWritten = 3,  // an output could not be written, or the host raised an error
  kExitCancelled = 4,   // cancelled by the user
};

ImportResult ImportFile(const std::string& path, const ImportOptions& options = ImportOptions());

// 0 read and run to its end, 1 unreadable, 3 a host exception, 4 cancelled.
int ExitCodeOf(const ImportResult& result);

// The result's members of a JSON document: "file", "status", "objects",
// "layers", "messages", "session" (and "hostError"); an object has "source"
// when the scene was accounted for, and an object added after
// the import has "rebuilt": true.
void WriteResultMembers(JsonWriter& json, const ImportResult& result);
// The result as one JSON document of those members.
std::string ResultJson(const ImportResult& result);

// The result for a person: objects by kind, counts, layers, messages.
void PrintSummary(const ImportResult& result, std::ostream& out);

// What a converted object is, read back from the host.
struct ObjectView {
  const CQEL_BasisPolyhedron3D* basis = nullptr;
  const CQEL_GeoPolyhedron3D* geometry = nullptr;  // null when it has none
  const char* kind = "other";                      // "mesh", "polyline" or "other"
  unsigned layer = 0;
  unsigned char argb[4] = {0, 0, 0, 0};
  std::string surface;  // the surface file as given; "" when none
};
ObjectView ViewObject(const CQEL_SmartPtr<CQEL_Object>& object);

}  // namespace c4dimport
