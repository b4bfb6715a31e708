#include "cli/winconsole.h"

#include <atomic>
#include <cstdlib>

#include <io.h>
#include <windows.h>

namespace
{
UINT savedCodePage = 0;
HANDLE barHandle = INVALID_HANDLE_VALUE;
DWORD savedMode = 0;
std::atomic<void (*)()> onStop{nullptr};

void restore()
{
    if (barHandle != INVALID_HANDLE_VALUE)
        SetConsoleMode(barHandle, savedMode);
    barHandle = INVALID_HANDLE_VALUE;
    if (savedCodePage)
        SetConsoleOutputCP(savedCodePage);
    savedCodePage = 0;
}

BOOL WINAPI onControl(DWORD event)
{
    void (*stop)() = onStop.load();
    if (stop && (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT)) {
        stop();
        return TRUE;
    }
    // The program ends: the console gets its code page back first.
    restore();
    return FALSE;
}
} // namespace

void WinConsole::begin()
{
    savedCodePage = GetConsoleOutputCP();
    if (!savedCodePage)
        return;
    SetConsoleOutputCP(CP_UTF8);
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(err, &mode) &&
        SetConsoleMode(err, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) {
        barHandle = err;
        savedMode = mode;
    }
    SetConsoleCtrlHandler(onControl, TRUE);
    std::atexit(restore);
}

bool WinConsole::isConsole(int fd)
{
    DWORD mode = 0;
    return _isatty(fd) && GetConsoleMode(reinterpret_cast<HANDLE>(_get_osfhandle(fd)), &mode) != 0;
}

void WinConsole::catchStop(void (*stop)())
{
    onStop = stop;
}

void WinConsole::releaseStop()
{
    onStop = nullptr;
}
