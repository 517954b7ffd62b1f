// The application object: hands the arguments to the start-up without letting the toolkit
// interpret them (options are ignored, as they always were).
#include "shell/app.h"

#include <string>
#include <vector>

#include "platform/heap.h"
#include "shell/main_frame.h"

namespace zarni {

bool ZarniApp::OnInit() {
    KeepFrameBuffersInTheHeap();
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i].utf8_string());
    return StartProgram(arguments) != nullptr;
}

}  // namespace zarni
