#include "HelpDocumentWriter.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>
#include <QUrl>
#include <utility>
#include <vector>

namespace vyx::helpdoc {
namespace {

// The document is laid out for the PDF device. Its format lengths (margins, padding, borders, picture sizes)
// are given for a 96 dpi screen and scaled by the layout; what is drawn here directly is scaled with Px.
constexpr int kResolution = 300;
constexpr double Px(double screenPixels) {
    return screenPixels * kResolution / 96.0;
}

const QColor kHeadingColor(0x10, 0x2a, 0x5c);  // the deep blue of the program's icon and banner
const QColor kRuleColor(0xb0, 0xb8, 0xc8);
const QColor kTableHeaderColor(0xdc, 0xe4, 0xf0);
const QColor kStripeColor(0xf4, 0xf6, 0xfa);
const QColor kCodeBackground(0xf2, 0xf4, 0xf7);

struct Heading {
    int level;
    QString text;
    int position;  // of the heading's block, to find it again after the contents are inserted
};

bool IsCodeBlock(const QTextBlock& block) {
    const QTextBlockFormat format = block.blockFormat();
    return format.nonBreakableLines() || format.hasProperty(QTextFormat::BlockCodeFence);
}

bool HoldsOnlyPicture(const QTextBlock& block) {
    bool picture = false;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.charFormat().isImageFormat()) {
            picture = true;
        } else if (!fragment.text().trimmed().isEmpty()) {
            return false;
        }
    }
    return picture;
}

// Gives the pictures their pixels and a size that fits the text width; centres them and their captions.
void PlacePictures(QTextDocument& doc, qreal bodyWidth) {
    struct Placement {
        int position;
        int length;
        QTextImageFormat format;
    };
    std::vector<Placement> placements;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QImage image(format.name());
            if (image.isNull()) continue;
            doc.addResource(QTextDocument::ImageResource, QUrl(format.name()), image);
            // Picture sizes are the one length the layout scales to the device itself (from 96 dpi).
            const qreal width = std::min<qreal>(image.width(), bodyWidth / Px(1));
            format.setWidth(width);
            format.setHeight(width * image.height() / image.width());
            placements.push_back({fragment.position(), fragment.length(), format});
        }
    }
    for (const Placement& placement : placements) {
        QTextCursor cursor(&doc);
        cursor.setPosition(placement.position);
        cursor.setPosition(placement.position + placement.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(placement.format);
    }
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (!HoldsOnlyPicture(block)) continue;
        QTextCursor cursor(block);
        QTextBlockFormat format = block.blockFormat();
        format.setAlignment(Qt::AlignHCenter);
        format.setTopMargin(8);
        format.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
        cursor.setBlockFormat(format);
        const QTextBlock caption = block.next();
        if (caption.isValid()) {
            QTextCursor captionCursor(caption);
            QTextBlockFormat captionFormat = caption.blockFormat();
            captionFormat.setAlignment(Qt::AlignHCenter);
            captionFormat.setBottomMargin(10);
            captionCursor.setBlockFormat(captionFormat);
        }
    }
}

void StyleTables(QTextFrame* frame) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) {
            QTextTableFormat format = table->format();
            format.setBorder(1);
            format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
            format.setBorderBrush(kRuleColor);
            format.setBorderCollapse(true);
            format.setCellSpacing(0);
            format.setCellPadding(4);
            format.setHeaderRowCount(1);  // repeated when a table runs onto the next page
            format.setTopMargin(4);
            format.setBottomMargin(8);
            table->setFormat(format);
            // A tinted header row, then every other row lightly shaded so long tables read across.
            for (int row = 0; row < table->rows(); ++row) {
                if (row > 0 && row % 2 == 1) continue;
                for (int column = 0; column < table->columns(); ++column) {
                    QTextTableCell cell = table->cellAt(row, column);
                    QTextCharFormat cellFormat = cell.format();
                    cellFormat.setBackground(row == 0 ? kTableHeaderColor : kStripeColor);
                    cell.setFormat(cellFormat);
                }
            }
        }
        StyleTables(child);
    }
}

// Headings in the icon's blue with room above them, code on a light background, first-level headings on a
// new page (the first one is the title).
std::vector<Heading> StyleBlocks(QTextDocument& doc) {
    std::vector<Heading> headings;
    bool first = true;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextCursor cursor(block);
        QTextBlockFormat format = block.blockFormat();
        const int level = format.headingLevel();
        if (level > 0) {
            QTextCharFormat chars;
            chars.setForeground(kHeadingColor);
            cursor.select(QTextCursor::BlockUnderCursor);
            cursor.mergeCharFormat(chars);
            format.setTopMargin(level == 1 ? 4 : level == 2 ? 14 : 10);
            format.setBottomMargin(level <= 2 ? 6 : 3);
            if (level == 1 && !first) format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            if (!first && level <= 2) headings.push_back({level, block.text().trimmed(), block.position()});
            first = false;
        } else if (IsCodeBlock(block)) {
            format.setBackground(kCodeBackground);
            format.setLeftMargin(6);
            format.setRightMargin(6);
            format.setNonBreakableLines(true);
        } else if (cursor.currentTable() == nullptr) {
            format.setBottomMargin(std::max<qreal>(format.bottomMargin(), 5));
        }
        QTextCursor blockCursor(block);
        blockCursor.setBlockFormat(format);
    }
    return headings;
}

