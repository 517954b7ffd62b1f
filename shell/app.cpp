// The application object: hands the arguments to the start-up without letting the toolkit
// interpret them (options are ignored, as they always were).
#include "shell/app.h"

#include <malloc.h>

#include <string>
#include <vector>

#include "shell/main_frame.h"

namespace zarni {

bool ZarniApp::OnInit() {
    // Mesa's software renderer allocates and frees frame-sized buffers on every frame. With
    // glibc's defaults they are mapped and unmapped each time, and the kernel clears the fresh
    // pages: about 40% of a frame. Keeping them in the heap lets frames reuse the memory.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    mallopt(M_TOP_PAD, 16 * 1024 * 1024);
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i].utf8_string());
    return StartProgram(arguments) != nullptr;
}

}  // namespace zarni
