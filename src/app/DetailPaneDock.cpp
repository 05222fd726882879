#include "app/DetailPaneDock.h"

#include <QFontDatabase>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableWidget>
#include <QTextBlock>
#include <QVBoxLayout>

namespace vyx::gui {
namespace {

constexpr int kBytesPerLine = 16;
constexpr int kOffsetWidth = 6;  // "0000: "

// Where byte i starts in the hex text: lines of "OOOO: " and 16 "XX " groups.
int CharacterOf(std::size_t byte) {
    const auto line = static_cast<int>(byte / kBytesPerLine);
    const auto column = static_cast<int>(byte % kBytesPerLine);
    return line * (kOffsetWidth + 3 * kBytesPerLine + 1) + kOffsetWidth + 3 * column;
}

}  // namespace

DetailPaneDock::DetailPaneDock(QWidget* parent) : QDockWidget(QStringLiteral("Detail"), parent) {
    setObjectName("detailPaneDock");
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 2, 4, 4);
    m_title = new QLabel(body);
    m_title->setObjectName("detailPaneTitle");
    layout->addWidget(m_title);
    auto* split = new QSplitter(Qt::Horizontal, body);
    m_hex = new QPlainTextEdit(split);
    m_hex->setObjectName("detailPaneHex");
    m_hex->setReadOnly(true);
    m_hex->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_hex->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_rows = new QTableWidget(split);
    m_rows->setObjectName("detailPaneRows");
    m_rows->verticalHeader()->hide();
    m_rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_rows->setSelectionMode(QAbstractItemView::SingleSelection);
    m_rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_rows->horizontalHeader()->setStretchLastSection(true);
    split->addWidget(m_hex);
    split->addWidget(m_rows);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    layout->addWidget(split, 1);
    setWidget(body);
    connect(m_rows, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) { Highlight(row); });
}

void DetailPaneDock::Fill(const DetailPaneContent& content) {
    m_content = content;
    m_highlighted = {};
    if (content.recordNumber == 0) {
        m_title->setText(QStringLiteral("No record selected"));
    } else if (content.rows.kind == DetailRows::Kind::None) {
        m_title->setText(QStringLiteral("Record No. %1: no detail decoding").arg(content.recordNumber));
    } else {
        m_title->setText(QStringLiteral("Record No. %1").arg(content.recordNumber));
    }
    QString hex;
    for (std::size_t i = 0; i < content.bytes.size(); ++i) {
        if (i % kBytesPerLine == 0) {
            if (i > 0) hex += QLatin1Char('\n');
            hex += QStringLiteral("%1: ").arg(i, 4, 16, QLatin1Char('0')).toUpper();
        }
        hex += QStringLiteral("%1 ").arg(content.bytes[i], 2, 16, QLatin1Char('0')).toUpper();
    }
    m_hex->setPlainText(hex);
    m_hex->setExtraSelections({});

    const DetailRows& rows = content.rows;
    m_rows->clear();
    m_rows->setColumnCount(static_cast<int>(rows.header.size()));
    QStringList labels;
    for (const std::string& label : rows.header) labels << QString::fromStdString(label);
    m_rows->setHorizontalHeaderLabels(labels);
    m_rows->setRowCount(static_cast<int>(rows.rows.size()));
    for (std::size_t r = 0; r < rows.rows.size(); ++r) {
        for (std::size_t c = 0; c < rows.rows[r].size(); ++c) {
            m_rows->setItem(static_cast<int>(r), static_cast<int>(c),
                            new QTableWidgetItem(QString::fromStdString(rows.rows[r][c])));
        }
    }
    m_rows->resizeColumnsToContents();
}

void DetailPaneDock::Highlight(int row) {
    m_highlighted = {};
    QList<QTextEdit::ExtraSelection> selections;
    if (row >= 0 && static_cast<std::size_t>(row) < m_content.rows.rowBytes.size()) {
        const DetailRows::ByteRange range = m_content.rows.rowBytes[static_cast<std::size_t>(row)];
        if (range.length > 0 && range.offset + range.length <= m_content.bytes.size()) {
            m_highlighted = range;
            // One selection per byte: a range may wrap to the next line.
            for (std::size_t b = range.offset; b < range.offset + range.length; ++b) {
                QTextEdit::ExtraSelection selection;
                selection.cursor = QTextCursor(m_hex->document());
                selection.cursor.setPosition(CharacterOf(b));
                selection.cursor.setPosition(CharacterOf(b) + 2, QTextCursor::KeepAnchor);
                selection.format.setBackground(QColor(0xff, 0xd8, 0x60));
                selections << selection;
            }
            QTextCursor at(m_hex->document());
            at.setPosition(CharacterOf(range.offset));
            m_hex->setTextCursor(at);
            m_hex->ensureCursorVisible();
        }
    }
    m_hex->setExtraSelections(selections);
}

}  // namespace vyx::gui
