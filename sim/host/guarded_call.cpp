#include "sim/host/guarded_call.h"

#include <windows.h>

namespace sim {
namespace {

struct GuardedThread {
    const std::function<void()>* body;
    bool completed = false;
};

thread_local bool guarding = false;

[[noreturn]] void EndFaultedThread(DWORD code) { ExitThread(code); }

bool IsHardwareFault(DWORD code)
{
    switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_STACK_OVERFLOW:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
        return true;
    default:
        return false;
    }
}

LONG CALLBACK GuardFaults(EXCEPTION_POINTERS* exception)
{
    if (!guarding || !IsHardwareFault(exception->ExceptionRecord->ExceptionCode))
        return EXCEPTION_CONTINUE_SEARCH;
    guarding = false;
    CONTEXT* context = exception->ContextRecord;
    context->Rcx = exception->ExceptionRecord->ExceptionCode;  // EndFaultedThread's argument
    context->Rsp = (context->Rsp & ~DWORD64{15}) - 8;          // as right after a call
    context->Rip = reinterpret_cast<DWORD64>(&EndFaultedThread);
    return EXCEPTION_CONTINUE_EXECUTION;
}

DWORD WINAPI RunBody(void* argument)
{
    auto* call = static_cast<GuardedThread*>(argument);
    guarding = true;
    try {
        (*call->body)();
        call->completed = true;
    } catch (...) {
        // a C++ exception: completed stays false
    }
    guarding = false;
    return 0;
}

}  // namespace

GuardedResult RunGuarded(const std::function<void()>& body)
{
    static PVOID const handler = AddVectoredExceptionHandler(1, &GuardFaults);
    static_cast<void>(handler);
    GuardedThread call{&body};
    HANDLE thread = CreateThread(nullptr, 0, &RunBody, &call, 0, nullptr);
    if (thread == nullptr)
        return {false, static_cast<std::uint32_t>(GetLastError())};
    WaitForSingleObject(thread, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    CloseHandle(thread);
    return {call.completed, call.completed ? 0 : static_cast<std::uint32_t>(exitCode)};
}

}  // namespace sim
