#include <windows.h>

#include <atomic>
#include <cstdint>
#include <csignal>
#include <cstdlib>
#include <cwchar>
#include <initializer_list>

#include "EndSignal.h"

// Windows has no SIGHUP. The editor is a GUI program without a console of its
// own: Ctrl+C and Ctrl+Break reach it from its console companion
// (mapeditor.com), which hands down its own process handle and three events
// (Ctrl+C, Ctrl+Break, and its console closed). A watcher thread turns them
// into SIGINT, SIGBREAK and SIGTERM, as does the end of the companion itself
// (killed from Task Manager); another thread's hidden window hears of the end
// of the session (log off, shut down).
//
// With the companion there, those handles are the only way in: the editor
// takes no console event itself (the companion starts it apart from its
// console), so that one key press is one request, never a second one.

namespace {

std::atomic<int> endSignal{0};
std::atomic<bool> handlersInstalled{false};
// holdEndSignals was called: the final autosave is being written.
std::atomic<bool> endSignalsHeld{false};

// An end request, from the C library's signal thread or the watcher. Before
// the handlers are installed it ends the process at once, as a signal's
// default action does; a second request while the first is still pending
// (a write that hangs) does the same.
void requestEnd(int signal) {
    int none = 0;
    if (handlersInstalled && endSignal.compare_exchange_strong(none, signal)) return;
    if (endSignalsHeld) return;
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(endSignalExitStatus(signal)));
}

void recordEndSignal(int signal) {
    // The C library has reset the handler to the default already, so a
    // second signal ends the process at once.
    int none = 0;
    endSignal.compare_exchange_strong(none, signal);
}

LRESULT CALLBACK sessionWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) return TRUE;
    if (message == WM_ENDSESSION && wParam && handlersInstalled) {
        // The session may end the process as soon as this returns: the frame
        // loop writes the autosave and leaves, which ends this thread too.
        int none = 0;
        endSignal.compare_exchange_strong(none, SIGTERM);
        for (;;) ::Sleep(1000);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The handles the companion passed in MAPEDITOR_COMPANION: its process, then
// the events for Ctrl+C, Ctrl+Break and the console closed. Taken out of the
// environment and made private, so that no program the editor starts (copy.bat,
// another editor) takes them for its own.
int takeCompanionHandles(HANDLE handles[4]) {
    wchar_t value[128];
    const DWORD length = ::GetEnvironmentVariableW(L"MAPEDITOR_COMPANION", value, 128);
    if (length == 0 || length >= 128) return 0;
    ::SetEnvironmentVariableW(L"MAPEDITOR_COMPANION", nullptr);
    int count = 0;
    wchar_t* next = value;
    while (count < 4) {
        wchar_t* end = nullptr;
        const unsigned long long number = std::wcstoull(next, &end, 10);
        if (end == next) break;
        handles[count] = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(number));
        DWORD flags = 0;
        if (!::GetHandleInformation(handles[count], &flags)) break;
        ::SetHandleInformation(handles[count], HANDLE_FLAG_INHERIT, 0);
        ++count;
        if (*end != L':') break;
        next = end + 1;
    }
    return count == 4 ? 4 : 0;
}

HANDLE companionHandles[4];


DWORD WINAPI watchCompanion(void*) {
    static constexpr int signals[] = {0, SIGINT, SIGBREAK, SIGTERM};
    for (;;) {
        const DWORD which = ::WaitForMultipleObjects(4, companionHandles, FALSE, INFINITE);
        if (which == WAIT_OBJECT_0) {
            // The companion is gone, nobody waits for the editor any more:
            // the window ends with its autosave. Work without a window goes
            // on to its end, which is near.
            int none = 0;
            if (handlersInstalled) endSignal.compare_exchange_strong(none, SIGTERM);
            return 0;
        }
        if (which > WAIT_OBJECT_0 && which < WAIT_OBJECT_0 + 4) {
            requestEnd(signals[which - WAIT_OBJECT_0]);
        } else {
            return 0;
        }
    }
}

// A hidden top-level window of a thread of its own hears of the session's end
// (a message-only window hears nothing of it).
DWORD WINAPI watchSession(void*) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = sessionWindowProcedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MapEditorSession";
    ::RegisterClassW(&windowClass);
    if (::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                          windowClass.hInstance, nullptr) == nullptr)
        return 0;
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
    return 0;
}

void startThread(LPTHREAD_START_ROUTINE routine) {
    const HANDLE thread = ::CreateThread(nullptr, 0, routine, nullptr, 0, nullptr);
    if (thread != nullptr) ::CloseHandle(thread);
}

bool companionWatched = false;

}  // namespace

void watchEndRequests() {
    if (takeCompanionHandles(companionHandles) != 4) return;
    companionWatched = true;
    startThread(watchCompanion);
}

void installEndSignalHandlers() {
    std::signal(SIGTERM, recordEndSignal);
    // Without the companion, a console the editor runs in (a terminal under
    // Wine) is where Ctrl+C comes from.
    if (!companionWatched)
        for (int signal : {SIGINT, SIGBREAK}) std::signal(signal, recordEndSignal);
    handlersInstalled = true;
    // Only a window's run has anything to save when the session ends.
    startThread(watchSession);
}

void holdEndSignals() {
    endSignalsHeld = true;
    for (int signal : {SIGINT, SIGBREAK, SIGTERM}) std::signal(signal, SIG_IGN);
}

int pendingEndSignal() { return endSignal; }
