#include "app/FolderDialog.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

namespace vyx::gui {

std::optional<FolderChoice> BrowseForDataFolder(const QString& initialFolder, QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("Select Vyx Data folder..."));
    // The non-native dialog, so the two view-mode buttons can be added to it.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!initialFolder.isEmpty() && QDir(initialFolder).exists()) dialog.setDirectory(initialFolder);

    auto* fcu = new QRadioButton(QStringLiteral("FCU"), &dialog);
    auto* message = new QRadioButton(QStringLiteral("Message"), &dialog);
    fcu->setObjectName("fcuModeRadio");
    message->setObjectName("messageModeRadio");
    message->setChecked(true);
    auto* group = new QButtonGroup(&dialog);
    group->addButton(fcu);
    group->addButton(message);

    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(QStringLiteral("View:"), &dialog));
        row->addWidget(fcu);
        row->addWidget(message);
        row->addStretch(1);
        grid->addLayout(row, grid->rowCount(), 0, 1, grid->columnCount());
    }
    dialog.resize(640, 420);

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    FolderChoice choice;
    choice.folder = QDir::cleanPath(dialog.selectedFiles().front()).toStdString();
    choice.messageMode = message->isChecked();
    return choice;
}

}  // namespace vyx::gui
