// The mailbox lister run as its own process under Wine on the bundled sample mailbox, the
// sample mailbox itself, and the licence key reader against the stand-in.

#include "mailbox/com/mapi_controls.h"
#include "platform/text_conversion.h"
#include "support/native_path.h"
#include "support/standin_mailbox.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace kelvor {
namespace {

using testing_support::ComApartment;
using testing_support::HostedLines;
using testing_support::NativePath;
using testing_support::ReleasedLines;
using testing_support::StandinLicensing;

struct ProgramRun {
    DWORD exitCode = 0;
    std::string output;
    std::string errors;
};

// Runs a program with its standard output and error read through pipes.
ProgramRun RunProgram(const std::string& program) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0) ||
        !CreatePipe(&errRead, &errWrite, &inherit, 0))
        throw std::runtime_error("cannot create pipes");
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process = {};
    std::string commandLine = "\"" + program + "\"";
    const BOOL started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, nullptr, &startup, &process);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    ProgramRun run;
    const auto drain = [](HANDLE pipe, std::string& into) {
        char buffer[4096];
        DWORD read = 0;
        while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0)
            into.append(buffer, read);
        CloseHandle(pipe);
    };
    std::thread errorReader(drain, errRead, std::ref(run.errors));
    drain(outRead, run.output);
    errorReader.join();
    if (!started)
        throw std::runtime_error("cannot start " + program);
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return run;
}

const std::string Lister = NativePath(KELVOR_LIST_MAILBOX);
const std::string KeyReader = NativePath(KELVOR_LICENSE_KEYS);
const std::string Sample = NativePath(KELVOR_SOURCE_DIR "/samples/mailbox.json");

class ListMailboxTest : public ::testing::Test {
protected:
    ListMailboxTest() { SetEnvironmentVariableA("KELVOR_STANDIN_MAILBOX", Sample.c_str()); }
    ~ListMailboxTest() override {
        SetEnvironmentVariableA("KELVOR_STANDIN_MAILBOX", nullptr);
        SetEnvironmentVariableA("KELVOR_STANDIN_LOG", nullptr);
    }

    std::vector<std::string> LogLines() const {
        std::vector<std::string> lines;
        std::istringstream text(test::ReadBytes(logPath_));
        for (std::string line; std::getline(text, line);)
            lines.push_back(line);
        return lines;
    }

    ComApartment apartment_;
    test::TempDir folder_;
    std::string logPath_ = (folder_ / "calls.log").string();
};

TEST_F(ListMailboxTest, PrintsTheSubjectsInTheAnsiCodePageAfterTheStartUpCalls) {
    // The sample's subjects in code page 1252: the en dash is 0x96, the Polish letters the code
    // page lacks their best fit, the Japanese ones "?".
    const std::string expected = "Budget 2025: first draft for review\r\n"
                                 "Besprechung am Donnerstag \x96 \xC4nderungen\r\n"
                                 "R\xE9union de l'\xE9quipe : compte rendu\r\n"
                                 "Zam\xF3wienie nr 4711 \x96 L\xF3"
                                 "dz\r\n"
                                 "Visit to the Tokyo office (??????"
                                 ")\r\n"
                                 "Re: Server migration checklist\r\n";
    constexpr std::int32_t count = 6;
    SetEnvironmentVariableA("KELVOR_STANDIN_LOG", logPath_.c_str());
    const ProgramRun run = RunProgram(Lister);
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(run.output, expected);

    // The controls hosted first and let go last, as the program does it.
    std::vector<std::string> log = LogLines();
    ASSERT_GE(log.size(), HostedLines.size() + 7 + 2 * count + ReleasedLines.size());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + HostedLines.size()), HostedLines);
    EXPECT_EQ(std::vector<std::string>(log.end() - ReleasedLines.size(), log.end()), ReleasedLines);
    log.erase(log.end() - ReleasedLines.size(), log.end());
    log.erase(log.begin(), log.begin() + HostedLines.size());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4),
              (std::vector<std::string>{"put LogonUI true", "put NewSession true", "SignOn",
                                        "get SessionID 42"}));
    EXPECT_EQ(log[4], "put SessionID 42");
    EXPECT_EQ(log[5], "Fetch");
    EXPECT_EQ(log[6], "get MsgCount " + std::to_string(count));
    for (std::int32_t i = 0; i < count; ++i) {
        EXPECT_EQ(log[7 + 2 * i], "put MsgIndex " + std::to_string(i));
        EXPECT_TRUE(log[8 + 2 * i].starts_with("get MsgSubject ")) << log[8 + 2 * i];
    }
    std::vector<std::string> rest(log.begin() + 7 + 2 * count, log.end());
    ASSERT_EQ(rest.size(), 10u);
    EXPECT_EQ(rest[0], "put MsgIndex 0");
    EXPECT_TRUE(rest[1].starts_with("get MsgNoteText "));
    EXPECT_EQ(rest[2], "get AttachmentCount 3");
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(rest[3 + 2 * k], "put AttachmentIndex " + std::to_string(k));
        EXPECT_TRUE(rest[4 + 2 * k].starts_with("get AttachmentPathName ")) << rest[4 + 2 * k];
    }
    EXPECT_EQ(rest[9], "SignOff");
}

