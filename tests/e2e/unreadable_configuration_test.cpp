// The real kelvor.exe beside a kelvor.prm that opens but cannot be read: a link to
// /proc/self/mem, made by the build, whose first page no process has mapped.

#include "support/e2e_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace kelvor::testing_support {
namespace {

using namespace win32;

#ifdef KELVOR_UNREADABLE_PRM_DIR
// kelvor.exe copied beside the link for as long as it lives.
class ProgramBesideTheLink {
public:
    ProgramBesideTheLink()
        : path_(std::filesystem::path(NativePath(KELVOR_UNREADABLE_PRM_DIR)) / "kelvor.exe") {
        std::filesystem::copy_file(NativePath(KELVOR_EXE), path_,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    ProgramBesideTheLink(const ProgramBesideTheLink&) = delete;
    ProgramBesideTheLink& operator=(const ProgramBesideTheLink&) = delete;
    ~ProgramBesideTheLink() {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// The start-up's read fails: the general error display shows the I/O message with the system's
// code (Wine reports the failed read as ERROR_NOT_READY), and the window stays open with its
// subjects not listed.
TEST(UnreadableConfiguration, AReadErrorIsShownAndTheWindowStaysOpen) {
    const StandinMailbox mailbox(MailboxFile({{"First", "Ann", "One", "One", {}}}));
    const ProgramBesideTheLink program;
    ChildProcess process(program.Path().wstring(), L"kelvor.exe");

    const ProgramBox box(process, L"Kelvor");
    ASSERT_TRUE(box);
    EXPECT_EQ(Ansi(box.Text()), "I/O error 21.");
    ASSERT_TRUE(box.PressOk());

    const KelvorWindow window(process.FindWindowByCaption(L"KELVOR"));
    ASSERT_TRUE(window.Ready());
    EXPECT_TRUE(process.Running());
    EXPECT_EQ(SendMessageW(window.Control(SubjectListId), LB_GETCOUNT, 0, 0), 0);
    PostMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(process.WaitForExit(), 0u);
    const auto log = mailbox.LogLines();
    EXPECT_EQ(std::count(log.begin(), log.end(), "SignOff"), 1);
}

#endif

} // namespace
} // namespace kelvor::testing_support
