// The undo history of a document: a list of states, each the document data, the selection and
// the current object. States share the objects that did not change between them, so a step
// costs the objects it touched, not the whole document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "model/document.h"

namespace zarni {

// The pictures of the background slots belong to the pictures layer, which tells the history
// how many bytes one holds and whether two hold the same pixels. Without them a picture costs
// nothing and only the very same picture is the same.
struct PictureTraits {
    size_t (*bytes)(const LoadedPicture&) = nullptr;
    bool (*samePixels)(const LoadedPicture&, const LoadedPicture&) = nullptr;
};

class History {
  public:
    static constexpr size_t kDefaultBudgetBytes = size_t{256} << 20;

    explicit History(size_t budgetBytes = kDefaultBudgetBytes) : budget_(budgetBytes) {}

    // Starts over from the document as it is now (a new or opened document): nothing to undo,
    // and this state counts as saved when `saved`.
    void Reset(const Document& doc, bool saved = true);

    // Records what changed since the last commit as one step. False (and nothing recorded) when
    // nothing did. Anything that could have been redone is dropped by a new step. A slot picture
    // whose pixels equal one the history holds is replaced in the document by that one, so a
    // picture loaded again is held once and is no change.
    bool Commit(Document& doc);

    bool CanUndo() const { return present_ > 0; }
    bool CanRedo() const { return present_ + 1 < states_.size(); }

    // Puts the document back one step / forward one step: its objects, selection, current
    // object, picture slots and ratio. The document must be in the last committed state (commit
    // first). Objects that the step did not touch stay as they are. False when there is nothing
    // to undo or redo.
    bool Undo(Document& doc);
    bool Redo(Document& doc);

    // Puts the document back into the present (last committed) state, whatever was done to it
    // since: after a command that failed half-way. The objects are copied from the state; the
    // document is left as it is when even that cannot be done (an exception escapes).
    void Revert(Document& doc);

    // The present state is the one in the document's file now.
    void MarkSaved() { saved_ = static_cast<std::ptrdiff_t>(present_); }
    // Whether the present state is the saved one (false once that state was dropped).
    bool AtSavedState() const { return saved_ == static_cast<std::ptrdiff_t>(present_); }
    // Whether the present state differs from the saved one in what the document file holds
    // (objects, selection, current object, slot names and placements, the picture ratio): the
    // change mark. True when no state is saved (a restored copy) or the saved one was dropped.
    bool DiffersFromSaved() const;

    void SetPictureTraits(const PictureTraits& traits) { pictures_ = traits; }

    // Bytes held by the objects and slot pictures the history keeps, the present state's
    // included.
    size_t bytes() const { return bytes_; }
    size_t budget() const { return budget_; }
    void SetBudget(size_t bytes);
    // States kept, the present one included.
    size_t stateCount() const { return states_.size(); }

  private:
    using ObjectRef = std::shared_ptr<const PatchObject>;

    struct State {
        std::vector<ObjectRef> objects;
        int32_t currentObject = 0;
        int32_t activePoint = -1;
        std::vector<int32_t> selectedAnchors;
        std::vector<int32_t> selectedHandles;
        std::array<BackPictureSlot, kBackSlotCount> backPictures{};
        int32_t pictureRatio = 150;
        size_t ownBytes = 0;  // the objects and pictures this state was the first to hold
    };

    State Capture(const Document& doc, const State* previous, bool* changed) const;
    void Restore(Document& doc, const State& target);
    void DropOldest();
    // Whether a kept state up to `last` holds the picture.
    bool HoldsPicture(const LoadedPicture* picture, size_t last) const;
    // Bytes of the slot pictures of `s` that no kept state up to `last` holds (counted once).
    size_t NewPictureBytes(const State& s, size_t last, bool noneKept) const;
    void SharePictures(Document& doc) const;

    std::vector<State> states_;
    size_t present_ = 0;
    std::ptrdiff_t saved_ = 0;
    // The cache generation of each present object when it was recorded: an object whose
    // generation and plain fields are unchanged is the recorded one.
    std::vector<uint64_t> generations_;
    size_t bytes_ = 0;
    size_t budget_;
    PictureTraits pictures_;
};

// Bytes an object's records take (points, segments, patches, name).
size_t ObjectBytes(const PatchObject& obj);

// Whether two objects hold the same records and settings (caches and scratch marks aside).
bool SameObject(const PatchObject& a, const PatchObject& b);

}  // namespace zarni
