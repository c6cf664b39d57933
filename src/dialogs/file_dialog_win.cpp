#include "dialogs/file_dialog_win.h"

#include <commdlg.h>

#include <vector>

#include "dialogs/file_filter.h"
#include "text/wide_text_win.h"

namespace korvel::dialogs {

std::string FileDialog::show(HWND owner, bool save) {
    const std::wstring filter = text::toWide(toDialogFilter(filter_));
    const std::wstring ext = text::toWide(defaultExt_);
    const std::wstring folder = text::toWide(initialFolder_);
    const std::wstring title = text::toWide(title_);
    std::vector<wchar_t> name(32768, L'\0');
    const std::wstring last = text::toWide(fileName_);
    last.copy(name.data(), std::min(last.size(), name.size() - 1));

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter_.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    // OFN_NOCHANGEDIR: the working directory must stay the program's folder,
    // the replacement script of the upgrade relies on it.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST;
    const BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!ok) return {};
    fileName_ = text::toGbk(name.data());
    return fileName_;
}

}  // namespace korvel::dialogs
