// vyx-helpdoc: writes the user guide PDF from its Markdown source at build time.
// Usage: vyx-helpdoc --output VyxViewer.pdf [--images DIR] [--title TEXT] SOURCE.md...

#include <QCommandLineParser>
#include <QGuiApplication>
#include <cstdio>

#include "HelpDocumentWriter.h"

int main(int argc, char** argv) {
    // Runs during the build, where there may be no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes the Vyx Viewer user guide as PDF"));
    parser.addHelpOption();
    const QCommandLineOption output(QStringLiteral("output"), QStringLiteral("PDF file to write"),
                                    QStringLiteral("FILE"));
    const QCommandLineOption images(QStringLiteral("images"), QStringLiteral("Folder of the pictures"),
                                    QStringLiteral("DIR"));
    const QCommandLineOption title(QStringLiteral("title"), QStringLiteral("Document title"), QStringLiteral("TEXT"),
                                   QStringLiteral("Vyx Viewer User Guide"));
    parser.addOptions({output, images, title});
    parser.addPositionalArgument(QStringLiteral("SOURCE"), QStringLiteral("Markdown files, in order"));
    parser.process(app);

    if (!parser.isSet(output) || parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "usage: vyx-helpdoc --output FILE [--images DIR] [--title TEXT] SOURCE.md...\n");
        return 2;
    }
    const QString error = vyx::helpdoc::WriteHelpDocument(
        {parser.positionalArguments(), parser.value(images), parser.value(output), parser.value(title)});
    if (!error.isEmpty()) {
        std::fprintf(stderr, "vyx-helpdoc: %s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
