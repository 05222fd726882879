#include "views/DateTimeTyping.h"

#include <QDateTimeEdit>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>

namespace vyx {
namespace {

class CDateTimeTyping : public QObject {
public:
    explicit CDateTimeTyping(QDateTimeEdit* edit) : QObject(edit), m_edit(edit), m_line(edit->findChild<QLineEdit*>()) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
                if (watched == m_edit) return OnKey(*static_cast<QKeyEvent*>(event));
                break;
            case QEvent::MouseButtonPress:
            case QEvent::FocusIn: m_typing = false; break;
            default: break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // True to swallow the key.
    bool OnKey(const QKeyEvent& key) {
        const QString text = key.text();
        const bool plain = !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (!m_line || !plain || text.size() != 1 || !text[0].isPrint()) {
            m_typing = false;
            return false;
        }
        const QChar c = text[0];
        if (c.isDigit()) {
            if (m_line->selectedText() == m_line->text()) {
                // Typed over the whole text: from its first section.
                m_edit->setCurrentSectionIndex(0);
                m_edit->setSelectedSection(m_edit->sectionAt(0));
            } else if (!m_typing && !m_line->hasSelectedText()) {
                // The first digit at a place clicked: over the section there.
                const int index = SectionIndexAtCursor();
                m_edit->setCurrentSectionIndex(index);
                m_edit->setSelectedSection(m_edit->sectionAt(index));
            }
            m_typing = true;
            return false;
        }
        m_typing = false;
        // The section before filled up and the field moved on to the next one: this separator is the one
        // between them, already passed.
        const int start = m_line->selectionStart();
        return m_line->hasSelectedText() && start > 0 && m_line->text().at(start - 1) == c;
    }

    // The fields show numbers only, between separators: the section of the run of digits at the cursor.
    int SectionIndexAtCursor() const {
        const QString text = m_line->text();
        const int cursor = m_line->cursorPosition();
        int index = 0;
        for (int i = 0; i < text.size(); ++i) {
            if (text[i].isDigit()) continue;
            if (cursor <= i) break;
            if (i > 0 && text[i - 1].isDigit()) ++index;
        }
        return std::min(index, m_edit->sectionCount() - 1);
    }

    QDateTimeEdit* m_edit;
    QLineEdit* m_line;
    bool m_typing = false;
};

}  // namespace

void TypeDateTimeAsItReads(QDateTimeEdit* edit) {
    auto* typing = new CDateTimeTyping(edit);
    edit->installEventFilter(typing);  // the keys come to the field
    if (auto* line = edit->findChild<QLineEdit*>()) line->installEventFilter(typing);  // a click to its text
}

}  // namespace vyx
