// Every text the program's message box shows of its own.
#pragma once

namespace korvel::dialogs {

constexpr char kBoxTitle[] = "提示：";
constexpr char kButtonOk[] = "确认";
constexpr char kButtonCancel[] = "取消";
constexpr char kButtonAbort[] = "放弃";
constexpr char kButtonRetry[] = "重试";
constexpr char kButtonIgnore[] = "忽略";
constexpr char kButtonYes[] = "是";
constexpr char kButtonNo[] = "否";

}  // namespace korvel::dialogs