// A contents table after the title block; the page numbers are filled in once the layout is known.
QTextTable* InsertContents(QTextDocument& doc, const std::vector<Heading>& headings) {
    QTextBlock title = doc.begin();
    while (title.isValid() && title.blockFormat().headingLevel() != 1) title = title.next();
    if (!title.isValid() || headings.empty()) return nullptr;
    // After the title and the paragraphs that follow it up to the first section.
    QTextBlock anchor = title;
    while (anchor.next().isValid() && anchor.next().blockFormat().headingLevel() == 0 &&
           anchor.next().position() < headings.front().position && !anchor.next().textList()) {
        anchor = anchor.next();
    }
    QTextCursor cursor(anchor);
    cursor.movePosition(QTextCursor::EndOfBlock);
    QTextBlockFormat headingFormat;
    headingFormat.setHeadingLevel(2);
    headingFormat.setTopMargin(14);
    headingFormat.setBottomMargin(6);
    QTextCharFormat headingChars;
    headingChars.setFontWeight(QFont::Bold);
    headingChars.setFontPointSize(14);
    headingChars.setForeground(kHeadingColor);
    cursor.insertBlock(headingFormat, headingChars);
    cursor.insertText(QStringLiteral("Contents"));

    QTextTableFormat format;
    format.setBorder(0);
    format.setCellPadding(1.5);
    format.setCellSpacing(0);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setColumnWidthConstraints(
        {QTextLength(QTextLength::PercentageLength, 92), QTextLength(QTextLength::PercentageLength, 8)});
    QTextTable* table = cursor.insertTable(static_cast<int>(headings.size()), 2, format);
    for (std::size_t i = 0; i < headings.size(); ++i) {
        const Heading& heading = headings[i];
        QTextCursor cell = table->cellAt(static_cast<int>(i), 0).firstCursorPosition();
        QTextBlockFormat indent;
        indent.setLeftMargin(heading.level == 1 ? 0 : 18);
        cell.setBlockFormat(indent);
        QTextCharFormat chars;
        chars.setFontWeight(heading.level == 1 ? QFont::Bold : QFont::Normal);
        cell.insertText(heading.text, chars);
        QTextCursor page = table->cellAt(static_cast<int>(i), 1).firstCursorPosition();
        QTextBlockFormat right;
        right.setAlignment(Qt::AlignRight);
        page.setBlockFormat(right);
        page.insertText(QStringLiteral("0"), chars);
    }
    return table;
}

void FillContentsPages(QTextDocument& doc, QTextTable* table, const std::vector<Heading>& headings, qreal pageHeight) {
    if (table == nullptr) return;
    // The headings moved by the contents' own length; find them again by text, in order.
    std::vector<int> pages;
    std::size_t next = 0;
    const int contentsEnd = table->lastPosition();
    for (QTextBlock block = doc.begin(); block.isValid() && next < headings.size(); block = block.next()) {
        if (block.position() <= contentsEnd) continue;
        const int level = block.blockFormat().headingLevel();
        if (level == headings[next].level && block.text().trimmed() == headings[next].text) {
            const QRectF box = doc.documentLayout()->blockBoundingRect(block);
            pages.push_back(static_cast<int>(box.top() / pageHeight) + 1);
            ++next;
        }
    }
    for (std::size_t i = 0; i < pages.size(); ++i) {
        QTextTableCell cell = table->cellAt(static_cast<int>(i), 1);
        QTextCursor cursor = cell.firstCursorPosition();
        cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        const QTextCharFormat chars = cursor.charFormat();
        cursor.insertText(QString::number(pages[i]), chars);
    }
}

