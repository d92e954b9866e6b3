#include "gateway/export_files.h"
#include "platform/files.h"
#include "platform/name_refusal.h"
#include "support/mail_messages.h"
#include "support/memory_controls.h"
#include "support/program_folder.h"
#ifdef _WIN32
#include "support/win32_import_patch.h"
#include "support/win32_system_text.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kelvor {
namespace {

using test::ReadBytes;
using test::WriteBytes;
using testing_support::ExpectedRequest;
using testing_support::MemoryForm;
using testing_support::ProgramFolder;
using testing_support::ScriptedAttachment;
using testing_support::ScriptedMessage;
using testing_support::Widen;
using Log = std::vector<std::string>;

const std::string Header = "WPC-API= 1.2;\r\nMSG-TYPE= MAIL;\r\nMSG-ACTION= Import-Inbox;\r\n";
// Attachment contents with bytes a text copy would spoil.
const std::string Pdf = std::string("%PDF\r\n\0\x1A\xFF\n", 10);
const std::string Notes = "notes\n";
const std::string Image = std::string(70000, '\x89');

#ifdef _WIN32
using testing_support::ImportPatch;

// The program's calls on its files, through its import table while the object lives: each flush,
// mark for deletion set or cleared and rename is logged with the file's name ("flush 1.MSG",
// "flush API_IN" for the folder, "mark 1.tmp", "keep 1.0", "name 1.API", the last with
// " while writable" when a handle that may write the file is open), and the creation of, or the
// rename onto, `denied` answered with `denial` the first `times` times (0: always), as Windows
// answers for a name being deleted or held by a scanner.
class FileCalls {
public:
    explicit FileCalls(std::filesystem::path denied = {}, DWORD denial = 0, int times = 0)
        : denied_(denied.make_preferred().wstring()), denial_(denial), times_(times) {
        calls = this;
    }
    Log log;

private:
    bool Deny(const std::wstring& name) {
        if (name != denied_ || (times_ > 0 && denials_ == times_))
            return false;
        ++denials_;
        SetLastError(denial_);
        return true;
    }
    static std::string Name(HANDLE file) {
        wchar_t path[MAX_PATH * 4] = {};
        GetFinalPathNameByHandleW(file, path, static_cast<DWORD>(std::size(path)), 0);
        return std::filesystem::path(path).filename().string();
    }
    static BOOL WINAPI Flush(HANDLE file) {
        calls->log.push_back("flush " + Name(file));
        return calls->flush_.original(file);
    }
    static BOOL WINAPI Set(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, void* info, DWORD size) {
        if (kind == FileDispositionInfo)
            calls->log.push_back(
                (static_cast<FILE_DISPOSITION_INFO*>(info)->DeleteFile ? "mark " : "keep ") +
                Name(file));
        return calls->set_.original(file, kind, info, size);
    }
    static BOOL WINAPI Rename(const wchar_t* from, const wchar_t* to, DWORD flags) {
        // A reader that does not share writing is refused while a handle may write.
        const HANDLE reader =
            calls->create_.original(from, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        calls->log.push_back("name " + std::filesystem::path(to).filename().string() +
                             (reader == INVALID_HANDLE_VALUE ? " while writable" : ""));
        CloseHandle(reader);
        if (calls->Deny(to))
            return FALSE;
        return calls->rename_.original(from, to, flags);
    }
    static HANDLE WINAPI Create(const wchar_t* name, DWORD access, DWORD share,
                                SECURITY_ATTRIBUTES* security, DWORD how, DWORD flags,
                                HANDLE model) {
        if (how == CREATE_NEW && calls->Deny(name))
            return INVALID_HANDLE_VALUE;
        return calls->create_.original(name, access, share, security, how, flags, model);
    }

    inline static FileCalls* calls = nullptr;
    std::wstring denied_;
    DWORD denial_;
    int times_;
    int denials_ = 0;
    ImportPatch<decltype(&FlushFileBuffers)> flush_{&FlushFileBuffers, &Flush};
    ImportPatch<decltype(&SetFileInformationByHandle)> set_{&SetFileInformationByHandle, &Set};
    ImportPatch<decltype(&CreateFileW)> create_{&CreateFileW, &Create};
    ImportPatch<decltype(&MoveFileExW)> rename_{&MoveFileExW, &Rename};
};
#endif

// A started form over a real gateway tree: kelvor.prm names folder's gateway, "ACME" and
// "MAIN", and the command line carries the user name.
class ExportTest : public testing::Test {
protected:
    ExportTest() {
        folder.WriteConfiguration("ACME", "MAIN");
        folder.MakeGatewayTree();
        f.host.executablePath = folder.ExecutablePath();
        f.host.commandLine = "kelvor.exe jsmith";
        const std::string pdf = folder.Attachment("report.pdf", Pdf);
        const std::string notes = folder.Attachment("notes.txt", Notes);
        const std::string image = folder.Attachment("image.png", Image);
        f.mailbox.messages = {
            ScriptedMessage{u"No attachments", u"Ann Example", u"Hello\nworld", {}},
            ScriptedMessage{
                u"One; with, marks", u"Bob", u"See attached.\r\n", {{u"report.pdf", Widen(pdf)}}},
            ScriptedMessage{u"Three",
                            u"Cy",
                            u"",
                            {{u"report.pdf", Widen(pdf)},
                             {u"notes.txt", Widen(notes)},
                             {u"image.png", Widen(image)}}},
            ScriptedMessage{u"Fourth", u"Dee", u"4", {}},
            ScriptedMessage{u"Fifth", u"Eve", u"5", {}}};
    }

