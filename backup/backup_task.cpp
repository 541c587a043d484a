#include "backup/backup_task.h"

#include "backup/backup_task_xml.h"
#include "support/bounded_text.h"

#define SECURITY_WIN32
#include <security.h>
#include <taskschd.h>

#include <stdlib.h>

namespace {

// A wide copy of an ANSI text, owned as a BSTR.
struct Wide {
    BSTR text = nullptr;
    explicit Wide(const char* ansi)
    {
        int count = MultiByteToWideChar(CP_ACP, 0, ansi ? ansi : "", -1, nullptr, 0);
        text = count > 0 ? SysAllocStringLen(nullptr, count - 1) : nullptr;
        if (text) MultiByteToWideChar(CP_ACP, 0, ansi ? ansi : "", -1, text, count);
    }
    ~Wide() { SysFreeString(text); }
};

template <typename T>
void Release(T*& object)
{
    if (object) object->Release();
    object = nullptr;
}

// The connected service and its \Marvitelkon folder (made when create says so) for one call.
struct Scheduler {
    bool comStarted = false;
    ITaskService* service = nullptr;
    ITaskFolder* folder = nullptr;

    HRESULT Open(bool create)
    {
        HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        comStarted = SUCCEEDED(result);  // S_FALSE too: balanced by CoUninitialize
        if (FAILED(result) && result != RPC_E_CHANGED_MODE) return result;
        result = CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                                  reinterpret_cast<void**>(&service));
        VARIANT none;
        VariantInit(&none);
        if (SUCCEEDED(result)) result = service->Connect(none, none, none, none);
        Wide path(backupTaskFolder);
        if (SUCCEEDED(result)) result = path.text ? service->GetFolder(path.text, &folder) : E_OUTOFMEMORY;
        if (FAILED(result) && create && service) {
            ITaskFolder* root = nullptr;
            Wide rootPath("\\"), name(backupTaskFolder + 1);
            result = service->GetFolder(rootPath.text, &root);
            if (SUCCEEDED(result)) result = root->CreateFolder(name.text, none, &folder);
            Release(root);
        }
        return result;
    }
    ~Scheduler()
    {
        Release(folder);
        Release(service);
        if (comStarted) CoUninitialize();
    }
};

}  // namespace

HRESULT RegisterBackupTask(const char* name, const char* xml, const char* user)
{
    Scheduler scheduler;
    HRESULT result = scheduler.Open(true);
    if (FAILED(result)) return result;
    Wide taskName(name), text(xml), account(user);
    if (!taskName.text || !text.text || !account.text) return E_OUTOFMEMORY;
    VARIANT none, userId;
    VariantInit(&none);
    VariantInit(&userId);
    userId.vt = VT_BSTR;
    userId.bstrVal = account.text;  // still owned by account
    IRegisteredTask* task = nullptr;
    result = scheduler.folder->RegisterTask(taskName.text, text.text, TASK_CREATE_OR_UPDATE, userId, none,
                                            TASK_LOGON_S4U, none, &task);
    Release(task);
    return result;
}

HRESULT ReadBackupTask(const char* name, char* xml, size_t capacity)
{
    if (capacity) xml[0] = '\0';
    Scheduler scheduler;
    HRESULT result = scheduler.Open(false);
    if (FAILED(result)) return result;
    Wide taskName(name);
    IRegisteredTask* task = nullptr;
    result = scheduler.folder->GetTask(taskName.text, &task);
    BSTR text = nullptr;
    if (SUCCEEDED(result)) result = task->get_Xml(&text);
    if (SUCCEEDED(result) && text && capacity &&
        WideCharToMultiByte(CP_ACP, 0, text, -1, xml, static_cast<int>(capacity), nullptr, nullptr) == 0) {
        xml[0] = '\0';
        result = HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    }
    SysFreeString(text);
    Release(task);
    return result;
}

HRESULT DeleteBackupTask(const char* name)
{
    Scheduler scheduler;
    HRESULT result = scheduler.Open(false);
    if (FAILED(result)) return result;
    Wide taskName(name);
    return scheduler.folder->DeleteTask(taskName.text, 0);
}

bool IsMissingTask(HRESULT result)
{
    return result == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || result == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
}

bool CurrentTaskUser(char* target, size_t capacity)
{
    ULONG size = static_cast<ULONG>(capacity);
    if (capacity && GetUserNameExA(NameSamCompatible, target, &size)) return true;
    char domain[256], user[256];
    DWORD userSize = sizeof user;
    DWORD length = GetEnvironmentVariableA("USERDOMAIN", domain, sizeof domain);
    if (length == 0 || length >= sizeof domain || !GetUserNameA(user, &userSize)) return false;
    CopyText(target, capacity, domain);
    AppendText(target, capacity, "\\");
    return AppendText(target, capacity, user) < capacity - 1;
}
