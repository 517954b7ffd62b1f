// Fixed identifiers of the main menu commands, the views and the version dialog; menu items,
// accelerators and windows use these numbers as their wx ids.
#pragma once

namespace zarni {

enum CommandId : int {
    kCmdNew = 111,
    kCmdOpen = 112,
    kCmdCloseAndOpen = 113,
    kCmdSaveAs = 114,
    kCmdExport = 115,
    kCmdExit = 116,
    kCmdAppend = 117,
    kCmdSave = 118,  // Ctrl+S only, not in the menu
    kCmdUndo = 121,
    kCmdRedo = 122,
    kCmdCut = 123,
    kCmdCopy = 124,
    kCmdPaste = 125,
    kCmdCircle4 = 1261,
    kCmdCircle8 = 1262,
    kCmdSphere = 1263,
    kCmdText = 1264,  // Model > Text...: outlines of a text as a new object
    kCmdPreference = 191,
    kCmdHelp = 198,
    kCmdVersion = 199,
    kCmdRender = 200,
};

// The views are child windows 300..303.
constexpr int kFirstViewId = 300;

// The version dialog's text control, which shows the caption.
constexpr int kVersionTextId = 280;

}  // namespace zarni
