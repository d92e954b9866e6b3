#include "platform/files.h"
#include "support/memory_controls.h"
#include "support/program_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kelvor {
namespace {

using test::ReadBytes;
using test::WriteBytes;
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
    bool Select(int position) {
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

std::string Expected(int n, const std::string& subject, const std::string& to,
                     const std::string& sender, const std::vector<std::string>& attachments) {
    const std::string number = std::to_string(n);
    std::string request = Header + "SUBJECT= " + subject + ";\r\nTO= " + to +
                          ";\r\nFROM-TEXT= " + sender + ";\r\nMSG-FILE= " + number + ".MSG;\r\n";
    if (!attachments.empty()) {
        request += "ATTACH-FILE=\r\n";
        for (std::size_t k = 0; k < attachments.size(); ++k) {
            if (k > 0)
                request += ",\r\n";
            request += "    Current-File= " + number + "." + std::to_string(k) +
                       ";\r\n    Original-File= " + attachments[k] + ";";
        }
        request += "\r\n;\r\n";
    }
    return request + "-END-\r\n";
}

TEST_F(ExportTest, MessageWithoutAttachments) {
    Start();
    EXPECT_TRUE(Select(0));

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
    EXPECT_TRUE(Select(1));

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
    EXPECT_TRUE(Select(2));

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

TEST_F(ExportTest, BodyIsCompleteAndEachCopyMadeBeforeTheRequestNamesThem) {
    f.mailbox.messages[2].text = u"a\nb";
    Start();
    std::vector<std::string> seen;
    f.mailbox.onCall = [&](const std::string& op) {
        if (op == "get AttachmentCount")
            seen.push_back(op + " body " + std::to_string(Body(1).size()));
        if (op == "get AttachmentName")
            seen.push_back(op + " " + folder.Listing("ATT_IN"));
    };
    EXPECT_TRUE(Select(2));
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "get AttachmentCount body 4", "get AttachmentCount body 4",
                        "get AttachmentName 1.0 1.MSG", "get AttachmentName 1.0 1.1 1.MSG",
                        "get AttachmentName 1.0 1.1 1.2 1.MSG"}));
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
    EXPECT_TRUE(resumedAt(9).ExportSelected());
    EXPECT_EQ(folder.Listing("API_IN"), "10.API");
    EXPECT_EQ(folder.Listing("ATT_IN"), "10.0 10.1 10.2 10.MSG");
    EXPECT_EQ(Request(10), Expected(10, "Three", "ACME.MAIN.jsmith", "Cy",
                                    {"report.pdf", "notes.txt", "image.png"}));
    EXPECT_TRUE(resumedAt(2147483646).ExportSelected());
    EXPECT_EQ(Body(2147483647), "");

    MainForm last = resumedAt(2147483647);
    f.mailbox.log.clear();
    try {
        last.ExportSelected();
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_STREQ(error.what(),
                     "No export number is left: this run has made 2147483647 exports");
    }
    EXPECT_EQ(last.Values().ExportCounter, 2147483647);
    EXPECT_EQ(folder.Listing("API_IN"), "10.API 2147483647.API");
    EXPECT_TRUE(f.mailbox.log.empty());
}

// A request file that cannot be removed after a failure is named in the export's error.
TEST_F(ExportTest, AnUnfinishedRequestThatCannotBeRemovedIsReported) {
#ifndef _WIN32
    GTEST_SKIP() << "only Windows keeps a file that another program holds open";
#else
    Start();
    // As a gateway that has opened the request meanwhile would.
    std::ifstream gateway;
    f.mailbox.onCall = [&](const std::string& op) {
        if (op == "get MsgOrigDisplayName")
            gateway.open(folder.ApiIn("1.API"));
    };
    f.mailbox.faults["get MsgNoteText"] = 0;
    try {
        Select(0);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Injected failure of get MsgNoteText; the unfinished request file " +
                      folder.ApiIn("1.API") + " could not be removed");
    }
    EXPECT_TRUE(gateway.is_open());
#endif
}

// A mailbox failure at any step ends the export where it happens and leaves no request file;
// the next export is whole all the same.
class ExportMailboxFailure : public ExportTest, public testing::WithParamInterface<std::string> {};

TEST_P(ExportMailboxFailure, LeavesNoRequestFile) {
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
    EXPECT_EQ(f.form.Values().ExportCounter, 1);
    EXPECT_EQ(f.host.closeCount, 0);

    f.mailbox.faults.clear();
    EXPECT_TRUE(Select(2));
    EXPECT_EQ(Request(2), Expected(2, "Three", "ACME.MAIN.jsmith", "Cy",
                                   {"report.pdf", "notes.txt", "image.png"}));
}

INSTANTIATE_TEST_SUITE_P(EachRead, ExportMailboxFailure,
                         testing::Values("put MsgIndex", "get MsgSubject", "get MsgOrigDisplayName",
                                         "get MsgNoteText", "get AttachmentCount",
                                         "put AttachmentIndex", "get AttachmentPathName",
                                         "get AttachmentName"));

TEST_F(ExportTest, PositionBeyondTheMailboxIsPassedOnAndFails) {
    Start();
    f.subjectList.items.push_back("stray");
    EXPECT_THROW(Select(5), Error);
    EXPECT_EQ(f.mailbox.log, (Log{"put MsgIndex 5"}));
    EXPECT_EQ(folder.Listing("API_IN"), "");
}

TEST_F(ExportTest, NothingSelectedDoesNothing) {
    Start();
    const std::string memo = f.messageView.text;
    f.subjectList.SetItemIndex(-1);
    EXPECT_FALSE(f.form.ExportSelected());
    EXPECT_EQ(f.form.Values().ExportCounter, 0);
    EXPECT_TRUE(f.mailbox.log.empty());
    EXPECT_EQ(f.messageView.text, memo);
    EXPECT_EQ(folder.Listing("API_IN"), "");
    EXPECT_EQ(folder.Listing("ATT_IN"), "");
}

TEST_F(ExportTest, ConvertOnAnEmptyListDoesNothing) {
    MemoryForm bare;
    bare.form.ConvertAll();
    EXPECT_EQ(bare.form.Values().ExportCounter, 0);
    EXPECT_TRUE(bare.mailbox.log.empty());
}

} // namespace
} // namespace kelvor
