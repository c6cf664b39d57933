// Every text of the online upgrade a user can see, and the few fixed names
// it writes, in one place.
#pragma once

namespace korvel::upgrade {

// Result of the version check when the page announces nothing newer.
inline constexpr char kNoNewerVersion[] = "假";

// The replacement script, written into the program's folder.
inline constexpr char kScriptFileName[] = "临时.bat";

// Update window: phase label, status label.
inline constexpr char kPhasePreparing[] = "正在为您准备...";
inline constexpr char kPhaseDownloading[] = "开始下载中";
inline constexpr char kPhaseFailed[] = "下载失败";
inline constexpr char kStatusInitial[] = "状态";
inline constexpr char kStatusFinished[] = "下载完成";

// Prompts of the update check and of the switch-over.
inline constexpr char kPromptUpdateFound[] = "检测到更新版本,现在是否更新";
inline constexpr char kPromptUpdateTitle[] = "提示";
inline constexpr char kPromptUpToDate[] = "已最新版本";
inline constexpr char kPromptSwitchOver[] =
    "已经下载完成,是否现在开始更新（更新前请保存好您正在查询的重要模版）";
inline constexpr char kPromptSwitchOverTitle[] = "信息：";

}  // namespace korvel::upgrade
