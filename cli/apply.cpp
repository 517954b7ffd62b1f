// Parsing and dispatch of `zarni-cli apply` operations.
#include "cli/apply.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace zarni::cli {

namespace {

bool Fail(std::string* why, const std::string& text) {
    if (why) *why = text;
    return false;
}

}  // namespace

OpArgs ParseOperation(const std::string& text) {
    OpArgs args;
    const size_t colon = text.find(':');
    args.name = text.substr(0, colon);
    if (colon == std::string::npos) return args;
    size_t start = colon + 1;
    while (true) {
        const size_t end = text.find(':', start);
        const std::string group = text.substr(start, end == std::string::npos ? end : end - start);
        std::vector<std::string> words;
        size_t ws = 0;
        while (true) {
            const size_t we = group.find(',', ws);
            words.push_back(group.substr(ws, we == std::string::npos ? we : we - ws));
            if (we == std::string::npos) break;
            ws = we + 1;
        }
        args.groups.push_back(std::move(words));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return args;
}

bool OpArgs::Shape(const std::vector<size_t>& sizes, std::string* why) const {
    bool ok = groups.size() == sizes.size();
    for (size_t g = 0; ok && g < sizes.size(); ++g)
        ok = groups[g].size() == sizes[g];
    if (ok) return true;
    std::string want;
    for (size_t g = 0; g < sizes.size(); ++g) {
        want += (g ? ":" : "") + std::to_string(sizes[g]);
    }
    if (sizes.empty()) return Fail(why, name + ": takes no arguments");
    return Fail(why, name + ": wrong number of arguments (groups of " + want + " expected)");
}

bool OpArgs::Int(size_t group, size_t index, int32_t& out, std::string* why) const {
    if (!Has(group, index)) return Fail(why, name + ": missing argument");
    const std::string& w = groups[group][index];
    errno = 0;
    char* end = nullptr;
    const long v = std::strtol(w.c_str(), &end, 10);
    if (w.empty() || *end != '\0' || errno != 0 || v < INT32_MIN || v > INT32_MAX) {
        return Fail(why, name + ": \"" + w + "\" is not an integer");
    }
    out = static_cast<int32_t>(v);
    return true;
}

bool OpArgs::Float(size_t group, size_t index, float& out, std::string* why) const {
    if (!Has(group, index)) return Fail(why, name + ": missing argument");
    const std::string& w = groups[group][index];
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(w.c_str(), &end);
    if (w.empty() || *end != '\0' || errno != 0 || !std::isfinite(v)) {
        return Fail(why, name + ": \"" + w + "\" is not a number");
    }
    out = static_cast<float>(v);
    return true;
}

bool OpArgs::Flag(size_t group, size_t index, bool& out, std::string* why) const {
    if (!Has(group, index)) return Fail(why, name + ": missing argument");
    const std::string& w = groups[group][index];
    if (w == "on" || w == "1" || w == "true" || w == "add" || w == "yes") {
        out = true;
        return true;
    }
    if (w == "off" || w == "0" || w == "false" || w == "no") {
        out = false;
        return true;
    }
    return Fail(why, name + ": \"" + w + "\" is not on/off");
}

const std::map<std::string, OpHandler>& Operations() {
    static const std::map<std::string, OpHandler> table = [] {
        std::map<std::string, OpHandler> all = EditOperations();
        for (auto& entry : ShapeOperations())
            all.insert(entry);
        return all;
    }();
    return table;
}

bool ApplyOperations(ApplyState& state, const std::vector<std::string>& ops, std::string* why) {
    const auto& table = Operations();
    if (!state.historyStarted) {
        state.history.Reset(state.doc);
        state.historyStarted = true;
    }
    for (const std::string& text : ops) {
        const OpArgs args = ParseOperation(text);
        if (args.name == "Undo" || args.name == "Redo") {
            if (!args.Shape({}, why)) return false;
            const bool moved =
                args.name == "Undo" ? state.history.Undo(state.doc) : state.history.Redo(state.doc);
            if (moved) RecomputePivot(state.doc, state.sw);
            continue;
        }
        const auto it = table.find(args.name);
        if (it == table.end()) return Fail(why, "unknown operation \"" + args.name + "\"");
        if (!it->second(state, args, why)) return false;
        state.history.Commit(state.doc);
    }
    return true;
}

}  // namespace zarni::cli
