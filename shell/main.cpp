// Entry point of Marvitelkon.exe. The program takes no options: only the instance handle is used.
#include "shell/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RunLauncher(instance);
    return 0;
}
