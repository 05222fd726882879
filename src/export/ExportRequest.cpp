#include "export/ExportRequest.h"

#include "export/ExportMeta.h"
#include "export/SqliteExportSink.h"
#include "export/TextExportSink.h"
#include "export/XlsxExportSink.h"
#include "logdata/DataFolder.h"
#include "platform/OutputPathCheck.h"

namespace vyx {
namespace {

bool IsTextForm(ExportForm form) { return form == ExportForm::Csv || form == ExportForm::JsonLines; }

}  // namespace

std::optional<ExportForm> ExportFormNamed(const std::string& name) {
    if (name == "csv") return ExportForm::Csv;
    if (name == "jsonl") return ExportForm::JsonLines;
    if (name == "sqlite") return ExportForm::Sqlite;
    if (name == "xlsx") return ExportForm::Xlsx;
    return std::nullopt;
}

const char* ExportFormName(ExportForm form) {
    switch (form) {
        case ExportForm::Csv: return "csv";
        case ExportForm::JsonLines: return "jsonl";
        case ExportForm::Sqlite: return "sqlite";
        case ExportForm::Xlsx: return "xlsx";
    }
    return "csv";
}

const char* ExportFormExtension(ExportForm form) {
    switch (form) {
        case ExportForm::Csv: return ".csv";
        case ExportForm::JsonLines: return ".jsonl";
        case ExportForm::Sqlite: return ".sqlite";
        case ExportForm::Xlsx: return ".xlsx";
    }
    return ".csv";
}

std::string CheckExportRequest(const ExportRequest& request) {
    const bool partitioned = !request.partition.empty();
    const bool text = IsTextForm(request.form);
    if (partitioned == !request.out.empty()) return "give either --out PATH or --partition DIR";
    if (partitioned && !text) return "--partition writes csv or jsonl only";
    if (partitioned) {
        if (std::string why = CTextExportSink::CheckSiteName(request.site); !why.empty()) return why;
    } else if (!request.site.empty()) {
        return "--site names the site of a partitioned export (--partition DIR)";
    }
    const bool toStandardOutput = request.out == "-";
    if (toStandardOutput && !text) return "only csv and jsonl can go to standard output; give --out a file";
    if (!request.utcOffset.empty() && !ParseUtcOffset(request.utcOffset)) {
        return "--utc-offset takes +HH:MM or -HH:MM (-14:00..+14:00): " + request.utcOffset;
    }
    if (!toStandardOutput) {
        const std::string& output = partitioned ? request.partition : request.out;
        const OutputPlace place = PlaceOfOutput(output, request.dataFolder);
        if (place != OutputPlace::Outside) {
            return std::string("the export ") + (place == OutputPlace::LinkIntoFolder ? "is a link into" : "lies in") +
                   " the data folder: " + output + " (the data folder is only read)";
        }
    }
    return {};
}

std::optional<std::int32_t> ExportUtcOffset(const ExportRequest& request) {
    if (request.utcOffset.empty()) return std::nullopt;
    return ParseUtcOffset(request.utcOffset);
}

std::unique_ptr<IExportSink> OpenExportSink(const ExportRequest& request, const std::string& tempFolder) {
    const std::optional<std::int32_t> utcOffset = ExportUtcOffset(request);
    const TextExportForm textForm = request.form == ExportForm::Csv ? TextExportForm::Csv : TextExportForm::JsonLines;
    if (!request.partition.empty()) {
        return CTextExportSink::Partitioned(textForm, request.partition, request.site, utcOffset, request.dataFolder);
    }
    switch (request.form) {
        case ExportForm::Csv:
        case ExportForm::JsonLines: return std::make_unique<CTextExportSink>(textForm, request.out, utcOffset);
        case ExportForm::Sqlite: {
            ExportMeta meta{request.dataFolder, request.filters, request.program, utcOffset};
            return std::make_unique<CSqliteExportSink>(request.out, FCUInformationFilePath(request.dataFolder),
                                                       std::move(meta));
        }
        case ExportForm::Xlsx: return std::make_unique<CXlsxExportSink>(request.out, tempFolder, utcOffset);
    }
    return nullptr;
}

}  // namespace vyx
