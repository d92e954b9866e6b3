#include "platform/io_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace kelvor {
namespace {

struct MessageCase {
    int code;
    const char* message;
};

class InOutErrorMessageTest : public testing::TestWithParam<MessageCase> {};

TEST_P(InOutErrorMessageTest, GivesTheTableText) {
    const EInOutError error(GetParam().code);
    EXPECT_STREQ(error.what(), GetParam().message);
    EXPECT_EQ(error.Code(), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, InOutErrorMessageTest,
    testing::Values(MessageCase{2, "File not found"}, MessageCase{3, "Invalid filename"},
                    MessageCase{4, "Too many open files"}, MessageCase{5, "File access denied"},
                    MessageCase{100, "Read beyond end of file"}, MessageCase{101, "Disk full"},
                    MessageCase{106, "Invalid numeric input"}, MessageCase{0, "I/O error 0"},
                    MessageCase{1, "I/O error 1"}, MessageCase{6, "I/O error 6"},
                    MessageCase{32, "I/O error 32"}, MessageCase{39, "I/O error 39"},
                    MessageCase{112, "I/O error 112"},
                    MessageCase{0x20000005, "I/O error 536870917"}));

struct ErrnoCase {
    int posixError;
    int code;
    const char* message;
};

class InOutErrorFromErrnoTest : public testing::TestWithParam<ErrnoCase> {};

TEST_P(InOutErrorFromErrnoTest, MeansTheSameAsTheWindowsCode) {
    const int code = InOutErrorCodeFromErrno(GetParam().posixError);
    EXPECT_EQ(code, GetParam().code);
    EXPECT_EQ(InOutErrorMessage(code), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, InOutErrorFromErrnoTest,
    testing::Values(
        ErrnoCase{ENOENT, 2, "File not found"}, ErrnoCase{ENOTDIR, 3, "Invalid filename"},
        ErrnoCase{ENAMETOOLONG, 3, "Invalid filename"}, ErrnoCase{EINVAL, 3, "Invalid filename"},
        ErrnoCase{EMFILE, 4, "Too many open files"}, ErrnoCase{ENFILE, 4, "Too many open files"},
        ErrnoCase{EACCES, 5, "File access denied"}, ErrnoCase{EPERM, 5, "File access denied"},
        ErrnoCase{EROFS, 5, "File access denied"}, ErrnoCase{EISDIR, 5, "File access denied"},
        ErrnoCase{ENOSPC, 101, "Disk full"}, ErrnoCase{EBADF, 6, "I/O error 6"}));

// Errors Windows has no code for must not borrow the message of an unrelated Windows code, even
// where their errno equals a code of the table (EIO is 5 on POSIX, which is "access denied" on
// Windows).
class UnmatchedErrnoTest : public testing::TestWithParam<int> {};

TEST_P(UnmatchedErrnoTest, KeepsTheErrnoOutsideTheWindowsCodes) {
    const int posixError = GetParam();
    const int code = InOutErrorCodeFromErrno(posixError);
    EXPECT_EQ(code, ApplicationErrorFlag | posixError);
    EXPECT_EQ(InOutErrorMessage(code), "I/O error " + std::to_string(code));
}

INSTANTIATE_TEST_SUITE_P(Errors, UnmatchedErrnoTest,
                         testing::Values(EIO, EAGAIN, EFBIG, ESPIPE, EPIPE, EXDEV, ENXIO, EBUSY));

} // namespace
} // namespace kelvor
