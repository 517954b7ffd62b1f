// The soak: the real program under random real input for a set time. Pointer moves, clicks,
// drags and wheel turns go through the X server into the views, the palette, the object list
// and every dialog the program shows; keys and menu commands are mixed in; each modal dialog is
// either answered at once (file dialogs with paths in a private folder, message boxes with a
// random button) or shown and clicked at until a button, Esc or its time closes it. Exit is
// allowed: the program then starts again in the same process, as a new one would.
// Fails on a crash or sanitizer report (the build's own), a broken document invariant (checked
// by the main window after every step in this build), a toolkit assertion, a critical message
// of GLib or GTK (a widget used after its end, a bad argument), or an event loop that has not
// turned for 10 seconds of its processor time (or a minute of waiting). The seed is printed
// first, so a failing run can be replayed.
//
//   soak [--seconds N] [--seed S]      (SOAK_SECONDS and SOAK_SEED are read too)
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <execinfo.h>
#include <glib.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/init.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/start.h"
#include "formats/native_file.h"
#include "model/document.h"
#include "ops/primitives.h"
#include "resources/ids.h"
#include "rules/palette.h"
#include "ui/app_state.h"
#include "ui/main_frame.h"
#include "ui/object_list.h"
#include "ui/views.h"

namespace {

using namespace zarni;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// ---- what happened last, for the report of a failure ----

std::mutex g_logMutex;
std::deque<std::string> g_recent;
uint64_t g_seed = 0;
std::atomic<uint64_t> g_events{0};

void Note(const std::string& what) {
    std::lock_guard<std::mutex> lock(g_logMutex);
    g_recent.push_back(std::to_string(g_events.load()) + ": " + what);
    if (g_recent.size() > 40) g_recent.pop_front();
}

void DumpRecent(const char* why) {
    std::fprintf(stderr, "soak: FAILED (%s) with seed %llu after %llu events; last actions:\n", why,
                 static_cast<unsigned long long>(g_seed),
                 static_cast<unsigned long long>(g_events.load()));
    std::lock_guard<std::mutex> lock(g_logMutex);
    for (const std::string& line : g_recent)
        std::fprintf(stderr, "  %s\n", line.c_str());
    std::fprintf(stderr, "soak: replay with SOAK_SEED=%llu\n",
                 static_cast<unsigned long long>(g_seed));
    std::fflush(stderr);
}

extern "C" void OnAbort(int) {
    DumpRecent("abort");
    std::signal(SIGABRT, SIG_DFL);
    std::raise(SIGABRT);
}

// ---- the watchdog: a loop that stops turning is a failure ----

std::atomic<int64_t> g_lastTurnMs{0};
std::atomic<int64_t> g_lastTurnCpuMs{0};
std::atomic<bool> g_stopWatchdog{false};

int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch())
        .count();
}

// The processor time of the whole process (every thread, the software renderer's included).
int64_t CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

void Turned() {
    g_lastTurnMs = NowMs();
    g_lastTurnCpuMs = CpuMs();
}

// A loop that works for 10 s of processor time without turning is a hang; so is one that waits
// for a minute. On a machine busy with other work the program may simply not get the processor
// for 10 s of wall-clock time, which is no fault of its own.
void Watchdog() {
    constexpr int64_t kBusyLimitMs = 10000;
    constexpr int64_t kWaitLimitMs = 60000;
    while (!g_stopWatchdog) {
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
        const int64_t still = NowMs() - g_lastTurnMs.load();
        const int64_t busy = CpuMs() - g_lastTurnCpuMs.load();
        if (busy > kBusyLimitMs || still > kWaitLimitMs) {
            std::fprintf(stderr,
                         "soak: the event loop has not turned for %.1f s (%.1f s of processor "
                         "time)\n",
                         static_cast<double>(still) / 1000.0, static_cast<double>(busy) / 1000.0);
            DumpRecent("hang");
            std::_Exit(3);
        }
    }
}

int g_assertions = 0;

void AssertReport(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
    ++g_assertions;
    std::fprintf(stderr, "soak: toolkit assertion at %s:%d in %s: %s %s\n",
                 file.utf8_string().c_str(), line, func.utf8_string().c_str(),
                 cond.utf8_string().c_str(), msg.utf8_string().c_str());
    DumpRecent("assertion");
}

// GLib's and GTK's critical messages are faults of ours (a widget used after it was destroyed,
// an argument out of range) that the toolkit survives by returning early: the run stops at the
// first, naming it, with the stack that led there. Other messages go on to the default handler,
// and through it to the toolkit's own filter.
#if defined(__SANITIZE_ADDRESS__)
extern "C" void __sanitizer_print_stack_trace();
#endif

