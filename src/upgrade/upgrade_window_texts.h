// The texts the update window and the About window show of their own (the
// upgrade's prompts and progress texts are in upgrade_texts.h).
#pragma once

namespace korvel::upgrade {

inline constexpr char kUpdateWindowTitle[] = "在线升级";
inline constexpr char kAboutWindowTitle[] = "关于";

inline constexpr char kAboutProductName[] = "Korvel运单助手";
inline constexpr char kAboutVersionLabel[] = "版本：V ";
inline constexpr char kAboutCredit[] = "Korvel开发组 设计制作";

}  // namespace korvel::upgrade