    void Start() {
        f.form.RunStartup();
        ASSERT_TRUE(f.host.dialogs.empty());
        f.mailbox.log.clear();
    }
    // Selects a subject as the user does and runs the export.
    ExportOutcome Select(int position) {
        f.subjectList.SetItemIndex(position);
        return f.form.ExportSelected();
    }
    std::string Request(int n) const { return ReadBytes(folder.ApiIn(std::to_string(n) + ".API")); }
    std::string Body(int n) const { return ReadBytes(folder.AttIn(std::to_string(n) + ".MSG")); }
    std::string Copy(const std::string& name) const { return ReadBytes(folder.AttIn(name)); }
    bool RequestExists(int n) const {
        return std::filesystem::exists(folder.ApiIn(std::to_string(n) + ".API"));
    }

    ProgramFolder folder;
    MemoryForm f;
};

TEST_F(ExportTest, MessageWithoutAttachments) {
    Start();
    EXPECT_EQ(Select(0), ExportOutcome::Exported);

    EXPECT_EQ(Request(1), Header + "SUBJECT= No attachments;\r\nTO= ACME.MAIN.jsmith;\r\n"
                                   "FROM-TEXT= Ann Example;\r\nMSG-FILE= 1.MSG;\r\n-END-\r\n");
    EXPECT_EQ(Body(1), "Hello\r\nworld");
    EXPECT_EQ(folder.Listing("ATT_IN"), "1.MSG");
    EXPECT_EQ(f.messageView.text, "Hello\r\nworld");
    EXPECT_TRUE(f.attachmentList.items.empty());
    EXPECT_EQ(f.form.Values().ExportCounter, 1);
    EXPECT_EQ(f.mailbox.log, (Log{"put MsgIndex 0", "get MsgSubject", "get MsgOrigDisplayName",
                                  "get MsgNoteText", "get AttachmentCount"}));
}

TEST_F(ExportTest, MessageWithOneAttachment) {
    Start();
    EXPECT_EQ(Select(1), ExportOutcome::Exported);

    EXPECT_EQ(Request(1), Header + "SUBJECT= One; with, marks;\r\nTO= ACME.MAIN.jsmith;\r\n"
                                   "FROM-TEXT= Bob;\r\nMSG-FILE= 1.MSG;\r\nATTACH-FILE=\r\n"
                                   "    Current-File= 1.0;\r\n    Original-File= report.pdf;\r\n"
                                   ";\r\n-END-\r\n");
    EXPECT_EQ(Body(1), "See attached.\r\n");
    EXPECT_EQ(Copy("1.0"), Pdf);
    EXPECT_EQ(f.attachmentList.items,
              (std::vector<std::string>{folder.MissingAttachment("report.pdf")}));
}

TEST_F(ExportTest, MessageWithThreeAttachmentsInMailboxOrder) {
    Start();
    EXPECT_EQ(Select(2), ExportOutcome::Exported);

    EXPECT_EQ(Request(1), Header + "SUBJECT= Three;\r\nTO= ACME.MAIN.jsmith;\r\nFROM-TEXT= Cy;\r\n"
                                   "MSG-FILE= 1.MSG;\r\nATTACH-FILE=\r\n"
                                   "    Current-File= 1.0;\r\n    Original-File= report.pdf;,\r\n"
                                   "    Current-File= 1.1;\r\n    Original-File= notes.txt;,\r\n"
                                   "    Current-File= 1.2;\r\n    Original-File= image.png;\r\n"
                                   ";\r\n-END-\r\n");
    EXPECT_EQ(Body(1), "") << "an empty text gives an empty body file";
    EXPECT_EQ(Copy("1.0"), Pdf);
    EXPECT_EQ(Copy("1.1"), Notes);
    EXPECT_EQ(Copy("1.2"), Image);
    EXPECT_EQ(f.attachmentList.items.size(), 3u);
    EXPECT_EQ(f.mailbox.log,
              (Log{"put MsgIndex 2", "get MsgSubject", "get MsgOrigDisplayName", "get MsgNoteText",
                   "get AttachmentCount", "get AttachmentCount", "put AttachmentIndex 0",
                   "get AttachmentPathName", "get AttachmentPathName", "get AttachmentName",
                   "put AttachmentIndex 1", "get AttachmentPathName", "get AttachmentPathName",
                   "get AttachmentName", "put AttachmentIndex 2", "get AttachmentPathName",
                   "get AttachmentPathName", "get AttachmentName"}));
}

// On Windows each of the export's files is marked for deletion from its creation, on the disk
// before the request takes its name (a large copy also on the way, every 32 MiB), the marks cleared
// only then, the request's first, no handle that may write the request open when it does, and the
// folder's names put on the disk after.
TEST_F(ExportTest, BodyIsCompleteAndEachCopyMadeBeforeTheRequestNamesThem) {
    const std::string large =
        folder.Attachment("large.bin", std::string(CopyFlushInterval + 1, 'L'));
    f.mailbox.messages[2].attachments[2].path = Widen(large);
    Start();
#ifdef _WIN32
    const FileCalls calls;
#endif
    EXPECT_EQ(Select(2), ExportOutcome::Exported);
#ifdef _WIN32
    EXPECT_EQ(calls.log, (Log{"mark 1.tmp", "mark 1.MSG", "flush 1.MSG", "mark 1.0", "flush 1.0",
                              "mark 1.1", "flush 1.1", "mark 1.2", "flush 1.2", "flush 1.2",
                              "flush 1.tmp", "keep 1.tmp", "keep 1.MSG", "keep 1.0", "keep 1.1",
                              "keep 1.2", "name 1.API", "flush API_IN"}));
#endif
    EXPECT_EQ(folder.Listing("API_IN"), "1.API");
    EXPECT_EQ(folder.Listing("ATT_IN"), "1.0 1.1 1.2 1.MSG");
    EXPECT_EQ(Copy("1.2"), test::ReadBytes(large));
}

// Export numbers have no leading zeros, up to the largest; past it nothing is exported and the
// counter does not wrap round.
TEST_F(ExportTest, ExportNumbersHaveNoLeadingZerosUpToTheLargest) {
    Start();
    const auto resumedAt = [&](std::int32_t counter) {
        ProgramValues values = f.form.Values();
        values.ExportCounter = counter;
        return f.Resumed(values);
    };
    f.subjectList.SetItemIndex(2);
    EXPECT_EQ(resumedAt(9).ExportSelected(), ExportOutcome::Exported);
    EXPECT_EQ(folder.Listing("API_IN"), "10.API");
    EXPECT_EQ(folder.Listing("ATT_IN"), "10.0 10.1 10.2 10.MSG");
    EXPECT_EQ(Request(10), ExpectedRequest(10, "Three", "ACME.MAIN.jsmith", "Cy",
                                           {"report.pdf", "notes.txt", "image.png"}));
    EXPECT_EQ(resumedAt(2147483646).ExportSelected(), ExportOutcome::Exported);
    EXPECT_EQ(Body(2147483647), "");

    MainForm last = resumedAt(2147483647);
    f.mailbox.log.clear();
    try {
        last.ExportSelected();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(),
                     "No export number is left: the gateway has had every number up to 2147483647");
    }
    EXPECT_EQ(last.Values().ExportCounter, 2147483647);
    EXPECT_EQ(folder.Listing("API_IN"), "10.API 2147483647.API");
}

// Without a user name on the command line, the request goes to the name typed last.
struct TypedNamesCase {
    std::string name;
    std::vector<std::string> typed;
    std::string to;
};

class ExportTypedUserName : public ExportTest,
                            public testing::WithParamInterface<TypedNamesCase> {};

TEST_P(ExportTypedUserName, AddressesTheRequest) {
    f.host.commandLine = "kelvor.exe";
    Start();
    for (const auto& text : GetParam().typed)
        f.userName.SetText(text);
    EXPECT_EQ(Select(0), ExportOutcome::Exported);
    EXPECT_NE(Request(1).find("\r\nTO= " + GetParam().to + ";\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Typed, ExportTypedUserName,
    testing::Values(
        TypedNamesCase{"EmptyUserNameLeavesAFullStopBeforeTheSemicolon", {}, "ACME.MAIN."},
        TypedNamesCase{"UserNameIsTheLastOneTyped", {"mjones", ""}, "ACME.MAIN.mjones"}),
    [](const testing::TestParamInfo<TypedNamesCase>& info) { return info.param.name; });

TEST_F(ExportTest, ConvertContinuesTheNumbersAfterSingleExports) {
    Start();
    Select(3);
    Select(0);
    Select(3);
    f.form.ConvertAll();

    EXPECT_EQ(folder.Listing("API_IN"), "1.API 2.API 3.API 4.API 5.API 6.API 7.API 8.API");
    EXPECT_EQ(Request(1), ExpectedRequest(1, "Fourth", "ACME.MAIN.jsmith", "Dee", {}));
    EXPECT_EQ(Request(3), ExpectedRequest(3, "Fourth", "ACME.MAIN.jsmith", "Dee", {}))
        << "a message exported twice gets two full sets";
    EXPECT_EQ(Body(3), Body(1));
    EXPECT_EQ(Request(2),
              ExpectedRequest(2, "No attachments", "ACME.MAIN.jsmith", "Ann Example", {}));
    EXPECT_EQ(Request(4),
              ExpectedRequest(4, "No attachments", "ACME.MAIN.jsmith", "Ann Example", {}));
    EXPECT_EQ(Request(5),
              ExpectedRequest(5, "One; with, marks", "ACME.MAIN.jsmith", "Bob", {"report.pdf"}));
    EXPECT_EQ(Request(6), ExpectedRequest(6, "Three", "ACME.MAIN.jsmith", "Cy",
                                          {"report.pdf", "notes.txt", "image.png"}));
    EXPECT_EQ(Request(8), ExpectedRequest(8, "Fifth", "ACME.MAIN.jsmith", "Eve", {}));
    EXPECT_EQ(Body(8), "5");
    EXPECT_EQ(Copy("6.2"), Image);

    EXPECT_EQ(f.subjectList.selected, 4);
    EXPECT_EQ(f.messageView.text, "5");
    EXPECT_EQ(f.host.progress,
              (std::vector<std::pair<int, int>>{{1, 5}, {2, 5}, {3, 5}, {4, 5}, {5, 5}}));
}

// A run begins to count after the files that earlier runs left in API_IN and ATT_IN, and each
// export claims its number by creating its files: it passes over a number where any of its names
// has appeared since (another writer's, or a file the gateway has not taken), removing what it
// wrote under it. No file it did not write is touched. Only names an export writes count.
struct NumberingCase {
    std::string name;
    std::vector<std::string> earlier; // "API_IN/3.API", ...; a final "/" makes a folder
    int first;                        // 0: no number is left
    // Written after the start-up's scan, as by another writer.
    std::vector<std::string> meanwhile = {};
    // On Windows, the creation of, or the rename onto, this one denied with this error.
    std::string denied = {};
    unsigned long denial = 0;
    // How many times (0: always).
    int times = 0;
};

class ExportNumbering : public ExportTest, public testing::WithParamInterface<NumberingCase> {};

TEST_P(ExportNumbering, FollowsTheFilesOfEarlierRuns) {
    const std::filesystem::path gateway = folder.Gateway();
    const auto write = [&](const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            if (name.ends_with('/'))
                std::filesystem::create_directories(gateway / name / "inside");
            else
                WriteBytes(gateway / name, "earlier " + name);
        }
    };
    const auto listing = [&] {
        std::set<std::string> names;
        for (const char* directory : {"API_IN", "ATT_IN"}) {
            for (const auto& entry : std::filesystem::directory_iterator(gateway / directory))
                names.insert(std::string(directory) + "/" + entry.path().filename().string());
        }
        return names;
    };
    write(GetParam().earlier);
    Start();
    write(GetParam().meanwhile);
    std::set<std::string> files = listing();
#ifdef _WIN32
    const FileCalls denying(gateway / GetParam().denied, GetParam().denial, GetParam().times);
#else
    if (GetParam().denial)
        GTEST_SKIP() << "only Windows denies a name";
#endif
    // The name set while the export tries its numbers is not the export's.
    f.mailbox.onCall = [&](const std::string&) { f.userName.SetText("mallory"); };

    const int n = GetParam().first;
    if (n > 0) {
        EXPECT_EQ(Select(1), ExportOutcome::Exported);
        const std::string number = std::to_string(n);
        EXPECT_EQ(Request(n), ExpectedRequest(n, "One; with, marks", "ACME.MAIN.jsmith", "Bob",
                                              {"report.pdf"}));
        EXPECT_EQ(Copy(number + ".0"), Pdf);
        files.insert(
            {"API_IN/" + number + ".API", "ATT_IN/" + number + ".MSG", "ATT_IN/" + number + ".0"});
    } else {
        try {
            Select(1);
            ADD_FAILURE() << "no error";
        } catch (const CopyFailed& error) {
#ifdef _WIN32
            EXPECT_EQ(error.Reason(), testing_support::SystemText(GetParam().denial) + ".");
#endif
        } catch (const Error&) {
        }
    }
    EXPECT_EQ(listing(), files) << "what the export wrote under taken numbers was removed";
    for (const auto& names : {GetParam().earlier, GetParam().meanwhile}) {
        for (const std::string& name : names) {
            if (!name.ends_with('/')) {
                EXPECT_EQ(ReadBytes(gateway / name), "earlier " + name);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Gateways, ExportNumbering,
    testing::Values(
        NumberingCase{"AnEmptyGatewayStartsAtOne", {}, 1},
        NumberingCase{
            "AfterTheHighestRequest", {"API_IN/1.API", "API_IN/3.API", "API_IN/2.API"}, 4},
        NumberingCase{"AfterABodyFile", {"API_IN/2.API", "ATT_IN/7.MSG"}, 8},
        NumberingCase{"AfterAnAttachmentCopy", {"ATT_IN/1.0", "ATT_IN/9.12"}, 10},
        NumberingCase{"AfterARequestLeftUnfinished", {"API_IN/5.tmp", "ATT_IN/5.MSG"}, 6},
        NumberingCase{
            "AfterASuffixInAnyCase", {"API_IN/11.api", "ATT_IN/12.Msg", "API_IN/13.TMP"}, 14},
        NumberingCase{"NotAfterNamesNoExportWrites",
                      {"API_IN/a12.API", "API_IN/12a.API", "API_IN/12.API.bak", "API_IN/ 12.API",
                       "API_IN/12.MSG", "API_IN/12.0", "API_IN/12", "API_IN/.API", "API_IN/-12.API",
                       "API_IN/1e3.API", "ATT_IN/12.API", "ATT_IN/12.tmp", "ATT_IN/12.00",
                       "ATT_IN/12.0x", "ATT_IN/12.", "ATT_IN/12.-1", "ATT_IN/+12.MSG"},
                      1},
        // No export writes one; 12.API would not replace 012.API.
        NumberingCase{"NotAfterNumbersWithLeadingZeros", {"API_IN/012.API", "ATT_IN/007.MSG"}, 1},
        NumberingCase{"NotAfterFolders", {"API_IN/5.API/", "ATT_IN/6.MSG/", "ATT_IN/7.0/"}, 1},
        NumberingCase{"NotAfterNumbersBeyondThe32BitRange",
                      {"API_IN/2147483648.API", "API_IN/99999999999999999999.API"},
                      1},
        NumberingCase{"UpToTheLargestNumber", {"API_IN/2147483646.API"}, 2147483647},
        NumberingCase{"NoneLeftAfterTheLargest", {"ATT_IN/2147483647.MSG"}, 0},
        // Each of the export's names taken in turn, a folder's among them.
        NumberingCase{
            "PastEachNameOfANumberTakenMeanwhile",
            {},
            6,
            {"API_IN/1.tmp", "ATT_IN/2.MSG", "ATT_IN/3.0", "API_IN/4.API", "ATT_IN/5.MSG/"}},
        NumberingCase{"PastFilesMeanwhileBeyondTheScan", {"API_IN/3.API"}, 5, {"ATT_IN/4.MSG"}},
        NumberingCase{"PastARequestBeingDeleted", {}, 2, {"API_IN/1.tmp"}, "API_IN/1.tmp", 5},
        NumberingCase{"PastABodyAScannerHolds", {}, 2, {"ATT_IN/1.MSG"}, "ATT_IN/1.MSG", 32},
        NumberingCase{"PastACopyBeingDeleted", {}, 2, {"ATT_IN/1.0"}, "ATT_IN/1.0", 5},
        NumberingCase{"PastARequestNameHeld", {}, 2, {"API_IN/1.API"}, "API_IN/1.API", 32},
        NumberingCase{"NotPastADeniedNameThatIsNotThere", {}, 0, {}, "ATT_IN/1.MSG", 5},
        // The copy's error gives the refusal's reason, not that of the listing that followed.
        NumberingCase{"NotPastADeniedCopyNameThatIsNotThere", {}, 0, {}, "ATT_IN/1.0", 5},
        NumberingCase{"ADeniedNameGoneAtOnceIsTriedAgain", {}, 1, {}, "API_IN/1.API", 32, 2},
        NumberingCase{"NoneLeftWhenTheLastIsTakenMeanwhile",
                      {"API_IN/2147483646.API"},
                      0,
                      {"API_IN/2147483647.tmp"}}),
    [](const testing::TestParamInfo<NumberingCase>& info) { return info.param.name; });

TEST_F(ExportTest, TextsAreConvertedToTheCodePage) {
    f.mailbox.messages[2].subject = u"Caf\u00e9 \u20ac";
    f.mailbox.messages[2].sender = u"J\u00f6rg";
    f.mailbox.messages[2].text = std::u16string(u"\u00e0\rb") + u'\0' + u"gone";
    f.mailbox.messages[2].attachments[1].name = u"r\u00e9sum\u00e9.txt";
    Start();
    EXPECT_EQ(Select(2), ExportOutcome::Exported);
    EXPECT_EQ(Request(1), ExpectedRequest(1, "Caf\xE9 \x80", "ACME.MAIN.jsmith", "J\xF6rg",
                                          {"report.pdf", "r\xE9sum\xE9.txt", "image.png"}));
    EXPECT_EQ(Body(1), "\xE0\r\nb");
}

TEST_F(ExportTest, MissingApiInWarnsSignsOffAndClosesWritingNothing) {
    std::filesystem::remove(folder.ApiIn(""));
    Start();
    ASSERT_FALSE(f.messageView.text.empty());
    f.form.ConvertAll();

    EXPECT_EQ(f.host.dialogs, (Log{"Unable to create API Gateway file!"}));
    // The second message is read while the first one's files are written.
    EXPECT_EQ(Log(f.mailbox.log.end() - 5, f.mailbox.log.end()),
              (Log{"get AttachmentName", "DIALOG Unable to create API Gateway file!", "CLOSE",
                   "get SessionID", "SignOff"}));
    EXPECT_EQ(f.subjectList.selected, 0);
    EXPECT_EQ(f.form.Values().ExportCounter, 1) << "Convert stopped after the first export";
    EXPECT_EQ(folder.Listing("ATT_IN"), "");
    EXPECT_TRUE(f.messageView.text.empty());
    EXPECT_TRUE(f.attachmentList.items.empty());
    EXPECT_TRUE(f.host.progress.empty());
}

TEST_F(ExportTest, MissingApiInFailsTheSingleExport) {
    std::filesystem::remove(folder.ApiIn(""));
    Start();
    EXPECT_EQ(Select(1), ExportOutcome::NoRequestFile);
    EXPECT_EQ(f.host.closeCount, 1);
    EXPECT_EQ(f.mailbox.CurrentSessionID(), 0);
}

TEST_F(ExportTest, MissingAttInEndsConvertAfterTheFirstExport) {
    std::filesystem::remove(folder.AttIn(""));
    Start();
    try {
        f.form.ConvertAll();
        FAIL() << "no error escaped";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot create file " + folder.AttIn("1.MSG"));
    }
    EXPECT_EQ(f.form.Values().ExportCounter, 1);
    EXPECT_EQ(folder.Listing("API_IN"), "") << "the incomplete request was removed";
    EXPECT_EQ(f.host.closeCount, 0);
    EXPECT_TRUE(f.host.dialogs.empty());
    EXPECT_EQ(f.subjectList.selected, -1) << "nothing was exported whole";
    EXPECT_EQ(f.messageView.text, "");
}

TEST_F(ExportTest, AttachmentThatCannotBeCopiedEndsTheExport) {
    f.mailbox.messages[2].attachments[1].path = Widen(folder.MissingAttachment("gone.txt"));
    Start();
    try {
        f.form.ConvertAll();
        FAIL() << "no error escaped";
    } catch (const CopyFailed& error) {
        const std::string start = "Cannot copy attachment " + folder.MissingAttachment("gone.txt") +
                                  " to " + folder.AttIn("3.1") + ": ";
        EXPECT_EQ(std::string(error.what()).substr(0, start.size()), start);
        EXPECT_FALSE(error.Reason().empty());
    }
    EXPECT_EQ(f.form.Values().ExportCounter, 3) << "Convert ended with the failed export";
    EXPECT_EQ(folder.Listing("API_IN"), "1.API 2.API") << "no request names a missing copy";
    EXPECT_EQ(folder.Listing("ATT_IN"), "1.MSG 2.0 2.MSG") << "the failed export left files";
    EXPECT_EQ(f.subjectList.selected, 1) << "the last one exported whole";
    EXPECT_EQ(f.attachmentList.items.size(), 1u);
}

// The view's refusal (the window's own is MemoView.TextBeyondItsCapacityIsAnError) passes out of
// the export unchanged, which stops before the body file and leaves no request.
TEST_F(ExportTest, TextTooLongForTheMessageViewEndsTheExportBeforeTheBody) {
    Start();
    f.messageView.capacity = 4;
    try {
        Select(0);
        FAIL() << "no error escaped";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), testing_support::MemoryText::RefusedText);
    }
    EXPECT_EQ(f.mailbox.log.back(), "get MsgNoteText") << "no attachment read after the refusal";
    EXPECT_EQ(folder.Listing("ATT_IN"), "");
    EXPECT_EQ(folder.Listing("API_IN"), "");
    EXPECT_EQ(f.form.Values().ExportCounter, 0) << "no number is claimed for a message not read";
}

// A request whose name is denied though no file holds it fails the export, which leaves nothing:
// the request is still open when it is renamed, so no scanner can hold it.
TEST_F(ExportTest, ARequestDeniedItsNameIsReportedAndRemoved) {
#ifndef _WIN32
    GTEST_SKIP() << "only Windows denies a name that no file holds";
#else
    Start();
    const FileCalls denying(folder.ApiIn("1.API"), ERROR_ACCESS_DENIED);
    try {
        Select(0);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot rename " + folder.ApiIn("1.tmp") + " to " +
                                                 folder.ApiIn("1.API") + ": Access denied.");
    }
    // Tried a few times, then removed, the request last: its name holds the number.
    EXPECT_EQ(std::count(denying.log.begin(), denying.log.end(), "name 1.API"), RefusalAttempts);
    EXPECT_EQ(Log(denying.log.end() - 2, denying.log.end()), (Log{"mark 1.MSG", "mark 1.tmp"}));
    EXPECT_EQ(folder.Listing("API_IN"), "");
    EXPECT_EQ(folder.Listing("ATT_IN"), "");
#endif
}

// A mailbox failure at any step ends the export where it happens and leaves none of its files;
// the next export is whole all the same.
class ExportMailboxFailure : public ExportTest, public testing::WithParamInterface<std::string> {};

TEST_P(ExportMailboxFailure, LeavesNoFileBehind) {
    Start();
    f.mailbox.faults[GetParam()] = 0;
    try {
        Select(2);
        FAIL() << "no error escaped";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "Injected failure of " + GetParam());
    }
    EXPECT_EQ(f.mailbox.log.back(), "FAIL " + GetParam());
    EXPECT_EQ(folder.Listing("API_IN"), "");
    EXPECT_EQ(folder.Listing("ATT_IN"), "");
    EXPECT_EQ(f.form.Values().ExportCounter, 0);
    EXPECT_EQ(f.host.closeCount, 0);

    f.mailbox.faults.clear();
    EXPECT_EQ(Select(2), ExportOutcome::Exported);
    EXPECT_EQ(Request(1), ExpectedRequest(1, "Three", "ACME.MAIN.jsmith", "Cy",
                                          {"report.pdf", "notes.txt", "image.png"}));
}

INSTANTIATE_TEST_SUITE_P(EachRead, ExportMailboxFailure,
                         testing::Values("put MsgIndex", "get MsgSubject", "get MsgOrigDisplayName",
                                         "get MsgNoteText", "get AttachmentCount",
                                         "put AttachmentIndex", "get AttachmentPathName",
                                         "get AttachmentName"));

// The writer gives an export up at any of its checkpoints, between two numbers tried and the last
// before its request takes its name included: what it throws passes out unchanged, and nothing of
// the export is left.
TEST_F(ExportTest, AnExportGivenUpAtAnyCheckpointLeavesNothing) {
    Start();
    const auto taken = [&] { WriteBytes(folder.AttIn("1.MSG"), "taken"); };
    const ExportJob job =
        ReadForExport(f.mailbox, {f.messageView, f.attachmentList}, 2, {"ACME", "MAIN", "jsmith"});
    struct Stopped {};
    const auto write = [&](int stopAt) {
        std::int32_t counter = 0;
        int checkpoints = 0;
        WriteExport(f.form.Values().GatewayDir, job, counter, [&](Checkpoint) {
            if (++checkpoints == stopAt)
                throw Stopped();
        });
        return checkpoints;
    };
    taken();
    const int all = write(0);
    EXPECT_GE(all, 10) << "between the numbers, before the body, each copy and its piece, the name";
    EXPECT_EQ(folder.Listing("API_IN"), "2.API");
    for (int stopAt = 1; stopAt <= all; ++stopAt) {
        std::filesystem::remove_all(folder.Gateway());
        folder.MakeGatewayTree();
        taken();
        EXPECT_THROW(write(stopAt), Stopped) << stopAt;
        EXPECT_EQ(folder.Listing("API_IN") + folder.Listing("ATT_IN"), "1.MSG") << stopAt;
    }
}

// The export asks the mailbox for no count to check the position against: it sets the position,
// and the mailbox's refusal ends the export before anything is read.
TEST_F(ExportTest, PositionBeyondTheMailboxIsPassedOnAndFails) {
    Start();
    f.subjectList.items.push_back("stray");
    try {
        Select(5);
        FAIL() << "no error escaped";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(), "Invalid message index");
    }
    EXPECT_EQ(f.mailbox.log, (Log{"put MsgIndex 5"}));
    EXPECT_EQ(folder.Listing("API_IN"), "");
}

