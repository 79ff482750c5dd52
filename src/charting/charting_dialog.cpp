#include "charting/charting_dialog.h"

namespace kui {

// TEMPORARY: stands in for the charting dialog, which is being built on its
// own branch; this file goes when that lands. Stores nothing.
bool RunChartingDialog(QWidget* /*parent*/, TKvrWinApp& /*app*/, const PlayRecord& /*record*/) {
    return false;
}

} // namespace kui
