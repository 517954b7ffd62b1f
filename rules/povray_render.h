// Rendering a document through POV-Ray 3.7 as a child process, without a display: the scene of
// a view's camera, the command line, the console's progress and errors, the private folder and
// the picture read back. zarni-cli waits for it; the render window polls it from a timer.
#pragma once

#include <sys/types.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/pov_export.h"
#include "model/document.h"
#include "view/camera.h"

namespace zarni {

constexpr int32_t kPovrayMinQuality = 0;
constexpr int32_t kPovrayMaxQuality = 11;
constexpr int32_t kPovrayDefaultQuality = 9;

struct PovrayOptions {
    int32_t width = 320;  // pixels
    int32_t height = 240;
    int32_t quality = kPovrayDefaultQuality;  // POV-Ray's +Q, 0..11
    bool antialias = false;
};

// The scene file's camera for a view: a perspective view as the view projects it (vertical
// field of view `fovy`), an orthographic one spanning what the view spans. Eye, target and up
// are computed afresh from the camera's pan, altitude and angles.
SceneView SceneViewOfCamera(const ViewCamera& camera, float fovy,
                            const std::array<float, 4>& backColor);

// POV-Ray's arguments (after the program name) for the scene file `scene`, writing `picture` as
// a PPM whose values are the scene's colours unchanged (the views' background comes out as the
// views show it), with progress reports and without a display or a pause.
std::vector<std::string> PovrayArguments(const PovrayOptions& options, const std::string& scene,
                                         const std::string& picture);

// What POV-Ray writes to its console, read as it arrives in pieces of any size: the last
// percentage of the render reports, the first error line (with the lines it wraps onto).
class PovrayConsole {
  public:
    void Add(const char* data, size_t size);
    // 0..100; -1 until the first report.
    int percent() const { return percent_; }
    // The first error line, or the last line written when no line says "error".
    std::string FirstError() const;

  private:
    void Line(const std::string& line);
    std::string partial_;
    std::string firstError_;
    std::string lastLine_;
    bool continuing_ = false;
    int percent_ = -1;
};

// A picture top row first, packed RGB.
struct RgbPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> rgb;
};

// A binary PPM (P6, comments allowed, 8 or 16 bits a channel); false with the reason when the
// bytes are not one or are cut short.
bool DecodePpm(const std::string& bytes, RgbPicture& picture, std::string* why = nullptr);

// A folder of its own under $TMPDIR (or /tmp), removed with everything in it when destroyed.
class RenderFolder {
  public:
    RenderFolder();
    ~RenderFolder();
    RenderFolder(const RenderFolder&) = delete;
    RenderFolder& operator=(const RenderFolder&) = delete;
    bool ok() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// One render: the 3.7 scene written into a private folder, POV-Ray started there with its
// console on a non-blocking pipe, the picture read back once it ended. The folder goes as soon
// as the render ends, fails or is cancelled, and a running POV-Ray is killed when the job is
// destroyed.
class PovrayJob {
  public:
    enum class State { Idle, Running, Done, Failed, Cancelled };

    PovrayJob() = default;
    ~PovrayJob();
    PovrayJob(const PovrayJob&) = delete;
    PovrayJob& operator=(const PovrayJob&) = delete;

    // Starts a render (a running one is cancelled first). False, with message(), when the
    // scene cannot be written or `program` (looked up on the PATH) cannot be started.
    bool Start(const Document& doc, const SceneView& view, const PovrayOptions& options,
               const std::string& program = "povray");
    // Reads the console output that has arrived, without waiting, and notices the end of the
    // process; returns the state after that.
    State Poll();
    // Waits up to `ms` milliseconds for output or the end of the process (0: not at all), then
    // polls.
    State Wait(int ms);
    // Ends a running POV-Ray at once (SIGKILL to its process id) and collects it.
    void Cancel();

    State state() const { return state_; }
    bool running() const { return state_ == State::Running; }
    pid_t pid() const { return pid_; }
    // The folder of the running render (empty once it ended).
    std::string folder() const { return folder_ ? folder_->path() : std::string(); }
    int percent() const { return console_.percent(); }
    // The picture of a render that is Done.
    const RgbPicture& picture() const { return picture_; }
    // Why the render failed, naming POV-Ray.
    const std::string& message() const { return message_; }

  private:
    void Finish(int status);
    void Drain();
    void Fail(const std::string& text);

    State state_ = State::Idle;
    pid_t pid_ = -1;
    int fd_ = -1;
    std::unique_ptr<RenderFolder> folder_;
    PovrayConsole console_;
    RgbPicture picture_;
    std::string message_;
};

// The message for a POV-Ray that is not installed.
std::string PovrayMissingMessage(const std::string& program);

}  // namespace zarni
