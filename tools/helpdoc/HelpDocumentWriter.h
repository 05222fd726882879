#pragma once
// Turns the Markdown source of the user guide into the paged PDF that "Show Help !" opens.

#include <QString>
#include <QStringList>

namespace vyx::helpdoc {

struct HelpDocumentOptions {
    QStringList sources;  // Markdown files, joined in this order
    QString imageFolder;  // where the pictures named in the Markdown are looked for
    QString output;       // the PDF to write
    QString title;        // document title (PDF metadata and page header)
};

// Replaces every picture line ("![caption](file.png)" alone on a line) whose file exists in imageFolder by the
// picture and its caption, and drops the others, so a guide written before its screenshots still builds.
// The names of dropped pictures are appended to missing.
QString ResolvePictures(const QString& markdown, const QString& imageFolder, QStringList& missing);

// Writes the PDF. Returns an empty string on success, otherwise what went wrong.
QString WriteHelpDocument(const HelpDocumentOptions& options);

}  // namespace vyx::helpdoc