// Set while the soak's own input simulator runs: the toolkit's simulator scales a pointer move
// by a top-level widget it picks itself, and what it complains of there is the test driver's,
// not the program's. It is reported and the run goes on.
int g_inSimulator = 0;

void OnGLibMessage(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer) {
    if ((level & (G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_ERROR)) == 0) {
        g_log_default_handler(domain, level, message, nullptr);
        return;
    }
    if (g_inSimulator > 0) {
        std::fprintf(stderr, "soak: (input simulator) %s\n", message ? message : "");
        return;
    }
    std::fprintf(stderr, "soak: critical message from %s: %s\n", domain ? domain : "(no domain)",
                 message ? message : "");
#if defined(__SANITIZE_ADDRESS__)
    __sanitizer_print_stack_trace();
#else
    void* frames[64];
    backtrace_symbols_fd(frames, backtrace(frames, 64), 2);
#endif
    DumpRecent("GLib or GTK critical message");
    std::_Exit(4);
}

void WatchGLibMessages() {
    constexpr auto levels =
        static_cast<GLogLevelFlags>(G_LOG_LEVEL_MASK | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION);
    // Every domain without a handler of its own, and by name those a library may claim.
    g_log_set_default_handler(OnGLibMessage, nullptr);
    for (const char* domain :
         {"GLib", "GLib-GObject", "GLib-GIO", "Gtk", "Gdk", "GdkPixbuf", "Pango", "Atk", "dconf"})
        g_log_set_handler(domain, levels, OnGLibMessage, nullptr);
}

// ---- the private folder and the files the dialogs offer ----

struct Folder {
    fs::path root;
    std::vector<std::string> openable;  // documents, pictures, damaged and missing files
    std::vector<std::string> savable;   // names the save dialogs answer with
};

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

// A 24-bit BMP of w x h pixels in a few colours.
std::string SmallBitmap(int w, int h) {
    const int row = (w * 3 + 3) & ~3;
    std::string b(54 + static_cast<size_t>(row) * h, '\0');
    auto put32 = [&b](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));
    b[26] = 1;
    b[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t at = 54 + static_cast<size_t>(y) * row + static_cast<size_t>(x) * 3;
            b[at] = static_cast<char>(x * 8);
            b[at + 1] = static_cast<char>(y * 8);
            b[at + 2] = static_cast<char>((x ^ y) * 16);
        }
    return b;
}

Folder MakeFolder() {
    Folder f;
    f.root = fs::temp_directory_path() / ("zarni-soak-" + std::to_string(getpid()));
    fs::remove_all(f.root);
    fs::create_directories(f.root / "state");
    Document doc = NewDocument();
    EditSwitches sw;
    AddSphere(doc, sw);
    CreateObject(doc);
    AddCircle8(doc, sw);
    const std::string sample = (f.root / "sample.zarni").string();
    WriteDocumentFile(doc, sample);
    WriteBytes(f.root / "damaged.zarni", "Zarni!\x01\x00\x00\x00nurb\xff\xff\xff\x7f");
    WriteBytes(f.root / "picture.bmp", SmallBitmap(32, 24));
    WriteBytes(f.root / "bad.bmp", "BM not a picture");
    f.openable = {sample,
                  (f.root / "damaged.zarni").string(),
                  (f.root / "picture.bmp").string(),
                  (f.root / "bad.bmp").string(),
                  (f.root / "missing.zarni").string(),
                  (f.root / "saved.zarni").string(),
                  (f.root / "other.zarni").string()};
    f.savable = {(f.root / "saved.zarni").string(), (f.root / "other.ZARNI").string(),
                 (f.root / "scene.pov").string(),   (f.root / "objects.inc").string(),
                 (f.root / "noext").string(),       (f.root / "no/such/dir/x.zarni").string()};
    return f;
}

// ---- the driver ----

class Soak;
Soak* g_soak = nullptr;

class DialogAnswers : public wxModalDialogHook {
  public:
    explicit DialogAnswers(Soak& soak) : soak_(soak) {}

  protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog* dialog) override;

  private:
    Soak& soak_;
};

