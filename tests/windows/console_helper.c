/* A stand-in for a user at a Windows console, for the Wine tests.
 *
 * console_helper.exe ACTION WHEN STATUS PROGRAM [ARG...]
 *   Runs PROGRAM with ARGs in this console, as cmd.exe would, and once the
 *   file WHEN exists does ACTION: "ctrl-c" or "ctrl-break" raises the key's
 *   own event for the whole console (GenerateConsoleCtrlEvent, group 0);
 *   "close" closes the console as its close box does; "kill" ends PROGRAM
 *   as Task Manager does. Then it writes PROGRAM's exit status to the file
 *   STATUS.
 * console_helper.exe hold FILE READY
 *   Opens FILE (made when missing) for reading and shares only reading, as
 *   a viewer or a sync tool does, makes the file READY and holds FILE until
 *   it is ended. */
#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

static int exists(const wchar_t* name) { return GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES; }

static void touch(const wchar_t* name) {
    HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

/* This program lives through the key it raises; its child gets the event. */
static BOOL WINAPI keepRunning(DWORD event) {
    (void)event;
    return TRUE;
}

static int hold(const wchar_t* name, const wchar_t* ready) {
    HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_ALWAYS, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        fprintf(stderr, "console_helper: cannot open the file to hold: error %lu\n", GetLastError());
        return 2;
    }
    touch(ready);
    Sleep(INFINITE);
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    if (argc == 4 && wcscmp(argv[1], L"hold") == 0) return hold(argv[2], argv[3]);
    if (argc < 5) {
        fprintf(stderr, "usage: console_helper ACTION WHEN STATUS PROGRAM [ARG...] | hold FILE READY\n");
        return 2;
    }
    wchar_t line[4096] = L"";
    for (int i = 4; i < argc; ++i) {
        if (wcslen(line) + wcslen(argv[i]) + 4 >= sizeof line / sizeof *line) return 2;
        if (i > 4) wcscat(line, L" ");
        wcscat(line, L"\"");
        wcscat(line, argv[i]);
        wcscat(line, L"\"");
    }
    STARTUPINFOW startup = {sizeof startup};
    PROCESS_INFORMATION child;
    if (!CreateProcessW(NULL, line, NULL, NULL, TRUE, 0, NULL, NULL, &startup, &child)) {
        fprintf(stderr, "console_helper: cannot start the program: error %lu\n", GetLastError());
        return 2;
    }
    /* Registered after the child started: a handler is not inherited. */
    SetConsoleCtrlHandler(keepRunning, TRUE);
    while (!exists(argv[2]) && WaitForSingleObject(child.hProcess, 100) == WAIT_TIMEOUT) {
    }
    if (wcscmp(argv[1], L"ctrl-c") == 0) GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    if (wcscmp(argv[1], L"ctrl-break") == 0) GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, 0);
    if (wcscmp(argv[1], L"close") == 0) PostMessageW(GetConsoleWindow(), WM_CLOSE, 0, 0);
    if (wcscmp(argv[1], L"kill") == 0) TerminateProcess(child.hProcess, 1);
    DWORD status = 1;
    WaitForSingleObject(child.hProcess, INFINITE);
    GetExitCodeProcess(child.hProcess, &status);
    FILE* out = _wfopen(argv[3], L"w");
    if (out == NULL) return 2;
    fprintf(out, "%lu\n", status);
    fclose(out);
    return 0;
}
