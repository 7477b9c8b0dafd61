#!/bin/sh
# The shipped DLL stays lean: under 300 KB, and every function it imports is
# one the plugin itself calls or one the C and C++ runtime's memory, string,
# exception and start-up support needs. Nothing that reaches into threads or
# other processes, creates threads, or touches links and volumes.
# Prints the size and the imports.
# Usage: dll-lean-test.sh OBJDUMP DLL
set -u
objdump=$1
dll=$2
status=0
limit=307200

size=$(wc -c < "$dll") || { echo "cannot read $dll"; exit 1; }
echo "size: $size bytes (limit $limit)"
[ "$size" -lt "$limit" ] || { echo "the DLL is $size bytes, over $limit"; status=1; }

# objdump lists each imported function as "hint-RVA hint name".
imports=$("$objdump" -p "$dll" | sed -n 's/^[[:space:]]*[0-9a-f]\{5,\}[[:space:]]\{1,\}[0-9]\{1,\}[[:space:]]\{1,\}\([A-Za-z_][A-Za-z0-9_]*\)$/\1/p' | sort)
[ -n "$imports" ] || { echo "no imported functions found"; exit 1; }
echo "imports ($(echo "$imports" | wc -l)): $(echo $imports)"

allowed='
GetModuleHandleA GetModuleHandleW
CreateFileW ReadFile CloseHandle GetFileType GetFileAttributesW GetFullPathNameW MultiByteToWideChar
SHGetKnownFolderPath CoTaskMemFree CreateDirectoryW WriteFile GetLocalTime
InitOnceExecuteOnce GetCurrentProcess TerminateProcess MessageBoxW
RaiseException RtlCaptureContext RtlLookupFunctionEntry RtlUnwindEx RtlVirtualUnwind
InitializeCriticalSection DeleteCriticalSection EnterCriticalSection LeaveCriticalSection
CreateSemaphoreW ReleaseSemaphore WaitForSingleObject Sleep GetCurrentThreadId
TlsAlloc TlsFree TlsGetValue TlsSetValue GetLastError SetLastError
VirtualProtect VirtualQuery
LoadLibraryW GetProcAddress _read _close
IsDBCSLeadByteEx WideCharToMultiByte ___lc_codepage_func ___mb_cur_max_func localeconv
malloc calloc realloc free memchr memcmp memcpy memmove memset strcmp strlen strncmp wcslen toupper
_initterm _amsg_exit _lock _unlock abort _errno strerror
__iob_func fputc fputs fwrite vfprintf
'
# What each group is for, in the order above: the plugin's own calls (game
# module, list files and where a list was looked for); its log (the
# Documents folder and its memory, the log's folders, its lines, their
# time); one-time initialisation and the fatal box; unwinding C++
# exceptions; the runtime's locks and thread-local data (win32 thread model);
# the start-up code applying relocations; std::random_device (rand_s, loaded
# from msvcrt, and its file fallback); the runtime's multibyte and number
# formatting; memory and strings; start-up and exit; the message printed when
# an exception escapes everything (std::terminate).

for function in $imports; do
  case " $(echo $allowed) " in
    *" $function "*) ;;
    *) echo "imports $function, which is not on the allow-list"; status=1 ;;
  esac
done

# Named here so a failure says what came back, should the list above grow.
for function in $imports; do
  case $function in
    GetThreadContext|SetThreadContext|SuspendThread|ResumeThread|CreateThread|CreateRemoteThread*|_beginthread*|\
    OpenProcess|OpenThread|ReadProcessMemory|WriteProcessMemory|VirtualAllocEx|VirtualProtectEx|\
    CreateHardLink*|CreateSymbolicLink*|MoveFileEx*|*Volume*|GetDiskFreeSpace*|setlocale|signal|fopen|printf)
      echo "imports $function: the runtime's thread, process, file-system or stream layer is back"; status=1 ;;
  esac
done
exit $status