TEST_F(ExportTest, NothingSelectedDoesNothing) {
    Start();
    const std::string memo = f.messageView.text;
    f.subjectList.SetItemIndex(-1);
    EXPECT_EQ(f.form.ExportSelected(), ExportOutcome::NothingSelected);
    EXPECT_EQ(f.form.Values().ExportCounter, 0);
    EXPECT_TRUE(f.mailbox.log.empty());
    EXPECT_EQ(f.messageView.text, memo);
    EXPECT_EQ(folder.Listing("API_IN"), "");
    EXPECT_EQ(folder.Listing("ATT_IN"), "");
}

// Convert over three messages as one batch: the mailbox calls of each export, the batch's
// progress after each, and where it stops.
struct ConvertCase {
    const char* name;
    int messages;
    bool apiIn;
    std::map<std::string, int> faults;
    std::function<Log(const std::function<Log(int)>&)> journal;
    // The user stops the batch at this step (0: never): one as each export is given to the
    // writer, one as each is waited for, one as each but the first is shown; then ATT_IN holds
    // these files.
    int stopAtStep = 0;
    const char* attIn = nullptr;
    // A subject exported by selection before the batch.
    int exportedFirst = -1;
};

class Convert : public ExportTest, public testing::WithParamInterface<ConvertCase> {};

