// Several real kelvor.exe, one mailbox each, converting into one gateway at once, as a migration
// runs them: though all of them begin counting at the same number, every message of every
// mailbox arrives once, its request whole and naming its own body and copies, and nothing else is
// left in the gateway.

#include "support/e2e_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <thread>

namespace kelvor::testing_support {
namespace {

// Enough that the batches, about a second or two each under Wine, overlap.
constexpr int MessagesEach = 300;
const std::string Users[] = {"alice", "bob", "carol"};

// The user's mailbox: each subject names the user and the message; every third message has an
// attachment, every sixth a second one.
std::vector<MailMessage> Mailbox(const std::string& user) {
    std::vector<MailMessage> messages;
    for (int i = 0; i < MessagesEach; ++i) {
        const std::string tag = user + " " + std::to_string(i);
        MailMessage message{
            {tag, tag}, "Sender", {"Text of " + tag, "Text of " + tag}, "Text of " + tag, {}};
        for (int k = 0; k < (i % 6 == 0 ? 2 : i % 3 == 0 ? 1 : 0); ++k)
            message.attachments.push_back(
                {"file.txt", "", "attachment " + std::to_string(k) + " of " + tag});
        messages.push_back(message);
    }
    return messages;
}

TEST(SharedGateway, SeveralProgramsConvertIntoOneGatewayAtOnce) {
    const ProgramFolder shared;
    shared.MakeGatewayTree();
    const std::filesystem::path gateway = shared.Gateway();
    std::map<std::string, std::vector<MailMessage>> mailboxes;
    std::vector<std::unique_ptr<KelvorRun>> runs;
    std::vector<KelvorWindow> windows;
    for (const std::string& user : Users) {
        mailboxes[user] = Mailbox(user);
        // Each program takes the stand-in's mailbox from its environment when it starts.
        KelvorRun& run =
            *runs.emplace_back(std::make_unique<KelvorRun>(MailboxFile(mailboxes[user])));
        run.Folder().WriteConfiguration(shared.Gateway() + "\r\nkelvor\r\nmail\r\n");
        run.Start(std::wstring(user.begin(), user.end()));
    }
    for (auto& run : runs) {
        windows.emplace_back(run->MainWindow());
        ASSERT_TRUE(windows.back().Handle());
        ASSERT_TRUE(windows.back().ConvertEnabled());
    }

    // Convert in every program at once; a sent click returns when its batch has ended, or once
    // an error box it shows is closed, which none may show.
    std::vector<std::thread> clicks;
    for (const KelvorWindow& window : windows) {
        clicks.emplace_back([&window] {
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window.Control(win32::ConvertButtonId), BM_CLICK, 0, 0, SMTO_NORMAL,
                                60000, &result);
        });
    }
    for (std::thread& click : clicks)
        click.join();
    for (const auto& run : runs) {
        for (const wchar_t* caption : {L"Kelvor", L"Error"}) {
            const ProgramBox box(run->Process(), caption, 0ms);
            EXPECT_FALSE(box) << Ansi(box.Text());
        }
    }

    // Each request by its subject's user and message, against that message.
    std::map<std::string, std::set<int>> delivered;
    std::map<std::string, std::vector<int>> numbers;
    std::set<std::string> attIn;
    for (const auto& entry : std::filesystem::directory_iterator(gateway / "API_IN")) {
        const std::string name = entry.path().filename().string();
        ASSERT_TRUE(name.ends_with(".API")) << name << " left in API_IN";
        const int n = std::stoi(name);
        const std::string request = FileBytes(entry.path());
        const std::size_t subject = request.find("SUBJECT= ") + 9;
        const std::size_t blank = request.find(' ', subject);
        const std::string user = request.substr(subject, blank - subject);
        ASSERT_TRUE(mailboxes.contains(user)) << name << ":\n" << request;
        const int i = std::stoi(request.substr(blank + 1));
        const MailMessage& message = mailboxes[user].at(static_cast<std::size_t>(i));
        EXPECT_EQ(request, RequestBytes(n, message, user)) << name;
        EXPECT_EQ(FileBytes(gateway / "ATT_IN" / (std::to_string(n) + ".MSG")), message.body)
            << name;
        attIn.insert(std::to_string(n) + ".MSG");
        for (std::size_t k = 0; k < message.attachments.size(); ++k) {
            const std::string copy = std::to_string(n) + "." + std::to_string(k);
            EXPECT_EQ(FileBytes(gateway / "ATT_IN" / copy), message.attachments[k].bytes) << copy;
            attIn.insert(copy);
        }
        EXPECT_TRUE(delivered[user].insert(i).second) << user << "'s message " << i << " twice";
        numbers[user].push_back(n);
    }
    std::set<std::string> onDisk;
    for (const auto& entry : std::filesystem::directory_iterator(gateway / "ATT_IN"))
        onDisk.insert(entry.path().filename().string());
    EXPECT_EQ(onDisk, attIn) << "ATT_IN holds only what the requests name";
    for (const std::string& user : Users) {
        EXPECT_EQ(delivered[user].size(), static_cast<std::size_t>(MessagesEach)) << user;
        // Had one batch ended before another began, its numbers would be a block of their own.
        ASSERT_FALSE(numbers[user].empty()) << user;
        const auto [low, high] = std::minmax_element(numbers[user].begin(), numbers[user].end());
        EXPECT_GT(*high - *low + 1, MessagesEach) << user << "'s batch overlapped no other";
    }

    for (std::size_t r = 0; r < runs.size(); ++r) {
        PostMessageW(windows[r].Handle(), WM_CLOSE, 0, 0);
        EXPECT_EQ(runs[r]->Process().WaitForExit(), 0u);
    }
}

} // namespace
} // namespace kelvor::testing_support
