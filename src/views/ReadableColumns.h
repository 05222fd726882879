#pragma once
// What makes a column readable in both record lists and the detail dialogs: a cell whose text is cut short
// shows the whole text as a tooltip, and a double click on a header divider fits the column to its texts.

class QTableView;

namespace vyx {

// Installs both on the view; the helper lives as a child of the view.
void MakeColumnsReadable(QTableView* view);

}  // namespace vyx
