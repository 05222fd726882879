// Whether the desktop has a program for a kind of file, from desktop entries and mimeapps.list files in
// XDG folders of the test's own.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/DesktopApplications.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

void Write(const std::string& path, const std::string& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

TEST(DesktopApplications, AProgramIsFoundOnlyWhenItsEntryAndProgramAreThereAndNotRemoved) {
    const struct {
        const char* name;
        std::string entry;         // applications/viewer.desktop under the data folder ("" none)
        std::string userMimeapps;  // mimeapps.list in the config folder ("" none)
        bool found;
    } cases[] = {
        {"nothing installed", "", "", false},
        {"entry lists the type", "[Desktop Entry]\nExec=/bin/sh %f\nMimeType=text/plain;application/pdf;\n", "", true},
        {"entry lists other types", "[Desktop Entry]\nExec=/bin/sh %f\nMimeType=text/plain;\n", "", false},
        {"program not installed", "[Desktop Entry]\nExec=/nonexistent/viewer %f\nMimeType=application/pdf;\n", "",
         false},
        {"program found on PATH", "[Desktop Entry]\nExec=sh %f\nMimeType=application/pdf;\n", "", true},
        {"hidden entry", "[Desktop Entry]\nExec=/bin/sh\nHidden=true\nMimeType=application/pdf;\n", "", false},
        {"association without the type in the entry", "[Desktop Entry]\nExec=\"/bin/sh\" %f\n",
         "[Default Applications]\napplication/pdf=viewer.desktop;\n", true},
        {"association removed", "[Desktop Entry]\nExec=/bin/sh %f\nMimeType=application/pdf;\n",
         "[Removed Associations]\napplication/pdf=viewer.desktop\n", false},
        {"default names a missing entry", "", "[Default Applications]\napplication/pdf=viewer.desktop\n", false},
    };
    for (const auto& c : cases) {
        test::TempDir root;
        const XdgFolders folders{{root.File("config")}, {root.File("data")}};
        if (!c.entry.empty()) Write(root.File("data/applications/viewer.desktop"), c.entry);
        if (!c.userMimeapps.empty()) Write(root.File("config/mimeapps.list"), c.userMimeapps);
        EXPECT_EQ(HasDesktopApplicationFor("application/pdf", folders), c.found) << c.name;
    }
}

}  // namespace
}  // namespace vyx
