// What every GUI test shares: a fresh main window per test, event pumping, a private folder,
// and the hooks that keep tests from starting programs.
#pragma once

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/testing.h>
#include <wx/utils.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "model/document.h"
#include "formats/native_file.h"
#include "ops/primitives.h"
#include "ui/app_state.h"
#include "app/start.h"
#include "ui/main_frame.h"

namespace zarni {

// Runs the event loop for about `ms` milliseconds, idle processing and pending deletes
// included.
inline void Pump(int ms = 60) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
        wxMilliSleep(5);
    } while (std::chrono::steady_clock::now() < end);
}

// Runs the event loop until `done` holds or `seconds` passed; whether it held.
template <typename Condition>
bool WaitUntil(Condition done, double seconds = 10.0) {
    const auto end = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        wxTheApp->Yield(true);
        wxTheApp->ProcessIdle();
        wxMilliSleep(2);
    }
    return true;
}

class GuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("zarni-gui-case-" + std::to_string(getpid()) + "-" + std::to_string(++serial_));
        std::filesystem::create_directories(folder_);
        AppState& app = App();
        app.doc = Document{};
        app.clipboard.Clear();
        app.fileDialog = FileDialogState{};
        started.clear();
        opened.clear();
        app.startInstance = [this](const std::vector<std::string>& args) {
            started.push_back(args);
            return true;
        };
        app.openWithDesktop = [this](const std::string& path) {
            opened.push_back(path);
            return true;
        };
    }

    void TearDown() override {
        if (MainFrame* frame = TheMainFrame()) {
            App().doc.modified = false;
            frame->ExitRoutine();
        }
        Pump(30);
        std::filesystem::remove_all(folder_);
    }

    MainFrame* Start(const std::vector<std::string>& args = {}) {
        MainFrame* frame = StartProgram(args);
        Pump(200);
        return frame;
    }

    // Runs a menu command as the menu or an accelerator delivers it.
    static void Command(MainFrame* frame, int id) {
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(frame);
        frame->GetEventHandler()->ProcessEvent(event);
    }

    std::string Path(const std::string& name) const { return (folder_ / name).string(); }

    // A document file holding `objects` objects with a circle each.
    std::string WriteSample(const std::string& name, int objects);

    std::vector<std::vector<std::string>> started;
    std::vector<std::string> opened;

  private:
    std::filesystem::path folder_;
    static inline int serial_ = 0;
};

inline std::string GuiTest::WriteSample(const std::string& name, int objects) {
    Document doc = NewDocument();
    EditSwitches sw;
    for (int i = 0; i < objects; ++i) {
        if (i > 0) CreateObject(doc);
        AddCircle4(doc, sw);
    }
    const std::string path = Path(name);
    EXPECT_EQ(WriteDocumentFile(doc, path), kFileOk);
    return path;
}

}  // namespace zarni
