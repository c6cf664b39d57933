#include "tracking/courier_catalogue.h"

#include "text/gbk_text.h"

namespace korvel::tracking {

namespace {

constexpr std::string_view kNameBreak = "\r\n";

// Literals are compiled to GBK, so each name below is already the program's bytes.
constexpr std::array<CourierRow, kCourierCount> kRows = {{
    {"AAE快递", "aae"},
    {"安捷快递", "anjie"},
    {"安信达快递", "anxinda"},
    {"Aramex国际快递", "aramex"},
    {"CCES快递", "cces"},
    {"程光快递", "chengguang"},
    {"传喜快递", "chuanxi"},
    {"传志快递", "chuanzhi"},
    {"东方快递", "coe"},
    {"大田物流", "datian"},
    {"德邦物流", "debang"},
    {"DHL快递", "dhl"},
    {"递四方速递", "disifang"},
    {"DPEX快递", "dpex"},
    {"D速快递", "dsu"},
    {"百福东方物流", "ees"},
    {"EMS快递", "ems"},
    {"国际Fedex", "fedex"},
    {"Fedex国内", "fedexcn"},
    {"原飞航物流", "feihang"},
    {"丰达快递", "fengda"},
    {"飞康达快递", "fkd"},
    {"飞快达快递", "fkdex"},
    {"广东邮政物流", "gdyz"},
    {"共速达物流|快递", "gongsuda"},
    {"天地华宇物流", "huayu"},
    {"汇通快递", "huitong"},
    {"佳吉快运", "jiaji"},
    {"佳怡物流", "jiayi"},
    {"加运美快递", "jiayunmei"},
    {"晋越快递", "jinyue"},
    {"嘉里大通物流", "jldt"},
    {"快捷快递", "kuaijie"},
    {"蓝镖快递", "lanbiao"},
    {"乐捷递快递", "lejiedi"},
    {"联昊通快递", "lianhaotong"},
    {"龙邦快递", "longbang"},
    {"民航快递", "minhang"},
    {"港中能达", "nengda"},
    {"OCS快递", "ocs"},
    {"平安达", "pinganda"},
    {"全晨快递", "quanchen"},
    {"全峰快递", "quanfeng"},
    {"全际通快递", "quanjitong"},
    {"全日通快递", "quanritong"},
    {"全一快递", "quanyi"},
    {"如风达快递", "rufeng"},
    {"三态速递", "santai"},
    {"伟邦(SCS)快递", "scs"},
    {"盛丰物流", "shengfeng"},
    {"盛辉物流", "shenghui"},
    {"顺丰快递", "shunfeng"},
    {"速尔快递", "sure"},
    {"天天快递", "tiantian"},
    {"TNT快递", "tnt"},
    {"UPS", "ups"},
    {"万家物流", "wanjia"},
    {"新邦物流", "xinbang"},
    {"鑫飞鸿速递", "xinfeihong"},
    {"信丰快递", "xinfeng"},
    {"源安达快递", "yad"},
    {"亚风快递", "yafeng"},
    {"一邦快递", "yibang"},
    {"银捷快递", "yinjie"},
    {"优速快递", "yousu"},
    {"北京一统飞鸿快递", "ytfh"},
    {"远成物流", "yuancheng"},
    {"圆通快递", "yuantong"},
    {"元智捷诚", "yuanzhi"},
    {"越丰快递", "yuefeng"},
    {"韵达快递", "yunda"},
    {"运通中港快递", "yuntong"},
    {"源伟丰", "ywfex"},
    {"宅急送快递", "zhaijisong"},
    {"中铁快运", "zhongtie"},
    {"中通快递", "zhongtong"},
    {"忠信达快递", "zhongxinda"},
    {"中邮物流", "zhongyou"},
    {"申通快递", "shentong"},
}};

}  // namespace

const std::array<CourierRow, kCourierCount>& CourierCatalogue::rows() { return kRows; }

const std::string& CourierCatalogue::displayNamesText() {
    static const std::string joined = [] {
        std::string text;
        for (const CourierRow& row : kRows) {
            if (!text.empty()) text += kNameBreak;
            text += row.name;
        }
        return text;
    }();
    return joined;
}

const std::vector<std::string>& CourierCatalogue::displayNames() {
    static const std::vector<std::string> names = text::split(displayNamesText(), kNameBreak);
    return names;
}

const std::string& CourierCatalogue::serviceCodeFor(std::string_view displayName) {
    // Every row is compared; names are unique, so at most one matches.
    for (const CourierRow& row : kRows) {
        if (displayName == row.name) currentCode_ = row.code;
    }
    return currentCode_;
}

}  // namespace korvel::tracking
