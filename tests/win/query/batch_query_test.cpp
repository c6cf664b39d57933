// stand-in: tools/tracking_standin.py KORVEL_TRACKING_PORT
// The batch run as the program wires it: the worker's calls come through the
// hidden window of the UI thread (this test's thread), requests go to the
// stand-in through WinINet, and the blocks land in a real multi-line EDIT.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "../message_pump.h"
#include "io/http_fetch_win.h"
#include "query/query_run.h"
#include "query/query_texts.h"
#include "query/tracking_query.h"
#include "query/ui_thread_call_win.h"
#include "tracking/courier_catalogue.h"
#include "tracking/memory_tree.h"
#include "ui/result_box_win.h"
#include "ui/result_view_win.h"

using namespace korvel::query;
using korvel::tracking::CourierCatalogue;
using korvel::tracking::MemoryTree;
using korvel::ui::ResultBox;

namespace {

using Texts = std::vector<std::string>;

std::string endpoint() {
    const char* port = std::getenv("KORVEL_TRACKING_PORT");
    return std::string("127.0.0.1:") + (port ? port : "0");
}

using korvel::wine_test::pumpPosted;
using korvel::wine_test::pumpUntil;

// A result view as the main window makes it.
HWND makeEdit() {
    static const HWND host = [] {
        korvel::ui::registerResultView();
        return CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                               nullptr, nullptr, nullptr);
    }();
    return CreateWindowExW(WS_EX_CLIENTEDGE, korvel::ui::kResultViewClass, L"",
                           WS_CHILD | WS_VSCROLL, 0, 0, 400, 300, host, nullptr, nullptr, nullptr);
}

// The "nu" of every tracking request the stand-in logged, in order.
Texts loggedNumbers() {
    const std::string log = korvel::io::httpGet("http://" + endpoint() + "/_log");
    Texts numbers;
    for (size_t at = log.find("&nu="); at != std::string::npos; at = log.find("&nu=", at + 1)) {
        const size_t end = log.find("&type=", at);
        numbers.push_back(log.substr(at + 4, end - at - 4));
    }
    return numbers;
}

// What one number's block must read, cut from the stand-in's own reply.
std::string expectedBlock(const std::string& company, const std::string& number) {
    static CourierCatalogue catalogue;
    std::string text;
    QueryServices services;
    services.endpoint = endpoint();
    services.serviceCodeFor = [](const std::string& name) {
        return std::string(catalogue.serviceCodeFor(name));
    };
    services.fetch = [](const std::string& url) { return korvel::io::httpGet(url); };
    services.append = [&](const std::string& piece) {
        text += piece;
        return true;
    };
    queryNumber(company, number, services);
    return text;
}

class Window : public QueryUi {
  public:
    Window()
        : edit_(CreateWindowExW(0, L"EDIT", L"",
                                WS_POPUP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL,
                                0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr)),
          box_(edit_) {}
    ~Window() override { DestroyWindow(edit_); }

    std::string queryButtonCaption() const override { return caption; }
    void setQueryButtonCaption(const std::string& text) override { caption = text; }
    void setStatusText(const std::string& text) override { status = text; }
    void showProgress(const std::string& text) override { status = text; }
    void setResultText(const std::string& text) override { box_.setText(text); }
    void appendResultText(const std::string& text) override { box_.append(text); }
    std::string result() const { return box_.text(); }

    std::string caption = std::string(texts::kStartQuery);
    std::string status;

  private:
    HWND edit_;
    ResultBox box_;
};

class BatchQuery : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(std::getenv("KORVEL_TRACKING_PORT"), nullptr) << "run through with_standin.py";
        tree.addItems(-1, CourierCatalogue::displayNames());
        korvel::io::httpGet("http://" + endpoint() + "/_log/clear");
    }
    void add(const std::string& company, const Texts& numbers) {
        for (int i = 0; i < tree.itemCount(); ++i) {
            if (tree.parentOf(i) == -1 && tree.itemText(i) == company) tree.addItems(i, numbers);
        }
    }
    bool finished() {
        return pumpUntil([&] { return window.status == std::string(texts::kQueryFinished); });
    }

    MemoryTree tree;
    Window window;
    QueryRun run{tree, window, makeUiThreadCall(), endpoint(),
                 [](const std::string& url, korvel::io::StopSignal& stop) {
                     return korvel::io::httpGet(url, stop);
                 }};
};

TEST_F(BatchQuery, QueriesCompaniesInTreeOrderAndNumbersInTheirOrder) {
    add("申通快递", {"268000111222"});
    add("顺丰快递", {"SF1001234", "SF1001235"});
    add("EMS快递", {"12"});  // unknown to the service: the wrong-number block
    run.toggleQueryRun();
    EXPECT_EQ(window.caption, std::string(texts::kStopQuery));
    ASSERT_TRUE(finished());
    EXPECT_EQ(window.caption, std::string(texts::kStartQuery));
    EXPECT_EQ(loggedNumbers(), (Texts{"12", "SF1001234", "SF1001235", "268000111222"}));
    const std::string want =
        expectedBlock("EMS快递", "12") + expectedBlock("顺丰快递", "SF1001234") +
        expectedBlock("顺丰快递", "SF1001235") + expectedBlock("申通快递", "268000111222");
    EXPECT_NE(want.find("单号错误"), std::string::npos);
    EXPECT_TRUE(window.result() == want) << window.result().size() << " of " << want.size();
}

