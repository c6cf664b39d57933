// A fresh folder for the files a started program keeps for itself: while it
// lives, every program this process starts gets it as KORVEL_DATA_DIR; it
// goes afterwards, with whatever the program left in it. Tests and
// benchmarks that start korvel.exe give each start one, so nothing one
// program keeps reaches the next.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace korvel::wine_test {

class ChildDataFolder {
  public:
    ChildDataFolder() {
        static unsigned made = 0;
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"korvel_data_" + std::to_wstring(GetCurrentProcessId()) +
                L"_" + std::to_wstring(++made);
        CreateDirectoryW(path_.c_str(), nullptr);
        wchar_t old[MAX_PATH];
        const DWORD n = GetEnvironmentVariableW(kName, old, MAX_PATH);
        hadOld_ = n > 0 && n < MAX_PATH;
        if (hadOld_) old_ = old;
        SetEnvironmentVariableW(kName, path_.c_str());
    }
    ~ChildDataFolder() {
        SetEnvironmentVariableW(kName, hadOld_ ? old_.c_str() : nullptr);
        std::wstring from = path_ + L'\0';  // a list of one name, ended by a second zero
        SHFILEOPSTRUCTW op{};
        op.wFunc = FO_DELETE;
        op.pFrom = from.c_str();
        op.fFlags = FOF_NO_UI;
        SHFileOperationW(&op);
    }
    ChildDataFolder(const ChildDataFolder&) = delete;
    ChildDataFolder& operator=(const ChildDataFolder&) = delete;

    const std::wstring& path() const { return path_; }

  private:
    static constexpr const wchar_t* kName = L"KORVEL_DATA_DIR";
    std::wstring path_, old_;
    bool hadOld_ = false;
};

}  // namespace korvel::wine_test
