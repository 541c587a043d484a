// What the main-window, launch and administrator-menu tests share: a Session set up as a login
// would leave it, the main window run from its real template, icon files of one colour, and
// readers for things the dialog harness does not cover (thread windows, image-list pixels).
#pragma once

#include "tests/harness/dialog_test.h"

#include <windows.h>

#include <string>
#include <vector>

struct TestProgram {
    std::string id;
    std::string description;
    std::string fullPath;
    std::string alias;
    std::string iconFile;
};

// Fills the Session as a successful login does: a malloc'ed program table and the user's fields
// (user ID "TESZT", password "JELSZO"). Texts longer than a field are cut to it.
void SetUpSession(const std::vector<TestProgram>& programs, const std::string& permitted, bool isAdmin = true,
                  const std::string& header = "Teszt Kft.", const std::string& userName = "Teszt Elek");
// Frees the program table and zeroes the Session.
void ClearSession();

// Runs the main window (template MARVITELKON with MainDialogProc) and its steps; the dialog's result.
INT_PTR RunMainWindow(DialogSteps steps);

// The list view of the main window.
HWND MainList(HWND dialog);

// The bytes of an .ico file holding one opaque 32 x 32 image, 32 bits per pixel, all in colour.
std::string SolidIconFile(COLORREF colour, int side = 32);

// Colour of the centre pixel of image index of an image list, drawn with ImageList_Draw into a
// 32-bit memory bitmap first filled with magenta (so an undrawn image shows as magenta).
COLORREF ImageCentreColour(HIMAGELIST images, int index);
// True when every channel of a and b differs by at most tolerance (16-bit images lose low bits).
bool SameColour(COLORREF a, COLORREF b, int tolerance = 8);

// Visible and hidden top-level windows of this thread whose class is className.
std::vector<HWND> ThreadWindowsOfClass(const char* className);

// Counts the item records of the main window's list: every calloc of sizeof(ProgramItemData) bytes
// and every free of such a block made by this program while an instance lives.
class ItemRecordWatch {
public:
    ItemRecordWatch();
    ~ItemRecordWatch();
    ItemRecordWatch(const ItemRecordWatch&) = delete;
    ItemRecordWatch& operator=(const ItemRecordWatch&) = delete;

    // False when calloc or free could not be replaced (the program does not import them).
    bool Active() const;
    int Allocated() const;
    int Freed() const;
    // Blocks allocated while watching and not freed yet.
    int Live() const { return Allocated() - Freed(); }
    // True when block was allocated while watching and has been freed since.
    bool WasFreed(const void* block) const;
};
