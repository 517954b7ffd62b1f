// The undo history: random scripts of operations undone and redone give back exactly the
// documents they passed through; steps share untouched objects; the budget drops the oldest.
#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bmp_writer.h"
#include "model/history.h"
#include "model/invariants.h"
#include "ops/clipboard.h"
#include "ops/duplicate.h"
#include "ops/extrude.h"
#include "ops/handles.h"
#include "ops/mirror.h"
#include "ops/primitives.h"
#include "rules/back_picture.h"
#include "temp_folder.h"
#include "view/axis_edit.h"
#include "view/selection.h"

namespace zarni {
namespace {

// Everything a step restores, for comparison.
void ExpectSameDocument(const Document& a, const Document& b, const std::string& where) {
    SCOPED_TRACE(where);
    ASSERT_EQ(a.objects.size(), b.objects.size());
    for (size_t i = 0; i < a.objects.size(); ++i) {
        EXPECT_TRUE(SameObject(a.objects[i], b.objects[i])) << "object " << i;
        EXPECT_EQ(a.objects[i].segmentCache, b.objects[i].segmentCache) << "object " << i;
        EXPECT_EQ(a.objects[i].patchCache, b.objects[i].patchCache) << "object " << i;
    }
    EXPECT_EQ(a.currentObject, b.currentObject);
    EXPECT_EQ(a.activePoint, b.activePoint);
    EXPECT_EQ(a.selectedAnchors, b.selectedAnchors);
    EXPECT_EQ(a.selectedHandles, b.selectedHandles);
    EXPECT_EQ(a.pictureRatio, b.pictureRatio);
}

using Op = std::function<void(Document&, EditSwitches&, Clipboard&, std::mt19937&)>;

// Operations as the program's commands run them, each a step of its own.
std::vector<Op> Operations() {
    return {
        [](Document& d, EditSwitches& sw, Clipboard&, std::mt19937&) { AddCircle4(d, sw); },
        [](Document& d, EditSwitches& sw, Clipboard&, std::mt19937&) { AddCircle8(d, sw); },
        [](Document& d, EditSwitches& sw, Clipboard&, std::mt19937&) { SelectAll(d, sw); },
        [](Document& d, EditSwitches& sw, Clipboard&, std::mt19937&) { SelectNone(d, sw); },
        [](Document& d, EditSwitches& sw, Clipboard&, std::mt19937&) { InvertSelection(d, sw); },
        [](Document& d, EditSwitches& sw, Clipboard&, std::mt19937&) { DuplicateSelection(d, sw); },
        [](Document& d, EditSwitches& sw, Clipboard&, std::mt19937&) { DeleteSelection(d, sw); },
        [](Document& d, EditSwitches& sw, Clipboard& c, std::mt19937&) {
            CopySelection(d, c);
            PasteClipboard(d, c, sw);
        },
        [](Document& d, EditSwitches& sw, Clipboard&, std::mt19937& rng) {
            MirrorSelectionAxis(d, sw, static_cast<int>(rng() % 3));
            RebuildControlCaches(d);
            DocumentChanged(d, sw);
        },
        [](Document& d, EditSwitches& sw, Clipboard&, std::mt19937& rng) {
            if (d.activePoint < 0) return;
            AxisEdit(d, sw, FourViewLayoutViews(), static_cast<int>(rng() % 3),
                     static_cast<float>(rng() % 100) / 100.0f - 0.5f);
            RebuildControlCaches(d);
            DocumentChanged(d, sw);
        },
        [](Document& d, EditSwitches& sw, Clipboard&, std::mt19937&) {
            ExtrudeSelection(d, sw, ExtrudeSettings{});
        },
        [](Document& d, EditSwitches&, Clipboard&, std::mt19937&) { CreateObject(d); },
        [](Document& d, EditSwitches& sw, Clipboard&, std::mt19937&) {
            DeleteCurrentObject(d, sw);
        },
        [](Document& d, EditSwitches& sw, Clipboard&, std::mt19937&) { JoinWithPrevious(d, sw); },
        [](Document& d, EditSwitches&, Clipboard&, std::mt19937& rng) {
            if (d.objects.empty()) return;
            d.currentObject = static_cast<int32_t>(rng() % d.objects.size());
            ClearPointSelection(d);
        },
        [](Document& d, EditSwitches&, Clipboard&, std::mt19937& rng) {
            if (PatchObject* obj = d.Current()) obj->name = "N" + std::to_string(rng() % 1000);
        },
        [](Document& d, EditSwitches&, Clipboard&, std::mt19937& rng) {
            d.pictureRatio = 32 + static_cast<int32_t>(rng() % 900);
        },
    };
}

TEST(History, UndoingStepsGivesBackEveryDocumentOnTheWayAndRedoReturns) {
    const std::vector<Op> ops = Operations();
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        std::mt19937 rng(seed);
        Document doc = NewDocument();
        EditSwitches sw;
        Clipboard clipboard;
        History history;
        history.Reset(doc);
        std::vector<Document> passed{doc};
        const int n = 25;
        for (int i = 0; i < n; ++i) {
            ops[rng() % ops.size()](doc, sw, clipboard, rng);
            ASSERT_TRUE(DocumentInvariantsHold(doc));
            if (history.Commit(doc)) passed.push_back(doc);
        }
        const std::string trace = "seed " + std::to_string(seed);
        // Undo all the way: each step gives back the document before it.
        for (size_t k = passed.size() - 1; k > 0; --k) {
            ASSERT_TRUE(history.Undo(doc));
            ExpectSameDocument(doc, passed[k - 1], trace + " undo to " + std::to_string(k - 1));
            ASSERT_TRUE(DocumentInvariantsHold(doc));
        }
        EXPECT_FALSE(history.Undo(doc));
        EXPECT_TRUE(history.AtSavedState());
        // Redo all the way back.
        for (size_t k = 1; k < passed.size(); ++k) {
            ASSERT_TRUE(history.Redo(doc));
            ExpectSameDocument(doc, passed[k], trace + " redo to " + std::to_string(k));
        }
        EXPECT_FALSE(history.Redo(doc));
        EXPECT_FALSE(history.Commit(doc)) << "undo and redo are no steps of their own";
    }
}

TEST(History, ANewStepDropsWhatCouldBeRedoneAndTheSavedStateIsKnown) {
    Document doc = NewDocument();
    EditSwitches sw;
    History history;
    history.Reset(doc);
    AddCircle4(doc, sw);
    ASSERT_TRUE(history.Commit(doc));
    history.MarkSaved();
    AddCircle8(doc, sw);
    ASSERT_TRUE(history.Commit(doc));
    EXPECT_FALSE(history.AtSavedState());
    ASSERT_TRUE(history.Undo(doc));
    EXPECT_TRUE(history.AtSavedState());
    EXPECT_EQ(doc.Current()->pointCount(), 12);
    // A selection change is a step, and it drops the redo.
    SelectNone(doc, sw);
    ASSERT_TRUE(history.Commit(doc));
    EXPECT_FALSE(history.CanRedo());
    EXPECT_FALSE(history.AtSavedState());
    ASSERT_TRUE(history.Undo(doc));
    EXPECT_TRUE(history.AtSavedState());
    ASSERT_TRUE(history.Undo(doc));
    EXPECT_FALSE(history.AtSavedState());
    // Nothing changed: no step.
    EXPECT_FALSE(history.Commit(doc));
}

TEST(History, StepsShareTheObjectsTheyDidNotTouchAndTheBudgetDropsTheOldest) {
    // Ten objects of 10,000 points each; every step changes one of them.
    Document doc = NewDocument();
    EditSwitches sw;
    for (int k = 0; k < 10; ++k) {
        if (k > 0) CreateObject(doc);
        PatchObject& obj = *doc.Current();
        obj.points.resize(10000);
        for (int i = 0; i < 10000; ++i)
            obj.points[i].x = static_cast<float>(i);
        RebuildControlCaches(doc);
    }
    History history;
    history.Reset(doc);
    const size_t whole = history.bytes();
    const size_t one = ObjectBytes(doc.objects[3]);
    for (int step = 0; step < 5; ++step) {
        doc.currentObject = step;
        doc.objects[step].points[7].y += 1.0f;
        RebuildControlCaches(doc);
        ASSERT_TRUE(history.Commit(doc));
        EXPECT_EQ(history.bytes(), whole + (step + 1) * one) << "one object's copy a step";
    }
    // A budget of the document and two steps keeps the newest two steps.
    history.SetBudget(whole + 2 * one);
    EXPECT_LE(history.bytes(), whole + 2 * one);
    EXPECT_EQ(history.stateCount(), 3u);
    ASSERT_TRUE(history.Undo(doc));
    ASSERT_TRUE(history.Undo(doc));
    EXPECT_FALSE(history.Undo(doc));
    EXPECT_FLOAT_EQ(doc.objects[4].points[7].y, 0.0f);
    EXPECT_FLOAT_EQ(doc.objects[3].points[7].y, 0.0f);
    EXPECT_FLOAT_EQ(doc.objects[2].points[7].y, 1.0f) << "the oldest steps are gone";
    EXPECT_FALSE(history.AtSavedState()) << "the saved state was dropped";
}

TEST(History, TheChangeMarkIsWhetherTheFileContentDiffersFromTheSavedState) {
    Document doc = NewDocument();
    EditSwitches sw;
    AddCircle4(doc, sw);
    History history;
    history.Reset(doc);  // as opened: equal to its file
    EXPECT_FALSE(history.DiffersFromSaved());
    // A rename that no command announced is a change all the same.
    doc.objects[0].name = "renamed";
    ASSERT_TRUE(history.Commit(doc));
    EXPECT_TRUE(history.DiffersFromSaved());
    // Steps that come back to the saved content leave nothing to save.
    doc.objects[0].name = "OBJ_001";
    ASSERT_TRUE(history.Commit(doc));
    EXPECT_FALSE(history.AtSavedState());
    EXPECT_FALSE(history.DiffersFromSaved());
    doc.backPictures[kBackTop].position.x = 2.0f;
    ASSERT_TRUE(history.Commit(doc));
    EXPECT_TRUE(history.DiffersFromSaved()) << "slot placements are saved";
    history.MarkSaved();
    EXPECT_FALSE(history.DiffersFromSaved());
    // A restored copy has no saved state at all.
    history.Reset(doc, false);
    EXPECT_TRUE(history.DiffersFromSaved());
}

TEST(History, PicturesLoadedAgainAreHeldOnceAndCountInTheBudget) {
    using namespace testing_files;
    TempFolder folder;
    const std::string a = folder.File("a.bmp"), b = folder.File("b.bmp");
    WriteQuarterBmp(a, 200, 100);
    WriteQuarterBmp(b, 100, 200);  // other pixels, as many bytes
    Document doc = NewDocument();
    History history;
    history.SetPictureTraits(SlotPictureTraits());
    history.Reset(doc);
    const size_t empty = history.bytes();
    ASSERT_TRUE(LoadSlotPicture(doc, kBackFront, a, nullptr));
    ASSERT_TRUE(history.Commit(doc));
    const size_t picture = history.bytes() - empty;
    EXPECT_GE(picture, 200u * 100u * 3u);
    const LoadedPicture* held = doc.backPictures[kBackFront].picture.get();
    for (int reload = 0; reload < 4; ++reload) {
        ASSERT_TRUE(LoadSlotPicture(doc, kBackFront, a, nullptr));
        EXPECT_FALSE(history.Commit(doc)) << "the same picture again is no change";
        EXPECT_EQ(doc.backPictures[kBackFront].picture.get(), held);
    }
    ASSERT_TRUE(LoadSlotPicture(doc, kBackTop, a, nullptr));  // the same file in a second slot
    ASSERT_TRUE(history.Commit(doc));
    EXPECT_EQ(doc.backPictures[kBackTop].picture.get(), held);
    EXPECT_EQ(history.bytes(), empty + picture);
    // Another picture costs its own bytes, and the budget counts them.
    ASSERT_TRUE(LoadSlotPicture(doc, kBackFront, b, nullptr));
    ASSERT_TRUE(history.Commit(doc));
    EXPECT_EQ(history.bytes(), empty + 2 * picture);
    ClearSlotPicture(doc, kBackTop);
    ASSERT_TRUE(history.Commit(doc));
    // The steps that held a go; b, which the present state shows, stays counted.
    history.SetBudget(empty + picture + picture / 2);
    EXPECT_EQ(history.bytes(), empty + picture);
    EXPECT_EQ(history.stateCount(), 1u);
}

}  // namespace
}  // namespace zarni
