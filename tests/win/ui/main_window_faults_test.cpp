// stand-in: tools/tracking_standin.py KORVEL_TRACKING_PORT
// runner: tools/file_limit_runner.py
// Faults met through the real main window: a batch run over a misbehaving
// tracking service, a request that never ends, a save that cannot be written,
// and every damaged or odd template of the fuzz corpus.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "../upgrade/box_answerer.h"
#include "io/file_io_win.h"
#include "io/http_fetch_win.h"
#include "main_window_test_support.h"
#include "query/query_texts.h"
#include "query/tracking_query.h"
#include "text/wide_text_win.h"
#include "tracking/courier_catalogue.h"
#include "tracking/template_file.h"
#include "ui/main_window_elements_win.h"
#include "ui/main_window_win.h"

using namespace korvel;
using namespace korvel::ui;
using namespace korvel::ui::testing;
using korvel::upgrade::testing::BoxAnswerer;
using korvel::upgrade::testing::Press;
using text::toGbk;
using text::toWide;

namespace {

using Texts = std::vector<std::string>;

// --- the tracking stand-in ---------------------------------------------------

std::string standIn(const std::string& path) {
    return korvel::io::httpGet("http://" + trackingEndpoint() + path);
}

// The "nu" of every tracking request the stand-in logged, in order.
Texts loggedNumbers() {
    const std::string log = standIn("/_log");
    Texts numbers;
    for (size_t at = log.find("&nu="); at != std::string::npos; at = log.find("&nu=", at + 1)) {
        const size_t end = log.find("&type=", at);
        numbers.push_back(log.substr(at + 4, end - at - 4));
    }
    return numbers;
}

// A number's block as the program cuts the given reply bytes.
std::string blockFor(const std::string& company, const std::string& number,
                     const std::string& reply) {
    tracking::CourierCatalogue catalogue;
    std::string block;
    query::QueryServices services;
    services.endpoint = trackingEndpoint();
    services.serviceCodeFor = [&](const std::string& name) {
        return std::string(catalogue.serviceCodeFor(name));
    };
    services.fetch = [&](const std::string&) { return reply; };
    services.append = [&](const std::string& piece) {
        block += piece;
        return true;
    };
    query::queryNumber(company, number, services);
    return block;
}

// The reply the stand-in gives for a number, fetched apart from the window.
std::string replyFor(const std::string& company, const std::string& number) {
    tracking::CourierCatalogue catalogue;
    return korvel::io::httpGet(
        query::buildQueryUrl(trackingEndpoint(), catalogue.serviceCodeFor(company), number));
}

size_t lineCount(const std::string& text) {
    size_t n = 0;
    for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
        ++n;
    return n;
}

// Every (company, number) of the tree, in the order a run visits them.
std::vector<std::pair<std::string, std::string>> numbersInTreeOrder(MainWindow& w) {
    std::vector<std::pair<std::string, std::string>> out;
    for (int i = 0; i < w.tree().itemCount(); ++i) {
        const int parent = w.tree().parentOf(i);
        if (parent != -1) out.emplace_back(w.tree().itemText(parent), w.tree().itemText(i));
    }
    return out;
}

class MainWindowQueryFaults : public MainWindowFixture {
  protected:
    MainWindowQueryFaults() : MainWindowFixture("main_window_faults_test.exe") {}
    void SetUp() override {
        ASSERT_FALSE(trackingEndpoint().empty()) << "run through with_standin.py";
        MainWindowFixture::SetUp();
        window_->selectPage(2);
        standIn("/_log/clear");
    }
    void add(const std::string& company, const Texts& numbers) {
        const int at = indexOfText(*window_, company);
        ASSERT_GE(at, 0) << company;
        window_->tree().addItems(at, numbers);
    }
    bool runEnds() {
        return pumpUntil([&] { return window_->statusText() == query::texts::kQueryFinished; },
                         30000);
    }
};

TEST_F(MainWindowQueryFaults, ABatchRunGoesOnPastEveryFaultInItsPlace) {
    MainWindow& w = *window_;
    add("EMS快递", {"JUNK-1", "EM4000001", "JUNK-2"});
    add("顺丰快递", {"SF4000001", "DROP-1", "SF4000002", "E404-1"});
    add("申通快递", {"ST4000001", "SLOW800-1", "E500-1", "ST4000002"});
    const auto visits = numbersInTreeOrder(w);
    ASSERT_EQ(visits.size(), 11u);
    w.toggleQueryRun();
    ASSERT_TRUE(runEnds()) << w.statusText();
    EXPECT_EQ(w.queryButtonCaption(), "开始查询");
    const std::string shown = w.resultText();

    Texts asked;
    for (const auto& visit : visits) asked.push_back(visit.second);
    EXPECT_EQ(loggedNumbers(), asked);  // each number once, in tree order, none skipped

    std::string want;
    for (const auto& [company, number] : visits) {
        SCOPED_TRACE(number);
        const std::string mode = number.substr(0, number.find('-'));
        std::string block;
        if (mode == "E404" || mode == "E500" || mode == "JUNK") {
            // An error page or a reply in no shape of the service's is a
            // failed query: the wrong-number block, no route line.
            block = query::wrongNumberBlock(company, number);
            EXPECT_EQ(blockFor(company, number, replyFor(company, number)), block);
        } else if (mode == "DROP") {
            // A transfer broken off shows the entries that arrived whole,
            // never the full history the stand-in meant to send.
            block = blockFor(company, number, replyFor(company, number));
            const std::string whole = blockFor(company, number, standIn("/_last_body"));
            EXPECT_EQ(lineCount(whole), 302u);  // heading, separator and 300 entries
            EXPECT_GT(lineCount(block), 3u);
            EXPECT_LT(lineCount(block), lineCount(whole));
            const size_t lastLine = block.rfind("\r\n", block.size() - 3) + 2;
            EXPECT_EQ(whole.compare(0, lastLine, block, 0, lastLine), 0)
                << "the lines before the cut are the history's own";
        } else {
            block = blockFor(company, number, replyFor(company, number));
            EXPECT_EQ(block.find(query::texts::kWrongNumber), std::string::npos);
            EXPECT_GE(lineCount(block), 5u);  // separator, heading and at least three entries
        }
        const size_t at = shown.find(block);
        EXPECT_NE(at, std::string::npos) << "block missing or broken";
        want += block;
    }
    EXPECT_TRUE(shown == want) << shown.size() << " bytes shown of " << want.size();
    EXPECT_EQ(shown.find("零字节之后"), std::string::npos);  // the part after a zero byte
}

// Sends msg to hwnd from another thread, as another program would. A window
// held by a request that hangs never answers: the 20 s only turn such a hang
// into a failure.
struct Answer {
    bool answered = false;
    LRESULT result = 0;
};

Answer askFromAnotherThread(HWND hwnd, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
    Answer answer;
    std::atomic<bool> done{false};
    std::thread asker([&] {
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_NORMAL, 20000, &result)) {
            answer.answered = true;
            answer.result = static_cast<LRESULT>(result);
        }
        done = true;
    });
    // This thread goes on running its loop meanwhile, as the program's would.
    pumpUntil([&] { return done.load(); }, 30000);
    asker.join();
    return answer;
}

