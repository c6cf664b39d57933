#include "tracking/tracking_workspace.h"

#include <gtest/gtest.h>

#include <deque>

#include "tracking/courier_catalogue.h"
#include "tracking/memory_tree.h"

using namespace korvel::tracking;

namespace {

using Texts = std::vector<std::string>;

constexpr int kShunfeng = 51;  // 顺丰快递's index in a freshly filled tree
constexpr int kEms = 16;

// Scripted answers for the dialogs and a record of every UI call.
struct FakeUi {
    std::deque<std::optional<std::string>> inputs;
    std::deque<int> answers;
    struct Asked {
        std::string text, title;
        int buttonSet;
    };
    std::vector<Asked> questions;
    std::vector<std::pair<std::string, std::string>> prompts;  // prompt, title
    int focusCount = 0;
    std::vector<Texts> courierFills;

    WorkspaceUi callbacks() {
        WorkspaceUi ui;
        ui.inputBox = [this](std::string_view prompt, std::string_view title) {
            prompts.emplace_back(prompt, title);
            std::optional<std::string> typed;
            if (!inputs.empty()) {
                typed = inputs.front();
                inputs.pop_front();
            }
            return typed;
        };
        ui.showMessageBox = [this](std::string_view text, std::string_view title, int set) {
            questions.push_back({std::string(text), std::string(title), set});
            int answer = 1;
            if (!answers.empty()) {
                answer = answers.front();
                answers.pop_front();
            }
            return answer;
        };
        ui.focusTree = [this] { ++focusCount; };
        ui.fillCourierBox = [this](const Texts& names) { courierFills.push_back(names); };
        return ui;
    }
};

struct Workspace {
    MemoryTree tree;
    FakeUi ui;
    TrackingWorkspace workspace{tree, ui.callbacks()};

    Workspace() { workspace.fillCompanies(true); }

