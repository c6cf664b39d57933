#include "upgrade/about_text.h"

#include "upgrade/upgrade_window_texts.h"

namespace korvel::upgrade {

namespace {

constexpr size_t kCreditIndent = 25;

}  // namespace

std::string aboutText(std::string_view version) {
    std::string text = kAboutProductName;
    text += "\r\n\r\n";
    text += kAboutVersionLabel;
    text += version;
    text += "\r\n\r\n";
    text.append(kCreditIndent, ' ');
    text += kAboutCredit;
    return text;
}

}  // namespace korvel::upgrade
