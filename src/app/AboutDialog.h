#pragma once

#include <QDialog>

namespace vyx::gui {

// "Vyx Viewer Version 1.65" with the program's icon and an OK button.
class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent);
};

}  // namespace vyx::gui
