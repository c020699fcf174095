// The resource library of the host's report dialog. The dialog draws itself,
// so the library holds nothing yet.
#include <afxres_table.h>

namespace {

const AFX_RESOURCE_TABLE kTable = {AFX_RESOURCE_TABLE_VERSION, nullptr, 0, nullptr, 0};

}  // namespace

AFX_DEFINE_RESOURCE_TABLE(kTable)