TEST_F(ListMailboxTest, AFailedSignOnIsReportedAndEndsWithAnExitCode) {
    const std::string missing = (folder_ / "missing.json").string();
    SetEnvironmentVariableA("KELVOR_STANDIN_MAILBOX", missing.c_str());
    const ProgramRun run = RunProgram(Lister);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.output, "");
    EXPECT_EQ(run.errors.find("kelvor_list_mailbox: Cannot open the mailbox file " + missing), 0u)
        << run.errors;
}

// The sample mailbox shows the demo what the program meets in real mailboxes.
TEST_F(ListMailboxTest, TheSampleMailboxHoldsWhatTheDemoShows) {
    MapiControls mapi;
    mapi.SignOn();
    mapi.SetMessagesSessionID(mapi.SessionID());
    mapi.Fetch();
    const std::int32_t count = mapi.MsgCount();
    EXPECT_GE(count, 5);
    EXPECT_LE(count, 8);
    std::set<std::int32_t> attachmentCounts;
    bool crlf = false, lf = false, cr = false, lacking = false, withExtension = false,
         withoutExtension = false;
    for (std::int32_t i = 0; i < count; ++i) {
        mapi.SetMsgIndex(i);
        const std::u16string subject = mapi.MsgSubject();
        EXPECT_FALSE(subject.empty());
        EXPECT_FALSE(mapi.MsgOrigDisplayName().empty());
        const std::u16string text = mapi.MsgNoteText();
        for (std::size_t c = 0; c < text.size(); ++c) {
            const bool pair = text[c] == u'\r' && c + 1 < text.size() && text[c + 1] == u'\n';
            crlf |= pair;
            cr |= text[c] == u'\r' && !pair;
            lf |= text[c] == u'\n' && (c == 0 || text[c - 1] != u'\r');
        }
        lacking |= ToAnsi(subject).find('?') != std::string::npos;
        const std::int32_t attachments = mapi.AttachmentCount();
        attachmentCounts.insert(attachments);
        for (std::int32_t k = 0; k < attachments; ++k) {
            mapi.SetAttachmentIndex(k);
            const std::u16string name = mapi.AttachmentName();
            (name.find(u'.') == std::u16string::npos ? withoutExtension : withExtension) = true;
            const std::u16string path = mapi.AttachmentPathName();
            EXPECT_NO_THROW(testing_support::ReadWideFile(std::wstring(path.begin(), path.end())))
                << "message " << i << ", attachment " << k;
        }
    }
    EXPECT_TRUE(crlf && lf && cr) << "line ends of all three kinds";
    EXPECT_TRUE(lacking) << "a subject with characters the ANSI code page lacks";
    EXPECT_TRUE(withExtension && withoutExtension);
    for (const std::int32_t expected : {0, 1, 3})
        EXPECT_TRUE(attachmentCounts.contains(expected)) << expected << " attachments";
    mapi.SignOff();
}

// Printable ASCII stands for itself but for the characters shells take inside double quotes;
// those and every other UTF-16 unit are written \uXXXX.
TEST(LicenseKeyReader, PrintsBothKeysWhereTheLicenceIsInstalled) {
    const StandinLicensing licensed(L"S-1 \"x\" \\ $%!` ~", L"M-2 Łódź 🔑\t", true);
    const ProgramRun run = RunProgram(KeyReader);
    EXPECT_EQ(run.exitCode, 0u) << run.errors;
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(
        run.output,
        "KELVOR_SESSION_LICENSE_KEY=S-1 \\u0022x\\u0022 \\u005c \\u0024\\u0025\\u0021\\u0060 ~\r\n"
        "KELVOR_MESSAGES_LICENSE_KEY=M-2 \\u0141\\u00f3d\\u017a \\ud83d\\udd11\\u0009\r\n");
}

// A class that is not licensed prints an empty key; a licensed one whose LICINFO lacks the
// machine's licence or the run-time keys is reported with what it lacks.
TEST(LicenseKeyReader, SaysWhatALicensedClassLacks) {
    struct Case {
        const wchar_t* sessionKey;
        const wchar_t* messagesKey;
        bool machineLicensed;
        bool runTimeKeys;
        DWORD exitCode;
        const char* output;
        const char* errors;
    } const cases[] = {
        {L"", L"", false, true, 0,
         "KELVOR_SESSION_LICENSE_KEY=\r\nKELVOR_MESSAGES_LICENSE_KEY=\r\n", ""},
        {L"", L"M-1", false, true, 1, "KELVOR_SESSION_LICENSE_KEY=\r\n",
         "kelvor_license_keys: the MAPI messages control: its design-time licence is not "
         "installed on this computer (LICINFO.fLicVerified is FALSE), and it hands out no "
         "run-time licence key (LICINFO.fRuntimeKeyAvail is FALSE)\r\n"},
        {L"S-1", L"", true, false, 1, "KELVOR_MESSAGES_LICENSE_KEY=\r\n",
         "kelvor_license_keys: the MAPI session control: it hands out no run-time licence key "
         "(LICINFO.fRuntimeKeyAvail is FALSE)\r\n"},
    };
    for (const Case& row : cases) {
        const StandinLicensing licensing(row.sessionKey, row.messagesKey, row.machineLicensed,
                                         row.runTimeKeys);
        const ProgramRun run = RunProgram(KeyReader);
        EXPECT_EQ(run.exitCode, row.exitCode) << run.errors;
        EXPECT_EQ(run.output, row.output);
        EXPECT_EQ(run.errors, row.errors);
    }
}

} // namespace
} // namespace kelvor
