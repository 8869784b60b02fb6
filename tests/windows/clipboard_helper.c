/* Reads and fills the Windows clipboard for clipboard_test.sh, as another
 * program would: "put-text FILE" puts the UTF-8 text of FILE as
 * CF_UNICODETEXT; "get-text FILE" and "get-svg FILE" write the clipboard's
 * CF_UNICODETEXT (as UTF-8) or its "image/svg+xml" bytes to FILE, status 1
 * when it holds none. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static char* read_file(const char* path, long* size) {
    FILE* f = fopen(path, "rb");
    if (!f) return NULL;
    fseek(f, 0, SEEK_END);
    *size = ftell(f);
    fseek(f, 0, SEEK_SET);
    char* bytes = malloc((size_t)*size + 1);
    if (fread(bytes, 1, (size_t)*size, f) != (size_t)*size) *size = 0;
    fclose(f);
    return bytes;
}

static int write_file(const char* path, const char* bytes, size_t size) {
    FILE* f = fopen(path, "wb");
    if (!f) return 1;
    fwrite(bytes, 1, size, f);
    return fclose(f) != 0;
}

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    UINT svg = RegisterClipboardFormatW(L"image/svg+xml");
    for (int tries = 0; !OpenClipboard(NULL); ++tries) {
        if (tries > 50) return 3;
        Sleep(100);
    }
    int status = 1;
    if (strcmp(argv[1], "put-text") == 0) {
        long size = 0;
        char* text = read_file(argv[2], &size);
        int length = text ? MultiByteToWideChar(CP_UTF8, 0, text, (int)size, NULL, 0) : 0;
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, ((size_t)length + 1) * sizeof(wchar_t));
        wchar_t* wide = GlobalLock(memory);
        MultiByteToWideChar(CP_UTF8, 0, text, (int)size, wide, length);
        wide[length] = 0;
        GlobalUnlock(memory);
        EmptyClipboard();
        status = SetClipboardData(CF_UNICODETEXT, memory) == NULL;
    } else if (strcmp(argv[1], "get-text") == 0) {
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        const wchar_t* wide = data ? GlobalLock(data) : NULL;
        if (wide) {
            int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, NULL, 0, NULL, NULL);
            char* text = malloc((size_t)size);
            WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, size, NULL, NULL);
            status = write_file(argv[2], text, strlen(text));
            GlobalUnlock(data);
        }
    } else if (strcmp(argv[1], "get-svg") == 0) {
        HANDLE data = GetClipboardData(svg);
        const char* bytes = data ? GlobalLock(data) : NULL;
        if (bytes) {
            status = write_file(argv[2], bytes, strnlen(bytes, GlobalSize(data)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return status;
}
