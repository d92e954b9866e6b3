// The real kelvor.exe converting into a gateway whose writes and flushes stop answering, as a
// share's do while its server restarts: the window answers all the while, Esc and Exit take
// effect during the stall, and once the share answers again only whole exports are left.

#include "app/win32/busy_property.h"
#include "app/win32/unique_handle.h"
#include "support/e2e_export.h"
#include "support/native_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

namespace kelvor::testing_support {
namespace {

namespace fs = std::filesystem;
using namespace win32;

constexpr int Messages = 400;

fs::path FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? NativePath(value) : "";
}

// The flag file that holds the folder's writes and flushes while it exists; gone before the
// program it held is ended, should a row stop early.
class RaisedFlag {
public:
    explicit RaisedFlag(fs::path flag) : flag_(std::move(flag)) { std::ofstream{flag_}; }
    ~RaisedFlag() { Lower(); }
    RaisedFlag(const RaisedFlag&) = delete;
    RaisedFlag& operator=(const RaisedFlag&) = delete;
    void Lower() const {
        std::error_code ignored;
        fs::remove(flag_, ignored);
    }

private:
    fs::path flag_;
};

// The stand-in's call log, opened while the wine server answers and read afterwards through that
// handle alone. Once the program ends during the stall, the wine server deletes its marked files,
// and the file system holds that deletion, and with it the wine server and every opening of a file,
// until the write in progress returns: an artefact of Wine, where a Windows process simply ends.
class OpenLog {
public:
    explicit OpenLog(const std::wstring& path)
        : file_(CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        EXPECT_NE(file_.get(), INVALID_HANDLE_VALUE) << "cannot open the call log";
        Holds("");
    }
    bool Holds(std::string_view line) {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(file_.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
            text_.append(buffer, read);
        return text_.find(line) != std::string::npos;
    }

private:
    UniqueEvent file_;
    std::string text_;
};

// How a user stops the Convert during the stall, and what is left to check of the program.
struct StopWay {
    const char* name;
    std::function<void()> stop;
    // The program ends; otherwise it is idle and usable again while the stall goes on.
    bool ends;
};

const StopWay StopWays[] = {
    {"Esc", [] { PressKey(VK_ESCAPE); }, false},
    {"Exit", [] { PressAltKey('E'); }, true},
};

TEST(StalledGatewayEndToEnd, TheWindowAnswersAndStopsWhileTheGatewayStalls) {
    const fs::path folder = FromEnvironment("KELVOR_STALL_DIR");
    const fs::path flag = FromEnvironment("KELVOR_STALL_FLAG");
    const fs::path held = FromEnvironment("KELVOR_STALL_HELD");
    ASSERT_FALSE(folder.empty()) << "run through scripts/with-stalling-folder";
    std::vector<MailMessage> messages;
    for (int i = 0; i < Messages; ++i) {
        const std::string text = "Message " + std::to_string(i);
        messages.push_back({text.c_str(), "Ann Example", text.c_str(), text, {}});
    }
    for (const StopWay& way : StopWays) {
        SCOPED_TRACE(way.name);
        const fs::path gateway = folder / way.name;
        fs::create_directories(gateway / "API_IN");
        fs::create_directories(gateway / "ATT_IN");
        const auto exported = [&](int n) {
            return fs::exists(gateway / "API_IN" / (std::to_string(n) + ".API"));
        };
        KelvorRun run(MailboxFile(messages));
        run.Folder().WriteConfiguration(gateway.string() + "\r\nkelvor\r\nmail\r\n");
        run.Start(L"jsmith");
        const KelvorWindow window(run.MainWindow());
        ASSERT_TRUE(window.Ready());
        PostMessageW(window.Control(ConvertButtonId), BM_CLICK, 0, 0);
        ASSERT_TRUE(WaitFor([&] { return exported(20); }, 60s));
        const RaisedFlag stall(flag);
        ASSERT_TRUE(WaitFor([&] { return fs::exists(held); })) << "no write or flush waited";

        // Asked as the system asks, for longer than the five seconds after which it counts a
        // window that takes no message hung.
        int unanswered = 0;
        int hung = 0;
        const auto end = std::chrono::steady_clock::now() + 6s;
        WaitFor(
            [&] {
                DWORD_PTR result = 0;
                unanswered +=
                    SendMessageTimeoutW(window.Handle(), WM_NULL, 0, 0, SMTO_NORMAL, 250, &result)
                        ? 0
                        : 1;
                hung += IsHungAppWindow(window.Handle()) ? 1 : 0;
                return std::chrono::steady_clock::now() > end;
            },
            20s);
        EXPECT_EQ(unanswered, 0);
        EXPECT_EQ(hung, 0);
        ASSERT_TRUE(fs::exists(held)) << "the stall ended while the window was asked";

        // The exports made whole before the stall; the one it holds leaves nothing.
        ExpectedGateway expected;
        int whole = 0;
        for (; exported(whole + 1); ++whole)
            expected.Export(whole + 1, messages[whole], "jsmith");
        OpenLog log(run.Mailbox().LogPath());
        way.stop();
        if (way.ends) {
            EXPECT_TRUE(WaitFor([&] { return log.Holds("SignOff"); })) << "no sign-off";
        } else {
            EXPECT_TRUE(WaitFor([&] { return !GetPropW(window.Handle(), BusyProperty); }));
            EXPECT_TRUE(window.Usable());
            EXPECT_EQ(window.SelectedSubject(), whole - 1);
        }
        EXPECT_TRUE(fs::exists(held)) << "the stop waited for the gateway";

        stall.Lower();
        EXPECT_TRUE(WaitFor([&] { return expected.Listed(gateway); }))
            << ListingOf(gateway / "API_IN") << " | " << ListingOf(gateway / "ATT_IN");
        expected.ExpectOnDisk(gateway);
        if (way.ends) {
            EXPECT_EQ(run.Process().WaitForExit(), 0u);
            EXPECT_EQ(run.CountInLog("SignOff"), 1);
        } else {
            ASSERT_TRUE(window.Ready());
            PressAltKey('E');
            EXPECT_EQ(run.Process().WaitForExit(), 0u);
        }
    }
}

} // namespace
} // namespace kelvor::testing_support