class Soak : public wxEvtHandler {
  public:
    Soak(uint64_t seed, int seconds, Folder folder)
        : rng_(seed), seconds_(seconds), folder_(std::move(folder)), answers_(*this) {
        display_ = XOpenDisplay(nullptr);
        timer_.SetOwner(this);
        Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Tick(); });
        answers_.Register();
    }
    ~Soak() override {
        answers_.Unregister();
        if (display_) XCloseDisplay(display_);
    }

    void Start() {
        start_ = Clock::now();
        StartProgramAgain(false);
        Schedule();
    }

    // Starts the driver again soon: called when a dialog is shown, whose modal loop runs
    // inside the action that opened it.
    void Schedule() { timer_.StartOnce(Rand(4, 30)); }

    // ---- answers of modal dialogs ----
    int Answer(wxDialog* dialog) {
        ++dialogs_;
        if (auto* files = dynamic_cast<wxFileDialog*>(dialog)) return AnswerFiles(files);
        if (auto* message = dynamic_cast<wxMessageDialog*>(dialog)) return AnswerMessage(message);
        if (finishing_ || shown_.size() >= 3 || Chance(35)) {
            const int code = Chance(50) ? wxID_OK : wxID_CANCEL;
            Note("dialog \"" + dialog->GetTitle().utf8_string() + "\" answered " +
                 (code == wxID_OK ? "OK" : "Cancel"));
            return code;
        }
        Note("dialog \"" + dialog->GetTitle().utf8_string() + "\" shown");
        ++dialogsShown_;
        shown_.push_back(Shown{dialog, 0, Rand(3, 30)});
        Schedule();
        return wxID_NONE;
    }
    void Closed(wxDialog* dialog) {
        shown_.erase(std::remove_if(shown_.begin(), shown_.end(),
                                    [dialog](const Shown& s) { return s.dialog == dialog; }),
                     shown_.end());
        Schedule();
    }

    int AnswerFiles(wxFileDialog* files) {
        if (finishing_ || Chance(25)) {
            Note("file dialog cancelled");
            return wxID_CANCEL;
        }
        const bool save = (files->GetWindowStyle() & wxFD_SAVE) != 0;
        const std::vector<std::string>& names = save ? folder_.savable : folder_.openable;
        const std::string path = names[Rand(0, static_cast<int>(names.size()) - 1)];
        files->SetPath(wxString::FromUTF8(path));
        // A filter the dialog has: the wildcard holds a description and a pattern each.
        const int filters = static_cast<int>(files->GetWildcard().Freq('|') + 1) / 2;
        if (filters > 1 && Chance(50)) files->SetFilterIndex(Rand(0, filters - 1));
        Note(std::string(save ? "save" : "open") + " dialog answered " + path);
        return wxID_OK;
    }

    int AnswerMessage(wxMessageDialog* message) {
        const long style = message->GetMessageDialogStyle();
        std::vector<int> codes;
        if (style & wxYES_NO) {
            codes = {wxID_YES, wxID_NO};
        } else {
            codes = {wxID_OK};
        }
        if (style & wxCANCEL) codes.push_back(wxID_CANCEL);
        int code = codes[Rand(0, static_cast<int>(codes.size()) - 1)];
        // At the end the program goes without saving.
        if (finishing_) code = (style & wxYES_NO) ? wxID_NO : wxID_OK;
        Note("message \"" + message->GetMessage().utf8_string().substr(0, 40) + "\" answered " +
             std::to_string(code));
        return code;
    }

    void Report() const {
        std::printf(
            "soak: %llu input events in %llu actions over %.0f s (seed %llu): %d dialogs (%d "
            "shown and driven, %d closed by force), %d program starts, %d new instances and %d "
            "desktop opens asked for\n",
            static_cast<unsigned long long>(g_events.load()),
            static_cast<unsigned long long>(actions_), Elapsed(),
            static_cast<unsigned long long>(g_seed), dialogs_, dialogsShown_, forcedCloses_,
            starts_, instancesAsked_, desktopOpens_);
    }
    bool finished() const { return finished_; }

  private:
    struct Shown {
        wxDialog* dialog;
        int actions;
        int budget;
    };

    int Rand(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
    bool Chance(int percent) { return Rand(0, 99) < percent; }
    double Elapsed() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

    // ---- primitive input, each one event through the X server ----
    void MoveTo(wxPoint p) {
        // The simulator scales the position by the application's top window's widget, which
        // between an exit and the next start may be a window already destroyed: point it at
        // the live main window, and move nothing while there is none.
        if (MainFrame* frame = TheMainFrame()) {
            wxTheApp->SetTopWindow(frame);
        } else {
            wxWindow* top = wxTheApp->GetTopWindow();
            if (top == nullptr || top->IsBeingDeleted()) return;
        }
        ++g_events;
        ++g_inSimulator;
        sim_->MouseMove(p);
        --g_inSimulator;
    }
    void Down(int button) {
        ++g_events;
        sim_->MouseDown(button);
    }
    void Up(int button) {
        ++g_events;
        sim_->MouseUp(button);
    }
    void Key(int key, int modifiers = wxMOD_NONE) {
        ++g_events;
        sim_->Char(key, modifiers);
    }
    void Wheel(bool away, int clicks) {
        for (int i = 0; i < clicks; ++i) {
            ++g_events;
            XTestFakeButtonEvent(display_, away ? 4 : 5, True, CurrentTime);
            XTestFakeButtonEvent(display_, away ? 4 : 5, False, CurrentTime);
            XFlush(display_);
        }
    }

    int RandomButton() {
        const int r = Rand(0, 99);
        return r < 60 ? wxMOUSE_BTN_LEFT : r < 85 ? wxMOUSE_BTN_RIGHT : wxMOUSE_BTN_MIDDLE;
    }
    int RandomModifiers() {
        const int r = Rand(0, 99);
        if (r < 70) return wxMOD_NONE;
        if (r < 82) return wxMOD_CONTROL;
        if (r < 92) return wxMOD_SHIFT;
        return wxMOD_ALT;
    }
    void HoldModifiers(int modifiers, bool down) {
        for (int key : {WXK_CONTROL, WXK_SHIFT, WXK_ALT}) {
            const int mod = key == WXK_CONTROL ? wxMOD_CONTROL
                            : key == WXK_SHIFT ? wxMOD_SHIFT
                                               : wxMOD_ALT;
            if (!(modifiers & mod)) continue;
            ++g_events;
            if (down)
                sim_->KeyDown(key);
            else
                sim_->KeyUp(key);
        }
    }

    // A press at `from`, `moves` moves towards random points near it, and the release.
    void Drag(wxPoint from, int button, int moves, int spread, int modifiers) {
        HoldModifiers(modifiers, true);
        MoveTo(from);
        Down(button);
        wxPoint at = from;
        for (int i = 0; i < moves; ++i) {
            at += wxPoint(Rand(-spread, spread), Rand(-spread, spread));
            MoveTo(at);
        }
        Up(button);
        HoldModifiers(modifiers, false);
    }
    void Click(wxPoint at, int button = wxMOUSE_BTN_LEFT, bool twice = false) {
        MoveTo(at);
        Down(button);
        Up(button);
        if (twice) {
            Down(button);
            Up(button);
        }
    }
    wxPoint RandomPointIn(const wxRect& r) {
        return wxPoint(r.x + Rand(0, std::max(0, r.width - 1)),
                       r.y + Rand(0, std::max(0, r.height - 1)));
    }

    // ---- the tick: one action ----
    void Tick() {
        Turned();
        if (finished_) return;
        // A tick runs inside another only to drive a dialog that the outer one opened; a timer
        // that fires while an action waits for its own events just comes back later.
        if (!activeTicks_.empty() && shown_.size() <= activeTicks_.back()) {
            Schedule();
            return;
        }
        activeTicks_.push_back(shown_.size());
        struct Leave {
            std::vector<size_t>& ticks;
            ~Leave() { ticks.pop_back(); }
        } leave{activeTicks_};
        ++actions_;
        if (!shown_.empty()) {
            DialogAction();
        } else if (Elapsed() >= seconds_) {
            Finish();
            return;
        } else if (!TheMainFrame()) {
            StartProgramAgain(true);
        } else {
            WindowAction();
        }
        if (!finished_) Schedule();
    }

    void StartProgramAgain(bool again) {
        AppState& app = App();
        if (again) {
            // A new process would start with nothing of the last one's document.
            app.doc = Document{};
            app.clipboard.Clear();
        }
        std::vector<std::string> args;
        const int r = Rand(0, 9);
        if (r < 3) args = {folder_.openable[0]};
        if (r == 3) args = {folder_.openable[1]};
        if (r == 4) args = {folder_.openable[0], folder_.openable[5]};
        Note("program started with " + std::to_string(args.size()) + " files");
        ++starts_;
        MainFrame* frame = StartProgram(args);
        if (frame) frame->Raise();
        sim_ = std::make_unique<wxUIActionSimulator>();
    }

    void Finish() {
        finishing_ = true;
        Note("finishing");
        if (MainFrame* frame = TheMainFrame()) frame->ExitRoutine();
        finished_ = true;
        timer_.Stop();
        wxTheApp->ExitMainLoop();
    }

    // ---- actions on a shown dialog ----
    void CollectControls(wxWindow* parent, std::vector<wxWindow*>& out) {
        for (wxWindow* child : parent->GetChildren()) {
            if (!child->IsShownOnScreen() || child->IsTopLevel()) continue;
            out.push_back(child);
            CollectControls(child, out);
        }
    }

    void DialogAction() {
        Shown& top = shown_.back();
        wxDialog* dialog = top.dialog;
        if (!dialog->IsShownOnScreen()) return;  // not mapped yet
        const int done = ++top.actions;
        if (done > top.budget + 12) {
            ++forcedCloses_;
            Note("dialog closed by force");
            dialog->EndModal(wxID_CANCEL);
            return;
        }
        std::vector<wxWindow*> controls;
        CollectControls(dialog, controls);
        if (done > top.budget) {
            std::vector<wxWindow*> buttons;
            for (wxWindow* w : controls)
                if (dynamic_cast<wxButton*>(w) && w->IsEnabled()) buttons.push_back(w);
            if (!buttons.empty() && Chance(60)) {
                wxWindow* b = buttons[Rand(0, static_cast<int>(buttons.size()) - 1)];
                Note("dialog button \"" + b->GetLabel().utf8_string() + "\"");
                Click(RandomPointIn(b->GetScreenRect().Deflate(2)));
            } else {
                Note("dialog Esc");
                Key(WXK_ESCAPE);
            }
            return;
        }
        const int r = Rand(0, 99);
        if (r < 50 && !controls.empty()) {
            wxWindow* w = controls[Rand(0, static_cast<int>(controls.size()) - 1)];
            // Buttons close the dialog or open another: mostly left for the end.
            if (dynamic_cast<wxButton*>(w) && Chance(70)) return;
            Note("dialog click in " + wxString(w->GetClassInfo()->GetClassName()).utf8_string());
            Click(RandomPointIn(w->GetScreenRect()), Chance(85) ? wxMOUSE_BTN_LEFT : RandomButton(),
                  Chance(10));
        } else if (r < 75) {
            static const int keys[] = {'0',      '1',     '5',       '9',        '-',
                                       '.',      'a',     WXK_BACK,  WXK_DELETE, WXK_UP,
                                       WXK_DOWN, WXK_TAB, WXK_SPACE, WXK_HOME,   WXK_END};
            const int key = keys[Rand(0, static_cast<int>(std::size(keys)) - 1)];
            Note("dialog key " + std::to_string(key));
            Key(key);
        } else if (r < 90) {
            Note("dialog drag");
            Drag(RandomPointIn(dialog->GetScreenRect()), wxMOUSE_BTN_LEFT, Rand(1, 6), 30,
                 wxMOD_NONE);
        } else {
            Note("dialog wheel");
            MoveTo(RandomPointIn(dialog->GetScreenRect()));
            Wheel(Chance(50), Rand(1, 3));
        }
    }

    // ---- actions on the main window and the object list ----
    int64_t PointCount() const {
        int64_t n = 0;
        for (const PatchObject& obj : App().doc.objects)
            n += obj.pointCount();
        return n;
    }

    ViewPanel* RandomView(MainFrame* frame) {
        std::vector<ViewPanel*> shown;
        for (int i = 0; i < ViewSet::kViews; ++i)
            if (ViewPanel* v = frame->views().view(i); v && v->IsShownOnScreen())
                shown.push_back(v);
        if (shown.empty()) return nullptr;
        return shown[Rand(0, static_cast<int>(shown.size()) - 1)];
    }

    // The screen position of a random point of the current object in `view`, when it shows.
    bool PointOnScreen(ViewPanel* view, wxPoint& at) {
        const PatchObject* obj = App().doc.Current();
        if (!obj || obj->pointCount() == 0) return false;
        const ControlPoint& p = obj->points[Rand(0, obj->pointCount() - 1)];
        const ViewCamera& c = view->camera;
        const double in[4] = {p.x, p.y, p.z, 1.0};
        double eye[4] = {0, 0, 0, 0}, clip[4] = {0, 0, 0, 0};
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k)
                eye[r] += c.modelview[k * 4 + r] * in[k];
        for (int r = 0; r < 4; ++r)
            for (int k = 0; k < 4; ++k)
                clip[r] += c.projection[k * 4 + r] * eye[k];
        if (clip[3] <= 1e-9) return false;
        const double nx = clip[0] / clip[3], ny = clip[1] / clip[3];
        const double wx = c.viewport[0] + (nx + 1.0) * 0.5 * c.viewport[2];
        const double wy = c.viewport[1] + (ny + 1.0) * 0.5 * c.viewport[3];
        const wxSize size = view->GetClientSize();
        const int x = static_cast<int>(wx), y = size.y - 1 - static_cast<int>(wy);
        if (x < 0 || y < 0 || x >= size.x || y >= size.y) return false;
        at = view->ClientToScreen(wxPoint(x, y));
        return true;
    }

    void WindowAction() {
        MainFrame* frame = TheMainFrame();
        if (Chance(2)) frame->Raise();
        // Keep the document small enough for the sanitizer build: take steps back or empty it.
        if (PointCount() > 20000 || App().doc.objects.size() > 120) {
            if (App().history.CanUndo() && Chance(80)) {
                Note("too large: Ctrl+Z");
                MoveTo(frame->views().view(0)->GetScreenRect().GetPosition() + wxPoint(20, 20));
                Key('Z', wxMOD_CONTROL);
            } else {
                Note("too large: New document by Close and Open");
                Command(frame, kCmdCloseAndOpen);
            }
            return;
        }
        const int r = Rand(0, 99);
        if (r < 32)
            ViewAction(frame);
        else if (r < 57)
            PaletteAction(frame);
        else if (r < 67)
            ObjectListAction(frame);
        else if (r < 85)
            KeyAction(frame);
        else
            MenuAction(frame);
    }

    void ViewAction(MainFrame* frame) {
        ViewPanel* view = RandomView(frame);
        if (!view) return;
        const wxRect area = view->GetScreenRect();
        wxPoint from = RandomPointIn(area);
        wxPoint onPoint;
        const bool hit = Chance(60) && PointOnScreen(view, onPoint);
        if (hit) from = onPoint;
        const int r = Rand(0, 99);
        if (r < 45) {
            const int button =
                hit ? (Chance(75) ? wxMOUSE_BTN_LEFT : RandomButton()) : RandomButton();
            Note("view " + std::to_string(view->index()) + " drag" + (hit ? " on a point" : ""));
            Drag(from, button, Rand(1, 10), 40, RandomModifiers());
        } else if (r < 70) {
            Note("view " + std::to_string(view->index()) + " click" + (hit ? " on a point" : ""));
            const int modifiers = Chance(30) ? wxMOD_CONTROL : wxMOD_NONE;
            HoldModifiers(modifiers, true);
            Click(from, Chance(80) ? wxMOUSE_BTN_LEFT : RandomButton(), Chance(8));
            HoldModifiers(modifiers, false);
        } else if (r < 82) {
            // A new curve: double click, drag out the handle, clicks and drags, right click.
            Note("view " + std::to_string(view->index()) + " curve");
            Click(from, wxMOUSE_BTN_LEFT, true);
            const int segments = Rand(1, 3);
            for (int i = 0; i < segments; ++i) {
                Drag(RandomPointIn(area), wxMOUSE_BTN_LEFT, Rand(1, 3), 30, wxMOD_NONE);
                Click(RandomPointIn(area));
            }
            Click(RandomPointIn(area), wxMOUSE_BTN_RIGHT);
        } else {
            Note("view " + std::to_string(view->index()) + " wheel");
            MoveTo(from);
            Wheel(Chance(50), Rand(1, 4));
        }
    }

    wxPoint CellPoint(MainFrame* frame, int cell) {
        const CellRect& c = PaletteCells()[cell].rect;
        const wxRect r(c.left, c.top, std::max(1, c.right - c.left), std::max(1, c.bottom - c.top));
        return frame->ClientToScreen(RandomPointIn(r));
    }

    void PaletteAction(MainFrame* frame) {
        const int cell = Rand(0, kPaletteCellCount - 1);
        const wxPoint at = CellPoint(frame, cell);
        const int r = Rand(0, 99);
        if (r < 60) {
            Note("palette click on cell " + std::to_string(cell));
            Click(at, Chance(85) ? wxMOUSE_BTN_LEFT : RandomButton(), Chance(8));
        } else {
            Note("palette drag on cell " + std::to_string(cell));
            const int modifiers = Chance(15) ? wxMOD_SHIFT : wxMOD_NONE;
            HoldModifiers(modifiers, true);
            MoveTo(at);
            const int button = Chance(80) ? wxMOUSE_BTN_LEFT : RandomButton();
            Down(button);
            wxPoint p = at;
            const int moves = Rand(1, 12);
            for (int i = 0; i < moves; ++i) {
                p.x += Rand(-40, 40);
                p.y += Chance(10) ? Rand(-60, 200) : Rand(-3, 3);
                MoveTo(p);
            }
            Up(button);
            HoldModifiers(modifiers, false);
        }
    }

    void ObjectListAction(MainFrame* frame) {
        ObjectListWindow* list = TheObjectList();
        if (!list || !list->visible() || !list->IsShownOnScreen() || Chance(10)) {
            Note("palette object tab");
            Click(CellPoint(frame, kCellObjectTab));
            return;
        }
        const wxRect area = list->GetScreenRect();
        const int r = Rand(0, 99);
        if (r < 55) {
            Note("object list click");
            Click(RandomPointIn(area), Chance(90) ? wxMOUSE_BTN_LEFT : RandomButton(), Chance(10));
        } else if (r < 80) {
            static const int keys[] = {'a',      'Z',        '1',      '_',
                                       WXK_BACK, WXK_DELETE, WXK_LEFT, WXK_RETURN,
                                       WXK_TAB,  WXK_SPACE,  WXK_HOME};
            const int key = keys[Rand(0, static_cast<int>(std::size(keys)) - 1)];
            Note("object list key " + std::to_string(key));
            Key(key, Chance(10) ? wxMOD_SHIFT : wxMOD_NONE);
        } else if (r < 92) {
            Note("object list wheel");
            MoveTo(RandomPointIn(area));
            Wheel(Chance(50), Rand(1, 5));
        } else {
            Note("object list drag");
            Drag(RandomPointIn(area), wxMOUSE_BTN_LEFT, Rand(1, 5), 30, wxMOD_NONE);
        }
    }

    void KeyAction(MainFrame* frame) {
        struct K {
            int key;
            int modifiers;
            int weight;
        };
        static const K keys[] = {{'A', 0, 6},
                                 {'O', 0, 4},
                                 {'I', 0, 4},
                                 {'H', 0, 3},
                                 {'N', 0, 3},
                                 {'B', 0, 2},
                                 {'R', 0, 2},
                                 {WXK_F12, 0, 1},
                                 {WXK_F4, 0, 3},
                                 {'2', 0, 1},
                                 {'8', 0, 1},
                                 {'1', 0, 1},
                                 {'3', 0, 1},
                                 {'5', 0, 1},
                                 {'0', 0, 1},
                                 {WXK_NUMPAD5, 0, 1},
                                 {'+', 0, 1},
                                 {'-', 0, 1},
                                 {';', 0, 1},
                                 {'=', 0, 1},
                                 {WXK_UP, wxMOD_CONTROL, 2},
                                 {WXK_DOWN, wxMOD_CONTROL, 2},
                                 {'Z', wxMOD_CONTROL, 6},
                                 {'Y', wxMOD_CONTROL, 4},
                                 {'Z', wxMOD_CONTROL | wxMOD_SHIFT, 2},
                                 {'S', wxMOD_CONTROL, 2},
                                 {'O', wxMOD_CONTROL, 1},
                                 {WXK_F2, 0, 1},
                                 {WXK_F3, 0, 1},
                                 {WXK_F1, 0, 1},
                                 {WXK_DELETE, 0, 1},
                                 {WXK_ESCAPE, 0, 1},
                                 {'X', wxMOD_CONTROL, 1}};
        int total = 0;
        for (const K& k : keys)
            total += k.weight;
        int pick = Rand(0, total - 1);
        const K* chosen = &keys[0];
        for (const K& k : keys) {
            if (pick < k.weight) {
                chosen = &k;
                break;
            }
            pick -= k.weight;
        }
        // The view under the pointer takes the keys.
        if (ViewPanel* view = RandomView(frame); view && Chance(70))
            MoveTo(RandomPointIn(view->GetScreenRect()));
        Note("key " + std::to_string(chosen->key) + " modifiers " +
             std::to_string(chosen->modifiers));
        Key(chosen->key, chosen->modifiers);
    }

    static void Command(MainFrame* frame, int id) {
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(frame);
        frame->GetEventHandler()->ProcessEvent(event);
    }

    void MenuAction(MainFrame* frame) {
        static const int commands[] = {
            kCmdNew,     kCmdOpen,    kCmdCloseAndOpen, kCmdSaveAs, kCmdExport,     kCmdExit,
            kCmdAppend,  kCmdSave,    kCmdUndo,         kCmdRedo,   kCmdCut,        kCmdCopy,
            kCmdPaste,   kCmdCircle4, kCmdCircle8,      kCmdSphere, kCmdPreference, kCmdHelp,
            kCmdVersion, kCmdCircle4, kCmdSphere,       kCmdPaste,  kCmdUndo,       kCmdCopy};
        if (Chance(25)) {
            // The menu bar with the pointer: a title, then somewhere below it or Esc.
            wxMenuBar* bar = frame->GetMenuBar();
            const wxRect r = bar ? bar->GetScreenRect() : wxRect();
            if (r.width > 0) {
                Note("menu bar click");
                Click(wxPoint(r.x + Rand(2, 120), r.y + r.height / 2));
                if (Chance(50)) {
                    Key(WXK_ESCAPE);
                } else {
                    Click(wxPoint(r.x + Rand(2, 200), r.y + r.height + Rand(2, 260)));
                    if (Chance(50)) Key(WXK_ESCAPE);
                }
                return;
            }
        }
        const int id = commands[Rand(0, static_cast<int>(std::size(commands)) - 1)];
        if (id == kCmdExit && Chance(50)) return;
        Note("menu command " + std::to_string(id));
        ++g_events;
        if (id == kCmdNew) ++instancesAsked_;
        if (id == kCmdHelp) ++desktopOpens_;
        Command(frame, id);
    }

    std::mt19937_64 rng_;
    int seconds_;
    Folder folder_;
    DialogAnswers answers_;
    Display* display_ = nullptr;
    wxTimer timer_;
    std::unique_ptr<wxUIActionSimulator> sim_;
    Clock::time_point start_;
    std::vector<Shown> shown_;
    std::vector<size_t> activeTicks_;  // the dialogs shown when each running tick began
    bool finishing_ = false;
    bool finished_ = false;
    uint64_t actions_ = 0;
    int dialogs_ = 0, dialogsShown_ = 0, forcedCloses_ = 0, starts_ = 0;
    int instancesAsked_ = 0, desktopOpens_ = 0;

  public:
    void CountInstance() { ++instancesAsked_; }
};

