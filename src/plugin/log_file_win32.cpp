// Varnel.log through Win32 calls: the Documents known folder, the script
// extender's log folder below it, and one appending write per line.

#include "src/log/log.h"
#include "src/log/log_line.h"

#include <windows.h>

#include <shlobj.h>

#include <string>

namespace varnel {

namespace {

// Where the script extender writes sfse.txt, below Documents; each folder is
// made in turn when missing.
constexpr const wchar_t* kLogFolders[] = {L"My Games", L"Starfield", L"SFSE", L"Logs"};
constexpr const wchar_t* kLogFileName = L"Varnel.log";

// FOLDERID_Documents, written here: the import library that holds it would
// bring every other known GUID into the DLL.
constexpr GUID kDocumentsFolderId = {0xFDD39AD0, 0x238F, 0x46AF, {0xAD, 0xB4, 0x6C, 0x85, 0x48, 0x03, 0x69, 0xC7}};

// Set while the host loads the plugin, read by every later line.
HANDLE logFile = INVALID_HANDLE_VALUE;
LogBudget budget;

// Documents, moved or not (another drive, OneDrive); empty when there is none.
std::wstring DocumentsFolder()
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(kDocumentsFolderId, KF_FLAG_DEFAULT, nullptr, &path)) && path != nullptr)
        folder = path;
    CoTaskMemFree(path);
    return folder;
}

// The log file's path, with its folders made; empty without Documents.
std::wstring LogFilePath()
{
    std::wstring path = DocumentsFolder();
    if (path.empty())
        return {};
    for (const wchar_t* folder : kLogFolders) {
        path += L"\\";
        path += folder;
        CreateDirectoryW(path.c_str(), nullptr);  // already there, or it fails below
    }
    return path + L"\\" + kLogFileName;
}

// Others may read the log, and the next start replace it, while the game runs.
constexpr DWORD kShared = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Empties (or makes) the file, then opens it for appending only, so that
// every write lands whole at its end whichever thread makes it.
HANDLE OpenEmptiedForAppending(const std::wstring& path)
{
    HANDLE emptied = CreateFileW(path.c_str(), GENERIC_WRITE, kShared, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr);
    if (emptied == INVALID_HANDLE_VALUE)
        return INVALID_HANDLE_VALUE;
    CloseHandle(emptied);
    return CreateFileW(path.c_str(), FILE_APPEND_DATA, kShared, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool WriteWhole(const std::string& bytes)
{
    DWORD written = 0;
    return WriteFile(logFile, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0;
}

LogTime Now()
{
    SYSTEMTIME time{};
    GetLocalTime(&time);
    return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds};
}

}  // namespace

void OpenLog() noexcept
{
    try {
        if (logFile != INVALID_HANDLE_VALUE)
            CloseHandle(logFile);
        logFile = INVALID_HANDLE_VALUE;
        budget.reserved = 0;
        budget.limitLineTaken = false;
        const std::wstring path = LogFilePath();
        if (!path.empty())
            logFile = OpenEmptiedForAppending(path);
    } catch (...) {
        // No memory for the path: no log.
    }
}

void Log(std::string_view text) noexcept
{
    if (logFile == INVALID_HANDLE_VALUE)
        return;
    try {
        const LogTime now = Now();
        const std::string line = LogLine(now, text);
        switch (AdmitLogLine(budget, line.size(), kLogLineOverhead + kLogLimitReached.size())) {
        case LogAdmission::Write:
            WriteWhole(line);
            break;
        case LogAdmission::WriteLimitLine:
            WriteWhole(LogLine(now, kLogLimitReached));
            break;
        case LogAdmission::Drop:
            break;
        }
    } catch (...) {
        // A line that cannot be built is left out; the game goes on.
    }
}

}  // namespace varnel
