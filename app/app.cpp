// The application object: hands the arguments to the start-up without letting the toolkit
// interpret them (options are ignored, as they always were), and is the last boundary for
// exceptions that no command caught.
#include "app/app.h"

#include <wx/msgdlg.h>

#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "platform/heap.h"
#include "app/start.h"
#include "ui/main_frame.h"

namespace zarni {

bool ZarniApp::OnInit() {
    KeepFrameBuffersInTheHeap();
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i].utf8_string());
    return StartProgram(arguments) != nullptr;
}

bool ZarniApp::OnExceptionInMainLoop() {
    if (MainFrame* frame = TheMainFrame()) {
        frame->CommandFailed();  // handles the exception being handled here
        return true;
    }
    // No window to go back to: the message is all that can be done.
    try {
        throw;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zarni: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "zarni: unknown failure\n");
    }
    return true;
}

void ZarniApp::OnUnhandledException() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "zarni: out of memory\n");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zarni: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "zarni: unknown failure\n");
    }
}

}  // namespace zarni
