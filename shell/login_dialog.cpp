#include "shell/login_dialog.h"

#include "config/config_document.h"
#include "config/scrambled_file.h"
#include "ui/dialog_utils.h"
#include "support/process_state.h"
#include "config/session.h"
#include "shell/shell_ids.h"
#include "support/registry_key.h"

#include <stdlib.h>
#include <string.h>

const char* const loginRegistryPath = "Software\\KOLV Kft.\\Marvitelkon\\System";
const char* const loginRegistryValue = "Login";

namespace {

// Reads the whole file into a new documentText (file size + 1 bytes, terminated after the last
// byte read). A file that cannot be sized or read leaves documentText null for the next attempt.
void ReadDocument(ScrambledFile& file)
{
    DWORD size = file.Size();
    if (size == INVALID_FILE_SIZE) return;
    char* text = static_cast<char*>(malloc((size_t)size + 1));
    if (!text) return;
    DWORD read = 0;
    if (size > 0 && !file.Read(text, size, &read)) read = 0;
    text[read] = '\0';
    ReplaceDocumentText(text);
}

// Where the last ID is remembered: the Windows user's own value first, then the machine's, which
// ordinary users may read but not write.
const HKEY loginRegistryRoots[] = {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE};

void RememberLoginId(HKEY root, const char* userId)
{
    RegistryKey key;
    key.key = nullptr;
    if (!key.Open(root, loginRegistryPath)) {
        if (!key.Create(root, loginRegistryPath) || (key.Close(), !key.Open(root, loginRegistryPath))) return;
    }
    key.SetString(userId, loginRegistryValue);
    key.Close();
}

// The remembered ID of root into text (capacity characters); empty when there is none.
void ReadLoginId(HKEY root, char* text, size_t capacity)
{
    text[0] = '\0';
    RegistryKey key;
    key.key = nullptr;
    if (key.Open(root, loginRegistryPath)) {
        key.GetString(text, capacity, loginRegistryValue);
        key.Close();
    }
}

void InitLoginDialog(HWND dialog)
{
    HICON icon = LoadIconA(appInstance, "AA_MARVITELKON");
    SendDlgItemMessageA(dialog, IDC_LOGIN_ICON, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));

    char remembered[256] = "";
    for (HKEY root : loginRegistryRoots) {
        ReadLoginId(root, remembered, sizeof remembered);
        if (!IsBlank(remembered)) break;
    }
    SetDlgItemTextA(dialog, IDC_LOGIN_ID, IsBlank(remembered) ? "ZODA" : remembered);
    // The limit applies to typing: a longer remembered ID stays whole in the field.
    SendDlgItemMessageA(dialog, IDC_LOGIN_ID, EM_LIMITTEXT, 8, 0);
    SendDlgItemMessageA(dialog, IDC_LOGIN_PASSWORD, EM_LIMITTEXT, 8, 0);
}

void AttemptLogin(HWND dialog)
{
    bool success = false;
    ScrambledFile file;
    file.Init(configFileName);
    file.SetKey(configurationKey);
    SetCurrentDirectoryA(startDirectory);
    // Reading only: an administrator may deny ordinary users the right to write the file that holds
    // everyone's rights. Delete sharing lets a save replace the file while a login reads it.
    if (!file.Open(GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_ALWAYS,
                   FILE_FLAG_RANDOM_ACCESS | FILE_ATTRIBUTE_NORMAL)) {
        MessageBoxA(GetActiveWindow(), "A 'Marvitelkon.ini' megnyitása sikertelen.", "Üzenet", MB_TASKMODAL);
    } else {
        if (!documentText) ReadDocument(file);
        // At most 9 characters each: the fields' 10-character buffers.
        GetControlText(dialog, IDC_LOGIN_ID, session.userId, sizeof session.userId);
        GetControlText(dialog, IDC_LOGIN_PASSWORD, session.password, sizeof session.password);
        const char* document = documentText ? documentText : "";
        success = MatchLoginUser(document, session.userId, session.password, &session);
        if (strstr(document, "<USER>"))
            for (HKEY root : loginRegistryRoots) RememberLoginId(root, session.userId);
        file.Close();
    }
    if (success) EndDialog(dialog, 1);
    else MessageBoxA(GetActiveWindow(), "A bejelentkezés sikertelen.", "Üzenet", MB_TASKMODAL);
    file.Destroy(2);
}

}  // namespace

INT_PTR CALLBACK LoginDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: InitLoginDialog(dialog); break;
    case WM_CLOSE: EndDialog(dialog, 0); break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_LOGIN_OK) AttemptLogin(dialog);
        break;
    default: break;
    }
    return 0;
}
