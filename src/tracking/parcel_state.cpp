#include "tracking/parcel_state.h"

#include <array>

#include "text/gbk_text.h"

namespace korvel::tracking {

namespace {

// Words couriers use when a parcel is stuck, refused or on its way back.
constexpr std::array<std::string_view, 20> kProblemWords = {
    "拒签", "拒收",     "退回",     "退件",     "问题件",   "疑难",     "异常",
    "滞留", "留仓",     "无法派送", "无法投递", "无法联系", "联系不上", "无人接听",
    "失败", "地址不详", "地址错误", "未妥投",   "超区",     "丢失"};

// In the order of ParcelState.
constexpr std::array<std::string_view, kParcelStateCount> kStateNames = {
    "运输中", "派件中", "已签收", "疑难", "单号错误"};

constexpr std::string_view kSigned = "签收";
// Phrases that hold 签收 but say it has not happened yet.
constexpr std::array<std::string_view, 5> kNotYetSigned = {"未签收", "待签收", "准备签收", "请签收",
                                                           "请您签收"};
constexpr std::array<std::string_view, 2> kDeliveredWords = {"妥投", "已投递"};
constexpr std::array<std::string_view, 4> kOnTheWayOutWords = {"派件", "派送", "正在投递",
                                                               "安排投递"};

int occurrences(std::string_view text, std::string_view word) {
    int count = 0;
    for (int at = text::find(text, word); at != -1;
         at = text::find(text, word, at + static_cast<int>(word.size())))
        ++count;
    return count;
}

template <size_t N>
bool holdsAny(std::string_view text, const std::array<std::string_view, N>& words) {
    for (std::string_view word : words) {
        if (text::find(text, word) != -1) return true;
    }
    return false;
}

bool saysSigned(std::string_view context) {
    int notYet = 0;
    for (std::string_view phrase : kNotYetSigned) notYet += occurrences(context, phrase);
    return occurrences(context, kSigned) > notYet;
}

}  // namespace

std::string_view parcelStateName(ParcelState state) {
    return kStateNames[static_cast<size_t>(state)];
}

ParcelState classifyContext(std::string_view context) {
    if (holdsAny(context, kProblemWords)) return ParcelState::Problem;
    if (saysSigned(context) || holdsAny(context, kDeliveredWords)) return ParcelState::Delivered;
    if (holdsAny(context, kOnTheWayOutWords)) return ParcelState::OutForDelivery;
    return ParcelState::InTransit;
}

void ParcelOutcomeBuilder::add(std::string_view time, std::string_view context) {
    if (count_ == 0 || time > firstGreatest_.time)
        firstGreatest_ = {std::string(time), std::string(context)};
    if (count_ == 0 || time >= lastGreatest_.time)
        lastGreatest_ = {std::string(time), std::string(context)};
    if (count_ == 0) firstTime_ = time;
    lastTime_ = time;
    ++count_;
}

ParcelOutcome ParcelOutcomeBuilder::finish() const {
    if (count_ == 0) return {};
    // Oldest first: of equal newest times the later entry happened last.
    const Entry& newest = firstTime_ < lastTime_ ? lastGreatest_ : firstGreatest_;
    return {classifyContext(newest.context), newest.time, newest.context};
}

}  // namespace korvel::tracking