// The third number is held unanswered until after the stop, so the stop
// always meets the run at it; a stop that waited for the request would
// never come back.
TEST_F(BatchQuery, StopDuringTheThirdOfFiveShowsNothingMore) {
    add("顺丰快递", {"SF0000001", "SF0000002", "HANG-3", "SF0000004", "SF0000005"});
    run.toggleQueryRun();
    ASSERT_TRUE(pumpUntil([&] { return loggedNumbers().size() == 3; }));
    run.toggleQueryRun();
    EXPECT_EQ(window.caption, std::string(texts::kStartQuery));
    EXPECT_EQ(window.status, std::string(texts::kQueryStopped));
    // The held request answered now: the abandoned reply never shows, nothing
    // else is asked.
    korvel::io::httpGet("http://" + endpoint() + "/_let_go");
    ASSERT_TRUE(pumpUntil([&] { return run.workerCount() == 0; }));
    ASSERT_TRUE(pumpPosted());
    EXPECT_EQ(window.result(),
              expectedBlock("顺丰快递", "SF0000001") + expectedBlock("顺丰快递", "SF0000002"));
    EXPECT_EQ(window.status, std::string(texts::kQueryStopped));
    EXPECT_EQ(loggedNumbers().size(), 5u);  // the two expectedBlock fetches
}

TEST_F(BatchQuery, SecondStartClearsTheBoxAndQueriesAgain) {
    add("AAE快递", {"AE1234567"});
    run.toggleQueryRun();
    ASSERT_TRUE(finished());
    const std::string first = window.result();
    EXPECT_EQ(first, expectedBlock("AAE快递", "AE1234567"));
    window.status.clear();
    run.toggleQueryRun();
    EXPECT_EQ(window.result(), "");
    ASSERT_TRUE(finished());
    EXPECT_EQ(window.result(), first);
}

TEST_F(BatchQuery, ShutdownWhileARequestIsInFlight) {
    add("顺丰快递", {"HANG-1", "SF0000002"});
    run.toggleQueryRun();
    ASSERT_TRUE(pumpUntil([&] { return loggedNumbers().size() == 1; }));
    run.shutdown();
    korvel::io::httpGet("http://" + endpoint() + "/_let_go");
    ASSERT_TRUE(pumpUntil([&] { return run.workerCount() == 0; }));
    EXPECT_EQ(window.result(), "");
    EXPECT_EQ(loggedNumbers().size(), 1u);
}

TEST(ResultBox, LongTextIsKeptWholeAndTheReadersViewStaysPut) {
    HWND edit = makeEdit();
    ASSERT_NE(edit, nullptr);
    ResultBox box(edit);
    box.setText("申通快递268000111222\r\n");
    EXPECT_EQ(box.text(), "申通快递268000111222\r\n");
    std::string want = box.text();
    // Far beyond the 30,000 characters an EDIT holds by default.
    const std::string line = "2012-05-02 08:00:00 快件已到达【上海转运中心】\r\n";
    for (int i = 0; i < 2000; ++i) {
        box.append(line);
        want += line;
    }
    box.append("");
    EXPECT_EQ(box.text().size(), want.size());
    EXPECT_TRUE(box.text() == want);
    // Appends never move what the reader looks at or has selected: the view
    // stayed at the top, and a view and selection of the reader's own stay.
    const auto firstVisible = [&] { return SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0); };
    EXPECT_EQ(firstVisible(), 0);
    SendMessageW(edit, EM_SETSEL, 30, 40);
    SendMessageW(edit, EM_LINESCROLL, 0, 50);
    const LRESULT reading = firstVisible();
    EXPECT_GE(reading, 40);
    for (int i = 0; i < 20; ++i) box.append(line);
    EXPECT_EQ(firstVisible(), reading);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 30u);
    EXPECT_EQ(end, 40u);
    box.setText("");
    EXPECT_EQ(box.text(), "");
    DestroyWindow(edit);
}

TEST(ResultBox, WrapsLongLinesAtBlanksAndBetweenChineseCharacters) {
    HWND edit = makeEdit();
    ASSERT_NE(edit, nullptr);
    SetWindowPos(edit, nullptr, 0, 0, 120, 300, SWP_NOZORDER | SWP_NOMOVE);
    ResultBox box(edit);
    auto firstLine = [&] {
        wchar_t buffer[256] = {};
        buffer[0] = static_cast<wchar_t>(255);
        const auto n = SendMessageW(edit, EM_GETLINE, 0, reinterpret_cast<LPARAM>(buffer));
        return std::wstring(buffer, static_cast<size_t>(n));
    };
    box.setText("alpha bravo charlie delta echo foxtrot golf hotel");
    EXPECT_GT(SendMessageW(edit, EM_GETLINECOUNT, 0, 0), 2);
    const std::wstring line = firstLine();
    ASSERT_FALSE(line.empty());
    EXPECT_TRUE(line.back() == L' ' || line.back() == L'o') << box.text();  // whole words only
    box.setText("快件已从【兰州转运中心】发出，下一站【乌鲁木齐】，快件已到达【上海转运中心】");
    EXPECT_GT(SendMessageW(edit, EM_GETLINECOUNT, 0, 0), 2);
    EXPECT_EQ(box.text(),
              "快件已从【兰州转运中心】发出，下一站【乌鲁木齐】，快件已到达【上海转运中心】");
    DestroyWindow(edit);
}

}  // namespace