// The mailbox calls of an export of message i of the fixture, which has 0, 1 and 3 attachments.
Log ExportCalls(int i) {
    Log calls{"put MsgIndex " + std::to_string(i), "get MsgSubject", "get MsgOrigDisplayName",
              "get MsgNoteText", "get AttachmentCount"};
    const int attachments[] = {0, 1, 3};
    if (attachments[i] > 0)
        calls.push_back("get AttachmentCount");
    for (int k = 0; k < attachments[i]; ++k)
        calls.insert(calls.end(),
                     {"put AttachmentIndex " + std::to_string(k), "get AttachmentPathName",
                      "get AttachmentPathName", "get AttachmentName"});
    return calls;
}

Log Joined(std::initializer_list<Log> parts) {
    Log all;
    for (const Log& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_P(Convert, ExportsInListOrderAndStopsWhereAnExportDoesNot) {
    const ConvertCase& c = GetParam();
    f.mailbox.messages.resize(static_cast<std::size_t>(c.messages));
    if (!c.apiIn)
        std::filesystem::remove(folder.ApiIn(""));
    if (c.messages > 0)
        Start();
    if (c.exportedFirst >= 0) {
        Select(c.exportedFirst);
        f.mailbox.log.clear();
    }
    f.mailbox.faults = c.faults;
    f.host.batchJournal = &f.mailbox.log;
    f.host.stopAtStep = c.stopAtStep ? f.host.workSteps + c.stopAtStep : 0;
    try {
        f.form.ConvertAll();
    } catch (const Error& error) {
        f.mailbox.log.push_back(std::string("ERROR ") + error.what());
    }
    EXPECT_EQ(f.mailbox.log, c.journal(ExportCalls));
    if (c.attIn) {
        EXPECT_EQ(folder.Listing("ATT_IN"), c.attIn);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Batches, Convert,
    // Each message is read while the one before is written; its progress shows once it is whole.
    testing::Values(
        ConvertCase{"ThreeMessages",
                    3,
                    true,
                    {},
                    [](const auto& calls) {
                        return Joined({{"BATCH 3"},
                                       calls(0),
                                       calls(1),
                                       {"PROGRESS 1"},
                                       calls(2),
                                       {"PROGRESS 2", "PROGRESS 3", "FINISH", "END"}});
                    }},
        ConvertCase{"NoRequestFile",
                    3,
                    false,
                    {},
                    [](const auto& calls) {
                        return Joined({{"BATCH 3"},
                                       calls(0),
                                       calls(1),
                                       {"DIALOG Unable to create API Gateway file!", "CLOSE",
                                        "get SessionID", "SignOff", "FINISH", "END"}});
                    }},
        // The start-up reads the first text: the third read is the second export's.
        // The first is written whole before the error shows, and shown again.
        ConvertCase{"AnExportThatFails",
                    3,
                    true,
                    {{"get MsgNoteText", 3}},
                    [](const auto& calls) {
                        return Joined({{"BATCH 3"},
                                       calls(0),
                                       {"put MsgIndex 1", "get MsgSubject",
                                        "get MsgOrigDisplayName", "FAIL get MsgNoteText",
                                        "put MsgIndex 0", "get MsgNoteText", "get AttachmentCount",
                                        "END", "ERROR Injected failure of get MsgNoteText"}});
                    }},
        // A stop as the third is to be given to the writer (the sixth step): read, it is not
        // written, and the views show the second again.
        ConvertCase{"StoppedByTheUser",
                    3,
                    true,
                    {},
                    [](const auto& calls) {
                        return Joined({{"BATCH 3"},
                                       calls(0),
                                       calls(1),
                                       {"PROGRESS 1"},
                                       calls(2),
                                       {"put MsgIndex 1", "get MsgNoteText", "get AttachmentCount",
                                        "get AttachmentCount", "put AttachmentIndex 0",
                                        "get AttachmentPathName", "FINISH", "END"}});
                    },
                    6,
                    "1.MSG 2.0 2.MSG"},
        // A stop once the third is written (the eighth step, its wait): it counts, and the
        // views show it.
        ConvertCase{"StoppedAsTheLastIsWritten",
                    3,
                    true,
                    {},
                    [](const auto& calls) {
                        return Joined(
                            {{"BATCH 3"},
                             calls(0),
                             calls(1),
                             {"PROGRESS 1"},
                             calls(2),
                             {"PROGRESS 2", "put MsgIndex 2", "get MsgNoteText",
                              "get AttachmentCount", "get AttachmentCount", "put AttachmentIndex 0",
                              "get AttachmentPathName", "put AttachmentIndex 1",
                              "get AttachmentPathName", "put AttachmentIndex 2",
                              "get AttachmentPathName", "FINISH", "END"}});
                    },
                    8,
                    "1.MSG 2.0 2.MSG 3.0 3.1 3.2 3.MSG"},
        // A stop before the first is given to the writer (the first step): no subject is
        // highlighted, neither that of the export made before the batch.
        ConvertCase{"StoppedBeforeTheFirstIsWritten",
                    3,
                    true,
                    {},
                    [](const auto& calls) {
                        return Joined({{"BATCH 3"}, calls(0), {"FINISH", "END"}});
                    },
                    1,
                    "1.0 1.1 1.2 1.MSG",
                    2},
        // An empty list exports nothing.
        ConvertCase{"AnEmptyList",
                    0,
                    true,
                    {},
                    [](const auto&) {
                        return Log{"BATCH 0", "FINISH", "END"};
                    }}),
    [](const testing::TestParamInfo<ConvertCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace kelvor
