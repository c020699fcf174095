// The import module's resource library: its message texts and the progress
// dialog.
#include <afxres_table.h>

namespace {

const AFX_STRING_RESOURCE kStrings[] = {
    {103, "The file %s could not be read as a Cinema 4D scene."},
    {104, "No object of the scene could be converted."},
    {105, "%u of %u objects could not be converted."},
    {106,
     "The scene holds objects with more than 500000 polygons. Convert them too? Yes converts them, No skips "
     "them, Cancel converts nothing."},
};

const AFX_DIALOG_CONTROL kProgressControls[] = {
    {1000, PROGRESS_CLASS, nullptr},
    {2, BUTTON_CLASS, "Cancel"},
};

const AFX_DIALOG_TEMPLATE kDialogs[] = {
    {102, "Importing", kProgressControls, sizeof kProgressControls / sizeof kProgressControls[0]},
};

const AFX_RESOURCE_TABLE kTable = {
    AFX_RESOURCE_TABLE_VERSION, kStrings, sizeof kStrings / sizeof kStrings[0],
    kDialogs, sizeof kDialogs / sizeof kDialogs[0],
};

}  // namespace

AFX_DEFINE_RESOURCE_TABLE(kTable)
