// The four OpenGL views, their layouts, deferred redraws and timer, and the window side of the
// editing state machine.
#include "ui/views.h"

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/settings.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "gl/pick.h"
#include "platform/clock.h"
#include "resources/ids.h"
#include "rules/back_picture.h"
#include "ui/app_state.h"
#include "ui/cursors.h"
#include "ui/hint_window.h"
#include "ui/key_filter.h"
#include "ui/palette_strip.h"

namespace zarni {

namespace {

ViewSet* g_views = nullptr;

uint64_t Mix(uint64_t h, uint64_t v) {
    return h ^ (v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2));
}

uint64_t MixFloat(uint64_t h, float f) {
    uint32_t bits = 0;
    std::memcpy(&bits, &f, sizeof bits);
    return Mix(h, bits);
}

uint64_t MixVec(uint64_t h, const Vec3& v) {
    return MixFloat(MixFloat(MixFloat(h, v.x), v.y), v.z);
}

wxGLAttributes ViewAttributes() {
    wxGLAttributes attributes;
    attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(24).EndList();
    if (wxGLCanvas::IsDisplaySupported(attributes)) return attributes;
    wxGLAttributes fallback;
    fallback.PlatformDefaults().RGBA().DoubleBuffer().Depth(16).EndList();
    return fallback;
}

// The view's key code of a key press, or 0 for keys the views do not know.
int32_t ViewKeyOf(int key) {
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return key;
    if (key >= 'a' && key <= 'z') return key - 'a' + 'A';
    if (key >= WXK_NUMPAD0 && key <= WXK_NUMPAD9) return kKeyNumpad0 + (key - WXK_NUMPAD0);
    switch (key) {
        case WXK_UP:
        case WXK_NUMPAD_UP:
            return kKeyUp;
        case WXK_DOWN:
        case WXK_NUMPAD_DOWN:
            return kKeyDown;
        case WXK_F4:
            return kKeyF4;
        case WXK_F12:
            return kKeyF12;
        default:
            return 0;
    }
}

ModifierKeys KeysOf(const wxKeyboardState& state) {
    return ModifierKeys{state.ControlDown(), state.ShiftDown(), state.AltDown()};
}

}  // namespace

ViewSet* Views() {
    return g_views;
}
void SetViews(ViewSet* views) {
    g_views = views;
}

void RedrawAllViews() {
    if (g_views) g_views->RedrawAllViews();
}

void RedrawCurrentView() {
    if (g_views) g_views->RedrawCurrentView();
}

void FlushRedraws() {
    if (g_views) g_views->FlushRedraws();
}

// ---------------------------------------------------------------------------------------------

ViewPanel::ViewPanel(wxWindow* parent, ViewSet& set, int index, const wxGLAttributes& attributes,
                     const wxGLContext* share)
    : wxGLCanvas(parent, attributes, kFirstViewId + index, wxPoint(0, 0), wxSize(100, 100),
                 wxBORDER_SUNKEN | wxWANTS_CHARS, "GLPanel"),
      set_(set),
      index_(index) {
    context_ = std::make_unique<wxGLContext>(this, share);
    textures_ = &set.textures_;
    if (share && !context_->IsOK()) {
        // Drawing with unshared names would show another picture or none; a context of its
        // own with its own textures still shows the right ones.
        context_ = std::make_unique<wxGLContext>(this);
        ownTextures_ = std::make_unique<PictureTextures>();
        textures_ = ownTextures_.get();
    }
    Bind(wxEVT_PAINT, &ViewPanel::OnPaint, this);
    // Marked views are drawn from the views' own idle event. Under GTK 3 wx sends it from a
    // low-priority main-loop source, after every pending input event, timer and GTK redraw,
    // so it runs exactly when the queue is empty, and the window's idle event comes before
    // its children's: the main window's idle step (a drag outside the view, the palette's
    // poll) has made its requests when the views draw. Refresh(false) would also coalesce,
    // but its paint comes from GTK's frame clock on its own schedule (throttled to the frame
    // rate, waiting for the compositor), never for a hidden view, and gives neither a way to
    // know that every requested picture is drawn nor a way to draw it at once.
    SetExtraStyle(GetExtraStyle() | wxWS_EX_PROCESS_IDLE);
    Bind(wxEVT_IDLE, &ViewPanel::OnIdle, this);
    Bind(wxEVT_SIZE, &ViewPanel::OnSize, this);
    Bind(wxEVT_ERASE_BACKGROUND, [](wxEraseEvent&) {});
    Bind(wxEVT_KEY_DOWN, &ViewPanel::OnKeyDown, this);
    Bind(wxEVT_CHAR, &ViewPanel::OnChar, this);
    for (const wxEventTypeTag<wxMouseEvent>& type :
         {wxEVT_MOTION, wxEVT_LEAVE_WINDOW, wxEVT_RIGHT_DOWN, wxEVT_RIGHT_UP, wxEVT_RIGHT_DCLICK,
          wxEVT_MIDDLE_DOWN, wxEVT_MIDDLE_UP, wxEVT_MIDDLE_DCLICK, wxEVT_LEFT_DOWN, wxEVT_LEFT_UP,
          wxEVT_LEFT_DCLICK, wxEVT_MOUSEWHEEL}) {
        Bind(type, &ViewPanel::OnMouse, this);
    }
}

