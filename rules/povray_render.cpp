// POV-Ray as a child process: posix_spawn with the console on one non-blocking pipe, so whoever
// polls it (a timer of the window, the command line's wait) never blocks on the renderer.
#include "rules/povray_render.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

extern char** environ;

namespace zarni {

namespace {

const char kSceneName[] = "scene.pov";
const char kPictureName[] = "picture.ppm";

}  // namespace

SceneView SceneViewOfCamera(const ViewCamera& camera, float fovy,
                            const std::array<float, 4>& backColor) {
    ViewCamera view = camera;
    UpdateCamera(view);
    SceneView scene;
    scene.width = view.width;
    scene.height = view.height;
    scene.target = view.target;
    scene.up = view.up;
    scene.fovy = fovy;
    scene.backColor = backColor;
    if (view.perspective) {
        scene.eye = view.eye;
        return scene;
    }
    // The orthographic box of the projection, in model lengths: the drawing scales the model by
    // 4 / altitude, and the shorter side of the picture spans 2 of those units.
    const double w = std::max(view.width, 1);
    const double h = std::max(view.height, 1);
    const double unit = view.altitude / 4.0;
    scene.orthographic = true;
    scene.orthoWidth = static_cast<float>(2.0 * (w < h ? 1.0 : w / h) * unit);
    scene.orthoHeight = static_cast<float>(2.0 * (w < h ? h / w : 1.0) * unit);
    // The eye where the view's eye is: kOrthoEyeDistance scaled units in front of the target.
    const Vec3 f = RotatePitchYaw(Vec3{0.0f, 0.0f, 1.0f}, view.pitch, view.yaw);
    const float distance = static_cast<float>(kOrthoEyeDistance * unit);
    scene.eye = Vec3{view.target.x + distance * f.x, view.target.y + distance * f.y,
                     view.target.z + distance * f.z};
    return scene;
}

std::vector<std::string> PovrayArguments(const PovrayOptions& options, const std::string& scene,
                                         const std::string& picture) {
    std::vector<std::string> args = {
        "+I" + scene,
        "+O" + picture,
        "+FP",
        "+W" + std::to_string(options.width),
        "+H" + std::to_string(options.height),
        "+Q" + std::to_string(options.quality),
        // Progress reports on the console; no display window, no pause at the end.
        "+V",
        "-D",
        "-P",
        // The scene's colours are linear (assumed_gamma 1.0); written unchanged, the picture
        // has the colours the views give the same values.
        "File_Gamma=1.0",
    };
    if (options.antialias) {
        args.insert(args.end(), {"+A0.3", "+AM2", "+R3"});
    } else {
        args.push_back("-A");
    }
    return args;
}

void PovrayConsole::Add(const char* data, size_t size) {
    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\n' || c == '\r') {
            Line(partial_);
            partial_.clear();
        } else if (partial_.size() < 4096) {
            partial_ += c;
        }
    }
}

void PovrayConsole::Line(const std::string& line) {
    if (line.empty()) {
        continuing_ = false;
        return;
    }
    // "Rendered 1024 of 76800 pixels (1%)", and with antialiasing ", 12 supersamples" after it.
    if (line.compare(0, 9, "Rendered ") == 0) {
        const size_t close = line.find("%)");
        const size_t open = line.rfind('(', close);
        if (close != std::string::npos && open != std::string::npos && open + 1 < close) {
            const int value = std::atoi(line.c_str() + open + 1);
            if (value >= 0 && value <= 100) percent_ = value;
        }
        continuing_ = false;
        return;
    }
    lastLine_ = line;
    // POV-Ray wraps long messages onto lines that start with one space.
    if (continuing_ && line.size() > 1 && line[0] == ' ' && line[1] != ' ') {
        firstError_ += line;
        return;
    }
    continuing_ = false;
    if (!firstError_.empty()) return;
    if (line.find("Error") != std::string::npos || line.find("error") != std::string::npos ||
        line.compare(0, 13, "Render failed") == 0) {
        firstError_ = line;
        continuing_ = true;
    }
}

std::string PovrayConsole::FirstError() const {
    if (!firstError_.empty()) return firstError_;
    return partial_.empty() ? lastLine_ : partial_;
}

bool DecodePpm(const std::string& bytes, RgbPicture& picture, std::string* why) {
    auto fail = [&](const char* text) {
        if (why) *why = text;
        return false;
    };
    if (bytes.size() < 2 || bytes[0] != 'P' || bytes[1] != '6') return fail("not a P6 picture");
    size_t at = 2;
    long fields[3] = {0, 0, 0};
    for (long& field : fields) {
        // Blanks and comments up to the number.
        while (at < bytes.size()) {
            if (bytes[at] == '#') {
                while (at < bytes.size() && bytes[at] != '\n')
                    ++at;
            } else if (std::isspace(static_cast<unsigned char>(bytes[at]))) {
                ++at;
            } else {
                break;
            }
        }
        if (at >= bytes.size() || !std::isdigit(static_cast<unsigned char>(bytes[at])))
            return fail("the picture's header is damaged");
        while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at]))) {
            field = field * 10 + (bytes[at++] - '0');
            if (field > 1000000) return fail("the picture's header is damaged");
        }
    }
    // One blank after the largest value, then the samples.
    if (at >= bytes.size() || !std::isspace(static_cast<unsigned char>(bytes[at])))
        return fail("the picture's header is damaged");
    ++at;
    const long width = fields[0], height = fields[1], maxValue = fields[2];
    if (width < 1 || height < 1 || maxValue < 1 || maxValue > 65535 || width * height > 100000000)
        return fail("the picture's size is not one POV-Ray writes");
    const size_t sampleBytes = maxValue > 255 ? 2 : 1;
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    if (bytes.size() - at < count * sampleBytes) return fail("the picture is cut short");
    picture.width = static_cast<int32_t>(width);
    picture.height = static_cast<int32_t>(height);
    picture.rgb.resize(count);
    const auto* in = reinterpret_cast<const uint8_t*>(bytes.data() + at);
    for (size_t i = 0; i < count; ++i) {
        const long v = sampleBytes == 2 ? (in[i * 2] << 8 | in[i * 2 + 1]) : in[i];
        picture.rgb[i] = static_cast<uint8_t>((v * 255 + maxValue / 2) / maxValue);
    }
    return true;
}

