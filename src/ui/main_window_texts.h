// Every text of the main window a user can see, in one place (GBK literals).
#pragma once

namespace korvel::ui::texts {

inline constexpr char kProductName[] = "Korvel运单助手";
inline constexpr char kSearchCaption[] = "快速搜索定位快递";
inline constexpr char kStatus[] = "状态";
inline constexpr char kVersionTextBefore[] =
    "Korvel运单助手\r\n\r\n支持79种主流快递商无验证码批量实时查询运单状态\r\n\r\n版本：V ";
inline constexpr char kThanks[] =
    "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n快递员真的很幸苦\r\n"
    "作者曾经打入快递内部底层，快递员使用汗水换来我们的肯定！\r\n"
    "请大家在收寄件时多说一声谢谢，哪怕只是一个笑容，都将让酷夏不热，寒冬不冷";
inline constexpr char kNotice[] =
    "亲 十分抱歉,数据还未采集完善。请亲不要放弃我们哦,您的支持就是我们最牛的动力!\r\n"
    "如果您有更好的建议或意见请联系下方\r\n"
    "support@korvel.example";
inline constexpr char kTabHome[] = "首页";
inline constexpr char kTabQuery[] = "单号查询";
inline constexpr char kTabOutlets[] = "网点查询";
inline constexpr char kPageHome[] = "首页";
inline constexpr char kPageQuery[] = "查询快递";
inline constexpr char kPageOutlets[] = "网点查询";
inline constexpr char kTile[] = "投放各种商业广告推广";
inline constexpr char kLocate[] = "定位";
inline constexpr char kImport[] = "导入历史模版";
inline constexpr char kStartQuery[] = "开始查询";
inline constexpr char kSave[] = "保存模版";

// Menus.
inline constexpr char kMenuAddNumbers[] = "曾加新单号";
inline constexpr char kMenuChangeNumber[] = "修改单号";
inline constexpr char kMenuDeleteNumber[] = "删除单号";
inline constexpr char kMenuDeleteCompany[] = "删除该公司下单号";
inline constexpr char kMenuDeleteAll[] = "删除全部单号";
inline constexpr char kMenuQueryOpen[] = "查询未签收";
inline constexpr char kMenuExport[] = "导出表格";
inline constexpr char kMenuUpgrade[] = "在线升级";
inline constexpr char kMenuAbout[] = "关于";

// File dialog filters.
inline constexpr char kSaveFilter[] = "（模版文件.dat）|*.dat";
inline constexpr char kImportFilter[] = "（模版文件）|*.dat";
inline constexpr char kTemplateExtension[] = "dat";
inline constexpr char kConfigFolder[] = "\\config";
inline constexpr char kPictureFilter[] =
    "（jpg文件）|*.jpg|（bmp文件）|*.bmp|（png文件）|*.png|（gif文件）|*.gif";
// The list was changed and not saved: asked before closing, before an
// import replaces it and before an upgrade ends the program.
inline constexpr char kAskSaveChanges[] = "单号已修改，是否保存为模版？";
inline constexpr char kAskTitle[] = "询问";
// A start finds the list a program left unsaved: "上次未保存的 412 个单号
// （12月8日 17:40）已找回，是否恢复？"
inline constexpr char kRecoveryBefore[] = "上次未保存的 ";
inline constexpr char kRecoveryNumbers[] = " 个单号（";
inline constexpr char kRecoveryMonth[] = "月";
inline constexpr char kRecoveryDay[] = "日 ";
inline constexpr char kRecoveryAfter[] = "）已找回，是否恢复？";
inline constexpr char kSaveFailed[] = "模版保存失败，原文件未改动。请检查文件是否只读或磁盘已满。";

// The exported table.
inline constexpr char kTableFilter[] = "（表格文件.csv）|*.csv";
inline constexpr char kTableExtension[] = "csv";
inline constexpr char kExportDone[] = "导出成功";
inline constexpr char kExportFailed[] =
    "表格导出失败，原文件未改动。请检查文件是否只读、是否正在表格软件中打开，或磁盘已满。";

// Drawn in the middle of the empty result box.
inline constexpr char kResultHint[] =
    "添加单号：在左边选中快递公司，按 Enter 或双击，\r\n"
    "也可以右键选择“曾加新单号”；\r\n"
    "输入框里可以直接粘贴表格中的一整列单号。\r\n"
    "按 F5 开始查询。";

}  // namespace korvel::ui::texts
