#include "app/BookmarksDock.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "decode/FormatRecord.h"
#include "logdata/RecordDatabase.h"
#include "platform/FileError.h"

namespace vyx::gui {
namespace {

enum Column { kSrNo, kDateTime, kDayFile, kOffset, kNote, kColumns };

QTableWidgetItem* Fixed(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

}  // namespace

BookmarksDock::BookmarksDock(QWidget* parent, std::function<void(const QString&)> notice)
    : QDockWidget(QStringLiteral("Bookmarks"), parent), m_notice(std::move(notice)) {
    setObjectName("bookmarksDock");
    m_table = new QTableWidget(0, kColumns, this);
    m_table->setObjectName("bookmarksTable");
    m_table->setHorizontalHeaderLabels({"Sr.No.", "Date-Time", "Day file", "Offset", "Note"});
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_problem = new QLabel(this);
    m_problem->setObjectName("bookmarksProblem");
    m_problem->setWordWrap(true);
    m_problem->hide();
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_problem);
    layout->addWidget(m_table);
    setWidget(body);
    setMinimumWidth(420);  // room for Sr.No., time, day file and offset beside a short note
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (column == kNote) return;  // that edits the note
        bool ok = false;
        const qlonglong srNo = m_table->item(row, kSrNo)->text().toLongLong(&ok);
        if (ok && srNo > 0) emit recordRequested(srNo - 1);
    });
    connect(m_table, &QTableWidget::cellChanged, this, [this](int row, int column) {
        if (m_filling || column != kNote) return;
        const auto index = m_table->item(row, kSrNo)->data(Qt::UserRole).toULongLong();
        m_bookmarks.SetNote(index, m_table->item(row, kNote)->text().toStdString());
        Save();
    });
}

void BookmarksDock::OpenFolder(const std::string& folder) {
    const std::string key = CBookmarkFile::FolderKey(folder);
    FolderBookmarks list;
    m_fileUsable = true;
    try {
        list = m_file.LoadFolder(key);
    } catch (const CBookmarkFileDamaged& e) {
        // Kept for the user to look at; the bookmarks start afresh beside it.
        QString text = QString::fromStdString(e.what());
        try {
            text += QStringLiteral(" It was kept as %1.").arg(QString::fromStdString(m_file.SetAside()));
        } catch (const CVyxError& aside) {
            m_fileUsable = false;
            text += QStringLiteral(" ") + QString::fromStdString(aside.what()) +
                    QStringLiteral(" Bookmarks are not kept until it is fixed.");
        }
        if (!m_fileUsable) m_problem->setText(text);
        m_notice(text);
    } catch (const CVyxError& e) {
        // Not read is not damaged: the file may hold every bookmark, so it is left as it is and not written.
        m_fileUsable = false;
        m_problem->setText(QString::fromStdString(e.what()) +
                           QStringLiteral(" Bookmarks are not kept until it can be read; it was left as it is."));
        m_notice(m_problem->text());
    }
    m_problem->setVisible(!m_fileUsable);
    m_bookmarks.Open(key, std::move(list));
    Fill(nullptr);
}

void BookmarksDock::Save() {
    if (!m_fileUsable) return;
    try {
        m_file.SaveFolder(m_bookmarks.Folder(), m_bookmarks.List());
    } catch (const CVyxError& e) {
        m_notice(QString::fromStdString(e.what()));
    }
}

void BookmarksDock::Refresh(const CRecordDatabase& store) { Fill(&store); }

void BookmarksDock::Toggle(const CRecordDatabase& store, std::int64_t serial) {
    if (serial < 0 || m_bookmarks.Folder().empty()) return;
    try {
        m_bookmarks.Toggle(store, serial);
    } catch (const CVyxError& e) {
        m_notice(QString::fromStdString(e.what()));
        return;
    }
    Save();
    Fill(&store);
}

std::optional<std::int64_t> BookmarksDock::Next(const CRecordDatabase& store, std::int64_t from) const {
    return m_bookmarks.Next(store, from);
}

std::optional<std::int64_t> BookmarksDock::Previous(const CRecordDatabase& store, std::int64_t from) const {
    return m_bookmarks.Previous(store, from);
}

void BookmarksDock::Fill(const CRecordDatabase* store) {
    m_filling = true;
    const FolderBookmarks& list = m_bookmarks.List();
    m_table->setRowCount(static_cast<int>(list.size()));
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Bookmark& b = list[i];
        const auto row = static_cast<int>(i);
        const auto serial = store ? m_bookmarks.SerialOf(*store, i) : std::nullopt;
        // A record the current filter leaves out has no row now.
        auto* srNo = Fixed(serial ? QString::number(*serial + 1) : QStringLiteral("-"));
        srNo->setData(Qt::UserRole, static_cast<qulonglong>(i));
        srNo->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_table->setItem(row, kSrNo, srNo);
        CRecord record;
        record.m_nTime = b.time;
        m_table->setItem(row, kDateTime, Fixed(QString::fromStdString(CFormatRecord(&record).FormatDateTime())));
        m_table->setItem(row, kDayFile, Fixed(QString::fromStdString(b.dayFile)));
        m_table->setItem(row, kOffset, Fixed(QString::number(b.offset)));
        m_table->setItem(row, kNote, new QTableWidgetItem(QString::fromStdString(b.note)));
    }
    m_table->resizeColumnsToContents();
    m_filling = false;
}

}  // namespace vyx::gui