TEST_F(MainWindowQueryFaults, TheWindowAnswersWhileARequestHangsAndStopsAtOnce) {
    MainWindow& w = *window_;
    add("顺丰快递", {"SF5000001", "HANG-1", "SF5000003"});
    w.toggleQueryRun();
    ASSERT_TRUE(pumpUntil([&] {
        return w.statusText() == "正在为您查询：顺丰快递HANG-1" &&
               loggedNumbers() == Texts{"SF5000001", "HANG-1"} &&
               w.resultText().find("顺丰快递SF5000001") != std::string::npos;
    })) << w.statusText();
    const std::string first = blockFor("顺丰快递", "SF5000001", replyFor("顺丰快递", "SF5000001"));
    EXPECT_EQ(w.resultText(), first);
    standIn("/_log/clear");

    // The stand-in holds the request until it is let go, after the stop:
    // every answer below comes while it hangs. (How fast the window answers
    // during a run is a figure of make bench, query_10k_worst_ui_answer_ms.)
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        EXPECT_TRUE(askFromAnotherThread(w.handle(), WM_NULL).answered);
        const Answer length = askFromAnotherThread(w.resultHandle(), WM_GETTEXTLENGTH);
        EXPECT_TRUE(length.answered);
        EXPECT_EQ(length.result, static_cast<LRESULT>(toWide(first).size()));
    }
    EXPECT_TRUE(w.queryRun().running());
    EXPECT_EQ(w.statusText(), "正在为您查询：顺丰快递HANG-1");

    // The query button posts this command; it is handled while the request hangs.
    const Answer stop =
        askFromAnotherThread(w.handle(), kMsgCommand, static_cast<WPARAM>(MainCommand::Query));
    EXPECT_TRUE(stop.answered);
    EXPECT_EQ(w.queryButtonCaption(), "开始查询");
    EXPECT_EQ(w.statusText(), "已停止查询");
    EXPECT_FALSE(w.queryRun().running());

    // The stand-in answers the held request now, with a real history; the
    // abandoned worker ends without showing it, and the run asks nothing more.
    standIn("/_let_go");
    EXPECT_TRUE(pumpUntil([&] { return w.queryRun().workerCount() == 0; }, 35000));
    // Whatever the worker handed over before it ended has run by now.
    ASSERT_TRUE(pumpPosted());
    EXPECT_EQ(w.resultText(), first);
    EXPECT_EQ(w.statusText(), "已停止查询");
    EXPECT_EQ(w.queryButtonCaption(), "开始查询");
    EXPECT_EQ(loggedNumbers(), Texts{});
}

