#include "app/AboutDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "app/Artwork.h"

namespace vyx::gui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Vyx Viewer"));
    setWindowIcon(ApplicationIcon());
    auto* icon = new QLabel(this);
    icon->setPixmap(IconPixmap(48));
    auto* text = new QLabel(QStringLiteral("Vyx Viewer Version 1.65"), this);
    text->setObjectName("aboutText");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

}  // namespace vyx::gui