bool ViewPanel::Render(FrameSlices* slices, FrameSlices::Clock::time_point deadline) {
    if (!IsShownOnScreen() || !contextOk()) return false;
    const wxSize size = GetClientSize() * GetContentScaleFactor();
    if (size.x <= 0 || size.y <= 0) return false;
    if (!SetCurrent(*context_)) return false;
    AppState& app = App();
    if (!glReady_) {
        InitContextState(app.settings);
        glReady_ = true;
    }
    if (camera.width != size.x || camera.height != size.y) {
        camera.width = size.x;
        camera.height = size.y;
        projectionLoaded_ = false;
    }
    UpdateCamera(camera);
    // Textures of pictures no slot shows any more are deleted here, where a context of their
    // space is current (an undo step may still hold the picture: its texture is made again
    // should it come back).
    std::vector<const void*> inSlots;
    for (const BackPictureSlot& s : app.doc.backPictures)
        if (s.picture) inSlots.push_back(s.picture.get());
    textures_->ReleaseUnused(inSlots);
    // A picture drawn whole replaces any under way in slices.
    if (!slices && slices_.inProgress()) slices_.Restart();
    SceneInput in = set_.MakeSceneInput(*this, *textures_);
    const auto& back = app.settings.backColorRGBA;
    glClearColor(back[0], back[1], back[2], back[3]);
    const float fovy = app.cameras.fovy;
    // A picture under way goes on at the level it began with; one whose projection must be
    // loaded again (a new size) begins again.
    if (slices && slices->inProgress() && ProjectionPending()) slices->Restart();
    const bool continuing = slices && slices->inProgress();
    if (slices) {
        if (continuing) {
            in.detail = sliceLevel_;
        } else {
            sliceLevel_ = in.detail;
        }
        in.slices = slices;
        slices->BeginSlice(deadline);
    }
    if (continuing) {
        // A pick between the slices may have left its own projection in the context.
        LoadProjection(camera, fovy);
        DrawView(in, camera);
    } else if (!projectionLoaded_ || loadedFovy_ != fovy ||
               loadedPerspective_ != camera.perspective) {
        // A new size, field of view or camera kind needs the projection loaded again: that is
        // the size message's work, which also saves the matrices the cursor mapping reads.
        SizeView(camera, fovy, in);
        projectionLoaded_ = true;
        loadedFovy_ = fovy;
        loadedPerspective_ = camera.perspective;
    } else {
        DrawView(in, camera);
    }
    if (slices && !continuing) sliceState_ = set_.PictureState(*this);
    if (slices && !slices->complete()) {
        // The slice's share of the rasterising is done now, not in the next turn's time.
        glFinish();
        return false;
    }
    const RubberBand& band = set_.editor().rubberBand();
    if (band.visible && set_.bandView_ == index_) DrawRubberBand(camera, fovy, band.from, band.to);
    SwapBuffers();
    drawnState_ = set_.PictureState(*this);
    drawPending_ = false;
    set_.CountDraw();
    return true;
}

void ViewPanel::LoadMatrices() {
    if (!IsShownOnScreen() || !contextOk()) return;
    const wxSize size = GetClientSize() * GetContentScaleFactor();
    if (size.x <= 0 || size.y <= 0 || !SetCurrent(*context_)) return;
    if (!glReady_) {
        InitContextState(App().settings);
        glReady_ = true;
    }
    camera.width = size.x;
    camera.height = size.y;
    UpdateCamera(camera);
    const float fovy = App().cameras.fovy;
    // What the size message saves, without its drawing: the modelview after a picture is the
    // view's own transform again.
    LoadProjection(camera, fovy);
    ApplyViewTransform(camera, false);
    SaveViewMatrices(camera);
    projectionLoaded_ = true;
    loadedFovy_ = fovy;
    loadedPerspective_ = camera.perspective;
}

bool ViewPanel::ProjectionPending() const {
    const wxSize size = GetClientSize() * GetContentScaleFactor();
    return !projectionLoaded_ || loadedFovy_ != App().cameras.fovy ||
           loadedPerspective_ != camera.perspective || camera.width != size.x ||
           camera.height != size.y;
}

void ViewPanel::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    // A picture that takes longer than a slice (or one under way in the back buffer) is
    // drawn from the idle passes: a quick reduced one first, so the view is painted at once.
    if (slices_.inProgress() || set_.SlowPicture(*this)) {
        set_.RequestDraw(index_);
        return;
    }
    const int previous = set_.currentView();
    Render();
    // A paint of a view other than the current one gives the context back afterwards.
    if (previous != index_ && previous >= 0) set_.MakeCurrent(previous);
}

void ViewPanel::OnIdle(wxIdleEvent& event) {
    // One more idle pass after a picture: the idle step of a drag outside the view moves on
    // after each picture, and stops once the cursor rests and nothing is drawn.
    if (set_.IdleOfView(index_)) event.RequestMore();
    event.Skip();
}

void ViewPanel::OnSize(wxSizeEvent& event) {
    projectionLoaded_ = false;
    // GTK's paint of the new size comes before the idle pass and takes the mark with it; the
    // mark draws the view should no paint come.
    set_.RequestDraw(index_);
    Refresh(false);
    event.Skip();
}