// --- saving where the file cannot be written ----------------------------------

// Names in a folder (no "." and ".."), sorted.
Texts namesIn(const std::string& folder) {
    Texts names;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW(toWide(folder + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(toGbk(name));
    } while (FindNextFileW(h, &found));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

class MainWindowSaveFaults : public MainWindowFixture {
  protected:
    MainWindowSaveFaults() : MainWindowFixture("main_window_faults_test.exe") {}
    void SetUp() override {
        MainWindowFixture::SetUp();
        folder_ = tempDir() + "\\korvel_save_faults_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryW(toWide(folder_).c_str(), nullptr);
        path_ = folder_ + "\\模版.dat";
    }
    void TearDown() override {
        for (const std::string& name : namesIn(folder_)) {
            const std::wstring file = toWide(folder_ + "\\" + name);
            SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileW(file.c_str());
        }
        RemoveDirectoryW(toWide(folder_).c_str());
        MainWindowFixture::TearDown();
    }

    // Saves the tree as it stands into the template, which must work.
    std::string saveTheOldTemplate() {
        window_->tree().addItems(indexOfText(*window_, "申通快递"), {"ST6000001", "老单号"});
        window_->saveTemplateTo(path_);
        EXPECT_EQ(window_->statusText(), "保存成功");
        const auto bytes = korvel::io::readWholeFile(path_);
        EXPECT_TRUE(bytes && !bytes->empty());
        return bytes.value_or("");
    }

    // Numbers enough that the next template is at least `bytes` long.
    void growTheTree(size_t bytes) {
        const int at = indexOfText(*window_, "顺丰快递");
        int n = 0;
        while (tracking::prepareSave(window_->tree()).bytes.size() < bytes) {
            Texts more;
            for (int i = 0; i < 50; ++i) more.push_back("SF6" + std::to_string(100000 + n++));
            window_->tree().addItems(at, more);
        }
    }

    // Saves through the window while the boxes it opens are answered; the
    // texts of those boxes.
    Texts saveAndReadTheBoxes() {
        window_->setStatusText("");
        BoxAnswerer answerer({Press::Ok});
        window_->saveTemplateTo(path_);
        Texts texts;
        for (const auto& box : answerer.seen()) texts.push_back(box.text);
        EXPECT_FALSE(answerer.timedOut());
        return texts;
    }

    std::string folder_, path_;
};

TEST_F(MainWindowSaveFaults, AReadOnlyTemplateKeepsItsBytesAndTheUserIsTold) {
    const std::string old = saveTheOldTemplate();
    growTheTree(old.size() + 100);
    ASSERT_TRUE(SetFileAttributesW(toWide(path_).c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(saveAndReadTheBoxes(),
              Texts{"模版保存失败，原文件未改动。请检查文件是否只读或磁盘已满。"});
    EXPECT_EQ(window_->statusText(), "");
    EXPECT_EQ(korvel::io::readWholeFile(path_), old);
    EXPECT_EQ(namesIn(folder_), Texts{"模版.dat"});  // nothing left beside it
    EXPECT_TRUE(GetFileAttributesW(toWide(path_).c_str()) & FILE_ATTRIBUTE_READONLY);
}

// The table goes the same safe way: a file that cannot be replaced keeps
// its bytes and the user is told; once it can, the export says so.
TEST_F(MainWindowSaveFaults, AFailedExportKeepsTheOldTableAndTheUserIsTold) {
    const std::string table = folder_ + "\\表格.csv";
    window_->tree().addItems(indexOfText(*window_, "申通快递"), {"ST6000001"});
    window_->exportTableTo(table);
    EXPECT_EQ(window_->statusText(), "导出成功");
    const auto old = korvel::io::readWholeFile(table);
    ASSERT_TRUE(old && old->size() > 3);
    window_->tree().addItems(indexOfText(*window_, "申通快递"), {"ST6000002"});
    ASSERT_TRUE(SetFileAttributesW(toWide(table).c_str(), FILE_ATTRIBUTE_READONLY));

    window_->setStatusText("");
    Texts boxes;
    {
        BoxAnswerer answerer({Press::Ok});
        window_->exportTableTo(table);
        for (const auto& box : answerer.seen()) boxes.push_back(box.text);
        EXPECT_FALSE(answerer.timedOut());
    }
    EXPECT_EQ(boxes,
              Texts{"表格导出失败，原文件未改动。请检查文件是否只读、是否正在表格软件中打开，"
                    "或磁盘已满。"});
    EXPECT_EQ(window_->statusText(), "");
    EXPECT_EQ(korvel::io::readWholeFile(table), old);
    EXPECT_EQ(namesIn(folder_), Texts{"表格.csv"});
}

// A cap on the size of every file this process writes, set by
// tools/file_limit_runner.py on request: a write that would pass it fails
// as a write onto a full disk does, part of the bytes written. (Root, as the
// tests run, ignores permissions and mounting is not to be relied on.)
class FileSizeCap {
  public:
    static bool available() { return std::getenv("KORVEL_FILE_LIMIT") != nullptr; }

    FileSizeCap(const std::string& folder, size_t bytes)
        : probe_(folder + "\\cap-probe"), bytes_(bytes) {
        ask(std::to_string(bytes));
        inForce_ = pumpUntil([&] { return !probeFits(); }, 10000);
    }
    ~FileSizeCap() {
        ask("off");
        pumpUntil([&] { return probeFits(); }, 10000);
        DeleteFileW(toWide(probe_).c_str());
    }
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;

    bool inForce() const { return inForce_; }

  private:
    static void ask(const std::string& value) {
        std::printf("\nkorvel-file-limit: %s\n", value.c_str());
        std::fflush(stdout);
    }
    bool probeFits() const {
        const bool fits = korvel::io::writeWholeFile(probe_, std::string(bytes_ + 1, 'x'));
        DeleteFileW(toWide(probe_).c_str());
        return fits;
    }

    std::string probe_;
    size_t bytes_;
    bool inForce_ = false;
};

TEST_F(MainWindowSaveFaults, AFullDiskKeepsTheOldTemplateAndTheUserIsTold) {
    if (!FileSizeCap::available()) GTEST_SKIP() << "run through tools/file_limit_runner.py";
    const std::string old = saveTheOldTemplate();
    const size_t cap = old.size() + 1024;
    growTheTree(cap + 4096);

    Texts boxes;
    {
        FileSizeCap full(folder_, cap);
        ASSERT_TRUE(full.inForce());
        boxes = saveAndReadTheBoxes();
    }
    EXPECT_EQ(boxes, Texts{"模版保存失败，原文件未改动。请检查文件是否只读或磁盘已满。"});
    EXPECT_EQ(window_->statusText(), "");
    EXPECT_EQ(korvel::io::readWholeFile(path_), old);
    EXPECT_EQ(namesIn(folder_), Texts{"模版.dat"});  // the part written is gone

    // With room again the same tree saves.
    window_->saveTemplateTo(path_);
    EXPECT_EQ(window_->statusText(), "保存成功");
    EXPECT_EQ(korvel::io::readWholeFile(path_), tracking::prepareSave(window_->tree()).bytes);
}

// --- importing every template of the fuzz corpus --------------------------------

// Where two forests first differ, for a failure message: "2.1 expanded 1 / 0".
std::string firstDifference(const std::vector<tracking::TreeItem>& a,
                            const std::vector<tracking::TreeItem>& b, const std::string& at = "") {
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const std::string here = at + std::to_string(i + 1);
        if (i >= a.size() || i >= b.size()) return here + " missing on one side";
        const tracking::ItemState &x = a[i].state, &y = b[i].state;
        auto pair = [](auto u, auto v) { return std::to_string(u) + " / " + std::to_string(v); };
        if (a[i].text != b[i].text) return here + " text '" + a[i].text + "' / '" + b[i].text + "'";
        if (x.image != y.image) return here + " image " + pair(x.image, y.image);
        if (x.selectedImage != y.selectedImage)
            return here + " selected image " + pair(x.selectedImage, y.selectedImage);
        if (x.data != y.data) return here + " data " + pair(x.data, y.data);
        if (x.bold != y.bold) return here + " bold " + pair(x.bold, y.bold);
        if (x.expanded != y.expanded) return here + " expanded " + pair(x.expanded, y.expanded);
        if (x.stateImage != y.stateImage)
            return here + " state image " + pair(x.stateImage, y.stateImage);
        const std::string below = firstDifference(a[i].children, b[i].children, here + ".");
        if (!below.empty()) return below;
    }
    return {};
}

// KORVEL_SOURCE_DIR is a Unix path; Wine maps the Unix root to drive Z:.
std::string corpusFolder() {
    const char* source = std::getenv("KORVEL_SOURCE_DIR");
    if (!source) return {};
    std::string path = std::string("Z:") + source + "/tests/fuzz/corpus/template_file";
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

class MainWindowImportFaults : public MainWindowFixture {
  protected:
    MainWindowImportFaults() : MainWindowFixture("main_window_faults_test.exe") {}
};

TEST_F(MainWindowImportFaults, EveryCorpusFileIsRefusedWithoutChangeOrImportedWhole) {
    const std::string folder = corpusFolder();
    if (folder.empty()) GTEST_SKIP() << "needs KORVEL_SOURCE_DIR";
    const Texts names = namesIn(folder);
    ASSERT_GT(names.size(), 50u);
    MainWindow& w = *window_;
    w.selectPage(2);
    w.tree().addItems(indexOfText(w, "顺丰快递"), {"SF7000001", "SF7000002"});
    w.tree().expand(indexOfText(w, "顺丰快递"));

    int accepted = 0, refused = 0;
    BoxAnswerer answerer(std::vector<Press>(names.size(), Press::Ok));
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const std::string path = folder + "\\" + name;
        const auto bytes = korvel::io::readWholeFile(path);
        ASSERT_TRUE(bytes);
        const auto decoded = tracking::TemplateFile::decode(*bytes);
        const auto before = w.tree().snapshot();
        const size_t boxesBefore = answerer.seen().size();
        w.setStatusText("");

        w.importTemplateFrom(path);
        const auto after = w.tree().snapshot();
        if (answerer.seen().size() > boxesBefore) {
            ++refused;
            ASSERT_EQ(answerer.seen().size(), boxesBefore + 1);
            EXPECT_EQ(answerer.seen().back().text, "文件被损坏");
            EXPECT_FALSE(decoded.has_value()) << "a whole file was refused";
            EXPECT_TRUE(after == before)
                << "a refused file changed the tree at " << firstDifference(after, before);
            EXPECT_EQ(w.statusText(), "");
        } else {
            ++accepted;
            EXPECT_EQ(w.statusText(), "导入成功");
            ASSERT_TRUE(decoded.has_value()) << "a damaged file was imported";
            EXPECT_TRUE(after == *decoded) << "the tree does not hold what the file says at "
                                           << firstDifference(after, *decoded);
        }
    }
    EXPECT_FALSE(answerer.timedOut());
    EXPECT_EQ(answerer.unexpected(), 0);
    // The corpus holds both kinds, or the test proves little.
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace

namespace {

// A file the user can pick and the program must not take in: 1.2 GB, sparse,
// starting like a template and ending like one; then the same file locked.
TEST_F(MainWindowImportFaults, HugeAndLockedFilesChangeNothingAndEndNothing) {
    const std::string path =
        dir() + "\\korvel_huge_" + std::to_string(GetCurrentProcessId()) + ".dat";
    const std::wstring wide = korvel::text::toWide(path);
    struct RemovedAtEnd {
        const std::wstring& path;
        ~RemovedAtEnd() { DeleteFileW(path.c_str()); }
    } removed{wide};
    {
        HANDLE h = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        const std::string head = "模版文件%-/", tail = "%-/模版文件尾";
        DWORD done = 0;
        WriteFile(h, head.data(), static_cast<DWORD>(head.size()), &done, nullptr);
        LARGE_INTEGER at{};
        at.QuadPart = (1200LL << 20) - static_cast<LONGLONG>(tail.size());
        ASSERT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
        WriteFile(h, tail.data(), static_cast<DWORD>(tail.size()), &done, nullptr);
        CloseHandle(h);
    }
    MainWindow& w = *window_;
    w.tree().addItems(indexOfText(w, "顺丰快递"), {"SF7000001"});
    const auto before = w.tree().snapshot();
    const LRESULT picture = SendMessageW(w.handle(), 10241, 0, 0);  // the background's image

    BoxAnswerer answerer({Press::Ok, Press::Ok});
    w.setStatusText("");
    w.importTemplateFrom(path);
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen().back().text, "文件被损坏");
    EXPECT_TRUE(w.tree().snapshot() == before);
    w.loadBackgroundFrom(path);
    EXPECT_EQ(SendMessageW(w.handle(), 10241, 0, 0), picture);

    // Held open by another without sharing: it cannot be read, which counts as empty.
    HANDLE lock = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    w.importTemplateFrom(path);
    ASSERT_EQ(answerer.seen().size(), 2u);
    EXPECT_EQ(answerer.seen().back().text, "文件被损坏");
    EXPECT_TRUE(w.tree().snapshot() == before);
    EXPECT_EQ(w.statusText(), "");
    CloseHandle(lock);
    EXPECT_FALSE(answerer.timedOut());
    EXPECT_EQ(answerer.unexpected(), 0);
}

}  // namespace