int DialogAnswers::Enter(wxDialog* dialog) {
    return soak_.Answer(dialog);
}

void DialogAnswers::Exit(wxDialog* dialog) {
    soak_.Closed(dialog);
}

class SoakApp : public wxApp {
  public:
    SoakApp(uint64_t seed, int seconds) : seed_(seed), seconds_(seconds) {}

    bool OnInit() override {
        folder_ = MakeFolder();
        // Settings, recovery copies and every relative path stay in the private folder.
        setenv("ZARNI_INI", (folder_.root / "zarni.ini").c_str(), 1);
        setenv("XDG_STATE_HOME", (folder_.root / "state").c_str(), 1);
        fs::current_path(folder_.root);
        SetExitOnFrameDelete(false);
        wxSetAssertHandler(AssertReport);
        Bind(wxEVT_IDLE, [](wxIdleEvent& e) {
            Turned();
            e.Skip();
        });
        AppState& app = App();
        // Never another program: new instances and the desktop's viewer are only counted.
        app.startInstance = [](const std::vector<std::string>& args) {
            Note("new instance asked for with " + std::to_string(args.size()) + " files");
            return true;
        };
        app.openWithDesktop = [](const std::string& path) {
            Note("desktop open of " + path);
            return true;
        };
        soak_ = std::make_unique<Soak>(seed_, seconds_, folder_);
        g_soak = soak_.get();
        soak_->Start();
        return true;
    }

