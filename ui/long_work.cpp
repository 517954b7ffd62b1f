// A worker thread for long file work, and the progress dialog that shows while it runs.
#include "ui/long_work.h"

#include <wx/progdlg.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

namespace zarni {

namespace {

int g_delayMs = 500;
std::function<void()> g_shownHook;

}  // namespace

void RunLongWork(wxWindow* owner, const std::string& title, const std::string& message,
                 const std::function<void()>& work) {
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        std::lock_guard<std::mutex> lock(mutex);
        done = true;
        ended.notify_one();
    });
    // Waits until the work has ended or `ms` have passed; true when it has ended.
    auto waitFor = [&](int ms) {
        std::unique_lock<std::mutex> lock(mutex);
        return ended.wait_for(lock, std::chrono::milliseconds(ms), [&] { return done; });
    };
    if (g_delayMs == 0 || !waitFor(g_delayMs)) {
        // Application-modal: the other windows take no input, and the dialog's updates let
        // through only what repaints, so nothing changes the document under the worker.
        wxProgressDialog dialog(wxString::FromUTF8(title), wxString::FromUTF8(message), 100, owner,
                                wxPD_APP_MODAL | wxPD_AUTO_HIDE | wxPD_ELAPSED_TIME);
        if (g_shownHook) g_shownHook();
        while (!waitFor(50))
            dialog.Pulse();
    }
    worker.join();
    if (failure) std::rethrow_exception(failure);
}

void SetLongWorkDelayForTesting(int ms) {
    g_delayMs = ms;
}

void SetLongWorkShownHookForTesting(std::function<void()> hook) {
    g_shownHook = std::move(hook);
}

}  // namespace zarni