RenderFolder::RenderFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/zarni-render-XXXXXX";
    if (mkdtemp(pattern.data())) path_ = pattern;
}

RenderFolder::~RenderFolder() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string PovrayMissingMessage(const std::string& program) {
    return "POV-Ray (" + program +
           ") was not found on the PATH; install the Debian package povray "
           "(sudo apt-get install povray)";
}

PovrayJob::~PovrayJob() {
    Cancel();
}

void PovrayJob::Fail(const std::string& text) {
    message_ = text;
    state_ = State::Failed;
    folder_.reset();
}

bool PovrayJob::Start(const Document& doc, const SceneView& view, const PovrayOptions& options,
                      const std::string& program) {
    Cancel();
    console_ = PovrayConsole();
    picture_ = RgbPicture();
    message_.clear();
    folder_ = std::make_unique<RenderFolder>();
    if (!folder_->ok()) {
        Fail(std::string("POV-Ray cannot render: no temporary folder could be made (") +
             std::strerror(errno) + ")");
        return false;
    }
    std::string why;
    if (ExportScene37(doc, view, folder_->File(kSceneName), &why) != 0) {
        Fail("POV-Ray cannot render: the scene could not be written: " + why);
        return false;
    }

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        Fail(std::string("POV-Ray cannot be started: ") + std::strerror(errno));
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 2);
    // POV-Ray's file security lets it write only below its working folder.
    posix_spawn_file_actions_addchdir_np(&actions, folder_->path().c_str());

    std::vector<std::string> args = {program};
    for (std::string& a : PovrayArguments(options, kSceneName, kPictureName))
        args.push_back(std::move(a));
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned =
        posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        close(pipeFds[0]);
        Fail(spawned == ENOENT
                 ? PovrayMissingMessage(program)
                 : "POV-Ray (" + program + ") cannot be started: " + std::strerror(spawned));
        return false;
    }
    fcntl(pipeFds[0], F_SETFL, fcntl(pipeFds[0], F_GETFL) | O_NONBLOCK);
    fd_ = pipeFds[0];
    pid_ = pid;
    state_ = State::Running;
    return true;
}

void PovrayJob::Drain() {
    if (fd_ < 0) return;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            console_.Add(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) {
            close(fd_);
            fd_ = -1;
        }
        return;
    }
}

PovrayJob::State PovrayJob::Poll() {
    if (state_ != State::Running) return state_;
    Drain();
    int status = 0;
    const pid_t ended = waitpid(pid_, &status, WNOHANG);
    if (ended == pid_ || (ended < 0 && errno == ECHILD)) {
        pid_ = -1;
        Drain();
        Finish(ended == -1 ? -1 : status);
    }
    return state_;
}

PovrayJob::State PovrayJob::Wait(int ms) {
    if (state_ == State::Running && fd_ >= 0 && ms > 0) {
        pollfd p{fd_, POLLIN, 0};
        poll(&p, 1, ms);
    } else if (state_ == State::Running && ms > 0) {
        // The console is closed; the process is about to end.
        usleep(static_cast<useconds_t>(std::min(ms, 20)) * 1000);
    }
    return Poll();
}

void PovrayJob::Finish(int status) {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (status == -1 || !WIFEXITED(status)) {
        Fail(status != -1 && WIFSIGNALED(status)
                 ? "POV-Ray ended on signal " + std::to_string(WTERMSIG(status))
                 : std::string("POV-Ray ended unexpectedly"));
        return;
    }
    if (WEXITSTATUS(status) != 0) {
        const std::string line = console_.FirstError();
        Fail("POV-Ray failed" + (line.empty() ? std::string() : ": " + line));
        return;
    }
    std::ifstream in(folder_->File(kPictureName), std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string why;
    if (!in || !DecodePpm(bytes.str(), picture_, &why)) {
        Fail("POV-Ray wrote no readable picture" + (why.empty() ? std::string() : ": " + why));
        return;
    }
    state_ = State::Done;
    folder_.reset();
}

void PovrayJob::Cancel() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        // SIGKILL cannot be caught: the wait is the kernel tearing the process down.
        while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
    if (state_ == State::Running) state_ = State::Cancelled;
    folder_.reset();
}

}  // namespace zarni