    Texts childrenOf(int company) const {
        Texts texts;
        for (int i = company + 1; i < tree.itemCount() && tree.parentOf(i) == company; ++i)
            texts.push_back(tree.itemText(i));
        return texts;
    }
    void addTyped(int company, const std::string& typed) {
        tree.select(company);
        ui.inputs.push_back(typed);
        workspace.addNumbers();
    }
};

TEST(TrackingWorkspace, FillCompaniesFillsTreeAndCourierBoxOnce) {
    Workspace w;
    ASSERT_EQ(w.tree.itemCount(), 79);
    for (int i = 0; i < 79; ++i) {
        EXPECT_EQ(w.tree.itemText(i), CourierCatalogue::rows()[i].name) << i;
        EXPECT_EQ(w.tree.parentOf(i), -1) << i;
    }
    ASSERT_EQ(w.ui.courierFills.size(), 1u);
    EXPECT_EQ(w.ui.courierFills[0], CourierCatalogue::displayNames());
    EXPECT_EQ(w.tree.itemText(kShunfeng), "顺丰快递");
}

TEST(TrackingWorkspace, AddNumbers) {
    struct Case {
        const char* name;
        std::optional<std::string> typed;  // nullopt = cancelled
        Texts added;
        bool expandedAndFocused;
    } cases[] = {
        {"three in order", "111 222 333", {"111", "222", "333"}, true},
        {"blanks around", "  SF1001  ", {"SF1001"}, true},
        {"runs of blanks skipped", "a   b", {"a", "b"}, true},
        {"full-width blanks around", "\xA1\xA1x\xA1\xA1", {"x"}, true},
        {"full-width only", "\xA1\xA1\xA1\xA1", {}, true},
        {"full-width inside stays",
         "a\xA1\xA1"
         "b",
         {"a\xA1\xA1"
          "b"},
         true},
        {"duplicates allowed", "000 000", {"000", "000"}, true},
        {"GBK numbers", "单号一 单号二", {"单号一", "单号二"}, true},
        {"empty", "", {}, false},
        {"spaces only", "    ", {}, false},
        {"cancelled", std::nullopt, {}, false},
    };
    for (const auto& c : cases) {
        Workspace w;
        w.tree.addItems(kShunfeng, {"000"});  // an existing number stays first
        w.tree.select(kShunfeng);
        w.ui.inputs.push_back(c.typed);
        w.workspace.addNumbers();

        Texts want{"000"};
        want.insert(want.end(), c.added.begin(), c.added.end());
        EXPECT_EQ(w.childrenOf(kShunfeng), want) << c.name;
        EXPECT_EQ(w.tree.itemCount(), 80 + static_cast<int>(c.added.size())) << c.name;
        EXPECT_EQ(w.tree.itemState(kShunfeng).expanded, c.expandedAndFocused) << c.name;
        EXPECT_EQ(w.ui.focusCount, c.expandedAndFocused ? 1 : 0) << c.name;
        EXPECT_EQ(w.tree.selectedIndex(), kShunfeng) << c.name;
        EXPECT_TRUE(w.ui.questions.empty()) << c.name;
        EXPECT_EQ(w.tree.itemText(kShunfeng + static_cast<int>(want.size()) + 1), "速尔快递")
            << c.name;
        ASSERT_EQ(w.ui.prompts.size(), 1u);
        EXPECT_EQ(w.ui.prompts[0].first, "输入单号，多单号间用空格隔开");
        EXPECT_EQ(w.ui.prompts[0].second, "输入单号");
    }
}

TEST(TrackingWorkspace, AddNumbersNeedsASelectedCompany) {
    Workspace w;
    w.tree.addItems(0, {"n1"});
    for (int selected : {-1, 1}) {  // nothing, a number entry
        w.tree.select(selected);
        w.ui.inputs = {"x"};
        w.workspace.addNumbers();
        w.workspace.openNumberDialog();
        EXPECT_EQ(w.ui.inputs.size(), 1u) << selected;
    }
    EXPECT_TRUE(w.ui.prompts.empty());
    EXPECT_EQ(w.tree.itemCount(), 80);
    w.ui.inputs.clear();

    w.tree.select(0);
    w.ui.inputs.push_back("n2");
    w.workspace.openNumberDialog();  // Enter / double-click on a company entry
    EXPECT_EQ(w.childrenOf(0), (Texts{"n1", "n2"}));
}

TEST(TrackingWorkspace, ChangeNumber) {
    struct Case {
        const char* name;
        std::optional<std::string> typed;
        std::string want;
        bool focused;
    } cases[] = {
        {"inner blank kept", "ab cd", "ab cd", true},
        {"trimmed", " \xA1\xA1SF9 ", "SF9", true},
        {"full-width only keeps the number", "\xA1\xA1", "old", true},
        {"spaces only", "   ", "old", false},
        {"empty", "", "old", false},
        {"cancelled", std::nullopt, "old", false},
    };
    for (const auto& c : cases) {
        Workspace w;
        w.tree.addItems(kEms, {"old", "other"});
        w.tree.select(kEms + 1);
        w.ui.inputs.push_back(c.typed);
        w.workspace.changeNumber();
        EXPECT_EQ(w.childrenOf(kEms), (Texts{c.want, "other"})) << c.name;
        EXPECT_EQ(w.ui.focusCount, c.focused ? 1 : 0) << c.name;
        ASSERT_EQ(w.ui.prompts.size(), 1u);
        EXPECT_EQ(w.ui.prompts[0].first, "输入单号");
        EXPECT_EQ(w.ui.prompts[0].second, "输入单号");
    }
}

TEST(TrackingWorkspace, ChangeAndDeleteLeaveCompanyEntriesAlone) {
    Workspace w;
    w.tree.select(kEms);
    w.ui.inputs.push_back("renamed");
    w.workspace.changeNumber();
    w.workspace.deleteNumber();
    EXPECT_EQ(w.tree.itemText(kEms), "EMS快递");
    EXPECT_EQ(w.tree.itemCount(), 79);
    EXPECT_TRUE(w.ui.prompts.empty());
}

TEST(TrackingWorkspace, InputTextIsSharedAndOutlivesTheDialogs) {
    Workspace w;
    w.addTyped(0, "  first  ");
    EXPECT_EQ(w.workspace.inputText(), "first");
    w.tree.select(1);
    w.ui.inputs.push_back(std::nullopt);
    w.workspace.changeNumber();
    EXPECT_EQ(w.workspace.inputText(), "first");  // a cancel keeps it
    w.addTyped(0, "   ");
    EXPECT_EQ(w.workspace.inputText(), "   ");  // typed text is kept even when refused
    w.tree.select(1);
    w.ui.inputs.push_back(" second ");
    w.workspace.changeNumber();
    EXPECT_EQ(w.workspace.inputText(), "second");
}

TEST(TrackingWorkspace, DeleteNumberRemovesOnlyTheSelected) {
    Workspace w;
    w.tree.addItems(kEms, {"e1", "e2", "e3"});
    w.tree.select(kEms + 2);
    w.workspace.deleteNumber();
    EXPECT_EQ(w.childrenOf(kEms), (Texts{"e1", "e3"}));
    EXPECT_TRUE(w.ui.questions.empty());
}

TEST(TrackingWorkspace, DeleteCompanyNumbers) {
    struct Case {
        const char* name;
        int selectedOffset;  // 0 = the company entry, 2 = its second number
        int answer;
        bool deleted;
    } cases[] = {
        {"from the company, confirmed", 0, 0, true},
        {"from a number, confirmed", 2, 0, true},
        {"cancelled", 0, 1, false},
        {"closed", 2, 2, false},
        {"other result", 0, 6, false},
    };
    for (const auto& c : cases) {
        Workspace w;
        w.tree.addItems(kEms, {"e1", "e2", "e3"});
        w.tree.addItems(kEms + 4, {"f1"});  // 国际Fedex, right after
        w.tree.addItems(kEms - 1, {"d1"});  // 百福东方物流, right before
        const int ems = kEms + 1;
        w.tree.select(ems + c.selectedOffset);
        w.ui.answers.push_back(c.answer);
        w.workspace.deleteCompanyNumbers();

        ASSERT_EQ(w.ui.questions.size(), 1u) << c.name;
        EXPECT_EQ(w.ui.questions[0].text, "你确定要删除该公司下全部单号么？");
        EXPECT_EQ(w.ui.questions[0].title, "询问");
        EXPECT_EQ(w.ui.questions[0].buttonSet, 1);
        EXPECT_EQ(w.tree.itemText(ems), "EMS快递") << c.name;
        EXPECT_EQ(w.childrenOf(ems), c.deleted ? Texts{} : (Texts{"e1", "e2", "e3"})) << c.name;
        EXPECT_EQ(w.childrenOf(ems - 2), (Texts{"d1"})) << c.name;
        const int fedex = c.deleted ? ems + 1 : ems + 4;
        EXPECT_EQ(w.tree.itemText(fedex), "国际Fedex") << c.name;
        EXPECT_EQ(w.childrenOf(fedex), (Texts{"f1"})) << c.name;
        EXPECT_EQ(w.tree.itemCount(), c.deleted ? 81 : 84) << c.name;
    }
}

TEST(TrackingWorkspace, DeleteCompanyNumbersWithNothingSelectedAsksNothing) {
    Workspace w;
    w.tree.addItems(0, {"a"});
    w.ui.answers.push_back(0);
    w.workspace.deleteCompanyNumbers();
    EXPECT_TRUE(w.ui.questions.empty());
    EXPECT_EQ(w.tree.itemCount(), 80);
}

TEST(TrackingWorkspace, DeleteAllNumbers) {
    for (int answer : {0, 1}) {
        Workspace w;
        w.addTyped(0, "a b");
        w.addTyped(78, "c");
        w.tree.select(1);
        w.ui.answers.push_back(answer);
        w.workspace.deleteAllNumbers();
        ASSERT_EQ(w.ui.questions.size(), 1u);
        EXPECT_EQ(w.ui.questions[0].text, "你确定要删除全部单号么？");
        EXPECT_EQ(w.ui.questions[0].title, "询问");
        EXPECT_EQ(w.ui.questions[0].buttonSet, 1);
        EXPECT_EQ(w.ui.courierFills.size(), 1u);  // the courier box is never filled twice
        if (answer == 0) {
            EXPECT_EQ(w.tree.itemCount(), 79);
            EXPECT_EQ(w.tree.selectedIndex(), -1);
            for (int i = 0; i < 79; ++i)
                EXPECT_EQ(w.tree.itemText(i), CourierCatalogue::rows()[i].name);
        } else {
            EXPECT_EQ(w.tree.itemCount(), 82);
            EXPECT_EQ(w.tree.selectedIndex(), 1);
        }
    }
}

TEST(TrackingWorkspace, DeleteAllAfterAnImportBringsEveryCompanyBack) {
    Workspace w;
    w.tree.replaceAll({{"申通快递", {}, {{"ST1", {}, {}}}}});
    w.ui.answers.push_back(0);
    w.workspace.deleteAllNumbers();
    EXPECT_EQ(w.tree.snapshot().size(), 79u);
    EXPECT_EQ(w.tree.itemCount(), 79);
}

TEST(TrackingWorkspace, Locate) {
    // Tree: AAE快递 0, dup 1, solo 2, 安捷快递 3, ..., EMS快递 18, ...,
    // 中邮物流 79, dup 80, 申通快递 81; 安捷快递 is selected first.
    struct Case {
        std::string text;
        int want;  // selected index afterwards
        int focus;
    } cases[] = {
        {"EMS快递", 18, 1}, {"申通快递", 81, 1},
        {"ems快递", 3, 0},  // case-sensitive: no match, selection kept
        {"dup", 80, 2},     // every match focuses; the last one stays selected
        {"solo", 2, 1},     // number entries are compared too
        {"", 3, 0},
    };
    for (const auto& c : cases) {
        Workspace w;
        w.tree.addItems(0, {"dup", "solo"});
        w.tree.addItems(77 + 2, {"dup"});  // under 中邮物流
        w.tree.select(3);
        w.workspace.locate(c.text);
        EXPECT_EQ(w.tree.selectedIndex(), c.want) << c.text;
        EXPECT_EQ(w.ui.focusCount, c.focus) << c.text;
    }
}

TEST(TreeMenu, EnabledItemsFollowTheClickedEntry) {
    MemoryTree tree;
    tree.addItems(-1, {"empty company", "company"});
    tree.addItems(1, {"number"});
    struct Case {
        int index;
        TreeMenuState want;
        bool opensDialog;
    } cases[] = {
        {0, {true, false, false, false}, true},
        {1, {true, false, false, true}, true},
        {2, {false, true, true, true}, false},
        {-1, {}, false},
        {3, {}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(treeMenuStateFor(tree, c.index), c.want) << c.index;
        EXPECT_EQ(opensNumberDialog(tree, c.index), c.opensDialog) << c.index;
    }
}

}  // namespace
