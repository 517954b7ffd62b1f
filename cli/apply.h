// `zarni-cli apply`: modelling operations written as text, applied in order to a document.
//
// An operation is written NAME or NAME:GROUP[:GROUP...], each group a comma-separated list of
// arguments, e.g. "SelectPoint:9,add" or "AppendCurveSegment:0:0,0,0:1,0,0:2,0,0:3,0,0".
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/document.h"
#include "model/history.h"
#include "ops/extrude.h"
#include "ops/lathe.h"

namespace zarni::cli {

struct ApplyState {
    Document& doc;
    EditSwitches& sw;
    Clipboard& clipboard;
    // The dialogs' last settings: Extrude and Lathe set them, LatheStep turns by them.
    ExtrudeSettings extrude{};
    LatheSettings lathe{};
    // Every operation that changes the document or its selection is one step, as the same
    // command is in the program; Undo and Redo walk them.
    History history{};
    bool historyStarted = false;
};

// The arguments of one operation: its groups, each a list of comma-separated words.
struct OpArgs {
    std::string name;  // the operation as written, for messages
    std::vector<std::vector<std::string>> groups;

    // Argument parsers: each returns false and sets `why` to a message naming the operation
    // and the bad word when the word is missing or malformed.
    bool Int(size_t group, size_t index, int32_t& out, std::string* why) const;
    bool Float(size_t group, size_t index, float& out, std::string* why) const;
    // "on"/"off", "1"/"0", "add", "true"/"false" style words; `onWord` is the word meaning 1.
    bool Flag(size_t group, size_t index, bool& out, std::string* why) const;
    // Fails unless the operation has exactly `groups` groups of exactly the given sizes.
    bool Shape(const std::vector<size_t>& sizes, std::string* why) const;
    bool Has(size_t group, size_t index) const {
        return group < groups.size() && index < groups[group].size();
    }
};

// Runs one operation. False with a message when it fails (the document may then be partly
// changed; apply writes nothing in that case).
using OpHandler = std::function<bool(ApplyState&, const OpArgs&, std::string* why)>;

// Operation tables, one per group of operations; Operations() joins them.
std::map<std::string, OpHandler> EditOperations();   // selection, clipboard, merge, handles...
std::map<std::string, OpHandler> ShapeOperations();  // primitives, extrude, lathe, unfold
const std::map<std::string, OpHandler>& Operations();

// Splits "NAME:a,b:c" into its name and groups.
OpArgs ParseOperation(const std::string& text);

// Applies every operation in order; "Undo" and "Redo" take back or bring back one step (and
// change nothing when there is none). False with a message naming the first failing one.
bool ApplyOperations(ApplyState& state, const std::vector<std::string>& ops, std::string* why);

}  // namespace zarni::cli