void ViewPanel::OnKeyDown(wxKeyEvent& event) {
    set_.MakeCurrent(index_);
    // Alt combinations belong to the menu.
    const int32_t key = event.AltDown() ? 0 : ViewKeyOf(event.GetKeyCode());
    if (key != 0 && set_.editor().Key(camera, ViewKeyEvent{key, KeysOf(event)})) return;
    event.Skip();
}

void ViewPanel::OnChar(wxKeyEvent& event) {
    const int ch = static_cast<int>(event.GetUnicodeKey());
    if (ch != WXK_NONE && set_.editor().Char(camera, ch)) return;
    event.Skip();
}

CursorPoint ViewPanel::ToCursor(wxPoint client) const {
    const double scale = GetContentScaleFactor();
    return {static_cast<int32_t>(client.x * scale), static_cast<int32_t>(client.y * scale)};
}

void ViewPanel::OnMouse(wxMouseEvent& event) {
    set_.HandleMouse(*this, event);
    event.Skip();
}

// ---------------------------------------------------------------------------------------------

ViewSet::ViewSet(wxWindow* parent)
    : parent_(parent), timer_(this, kFirstViewId + 100), settleTimer_(this, kFirstViewId + 101) {
    AppState& app = App();
    ResetBackPictureSlots(app.doc);
    CreateObject(app.doc);
    app.doc.modified = false;
    app.cameras = ResetCameraMemories(app.settings.fovy, app.settings.defaultAltitude);
    const wxGLAttributes attributes = ViewAttributes();
    for (int i = 0; i < kViews; ++i) {
        const wxGLContext* share = i == 0 ? nullptr : views_[0]->context_.get();
        views_[i] = new ViewPanel(parent, *this, i, attributes, share);
        InitViewCamera(views_[i]->camera, app.settings.defaultAltitude);
    }
    SetViews(this);
    SetOneViewLayout();
    editor_ = std::make_unique<ViewEditor>(app.doc, app.sw, app.cameras, app.settings, *this);
    arrowCursor_ = wxCursor(wxCURSOR_ARROW);
    pointCursor_ = CreatePointCursor();
    hint_ = new HintWindow(parent);
    hint_->SetTimeout(kHintTimeoutMs);
    showHint = [this](const std::string& text) { hint_->ShowAtCursor(text); };
    Bind(wxEVT_TIMER, &ViewSet::OnTimer, this, timer_.GetId());
    Bind(
        wxEVT_TIMER, [this](wxTimerEvent&) { SettleTick(); }, settleTimer_.GetId());
    timer_.Start(kTimerMs);
}

ViewSet::~ViewSet() {
    timer_.Stop();
    if (hint_) hint_->Destroy();
    if (g_views == this) SetViews(nullptr);
}

SceneInput ViewSet::MakeSceneInput(const ViewPanel& v, PictureTextures& textures) const {
    AppState& app = App();
    SceneInput in(app.doc, app.sw, app.settings);
    // Pictures are uploaded when first shown, once for every view of the space.
    if (app.sw.backPictureVisible) {
        for (int k = 0; k < kBackSlotCount; ++k) {
            const std::shared_ptr<LoadedPicture>& picture = app.doc.backPictures[k].picture;
            if (!picture) continue;
            const PicturePixels& px = picture->pixels;
            const TexturePixels pixels{px.width, px.height, px.rgb.data()};
            const uint32_t texture = textures.Get(picture, pixels);
            if (texture != 0) in.backPictures[k] = BackPictureInput{texture, px.width, px.height};
        }
    }
    in.cameraDragging = editor_->CameraDragged(v.camera);
    in.preview.active = editor_->curve().active;
    in.preview.q = editor_->curve().q;
    geometry_.Trim(app.doc.objects.size());
    reducedGeometry_.Trim(app.doc.objects.size());
    in.geometry = &geometry_;
    in.reducedGeometry = &reducedGeometry_;
    in.detail = frameLevel_;
    // Buffer objects only where every view draws from the one object space.
    bool shared = true;
    for (const ViewPanel* v : views_)
        shared = shared && v && v->sharesObjects();
    in.drawOptions.buffers = shared;
    return in;
}

