#include "cli/AnalysisOutput.h"

#include <cerrno>

#include "cli/Command.h"
#include "cli/Interruption.h"
#include "cli/StandardOutput.h"
#include "platform/FileError.h"
#include "report/ReportWorkbook.h"

namespace vyx::cli {

void WriteAnalysisReport(const TableOutputOptions& o, const AnalysisReport& r) {
    CheckTableOutput(o);
    const bool toStandardOutput = o.out.empty() || o.out == "-";
    try {
        WriteAnalysisReportFile(o.type, toStandardOutput ? std::string() : o.out, r, [] { ThrowIfInterrupted(); });
    } catch (const CFileError& e) {
        if (toStandardOutput && StandardOutputIsClosed()) FailStandardOutput(EPIPE);
        throw CommandFailure{kExitNoData, std::string("error: ") + e.what()};
    } catch (const CVyxError& e) {
        throw CommandFailure{kExitNoData, std::string("error: ") + e.what()};
    }
}

}  // namespace vyx::cli
