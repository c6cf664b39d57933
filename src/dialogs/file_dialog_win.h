// The main window's one common file dialog ("通用对话框1"). Whatever a command
// does not set carries over from the previous use: the last chosen name is
// offered again, the initial folder and the default extension stay.
#pragma once

#include <windows.h>

#include <string>

namespace korvel::dialogs {

class FileDialog {
  public:
    void setFilter(const std::string& pipeFilter) { filter_ = pipeFilter; }
    void setDefaultExtension(const std::string& ext) { defaultExt_ = ext; }
    void setInitialFolder(const std::string& folder) { initialFolder_ = folder; }
    void setTitle(const std::string& title) { title_ = title; }
    const std::string& fileName() const { return fileName_; }

    // The chosen full path, or empty when cancelled. Neither dialog asks
    // before replacing a file or insists that the file exists.
    std::string showOpen(HWND owner) { return show(owner, false); }
    std::string showSave(HWND owner) { return show(owner, true); }

  private:
    std::string show(HWND owner, bool save);

    std::string filter_, defaultExt_, initialFolder_, title_, fileName_;
};

}  // namespace korvel::dialogs