uint64_t ViewSet::PictureState(const ViewPanel& v) const {
    const AppState& app = App();
    const ViewCamera& c = v.camera;
    uint64_t h = Mix(0, changeCount_);
    h = Mix(h, static_cast<uint64_t>(c.width) << 32 | static_cast<uint32_t>(c.height));
    for (float f : {c.panX, c.panY, c.panZ, c.altitude, c.pitch, c.yaw, app.cameras.fovy}) {
        h = MixFloat(h, f);
    }
    h = Mix(h, static_cast<uint64_t>(c.perspective) << 16 |
                   static_cast<uint64_t>(c.viewIndex) << 8 | c.displayMode);
    // Of the drag, only what this view's picture shows: its points left out while its camera
    // moves; another view drawn during the drag stays right once it ends.
    h = Mix(h, editor_->CameraDragged(c));
    const RubberBand& band = editor_->rubberBand();
    if (band.visible && bandView_ == v.index()) {
        h = Mix(h, static_cast<uint64_t>(static_cast<uint32_t>(band.from.x)) << 32 |
                       static_cast<uint32_t>(band.from.y));
        h = Mix(h, static_cast<uint64_t>(static_cast<uint32_t>(band.to.x)) << 32 |
                       static_cast<uint32_t>(band.to.y));
    }
    if (editor_->curve().active) {
        for (const Vec3& q : editor_->curve().q)
            h = MixVec(h, q);
    }

    const Document& doc = app.doc;
    h = Mix(h, static_cast<uint64_t>(doc.objects.size()));
    h = Mix(h, static_cast<uint32_t>(doc.currentObject));
    h = Mix(h, static_cast<uint32_t>(doc.activePoint));
    h = Mix(h, static_cast<uint32_t>(doc.pictureRatio));
    for (const auto* list : {&doc.selectedAnchors, &doc.selectedHandles}) {
        h = Mix(h, list->size());
        for (int32_t i : *list)
            h = Mix(h, static_cast<uint32_t>(i));
    }
    for (const PatchObject& o : doc.objects) {
        h = Mix(h, o.cacheGeneration);
        h = Mix(h, o.points.size());
        h = Mix(h, o.segments.size());
        h = Mix(h, o.patches.size());
        for (float f : o.color)
            h = MixFloat(h, f);
        for (int32_t i :
             {o.mirrorFlags, o.windmillCount, o.windmillAxis, o.moveX, o.moveY, o.moveZ}) {
            h = Mix(h, static_cast<uint32_t>(i));
        }
    }
    for (const BackPictureSlot& s : doc.backPictures) {
        h = Mix(h, std::hash<std::string>()(s.fileName));
        h = Mix(h, reinterpret_cast<uintptr_t>(s.picture.get()));
        h = MixVec(MixVec(MixVec(h, s.scale), s.rotation), s.position);
    }

    const EditSwitches& sw = app.sw;
    for (int32_t i : {static_cast<int32_t>(sw.editMode), sw.axisLock, sw.pivotMode, sw.handleMode,
                      sw.showAllObjects, sw.backPictureVisible, sw.intersectSelect, sw.divLevel}) {
        h = Mix(h, static_cast<uint32_t>(i));
    }
    for (uint8_t on : sw.layerVisible)
        h = Mix(h, on);

    const Settings& st = app.settings;
    for (float f : st.backColorRGBA)
        h = MixFloat(h, f);
    for (const auto* color : {&st.wireColor, &st.handleColor, &st.otherObjectColor}) {
        for (float f : *color)
            h = MixFloat(h, f);
    }
    h = MixFloat(h, st.axesSize);
    h = Mix(h, static_cast<uint32_t>(st.controlFlags));
    return h;
}

void ViewSet::LayoutViews(const wxRect& area) {
    viewArea_ = area;
    for (int i = 0; i < kViews; ++i) {
        ViewPanel* v = views_[i];
        if (!v) continue;
        v->rect = wxRect(area.x + static_cast<int>(area.width * v->fracLeft),
                         area.y + static_cast<int>(area.height * v->fracTop),
                         static_cast<int>(area.width * v->fracWidth),
                         static_cast<int>(area.height * v->fracHeight));
        // A view without area is hidden rather than squeezed to nothing.
        if (v->rect.width <= 0 || v->rect.height <= 0) {
            v->Hide();
        } else {
            v->SetSize(v->rect);
            v->Show();
            v->InvalidateProjection();
            RequestDraw(i);
            v->Refresh(false);
        }
    }
    // The last laid-out view is current until the timer picks the one under the cursor.
    if (viewCount_ > 0) MakeCurrent(viewCount_ - 1);
    ++changeCount_;
}

void ViewSet::RelayoutParent() {
    wxSizeEvent event(parent_->GetSize(), parent_->GetId());
    event.SetEventObject(parent_);
    parent_->GetEventHandler()->ProcessEvent(event);
    if (layoutChanged) layoutChanged();
}

void ViewSet::SetOneViewLayout() {
    viewCount_ = 1;
    currentView_ = 0;
    ViewPanel& v0 = *views_[0];
    v0.camera.displayMode = kDisplayWireframe;
    v0.fracLeft = v0.fracTop = 0.0f;
    v0.fracWidth = v0.fracHeight = 1.0f;
    UpdateCamera(v0.camera);
    for (int i = 1; i < kViews; ++i) {
        views_[i]->fracLeft = views_[i]->fracTop = 0.0f;
        views_[i]->fracWidth = views_[i]->fracHeight = 0.0f;
    }
    RelayoutParent();
}

void ViewSet::SetFourViewLayout() {
    viewCount_ = 4;
    const CameraMemories& memories = App().cameras;
    struct Quadrant {
        float left, top;
    };
    const Quadrant quadrants[kViews] = {{0.5f, 0.0f}, {0.0f, 0.0f}, {0.0f, 0.5f}, {0.5f, 0.5f}};
    for (int i = 0; i < kViews; ++i) {
        views_[i]->fracLeft = quadrants[i].left;
        views_[i]->fracTop = quadrants[i].top;
        views_[i]->fracWidth = views_[i]->fracHeight = 0.5f;
    }
    views_[0]->camera.displayMode = kDisplayCurrentShaded;
    SetFourViewOrthoCamera(views_[1]->camera, memories, kViewTop);
    SetFourViewOrthoCamera(views_[2]->camera, memories, kViewFront);
    SetFourViewOrthoCamera(views_[3]->camera, memories, kViewRight);
    for (ViewPanel* v : views_)
        UpdateCamera(v->camera);
    RelayoutParent();
}

