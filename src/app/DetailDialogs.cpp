#include "app/DetailDialogs.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/ColumnWidths.h"
#include "res/StringTable.h"
#include "views/ListCtrlGridLines.h"

namespace vyx::gui {
namespace {

QString Load(int id) {
    return QString::fromStdString(std::string(res::LoadString(id)));
}

}  // namespace

DetailDialog::DetailDialog(QWidget* parent, const QString& title, const QStringList& columns, const QList<int>& widths,
                           QSize size, std::function<void(bool)> closed)
    : QDialog(parent), m_closed(std::move(closed)) {
    setWindowTitle(title);
    setModal(false);
    setAttribute(Qt::WA_ShowWithoutActivating);

    auto* label = new QLabel(QStringLiteral("Record No."), this);
    m_recordNumber = new QLabel(this);
    m_recordNumber->setObjectName("recordNumber");
    m_recordNumber->setMinimumWidth(100);
    m_recordNumber->setFrameStyle(QFrame::NoFrame);

    m_rows = new CListCtrlGridLines(this);
    m_rows->setObjectName("detailRows");
    m_rows->SetColumns(columns, ScaledWidths(widths, this));

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName("closeButton");
    close->setDefault(true);
    close->setFixedWidth(75);
    connect(close, &QPushButton::clicked, this, [this] {
        m_closed(false);
        hide();
    });

    auto* top = new QHBoxLayout;
    top->addWidget(label);
    top->addWidget(m_recordNumber);
    top->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(close);
    bottom->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_rows, 1);
    layout->addLayout(bottom);
    const QList<int> scaled = ScaledWidths({size.width()}, this);
    resize(scaled.front(), size.height());
}

void DetailDialog::Fill(const DetailDialogContent& content) {
    m_rows->setUpdatesEnabled(false);
    m_rows->RemoveAllRows();
    for (const auto& row : content.rows) {
        QStringList texts;
        for (const auto& text : row) texts << QString::fromStdString(text);
        m_rows->AppendRow(texts);
    }
    m_rows->setUpdatesEnabled(true);
    m_recordNumber->setText(QString::number(content.recordNumber));
}

QString DetailDialog::RecordNumberText() const {
    return m_recordNumber->text();
}

void DetailDialog::ShowInactive() {
    if (isVisible()) return;  // updated in place: never hidden and shown again while it follows the rows
    if (!m_placed) {
        PlaceFirstTime();
        m_placed = true;
    }
    show();
    // Window managers place a window that is shown again anew; it comes back where it was.
    if (m_lastGeometry.isValid()) setGeometry(m_lastGeometry);
}

void DetailDialog::PlaceFirstTime() {
    QSettings settings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer"));
    const QByteArray saved = settings.value(QStringLiteral("DetailDialogs/") + objectName()).toByteArray();
    if (!saved.isEmpty() && restoreGeometry(saved)) return;
    // Beside the main window, not over the rows it decodes: to its right where the screen has room, else
    // inside its right edge.
    QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!owner) return;
    const QRect frame = owner->frameGeometry();
    const QScreen* screen = owner->screen();
    const QRect available = screen ? screen->availableGeometry() : frame;
    int x = frame.right() + 8;
    if (x + width() > available.right()) x = std::max(available.left(), frame.right() - width() - 16);
    const int y =
        std::clamp(frame.top() + 120, available.top(), std::max(available.top(), available.bottom() - height()));
    move(x, y);
}

void DetailDialog::hideEvent(QHideEvent* event) {
    m_lastGeometry = geometry();
    QSettings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer"))
        .setValue(QStringLiteral("DetailDialogs/") + objectName(), saveGeometry());
    QDialog::hideEvent(event);
}

void DetailDialog::reject() {
    m_closed(true);
    hide();
}

void DetailDialog::closeEvent(QCloseEvent* event) {
    m_closed(false);
    QDialog::closeEvent(event);
}

BlockTransferDialog::BlockTransferDialog(QWidget* parent, std::function<void(bool)> closed)
    : DetailDialog(parent, QStringLiteral("Paramter Block Transfer Command Decoding"),
                   {Load(155), Load(156), Load(157), Load(158), Load(159), Load(160)}, {50, 130, 145, 125, 100, 35},
                   QSize(640, 300), std::move(closed)) {
    setObjectName("blockTransferDialog");
}

ModbusMultipleDialog::ModbusMultipleDialog(QWidget* parent, std::function<void(bool)> closed)
    : DetailDialog(parent, QStringLiteral("Modbus Multiple Command Decoding"), {Load(155), Load(223), Load(224)},
                   {50, 150, 80}, QSize(330, 240), std::move(closed)) {
    setObjectName("modbusMultipleDialog");
}

}  // namespace vyx::gui