// The layout knows no "keep with next": a heading left alone at the foot of a page is moved to the next one.
// Each move can push later headings about, so this repeats until nothing moves.
void KeepHeadingsWithText(QTextDocument& doc, qreal pageHeight) {
    for (int pass = 0; pass < 20; ++pass) {
        bool moved = false;
        for (QTextBlock block = doc.begin(); block.isValid() && !moved; block = block.next()) {
            if (block.blockFormat().headingLevel() == 0 || !block.next().isValid()) continue;
            auto* layout = doc.documentLayout();
            const int page = static_cast<int>(layout->blockBoundingRect(block).top() / pageHeight);
            // Where the first line of what follows ends: a picture too tall for the rest of the page has its line
            // moved to the next page while its block still starts on this one.
            const QTextBlock following = block.next();
            qreal end = layout->blockBoundingRect(following).top();
            if (following.layout() != nullptr && following.layout()->lineCount() > 0) {
                const QTextLine first = following.layout()->lineAt(0);
                end += first.y() + first.height();
            }
            const int nextPage = static_cast<int>(end / pageHeight);
            if (nextPage > page && block.blockFormat().pageBreakPolicy() != QTextFormat::PageBreak_AlwaysBefore) {
                QTextBlockFormat format = block.blockFormat();
                format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
                QTextCursor(block).setBlockFormat(format);
                moved = true;
            }
        }
        if (!moved) return;
    }
}

void DrawPageFrame(QPainter& painter, const QRectF& page, int number, int count, const QString& title) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(8);
    painter.setFont(font);
    painter.setPen(QColor(0x60, 0x68, 0x78));
    const qreal line = Px(14);
    if (number > 1) {
        const QRectF header(page.left(), page.top(), page.width(), line);
        painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter, title);
        painter.setPen(QPen(kRuleColor, Px(0.5)));
        painter.drawLine(QPointF(page.left(), header.bottom() + Px(2)), QPointF(page.right(), header.bottom() + Px(2)));
        painter.setPen(QColor(0x60, 0x68, 0x78));
    }
    const QRectF footer(page.left(), page.bottom() - line, page.width(), line);
    painter.drawText(footer, Qt::AlignHCenter | Qt::AlignVCenter, QStringLiteral("%1 / %2").arg(number).arg(count));
}

}  // namespace

QString ResolvePictures(const QString& markdown, const QString& imageFolder, QStringList& missing) {
    static const QRegularExpression picture(QStringLiteral(R"(^!\[([^\]]*)\]\(([^)\s]+)\)\s*$)"));
    QStringList lines = markdown.split(QLatin1Char('\n'));
    QStringList out;
    int figure = 0;
    for (const QString& line : lines) {
        const QRegularExpressionMatch match = picture.match(line);
        if (!match.hasMatch()) {
            out << line;
            continue;
        }
        const QString caption = match.captured(1);
        const QString name = match.captured(2);
        const QFileInfo file(QFileInfo(name).isAbsolute() ? name : imageFolder + QLatin1Char('/') + name);
        if (!file.isFile() || QImage(file.absoluteFilePath()).isNull()) {
            missing << name;
            continue;
        }
        ++figure;
        out << QStringLiteral("![%1](%2)").arg(caption, file.absoluteFilePath()) << QString();
        out << QStringLiteral("*Figure %1: %2*").arg(figure).arg(caption);
    }
    return out.join(QLatin1Char('\n'));
}

QString WriteHelpDocument(const HelpDocumentOptions& options) {
    QString markdown;
    for (const QString& source : options.sources) {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly))
            return QStringLiteral("cannot read %1: %2").arg(source, file.errorString());
        markdown += QString::fromUtf8(file.readAll());
        markdown += QStringLiteral("\n\n");
    }
    QStringList missing;
    markdown = ResolvePictures(markdown, options.imageFolder, missing);
    for (const QString& name : missing) qWarning("picture %s not found: left out", qPrintable(name));

    QPdfWriter writer(options.output);
    writer.setResolution(kResolution);
    writer.setTitle(options.title);
    writer.setCreator(QStringLiteral("Vyx Viewer"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 14, 18, 12),
                                     QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer)) return QStringLiteral("cannot write %1").arg(options.output);

    const QRectF page(QPointF(0, 0), QSizeF(writer.width(), writer.height()));
    const qreal band = Px(22);  // header and footer
    const QRectF body(page.left(), page.top() + band, page.width(), page.height() - 2 * band);

    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&writer);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9.5);
    doc.setDefaultFont(font);
    doc.setDocumentMargin(0);
    doc.setIndentWidth(22);
    doc.setPageSize(body.size());
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);

    PlacePictures(doc, body.width());
    StyleTables(doc.rootFrame());
    const std::vector<Heading> headings = StyleBlocks(doc);
    QTextTable* contents = InsertContents(doc, headings);
    KeepHeadingsWithText(doc, body.height());
    FillContentsPages(doc, contents, headings, body.height());

    const int count = doc.pageCount();
    for (int index = 0; index < count; ++index) {
        if (index > 0) writer.newPage();
        painter.save();
        painter.translate(body.left(), body.top() - index * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, index * body.height(), body.width(), body.height());
        painter.setClipRect(context.clip);
        doc.documentLayout()->draw(&painter, context);
        painter.restore();
        DrawPageFrame(painter, page, index + 1, count, options.title);
    }
    if (!painter.end()) return QStringLiteral("cannot finish %1").arg(options.output);
    return {};
}

}  // namespace vyx::helpdoc