void ViewSet::ToggleViewLayout() {
    if (fourViews_) {
        SetOneViewLayout();
        fourViews_ = false;
    } else {
        SetFourViewLayout();
        fourViews_ = true;
    }
}

void ViewSet::MakeCurrent(int i) {
    if (i < 0 || i >= kViews || !views_[i]) return;
    currentView_ = i;
    ViewPanel* v = views_[i];
    if (v->IsShownOnScreen() && v->contextOk()) v->SetCurrent(*v->context_);
}

void ViewSet::NoteInteraction() {
    governor_.Input(::zarni::TickCount());
}

SceneLoad ViewSet::LoadOfViews(bool pendingOnly) const {
    SceneLoad load;
    for (int i = 0; i < viewCount_; ++i) {
        const ViewPanel* v = views_[i];
        if (!v || (pendingOnly && !v->drawPending_)) continue;
        const SceneLoad one = LoadOfView(*v);
        load.patchCopies += one.patchCopies;
        load.segmentCopies += one.segmentCopies;
        load.points += one.points;
    }
    return load;
}

namespace {

// What drawing the arms of one selected anchor costs, in points: the arms to its two segment
// neighbours and the corner loops of up to four patches, each begun and ended by itself.
constexpr double kArmWorkPerAnchor = 6.0;

}  // namespace

SceneLoad ViewSet::LoadOfView(const ViewPanel& v) const {
    const AppState& app = App();
    const Document& doc = app.doc;
    const bool all = app.sw.showAllObjects != 0;
    SceneLoad load;
    for (size_t k = 0; k < doc.objects.size(); ++k) {
        const PatchObject& obj = doc.objects[k];
        const bool current = static_cast<int32_t>(k) == doc.currentObject;
        if (!all && !current) continue;
        const double copies = SymmetryCopyCount(obj);
        const uint8_t mode = v.camera.displayMode;
        if (mode == kDisplayShaded || (mode == kDisplayCurrentShaded && current))
            load.patchCopies += copies * obj.patchCount();
        if (mode != kDisplayShaded) load.segmentCopies += copies * obj.segmentCount();
        // The two passes over the current object's points in the wireframe views.
        if (mode == kDisplayWireframe && current && !editor_->CameraDragged(v.camera))
            load.points += 2.0 * static_cast<double>(obj.points.size());
        // The arms of its selected anchors, a handful of short lines each, counted as points.
        if (mode == kDisplayWireframe && current &&
            (app.sw.handleMode == 1 || (app.settings.controlFlags & kControlMinimumDrawing) == 0))
            load.points += kArmWorkPerAnchor * static_cast<double>(doc.selectedAnchors.size());
    }
    return load;
}

bool ViewSet::SlowPicture(const ViewPanel& v) const {
    // Before any picture was measured its cost is unknown: it may be a huge document's.
    const int32_t steps = TessellationSteps(App().sw.divLevel);
    const double ms = governor_.Estimate(LoadOfView(v), steps, 1);
    return ms <= 0.0 || ms > DetailGovernor::kSliceMs;
}

void ViewSet::RequestDraw(int i) {
    if (i < 0 || i >= kViews || !views_[i]) return;
    // A request while a button is held is a drag step (in a view or on the palette); the
    // release settles at once. Other changes keep to the budget only where the full picture
    // is slow.
    const bool down = wxGetMouseState().ButtonIsDown(wxMOUSE_BTN_ANY);
    if (down) {
        NoteInteraction();
    } else if (buttonsWereDown_) {
        governor_.Settle();
    } else {
        governor_.Change(::zarni::TickCount(), TessellationSteps(App().sw.divLevel),
                         LoadOfViews(false));
    }
    buttonsWereDown_ = down;
    views_[i]->drawPending_ = true;
    // Requests made outside any event (a test, a nested loop) still get their idle pass.
    wxWakeUpIdle();
}

void ViewSet::RedrawAllViews() {
    for (int i = 0; i < viewCount_; ++i)
        RequestDraw(i);
    viewsReady_ = true;
}

void ViewSet::RedrawCurrentView() {
    RequestDraw(currentView_);
}

bool ViewSet::RedrawPending() const {
    for (const ViewPanel* v : views_)
        if (v && (v->drawPending_ || v->frameInProgress())) return true;
    return false;
}

bool ViewSet::FlushRedraws() {
    return DrawPass(FrameSlices::Clock::time_point::max(), FrameSlices::Clock::time_point::max());
}

bool ViewSet::DrawSlice() {
    using Clock = FrameSlices::Clock;
    const Clock::time_point start = Clock::now();
    const auto send = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(sliceSendMs_));
    const auto slice = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double, std::milli>(DetailGovernor::kSliceMs));
    const bool drew = DrawPass(start + slice, start + send);
    bool underWay = false;
    for (const ViewPanel* v : views_)
        underWay = underWay || (v && v->frameInProgress());
    if (underWay) {
        // The GL finishes a slice's drawing after it was sent: the next slice sends for as
        // long as lets the two together take a slice's time. Sending can be a hundred times
        // quicker than drawing (arrays in buffers), so the time to send may come down to
        // a single piece's.
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        // It comes down at once but grows fourfold at most, since a slice of light pieces says
        // little about the heavy ones after them.
        if (ms > 0.0) {
            const double fitting = sliceSendMs_ * DetailGovernor::kSliceMs / ms;
            sliceSendMs_ = std::clamp(std::min(fitting, sliceSendMs_ * 4.0), 0.01,
                                      DetailGovernor::kSliceMs / 2);
        }
    }
    return drew || RedrawPending();
}

