#include "gateway/gateway_paths.h"
#include "gateway/request_file.h"
#include "platform/paths.h"
#include "support/mail_messages.h"
#include "support/program_folder.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kelvor {
namespace {

using test::ReadBytes;
using test::TempDir;

struct Request {
    std::int32_t n;
    std::string subject;
    std::string qualifier1;
    std::string qualifier2;
    std::string targetUser;
    std::string sender;
    std::vector<std::string> attachmentNames;
};

// Writes a request through each of the file's line writers in the order of a request's lines,
// so that the tests here see the lines' texts; the order the export itself writes them in is
// checked by ExportTest against requests written out.
void WriteRequest(RequestFile& file, const Request& request) {
    file.WriteHeader();
    file.WriteSubject(request.subject);
    file.WriteTo(request.qualifier1, request.qualifier2, request.targetUser);
    file.WriteFromText(request.sender);
    file.WriteMsgFile(request.n);
    if (!request.attachmentNames.empty()) {
        file.WriteAttachFile();
        for (std::size_t k = 0; k < request.attachmentNames.size(); ++k) {
            if (k > 0) {
                file.WriteEntrySeparator();
            }
            file.WriteCurrentFile(request.n, static_cast<std::int32_t>(k));
            file.WriteOriginalFile(request.attachmentNames[k]);
        }
        file.WriteAttachmentsEnd();
    }
    file.WriteEnd();
}

std::string WrittenRequest(const Request& request) {
    TempDir dir;
    const std::filesystem::path path = dir / "request.API";
    RequestFile file;
    EXPECT_TRUE(file.Create(dir / "request.tmp", path));
    WriteRequest(file, request);
    file.Close();
    return ReadBytes(path);
}

struct RequestCase {
    std::string name;
    Request request;
    std::string bytes;
};

std::string CaseName(const testing::TestParamInfo<RequestCase>& info) {
    return info.param.name;
}

class RequestFileBytesTest : public testing::TestWithParam<RequestCase> {};

TEST_P(RequestFileBytesTest, AreExactlyTheGatewayFormat) {
    EXPECT_EQ(WrittenRequest(GetParam().request), GetParam().bytes);
}

const std::string Header = "WPC-API= 1.2;\r\n"
                           "MSG-TYPE= MAIL;\r\n"
                           "MSG-ACTION= Import-Inbox;\r\n";

INSTANTIATE_TEST_SUITE_P(
    Requests, RequestFileBytesTest,
    testing::Values(RequestCase{"NoAttachment",
                                {1, "Quarterly report", "PO1", "DOMAIN", "jsmith", "Ann Lee", {}},
                                Header + "SUBJECT= Quarterly report;\r\n"
                                         "TO= PO1.DOMAIN.jsmith;\r\n"
                                         "FROM-TEXT= Ann Lee;\r\n"
                                         "MSG-FILE= 1.MSG;\r\n"
                                         "-END-\r\n"},
                    RequestCase{"OneAttachment",
                                {7, "Hi", "PO1", "DOMAIN", "jsmith", "Ann", {"plan.doc"}},
                                Header + "SUBJECT= Hi;\r\n"
                                         "TO= PO1.DOMAIN.jsmith;\r\n"
                                         "FROM-TEXT= Ann;\r\n"
                                         "MSG-FILE= 7.MSG;\r\n"
                                         "ATTACH-FILE=\r\n"
                                         "    Current-File= 7.0;\r\n"
                                         "    Original-File= plan.doc;\r\n"
                                         ";\r\n"
                                         "-END-\r\n"},
                    RequestCase{"ThreeAttachments",
                                {3, "S", "A", "B", "u", "F", {"a.txt", "b c.pdf", "c"}},
                                Header + "SUBJECT= S;\r\n"
                                         "TO= A.B.u;\r\n"
                                         "FROM-TEXT= F;\r\n"
                                         "MSG-FILE= 3.MSG;\r\n"
                                         "ATTACH-FILE=\r\n"
                                         "    Current-File= 3.0;\r\n"
                                         "    Original-File= a.txt;,\r\n"
                                         "    Current-File= 3.1;\r\n"
                                         "    Original-File= b c.pdf;,\r\n"
                                         "    Current-File= 3.2;\r\n"
                                         "    Original-File= c;\r\n"
                                         ";\r\n"
                                         "-END-\r\n"},
                    RequestCase{"ExportTenWithTwoAttachments",
                                {10, "Ten", "PO1", "DOMAIN", "jsmith", "Ann", {"x.bin", "y.bin"}},
                                Header + "SUBJECT= Ten;\r\n"
                                         "TO= PO1.DOMAIN.jsmith;\r\n"
                                         "FROM-TEXT= Ann;\r\n"
                                         "MSG-FILE= 10.MSG;\r\n"
                                         "ATTACH-FILE=\r\n"
                                         "    Current-File= 10.0;\r\n"
                                         "    Original-File= x.bin;,\r\n"
                                         "    Current-File= 10.1;\r\n"
                                         "    Original-File= y.bin;\r\n"
                                         ";\r\n"
                                         "-END-\r\n"},
                    RequestCase{"EmptyValues",
                                {2147483647, "", "", "", "", "", {""}},
                                Header + "SUBJECT= ;\r\n"
                                         "TO= ..;\r\n"
                                         "FROM-TEXT= ;\r\n"
                                         "MSG-FILE= 2147483647.MSG;\r\n"
                                         "ATTACH-FILE=\r\n"
                                         "    Current-File= 2147483647.0;\r\n"
                                         "    Original-File= ;\r\n"
                                         ";\r\n"
                                         "-END-\r\n"},
                    // Values go out as they are: separators, blanks, case and 8-bit bytes stay.
                    RequestCase{
                        "ValuesUnchanged",
                        {4, " a;b,c. ", "P O.1", "dom", "J Smith", "\xe9\x80;", {"n;m,.txt"}},
                        Header + "SUBJECT=  a;b,c. ;\r\n"
                                 "TO= P O.1.dom.J Smith;\r\n"
                                 "FROM-TEXT= \xe9\x80;;\r\n"
                                 "MSG-FILE= 4.MSG;\r\n"
                                 "ATTACH-FILE=\r\n"
                                 "    Current-File= 4.0;\r\n"
                                 "    Original-File= n;m,.txt;\r\n"
                                 ";\r\n"
                                 "-END-\r\n"}),
    CaseName);

// Every value that reaches a request line tries to start a line of its own; each line break,
// whatever its form, becomes one blank and the keyword lines stay as they are.
TEST(RequestFile, KeepsLineBreaksInValuesOutOfTheLines) {
    const std::string inject = "x\r\n-END-\r\nTO= evil;\rMSG-FILE= 9.MSG;\n\n\r\r\nz";
    const std::string flat = "x -END- TO= evil; MSG-FILE= 9.MSG;    z";
    const std::string bytes = WrittenRequest({5, inject, inject, inject, inject, inject, {inject}});
    EXPECT_EQ(bytes, Header + "SUBJECT= " + flat + ";\r\n" + "TO= " + flat + "." + flat + "." +
                         flat + ";\r\n" + "FROM-TEXT= " + flat + ";\r\n" +
                         "MSG-FILE= 5.MSG;\r\n"
                         "ATTACH-FILE=\r\n"
                         "    Current-File= 5.0;\r\n"
                         "    Original-File= " +
                         flat +
                         ";\r\n"
                         ";\r\n"
                         "-END-\r\n");
}

struct ValueCase {
    std::string value;
    std::string written;
};

class RequestValueTest : public testing::TestWithParam<ValueCase> {};

TEST_P(RequestValueTest, MakesEachLineBreakOneBlank) {
    EXPECT_EQ(RequestValue(GetParam().value), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Values, RequestValueTest,
    testing::Values(ValueCase{"", ""}, ValueCase{"plain", "plain"}, ValueCase{"\r\n", " "},
                    ValueCase{"\n\r", "  "}, ValueCase{"\r", " "}, ValueCase{"\n", " "},
                    ValueCase{"\r\r\n\n", "   "}, ValueCase{"a\r\nb", "a b"},
                    ValueCase{std::string("a\0;\t,\x1a", 6), std::string("a\0;\t,\x1a", 6)}));

TEST(RequestFile, WritesLongValuesWhole) {
    TempDir dir;
    const std::filesystem::path path = dir / "1.API";
    // Values longer than the buffer, around its size and across its boundary.
    const std::string longSubject(200000, 's');
    const std::string senders[] = {std::string(65535, 'a'), std::string(65536, 'b'), "c"};
    RequestFile file;
    ASSERT_TRUE(file.Create(dir / "1.tmp", path));
    file.WriteSubject(longSubject);
    std::string expected = "SUBJECT= " + longSubject + ";\r\n";
    for (const std::string& sender : senders) {
        file.WriteFromText(sender);
        expected += "FROM-TEXT= " + sender + ";\r\n";
    }
    file.Close();
    EXPECT_EQ(ReadBytes(path), expected);
}

TEST(RequestFile, WritesManyRequestsInARow) {
    TempDir dir;
    for (std::int32_t n = 1; n <= 50; ++n) {
        RequestFile file;
        ASSERT_TRUE(file.Create(dir / "writing", dir / (std::to_string(n) + ".API")));
        WriteRequest(file, {n, "S" + std::to_string(n), "A", "B", "u", "F", {}});
        file.Close();
    }
    for (std::int32_t n = 1; n <= 50; ++n) {
        const std::string number = std::to_string(n);
        EXPECT_EQ(ReadBytes(dir / (number + ".API")),
                  testing_support::ExpectedRequest(n, "S" + number, "A.B.u", "F", {}))
            << number;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "writing"));
}

TEST(RequestFile, ReportsAFileItCannotCreate) {
    TempDir dir;
    RequestFile file;
    EXPECT_FALSE(file.Create(dir / "API_IN/1.tmp", dir / "API_IN/1.API"));
    EXPECT_FALSE(file.IsOpen());
}

TEST(RequestFile, DiscardRemovesAnUnfinishedFile) {
    TempDir dir;
    RequestFile file;
    ASSERT_TRUE(file.Create(dir / "3.tmp", dir / "3.API"));
    file.WriteHeader();
    EXPECT_TRUE(file.Discard());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

// A request that cannot be given its name for another reason is reported, and Discard then
// removes it.
TEST(RequestFile, ThatCannotBeNamedIsReportedAndDiscarded) {
    TempDir dir;
    const std::filesystem::path tooLong = dir / (std::string(300, 'n') + ".API");
    RequestFile file;
    ASSERT_TRUE(file.Create(dir / "3.tmp", tooLong));
    file.WriteHeader();
    try {
        file.Close();
        FAIL() << "no error";
    } catch (const Error& error) {
        const std::string start =
            "Cannot rename " + (dir / "3.tmp").string() + " to " + tooLong.string() + ": ";
        EXPECT_EQ(std::string(error.what()).substr(0, start.size()), start);
    }
    EXPECT_TRUE(file.Discard());
    EXPECT_FALSE(std::filesystem::exists(dir / "3.tmp"));
}

TEST(RequestFile, RemovesWhatWasWrittenUnderItsTemporaryNameWhenLeftOpen) {
    TempDir dir;
    {
        RequestFile file;
        ASSERT_TRUE(file.Create(dir / "4.tmp", dir / "4.API"));
        file.WriteHeader();
        file.WriteSubject("cut");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "4.tmp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "4.API"));
}

TEST(RequestFile, RemovesTheOpenFileWhenCreatingTheNext) {
    TempDir dir;
    RequestFile file;
    ASSERT_TRUE(file.Create(dir / "1.tmp", dir / "1.API"));
    file.WriteLine("first");
    ASSERT_TRUE(file.Create(dir / "2.tmp", dir / "2.API"));
    file.WriteLine("second");
    file.Close();
    EXPECT_FALSE(std::filesystem::exists(dir / "1.tmp"));
    EXPECT_FALSE(std::filesystem::exists(dir / "1.API"));
    EXPECT_EQ(ReadBytes(dir / "2.API"), "second\r\n");
}

struct PathCase {
    std::filesystem::path path;
    std::string expected;
};

TEST(GatewayPaths, NameTheFilesByTheirNumbers) {
    const std::string gwText = std::string("gw") + PathSeparator;
    const std::filesystem::path gw = gwText;
    const std::string api = gwText + "API_IN" + PathSeparator;
    const std::string att = gwText + "ATT_IN" + PathSeparator;
    const PathCase cases[] = {
        {RequestFilePath(gw, 1), api + "1.API"},
        {RequestFilePath(gw, 10), api + "10.API"},
        {RequestFilePath(gw, 2147483647), api + "2147483647.API"},
        {RequestWritingPath(gw, 12), api + "12.tmp"},
        {BodyFilePath(gw, 7), att + "7.MSG"},
        {BodyFilePath(gw, 130), att + "130.MSG"},
        {AttachmentCopyPath(gw, 10, 0), att + "10.0"},
        {AttachmentCopyPath(gw, 10, 1), att + "10.1"},
        {AttachmentCopyPath(gw, 12, 10), att + "12.10"},
        // The gateway directory is taken as it is, a blank directory name included.
        {RequestFilePath(std::filesystem::path("C:\\gw\\ \\"), 3),
         std::string("C:\\gw\\ \\API_IN") + PathSeparator + "3.API"},
    };
    for (const PathCase& c : cases) {
        EXPECT_EQ(c.path.native(), testing_support::NativeText(c.expected));
    }
}

} // namespace
} // namespace kelvor
