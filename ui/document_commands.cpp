// The File commands, the shared save dialog and the documents that come in from the command
// line and by dropping files.
#include "ui/document_commands.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/msgdlg.h>

#include <functional>
#include <new>

#include "formats/gltf_export.h"
#include "formats/native_file.h"
#include "formats/obj_export.h"
#include "formats/pov_export.h"
#include "formats/stl_export.h"
#include "formats/svg_import.h"
#include "ui/app_state.h"
#include "ui/back_pictures.h"
#include "ui/file_dialog.h"
#include "ui/long_work.h"
#include "ui/palette_strip.h"
#include "ui/views.h"

namespace zarni {

namespace {

void ReportError(wxWindow* owner, const std::string& text, const char* caption) {
    wxMessageBox(wxString::FromUTF8(text), wxString::FromUTF8(caption), wxOK | wxICON_ERROR, owner);
}

std::string Reason(const std::string& why, int result) {
    return why.empty() ? DocumentFileResultText(result) : why;
}

// Writes the document to `path` on a worker thread, with a progress dialog if it takes long.
int WriteWithProgress(wxWindow* owner, const std::string& path, std::string* why) {
    const Document& doc = App().doc;
    int result = kFileOk;
    RunLongWork(owner, "ファイルの保存", "ファイルを保存しています。\n" + MessagePath(path),
                [&] { result = WriteDocumentFile(doc, path, why); });
    return result;
}

// What the scene file takes from view 0, the perspective view.
SceneView SceneViewOfViewZero() {
    AppState& app = App();
    SceneView scene;
    ViewSet* views = Views();
    if (views && views->view(0)) {
        ViewCamera camera = views->view(0)->camera;
        UpdateCamera(camera);
        scene.width = camera.width;
        scene.height = camera.height;
        scene.eye = camera.eye;
        scene.target = camera.target;
        scene.up = camera.up;
    } else {
        scene = DefaultSceneView(800, 560, app.settings.defaultAltitude, app.cameras.fovy,
                                 app.settings.backColorRGBA);
    }
    scene.fovy = app.cameras.fovy;
    scene.backColor = app.settings.backColorRGBA;
    return scene;
}

}  // namespace

void NewInstance() {
    AppState& app = App();
    if (app.startInstance) app.startInstance({});
}

bool SaveFileDialog(wxWindow* owner, const std::vector<FileFilter>& filters,
                    const std::string& offered,
                    const std::function<std::string(int storedIndex)>& extensionFor) {
    FileDialogState& state = App().fileDialog;
    if (state.startDir.empty()) state.startDir = wxGetCwd().utf8_string();
    std::string path = offered;
    std::string folder = state.startDir;
    if (!state.fileName.empty())
        folder = wxFileName(wxString::FromUTF8(state.fileName)).GetPath().utf8_string();
    for (;;) {
        // The toolkit's own question would ask about the name as typed, before its extension
        // is forced; the question comes below, about the file that would be written.
        FileDialog dialog(owner, wxString::FromUTF8("ファイルの保存"), wxString::FromUTF8(folder),
                          wxString(), wxString::FromUTF8(WildcardFor(filters)), wxFD_SAVE);
        if (!path.empty()) dialog.SetPath(wxString::FromUTF8(path));
        dialog.SetFilterIndex(DialogIndexFor(state.filterIndex, static_cast<int>(filters.size())));
        const int result = dialog.ShowModal();
        state.filterIndex = StoredIndexFor(dialog.GetFilterIndex());
        if (result != wxID_OK) return false;
        const std::string extension = extensionFor(state.filterIndex);
        const std::string typed = dialog.GetPath().utf8_string();
        if (extension.empty() || typed.empty()) return false;
        path = ForceExtension(typed, extension);
        folder = wxFileName(wxString::FromUTF8(path)).GetPath().utf8_string();
        if (wxFileName::Exists(wxString::FromUTF8(path))) {
            wxMessageDialog question(
                owner,
                wxString::FromUTF8(MessagePath(path) + "\nは既にあります。\n置き換えますか?"),
                wxString::FromUTF8("上書きの確認"), wxYES_NO | wxNO_DEFAULT | wxICON_EXCLAMATION);
            // No goes back to the dialog with the name it would have written.
            if (question.ShowModal() != wxID_YES) continue;
        }
        state.fileName = path;
        return true;
    }
}

bool WindowUntouched() {
    const AppState& app = App();
    return app.documentPath.empty() && !app.doc.modified && !app.history.CanUndo() &&
           app.doc.objectCount() == 1 && app.doc.objects[0].points.empty();
}

std::vector<std::string> OpenFileDialog(wxWindow* owner, const char* caption, bool multiple) {
    FileDialogState& state = App().fileDialog;
    if (state.startDir.empty()) state.startDir = wxGetCwd().utf8_string();
    const std::vector<FileFilter>& filters = SaveAsFilters();
    FileDialog dialog(owner, wxString::FromUTF8(caption), wxString::FromUTF8(state.startDir),
                      wxString(), wxString::FromUTF8(WildcardFor(filters)),
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST | (multiple ? wxFD_MULTIPLE : 0));
    if (!state.fileName.empty()) dialog.SetPath(wxString::FromUTF8(state.fileName));
    dialog.SetFilterIndex(DialogIndexFor(state.filterIndex, static_cast<int>(filters.size())));
    const int result = dialog.ShowModal();
    state.filterIndex = StoredIndexFor(dialog.GetFilterIndex());
    std::vector<std::string> paths;
    if (result != wxID_OK) return paths;
    wxArrayString chosen;
    dialog.GetPaths(chosen);
    for (const wxString& path : chosen)
        if (!path.empty()) paths.push_back(path.utf8_string());
    if (!paths.empty()) state.fileName = paths.front();
    return paths;
}

bool OpenCommand(wxWindow* owner) {
    AppState& app = App();
    const std::vector<std::string> paths = OpenFileDialog(owner, "ファイルを開く", true);
    if (paths.empty()) return false;
    // A window with nothing in it takes the first file; everything else opens in a new window,
    // as files named on the command line after the first do.
    const bool untouched = WindowUntouched();
    std::vector<std::string> rest = paths;
    bool opened = false;
    if (untouched) {
        opened = OpenCommandLineFile(owner, paths.front());
        rest.erase(rest.begin());
    }
    if (!rest.empty() && app.startInstance) opened = app.startInstance(rest) || opened;
    return opened;
}

bool CloseAndOpenCommand(wxWindow* owner) {
    AppState& app = App();
    // The present document is saved first when it has changes; it stays when that save does
    // not happen or no file is chosen.
    if (app.doc.modified && !SaveAsCommand(owner)) return false;
    const std::vector<std::string> paths = OpenFileDialog(owner, "ファイルを開く", false);
    if (paths.empty()) return false;
    return OpenCommandLineFile(owner, paths.front());
}

int AppendCommand(wxWindow* owner) {
    const std::vector<std::string> paths = OpenFileDialog(owner, "ファイルの追加", true);
    if (paths.empty()) return 0;
    return AppendDroppedFiles(owner, paths);
}

bool SaveCommand(wxWindow* owner) {
    AppState& app = App();
    if (app.documentPath.empty()) return SaveAsCommand(owner);
    StoreCameraMemories(app.cameras, app.doc);
    std::string why;
    const int result = WriteWithProgress(owner, app.documentPath, &why);
    if (result != kFileOk) {
        ReportError(owner,
                    "ファイルを保存できませんでした。\n" + MessagePath(app.documentPath) + "\n" +
                        Reason(why, result),
                    "ファイルの保存");
        return false;
    }
    // The file holds the document as it is now, changes not yet recorded included.
    app.history.Commit(app.doc);
    app.history.MarkSaved();
    app.doc.modified = false;
    return true;
}

bool SaveAsCommand(wxWindow* owner) {
    AppState& app = App();
    // The document's own name is offered, or none; never the last name of another dialog.
    if (!SaveFileDialog(owner, SaveAsFilters(), app.documentPath,
                        [](int index) { return std::string(index == 1 ? "zarni" : ""); })) {
        return false;
    }
    StoreCameraMemories(app.cameras, app.doc);
    std::string why;
    const int result = WriteWithProgress(owner, app.fileDialog.fileName, &why);
    if (result != kFileOk) {
        ReportError(owner,
                    "ファイルを保存できませんでした。\n" + MessagePath(app.fileDialog.fileName) +
                        "\n" + Reason(why, result),
                    "ファイルの保存");
        return false;
    }
    app.history.Commit(app.doc);
    app.history.MarkSaved();
    app.doc.modified = false;
    app.documentPath = app.fileDialog.fileName;
    return true;
}

void ExportCommand(wxWindow* owner) {
    AppState& app = App();
    if (!SaveFileDialog(owner, ExportFilters(), app.fileDialog.fileName, [](int index) {
            return std::string(ExportExtension(ExportKindFor(index)));
        })) {
        return;
    }
    const ExportKind kind = ExportKindFor(app.fileDialog.filterIndex);
    const std::string& path = app.fileDialog.fileName;
    std::string why;
    int result = 0;
    switch (kind) {
        case ExportKind::Scene:
            result = ExportScene(app.doc, SceneViewOfViewZero(), path, &why);
            break;
        case ExportKind::Include:
            result = ExportInclude(app.doc, path, &why);
            break;
        case ExportKind::Scene37:
            result = ExportScene37(app.doc, SceneViewOfViewZero(), path, &why);
            break;
        case ExportKind::Include37:
            result = ExportInclude37(app.doc, path, &why);
            break;
        case ExportKind::Obj:
            // The mesh the views show: their subdivision level.
            result = ExportObj(app.doc, app.sw.divLevel, path, &why);
            break;
        case ExportKind::Stl:
            result = ExportStl(app.doc, app.sw.divLevel, path, &why);
            break;
        case ExportKind::Glb:
            result = ExportGlb(app.doc, app.sw.divLevel, path, &why);
            break;
        case ExportKind::None:
            break;
    }
    if (result != 0) {
        ReportError(owner,
                    "ファイルを書き出せませんでした。\n" + MessagePath(app.fileDialog.fileName) +
                        "\n" + why,
                    "エクスポート");
    }
}

bool ConfirmExit(wxWindow* owner) {
    if (!App().doc.modified) return true;
    wxMessageDialog question(owner, wxString::FromUTF8("データは変更されています\r\n保存しますか"),
                             wxString::FromUTF8("保存の確認"),
                             wxYES_NO | wxCANCEL | wxICON_EXCLAMATION);
    switch (question.ShowModal()) {
        case wxID_YES:
            return SaveAsCommand(owner);
        case wxID_NO:
            return true;
        default:
            return false;
    }
}

bool OpenCommandLineFile(wxWindow* owner, const std::string& path,
                         const std::string& picturesBeside) {
    AppState& app = App();
    std::string why;
    // Read beside the document the views still draw, which it then replaces.
    Document read = WithoutObjects(app.doc);
    EditSwitches sw = app.sw;
    Clipboard clipboard;
    int result = kFileOk;
    RunLongWork(owner, "ファイルの読み込み", "ファイルを読み込んでいます。\n" + MessagePath(path),
                [&] { result = ReadDocumentFile(read, sw, clipboard, path, {}, &why); });
    if (result != kFileOk) {
        const std::string text =
            "ファイルを読み込めませんでした。\n" + MessagePath(path) + "\n" + Reason(why, result);
        // Shown once the main window is up, not in the middle of start-up.
        owner->CallAfter([owner, text] { ReportError(owner, text, "ファイルの読み込み"); });
        return false;
    }
    app.doc = std::move(read);
    app.sw = sw;
    app.clipboard.Clear();
    app.cameras = CameraMemoriesFromDocument(app.doc);
    // A picture that cannot be loaded keeps its slot's name, so saving loses nothing; the
    // missing ones are reported together.
    const std::vector<std::string> missing =
        LoadDocumentPictures(app.doc, picturesBeside.empty() ? path : picturesBeside);
    if (!missing.empty()) {
        std::string text = "次の背景画像を読み込めませんでした。";
        for (const std::string& line : missing)
            text += "\n" + MessagePath(line);
        owner->CallAfter([owner, text] { ReportError(owner, text, "背景画像の読み込み"); });
    }
    ClearPointSelection(app.doc);
    RedrawAllViews();
    RedrawPalette();
    DocumentChanged(app.doc, app.sw);
    // The opened document equals its file: undo starts here, and nothing is changed yet.
    app.doc.modified = false;
    app.documentPath = path;
    app.history.Reset(app.doc, true);
    return true;
}

int AppendDroppedFiles(wxWindow* owner, const std::vector<std::string>& paths) {
    AppState& app = App();
    int appended = 0;
    bool lastWasDrawing = false;
    std::string failures;
    for (const std::string& path : paths) {
        std::string why;
        if (IsSvgFileName(path)) {
            // A drawing comes in whole as one new object, or not at all.
            bool added = false;
            try {
                CurveSet curves;
                if (ImportSvgFile(path, kDropImportSize, curves, nullptr, &why)) {
                    AddCurvesObject(app.doc, app.sw, curves);
                    added = true;
                }
            } catch (const std::bad_alloc&) {
                why = "not enough memory";
            }
            if (added) {
                ++appended;
                lastWasDrawing = true;
            } else {
                failures += "\n" + MessagePath(path + ": " + why);
            }
            continue;
        }
        const int result = AppendDocumentFile(app.doc, path, &why);
        if (result == kFileOk) {
            ++appended;
            lastWasDrawing = false;
        } else {
            failures += "\n" + MessagePath(path + ": " + Reason(why, result));
        }
    }
    if (appended > 0) {
        // A drawing appended last stays selected, ready to be extruded or lathed.
        if (!lastWasDrawing) ClearPointSelection(app.doc);
        RedrawAllViews();
        DocumentChanged(app.doc, app.sw);
        RedrawPalette();
    }
    if (!failures.empty()) {
        const std::string text = "次のファイルは追加できませんでした。" + failures;
        owner->CallAfter([owner, text] { ReportError(owner, text, "ファイルの追加"); });
    }
    return appended;
}

void OpenHelpText() {
    AppState& app = App();
    const std::string path = HelpFilePath(ExecutablePath(), [](const std::string& candidate) {
        return wxFileName::FileExists(wxString::FromUTF8(candidate));
    });
    if (app.openWithDesktop) app.openWithDesktop(path);
}

}  // namespace zarni