bool ViewSet::IdleOfView(int index) {
    // The views get their idle events one after another, by index, in every round of idle
    // events: a view whose index is not above the last one's begins a new round. One slice a
    // round, so the event loop turns between any two slices.
    if (index <= lastIdleView_) sliceThisRound_ = false;
    lastIdleView_ = index;
    if (sliceThisRound_) return RedrawPending();
    sliceThisRound_ = true;
    return DrawSlice();
}

bool ViewSet::DrawPass(FrameSlices::Clock::time_point deadline,
                       FrameSlices::Clock::time_point sendBy) {
    using Clock = FrameSlices::Clock;
    if (!RedrawPending()) return false;
    // Each view is drawn as current with its own context; the current view and its context
    // come back afterwards. `Painting` keeps the timer out meanwhile.
    const int remembered = currentView_;
    const bool wasPainting = painting_;
    painting_ = true;
    bool drew = false;
    bool began = false;
    // Every view begun in this pass draws at the level that lets all of them together fit the
    // frame budget, learnt from the passes before (swaps included).
    const AppState& app = App();
    governor_.SetEnabled((app.settings.controlFlags & kControlFullDetailAlways) == 0);
    const int32_t steps = TessellationSteps(app.sw.divLevel);
    // A request to a view whose picture is under way abandons that picture; what its part took
    // tells the governor what the whole would have cost, and the new pictures take the quick
    // path of a drag step (the full ones follow once nothing more comes).
    bool abandoned = false;
    for (ViewPanel* v : views_) {
        if (!v || !v->drawPending_ || !v->frameInProgress()) continue;
        if (v->sliceMs_ > 0.0 && v->slices_.doneShare() > 0.0) {
            governor_.FrameDrawn(v->sliceLevel_, steps, v->sliceLoad_,
                                 v->sliceMs_ / v->slices_.doneShare());
        }
        v->slices_.Restart();
        v->sliceMs_ = 0.0;
        abandoned = true;
    }
    // A pass that only goes on with pictures under way keeps the level they began with.
    bool anyBegun = false;
    for (const ViewPanel* v : views_)
        anyBegun = anyBegun || (v && v->drawPending_);
    if (anyBegun) {
        const SceneLoad load = LoadOfViews(true);
        frameLevel_ = abandoned ? governor_.Quick(steps, load)
                                : governor_.Choose(::zarni::TickCount(), steps, load);
    }
    // The views drawn whole in this pass at its level, measured together as before.
    SceneLoad passLoad;
    double passMs = 0.0;
    bool passDrawn = false;
    for (int i = 0; i < kViews; ++i) {
        ViewPanel* v = views_[i];
        if (!v || (!v->drawPending_ && !v->frameInProgress())) continue;
        // Once the slice's time is spent the rest wait for the next pass, still marked.
        if (began && Clock::now() >= deadline) continue;
        if (v->drawPending_) {
            // A view that cannot be drawn now (hidden, no size yet) is drawn by its paint event
            // once it can; the mark goes either way, so a re-entered pass never draws it twice.
            v->drawPending_ = false;
            v->slices_.Restart();
            v->sliceMs_ = 0.0;
            v->sliceLoad_ = LoadOfView(*v);
        }
        currentView_ = i;
        began = true;
        const Clock::time_point start = Clock::now();
        const bool shown = v->Render(&v->slices_, sendBy);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (v->frameInProgress()) {
            v->sliceMs_ += ms;
            continue;
        }
        if (!shown) continue;
        drew = true;
        drawnReduced_[i] = !v->sliceLevel_.full;
        v->shownLevel_ = v->sliceLevel_;
        if (v->sliceMs_ == 0.0 && v->sliceLevel_ == frameLevel_) {
            passLoad.patchCopies += v->sliceLoad_.patchCopies;
            passLoad.segmentCopies += v->sliceLoad_.segmentCopies;
            passLoad.points += v->sliceLoad_.points;
            passMs += ms;
            passDrawn = true;
        } else {
            governor_.FrameDrawn(v->sliceLevel_, steps, v->sliceLoad_, v->sliceMs_ + ms);
        }
        v->sliceMs_ = 0.0;
    }
    if (passDrawn) governor_.FrameDrawn(frameLevel_, steps, passLoad, passMs);
    if (drew) ScheduleSettle();
    currentView_ = remembered;
    MakeCurrent(remembered);
    painting_ = wasPainting;
    return drew;
}

bool ViewSet::FullOwed() const {
    for (int i = 0; i < kViews; ++i)
        if (drawnReduced_[i] && views_[i]) return true;
    return false;
}

void ViewSet::ScheduleSettle() {
    // Any view still showing a reduced picture is owed its full one, whichever view was drawn
    // last.
    if (!FullOwed()) return;
    const uint32_t now = ::zarni::TickCount();
    const int32_t wait = static_cast<int32_t>(governor_.settleAtMs() - now);
    settleTimer_.StartOnce(std::max(1, wait));
}

