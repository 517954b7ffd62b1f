// Keys behind an open menu: with real pointer and key events from the X server, a menu opened
// with the mouse closes on Esc and runs none of the main window's accelerators.
#include <gtk/gtk.h>
#include <wx/menu.h>
#include <wx/modalhook.h>
#include <wx/uiaction.h>

#include "gui_fixture.h"
#include "resources/ids.h"
#include "ui/key_filter.h"

namespace zarni {
namespace {

using MenuKeys = GuiTest;

// Answers every modal dialog with Cancel and counts them, so a question or a file dialog that
// should not appear can neither block the test nor go unnoticed.
class DialogCounter : public wxModalDialogHook {
  public:
    int shown = 0;

  protected:
    int Enter(wxDialog*) override {
        ++shown;
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

// The screen position of the middle of a menu's title in the menu bar.
wxPoint TitleCentre(wxMenu* menu) {
    GtkWidget* item = gtk_menu_get_attach_widget(GTK_MENU(menu->m_menu));
    GtkAllocation a;
    gtk_widget_get_allocation(item, &a);
    gint x = 0, y = 0;
    gdk_window_get_origin(gtk_widget_get_window(item), &x, &y);
    return wxPoint(x + a.x + a.width / 2, y + a.y + a.height / 2);
}

TEST_F(MenuKeys, KeysBehindAMenuOpenedWithTheMouseDoNotRunAccelerators) {
    MainFrame* frame = Start();
    frame->Raise();
    Command(frame, kCmdCircle4);  // a changed document: Exit would ask first
    ASSERT_TRUE(App().doc.modified);
    const size_t points = App().doc.Current()->points.size();
    DialogCounter dialogs;
    dialogs.Register();
    wxUIActionSimulator sim;
    wxMenuBar* bar = frame->GetMenuBar();

    for (const char* title : {"Edit", "File"}) {
        SCOPED_TRACE(title);
        wxMenu* menu = bar->GetMenu(bar->FindMenu(title));
        ASSERT_NE(menu, nullptr);
        for (int key : {WXK_F3, WXK_ESCAPE}) {
            sim.MouseMove(TitleCentre(menu));
            sim.MouseClick();
            ASSERT_TRUE(WaitUntil([] { return MenuOpen(); }));
            sim.Char(key);
            if (key == WXK_ESCAPE) {
                // Esc does what it does in a menu: the menu closes, the program stays.
                EXPECT_TRUE(WaitUntil([] { return !MenuOpen(); }));
            } else {
                // F3 does nothing behind the menu; Esc then closes it.
                Pump(100);
                EXPECT_TRUE(MenuOpen());
                sim.Char(WXK_ESCAPE);
                EXPECT_TRUE(WaitUntil([] { return !MenuOpen(); }));
            }
            Pump(100);
            ASSERT_EQ(TheMainFrame(), frame) << "the program is still running";
            EXPECT_EQ(dialogs.shown, 0) << "no question, no save dialog";
        }
    }
    EXPECT_TRUE(App().doc.modified);
    EXPECT_EQ(App().doc.Current()->points.size(), points);

    // With the menus closed the keys act again: F3 opens Save As.
    frame->views().view(0)->SetFocus();
    sim.MouseMove(frame->views().view(0)->GetScreenRect().GetPosition() + wxPoint(50, 50));
    Pump(50);
    sim.Char(WXK_F3);
    EXPECT_TRUE(WaitUntil([&] { return dialogs.shown == 1; }));
    dialogs.Unregister();
}

}  // namespace
}  // namespace zarni