    int OnExit() override {
        if (soak_) soak_->Report();
        g_soak = nullptr;
        soak_.reset();
        std::error_code ignored;
        fs::current_path(fs::temp_directory_path(), ignored);
        fs::remove_all(folder_.root, ignored);
        return wxApp::OnExit();
    }

  private:
    uint64_t seed_;
    int seconds_;
    Folder folder_;
    std::unique_ptr<Soak> soak_;
};

uint64_t NumberArgument(int argc, char** argv, const char* option, const char* env,
                        uint64_t fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == option) return std::strtoull(argv[i + 1], nullptr, 10);
    if (const char* value = std::getenv(env); value && *value)
        return std::strtoull(value, nullptr, 10);
    return fallback;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("DISPLAY") == nullptr || *std::getenv("DISPLAY") == '\0') {
        std::fprintf(stderr, "soak: needs an X display (make soak starts Xvfb).\n");
        return 1;
    }
    const uint64_t seed = NumberArgument(argc, argv, "--seed", "SOAK_SEED",
                                         static_cast<uint64_t>(NowMs()) ^ (getpid() * 7919ull));
    const int seconds =
        static_cast<int>(NumberArgument(argc, argv, "--seconds", "SOAK_SECONDS", 600));
    g_seed = seed;
    std::printf("soak: seed %llu, %d s (replay with SOAK_SEED=%llu)\n",
                static_cast<unsigned long long>(seed), seconds,
                static_cast<unsigned long long>(seed));
    std::fflush(stdout);
    std::signal(SIGABRT, OnAbort);
    WatchGLibMessages();

    Turned();
    std::thread watchdog(Watchdog);
    auto* app = new SoakApp(seed, seconds);
    wxApp::SetInstance(app);
    int wxArgc = 1;
    char* wxArgv[] = {argv[0], nullptr};
    const int rc = wxEntry(wxArgc, wxArgv);
    g_stopWatchdog = true;
    watchdog.join();
    if (g_assertions > 0) {
        std::fprintf(stderr, "soak: %d toolkit assertions\n", g_assertions);
        return 1;
    }
    return rc;
}
