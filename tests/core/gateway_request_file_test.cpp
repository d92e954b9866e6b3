#include "gateway/gateway_paths.h"
#include "gateway/request_file.h"
#include "platform/paths.h"
#include "support/mail_messages.h"
#include "support/program_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kelvor {
namespace {

struct Request {
    std::int32_t n;
    std::string subject;
    std::string qualifier1;
    std::string qualifier2;
    std::string targetUser;
    std::string sender;
    std::vector<std::string> attachmentNames;
};

// The job of a request with these values; its body and copies' sources play no part.
std::string WrittenRequest(const Request& request) {
    ExportJob job{request.subject,
                  request.qualifier1,
                  request.qualifier2,
                  request.targetUser,
                  request.sender,
                  "",
                  {}};
    for (const std::string& name : request.attachmentNames)
        job.attachments.push_back({Path(), name});
    return RequestText(request.n, job);
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
TEST(RequestText, KeepsLineBreaksInValuesOutOfTheLines) {
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