void ViewSet::SettleTick() {
    if (governor_.Interacting(::zarni::TickCount())) {
        ScheduleSettle();
        return;
    }
    for (int i = 0; i < kViews; ++i) {
        if (!drawnReduced_[i] || !views_[i]) continue;
        views_[i]->drawPending_ = true;
        drawnReduced_[i] = false;
    }
    wxWakeUpIdle();
}

void ViewSet::DrawNow(ViewPanel& v) {
    const int remembered = currentView_;
    const bool wasPainting = painting_;
    painting_ = true;
    currentView_ = v.index();
    if (SlowPicture(v)) {
        // Too slow to draw before the mapping: the matrices are loaded and saved alone, and
        // the picture follows in slices (the depth of the one before serves meanwhile).
        v.LoadMatrices();
        v.drawPending_ = true;
        wxWakeUpIdle();
    } else {
        v.drawPending_ = false;
        v.Render();
    }
    currentView_ = remembered;
    MakeCurrent(remembered);
    painting_ = wasPainting;
}

void ViewSet::CycleDisplayModes() {
    for (int i = 0; i < viewCount_; ++i) {
        uint8_t& mode = views_[i]->camera.displayMode;
        mode = static_cast<uint8_t>((mode + 1) % 3);
    }
}

ViewPanel* ViewSet::PanelOf(const ViewCamera& camera) const {
    for (ViewPanel* v : views_)
        if (v && &v->camera == &camera) return v;
    return nullptr;
}

void ViewSet::HandleMouse(ViewPanel& from, wxMouseEvent& event) {
    const wxEventType type = event.GetEventType();
    const ModifierKeys keys{event.ControlDown(), event.ShiftDown(), event.AltDown()};
    if (type == wxEVT_MOUSEWHEEL) {
        NoteInteraction();
        MakeCurrent(from.index());
        editor_->Wheel(from.camera, event.GetWheelRotation());
        return;
    }
    ViewPanel* target = &from;
    wxPoint client = event.GetPosition();
    if (editor_->dragging() && currentView_ >= 0 && views_[currentView_] &&
        views_[currentView_] != &from) {
        target = views_[currentView_];
        client = target->ScreenToClient(from.ClientToScreen(client));
    }
    ViewMouseEvent e;
    e.pos = target->ToCursor(client);
    e.keys = keys;
    target->cursorPos = e.pos;
    if (type == wxEVT_MOTION || type == wxEVT_LEAVE_WINDOW) {
        e.action = MouseAction::Move;
    } else {
        // The views take no double clicks: the second press of one is a press like the first,
        // and the state machine times it itself.
        const bool down = type == wxEVT_LEFT_DOWN || type == wxEVT_RIGHT_DOWN ||
                          type == wxEVT_MIDDLE_DOWN || type == wxEVT_LEFT_DCLICK ||
                          type == wxEVT_RIGHT_DCLICK || type == wxEVT_MIDDLE_DCLICK;
        e.action = down ? MouseAction::Down : MouseAction::Up;
        if (type == wxEVT_LEFT_DOWN || type == wxEVT_LEFT_UP || type == wxEVT_LEFT_DCLICK) {
            e.button = MouseButton::Left;
        } else if (type == wxEVT_RIGHT_DOWN || type == wxEVT_RIGHT_UP ||
                   type == wxEVT_RIGHT_DCLICK) {
            e.button = MouseButton::Right;
        } else {
            e.button = MouseButton::Middle;
        }
        if (down && !editor_->dragging()) MakeCurrent(target->index());
    }
    editor_->Mouse(target->camera, e);
}

PickResult ViewSet::PickPoint(ViewCamera& view, CursorPoint at) {
    AppState& app = App();
    UpdateCamera(view);
    PickInput in(app.doc, app.sw, app.settings.controlFlags);
    in.fovy = app.cameras.fovy;
    return PickPointHits(in, view, at);
}

int32_t ViewSet::PickRectangle(ViewCamera& view, int32_t left, int32_t top, int32_t width,
                               int32_t height, ModifierKeys keys, Vec3& dragOrigin) {
    AppState& app = App();
    UpdateCamera(view);
    return ::zarni::PickRectangle(app.doc, app.sw, app.settings.controlFlags, view,
                                  app.cameras.fovy, left, top, width, height, keys, &dragOrigin);
}

Vec3 ViewSet::CursorToModel(ViewCamera& view, CursorPoint at, Vec3 dragOrigin) {
    ViewPanel* v = PanelOf(view);
    // The mapping reads the matrices saved by the last projection load. A load that was asked
    // for (ReloadProjection, a resize) waits for the view's next picture, so it is drawn now.
    // A picture that is only marked is not: the saved matrices follow the camera (its edits
    // and drag ends compute them), and the depth only picks a point on the cursor's line of
    // sight, which is then cut with the plane through the drag origin - a picture one frame
    // older gives the same model point.
    if (v && v->ProjectionPending()) DrawNow(*v);
    // The depth comes from the view's last picture; a view that was never drawn has none and
    // maps as if nothing were under the cursor.
    if (v && v->IsShownOnScreen() && v->contextOk() && v->glReady_ && v->SetCurrent(*v->context_))
        return CursorToModelInContext(view, at, dragOrigin);
    return ::zarni::CursorToModel(view, at, 1.0f, dragOrigin);
}

