#include "tools/console/console_text.h"

#include "src/text/utf8.h"

#include <string>

namespace varnel {

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

bool WriteUtf8(HANDLE handle, std::string_view text)
{
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    if (!IsConsole(handle))
        return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
    const std::wstring wide = Utf8ToWide(text);
    return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
}

}  // namespace varnel
