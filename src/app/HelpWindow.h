#pragma once
// The help document shown inside the program: its pages one below the other, page navigation and search.
// For desktops without a PDF viewer, and for users who would rather not leave the viewer.

#include <QWidget>
#include <string>

#include "controller/MessageBoxes.h"

class QLabel;
class QLineEdit;
class QPdfDocument;
class QPdfSearchModel;
class QPdfView;
class QSpinBox;

namespace vyx::gui {

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent);

    // Reads the document; returns the stop-icon text of the failure, or an empty text.
    std::string Load(const QString& path);
    int PageCount() const;
    int CurrentPage() const;  // 0-based
    void GoToPage(int page);
    // The next (or previous) place the search text stands; the first one after the text has changed.
    void FindNext(bool backwards = false);
    int ResultCount() const;
    int CurrentResult() const { return m_result; }  // 0-based, -1 before any

private:
    void ShowResult();
    void ShowResultCount();

    QPdfDocument* m_document;
    QPdfView* m_view;
    QPdfSearchModel* m_search;
    QSpinBox* m_page;
    QLabel* m_pageCount;
    QLineEdit* m_find;
    QLabel* m_results;
    QString m_searched;  // the text the search model holds
    int m_result = -1;
    bool m_jumpToFirst = false;  // results are still coming in for a new text
};

// Shows the help document in the parent's help window (made on first use); when the document cannot be
// found or read, says so with the help texts and shows no window.
void ShowHelpWindow(QWidget* parent, IMessageBoxes& boxes);

}  // namespace vyx::gui