uint32_t ViewSet::TickCount() {
    return ::zarni::TickCount();
}

uint32_t ViewSet::DoubleClickTime() {
    // wxGTK reads the desktop's gtk-double-click-time here.
    const int ms = wxSystemSettings::GetMetric(wxSYS_DCLICK_MSEC);
    return ms > 0 ? static_cast<uint32_t>(ms) : 400u;
}

uint8_t ViewSet::ButtonsDown() {
    const wxMouseState mouse = wxGetMouseState();
    return static_cast<uint8_t>((mouse.LeftIsDown() ? 1 : 0) | (mouse.RightIsDown() ? 2 : 0) |
                                (mouse.MiddleIsDown() ? 4 : 0));
}

bool ViewSet::CursorInView(ViewCamera& view, CursorPoint& at) {
    ViewPanel* v = PanelOf(view);
    if (!v) return false;
    const wxPoint client = v->ScreenToClient(wxGetMousePosition());
    at = v->ToCursor(client);
    v->cursorPos = at;
    return wxRect(v->GetClientSize()).Contains(client);
}

void ViewSet::RedrawView(ViewCamera& view) {
    if (ViewPanel* v = PanelOf(view)) RequestDraw(v->index());
}

void ViewSet::ReloadProjection(ViewCamera& view) {
    ViewPanel* v = PanelOf(view);
    if (!v) return;
    // Loaded with the next picture, or by the next cursor mapping if that comes first.
    v->InvalidateProjection();
    RequestDraw(v->index());
}

void ViewSet::RubberBandChanged(ViewCamera& view) {
    ViewPanel* v = PanelOf(view);
    if (!v) return;
    bandView_ = v->index();
    RequestDraw(v->index());
}

void ViewSet::RedrawPalette() {
    ::zarni::RedrawPalette();
}

void ViewSet::IdleStep() {
    if (!editor_->dragging() || currentView_ < 0 || !views_[currentView_]) return;
    editor_->IdleStep(views_[currentView_]->camera);
}

void ViewSet::OnTimer(wxTimerEvent&) {
    TimerTick();
}

void ViewSet::TimerTick() {
    if (painting_ || editor_->dragging() || viewCount_ == 0) return;
    // Only views whose picture would change are drawn again: redrawing a large document
    // every tick would keep the processor busy while nothing happens.
    if (viewsReady_) {
        for (int i = 0; i < viewCount_; ++i) {
            ViewPanel& v = *views_[i];
            const uint64_t state = PictureState(v);
            // A picture under way of the present state is left to finish.
            if (v.frameInProgress() && v.sliceState_ == state) continue;
            if (v.drawnState() != state) RequestDraw(i);
        }
    }

    AppState& app = App();
    if (currentView_ >= 0 && views_[currentView_]) {
        ViewPanel& cur = *views_[currentView_];
        const CursorPoint cp = cur.cursorPos;
        if (cur.camera.displayMode == kDisplayWireframe) {
            if (cp.x / 2 != timerCursor_.x / 2 || cp.y / 2 != timerCursor_.y / 2) {
                hoverChecked_ = false;
                cur.SetCursor(arrowCursor_);
            } else if (!hoverChecked_) {
                const int32_t hit = PickPoint(cur.camera, cp).index;
                cur.SetCursor(hit >= 0 ? pointCursor_ : arrowCursor_);
                hoverChecked_ = true;
            }
        }
        const bool show3D = (app.settings.controlFlags & kControlShow3DPos) != 0;
        const std::optional<std::string> text = readout_.Tick(
            cp, show3D, app.doc.Current(), [&] { return PickPoint(cur.camera, cp).index; });
        if (text && showHint) showHint(*text);
        timerCursor_ = wxPoint(cp.x, cp.y);
    }

    // Focus follows the mouse, but never out of an open modal dialog, nor from under another
    // window of the program that covers the views (the object list hides when the main window
    // takes the focus back).
    if (ModalDialogOpen()) return;
    const wxPoint screen = wxGetMousePosition();
    const wxWindow* main = wxGetTopLevelParent(parent_);
    for (const wxWindow* top : wxTopLevelWindows) {
        if (top != main && top->IsShown() && top->GetScreenRect().Contains(screen)) return;
    }
    const wxPoint p = parent_->ScreenToClient(screen);
    for (int i = 0; i < viewCount_; ++i) {
        const wxRect& r = views_[i]->rect;
        if (r.x < p.x && r.y < p.y && p.x < r.x + r.width && p.y < r.y + r.height) {
            if (wxWindow::FindFocus() != views_[i]) views_[i]->SetFocus();
            if (i != currentView_) {
                MakeCurrent(i);
                RequestDraw(i);
            }
            break;
        }
    }
}

void ViewSet::DestroyViews() {
    timer_.Stop();
    if (hint_) hint_->Destroy();
    hint_ = nullptr;
    showHint = nullptr;
    for (int i = kViews - 1; i >= 0; --i) {
        if (views_[i]) views_[i]->Destroy();
        views_[i] = nullptr;
    }
    viewCount_ = 0;
    currentView_ = -1;
    geometry_.Clear();
    // The textures went with the contexts.
    textures_.Forget();
    AppState& app = App();
    ClearDocument(app.doc, app.clipboard);
}

}  // namespace zarni
